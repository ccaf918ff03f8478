// The applet's two settings. Until they are read from the registry, their
// defaults hold: ask before clearing at shutdown, and explain a failed start.
#include "tray/tray.h"

int ShutdownClearMode = ClearAfterConfirmation;
int ShowStartupMessages = 1;

void ReadSettings()
{
}
