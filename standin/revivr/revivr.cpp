// REVIVR.EXE stand-in: records how it was started, then shows the Trashcan
// it was given.
//
// Both deliverables start the undelete program with ShellExecuteA: the tray
// with an empty command line, the shell extension with the selected path
// (followed by " /drv" for a drive). Tests check that command line in
// REVIVR.LOG beside this program; people see the files of the Trashcan.
#include <windows.h>

namespace {

const char kClassName[] = "RevivrWindow";
const char kCaption[] = "REVIVR";
const char kLogName[] = "REVIVR.LOG";
const char kIndexFile[] = "salvora.inf";

enum { IDC_REVIVR_PATH = 100, IDC_REVIVR_FILES = 101 };

// The command line after the program name, with the blanks that separate
// them removed; never NULL.
const char* CommandTail()
{
    const char* p = GetCommandLineA();
    if (!p)
        return "";
    if (*p == '"') {
        for (p++; *p && *p != '"'; p++) {
        }
        if (*p == '"')
            p++;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            p++;
    }
    while (*p == ' ' || *p == '\t')
        p++;
    return p;
}

// Appends the command tail and a line break to REVIVR.LOG in this program's
// directory. The tail is written straight from the command line, so its
// length is never limited by a buffer of ours.
void AppendToLog(const char* tail)
{
    char path[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof(path));
    if (n == 0 || n >= sizeof(path) - 1)
        return;
    char* slash = NULL;
    for (char* p = path; *p; p++)
        if (*p == '\\' || *p == '/')
            slash = p;
    if (!slash || (size_t)(slash + 1 - path) + sizeof(kLogName) > sizeof(path))
        return;
    lstrcpyA(slash + 1, kLogName);

    HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    SetFilePointer(h, 0, NULL, FILE_END);
    WriteFile(h, tail, lstrlenA(tail), &written, NULL);
    WriteFile(h, "\r\n", 2, &written, NULL);
    CloseHandle(h);
}

// The Trashcan named by the command tail, "X:\RECYCLED\TRASHCAN", from the
// drive letter that starts it (a drive root, a drive root with " /drv", or
// any path on the drive). False when the tail names no drive.
bool TrashcanFor(const char* tail, char* trashcan, int size)
{
    if (*tail == '"')
        tail++;
    char letter = tail[0];
    if (letter >= 'a' && letter <= 'z')
        letter = (char)(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z' || tail[1] != ':')
        return false;
    const char suffix[] = ":\\RECYCLED\\TRASHCAN";
    if (size < (int)sizeof(suffix) + 1)
        return false;
    trashcan[0] = letter;
    lstrcpyA(trashcan + 1, suffix);
    return true;
}

void FillList(HWND list, const char* trashcan)
{
    char pattern[MAX_PATH];
    wsprintfA(pattern, "%s\\*.*", trashcan);
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA(pattern, &fd);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (!lstrcmpiA(fd.cFileName, kIndexFile))
            continue;
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)fd.cFileName);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
}

void OnCreate(HWND hwnd, const char* tail)
{
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    char trashcan[MAX_PATH];
    bool given = TrashcanFor(tail, trashcan, sizeof(trashcan));

    HWND label = CreateWindowA("STATIC", given ? trashcan : "No Trashcan given.",
                               WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 0, 0, 0, 0, hwnd,
                               (HMENU)IDC_REVIVR_PATH, NULL, NULL);
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_SORT | LBS_NOINTEGRALHEIGHT,
                                0, 0, 0, 0, hwnd, (HMENU)IDC_REVIVR_FILES, NULL, NULL);
    SendMessageA(label, WM_SETFONT, (WPARAM)font, FALSE);
    SendMessageA(list, WM_SETFONT, (WPARAM)font, FALSE);
    if (given)
        FillList(list, trashcan);
}

void OnSize(HWND hwnd, int width, int height)
{
    const int margin = 8, label = 16;
    MoveWindow(GetDlgItem(hwnd, IDC_REVIVR_PATH), margin, margin, width - 2 * margin, label, TRUE);
    int top = 2 * margin + label;
    MoveWindow(GetDlgItem(hwnd, IDC_REVIVR_FILES), margin, top, width - 2 * margin,
               height - top - margin, TRUE);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        OnCreate(hwnd, (const char*)((CREATESTRUCTA*)lParam)->lpCreateParams);
        return 0;
    case WM_SIZE:
        OnSize(hwnd, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    const char* tail = CommandTail();
    AppendToLog(tail);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc))
        return 1;
    HWND hwnd = CreateWindowA(kClassName, kCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 360, 260, NULL, NULL, instance, (void*)tail);
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
