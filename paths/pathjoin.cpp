#include "paths/pathjoin.h"

#include <string.h>

bool JoinPath(char* out, size_t outSize, const char* dir, const char* name, const LeadBytes& lead)
{
    if (outSize == 0)
        return false;
    out[0] = '\0';
    size_t dirLength = strlen(dir);
    size_t nameLength = strlen(name);
    size_t separator = dirLength > 0 && dir[dirLength - 1] == '\\' && !lead.IsSecondByte(dir, dirLength - 1)
                           ? 0
                           : 1;
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

bool IsPlainEntryName(const char* name, const LeadBytes& lead)
{
    if (!name[0])
        return false;
    const char* last = name;
    for (const char* c = name; *c; c = lead.Next(c)) {
        last = c;
        if (lead.IsLead(*c)) {
            if (!c[1])
                return false;
        } else if ((unsigned char)*c < 0x20 || strchr("\\/:*?\"<>|", *c)) {
            return false;
        }
    }
    return *last != '.' && *last != ' ';
}

namespace {

bool Fits(size_t pathSize, size_t dirLength, const char* name, size_t nameLength, const LeadBytes& lead)
{
    return IsPlainEntryName(name, lead) && dirLength < pathSize && nameLength < pathSize - dirLength;
}

}  // namespace

bool PutEntryName(char* path, size_t pathSize, size_t dirLength, const char* longName,
                  const char* shortName, const LeadBytes& lead)
{
    const char* name = longName;
    size_t length = strlen(name);
    if (!Fits(pathSize, dirLength, name, length, lead)) {
        name = shortName;
        length = strlen(name);
    }
    if (!Fits(pathSize, dirLength, name, length, lead)) {
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

bool CanonicalPath(const char* path, char* out, size_t outSize, const LeadBytes& lead)
{
    if (outSize == 0)
        return false;
    out[0] = '\0';
    // The first character is a letter of one byte, so the colon after it
    // is a character of its own.
    if (!path[0] || IsSeparator(path[0]) || lead.IsLead(path[0]) || path[1] != ':' ||
        (path[2] && !IsSeparator(path[2])) || outSize < 4)
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
            length = (size_t)(lead.Next(name + length) - name);
        if (length == 1 && name[0] == '.') {
            // the folder itself
        } else if (length == 2 && name[0] == '.' && name[1] == '.') {
            // The last name goes with the backslash before it; the root's
            // own backslash stays.
            out[used] = '\0';
            used = FolderPartLength(out, lead);
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

const char* FindBackslash(const char* text, const LeadBytes& lead)
{
    for (const char* c = text; *c; c = lead.Next(c))
        if (*c == '\\')
            return c;
    return NULL;
}

size_t FolderPartLength(const char* path, const LeadBytes& lead)
{
    size_t folder = 0;
    for (const char* c = path; *c; c = lead.Next(c))
        if (*c == '\\')
            folder = (size_t)(c - path) + 1;
    return folder;
}

bool SameDoubleByteCharacters(const char* a, const char* b, const LeadBytes& lead)
{
    if (!lead.Any())
        return true;
    for (;;) {
        bool leadA = lead.IsLead(*a) && a[1], leadB = lead.IsLead(*b) && b[1];
        if (leadA != leadB || (leadA && (a[0] != b[0] || a[1] != b[1])))
            return false;
        if (!*a || !*b)
            return !*a && !*b;
        a = lead.Next(a);
        b = lead.Next(b);
    }
}
