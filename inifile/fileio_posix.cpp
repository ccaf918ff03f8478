#include "inifile/fileio.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

uint32_t LastFileError = 0;
TFileFaults FileFaults = {0, -1, 0};

void ResetFileFaults()
{
    FileFaults.FailCalls = 0;
    FileFaults.BytesLeft = -1;
    FileFaults.Calls = 0;
}

static uint32_t ErrorCode(int err)
{
    if (err == ENOENT)
        return FileNotFoundError;
    if (err == EEXIST)
        return FileExistsError;
    // No other failure may pass for a missing file, a taken name, or success.
    if (err == 0 || static_cast<uint32_t>(err) == FileNotFoundError ||
        static_cast<uint32_t>(err) == FileExistsError)
        return EIO;
    return static_cast<uint32_t>(err);
}

// Counts the operation; true when the tests asked for it to fail.
static bool Faulted()
{
    uint32_t n = ++FileFaults.Calls;
    if (n > 64 || !((FileFaults.FailCalls >> (n - 1)) & 1))
        return false;
    LastFileError = ErrorCode(EIO);
    return true;
}

static int Fd(TFileHandle handle)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(handle));
}

static TFileHandle Open(const char* name, int flags, bool regularOnly)
{
    if (Faulted())
        return InvalidFileHandle;
    // A file without write permission is read-only even to root, as a
    // read-only file is on Windows; looked at before O_TRUNC can empty it.
    struct stat st;
    if ((flags & O_ACCMODE) != O_RDONLY && !(flags & O_EXCL) && stat(name, &st) == 0 &&
        !S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR)) {
        LastFileError = EACCES;
        return InvalidFileHandle;
    }
    int fd;
    do
        fd = open(name, flags | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        LastFileError = ErrorCode(errno);
        return InvalidFileHandle;
    }
    // Windows refuses to open a directory as a file; do the same, so that a
    // directory is an open error and not a read error. A file that is to be
    // replaced must be a plain file: renaming a device node aside would take
    // it away from the whole machine.
    if (fstat(fd, &st) == 0 && (S_ISDIR(st.st_mode) || (regularOnly && !S_ISREG(st.st_mode)))) {
        close(fd);
        LastFileError = S_ISDIR(st.st_mode) ? EISDIR : EACCES;
        return InvalidFileHandle;
    }

    LastFileError = 0;
    return reinterpret_cast<TFileHandle>(static_cast<intptr_t>(fd));
}

TFileHandle OpenForRead(const char* name)
{
    return Open(name, O_RDONLY, false);
}

TFileHandle CreateForWrite(const char* name)
{
    return Open(name, O_RDWR | O_CREAT | O_TRUNC, false);
}

TFileHandle CreateNewForWrite(const char* name)
{
    return Open(name, O_RDWR | O_CREAT | O_EXCL, true);
}

TFileHandle OpenForUpdate(const char* name)
{
    return Open(name, O_RDWR, true);
}

int32_t ReadBlock(TFileHandle handle, void* buffer, int32_t count)
{
    if (Faulted())
        return 0;
    LastFileError = 0;
    if (count <= 0)
        return 0;
    ssize_t n;
    do
        n = read(Fd(handle), buffer, static_cast<size_t>(count));
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        LastFileError = ErrorCode(errno);
        return 0;
    }
    return static_cast<int32_t>(n);
}

int32_t WriteBlock(TFileHandle handle, const void* buffer, int32_t count)
{
    if (Faulted())
        return 0;
    // A disk that the tests have filled takes what still fits, then fails.
    bool full = false;
    if (FileFaults.BytesLeft >= 0 && count > FileFaults.BytesLeft) {
        count = static_cast<int32_t>(FileFaults.BytesLeft);
        full = true;
    }
    // write() may take part of the block; WriteFile takes all of it or fails.
    const char* p = static_cast<const char*>(buffer);
    int32_t done = 0;
    LastFileError = 0;
    while (done < count) {
        ssize_t n = write(Fd(handle), p + done, static_cast<size_t>(count - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            LastFileError = ErrorCode(errno);
            break;
        }
        if (n == 0) {
            LastFileError = ErrorCode(ENOSPC);
            break;
        }
        done += static_cast<int32_t>(n);
    }
    if (FileFaults.BytesLeft >= 0)
        FileFaults.BytesLeft -= done;
    if (full && LastFileError == 0)
        LastFileError = ErrorCode(ENOSPC);
    return done;
}

void CloseFile(TFileHandle handle)
{
    // A failed close still lets go of the handle, as CloseHandle does.
    bool faulted = Faulted();
    LastFileError = close(Fd(handle)) == 0 ? 0 : ErrorCode(errno);
    if (faulted)
        LastFileError = ErrorCode(EIO);
}

bool RenameFile(const char* from, const char* to)
{
    if (Faulted())
        return false;
    int result = renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system that cannot refuse to replace: look first.
        struct stat st;
        if (lstat(to, &st) == 0) {
            errno = EEXIST;
        } else {
            result = rename(from, to);
        }
    }
    LastFileError = result == 0 ? 0 : ErrorCode(errno);
    return result == 0;
}

bool RemoveFile(const char* name)
{
    if (Faulted())
        return false;
    int result = unlink(name);
    LastFileError = result == 0 ? 0 : ErrorCode(errno);
    return result == 0;
}
