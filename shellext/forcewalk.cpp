// The walk deletes only what lies inside the selected trees. What could lead
// out of them is never entered and never removed: a link (a reparse point;
// under Wine a Unix symbolic link to a directory reads as one) stops the
// walk as an item that could not be deleted, and so does a path that does
// not fit a path buffer. Under Wine a Unix symbolic link to a *file* reads as
// a plain file, and deleting it deletes the file it points to; nothing seen
// through the Win32 API tells such a link apart.
#include "shellext/forcewalk.h"

#include <commctrl.h>
#include <string.h>

#include "modulepath/entrypath.h"
#include "modulepath/pathjoin.h"
#include "shellext/forcedecisions.h"
#include "trashcan/progress.h"

namespace {

// Every change on the screen is a message to the shell's thread, which
// under Wine costs several times what deleting a file does. So the screen is
// brought up to date only when a display is due while the walk moves on, and
// at once whenever it stops: to ask about a file, or at its end.
void UpdateScreen(ForceDeleteRun* run)
{
    if (run->actionChanged)
        SetWindowTextA(run->actionText, run->action);
    if (run->countChanged) {
        ShowItemsDone(run->bar, run->done, run->itemTotal);
        ShowPercent(run->percentText, ForceDeletePercent(run->done, run->itemTotal), &run->percentShown);
    }
    run->actionChanged = false;
    run->countChanged = false;
    run->pacer.Shown();
}

void ScreenChanged(ForceDeleteRun* run)
{
    if (run->pacer.Due())
        UpdateScreen(run);
}

void ShowAction(ForceDeleteRun* run, const char* path, const char* action)
{
    ActionText(run->action, sizeof run->action, action, path);
    run->actionChanged = true;
    ScreenChanged(run);
}

void StepProgress(ForceDeleteRun* run)
{
    ++run->done;
    run->countChanged = true;
    ScreenChanged(run);
}

bool Stopped(const ForceDeleteRun* run)
{
    return !run->walkOK || *run->cancel;
}

// True when the file is gone, or stays because the user said No; false
// when it stays for any other reason, which ends the walk.
bool DeleteOneFile(ForceDeleteRun* run, const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    // It became a link since it was listed.
    if (KindOfItem(attributes) == ItemKind::Link)
        return false;
    // Read-only, hidden or system, or not to be examined: asked about
    // unless the user said "Yes to all", and bared before it goes.
    bool isProtected = AsksBeforeDeleting(attributes, false);
    if (AsksBeforeDeleting(attributes, run->yesToAll)) {
        UpdateScreen(run);
        switch (run->ask(path, run->itemTotal)) {
        case ProtectedFileAnswer::Cancel:
            *run->cancel = 1;
            return false;
        case ProtectedFileAnswer::No:
            StepProgress(run);
            return true;
        case ProtectedFileAnswer::YesToAll:
            run->yesToAll = true;
            break;
        case ProtectedFileAnswer::Yes:
            break;
        case ProtectedFileAnswer::NotAsked:
            return false;
        }
        // The progress dialog's Cancel while the question was open: the
        // user wants nothing more deleted, whatever the answer.
        if (*run->cancel)
            return false;
    }
    if (isProtected)
        SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
    bool deleted = DeleteFileA(path) != FALSE;
    // A file that stays keeps what it was.
    if (!deleted && isProtected && attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path, attributes);
    StepProgress(run);
    return deleted;
}

// Counts (deleting false) or deletes a folder's contents, depth first, and
// then the folder itself. The folder is counted once, in the counting pass.
void WalkFolder(ForceDeleteRun* run, const char* path, bool deleting)
{
    if (!deleting)
        ++run->itemTotal;
    char entryPath[kPathBufferSize];
    WIN32_FIND_DATAA entry;
    HANDLE find = INVALID_HANDLE_VALUE;
    // A folder whose pattern does not fit lists nothing; removing it then
    // succeeds only when it is empty.
    if (JoinPath(entryPath, sizeof entryPath, path, "*.*"))
        find = FindFirstFileA(entryPath, &entry);
    if (find != INVALID_HANDLE_VALUE) {
        size_t dirLength = strlen(entryPath) - 3;   // up to the backslash
        do {
            if (Stopped(run))
                break;
            const char* name = entry.cFileName;
            if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
                continue;
            ItemKind kind = KindOfItem(entry.dwFileAttributes);
            bool reachable = kind != ItemKind::Link &&
                             PutListedEntryPath(entryPath, sizeof entryPath, dirLength, entry);
            if (!reachable) {
                if (deleting)
                    run->walkOK = false;
                else
                    ++run->itemTotal;
            } else if (kind == ItemKind::Folder) {
                WalkFolder(run, entryPath, deleting);
            } else if (deleting) {
                ShowAction(run, entryPath, run->fileAction);
                run->walkOK = DeleteOneFile(run, entryPath);
            } else {
                ++run->itemTotal;
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    if (deleting && !Stopped(run)) {
        ShowAction(run, path, run->folderAction);
        run->walkOK = RemoveDirectoryA(path) != FALSE;
    }
}

}  // namespace

void CountSelection(ForceDeleteRun* run)
{
    int32_t count = run->paths->ItemCount;
    for (int32_t i = 0; i < count && !*run->cancel; ++i) {
        const char* path = run->paths->PathAt(i);
        if (KindOfItem(GetFileAttributesA(path)) == ItemKind::Folder)
            WalkFolder(run, path, false);
        else
            ++run->itemTotal;
    }
    SetItemRange(run->bar, run->itemTotal);
}

void DeleteSelection(ForceDeleteRun* run)
{
    run->pacer.ShowNextAtOnce();
    int32_t count = run->paths->ItemCount;
    for (int32_t i = 0; i < count && !Stopped(run); ++i) {
        const char* path = run->paths->PathAt(i);
        switch (KindOfItem(GetFileAttributesA(path))) {
        case ItemKind::Folder:
            WalkFolder(run, path, true);
            break;
        case ItemKind::File:
            ShowAction(run, path, run->fileAction);
            run->walkOK = DeleteOneFile(run, path);
            break;
        case ItemKind::Link:
        case ItemKind::Unknown:
            // Neither listed nor removed: what it leads to is not known to be
            // inside the selection.
            run->walkOK = false;
            break;
        }
    }
    UpdateScreen(run);
}
