// Deletes the selected files and folders past the Trashcan.
#ifndef SALVORA_SHELLEXT_FORCEDELETE_H
#define SALVORA_SHELLEXT_FORCEDELETE_H

// Runs on the shell's thread over SelectedPaths; true in every case.
bool RunForceDelete();

#endif
