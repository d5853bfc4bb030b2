#include <gtest/gtest.h>

#include "base/Memory.h"

#include <cstdlib>

namespace oq {
namespace {

int allocations;
int releases;

void *CountingAllocate(size_t size) { ++allocations; return std::malloc(size); }
void CountingRelease(void *block) { ++releases; std::free(block); }

struct Node : HeapObject
{
    int value = 7;
};

TEST(Memory, HeapObjectsUseTheInstalledAllocator)
{
    allocations = releases = 0;
    SetAllocator(CountingAllocate, CountingRelease);
    Node *node = new Node;
    EXPECT_EQ(node->value, 7);
    delete node;
    MemoryRelease(nullptr);
    SetAllocator(nullptr, nullptr);
    EXPECT_EQ(allocations, 1);
    EXPECT_EQ(releases, 1);

    void *block = MemoryAllocate(0);
    EXPECT_NE(block, nullptr);
    MemoryRelease(block);
}

}  // namespace
}  // namespace oq
