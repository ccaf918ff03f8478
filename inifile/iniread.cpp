// Reading the file into lines, and finding sections and keys in them. The
// lines' editors are in iniedit.cpp, the write-back in iniflush.cpp and the
// typed accessors in iniaccess.cpp.
#include "inifile/inifile.h"

#include <stdlib.h>
#include <string.h>

#include <new>

#include "inifile/fileio.h"
#include "inifile/inisource.h"
#include "inifile/initext.h"

namespace {

const unsigned char Utf8Mark[] = {0xEF, 0xBB, 0xBF};

// UTF-16 text: its byte-order mark, or, without one, a NUL among the first
// two bytes, as ASCII text in UTF-16 has. An ANSI program cannot edit it.
bool IsUtf16(const unsigned char* bytes, size_t size)
{
    if (size < 2)
        return false;
    return (bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF) ||
           bytes[0] == 0 || bytes[1] == 0;
}

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
      LastFlush(IniFlushUnchanged),
      FileIsWhole(true),
      Source(0)
{
}

TINIFile::~TINIFile()
{
    if ((WriteMode & FlushOnDestroy) && Changed)
        FlushFile();
    StrDispose(FileName);
    StrDispose(MultiKey);
    delete Lines;
    delete Source;
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
    delete Source;
    Lines = new (std::nothrow) TPCharCollection(100, 10);
    Source = new (std::nothrow) TIniSource();
    FileIsWhole = false;
    if (!FileName)
        return Status;
    if (!Lines || !Source) {
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
    Status = ReadBytes(handle) ? IniSuccess : IniReadFailed;
    CloseFile(handle);
    if (!SplitLines(Status == IniSuccess))
        Status = IniReadFailed;
    FileIsWhole = Status == IniSuccess;
    return Status;
}

// The whole file into Source, a block of BufferSize bytes at a time. False
// on a read error or without memory; what was read stays.
bool TINIFile::ReadBytes(TFileHandle handle)
{
    const size_t block = BufferSize ? BufferSize : DefaultBufferSize;
    size_t capacity = 0;
    for (;;) {
        if (capacity - Source->size < block) {
            size_t grown = capacity < block ? block : capacity;
            if (grown > SIZE_MAX / 2 - block)
                return false;
            grown = grown * 2 + block;
            char* bytes = static_cast<char*>(realloc(Source->bytes, grown));
            if (!bytes)
                return false;
            Source->bytes = bytes;
            capacity = grown;
        }
        int32_t n = ReadBlock(handle, Source->bytes + Source->size, static_cast<int32_t>(block));
        if (LastFileError != 0)
            return false;
        if (n <= 0)
            return true;
        Source->size += static_cast<size_t>(n);
    }
}

// The entries the reader's rules make of the bytes: a line ends at LF,
// every CR is dropped, only the first MaxLineLength characters are kept,
// and a NUL ends the text. A UTF-8 byte-order mark is no part of the first
// line. A last line without LF is an entry too, unless a read error cut it.
// False without memory.
bool TINIFile::SplitLines(bool whole)
{
    TIniSource& source = *Source;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(source.bytes);
    source.faithful = !IsUtf16(bytes, source.size);
    source.head = source.size >= 3 && memcmp(bytes, Utf8Mark, 3) == 0 ? 3 : 0;
    const void* nul = source.size ? memchr(source.bytes + source.head, 0, source.size - source.head) : 0;
    source.tail = nul ? static_cast<size_t>(static_cast<const char*>(nul) - source.bytes) : source.size;
    source.limit = MaxLineLength;

    size_t most = 1;
    for (size_t i = source.head; i < source.tail; i++)
        most += source.bytes[i] == '\n';
    if (most > SIZE_MAX / sizeof(TIniSource::Origin))
        return false;
    source.origins = static_cast<TIniSource::Origin*>(malloc(most * sizeof(TIniSource::Origin)));
    if (!source.origins)
        return false;

    bool ok = true;
    for (size_t start = source.head; start < source.tail;) {
        const char* line = source.bytes + start;
        const char* lf = static_cast<const char*>(memchr(line, '\n', source.tail - start));
        size_t size = lf ? static_cast<size_t>(lf - line) + 1 : source.tail - start;
        if (!lf && !whole)
            break;
        size_t length = 0;
        for (size_t i = 0; i < size; i++)
            length += line[i] != '\r' && line[i] != '\n';
        if (length > MaxLineLength)
            length = MaxLineLength;
        char* entry = static_cast<char*>(malloc(length + 1));
        if (!entry || !Lines->Add(entry)) {
            free(entry);
            ok = false;
            break;
        }
        for (size_t i = 0, n = 0; n < length; i++)
            if (line[i] != '\r')
                entry[n++] = line[i];
        entry[length] = 0;
        TIniSource::Origin origin = {reinterpret_cast<uintptr_t>(entry), start, size};
        source.origins[source.count++] = origin;
        start += size;
    }
    qsort(source.origins, static_cast<size_t>(source.count), sizeof(TIniSource::Origin),
          TIniSource::Compare);
    return ok;
}

bool TINIFile::FindSection(const char* name)
{
    SectionFirst = -1;
    int32_t count = Lines ? Lines->ItemCount : 0;
    name = IniStr(name);
    for (int32_t i = 0; i < count; i++) {
        const char* line = LineAt(i);
        if (!line || line[0] != '[')
            continue;
        if (SectionFirst >= 0) {
            SectionLast = i - 1;
            return true;
        }
        const char* end = IniMatchName(line + 1, name);
        if (end && *end == ']')
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
        if (IniMatchName(nameStart, key) != nameEnd)
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
