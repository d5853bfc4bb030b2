// The structure pool: size classes, chunk use, reuse of released blocks and the restart of an
// emptied class; structures of different sizes released through their virtual destructors.
#include "SketchFormat.h"
#include "base/Memory.h"
#include "kettric/StructurePool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

namespace oq {
namespace {

int64_t allocations;
int64_t releases;

void *CountingAllocate(size_t size)
{
    ++allocations;
    return std::malloc(size);
}

void CountingRelease(void *block)
{
    ++releases;
    std::free(block);
}

// Installs the counting allocator for the life of the fixture.
class StructurePoolTest : public ::testing::Test
{
protected:
    StructurePoolTest()
    {
        allocations = releases = 0;
        SetAllocator(CountingAllocate, CountingRelease);
    }
    ~StructurePoolTest() override { SetAllocator(nullptr, nullptr); }
};

TEST_F(StructurePoolTest, SizesUpTo1KiBShareChunksLargerOnesGoToTheAllocator)
{
    struct SizeCase
    {
        size_t size;
        size_t step;         // distance of two fresh blocks; 0 for the allocator's own blocks
        int64_t allocations;  // allocator calls for two blocks
    };
    const SizeCase cases[] = {
        {1, 16, 1}, {16, 16, 1}, {17, 32, 1}, {200, 208, 1}, {1024, 1024, 1}, {1025, 0, 2}, {4096, 0, 2},
    };
    for (const SizeCase &c : cases)
    {
        SCOPED_TRACE(c.size);
        allocations = releases = 0;
        {
            StructurePool pool;
            char *a = static_cast<char *>(pool.Allocate(c.size));
            char *b = static_cast<char *>(pool.Allocate(c.size));
            EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
            EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 16, 0u);
            std::memset(a, 0xA5, c.size);
            std::memset(b, 0x5A, c.size);
            if (c.step != 0)
            {
                EXPECT_EQ(size_t(b - a), c.step);
            }
            EXPECT_EQ(allocations, c.allocations);
            EXPECT_EQ(static_cast<unsigned char>(a[c.size - 1]), 0xA5);
            pool.Release(a, c.size);
            pool.Release(b, c.size);
            pool.Release(nullptr, c.size);
        }
        EXPECT_EQ(releases, allocations);
    }
}

TEST_F(StructurePoolTest, ReleasedBlocksAreReusedAndAnEmptiedClassStartsAgainInOrder)
{
    StructurePool pool;
    // Three chunks' worth of 1 KiB blocks, each marked with its index.
    const size_t size = 1024;
    const int32_t count = int32_t(3 * StructurePool::kChunkSize / size);
    std::vector<char *> blocks;
    for (int32_t i = 0; i < count; ++i)
    {
        blocks.push_back(static_cast<char *>(pool.Allocate(size)));
        std::memset(blocks.back(), i & 0xFF, size);
    }
    EXPECT_EQ(std::set<char *>(blocks.begin(), blocks.end()).size(), blocks.size());
    for (int32_t i = 0; i < count; ++i)
    {
        ASSERT_EQ(static_cast<unsigned char>(blocks[i][0]), i & 0xFF);
        ASSERT_EQ(static_cast<unsigned char>(blocks[i][size - 1]), i & 0xFF);
    }
    EXPECT_EQ(pool.GetChunkCount(), 4);  // 63 blocks of 1 KiB fit a chunk beside its header
    EXPECT_EQ(allocations, 4);

    // A released block is the next one handed out, while other blocks of its class live.
    pool.Release(blocks[5], size);
    EXPECT_EQ(pool.Allocate(size), blocks[5]);
    // Blocks of another class do not take it.
    pool.Release(blocks[7], size);
    void *small = pool.Allocate(64);
    EXPECT_NE(small, blocks[7]);
    pool.Release(small, 64);
    const int32_t chunks = pool.GetChunkCount();
    EXPECT_EQ(chunks, 5);

    // Once every block of the class is back, fresh blocks come again from the first chunk, in order,
    // and no new chunk is taken.
    for (int32_t i = 0; i < count; ++i)
    {
        if (i != 7) pool.Release(blocks[i], size);
    }
    for (int32_t i = 0; i < count; ++i) EXPECT_EQ(pool.Allocate(size), blocks[i]) << i;
    EXPECT_EQ(pool.GetChunkCount(), chunks);
    EXPECT_EQ(allocations, chunks);
    for (char *block : blocks) pool.Release(block, size);
}

// Structures of three sizes, deleted through the base in an order unlike their making.
struct SmallStructure : KettricStructure
{
    SmallStructure() : KettricStructure('SMAL') {}
};

struct MiddleStructure : KettricStructure
{
    MiddleStructure() : KettricStructure('MIDL') { std::memset(payload, 'm', sizeof(payload)); }
    char payload[200];
};

struct LargeStructure : KettricStructure
{
    LargeStructure() : KettricStructure('LARG') { std::memset(payload, 'l', sizeof(payload)); }
    char payload[3000];
};

TEST(StructurePool, StructuresReturnTheirBlocksThroughTheirVirtualDestructors)
{
    for (int round = 0; round < 3; ++round)
    {
        KettricStructure root('ROOT');
        std::vector<KettricStructure *> made;
        for (int i = 0; i < 300; ++i)
        {
            KettricStructure *s = (i % 3 == 0) ? static_cast<KettricStructure *>(new SmallStructure)
                                  : (i % 3 == 1) ? static_cast<KettricStructure *>(new MiddleStructure)
                                                 : static_cast<KettricStructure *>(new LargeStructure);
            root.AppendSubnode(s);
            made.push_back(s);
        }
        // Every second structure goes now, the rest with the root; new ones fill the gaps.
        for (size_t i = 0; i < made.size(); i += 2) delete made[i];
        for (int i = 0; i < 150; ++i) root.AppendSubnode(new MiddleStructure);
        int32_t middle = 0;
        for (KettricStructure *s = root.GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
        {
            if (s->GetStructureType() == 'MIDL')
            {
                ++middle;
                const char *payload = static_cast<MiddleStructure *>(s)->payload;
                EXPECT_EQ(payload[0], 'm');
                EXPECT_EQ(payload[199], 'm');
            }
            if (s->GetStructureType() == 'LARG')
            {
                EXPECT_EQ(static_cast<LargeStructure *>(s)->payload[2999], 'l');
            }
        }
        EXPECT_EQ(middle, 50 + 150);
        EXPECT_EQ(root.GetSubnodeCount(), 150 + 150);
    }

    // A parsed document replaced by the same text again and again keeps its contents.
    test::SketchDocument document;
    const char *text = "Group $a (name = \"a group with a long name\") { float {1, 2.5} Circle (radius = 2) {} }";
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_EQ(document.ParseAndResolve(text), 0);
        auto *group = static_cast<test::SketchGroup *>(document.GetRootStructure()->GetFirstSubnodeStructure());
        EXPECT_STREQ(group->name, "a group with a long name");
        EXPECT_EQ(group->sum, 3.5f);
    }
}

}  // namespace
}  // namespace oq
