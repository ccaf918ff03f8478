// Emptying one drive's Trashcan: a scan behind a progress dialog, the
// question with the number of files and their size, and a removal behind a
// second progress dialog.
#include "shellext/cleartrashcan.h"

#include <commctrl.h>

#include "driver/driver.h"
#include "shellext/flow.h"
#include "shellext/messages.h"
#include "shellext/resource.h"
#include "shellext/selection.h"
#include "shellext/server.h"
#include "trashcan/trashcan.h"

namespace {

// The runs of the flow, each made when the flow reaches it; the scan worker
// writes the count and size, which the shell's thread reads once the worker
// has ended, and the removal takes them over.
struct ScanRun : ProgressRun {
    LONG drive;              // 1 for A: to 26 for Z:, taken when the flow began
    LONG trashcanFileCount;
    LONG trashcanSizeKB;
};
struct DriveRemovalRun : RemovalRun {
    LONG drive;
};

const char kQuestionCaption[] = "Salvora";
// The size text of the question: "%s" of string 15.
const int kSizeTextSize = 34;

// The system shell library's animations: searching, and files flying off.
const int kScanAnimation = 152;
const int kRemoveAnimation = 163;

DWORD WINAPI ScanWorker(void* param)
{
    ScanRun* run = RunOf<ScanRun>(param);
    // A drive number without a slot is never sent to the driver; a failed
    // request reads as not protected. Either way nothing is counted.
    DriveRecord record = {};
    if (IsDriveNumber(run->drive))
        record = QueryDriveRecord((int)run->drive);
    if (record.enabled) {
        ScanDisplay display = {run->dialog, DllModule, IDS_DRIVE_FORMAT};
        ScanResult found = ScanTrashcan(DriveLetter(run->drive), UpperCasePattern, display, run->cancel);
        run->trashcanFileCount = found.files;
        run->trashcanSizeKB = KBytesFromBytes(found.bytes);
    }
    if (!*run->cancel)
        PostMessageA(run->dialog, WM_WORKERDONE, 0, 0);
    return 0;
}

void PrepareScan(HWND, ProgressRun* run)
{
    ScanRun* scan = static_cast<ScanRun*>(run);
    scan->trashcanFileCount = 0;
    scan->trashcanSizeKB = 0;
}

const ProgressDialogKind kScanDialog = {
    WS_CHILD | WS_VISIBLE | ACS_CENTER | ACS_TRANSPARENT | ACS_AUTOPLAY, 0, 0, 30, 30, kScanAnimation,
    PrepareScan, ScanWorker, IDCANCEL, IDCANCEL};

void ReportRemovalFailure()
{
    MessageFromString(NULL, IDS_CANNOT_REMOVE_FILE, kShellExtCaption, MB_OK | MB_ICONEXCLAMATION);
}

DWORD WINAPI RemoveWorker(void* param)
{
    DriveRemovalRun* run = RunOf<DriveRemovalRun>(param);
    RemoveTrashcanFiles(DriveLetter(run->drive), UpperCasePattern, run);
    EndRemovalRun(*run);
    return 0;
}

void PrepareRemoval(HWND dialog, ProgressRun* run)
{
    SetItemRange(run->bar, static_cast<DriveRemovalRun*>(run)->total);
    SetTextFromString(GetDlgItem(dialog, IDC_PROGRESS_TEXT), DllModule, IDS_REMOVING_TEXT);
    SetTextFromString(dialog, DllModule, IDS_REMOVING_CAPTION);
}

const ProgressDialogKind kRemoveDialog = {
    WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT | ACS_AUTOPLAY, 7, 0, 236, 25, kRemoveAnimation,
    PrepareRemoval, RemoveWorker, 1, 2};

// Yes only when the user said so: a box that a quit closed said nothing.
bool UserConfirmsRemoval(const ScanRun& scan)
{
    char format[kPathBufferSize] = "";
    LoadStringA(DllModule, IDS_CLEAR_QUESTION, format, sizeof format);
    char size[kSizeTextSize];
    FormatSize(scan.trashcanSizeKB, size, sizeof size, 2);
    // The format is fixed and the count and size texts are bounded: the
    // question always fits.
    char question[kPathBufferSize];
    DWORD_PTR args[3] = {(DWORD_PTR)scan.trashcanFileCount, (DWORD_PTR)size,
                         (DWORD_PTR)(BYTE)DriveLetter(scan.drive)};
    wvsprintfA(question, format, (va_list)args);
    int answer = MessageBoxA(NULL, question, kQuestionCaption, MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL);
    return answer == IDYES && !QuitPending();
}

void RunClearing(int drive, HWND owner)
{
    RunHandle<ScanRun> scan;
    if (!scan.Made())
        return;
    scan->drive = drive;
    if (RunFlowProgress(IDD_SCAN, owner, kScanDialog, scan.get()) == -1 || CancelRequested)
        return;
    // The worker posted its last word; once it is gone, its count is all
    // there to read.
    if (!JoinFlowWorker())
        return;
    if (scan->trashcanFileCount <= 0) {
        MessageFromString(NULL, IDS_TRASHCAN_EMPTY, kShellExtCaption,
                          MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
        return;
    }
    if (!UserConfirmsRemoval(*scan.get()))
        return;
    RunHandle<DriveRemovalRun> removal;
    if (!removal.Made())
        return;
    removal->drive = scan->drive;
    removal->total = scan->trashcanFileCount;
    removal->reportFailure = ReportRemovalFailure;
    if (RunFlowProgress(IDD_PROGRESS, owner, kRemoveDialog, removal.get()) == -1)
        return;
    // A finished removal tells the driver about the purge before the flow
    // is over. A cancelled worker is not waited for; the next flow waits.
    if (!CancelRequested)
        JoinFlowWorker();
}

}  // namespace

void ClearDriveTrashcan()
{
    ClearTrashcanOfDrive(SelectedDrive, DialogOwner);
}

void ClearTrashcanOfDrive(int drive, HWND owner)
{
    if (!BeginFlow())
        return;
    // The removal dialog's progress bar needs the common controls; the
    // shell's process may not have them yet.
    InitCommonControls();
    RunClearing(drive, FlowOwner(owner));
    EndFlow();
}
