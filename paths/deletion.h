// The one way both deliverables delete a file: never while another program
// has it open. Windows 95's DeleteFileA deletes a file even then (open for
// reading or writing, or mapped), and that program's next write lands in
// clusters the file system has freed and may give to another file: lost
// work, cross-linked files. Later systems refuse such a deletion by
// themselves; the check costs one open and one close on each.
#ifndef SALVORA_PATHS_DELETION_H
#define SALVORA_PATHS_DELETION_H

#include <windows.h>

// Deletes the file at path unless another program holds it open. It is
// opened without sharing and closed again first; that open is refused while
// any other handle to the file is open (or when the file may not be read),
// and the file then stays as it was. With bareAttributes nonzero the file is
// given them just before it goes, and where it still stays, it gets
// keptAttributes back (unless they are INVALID_FILE_ATTRIBUTES). False, with
// the system's error, when the file stays or was not there.
bool DeleteUnopenedFile(const char* path, DWORD bareAttributes = 0,
                        DWORD keptAttributes = INVALID_FILE_ATTRIBUTES);

#endif
