// slvrtray.exe: a program without a visible window that shows in the
// taskbar's notification area whether delete tracking is on.
#include "tray/tray.h"

#include <shellapi.h>
#include <string.h>

#include "driver/driver.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record Windows 95 knows");

namespace {

// Only one copy runs; it runs on Windows 95 only, and only with the driver.
bool CheckStartup()
{
    // A running copy is left exactly as it is, whatever the settings say.
    if (FindWindowA(kTrayWindowClass, NULL))
        return false;

    OSVERSIONINFOA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    if (version.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) {
        if (ShowStartupMessages == 1)
            ShowStringMessage(IDS_NEEDS_WINDOWS95);
        return false;
    }

    DWORD returned = 0;
    BOOL present = DriverRequest(CheckPresence, NULL, 0, NULL, 0, &returned);
    if (!present && ShowStartupMessages == 1)
        ShowStringMessage(IDS_NOT_INSTALLED);
    return present != FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    Instance = instance;
    // First, so that the start-up checks obey the stored choice.
    ReadSettings();
    if (!CheckStartup())
        return 0;
    if (!RegisterTrayClass())
        return 0;
    // The window registers itself with the driver while it is created, so
    // no state notification can miss it once the icon exists.
    if (!CreateTrayWindow())
        return 0;

    DisabledIcon = LoadIconA(Instance, MAKEINTRESOURCEA(IDI_TRAY_DISABLED));
    EnabledIcon = LoadIconA(Instance, MAKEINTRESOURCEA(IDI_TRAY_ENABLED));
    if (QueryTrackingState())
        SetTrayIcon(MainWindow, NIM_ADD, EnabledIcon, IDS_TRACKING_ENABLED);
    else
        SetTrayIcon(MainWindow, NIM_ADD, DisabledIcon, IDS_TRACKING_DISABLED);

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // Gone at once, so that a copy started now is not taken for this one
    // while a clearing worker finishes the file in hand.
    if (IsWindow(MainWindow))
        DestroyWindow(MainWindow);
    FinishClearing();
    return 0;
}
