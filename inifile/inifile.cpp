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

// The bytes FlushFile writes, a buffer at a time: each line, then CR LF.
struct LineStream {
    const TPCharCollection* lines;
    int32_t index;
    size_t offset;  // into the current line and its CR LF
    size_t length;  // of the current line

    explicit LineStream(const TPCharCollection* list)
        : lines(list), index(0), offset(0), length(strlen(Text()))
    {
    }

    const char* Text() const
    {
        const char* text = index < lines->ItemCount
                               ? static_cast<const char*>(lines->ItemList[index]) : 0;
        return text ? text : "";
    }

    size_t Fill(char* out, size_t size)
    {
        size_t n = 0;
        while (n < size && index < lines->ItemCount) {
            if (offset < length) {
                size_t chunk = length - offset < size - n ? length - offset : size - n;
                memcpy(out + n, Text() + offset, chunk);
                n += chunk;
                offset += chunk;
                continue;
            }
            out[n++] = offset == length ? '\r' : '\n';
            if (++offset == length + 2) {
                index++;
                offset = 0;
                length = strlen(Text());
            }
        }
        return n;
    }
};

// Bytes read into buffer until it is full or the file ends; -1 on an error.
int32_t ReadFull(TFileHandle handle, char* buffer, size_t size)
{
    size_t got = 0;
    while (got < size) {
        int32_t n = ReadBlock(handle, buffer + got, static_cast<int32_t>(size - got));
        if (LastFileError != 0)
            return -1;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    return static_cast<int32_t>(got);
}

// Writes all the lines through buffer and closes the file; false when any
// write, or the close, failed or came up short.
bool WriteLines(TFileHandle handle, const TPCharCollection* lines, char* buffer,
                size_t size)
{
    LineStream stream(lines);
    bool ok = true;
    size_t n;
    while (ok && (n = stream.Fill(buffer, size)) > 0) {
        int32_t written = WriteBlock(handle, buffer, static_cast<int32_t>(n));
        ok = LastFileError == 0 && written == static_cast<int32_t>(n);
    }
    CloseFile(handle);
    return ok && LastFileError == 0;
}

// A name in the file's folder for its new copy or its backup: "~ini", four
// hexadecimal digits and the extension, a name that suits 8.3 file systems.
char* SideName(const char* fileName, uint32_t number, const char* extension)
{
    size_t folder = 0;
    for (size_t i = 0; fileName[i]; i++)
        if (fileName[i] == '\\' || fileName[i] == '/' || fileName[i] == ':')
            folder = i + 1;
    size_t extensionLength = strlen(extension);
    char* name = static_cast<char*>(malloc(folder + 8 + extensionLength + 1));
    if (!name)
        return 0;
    memcpy(name, fileName, folder);
    char* out = name + folder;
    memcpy(out, "~ini", 4);
    out += 4;
    for (int shift = 12; shift >= 0; shift -= 4)
        *out++ = "0123456789ABCDEF"[(number >> shift) & 15];
    memcpy(out, extension, extensionLength + 1);
    return name;
}

// Names tried before giving up when earlier copies or backups (left by a
// failure that could not clean up) hold them.
const uint32_t SideNameTries = 64;

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
    if (!Changed) {
        LastFlush = IniFlushUnchanged;
        return Status;
    }
    LastFlush = IniFlushFailed;
    // After a failed read the lines are not the whole file: writing them
    // would replace the user's file with a part of it, or with nothing.
    if (!Lines || !FileIsWhole || !FileName)
        return Status;

    size_t size = BufferSize ? BufferSize : DefaultBufferSize;
    char* out = static_cast<char*>(malloc(size));
    char* in = static_cast<char*>(malloc(size));
    if (out && in) {
        // Lines edited back to what the file says (the drive page rewrites
        // its entries on every OK) leave the file and its date alone, and a
        // read-only file that needs no change is no failure.
        if (FileHolds(out, in, size)) {
            Changed = false;
            LastFlush = IniFlushUnchanged;
        } else if (WriteBeside(out, size)) {
            Status = IniSuccess;
            Changed = false;
            LastFlush = IniFlushWritten;
        }
    }
    free(out);
    free(in);
    return Status;
}

// Whether the file holds exactly the bytes FlushFile would write. Any doubt
// (no file, a read error) says no.
bool TINIFile::FileHolds(char* mine, char* theirs, size_t size)
{
    TFileHandle handle = OpenForRead(FileName);
    if (handle == InvalidFileHandle)
        return false;
    LineStream stream(Lines);
    bool same;
    for (;;) {
        size_t want = stream.Fill(mine, size);
        int32_t got = ReadFull(handle, theirs, size);
        same = got == static_cast<int32_t>(want) && memcmp(mine, theirs, want) == 0;
        if (!same || want < size)
            break;
    }
    CloseFile(handle);
    return same;
}

// The lines go to a new file beside the old one. Only when it is complete
// does the old file step aside under a backup name, the new one take its
// name, and the backup go. Windows 95 cannot rename onto an existing file,
// hence the backup; a step that fails puts back what the steps before it
// moved, so the old file survives every failure under its own name, or, if
// even putting it back fails, under the backup's.
bool TINIFile::WriteBeside(char* buffer, size_t size)
{
    // A read-only file, or one that another process holds, is refused as a
    // rewrite in place would be: renaming alone would get past both.
    bool exists = false;
    TFileHandle probe = OpenForUpdate(FileName);
    if (probe != InvalidFileHandle) {
        CloseFile(probe);
        exists = true;
    } else if (LastFileError != FileNotFoundError) {
        return false;
    }

    const uint32_t seed = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this) >> 4);
    char* temp = 0;
    TFileHandle handle = InvalidFileHandle;
    for (uint32_t i = 0; i < SideNameTries && handle == InvalidFileHandle; i++) {
        temp = SideName(FileName, seed + i, ".tmp");
        if (!temp)
            return false;
        handle = CreateNewForWrite(temp);
        if (handle == InvalidFileHandle) {
            bool taken = LastFileError == FileExistsError;
            StrDispose(temp);
            temp = 0;
            if (!taken)
                return false;
        }
    }
    if (!temp)
        return false;

    bool ok = WriteLines(handle, Lines, buffer, size);
    char* backup = 0;
    if (ok && exists) {
        ok = false;
        for (uint32_t i = 0; i < SideNameTries && !ok; i++) {
            backup = SideName(FileName, seed + i, ".bak");
            if (!backup)
                break;
            ok = RenameFile(FileName, backup);
            if (!ok) {
                bool taken = LastFileError == FileExistsError;
                StrDispose(backup);
                backup = 0;
                if (!taken)
                    break;
            }
        }
    }
    if (ok && !RenameFile(temp, FileName)) {
        ok = false;
        if (backup && RenameFile(backup, FileName)) {
            StrDispose(backup);
            backup = 0;
        }
    }
    if (!ok)
        RemoveFile(temp);
    else if (backup)
        RemoveFile(backup);  // failing, it only leaves the old copy behind
    StrDispose(temp);
    StrDispose(backup);
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
