#pragma once

#include "base/TextString.h"

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace oq {

// The system calls an atomic save makes. The base makes the real calls; tests derive from it to
// fail chosen calls. Each returns what the system call returns and leaves the error in errno.
class AtomicFileCalls
{
public:
    virtual ~AtomicFileCalls() = default;

    // mkostemp with O_CLOEXEC: replaces the trailing "XXXXXX" of the template; a descriptor or -1.
    virtual int CreateTemporary(char *pathTemplate);
    virtual ssize_t Write(int descriptor, const void *data, size_t size);
    // fsync of the written file.
    virtual int Sync(int descriptor);
    virtual int Close(int descriptor);
    virtual int Rename(const char *from, const char *to);
    virtual int Unlink(const char *path);
    // fsync of the folder that holds a renamed file (the path ends in '/').
    virtual int SyncFolder(const char *folder);
};

// The calls every AtomicFile makes from now on; null restores the real calls.
void SetAtomicFileCalls(AtomicFileCalls *calls);
AtomicFileCalls *GetAtomicFileCalls();

// A file replaced whole or not at all: written into a temporary file in the target's folder,
// synced, renamed over the target, then the folder synced. On any failure the temporary file is
// removed, the old file stays as it was and the error is returned (File result codes; errno
// through MapFileError). Of two saves at once the last rename wins; neither file is torn.
class AtomicFile
{
public:
    AtomicFile() = default;
    // Abandons a save that was not committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Creates the temporary file for the target path. A target that exists lends its permission
    // bits; a new one gets 0600. A symbolic link is followed, so the link stays.
    [[nodiscard]] int32_t Open(const char *path);
    // Appends the bytes; after a failure every later call returns the first error.
    [[nodiscard]] int32_t Write(const void *data, uint64_t size);
    // Syncs and closes the temporary file and renames it over the target; abandons it on failure.
    [[nodiscard]] int32_t Commit();
    // Closes and removes the temporary file; the target is untouched.
    void Abandon();

private:
    TextString targetPath;
    TextString temporaryPath;
    int descriptor = -1;
    int32_t error = 0;
};

// Replaces the file at path with the bytes, through an AtomicFile.
[[nodiscard]] int32_t SaveFileAtomically(const char *path, const void *data, uint64_t size);

}  // namespace oq
