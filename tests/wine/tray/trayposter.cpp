// trayposter: plays the user's mouse for the demo, which has no mouse: puts
// the pointer on a spot of a window (the notification area at the end of the
// taskbar, for one), posts a message to a window (the icon's callback), or
// waits until a window shows. Windows are found in the named desktop, so that
// the demo's virtual desktop with its taskbar can be reached from outside it.
//
//   trayposter [-d DESKTOP] point CLASS CAPTION X Y
//   trayposter [-d DESKTOP] post CLASS CAPTION MESSAGE WPARAM LPARAM
//   trayposter [-d DESKTOP] wait CLASS CAPTION
//
// CLASS or CAPTION "-" matches any; child windows count too. point's X and Y
// count from the window's left and top edges, negative ones from its right
// and bottom edges. post waits for the window to exist (the applet's is
// hidden), point and wait for it to be visible; all give up after 10 s.
// Exit status: 0 done, 1 bad usage, 2 no such desktop, 3 no such window.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const DWORD kPatienceMs = 10000;

struct Search {
    const char* cls;
    const char* caption;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param)
{
    Search* s = reinterpret_cast<Search*>(param);
    char text[256];
    if (s->visibleOnly && !IsWindowVisible(window))
        return TRUE;
    if (s->cls && (!GetClassNameA(window, text, sizeof text) || strcmp(text, s->cls)))
        return TRUE;
    if (s->caption) {
        text[0] = '\0';
        GetWindowTextA(window, text, sizeof text);
        if (strcmp(text, s->caption))
            return TRUE;
    }
    s->found = window;
    return FALSE;
}

HWND WaitForWindow(const char* cls, const char* caption, bool visibleOnly)
{
    Search s = {strcmp(cls, "-") ? cls : NULL, strcmp(caption, "-") ? caption : NULL, visibleOnly,
                NULL};
    DWORD start = GetTickCount();
    for (;;) {
        EnumChildWindows(GetDesktopWindow(), Visit, reinterpret_cast<LPARAM>(&s));
        if (s.found || GetTickCount() - start >= kPatienceMs)
            return s.found;
        Sleep(50);
    }
}

int Usage()
{
    fputs("usage: trayposter [-d DESKTOP] point CLASS CAPTION X Y\n"
          "       trayposter [-d DESKTOP] post CLASS CAPTION MESSAGE WPARAM LPARAM\n"
          "       trayposter [-d DESKTOP] wait CLASS CAPTION\n",
          stderr);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    int arg = 1;
    if (argc > 2 && !strcmp(argv[1], "-d")) {
        // The desktop may still be on its way.
        HDESK desktop = NULL;
        for (DWORD start = GetTickCount(); !desktop && GetTickCount() - start < kPatienceMs; Sleep(50))
            desktop = OpenDesktopA(argv[2], 0, FALSE, GENERIC_ALL);
        if (!desktop || !SetThreadDesktop(desktop)) {
            fprintf(stderr, "trayposter: cannot enter desktop %s\n", argv[2]);
            return 2;
        }
        arg = 3;
    }
    if (arg >= argc)
        return Usage();
    const char* command = argv[arg];
    int count = argc - arg - 1;
    char** a = argv + arg + 1;

    if (!strcmp(command, "point") && count == 4) {
        HWND window = WaitForWindow(a[0], a[1], true);
        RECT r;
        if (!window || !GetWindowRect(window, &r)) {
            fprintf(stderr, "trayposter: %s \"%s\" did not show\n", a[0], a[1]);
            return 3;
        }
        int x = atoi(a[2]), y = atoi(a[3]);
        return SetCursorPos(x < 0 ? r.right + x : r.left + x, y < 0 ? r.bottom + y : r.top + y) ? 0 : 3;
    }
    if (!strcmp(command, "post") && count == 5) {
        HWND window = WaitForWindow(a[0], a[1], false);
        if (!window || !PostMessageA(window, (UINT)strtoul(a[2], NULL, 0),
                                     (WPARAM)strtoul(a[3], NULL, 0), (LPARAM)strtol(a[4], NULL, 0))) {
            fprintf(stderr, "trayposter: no window %s \"%s\"\n", a[0], a[1]);
            return 3;
        }
        return 0;
    }
    if (!strcmp(command, "wait") && count == 2) {
        if (!WaitForWindow(a[0], a[1], true)) {
            fprintf(stderr, "trayposter: %s \"%s\" did not show\n", a[0], a[1]);
            return 3;
        }
        return 0;
    }
    return Usage();
}
