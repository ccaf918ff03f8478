// The path of an entry that a directory listing returned, by a name that
// reaches that very entry: what both the Trashcan loops and ForceDelete's
// walk delete by.
#ifndef SALVORA_PATHS_ENTRYPATH_H
#define SALVORA_PATHS_ENTRYPATH_H

#include <windows.h>
#include <stddef.h>

// path holds the listed directory, dirLength characters up to and including
// its last backslash, in a buffer of pathSize. Puts after it the entry's
// long name where that one reaches the entry, else its short name (also for
// a long name that is not plain or would not fit). False, with path cut back
// to the directory, when no name reaches the entry. Where the attributes of
// what the path reaches are known without another call (the long name had
// to be looked up to be sure, or is listed once), *reached (when given)
// receives them; else INVALID_FILE_ATTRIBUTES.
//
// A caller that knows the long name to be listed for this one entry of the
// folder (no other entry's long or short name equals it without regard to
// case) can say so with listedOnce: the long name then reaches this entry or
// nothing, is not looked up again, and the listing's attributes stand for
// what it reaches.
bool PutListedEntryPath(char* path, size_t pathSize, size_t dirLength, const WIN32_FIND_DATAA& entry,
                        DWORD* reached = NULL, bool listedOnce = false);

// Whether two names are the same but for the case of their single-byte
// letters, as the file system compares them.
bool SameNameIgnoringCase(const char* a, const char* b);

// Whether a call's error says that the item is not there (any more).
bool ItemIsGone(DWORD error);

// How a selected item, named by its canonical path, is reached.
enum class ItemReach {
    Reached,   // out holds a path that leads to that very item
    Gone,      // no entry has that name (any more)
    NoName,    // the entry has no name that reaches it, or the path does not fit
    Failed,    // a folder on the way could not be listed
};

// The path by which the item that a canonical drive path names is acted on:
// for each name, the one entry of its folder listed under it (listedname.h),
// by its long name where that finds this very entry, else by its short name.
// "x." is so never taken for its twin "x", which Windows would open by that
// spelling. A name that more than one entry lists under, in any case (two
// "??.txt" from a disk written under another code page), says nothing of
// which one was selected: NoName, and nothing is reached.
ItemReach ReachSelectedItem(const char* canonical, char* out, size_t outSize);

#endif
