#include "editor/fonts/AtomicFile.h"

#include "base/File.h"
#include "kettric/KettricLiterals.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace oq {

namespace {

AtomicFileCalls realCalls;
AtomicFileCalls *currentCalls = &realCalls;

// Writes larger than this are split (Linux moves at most about 2 GiB per call).
constexpr uint64_t kMaxWriteSize = 0x40000000;

}  // namespace

int AtomicFileCalls::CreateTemporary(char *pathTemplate) { return mkostemp(pathTemplate, O_CLOEXEC); }

ssize_t AtomicFileCalls::Write(int descriptor, const void *data, size_t size) { return write(descriptor, data, size); }

int AtomicFileCalls::Sync(int descriptor) { return fsync(descriptor); }

int AtomicFileCalls::Close(int descriptor) { return close(descriptor); }

int AtomicFileCalls::Rename(const char *from, const char *to) { return std::rename(from, to); }

int AtomicFileCalls::Unlink(const char *path) { return unlink(path); }

int AtomicFileCalls::SyncFolder(const char *folder)
{
    int handle = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) return -1;
    int result = fsync(handle);
    int error = errno;
    close(handle);
    errno = error;
    return result;
}

void SetAtomicFileCalls(AtomicFileCalls *calls) { currentCalls = (calls != nullptr) ? calls : &realCalls; }

AtomicFileCalls *GetAtomicFileCalls() { return currentCalls; }

AtomicFile::~AtomicFile() { Abandon(); }

int32_t AtomicFile::Open(const char *path)
{
    if (descriptor >= 0 || path == nullptr || path[0] == 0) return kFileOpenFailed;
    if (path[GetFileNamePosition(path)] == 0) return kFileOpenFailed;  // a folder, not a file
    targetPath = path;
    // A symbolic link stays a link: the file it leads to is replaced (a dangling link is replaced).
    struct stat status;
    if (lstat(path, &status) == 0 && S_ISLNK(status.st_mode))
    {
        if (char *resolved = realpath(path, nullptr))
        {
            targetPath = resolved;
            std::free(resolved);
        }
    }
    path = targetPath;
    int32_t nameStart = GetFileNamePosition(path);
    // A short hidden name beside the target, so a long target name still leaves room for it.
    temporaryPath.SetTextMax(path, nameStart);
    temporaryPath.AppendText(".oqsave-XXXXXX");
    error = 0;
    descriptor = GetAtomicFileCalls()->CreateTemporary(temporaryPath.GetBuffer());
    if (descriptor < 0)
    {
        temporaryPath.Purge();
        return MapFileError(errno, kFileOpenFailed);
    }
    if (stat(path, &status) == 0 && S_ISREG(status.st_mode))
    {
        // The replacement keeps the old file's permissions; failing that it stays private.
        static_cast<void>(fchmod(descriptor, status.st_mode & 07777));
    }
    return kFileOkay;
}

int32_t AtomicFile::Write(const void *data, uint64_t size)
{
    if (error != 0) return error;
    if (descriptor < 0) return kFileNotOpen;
    const char *bytes = static_cast<const char *>(data);
    while (size > 0)
    {
        size_t count = size_t(size < kMaxWriteSize ? size : kMaxWriteSize);
        ssize_t written = GetAtomicFileCalls()->Write(descriptor, bytes, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0)
        {
            error = (written < 0) ? MapFileError(errno, kFileTransferFailed) : kFileTransferFailed;
            return error;
        }
        bytes += written;
        size -= uint64_t(written);
    }
    return kFileOkay;
}

int32_t AtomicFile::Commit()
{
    if (descriptor < 0) return (error != 0) ? error : kFileNotOpen;
    AtomicFileCalls *calls = GetAtomicFileCalls();
    if (error == 0 && calls->Sync(descriptor) != 0) error = MapFileError(errno, kFileTransferFailed);
    // The descriptor is gone after close whatever it reports.
    int closed = calls->Close(descriptor);
    int closeError = errno;
    descriptor = -1;
    if (error == 0 && closed != 0) error = MapFileError(closeError, kFileTransferFailed);
    if (error == 0 && calls->Rename(temporaryPath, targetPath) != 0) error = MapFileError(errno, kFileTransferFailed);
    if (error != 0)
    {
        int32_t result = error;
        Abandon();
        error = result;
        return result;
    }
    temporaryPath.Purge();
    // The new name is in place; syncing the folder makes it last through a crash. A folder that
    // cannot be synced (some file systems refuse) does not undo the save.
    TextString folder(targetPath, GetFileNamePosition(targetPath));
    if (folder.IsEmpty()) folder = "./";
    static_cast<void>(calls->SyncFolder(folder));
    return kFileOkay;
}

void AtomicFile::Abandon()
{
    AtomicFileCalls *calls = GetAtomicFileCalls();
    if (descriptor >= 0)
    {
        static_cast<void>(calls->Close(descriptor));  // the file is removed anyway
        descriptor = -1;
    }
    if (!temporaryPath.IsEmpty())
    {
        static_cast<void>(calls->Unlink(temporaryPath));
        temporaryPath.Purge();
    }
    error = 0;
}

int32_t SaveFileAtomically(const char *path, const void *data, uint64_t size)
{
    AtomicFile file;
    int32_t result = file.Open(path);
    if (result == kFileOkay) result = file.Write(data, size);
    if (result == kFileOkay) result = file.Commit();
    return result;
}

}  // namespace oq
