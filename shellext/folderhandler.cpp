// The folder handler: "&ForceDelete" and, for one folder, "Salvora
// &Undelete..." on the context menu of folders on a protected drive.
#include "shellext/handlerclasses.h"

namespace FolderHandler {

typedef TMenuShellExtInit<HandlerKind::Folder> TShellExtInit;
typedef THandlerContextMenu<HandlerKind::Folder> TContextMenu;
typedef THandlerClassFactory<HandlerKind::Folder, TShellExtInit> TClassFactory;

HRESULT GetClassObject(REFIID riid, void** ppv)
{
    return CreateAndQuery<TClassFactory>(riid, ppv);
}

SALVORA_ASSERT_FACTORY_AND_MENU(TClassFactory, TContextMenu);
SALVORA_ASSERT_INITIALISER(TShellExtInit);

}  // namespace FolderHandler
