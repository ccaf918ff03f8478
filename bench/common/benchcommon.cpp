#include "bench/common/benchcommon.h"

#include <string.h>

#include <algorithm>

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
