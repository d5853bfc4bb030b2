#include "base/FloatControl.h"
#include "vorlfont/compiler/VorlFontRun.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// Grows the heap once by a reserve backed by transparent huge pages where the system gives them
// on request: a compile touches tens of megabytes of fresh heap in small blocks, and each 4 KB
// page faults once. Every later growth is padded the same (address space only). The reserve
// stays below the 64 and 128 MB texture buffers, which still come zeroed from their own mapping.
void ReserveHugePageHeap()
{
#if defined(__linux__) && defined(__GLIBC__)
    constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;
    constexpr int kReserve = 48 << 20;
    if (mallopt(M_TOP_PAD, kReserve) == 0) return;
    auto start = reinterpret_cast<std::uintptr_t>(sbrk(0));
    void *volatile block = std::malloc(64 << 10);
    auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    std::free(block);
    std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    std::uintptr_t last = end & ~(kHugePage - 1);
    if (last > first) madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
#endif
}

} // namespace

int main(int argc, char **argv)
{
    ReserveHugePageHeap();
    oq::EnableFlushToZero();
    const char *message = nullptr;
    int exitCode = oq::RunVorlFont(argc - 1, argv + 1, &message);
    if (message != nullptr) std::printf("%s\n", message);
    return exitCode;
}
