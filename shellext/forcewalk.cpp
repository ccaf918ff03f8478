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

#include "paths/entrypath.h"
#include "paths/pathjoin.h"
#include "shellext/forcedecisions.h"
#include "paths/deletion.h"
#include "progress/progress.h"

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

// Ends the walk at the item shown as path; the first reason stands.
void StopAt(ForceDeleteRun* run, StopReason reason, const char* path)
{
    run->walkOK = false;
    if (run->stopReason != StopReason::None)
        return;
    run->stopReason = reason;
    lstrcpynA(run->stopPath, path, sizeof run->stopPath);
}

// The user's Cancel in a file confirmation ends the run as the progress
// dialog's own Cancel does, so that dialog does not stay behind as if the
// run still went on.
void CancelFromQuestion(ForceDeleteRun* run, const char* path)
{
    StopAt(run, StopReason::ByUser, path);
    if (!*run->cancel)
        CloseProgressAsCancel(run);
}

enum class FileOutcome { Done, Kept, Stopped };

// Deletes the file at path (shown to the user as shown), asking first when
// it is read-only, hidden or system. Kept when the user said No: the walk
// goes on. Stopped, with the reason in the run, when it stays otherwise.
//
// The attributes are those the file was listed or examined with a moment
// before, not read again: a file costs its listing and its deletion, and
// whatever changes in between, the deletion still removes this file (or
// fails and stops the walk), never what it may lead to. A file that became
// read-only refuses the deletion; one that became a folder is not a file
// to DeleteFileA; a link is removed as itself. A file that another program
// has open is in use, on Windows 95 too. A file that went meanwhile is what
// the user asked for.
FileOutcome DeleteOneFile(ForceDeleteRun* run, const char* path, const char* shown, DWORD attributes)
{
    // Read-only, hidden or system, or not to be examined: asked about
    // unless the user said "Yes to all", and bared before it goes.
    bool isProtected = AsksBeforeDeleting(attributes, false);
    if (AsksBeforeDeleting(attributes, run->yesToAll)) {
        UpdateScreen(run);
        switch (run->ask(shown, run->itemTotal)) {
        case ProtectedFileAnswer::Cancel:
        case ProtectedFileAnswer::NotAsked:   // nobody could be asked
            CancelFromQuestion(run, shown);
            return FileOutcome::Stopped;
        case ProtectedFileAnswer::No:
            StepProgress(run);
            return FileOutcome::Kept;
        case ProtectedFileAnswer::YesToAll:
            run->yesToAll = true;
            break;
        case ProtectedFileAnswer::Yes:
            break;
        }
        // The progress dialog's Cancel while the question was open: the
        // user wants nothing more deleted, whatever the answer.
        if (*run->cancel)
            return FileOutcome::Stopped;
    }
    // A file that stays, in use or refused, keeps what it was.
    bool deleted = DeleteUnopenedFile(path, isProtected ? FILE_ATTRIBUTE_ARCHIVE : 0, attributes) ||
                   ItemIsGone(GetLastError());
    StepProgress(run);
    if (deleted)
        return FileOutcome::Done;
    StopAt(run, StopReason::InUseOrDenied, shown);
    return FileOutcome::Stopped;
}

// Ends the walk at a listed entry that it may not or cannot go into or
// remove; the message names it by its listed name where that fits.
void StopAtEntry(ForceDeleteRun* run, StopReason reason, const char* folder, const char* name)
{
    char shown[kPathBufferSize];
    if (!JoinPath(shown, sizeof shown, folder, name))
        lstrcpynA(shown, folder, sizeof shown);
    StopAt(run, reason, shown);
}

// Counts (deleting false) or deletes a folder's contents, depth first, and
// then the folder itself, shown to the user as shown. The folder is counted
// once, in the counting pass. True when the user kept a file somewhere in
// it: the folder then stays by the user's own choice.
bool WalkFolder(ForceDeleteRun* run, const char* path, const char* shown, bool deleting)
{
    if (!deleting)
        ++run->itemTotal;
    bool kept = false;
    char entryPath[kPathBufferSize];
    WIN32_FIND_DATAA entry;
    HANDLE find = INVALID_HANDLE_VALUE;
    // A folder whose pattern does not fit lists nothing; removing it then
    // succeeds only when it is empty.
    bool listable = JoinPath(entryPath, sizeof entryPath, path, "*.*");
    if (listable)
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
                    StopAtEntry(run, kind == ItemKind::Link ? StopReason::Link : StopReason::Unreachable, path,
                                name);
                else
                    ++run->itemTotal;
            } else if (kind == ItemKind::Folder) {
                kept = WalkFolder(run, entryPath, entryPath, deleting) || kept;
            } else if (deleting) {
                ShowAction(run, entryPath, run->fileAction);
                kept = DeleteOneFile(run, entryPath, entryPath, entry.dwFileAttributes) == FileOutcome::Kept || kept;
            } else {
                ++run->itemTotal;
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    if (deleting && !Stopped(run)) {
        ShowAction(run, shown, run->folderAction);
        if (!RemoveDirectoryA(path) && !ItemIsGone(GetLastError()))
            StopAt(run, kept ? StopReason::ByUser : listable ? StopReason::InUseOrDenied : StopReason::Unreachable,
                   shown);
    }
    return kept;
}

// The path that reaches the selected item, and its attributes. Failed also
// when the item is there but cannot be examined.
ItemReach ReachSelected(const char* selected, char* path, DWORD* attributes)
{
    *attributes = INVALID_FILE_ATTRIBUTES;
    ItemReach reach = ReachSelectedItem(selected, path, kPathBufferSize);
    if (reach != ItemReach::Reached)
        return reach;
    *attributes = GetFileAttributesA(path);
    if (*attributes == INVALID_FILE_ATTRIBUTES)
        return ItemIsGone(GetLastError()) ? ItemReach::Gone : ItemReach::Failed;
    return ItemReach::Reached;
}

}  // namespace

void CountSelection(ForceDeleteRun* run)
{
    int32_t count = run->paths->ItemCount;
    for (int32_t i = 0; i < count && !*run->cancel; ++i) {
        const char* selected = run->paths->PathAt(i);
        char path[kPathBufferSize];
        DWORD attributes = 0;
        if (ReachSelected(selected, path, &attributes) == ItemReach::Reached &&
            KindOfItem(attributes) == ItemKind::Folder)
            WalkFolder(run, path, selected, false);
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
        const char* selected = run->paths->PathAt(i);
        char path[kPathBufferSize];
        DWORD attributes = 0;
        switch (ReachSelected(selected, path, &attributes)) {
        case ItemReach::Reached:
            break;
        case ItemReach::Gone:
            StepProgress(run);   // what the user asked for
            continue;
        case ItemReach::NoName:
            StopAt(run, StopReason::Unreachable, selected);
            continue;
        case ItemReach::Failed:
            StopAt(run, StopReason::InUseOrDenied, selected);
            continue;
        }
        switch (KindOfItem(attributes)) {
        case ItemKind::Folder:
            WalkFolder(run, path, selected, true);
            break;
        case ItemKind::File:
            ShowAction(run, selected, run->fileAction);
            DeleteOneFile(run, path, selected, attributes);
            break;
        case ItemKind::Link:
        case ItemKind::Unknown:
            // Neither listed nor removed: what it leads to is not known to be
            // inside the selection.
            StopAt(run, StopReason::Link, selected);
            break;
        }
    }
    UpdateScreen(run);
}
