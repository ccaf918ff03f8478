#include "shellext/drivepage.h"

// The page (template, dialog procedure, Apply) is not built yet; until then
// the sheet gets no page from the extension.
HRESULT AddDrivePage(LPFNADDPROPSHEETPAGE, LPARAM)
{
    return S_OK;
}
