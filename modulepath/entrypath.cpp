#include "modulepath/entrypath.h"

#include "modulepath/pathjoin.h"

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
    if (lstrcmpiA(found.cAlternateFileName, entry.cAlternateFileName) != 0)
        return false;
    *reached = found.dwFileAttributes;
    return true;
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
    // have been listed under it too.
    if (PutEntryName(path, pathSize, dirLength, entry.cFileName, "") &&
        (listedOnce || LeadsToEntry(path, entry, reached)))
        return true;
    return PutEntryName(path, pathSize, dirLength, entry.cAlternateFileName, "");
}
