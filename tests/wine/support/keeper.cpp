// Keeps a Wine test session's desktop alive between test programs.
//
// The desktop process that Wine starts for the first window of a session
// inherits that program's standard handles, and ctest waits for those to
// close: without a window living for the whole session, every GUI test
// would wait out the desktop's idle time after it ended. This program owns
// one hidden window, never shown, and ends with the session.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "SalvoraTestSessionKeeper";
    if (!RegisterClassA(&wc))
        return 1;
    if (!CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, NULL, NULL, instance, NULL))
        return 1;
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
