#include "fakeshell.h"

#include <string.h>

#include "ui.h"

namespace fakeshell {

RecorderWindow::RecorderWindow() { InitializeCriticalSection(&lock_); }

RecorderWindow::~RecorderWindow()
{
    StopWindow();
    DeleteCriticalSection(&lock_);
}

bool RecorderWindow::StartWindow(const char* cls)
{
    if (thread_)
        return window_ != NULL;
    cls_ = cls;
    ready_ = CreateEventA(NULL, TRUE, FALSE, NULL);
    thread_ = CreateThread(NULL, 0, Thread, this, 0, NULL);
    if (!thread_)
        return false;
    WaitForSingleObject(ready_, 10000);
    CloseHandle(ready_);
    ready_ = NULL;
    return window_ != NULL;
}

void RecorderWindow::StopWindow()
{
    if (!thread_)
        return;
    if (window_)
        PostMessageA(window_, WM_CLOSE, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    thread_ = NULL;
    window_ = NULL;
}

DWORD WINAPI RecorderWindow::Thread(void* param)
{
    RecorderWindow* self = static_cast<RecorderWindow*>(param);
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = self->cls_.c_str();
    RegisterClassA(&wc);   // already registered by an earlier instance: fine
    self->window_ = CreateWindowExA(0, self->cls_.c_str(), "", WS_POPUP, 0, 0, 0, 0, NULL, NULL,
                                    wc.hInstance, self);
    SetEvent(self->ready_);
    if (!self->window_)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

LRESULT CALLBACK RecorderWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        CREATESTRUCTA* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)cs->lpCreateParams);
    }
    RecorderWindow* self = reinterpret_cast<RecorderWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_COPYDATA:
        return self ? self->OnCopyData((HWND)wParam, reinterpret_cast<COPYDATASTRUCT*>(lParam)) : 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Wine 8's platform-independent copy of NOTIFYICONDATA, as it arrives in
// WM_COPYDATA. Later Wine versions moved the icon header: this is Wine 8's.
namespace {
#pragma pack(push, 4)
struct NotifyData {
    LONG hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    WCHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    WCHAR szInfo[256];
    UINT uTimeout;
    WCHAR szInfoTitle[64];
    DWORD dwInfoFlags;
    GUID guidItem;
    UINT width;
    UINT height;
    UINT planes;
    UINT bpp;
};
#pragma pack(pop)
static_assert(sizeof(NotifyData) == 960, "Wine 8 notify data layout");
}  // namespace

bool FakeTaskbar::Start() { return StartWindow("Shell_TrayWnd"); }
void FakeTaskbar::Stop() { StopWindow(); }

LRESULT FakeTaskbar::OnCopyData(HWND, const COPYDATASTRUCT* cds)
{
    if (!cds || cds->cbData < sizeof(NotifyData))
        return FALSE;
    const NotifyData* d = static_cast<const NotifyData*>(cds->lpData);
    IconCall call;
    call.action = (DWORD)cds->dwData;
    call.window = (DWORD)d->hWnd;
    call.id = d->uID;
    call.flags = d->uFlags;
    call.callbackMessage = d->uCallbackMessage;
    char tip[256] = "";
    WCHAR wtip[129];
    memcpy(wtip, d->szTip, sizeof d->szTip);
    wtip[128] = 0;
    WideCharToMultiByte(CP_ACP, 0, wtip, -1, tip, sizeof tip, NULL, NULL);
    call.tip = tip;
    call.width = d->width;
    call.height = d->height;
    call.planes = d->planes;
    call.bpp = d->bpp;
    const BYTE* bits = static_cast<const BYTE*>(cds->lpData) + sizeof(NotifyData);
    call.iconBits.assign(bits, bits + (cds->cbData - sizeof(NotifyData)));
    EnterCriticalSection(&lock_);
    calls_.push_back(call);
    BOOL answer = answer_;
    LeaveCriticalSection(&lock_);
    return answer;
}

std::vector<IconCall> FakeTaskbar::Calls()
{
    EnterCriticalSection(&lock_);
    std::vector<IconCall> copy = calls_;
    LeaveCriticalSection(&lock_);
    return copy;
}

size_t FakeTaskbar::Count()
{
    EnterCriticalSection(&lock_);
    size_t n = calls_.size();
    LeaveCriticalSection(&lock_);
    return n;
}

bool FakeTaskbar::WaitForCount(size_t n, DWORD timeoutMs)
{
    return ui::WaitUntil([&] { return Count() >= n; }, timeoutMs);
}

void FakeTaskbar::Clear()
{
    EnterCriticalSection(&lock_);
    calls_.clear();
    LeaveCriticalSection(&lock_);
}

void FakeTaskbar::SetAnswer(BOOL answer)
{
    EnterCriticalSection(&lock_);
    answer_ = answer;
    LeaveCriticalSection(&lock_);
}

std::vector<BYTE> IconBits(HICON icon)
{
    std::vector<BYTE> out;
    ICONINFO info;
    if (!GetIconInfo(icon, &info))
        return out;
    BITMAP bm;
    if (info.hbmMask && GetObjectA(info.hbmMask, sizeof bm, &bm)) {
        size_t size = (size_t)bm.bmWidthBytes * bm.bmHeight;
        size_t at = out.size();
        out.resize(at + size);
        GetBitmapBits(info.hbmMask, (LONG)size, out.data() + at);
    }
    if (info.hbmColor && GetObjectA(info.hbmColor, sizeof bm, &bm)) {
        size_t size = (size_t)bm.bmWidthBytes * bm.bmHeight;
        size_t at = out.size();
        out.resize(at + size);
        GetBitmapBits(info.hbmColor, (LONG)size, out.data() + at);
    }
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return out;
}

// What WinHelpA sends (Wine's layout, the same as Windows 95's record).
namespace {
#pragma pack(push, 2)
struct WinHelpData {
    WORD size;
    WORD command;
    LONG data;
    LONG reserved;
    WORD ofsFilename;
    WORD ofsData;
};
#pragma pack(pop)
const ULONG_PTR kWinHelpMagic = 0xA1DE505;
}  // namespace

bool FakeHelp::Start() { return StartWindow("MS_WINHELP"); }
void FakeHelp::Stop() { StopWindow(); }

LRESULT FakeHelp::OnCopyData(HWND sender, const COPYDATASTRUCT* cds)
{
    if (!cds || cds->dwData != kWinHelpMagic || cds->cbData < sizeof(WinHelpData))
        return FALSE;
    const WinHelpData* d = static_cast<const WinHelpData*>(cds->lpData);
    HelpCall call;
    call.caller = sender;
    call.command = d->command;
    call.data = d->data;
    if (d->ofsFilename && d->ofsFilename < cds->cbData) {
        const char* name = static_cast<const char*>(cds->lpData) + d->ofsFilename;
        call.file.assign(name, strnlen(name, cds->cbData - d->ofsFilename));
    }
    EnterCriticalSection(&lock_);
    calls_.push_back(call);
    LeaveCriticalSection(&lock_);
    return TRUE;
}

std::vector<HelpCall> FakeHelp::Calls()
{
    EnterCriticalSection(&lock_);
    std::vector<HelpCall> copy = calls_;
    LeaveCriticalSection(&lock_);
    return copy;
}

bool FakeHelp::WaitForCount(size_t n, DWORD timeoutMs)
{
    return ui::WaitUntil([&] { return Calls().size() >= n; }, timeoutMs);
}

void FakeHelp::Clear()
{
    EnterCriticalSection(&lock_);
    calls_.clear();
    LeaveCriticalSection(&lock_);
}

}  // namespace fakeshell
