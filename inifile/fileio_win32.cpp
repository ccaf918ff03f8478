#include "inifile/fileio.h"

#include <windows.h>

uint32_t LastFileError = 0;

static void Record(BOOL ok)
{
    LastFileError = ok ? 0 : GetLastError();
}

// Windows 95 answers a taken name with other codes than NT does (renaming
// onto an existing file may come back as ERROR_ACCESS_DENIED): whenever the
// name is taken, say so in one way.
static void RecordTaken(BOOL ok, const char* name)
{
    Record(ok);
    if (!ok && (LastFileError == ERROR_FILE_EXISTS || LastFileError == ERROR_ALREADY_EXISTS ||
                GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES))
        LastFileError = FileExistsError;
}

TFileHandle OpenForRead(const char* name)
{
    HANDLE h = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, NULL,
                           OPEN_EXISTING, 0, NULL);
    Record(h != INVALID_HANDLE_VALUE);
    return h;
}

TFileHandle CreateForWrite(const char* name)
{
    HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                           NULL, CREATE_ALWAYS, 0, NULL);
    Record(h != INVALID_HANDLE_VALUE);
    return h;
}

TFileHandle CreateNewForWrite(const char* name)
{
    HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                           NULL, CREATE_NEW, 0, NULL);
    RecordTaken(h != INVALID_HANDLE_VALUE, name);
    return h;
}

TFileHandle OpenForUpdate(const char* name)
{
    // Said in so many words, for a file server or an emulation that would
    // let a privileged user write a read-only file all the same.
    DWORD attributes = GetFileAttributesA(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        LastFileError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                           NULL, OPEN_EXISTING, 0, NULL);
    Record(h != INVALID_HANDLE_VALUE);
    return h;
}

int32_t ReadBlock(TFileHandle handle, void* buffer, int32_t count)
{
    DWORD done = 0;
    if (count <= 0) {
        LastFileError = 0;
        return 0;
    }
    BOOL ok = ReadFile(handle, buffer, static_cast<DWORD>(count), &done, NULL);
    Record(ok);
    return ok ? static_cast<int32_t>(done) : 0;
}

int32_t WriteBlock(TFileHandle handle, const void* buffer, int32_t count)
{
    DWORD done = 0;
    if (count <= 0) {
        LastFileError = 0;
        return 0;
    }
    BOOL ok = WriteFile(handle, buffer, static_cast<DWORD>(count), &done, NULL);
    Record(ok);
    return static_cast<int32_t>(done);
}

void CloseFile(TFileHandle handle)
{
    Record(CloseHandle(handle));
}

bool RenameFile(const char* from, const char* to)
{
    BOOL ok = MoveFileA(from, to);
    RecordTaken(ok, to);
    return ok != FALSE;
}

bool RemoveFile(const char* name)
{
    BOOL ok = DeleteFileA(name);
    Record(ok);
    return ok != FALSE;
}
