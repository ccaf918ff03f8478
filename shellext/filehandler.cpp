// The file handler: "&ForceDelete" on the context menu of files on a
// protected drive.
#include "shellext/handlerclasses.h"

namespace FileHandler {

typedef TMenuShellExtInit<HandlerKind::File> TShellExtInit;
typedef THandlerContextMenu<HandlerKind::File> TContextMenu;
typedef THandlerClassFactory<HandlerKind::File, TShellExtInit> TClassFactory;

HRESULT GetClassObject(REFIID riid, void** ppv)
{
    return CreateAndQuery<TClassFactory>(riid, ppv);
}

SALVORA_ASSERT_FACTORY_AND_MENU(TClassFactory, TContextMenu);
SALVORA_ASSERT_INITIALISER(TShellExtInit);

}  // namespace FileHandler
