// The key writer and the line inserter: what changes the lines in memory.
#include "inifile/inifile.h"

#include <stdlib.h>
#include <string.h>

#include "inifile/initext.h"

namespace {

// A line entry never holds CR or LF: one inside a written value would split
// the line in the file and could forge a section header.
size_t CleanLength(const char* text)
{
    size_t n = 0;
    for (; *text; text++)
        if (*text != '\r' && *text != '\n')
            n++;
    return n;
}

char* AppendClean(char* out, const char* text)
{
    for (; *text; text++)
        if (*text != '\r' && *text != '\n')
            *out++ = *text;
    return out;
}

char* CleanCopy(const char* text)
{
    char* copy = static_cast<char*>(malloc(CleanLength(text) + 1));
    if (copy)
        *AppendClean(copy, text) = 0;
    return copy;
}

// Whether a key name reads back as itself from the line the writer makes:
// the reader takes the name to the first "=" or ":" and trims its blanks,
// a line that begins with ";" is a comment and one with "[" a header (the
// writer may leave out the indent), and no line holds CR or LF.
bool KeyNameHolds(const char* name)
{
    size_t length = strlen(name);
    if (length > 0 && (IniIsBlank(name[0]) || IniIsBlank(name[length - 1]) || name[0] == ';' ||
                       name[0] == '['))
        return false;
    return !strpbrk(name, "=:\r\n");
}

// A header "[name]" is found by every name it begins with, up to a "]".
bool SectionNameHolds(const char* name)
{
    return !strpbrk(name, "]\r\n");
}

}  // namespace

char* TINIFile::FormatKeyLine(const char* key, int32_t width, const char* value)
{
    key = IniStr(key);
    value = IniStr(value);
    size_t head = (IndentKeys ? 1 : 0) + CleanLength(key);
    size_t padding = width > 0 && static_cast<size_t>(width) > head
                         ? static_cast<size_t>(width) - head : 0;
    size_t valueLength = CleanLength(value);
    SepColumn = width;
    if (head > SIZE_MAX / 4 || padding > SIZE_MAX / 4 || valueLength > SIZE_MAX / 4)
        return 0;
    char* line = static_cast<char*>(malloc(head + padding + 2 + valueLength + 1));
    if (!line)
        return 0;
    char* out = line;
    if (IndentKeys)
        *out++ = ' ';
    out = AppendClean(out, key);
    memset(out, ' ', padding);
    out += padding;
    *out++ = '=';
    *out++ = ' ';
    out = AppendClean(out, value);
    *out = 0;
    return line;
}

bool TINIFile::NamesHold(const char* section, const char* key)
{
    if (SectionNameHolds(IniStr(section)) && KeyNameHolds(IniStr(key)))
        return true;
    Status = IniNameRefused;
    Error(IniNameRefused);
    return false;
}

void TINIFile::WriteString(const char* section, const char* key, const char* value)
{
    if (!Lines || !NamesHold(section, key))
        return;
    section = IniStr(section);
    int32_t width = KeyWidth;
    int32_t position = 0;
    bool replace = false;
    bool haveSection = FindSection(section);
    if (haveSection) {
        position = SectionFirst;
        if (FindNextKey(key, 0)) {
            width = SepColumn;
            position = CurrentLine;
            replace = true;
        }
    }

    char* line = FormatKeyLine(key, width, value);
    if (!line)
        return;

    if (replace) {
        StrDispose(static_cast<char*>(Lines->ItemList[position]));
        Lines->ItemList[position] = line;
    } else {
        if (!haveSection) {
            int32_t count = Lines->ItemCount;
            if (count > 0 && LineAt(count - 1)) {
                if (!Lines->Add(0)) {
                    StrDispose(line);
                    return;
                }
                Changed = true;
            }
            char* header = static_cast<char*>(malloc(CleanLength(section) + 3));
            if (header) {
                header[0] = '[';
                char* end = AppendClean(header + 1, section);
                end[0] = ']';
                end[1] = 0;
            }
            if (!header || !Lines->Add(header)) {
                StrDispose(header);
                StrDispose(line);
                return;
            }
            position = Lines->ItemCount;
        }
        if (!Lines->InsertAt(position, line)) {
            StrDispose(line);
            return;
        }
    }

    Changed = true;
    if (WriteMode & FlushOnWrite)
        FlushFile();
    CurrentLine = position;
}

void TINIFile::WriteLine(int32_t index, const char* text)
{
    if (!Lines)
        return;
    if (index >= Lines->ItemCount)
        index = Lines->ItemCount - 1;
    if (index < 0)
        index = 0;
    char* copy = 0;
    if (text) {
        copy = CleanCopy(text);
        if (!copy)
            return;
    }
    if (!Lines->InsertAt(index, copy))
        StrDispose(copy);
}
