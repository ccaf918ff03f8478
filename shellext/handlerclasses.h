// The classes every handler has, stamped out for each handler so that each
// namespace holds classes of its own: a class of one handler can only ever
// create objects of the same handler.
#ifndef SALVORA_SHELLEXT_HANDLERCLASSES_H
#define SALVORA_SHELLEXT_HANDLERCLASSES_H

#include "shellext/contextmenu.h"
#include "shellext/handlers.h"

// The class factory of a handler; it makes only that handler's initialiser.
template <HandlerKind Kind, class Initialiser>
class THandlerClassFactory final
    : public TComObject<THandlerClassFactory<Kind, Initialiser>, Com::IClassFactory> {
public:
    typedef TComObject<THandlerClassFactory<Kind, Initialiser>, Com::IClassFactory> Base;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        return this->AnswerOwn(riid, ppv, Com::kIClassFactory);
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(Com::IUnknown* outer, REFIID riid, void** ppv) override
    {
        return CreateInitialiser<Initialiser>(outer, riid, ppv);
    }
    // Only live objects (and a running worker) keep the DLL loaded.
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return E_NOTIMPL; }
};

// The context menu of a handler: its items, verbs and help texts.
template <HandlerKind Kind>
class THandlerContextMenu final : public TComObject<THandlerContextMenu<Kind>, Com::IContextMenu> {
public:
    typedef TComObject<THandlerContextMenu<Kind>, Com::IContextMenu> Base;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        return this->AnswerOwn(riid, ppv, Com::kIContextMenu);
    }
    // idCmdLast is not looked at: the shell always leaves room for two commands.
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT,
                                               UINT flags) override
    {
        return QueryHandlerMenu(Kind, menu, indexMenu, idCmdFirst, flags);
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(LPCMINVOKECOMMANDINFO info) override
    {
        return InvokeHandlerCommand(Kind, info);
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR idCmd, UINT type, UINT*, LPSTR name,
                                               UINT cchMax) override
    {
        return GetHandlerCommandString(Kind, idCmd, type, name, cchMax);
    }
};

// The initialiser of a handler whose only companion is its context menu.
template <HandlerKind Kind>
class TMenuShellExtInit final : public TComObject<TMenuShellExtInit<Kind>, Com::IShellExtInit> {
public:
    typedef TComObject<TMenuShellExtInit<Kind>, Com::IShellExtInit> Base;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualGUID(riid, Com::kIUnknown) || IsEqualGUID(riid, Com::kIShellExtInit))
            return this->AnswerSelf(ppv);
        if (IsEqualGUID(riid, Com::kIContextMenu))
            return HandOutCompanion<THandlerContextMenu<Kind>>(Kind, CompanionKind::ContextMenu, riid,
                                                              ppv);
        // No property page from this handler.
        *ppv = NULL;
        return E_NOINTERFACE;
    }
};

// The compiler proves that every method of a handler's classes has COM's
// calling convention (on i686 a missing __stdcall would only show on a
// real Windows 95 machine).
#define SALVORA_ASSERT_FACTORY_AND_MENU(Factory, Menu)                                               \
    SALVORA_ASSERT_COM_METHOD(Factory::Base, AddRef, ULONG, ());                                   \
    SALVORA_ASSERT_COM_METHOD(Factory::Base, Release, ULONG, ());                                  \
    SALVORA_ASSERT_COM_METHOD(Factory, QueryInterface, HRESULT, (REFIID, void**));                 \
    SALVORA_ASSERT_COM_METHOD(Factory, CreateInstance, HRESULT, (Com::IUnknown*, REFIID, void**)); \
    SALVORA_ASSERT_COM_METHOD(Factory, LockServer, HRESULT, (BOOL));                               \
    SALVORA_ASSERT_COM_METHOD(Menu::Base, AddRef, ULONG, ());                                      \
    SALVORA_ASSERT_COM_METHOD(Menu::Base, Release, ULONG, ());                                     \
    SALVORA_ASSERT_COM_METHOD(Menu, QueryInterface, HRESULT, (REFIID, void**));                    \
    SALVORA_ASSERT_COM_METHOD(Menu, QueryContextMenu, HRESULT, (HMENU, UINT, UINT, UINT, UINT));   \
    SALVORA_ASSERT_COM_METHOD(Menu, InvokeCommand, HRESULT, (LPCMINVOKECOMMANDINFO));              \
    SALVORA_ASSERT_COM_METHOD(Menu, GetCommandString, HRESULT, (UINT_PTR, UINT, UINT*, LPSTR, UINT))

#define SALVORA_ASSERT_INITIALISER(Init)                                                           \
    SALVORA_ASSERT_COM_METHOD(Init::Base, AddRef, ULONG, ());                                      \
    SALVORA_ASSERT_COM_METHOD(Init::Base, Release, ULONG, ());                                     \
    SALVORA_ASSERT_COM_METHOD(Init, QueryInterface, HRESULT, (REFIID, void**))

#endif
