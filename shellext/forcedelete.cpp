// ForceDelete's flow: the confirmation of the selection, the progress dialog
// with its worker, and the confirmation of each read-only, hidden or system
// file, which the worker shows. The walk is in forcewalk.cpp.
#include "shellext/forcedelete.h"

#include <windows.h>
#include <commctrl.h>

#include "driver/driver.h"
#include "paths/entrypath.h"
#include "shellext/flow.h"
#include "shellext/forcedecisions.h"
#include "shellext/forcewalk.h"
#include "shellext/messages.h"
#include "shellext/resource.h"
#include "shellext/selection.h"
#include "shellext/server.h"

namespace {

// The system shell library's animation of deleting for good.
const int kAnimation = 164;

enum ConfirmMode { SelectionMode = 0, ProtectedFileMode = 1 };

struct ConfirmRequest {
    ConfirmMode mode;
    const char* path;    // the first selected item, or the protected file
    int32_t count;       // the items of the selection
};

void InitConfirmation(HWND dialog, const ConfirmRequest& request)
{
    ConfirmationText text = ProtectedFileConfirmation();
    if (request.mode == SelectionMode) {
        // Asked of the item the path names, not of a twin that Windows
        // would take the spelling for.
        char reached[kPathBufferSize];
        DWORD attributes = 0;
        if (request.count == 1)
            attributes = ReachSelectedItem(request.path, reached, sizeof reached) == ItemReach::Reached
                             ? GetFileAttributesA(reached)
                             : INVALID_FILE_ATTRIBUTES;
        text = SelectionConfirmation(request.count, attributes);
    }
    char format[kPathBufferSize] = "";
    LoadStringA(DllModule, text.messageId, format, sizeof format);
    DWORD_PTR args[1] = {text.countInMessage ? (DWORD_PTR)(LONG)request.count : (DWORD_PTR)request.path};
    char message[kMessageSize];
    wvsprintfA(message, format, (va_list)args);
    SetDlgItemTextA(dialog, IDC_CONFIRM_MESSAGE, message);
    SetTextFromString(dialog, DllModule, text.captionId);
}

// Dialogs 3200 and 3400; the creation parameter is a ConfirmRequest.
INT_PTR CALLBACK ConfirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        const ConfirmRequest& request = *reinterpret_cast<const ConfirmRequest*>(lParam);
        // A file asked about after the run's Cancel, too late for the flow
        // to answer it, stays as after No.
        if (request.mode == ProtectedFileMode && CancelRequested) {
            EndDialog(dialog, IDNO);
            return TRUE;
        }
        InitConfirmation(dialog, request);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
        case IDYES:
        case IDNO:
        case IDC_CONFIRM_YES_TO_ALL:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// Shown by the worker with no owner: it holds up the worker alone.
ProtectedFileAnswer AskAboutProtectedFile(const char* path, long itemTotal)
{
    ConfirmRequest request = {ProtectedFileMode, path, 0};
    INT_PTR answer = DialogBoxParamA(DllModule, MAKEINTRESOURCEA(ProtectedFileDialog(itemTotal)), NULL,
                                     ConfirmDialogProc, (LPARAM)&request);
    switch (answer) {
    case IDYES:
        return ProtectedFileAnswer::Yes;
    case IDC_CONFIRM_YES_TO_ALL:
        return ProtectedFileAnswer::YesToAll;
    case IDNO:
        return ProtectedFileAnswer::No;
    case IDCANCEL:
        return ProtectedFileAnswer::Cancel;
    }
    return ProtectedFileAnswer::NotAsked;
}

DWORD WINAPI ForceDeleteWorker(void* param)
{
    ForceDeleteRun* run = RunOf<ForceDeleteRun>(param);
    LoadStringA(DllModule, IDS_ACTION_DELETING_FILE, run->fileAction, sizeof run->fileAction);
    LoadStringA(DllModule, IDS_ACTION_REMOVING_FOLDER, run->folderAction, sizeof run->folderAction);
    char scanning[kPathBufferSize] = "";
    LoadStringA(DllModule, IDS_SCANNING, scanning, sizeof scanning);
    SetWindowTextA(run->actionText, scanning);
    CountSelection(run);

    // The driver keeps nothing that is deleted between these two requests;
    // the second one comes however the deletion pass ended.
    DWORD returned = 0;
    DriverRequest(SuspendTracking, NULL, 0, NULL, 0, &returned);
    DeleteSelection(run);
    DriverRequest(ResumeTracking, NULL, 0, NULL, 0, &returned);

    if (!*run->cancel)
        PostMessageA(run->dialog, WM_WORKERDONE, 0, 0);
    return 0;
}

void PrepareProgress(HWND dialog, ProgressRun* progress)
{
    ForceDeleteRun* run = static_cast<ForceDeleteRun*>(progress);
    SendMessageA(run->bar, PBM_SETSTEP, 1, 0);
    SetTextFromString(dialog, DllModule, IDS_FORCEDELETE_CAPTION);
    run->actionText = GetDlgItem(dialog, IDC_PROGRESS_TEXT);
    run->percentText = GetDlgItem(dialog, IDC_PROGRESS_PERCENT);
}

const ProgressDialogKind kProgressDialog = {
    WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT | ACS_AUTOPLAY, 0, 0, 30, 30, kAnimation,
    PrepareProgress, ForceDeleteWorker, IDCANCEL, IDCANCEL};

// A selection with a drive or the Trashcan in it is refused whole, before
// anything is asked.
bool RefusesSelection(TSelectionList* paths)
{
    for (int32_t i = 0; i < paths->ItemCount; ++i) {
        int message = RefusalMessageId(ClassifySelectedPath(paths->PathAt(i)));
        if (message) {
            PathMessage(NULL, message, paths->PathAt(i));
            return true;
        }
    }
    return false;
}

// Takes over the held selection, which goes with the run.
void ConfirmAndDelete(TSelectionList* paths, HWND owner)
{
    RunHandle<ForceDeleteRun> run;
    if (!run.Made()) {
        paths->Drop();
        return;
    }
    run->paths = paths;
    if (RefusesSelection(paths))
        return;
    ConfirmRequest request = {SelectionMode, paths->PathAt(0), paths->ItemCount};
    // Only Yes goes on; No, Escape, the close box and a quit end it here.
    if (RunFlowDialog(IDD_CONFIRM, NULL, ConfirmDialogProc, (LPARAM)&request) != IDYES)
        return;
    run->ask = AskAboutProtectedFile;
    run->walkOK = true;
    INT_PTR result = RunFlowProgress(IDD_PROGRESS, owner, kProgressDialog, run.get());
    if (!run->started)
        return;
    // A thread that is quitting has nobody left to watch the run.
    if (result == -1)
        CancelRequested = 1;
    // A file question still open would keep tracking suspended on every
    // drive until someone answered it, long after the run was cancelled:
    // the file stays, as after No, and the worker resumes tracking at once.
    if (CancelRequested)
        AnswerFlowWorker(IDNO);
    // A run that stopped short of the user's selection says where and why,
    // as the confirmation did what it would do: with no owner.
    if (!CancelRequested && JoinFlowWorker() && StopMessageId(run->stopReason))
        PathMessage(NULL, StopMessageId(run->stopReason), run->stopPath);
}

}  // namespace

bool RunForceDelete()
{
    // The selection and owner of this command, before any wait lets a new
    // selection in.
    TSelectionList* paths = HoldSelection();
    if (!paths)
        return true;
    HWND owner = DialogOwner;
    if (!BeginFlow()) {
        paths->Drop();
        return true;
    }
    // The progress bar needs the common controls; the shell's process may
    // not have them yet.
    InitCommonControls();
    ConfirmAndDelete(paths, FlowOwner(owner));
    EndFlow();
    return true;
}
