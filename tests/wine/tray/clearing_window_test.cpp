// The clearing flow run inside this test, for what only the applet's own
// process sees: the texts its workers give the progress dialogs (recorded by
// a hook on the thread that runs the flow), the rows of the results list and
// the double-click on them. Another thread of this test plays the user.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/fakeshell.h"
#include "support/files.h"
#include "support/standin.h"
#include "support/ui.h"
#include "tray/clearing.h"
#include "tray/tray.h"
#include "trayhelpers.h"

namespace {

const char kSearch[] = "Salvora: Searching files";
const char kResults[] = "Salvora: Display search results";
const char kRemove[] = "Salvora: Removing files";

// What the flow's dialogs showed, recorded on the thread that runs them.
struct Seen {
    std::vector<std::string> opened;     // dialog captions, message boxes too
    std::vector<std::string> counts;     // the search's count line
    std::vector<std::string> drives;     // the search's drive line
    std::vector<std::string> percents;   // the removal's percentage
} seen;
std::string cancelOnOpen;   // a dialog to cancel before its worker can finish
HHOOK hook;

// The caption as the window manager keeps it: a hook must not send
// messages to the windows being made.
std::string Caption(HWND window)
{
    WCHAR text[64] = L"";
    InternalGetWindowText(window, text, 64);
    char narrow[64] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, NULL, NULL);
    return narrow;
}

void Record(const CWPSTRUCT& m)
{
    if (m.message == WM_INITDIALOG) {
        std::string caption = Caption(m.hwnd);
        if (caption.rfind("Salvora:", 0) == 0)
            seen.opened.push_back(caption);
        if (!cancelOnOpen.empty() && caption == cancelOnOpen)
            PostMessageA(m.hwnd, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (m.message != WM_SETTEXT || !m.lParam || !GetParent(m.hwnd))
        return;
    std::string dialog = Caption(GetParent(m.hwnd));
    if (dialog != kSearch && dialog != kRemove)
        return;
    std::string text = reinterpret_cast<const char*>(m.lParam);
    int id = GetDlgCtrlID(m.hwnd);
    if (dialog == kSearch && id == IDC_PROGRESS_COUNT)
        seen.counts.push_back(text);
    else if (dialog == kSearch && id == IDC_PROGRESS_DRIVE)
        seen.drives.push_back(text);
    else if (dialog == kRemove && id == IDC_PROGRESS_PERCENT)
        seen.percents.push_back(text);
}

LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION)
        Record(*reinterpret_cast<const CWPSTRUCT*>(lParam));
    return CallNextHookEx(hook, code, wParam, lParam);
}

const char kDrives[] = {'D', 'E', 'M'};

std::string In(char drive, const std::string& name) { return files::Trashcan(drive) + "\\" + name; }

int ImageOf(HWND list, int row)
{
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&item);
    return item.iImage;
}

// Each row as "drive | files | size | image".
std::vector<std::string> ReadRows(HWND list)
{
    std::vector<std::string> rows;
    int count = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        std::string row;
        for (int column = 0; column < 3; ++column) {
            char text[64] = "";
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMTEXTA, i, (LPARAM)&item);
            row += std::string(text) + " | ";
        }
        rows.push_back(row + std::to_string(ImageOf(list, i)));
    }
    return rows;
}

// Selects the row (-1: none), then double-clicks the list as the list view
// reports it.
void DoubleClick(HWND dialog, int row)
{
    HWND list = GetDlgItem(dialog, IDC_RESULTS_LIST);
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = 0;
    SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&state);
    if (row >= 0) {
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, row, (LPARAM)&state);
    }
    NMITEMACTIVATE note = {};
    note.hdr.hwndFrom = list;
    note.hdr.idFrom = IDC_RESULTS_LIST;
    note.hdr.code = NM_DBLCLK;
    note.iItem = row;
    SendMessageA(dialog, WM_NOTIFY, IDC_RESULTS_LIST, (LPARAM)&note);
}

int Count(const std::vector<unsigned>& codes, unsigned code)
{
    int n = 0;
    for (unsigned c : codes)
        n += c == code;
    return n;
}

class ClearingFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        traytest::KillStrayApplets();
        ASSERT_TRUE(standin::Reset()) << "stand-in driver not loaded";
        ASSERT_TRUE(help_.Start());
        Instance = GetModuleHandleA(NULL);
        RegisterTrayClass();
        ASSERT_TRUE(CreateTrayWindow());
        for (char drive : kDrives) {
            files::RemoveTree(std::string(1, drive) + ":\\RECYCLED");
            ASSERT_TRUE(files::MakeDirs(files::Trashcan(drive)));
        }
        seen = Seen();
        cancelOnOpen.clear();
        hook = SetWindowsHookExA(WH_CALLWNDPROC, Watch, NULL, GetCurrentThreadId());
        standin::TakeLog();
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(hook);
        DestroyWindow(MainWindow);
        MSG msg;
        while (PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        for (char drive : kDrives)
            files::RemoveTree(std::string(1, drive) + ":\\RECYCLED");
        standin::Reset();
    }

    // Runs the flow on this thread while `user` plays the user on another;
    // whatever the user leaves open is cancelled, and the test fails.
    void Run(int mode, const std::function<void()>& user = [] {})
    {
        std::atomic<bool> over(false);
        std::thread player([&] {
            user();
            if (ui::WaitUntil([&] { return over.load(); }))
                return;
            ADD_FAILURE() << "the flow did not end";
            while (!over) {
                if (HWND left = ui::FindVisibleWindow("#32770", NULL, GetCurrentProcessId()))
                    PostMessageA(left, WM_COMMAND, IDCANCEL, 0);
                Sleep(50);
            }
        });
        ClearAllTrashcans(mode);
        over = true;
        player.join();
    }

    static HWND WaitForDialog(const char* caption)
    {
        return ui::WaitForWindow("#32770", caption, ui::kWait, GetCurrentProcessId());
    }

    fakeshell::FakeHelp help_;
};

TEST_F(ClearingFlow, EachModeWithEmptyTrashcans)
{
    ASSERT_TRUE(standin::Protect('D'));
    ASSERT_TRUE(files::MakeFile(In('D', "SALVORA.INF")));   // never counted
    ASSERT_TRUE(files::MakeDirs(In('D', "folder")));
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
        seen = Seen();
        std::string box;
        Run(c.mode, [&] {
            if (c.mode != 3)
                return;
            ui::MessageBoxInfo info;
            ASSERT_TRUE(ui::WaitForMessageBox(&info, "Salvora", ui::kWait, GetCurrentProcessId()));
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
        EXPECT_TRUE(files::Exists(In('D', "SALVORA.INF")));
    }
}

TEST_F(ClearingFlow, ListsTheDrivesFoundThenEmptiesThem)
{
    for (char drive : kDrives)
        ASSERT_TRUE(standin::Protect(drive));
    // D: 7 files, 1024 KByte in all; E: 1025 KByte; M: 2048 KByte and a
    // read-only, a hidden and a system file.
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(files::MakeFile(In('D', "d" + std::to_string(i)), 100000));
    ASSERT_TRUE(files::MakeFile(In('D', "d6"), 1048576 - 600000));
    ASSERT_TRUE(files::MakeFile(In('D', "Salvora.Inf"), 50000));
    ASSERT_TRUE(files::MakeDirs(In('D', "kept")));
    ASSERT_TRUE(files::MakeFile(In('E', "e"), 1025 * 1024));
    ASSERT_TRUE(files::MakeFile(In('M', "ro"), 1048576, FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(files::MakeFile(In('M', "hs"), 1048576, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(files::MakeFile(In('M', "empty"), 0));
    ASSERT_TRUE(files::MakeFile(In('M', "salvora.inf")));
    standin::TakeLog();

    std::vector<std::string> rows, columns;
    RECT client = {};
    HICON icon = NULL;
    LONG exStyle = 0;
    Run(ClearFromMenu, [&] {
        HWND dialog = WaitForDialog(kResults);
        ASSERT_TRUE(dialog != NULL);
        HWND list = GetDlgItem(dialog, IDC_RESULTS_LIST);
        rows = ReadRows(list);
        for (int i = 0; i < 3; ++i) {
            char text[32] = "";
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_FMT;
            column.pszText = text;
            column.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETCOLUMNA, i, (LPARAM)&column);
            int width = (int)SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0);
            columns.push_back(std::string(text) + (column.fmt == LVCFMT_RIGHT ? " right " : " left ") +
                              std::to_string(width));
        }
        GetClientRect(list, &client);
        icon = (HICON)SendDlgItemMessageA(dialog, IDC_RESULTS_ICON, STM_GETICON, 0, 0);
        exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
        ui::ClickButton(dialog, IDOK);
    });

    // Labels lower-cased, "[]" for none; sizes 1024, 1025 and 2048 KByte;
    // every drive checked. The last column fills the rest of the list.
    EXPECT_EQ((std::vector<std::string>{"D: [datadisk] | 7 | 1024 KByte | 1", "E: [] | 1 | 2.00 MByte | 1",
                                        "M: [ramdrive] | 3 | 3.00 MByte | 1"}),
              rows);
    EXPECT_EQ((std::vector<std::string>{"Laufwerke left 110", "Number of files right 84",
                                        "Occupied space right " + std::to_string(client.right - 194)}),
              columns);
    EXPECT_EQ(LoadIconA(NULL, IDI_QUESTION), icon);
    EXPECT_TRUE(exStyle & WS_EX_CONTEXTHELP);

    // The count moves in steps of four: D:'s 7 files never show as such.
    EXPECT_EQ((std::vector<std::string>{"Drive D:", "Drive E:", "Drive M:"}), seen.drives);
    for (const std::string& count : seen.counts)
        EXPECT_TRUE(count == "0 files" || count == "4 files") << count;
    EXPECT_NE(seen.counts.end(), std::find(seen.counts.begin(), seen.counts.end(), "4 files"));

    // The percentage of the 11 files rises, as often as a display is due
    // and at the end of each drive, to exactly 100%.
    EXPECT_EQ((std::vector<std::string>{kSearch, kResults, kRemove}), seen.opened);
    ASSERT_FALSE(seen.percents.empty());
    EXPECT_LE(seen.percents.size(), 11u);
    EXPECT_EQ("100%", seen.percents.back());
    for (size_t i = 1; i < seen.percents.size(); ++i)
        EXPECT_LT(atoi(seen.percents[i - 1].c_str()), atoi(seen.percents[i].c_str()));
    for (char drive : kDrives)
        EXPECT_TRUE(files::List(files::Trashcan(drive)).empty()) << drive;
    EXPECT_TRUE(files::Exists(In('D', "kept")));
    std::vector<unsigned> codes = standin::TakeCodes();
    EXPECT_EQ(26, Count(codes, 7));
    EXPECT_EQ(1, Count(codes, 12));
    EXPECT_EQ(12u, codes.back());
}

TEST_F(ClearingFlow, TheListDecidesWhichDrivesAreEmptied)
{
    ASSERT_TRUE(standin::Protect('D'));
    ASSERT_TRUE(standin::Protect('E'));
    ASSERT_TRUE(files::MakeFile(In('D', "d1")));
    ASSERT_TRUE(files::MakeFile(In('D', "salvora.inf")));
    // 3 GByte on E:, beyond what a signed 32-bit byte sum holds (sparse on
    // the host: nothing is written).
    ASSERT_TRUE(files::MakeFile(In('E', "e1"), 0x60000000));
    ASSERT_TRUE(files::MakeFile(In('E', "e2"), 0x60000000));
    ASSERT_TRUE(files::MakeFile(In('E', "salvora.inf")));

    // D: double-clicked out, in, out again; a double-click without a
    // selection changes nothing. E: alone is emptied.
    std::vector<int> images;
    std::string bigSize;
    Run(ClearFromMenu, [&] {
        HWND dialog = WaitForDialog(kResults);
        ASSERT_TRUE(dialog != NULL);
        HWND list = GetDlgItem(dialog, IDC_RESULTS_LIST);
        bigSize = ReadRows(list).at(1);
        for (int row : {0, 0, 0, -1})
            DoubleClick(dialog, row), images.push_back(ImageOf(list, 0));
        images.push_back(ImageOf(list, 1));
        ui::ClickButton(dialog, IDOK);
    });
    EXPECT_EQ("E: [] | 2 | 3073.00 MByte | 1", bigSize);
    EXPECT_EQ((std::vector<int>{0, 1, 0, 0, 1}), images);
    EXPECT_EQ((std::vector<std::string>{"d1", "salvora.inf"}), files::List(files::Trashcan('D')));
    EXPECT_TRUE(files::List(files::Trashcan('E')).empty());
    EXPECT_EQ(1, Count(standin::TakeCodes(), 12));
    ASSERT_EQ(2, DriveCount);

    // The next run finds D: alone, and counts only its file in the removal.
    // With its one row unchecked, OK removes nothing and purges nothing.
    std::vector<std::string> rows;
    Run(ClearFromMenu, [&] {
        HWND dialog = WaitForDialog(kResults);
        ASSERT_TRUE(dialog != NULL);
        rows = ReadRows(GetDlgItem(dialog, IDC_RESULTS_LIST));
        DoubleClick(dialog, 0);
        ui::ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(std::vector<std::string>{"D: [datadisk] | 1 | 0 KByte | 1"}, rows);
    EXPECT_EQ(0, TotalFiles);
    EXPECT_EQ((std::vector<std::string>{"d1", "salvora.inf"}), files::List(files::Trashcan('D')));
    EXPECT_EQ(0, Count(standin::TakeCodes(), 12));
}

TEST_F(ClearingFlow, CancelEndsTheRunInEachDialog)
{
    ASSERT_TRUE(standin::Protect('D'));
    ASSERT_TRUE(standin::Protect('E'));
    for (const char* name : {"a", "b", "salvora.inf"})
        ASSERT_TRUE(files::MakeFile(In('D', name)));
    ASSERT_TRUE(files::MakeFile(In('E', "held")));
    ASSERT_TRUE(files::MakeFile(In('E', "salvora.inf")));
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
    HANDLE held = CreateFileA(In('E', "held").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                              NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    PBRANGE range = {};
    ui::MessageBoxInfo box;
    Run(ClearWithoutConfirmation, [&] {
        ASSERT_TRUE(ui::WaitForMessageBox(&box, "Salvora", ui::kWait, GetCurrentProcessId()));
        HWND dialog = WaitForDialog(kRemove);
        SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_GETRANGE, FALSE, (LPARAM)&range);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ("Cannot remove a file from the Trashcan. Why?", box.text);
    EXPECT_EQ(3, range.iHigh);
    EXPECT_EQ(26, Count(standin::TakeCodes(), 7));

    // Its worker still waits for the answer: the next run waits for it
    // before it uses the cells, and the purge of the cancelled run comes
    // first. The range stays within the bar's 16 bits whatever the count.
    Run(ClearFromMenu, [&] {
        ui::Dismiss(box.window);
        HWND dialog = WaitForDialog(kResults);
        ASSERT_TRUE(dialog != NULL);
        EXPECT_EQ(1u, ReadRows(GetDlgItem(dialog, IDC_RESULTS_LIST)).size());
        Drives[0].FileCount = 70000;
        ui::ClickButton(dialog, IDOK);
        ui::MessageBoxInfo again;
        ASSERT_TRUE(ui::WaitForMessageBox(&again, "Salvora", ui::kWait, GetCurrentProcessId()));
        dialog = WaitForDialog(kRemove);
        SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_GETRANGE, FALSE, (LPARAM)&range);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        ui::WaitGone(dialog);
        ui::Dismiss(again.window);
    });
    WorkerThread.Join();
    CloseHandle(held);
    EXPECT_EQ(0xFFFF, range.iHigh);
    EXPECT_TRUE(files::List(files::Trashcan('D')).empty());
    EXPECT_EQ((std::vector<std::string>{"held", "salvora.inf"}), files::List(files::Trashcan('E')));
    std::vector<unsigned> codes = standin::TakeCodes();
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(12u, codes[0]);
    EXPECT_EQ(1, Count(codes, 12));
    EXPECT_EQ(26, Count(codes, 7));
}

// A worker that makes its dialog's Cancel the default button (DM_SETDEFID
// shares its number with the worker's done message), then ends the run as
// the user's Cancel in a question of its own would.
DWORD WINAPI SetDefaultThenCancel(void* param)
{
    ProgressRun* run = RunOf<ProgressRun>(param);
    SendMessageA(run->dialog, DM_SETDEFID, IDCANCEL, 0);
    SendMessageA(run->dialog, WM_NULL, 0, 0);
    CloseProgressAsCancel(run);
    return 0;
}

TEST_F(ClearingFlow, OnlyTheWorkersOwnMessageEndsAProgressDialogAsDone)
{
    WorkerSlot slot;
    volatile BYTE cancel = 1;
    const ProgressCells cells = {cancel, NULL, slot, THREAD_PRIORITY_NORMAL, false};
    const ProgressDialogKind kind = {WS_CHILD, 0, 0, 30, 30, 0, NULL, SetDefaultThenCancel, 7, 8};
    RunHandle<ProgressRun> run;
    EXPECT_EQ(7, RunProgressDialog(cells, Instance, IDD_SEARCH, NULL, kind, run.get()));
    ASSERT_TRUE(slot.Join());
    EXPECT_TRUE(run->started);
    EXPECT_EQ(1, cancel);
}

DWORD WINAPI AskPreferencesForHelp(void*)
{
    HWND dialog = ui::WaitForWindow("#32770", "SLVRTray - Preferences", ui::kWait, GetCurrentProcessId());
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

// Settings as the registry holds them; only a 4-byte REG_DWORD counts.
class Settings : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }
    void TearDown() override
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
        ShutdownClearMode = ClearAfterConfirmation;
        ShowStartupMessages = 1;
    }
    static void Put(const char* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kKey, name, type, data, size));
    }
    static std::pair<int, int> Read()
    {
        ShutdownClearMode = ClearAfterConfirmation;
        ShowStartupMessages = 1;
        ReadSettings();
        return {ShutdownClearMode, ShowStartupMessages};
    }
    static constexpr const char* kKey = "SOFTWARE\\Norwyk\\Salvora\\SLVRTray";
};

TEST_F(Settings, ReadClampedWithDefaultsForAnythingElse)
{
    EXPECT_EQ(std::make_pair(2, 1), Read());
    DWORD three = 3, two = 2, minusFive = (DWORD)-5, one = 1, zero = 0;
    Put("Clear Trashcan", REG_DWORD, &three, 4);
    Put("Show Message", REG_DWORD, &two, 4);
    EXPECT_EQ(std::make_pair(2, 1), Read());
    Put("Clear Trashcan", REG_DWORD, &minusFive, 4);
    Put("Show Message", REG_DWORD, &zero, 4);
    EXPECT_EQ(std::make_pair(-5, 0), Read());
    Put("Clear Trashcan", REG_DWORD, &one, 4);
    EXPECT_EQ(std::make_pair(1, 0), Read());

    // A string, a longer or shorter binary, a short DWORD: the defaults.
    const BYTE eight[8] = {1, 0, 0, 0, 1, 0, 0, 0};
    Put("Clear Trashcan", REG_SZ, "1", 2);
    Put("Show Message", REG_BINARY, eight, 8);
    EXPECT_EQ(std::make_pair(2, 1), Read());
    Put("Clear Trashcan", REG_BINARY, eight, 4);
    Put("Show Message", REG_DWORD, eight, 2);
    EXPECT_EQ(std::make_pair(2, 1), Read());
    Put("Clear Trashcan", REG_SZ, "a long string that would overrun a cell", 40);
    EXPECT_EQ(std::make_pair(2, 1), Read());
}

}  // namespace
