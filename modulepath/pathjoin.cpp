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

bool IsPlainEntryName(const char* name)
{
    if (!name[0])
        return false;
    size_t length = strlen(name);
    if (name[length - 1] == '.' || name[length - 1] == ' ')
        return false;
    for (const char* c = name; *c; ++c)
        if ((unsigned char)*c < 0x20 || strchr("\\/:*?\"<>|", *c))
            return false;
    return true;
}

namespace {

bool Fits(size_t pathSize, size_t dirLength, const char* name, size_t nameLength)
{
    return IsPlainEntryName(name) && dirLength < pathSize && nameLength < pathSize - dirLength;
}

}  // namespace

bool PutEntryName(char* path, size_t pathSize, size_t dirLength, const char* longName,
                  const char* shortName)
{
    const char* name = longName;
    size_t length = strlen(name);
    if (!Fits(pathSize, dirLength, name, length)) {
        name = shortName;
        length = strlen(name);
    }
    if (!Fits(pathSize, dirLength, name, length)) {
        if (dirLength < pathSize)
            path[dirLength] = '\0';
        return false;
    }
    memcpy(path + dirLength, name, length + 1);
    return true;
}

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

}  // namespace

bool CanonicalPath(const char* path, char* out, size_t outSize)
{
    if (outSize == 0)
        return false;
    out[0] = '\0';
    if (!path[0] || IsSeparator(path[0]) || path[1] != ':' || (path[2] && !IsSeparator(path[2])) ||
        outSize < 4)
        return false;
    out[0] = path[0];
    out[1] = ':';
    out[2] = '\\';
    size_t used = 3;
    const char* name = path + 2;
    for (;;) {
        while (IsSeparator(*name))
            ++name;
        if (!*name)
            break;
        size_t length = 0;
        while (name[length] && !IsSeparator(name[length]))
            ++length;
        if (length == 1 && name[0] == '.') {
            // the folder itself
        } else if (length == 2 && name[0] == '.' && name[1] == '.') {
            // The last name goes with the backslash before it; the root's
            // own backslash stays.
            while (used > 3 && out[used - 1] != '\\')
                --used;
            if (used > 3)
                --used;
        } else {
            size_t separator = used > 3 ? 1 : 0;
            if (separator + length >= outSize - used) {
                out[0] = '\0';
                return false;
            }
            if (separator)
                out[used++] = '\\';
            memcpy(out + used, name, length);
            used += length;
        }
        name += length;
    }
    out[used] = '\0';
    return true;
}
