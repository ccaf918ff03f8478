#include "shellext/cleartrashcan.h"

#include "shellext/selection.h"

// The flow itself (scan dialog, question, removal dialog) is not built yet;
// until then the command does nothing.
void ClearDriveTrashcan()
{
    ClearTrashcanOfDrive(SelectedDrive, DialogOwner);
}

void ClearTrashcanOfDrive(int, HWND)
{
}
