// Paths built from parts in fixed buffers. A path that does not fit is
// refused, never cut short: a cut path names some other file, which a loop
// that deletes would then delete. Portable, so that the bounds are tested
// natively. Paths are read by character, with the lead bytes of the code
// page they are written in (the system's unless a caller says otherwise).
#ifndef SALVORA_PATHS_PATHJOIN_H
#define SALVORA_PATHS_PATHJOIN_H

#include <stddef.h>

#include "paths/leadbytes.h"

// dir, a backslash (unless dir ends with one) and name into out, which holds
// outSize characters with the terminator. False, with out empty, when the
// whole path would not fit. A backslash that is the second byte of dir's
// last character ends no folder.
bool JoinPath(char* out, size_t outSize, const char* dir, const char* name,
              const LeadBytes& lead = SystemLeadBytes());

// True when a directory entry's ANSI name, put after its folder, names that
// entry and no other: not empty, no wildcard (which some calls expand), no
// separator, stream colon or control character, and no trailing dot or
// blank (Windows strips those, so "a." would name the file "a"). A name the
// listing could not convert shows '?' where a character was lost, and so
// fails too, and so does one that ends in a lead byte with nothing after
// it, which would take the backslash put after it for its second byte.
bool IsPlainEntryName(const char* name, const LeadBytes& lead = SystemLeadBytes());

// A listed entry's path: path starts with its directory, dirLength
// characters up to and including the last backslash, and the entry's name
// is put after it. Where the long name is not plain or would not fit, the
// short name stands in for it (it names the same entry). False, with path
// cut back to the directory, when neither will do.
bool PutEntryName(char* path, size_t pathSize, size_t dirLength, const char* longName,
                  const char* shortName, const LeadBytes& lead = SystemLeadBytes());

// A drive path in its one canonical spelling: "X:\" followed by the names
// of the path joined by single backslashes, "." and ".." worked out (never
// above the root), no separator at the end; '/' counts as a separator. Names
// are kept byte for byte: a trailing dot or blank belongs to the name here,
// where Windows would drop it and so reach a twin. "E:", "E:\." and
// "E:\keepme\.." all come out as "E:\". False, with out empty, for a path
// that starts with no drive ("\\server\share", "x"), one relative to a
// drive's current folder ("E:x"), and one that would not fit into outSize
// characters with the terminator. A lead byte before a separator makes one
// character with it, as Windows reads the path.
bool CanonicalPath(const char* path, char* out, size_t outSize, const LeadBytes& lead = SystemLeadBytes());

// The next backslash of text that is a character of its own; null for none.
const char* FindBackslash(const char* text, const LeadBytes& lead = SystemLeadBytes());

// The length of path's folder part: up to and including its last backslash,
// 0 when it has none.
size_t FolderPartLength(const char* path, const LeadBytes& lead = SystemLeadBytes());

// Whether two names break into characters alike with the same double-byte
// characters, byte for byte. A case-blind comparison made after it can only
// match single-byte characters against each other, never the second byte of
// a character against a letter (nor one full-width letter against another,
// which the file system may tell apart). Always true on a single-byte code
// page.
bool SameDoubleByteCharacters(const char* a, const char* b, const LeadBytes& lead = SystemLeadBytes());

#endif
