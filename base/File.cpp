#include "base/File.h"

#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace oq {

namespace {

constexpr int kNoHandle = -1;
constexpr uint64_t kMaxOffset = uint64_t(INT64_MAX);

int OpenFlags(int32_t mode)
{
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (mode == kFileModeRead) return flags | O_RDONLY;
    if (mode == kFileModeCreate) return flags | O_RDWR | O_CREAT;
    return flags | O_RDWR;
}

// Readers share the file; a writer excludes everyone else. The lock belongs to the open file
// description, so two File objects of the same process exclude each other too.
bool LockFile(int handle, int32_t mode)
{
    struct flock lock = {};
    lock.l_type = (mode == kFileModeRead) ? F_RDLCK : F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    while (fcntl(handle, F_OFD_SETLK, &lock) != 0)
    {
        if (errno == EINTR) continue;
        // Only a conflicting lock refuses the open; file systems without locks are used as they are.
        return (errno != EAGAIN && errno != EACCES);
    }
    return true;
}

// Closes a handle that failed to open completely and returns code, keeping errno out of it.
int32_t Abandon(int handle, int32_t code)
{
    close(handle);
    return code;
}

// Moves count bytes at offset with pread or pwrite, looping over partial transfers and EINTR.
// A transfer that stops short (end of file, no progress) is a failure.
template <typename Byte, typename Transfer>
int32_t TransferAll(int handle, Byte *bytes, uint32_t count, uint64_t offset, Transfer transfer)
{
    if (offset > kMaxOffset - count) return kFileTransferFailed;

    uint32_t done = 0;
    while (done < count)
    {
        ssize_t result = transfer(handle, bytes + done, count - done, off_t(offset + done));
        if (result < 0)
        {
            if (errno == EINTR) continue;
            return MapFileError(errno, kFileTransferFailed);
        }
        if (result == 0) return kFileTransferFailed;
        done += uint32_t(result);
    }
    return kFileOkay;
}

}  // namespace

int32_t MapFileError(int error, int32_t defaultCode)
{
    switch (error)
    {
    case EACCES:
    case EPERM: return kFileAccessDenied;
    case EROFS: return kFileWriteProtected;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kFileDiskFull;  // the file cannot grow: the same for whoever writes it
    default: return defaultCode;
    }
}

File::File() : handle(kNoHandle), open(false), position(0) {}

File::~File()
{
    // A destructor has nobody to report to; writers call Close themselves and check it.
    static_cast<void>(Close());
}

int32_t File::Open(const char *name, int32_t mode)
{
    if (open || name == nullptr) return kFileOpenFailed;

    int fd;
    do fd = ::open(name, OpenFlags(mode), 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return MapFileError(errno, kFileOpenFailed);

    // Opened without blocking so that a FIFO cannot hang here; directories and FIFOs are refused.
    struct stat status;
    if (fstat(fd, &status) != 0) return Abandon(fd, MapFileError(errno, kFileOpenFailed));
    if (S_ISDIR(status.st_mode) || S_ISFIFO(status.st_mode)) return Abandon(fd, kFileOpenFailed);

    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return Abandon(fd, kFileOpenFailed);

    if (!LockFile(fd, mode)) return Abandon(fd, kFileOpenFailed);

    // Truncated only once the lock shows that nobody else has the file open. The size seen before
    // the lock may be stale (a writer may have filled the file and closed it since), so it is not consulted.
    if (mode == kFileModeCreate && S_ISREG(status.st_mode))
    {
        int result;
        do result = ftruncate(fd, 0);
        while (result != 0 && errno == EINTR);
        if (result != 0) return Abandon(fd, MapFileError(errno, kFileOpenFailed));
    }

    handle = fd;
    open = true;
    position = 0;
    return kFileOkay;
}

int32_t File::Close()
{
    // Closing a closed file has nothing to do and nothing to report.
    if (!open) return kFileOkay;

    int fd = handle;
    handle = kNoHandle;
    open = false;
    position = 0;

    // The descriptor is released even when close reports an error; it is never closed twice.
    if (close(fd) != 0 && errno != EINTR) return MapFileError(errno, kFileTransferFailed);
    return kFileOkay;
}

int32_t File::Read(void *buffer, uint32_t count)
{
    if (!open) return kFileNotOpen;
    int32_t result = TransferAll(handle, static_cast<uint8_t *>(buffer), count, position, ::pread);
    if (result == kFileOkay) position += count;
    return result;
}

int32_t File::Write(const void *buffer, uint32_t count)
{
    if (!open) return kFileNotOpen;
    int32_t result = TransferAll(handle, static_cast<const uint8_t *>(buffer), count, position, ::pwrite);
    if (result == kFileOkay) position += count;
    return result;
}

uint64_t File::GetSize() const
{
    if (!open) return 0;
    struct stat status;
    if (fstat(handle, &status) != 0) return 0;
    return uint64_t(status.st_size);
}

int32_t File::SetSize(uint64_t size)
{
    if (!open) return kFileNotOpen;
    if (size > kMaxOffset) return kFileTransferFailed;

    int result;
    do result = ftruncate(handle, off_t(size));
    while (result != 0 && errno == EINTR);
    if (result != 0) return MapFileError(errno, kFileTransferFailed);
    return kFileOkay;
}

uint64_t File::SetPosition(int64_t offset, int32_t origin)
{
    if (!open) return 0;
    if (origin == 0) position = uint64_t(offset);
    else if (origin == 1) position += uint64_t(offset);
    else if (origin == 2) position = GetSize() - uint64_t(offset);
    return position;
}

int32_t File::WritePadding(uint32_t alignment)
{
    static const uint8_t kZeros[64] = {};

    if (!open) return kFileNotOpen;
    uint32_t low = uint32_t(position);
    uint32_t count = (((low + alignment - 1) & ~(alignment - 1)) - low) & 63;
    if (count == 0) return kFileOkay;
    return Write(kZeros, count);
}

bool File::GetIdentity(FileIdentity *identity) const
{
    struct stat status;
    if (!open || fstat(handle, &status) != 0 || !S_ISREG(status.st_mode)) return false;
    identity->device = uint64_t(status.st_dev);
    identity->inode = uint64_t(status.st_ino);
    return true;
}

int32_t DeleteFileIfSame(const char *name, const FileIdentity &identity)
{
    struct stat status;
    if (name == nullptr || lstat(name, &status) != 0 || !S_ISREG(status.st_mode)) return kFileDeleteFailed;
    if (uint64_t(status.st_dev) != identity.device || uint64_t(status.st_ino) != identity.inode) return kFileDeleteFailed;
    return DeleteFileByName(name);
}

int32_t DeleteFileByName(const char *name)
{
    if (name == nullptr || unlink(name) != 0) return kFileDeleteFailed;
    return kFileOkay;
}

}  // namespace oq
