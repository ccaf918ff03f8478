// Empties the Trashcan of one drive: scan, question, removal.
#ifndef SALVORA_SHELLEXT_CLEARTRASHCAN_H
#define SALVORA_SHELLEXT_CLEARTRASHCAN_H

#include <windows.h>

// The drive menu's "&Clear Trashcan": the flow for the drive of the last
// selection, its dialogs owned by DialogOwner while that is still a live
// window of this thread. Returns when the flow is over.
void ClearDriveTrashcan();

// The same flow for a drive the caller keeps (1 for A: to 26 for Z:), its
// dialogs owned by owner: the drive page acts on the drive it was opened for,
// whatever has been selected since.
void ClearTrashcanOfDrive(int drive, HWND owner);

#endif
