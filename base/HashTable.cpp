#include "base/HashTable.h"

#include <new>

namespace oq {

HashTableElement::~HashTableElement()
{
    HashTableElement::Detach();
}

void HashTableElement::Detach()
{
    if (HashBucket *bucket = GetOwningBucket())
        bucket->RemoveElement(this);
}

HashBucket *HashTableElement::GetOwningBucket() const
{
    List *list = GetOwningList();
    return list ? HashBucket::FromList(list) : nullptr;
}

void HashBucket::AppendElement(HashTableElement *element)
{
    element->Detach();
    Append(element);
    owningTable->elementCount++;
}

void HashBucket::InsertElementAfter(HashTableElement *element, HashTableElement *position)
{
    element->Detach();
    InsertAfter(element, position);
    owningTable->elementCount++;
}

void HashBucket::RemoveElement(HashTableElement *element)
{
    Remove(element);
    owningTable->elementCount--;
}

void HashBucket::RemoveAllElements()
{
    owningTable->elementCount -= GetListElementCount();
    RemoveAll();
}

void HashBucket::PurgeElements()
{
    Purge();
}

HashBucket *HashTable::AllocateBuckets(int32_t count, HashTable *table)
{
    HashBucket *buckets = static_cast<HashBucket *>(MemoryAllocate(sizeof(HashBucket) * static_cast<size_t>(count)));
    for (int32_t i = 0; i < count; i++)
        new (&buckets[i]) HashBucket();
    for (int32_t i = 0; i < count; i++)
        buckets[i].owningTable = table;
    return buckets;
}

void HashTable::ReleaseBuckets(HashBucket *buckets, int32_t count)
{
    // The buckets are empty here, so their destructors delete nothing.
    for (int32_t i = 0; i < count; i++)
        buckets[i].~HashBucket();
    MemoryRelease(buckets);
}

HashTable::HashTable(int32_t count, float loadFactor)
{
    int32_t size = 1;
    while (size < count && size < (1 << 30))
        size <<= 1;
    bucketCount = size;
    float threshold = static_cast<float>(size) * loadFactor;
    growthThreshold = threshold > 0.0f ? (threshold < 2147483520.0f ? static_cast<int32_t>(threshold) : INT32_MAX) : 0;
    buckets = AllocateBuckets(size, this);
}

HashTable::~HashTable()
{
    Purge();
    ReleaseBuckets(buckets, bucketCount);
}

void HashTable::Grow()
{
    if (bucketCount >= (1 << 30))
        return;
    int32_t newCount = bucketCount * 2;
    HashBucket *newBuckets = AllocateBuckets(newCount, this);
    uint32_t mask = static_cast<uint32_t>(newCount - 1);
    for (int32_t i = bucketCount - 1; i >= 0; i--)
    {
        HashBucket &bucket = buckets[i];
        while (HashTableElement *element = bucket.GetFirstHashElement())
            newBuckets[element->GetHashValue() & mask].AppendElement(element);  // leaves the old bucket
    }
    ReleaseBuckets(buckets, bucketCount);
    buckets = newBuckets;
    bucketCount = newCount;
    growthThreshold = growthThreshold <= INT32_MAX / 2 ? growthThreshold * 2 : INT32_MAX;
}

void HashTable::RemoveAll()
{
    for (int32_t i = 0; i < bucketCount; i++)
        buckets[i].RemoveAll();
    elementCount = 0;
}

void HashTable::Purge()
{
    for (int32_t i = bucketCount - 1; i >= 0; i--)
        buckets[i].PurgeElements();
    elementCount = 0;
}

}  // namespace oq
