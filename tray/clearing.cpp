// Emptying the Trashcans of all protected drives, from the menu and at
// shutdown: a search behind a progress dialog, the results list where the
// user may leave drives out, and a removal behind a second progress dialog.
#include "tray/clearing.h"

#include <commctrl.h>

#include "driver/driver.h"
#include "tray/tray.h"

WorkerSlot WorkerThread;
volatile BYTE CancelRequested = 0;
LONG DriveCount = 0;
LONG TotalFiles = 0;
TrashcanDriveRecord Drives[kDriveSlots];

namespace {

FlowGuard Flow(WorkerThread);
const ProgressCells Cells = {CancelRequested, NULL, WorkerThread, THREAD_PRIORITY_HIGHEST, false};

// How long an ending applet gives its worker to reach its next check (it is
// deleting one file, or sending one text to a dialog that is gone).
const DWORD kFinishWaitMs = 5000;

// The system shell library's animations: searching, and files flying off.
const int kSearchAnimation = 152;
const int kRemoveAnimation = 163;

// Tracking is set up on fixed and RAM drives only (the drive page offers
// itself nowhere else). A letter that the driver still marks protected but
// that now names a network share, a floppy or a CD holds some other disk's
// Trashcan, which is not this machine's to empty.
bool HoldsTrashcan(LONG drive)
{
    char root[4];
    DriveRoot(drive, root);
    UINT type = GetDriveTypeA(root);
    return type == DRIVE_FIXED || type == DRIVE_RAMDISK;
}

DWORD WINAPI SearchWorker(void* param)
{
    ProgressRun* run = RunOf<ProgressRun>(param);
    DriveCount = 0;
    TotalFiles = 0;
    ScanDisplay display = {run->dialog, Instance, IDS_DRIVE_FORMAT};
    for (LONG drive = 1; drive <= kDriveSlots && !*run->cancel; ++drive) {
        // A failed request reads as not protected.
        if (!QueryDriveRecord(drive).enabled || !HoldsTrashcan(drive))
            continue;
        ScanResult found = ScanTrashcan(DriveLetter(drive), LowerCasePattern, display, run->cancel);
        TotalFiles += found.files;
        if (found.files <= 0)
            continue;
        TrashcanDriveRecord& record = Drives[DriveCount++];
        record.SizeKB = KBytesFromBytes(found.bytes);
        record.FileCount = found.files;
        record.Drive = drive;
        record.Included = 1;
    }
    if (!*run->cancel)
        PostMessageA(run->dialog, WM_WORKERDONE, 0, 0);
    return 0;
}

const ProgressDialogKind kSearchDialog = {
    WS_CHILD | WS_VISIBLE | ACS_CENTER | ACS_TRANSPARENT | ACS_AUTOPLAY, 0, 0, 30, 30, kSearchAnimation,
    NULL, SearchWorker, IDCANCEL, IDCANCEL};

DWORD WINAPI RemoveWorker(void* param)
{
    RemovalRun* run = RunOf<RemovalRun>(param);
    for (LONG i = 0; i < DriveCount && !*run->cancel; ++i) {
        const TrashcanDriveRecord& record = Drives[i];
        if (record.FileCount <= 0 || !record.Included)
            continue;
        RemoveTrashcanFiles(DriveLetter(record.Drive), LowerCasePattern, run);
    }
    EndRemovalRun(*run);
    return 0;
}

void PrepareRemoval(HWND, ProgressRun* run)
{
    TotalFiles = 0;
    for (LONG i = 0; i < DriveCount; ++i)
        if (Drives[i].Included)
            TotalFiles += Drives[i].FileCount;
    static_cast<RemovalRun*>(run)->total = TotalFiles;
    SetItemRange(run->bar, TotalFiles);
}

const ProgressDialogKind kRemoveDialog = {
    WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT | ACS_AUTOPLAY, 7, 0, 236, 25, kRemoveAnimation,
    PrepareRemoval, RemoveWorker, 1, 2};

void ReportRemovalFailure()
{
    ShowStringMessage(IDS_CANNOT_REMOVE);
}

void RunFlow(int mode)
{
    RunHandle<ProgressRun> search;
    if (!search.Made())
        return;
    if (RunProgressDialog(Cells, Instance, IDD_SEARCH, NULL, kSearchDialog, search.get()) == -1 ||
        CancelRequested)
        return;
    // The worker has posted its last word; once it is gone its results are
    // all there to read.
    if (!WorkerThread.Join())
        return;

    if (mode >= ClearAfterConfirmation) {
        if (TotalFiles <= 0) {
            if (mode >= ClearFromMenu)
                ShowStringMessage(IDS_NO_FILES_FOUND);
            return;
        }
        if (RunModalDialog(Instance, IDD_RESULTS, NULL, ResultsDialogProc) != IDOK)
            return;
    }

    RunHandle<RemovalRun> removal;
    if (!removal.Made())
        return;
    removal->reportFailure = ReportRemovalFailure;
    if (RunProgressDialog(Cells, Instance, IDD_REMOVE, NULL, kRemoveDialog, removal.get()) == -1)
        return;
    // A finished removal still tells the driver about the purge: let it, so
    // that the flow is over, driver included, when Windows hears the answer
    // to WM_QUERYENDSESSION. A cancelled worker is not waited for here; the
    // next run waits for it instead.
    if (!CancelRequested)
        WorkerThread.Join();
}

}  // namespace

void ClearAllTrashcans(int mode)
{
    if (mode < ClearWithoutConfirmation)
        return;
    // The dialogs' modal loops let the menu, and Windows' WM_QUERYENDSESSION,
    // call in again while a run is open: that run is the one the user is
    // already in, and no second one starts. Only the menu's choice is
    // answered with a beep.
    if (!Flow.Begin()) {
        if (mode >= ClearFromMenu && !QuitPending())
            MessageBeep(0);
        return;
    }
    InitCommonControls();
    RunFlow(mode);
    Flow.End();
}

void CancelClearing()
{
    CancelRequested = 1;
}

void FinishClearing()
{
    CancelRequested = 1;
    WorkerThread.Stop(kFinishWaitMs);
}
