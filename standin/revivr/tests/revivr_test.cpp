// REVIVR.EXE as the deliverables and the tests meet it: the command line it
// records in REVIVR.LOG, and the Trashcan its window lists.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kTrashcan[] = "C:\\RECYCLED\\TRASHCAN";

std::string BinDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of('\\') + 1);
}

std::string LogPath() { return BinDir() + "REVIVR.LOG"; }

std::string ReadFileFrom(const std::string& path, DWORD offset)
{
    std::string text;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return text;
    DWORD size = GetFileSize(h, NULL);
    if (size > offset) {
        text.resize(size - offset);
        DWORD got = 0;
        SetFilePointer(h, offset, NULL, FILE_BEGIN);
        ReadFile(h, &text[0], size - offset, &got, NULL);
        text.resize(got);
    }
    CloseHandle(h);
    return text;
}

DWORD FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

struct FindContext { DWORD pid; HWND found; };

BOOL CALLBACK FindRevivr(HWND hwnd, LPARAM lParam)
{
    FindContext* ctx = reinterpret_cast<FindContext*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64] = "", caption[64] = "";
    GetClassNameA(hwnd, cls, sizeof(cls));
    GetWindowTextA(hwnd, caption, sizeof(caption));
    if (pid == ctx->pid && !strcmp(cls, "RevivrWindow") && !strcmp(caption, "REVIVR")) {
        ctx->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// One REVIVR.EXE run: started with a given command line, its window found
// by bounded polling, closed the way the tests close it.
class RevivrRun {
public:
    explicit RevivrRun(const std::string& commandLine)
    {
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        std::vector<char> cmd(commandLine.begin(), commandLine.end());
        cmd.push_back('\0');
        const std::string exe = BinDir() + "REVIVR.EXE";
        started_ = CreateProcessA(exe.c_str(), cmd.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si,
                                  &pi_) != FALSE;
        startError_ = started_ ? 0 : GetLastError();
        for (int i = 0; started_ && i < 500 && !window_; i++) {
            FindContext ctx = {pi_.dwProcessId, NULL};
            EnumWindows(FindRevivr, reinterpret_cast<LPARAM>(&ctx));
            window_ = ctx.found;
            if (!window_ && WaitForSingleObject(pi_.hProcess, 20) == WAIT_OBJECT_0)
                break;
        }
    }
    ~RevivrRun()
    {
        if (started_) {
            if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0)
                TerminateProcess(pi_.hProcess, 1);
            CloseHandle(pi_.hThread);
            CloseHandle(pi_.hProcess);
        }
    }
    HWND window() const { return window_; }

    // Why there is no window, for a failure message.
    std::string Why() const
    {
        if (!started_)
            return "CreateProcessA failed, error " + std::to_string(startError_);
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code == STILL_ACTIVE ? "no window yet" : "ended with code " + std::to_string(code);
    }

    // The window can be enumerated while CreateWindowA is still making its
    // label and list: wait (bounded) for what the test reads, not for the
    // window. The caller then compares, so a wrong listing still shows.
    void WaitFor(const std::string& label, const std::vector<std::string>& files) const
    {
        for (int i = 0; i < 500 && (Label() != label || Files() != files); i++)
            Sleep(20);
    }

    std::string Label() const
    {
        char text[300] = "";
        GetWindowTextA(GetDlgItem(window_, 100), text, sizeof(text));
        return text;
    }

    std::vector<std::string> Files() const
    {
        std::vector<std::string> files;
        HWND list = GetDlgItem(window_, 101);
        LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
        // Wine 8 hands an ANSI LB_GETTEXT from another process back in
        // UTF-16, so ask in UTF-16 and convert.
        for (LRESULT i = 0; i < count; i++) {
            WCHAR wide[300] = L"";
            char text[300] = "";
            if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 300)
                SendMessageW(list, LB_GETTEXT, i, (LPARAM)wide);
            WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), NULL, NULL);
            files.push_back(text);
        }
        return files;
    }

    // True when WM_CLOSE ends the program with exit code 0.
    bool Close()
    {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        DWORD code = 1;
        return WaitForSingleObject(pi_.hProcess, 10000) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(pi_.hProcess, &code) && code == 0;
    }

private:
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
    DWORD startError_ = 0;
    HWND window_ = NULL;
};

class Revivr : public ::testing::Test {
protected:
    // A Trashcan on C: with two deleted files, the driver's index file and
    // a subdirectory; only what this fixture created is removed again.
    void SetUp() override
    {
        madeRecycled_ = CreateDirectoryA("C:\\RECYCLED", NULL) != FALSE;
        madeTrashcan_ = CreateDirectoryA(kTrashcan, NULL) != FALSE;
        ASSERT_NE(GetFileAttributesA(kTrashcan), INVALID_FILE_ATTRIBUTES);
        for (const char* name : {"deleted1.txt", "Report.doc", "salvora.inf"})
            Make(std::string(kTrashcan) + "\\" + name);
        ASSERT_TRUE(CreateDirectoryA("C:\\RECYCLED\\TRASHCAN\\sub", NULL));
        Make("C:\\RECYCLED\\TRASHCAN\\sub\\inner.txt");
        logStart_ = FileSize(LogPath());
    }
    void TearDown() override
    {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it)
            DeleteFileA(it->c_str());
        RemoveDirectoryA("C:\\RECYCLED\\TRASHCAN\\sub");
        if (madeTrashcan_) RemoveDirectoryA(kTrashcan);
        if (madeRecycled_) RemoveDirectoryA("C:\\RECYCLED");
    }
    void Make(const std::string& path)
    {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
        DWORD written;
        WriteFile(h, "x", 1, &written, NULL);
        CloseHandle(h);
        made_.push_back(path);
    }
    std::string Logged() const { return ReadFileFrom(LogPath(), logStart_); }
    static std::string Exe() { return BinDir() + "REVIVR.EXE"; }

    const std::vector<std::string> kListed = {"deleted1.txt", "Report.doc"};

private:
    bool madeRecycled_ = false, madeTrashcan_ = false;
    std::vector<std::string> made_;
    DWORD logStart_ = 0;
};

TEST_F(Revivr, DriveArgumentIsRecordedAndItsTrashcanListed)
{
    RevivrRun run("\"" + Exe() + "\"   C:\\ /drv");
    ASSERT_TRUE(run.window()) << run.Why();
    run.WaitFor(kTrashcan, kListed);
    EXPECT_EQ(run.Label(), kTrashcan);
    EXPECT_EQ(run.Files(), kListed);  // no index file, no subdirectory
    EXPECT_TRUE(run.Close());
    EXPECT_EQ(Logged(), "C:\\ /drv\r\n");
}

TEST_F(Revivr, FolderArgumentListsTheTrashcanOfItsDrive)
{
    RevivrRun run(Exe() + " c:\\some folder\\deeper");
    ASSERT_TRUE(run.window()) << run.Why();
    run.WaitFor(kTrashcan, kListed);
    EXPECT_EQ(run.Label(), kTrashcan);
    EXPECT_EQ(run.Files(), kListed);
    EXPECT_TRUE(run.Close());
    EXPECT_EQ(Logged(), "c:\\some folder\\deeper\r\n");
}

TEST_F(Revivr, EmptyCommandLineRecordsAnEmptyLineAndListsNothing)
{
    {
        RevivrRun run("\"" + Exe() + "\"");
        ASSERT_TRUE(run.window()) << run.Why();
        EXPECT_TRUE(run.Files().empty());
        EXPECT_TRUE(run.Close());
    }
    {
        RevivrRun run(Exe() + "  ");
        ASSERT_TRUE(run.window()) << run.Why();
        EXPECT_TRUE(run.Close());
    }
    EXPECT_EQ(Logged(), "\r\n\r\n");
}

TEST_F(Revivr, LongOrStrangeCommandLinesAreRecordedWhole)
{
    const std::string longTail = "D:\\" + std::string(6000, 'x') + " /drv";
    const std::string noDrive = "\\\\server\\share \"unbalanced";
    for (const std::string& tail : {longTail, noDrive}) {
        RevivrRun run(Exe() + " " + tail);
        ASSERT_TRUE(run.window()) << run.Why();
        EXPECT_TRUE(run.Close());
    }
    EXPECT_EQ(Logged(), longTail + "\r\n" + noDrive + "\r\n");
}

}  // namespace
