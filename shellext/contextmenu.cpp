#include "shellext/contextmenu.h"

#include <limits.h>
#include <string.h>

#include "paths/modulepath.h"
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

HRESULT GetHandlerCommandString(HandlerKind handler, UINT_PTR idCmd, UINT type, LPSTR name, UINT cchMax)
{
    int stringId = HelpTextId(handler, idCmd);
    if (stringId == 0)
        return E_INVALIDARG;
    // A validation only asks whether the verb exists: its buffer, if it
    // passes one, is not the handler's to write.
    if ((type & ~GCS_UNICODE) == GCS_VALIDATEA)
        return S_OK;
    // Every other kind of request gets the help text, in the characters it
    // asks for: a wide request holds cchMax of them.
    if (!name || cchMax == 0)
        return S_OK;
    int size = cchMax > INT_MAX ? INT_MAX : (int)cchMax;
    if (!(type & GCS_UNICODE)) {
        LoadStringA(DllModule, stringId, name, size);
        return S_OK;
    }
    char text[kPathBufferSize] = "";
    WCHAR wide[kPathBufferSize];
    LoadStringA(DllModule, stringId, text, sizeof text);
    // Converted whole, then cut: a conversion into a buffer too small fails.
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kPathBufferSize) - 1;
    if (length < 0)
        length = 0;
    if (length > size - 1)
        length = size - 1;
    WCHAR* out = reinterpret_cast<WCHAR*>(name);
    memcpy(out, wide, length * sizeof(WCHAR));
    out[length] = L'\0';
    return S_OK;
}
