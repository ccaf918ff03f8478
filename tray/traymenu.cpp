// The icon's popup menu and its commands, the about box, the help file and
// the undelete program.
#include "tray/tray.h"

#include <shellapi.h>

#include "driver/driver.h"
#include "paths/modulepath.h"
#include "progress/progress.h"

namespace {

const char kHelpFile[] = "slvrtray.hlp";
const char kUndeleteProgram[] = "REVIVR.EXE";

// Menu texts hold at most 50 characters.
const int kMenuTextSize = 51;

void SendToDriver(DWORD code)
{
    // Only asks: the icon and the check marks follow the driver's own report.
    DWORD returned = 0;
    DriverRequest(code, NULL, 0, NULL, 0, &returned);
}

void OnAboutInit(HWND dialog)
{
    SetWindowLongA(dialog, GWL_EXSTYLE, GetWindowLongA(dialog, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
    char state[kMenuTextSize] = "";
    LoadStringA(Instance, QueryTrackingState() ? IDS_TRACKING_ENABLED : IDS_TRACKING_DISABLED,
                state, sizeof state);
    SetDlgItemTextA(dialog, IDC_ABOUT_STATE, state);
}

WORD AboutTopic(int control)
{
    return control == IDOK ? IDH_ABOUT_OK : IDH_ABOUT_OTHER;
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        // The state line is written once; it does not follow later changes.
        OnAboutInit(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    case WM_HELP:
        ShowPopupHelp(dialog, lParam, AboutTopic);
        return FALSE;
    }
    return FALSE;
}

void AppendMenuString(HMENU menu, UINT flags, UINT id)
{
    char text[kMenuTextSize] = "";
    LoadStringA(Instance, id, text, sizeof text);
    AppendMenuA(menu, flags, id, text);
}

void LaunchUndelete(HWND window)
{
    char path[kPathBufferSize];
    if (!ModuleSiblingPath(Instance, kUndeleteProgram, path)) {
        ShowStringMessage(IDS_CANNOT_LAUNCH);
        return;
    }
    HINSTANCE started = ShellExecuteA(window, NULL, path, NULL, NULL, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(started) < 32)
        ShowStringMessage(IDS_CANNOT_LAUNCH);
}

}  // namespace

void ShowAbout(HWND owner)
{
    RunModalDialog(Instance, IDD_ABOUT, owner, AboutDialogProc);
}

void ShowTrayMenu(HWND window)
{
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    AppendMenuString(menu, QueryTrackingState() ? MF_CHECKED : MF_STRING, IDM_ENABLE);
    AppendMenuString(menu, QueryTrackingState() ? MF_STRING : MF_CHECKED, IDM_DISABLE);
    AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
    AppendMenuString(menu, MF_STRING, IDM_CLEAR_TRASHCAN);
    AppendMenuString(menu, MF_STRING, IDM_UNDELETE);
    AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
    AppendMenuString(menu, MF_STRING, IDM_PREFERENCES);
    AppendMenuString(menu, MF_STRING, IDM_ABOUT);
    AppendMenuString(menu, MF_STRING, IDM_HELP);
    AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
    AppendMenuString(menu, MF_STRING, IDM_EXIT);

    POINT at;
    GetCursorPos(&at);
    // A popup menu closes on a click elsewhere only while its owner is the
    // foreground window, and the owner must get one more message after it
    // returns; our window is hidden and would never be foreground otherwise.
    SetForegroundWindow(window);
    TrackPopupMenu(menu, 0, at.x, at.y, 0, window, NULL);
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void OnTrayCommand(HWND window, UINT id)
{
    switch (id) {
    case IDM_ENABLE:         SendToDriver(EnableTracking); break;
    case IDM_DISABLE:        SendToDriver(DisableTracking); break;
    case IDM_CLEAR_TRASHCAN: ClearAllTrashcans(ClearFromMenu); break;
    case IDM_UNDELETE:       LaunchUndelete(window); break;
    case IDM_PREFERENCES:    ShowPreferences(window); break;
    case IDM_ABOUT:          ShowAbout(window); break;
    case IDM_HELP:           ShowHelp(window, HELP_CONTEXT, 0); break;
    case IDM_EXIT:
        // Closes a help window this applet opened; the window itself goes
        // once the message loop has ended.
        ShowHelp(window, HELP_QUIT, 0);
        RemoveTrayIconAndQuit(window);
        break;
    }
}

void ShowHelp(HWND window, UINT command, WORD data)
{
    // A help path that does not fit would be cut into another file's name:
    // such a help file is as good as missing, and none is asked for.
    char path[kPathBufferSize];
    if (!ModuleSiblingPath(Instance, kHelpFile, path))
        return;
    WinHelpA(window, path, command, data);
}

void ShowPopupHelp(HWND dialog, LPARAM helpInfo, WORD (*topicOf)(int control))
{
    const HELPINFO* help = reinterpret_cast<const HELPINFO*>(helpInfo);
    if (!help)
        return;
    ShowHelp(dialog, HELP_CONTEXTPOPUP, topicOf ? topicOf(help->iCtrlId) : (WORD)help->iCtrlId);
}
