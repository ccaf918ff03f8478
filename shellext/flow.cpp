#include "shellext/flow.h"

#include "shellext/server.h"

volatile BYTE CancelRequested = 0;
HWND ProgressDialog = NULL;
HWND ProgressBar = NULL;
DWORD WorkerThreadId = 0;

namespace {

WorkerSlot Worker;
FlowGuard Flow(Worker);

}  // namespace

bool BeginFlow()
{
    if (Flow.Begin())
        return true;
    if (!QuitPending()) {
        MessageBeep(0);
        if (Flow.Open() && IsWindow(ProgressDialog))
            SetForegroundWindow(ProgressDialog);
    }
    return false;
}

void EndFlow()
{
    Flow.End();
}

bool FlowWorkerRunning()
{
    return Worker.Busy();
}

bool JoinFlowWorker()
{
    return Worker.Join();
}

HWND FlowOwner(HWND candidate)
{
    if (!candidate || !IsWindow(candidate))
        return NULL;
    return GetWindowThreadProcessId(candidate, NULL) == GetCurrentThreadId() ? candidate : NULL;
}

INT_PTR RunFlowDialog(int id, HWND owner, DLGPROC proc, LPARAM param)
{
    if (QuitPending())
        return -1;
    INT_PTR answer = DialogBoxParamA(DllModule, MAKEINTRESOURCEA(id), owner, proc, param);
    return QuitPending() ? -1 : answer;
}

INT_PTR ProgressDialogMessage(const ProgressDialogKind& kind, HWND dialog, UINT message,
                              WPARAM wParam)
{
    switch (message) {
    case WM_INITDIALOG:
        ProgressDialog = dialog;
        CreateShellAnimation(dialog, kind.animationStyle, kind.animationX, kind.animationY,
                             kind.animationWidth, kind.animationHeight, kind.animation);
        if (kind.prepare)
            kind.prepare(dialog);
        // Cleared before the worker can look, so that a Cancel is never lost.
        CancelRequested = 0;
        Worker.Start(kind.worker, THREAD_PRIORITY_NORMAL, &WorkerThreadId, DllModule);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDCANCEL)
            return FALSE;
        CancelRequested = 1;
        EndDialog(dialog, kind.cancelResult);
        return TRUE;
    case WM_WORKERDONE:
        EndDialog(dialog, kind.doneResult);
        return TRUE;
    }
    return FALSE;
}
