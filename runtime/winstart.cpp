// The entry of slvrtray.exe: what the C library's start-up did for WinMain,
// without the library.
#include <windows.h>

#include "runtime/startup.h"

namespace {

// The command line after the program's name, as WinMain is given it.
LPSTR CommandTail(LPSTR line)
{
    if (*line == '"') {
        ++line;
        while (*line && *line != '"')
            ++line;
        if (*line == '"')
            ++line;
    } else {
        while (*line && *line != ' ' && *line != '\t')
            ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

int ShowState()
{
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

}  // namespace

// Windows 95 starts a program on a stack aligned to 4 bytes only.
extern "C" __attribute__((force_align_arg_pointer)) void WinMainCRTStartup()
{
    RunConstructors();
    int code = WinMain(GetModuleHandleA(NULL), NULL, CommandTail(GetCommandLineA()), ShowState());
    RunExitHandlers();
    ExitProcess(static_cast<UINT>(code));
}
