// The drive's "Salvora" page in a real property sheet, shown by the shell
// host in a process of its own and driven from here as a user would: what
// it shows, what it sends the driver (the stand-in's log) and the bytes of
// Salvora.ini afterwards. AddPages itself is also asked in this process.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string.h>

#include <iostream>
#include <string>
#include <vector>

#include "sext.h"
#include "tests/codepage932.h"
#include "support/fakeshell.h"
#include "support/files.h"
#include "support/revivr.h"
#include "support/standin.h"
#include "support/ui.h"

namespace {

using sext::Ptr;

const int kApplyButton = 0x3021;   // the sheet's Apply
const char kBadDayCount[] =
    "Invalid value for day count!\nThe value must be inside the range of 0 and 100.";
const char kCannotSave[] = "Cannot save the new configuration data!";
// The mutex whose owner is the one Apply that may write Salvora.ini.
const char kWriteBackTurn[] = "Salvora.ini write-back";

// The page's controls.
const int kTracking = 107, kDayCountOn = 108, kClear = 103, kUndelete = 109, kSlider = 110,
          kDayCount = 111, kSpin = 112, kPercentText = 114;

std::string IniPath()
{
    return files::InBin("Salvora.ini");
}

std::string HelpPath()
{
    return files::InBin("slvrsext.hlp");
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, NULL) &&
              written == bytes.size();
    CloseHandle(h);
    return ok;
}

void RemoveFile(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

// A file of the bin folder that a test may create or change: whatever was
// there before comes back afterwards.
class FileKeeper {
public:
    explicit FileKeeper(const std::string& path) : path_(path)
    {
        existed_ = files::Exists(path_);
        if (existed_)
            bytes_ = files::ReadText(path_);
        RemoveFile(path_);
    }
    ~FileKeeper()
    {
        RemoveFile(path_);
        if (existed_)
            WriteBytes(path_, bytes_);
    }

private:
    std::string path_;
    bool existed_ = false;
    std::string bytes_;
};

// A key line as the INI store writes it: the "=" in column 21.
std::string DriveLine(const std::string& value)
{
    std::string line = " Drive";
    line.resize(21, ' ');
    return line + "= " + value + "\r\n";
}

struct Geometry {
    unsigned long long cluster = 0;
    unsigned long long size = 0;
};

Geometry DiskOf(char letter)
{
    char root[] = {letter, ':', '\\', 0};
    DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
    GetDiskFreeSpaceA(root, &spc, &bps, &freeClusters, &total);
    Geometry g;
    g.cluster = (unsigned long long)spc * bps;
    g.size = g.cluster * total;
    return g;
}

// The record the page must send for D: with tracking on.
std::vector<unsigned char> TrackedRecord(const Geometry& disk, unsigned percent, unsigned dayCount)
{
    unsigned long long limit = disk.size / 100 * percent;
    unsigned long long clusters = disk.cluster ? (limit + disk.cluster - 1) / disk.cluster : 0;
    if (clusters > 0xFFFF)
        clusters = 0xFFFF;
    return {4, 1, (unsigned char)(disk.cluster & 0xFF),
            (unsigned char)((disk.cluster >> 8) & 0xFF), (unsigned char)(clusters & 0xFF),
            (unsigned char)(clusters >> 8), (unsigned char)percent, (unsigned char)dayCount};
}

std::string PercentText(const Geometry& disk, unsigned percent)
{
    return std::to_string(percent) + "% (" + std::to_string(disk.size / 100 * percent / 1048576) +
           " MByte)";
}

// The settings requests (10 and 11) of a log.
std::vector<standin::Request> SettingsSent(const std::vector<standin::Request>& log)
{
    std::vector<standin::Request> sent;
    for (const standin::Request& r : log)
        if (r.code == 10 || r.code == 11)
            sent.push_back(r);
    return sent;
}

// One property sheet of the shell host with the drive page in it.
class Sheet {
public:
    ~Sheet() { host_.Kill(); }

    // An inert page (it could not read its drive) never enables Apply.
    bool Open(const std::string& args, bool live = true)
    {
        if (!host_.Start(sext::ShellHostPath(), "props " + args))
            return false;
        sheet_ = ui::WaitForWindow("#32770", NULL, ui::kWait, host_.Id());
        if (!sheet_)
            return false;
        ui::WaitUntil([&] {
            page_ = FindWindowExA(sheet_, NULL, "#32770", NULL);
            return page_ && GetDlgItem(page_, kTracking) && IsWindowVisible(page_);
        });
        // The page reports itself changed once more when the sheet is up
        // (a posted message): what a test reads next waits for that.
        if (live)
            ui::WaitUntil([&] { return ApplyEnabled(); });
        return page_ && IsWindowVisible(page_);
    }

    HWND Page() const { return page_; }
    DWORD Pid() const { return host_.Id(); }

    bool Checked(int id) const
    {
        return SendDlgItemMessageA(page_, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(page_, id)) != FALSE; }
    std::string Text(int id) const { return ui::ControlText(page_, id); }
    int Percent() const { return (int)SendDlgItemMessageA(page_, kSlider, TBM_GETPOS, 0, 0); }
    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(sheet_, kApplyButton)) != FALSE; }

    // A click on a check box, as the user makes it; true once its state has
    // turned.
    bool Click(int id)
    {
        bool before = Checked(id);
        PostMessageA(GetDlgItem(page_, id), BM_CLICK, 0, 0);
        return ui::WaitUntil([&] { return Checked(id) != before; });
    }
    void Press(int id) { ui::ClickButton(page_, id); }
    void TypeDayCount(const std::string& text)
    {
        SendMessageA(GetDlgItem(page_, kDayCount), WM_SETTEXT, 0, (LPARAM)text.c_str());
    }
    // The slider moved to a position, as dragging it ends there.
    void MoveSlider(int position)
    {
        HWND slider = GetDlgItem(page_, kSlider);
        SendMessageA(slider, TBM_SETPOS, TRUE, position);
        SendMessageA(page_, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), (LPARAM)slider);
    }

    // Apply, when the page takes it: the sheet disables the button again.
    bool Apply()
    {
        ui::ClickButton(sheet_, kApplyButton);
        return ui::WaitUntil([&] { return !ApplyEnabled(); });
    }
    void PressApply() { ui::ClickButton(sheet_, kApplyButton); }
    void PressOk() { ui::ClickButton(sheet_, IDOK); }
    bool Ok()
    {
        PressOk();
        return Closed();
    }
    bool Cancel()
    {
        ui::ClickButton(sheet_, IDCANCEL);
        return Closed();
    }
    bool Closed(DWORD timeoutMs = ui::kWait) { return host_.WaitExit(timeoutMs); }

private:
    files::Process host_;
    HWND sheet_ = NULL;
    HWND page_ = NULL;
};

class DrivePage : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        files::Process host;
        ASSERT_TRUE(host.Start(sext::ShellHostPath(), "register \"" + sext::BinDllPath() + "\""));
        DWORD code = 1;
        ASSERT_TRUE(host.WaitExit(ui::kWait, &code));
        ASSERT_EQ(0u, code);
    }
    static void TearDownTestSuite()
    {
        files::Process host;
        if (host.Start(sext::ShellHostPath(), "unregister"))
            host.WaitExit(ui::kWait);
    }

    void SetUp() override
    {
        ASSERT_TRUE(standin::Reset()) << "stand-in driver not loaded";
        standin::TakeLog();
    }
    void TearDown() override { standin::Reset(); }

    FileKeeper ini_{IniPath()};
    const Geometry d_ = DiskOf('D');
};

// --- what the page shows --------------------------------------------------

TEST_F(DrivePage, OpensWithTheDrivesSettings)
{
    // Tracking off shows the defaults, 5 % and 5 days, whatever the record
    // says; the day-count box follows the record all the same.
    const struct Case {
        bool tracking;
        BYTE percent, dayCount;
        int shownPercent;
        const char* shownDays;
        bool dayCountChecked;
    } cases[] = {
        {true, 10, 7, 10, "7", true},
        {true, 25, 0, 25, "0", false},
        {false, 30, 9, 5, "5", true},
        {false, 0, 0, 5, "5", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "tracking " << c.tracking << " " << (int)c.percent
                                        << "% " << (int)c.dayCount << " days");
        ASSERT_TRUE(standin::SetDrive(4, c.tracking, 4096, 100, c.percent, c.dayCount));
        Sheet sheet;
        ASSERT_TRUE(sheet.Open("D:\\"));
        EXPECT_EQ(c.tracking, sheet.Checked(kTracking));
        EXPECT_EQ(c.dayCountChecked, sheet.Checked(kDayCountOn));
        EXPECT_EQ(c.shownPercent, sheet.Percent());
        EXPECT_EQ(c.shownDays, sheet.Text(kDayCount));
        EXPECT_EQ(PercentText(d_, c.shownPercent), sheet.Text(kPercentText));
        // Only the tracking box stays usable without tracking; the day
        // count's edit and arrows follow their own box.
        EXPECT_TRUE(sheet.Enabled(kTracking));
        for (int id : {kSlider, kDayCountOn, kPercentText, kClear, kUndelete, 100, 101, 102, 120,
                       121, 122, 123, 124})
            EXPECT_EQ(c.tracking, sheet.Enabled(id)) << id;
        for (int id : {kDayCount, kSpin})
            EXPECT_EQ(c.tracking && c.dayCountChecked, sheet.Enabled(id)) << id;
        EXPECT_TRUE(sheet.ApplyEnabled());
        // The controls stand in their tab order.
        std::vector<int> ids;
        for (HWND w = GetWindow(GetDlgItem(sheet.Page(), kTracking), GW_HWNDFIRST); w;
             w = GetWindow(w, GW_HWNDNEXT))
            ids.push_back(GetDlgCtrlID(w));
        EXPECT_EQ((std::vector<int>{107, 110, 108, 111, 112, 103, 109, 100, 121, 114, 120, 101,
                                    102, 123, 124, 122}),
                  ids);
        EXPECT_TRUE(sheet.Cancel());
    }
}

// --- what it sends and writes ---------------------------------------------

TEST_F(DrivePage, OkWithoutChangesStillSendsAndRewrites)
{
    // The page counts as changed from the start: OK alone applies it.
    const struct Case {
        bool tracking;
        std::string ini;
    } cases[] = {
        {true, "[Salvora]\r\n" + DriveLine("D:,10%,7") + DriveLine("E:,20%,0")},
        {false, "[Salvora]\r\n" + DriveLine("E:,20%,0")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tracking ? "tracking on" : "tracking off");
        RemoveFile(IniPath());
        ASSERT_TRUE(standin::SetDrive(4, c.tracking, 4096, 100, 10, 7));
        ASSERT_TRUE(standin::SetDrive(5, true, 4096, 100, 20, 0));
        Sheet sheet;
        ASSERT_TRUE(sheet.Open("D:\\"));
        standin::TakeLog();
        ASSERT_TRUE(sheet.Ok());

        // Every drive's record first, then the drive's own request.
        std::vector<standin::Request> log = standin::TakeLog();
        ASSERT_EQ(27u, log.size()) << standin::Describe(log);
        for (unsigned drive = 1; drive <= 26; ++drive) {
            EXPECT_EQ(7u, log[drive - 1].code);
            EXPECT_EQ((std::vector<unsigned char>{(unsigned char)drive, 0, 0, 0}),
                      log[drive - 1].in);
        }
        EXPECT_EQ(c.tracking ? 10u : 11u, log[26].code);
        const std::vector<unsigned char> off = {4, 0};
        EXPECT_EQ(c.tracking ? TrackedRecord(d_, 10, 7) : off, log[26].in);
        EXPECT_EQ(c.ini, files::ReadText(IniPath()));
    }
}

TEST_F(DrivePage, DayCountSyntax)
{
    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 9));
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("D:\\"));
    // -1: refused with the message, and the page stays. The whole syntax
    // is the native tests'; here each kind of text meets the real edit.
    const struct Case {
        std::string text;
        int dayCount;
    } cases[] = {
        {"100", 100}, {"0", 0}, {" 7", 7}, {"+8", 8}, {"$1F", 31},
        {std::string(49, '0') + "6", 6}, {"150", -1}, {"12a", -1}, {"7 ", -1}, {"-1", -1},
        {"", -1}, {"$65", -1}, {"2147483648", -1}, {std::string(50, '0') + "6", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        standin::TakeLog();
        sheet.TypeDayCount(c.text);
        if (c.dayCount >= 0) {
            ASSERT_TRUE(sheet.Apply());
            std::vector<standin::Request> sent = SettingsSent(standin::TakeLog());
            ASSERT_EQ(1u, sent.size());
            EXPECT_EQ(TrackedRecord(d_, 10, c.dayCount), sent[0].in);
            continue;
        }
        sheet.PressApply();
        ui::MessageBoxInfo box;
        ASSERT_TRUE(ui::WaitForMessageBox(&box, sext::kMessageCaption, ui::kWait, sheet.Pid()));
        EXPECT_EQ(kBadDayCount, box.text);
        EXPECT_TRUE(ui::Dismiss(box.window));
        EXPECT_TRUE(IsWindowVisible(sheet.Page()));
        EXPECT_TRUE(sheet.ApplyEnabled());
        EXPECT_TRUE(SettingsSent(standin::TakeLog()).empty());
    }

    // The day count switched off: 0, whatever the edit holds.
    ASSERT_TRUE(sheet.Click(kDayCountOn));
    EXPECT_FALSE(sheet.Enabled(kDayCount));
    EXPECT_FALSE(sheet.Enabled(kSpin));
    sheet.TypeDayCount("12a");
    standin::TakeLog();
    ASSERT_TRUE(sheet.Ok());
    std::vector<standin::Request> sent = SettingsSent(standin::TakeLog());
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(TrackedRecord(d_, 10, 0), sent[0].in);
    EXPECT_EQ("[Salvora]\r\n" + DriveLine("D:,10%,0"), files::ReadText(IniPath()));
}

TEST_F(DrivePage, TrackingOffForOneDriveKeepsTheOthers)
{
    ASSERT_TRUE(standin::SetDrive(3, true, 4096, 100, 10, 5));
    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 15, 0));
    ASSERT_TRUE(standin::SetDrive(5, true, 4096, 100, 20, 0));
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("D:\\"));
    ASSERT_TRUE(sheet.Click(kTracking));
    EXPECT_TRUE(sheet.Enabled(kTracking));
    for (int id : {kSlider, kDayCountOn, kDayCount, kSpin, kPercentText, kClear, kUndelete, 100,
                   101, 102, 120, 121, 122, 123, 124})
        EXPECT_FALSE(sheet.Enabled(id)) << id;
    standin::TakeLog();
    ASSERT_TRUE(sheet.Apply());
    std::vector<standin::Request> sent = SettingsSent(standin::TakeLog());
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(11u, sent[0].code);
    EXPECT_EQ(2u, sent[0].inSize);
    EXPECT_EQ((std::vector<unsigned char>{4, 0}), sent[0].in);
    EXPECT_EQ("[Salvora]\r\n" + DriveLine("C:,10%,5") + DriveLine("E:,20%,0"),
              files::ReadText(IniPath()));

    // And on again: D: takes its place between them.
    ASSERT_TRUE(sheet.Click(kTracking));
    EXPECT_TRUE(sheet.Enabled(kSlider));
    ASSERT_TRUE(sheet.Ok());
    sent = SettingsSent(standin::TakeLog());
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(TrackedRecord(d_, 15, 0), sent[0].in);
    EXPECT_EQ("[Salvora]\r\n" + DriveLine("C:,10%,5") + DriveLine("D:,15%,0") +
                  DriveLine("E:,20%,0"),
              files::ReadText(IniPath()));
}

TEST_F(DrivePage, TheRestOfTheFileStaysAsItWas)
{
    const std::string head = "; Salvora settings\r\n[Other]\r\nKey = Value ; note\r\n\r\n[Salvora]\r\n";
    const std::string tail = "Version=2\r\n\r\n[Last]\r\nx=1\r\n";
    const std::string old = "Drive = D:,50%,3\r\n Drive=F:,10%,0\r\n";
    // With no drive tracked any more, the old entries go: they would claim
    // tracking for drives that have none.
    const struct Case {
        bool tracking;
        std::string entries;
    } cases[] = {
        {true, DriveLine("D:,10%,7")},
        {false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tracking ? "tracking on" : "tracking off");
        ASSERT_TRUE(WriteBytes(IniPath(), head + old + tail));
        ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 7));
        Sheet sheet;
        ASSERT_TRUE(sheet.Open("D:\\"));
        if (!c.tracking) {
            ASSERT_TRUE(sheet.Click(kTracking));
        }
        ASSERT_TRUE(sheet.Ok());
        EXPECT_EQ(head + c.entries + tail, files::ReadText(IniPath()));
    }
}

TEST_F(DrivePage, CancelSendsAndWritesNothing)
{
    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 7));
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("D:\\"));
    sheet.MoveSlider(50);
    sheet.TypeDayCount("20");
    ASSERT_TRUE(sheet.Click(kTracking));
    standin::TakeLog();
    ASSERT_TRUE(sheet.Cancel());
    EXPECT_TRUE(standin::TakeLog().empty());
    EXPECT_FALSE(files::Exists(IniPath()));
}

// Another program's handle on the file: shared for reading only, the file
// can be read but not written; shared for nothing, it cannot even be read.
HANDLE HoldOpen(const std::string& path, DWORD share)
{
    return CreateFileA(path.c_str(), GENERIC_READ, share, NULL, OPEN_EXISTING, 0, NULL);
}

// Whether a read-only file refuses writing here (root's Wine writes it).
bool ReadOnlyIsEnforced()
{
    const std::string probe = files::InBin("readonly.probe");
    RemoveFile(probe);
    if (!WriteBytes(probe, "x") || !SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_READONLY))
        return false;
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    RemoveFile(probe);
    return h == INVALID_HANDLE_VALUE;
}

// A UTF-16 file as Notepad saves "Unicode" text.
std::string Utf16(const std::string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char c : text)
        bytes += std::string(1, c) + '\0';
    return bytes;
}

TEST_F(DrivePage, AFileThatCannotBeWrittenIsReported)
{
    const std::string ansi = "[Salvora]\r\n Drive = D:,50%,3\r\n";
    enum How { ReadOnly, OpenForReading, Locked, Unicode, TurnNeverEnds };
    const struct Case {
        How how;
        const char* name;
    } cases[] = {
        {ReadOnly, "read-only"},
        {OpenForReading, "open elsewhere for reading"},
        {Locked, "locked"},
        {Unicode, "UTF-16 text"},
        {TurnNeverEnds, "another write-back never ends"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.how == ReadOnly && !ReadOnlyIsEnforced()) {
            std::cout << "[   NOTE   ] read-only files are written here (root)\n";
            continue;
        }
        const std::string before = c.how == Unicode ? Utf16(ansi) : ansi;
        RemoveFile(IniPath());
        ASSERT_TRUE(WriteBytes(IniPath(), before));
        HANDLE held = INVALID_HANDLE_VALUE;
        HANDLE turn = NULL;
        if (c.how == ReadOnly)
            ASSERT_TRUE(SetFileAttributesA(IniPath().c_str(), FILE_ATTRIBUTE_READONLY));
        else if (c.how == OpenForReading || c.how == Locked)
            held = HoldOpen(IniPath(), c.how == OpenForReading ? FILE_SHARE_READ : 0);
        else if (c.how == TurnNeverEnds)
            turn = CreateMutexA(NULL, TRUE, kWriteBackTurn);
        ASSERT_TRUE(c.how == ReadOnly || c.how == Unicode || held != INVALID_HANDLE_VALUE ||
                    turn != NULL);

        ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 7));
        Sheet sheet;
        ASSERT_TRUE(sheet.Open("D:\\"));
        standin::TakeLog();
        sheet.PressOk();
        // The page waits its bounded time for a turn that never comes.
        ui::MessageBoxInfo box;
        ASSERT_TRUE(ui::WaitForMessageBox(&box, sext::kMessageCaption, 3 * ui::kWait, sheet.Pid()));
        EXPECT_EQ(kCannotSave, box.text);
        // The driver has the new settings already.
        std::vector<standin::Request> sent = SettingsSent(standin::TakeLog());
        ASSERT_EQ(1u, sent.size());
        EXPECT_EQ(TrackedRecord(d_, 10, 7), sent[0].in);
        EXPECT_TRUE(ui::Dismiss(box.window));
        EXPECT_TRUE(sheet.Closed());
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        if (turn) {
            ReleaseMutex(turn);
            CloseHandle(turn);
        }
        EXPECT_EQ(before, files::ReadText(IniPath()));
    }
}

TEST_F(DrivePage, ARecordTheDriverDoesNotGiveChangesNothing)
{
    // E:'s record failing or coming short at Apply, or the driver gone: the
    // driver still gets what was set, and the file stays, as the user is told.
    const std::string before = "; mine\r\n[Salvora]\r\nDrive=D:,50%,3\r\n Drive = E:,20%,0\r\n";
    const std::pair<BYTE, bool> atApply[] = {{VSCTL_ANSWER_FAIL, false}, {3, false}, {VSCTL_ANSWER_FULL, true}};
    for (const auto& c : atApply) {
        SCOPED_TRACE(testing::Message() << (int)c.first << (c.second ? " absent" : ""));
        ASSERT_TRUE(standin::Reset() && WriteBytes(IniPath(), before));
        ASSERT_TRUE(standin::SetDrive(4, true) && standin::SetDrive(5, true, 4096, 100, 20, 0));
        Sheet sheet;
        ASSERT_TRUE(sheet.Open("D:\\"));
        ASSERT_TRUE(standin::SetAnswer('E', c.first) && standin::SetAbsent(c.second));
        standin::TakeLog();
        sheet.PressOk();
        ui::MessageBoxInfo box;
        ASSERT_TRUE(ui::WaitForMessageBox(&box, sext::kMessageCaption, ui::kWait, sheet.Pid()));
        EXPECT_EQ(kCannotSave, box.text);
        EXPECT_EQ(c.second ? 0u : 1u, SettingsSent(standin::TakeLog()).size());
        EXPECT_TRUE(ui::Dismiss(box.window) && sheet.Closed());
        EXPECT_EQ(before, files::ReadText(IniPath()));
    }

    // The page's own record failing or short: an inert page, and OK neither
    // switches the drive off nor writes.
    for (BYTE answer : {(BYTE)VSCTL_ANSWER_FAIL, (BYTE)7}) {
        ASSERT_TRUE(standin::Reset() && standin::Protect('D') && standin::SetAnswer('D', answer));
        RemoveFile(IniPath());
        Sheet sheet;
        ASSERT_TRUE(sheet.Open("D:\\", false));
        EXPECT_FALSE(sheet.Enabled(kTracking) || sheet.ApplyEnabled()) << (int)answer;
        ASSERT_TRUE(standin::SetAnswer('D', VSCTL_ANSWER_FULL) && sheet.Ok());
        EXPECT_TRUE(SettingsSent(standin::TakeLog()).empty()) << (int)answer;
        EXPECT_FALSE(files::Exists(IniPath())) << (int)answer;
    }
}

TEST_F(DrivePage, EntriesThatStandAsTheyWereAreNotRewritten)
{
    const std::string entries = "[Salvora]\r\n" + DriveLine("D:,10%,7");
    ASSERT_TRUE(WriteBytes(IniPath(), entries));
    HANDLE h = CreateFileA(IniPath().c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING, 0,
                           NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    FILETIME old = {0x5F4A0000, 0x01C0F2B0};   // 2001
    ASSERT_TRUE(SetFileTime(h, NULL, NULL, &old));
    CloseHandle(h);
    // Open elsewhere for reading too: a write would fail and say so.
    HANDLE held = HoldOpen(IniPath(), FILE_SHARE_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 7));
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("D:\\"));
    standin::TakeLog();
    ASSERT_TRUE(sheet.Ok());
    CloseHandle(held);
    EXPECT_EQ(1u, SettingsSent(standin::TakeLog()).size());
    EXPECT_EQ(entries, files::ReadText(IniPath()));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(IniPath().c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(0, CompareFileTime(&old, &data.ftLastWriteTime));
}

TEST_F(DrivePage, TwoSheetsAppliedTogetherKeepBothDrives)
{
    // Each sheet has its own process here, as with a second shell; a slow
    // driver holds both Applies between the records they read and the file
    // they write.
    Sheet d, e;
    ASSERT_TRUE(d.Open("D:\\"));
    ASSERT_TRUE(e.Open("E:\\"));
    ASSERT_TRUE(d.Click(kTracking));
    ASSERT_TRUE(e.Click(kTracking));
    ASSERT_TRUE(standin::SetDelay(100));
    d.PressOk();
    e.PressOk();
    EXPECT_TRUE(d.Closed(3 * ui::kWait));
    EXPECT_TRUE(e.Closed(3 * ui::kWait));
    ASSERT_TRUE(standin::SetDelay(0));

    VSCTL_STATUS status;
    ASSERT_TRUE(standin::Status(&status));
    EXPECT_EQ(1, status.drives[3][1]);  // the enabled byte
    EXPECT_EQ(1, status.drives[4][1]);
    EXPECT_EQ("[Salvora]\r\n" + DriveLine("D:,5%,0") + DriveLine("E:,5%,0"),
              files::ReadText(IniPath()));
}

// --- the page's drive, buttons and help -------------------------------------

TEST_F(DrivePage, ThePageKeepsItsDrive)
{
    // The shell selects E: for another menu while the sheet for D: is up
    // (and the shell named D: in lower case).
    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 7));
    ASSERT_TRUE(standin::SetDrive(5, true, 4096, 100, 40, 3));
    revivr::Watch revivr;
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("--reselect E:\\ d:\\"));
    EXPECT_EQ(10, sheet.Percent());
    EXPECT_EQ("7", sheet.Text(kDayCount));

    sheet.Press(kUndelete);
    EXPECT_TRUE(revivr.CloseNext());
    EXPECT_EQ("D:\\ /drv\r\n", revivr.NewLog());

    // Its Clear Trashcan scans D:, in dialogs owned by the sheet.
    files::RemoveTree("D:\\RECYCLED");
    ASSERT_TRUE(files::MakeDirs(files::Trashcan('D')));
    ASSERT_TRUE(files::MakeFile(files::Trashcan('D') + "\\deleted", 10));
    ASSERT_TRUE(standin::SetDelay(500));
    sheet.Press(kClear);
    HWND scan = ui::WaitForWindow("#32770", "Salvora: Scanning for deleted files", ui::kWait, sheet.Pid());
    ASSERT_TRUE(scan != NULL);
    EXPECT_EQ(GetParent(sheet.Page()), GetWindow(scan, GW_OWNER));
    ASSERT_TRUE(standin::SetDelay(0));
    ui::MessageBoxInfo question;
    ASSERT_TRUE(ui::WaitForMessageBox(&question, "Salvora", ui::kWait, sheet.Pid()));
    EXPECT_NE(std::string::npos, question.text.find("1 deleted files  (1 KByte)\nin the Salvora Trashcan of drive  D:."));
    ui::Dismiss(question.window, IDNO);
    files::RemoveTree("D:\\RECYCLED");

    sheet.MoveSlider(20);
    EXPECT_EQ(PercentText(d_, 20), sheet.Text(kPercentText));
    standin::TakeLog();
    ASSERT_TRUE(sheet.Ok());
    std::vector<standin::Request> sent = SettingsSent(standin::TakeLog());
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(TrackedRecord(d_, 20, 7), sent[0].in);
    EXPECT_EQ("[Salvora]\r\n" + DriveLine("D:,20%,7") + DriveLine("E:,40%,3"),
              files::ReadText(IniPath()));
    revivr.CloseAll();
}

TEST_F(DrivePage, HelpPopUps)
{
    FileKeeper help(HelpPath());
    fakeshell::FakeHelp engine;
    ASSERT_TRUE(engine.Start());
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("D:\\"));
    // The page's own controls have topics in its help file; any other
    // control gets the empty pop-up.
    ASSERT_TRUE(WriteBytes(HelpPath(), "help"));
    for (int control : {kTracking, kClear, kSpin, kDayCount, 122}) {
        engine.Clear();
        ui::AskForHelp(sheet.Page(), control);
        ASSERT_TRUE(engine.WaitForCount(1)) << control;
        fakeshell::HelpCall call = engine.Calls()[0];
        EXPECT_EQ((UINT)HELP_CONTEXTPOPUP, call.command) << control;
        EXPECT_EQ(control == 122 ? 0 : control, call.data) << control;
        if (control == 122)
            EXPECT_EQ("", call.file);
        else
            EXPECT_EQ(0, lstrcmpiA(HelpPath().c_str(), call.file.c_str())) << call.file;
    }
    // Without the file only a beep answers, and the help engine is not asked.
    RemoveFile(HelpPath());
    engine.Clear();
    ui::AskForHelp(sheet.Page(), kTracking);
    ui::AskForHelp(sheet.Page(), 122);
    ASSERT_TRUE(engine.WaitForCount(1));
    EXPECT_EQ(0, engine.Calls()[0].data);
    EXPECT_TRUE(sheet.Cancel());
}

// --- AddPages, in this process ---------------------------------------------

// A sheet that takes the pages it is given, or (null) refuses them.
BOOL CALLBACK KeepPage(HPROPSHEETPAGE page, LPARAM lParam)
{
    if (!lParam)
        return FALSE;
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(lParam)->push_back(page);
    return TRUE;
}

INT_PTR CALLBACK NoDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Whether this comctl32 counts a page in its reference parent.
bool CountsReferenceParents()
{
    UINT count = 0;
    PROPSHEETPAGEA description;
    memset(&description, 0, sizeof description);
    description.dwSize = PROPSHEETPAGEA_V1_SIZE;
    description.dwFlags = PSP_USEREFPARENT;
    description.hInstance = sext::Bin().module;
    description.pszTemplate = MAKEINTRESOURCEA(3300);
    description.pfnDlgProc = NoDialog;
    description.pcRefParent = &count;
    HPROPSHEETPAGE page = CreatePropertySheetPageA(&description);
    UINT counted = count;
    if (page)
        DestroyPropertySheetPage(page);
    return counted == 1;
}

TEST(DrivePageAdded, OnlyForFixedAndRamDrives)
{
    ASSERT_TRUE(standin::Reset());
    // A sheet that refuses the page gets it destroyed again.
    const struct Case {
        const char* path;
        HRESULT result;
        bool refused = false;
    } cases[] = {
        {"D:\\", S_OK},   {"M:\\", S_OK},   {"d:\\", S_OK},   {"F:\\", E_FAIL},
        {"N:\\", E_FAIL}, {"R:\\", E_FAIL}, {"@:\\", E_FAIL}, {"`:\\", E_FAIL},
        {"{:\\", E_FAIL}, {"\\\\SERVER\\SHARE", E_FAIL},
        {"D:\\", E_FAIL, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::vector<HPROPSHEETPAGE> pages;
        {
            Ptr<IShellExtInit> init(sext::Bin().Handler(CLSID_SalvoraDriveHandler, {c.path}));
            ASSERT_TRUE(init);
            Ptr<IShellPropSheetExt> ext(sext::Sheet(init.get()));
            ASSERT_TRUE(ext);
            LPARAM sheet = c.refused ? 0 : reinterpret_cast<LPARAM>(&pages);
            EXPECT_EQ(c.result, ext->AddPages(KeepPage, sheet));
        }
        EXPECT_EQ(c.result == S_OK ? 1u : 0u, pages.size());
        for (HPROPSHEETPAGE page : pages)
            EXPECT_TRUE(DestroyPropertySheetPage(page));
        EXPECT_EQ(S_OK, sext::Bin().CanUnloadNow());
    }
}

// The Japanese edition (code page 932), with the extension installed in a
// folder whose name ends in "表", 0x95 0x5C, under a name that ends in it
// too: its Salvora.ini is the one in that folder, rewritten there.
const char kDllName[] = "slvrsext" SJIS_HYO ".dll";

class DrivePageOnCodePage932 : public DrivePage {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(932u, GetACP()) << "run under SALVORA_ANSI_CODEPAGE=932 (scripts/wine-run)";
        Dir() = files::ScratchDir("page") + "\\Salvora" SJIS_HYO;
        ASSERT_TRUE(files::MakeDirs(Dir()));
        ASSERT_TRUE(files::Copy(sext::BinDllPath(), Dir() + "\\" + kDllName));
        files::Process host;
        ASSERT_TRUE(
            host.Start(sext::ShellHostPath(), "register \"" + Dir() + "\\" + kDllName + "\""));
        DWORD code = 1;
        ASSERT_TRUE(host.WaitExit(ui::kWait, &code));
        ASSERT_EQ(0u, code);
    }
    static void TearDownTestSuite()
    {
        DrivePage::TearDownTestSuite();
        files::RemoveTree(files::Parent(Dir()));
    }
    static std::string& Dir()
    {
        static std::string dir;
        return dir;
    }
};

TEST_F(DrivePageOnCodePage932, SalvoraIniBesideTheDllInAFolderEndingInABackslashByte)
{
    const std::string ini = Dir() + "\\Salvora.ini";
    ASSERT_TRUE(WriteBytes(ini, "; kept\r\n[Salvora]\r\n" + DriveLine("C:,5%,0")));
    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 7));
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("D:\\"));
    ASSERT_TRUE(sheet.Ok());
    EXPECT_EQ("; kept\r\n[Salvora]\r\n" + DriveLine("D:,10%,7"), files::ReadText(ini));
    EXPECT_FALSE(files::Exists(IniPath()));
    // Nothing else was left in the folder: the new copy took the file's place.
    EXPECT_EQ((std::vector<std::string>{"Salvora.ini", kDllName}), files::List(Dir()));
}

// The page keeps the server loaded until it is destroyed, through the
// reference parent that comctl32 counts.
TEST(DrivePageAdded, KeepsTheServerLoadedWhileItLives)
{
    if (!CountsReferenceParents())
        GTEST_SKIP() << "this comctl32 does not count a page's reference parent (Wine 8's does not)";
    ASSERT_TRUE(standin::Reset());
    std::vector<HPROPSHEETPAGE> pages;
    {
        Ptr<IShellExtInit> init(sext::Bin().Handler(CLSID_SalvoraDriveHandler, {"D:\\"}));
        ASSERT_TRUE(init);
        Ptr<IShellPropSheetExt> ext(sext::Sheet(init.get()));
        ASSERT_TRUE(ext);
        EXPECT_EQ(S_OK, ext->AddPages(KeepPage, reinterpret_cast<LPARAM>(&pages)));
    }
    ASSERT_EQ(1u, pages.size());
    EXPECT_EQ(S_FALSE, sext::Bin().CanUnloadNow());
    EXPECT_TRUE(DestroyPropertySheetPage(pages[0]));
    EXPECT_EQ(S_OK, sext::Bin().CanUnloadNow());
}

}  // namespace
