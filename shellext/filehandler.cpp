// The file handler: "&ForceDelete" on the context menu of files on a
// protected drive.
#include "shellext/contextmenu.h"
#include "shellext/handlers.h"

namespace FileHandler {

const HandlerKind kHandler = HandlerKind::File;

class TClassFactory final : public TComObject<TClassFactory, Com::IClassFactory> {
public:
    typedef TComObject<TClassFactory, Com::IClassFactory> Base;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE CreateInstance(Com::IUnknown* outer, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

class TShellExtInit final : public TComObject<TShellExtInit, Com::IShellExtInit> {
public:
    typedef TComObject<TShellExtInit, Com::IShellExtInit> Base;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
};

class TContextMenu final : public TComObject<TContextMenu, Com::IContextMenu> {
public:
    typedef TComObject<TContextMenu, Com::IContextMenu> Base;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst,
                                               UINT idCmdLast, UINT flags) override;
    HRESULT STDMETHODCALLTYPE InvokeCommand(LPCMINVOKECOMMANDINFO info) override;
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved,
                                               LPSTR name, UINT cchMax) override;
};

HRESULT GetClassObject(REFIID riid, void** ppv)
{
    return CreateAndQuery<TClassFactory>(riid, ppv);
}

HRESULT STDMETHODCALLTYPE TClassFactory::QueryInterface(REFIID riid, void** ppv)
{
    return AnswerOwn(riid, ppv, Com::kIClassFactory);
}

HRESULT STDMETHODCALLTYPE TClassFactory::CreateInstance(Com::IUnknown* outer, REFIID riid, void** ppv)
{
    return CreateInitialiser<TShellExtInit>(outer, riid, ppv);
}

// Only ObjectCount keeps the DLL loaded.
HRESULT STDMETHODCALLTYPE TClassFactory::LockServer(BOOL)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TShellExtInit::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualGUID(riid, Com::kIUnknown) || IsEqualGUID(riid, Com::kIShellExtInit))
        return AnswerSelf(ppv);
    if (IsEqualGUID(riid, Com::kIContextMenu))
        return HandOutCompanion<TContextMenu>(kHandler, CompanionKind::ContextMenu, riid, ppv);
    // This handler adds no property page.
    *ppv = NULL;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TContextMenu::QueryInterface(REFIID riid, void** ppv)
{
    return AnswerOwn(riid, ppv, Com::kIContextMenu);
}

// idCmdLast is not looked at: the shell always leaves room for two commands.
HRESULT STDMETHODCALLTYPE TContextMenu::QueryContextMenu(HMENU menu, UINT indexMenu,
                                                         UINT idCmdFirst, UINT, UINT flags)
{
    return QueryHandlerMenu(kHandler, menu, indexMenu, idCmdFirst, flags);
}

HRESULT STDMETHODCALLTYPE TContextMenu::InvokeCommand(LPCMINVOKECOMMANDINFO info)
{
    return InvokeHandlerCommand(kHandler, info);
}

HRESULT STDMETHODCALLTYPE TContextMenu::GetCommandString(UINT_PTR idCmd, UINT, UINT*, LPSTR name,
                                                         UINT cchMax)
{
    return GetHandlerCommandString(kHandler, idCmd, name, cchMax);
}

SALVORA_ASSERT_COM_METHOD(TClassFactory::Base, AddRef, ULONG, ());
SALVORA_ASSERT_COM_METHOD(TClassFactory::Base, Release, ULONG, ());
SALVORA_ASSERT_COM_METHOD(TClassFactory, QueryInterface, HRESULT, (REFIID, void**));
SALVORA_ASSERT_COM_METHOD(TClassFactory, CreateInstance, HRESULT, (Com::IUnknown*, REFIID, void**));
SALVORA_ASSERT_COM_METHOD(TClassFactory, LockServer, HRESULT, (BOOL));
SALVORA_ASSERT_COM_METHOD(TShellExtInit::Base, AddRef, ULONG, ());
SALVORA_ASSERT_COM_METHOD(TShellExtInit::Base, Release, ULONG, ());
SALVORA_ASSERT_COM_METHOD(TShellExtInit, QueryInterface, HRESULT, (REFIID, void**));
SALVORA_ASSERT_COM_METHOD(TContextMenu::Base, AddRef, ULONG, ());
SALVORA_ASSERT_COM_METHOD(TContextMenu::Base, Release, ULONG, ());
SALVORA_ASSERT_COM_METHOD(TContextMenu, QueryInterface, HRESULT, (REFIID, void**));
SALVORA_ASSERT_COM_METHOD(TContextMenu, QueryContextMenu, HRESULT, (HMENU, UINT, UINT, UINT, UINT));
SALVORA_ASSERT_COM_METHOD(TContextMenu, InvokeCommand, HRESULT, (LPCMINVOKECOMMANDINFO));
SALVORA_ASSERT_COM_METHOD(TContextMenu, GetCommandString, HRESULT,
                          (UINT_PTR, UINT, UINT*, LPSTR, UINT));

}  // namespace FileHandler
