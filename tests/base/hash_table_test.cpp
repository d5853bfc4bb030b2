#include "base/HashTable.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace oq {
namespace {

struct Entry : HashTableElement
{
    Entry(uint32_t hash, int *live) : HashTableElement(hash), liveCount(live) { ++*liveCount; }
    ~Entry() override { --*liveCount; }

    int *liveCount;
};

// Checks every bucket's links and returns the number of elements found.
int32_t CheckTable(const HashTable &table)
{
    int32_t count = 0;
    uint32_t mask = static_cast<uint32_t>(table.GetBucketCount() - 1);
    for (int32_t i = 0; i < table.GetBucketCount(); i++)
    {
        HashBucket *bucket = table.GetBucketAt(i);
        EXPECT_EQ(bucket->GetOwningTable(), &table);
        HashTableElement *previous = nullptr;
        for (HashTableElement *e = bucket->GetFirstHashElement(); e; e = e->GetNextHashElement())
        {
            EXPECT_EQ(e->GetOwningBucket(), bucket);
            EXPECT_EQ(e->GetPreviousHashElement(), previous);
            EXPECT_EQ(e->GetHashValue() & mask, static_cast<uint32_t>(i));
            previous = e;
            count++;
        }
        EXPECT_EQ(bucket->GetLastHashElement(), previous);
    }
    EXPECT_EQ(table.GetElementCount(), count);
    return count;
}

TEST(HashTable, ConstructionRoundsToAPowerOfTwo)
{
    HashTable table(12, 0.75f);
    EXPECT_EQ(table.GetBucketCount(), 16);
    EXPECT_EQ(table.GetGrowthThreshold(), 12);
    EXPECT_EQ(table.GetElementCount(), 0);
    HashTable one(0, 2.0f);
    EXPECT_EQ(one.GetBucketCount(), 1);
    EXPECT_EQ(one.GetGrowthThreshold(), 2);
}

TEST(HashTable, InsertGrowRemoveAndDestroy)
{
    int live = 0;
    {
        HashTable table(4, 1.0f);
        std::mt19937 random(3);
        std::vector<Entry *> entries;
        for (int i = 0; i < 200; i++)
        {
            Entry *entry = new Entry(static_cast<uint32_t>(random()), &live);
            entries.push_back(entry);
            table.GetBucket(entry->GetHashValue())->AppendElement(entry);
            if (table.GetElementCount() > table.GetGrowthThreshold())
                table.Grow();
            ASSERT_EQ(CheckTable(table), i + 1);
        }
        EXPECT_EQ(table.GetBucketCount(), 256);
        EXPECT_EQ(table.GetGrowthThreshold(), 256);

        // Insert after an element, remove, delete: counts follow.
        HashBucket *bucket = entries[0]->GetOwningBucket();
        Entry *extra = new Entry(entries[0]->GetHashValue(), &live);
        bucket->InsertElementAfter(extra, entries[0]);
        EXPECT_EQ(entries[0]->GetNextHashElement(), extra);
        EXPECT_EQ(CheckTable(table), 201);
        bucket->RemoveElement(extra);
        EXPECT_EQ(extra->GetOwningBucket(), nullptr);
        EXPECT_EQ(CheckTable(table), 200);
        delete extra;
        for (int i = 0; i < 50; i++)
            delete entries[i];
        EXPECT_EQ(CheckTable(table), 150);
        EXPECT_EQ(live, 150);
    }
    EXPECT_EQ(live, 0);
}

TEST(HashTable, GrowKeepsTheOrderWithinEachBucket)
{
    // Two buckets with hashes in a scrambled order; each new bucket takes its elements in old order.
    int live = 0;
    HashTable table(2, 4.0f);
    const uint32_t hashes[] = {6, 0, 3, 4, 1, 2, 7, 5};
    for (uint32_t h : hashes)
        table.GetBucket(h)->AppendElement(new Entry(h, &live));
    table.Grow();
    EXPECT_EQ(table.GetBucketCount(), 4);
    EXPECT_EQ(table.GetGrowthThreshold(), 16);
    EXPECT_EQ(CheckTable(table), 8);
    const std::vector<uint32_t> expected[] = {{0, 4}, {1, 5}, {6, 2}, {3, 7}};
    for (int32_t i = 0; i < 4; i++)
    {
        std::vector<uint32_t> found;
        for (HashTableElement *e = table.GetBucketAt(i)->GetFirstHashElement(); e; e = e->GetNextHashElement())
            found.push_back(e->GetHashValue());
        EXPECT_EQ(found, expected[i]) << "bucket " << i;
    }
}

TEST(HashTable, RemoveAllAndPurge)
{
    int live = 0;
    HashTable table(8, 0.5f);
    std::vector<Entry *> entries;
    for (uint32_t h = 0; h < 20; h++)
    {
        entries.push_back(new Entry(h * 3, &live));
        table.GetBucket(h * 3)->AppendElement(entries.back());
    }
    table.GetBucket(0)->RemoveAllElements();
    EXPECT_EQ(CheckTable(table), 17);
    table.RemoveAll();
    EXPECT_EQ(CheckTable(table), 0);
    for (Entry *entry : entries)
    {
        EXPECT_EQ(entry->GetOwningBucket(), nullptr);
        table.GetBucket(entry->GetHashValue())->AppendElement(entry);
    }
    table.GetBucket(3)->PurgeElements();
    EXPECT_EQ(CheckTable(table), 17);
    table.Purge();
    EXPECT_EQ(table.GetElementCount(), 0);
    EXPECT_EQ(live, 0);
}

}  // namespace
}  // namespace oq
