// What the tray tests share: the captions of the applet's dialogs, finding
// its hidden window and its menu, clearing away copies of the applet that
// an earlier test left running, and the two ways a test runs it: the real
// slvrtray.exe in a process of its own, or its window in the test's.
#ifndef SALVORA_TEST_TRAYHELPERS_H
#define SALVORA_TEST_TRAYHELPERS_H

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/fakeshell.h"
#include "support/files.h"
#include "support/standin.h"
#include "support/ui.h"
#include "tray/tray.h"

namespace traytest {

const char kMessageCaption[] = "Salvora";
const char kSearch[] = "Salvora: Searching files";
const char kResults[] = "Salvora: Display search results";
const char kRemove[] = "Salvora: Removing files";
const char kPreferences[] = "SLVRTray - Preferences";
const char kAbout[] = "Salvora 1.0 beta6";
// Where the applet keeps its settings, under HKEY_CURRENT_USER.
const char kSettingsKey[] = "SOFTWARE\\Norwyk\\Salvora\\SLVRTray";

// The applet's window, of any process (pid 0) or of that one. The window is
// hidden for good, so every top-level window is looked at.
struct TraySearch { DWORD pid; HWND found; };

// A named callback: a lambda converts only to a default-convention pointer,
// which is not CALLBACK on i686.
inline BOOL CALLBACK MatchTray(HWND window, LPARAM param)
{
    TraySearch* s = reinterpret_cast<TraySearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (ui::ClassOf(window) != "SLVRTrayWindow" || (s->pid && owner != s->pid))
        return TRUE;
    s->found = window;
    return FALSE;
}

inline HWND FindTray(DWORD pid = 0)
{
    TraySearch s = {pid, NULL};
    EnumWindows(MatchTray, reinterpret_cast<LPARAM>(&s));
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

inline std::string Applet() { return files::InBin("slvrtray.exe"); }

// The real slvrtray.exe in a process of its own, with a fake taskbar and help
// engine in this one.
class AppletTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KillStrayApplets();
        ASSERT_TRUE(standin::Reset()) << "stand-in driver not loaded";
        ASSERT_TRUE(taskbar_.Start());
        ASSERT_TRUE(help_.Start());
    }
    void TearDown() override
    {
        applet_.Kill();
        KillStrayApplets();
        standin::Reset();
    }

    // Starts the applet, waits for its icon, then forgets what it sent so far.
    void Start(const std::string& exe = Applet(), const std::string& cwd = "")
    {
        taskbar_.Clear();
        ASSERT_TRUE(applet_.Start(exe, "", cwd));
        ASSERT_TRUE(taskbar_.WaitForCount(1));
        window_ = FindTray(applet_.Id());
        ASSERT_TRUE(window_ != NULL);
        standin::TakeLog();
        taskbar_.Clear();
    }

    // A right-button release over the icon, then the item's mnemonic.
    void Choose(char mnemonic)
    {
        PostMessageA(window_, WM_USER + 1, 1000, WM_RBUTTONUP);
        HWND menu = WaitForMenu(applet_.Id());
        ASSERT_TRUE(menu != NULL);
        PostMessageA(menu, WM_CHAR, (WPARAM)mnemonic, 0);
        ASSERT_TRUE(ui::WaitGone(menu));
    }

    // Returns once the applet has handled everything posted to it before.
    void Settle()
    {
        DWORD_PTR result;
        SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_BLOCK, ui::kWait, &result);
    }

    HWND WaitForDialog(const char* caption)
    {
        return ui::WaitForWindow("#32770", caption, ui::kWait, applet_.Id());
    }

    fakeshell::FakeTaskbar taskbar_;
    fakeshell::FakeHelp help_;
    files::Process applet_;
    HWND window_ = NULL;
};

// The applet's window run on the test's own thread, for what only the
// applet's process sees: its menu, its dialogs' help, the clearing flow's
// progress texts and the results list.
class InProcessTray : public ::testing::Test {
public:
    // A dialog of the window, which this process shows.
    static HWND WaitForDialog(const char* caption)
    {
        return ui::WaitForWindow("#32770", caption, ui::kWait, GetCurrentProcessId());
    }

protected:
    void SetUp() override
    {
        KillStrayApplets();
        ASSERT_TRUE(standin::Reset()) << "stand-in driver not loaded";
        ASSERT_TRUE(help_.Start());
        Instance = GetModuleHandleA(NULL);
        RegisterTrayClass();   // the class outlives each test's window
        ASSERT_TRUE(CreateTrayWindow());
        standin::TakeLog();
    }
    void TearDown() override
    {
        DestroyWindow(MainWindow);
        // Its end posted WM_QUIT, which would end the next test's modal loops.
        MSG msg;
        while (PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        standin::Reset();
    }

    fakeshell::FakeHelp help_;
};

}  // namespace traytest

#endif
