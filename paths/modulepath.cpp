#include "paths/modulepath.h"

#include <string.h>

#include "paths/pathjoin.h"

bool ModuleSiblingPath(HMODULE module, const char* name, char* path)
{
    path[0] = '\0';
    // Read into a larger buffer than the result may use, so that a module
    // path which does not fit is seen as too long rather than silently cut.
    char own[1024];
    DWORD length = GetModuleFileNameA(module, own, sizeof own);
    if (length == 0 || length >= sizeof own - 1)
        return false;
    own[length] = '\0';

    size_t keep = FolderPartLength(own);
    size_t nameLength = strlen(name);
    if (keep + nameLength >= (size_t)kPathBufferSize)
        return false;
    memcpy(path, own, keep);
    memcpy(path + keep, name, nameLength + 1);
    return true;
}
