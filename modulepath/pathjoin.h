// Paths built from parts in fixed buffers. A path that does not fit is
// refused, never cut short: a cut path names some other file, which a loop
// that deletes would then delete. Portable, so that the bounds are tested
// natively.
#ifndef SALVORA_MODULEPATH_PATHJOIN_H
#define SALVORA_MODULEPATH_PATHJOIN_H

#include <stddef.h>

// dir, a backslash (unless dir ends with one) and name into out, which holds
// outSize characters with the terminator. False, with out empty, when the
// whole path would not fit.
bool JoinPath(char* out, size_t outSize, const char* dir, const char* name);

// True when a directory entry's ANSI name, put after its folder, names that
// entry and no other: not empty, no wildcard (which some calls expand), no
// separator, stream colon or control character, and no trailing dot or
// blank (Windows strips those, so "a." would name the file "a"). A name the
// listing could not convert shows '?' where a character was lost, and so
// fails too.
bool IsPlainEntryName(const char* name);

// A listed entry's path: path starts with its directory, dirLength
// characters up to and including the last backslash, and the entry's name
// is put after it. Where the long name is not plain or would not fit, the
// short name stands in for it (it names the same entry). False, with path
// cut back to the directory, when neither will do.
bool PutEntryName(char* path, size_t pathSize, size_t dirLength, const char* longName,
                  const char* shortName);

// A drive path in its one canonical spelling: "X:\" followed by the names
// of the path joined by single backslashes, "." and ".." worked out (never
// above the root), no separator at the end; '/' counts as a separator. Names
// are kept byte for byte: a trailing dot or blank belongs to the name here,
// where Windows would drop it and so reach a twin. "E:", "E:\." and
// "E:\keepme\.." all come out as "E:\". False, with out empty, for a path
// that starts with no drive ("\\server\share", "x"), one relative to a
// drive's current folder ("E:x"), and one that would not fit into outSize
// characters with the terminator.
bool CanonicalPath(const char* path, char* out, size_t outSize);

#endif
