#include <gtest/gtest.h>

#include "base/Array.h"
#include "base/TextString.h"

#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace oq {
namespace {

int32_t allocations;
int32_t releases;

void *CountingAllocate(size_t size)
{
    ++allocations;
    return ::operator new(size);
}

void CountingRelease(void *block)
{
    ++releases;
    ::operator delete(block);
}

// Counts the blocks allocated and released while it lives.
struct AllocationCounter
{
    AllocationCounter()
    {
        allocations = releases = 0;
        SetAllocator(CountingAllocate, CountingRelease);
    }
    ~AllocationCounter() { SetAllocator(nullptr, nullptr); }
};

template <typename A>
bool UsesLocalStorage(const A &array)
{
    const char *elements = reinterpret_cast<const char *>(array.GetElements());
    const char *object = reinterpret_cast<const char *>(&array);
    return elements >= object && elements < object + sizeof(A);
}

// Reserved counts seen while adding one element at a time.
template <typename A>
std::vector<int32_t> GrowthSequence(int32_t lastCount)
{
    using Element = std::remove_reference_t<decltype(std::declval<A &>()[0])>;
    A array;
    std::vector<int32_t> counts{array.GetReservedCount()};
    while (counts.back() < lastCount)
    {
        array.AddElement(Element());
        if (array.GetReservedCount() != counts.back()) counts.push_back(array.GetReservedCount());
    }
    return counts;
}

TEST(Array, GrowthSequences)
{
    struct Case
    {
        const char *name;
        std::vector<int32_t> counts;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        {"no local elements", GrowthSequence<Array<uint32_t>>(248), {0, 4, 8, 12, 20, 32, 48, 72, 108, 164, 248}},
        {"4 local elements", GrowthSequence<Array<float, 4>>(248), {4, 8, 12, 20, 32, 48, 72, 108, 164, 248}},
        {"8 local elements", GrowthSequence<Array<uint32_t, 8>>(648),
         {8, 16, 24, 36, 56, 84, 128, 192, 288, 432, 648}},
        {"1 local string", GrowthSequence<Array<TextString, 1>>(20), {1, 4, 8, 12, 20}},
    };
    for (const Case &c : cases) EXPECT_EQ(c.counts, c.expected) << c.name;
}

TEST(Array, ReservationEdges)
{
    Array<uint32_t> empty;
    EXPECT_EQ(empty.GetReservedCount(), 0);
    EXPECT_EQ(empty.GetElements(), nullptr);

    // A large single request jumps straight to it.
    Array<uint32_t> large;
    large.SetReservedCount(100);
    EXPECT_EQ(large.GetReservedCount(), 100);
    Array<uint32_t> counted;
    counted.SetElementCount(100);
    EXPECT_EQ(counted.GetReservedCount(), 100);

    Array<uint32_t> first;
    first.AddElement(1);
    EXPECT_EQ(first.GetReservedCount(), 4);

    Array<uint32_t, 8> local;
    for (uint32_t i = 0; i < 8; ++i) local.AddElement(i);
    EXPECT_TRUE(UsesLocalStorage(local));
    local.AddElement(8);
    EXPECT_FALSE(UsesLocalStorage(local));
    EXPECT_EQ(local.GetReservedCount(), 16);
    for (uint32_t i = 0; i < 9; ++i) EXPECT_EQ(local[int32_t(i)], i);

    // Shrinking the count keeps the block; growing back within it does not reallocate.
    const uint32_t *block = local.GetElements();
    local.SetElementCount(2);
    EXPECT_EQ(local.GetReservedCount(), 16);
    EXPECT_EQ(local.GetElements(), block);
    local.SetElementCount(16);
    EXPECT_EQ(local.GetElements(), block);
    EXPECT_EQ(local[1], 1U);
}

TEST(Array, AddElementOfItsOwnElement)
{
    // The argument is copied before the storage moves.
    Array<uint32_t> numbers;
    for (uint32_t i = 0; i < 4; ++i) numbers.AddElement(i + 10);
    ASSERT_EQ(numbers.GetElementCount(), numbers.GetReservedCount());
    uint32_t &stored = numbers.AddElement(numbers[0]);
    EXPECT_EQ(stored, 10U);
    EXPECT_EQ(&stored, &numbers[4]);

    Array<TextString, 1> strings;
    strings.AddElement(TextString(std::string(40, 'L').c_str()));
    strings.AddElement(TextString("short"));
    for (int32_t i = 0; i < 20; ++i) strings.AddElement(strings[i % 2]);
    for (int32_t i = 0; i < strings.GetElementCount(); ++i)
    {
        EXPECT_STREQ(strings[i], (i % 2) ? "short" : std::string(40, 'L').c_str());
    }
}

TEST(Array, RelocationKeepsStringsWithLocalStorage)
{
    AllocationCounter counter;
    {
        Array<TextString, 4> strings;
        std::vector<std::string> texts;
        for (int32_t i = 0; i < 60; ++i)
        {
            // Short texts sit in each string's own buffer, which moves with the element.
            std::string text = (i % 3 == 0) ? std::string(size_t(20 + i), char('a' + i % 26)) : std::to_string(i);
            texts.push_back(text);
            strings.AddElement(TextString(text.c_str()));
            for (int32_t j = 0; j <= i; ++j) ASSERT_STREQ(strings[j], texts[size_t(j)].c_str());
        }
    }
    EXPECT_EQ(allocations, releases);
}

TEST(Array, RelocationCopiesArraysOfStrings)
{
    AllocationCounter counter;
    {
        Array<Array<TextString, 2>, 1> lists;
        for (int32_t i = 0; i < 12; ++i)
        {
            Array<TextString, 2> list;
            for (int32_t j = 0; j < i % 5; ++j) list.AddElement(TextString((std::to_string(i) + "." + std::to_string(j)).c_str()));
            lists.AddElement(list);
        }
        for (int32_t i = 0; i < 12; ++i)
        {
            ASSERT_EQ(lists[i].GetElementCount(), i % 5);
            // A copy uses the local elements when the count fits them.
            EXPECT_EQ(UsesLocalStorage(lists[i]), i % 5 <= 2);
            for (int32_t j = 0; j < i % 5; ++j) EXPECT_STREQ(lists[i][j], (std::to_string(i) + "." + std::to_string(j)).c_str());
        }

        Array<TextString, 2> source;
        for (int32_t j = 0; j < 5; ++j) source.AddElement(TextString("x"));
        Array<TextString, 2> copy(source);
        EXPECT_EQ(copy.GetReservedCount(), source.GetReservedCount());
        EXPECT_EQ(copy.GetElementCount(), 5);
    }
    EXPECT_EQ(allocations, releases);
}

// Element that records its destruction.
struct Tracked
{
    Tracked() = default;
    Tracked(const Tracked &other) : id(other.id), log(other.log) {}
    Tracked(int32_t number, std::vector<int32_t> *destroyed) : id(number), log(destroyed) {}
    ~Tracked()
    {
        if (log && id >= 0) log->push_back(id);
    }

    int32_t id = -1;
    std::vector<int32_t> *log = nullptr;
};

TEST(Array, DestructionOrderAndRelease)
{
    std::vector<int32_t> destroyed;
    {
        AllocationCounter counter;
        {
            Array<Tracked, 4> local;
            for (int32_t i = 0; i < 3; ++i) local.AddElement(Tracked(i, nullptr));
            for (int32_t i = 0; i < 3; ++i) local[i].log = &destroyed;
        }
        EXPECT_EQ(destroyed, (std::vector<int32_t>{2, 1, 0}));
        EXPECT_EQ(allocations, 0);
        EXPECT_EQ(releases, 0);

        destroyed.clear();
        {
            Array<Tracked, 4> heap;
            for (int32_t i = 0; i < 6; ++i) heap.AddElement(Tracked(i, nullptr));
            for (int32_t i = 0; i < 6; ++i) heap[i].log = &destroyed;
            // A smaller count destroys the surplus from the last down.
            heap.SetElementCount(4);
            EXPECT_EQ(destroyed, (std::vector<int32_t>{5, 4}));
            destroyed.clear();
        }
        EXPECT_EQ(destroyed, (std::vector<int32_t>{3, 2, 1, 0}));
        EXPECT_EQ(allocations, 1);
        EXPECT_EQ(releases, 1);
    }

    // New elements are default-constructed.
    Array<TextString> strings;
    strings.SetElementCount(3);
    for (const TextString &string : strings) EXPECT_STREQ(string, "");
}

}  // namespace
}  // namespace oq
