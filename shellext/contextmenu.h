// The context-menu operations the three handlers share; each handler's
// TContextMenu passes its kind.
#ifndef SALVORA_SHELLEXT_CONTEXTMENU_H
#define SALVORA_SHELLEXT_CONTEXTMENU_H

#include <windows.h>
#include <shlobj.h>

#include "shellext/decisions.h"

HRESULT QueryHandlerMenu(HandlerKind handler, HMENU menu, UINT indexMenu, UINT idCmdFirst,
                         UINT flags);
HRESULT InvokeHandlerCommand(HandlerKind handler, LPCMINVOKECOMMANDINFO info);
// For a verb of the handler: nothing for a validation, the help text for
// every other request. E_INVALIDARG for any other verb.
HRESULT GetHandlerCommandString(HandlerKind handler, UINT_PTR idCmd, UINT type, LPSTR name, UINT cchMax);

#endif
