// The applet as a user meets it: the real slvrtray.exe started against the
// stand-in driver, with a fake taskbar and help engine in this process;
// driven by posting to its window and by keys to its menu, and judged by
// what reaches the driver, the taskbar and the help engine, by the windows
// it opens and by how it ends.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/fakeshell.h"
#include "support/files.h"
#include "support/revivr.h"
#include "support/standin.h"
#include "support/ui.h"
#include "tray/resource.h"
#include "trayhelpers.h"

namespace {

const UINT kTrayIcon = WM_USER + 1, kTrackingState = WM_USER + 2;
using traytest::Applet;
using traytest::kMessageCaption;

std::vector<BYTE> IconBits(UINT id)
{
    return fakeshell::IconBits(LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(id)));
}

class TrayApplet : public traytest::AppletTest {
protected:
    std::vector<unsigned> WaitForCodes(size_t count)
    {
        standin::Codes codes;
        codes.WaitForSize(count);
        return codes.Take();
    }

    std::string BoxText()
    {
        ui::MessageBoxInfo box;
        if (!ui::WaitForMessageBox(&box, kMessageCaption, ui::kWait, applet_.Id()))
            return "(no message box)";
        ui::Dismiss(box.window);
        return box.text;
    }

    DWORD ExitCode()
    {
        DWORD code = 999;
        applet_.WaitExit(ui::kWait, &code);
        return code;
    }
};

TEST_F(TrayApplet, StartsWithTheStatesIconOnceOnly)
{
    for (bool enabled : {true, false}) {
        SCOPED_TRACE(enabled ? "enabled" : "disabled");
        ASSERT_TRUE(standin::SetState(enabled));
        standin::TakeLog();
        ASSERT_TRUE(applet_.Start(Applet()));
        ASSERT_TRUE(taskbar_.WaitForCount(1));
        window_ = traytest::FindTray(applet_.Id());
        std::vector<fakeshell::IconCall> calls = taskbar_.Calls();
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ((DWORD)NIM_ADD, calls[0].action);
        EXPECT_EQ((DWORD)(UINT_PTR)window_, calls[0].window);
        EXPECT_EQ(1000u, calls[0].id);
        EXPECT_EQ(7u, calls[0].flags);
        EXPECT_EQ(1025u, calls[0].callbackMessage);
        EXPECT_EQ(enabled ? "Salvora is enabled" : "Salvora is disabled", calls[0].tip);
        EXPECT_EQ(IconBits(enabled ? IDI_TRAY_ENABLED : IDI_TRAY_DISABLED), calls[0].iconBits);
        EXPECT_FALSE(IsWindowVisible(window_));

        // Presence, then the window's registration (handle, 1026), then the
        // state: no notification can slip past the icon.
        std::vector<standin::Request> log = standin::TakeLog();
        ASSERT_EQ(3u, log.size()) << standin::Describe(log);
        EXPECT_EQ(5u, log[0].code);
        EXPECT_EQ(6u, log[1].code);
        DWORD h = (DWORD)(UINT_PTR)window_;
        EXPECT_EQ((std::vector<unsigned char>{BYTE(h), BYTE(h >> 8), BYTE(h >> 16), BYTE(h >> 24), 2, 4,
                                              0, 0}),
                  log[1].in);
        EXPECT_EQ(3u, log[2].code);

        // A second copy ends silently and leaves the first one alone.
        files::Process second;
        ASSERT_TRUE(second.Start(Applet()));
        DWORD code = 999;
        ASSERT_TRUE(second.WaitExit(ui::kWait, &code));
        EXPECT_EQ(0u, code);
        EXPECT_TRUE(standin::TakeLog().empty());
        EXPECT_EQ(1u, taskbar_.Count());
        EXPECT_EQ(window_, traytest::FindTray());
        applet_.Kill();
        taskbar_.Clear();
    }
}

TEST_F(TrayApplet, ExplainsWhyItCannotStart)
{
    ASSERT_TRUE(standin::SetAbsent(true));
    ASSERT_TRUE(applet_.Start(Applet()));
    EXPECT_EQ("Cannot install SLVRTRAY.EXE because Salvora is not properly installed!", BoxText());
    EXPECT_EQ(0u, ExitCode());
    ASSERT_TRUE(standin::SetAbsent(false));

    // Wine reports another Windows version to one program when its settings
    // say so: a copy of the applet under a name of its own.
    const std::string name = "slvrtray-nt.exe", key = "Software\\Wine\\AppDefaults\\" + name;
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Version", REG_SZ,
                                             "winxp", 6));
    std::string dir = files::ScratchDir("tray-nt");
    files::Copy(Applet(), dir + "\\" + name);
    ASSERT_TRUE(applet_.Start(dir + "\\" + name));
    EXPECT_EQ("SLVRTRAY.EXE requires Windows 95!", BoxText());
    EXPECT_EQ(0u, ExitCode());
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    files::RemoveTree(dir);
    EXPECT_EQ(0u, taskbar_.Count());
}

TEST_F(TrayApplet, IconFollowsOnlyTheDriversNotification)
{
    Start();
    ASSERT_TRUE(standin::SetNotify(false));
    // Clicks, presses and moves do nothing and the double-click only asks;
    // it comes last, so once it reached the driver all were handled.
    for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONDBLCLK})
        PostMessageA(window_, kTrayIcon, 1000, mouse);
    EXPECT_EQ(std::vector<unsigned>{4}, WaitForCodes(1));
    Settle();
    EXPECT_EQ(0u, taskbar_.Count());
    EXPECT_EQ(NULL, ui::FindVisibleWindow("#32768", NULL, applet_.Id()));

    ASSERT_TRUE(standin::SetNotify(true));
    PostMessageA(window_, kTrackingState, 0x101, 0);   // only the low byte counts
    PostMessageA(window_, kTrackingState, 0x100, 0);
    PostMessageA(window_, kTrayIcon, 1000, WM_LBUTTONDBLCLK);   // the driver toggles and says so
    ASSERT_TRUE(taskbar_.WaitForCount(3));
    std::vector<fakeshell::IconCall> calls = taskbar_.Calls();
    const char* tips[] = {"Salvora is enabled", "Salvora is disabled", "Salvora is enabled"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ((DWORD)NIM_MODIFY, calls[i].action);
        EXPECT_EQ(7u, calls[i].flags);
        EXPECT_EQ(tips[i], calls[i].tip);
        EXPECT_EQ(IconBits(i == 1 ? IDI_TRAY_DISABLED : IDI_TRAY_ENABLED), calls[i].iconBits);
    }
}

TEST_F(TrayApplet, MenuSwitchesTrackingThroughTheDriverOnly)
{
    Start();
    ASSERT_TRUE(standin::SetNotify(false));
    // Each request goes out, the already checked item's too.
    for (char item : {'e', 'd', 'd', 'e'}) {
        Choose(item);
        EXPECT_EQ((std::vector<unsigned>{3, 3, item == 'e' ? 1u : 2u}), WaitForCodes(3));
    }
    Settle();
    EXPECT_EQ(0u, taskbar_.Count());
    ASSERT_TRUE(standin::SetNotify(true));
    Choose('d');
    ASSERT_TRUE(taskbar_.WaitForCount(1));
    EXPECT_EQ("Salvora is disabled", taskbar_.Calls()[0].tip);
}

TEST_F(TrayApplet, AboutBoxShowsTheStateItOpenedWith)
{
    ASSERT_TRUE(standin::SetState(false));
    Start();
    Choose('a');
    HWND about = WaitForDialog(traytest::kAbout);
    ASSERT_TRUE(about != NULL);
    EXPECT_EQ(window_, GetWindow(about, GW_OWNER));
    EXPECT_TRUE(GetWindowLongA(about, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
    EXPECT_EQ("SLVRTray: Taskbar Icon for Salvora", ui::ControlText(about, IDC_ABOUT_PRODUCT));
    EXPECT_EQ("Salvora is disabled", ui::ControlText(about, IDC_ABOUT_STATE));
    // The icon goes on following the driver; the box's line does not.
    ASSERT_TRUE(standin::SetState(true));
    ASSERT_TRUE(taskbar_.WaitForCount(1));
    EXPECT_EQ("Salvora is disabled", ui::ControlText(about, IDC_ABOUT_STATE));
    PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(ui::WaitGone(about));
}

TEST_F(TrayApplet, HelpThenExitClosesHelpRemovesTheIconAndEnds)
{
    ASSERT_TRUE(standin::SetState(false));
    Start();
    Choose('h');
    Choose('x');
    EXPECT_EQ(0u, ExitCode());
    std::vector<fakeshell::HelpCall> help = help_.Calls();
    ASSERT_EQ(2u, help.size());
    for (const fakeshell::HelpCall& call : help) {
        EXPECT_EQ(window_, call.caller);
        EXPECT_EQ(0, call.data);
        EXPECT_EQ(files::InBin("slvrtray.hlp"), call.file);
    }
    EXPECT_EQ((UINT)HELP_CONTEXT, help[0].command);
    EXPECT_EQ((UINT)HELP_QUIT, help[1].command);
    std::vector<fakeshell::IconCall> calls = taskbar_.Calls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ((DWORD)NIM_DELETE, calls[0].action);
    EXPECT_EQ(IconBits(IDI_TRAY_DISABLED), calls[0].iconBits);
    // Tracking stays as it was.
    EXPECT_EQ((std::vector<unsigned>{3, 3, 3, 3}), standin::TakeCodes());

    // Windows may end; closed from outside, it ends the same way as by
    // Exit, without the help request.
    help_.Clear();
    Start();
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(window_, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, ui::kWait, &answer));
    EXPECT_EQ(TRUE, (BOOL)answer);
    PostMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, ExitCode());
    ASSERT_EQ(1u, taskbar_.Count());
    EXPECT_EQ((DWORD)NIM_DELETE, taskbar_.Calls()[0].action);
    EXPECT_TRUE(help_.Calls().empty());
}

// The applet copied into a folder of its own.
class TrayUndelete : public TrayApplet {
protected:
    void TearDown() override
    {
        revivr_.CloseAll();
        TrayApplet::TearDown();
        files::RemoveTree(dir_);
        files::RemoveTree(cwd_);
    }
    const std::string dir_ = files::ScratchDir("tray-app");
    const std::string cwd_ = files::ScratchDir("tray-cwd");
    revivr::Watch revivr_{dir_};
};

TEST_F(TrayUndelete, StartsTheProgramBesideItselfWithAnEmptyCommandLine)
{
    // A decoy of the same name in the current folder must not be the one.
    for (const std::string& to : {dir_, cwd_})
        ASSERT_TRUE(files::Copy(files::InBin("REVIVR.EXE"), to + "\\REVIVR.EXE"));
    files::Copy(Applet(), dir_ + "\\slvrtray.exe");
    Start(dir_ + "\\slvrtray.exe", cwd_);
    Choose('u');
    EXPECT_TRUE(revivr_.CloseNext());
    EXPECT_EQ("\r\n", revivr_.NewLog());
    EXPECT_FALSE(files::Exists(revivr::LogPath(cwd_)));
    Settle();
    EXPECT_EQ(NULL, ui::FindVisibleWindow("#32770", kMessageCaption, applet_.Id()));
}

TEST_F(TrayUndelete, AMissingOrUnreachableProgramIsReported)
{
    files::Copy(Applet(), dir_ + "\\slvrtray.exe");
    Start(dir_ + "\\slvrtray.exe");
    Choose('u');
    EXPECT_EQ("Cannot launch the undelete program REVIVR.EXE!", BoxText());
    applet_.Kill();

    // From a folder so deep that "REVIVR.EXE" and "slvrtray.hlp" beside the
    // applet pass 260 characters: neither is used under a cut name.
    std::string deep = dir_;
    while (deep.size() < 250)
        deep += "\\" + std::string(std::min<size_t>(100, 249 - deep.size()), 'p');
    ASSERT_TRUE(files::MakeDirs(deep));
    files::Copy(Applet(), deep + "\\s.exe");
    Start(deep + "\\s.exe");
    Choose('h');
    Choose('u');
    EXPECT_EQ("Cannot launch the undelete program REVIVR.EXE!", BoxText());
    EXPECT_TRUE(help_.Calls().empty());   // asked for before the box came
    EXPECT_TRUE(applet_.Running());
}

}  // namespace
