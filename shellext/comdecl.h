// The COM interfaces this server implements, declared by the server itself.
//
// Each class below is an interface: its virtual table is exactly the COM
// table, in COM order, with nothing in front of it, so an object's address is
// the interface pointer the shell holds. Destruction is therefore not part of
// the tables (the concrete objects free themselves at their last Release).
// They live in their own namespace so that they never meet the platform's
// declarations of the same names.
#ifndef SALVORA_SHELLEXT_COMDECL_H
#define SALVORA_SHELLEXT_COMDECL_H

#include <windows.h>
#include <prsht.h>
#include <shlobj.h>

#include <type_traits>

namespace Com {

// The published identifiers, compared with IsEqualGUID.
constexpr GUID kIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIContextMenu = {0x000214E4, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIShellExtInit = {0x000214E8, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIShellPropSheetExt = {0x000214E9, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) = 0;
};

// Initialize is shared by the three handlers: it captures the selection into
// the module-wide state, whichever handler the shell created.
class IShellExtInit : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE Initialize(LPCITEMIDLIST folder, ::IDataObject* data,
                                                 HKEY progId);
};

class IContextMenu : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst,
                                                       UINT idCmdLast, UINT flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE InvokeCommand(LPCMINVOKECOMMANDINFO info) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved,
                                                       LPSTR name, UINT cchMax) = 0;
};

class IShellPropSheetExt : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE AddPages(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReplacePage(UINT pageId, LPFNADDPROPSHEETPAGE replaceWith,
                                                  LPARAM lParam) = 0;
};

}  // namespace Com

// The i686 build is the Windows 95 deliverable and is never run here: a
// method that lost its calling convention would only fail on a real machine.
// The compiler proves it instead, for the declarations above and for every
// class that implements them (x86-64 has one convention, so there these
// checks hold trivially).
#define SALVORA_ASSERT_COM_METHOD(Class, Method, Result, Params)                                \
    static_assert(std::is_same<decltype(&Class::Method),                                       \
                               Result(STDMETHODCALLTYPE Class::*) Params>::value,              \
                  #Class "::" #Method " must use the COM calling convention")

SALVORA_ASSERT_COM_METHOD(Com::IUnknown, QueryInterface, HRESULT, (REFIID, void**));
SALVORA_ASSERT_COM_METHOD(Com::IUnknown, AddRef, ULONG, ());
SALVORA_ASSERT_COM_METHOD(Com::IUnknown, Release, ULONG, ());
SALVORA_ASSERT_COM_METHOD(Com::IClassFactory, CreateInstance, HRESULT,
                          (Com::IUnknown*, REFIID, void**));
SALVORA_ASSERT_COM_METHOD(Com::IClassFactory, LockServer, HRESULT, (BOOL));
SALVORA_ASSERT_COM_METHOD(Com::IShellExtInit, Initialize, HRESULT,
                          (LPCITEMIDLIST, ::IDataObject*, HKEY));
SALVORA_ASSERT_COM_METHOD(Com::IContextMenu, QueryContextMenu, HRESULT,
                          (HMENU, UINT, UINT, UINT, UINT));
SALVORA_ASSERT_COM_METHOD(Com::IContextMenu, InvokeCommand, HRESULT, (LPCMINVOKECOMMANDINFO));
SALVORA_ASSERT_COM_METHOD(Com::IContextMenu, GetCommandString, HRESULT,
                          (UINT_PTR, UINT, UINT*, LPSTR, UINT));
SALVORA_ASSERT_COM_METHOD(Com::IShellPropSheetExt, AddPages, HRESULT,
                          (LPFNADDPROPSHEETPAGE, LPARAM));
SALVORA_ASSERT_COM_METHOD(Com::IShellPropSheetExt, ReplacePage, HRESULT,
                          (UINT, LPFNADDPROPSHEETPAGE, LPARAM));

#endif
