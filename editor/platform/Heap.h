#pragma once

#include <cstddef>
#include <cstdint>

namespace oq {

class Heap;
struct HeapChunk;

// Where a heap takes its chunks and large blocks from; the program uses the process heap.
class HeapBackEnd
{
public:
    virtual ~HeapBackEnd() = default;

    // Null when no memory is left.
    [[nodiscard]] virtual void *Acquire(size_t size) = 0;
    virtual void Release(void *memory) = 0;
};

// The process heap (malloc and free).
HeapBackEnd *GetProcessHeap();

constexpr uint32_t kHeapBlockInUse = 1;
constexpr uint32_t kHeapBlockLarge = 2;
constexpr uint32_t kHeapHeaderSize = 64;
constexpr uint32_t kHeapChunkHeaderSize = 32;
constexpr int kHeapClassCount = 15;

// The 64-byte header in front of every block; the caller's memory follows it.
struct HeapBlock
{
    HeapChunk *owningChunk;        // none for a large block
    HeapBlock *previousBlock;      // physical neighbours in the chunk
    HeapBlock *nextBlock;
    HeapBlock *previousFreeBlock;  // size-class list links while free
    HeapBlock *nextFreeBlock;
    uint32_t flags;                // 0 exactly when free
    uint32_t requestedSize;
    uint32_t capacity;             // usable bytes after the header, a multiple of 16
    uint32_t reserved[3];

    void *GetMemory() { return reinterpret_cast<char *>(this) + kHeapHeaderSize; }
    static HeapBlock *FromMemory(void *memory)
    {
        return reinterpret_cast<HeapBlock *>(static_cast<char *>(memory) - kHeapHeaderSize);
    }
};

static_assert(sizeof(HeapBlock) == kHeapHeaderSize);

// Header of an area of chunk-size bytes taken from the back end; its blocks follow back to back.
struct HeapChunk
{
    Heap *owningHeap;
    HeapChunk *previousChunk;  // newer neighbour
    HeapChunk *nextChunk;      // older neighbour
    uint32_t blockCount;
    uint32_t reserved;

    HeapBlock *GetFirstBlock()
    {
        return reinterpret_cast<HeapBlock *>(reinterpret_cast<char *>(this) + kHeapChunkHeaderSize);
    }
};

static_assert(sizeof(HeapChunk) == kHeapChunkHeaderSize);

// A named size-class pool allocator: requests up to the small limit are carved out of chunks and
// merged again on free; larger ones take memory of their own from the back end.
class Heap
{
public:
    static constexpr uint32_t kSmallRequestLimit = 0x200000;
    static constexpr uint32_t kChunkSize = 0x800000;
    // Larger requests do not fit the 32-bit capacity field once padded.
    static constexpr uint64_t kMaxRequestSize = 0xFFFFFFF0;

    // A passthrough heap serves every request as a large block, so memory checkers see each one.
    explicit Heap(const char *name, HeapBackEnd *backEnd = GetProcessHeap(), bool passthrough = false);
    // Gives the remaining chunks back; large blocks still in use stay the caller's.
    ~Heap();

    Heap(const Heap &) = delete;
    Heap &operator=(const Heap &) = delete;

    // The block's header, or null when the back end has no memory or the size is too large.
    [[nodiscard]] HeapBlock *Allocate(size_t size, uint32_t flags);
    // Gives back a block of this heap, small or large.
    void Free(HeapBlock *block);

    const char *GetName() const { return name; }
    Heap *GetNextHeap() const { return nextHeap; }
    HeapChunk *GetFirstChunk() const { return chunkList; }
    HeapBlock *GetFreeList(int sizeClass) const { return freeLists[sizeClass]; }
    uint64_t GetBytesInUse() const { return bytesInUse; }

    // floor(log2(size)) - 4, clamped to 0..14.
    static int GetSizeClass(uint64_t size);

    // Appends the heap to the process-wide chain of named heaps.
    void LinkIntoChain();

private:
    // Takes a found free block off its list and cuts it to size; a remainder of 16 bytes or more
    // becomes a free block of its own.
    void SplitBlock(HeapBlock *block, size_t size, uint32_t padded, uint32_t flags);
    HeapBlock *AllocateLarge(size_t size, uint64_t padded, uint32_t flags);
    HeapBlock *AllocateChunk(size_t size, uint32_t padded, uint32_t flags);
    void PushFree(HeapBlock *block);
    void UnlinkFree(HeapBlock *block);
    // Unlinks the chunk's free blocks and gives it back, unless it is the only chunk.
    bool ReleaseChunk(HeapChunk *chunk);

    const char *name;
    Heap *nextHeap = nullptr;
    HeapChunk *chunkList = nullptr;
    HeapBlock *freeLists[kHeapClassCount] = {};
    uint64_t bytesInUse = 0;
    HeapBackEnd *backEnd;
    bool passthrough;
};

// The two heaps of the editor; they live for the whole process.
Heap &GetMemoryManagerHeap();
Heap &GetUndoRedoStateHeap();

// The allocator pair the editor installs with SetAllocator: raw storage (flags 4) from "MemoryManager".
void *AllocateFromMemoryManager(size_t size);
void ReleaseToMemoryManager(void *memory);
void InstallMemoryManager();

// Raw storage (flags 4) of a heap: the memory, or null when the heap has none or the size does
// not fit; FreeMemory ignores null.
[[nodiscard]] void *AllocateMemory(Heap &heap, uint64_t size);
void FreeMemory(Heap &heap, void *memory);

}  // namespace oq
