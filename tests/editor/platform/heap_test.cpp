#include <gtest/gtest.h>

#include "base/Memory.h"
#include "base/TextString.h"
#include "base/Tree.h"
#include "editor/platform/Heap.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <vector>

namespace oq {
namespace {

// Back end over malloc that counts calls, remembers request sizes and can refuse.
class CountingBackEnd final : public HeapBackEnd
{
public:
    void *Acquire(size_t size) override
    {
        ++acquisitions;
        lastRequest = size;
        if (refuse) return nullptr;
        ++live;
        return std::malloc(size);
    }

    void Release(void *memory) override
    {
        ++releases;
        --live;
        std::free(memory);
    }

    int acquisitions = 0;
    int releases = 0;
    int live = 0;
    size_t lastRequest = 0;
    bool refuse = false;
};

// Every chunk is tiled exactly by its blocks, and the free lists hold exactly the free blocks,
// each once, in the class of its capacity.
testing::AssertionResult HeapIsConsistent(const Heap &heap)
{
    std::set<const HeapBlock *> freeBlocks;
    uint64_t inUse = 0;
    const HeapChunk *newer = nullptr;
    for (HeapChunk *chunk = heap.GetFirstChunk(); chunk; chunk = chunk->nextChunk)
    {
        if (chunk->owningHeap != &heap || chunk->previousChunk != newer)
            return testing::AssertionFailure() << "chunk list links broken";
        newer = chunk;
        uint64_t bytes = kHeapChunkHeaderSize;
        uint32_t count = 0;
        const HeapBlock *previous = nullptr;
        for (HeapBlock *block = chunk->GetFirstBlock(); block; block = block->nextBlock)
        {
            const char *expected = reinterpret_cast<const char *>(chunk) + bytes;
            if (reinterpret_cast<const char *>(block) != expected)
                return testing::AssertionFailure() << "block " << count << " not adjacent to its neighbour";
            if (block->owningChunk != chunk || block->previousBlock != previous)
                return testing::AssertionFailure() << "block " << count << " has wrong chunk or previous link";
            if (block->capacity % 16 != 0) return testing::AssertionFailure() << "capacity not a multiple of 16";
            if (block->flags == 0)
            {
                if (block->requestedSize != block->capacity)
                    return testing::AssertionFailure() << "free block size differs from its capacity";
                if (previous && previous->flags == 0)
                    return testing::AssertionFailure() << "two free neighbours left unmerged";
                freeBlocks.insert(block);
            }
            else
            {
                if (block->flags & kHeapBlockLarge) return testing::AssertionFailure() << "large flag in a chunk";
                inUse += block->requestedSize;
            }
            bytes += kHeapHeaderSize + block->capacity;
            ++count;
            previous = block;
            if (bytes > Heap::kChunkSize) return testing::AssertionFailure() << "blocks overrun the chunk";
        }
        if (bytes != Heap::kChunkSize)
            return testing::AssertionFailure() << "blocks cover " << bytes << " bytes of the chunk";
        if (count != chunk->blockCount)
            return testing::AssertionFailure() << "block count " << chunk->blockCount << ", found " << count;
    }
    if (inUse != heap.GetBytesInUse())
        return testing::AssertionFailure() << "bytes in use " << heap.GetBytesInUse() << ", blocks hold " << inUse;

    std::set<const HeapBlock *> listed;
    for (int k = 0; k < kHeapClassCount; ++k)
    {
        const HeapBlock *previous = nullptr;
        for (HeapBlock *block = heap.GetFreeList(k); block; block = block->nextFreeBlock)
        {
            if (!freeBlocks.count(block))
                return testing::AssertionFailure() << "class " << k << " lists a block that is not free in a chunk";
            if (!listed.insert(block).second)
                return testing::AssertionFailure() << "class " << k << " lists a block twice";
            if (Heap::GetSizeClass(block->capacity) != k)
                return testing::AssertionFailure() << "block of capacity " << block->capacity << " in class " << k;
            if (block->previousFreeBlock != previous)
                return testing::AssertionFailure() << "free list back link broken in class " << k;
            previous = block;
        }
    }
    if (listed.size() != freeBlocks.size())
        return testing::AssertionFailure() << freeBlocks.size() - listed.size() << " free blocks in no list";
    return testing::AssertionSuccess();
}

TEST(Heap, SizeClassesFollowTheLogarithm)
{
    struct Case { uint64_t size; int sizeClass; };
    const Case cases[] = {{0, 0},  {16, 0}, {31, 0}, {32, 1}, {63, 1}, {64, 2}, {127, 2},
                          {262143, 13}, {262144, 14}, {8388512, 14}, {uint64_t(1) << 40, 14}};
    for (const Case &c : cases) EXPECT_EQ(Heap::GetSizeClass(c.size), c.sizeClass) << c.size;
}

TEST(Heap, BoundaryRequests)
{
    struct Case
    {
        uint64_t size;
        bool reachesBackEnd;  // on a heap that already has its chunk
        bool large;
        uint32_t capacity;
    };
    const Case cases[] = {
        {0, false, false, 0},
        {1, false, false, 16},
        {2097152, false, false, 2097152},
        {2097153, true, true, 2097168},
        {SIZE_MAX, false, false, 0},
        {0xFFFFFFFFu, false, false, 0},
        {(uint64_t(1) << 32) + 16, false, false, 0},
        {0xFFFFFFF1u, false, false, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.size);
        CountingBackEnd backEnd;
        Heap heap("test", &backEnd);
        HeapBlock *first = heap.Allocate(8, 0);
        ASSERT_NE(first, nullptr);
        int before = backEnd.acquisitions;
        HeapBlock *block = heap.Allocate(size_t(c.size), 4);
        EXPECT_EQ(backEnd.acquisitions - before, c.reachesBackEnd ? 1 : 0);
        if (c.size > Heap::kMaxRequestSize)
        {
            EXPECT_EQ(block, nullptr);
            continue;
        }
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block->capacity, c.capacity);
        EXPECT_EQ(block->requestedSize, uint32_t(c.size));
        if (c.large)
        {
            EXPECT_EQ(block->flags, 4u | 3u);
            EXPECT_EQ(block->owningChunk, nullptr);
            EXPECT_EQ(backEnd.lastRequest, size_t(c.capacity) + 64);
            EXPECT_EQ(heap.GetBytesInUse(), 8u);
        }
        else
        {
            EXPECT_EQ(block->flags, 4u | 1u);
            EXPECT_EQ(block->owningChunk, heap.GetFirstChunk());
            EXPECT_EQ(heap.GetBytesInUse(), 8u + c.size);
        }
        EXPECT_TRUE(HeapIsConsistent(heap));
        heap.Free(block);
        heap.Free(first);
        EXPECT_TRUE(HeapIsConsistent(heap));
        EXPECT_EQ(backEnd.live, 1);
    }
}

TEST(Heap, LargestPaddedSizeReachesTheBackEnd)
{
    CountingBackEnd backEnd;
    backEnd.refuse = true;
    Heap heap("test", &backEnd);
    EXPECT_EQ(heap.Allocate(0xFFFFFFF0u, 0), nullptr);
    EXPECT_EQ(backEnd.acquisitions, 1);
    EXPECT_EQ(backEnd.lastRequest, size_t(0xFFFFFFF0u) + 64);
    // An exhausted back end gives none for small requests too, and nothing is counted.
    EXPECT_EQ(heap.Allocate(100, 0), nullptr);
    EXPECT_EQ(heap.GetBytesInUse(), 0u);
    EXPECT_EQ(heap.GetFirstChunk(), nullptr);
}

TEST(Heap, FirstChunkHoldsTheBlockAndTheRemainder)
{
    CountingBackEnd backEnd;
    Heap heap("test", &backEnd);
    HeapBlock *block = heap.Allocate(100, 0);
    ASSERT_NE(block, nullptr);
    HeapChunk *chunk = heap.GetFirstChunk();
    EXPECT_EQ(block, chunk->GetFirstBlock());
    EXPECT_EQ(reinterpret_cast<char *>(block) - reinterpret_cast<char *>(chunk), 32);
    EXPECT_EQ(chunk->blockCount, 2u);
    HeapBlock *remainder = heap.GetFreeList(14);
    ASSERT_NE(remainder, nullptr);
    EXPECT_EQ(remainder, block->nextBlock);
    EXPECT_EQ(remainder->capacity, 8388608u - 112 - 160);
    EXPECT_EQ(backEnd.lastRequest, size_t(8388608));

    // Freeing the only chunk's last block merges it into one free block instead of releasing it.
    heap.Free(block);
    ASSERT_EQ(heap.GetFirstChunk(), chunk);
    EXPECT_EQ(chunk->blockCount, 1u);
    EXPECT_EQ(heap.GetFreeList(14), chunk->GetFirstBlock());
    EXPECT_EQ(chunk->GetFirstBlock()->capacity, 8388512u);
    EXPECT_EQ(backEnd.releases, 0);
    EXPECT_TRUE(HeapIsConsistent(heap));
}

TEST(Heap, FreesMergeWithFreeNeighbours)
{
    // Blocks A B C D in one chunk (D keeps the remainder apart); the steps free some of A, B, C.
    struct Case
    {
        const char *name;
        std::vector<int> frees;
        uint32_t mergedCapacity;  // capacity of the free block that starts at A (0: A in use)
        int following;            // the block after it
        int blockCount;
    };
    const uint32_t a = 112, b = 48, c = 208;
    const Case cases[] = {
        {"next free", {1, 0}, a + 64 + b, 2, 4},
        {"previous free", {0, 1}, a + 64 + b, 2, 4},
        {"both free", {0, 2, 1}, a + b + c + 128, 3, 3},
        {"previous free, next in use", {1, 2}, 0, 1, 4},
        {"next then previous", {2, 0, 1}, a + b + c + 128, 3, 3},
    };
    for (const Case &test : cases)
    {
        SCOPED_TRACE(test.name);
        CountingBackEnd backEnd;
        Heap heap("test", &backEnd);
        HeapBlock *blocks[4] = {heap.Allocate(100, 0), heap.Allocate(40, 0), heap.Allocate(200, 0), heap.Allocate(8, 0)};
        for (HeapBlock *block : blocks) ASSERT_NE(block, nullptr);
        for (int index : test.frees)
        {
            heap.Free(blocks[index]);
            ASSERT_TRUE(HeapIsConsistent(heap));
        }
        EXPECT_EQ(int(heap.GetFirstChunk()->blockCount), test.blockCount);
        if (test.mergedCapacity)
        {
            EXPECT_EQ(blocks[0]->flags, 0u);
            EXPECT_EQ(blocks[0]->capacity, test.mergedCapacity);
        }
        EXPECT_EQ(blocks[0]->nextBlock, blocks[test.following]);
        // Reusing the freed space never hands out a block twice.
        std::vector<HeapBlock *> again;
        for (int i = 0; i < 8; ++i)
        {
            again.push_back(heap.Allocate(16 * (i % 3), 0));
            ASSERT_TRUE(HeapIsConsistent(heap));
        }
        for (HeapBlock *block : again) heap.Free(block);
        heap.Free(blocks[3]);
        for (int index = 0; index < 3; ++index)
        {
            bool freed = false;
            for (int f : test.frees) freed |= f == index;
            if (!freed) heap.Free(blocks[index]);
        }
        ASSERT_TRUE(HeapIsConsistent(heap));
        EXPECT_EQ(heap.GetFirstChunk()->blockCount, 1u);
    }
}

TEST(Heap, EmptiedChunksAreReleasedExceptTheLast)
{
    // Four 2 MB blocks: three fit the first chunk, the fourth takes a second one.
    for (int emptied : {0, 1})
    {
        SCOPED_TRACE(emptied ? "older chunk emptied" : "newer chunk emptied");
        CountingBackEnd backEnd;
        Heap heap("test", &backEnd);
        HeapBlock *blocks[4];
        for (HeapBlock *&block : blocks) ASSERT_NE(block = heap.Allocate(Heap::kSmallRequestLimit, 0), nullptr);
        ASSERT_EQ(backEnd.acquisitions, 2);
        HeapChunk *older = blocks[0]->owningChunk;
        HeapChunk *newer = blocks[3]->owningChunk;
        ASSERT_EQ(heap.GetFirstChunk(), newer);
        ASSERT_EQ(blocks[2]->owningChunk, older);
        ASSERT_TRUE(HeapIsConsistent(heap));

        if (emptied == 0)
        {
            heap.Free(blocks[3]);
            EXPECT_EQ(heap.GetFirstChunk(), older);
        }
        else
        {
            // The middle block merges with nothing; then the two ends each merge their remainder.
            heap.Free(blocks[1]);
            heap.Free(blocks[0]);
            heap.Free(blocks[2]);
            EXPECT_EQ(heap.GetFirstChunk(), newer);
        }
        EXPECT_EQ(backEnd.releases, 1);
        EXPECT_EQ(heap.GetFirstChunk()->previousChunk, nullptr);
        EXPECT_EQ(heap.GetFirstChunk()->nextChunk, nullptr);
        ASSERT_TRUE(HeapIsConsistent(heap));

        // New requests come from the chunk that is left, not from the released memory.
        HeapBlock *small = heap.Allocate(64, 0);
        ASSERT_NE(small, nullptr);
        EXPECT_EQ(small->owningChunk, heap.GetFirstChunk());
        ASSERT_TRUE(HeapIsConsistent(heap));
        heap.Free(small);
        for (int i = 0; i < 4; ++i)
        {
            if (emptied == 0 ? i < 3 : i == 3) heap.Free(blocks[i]);
        }
        ASSERT_TRUE(HeapIsConsistent(heap));
        EXPECT_EQ(backEnd.live, 1);
        EXPECT_EQ(heap.GetFirstChunk()->GetFirstBlock()->capacity, 8388512u);
    }
}

TEST(Heap, FreedBlockIsReusedOnlyWithRoomForAHeader)
{
    // Requests of class 14 skip the search of higher classes and walk class 14 first-fit; a freed
    // block of 300,000 bytes heads that list. A block of exactly the padded size is not taken; a
    // taken block is split only when 16 bytes or more remain after a new header.
    struct Case
    {
        size_t size;
        bool takesFreedBlock;
        uint32_t capacity;
        uint32_t remainder;
    };
    const Case cases[] = {
        {300000, false, 0, 0},          {300000 - 15, false, 0, 0},       {300000 - 64, true, 300000, 0},
        {300000 - 79, true, 300000, 0}, {300000 - 80, true, 299920, 16}, {300000 - 90, true, 299920, 16},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.size);
        CountingBackEnd backEnd;
        Heap heap("test", &backEnd);
        HeapBlock *a = heap.Allocate(300000, 0);
        HeapBlock *guard = heap.Allocate(300000, 0);
        heap.Free(a);
        ASSERT_EQ(heap.GetFreeList(14), a);
        ASSERT_EQ(a->capacity, 300000u);
        HeapBlock *block = heap.Allocate(c.size, 0);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block == a, c.takesFreedBlock);
        if (!c.takesFreedBlock)
        {
            EXPECT_EQ(a->flags, 0u);
        }
        else if (c.remainder)
        {
            EXPECT_EQ(block->capacity, c.capacity);
            ASSERT_NE(block->nextBlock, guard);
            EXPECT_EQ(block->nextBlock->capacity, c.remainder);
            EXPECT_EQ(heap.GetFreeList(0), block->nextBlock);
        }
        else
        {
            EXPECT_EQ(block->capacity, c.capacity);
            EXPECT_EQ(block->nextBlock, guard);
        }
        EXPECT_TRUE(HeapIsConsistent(heap));
        heap.Free(block);
        heap.Free(guard);
        EXPECT_TRUE(HeapIsConsistent(heap));
    }
}

TEST(Heap, RandomTraceKeepsTheInvariants)
{
    CountingBackEnd backEnd;
    Heap heap("test", &backEnd);
    std::mt19937 random(20261210);
    struct Live
    {
        HeapBlock *block;
        size_t size;
        unsigned char pattern;
    };
    std::vector<Live> live;
    for (int step = 0; step < 4000; ++step)
    {
        bool allocate = live.empty() || random() % 100 < 55;
        if (allocate)
        {
            unsigned pick = random() % 100;
            size_t size = pick < 70   ? random() % 512
                          : pick < 93 ? random() % 65536
                          : pick < 99 ? random() % (Heap::kSmallRequestLimit + 1)
                                      : Heap::kSmallRequestLimit + 1 + random() % 4096;
            HeapBlock *block = heap.Allocate(size, (random() & 1) ? 4 : 0);
            ASSERT_NE(block, nullptr);
            auto pattern = static_cast<unsigned char>(step);
            std::memset(block->GetMemory(), pattern, size);
            live.push_back({block, size, pattern});
        }
        else
        {
            size_t index = random() % live.size();
            Live item = live[index];
            live[index] = live.back();
            live.pop_back();
            // Nothing else wrote into the block while it was in use.
            const auto *bytes = static_cast<const unsigned char *>(item.block->GetMemory());
            for (size_t i = 0; i < item.size; i += 61) ASSERT_EQ(bytes[i], item.pattern) << "step " << step;
            if (item.size)
            {
                ASSERT_EQ(bytes[item.size - 1], item.pattern) << "step " << step;
            }
            heap.Free(item.block);
        }
        ASSERT_TRUE(HeapIsConsistent(heap)) << "step " << step;
    }
    for (const Live &item : live) heap.Free(item.block);
    ASSERT_TRUE(HeapIsConsistent(heap));
    EXPECT_EQ(heap.GetBytesInUse(), 0u);
    EXPECT_EQ(backEnd.live, 1);
    EXPECT_GT(backEnd.releases, 0);
}

// A fresh heap installed as the program's allocator.
Heap *installedHeap;

void *AllocateFromInstalled(size_t size)
{
    HeapBlock *block = installedHeap->Allocate(size, 4);
    return block ? block->GetMemory() : nullptr;
}

void ReleaseToInstalled(void *memory) { installedHeap->Free(HeapBlock::FromMemory(memory)); }

struct CountedNode : TreeNode
{
    int value = 3;
};

TEST(Heap, LibraryMemoryComesFromTheInstalledHeap)
{
    CountingBackEnd backEnd;
    Heap heap("test", &backEnd);
    installedHeap = &heap;
    SetAllocator(AllocateFromInstalled, ReleaseToInstalled);
    {
        auto *root = new CountedNode;
        for (int i = 0; i < 50; ++i) root->AppendSubnode(new CountedNode);
        TextString text;
        for (int i = 0; i < 40; ++i) text.AppendText("some text that grows the buffer ");
        void *raw = MemoryAllocate(1000);
        EXPECT_EQ(HeapBlock::FromMemory(raw)->owningChunk, heap.GetFirstChunk());
        EXPECT_EQ(HeapBlock::FromMemory(root)->owningChunk, heap.GetFirstChunk());
        EXPECT_GE(heap.GetBytesInUse(), 51 * sizeof(CountedNode) + 1000 + 1280);
        EXPECT_TRUE(HeapIsConsistent(heap));
        MemoryRelease(raw);
        delete root;
    }
    SetAllocator(nullptr, nullptr);
    EXPECT_EQ(heap.GetBytesInUse(), 0u);
    EXPECT_TRUE(HeapIsConsistent(heap));
    EXPECT_EQ(backEnd.acquisitions, 1);
}

TEST(Heap, NamedHeapsServeTheEditorAllocator)
{
    Heap &memoryManager = GetMemoryManagerHeap();
    EXPECT_STREQ(memoryManager.GetName(), "MemoryManager");
    EXPECT_EQ(memoryManager.GetNextHeap(), &GetUndoRedoStateHeap());
    EXPECT_STREQ(GetUndoRedoStateHeap().GetName(), "UndoRedoState");

    InstallMemoryManager();
    void *memory = MemoryAllocate(100);
    HeapBlock *block = HeapBlock::FromMemory(memory);
    EXPECT_EQ(block->requestedSize, 100u);
    EXPECT_EQ(block->flags & ~(kHeapBlockInUse | kHeapBlockLarge), 4u);
    EXPECT_TRUE(block->flags & kHeapBlockInUse);
    auto *node = new CountedNode;
    EXPECT_EQ(HeapBlock::FromMemory(node)->requestedSize, uint32_t(sizeof(CountedNode)));
    delete node;
    MemoryRelease(memory);
    SetAllocator(nullptr, nullptr);
}

}  // namespace
}  // namespace oq
