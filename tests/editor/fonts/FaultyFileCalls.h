#pragma once

// The file layer of atomic saves with faults on request: it fails the create, writes short or
// fails a write at byte n, or fails fsync or rename; every other call is the real one. Installed
// for its lifetime.

#include "editor/fonts/AtomicFile.h"

#include <cerrno>
#include <cstdint>

namespace oq::test {

class FaultyFileCalls : public AtomicFileCalls
{
public:
    FaultyFileCalls() { SetAtomicFileCalls(this); }
    ~FaultyFileCalls() override { SetAtomicFileCalls(nullptr); }
    FaultyFileCalls(const FaultyFileCalls &) = delete;
    FaultyFileCalls &operator=(const FaultyFileCalls &) = delete;

    // Errors (errno values) of the chosen calls; 0 lets the call through.
    int createError = 0;
    int syncError = 0;
    int renameError = 0;
    int closeError = 0;
    // Writes stop at this many bytes into the file: the write that reaches it writes up to it
    // (short), the next one fails with writeError, or returns 0 when writeError is 0.
    uint64_t writeLimit = UINT64_MAX;
    int writeError = ENOSPC;
    // Every write moves at most this many bytes (short writes the caller must continue).
    size_t writeChunk = SIZE_MAX;

    // What the calls saw.
    uint64_t bytesWritten = 0;
    int writeCalls = 0;
    int syncCalls = 0;
    int renameCalls = 0;
    int folderSyncCalls = 0;

    int CreateTemporary(char *pathTemplate) override
    {
        if (createError != 0) return Fail(createError);
        return AtomicFileCalls::CreateTemporary(pathTemplate);
    }

    ssize_t Write(int descriptor, const void *data, size_t size) override
    {
        ++writeCalls;
        if (bytesWritten >= writeLimit)
        {
            if (writeError == 0) return 0;
            return Fail(writeError);
        }
        if (size > writeChunk) size = writeChunk;
        if (size > writeLimit - bytesWritten) size = size_t(writeLimit - bytesWritten);
        ssize_t written = AtomicFileCalls::Write(descriptor, data, size);
        if (written > 0) bytesWritten += uint64_t(written);
        return written;
    }

    int Sync(int descriptor) override
    {
        ++syncCalls;
        if (syncError != 0) return Fail(syncError);
        return AtomicFileCalls::Sync(descriptor);
    }

    int Close(int descriptor) override
    {
        int result = AtomicFileCalls::Close(descriptor);
        if (closeError != 0) return Fail(closeError);
        return result;
    }

    int Rename(const char *from, const char *to) override
    {
        ++renameCalls;
        if (renameError != 0) return Fail(renameError);
        return AtomicFileCalls::Rename(from, to);
    }

    int SyncFolder(const char *folder) override
    {
        ++folderSyncCalls;
        return AtomicFileCalls::SyncFolder(folder);
    }

private:
    static int Fail(int error)
    {
        errno = error;
        return -1;
    }
};

}  // namespace oq::test
