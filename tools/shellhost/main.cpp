// shellhost: plays the Windows 95 shell's side of the conversation with the
// shell extension, which Wine's own shell does not hold:
//   CoCreateInstance(handler, IShellExtInit) from the registration
//   -> Initialize(NULL, CF_HDROP data object, NULL)
//   -> QueryInterface for IContextMenu or IShellPropSheetExt
//   -> QueryContextMenu on a real menu / InvokeCommand / AddPages.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "shellext/classids.h"
#include "tools/shellhost/dropdata.h"
#include "tools/shellhost/registration.h"

namespace {

const char kUsage[] =
    "usage: shellhost menu [--popup] [--hold MS] [--flags N] PATH...\n"
    "         the handler for the first path's kind (drive root, folder or file) adds\n"
    "         its items to a menu; they are listed with their ids and help texts.\n"
    "         --popup shows the menu as the shell would and runs the chosen command;\n"
    "         --hold closes it again after MS milliseconds.\n"
    "       shellhost invoke VERB PATH...   runs command offset VERB (or a verb text)\n"
    "       shellhost props [--reselect PATH] DRIVE\n"
    "         shows the pages the drive handler adds in a property sheet;\n"
    "         --reselect initialises a handler with PATH after the pages were\n"
    "         added, as another menu of the shell would while the sheet is open.\n"
    "       shellhost register DLLPATH [--user]\n"
    "       shellhost unregister [--user]\n";

// Command identifiers the host gives the extension, after its own items.
const UINT kFirstCommand = 100;
const UINT kLastCommand = 0x7FFF;
const UINT kHostOpen = 1, kHostExplore = 2, kHostProperties = 3;

struct HandlerChoice {
    const GUID* clsid;
    const char* name;
};

HandlerChoice HandlerFor(const std::string& path)
{
    if (path.size() == 3 && path[1] == ':' && path[2] == '\\')
        return {&CLSID_SalvoraDriveHandler, "drive"};
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {&CLSID_SalvoraFolderHandler, "folder"};
    return {&CLSID_SalvoraFileHandler, "file"};
}

// The shell's first steps: the handler from the registration, initialised
// with the selection. Null (after saying why) when it is not to be had.
IShellExtInit* CreateInitialised(const std::vector<std::string>& paths, HandlerChoice* choice)
{
    *choice = HandlerFor(paths[0]);
    printf("%s handler %s\n", choice->name, GuidText(*choice->clsid).c_str());
    IShellExtInit* init = NULL;
    HRESULT hr = CoCreateInstance(*choice->clsid, NULL, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                  reinterpret_cast<void**>(&init));
    if (FAILED(hr)) {
        printf("CoCreateInstance: 0x%08lX, no handler\n", (unsigned long)hr);
        return NULL;
    }
    DropDataObject* data = new DropDataObject(paths);
    hr = init->Initialize(NULL, data, NULL);
    data->Release();
    if (FAILED(hr)) {
        printf("Initialize: 0x%08lX, selection not taken\n", (unsigned long)hr);
        init->Release();
        return NULL;
    }
    return init;
}

IContextMenu* ContextMenuOf(IShellExtInit* init)
{
    IContextMenu* menu = NULL;
    HRESULT hr = init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu));
    if (FAILED(hr)) {
        printf("IContextMenu: 0x%08lX, nothing added to the menu\n", (unsigned long)hr);
        return NULL;
    }
    return menu;
}

void ListItems(IContextMenu* cm, HMENU menu, int first, int count)
{
    for (int pos = first; pos < first + count; ++pos) {
        char text[261] = "", help[261] = "";
        GetMenuStringA(menu, pos, text, sizeof text, MF_BYPOSITION);
        UINT id = GetMenuItemID(menu, pos);
        UINT verb = id - kFirstCommand;
        HRESULT hr = cm->GetCommandString(verb, GCS_HELPTEXTA, NULL, help, sizeof help);
        if (FAILED(hr))
            snprintf(help, sizeof help, "(0x%08lX)", (unsigned long)hr);
        printf("  id %u  verb %u  \"%s\"  help \"%s\"\n", id, verb, text, help);
    }
}

HRESULT InvokeVerb(IContextMenu* cm, LPCSTR verb, HWND window)
{
    CMINVOKECOMMANDINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.hwnd = window;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    HRESULT hr = cm->InvokeCommand(&info);
    printf("InvokeCommand: 0x%08lX\n", (unsigned long)hr);
    return hr;
}

// --- the popup, as the shell shows it ---------------------------------------

// The window stands for the item that was right-clicked; the menu opens
// below it. (Wine leaves a menu black where it covers a window of its own
// process, which the demo's pictures would show.)
const int kWindowX = 16, kWindowY = 16, kWindowWidth = 420, kWindowHeight = 64;
const int kMenuX = 48, kMenuY = kWindowY + kWindowHeight + 4;

UINT HoldMs = 0;
bool MenuAnnounced = false;

LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ENTERIDLE:
        // The menu is up and drawn: the demo takes its picture now.
        if (wParam == MSGF_MENU && !MenuAnnounced) {
            MenuAnnounced = true;
            printf("menu shown\n");
            fflush(stdout);
            if (HoldMs)
                SetTimer(hwnd, 1, HoldMs, NULL);
        }
        return 0;
    case WM_TIMER:
        KillTimer(hwnd, 1);
        SendMessageA(hwnd, WM_CANCELMODE, 0, 0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND CreateHostWindow(const std::string& path)
{
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = HostWindowProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "SalvoraShellHost";
    RegisterClassA(&wc);
    std::string caption = "Shell host - " + path;
    HWND hwnd = CreateWindowA(wc.lpszClassName, caption.c_str(),
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE, kWindowX, kWindowY, kWindowWidth,
                              kWindowHeight, NULL, NULL, wc.hInstance, NULL);
    HWND label = CreateWindowA("STATIC", path.c_str(), WS_CHILD | WS_VISIBLE, 12, 8,
                               kWindowWidth - 24, 20, hwnd, NULL, wc.hInstance, NULL);
    SendMessageA(label, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    UpdateWindow(hwnd);
    return hwnd;
}

// The shell's own items around the extension's, as on Windows 95 (files
// are opened, not explored).
int AddHostItems(HMENU menu, bool isFile)
{
    AppendMenuA(menu, MF_STRING, kHostOpen, "&Open");
    if (!isFile)
        AppendMenuA(menu, MF_STRING, kHostExplore, "E&xplore");
    AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
    int index = GetMenuItemCount(menu);
    AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
    AppendMenuA(menu, MF_STRING, kHostProperties, "P&roperties");
    return index;
}

int PopupMenu(IContextMenu* cm, const std::string& path, UINT flags)
{
    HWND hwnd = CreateHostWindow(path);
    HMENU menu = CreatePopupMenu();
    int index = AddHostItems(menu, HandlerFor(path).clsid == &CLSID_SalvoraFileHandler);
    HRESULT hr = cm->QueryContextMenu(menu, index, kFirstCommand, kLastCommand, flags);
    printf("QueryContextMenu: 0x%08lX\n", (unsigned long)hr);
    SetForegroundWindow(hwnd);
    UINT chosen = TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, kMenuX,
                                 kMenuY, 0, hwnd, NULL);
    PostMessageA(hwnd, WM_NULL, 0, 0);
    if (chosen >= kFirstCommand) {
        printf("chosen: verb %u\n", chosen - kFirstCommand);
        InvokeVerb(cm, MAKEINTRESOURCEA(chosen - kFirstCommand), hwnd);
    } else {
        printf("chosen: %s\n", chosen ? "an item of the host" : "nothing");
    }
    DestroyMenu(menu);
    DestroyWindow(hwnd);
    return 0;
}

// --- commands ----------------------------------------------------------------

int MenuCommand(const std::vector<std::string>& paths, bool popup, UINT flags)
{
    HandlerChoice choice;
    IShellExtInit* init = CreateInitialised(paths, &choice);
    if (!init)
        return 0;
    IContextMenu* cm = ContextMenuOf(init);
    int result = 0;
    if (cm) {
        if (popup) {
            result = PopupMenu(cm, paths[0], flags);
        } else {
            HMENU menu = CreatePopupMenu();
            HRESULT hr = cm->QueryContextMenu(menu, 0, kFirstCommand, kLastCommand, flags);
            int count = SUCCEEDED(hr) ? HRESULT_CODE(hr) : 0;
            printf("QueryContextMenu: 0x%08lX, %d command identifiers\n", (unsigned long)hr, count);
            ListItems(cm, menu, 0, GetMenuItemCount(menu));
            DestroyMenu(menu);
        }
        cm->Release();
    }
    init->Release();
    return result;
}

int InvokeCommand(const std::string& verb, const std::vector<std::string>& paths)
{
    HandlerChoice choice;
    IShellExtInit* init = CreateInitialised(paths, &choice);
    if (!init)
        return 1;
    IContextMenu* cm = ContextMenuOf(init);
    int result = 1;
    if (cm) {
        // The shell always builds the menu before it runs one of its commands.
        HMENU menu = CreatePopupMenu();
        cm->QueryContextMenu(menu, 0, kFirstCommand, kLastCommand, CMF_NORMAL);
        char* end = NULL;
        unsigned long offset = strtoul(verb.c_str(), &end, 10);
        bool numeric = !verb.empty() && end && *end == '\0';
        HRESULT hr = InvokeVerb(cm, numeric ? MAKEINTRESOURCEA(offset) : verb.c_str(), NULL);
        result = SUCCEEDED(hr) ? 0 : 1;
        DestroyMenu(menu);
        cm->Release();
    }
    init->Release();
    return result;
}

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM lParam)
{
    std::vector<HPROPSHEETPAGE>* pages = reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(lParam);
    if (pages->size() >= MAXPROPPAGES)
        return FALSE;
    pages->push_back(page);
    return TRUE;
}

int PropsCommand(const std::string& drive, const std::string& reselect)
{
    std::string root = drive;
    if (root.size() == 2 && root[1] == ':')
        root += '\\';
    std::vector<std::string> paths(1, root);
    HandlerChoice choice;
    IShellExtInit* init = CreateInitialised(paths, &choice);
    if (!init)
        return 1;
    IShellPropSheetExt* ext = NULL;
    HRESULT hr = init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&ext));
    init->Release();
    if (FAILED(hr)) {
        printf("IShellPropSheetExt: 0x%08lX, no pages\n", (unsigned long)hr);
        return 0;
    }
    std::vector<HPROPSHEETPAGE> pages;
    hr = ext->AddPages(CollectPage, reinterpret_cast<LPARAM>(&pages));
    // The pages keep what they need alive; the shell lets go of the
    // extension before it shows the sheet.
    ext->Release();
    printf("AddPages: 0x%08lX, %u pages\n", (unsigned long)hr, (unsigned)pages.size());
    if (pages.empty())
        return 0;
    if (!reselect.empty()) {
        HandlerChoice other;
        IShellExtInit* next = CreateInitialised(std::vector<std::string>(1, reselect), &other);
        if (next)
            next->Release();
    }

    InitCommonControls();
    PROPSHEETHEADERA header;
    memset(&header, 0, sizeof header);
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_PROPTITLE;
    header.hInstance = GetModuleHandleA(NULL);
    header.pszCaption = root.c_str();
    header.nPages = (UINT)pages.size();
    header.phpage = pages.data();
    INT_PTR result = PropertySheetA(&header);
    printf("PropertySheetA: %ld\n", (long)result);
    return 0;
}

int RegisterCommand(int argc, char** argv, bool doRegister)
{
    RegistrationScope scope = RegistrationScope::Machine;
    std::string dll;
    for (int i = 2; i < argc; ++i) {
        if (!strcmp(argv[i], "--user"))
            scope = RegistrationScope::User;
        else
            dll = argv[i];
    }
    if (doRegister) {
        if (dll.empty()) {
            fputs(kUsage, stderr);
            return 2;
        }
        char full[MAX_PATH];
        if (GetFullPathNameA(dll.c_str(), sizeof full, full, NULL))
            dll = full;
        if (!RegisterExtension(dll, scope)) {
            fprintf(stderr, "shellhost: cannot register %s\n", dll.c_str());
            return 1;
        }
        printf("registered %s\n", dll.c_str());
        return 0;
    }
    if (!UnregisterExtension(scope)) {
        fprintf(stderr, "shellhost: cannot remove the registration\n");
        return 1;
    }
    printf("unregistered\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fputs(kUsage, stderr);
        return 2;
    }
    std::string command = argv[1];
    if (command == "register" || command == "unregister")
        return RegisterCommand(argc, argv, command == "register");

    bool popup = false;
    UINT flags = CMF_NORMAL;
    std::vector<std::string> args;
    std::string reselect;
    for (int i = 2; i < argc; ++i) {
        if (!strcmp(argv[i], "--reselect") && i + 1 < argc)
            reselect = argv[++i];
        else if (!strcmp(argv[i], "--popup"))
            popup = true;
        else if (!strcmp(argv[i], "--hold") && i + 1 < argc)
            HoldMs = (UINT)strtoul(argv[++i], NULL, 10);
        else if (!strcmp(argv[i], "--flags") && i + 1 < argc)
            flags = (UINT)strtoul(argv[++i], NULL, 0);
        else
            args.push_back(argv[i]);
    }

    // The shell's thread is a single-threaded apartment.
    OleInitialize(NULL);
    int result = 2;
    if (command == "menu" && !args.empty())
        result = MenuCommand(args, popup, flags);
    else if (command == "invoke" && args.size() >= 2)
        result = InvokeCommand(args[0], std::vector<std::string>(args.begin() + 1, args.end()));
    else if (command == "props" && args.size() == 1)
        result = PropsCommand(args[0], reselect);
    else
        fputs(kUsage, stderr);
    // Lets the extension go as the shell does when it is idle.
    CoFreeUnusedLibraries();
    OleUninitialize();
    return result;
}
