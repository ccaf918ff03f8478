#include "paths/deletion.h"

bool DeleteUnopenedFile(const char* path, DWORD bareAttributes, DWORD keptAttributes)
{
    // Reading is what every handle that shares nothing conflicts with, on
    // Windows 95 (a DOS deny-all open) as on later systems; a read-only
    // file opens for it as well.
    HANDLE probe = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (probe == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(probe);
    if (bareAttributes)
        SetFileAttributesA(path, bareAttributes);
    if (DeleteFileA(path))
        return true;
    DWORD error = GetLastError();
    if (bareAttributes && keptAttributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path, keptAttributes);
    SetLastError(error);
    return false;
}
