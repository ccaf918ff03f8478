// The clearing flow run inside this test (clearingflow.h): each mode with
// empty Trashcans, Cancel in each of its dialogs, a removal bar for more
// files than 16 bits count, and the help of the preferences, which only the
// applet's own process can ask for.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "clearingflow.h"
#include "support/fakeshell.h"
#include "support/files.h"
#include "support/hostside.h"
#include "support/standin.h"
#include "support/ui.h"

namespace {

using clearingflow::ClearingFlow;
using clearingflow::ReadRows;
using files::InTrashcan;
using standin::Count;
using traytest::kMessageCaption;
using traytest::kRemove;
using traytest::kResults;
using traytest::kSearch;

TEST_F(ClearingFlow, EachModeWithEmptyTrashcans)
{
    ASSERT_TRUE(standin::Protect('D'));
    ASSERT_TRUE(files::MakeFile(InTrashcan('D', "SALVORA.INF")));   // never counted
    ASSERT_TRUE(files::MakeDirs(InTrashcan('D', "folder")));
    standin::TakeLog();

    for (int mode : {0, -1}) {
        Run(mode);
        EXPECT_TRUE(seen.opened.empty());
        EXPECT_TRUE(standin::TakeLog().empty());
    }

    // Asked without confirmation: the removal dialog opens and closes by
    // itself. Asked with it: the search alone. From the menu: string 17.
    struct Case {
        int mode;
        std::vector<std::string> opened;
    } cases[] = {{1, {kSearch, kRemove}}, {2, {kSearch}}, {3, {kSearch}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        seen = clearingflow::Seen();
        std::string box;
        Run(c.mode, [&] {
            if (c.mode != 3)
                return;
            ui::MessageBoxInfo info;
            ASSERT_TRUE(ui::WaitForMessageBox(&info, kMessageCaption, ui::kWait, GetCurrentProcessId()));
            box = info.text;
            EXPECT_EQ((UINT)MB_ICONEXCLAMATION, info.icon);
            ui::Dismiss(info.window);
        });
        EXPECT_EQ(c.opened, seen.opened);
        EXPECT_EQ(c.mode == 3 ? "Right now there are no files left in the Salvora Trashcan of any protected drive!"
                              : "",
                  box);
        // Every drive asked in order, nothing purged.
        std::vector<standin::Request> log = standin::TakeLog();
        ASSERT_EQ(26u, log.size()) << standin::Describe(log);
        for (size_t i = 0; i < log.size(); ++i) {
            EXPECT_EQ(7u, log[i].code);
            EXPECT_EQ((std::vector<unsigned char>{(unsigned char)(i + 1), 0, 0, 0}), log[i].in);
        }
        EXPECT_EQ(std::vector<std::string>{"Drive D:"}, seen.drives);
        EXPECT_TRUE(files::Exists(InTrashcan('D', "SALVORA.INF")));
    }
}

TEST_F(ClearingFlow, CancelEndsTheRunInEachDialog)
{
    ASSERT_TRUE(standin::Protect('D'));
    ASSERT_TRUE(standin::Protect('E'));
    for (const char* name : {"a", "b", "salvora.inf"})
        ASSERT_TRUE(files::MakeFile(InTrashcan('D', name)));
    ASSERT_TRUE(files::MakeFile(InTrashcan('E', "held")));
    ASSERT_TRUE(files::MakeFile(InTrashcan('E', "salvora.inf")));
    std::vector<std::string> all = {"a", "b", "salvora.inf"};

    // In the search, whatever the mode: nothing more is shown.
    cancelOnOpen = kSearch;
    for (int mode : {1, 3}) {
        seen.opened.clear();
        Run(mode);
        EXPECT_EQ(std::vector<std::string>{kSearch}, seen.opened);
    }
    cancelOnOpen.clear();
    // In the results list: no removal.
    seen.opened.clear();
    Run(ClearAfterConfirmation, [&] {
        HWND dialog = WaitForDialog(kResults);
        ASSERT_TRUE(dialog != NULL);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ((std::vector<std::string>{kSearch, kResults}), seen.opened);
    EXPECT_EQ(all, files::List(files::Trashcan('D')));
    EXPECT_EQ(0, Count(standin::TakeCodes(), 12));

    // In the removal, while its worker waits for the user to read that a
    // file on E: stays: D: was emptied and E: keeps its index.
    HANDLE held = CreateFileA(InTrashcan('E', "held").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                              NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    PBRANGE range = {};
    ui::MessageBoxInfo box;
    Run(ClearWithoutConfirmation, [&] {
        ASSERT_TRUE(ui::WaitForMessageBox(&box, kMessageCaption, ui::kWait, GetCurrentProcessId()));
        HWND dialog = WaitForDialog(kRemove);
        SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_GETRANGE, FALSE, (LPARAM)&range);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ("Cannot remove a file from the Trashcan. Why?", box.text);
    EXPECT_EQ(3, range.iHigh);
    EXPECT_EQ(26, Count(standin::TakeCodes(), 7));

    // Its worker still waits for the answer: the next run waits for it
    // before it uses the cells, and the purge of the cancelled run comes
    // first. Cancelled in turn while its worker waits, it purges nothing.
    Run(ClearFromMenu, [&] {
        ui::Dismiss(box.window);
        HWND dialog = WaitForDialog(kResults);
        ASSERT_TRUE(dialog != NULL);
        EXPECT_EQ(1u, ReadRows(GetDlgItem(dialog, IDC_RESULTS_LIST)).size());
        ui::ClickButton(dialog, IDOK);
        ui::MessageBoxInfo again;
        ASSERT_TRUE(ui::WaitForMessageBox(&again, kMessageCaption, ui::kWait, GetCurrentProcessId()));
        dialog = WaitForDialog(kRemove);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        ui::WaitGone(dialog);
        ui::Dismiss(again.window);
    });
    CloseHandle(held);
    // Once the list of a new run is up, that worker, too, has ended.
    Run(ClearFromMenu, [&] {
        HWND dialog = WaitForDialog(kResults);
        ASSERT_TRUE(dialog != NULL);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(files::List(files::Trashcan('D')).empty());
    EXPECT_EQ((std::vector<std::string>{"held", "salvora.inf"}), files::List(files::Trashcan('E')));
    std::vector<unsigned> codes = standin::TakeCodes();
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(12u, codes[0]);
    EXPECT_EQ(1, Count(codes, 12));
    EXPECT_EQ(2 * 26, Count(codes, 7));
}

TEST_F(ClearingFlow, TheRemovalBarStaysWithinSixteenBits)
{
    // More files than the bar's 16 bits count, made by the host at once.
    ASSERT_TRUE(standin::Protect('D'));
    const std::string trashcan = host::Quote(host::PathOf(files::Trashcan('D')));
    ASSERT_TRUE(host::Run("cd " + trashcan + " && seq -f f%g 70000 | xargs touch", 6 * ui::kWait));
    cancelOnOpen = kRemove;
    std::vector<std::string> rows;
    Run(ClearFromMenu, [&] {
        HWND dialog = WaitForDialog(kResults);
        ASSERT_TRUE(dialog != NULL);
        rows = ReadRows(GetDlgItem(dialog, IDC_RESULTS_LIST));
        ui::ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(std::vector<std::string>{"D: [datadisk] | 70000 | 0 KByte | 1"}, rows);
    EXPECT_EQ(std::vector<int>{0xFFFF}, seen.ranges);
    EXPECT_TRUE(host::Run("rm -rf " + trashcan));
}

DWORD WINAPI AskPreferencesForHelp(void*)
{
    HWND dialog = ClearingFlow::WaitForDialog(traytest::kPreferences);
    for (int control : {IDC_PREFS_ALWAYS, IDC_PREFS_MESSAGE})
        ui::AskForHelp(dialog, control);
    ui::ClickButton(dialog, IDCANCEL);
    return 0;
}

TEST_F(ClearingFlow, HelpOnAControlOfThePreferencesShowsItsTopic)
{
    HANDLE asker = CreateThread(NULL, 0, AskPreferencesForHelp, NULL, 0, NULL);
    SendMessageA(MainWindow, WM_COMMAND, IDM_PREFERENCES, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(asker, ui::kWait));
    CloseHandle(asker);
    std::vector<fakeshell::HelpCall> calls = help_.Calls();
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ((UINT)HELP_CONTEXTPOPUP, calls[0].command);
    EXPECT_EQ(IDC_PREFS_ALWAYS, calls[0].data);
    EXPECT_EQ(IDC_PREFS_MESSAGE, calls[1].data);
    EXPECT_EQ((UINT)HELP_QUIT, calls[2].command);
}

}  // namespace
