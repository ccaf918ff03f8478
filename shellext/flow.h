// The extension's one set of progress cells, shared by its two data-changing
// flows, the per-drive Trashcan clearing and ForceDelete, one flow at a time.
// The protocol between their progress dialogs and workers, and who touches
// what, is progress/progress.h's: here the flows and every dialog procedure
// run on the shell's thread, and the workers keep normal priority and keep
// the DLL loaded until they end. Each flow takes what its worker reads (the
// drive, the paths) into its run when it begins, so a new selection in
// another shell window, which the modal loops let in at any time, never
// reaches a running flow.
#ifndef SALVORA_SHELLEXT_FLOW_H
#define SALVORA_SHELLEXT_FLOW_H

#include <windows.h>

#include "progress/progress.h"

// Set by the shell's thread on Cancel, cleared when a progress dialog opens;
// polled by the worker between items.
extern volatile BYTE CancelRequested;
// The open progress dialog.
extern HWND ProgressDialog;

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
// Presses button in the dialogs the flow's worker shows now (WorkerSlot's
// Answer).
void AnswerFlowWorker(int button);

// The owner of a flow's dialogs: the candidate while it is a live window of
// this thread (a drive page closed long ago is neither), else none.
HWND FlowOwner(HWND candidate);

// Runs a modal dialog of the DLL; -1 as RunModalDialog.
INT_PTR RunFlowDialog(int id, HWND owner, DLGPROC proc, LPARAM param = 0);

// Runs a progress dialog of the DLL with its worker on run, on the
// extension's cells; -1 as RunModalDialog.
INT_PTR RunFlowProgress(int id, HWND owner, const ProgressDialogKind& kind, ProgressRun* run);

#endif
