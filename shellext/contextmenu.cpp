#include "shellext/contextmenu.h"

#include <limits.h>

#include "modulepath/modulepath.h"
#include "shellext/cleartrashcan.h"
#include "shellext/forcedelete.h"
#include "shellext/selection.h"
#include "shellext/server.h"
#include "shellext/undelete.h"

HRESULT QueryHandlerMenu(HandlerKind handler, HMENU menu, UINT indexMenu, UINT idCmdFirst,
                         UINT flags)
{
    MenuPlan plan = PlanContextMenu(handler, flags, SelectedCount);
    for (int i = 0; i < plan.count; i++) {
        char text[kPathBufferSize];
        text[0] = '\0';
        LoadStringA(DllModule, plan.items[i].textId, text, sizeof text);
        InsertMenuA(menu, indexMenu + i, MF_BYPOSITION | MF_STRING, idCmdFirst + i, text);
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, plan.count);
}

HRESULT InvokeHandlerCommand(HandlerKind handler, LPCMINVOKECOMMANDINFO info)
{
    if (!info)
        return E_INVALIDARG;
    // Whatever the action reports to the user, the command was carried out.
    switch (DecideVerb(handler, (uintptr_t)info->lpVerb)) {
    case VerbAction::VerbIsText:
        return E_FAIL;
    case VerbAction::NoSuchVerb:
        return E_INVALIDARG;
    case VerbAction::UndeleteDrive:
        LaunchUndelete(FirstPath, UndeleteMode::Drive);
        break;
    case VerbAction::UndeleteFolder:
        LaunchUndelete(FirstPath, UndeleteMode::Folder);
        break;
    case VerbAction::ClearTrashcan:
        ClearDriveTrashcan();
        break;
    case VerbAction::ForceDelete:
        RunForceDelete();
        break;
    }
    return S_OK;
}

HRESULT GetHandlerCommandString(HandlerKind handler, UINT_PTR idCmd, LPSTR name, UINT cchMax)
{
    int stringId = HelpTextId(handler, idCmd);
    if (stringId == 0)
        return E_INVALIDARG;
    // Every kind of request gets the help text; a request without a buffer
    // (a validation) only learns that the verb exists.
    if (name && cchMax > 0)
        LoadStringA(DllModule, stringId, name, cchMax > INT_MAX ? INT_MAX : (int)cchMax);
    return S_OK;
}
