// The preferences dialog opened from the menu.
#include "tray/tray.h"

void ShowPreferences(HWND)
{
}
