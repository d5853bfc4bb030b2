#pragma once

#include "base/List.h"

#include <cstdint>

namespace oq {

class HashTable;
class HashBucket;

// Element of a chained hash table: list links into the bucket its hash selects, and the hash.
// Leaving the bucket (detach or destruction) decrements the table's count.
class HashTableElement : public ListElement
{
public:
    HashTableElement() = default;
    explicit HashTableElement(uint32_t hash) : hashValue(hash) {}
    ~HashTableElement() override;

    // Removes the element from its bucket; nothing when it is in none.
    void Detach() override;

    HashTableElement *GetPreviousHashElement() const { return static_cast<HashTableElement *>(GetPreviousListElement()); }
    HashTableElement *GetNextHashElement() const { return static_cast<HashTableElement *>(GetNextListElement()); }
    HashBucket *GetOwningBucket() const;
    uint32_t GetHashValue() const { return hashValue; }
    // Only for an element that lies in no bucket.
    void SetHashValue(uint32_t hash) { hashValue = hash; }

private:
    uint32_t hashValue = 0;
};

// One chain of a hash table: its first and last element and its table.
class HashBucket : private List
{
public:
    HashTableElement *GetFirstHashElement() const { return static_cast<HashTableElement *>(GetFirstListElement()); }
    HashTableElement *GetLastHashElement() const { return static_cast<HashTableElement *>(GetLastListElement()); }
    HashTable *GetOwningTable() const { return owningTable; }

    // Insertions take the element out of the bucket it is in first.
    void AppendElement(HashTableElement *element);
    void InsertElementAfter(HashTableElement *element, HashTableElement *position);
    // Unlinks an element of this bucket without deleting it.
    void RemoveElement(HashTableElement *element);
    void RemoveAllElements();
    void PurgeElements();

private:
    friend class HashTable;
    friend class HashTableElement;

    static HashBucket *FromList(List *list) { return static_cast<HashBucket *>(list); }

    HashTable *owningTable = nullptr;
};

// Chained hash table of intrusive elements with a power-of-two bucket count; owns its elements.
class HashTable
{
public:
    // The bucket count is rounded up to a power of two; the growth threshold is
    // bucket count times the load factor.
    HashTable(int32_t bucketCount, float loadFactor);
    HashTable(const HashTable &) = delete;
    HashTable &operator=(const HashTable &) = delete;

    // Deletes every element, buckets from the last to the first.
    virtual ~HashTable();

    int32_t GetElementCount() const { return elementCount; }
    int32_t GetBucketCount() const { return bucketCount; }
    int32_t GetGrowthThreshold() const { return growthThreshold; }

    HashBucket *GetBucket(uint32_t hash) const { return &buckets[hash & static_cast<uint32_t>(bucketCount - 1)]; }
    HashBucket *GetBucketAt(int32_t index) const { return &buckets[index]; }

    // Doubles the buckets and the threshold, redistributing every element.
    void Grow();
    // Unlinks every element without deleting any.
    void RemoveAll();
    // Deletes every element.
    void Purge();

private:
    friend class HashBucket;

    static HashBucket *AllocateBuckets(int32_t count, HashTable *table);
    static void ReleaseBuckets(HashBucket *buckets, int32_t count);

    int32_t elementCount = 0;
    int32_t bucketCount = 0;
    int32_t growthThreshold = 0;
    HashBucket *buckets = nullptr;
};

}  // namespace oq
