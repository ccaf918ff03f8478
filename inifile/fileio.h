// The few file operations TINIFile needs. Windows builds use the Win32 file
// calls; the native build has a POSIX version so the class can be tested and
// fuzzed here. Nothing else in the INI store touches the operating system.
#ifndef SALVORA_INIFILE_FILEIO_H
#define SALVORA_INIFILE_FILEIO_H

#include <stdint.h>

typedef void* TFileHandle;

// INVALID_HANDLE_VALUE on Windows; the POSIX version uses the same value.
#define InvalidFileHandle (reinterpret_cast<TFileHandle>(static_cast<intptr_t>(-1)))

// The operating system's error code of the last file operation, 0 when it
// succeeded. The POSIX version reports a missing file as 2, like
// ERROR_FILE_NOT_FOUND, and other failures by their errno. One variable for
// the whole module: test it right after the call.
extern uint32_t LastFileError;

const uint32_t FileNotFoundError = 2;
// A name that a new file or a rename was to take is taken already. Both
// versions report it as ERROR_FILE_EXISTS, whatever the system said.
const uint32_t FileExistsError = 80;

// Opens an existing file for reading; others may read it meanwhile.
TFileHandle OpenForRead(const char* name);
// Creates the file, or empties an existing one, for writing.
TFileHandle CreateForWrite(const char* name);
// Creates a file that does not exist yet, for writing; a taken name fails
// with FileExistsError and leaves that file alone.
TFileHandle CreateNewForWrite(const char* name);
// Opens an existing file for reading and writing without changing it, as
// rewriting it would: fails when the file is read-only or another process
// holds it open.
TFileHandle OpenForUpdate(const char* name);
// Bytes read, 0 at the end of the file or on an error.
int32_t ReadBlock(TFileHandle handle, void* buffer, int32_t count);
// Bytes written; fewer than count only on an error.
int32_t WriteBlock(TFileHandle handle, const void* buffer, int32_t count);
void CloseFile(TFileHandle handle);
// Gives a file another name in the same folder. Never replaces a file that
// has the new name (Windows 95 has no call that would): that fails with
// FileExistsError.
bool RenameFile(const char* from, const char* to);
bool RemoveFile(const char* name);

#ifndef _WIN32
// Native build only: lets the tests fail chosen file operations the way a
// full disk, a read-only file or another process would, to check that no
// failure costs the user's file.
struct TFileFaults {
    uint64_t FailCalls;  // bit n-1 set: the n-th operation from the reset fails
    int64_t BytesLeft;   // what WriteBlock may still write; -1: no limit
    uint32_t Calls;      // operations counted since the reset
};
extern TFileFaults FileFaults;
// No faults, counting from 0 again.
void ResetFileFaults();
#endif

#endif
