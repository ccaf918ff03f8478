// The drive handler: "Salvora &Undelete..." and "&Clear Trashcan" on the
// context menu of a protected drive, and the "Salvora" property page.
#include "shellext/drivepage.h"
#include "shellext/handlerclasses.h"

namespace DriveHandler {

const HandlerKind kHandler = HandlerKind::Drive;

typedef THandlerContextMenu<HandlerKind::Drive> TContextMenu;

// The drive handler's initialiser also hands out the property page.
class TShellExtInit final : public TComObject<TShellExtInit, Com::IShellExtInit> {
public:
    typedef TComObject<TShellExtInit, Com::IShellExtInit> Base;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
};

typedef THandlerClassFactory<HandlerKind::Drive, TShellExtInit> TClassFactory;

class TShellPropSheetExt final : public TComObject<TShellPropSheetExt, Com::IShellPropSheetExt> {
public:
    typedef TComObject<TShellPropSheetExt, Com::IShellPropSheetExt> Base;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE AddPages(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE ReplacePage(UINT pageId, LPFNADDPROPSHEETPAGE replaceWith,
                                          LPARAM lParam) override;
};

HRESULT GetClassObject(REFIID riid, void** ppv)
{
    return CreateAndQuery<TClassFactory>(riid, ppv);
}

HRESULT STDMETHODCALLTYPE TShellExtInit::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualGUID(riid, Com::kIUnknown) || IsEqualGUID(riid, Com::kIShellExtInit))
        return AnswerSelf(ppv);
    if (IsEqualGUID(riid, Com::kIContextMenu))
        return HandOutCompanion<TContextMenu>(kHandler, CompanionKind::ContextMenu, riid, ppv);
    if (IsEqualGUID(riid, Com::kIShellPropSheetExt))
        return HandOutCompanion<TShellPropSheetExt>(kHandler, CompanionKind::PropertySheet, riid, ppv);
    *ppv = NULL;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TShellPropSheetExt::QueryInterface(REFIID riid, void** ppv)
{
    return AnswerOwn(riid, ppv, Com::kIShellPropSheetExt);
}

HRESULT STDMETHODCALLTYPE TShellPropSheetExt::AddPages(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam)
{
    return AddDrivePage(addPage, lParam);
}

HRESULT STDMETHODCALLTYPE TShellPropSheetExt::ReplacePage(UINT, LPFNADDPROPSHEETPAGE, LPARAM)
{
    return E_NOTIMPL;
}

SALVORA_ASSERT_FACTORY_AND_MENU(TClassFactory, TContextMenu);
SALVORA_ASSERT_INITIALISER(TShellExtInit);
SALVORA_ASSERT_COM_METHOD(TShellPropSheetExt::Base, AddRef, ULONG, ());
SALVORA_ASSERT_COM_METHOD(TShellPropSheetExt::Base, Release, ULONG, ());
SALVORA_ASSERT_COM_METHOD(TShellPropSheetExt, QueryInterface, HRESULT, (REFIID, void**));
SALVORA_ASSERT_COM_METHOD(TShellPropSheetExt, AddPages, HRESULT, (LPFNADDPROPSHEETPAGE, LPARAM));
SALVORA_ASSERT_COM_METHOD(TShellPropSheetExt, ReplacePage, HRESULT,
                          (UINT, LPFNADDPROPSHEETPAGE, LPARAM));

}  // namespace DriveHandler
