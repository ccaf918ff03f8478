#include "inifile/fileio.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

uint32_t LastFileError = 0;

static uint32_t ErrorCode(int err)
{
    if (err == ENOENT)
        return FileNotFoundError;
    // No other failure may pass for a missing file, or for success.
    if (err == 0 || static_cast<uint32_t>(err) == FileNotFoundError)
        return EIO;
    return static_cast<uint32_t>(err);
}

static int Fd(TFileHandle handle)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(handle));
}

static TFileHandle Open(const char* name, int flags)
{
    int fd;
    do
        fd = open(name, flags | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        LastFileError = ErrorCode(errno);
        return InvalidFileHandle;
    }
    // Windows refuses to open a directory as a file; do the same, so that a
    // directory is an open error and not a read error.
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        LastFileError = EISDIR;
        return InvalidFileHandle;
    }
    LastFileError = 0;
    return reinterpret_cast<TFileHandle>(static_cast<intptr_t>(fd));
}

TFileHandle OpenForRead(const char* name)
{
    return Open(name, O_RDONLY);
}

TFileHandle CreateForWrite(const char* name)
{
    return Open(name, O_RDWR | O_CREAT | O_TRUNC);
}

int32_t ReadBlock(TFileHandle handle, void* buffer, int32_t count)
{
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
    return done;
}

void CloseFile(TFileHandle handle)
{
    LastFileError = close(Fd(handle)) == 0 ? 0 : ErrorCode(errno);
}
