// The buffered text stream: buffering edges, large blocks, refusing sinks, tags, floats and
// indentation.
#include "ambrel/TextOutputStream.h"
#include "kettric/KettricLiterals.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace oq {
namespace {

// Records every call; refuses the call with the given number (1-based, 0 for none).
struct RecordingSink
{
    std::vector<std::string> calls;
    int32_t refuseCall = 0;

    static bool Callback(const void *data, uint32_t count, void *user)
    {
        auto *sink = static_cast<RecordingSink *>(user);
        sink->calls.emplace_back(static_cast<const char *>(data), count);
        return int32_t(sink->calls.size()) != sink->refuseCall;
    }

    std::string Joined() const
    {
        std::string text;
        for (const std::string &call : calls) text += call;
        return text;
    }
};

TEST(TextOutputStreamTest, BuffersUpTo65535BytesAndHandsOverFullBuffers)
{
    RecordingSink sink;
    std::string block(65535, 'a');
    {
        TextOutputStream stream(RecordingSink::Callback, &sink);
        EXPECT_TRUE(stream.Write(block.data(), uint32_t(block.size())));
        EXPECT_TRUE(sink.calls.empty());
        EXPECT_EQ(stream.GetLength(), 65535u);
        stream.WriteChar('b');
        ASSERT_EQ(sink.calls.size(), 1u);
        EXPECT_EQ(sink.calls[0], block);
        EXPECT_EQ(stream.GetLength(), 1u);
    }
    ASSERT_EQ(sink.calls.size(), 2u);
    EXPECT_EQ(sink.calls[1], "b");
}

TEST(TextOutputStreamTest, LargeBlockFollowsTheBufferedBytesInItsOwnCall)
{
    RecordingSink sink;
    std::string block(65536, 'x');
    {
        TextOutputStream stream(RecordingSink::Callback, &sink);
        EXPECT_TRUE(stream.Write("0123456789", 10));
        EXPECT_TRUE(stream.Write(block.data(), uint32_t(block.size())));
        ASSERT_EQ(sink.calls.size(), 2u);
        EXPECT_EQ(sink.calls[0], "0123456789");
        EXPECT_EQ(sink.calls[1], block);
        EXPECT_TRUE(stream.Finish());
    }
    EXPECT_EQ(sink.calls.size(), 2u);
}

TEST(TextOutputStreamTest, EmptyStreamNeverCallsTheSink)
{
    RecordingSink sink;
    {
        TextOutputStream stream(RecordingSink::Callback, &sink);
        EXPECT_TRUE(stream.Finish());
    }
    EXPECT_TRUE(sink.calls.empty());
}

// A sink refusing its first, second or third call: the stream fails for good, calls the sink no
// more, and Finish reports it.
TEST(TextOutputStreamTest, RefusedCallMakesTheStreamFailForGood)
{
    for (int32_t refuse = 1; refuse <= 3; ++refuse)
    {
        SCOPED_TRACE(refuse);
        RecordingSink sink;
        sink.refuseCall = refuse;
        std::string chunk(40000, 'c');
        bool finished = true;
        {
            TextOutputStream stream(RecordingSink::Callback, &sink);
            bool accepted = true;
            for (int32_t i = 0; i < 6; ++i) accepted &= stream.Write(chunk.data(), uint32_t(chunk.size()));
            EXPECT_FALSE(accepted);
            EXPECT_TRUE(stream.HasFailed());
            EXPECT_FALSE(stream.WriteIndented("text\n", 0, true));
            stream.WriteFloat(1.5f).WriteInteger(7).WriteChar('x');
            stream.WriteTag('abcd');
            finished = stream.Finish();
        }
        EXPECT_FALSE(finished);
        EXPECT_EQ(int32_t(sink.calls.size()), refuse);
    }

    // A refused final hand-over also shows in Finish.
    RecordingSink sink;
    sink.refuseCall = 1;
    TextOutputStream stream(RecordingSink::Callback, &sink);
    stream.WriteChar('a');
    EXPECT_FALSE(stream.Finish());
    EXPECT_FALSE(stream.Finish());
    EXPECT_EQ(sink.calls.size(), 1u);
}

TEST(TextOutputStreamTest, RefusedLargeBlockFails)
{
    RecordingSink sink;
    sink.refuseCall = 2;
    std::string block(70000, 'q');
    TextOutputStream stream(RecordingSink::Callback, &sink);
    EXPECT_TRUE(stream.Write("ab", 2));
    EXPECT_FALSE(stream.Write(block.data(), uint32_t(block.size())));
    EXPECT_FALSE(stream.Finish());
    EXPECT_EQ(sink.calls.size(), 2u);
}

std::string Written(void (*write)(TextOutputStream *))
{
    RecordingSink sink;
    {
        TextOutputStream stream(RecordingSink::Callback, &sink);
        write(&stream);
        EXPECT_TRUE(stream.Finish());
    }
    return sink.Joined();
}

TEST(TextOutputStreamTest, IndentationGroupsClampsAndNewline)
{
    struct Case
    {
        int32_t level;
        int32_t delta;
        bool newline;
        const char *text;
        std::string expected;
    };
    const Case cases[] = {
        {0, 0, false, "Canvas\n", "Canvas\n"},
        {2, 1, true, "{\n", "\n\t\t\t{\n"},
        {18, 0, false, "x", std::string(18, '\t') + "x"},
        {16, 0, false, "", std::string(16, '\t')},
        {3, 0, true, "", "\n\t\t\t"},
        {-5, 0, false, "y", "y"},
        {1, -4, true, "z", "\nz"},
        {-2147483647 - 1, -1, false, "w", "w"},
    };
    for (const Case &c : cases)
    {
        RecordingSink sink;
        {
            TextOutputStream stream(RecordingSink::Callback, &sink);
            stream.indentationLevel = c.level;
            EXPECT_TRUE(stream.WriteIndented(c.text, c.delta, c.newline));
            EXPECT_TRUE(stream.Finish());
        }
        EXPECT_EQ(sink.Joined(), c.expected) << "level " << c.level << " delta " << c.delta;
    }
}

// Tags as character literals (escaping the apostrophe and the backslash) or decimal numbers; each
// reads back as the same code.
TEST(TextOutputStreamTest, TagsReadBack)
{
    struct Case
    {
        uint32_t code;
        const char *expected;
    };
    const Case cases[] = {
        {'font', "'font'"},       {0, "0"},
        {'a b ', "'a b '"},       {0x41274243, "'A\\'BC'"},
        {0x5C5C4142, "'\\\\\\\\AB'"}, {0x7F414243, "2134983235"},
        {0x80414243, "-2143206845"}, {0x0A414243, "172048963"},
    };
    for (const Case &c : cases)
    {
        RecordingSink sink;
        {
            TextOutputStream stream(RecordingSink::Callback, &sink);
            stream.WriteTag(c.code);
            EXPECT_TRUE(stream.Finish());
        }
        std::string text = sink.Joined();
        EXPECT_EQ(text, c.expected);
        const char *cursor = text.c_str();
        uint32_t value = 1;
        EXPECT_EQ(ReadKettricUInt32(&cursor, &value), 0u) << text;
        EXPECT_EQ(value, c.code) << text;
        EXPECT_EQ(*cursor, 0) << text;
    }
}

// Floats read back bit for bit, non-finite ones through their bit pattern (zero and denormals are
// written "0.0", as FloatToText gives them).
TEST(TextOutputStreamTest, FloatsReadBackExactly)
{
    const uint32_t patterns[] = {0x00000000, 0x3F800000, 0x3DCCCCCD, 0x7F7FFFFF, 0xFF7FFFFF, 0x00800000,
                                 0x7F800000, 0xFF800000, 0x7FC00000, 0xFFC00001, 0x38D1B717, 0x47C35000, 0x4B189680};
    for (uint32_t bits : patterns)
    {
        float value;
        std::memcpy(&value, &bits, 4);
        RecordingSink sink;
        {
            TextOutputStream stream(RecordingSink::Callback, &sink);
            stream.WriteFloat(value);
            EXPECT_TRUE(stream.Finish());
        }
        std::string text = sink.Joined();
        const char *cursor = text.c_str();
        float read = 0.0f;
        ASSERT_EQ(ReadKettricFloat(&cursor, &read), 0u) << text;
        uint32_t readBits;
        std::memcpy(&readBits, &read, 4);
        EXPECT_EQ(readBits, bits) << text;
    }
    EXPECT_EQ(Written([](TextOutputStream *s) { s->WriteFloat(0.0f); }), "0.0");
    EXPECT_EQ(Written([](TextOutputStream *s) { s->WriteFloat(-__builtin_inff()); }), "0xFF800000");
    EXPECT_EQ(Written([](TextOutputStream *s) { s->WriteFloat(__builtin_nanf("")); }), "0x7FC00000");
    EXPECT_EQ(Written([](TextOutputStream *s) { s->WriteInteger(-2147483647 - 1).WriteChar(' ').WriteInteger(42); }),
              "-2147483648 42");
}

}  // namespace
}  // namespace oq
