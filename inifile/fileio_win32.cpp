#include "inifile/fileio.h"

#include <windows.h>

uint32_t LastFileError = 0;

static void Record(BOOL ok)
{
    LastFileError = ok ? 0 : GetLastError();
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
