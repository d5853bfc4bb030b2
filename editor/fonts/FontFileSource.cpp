#include "editor/fonts/FontFileSource.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace oq {

FontFileSource::~FontFileSource()
{
    if (descriptor >= 0) close(descriptor);
}

bool FontFileSource::Open(const char *path)
{
    if (descriptor >= 0) close(descriptor);
    descriptor = -1;
    size = 0;
    int opened = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (opened < 0) return false;
    struct stat status;
    if (fstat(opened, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0)
    {
        close(opened);
        return false;
    }
    descriptor = opened;
    size = uint64_t(status.st_size);
    return true;
}

bool FontFileSource::Read(uint64_t offset, uint64_t count, uint8_t *out) const
{
    if (descriptor < 0 || !Contains(offset, count)) return false;
    while (count != 0)
    {
        ssize_t got = pread(descriptor, out, count, off_t(offset));
        if (got < 0 && errno == EINTR) continue;
        // A file cut short since it was opened reads fewer bytes than its size promised.
        if (got <= 0) return false;
        out += got;
        offset += uint64_t(got);
        count -= uint64_t(got);
    }
    return true;
}

}  // namespace oq
