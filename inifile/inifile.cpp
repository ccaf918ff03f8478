// Reading, searching, the key writer and writing back. The typed accessors
// built on these are in iniaccess.cpp.
#include "inifile/inifile.h"

#include <stdlib.h>
#include <string.h>

#include <new>

#include "inifile/fileio.h"
#include "inifile/initext.h"
#include "modulepath/leadbytes.h"

namespace {

const uint16_t DefaultBufferSize = 8192;

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

const char LineEnd[] = "\r\n";
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

// Whether entry is still the line the reader made of raw: CRs dropped, the
// first limit characters kept.
bool ReadsAs(const char* entry, const char* raw, size_t size, size_t limit)
{
    size_t n = 0;
    for (size_t i = 0; i < size && raw[i] != '\n'; i++) {
        if (raw[i] == '\r' || n >= limit)
            continue;
        if (entry[n] != raw[i])
            return false;
        n++;
    }
    return entry[n] == 0;
}

}  // namespace

// The file as ReadFile found it. An entry the reader made stands for bytes
// it does not hold (CRs, the rest of a long line, its own line end); while
// the entry is the one read, the write-back gives those bytes back. Entries
// are known by their address, and by their text too, as a freed entry's
// address may come back for a new one.
struct TIniSource {
    struct Origin {
        uintptr_t entry;
        size_t start;
        size_t size;  // with the line end, when the line had one
    };

    char* bytes;
    size_t size;
    size_t head;      // a UTF-8 byte-order mark, kept before the first line
    size_t tail;      // from the first NUL on: past the reader's end, kept after the lines
    size_t limit;     // the line length the entries were cut to
    bool faithful;    // false: text an ANSI program cannot edit
    Origin* origins;  // sorted by entry
    int32_t count;

    TIniSource()
        : bytes(0), size(0), head(0), tail(0), limit(0), faithful(true), origins(0), count(0)
    {
    }
    ~TIniSource()
    {
        free(bytes);
        free(origins);
    }

    static int Compare(const void* a, const void* b)
    {
        uintptr_t x = static_cast<const Origin*>(a)->entry;
        uintptr_t y = static_cast<const Origin*>(b)->entry;
        return x < y ? -1 : x > y ? 1 : 0;
    }

    // The bytes an entry was read from, or null when it is not one read.
    const Origin* Find(const char* entry) const
    {
        if (!entry || count == 0)
            return 0;
        Origin key = {reinterpret_cast<uintptr_t>(entry), 0, 0};
        const Origin* found = static_cast<const Origin*>(
            bsearch(&key, origins, static_cast<size_t>(count), sizeof(Origin), Compare));
        if (found && !ReadsAs(entry, bytes + found->start, found->size, limit))
            return 0;
        return found;
    }

private:
    TIniSource(const TIniSource&);
    TIniSource& operator=(const TIniSource&);
};

namespace {

// The bytes FlushFile writes, a buffer at a time: the byte-order mark, each
// line (as read, or its text and CR LF), then what stood past a NUL.
class OutputStream {
public:
    OutputStream(const TPCharCollection* lines, const TIniSource* source)
        : lines_(lines), source_(source), step_(0), data_(0), size_(0), offset_(0),
          endNeeded_(false)
    {
        Load();
    }

    size_t Fill(char* out, size_t size)
    {
        size_t n = 0;
        while (n < size && data_) {
            size_t chunk = size_ - offset_ < size - n ? size_ - offset_ : size - n;
            memcpy(out + n, data_ + offset_, chunk);
            n += chunk;
            offset_ += chunk;
            if (offset_ == size_) {
                step_++;
                Load();
            }
        }
        return n;
    }

private:
    const TPCharCollection* lines_;
    const TIniSource* source_;
    int64_t step_;      // 0 the mark; 2i + 1 and 2i + 2 line i and its end; then the tail
    const char* data_;  // null at the end
    size_t size_;
    size_t offset_;
    bool endNeeded_;    // after the line just given

    void Load()
    {
        offset_ = 0;
        int64_t count = lines_->ItemCount;
        for (;; step_++) {
            data_ = 0;
            size_ = 0;
            if (step_ == 0) {
                if (source_ && source_->head) {
                    data_ = source_->bytes;
                    size_ = source_->head;
                }
            } else if (step_ <= 2 * count) {
                if (step_ % 2 == 1) {
                    LoadLine((step_ - 1) / 2, count);
                } else if (endNeeded_) {
                    data_ = LineEnd;
                    size_ = 2;
                }
            } else if (step_ == 2 * count + 1) {
                if (source_ && source_->tail < source_->size) {
                    data_ = source_->bytes + source_->tail;
                    size_ = source_->size - source_->tail;
                }
            } else {
                return;
            }
            if (size_ > 0)
                return;
        }
    }

    void LoadLine(int64_t index, int64_t count)
    {
        const char* text = static_cast<const char*>(lines_->ItemList[index]);
        const TIniSource::Origin* origin = source_ ? source_->Find(text) : 0;
        if (!origin) {
            data_ = text ? text : "";
            size_ = strlen(data_);
            endNeeded_ = true;
            return;
        }
        data_ = source_->bytes + origin->start;
        size_ = origin->size;
        // The file's last line, read without an LF, stays so unless lines
        // now follow it.
        endNeeded_ = (size_ == 0 || data_[size_ - 1] != '\n') && index < count - 1;
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
bool WriteLines(TFileHandle handle, OutputStream& stream, char* buffer, size_t size)
{
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
    LeadBytes lead = SystemLeadBytes();
    size_t folder = 0;
    for (const char* c = fileName; *c; c = lead.Next(c))
        if (*c == '\\' || *c == '/' || *c == ':')
            folder = (size_t)(c - fileName) + 1;
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
        // read-only file that needs no change is no failure. Text that the
        // lines cannot stand for is never written over.
        if (FileHolds(out, in, size)) {
            Changed = false;
            LastFlush = IniFlushUnchanged;
        } else if ((!Source || Source->faithful) && WriteBeside(out, size)) {
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
    OutputStream stream(Lines, Source);
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

    OutputStream stream(Lines, Source);
    bool ok = WriteLines(handle, stream, buffer, size);
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
