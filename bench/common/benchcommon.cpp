#include "bench/common/benchcommon.h"

#include <string.h>

#include <algorithm>

#include "shellext/classids.h"
#include "standin/vsalvora/vsalvora_ctl.h"
#include "tools/shellhost/dropdata.h"

double Now()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double MedianRatio(const std::vector<double>& measured, const std::vector<double>& baseline)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < measured.size() && i < baseline.size(); ++i)
        ratios.push_back(measured[i] / baseline[i]);
    return Median(ratios);
}

bool ProtectDrive(char letter)
{
    HANDLE h = CreateFileA(VSCTL_CONTROL_NAME_A, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0,
                           NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    BYTE record[8] = {(BYTE)(letter - 'A' + 1), 1, 0, 16, 0, 0, 10, 0};
    BOOL ok = DeviceIoControl(h, VSCTL_RESET, NULL, 0, NULL, 0, &returned, NULL) &&
              DeviceIoControl(h, VSCTL_SET_DRIVE, record, sizeof record, NULL, 0, &returned, NULL);
    CloseHandle(h);
    return ok != FALSE;
}

HMODULE ExtensionModule()
{
    static HMODULE module;
    if (!module) {
        char path[MAX_PATH];
        GetModuleFileNameA(NULL, path, sizeof path);
        lstrcpyA(strrchr(path, '\\') + 1, "slvrsext.dll");
        module = LoadLibraryA(path);
    }
    return module;
}

IContextMenu* HandlerMenu(const GUID& clsid, const std::string& path)
{
    typedef HRESULT(STDAPICALLTYPE * GetClassObjectFn)(REFCLSID, REFIID, LPVOID*);
    HMODULE module = ExtensionModule();
    GetClassObjectFn getClassObject =
        module ? (GetClassObjectFn)(void*)GetProcAddress(module, "DllGetClassObject") : NULL;
    IClassFactory* factory = NULL;
    if (!getClassObject || FAILED(getClassObject(clsid, IID_IClassFactory, (void**)&factory)))
        return NULL;
    IShellExtInit* init = NULL;
    factory->CreateInstance(NULL, IID_IShellExtInit, (void**)&init);
    factory->Release();
    if (!init)
        return NULL;
    DropDataObject* data = new DropDataObject(std::vector<std::string>(1, path));
    IContextMenu* menu = NULL;
    if (SUCCEEDED(init->Initialize(NULL, data, NULL)))
        init->QueryInterface(IID_IContextMenu, (void**)&menu);
    data->Release();
    init->Release();
    return menu;
}

bool MakeTree(const std::string& root, int folders, int files)
{
    if (!CreateDirectoryA(root.c_str(), NULL))
        return false;
    char path[MAX_PATH];
    for (int d = 0; d < folders; ++d) {
        wsprintfA(path, "%s\\D%03d", root.c_str(), d);
        if (!CreateDirectoryA(path, NULL))
            return false;
        for (int f = 0; f < files; ++f) {
            wsprintfA(path, "%s\\D%03d\\F%03d.DAT", root.c_str(), d, f);
            // Exact names spare Wine a search of the folder for each one.
            HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_POSIX_SEMANTICS, NULL);
            if (h == INVALID_HANDLE_VALUE)
                return false;
            CloseHandle(h);
        }
    }
    return true;
}

bool BareOpenCheck(const char* path)
{
    HANDLE probe = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (probe == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(probe);
    return true;
}

bool BareDeleteFile(const char* path)
{
    return BareOpenCheck(path) && DeleteFileA(path) != FALSE;
}

void BareWalk(const std::string& dir)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((dir + "\\*.*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (entry.cFileName[0] == '.')
                continue;
            std::string path = dir + "\\" + entry.cFileName;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                BareWalk(path);
            else
                BareDeleteFile(path.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

namespace {

double yesAt = 0;

// The bench's part of the user: Yes to the confirmation once it is filled in.
DWORD WINAPI AnswerYes(void*)
{
    for (int i = 0; i < 20000; ++i) {
        HWND box = FindWindowA("#32770", "Salvora: Confirm Folder ForceDelete");
        if (box && IsWindowVisible(box) && GetWindowTextLengthA(GetDlgItem(box, 12295)) > 0) {
            yesAt = Now();
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
            return 0;
        }
        Sleep(1);
    }
    return 0;
}

}  // namespace

bool ForceDeleteTree(const std::string& root, double* ms)
{
    IContextMenu* menu = HandlerMenu(CLSID_SalvoraFolderHandler, root);
    if (!menu)
        return false;
    HANDLE user = CreateThread(NULL, 0, AnswerYes, NULL, 0, NULL);
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(0);
    menu->InvokeCommand(&info);
    *ms = Now() - yesAt;
    WaitForSingleObject(user, INFINITE);
    CloseHandle(user);
    menu->Release();
    return true;
}
