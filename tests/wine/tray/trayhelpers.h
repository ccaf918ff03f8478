// Finding the applet's hidden window and its menu, and clearing away copies
// of the applet that an earlier test left running.
#ifndef SALVORA_TEST_TRAYHELPERS_H
#define SALVORA_TEST_TRAYHELPERS_H

#include <windows.h>

#include "support/ui.h"

namespace traytest {

// The applet's window, of any process (pid 0) or of that one. The window is
// hidden for good, so every top-level window is looked at.
inline HWND FindTray(DWORD pid = 0)
{
    struct Search { DWORD pid; HWND found; } s = {pid, NULL};
    EnumWindows([](HWND window, LPARAM param) -> BOOL {
        Search* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (ui::ClassOf(window) != "SLVRTrayWindow" || (s->pid && owner != s->pid))
            return TRUE;
        s->found = window;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

inline void KillStrayApplets()
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        HWND window = FindTray();
        if (!window)
            return;
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (pid == GetCurrentProcessId()) {
            DestroyWindow(window);
        } else if (process) {
            TerminateProcess(process, 255);
            WaitForSingleObject(process, ui::kWait);
        }
        if (process)
            CloseHandle(process);
    }
}

inline HWND WaitForMenu(DWORD pid) { return ui::WaitForWindow("#32768", NULL, ui::kWait, pid); }

}  // namespace traytest

#endif
