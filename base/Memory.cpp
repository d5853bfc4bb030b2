#include "base/Memory.h"

#include <cstdio>
#include <cstdlib>
#include <new>

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

}  // namespace oq
