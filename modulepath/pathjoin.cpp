#include "modulepath/pathjoin.h"

#include <string.h>

bool JoinPath(char* out, size_t outSize, const char* dir, const char* name)
{
    if (outSize == 0)
        return false;
    out[0] = '\0';
    size_t dirLength = strlen(dir);
    size_t nameLength = strlen(name);
    size_t separator = dirLength > 0 && dir[dirLength - 1] == '\\' ? 0 : 1;
    // Compared piece by piece, so that no sum can wrap around.
    if (dirLength >= outSize || nameLength >= outSize - dirLength ||
        separator >= outSize - dirLength - nameLength)
        return false;
    memcpy(out, dir, dirLength);
    if (separator)
        out[dirLength] = '\\';
    memcpy(out + dirLength + separator, name, nameLength + 1);
    return true;
}

namespace {

bool Fits(size_t pathSize, size_t dirLength, size_t nameLength)
{
    return nameLength > 0 && dirLength < pathSize && nameLength < pathSize - dirLength;
}

}  // namespace

bool PutEntryName(char* path, size_t pathSize, size_t dirLength, const char* longName,
                  const char* shortName)
{
    const char* name = longName;
    size_t length = strlen(name);
    if (!Fits(pathSize, dirLength, length)) {
        name = shortName;
        length = strlen(name);
    }
    if (!Fits(pathSize, dirLength, length)) {
        if (dirLength < pathSize)
            path[dirLength] = '\0';
        return false;
    }
    memcpy(path + dirLength, name, length + 1);
    return true;
}
