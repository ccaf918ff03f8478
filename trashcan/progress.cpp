#include "trashcan/progress.h"

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

namespace {

const long kItemBarSteps = 0xFFFF;

}  // namespace

void SetItemRange(HWND bar, long total)
{
    long top = total < 0 ? 0 : total > kItemBarSteps ? kItemBarSteps : total;
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, (WORD)top));
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
}

void ShowItemsDone(HWND bar, long done, long total)
{
    long position = total <= kItemBarSteps ? done : MulDiv(done, kItemBarSteps, total);
    SendMessageA(bar, PBM_SETPOS, (WPARAM)position, 0);
}

bool QuitPending()
{
    MSG msg;
    return PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

DWORD WINAPI WorkerSlot::Run(void* param)
{
    // The slot is not reused before this thread has ended, so what it says
    // about this worker stays put meanwhile.
    WorkerSlot* slot = static_cast<WorkerSlot*>(param);
    HMODULE module = slot->module_;
    DWORD result = slot->proc_(NULL);
    InterlockedDecrement(&slot->running_);
    // The module may be unloaded the moment its reference goes: nothing of
    // it may run after that, so the reference and the thread end together.
    if (module)
        FreeLibraryAndExitThread(module, result);
    return result;
}

bool WorkerSlot::Start(LPTHREAD_START_ROUTINE proc, int priority, DWORD* threadId, HMODULE keepLoaded)
{
    if (threadId)
        *threadId = 0;
    if (!Join())
        return false;
    proc_ = proc;
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
    thread_ = CreateThread(NULL, 0, Run, this, 0, &id_);
    if (!thread_) {
        InterlockedDecrement(&running_);
        if (module_)
            FreeLibrary(module_);
        module_ = NULL;
        id_ = 0;
        MessageBeep(0);
        return false;
    }
    if (threadId)
        *threadId = id_;
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
    // meanwhile.
    while (MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage((int)msg.wParam);
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    Release();
    return true;
}

WorkerSlot::~WorkerSlot()
{
    // A DLL is unloaded only once its worker has ended (it holds a
    // reference); the handle goes with it.
    if (thread_)
        CloseHandle(thread_);
}

namespace {

BOOL CALLBACK CancelDialog(HWND window, LPARAM)
{
    char name[16];
    if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}

}  // namespace

void WorkerSlot::Stop(DWORD timeoutMs)
{
    if (!thread_)
        return;
    DWORD start = GetTickCount();
    for (;;) {
        // Again at every turn: the worker may open its message only now.
        EnumThreadWindows(id_, CancelDialog, 0);
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            break;
        DWORD slice = timeoutMs - elapsed < 50 ? timeoutMs - elapsed : 50;
        // The worker may be sending to a window of this thread; take those
        // messages, and leave everything posted where it is.
        DWORD woke = MsgWaitForMultipleObjects(1, &thread_, FALSE, slice, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0)
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
