// The protocol between a progress dialog and its worker thread, which every
// flow of both deliverables follows (the Trashcan search and removal, and
// ForceDelete): the dialog starts one worker when it opens; the worker
// writes the dialog's controls and, when it ran to its end, posts
// WM_WORKERDONE; Cancel sets the flow's cancel flag and ends the dialog at
// once, and the worker stops at its next check of the flag.
//
// What is added to that protocol here: no flow starts while an earlier one,
// or a worker it cancelled, still runs (FlowGuard with its WorkerSlot); a
// program that is ending is never held up or answered for by its flows (a
// dialog that a quit ended was not answered by the user, and no wait
// swallows the quit).
#ifndef SALVORA_TRASHCAN_PROGRESS_H
#define SALVORA_TRASHCAN_PROGRESS_H

#include <windows.h>

// Posted by a worker that ran to its end; the progress dialog then ends.
const UINT WM_WORKERDONE = WM_USER + 1;

// Controls of the progress dialogs, the same in both deliverables.
const int IDC_PROGRESS_COUNT = 101;     // search: "%lu files"
const int IDC_PROGRESS_TEXT = 103;      // removal, ForceDelete: what is being done
const int IDC_PROGRESS_BAR = 104;
const int IDC_PROGRESS_DRIVE = 105;     // search: "Drive X:"
const int IDC_PROGRESS_PERCENT = 105;   // removal, ForceDelete: the same control shows "40%"

// The system shell library's animation in a progress dialog, placed in
// dialog units; none where the system has no such animation.
HWND CreateShellAnimation(HWND dialog, DWORD style, int x, int y, int cx, int cy, int resource);

// A bar that counts items. The bar of Windows 95 counts in 16 bits: up to
// 65,535 items it has a step for each, beyond that it shows the share done.
void SetItemRange(HWND bar, long total);
// The bar after done of the total items it was ranged for.
void ShowItemsDone(HWND bar, long done, long total);

// True when this thread has been asked to quit: a modal loop that ends on
// WM_QUIT posts it again, and its result is then nobody's answer.
bool QuitPending();

// The one worker of a deliverable's open progress dialog. A cancelled worker
// is not waited for by its dialog, but no flow may start while it still runs.
// Start, Join and Stop are called by one flow at a time (FlowGuard sees to
// it); Busy may be asked from any thread at any time.
class WorkerSlot {
public:
    WorkerSlot() = default;
    WorkerSlot(const WorkerSlot&) = delete;
    WorkerSlot& operator=(const WorkerSlot&) = delete;
    ~WorkerSlot();

    // Starts proc on a thread of its own. With a module, the thread holds a
    // reference on it to its very last instruction, so that a DLL is never
    // unloaded under its worker. False, after MessageBeep(0), when no thread
    // could be started; false, silently, when an earlier worker cannot be
    // waited for because the thread is quitting.
    bool Start(LPTHREAD_START_ROUTINE proc, int priority, DWORD* threadId = NULL,
               HMODULE keepLoaded = NULL);

    // Waits for the worker, still dispatching this thread's messages, and
    // releases its handle. False when a WM_QUIT came first: it is posted
    // again for the thread's own loop, and the worker may still run.
    bool Join();

    // True while a worker runs.
    bool Busy() const { return running_ != 0; }

    // For a program that is ending, once the worker has been told to cancel:
    // answers Cancel to whatever dialog the worker shows (it would otherwise
    // wait for the user), and waits at most timeoutMs for it to stop.
    void Stop(DWORD timeoutMs);

private:
    static DWORD WINAPI Run(void* slot);
    void Release();

    HANDLE thread_ = NULL;
    DWORD id_ = 0;
    LPTHREAD_START_ROUTINE proc_ = NULL;
    HMODULE module_ = NULL;
    volatile LONG running_ = 0;
};

// One flow at a time per deliverable. Begin refuses a flow while another
// one is open (a modal loop lets the same thread call in again, and the shell
// may call from another of its threads), and joins an earlier flow's
// cancelled worker before the cells are reused; it also refuses when the
// thread is quitting meanwhile.
class FlowGuard {
public:
    explicit FlowGuard(WorkerSlot& slot) : slot_(slot) {}
    bool Begin();
    void End();
    bool Open() const { return open_ != 0; }

private:
    WorkerSlot& slot_;
    volatile LONG open_ = 0;
};

#endif
