#include "paths/entrypath.h"

#include <string.h>

#include "paths/listedname.h"
#include "paths/pathjoin.h"

namespace {

// The listing converts names to ANSI by best fit, so a long name can come
// out as another file's name (full-width letters read as their plain
// look-alikes). Where the entry has a short name, its long name is trusted
// only when it finds that same entry again; a plain name is no pattern, so
// this finds one entry.
bool LeadsToEntry(const char* path, const WIN32_FIND_DATAA& entry, DWORD* reached)
{
    if (!entry.cAlternateFileName[0])
        return true;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(path, &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    FindClose(find);
    if (!SameNameIgnoringCase(found.cAlternateFileName, entry.cAlternateFileName))
        return false;
    *reached = found.dwFileAttributes;
    return true;
}

// Puts after the dirLength characters of path a name that reaches the one
// entry of that folder listed under name: its long name where that finds
// this very entry, else its short name, as for any listed entry. A name that
// more than one entry lists under reaches none of them.
ItemReach PutListedName(char* path, size_t pathSize, size_t dirLength, const char* name)
{
    char pattern[MAX_PATH + 1];
    path[dirLength] = '\0';
    if (!JoinPath(pattern, sizeof pattern, path, "*.*"))
        return ItemReach::NoName;
    WIN32_FIND_DATAA entry, listed = {};
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return ItemIsGone(GetLastError()) ? ItemReach::Gone : ItemReach::Failed;
    ListedNameTally tally(name, SameNameIgnoringCase);
    bool whole = true;
    for (;;) {
        if (tally.Add(entry.cFileName, entry.cAlternateFileName))
            listed = entry;
        if (tally.Result() == ListedName::Ambiguous)
            break;
        if (!FindNextFileA(find, &entry)) {
            // A listing that broke off may have left out a twin.
            whole = GetLastError() == ERROR_NO_MORE_FILES;
            break;
        }
    }
    FindClose(find);
    switch (tally.Result()) {
    case ListedName::Ambiguous:
        return ItemReach::NoName;
    case ListedName::Missing:
        return whole ? ItemReach::Gone : ItemReach::Failed;
    case ListedName::Unique:
        break;
    }
    if (!whole)
        return ItemReach::Failed;
    return PutListedEntryPath(path, pathSize, dirLength, listed) ? ItemReach::Reached : ItemReach::NoName;
}

}  // namespace

bool PutListedEntryPath(char* path, size_t pathSize, size_t dirLength, const WIN32_FIND_DATAA& entry,
                        DWORD* reached, bool listedOnce)
{
    DWORD found = INVALID_FILE_ATTRIBUTES;
    if (!reached)
        reached = &found;
    *reached = INVALID_FILE_ATTRIBUTES;
    // A plain name is taken as it stands: another entry it could find would
    // have been listed under it too. Listed once, it reaches this entry or
    // nothing, and what the listing said of the entry is what it reaches.
    if (PutEntryName(path, pathSize, dirLength, entry.cFileName, "")) {
        if (listedOnce) {
            *reached = entry.dwFileAttributes;
            return true;
        }
        if (LeadsToEntry(path, entry, reached))
            return true;
    }
    return PutEntryName(path, pathSize, dirLength, entry.cAlternateFileName, "");
}

ItemReach ReachSelectedItem(const char* canonical, char* out, size_t outSize)
{
    size_t length = strlen(canonical);
    if (length < 3 || length >= outSize)
        return ItemReach::NoName;
    memcpy(out, canonical, 3);
    out[3] = '\0';
    size_t used = 3;
    const char* name = canonical + 3;
    while (*name) {
        const char* end = FindBackslash(name);
        size_t nameLength = end ? (size_t)(end - name) : strlen(name);
        char part[MAX_PATH + 1];
        if (nameLength >= sizeof part || used + 1 >= outSize)
            return ItemReach::NoName;
        memcpy(part, name, nameLength);
        part[nameLength] = '\0';
        if (used > 3)
            out[used++] = '\\';
        ItemReach reach = PutListedName(out, outSize, used, part);
        if (reach != ItemReach::Reached)
            return reach;
        used = strlen(out);
        name = end ? end + 1 : name + nameLength;
    }
    return ItemReach::Reached;
}

bool SameNameIgnoringCase(const char* a, const char* b)
{
    return SameDoubleByteCharacters(a, b) && lstrcmpiA(a, b) == 0;
}

bool ItemIsGone(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES;
}
