#include "base/Memory.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace oq {

namespace {

void *DefaultAllocate(size_t size) { return ::operator new(size, std::nothrow); }
void DefaultRelease(void *block) { ::operator delete(block); }

AllocateFunction allocateFunction = DefaultAllocate;
ReleaseFunction releaseFunction = DefaultRelease;

}  // namespace

void SetAllocator(AllocateFunction allocate, ReleaseFunction release)
{
    allocateFunction = allocate ? allocate : DefaultAllocate;
    releaseFunction = release ? release : DefaultRelease;
}

void *MemoryAllocate(size_t size)
{
    void *block = allocateFunction(size != 0 ? size : 1);
    if (!block)
    {
        std::fputs("Error: out of memory\n", stderr);
        std::abort();
    }
    return block;
}

void MemoryRelease(void *block)
{
    if (block) releaseFunction(block);
}

void AdviseHugePages(void *block, size_t size)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t kHugePage = uintptr_t(2) << 20;
    auto start = reinterpret_cast<uintptr_t>(block);
    uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    uintptr_t last = (start + size) & ~(kHugePage - 1);
    // Only a hint: a system without huge pages refuses it, and nothing else changes.
    if (last > first) static_cast<void>(madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE));
#else
    static_cast<void>(block);
    static_cast<void>(size);
#endif
}

}  // namespace oq
