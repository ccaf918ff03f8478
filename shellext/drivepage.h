// The drive handler's "Salvora" property page.
#ifndef SALVORA_SHELLEXT_DRIVEPAGE_H
#define SALVORA_SHELLEXT_DRIVEPAGE_H

#include <windows.h>
#include <prsht.h>

// Adds the page for the selected drive through addPage; the result is
// AddPages'.
HRESULT AddDrivePage(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam);

#endif
