#include "sext.h"

#include "support/files.h"
#include "support/ui.h"
#include "tools/shellhost/dropdata.h"

namespace sext {

bool Server::Load(const std::string& path)
{
    module = LoadLibraryA(path.c_str());
    if (!module)
        return false;
    getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    canUnloadNow = reinterpret_cast<CanUnloadNowFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    return getClassObject && canUnloadNow;
}

void Server::Unload()
{
    if (module)
        FreeLibrary(module);
    module = NULL;
    getClassObject = NULL;
    canUnloadNow = NULL;
}

IClassFactory* Server::Factory(const GUID& clsid) const
{
    IClassFactory* factory = NULL;
    if (FAILED(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
        return NULL;
    return factory;
}

IShellExtInit* Server::Handler(const GUID& clsid, const std::vector<std::string>& paths,
                               HRESULT* initResult) const
{
    if (initResult)
        *initResult = E_UNEXPECTED;
    Ptr<IClassFactory> factory(Factory(clsid));
    if (!factory)
        return NULL;
    IShellExtInit* init = NULL;
    if (FAILED(factory->CreateInstance(NULL, IID_IShellExtInit, reinterpret_cast<void**>(&init))))
        return NULL;
    HRESULT hr = Initialize(init, paths);
    if (initResult)
        *initResult = hr;
    if (FAILED(hr)) {
        init->Release();
        return NULL;
    }
    return init;
}

std::string BinDllPath()
{
    return files::InBin("slvrsext.dll");
}

std::string ShellHostPath()
{
    return files::InBin("shellhost.exe");
}

Server& Bin()
{
    static Server server;
    if (!server.module)
        server.Load(BinDllPath());
    return server;
}

HRESULT Initialize(IShellExtInit* init, const std::vector<std::string>& paths)
{
    DropDataObject* data = new DropDataObject(paths);
    HRESULT hr = init->Initialize(NULL, data, NULL);
    data->Release();
    return hr;
}

IContextMenu* Menu(IShellExtInit* init, HRESULT* hr)
{
    IContextMenu* cm = reinterpret_cast<IContextMenu*>(0x1);
    HRESULT result = init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&cm));
    if (hr)
        *hr = result;
    return SUCCEEDED(result) ? cm : NULL;
}

IShellPropSheetExt* Sheet(IShellExtInit* init, HRESULT* hr)
{
    IShellPropSheetExt* ps = reinterpret_cast<IShellPropSheetExt*>(0x1);
    HRESULT result = init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&ps));
    if (hr)
        *hr = result;
    return SUCCEEDED(result) ? ps : NULL;
}

MenuResult QueryMenu(IContextMenu* cm, UINT flags, int hostItems, UINT idFirst)
{
    MenuResult result;
    HMENU menu = CreatePopupMenu();
    for (int i = 0; i < hostItems; ++i)
        AppendMenuA(menu, MF_STRING, 1 + i, ("Host " + std::to_string(i)).c_str());
    result.hr = cm->QueryContextMenu(menu, hostItems ? 1 : 0, idFirst, idFirst + 50, flags);
    for (int pos = 0; pos < GetMenuItemCount(menu); ++pos) {
        char text[300] = "";
        GetMenuStringA(menu, pos, text, sizeof text, MF_BYPOSITION);
        result.texts.push_back(text);
        result.ids.push_back(GetMenuItemID(menu, pos));
    }
    DestroyMenu(menu);
    return result;
}

HRESULT Invoke(IContextMenu* cm, LPCSTR verb)
{
    CMINVOKECOMMANDINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    return cm->InvokeCommand(&info);
}

Command::Command(const GUID& clsid, const std::vector<std::string>& paths, UINT verb)
{
    Server& server = Bin();
    thread_ = std::thread([this, &server, clsid, paths, verb] {
        Ptr<IShellExtInit> init(server.Handler(clsid, paths));
        Ptr<IContextMenu> cm(init ? Menu(init.get()) : NULL);
        if (cm) {
            QueryMenu(cm.get(), CMF_NORMAL);
            result_ = Invoke(cm.get(), MAKEINTRESOURCEA(verb));
        }
        done_ = true;
    });
}

Command::~Command()
{
    thread_.join();
}

bool Command::WaitDone(DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done_ && GetTickCount() - start < timeoutMs)
        Sleep(10);
    return done_;
}

// The platform's own text of a GUID, as a registration file writes it.
std::string GuidText(const GUID& guid)
{
    WCHAR wide[64];
    char text[64] = "";
    if (StringFromGUID2(guid, wide, 64))
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, NULL, NULL);
    return text;
}

void FlowTest::TearDown()
{
    LetGo();
    EXPECT_TRUE(ui::WaitUntil([] { return Bin().CanUnloadNow() == S_OK; }));
    standin::Reset();
}

void FlowTest::Hold(const std::string& path, DWORD sharing)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, sharing, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << path;
    held_.push_back(h);
}

void FlowTest::LetGo()
{
    for (HANDLE h : held_)
        CloseHandle(h);
    held_.clear();
}

}  // namespace sext
