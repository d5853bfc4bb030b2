#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/Memory.h"
#include "editor/platform/TextBuffer.h"
#include "kettric/KettricLiterals.h"

namespace oq {
namespace {

std::string Text(const TextBuffer &buffer) { return std::string(buffer.data ? buffer.data : "", buffer.size); }

TEST(TextBuffer, GrowthFollowsTheRule)
{
    struct Case
    {
        const char *name;
        uint32_t initialCapacity;
        std::vector<size_t> reservations;
        uint32_t capacity;
    };
    const Case cases[] = {
        {"one byte on an empty buffer", 0, {1}, 8192},
        {"nothing on an empty buffer", 0, {0}, 0},
        {"a large first reservation gets half again", 0, {10000}, 15008},
        {"growth past 8192 doubles", 0, {1, 8192}, 16384},
        {"a large step past the double", 0, {1, 40000}, 60001},
        {"initial capacity is used first", 1024, {1000, 24}, 1024},
        {"initial capacity grows to at least 8192", 1024, {1000, 25}, 8192},
        {"initial 8192 doubles", 8192, {8192, 1}, 16384},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        TextBuffer buffer(c.initialCapacity);
        size_t total = 0;
        for (size_t n : c.reservations)
        {
            char *room = buffer.Reserve(n);
            if (n != 0) { ASSERT_EQ(room, buffer.data + total); }
            for (size_t i = 0; i < n; ++i) room[i] = char('a' + (total + i) % 26);
            total += n;
        }
        EXPECT_EQ(buffer.capacity, c.capacity);
        EXPECT_EQ(buffer.size, total);
        EXPECT_EQ(buffer.data == nullptr, c.capacity == 0);
        // Growth keeps every byte written before it.
        for (size_t i = 0; i < total; ++i) ASSERT_EQ(buffer.data[i], char('a' + i % 26)) << i;
        buffer.Free();
    }
}

TEST(TextBuffer, IntegersAndFourCCsReadBack)
{
    struct Case
    {
        uint32_t value;
        const char *text;
    };
    const Case cases[] = {
        {'LEFT', "'LEFT'"},
        {'grup', "'grup'"},
        {'a b ', "'a b '"},
        {65536, "65536"},
        {0xFFFFFFFFu, "-1"},
        {0, "0"},
        {0x7F414243u, "2134983235"},  // 127 is not printable
        {0x41424320u, "'ABC '"},
        {0x801F2020u, "-2145443808"},
        {'ab\'c', "'ab\\'c'"},
        {'\\\\\\\\', "'\\\\\\\\\\\\\\\\'"},
        {'\'\'\'\'', "'\\'\\'\\'\\''"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.text);
        TextBuffer buffer;
        buffer.AppendText("x ");
        char *appended = buffer.AppendFourCC(c.value);
        EXPECT_EQ(appended, buffer.data + 2);
        EXPECT_EQ(Text(buffer), std::string("x ") + c.text);

        // The Kettric reader gives the value back.
        std::string text = Text(buffer).substr(2);
        const char *cursor = text.c_str();
        uint32_t read = 0;
        if (text[0] == '-')
        {
            int32_t signedValue = 0;
            ASSERT_EQ(ReadKettricInt32(&cursor, &signedValue), 0U);
            read = uint32_t(signedValue);
        }
        else
        {
            ASSERT_EQ(ReadKettricUInt32(&cursor, &read), 0U);
        }
        EXPECT_EQ(read, c.value);
        EXPECT_EQ(*cursor, '\0');
        buffer.Free();
    }

    TextBuffer buffer;
    buffer.AppendInteger(-42).AppendInteger(0).AppendInteger(INT32_MIN).AppendInteger(INT32_MAX);
    EXPECT_EQ(Text(buffer), "-420-21474836482147483647");
    buffer.Free();
}

// A fake allocator for the limits: records the size asked and hands out a small block that the
// tests never write past.
size_t lastRequest = 0;
alignas(16) char fakeBlock[64];
void *RecordingAllocate(size_t size)
{
    lastRequest = size;
    return fakeBlock;
}
void NoRelease(void *) {}
void *FailingAllocate(size_t) { return nullptr; }

TEST(TextBufferDeathTest, SizesAreCheckedIn64Bits)
{
    SetAllocator(RecordingAllocate, NoRelease);
    TextBuffer buffer;
    // 3 GiB plus half again does not fit 32 bits: the capacity stops at the largest size.
    buffer.Reserve(0xC0000000u);
    EXPECT_EQ(lastRequest, size_t(0xFFFFFFFFu));
    EXPECT_EQ(buffer.capacity, 0xFFFFFFFFu);
    EXPECT_EQ(buffer.size, 0xC0000000u);
    // Another gigabyte would wrap a 32-bit size to 0: the program stops instead.
    EXPECT_DEATH(buffer.Reserve(0x40000000u), "Error: out of memory");
    EXPECT_DEATH(buffer.Reserve(SIZE_MAX), "Error: out of memory");
    buffer.data = nullptr;
    SetAllocator(nullptr, nullptr);
}

TEST(TextBufferDeathTest, AnExhaustedAllocatorStopsTheProgram)
{
    EXPECT_DEATH(
        {
            SetAllocator(FailingAllocate, NoRelease);
            TextBuffer buffer;
            buffer.AppendInteger(7);
        },
        "Error: out of memory");
    EXPECT_DEATH(
        {
            SetAllocator(FailingAllocate, NoRelease);
            TextBuffer buffer(1024);
        },
        "Error: out of memory");
    SetAllocator(nullptr, nullptr);
}

}  // namespace
}  // namespace oq
