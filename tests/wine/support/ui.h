// Finding and driving windows, dialogs and message boxes from a test, in the
// same process or in another one. Every wait is bounded polling.
#ifndef SALVORA_TEST_UI_H
#define SALVORA_TEST_UI_H

#include <windows.h>
#include <functional>
#include <string>

namespace ui {

const DWORD kWait = 10000;   // generous: shared CI machines are slow at times

// Polls until the condition holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWait);

// A visible top-level window of that class and caption (either may be NULL),
// optionally owned by process pid; NULL when none appeared in time.
HWND WaitForWindow(const char* cls, const char* caption, DWORD timeoutMs = kWait, DWORD pid = 0);
HWND FindVisibleWindow(const char* cls, const char* caption, DWORD pid = 0);
bool WaitGone(HWND window, DWORD timeoutMs = kWait);

std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int id);
std::string ClassOf(HWND window);

// Sends the command of a button as a click would, without waiting for the
// dialog to handle it (a click may open a modal box of its own).
void ClickButton(HWND dialog, int id);

// A help request on one control of a dialog, as F1 or the caption's help
// button makes it (a same-process dialog: the record is passed by pointer).
void AskForHelp(HWND dialog, int control);

struct MessageBoxInfo {
    HWND window = NULL;
    std::string caption;
    std::string text;
    UINT icon = 0;      // MB_ICONEXCLAMATION etc.; boxes of this process only
};

// A message box (a dialog with the text control 0xFFFF), optionally with that
// caption and in that process.
bool WaitForMessageBox(MessageBoxInfo* box, const char* caption = NULL, DWORD timeoutMs = kWait,
                       DWORD pid = 0);
// Presses one of its buttons (IDOK, IDYES, ...) and waits until it is gone.
bool Dismiss(HWND box, int id = IDOK);

}  // namespace ui

#endif
