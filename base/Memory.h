#pragma once

#include <cstddef>

namespace oq {

// The allocator the base library takes from the program it is built into.
// The compiler keeps the default (the global allocator); the editor installs its heap.
using AllocateFunction = void *(*)(size_t size);
using ReleaseFunction = void (*)(void *block);

void SetAllocator(AllocateFunction allocate, ReleaseFunction release);

// Never returns null: an allocator that fails ends the program instead.
void *MemoryAllocate(size_t size);

// Null is ignored.
void MemoryRelease(void *block);

// Asks the system to back the whole 2 MB pages inside the block with huge pages when they are first
// touched (a hint for large blocks read at random; nothing where the system has no such pages).
void AdviseHugePages(void *block, size_t size);

// Base of objects that containers and trees delete through their virtual destructor:
// they live in the program's allocator.
struct HeapObject
{
    static void *operator new(size_t size) { return MemoryAllocate(size); }
    static void operator delete(void *block) { MemoryRelease(block); }
};

}  // namespace oq
