// The size-class pool of Kettric structures.
#include "kettric/StructurePool.h"

#include "base/Memory.h"

namespace oq {

namespace {

// Chunk headers take one granule, so blocks stay 16-byte aligned.
constexpr size_t kChunkHeaderSize = StructurePool::kGranule;

}  // namespace

StructurePool::~StructurePool()
{
    for (SizeClass &sizeClass : classes)
    {
        for (Chunk *chunk = sizeClass.firstChunk; chunk != nullptr;)
        {
            Chunk *next = chunk->next;
            MemoryRelease(chunk);
            chunk = next;
        }
    }
}

void *StructurePool::Allocate(size_t size)
{
    if (size == 0 || size > kLargestBlock) return MemoryAllocate(size);
    SizeClass *sizeClass = &classes[(size - 1) / kGranule];
    ++sizeClass->liveCount;
    if (FreeBlock *block = sizeClass->freeBlocks)
    {
        sizeClass->freeBlocks = block->next;
        return block;
    }
    size_t blockSize = (size + kGranule - 1) & ~(kGranule - 1);
    char *block = sizeClass->cursor;
    if (block != nullptr && size_t(sizeClass->end - block) >= blockSize)
    {
        sizeClass->cursor = block + blockSize;
        return block;
    }
    return AllocateFresh(sizeClass, blockSize);
}

void StructurePool::Release(void *block, size_t size)
{
    if (block == nullptr) return;
    if (size == 0 || size > kLargestBlock)
    {
        MemoryRelease(block);
        return;
    }
    SizeClass *sizeClass = &classes[(size - 1) / kGranule];
    if (--sizeClass->liveCount == 0)
    {
        Restart(sizeClass);
        return;
    }
    FreeBlock *freeBlock = static_cast<FreeBlock *>(block);
    freeBlock->next = sizeClass->freeBlocks;
    sizeClass->freeBlocks = freeBlock;
}

void *StructurePool::AllocateFresh(SizeClass *sizeClass, size_t blockSize)
{
    // The next kept chunk, else a new one at the end of the class's list.
    Chunk *chunk = (sizeClass->currentChunk != nullptr) ? sizeClass->currentChunk->next : sizeClass->firstChunk;
    if (chunk == nullptr)
    {
        chunk = static_cast<Chunk *>(MemoryAllocate(kChunkSize));
        chunk->next = nullptr;
        ++chunkCount;
        if (sizeClass->currentChunk != nullptr)
            sizeClass->currentChunk->next = chunk;
        else
            sizeClass->firstChunk = chunk;
    }
    sizeClass->currentChunk = chunk;
    char *block = reinterpret_cast<char *>(chunk) + kChunkHeaderSize;
    sizeClass->cursor = block + blockSize;
    sizeClass->end = reinterpret_cast<char *>(chunk) + kChunkSize;
    return block;
}

void StructurePool::Restart(SizeClass *sizeClass)
{
    // Every block is back: forget the free list and cut fresh blocks from the first chunk again.
    // The chunks stay (the next document of this size usually follows; new memory costs a page
    // fault per 4 KiB).
    sizeClass->freeBlocks = nullptr;
    sizeClass->cursor = nullptr;
    sizeClass->end = nullptr;
    sizeClass->currentChunk = nullptr;
}

#ifndef OQ_STRUCTURE_POOL_PASSTHROUGH
namespace {

// The pool of the program's structures, ready before any constructor runs and never destroyed:
// structures of static documents may be deleted after exit handlers ran.
union ProgramPool
{
    constexpr ProgramPool() : pool() {}
    ~ProgramPool() {}

    StructurePool pool;
};

constinit ProgramPool programPool;

}  // namespace
#endif

void *AllocateStructureBlock(size_t size)
{
#ifdef OQ_STRUCTURE_POOL_PASSTHROUGH
    return MemoryAllocate(size);
#else
    return programPool.pool.Allocate(size);
#endif
}

void ReleaseStructureBlock(void *block, size_t size)
{
#ifdef OQ_STRUCTURE_POOL_PASSTHROUGH
    static_cast<void>(size);
    MemoryRelease(block);
#else
    programPool.pool.Release(block, size);
#endif
}

}  // namespace oq
