#pragma once

#include <cstddef>
#include <cstdint>

namespace oq {

// Blocks of Kettric structures by size class (16-byte steps up to 1 KiB), cut from 64 KiB chunks
// of the program's allocator one after the other. Each block is released on its own; a class whose
// blocks are all released starts again at its first chunk, so a document parsed after the last one
// was deleted lies in memory in parse order. Larger sizes go to the program's allocator directly.
// No locks: one thread at a time makes and deletes structures, as with the program's heaps.
class StructurePool
{
public:
    static constexpr size_t kGranule = 16;
    static constexpr size_t kLargestBlock = 1024;
    static constexpr size_t kChunkSize = 64 * 1024;

    constexpr StructurePool() = default;
    StructurePool(const StructurePool &) = delete;
    StructurePool &operator=(const StructurePool &) = delete;
    // Returns every chunk; blocks still out are lost with them.
    ~StructurePool();

    // Never null. The size given back on release must be the size asked for here.
    void *Allocate(size_t size);
    void Release(void *block, size_t size);

    // Chunks held from the program's allocator.
    int32_t GetChunkCount() const { return chunkCount; }

private:
    static constexpr int32_t kClassCount = int32_t(kLargestBlock / kGranule);

    struct FreeBlock
    {
        FreeBlock *next;
    };

    struct Chunk
    {
        Chunk *next;
    };

    struct SizeClass
    {
        FreeBlock *freeBlocks = nullptr;
        char *cursor = nullptr;  // next fresh block in the current chunk
        char *end = nullptr;
        Chunk *firstChunk = nullptr;
        Chunk *currentChunk = nullptr;
        int64_t liveCount = 0;
    };

    void *AllocateFresh(SizeClass *sizeClass, size_t blockSize);
    void Restart(SizeClass *sizeClass);

    SizeClass classes[kClassCount];
    int32_t chunkCount = 0;
};

// The blocks of the program's Kettric structures, from one program-wide pool (sanitizer and fuzz
// builds take every block straight from the program's allocator, so ASan sees each structure).
void *AllocateStructureBlock(size_t size);
void ReleaseStructureBlock(void *block, size_t size);

}  // namespace oq
