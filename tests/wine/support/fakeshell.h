// Windows that play the parts of the shell a test needs: a taskbar that
// records notification-icon calls, and a help engine that records WinHelpA
// requests. Each runs its own thread with a message loop, so a program under
// test (in this process or another) can send to it while the test waits.
#ifndef SALVORA_TEST_FAKESHELL_H
#define SALVORA_TEST_FAKESHELL_H

#include <windows.h>
#include <string>
#include <vector>

namespace fakeshell {

// A window of its own class on its own thread; records what it was sent.
class RecorderWindow {
public:
    RecorderWindow();
    virtual ~RecorderWindow();
    RecorderWindow(const RecorderWindow&) = delete;
    RecorderWindow& operator=(const RecorderWindow&) = delete;

    HWND Window() const { return window_; }

protected:
    bool StartWindow(const char* cls);
    void StopWindow();
    virtual LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* data) = 0;
    CRITICAL_SECTION lock_;

private:
    static DWORD WINAPI Thread(void* self);
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    std::string cls_;
    HANDLE thread_ = NULL;
    HANDLE ready_ = NULL;
    HWND window_ = NULL;
};

struct IconCall {
    DWORD action;          // NIM_ADD, NIM_MODIFY, NIM_DELETE
    DWORD window;          // hWnd of the record
    UINT id;
    UINT flags;
    UINT callbackMessage;
    std::string tip;       // converted from the UTF-16 the shell passes on
    UINT width, height, planes, bpp;
    std::vector<BYTE> iconBits;   // mask bits, then colour bits
};

// Class Shell_TrayWnd. Shell_NotifyIconA delivers every call as a
// synchronous WM_COPYDATA; what OnCopyData returns is the call's result.
class FakeTaskbar : public RecorderWindow {
public:
    ~FakeTaskbar() override { Stop(); }
    bool Start();
    void Stop();
    std::vector<IconCall> Calls();
    size_t Count();
    bool WaitForCount(size_t n, DWORD timeoutMs = 10000);
    void Clear();
    void SetAnswer(BOOL answer);

protected:
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* data) override;

private:
    std::vector<IconCall> calls_;
    BOOL answer_ = TRUE;
};

// The bytes the shell transmits for an icon: its mask bits, then its colour
// bits, as GetBitmapBits gives them.
std::vector<BYTE> IconBits(HICON icon);

struct HelpCall {
    HWND caller;
    UINT command;
    LONG data;
    std::string file;
};

// Class MS_WINHELP: WinHelpA finds it and sends WM_COPYDATA with the request.
class FakeHelp : public RecorderWindow {
public:
    ~FakeHelp() override { Stop(); }
    bool Start();
    void Stop();
    std::vector<HelpCall> Calls();
    bool WaitForCount(size_t n, DWORD timeoutMs = 10000);
    void Clear();

protected:
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* data) override;

private:
    std::vector<HelpCall> calls_;
};

}  // namespace fakeshell

#endif
