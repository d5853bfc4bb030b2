#include "editor/platform/Heap.h"

#include "base/Memory.h"

#include <bit>
#include <cstdlib>
#include <new>

namespace oq {

namespace {

// malloc and free behind the heap interface.
class ProcessHeap final : public HeapBackEnd
{
public:
    void *Acquire(size_t size) override { return std::malloc(size); }
    void Release(void *memory) override { std::free(memory); }
};

Heap *lastCreatedHeap = nullptr;

#ifdef OQ_HEAP_PASSTHROUGH
constexpr bool kNamedHeapsPassthrough = true;
#else
constexpr bool kNamedHeapsPassthrough = false;
#endif

// Both named heaps, created together so "MemoryManager" comes first in the chain; never destroyed.
struct NamedHeaps
{
    Heap memoryManager{"MemoryManager", GetProcessHeap(), kNamedHeapsPassthrough};
    Heap undoRedoState{"UndoRedoState", GetProcessHeap(), kNamedHeapsPassthrough};

    NamedHeaps()
    {
        memoryManager.LinkIntoChain();
        undoRedoState.LinkIntoChain();
    }
};

NamedHeaps &GetNamedHeaps()
{
    alignas(NamedHeaps) static unsigned char storage[sizeof(NamedHeaps)];
    static NamedHeaps *heaps = new (storage) NamedHeaps;
    return *heaps;
}

// Construct both before the program's entry point.
[[maybe_unused]] NamedHeaps &namedHeapsAtStart = GetNamedHeaps();

}  // namespace

HeapBackEnd *GetProcessHeap()
{
    static ProcessHeap processHeap;
    return &processHeap;
}

Heap::Heap(const char *heapName, HeapBackEnd *heapBackEnd, bool passthroughMode)
    : name(heapName), backEnd(heapBackEnd), passthrough(passthroughMode)
{
}

Heap::~Heap()
{
    while (HeapChunk *chunk = chunkList)
    {
        chunkList = chunk->nextChunk;
        backEnd->Release(chunk);
    }
}

void Heap::LinkIntoChain()
{
    if (lastCreatedHeap) lastCreatedHeap->nextHeap = this;
    lastCreatedHeap = this;
}

int Heap::GetSizeClass(uint64_t size)
{
    int sizeClass = int(std::bit_width(size)) - 5;
    if (sizeClass < 0) return 0;
    return sizeClass < kHeapClassCount - 1 ? sizeClass : kHeapClassCount - 1;
}

void Heap::PushFree(HeapBlock *block)
{
    HeapBlock *&head = freeLists[GetSizeClass(block->capacity)];
    block->previousFreeBlock = nullptr;
    block->nextFreeBlock = head;
    if (head) head->previousFreeBlock = block;
    head = block;
}

void Heap::UnlinkFree(HeapBlock *block)
{
    HeapBlock *previous = block->previousFreeBlock;
    HeapBlock *next = block->nextFreeBlock;
    if (previous)
        previous->nextFreeBlock = next;
    else
        freeLists[GetSizeClass(block->capacity)] = next;
    if (next) next->previousFreeBlock = previous;
    block->previousFreeBlock = nullptr;
    block->nextFreeBlock = nullptr;
}

HeapBlock *Heap::AllocateLarge(size_t size, uint64_t padded, uint32_t flags)
{
    auto *block = static_cast<HeapBlock *>(backEnd->Acquire(padded + kHeapHeaderSize));
    if (!block) return nullptr;
    *block = HeapBlock{};
    block->flags = flags | kHeapBlockInUse | kHeapBlockLarge;
    block->requestedSize = uint32_t(size);
    block->capacity = uint32_t(padded);
    return block;
}

HeapBlock *Heap::AllocateChunk(size_t size, uint32_t padded, uint32_t flags)
{
    auto *chunk = static_cast<HeapChunk *>(backEnd->Acquire(kChunkSize));
    if (!chunk) return nullptr;
    *chunk = HeapChunk{this, nullptr, chunkList, 2, 0};
    if (chunkList) chunkList->previousChunk = chunk;
    chunkList = chunk;

    HeapBlock *block = chunk->GetFirstBlock();
    auto *remainder = reinterpret_cast<HeapBlock *>(reinterpret_cast<char *>(block) + kHeapHeaderSize + padded);
    *block = HeapBlock{};
    block->owningChunk = chunk;
    block->nextBlock = remainder;
    block->flags = flags | kHeapBlockInUse;
    block->requestedSize = uint32_t(size);
    block->capacity = padded;

    *remainder = HeapBlock{};
    remainder->owningChunk = chunk;
    remainder->previousBlock = block;
    remainder->capacity = remainder->requestedSize = kChunkSize - padded - 2 * kHeapHeaderSize - kHeapChunkHeaderSize;
    PushFree(remainder);
    return block;
}

HeapBlock *Heap::Allocate(size_t size, uint32_t flags)
{
    // 64-bit arithmetic throughout: a size near 4 GiB must not wrap into a small request.
    if (uint64_t(size) > kMaxRequestSize) return nullptr;
    uint64_t padded = (uint64_t(size) + 15) & ~uint64_t(15);
    uint64_t need = padded + kHeapHeaderSize;
    if (size > kSmallRequestLimit || passthrough) return AllocateLarge(size, padded, flags);

    int sizeClass = GetSizeClass(need);
    HeapBlock *found = nullptr;
    // Any block of a higher class is large enough: the highest non-empty class wins.
    for (int k = kHeapClassCount - 1; k > sizeClass; --k)
    {
        if (freeLists[k])
        {
            found = freeLists[k];
            break;
        }
    }
    if (!found)
    {
        for (HeapBlock *block = freeLists[sizeClass]; block; block = block->nextFreeBlock)
        {
            if (block->capacity >= need)
            {
                found = block;
                break;
            }
        }
    }

    HeapBlock *block;
    if (found)
    {
        SplitBlock(found, size, uint32_t(padded), flags);
        block = found;
    }
    else
    {
        block = AllocateChunk(size, uint32_t(padded), flags);
        if (!block) return nullptr;
    }
    bytesInUse += size;
    return block;
}

void Heap::SplitBlock(HeapBlock *block, size_t size, uint32_t padded, uint32_t flags)
{
    UnlinkFree(block);
    if (block->capacity >= padded + kHeapHeaderSize + 16)
    {
        uint32_t remainder = block->capacity - padded - kHeapHeaderSize;
        auto *rest = reinterpret_cast<HeapBlock *>(reinterpret_cast<char *>(block) + kHeapHeaderSize + padded);
        *rest = HeapBlock{};
        rest->owningChunk = block->owningChunk;
        rest->owningChunk->blockCount++;
        rest->previousBlock = block;
        rest->nextBlock = block->nextBlock;
        if (rest->nextBlock) rest->nextBlock->previousBlock = rest;
        rest->capacity = rest->requestedSize = remainder;
        PushFree(rest);
        block->nextBlock = rest;
        block->capacity = padded;
    }
    block->flags = flags | kHeapBlockInUse;
    block->requestedSize = uint32_t(size);
}

bool Heap::ReleaseChunk(HeapChunk *chunk)
{
    // The only chunk stays and merges into one free block instead.
    if (chunk->previousChunk == chunk->nextChunk) return false;
    for (HeapBlock *block = chunk->GetFirstBlock(); block; block = block->nextBlock)
    {
        if (block->flags == 0) UnlinkFree(block);
    }
    if (chunk->previousChunk)
        chunk->previousChunk->nextChunk = chunk->nextChunk;
    else
        chunkList = chunk->nextChunk;
    if (chunk->nextChunk) chunk->nextChunk->previousChunk = chunk->previousChunk;
    backEnd->Release(chunk);
    return true;
}

void Heap::Free(HeapBlock *block)
{
    if (block->flags & kHeapBlockLarge)
    {
        backEnd->Release(block);
        return;
    }
    bytesInUse -= block->requestedSize;

    HeapChunk *chunk = block->owningChunk;
    HeapBlock *next = block->nextBlock;
    HeapBlock *previous = block->previousBlock;
    bool nextFree = next && next->flags == 0;
    bool previousFree = previous && previous->flags == 0;

    // Every free block that takes part in a merge leaves its class list first; the merged block is
    // pushed once, on the list of its new class.
    if (nextFree && previousFree)
    {
        uint32_t count = chunk->blockCount;
        chunk->blockCount = count - 2;
        if (count == 3 && ReleaseChunk(chunk)) return;
        UnlinkFree(previous);
        UnlinkFree(next);
        previous->nextBlock = next->nextBlock;
        if (previous->nextBlock) previous->nextBlock->previousBlock = previous;
        previous->capacity += block->capacity + next->capacity + 2 * kHeapHeaderSize;
        previous->requestedSize = previous->capacity;
        PushFree(previous);
    }
    else if (nextFree)
    {
        uint32_t count = chunk->blockCount;
        chunk->blockCount = count - 1;
        if (count == 2 && ReleaseChunk(chunk)) return;
        UnlinkFree(next);
        block->nextBlock = next->nextBlock;
        if (block->nextBlock) block->nextBlock->previousBlock = block;
        block->capacity += kHeapHeaderSize + next->capacity;
        block->requestedSize = block->capacity;
        block->flags = 0;
        PushFree(block);
    }
    else if (previousFree)
    {
        uint32_t count = chunk->blockCount;
        chunk->blockCount = count - 1;
        if (count == 2 && ReleaseChunk(chunk)) return;
        UnlinkFree(previous);
        previous->nextBlock = next;
        if (next) next->previousBlock = previous;
        previous->capacity += kHeapHeaderSize + block->capacity;
        previous->requestedSize = previous->capacity;
        PushFree(previous);
    }
    else
    {
        block->flags = 0;
        block->requestedSize = block->capacity;
        PushFree(block);
    }
}

Heap &GetMemoryManagerHeap() { return GetNamedHeaps().memoryManager; }

Heap &GetUndoRedoStateHeap() { return GetNamedHeaps().undoRedoState; }

void *AllocateFromMemoryManager(size_t size)
{
    HeapBlock *block = GetMemoryManagerHeap().Allocate(size, 4);
    return block ? block->GetMemory() : nullptr;
}

void ReleaseToMemoryManager(void *memory)
{
    GetMemoryManagerHeap().Free(HeapBlock::FromMemory(memory));
}

void InstallMemoryManager() { SetAllocator(AllocateFromMemoryManager, ReleaseToMemoryManager); }

void *AllocateMemory(Heap &heap, uint64_t size)
{
    if (size > Heap::kMaxRequestSize) return nullptr;
    HeapBlock *block = heap.Allocate(size_t(size), 4);
    return block ? block->GetMemory() : nullptr;
}

void FreeMemory(Heap &heap, void *memory)
{
    if (memory) heap.Free(HeapBlock::FromMemory(memory));
}

}  // namespace oq
