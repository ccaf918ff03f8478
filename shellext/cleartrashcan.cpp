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

static_assert(IDC_SCAN_COUNT == IDC_PROGRESS_COUNT && IDC_SCAN_DRIVE == IDC_PROGRESS_DRIVE &&
                  IDC_PROGRESS_ACTION == IDC_PROGRESS_TEXT && IDC_PROGRESS_BAR_CONTROL == IDC_PROGRESS_BAR &&
                  IDC_PROGRESS_PERCENT_TEXT == IDC_PROGRESS_PERCENT,
              "the progress dialogs' controls are the ones the Trashcan machinery writes");

namespace {

// The run's own cells. The drive is taken when the run begins; the scan
// worker writes the count and size, which the shell's thread reads once the
// worker has ended, and the removal worker reads them.
LONG ClearingDrive = 0;
LONG TrashcanFileCount = 0;
LONG TrashcanSizeKB = 0;

const char kQuestionCaption[] = "Salvora";
// The size text of the question: "%s" of string 15.
const int kSizeTextSize = 34;

// The system shell library's animations: searching, and files flying off.
const int kScanAnimation = 152;
const int kRemoveAnimation = 163;

char DriveLetter() { return (char)(ClearingDrive + 64); }

DWORD WINAPI ScanWorker(void*)
{
    // A drive number without a slot is never sent to the driver; a failed
    // request reads as not protected. Either way nothing is counted.
    DriveRecord record = {};
    if (ClearingDrive >= 1 && ClearingDrive <= 26)
        record = QueryDriveRecord((int)ClearingDrive);
    if (record.enabled) {
        ScanDisplay display = {ProgressDialog, DllModule, IDS_DRIVE_FORMAT};
        ScanResult found = ScanTrashcan(DriveLetter(), UpperCasePattern, display, &CancelRequested);
        TrashcanFileCount = found.files;
        TrashcanSizeKB = KBytesFromBytes(found.bytes);
    }
    if (!CancelRequested)
        PostMessageA(ProgressDialog, WM_WORKERDONE, 0, 0);
    return 0;
}

void PrepareScan(HWND)
{
    TrashcanFileCount = 0;
    TrashcanSizeKB = 0;
}

const ProgressDialogKind kScanDialog = {
    WS_CHILD | WS_VISIBLE | ACS_CENTER | ACS_TRANSPARENT | ACS_AUTOPLAY, 0, 0, 30, 30, kScanAnimation,
    PrepareScan, ScanWorker, IDCANCEL, IDCANCEL};

INT_PTR CALLBACK ScanDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    return ProgressDialogMessage(kScanDialog, dialog, message, wParam);
}

void ReportRemovalFailure()
{
    MessageFromString(NULL, IDS_CANNOT_REMOVE_FILE, kShellExtCaption, MB_OK | MB_ICONEXCLAMATION);
}

DWORD WINAPI RemoveWorker(void*)
{
    RemovalRun run = {ProgressDialog, ProgressBar, TrashcanFileCount, &CancelRequested,
                      ReportRemovalFailure, 0, false, 0};
    RemoveTrashcanFiles(DriveLetter(), UpperCasePattern, &run);
    EndRemovalRun(run);
    return 0;
}

void SetTextFromString(HWND window, UINT stringId)
{
    char text[kPathBufferSize] = "";
    LoadStringA(DllModule, stringId, text, sizeof text);
    SetWindowTextA(window, text);
}

void PrepareRemoval(HWND dialog)
{
    ProgressBar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    SetRemovalRange(ProgressBar, TrashcanFileCount);
    SetTextFromString(GetDlgItem(dialog, IDC_PROGRESS_TEXT), IDS_REMOVING_TEXT);
    SetTextFromString(dialog, IDS_REMOVING_CAPTION);
}

const ProgressDialogKind kRemoveDialog = {
    WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT | ACS_AUTOPLAY, 7, 0, 236, 25, kRemoveAnimation,
    PrepareRemoval, RemoveWorker, 1, 2};

INT_PTR CALLBACK RemoveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    return ProgressDialogMessage(kRemoveDialog, dialog, message, wParam);
}

// Yes only when the user said so: a box that a quit closed said nothing.
bool UserConfirmsRemoval()
{
    char format[kPathBufferSize] = "";
    LoadStringA(DllModule, IDS_CLEAR_QUESTION, format, sizeof format);
    char size[kSizeTextSize];
    FormatSize(TrashcanSizeKB, size, sizeof size, 2);
    // The format is fixed and the count and size texts are bounded: the
    // question always fits.
    char question[kPathBufferSize];
    DWORD_PTR args[3] = {(DWORD_PTR)TrashcanFileCount, (DWORD_PTR)size, (DWORD_PTR)(BYTE)DriveLetter()};
    wvsprintfA(question, format, (va_list)args);
    int answer = MessageBoxA(NULL, question, kQuestionCaption, MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL);
    return answer == IDYES && !QuitPending();
}

void RunClearing(HWND owner)
{
    if (RunFlowDialog(IDD_SCAN, owner, ScanDialogProc) == -1 || CancelRequested)
        return;
    // The worker posted its last word; once it is gone, its count is all
    // there to read.
    if (!JoinFlowWorker())
        return;
    if (TrashcanFileCount <= 0) {
        MessageFromString(NULL, IDS_TRASHCAN_EMPTY, kShellExtCaption,
                          MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
        return;
    }
    if (!UserConfirmsRemoval())
        return;
    if (RunFlowDialog(IDD_PROGRESS, owner, RemoveDialogProc) == -1)
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
    ClearingDrive = drive;
    // The removal dialog's progress bar needs the common controls; the
    // shell's process may not have them yet.
    InitCommonControls();
    RunClearing(FlowOwner(owner));
    EndFlow();
}
