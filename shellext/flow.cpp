#include "shellext/flow.h"

#include "shellext/server.h"

volatile BYTE CancelRequested = 0;
HWND ProgressDialog = NULL;

namespace {

WorkerSlot Worker;
FlowGuard Flow(Worker);
const ProgressCells Cells = {CancelRequested, &ProgressDialog, Worker, THREAD_PRIORITY_NORMAL, true};

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

void AnswerFlowWorker(int button)
{
    Worker.Answer(button);
}

HWND FlowOwner(HWND candidate)
{
    if (!candidate || !IsWindow(candidate))
        return NULL;
    return GetWindowThreadProcessId(candidate, NULL) == GetCurrentThreadId() ? candidate : NULL;
}

INT_PTR RunFlowDialog(int id, HWND owner, DLGPROC proc, LPARAM param)
{
    return RunModalDialog(DllModule, id, owner, proc, param);
}

INT_PTR RunFlowProgress(int id, HWND owner, const ProgressDialogKind& kind, ProgressRun* run)
{
    return RunProgressDialog(Cells, DllModule, id, owner, kind, run);
}
