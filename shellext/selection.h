// The selection the shell handed to the last Initialize, kept module-wide:
// every companion, page and worker reads it from here, and the next
// Initialize of any handler replaces it.
#ifndef SALVORA_SHELLEXT_SELECTION_H
#define SALVORA_SHELLEXT_SELECTION_H

#include <windows.h>
#include <objidl.h>
#include <stdint.h>

#include "driver/driver.h"
#include "paths/modulepath.h"
#include "shellext/decisions.h"
#include "shellext/selectionlist.h"

// Items of the last selection (0 before the first one).
extern int32_t SelectedCount;
// Their full paths in the shell's order; null before the first selection.
// A worker that reads it holds it (see selectionlist.h).
extern TSelectionList* SelectedPaths;
// The first of those paths.
extern char FirstPath[kPathBufferSize];
// The drive of FirstPath, 1 for A: to 26 for Z:; 0 when FirstPath does not
// start with a drive letter, so that no 26-drive table is indexed with it.
extern int32_t SelectedDrive;
// Owner of the clearing and ForceDelete dialogs: the drive page sets it to
// its own window. It may name a window that has since been destroyed.
extern HWND DialogOwner;

// The selection's lock, made when the DLL is loaded.
void StartSelection();
// Lets go of the selection and its lock (the DLL is being unloaded, so no
// flow is open); a worker that holds the list keeps it until it is done.
void ReleaseSelection();

// The current list, held for a flow that will let go of it (Drop); its
// ItemCount is the selection's count. Null when there is no selection.
TSelectionList* HoldSelection();

// Takes the CF_HDROP list of the shell's data object as the new selection,
// each drive path in its canonical spelling (pathjoin.h). E_FAIL, with the
// previous selection left in place, when the object has no such list, the
// list is empty or a path does not fit a path buffer.
HRESULT CaptureSelection(IDataObject* data);

// Whether the last selection gets the companion from the handler.
bool AcceptsCompanion(HandlerKind handler, CompanionKind companion);

// The driver's record of the path's drive (the path's first three
// characters). False, with the record all zero, when the driver does not
// answer in full or the path starts with no drive letter.
bool ReadDriveRecord(const char* path, DriveRecord* record);
// True when delete tracking is on for the path's drive.
bool IsDriveProtected(const char* path);
// GetDriveTypeA of the path's first three characters.
UINT RootDriveType(const char* path);

#endif
