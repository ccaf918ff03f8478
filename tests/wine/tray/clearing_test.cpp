// The clearing flow and the preferences of the real slvrtray.exe: started
// from the menu and by Windows' WM_QUERYENDSESSION, driven through their
// dialogs from this process, and judged by the files left on the test
// drives, the registry and the stand-in driver's log.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/fakeshell.h"
#include "support/files.h"
#include "support/standin.h"
#include "support/ui.h"
#include "tray/resource.h"
#include "trayhelpers.h"

namespace {

using files::InTrashcan;
using standin::Count;
using traytest::kMessageCaption;
using traytest::kPreferences;
using traytest::kRemove;
using traytest::kResults;
using traytest::kSettingsKey;

void PutSetting(const char* name, DWORD type, const void* data, DWORD size)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, name, type, data, size));
}

void PutSetting(const char* name, DWORD value)
{
    PutSetting(name, REG_DWORD, &value, sizeof value);
}

// A stored setting, or -99 when there is none (or not a 4-byte REG_DWORD).
int StoredSetting(const char* name)
{
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != 4)
        return -99;
    return (int)value;
}

// WM_QUERYENDSESSION as Windows sends it, answered while the test goes on.
class EndSession {
public:
    explicit EndSession(HWND window)
        : thread_([this, window] {
              DWORD_PTR result = 0;
              if (SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 30000, &result))
                  answer_ = (int)result;
              answered_ = true;
          })
    {
    }
    ~EndSession() { thread_.join(); }
    // The answer, or -1 when none came in time.
    int Answer()
    {
        ui::WaitUntil([&] { return answered_.load(); });
        return answer_;
    }

private:
    std::atomic<int> answer_{-1};
    std::atomic<bool> answered_{false};
    std::thread thread_;
};

class TrayClearing : public traytest::AppletTest {
protected:
    void SetUp() override
    {
        AppletTest::SetUp();
        RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
        for (char drive : {'D', 'E', 'F', 'N'}) {
            files::RemoveTree(std::string(1, drive) + ":\\RECYCLED");
            ASSERT_TRUE(files::MakeDirs(files::Trashcan(drive)));
        }
    }
    void TearDown() override
    {
        applet_.Kill();
        traytest::KillStrayApplets();
        RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
        for (char drive : {'D', 'E', 'F', 'N'})
            files::RemoveTree(std::string(1, drive) + ":\\RECYCLED");
        AppletTest::TearDown();
    }

    bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
};

TEST_F(TrayClearing, FromTheMenuPastAFileInUse)
{
    ASSERT_TRUE(standin::Protect('D'));
    ASSERT_TRUE(standin::Protect('E'));
    for (const char* name : {"a", "in-use", "b", "salvora.inf"})
        ASSERT_TRUE(files::MakeFile(InTrashcan('D', name), 10));
    for (const char* name : {"c", "SALVORA.INF"})
        ASSERT_TRUE(files::MakeFile(InTrashcan('E', name), 10));
    // Held sharing everything, deletion included: Wine would then delete it
    // from under its user, as Windows 95 does.
    HANDLE held = CreateFileA(InTrashcan('D', "in-use").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Start();
    Choose('t');
    HWND results = WaitForDialog(kResults);
    ASSERT_TRUE(results != NULL);
    EXPECT_EQ(NULL, GetWindow(results, GW_OWNER));

    // The user is already clearing: Windows may go on at once, and the menu
    // starts no second run.
    {
        EndSession ending(window_);
        EXPECT_EQ(TRUE, ending.Answer());
    }
    Choose('t');
    Settle();
    EXPECT_EQ(results, WaitForDialog(kResults));
    EXPECT_EQ(26, Count(standin::TakeCodes(), 7));

    ui::ClickButton(results, IDOK);
    ui::MessageBoxInfo box;
    ASSERT_TRUE(ui::WaitForMessageBox(&box, kMessageCaption, ui::kWait, applet_.Id()));
    EXPECT_EQ("Cannot remove a file from the Trashcan. Why?", box.text);
    EXPECT_EQ(NULL, GetWindow(box.window, GW_OWNER));
    ui::Dismiss(box.window);
    standin::Codes codes;
    codes.WaitFor(12);
    EXPECT_TRUE(ui::WaitUntil([&] { return !ui::FindVisibleWindow("#32770", kRemove, applet_.Id()); }));
    CloseHandle(held);

    // D: keeps the file in use and its index; E: is emptied all the same.
    std::vector<std::string> left = files::List(files::Trashcan('D'));
    EXPECT_NE(left.end(), std::find(left.begin(), left.end(), "in-use"));
    EXPECT_NE(left.end(), std::find(left.begin(), left.end(), "salvora.inf"));
    EXPECT_TRUE(files::List(files::Trashcan('E')).empty());
    Settle();
    EXPECT_EQ(1, codes.Count(12));
}

TEST_F(TrayClearing, PreferencesChooseWhatWindowsEndingDoes)
{
    ASSERT_TRUE(standin::Protect('D'));
    Start();

    // No key: ask before clearing, explain a failed start. Cancel stores
    // nothing, even after a change.
    Choose('p');
    HWND prefs = WaitForDialog(kPreferences);
    ASSERT_TRUE(prefs != NULL);
    EXPECT_EQ(window_, GetWindow(prefs, GW_OWNER));
    EXPECT_TRUE(GetWindowLongA(prefs, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
    EXPECT_FALSE(Checked(prefs, IDC_PREFS_NEVER));
    EXPECT_TRUE(Checked(prefs, IDC_PREFS_ASK));
    EXPECT_FALSE(Checked(prefs, IDC_PREFS_ALWAYS));
    EXPECT_TRUE(Checked(prefs, IDC_PREFS_MESSAGE));
    ui::ClickButton(prefs, IDC_HELP_BUTTON);
    ui::ClickButton(prefs, IDC_PREFS_ABOUT);
    HWND about = WaitForDialog(traytest::kAbout);
    ASSERT_TRUE(about != NULL);
    EXPECT_EQ(prefs, GetWindow(about, GW_OWNER));
    ui::ClickButton(about, IDOK);
    ASSERT_TRUE(ui::WaitGone(about));
    SendMessageA(GetDlgItem(prefs, IDC_PREFS_NEVER), BM_CLICK, 0, 0);
    ui::ClickButton(prefs, IDCANCEL);
    ASSERT_TRUE(ui::WaitGone(prefs));
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key));
    std::vector<fakeshell::HelpCall> help = help_.Calls();
    ASSERT_EQ(2u, help.size());
    EXPECT_EQ((UINT)HELP_CONTEXT, help[0].command);
    EXPECT_EQ(104, help[0].data);
    EXPECT_EQ((UINT)HELP_QUIT, help[1].command);

    // Clear without confirmation, and stay silent: both stored on OK, and
    // the next end of Windows searches and removes without asking.
    Choose('p');
    prefs = WaitForDialog(kPreferences);
    ASSERT_TRUE(prefs != NULL);
    EXPECT_TRUE(Checked(prefs, IDC_PREFS_ASK));
    SendMessageA(GetDlgItem(prefs, IDC_PREFS_ALWAYS), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(prefs, IDC_PREFS_MESSAGE), BM_CLICK, 0, 0);
    ui::ClickButton(prefs, IDOK);
    ASSERT_TRUE(ui::WaitGone(prefs));
    EXPECT_EQ(1, StoredSetting("Clear Trashcan"));
    EXPECT_EQ(0, StoredSetting("Show Message"));

    ASSERT_TRUE(files::MakeFile(InTrashcan('D', "deleted.txt"), 10));
    ASSERT_TRUE(files::MakeFile(InTrashcan('D', "salvora.inf"), 10));
    // Letters the driver marks protected that now name a floppy and a
    // network share: their Trashcans are not this machine's disks'.
    for (char drive : {'F', 'N'}) {
        ASSERT_TRUE(standin::Protect(drive));
        ASSERT_TRUE(files::MakeFile(InTrashcan(drive, "other.txt"), 10));
    }
    standin::TakeLog();
    {
        EndSession ending(window_);
        EXPECT_EQ(TRUE, ending.Answer());
    }
    EXPECT_TRUE(files::List(files::Trashcan('D')).empty());
    for (char drive : {'F', 'N'})
        EXPECT_TRUE(files::Exists(InTrashcan(drive, "other.txt"))) << drive;
    std::vector<unsigned> codes = standin::TakeCodes();
    EXPECT_EQ(26, Count(codes, 7));
    EXPECT_EQ(1, Count(codes, 12));

    // Never: Windows gets its answer without a search.
    Choose('p');
    prefs = WaitForDialog(kPreferences);
    ASSERT_TRUE(prefs != NULL);
    EXPECT_TRUE(Checked(prefs, IDC_PREFS_ALWAYS));
    EXPECT_FALSE(Checked(prefs, IDC_PREFS_MESSAGE));
    SendMessageA(GetDlgItem(prefs, IDC_PREFS_NEVER), BM_CLICK, 0, 0);
    ui::ClickButton(prefs, IDOK);
    ASSERT_TRUE(ui::WaitGone(prefs));
    EXPECT_EQ(0, StoredSetting("Clear Trashcan"));
    standin::TakeLog();
    {
        EndSession ending(window_);
        EXPECT_EQ(TRUE, ending.Answer());
    }
    EXPECT_TRUE(standin::TakeLog().empty());
}

TEST_F(TrayClearing, StoredSettingsAtTheNextStart)
{
    // Asking is the default: the list comes, and the answer to Windows
    // only once the user has chosen and the files are gone.
    ASSERT_TRUE(standin::Protect('E'));
    ASSERT_TRUE(files::MakeFile(InTrashcan('E', "x"), 10));
    PutSetting("Clear Trashcan", 7);
    Start();
    {
        EndSession ending(window_);
        HWND results = WaitForDialog(kResults);
        ASSERT_TRUE(results != NULL);
        EXPECT_TRUE(files::Exists(InTrashcan('E', "x")));
        ui::ClickButton(results, IDOK);
        EXPECT_EQ(TRUE, ending.Answer());
        EXPECT_FALSE(files::Exists(InTrashcan('E', "x")));
    }
    applet_.Kill();

    // A negative mode is never: no search at shutdown, no radio button in
    // the dialog, and OK stores 0.
    PutSetting("Clear Trashcan", (DWORD)-1);
    Start();
    {
        EndSession ending(window_);
        EXPECT_EQ(TRUE, ending.Answer());
    }
    EXPECT_TRUE(standin::TakeLog().empty());
    Choose('p');
    HWND prefs = WaitForDialog(kPreferences);
    ASSERT_TRUE(prefs != NULL);
    for (int id : {IDC_PREFS_NEVER, IDC_PREFS_ASK, IDC_PREFS_ALWAYS})
        EXPECT_FALSE(Checked(prefs, id));
    ui::ClickButton(prefs, IDOK);
    ASSERT_TRUE(ui::WaitGone(prefs));
    EXPECT_EQ(0, StoredSetting("Clear Trashcan"));
    EXPECT_EQ(1, StoredSetting("Show Message"));
    applet_.Kill();

    // "Show Message" 0: a start without the driver ends silently; a box
    // would hold the applet until someone answered it.
    PutSetting("Show Message", 0);
    ASSERT_TRUE(standin::SetAbsent(true));
    taskbar_.Clear();
    ASSERT_TRUE(applet_.Start(traytest::Applet()));
    DWORD code = 999;
    EXPECT_TRUE(applet_.WaitExit(ui::kWait, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(0u, taskbar_.Count());
}

// What the next start reads, as its preferences show it: only a 4-byte
// REG_DWORD is a setting, taken within the choices there are; anything else
// leaves the default.
using Settings = TrayClearing;

TEST_F(Settings, ReadClampedWithDefaultsForAnythingElse)
{
    const DWORD three = 3, two = 2, minusFive = (DWORD)-5, zero = 0, one = 1;
    const BYTE zeros[8] = {}, oneInBinary[4] = {1, 0, 0, 0};
    const char text[] = "a long string that would overrun a cell";
    struct Value {
        DWORD type;
        const void* data;
        DWORD size;
    };
    const struct {
        const char* what;
        Value clear, message;
        int radio;   // the radio button checked; 0: none
        bool shown;
    } cases[] = {
        {"beyond the choices", {REG_DWORD, &three, 4}, {REG_DWORD, &two, 4}, IDC_PREFS_ASK, true},
        {"negative: never", {REG_DWORD, &minusFive, 4}, {REG_DWORD, &zero, 4}, 0, false},
        {"a string, a longer binary", {REG_SZ, "1", 2}, {REG_BINARY, zeros, 8}, IDC_PREFS_ASK, true},
        {"a binary, a short DWORD", {REG_BINARY, oneInBinary, 4}, {REG_DWORD, zeros, 2}, IDC_PREFS_ASK, true},
        {"clear at once, a long string", {REG_DWORD, &one, 4}, {REG_SZ, text, sizeof text}, IDC_PREFS_ALWAYS,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PutSetting("Clear Trashcan", c.clear.type, c.clear.data, c.clear.size);
        PutSetting("Show Message", c.message.type, c.message.data, c.message.size);
        Start();
        Choose('p');
        HWND prefs = WaitForDialog(kPreferences);
        ASSERT_TRUE(prefs != NULL);
        for (int id : {IDC_PREFS_NEVER, IDC_PREFS_ASK, IDC_PREFS_ALWAYS})
            EXPECT_EQ(id == c.radio, Checked(prefs, id)) << id;
        EXPECT_EQ(c.shown, Checked(prefs, IDC_PREFS_MESSAGE));
        ui::ClickButton(prefs, IDCANCEL);
        ASSERT_TRUE(ui::WaitGone(prefs));
        applet_.Kill();
    }
}

}  // namespace
