// Reading, searching, the key writer and writing back. The typed accessors
// built on these are in iniaccess.cpp.
#include "inifile/inifile.h"

#include <stdlib.h>
#include <string.h>

#include <new>

#include "inifile/fileio.h"
#include "inifile/initext.h"

namespace {

const uint16_t DefaultBufferSize = 8192;

// A line entry never holds CR or LF: one inside a written name or value
// would split the line in the file and could forge a section header.
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

// Collects the output of FlushFile into blocks of the buffer's size.
struct BlockWriter {
    TFileHandle handle;
    char* buffer;
    size_t size;
    size_t fill;
    bool failed;

    void Flush()
    {
        if (fill == 0)
            return;
        int32_t n = WriteBlock(handle, buffer, static_cast<int32_t>(fill));
        // A short write without an error code is still a failure.
        if (LastFileError != 0 || n != static_cast<int32_t>(fill))
            failed = true;
        fill = 0;
    }

    void Put(const char* p, size_t n)
    {
        while (n > 0) {
            if (fill == size)
                Flush();
            size_t chunk = size - fill < n ? size - fill : n;
            memcpy(buffer + fill, p, chunk);
            fill += chunk;
            p += chunk;
            n -= chunk;
        }
    }
};

}  // namespace

TINIFile::TINIFile(const char* fileName)
    : Status(IniSuccess),
      FileName(StrNew(IniStr(fileName))),
      BufferSize(DefaultBufferSize),
      IndentKeys(true),
      MaxLineLength(1024),
      SyntaxError(false),
      KeyWidth(21),
      SepColumn(0),
      WriteMode(FlushOnDestroy),
      Lines(0),
      Changed(false),
      SectionFirst(0),
      SectionLast(0),
      CurrentLine(0),
      MultiKey(0),
      FileIsWhole(true)
{
}

TINIFile::~TINIFile()
{
    if ((WriteMode & FlushOnDestroy) && Changed)
        FlushFile();
    StrDispose(FileName);
    StrDispose(MultiKey);
    delete Lines;
}

void TINIFile::Error(int32_t)
{
}

const char* TINIFile::LineAt(int32_t index) const
{
    if (!Lines || index < 0 || index >= Lines->ItemCount)
        return 0;
    return static_cast<const char*>(Lines->ItemList[index]);
}

int32_t TINIFile::ReadFile()
{
    Status = IniOpenFailed;
    delete Lines;
    Lines = new (std::nothrow) TPCharCollection(100, 10);
    FileIsWhole = false;
    if (!FileName)
        return Status;
    if (!Lines) {
        Status = IniReadFailed;
        return Status;
    }

    TFileHandle handle = OpenForRead(FileName);
    if (handle == InvalidFileHandle) {
        if (LastFileError == FileNotFoundError) {
            Status = IniFileMissing;
            FileIsWhole = true;
        }
        return Status;
    }

    const int32_t bufferSize = BufferSize ? BufferSize : DefaultBufferSize;
    char* buffer = static_cast<char*>(malloc(static_cast<size_t>(bufferSize)));
    char* line = static_cast<char*>(malloc(static_cast<size_t>(MaxLineLength) + 1));
    if (!buffer || !line) {
        free(buffer);
        free(line);
        CloseFile(handle);
        Status = IniReadFailed;
        return Status;
    }

    Status = IniSuccess;
    int32_t position = 0;
    int32_t fill = 0;
    bool atEnd = false;
    while (!atEnd) {
        size_t length = 0;
        bool endedByLF = false;
        for (;;) {
            if (position >= fill) {
                fill = ReadBlock(handle, buffer, bufferSize);
                position = 0;
                if (LastFileError != 0)
                    Status = IniReadFailed;
                if (fill <= 0) {
                    atEnd = true;
                    break;
                }
            }
            char c = buffer[position++];
            if (c == 0) {  // a NUL byte ends the file
                atEnd = true;
                break;
            }
            if (c == '\n') {
                endedByLF = true;
                break;
            }
            if (c != '\r' && length < MaxLineLength)
                line[length++] = c;
        }
        // A last line without LF is kept too: dropping it would lose it on
        // the next write-back. Not so the piece before a read error.
        if (!endedByLF && (length == 0 || Status != IniSuccess))
            break;
        line[length] = 0;
        char* copy = StrNew(line);
        if (!copy || !Lines->Add(copy)) {
            StrDispose(copy);
            Status = IniReadFailed;
            break;
        }
    }

    CloseFile(handle);
    free(buffer);
    free(line);
    FileIsWhole = Status == IniSuccess;
    return Status;
}

int32_t TINIFile::FlushFile()
{
    Status = IniWriteFailed;
    if (!Changed)
        return Status;
    // After a failed read the lines are not the whole file: writing them
    // would replace the user's file with a part of it, or with nothing.
    if (!Lines || !FileIsWhole || !FileName)
        return Status;

    // The buffer comes first: once CreateForWrite has emptied the file,
    // nothing may stop the lines from reaching it.
    BlockWriter out;
    out.size = BufferSize ? BufferSize : DefaultBufferSize;
    out.buffer = static_cast<char*>(malloc(out.size));
    if (!out.buffer)
        return Status;
    out.handle = CreateForWrite(FileName);
    if (out.handle == InvalidFileHandle) {
        free(out.buffer);
        return Status;
    }
    out.fill = 0;
    out.failed = false;

    for (int32_t i = 0; i < Lines->ItemCount; i++) {
        const char* text = LineAt(i);
        if (text)
            out.Put(text, strlen(text));
        out.Put("\r\n", 2);
    }
    out.Flush();
    CloseFile(out.handle);
    if (LastFileError != 0)
        out.failed = true;
    free(out.buffer);

    Status = out.failed ? IniWriteFailed : IniSuccess;
    if (Status == IniSuccess)
        Changed = false;
    return Status;
}

bool TINIFile::FindSection(const char* name)
{
    SectionFirst = -1;
    int32_t count = Lines ? Lines->ItemCount : 0;
    name = IniStr(name);
    size_t nameLength = strlen(name);
    for (int32_t i = 0; i < count; i++) {
        const char* line = LineAt(i);
        if (!line || line[0] != '[')
            continue;
        if (SectionFirst >= 0) {
            SectionLast = i - 1;
            return true;
        }
        if (IniSameText(line + 1, name, nameLength) && line[1 + nameLength] == ']')
            SectionFirst = i + 1;
    }
    if (SectionFirst < 0)
        return false;
    SectionLast = count - 1;
    return true;
}

// The whole line is examined, however long: the separator, the key name and
// the value are found in the line itself, and only the value handed back is
// cut to IniValueLength. So a long line never makes another key match.
bool TINIFile::FindNextKey(const char* key, char* value)
{
    CurrentLine = SectionFirst;
    if (SectionFirst < 0)
        return false;
    key = IniStr(key);
    size_t keyLength = strlen(key);
    // The bounds may be older than the list (a reload in between).
    int32_t count = Lines ? Lines->ItemCount : 0;
    int32_t last = SectionLast < count ? SectionLast : count - 1;

    for (int32_t i = SectionFirst; i <= last; i++) {
        const char* line = LineAt(i);
        if (!line || line[0] == ';')
            continue;
        const char* sep = strchr(line, '=');
        if (!sep)
            sep = strchr(line, ':');
        if (!sep) {
            SyntaxError = true;
            continue;
        }
        SepColumn = static_cast<int32_t>(sep - line);

        const char* nameStart = line;
        const char* nameEnd = sep;
        while (nameStart < nameEnd && IniIsBlank(*nameStart))
            nameStart++;
        while (nameEnd > nameStart && IniIsBlank(nameEnd[-1]))
            nameEnd--;
        if (static_cast<size_t>(nameEnd - nameStart) != keyLength ||
            !IniSameText(nameStart, key, keyLength))
            continue;

        CurrentLine = i;
        const char* valueStart = sep + 1;
        while (IniIsBlank(*valueStart))
            valueStart++;
        const char* valueEnd = strchr(valueStart, ';');
        if (!valueEnd)
            valueEnd = valueStart + strlen(valueStart);
        while (valueEnd > valueStart && IniIsBlank(valueEnd[-1]))
            valueEnd--;
        size_t length = static_cast<size_t>(valueEnd - valueStart);
        if (value) {
            size_t kept = length < IniValueLength ? length : IniValueLength;
            memcpy(value, valueStart, kept);
            value[kept] = 0;
        }
        if (length > 0)
            return true;
    }
    return false;
}

bool TINIFile::FindKey(const char* section, const char* key, char* value)
{
    CurrentLine = -1;
    return FindSection(section) && FindNextKey(key, value);
}

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

void TINIFile::WriteString(const char* section, const char* key, const char* value)
{
    if (!Lines)
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
