// The protocol between a progress dialog and its worker thread, written once
// for every flow of both deliverables (the Trashcan search and removal of
// each, and ForceDelete).
//
// Who touches what: the flow and the dialog procedure run on the thread that
// shows the dialogs (the applet's, or the shell's). The flow makes a run (a
// ProgressRun and what its worker adds) on the heap and fills it before the
// dialog opens; the dialog sets the run's dialog and bar, clears the
// deliverable's cancel flag and only then starts the one worker, which gets
// the run as its parameter. From then on the worker owns the run: it writes
// the dialog's controls, reads the cancel flag between items and, when it
// ran to its end, posts WM_WORKERDONE. Cancel sets the flag and ends the
// dialog at once; nobody waits for the worker then, and the flow reads the
// run again only after the worker has ended. A run is freed by whichever
// lets go of it last, the flow or its worker (RunHandle), so a cancelled
// worker that is still busy never reads freed memory or another run, and no
// flow keeps a run beyond its own call. The deliverable's cells (the cancel
// flag, the open dialog, the worker slot) are shared by its flows, one flow
// at a time: FlowGuard lets no flow begin while another is open or an
// earlier flow's cancelled worker still runs, so no worker ever sees
// another run's Cancel cleared.
//
// The screen is brought up to date at most every kScreenIntervalMs while the
// work moves, and at once where it stops, asks or ends: each change is a
// message to the dialog's thread, which costs more than the file call it
// reports.
//
// A program that is ending is never held up or answered for by its flows: a
// dialog that a quit ended was not answered by the user, and no wait
// swallows the quit.
#ifndef SALVORA_PROGRESS_PROGRESS_H
#define SALVORA_PROGRESS_PROGRESS_H

#include <windows.h>
#include <new>

#include "progress/progressids.h"

// Posted by a worker that ran to its end, with wParam and lParam 0. The
// number is also DM_SETDEFID, which a dialog may be sent: only the worker's
// own message ends a progress dialog as done.
const UINT WM_WORKERDONE = WM_USER + 1;

inline bool IsWorkerDone(UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_WORKERDONE && wParam == 0 && lParam == 0;
}

// The system shell library's animation in a progress dialog, placed in
// dialog units; none where the system has no such animation.
HWND CreateShellAnimation(HWND dialog, DWORD style, int x, int y, int cx, int cy, int resource);

// A string of module as the text of a window or control.
void SetTextFromString(HWND window, HINSTANCE module, UINT stringId);

// A bar that counts items. The bar of Windows 95 counts in 16 bits: up to
// 65,535 items it has a step for each, beyond that it shows the share done.
void SetItemRange(HWND bar, long total);
// The bar after done of the total items it was ranged for; never past its
// end, however many more items there turned out to be.
void ShowItemsDone(HWND bar, long done, long total);
// "40%" in the control, the percentage taken within 0 to 100; *shown holds
// the percentage on the screen plus one (0 for none yet), so that an
// unchanged text costs no message.
void ShowPercent(HWND text, int percent, int* shown);

// When a display is next due.
const DWORD kScreenIntervalMs = 40;

struct ScreenPacer {
    DWORD shownAt;   // when the display was last brought up to date

    bool Due() const { return GetTickCount() - shownAt >= kScreenIntervalMs; }
    void Shown() { shownAt = GetTickCount(); }
    void ShowNextAtOnce() { shownAt = GetTickCount() - kScreenIntervalMs; }
};

// True when this thread has been asked to quit: a modal loop that ends on
// WM_QUIT posts it again, and its result is then nobody's answer.
bool QuitPending();

// Runs a modal dialog. -1 when it could not be shown, and when the thread is
// quitting: then none is shown, and one the quit closed was not answered.
INT_PTR RunModalDialog(HINSTANCE module, int id, HWND owner, DLGPROC proc, LPARAM param = 0);

struct ProgressRun;

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

    // Starts proc(run) on a thread of its own, which holds the run (where
    // there is one) until it ends. With a module, the thread holds a reference on it to its very
    // last instruction, so that a DLL is never unloaded under its worker.
    // False, after MessageBeep(0), when no thread could be started; false,
    // silently, when an earlier worker cannot be waited for because the
    // thread is quitting.
    bool Start(LPTHREAD_START_ROUTINE proc, ProgressRun* run, int priority, HMODULE keepLoaded = NULL);

    // Waits for the worker, dispatching this thread's messages meanwhile
    // (those already waiting too), and releases its handle. False when a
    // WM_QUIT came first: it is posted again for the thread's own loop, and
    // the worker may still run.
    bool Join();

    // True while a worker runs.
    bool Busy() const { return running_ != 0; }

    // For a program that is ending, once the worker has been told to cancel:
    // answers Cancel to whatever dialog the worker shows (it would otherwise
    // wait for the user), and waits at most timeoutMs for it to stop.
    void Stop(DWORD timeoutMs);

    // Presses button in every dialog the worker shows now, for a run that
    // has ended without it; one it opens later is not reached.
    void Answer(int button) const;

private:
    static DWORD WINAPI ThreadMain(void* slot);
    // Whether the worker has ended, found out within a short pause, without
    // the wait for messages.
    bool Ended();
    void Release();

    HANDLE thread_ = NULL;
    DWORD id_ = 0;
    LPTHREAD_START_ROUTINE proc_ = NULL;
    ProgressRun* run_ = NULL;
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

// A deliverable's one set of cells, shared by its flows.
struct ProgressCells {
    volatile BYTE& cancelRequested;
    HWND* progressDialog;    // the open progress dialog, for a deliverable that looks for it
    WorkerSlot& worker;
    int priority;            // of its workers
    bool keepModuleLoaded;   // a DLL stays loaded until its worker has ended
};

// What a progress dialog and its worker share for one run; a flow's run
// adds what its worker needs, and frees what it holds in its destructor.
struct ProgressRun {
    virtual ~ProgressRun() {}

    volatile BYTE* cancel;   // the deliverable's cancel flag; set by Cancel
    HWND dialog;             // the open dialog, once it opened
    HWND bar;                // its progress bar, where it has one
    bool started;            // a worker took the run; the flow reads it once the dialog has ended
    volatile LONG holders;   // the flow and, once started, the worker
};

// Lets go of a run; the last one to let go frees it.
void ReleaseRun(ProgressRun* run);

// The flow's hold on a run it makes: a run of its own kind, cleared.
template <class Run>
class RunHandle {
public:
    RunHandle() : run_(new (std::nothrow) Run())
    {
        if (run_)
            run_->holders = 1;
    }
    ~RunHandle()
    {
        if (run_)
            ReleaseRun(run_);
    }
    RunHandle(const RunHandle&) = delete;
    RunHandle& operator=(const RunHandle&) = delete;

    // False, with MessageBeep(0), when there was no memory for the run.
    bool Made() const
    {
        if (!run_)
            MessageBeep(0);
        return run_ != NULL;
    }
    Run* operator->() const { return run_; }
    Run* get() const { return run_; }

private:
    Run* run_;
};

// The worker's run, from its thread parameter.
template <class Run>
Run* RunOf(void* param)
{
    return static_cast<Run*>(static_cast<ProgressRun*>(param));
}

// What makes one progress dialog different from another.
struct ProgressDialogKind {
    DWORD animationStyle;
    int animationX, animationY, animationWidth, animationHeight;   // dialog units
    int animation;                          // resource of the system shell library
    void (*prepare)(HWND dialog, ProgressRun* run);   // before the worker starts; may be null
    LPTHREAD_START_ROUTINE worker;          // gets the run as its parameter
    INT_PTR cancelResult;                   // EndDialog's code after Cancel
    INT_PTR doneResult;                     // ... after WM_WORKERDONE
};

// Runs progress dialog id of module modally: on opening it becomes the
// deliverable's open dialog and the run's, gets its animation, is prepared,
// clears the cancel flag and starts the worker with the run (a beep when no
// worker could be started: the dialog then waits for Cancel). Cancel sets the
// flag and ends the dialog at once; the worker's WM_WORKERDONE ends it.
// -1 as RunModalDialog.
INT_PTR RunProgressDialog(const ProgressCells& cells, HINSTANCE module, int id, HWND owner,
                          const ProgressDialogKind& kind, ProgressRun* run);

// For a worker whose user said Cancel in a question of its own: the run ends
// as after the dialog's Cancel button, and the dialog closes.
void CloseProgressAsCancel(ProgressRun* run);

#endif
