// The entry of slvrsext.dll: static objects around DllMain, as the C
// library's start-up did, without the library.
#include <windows.h>

#include "runtime/startup.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        RunConstructors();
    BOOL result = DllMain(instance, reason, reserved);
    // A refused load is followed by no detach: end the static objects now.
    if (reason == DLL_PROCESS_DETACH || (reason == DLL_PROCESS_ATTACH && !result))
        RunExitHandlers();
    return result;
}
