// Emptying the Trashcans of all protected drives, from the menu and at
// shutdown: a search behind a progress dialog, the results list where the
// user may leave drives out, and a removal behind a second progress dialog.
#include "tray/clearing.h"

#include <commctrl.h>

#include "driver/driver.h"
#include "tray/tray.h"

static_assert(IDC_SEARCH_COUNT == IDC_PROGRESS_COUNT && IDC_SEARCH_DRIVE == IDC_PROGRESS_DRIVE &&
                  IDC_REMOVE_TEXT == IDC_PROGRESS_TEXT && IDC_REMOVE_BAR == IDC_PROGRESS_BAR &&
                  IDC_REMOVE_PERCENT == IDC_PROGRESS_PERCENT,
              "the progress dialogs' controls are the ones the Trashcan machinery writes");

WorkerSlot WorkerThread;
volatile BYTE CancelRequested = 0;
HWND ProgressDialog = NULL;
HWND ProgressBar = NULL;
LONG DriveCount = 0;
LONG TotalFiles = 0;
TrashcanDriveRecord Drives[kDriveSlots];

namespace {

FlowGuard Flow(WorkerThread);

// How long an ending applet gives its worker to reach its next check (it is
// deleting one file, or sending one text to a dialog that is gone).
const DWORD kFinishWaitMs = 5000;

// The system shell library's animations: searching, and files flying off.
const int kSearchAnimation = 152;
const int kRemoveAnimation = 163;

char DriveLetter(LONG drive) { return (char)(drive + 64); }

// -1 when the dialog could not be made (a control class missing, say), and
// when the applet is ending: then no dialog opens, and one that the quit
// closed was not answered by the user, whatever it returned.
INT_PTR RunDialog(int id, DLGPROC proc)
{
    if (QuitPending())
        return -1;
    INT_PTR answer = DialogBoxParamA(Instance, MAKEINTRESOURCEA(id), NULL, proc, 0);
    return QuitPending() ? -1 : answer;
}

void StartWorker(LPTHREAD_START_ROUTINE worker)
{
    CancelRequested = 0;
    // Without a thread the dialog stays until the user cancels it.
    WorkerThread.Start(worker, THREAD_PRIORITY_HIGHEST, NULL);
}

void ReportRemovalFailure()
{
    ShowStringMessage(IDS_CANNOT_REMOVE);
}

void RunFlow(int mode)
{
    if (RunDialog(IDD_SEARCH, SearchDialogProc) == -1 || CancelRequested)
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
        if (RunDialog(IDD_RESULTS, ResultsDialogProc) != IDOK)
            return;
    }

    if (RunDialog(IDD_REMOVE, RemoveDialogProc) == -1)
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

INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        ProgressDialog = dialog;
        CreateShellAnimation(dialog, WS_CHILD | WS_VISIBLE | ACS_CENTER | ACS_TRANSPARENT | ACS_AUTOPLAY,
                             0, 0, 30, 30, kSearchAnimation);
        StartWorker(SearchWorker);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDCANCEL)
            return FALSE;
        CancelRequested = 1;
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case WM_WORKERDONE:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

DWORD WINAPI SearchWorker(void*)
{
    DriveCount = 0;
    TotalFiles = 0;
    ScanDisplay display = {ProgressDialog, Instance, IDS_DRIVE_FORMAT};
    for (LONG drive = 1; drive <= kDriveSlots && !CancelRequested; ++drive) {
        // A failed request reads as not protected.
        if (!QueryDriveRecord(drive).enabled)
            continue;
        ScanResult found = ScanTrashcan(DriveLetter(drive), LowerCasePattern, display, &CancelRequested);
        TotalFiles += found.files;
        if (found.files <= 0)
            continue;
        TrashcanDriveRecord& record = Drives[DriveCount++];
        record.SizeKB = KBytesFromBytes(found.bytes);
        record.FileCount = found.files;
        record.Drive = drive;
        record.Included = 1;
    }
    if (!CancelRequested)
        PostMessageA(ProgressDialog, WM_WORKERDONE, 0, 0);
    return 0;
}

INT_PTR CALLBACK RemoveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        ProgressDialog = dialog;
        CreateShellAnimation(dialog, WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT | ACS_AUTOPLAY, 7, 0, 236, 25,
                             kRemoveAnimation);
        ProgressBar = GetDlgItem(dialog, IDC_REMOVE_BAR);
        TotalFiles = 0;
        for (LONG i = 0; i < DriveCount; ++i)
            if (Drives[i].Included)
                TotalFiles += Drives[i].FileCount;
        SetRemovalRange(ProgressBar, TotalFiles);
        StartWorker(RemoveWorker);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDCANCEL)
            return FALSE;
        CancelRequested = 1;
        EndDialog(dialog, 1);
        return TRUE;
    case WM_WORKERDONE:
        EndDialog(dialog, 2);
        return TRUE;
    }
    return FALSE;
}

DWORD WINAPI RemoveWorker(void*)
{
    RemovalRun run = {ProgressDialog, ProgressBar, TotalFiles, &CancelRequested, ReportRemovalFailure,
                      0, false, 0};
    for (LONG i = 0; i < DriveCount && !CancelRequested; ++i) {
        const TrashcanDriveRecord& record = Drives[i];
        if (record.FileCount <= 0 || !record.Included)
            continue;
        RemoveTrashcanFiles(DriveLetter(record.Drive), LowerCasePattern, &run);
    }
    EndRemovalRun(run);
    return 0;
}
