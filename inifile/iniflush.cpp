// Writing the lines back: unchanged lines as the bytes they were read from,
// through a new file beside the old one.
#include "inifile/inifile.h"

#include <stdlib.h>
#include <string.h>

#include "inifile/fileio.h"
#include "inifile/inisource.h"
#include "paths/leadbytes.h"

namespace {

const char LineEnd[] = "\r\n";

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
