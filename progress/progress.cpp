#include "progress/progress.h"

#include <commctrl.h>

HWND CreateShellAnimation(HWND dialog, DWORD style, int x, int y, int cx, int cy, int resource)
{
    LONG units = GetDialogBaseUnits();
    int ux = LOWORD(units), uy = HIWORD(units);
    HWND animation = CreateWindowExA(0, "SysAnimate32", NULL, style, ux * x / 4, uy * y / 8,
                                     ux * cx / 4, uy * cy / 8, dialog, (HMENU)0,
                                     GetModuleHandleA("shell32"), NULL);
    if (animation)
        SendMessageA(animation, ACM_OPENA, 0, (LPARAM)resource);
    return animation;
}

void SetTextFromString(HWND window, HINSTANCE module, UINT stringId)
{
    char text[261] = "";
    LoadStringA(module, stringId, text, sizeof text);
    SetWindowTextA(window, text);
}

namespace {

const long kItemBarSteps = 0xFFFF;

// Every kind of message Windows 95 queues: its QS_ALLINPUT. These headers
// add raw input to theirs whatever version they are told, and a system that
// does not know a bit refuses the whole wait.
const DWORD kAllInput = QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER | QS_PAINT |
                        QS_HOTKEY | QS_SENDMESSAGE;
static_assert(kAllInput == 0xFF, "QS_ALLINPUT as Windows 95 knows it");

// How often a join looks at its worker where the system refuses to wait.
const DWORD kJoinPollMs = 20;

}  // namespace

void SetItemRange(HWND bar, long total)
{
    long top = total < 0 ? 0 : total > kItemBarSteps ? kItemBarSteps : total;
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, (WORD)top));
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
}

void ShowItemsDone(HWND bar, long done, long total)
{
    if (total <= 0)
        return;
    if (done > total)
        done = total;
    long position = done <= 0 ? 0 : total <= kItemBarSteps ? done : MulDiv(done, kItemBarSteps, total);
    SendMessageA(bar, PBM_SETPOS, (WPARAM)position, 0);
}

void ShowPercent(HWND text, int percent, int* shown)
{
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    if (percent + 1 == *shown)
        return;
    *shown = percent + 1;
    char line[16];
    DWORD args[1] = {(DWORD)percent};
    wvsprintfA(line, "%i%%", (va_list)args);
    SetWindowTextA(text, line);
}

bool QuitPending()
{
    MSG msg;
    return PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

INT_PTR RunModalDialog(HINSTANCE module, int id, HWND owner, DLGPROC proc, LPARAM param)
{
    if (QuitPending())
        return -1;
    INT_PTR answer = DialogBoxParamA(module, MAKEINTRESOURCEA(id), owner, proc, param);
    return QuitPending() ? -1 : answer;
}

void ReleaseRun(ProgressRun* run)
{
    // Only whether the count reached zero: Windows 95 tells no more.
    if (InterlockedDecrement(&run->holders) == 0)
        delete run;
}

DWORD WINAPI WorkerSlot::ThreadMain(void* param)
{
    // The slot is not reused before this thread has ended, so what it says
    // about this worker stays put meanwhile.
    WorkerSlot* slot = static_cast<WorkerSlot*>(param);
    HMODULE module = slot->module_;
    ProgressRun* run = slot->run_;
    DWORD result = slot->proc_(run);
    if (run)
        ReleaseRun(run);
    InterlockedDecrement(&slot->running_);
    // The module may be unloaded the moment its reference goes: nothing of
    // it may run after that, so the reference and the thread end together.
    if (module)
        FreeLibraryAndExitThread(module, result);
    return result;
}

bool WorkerSlot::Start(LPTHREAD_START_ROUTINE proc, ProgressRun* run, int priority, HMODULE keepLoaded)
{
    if (!Join())
        return false;
    proc_ = proc;
    run_ = run;
    module_ = NULL;
    if (keepLoaded) {
        char path[MAX_PATH];
        DWORD length = GetModuleFileNameA(keepLoaded, path, sizeof path);
        module_ = length > 0 && length < sizeof path ? LoadLibraryA(path) : NULL;
        if (!module_) {
            MessageBeep(0);
            return false;
        }
    }
    InterlockedIncrement(&running_);
    if (run)
        InterlockedIncrement(&run->holders);
    thread_ = CreateThread(NULL, 0, ThreadMain, this, 0, &id_);
    if (!thread_) {
        if (run)
            InterlockedDecrement(&run->holders);
        InterlockedDecrement(&running_);
        if (module_)
            FreeLibrary(module_);
        module_ = NULL;
        id_ = 0;
        MessageBeep(0);
        return false;
    }
    if (priority != THREAD_PRIORITY_NORMAL)
        SetThreadPriority(thread_, priority);
    return true;
}

void WorkerSlot::Release()
{
    CloseHandle(thread_);
    thread_ = NULL;
    id_ = 0;
}

bool WorkerSlot::Join()
{
    if (!thread_)
        return true;
    // A cancelled worker stops after the file in hand, or once the user has
    // answered the message it is showing: keep this thread's windows alive
    // meanwhile. The wait wakes only for messages that came after the last
    // look at the queue, so what is already waiting is handled first.
    bool waitable = true;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage((int)msg.wParam);
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (waitable) {
            DWORD woke = MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, kAllInput);
            if (woke == WAIT_OBJECT_0)
                break;
            // A wait the system refused says nothing of the worker, which
            // may still be using the cells: from then on look at it, and at
            // the queue, between short pauses.
            waitable = woke != WAIT_FAILED;
        } else if (Ended()) {
            break;
        }
    }
    Release();
    return true;
}

bool WorkerSlot::Ended()
{
    DWORD state = WaitForSingleObject(thread_, kJoinPollMs);
    if (state == WAIT_OBJECT_0)
        return true;
    if (state != WAIT_FAILED)
        return false;
    // Nor can the thread be waited for: the worker's own last word, given
    // once it touches nothing of the run any more, tells.
    if (!Busy())
        return true;
    Sleep(kJoinPollMs);
    return false;
}

WorkerSlot::~WorkerSlot()
{
    // A DLL is unloaded only once its worker has ended (it holds a
    // reference); the handle goes with it.
    if (thread_)
        CloseHandle(thread_);
}

namespace {

BOOL CALLBACK PressInDialog(HWND window, LPARAM button)
{
    char name[16];
    if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM((WORD)button, BN_CLICKED), 0);
    return TRUE;
}

}  // namespace

void WorkerSlot::Answer(int button) const
{
    if (thread_)
        EnumThreadWindows(id_, PressInDialog, (LPARAM)button);
}

void WorkerSlot::Stop(DWORD timeoutMs)
{
    if (!thread_)
        return;
    DWORD start = GetTickCount();
    for (;;) {
        // Again at every turn: the worker may open its message only now.
        Answer(IDCANCEL);
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            break;
        DWORD slice = timeoutMs - elapsed < 50 ? timeoutMs - elapsed : 50;
        // The worker may be sending to a window of this thread; take those
        // messages, and leave everything posted where it is.
        DWORD woke = MsgWaitForMultipleObjects(1, &thread_, FALSE, slice, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0 || (woke == WAIT_FAILED && Ended()))
            break;
        MSG msg;
        PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
    }
    // A worker still busy past the time allowed ends with the process.
    Release();
}

bool FlowGuard::Begin()
{
    if (InterlockedExchange(&open_, 1))
        return false;
    if (slot_.Join())
        return true;
    InterlockedExchange(&open_, 0);
    return false;
}

void FlowGuard::End() { InterlockedExchange(&open_, 0); }

namespace {

// The dialog's side of one run, kept with its window (DWLP_USER).
struct OpenProgress {
    const ProgressCells* cells;
    const ProgressDialogKind* kind;
    HINSTANCE module;
    ProgressRun* run;
};

void OpenProgressDialog(HWND dialog, const OpenProgress& open)
{
    const ProgressDialogKind& kind = *open.kind;
    ProgressRun* run = open.run;
    if (open.cells->progressDialog)
        *open.cells->progressDialog = dialog;
    run->dialog = dialog;
    run->bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    CreateShellAnimation(dialog, kind.animationStyle, kind.animationX, kind.animationY, kind.animationWidth,
                         kind.animationHeight, kind.animation);
    if (kind.prepare)
        kind.prepare(dialog, run);
    // Cleared before the worker can look, so that a Cancel is never lost.
    open.cells->cancelRequested = 0;
    // Without a worker the dialog stays until the user cancels it.
    run->started = open.cells->worker.Start(kind.worker, run, open.cells->priority,
                                            open.cells->keepModuleLoaded ? open.module : NULL);
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        OpenProgressDialog(dialog, *reinterpret_cast<const OpenProgress*>(lParam));
        return TRUE;
    }
    const OpenProgress* open = reinterpret_cast<const OpenProgress*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!open)
        return FALSE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        open->cells->cancelRequested = 1;
        EndDialog(dialog, open->kind->cancelResult);
        return TRUE;
    }
    if (IsWorkerDone(message, wParam, lParam)) {
        EndDialog(dialog, open->kind->doneResult);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR RunProgressDialog(const ProgressCells& cells, HINSTANCE module, int id, HWND owner,
                          const ProgressDialogKind& kind, ProgressRun* run)
{
    run->cancel = &cells.cancelRequested;
    run->dialog = NULL;
    run->bar = NULL;
    run->started = false;
    OpenProgress open = {&cells, &kind, module, run};
    return RunModalDialog(module, id, owner, ProgressDialogProc, (LPARAM)&open);
}

void CloseProgressAsCancel(ProgressRun* run)
{
    *run->cancel = 1;
    PostMessageA(run->dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}
