// The hidden main window, the notification icon that shows the driver's
// state, and the message box the applet explains itself with.
#include "tray/tray.h"

#include <shellapi.h>
#include <stddef.h>
#include <string.h>

#include "driver/driver.h"

const char kTrayWindowClass[] = "SLVRTrayWindow";

HINSTANCE Instance = NULL;
HWND MainWindow = NULL;
HICON EnabledIcon = NULL;
HICON DisabledIcon = NULL;

namespace {

// The icon of the most recent SetTrayIcon, so that removal names it.
HICON CurrentIcon = NULL;
// Set once the applet has been asked to end (Exit, or its window closed).
bool Ending = false;

const char kMainWindowTitle[] = "Salvora Taskbar Icon";
const char kMessageCaption[] = "Salvora";

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the notification record of Windows 95's shell");
#endif
// Of that record, Windows 95's shell reads a tip of 64 characters, its
// terminator included; these headers declare 128 whatever the version.
const int kTipChars = 64;
static_assert(NOTIFYICONDATAA_V1_SIZE - offsetof(NOTIFYICONDATAA, szTip) == kTipChars,
              "the tip of Windows 95's notification record");

// The class background named by its raw value, as the applet always had it.
const HBRUSH kClassBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(5));

void RegisterWithDriver(HWND window)
{
    // The driver keeps 32-bit window handles; Windows guarantees that a
    // window handle fits them, in 64-bit processes too.
    NotifyRegistration registration;
    registration.window = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window));
    registration.message = WM_TRACKINGSTATE;
    DWORD returned = 0;
    DriverRequest(RegisterNotifyWindow, &registration, sizeof registration, NULL, 0, &returned);
}

void OnTrayIcon(HWND window, LPARAM mouseMessage)
{
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        // Only asks: the icon follows when the driver reports the new state.
        DWORD returned = 0;
        DriverRequest(IconActivated, NULL, 0, NULL, 0, &returned);
    } else if (mouseMessage == WM_RBUTTONUP) {
        ShowTrayMenu(window);
    }
}

// F1 held while a dialog of this window idles asks that dialog for its help,
// as its Help button would.
void OnEnterIdle(WPARAM source, LPARAM idleWindow)
{
    if (source != MSGF_DIALOGBOX || GetKeyState(VK_F1) >= 0)
        return;
    HWND dialog = reinterpret_cast<HWND>(idleWindow);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_HELP_BUTTON, 0), idleWindow);
}

void UpdateTrayIcon(bool enabled)
{
    if (enabled)
        SetTrayIcon(MainWindow, NIM_MODIFY, EnabledIcon, IDS_TRACKING_ENABLED);
    else
        SetTrayIcon(MainWindow, NIM_MODIFY, DisabledIcon, IDS_TRACKING_DISABLED);
}

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace

bool QueryTrackingState()
{
    // A failed query reads as disabled.
    return QueryDriverState() != 0;
}

void SetTrayIcon(HWND window, DWORD action, HICON icon, UINT tipId)
{
    CurrentIcon = icon;
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof data);
    // The record as Windows 95's shell knows it (88 bytes in 32-bit code).
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYICON;
    data.hIcon = icon;
    if (tipId != 0)
        LoadStringA(Instance, tipId, data.szTip, kTipChars);
    Shell_NotifyIconA(action, &data);
}

void RemoveTrayIconAndQuit(HWND window)
{
    // Exit from a menu opened inside a clearing run's dialogs is followed
    // by the window's own end.
    if (Ending)
        return;
    Ending = true;
    CancelClearing();
    SetTrayIcon(window, NIM_DELETE, CurrentIcon, 0);
    PostQuitMessage(0);
}

void ShowStringMessage(UINT stringId)
{
    char text[101] = "";
    LoadStringA(Instance, stringId, text, sizeof text);
    MessageBoxA(NULL, text, kMessageCaption, MB_OK | MB_ICONEXCLAMATION);
}

ATOM RegisterTrayClass()
{
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.style = 0;
    windowClass.lpfnWndProc = TrayWindowProc;
    windowClass.hInstance = Instance;
    windowClass.hIcon = LoadIconA(NULL, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = kClassBackground;
    windowClass.lpszClassName = kTrayWindowClass;
    return RegisterClassA(&windowClass);
}

bool CreateTrayWindow()
{
    HWND window = CreateWindowExA(0, kTrayWindowClass, kMainWindowTitle, WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  NULL, NULL, Instance, NULL);
    if (!window)
        return false;
    MainWindow = window;
    ShowWindow(window, SW_HIDE);
    return true;
}

namespace {

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        RegisterWithDriver(window);
        return 0;
    case WM_DESTROY:
        RemoveTrayIconAndQuit(window);
        return 0;
    case WM_QUERYENDSESSION:
        // Windows goes on whatever the user chose in the clearing dialogs.
        ClearAllTrashcans(ShutdownClearMode);
        return TRUE;
    case WM_COMMAND:
        OnTrayCommand(window, LOWORD(wParam));
        return 0;
    case WM_ENTERIDLE:
        OnEnterIdle(wParam, lParam);
        return 0;
    case WM_TRAYICON:
        OnTrayIcon(window, lParam);
        return 0;
    case WM_TRACKINGSTATE:
        UpdateTrayIcon(LOBYTE(wParam) != 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace
