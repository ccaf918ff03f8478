// The one set of cells the extension's two data-changing flows share, the
// per-drive Trashcan clearing and ForceDelete, and the pieces of their
// progress dialogs that are alike.
//
// Who touches what: the flows and every dialog procedure run on the shell's
// thread. The one worker of the open progress dialog writes that dialog's
// controls through ProgressDialog and ProgressBar, reads CancelRequested at
// its checks, and posts WM_WORKERDONE when it ran to its end. Each flow takes
// what its worker reads (the drive, the paths) into cells of its own when it
// begins, so a new selection in another shell window, which the modal loops
// let in at any time, never reaches a running flow.
#ifndef SALVORA_SHELLEXT_FLOW_H
#define SALVORA_SHELLEXT_FLOW_H

#include <windows.h>

#include "trashcan/progress.h"

// Set by the shell's thread on Cancel, cleared when a progress dialog opens;
// polled by the worker between items.
extern volatile BYTE CancelRequested;
// The open progress dialog and its bar (control 104).
extern HWND ProgressDialog;
extern HWND ProgressBar;
// The identifier of the last worker thread.
extern DWORD WorkerThreadId;

// One flow at a time in the process. False, with a beep and the open progress
// dialog brought to the front, while a flow's dialogs are open; an earlier
// flow's cancelled worker is waited for first (its message, if it shows one,
// stays answerable meanwhile). Every successful Begin is paired with EndFlow.
bool BeginFlow();
void EndFlow();

// True while a worker of either flow still runs: the DLL must stay loaded.
bool FlowWorkerRunning();
// Waits for the flow's worker, still dispatching this thread's messages.
// False when the thread is quitting meanwhile (the quit is kept for it).
bool JoinFlowWorker();

// The owner of a flow's dialogs: the candidate while it is a live window of
// this thread (a drive page closed long ago is neither), else none.
HWND FlowOwner(HWND candidate);

// Runs a modal dialog of the DLL. -1 when it could not be shown, and when the
// thread is quitting: then none is shown, and one the quit closed was not
// answered by the user.
INT_PTR RunFlowDialog(int id, HWND owner, DLGPROC proc, LPARAM param = 0);

// What makes one progress dialog different from another.
struct ProgressDialogKind {
    DWORD animationStyle;
    int animationX, animationY, animationWidth, animationHeight;   // dialog units
    int animation;                          // resource of the system shell library
    void (*prepare)(HWND dialog);           // before the worker starts; may be null
    LPTHREAD_START_ROUTINE worker;
    INT_PTR cancelResult;                   // EndDialog's code after Cancel
    INT_PTR doneResult;                     // ... after WM_WORKERDONE
};

// The whole procedure of a progress dialog: on opening it becomes
// ProgressDialog, gets its animation, is prepared, clears CancelRequested and
// starts the worker at normal priority, holding the DLL (a beep when no
// worker could be started: the dialog then waits for Cancel). Cancel sets
// CancelRequested and ends the dialog at once; WM_WORKERDONE ends it.
INT_PTR ProgressDialogMessage(const ProgressDialogKind& kind, HWND dialog, UINT message,
                              WPARAM wParam);

#endif
