#include "ui.h"

#include <string.h>

namespace ui {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return condition();
        // Keep this thread's own windows responsive while it waits.
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

namespace {

struct Search {
    const char* cls;
    const char* caption;
    DWORD pid;
    bool messageBoxOnly;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param)
{
    Search* s = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(window))
        return TRUE;
    if (s->pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != s->pid)
            return TRUE;
    }
    if (s->cls && ClassOf(window) != s->cls)
        return TRUE;
    if (s->caption && WindowText(window) != s->caption)
        return TRUE;
    if (s->messageBoxOnly && (ClassOf(window) != "#32770" || !GetDlgItem(window, 0xFFFF)))
        return TRUE;
    s->found = window;
    return FALSE;
}

HWND Find(const char* cls, const char* caption, DWORD pid, bool messageBoxOnly)
{
    Search s = {cls, caption, pid, messageBoxOnly, NULL};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

}  // namespace

HWND FindVisibleWindow(const char* cls, const char* caption, DWORD pid)
{
    return Find(cls, caption, pid, false);
}

HWND WaitForWindow(const char* cls, const char* caption, DWORD timeoutMs, DWORD pid)
{
    HWND found = NULL;
    WaitUntil([&] { return (found = Find(cls, caption, pid, false)) != NULL; }, timeoutMs);
    return found;
}

bool WaitGone(HWND window, DWORD timeoutMs)
{
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ControlText(HWND dialog, int id)
{
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

void ClickButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void AskForHelp(HWND dialog, int control)
{
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = control;
    info.hItemHandle = GetDlgItem(dialog, control);
    SendMessageA(dialog, WM_HELP, 0, (LPARAM)&info);
}

bool WaitForMessageBox(MessageBoxInfo* box, const char* caption, DWORD timeoutMs, DWORD pid)
{
    HWND found = NULL;
    // A box is found before its controls are filled in: wait for the text too.
    bool ok = WaitUntil([&] {
        found = Find("#32770", caption, pid, true);
        return found && !ControlText(found, 0xFFFF).empty();
    }, timeoutMs);
    if (!ok)
        return false;
    box->window = found;
    box->caption = WindowText(found);
    box->text = ControlText(found, 0xFFFF);
    box->icon = 0;
    // The icon is a static SS_ICON control: id 0x14 in Windows' template,
    // 0x440 in Wine's. System icons are shared within a process only, so the
    // kind of icon is known for boxes of this process alone.
    static const struct { LPCSTR id; UINT flag; } icons[] = {
        {IDI_EXCLAMATION, MB_ICONEXCLAMATION}, {IDI_HAND, MB_ICONHAND},
        {IDI_QUESTION, MB_ICONQUESTION}, {IDI_ASTERISK, MB_ICONASTERISK}};
    HICON shown = (HICON)SendDlgItemMessageA(found, 0x440, STM_GETICON, 0, 0);
    if (!shown)
        shown = (HICON)SendDlgItemMessageA(found, 0x14, STM_GETICON, 0, 0);
    for (const auto& i : icons)
        if (shown && shown == LoadIconA(NULL, i.id))
            box->icon = i.flag;
    return true;
}

bool Dismiss(HWND box, int id)
{
    ClickButton(box, id);
    return WaitUntil([&] { return !IsWindow(box); });
}

}  // namespace ui
