// The applet's two settings, kept per user in the registry. Until they are
// read, their defaults hold: ask before clearing at shutdown, and explain a
// failed start.
#include "tray/tray.h"

int ShutdownClearMode = ClearAfterConfirmation;
int ShowStartupMessages = 1;

namespace {

const char kSettingsKey[] = "SOFTWARE\\Norwyk\\Salvora\\SLVRTray";
const char kClearValue[] = "Clear Trashcan";
const char kMessageValue[] = "Show Message";

// Only a 4-byte REG_DWORD is a setting; data of another type or size (a
// hand-made string, a longer binary) leaves the cell as it was, which is
// its default.
void QuerySetting(HKEY key, const char* name, int* cell)
{
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return;
    if (type == REG_DWORD && size == sizeof value)
        *cell = static_cast<int>(value);
}

void SetSetting(HKEY key, const char* name, int value)
{
    DWORD data = static_cast<DWORD>(value);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

}  // namespace

void ReadSettings()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    // Larger values mean the strongest choice; a negative mode means never.
    QuerySetting(key, kClearValue, &ShutdownClearMode);
    if (ShutdownClearMode > ClearAfterConfirmation)
        ShutdownClearMode = ClearAfterConfirmation;
    QuerySetting(key, kMessageValue, &ShowStartupMessages);
    if (ShowStartupMessages > 1)
        ShowStartupMessages = 1;
    RegCloseKey(key);
}

bool WriteSettings()
{
    HKEY key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        NULL, &key, &disposition) != ERROR_SUCCESS)
        return false;
    SetSetting(key, kClearValue, ShutdownClearMode);
    SetSetting(key, kMessageValue, ShowStartupMessages);
    RegCloseKey(key);
    return true;
}
