// The path of an entry that a directory listing returned, by a name that
// reaches that very entry: what both the Trashcan loops and ForceDelete's
// walk delete by.
#ifndef SALVORA_MODULEPATH_ENTRYPATH_H
#define SALVORA_MODULEPATH_ENTRYPATH_H

#include <windows.h>
#include <stddef.h>

// path holds the listed directory, dirLength characters up to and including
// its last backslash, in a buffer of pathSize. Puts after it the entry's
// long name where that one reaches the entry, else its short name (also for
// a long name that is not plain or would not fit). False, with path cut back
// to the directory, when no name reaches the entry. Where it had to look
// the long name up to be sure, *reached (when given) receives the
// attributes of what the path reaches; else INVALID_FILE_ATTRIBUTES.
//
// A caller that knows the long name to be listed for this one entry of the
// folder (no other entry's long or short name equals it without regard to
// case) can say so with listedOnce: the long name then reaches this entry or nothing, and
// is not looked up again.
bool PutListedEntryPath(char* path, size_t pathSize, size_t dirLength, const WIN32_FIND_DATAA& entry,
                        DWORD* reached = NULL, bool listedOnce = false);

#endif
