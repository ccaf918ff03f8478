#include "support/revivr.h"

#include <string.h>

#include "support/ui.h"

namespace revivr {

namespace {

BOOL CALLBACK CollectRevivr(HWND window, LPARAM lParam)
{
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (!strcmp(cls, "RevivrWindow"))
        reinterpret_cast<std::set<HWND>*>(lParam)->insert(window);
    return TRUE;
}

std::set<HWND> RevivrWindows()
{
    std::set<HWND> windows;
    EnumWindows(CollectRevivr, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Closes a REVIVR.EXE window and waits until its process has ended.
bool CloseWindowAndWait(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PostMessageA(window, WM_CLOSE, 0, 0);
    bool gone = process && WaitForSingleObject(process, ui::kWait) == WAIT_OBJECT_0;
    if (process)
        CloseHandle(process);
    return gone;
}

}  // namespace

std::string LogPath(const std::string& dir)
{
    return dir + "\\REVIVR.LOG";
}

Watch::Watch(const std::string& dir)
    : log_(LogPath(dir)), logStart_(files::ReadText(log_).size()), before_(RevivrWindows())
{
}

bool Watch::CloseNext()
{
    HWND found = NULL;
    ui::WaitUntil([&] {
        for (HWND w : RevivrWindows())
            if (!before_.count(w) && !closed_.count(w) && IsWindowVisible(w))
                found = w;
        return found != NULL;
    });
    if (!found)
        return false;
    closed_.insert(found);
    return CloseWindowAndWait(found);
}

void Watch::CloseAll()
{
    for (HWND w : RevivrWindows())
        if (!before_.count(w))
            CloseWindowAndWait(w);
}

std::string Watch::NewLog() const
{
    std::string text = files::ReadText(log_);
    return text.size() >= logStart_ ? text.substr(logStart_) : text;
}

}  // namespace revivr
