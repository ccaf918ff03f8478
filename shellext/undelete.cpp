#include "shellext/undelete.h"

#include <windows.h>
#include <shellapi.h>

#include "paths/modulepath.h"
#include "shellext/messages.h"
#include "shellext/resource.h"
#include "shellext/server.h"

void LaunchUndelete(const char* path, UndeleteMode mode)
{
    // The program is looked for beside the DLL only; a directory too deep
    // to name it counts as a missing program.
    char program[kPathBufferSize];
    char parameters[kPathBufferSize + 8];
    if (ModuleSiblingPath(DllModule, "revivr.exe", program) &&
        FormatUndeleteParameters(path, mode, parameters, sizeof parameters)) {
        HINSTANCE started = ShellExecuteA(NULL, NULL, program, parameters, NULL, SW_SHOWNORMAL);
        // Values up to 31 are errors; 32 itself means started.
        if ((INT_PTR)started >= 32)
            return;
    }
    MessageBeep(0);
    MessageFromString(NULL, IDS_CANNOT_LAUNCH_UNDELETE, kShellExtCaption, MB_OK | MB_ICONEXCLAMATION);
}
