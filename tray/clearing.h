// The all-drives clearing flow's state block, shared by its three dialogs
// and the workers of the two progress dialogs. One block per process, reused
// by every run; the flow lets no run begin while an earlier run, or a worker
// it cancelled, still uses it.
//
// Who touches what is progress/progress.h's protocol, with the applet's
// thread as the dialogs' thread and workers at the highest priority. Beyond
// its run, the one worker of the open progress dialog writes DriveCount,
// TotalFiles and the records while it searches, and reads them while it
// removes. The applet's thread reads the search's results only after the
// search worker has ended, and the removal worker starts only after the
// results list has closed, so the two never touch the records at once.
#ifndef SALVORA_TRAY_CLEARING_H
#define SALVORA_TRAY_CLEARING_H

#include <windows.h>

#include "driver/drives.h"
#include "trashcan/trashcan.h"

// One drive whose Trashcan holds at least one counted file.
struct TrashcanDriveRecord {
    LONG SizeKB;        // the drive's byte sum in KByte, rounded up
    LONG FileCount;     // counted files, the index file left out
    LONG Drive;         // 1 for A: .. 26 for Z:
    BYTE Included;      // 1: to be emptied; flipped in the results list
};

// The worker of the open progress dialog; joined before a run begins.
extern WorkerSlot WorkerThread;
// Set by the user-interface thread on Cancel, cleared when a progress dialog
// opens; polled by the worker between drives and directory entries.
extern volatile BYTE CancelRequested;
// Records 0..DriveCount-1 of Drives are this run's, in drive order.
extern LONG DriveCount;
// While searching: the files counted so far on all drives; from the opening
// of the removal dialog on: the files of the included drives.
extern LONG TotalFiles;
extern TrashcanDriveRecord Drives[kDriveSlots];

// results.cpp: the list of the drives found, in which the user can leave
// drives out of the removal. Ends with IDOK or IDCANCEL.
INT_PTR CALLBACK ResultsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void ToggleSelectedDrive(HWND dialog);

#endif
