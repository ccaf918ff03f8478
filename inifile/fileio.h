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

// Opens an existing file for reading; others may read it meanwhile.
TFileHandle OpenForRead(const char* name);
// Creates the file, or empties an existing one, for writing.
TFileHandle CreateForWrite(const char* name);
// Bytes read, 0 at the end of the file or on an error.
int32_t ReadBlock(TFileHandle handle, void* buffer, int32_t count);
// Bytes written; fewer than count only on an error.
int32_t WriteBlock(TFileHandle handle, const void* buffer, int32_t count);
void CloseFile(TFileHandle handle);

#endif
