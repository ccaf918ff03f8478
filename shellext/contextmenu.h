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
HRESULT GetHandlerCommandString(HandlerKind handler, UINT_PTR idCmd, LPSTR name, UINT cchMax);

#endif
