// The applet's window run inside this test, for what another process cannot
// see: the items of its menu (Wine keeps menus per process), the help a
// dialog's help request asks for, and the F1 rule for the dialogs it owns.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "support/fakeshell.h"
#include "support/files.h"
#include "support/standin.h"
#include "support/ui.h"
#include "tray/tray.h"
#include "trayhelpers.h"

namespace {

using TrayWindow = traytest::InProcessTray;

struct MenuSeen {
    std::vector<std::pair<UINT, std::string>> items;   // id, "text" + state flags
    int defaultItem = -2;
    RECT rect = {};
    HWND foreground = NULL;
};

// Reads this process's open menu, then closes it as Escape does.
DWORD WINAPI ReadMenu(void* param)
{
    MenuSeen* seen = static_cast<MenuSeen*>(param);
    HWND window = traytest::WaitForMenu(GetCurrentProcessId());
    HMENU menu = (HMENU)SendMessageA(window, MN_GETHMENU, 0, 0);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        std::string flags = (state & MF_SEPARATOR) ? "-"   // Wine greys separators too
                            : std::string(state & MF_CHECKED ? " checked" : "") +
                                  (state & (MF_GRAYED | MF_DISABLED) ? " grey" : "");
        seen->items.push_back({GetMenuItemID(menu, i), text + flags});
    }
    seen->defaultItem = (int)GetMenuDefaultItem(menu, FALSE, 0);
    GetWindowRect(window, &seen->rect);
    seen->foreground = GetForegroundWindow();
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    return 0;
}

TEST_F(TrayWindow, MenuCarriesEveryItemAndOneCheckMark)
{
    for (bool enabled : {true, false}) {
        SCOPED_TRACE(enabled ? "enabled" : "disabled");
        ASSERT_TRUE(standin::SetState(enabled));
        standin::TakeLog();
        ASSERT_TRUE(SetCursorPos(321, 234));
        MenuSeen seen;
        HANDLE reader = CreateThread(NULL, 0, ReadMenu, &seen, 0, NULL);
        SendMessageA(MainWindow, WM_TRAYICON, kTrayIconId, WM_RBUTTONUP);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(reader, ui::kWait));
        CloseHandle(reader);

        std::vector<std::pair<UINT, std::string>> expected = {
            {101, enabled ? "Salvora &enabled checked" : "Salvora &enabled"},
            {102, enabled ? "Salvora &disabled" : "Salvora &disabled checked"},
            {0, "-"}, {106, "Clear &Trashcan now..."}, {4, "Launch &Undelete..."},
            {0, "-"}, {105, "&Preferences..."}, {103, "&About..."}, {104, "&Help"},
            {0, "-"}, {100, "E&xit"}};
        EXPECT_EQ(expected, seen.items);
        EXPECT_EQ(-1, seen.defaultItem);
        EXPECT_EQ(321, seen.rect.left);
        EXPECT_EQ(234, seen.rect.top);
        // Owned by the foreground window, the menu closes on a click elsewhere.
        EXPECT_EQ(MainWindow, seen.foreground);
        EXPECT_EQ((std::vector<unsigned>{3, 3}), standin::TakeCodes());
    }
}

std::vector<std::pair<WPARAM, LPARAM>> probeCommands;

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        probeCommands.push_back({wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

// What a window that stands in for an owned dialog receives after the main
// window heard that it idles, with F1 held or not.
std::vector<std::pair<WPARAM, LPARAM>> CommandsAfterIdle(HWND probe, WPARAM source, bool f1)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_F1] = f1 ? 0x80 : 0;
    SetKeyboardState(keys);
    probeCommands.clear();
    SendMessageA(MainWindow, WM_ENTERIDLE, source, (LPARAM)probe);
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    return probeCommands;
}

TEST_F(TrayWindow, F1WhileAnOwnedDialogIdlesPressesItsHelpButton)
{
    WNDCLASSA probeClass = {};
    probeClass.lpfnWndProc = ProbeProc;
    probeClass.hInstance = Instance;
    probeClass.lpszClassName = "TrayTestProbe";
    RegisterClassA(&probeClass);
    HWND probe = CreateWindowA("TrayTestProbe", "", WS_POPUP, 0, 0, 0, 0, NULL, NULL, Instance, NULL);
    std::vector<std::pair<WPARAM, LPARAM>> help = {{998, (LPARAM)probe}};
    EXPECT_EQ(help, CommandsAfterIdle(probe, MSGF_DIALOGBOX, true));
    EXPECT_TRUE(CommandsAfterIdle(probe, MSGF_MENU, true).empty());
    EXPECT_TRUE(CommandsAfterIdle(probe, MSGF_DIALOGBOX, false).empty());
    DestroyWindow(probe);

    // The main window has no Help button: its own command 998 does nothing.
    SendMessageA(MainWindow, WM_COMMAND, 998, 0);
    EXPECT_TRUE(standin::TakeLog().empty());
    EXPECT_TRUE(help_.Calls().empty());
}

DWORD WINAPI AskAboutBoxForHelp(void* param)
{
    std::string* state = static_cast<std::string*>(param);
    HWND about = TrayWindow::WaitForDialog(traytest::kAbout);
    *state = ui::ControlText(about, IDC_ABOUT_STATE);
    for (int control : {IDOK, IDC_ABOUT_STATE, 0xFFFF})
        ui::AskForHelp(about, control);
    ui::ClickButton(about, IDOK);
    return 0;
}

TEST_F(TrayWindow, AboutBoxAsksForPopupTopicsOfItsControls)
{
    ASSERT_TRUE(standin::SetState(false));
    std::string state;
    HANDLE asker = CreateThread(NULL, 0, AskAboutBoxForHelp, &state, 0, NULL);
    SendMessageA(MainWindow, WM_COMMAND, IDM_ABOUT, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(asker, ui::kWait));
    CloseHandle(asker);

    EXPECT_EQ("Salvora is disabled", state);
    std::vector<fakeshell::HelpCall> calls = help_.Calls();
    ASSERT_EQ(3u, calls.size());
    const LONG topics[] = {1, 103, 103};   // the OK button, any other control
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ((UINT)HELP_CONTEXTPOPUP, calls[i].command);
        EXPECT_EQ(topics[i], calls[i].data);
        EXPECT_EQ(files::InBin("slvrtray.hlp"), calls[i].file);
    }
}

}  // namespace
