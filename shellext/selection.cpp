#include "shellext/selection.h"

#include <new>
#include <shellapi.h>
#include <string.h>

#include "shellext/comdecl.h"

int32_t SelectedCount = 0;
TSelectionList* SelectedPaths = NULL;
char FirstPath[kPathBufferSize] = "";
int32_t SelectedDrive = 0;
HWND DialogOwner = NULL;

namespace {

// Copies the drop list into a new list. Null when any path is empty (how an
// empty list reads: it still counts as one item) or longer than a path
// buffer: a cut path would name another file, which ForceDelete would then
// delete. Windows 95 itself never hands over such a path.
TSelectionList* CopyDropList(HDROP drop, int32_t count)
{
    TSelectionList* list = new (std::nothrow) TSelectionList(count);
    if (!list)
        return NULL;
    for (int32_t i = 0; i < count; i++) {
        char path[kPathBufferSize];
        UINT length = DragQueryFileA(drop, (UINT)i, NULL, 0);
        if (length == 0 || length >= (UINT)kPathBufferSize) {
            list->Drop();
            return NULL;
        }
        path[0] = '\0';
        DragQueryFileA(drop, (UINT)i, path, kPathBufferSize);
        char* copy = StrNew(path);
        if (!copy || !list->Add(copy)) {
            StrDispose(copy);
            list->Drop();
            return NULL;
        }
    }
    return list;
}

HRESULT CaptureDropList(HDROP drop)
{
    int32_t count = (int32_t)DragQueryFileA(drop, 0xFFFFFFFF, NULL, 0);
    if (count <= 0) {
        SelectedCount = count;
        return E_FAIL;
    }
    TSelectionList* list = CopyDropList(drop, count);
    if (!list)
        return E_FAIL;

    SelectedCount = count;
    TSelectionList* replaced = SelectedPaths;
    SelectedPaths = list;
    lstrcpynA(FirstPath, list->PathAt(0), kPathBufferSize);
    SelectedDrive = DriveNumberOfPath(FirstPath);
    // A worker still walking the replaced list holds it; it is freed when
    // the last holder lets go.
    if (replaced)
        replaced->Drop();
    return S_OK;
}

}  // namespace

void ReleaseSelection()
{
    TSelectionList* list = SelectedPaths;
    SelectedPaths = NULL;
    SelectedCount = 0;
    if (list)
        list->Drop();
}

HRESULT CaptureSelection(IDataObject* data)
{
    if (!data)
        return E_FAIL;
    FORMATETC format = {CF_HDROP, NULL, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium;
    memset(&medium, 0, sizeof medium);
    if (FAILED(data->GetData(&format, &medium)))
        return E_FAIL;
    HRESULT result = E_FAIL;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal)
        result = CaptureDropList((HDROP)medium.hGlobal);
    // The medium is ours once GetData has returned it.
    ReleaseStgMedium(&medium);
    return result;
}

// pidlFolder and hkeyProgID tell nothing the drop list does not.
HRESULT STDMETHODCALLTYPE Com::IShellExtInit::Initialize(LPCITEMIDLIST, ::IDataObject* data, HKEY)
{
    return CaptureSelection(data);
}

bool AcceptsCompanion(HandlerKind handler, CompanionKind companion)
{
    switch (DecideCompanion(handler, companion, SelectedCount, strlen(FirstPath), SelectedDrive)) {
    case CompanionRule::Accepted:
        return true;
    case CompanionRule::NeedsProtectedDrive:
        return IsDriveProtected(FirstPath);
    case CompanionRule::Refused:
        break;
    }
    return false;
}

void ReadDriveRecord(const char* path, DriveRecord* record)
{
    char root[4];
    lstrcpynA(root, path, sizeof root);
    int drive = DriveNumberOfPath(root);
    if (drive == 0) {
        memset(record, 0, sizeof *record);
        return;
    }
    *record = QueryDriveRecord(drive);
}

bool IsDriveProtected(const char* path)
{
    DriveRecord record;
    ReadDriveRecord(path, &record);
    return record.enabled != 0;
}

UINT RootDriveType(const char* path)
{
    char root[4];
    lstrcpynA(root, path, sizeof root);
    return GetDriveTypeA(root);
}
