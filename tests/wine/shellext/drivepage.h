// What the tests of the drive's "Salvora" page share: the page in a real
// property sheet, shown by the shell host in a process of its own and driven
// from here as a user would, and what it must send the driver and write to
// Salvora.ini beside the DLL.
#ifndef SALVORA_TEST_DRIVEPAGE_H
#define SALVORA_TEST_DRIVEPAGE_H

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "sext.h"
#include "support/files.h"
#include "support/standin.h"
#include "support/ui.h"

namespace drivepagetest {

const int kApplyButton = 0x3021;   // the sheet's Apply
const char kBadDayCount[] =
    "Invalid value for day count!\nThe value must be inside the range of 0 and 100.";
const char kCannotSave[] = "Cannot save the new configuration data!";
// The mutex whose owner is the one Apply that may write Salvora.ini.
const char kWriteBackTurn[] = "Salvora.ini write-back";

// The page's controls.
const int kTracking = 107, kDayCountOn = 108, kClear = 103, kUndelete = 109, kSlider = 110,
          kDayCount = 111, kSpin = 112, kPercentText = 114;

inline std::string IniPath()
{
    return files::InBin("Salvora.ini");
}

inline std::string HelpPath()
{
    return files::InBin("slvrsext.hlp");
}

inline bool WriteBytes(const std::string& path, const std::string& bytes)
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

inline void RemoveFile(const std::string& path)
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
inline std::string DriveLine(const std::string& value)
{
    std::string line = " Drive";
    line.resize(21, ' ');
    return line + "= " + value + "\r\n";
}

struct Geometry {
    unsigned long long cluster = 0;
    unsigned long long size = 0;
};

inline Geometry DiskOf(char letter)
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
inline std::vector<unsigned char> TrackedRecord(const Geometry& disk, unsigned percent, unsigned dayCount)
{
    unsigned long long limit = disk.size / 100 * percent;
    unsigned long long clusters = disk.cluster ? (limit + disk.cluster - 1) / disk.cluster : 0;
    if (clusters > 0xFFFF)
        clusters = 0xFFFF;
    return {4, 1, (unsigned char)(disk.cluster & 0xFF),
            (unsigned char)((disk.cluster >> 8) & 0xFF), (unsigned char)(clusters & 0xFF),
            (unsigned char)(clusters >> 8), (unsigned char)percent, (unsigned char)dayCount};
}

inline std::string PercentText(const Geometry& disk, unsigned percent)
{
    return std::to_string(percent) + "% (" + std::to_string(disk.size / 100 * percent / 1048576) +
           " MByte)";
}

// The settings requests (10 and 11) of a log.
inline std::vector<standin::Request> SettingsSent(const std::vector<standin::Request>& log)
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

}  // namespace drivepagetest

#endif
