#include "shellext/selection.h"

#include <new>
#include <shellapi.h>
#include <string.h>

#include "paths/pathjoin.h"
#include "shellext/comdecl.h"

int32_t SelectedCount = 0;
TSelectionList* SelectedPaths = NULL;
char FirstPath[kPathBufferSize] = "";
int32_t SelectedDrive = 0;
HWND DialogOwner = NULL;

namespace {

// The shell may call Initialize on any of its threads. The selection's
// fields change together under this lock, and a flow takes its list and
// count in one step under it, so that no list is freed under a hold and no
// count is paired with another selection's list.
CRITICAL_SECTION SelectionLock;

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
        // Decided on and acted on in the one spelling that names the item
        // itself; a path that starts with no drive is kept as it came and
        // is neither accepted nor force-deleted.
        char canonical[kPathBufferSize];
        char* copy = StrNew(CanonicalPath(path, canonical, sizeof canonical) ? canonical : path);
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
        EnterCriticalSection(&SelectionLock);
        SelectedCount = count;
        LeaveCriticalSection(&SelectionLock);
        return E_FAIL;
    }
    TSelectionList* list = CopyDropList(drop, count);
    if (!list)
        return E_FAIL;

    EnterCriticalSection(&SelectionLock);
    SelectedCount = count;
    TSelectionList* replaced = SelectedPaths;
    SelectedPaths = list;
    lstrcpynA(FirstPath, list->PathAt(0), kPathBufferSize);
    SelectedDrive = DriveNumberOfPath(FirstPath);
    LeaveCriticalSection(&SelectionLock);
    // A worker still walking the replaced list holds it; it is freed when
    // the last holder lets go.
    if (replaced)
        replaced->Drop();
    return S_OK;
}

}  // namespace

void StartSelection()
{
    InitializeCriticalSection(&SelectionLock);
}

void ReleaseSelection()
{
    EnterCriticalSection(&SelectionLock);
    TSelectionList* list = SelectedPaths;
    SelectedPaths = NULL;
    SelectedCount = 0;
    LeaveCriticalSection(&SelectionLock);
    if (list)
        list->Drop();
    DeleteCriticalSection(&SelectionLock);
}

TSelectionList* HoldSelection()
{
    EnterCriticalSection(&SelectionLock);
    TSelectionList* list = SelectedCount > 0 && SelectedPaths ? SelectedPaths->Hold() : NULL;
    LeaveCriticalSection(&SelectionLock);
    return list;
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
    char first[kPathBufferSize];
    EnterCriticalSection(&SelectionLock);
    int32_t count = SelectedCount;
    int32_t drive = SelectedDrive;
    lstrcpynA(first, FirstPath, sizeof first);
    LeaveCriticalSection(&SelectionLock);
    switch (DecideCompanion(handler, companion, count, strlen(first), drive)) {
    case CompanionRule::Accepted:
        return true;
    case CompanionRule::NeedsProtectedDrive:
        return IsDriveProtected(first);
    case CompanionRule::Refused:
        break;
    }
    return false;
}

bool ReadDriveRecord(const char* path, DriveRecord* record)
{
    char root[4];
    lstrcpynA(root, path, sizeof root);
    int drive = DriveNumberOfPath(root);
    if (drive == 0) {
        memset(record, 0, sizeof *record);
        return false;
    }
    return FetchDriveRecord(drive, record);
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
