// Empties the Trashcan of the selected drive: scan, question, removal.
#ifndef SALVORA_SHELLEXT_CLEARTRASHCAN_H
#define SALVORA_SHELLEXT_CLEARTRASHCAN_H

// Runs on the shell's thread for SelectedDrive and returns when the flow is
// over. Called by the drive menu's "&Clear Trashcan" and by the drive page.
void ClearDriveTrashcan();

#endif
