#include <gtest/gtest.h>

#include "base/Compression.h"
#include "support/CompressionSamples.h"
#include "support/ReferenceCompression.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace oq {
namespace {

using Bytes = std::vector<uint8_t>;
using test::RandomBytes;

// Compresses into a buffer of exactly the input size and returns the code (empty for 0).
Bytes Compress(const Bytes &input)
{
    Bytes output(input.size());
    uint32_t size = CompressData(input.data(), uint32_t(input.size()), output.data());
    output.resize(size);
    return output;
}

// Decodes into a heap buffer of exactly outputSize bytes, so that any stray write is caught.
bool Decompress(const Bytes &code, uint32_t outputSize, Bytes *output)
{
    output->assign(outputSize, 0xCD);
    return DecompressData(code.data(), uint32_t(code.size()), output->data(), outputSize);
}

Bytes Repeat(uint8_t value, size_t count) { return Bytes(count, value); }

Bytes Concat(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Checks the codec's contract on one input: the code fits, is padded, and decodes back exactly.
void ExpectRoundTrip(const Bytes &input, const std::string &name)
{
    SCOPED_TRACE(name + " of " + std::to_string(input.size()) + " bytes");
    Bytes code = Compress(input);
    if (input.size() < 4)
    {
        EXPECT_TRUE(code.empty());
    }
    if (code.empty()) return;

    EXPECT_EQ(code.size() % 4, 0u);
    EXPECT_LE(code.size(), input.size());

    Bytes output;
    EXPECT_TRUE(Decompress(code, uint32_t(input.size()), &output));
    EXPECT_TRUE(output == input);

    // A buffer of any other size is not filled exactly.
    EXPECT_FALSE(Decompress(code, uint32_t(input.size() + 1), &output));
    EXPECT_FALSE(Decompress(code, uint32_t(input.size() - 1), &output));
}

TEST(Compression, ShortAndIncompressibleInputsGiveZero)
{
    uint8_t output[8] = {};
    const uint8_t three[3] = {0, 0, 0};
    const uint8_t distinct[4] = {1, 2, 3, 4};
    EXPECT_EQ(CompressData(three, 3, output), 0u);
    EXPECT_EQ(CompressData(distinct, 4, output), 0u);
    EXPECT_EQ(CompressData(three, 0, output), 0u);
    EXPECT_TRUE(Compress(RandomBytes(5000, 7)).empty());
}

TEST(Compression, KnownEncodings)
{
    struct Case
    {
        const char *name;
        Bytes input;
        Bytes code;
    };
    const Case cases[] = {
        {"65536 zeros", Repeat(0, 65536), {0x00, 0x00, 0x61, 0xFE, 0xDB, 0x00, 0xE0, 0xE0}},
        {"eight equal bytes after one other", {'A', 0, 0, 0, 0, 0, 0, 0}, {0x01, 'A', 0x00, 0x42, 0x00, 0xE0, 0xE0, 0xE0}},
        {"37 equal bytes", Repeat(7, 37), {0x00, 7, 0x60, 0x00, 0x00, 0xE0, 0xE0, 0xE0}},
        {"a match two bytes back", {1, 2, 1, 2, 1, 2, 1, 2, 1, 2}, {0x01, 1, 2, 0x44, 0x01, 0xE0, 0xE0, 0xE0}},
        // Two candidates of equal length: the newer one (5 back, not 10) wins.
        {"newest of equal matches", {'w', 'x', 'y', 'z', '1', 'w', 'x', 'y', 'z', '2', 'w', 'x', 'y', 'z', '3', '4', '5'},
            {0x04, 'w', 'x', 'y', 'z', '1', 0x40, 0x04, 0x00, '2', 0x40, 0x04, 0x02, '3', '4', '5'}},
        // One full piece; the last byte of the run stays a literal instead of a 1-byte rest.
        {"65829 equal bytes", Repeat(0, 65829), {0x00, 0x00, 0x61, 0xFF, 0xFF, 0x00, 0x00, 0x00}},
        {"65830 equal bytes", Repeat(5, 65830), {0x00, 5, 0x61, 0xFF, 0xFF, 0x00, 0x01, 5, 5, 0xE0, 0xE0, 0xE0}},
        {"65831 equal bytes", Repeat(5, 65831), {0x00, 5, 0x61, 0xFF, 0xFF, 0x00, 0x02, 5, 5, 5, 0xE0, 0xE0}},
        {"65832 equal bytes", Repeat(5, 65832), {0x00, 5, 0x61, 0xFF, 0xFF, 0x00, 0x40, 0x00}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Compress(c.input), c.code);
        Bytes output;
        EXPECT_TRUE(Decompress(c.code, uint32_t(c.input.size()), &output));
        EXPECT_TRUE(output == c.input);
    }
}

TEST(Compression, FarMatchesUseTwoByteDistances)
{
    // A random block repeated 1000 bytes later: match of class 4/5 with distance 1000.
    Bytes block = RandomBytes(1000, 3);
    Bytes input = Concat(block, block);
    Bytes code = Compress(input);
    ASSERT_FALSE(code.empty());
    // 1000 literal bytes (0x21, 02 C7 = 1000 - 289), then 0xA1 with 02 C4 = 1000 - 292 and d = 999.
    ASSERT_EQ(code.size(), 1003u + 5u);
    EXPECT_EQ(code[0], 0x21);
    const uint8_t match[5] = {0xA1, 0x02, 0xC4, 0x03, 0xE7};
    EXPECT_TRUE(std::equal(match, match + 5, code.begin() + 1003));
    ExpectRoundTrip(input, "repeated block");
}

TEST(Compression, LongRunsNeverLeaveAShortRest)
{
    // Every length around the piece boundaries, alone and after a few distinct leading bytes
    // (those make the run a match found through the chains at distance 1 or a larger period).
    const Bytes leads[] = {{}, {9}, {1, 2, 3}, {1, 2, 3, 4, 5, 6, 7}};
    for (const Bytes &lead : leads)
    {
        for (size_t length : {65827, 65828, 65829, 65830, 65831, 65832, 65833, 131654, 131655, 131656, 131657, 131658})
            ExpectRoundTrip(Concat(lead, Repeat(0xAB, length)), "run after " + std::to_string(lead.size()) + " bytes");
    }

    // A period-3 pattern: matches at distance 3 come from the hash chains.
    for (size_t length : {65830, 65831, 65832, 65833, 65834, 131660})
    {
        Bytes input(length);
        for (size_t k = 0; k < length; ++k) input[k] = uint8_t("xyz"[k % 3]);
        ExpectRoundTrip(input, "period 3");
    }
}

TEST(Compression, PaddingMustFitTheOutputBuffer)
{
    // Five bytes of code, padded to eight, in a buffer of seven: the input is stored as it is.
    const Bytes input = {'A', 0, 0, 0, 0, 0, 0};
    Bytes output(input.size());
    EXPECT_EQ(CompressData(input.data(), uint32_t(input.size()), output.data()), 0u);

    // With one more byte the padded code fits exactly.
    ExpectRoundTrip({'A', 0, 0, 0, 0, 0, 0, 0}, "eight bytes");

    // Every small size: the padded code never passes the buffer (ASan checks the writes).
    for (uint32_t size = 4; size < 64; ++size)
    {
        for (uint32_t seed = 0; seed < 20; ++seed)
        {
            Bytes input2 = RandomBytes(size, seed);
            for (uint32_t k = 0; k < size; ++k) input2[k] &= (seed % 3 == 0) ? 0x01 : 0x03;
            ExpectRoundTrip(input2, "small input");
        }
    }
}

TEST(Compression, RoundTripsOnCorpus)
{
    // Every input of 0 to 8 bytes over a two-letter alphabet, then a few sizes of each kind.
    for (uint32_t size = 0; size <= 8; ++size)
    {
        for (uint32_t pattern = 0; pattern < (1u << size); ++pattern)
        {
            Bytes input(size);
            for (uint32_t k = 0; k < size; ++k) input[k] = ((pattern >> k) & 1) ? 'b' : 'a';
            ExpectRoundTrip(input, "two letters");
        }
    }

    for (size_t size : {4, 5, 100, 4096, 70000, 300000})
    {
        ExpectRoundTrip(Repeat(0, size), "zeros");
        ExpectRoundTrip(RandomBytes(size, uint32_t(size)), "random");
        ExpectRoundTrip(test::SampleText(size, uint32_t(size)), "text");
    }

    // Random bytes with a small alphabet give many short matches at every distance.
    Bytes sparse = RandomBytes(200000, 11);
    for (uint8_t &b : sparse) b &= 0x07;
    ExpectRoundTrip(sparse, "eight-letter random");

    // Windows past 32768 and 65536 bytes: the same block at growing distances.
    Bytes block = RandomBytes(3000, 5);
    ExpectRoundTrip(Concat(Concat(block, RandomBytes(40000, 6)), block), "block 43000 back");
    ExpectRoundTrip(Concat(Concat(block, RandomBytes(70000, 6)), block), "block 73000 back");

    Bytes curves = test::SampleCurveTexture(8, 1);
    Bytes bands = test::SampleBandTexture(8, 2);
    ExpectRoundTrip(curves, "curve texture");
    ExpectRoundTrip(bands, "band texture");
    EXPECT_FALSE(Compress(curves).empty());
    EXPECT_FALSE(Compress(bands).empty());
}

TEST(Compression, MatchesTheStepByStepEncoder)
{
    std::vector<std::pair<std::string, Bytes>> inputs;
    auto add = [&inputs](const std::string &name, Bytes input) { inputs.emplace_back(name, std::move(input)); };

    for (uint32_t size = 4; size < 80; size += 3)
    {
        for (uint32_t seed = 0; seed < 6; ++seed)
        {
            Bytes input = RandomBytes(size, seed + 100);
            for (uint8_t &b : input) b &= (seed & 1) ? 0x03 : 0x11;
            add("small", input);
        }
    }

    // Long chains where the 256-candidate limit and the newest-of-equals rule decide.
    add("text", test::SampleText(80000, 21));
    for (uint8_t mask : {0x01, 0x03, 0x07, 0x1F})
    {
        Bytes input = RandomBytes(40000, mask);
        for (uint8_t &b : input) b &= mask;
        add("small alphabet", input);
    }
    // Bytes that share a hash but differ in the low bits of the second byte.
    Bytes sameHash = RandomBytes(30000, 31);
    for (size_t k = 0; k < sameHash.size(); ++k) sameHash[k] = (k % 2 == 0) ? 'a' : uint8_t(0x30 | (sameHash[k] & 0x0F));
    add("shared hash", sameHash);

    // An older candidate one byte longer but with an extra length byte scores the same as a newer
    // one: the newer, shorter match is kept (lengths 35/36 and 291/292).
    for (size_t shorter : {35, 291})
    {
        Bytes prefix = RandomBytes(shorter + 1, uint32_t(shorter));
        Bytes older = Concat(prefix, {'Y'});
        Bytes newer = Concat(Bytes(prefix.begin(), prefix.end() - 1), {'W'});
        Bytes input = Concat(Concat(Concat(older, RandomBytes(400, 71)), Concat(newer, RandomBytes(400, 72))),
            Concat(prefix, {'Z', 'Z', 'Z', 'Z', 'Z'}));
        add("equal scores " + std::to_string(shorter), input);
    }

    add("curve texture", test::SampleCurveTexture(3, 41));
    add("band texture", test::SampleBandTexture(3, 43));

    // Repeats with periods around the one- and two-byte distance limits and the window's end.
    for (size_t period : {255, 256, 257, 32767, 32768, 32769})
    {
        Bytes block = RandomBytes(period, uint32_t(period));
        Bytes tail(block.begin(), block.begin() + ptrdiff_t(std::min<size_t>(period, 500)));
        add("period " + std::to_string(period), Concat(Concat(block, block), tail));
    }

    // Runs and periodic patterns across the piece boundaries of long matches and literal runs.
    for (size_t length : {65826, 65827, 65828, 65830, 65831, 131655, 131657})
    {
        add("run", Concat({1, 2, 3}, Repeat(0x55, length)));
        Bytes periodic(length);
        for (size_t k = 0; k < length; ++k) periodic[k] = uint8_t("abcde"[k % 5]);
        add("period 5", periodic);
    }
    Bytes mixed = Concat(RandomBytes(65900, 51), Repeat(0, 2000));
    add("long literal run", Concat(mixed, RandomBytes(300, 52)));

    // Pieces copied from random distances back, runs and fresh bytes, mixed.
    std::mt19937 random(77);
    for (int trial = 0; trial < 30; ++trial)
    {
        Bytes input = RandomBytes(8, uint32_t(trial));
        size_t size = 1000 + random() % 70000;
        while (input.size() < size)
        {
            uint32_t kind = random() % 8;
            size_t length = 1 + random() % ((kind == 0) ? 3000 : 400);
            if (kind < 2) input.insert(input.end(), length, uint8_t(random()));
            else if (kind < 4) for (size_t k = 0; k < length; ++k) input.push_back(uint8_t(random() % 4));
            else
            {
                size_t distance = 1 + random() % std::min<size_t>(input.size(), (kind == 7) ? 40000 : 300);
                for (size_t k = 0; k < length; ++k) input.push_back(input[input.size() - distance]);
            }
        }
        add("mixed", input);
    }

    for (const auto &[name, input] : inputs)
    {
        SCOPED_TRACE(name + " of " + std::to_string(input.size()) + " bytes");
        Bytes expected = test::ReferenceCompress(input);
        Bytes code = Compress(input);
        EXPECT_EQ(code.size(), expected.size());
        EXPECT_TRUE(code == expected);
        if (!code.empty()) ExpectRoundTrip(input, name);
    }
}

TEST(Compression, WindowReachesBack32768Bytes)
{
    // The chains hold the 32768 positions before the current one: a block exactly 32768 back is
    // found (two-byte distance 7F FF), one 32769 back is not.
    Bytes block = RandomBytes(200, 61);
    for (size_t distance : {32768, 32769})
    {
        SCOPED_TRACE(distance);
        Bytes input = Concat(Concat(block, RandomBytes(distance - 200, 62)), block);
        Bytes code = Compress(input);
        while (!code.empty() && code.back() == 0xE0) code.pop_back();
        if (distance == 32768)
        {
            ASSERT_GE(code.size(), 4u);
            const uint8_t match[4] = {0xA0, 200 - 36, 0x7F, 0xFF};
            EXPECT_TRUE(std::equal(match, match + 4, code.end() - 4));
        }
        else
        {
            EXPECT_TRUE(code.empty() || code.size() > input.size() - 100);
        }
    }
}

TEST(Compression, DecodesEveryCodeForm)
{
    Bytes literal288(288), literal65824(65824);
    for (size_t k = 0; k < literal288.size(); ++k) literal288[k] = uint8_t(k * 7);
    for (size_t k = 0; k < literal65824.size(); ++k) literal65824[k] = uint8_t(k * 13 + (k >> 8));
    Bytes x11 = Repeat('X', 11);
    Bytes pq38(38);
    for (size_t k = 0; k < pq38.size(); ++k) pq38[k] = (k & 1) ? 'q' : 'p';

    struct Case
    {
        const char *name;
        Bytes code;
        Bytes expected;
    };
    const Case cases[] = {
        {"one literal run then end codes", {0x02, 'a', 'b', 'c', 0xE0, 0xE0}, {'a', 'b', 'c'}},
        {"distance 1, length 10 after X", {0x00, 'X', 0x46, 0x00}, x11},
        {"class 1, field 0, byte 255", Concat({0x20, 0xFF}, literal288), literal288},
        {"class 1, field 1, FF FF", Concat({0x21, 0xFF, 0xFF}, literal65824), literal65824},
        {"class 1, other fields read like 0x21", Concat({0x3F, 0xFF, 0xFF}, literal65824), literal65824},
        {"class 3 short", {0x00, 'X', 0x60, 0x00, 0x00}, Repeat('X', 37)},
        {"class 3 long, field 31", {0x00, 'X', 0x7F, 0x00, 0x00, 0x00}, Repeat('X', 293)},
        {"class 4", {0x01, 'p', 'q', 0x80, 0x00, 0x01}, {'p', 'q', 'p', 'q', 'p', 'q'}},
        {"class 5 short", {0x01, 'p', 'q', 0xA0, 0x00, 0x00, 0x01}, pq38},
        {"class 5 long, field 31", {0x00, 'Z', 0xBF, 0x00, 0x00, 0x00, 0x00}, Repeat('Z', 293)},
        {"any class 6 or 7 byte ends", {0x00, 'a', 0xC0, 0x00, 'b'}, {'a'}},
        {"the compressed size ends the stream", {0x00, 'a'}, {'a'}},
        {"empty stream, empty output", {}, {}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Bytes output;
        EXPECT_TRUE(Decompress(c.code, uint32_t(c.expected.size()), &output));
        EXPECT_TRUE(output == c.expected);
    }
}

// Matches overlapping the bytes they produce, at every short distance and around the lengths where
// whole-word copies start, with and without room after the match in the output.
TEST(Compression, OverlappingMatchesAtEveryShortDistance)
{
    for (uint32_t distance = 1; distance <= 16; ++distance)
    {
        for (uint32_t length : {4u, 5u, 7u, 8u, 9u, 15u, 16u, 17u, 31u, 35u, 36u, 100u, 291u, 292u, 1000u})
        {
            for (uint32_t tail : {0u, 1u, 40u})
            {
                for (bool far : {false, true})
                {
                    SCOPED_TRACE(std::to_string(distance) + " back, " + std::to_string(length) + " long, tail " +
                                 std::to_string(tail) + (far ? ", two-byte distance" : ""));
                    Bytes expected;
                    for (uint32_t k = 0; k < distance; ++k) expected.push_back(uint8_t('a' + k));
                    Bytes code = Concat({uint8_t(distance - 1)}, expected);

                    uint32_t d = distance - 1;
                    if (length <= 35) code.push_back(uint8_t((far ? 0x80 : 0x40) + length - 4));
                    else if (length <= 291) code.insert(code.end(), {uint8_t(far ? 0xA0 : 0x60), uint8_t(length - 36)});
                    else code.insert(code.end(), {uint8_t(far ? 0xA1 : 0x61), uint8_t((length - 292) >> 8), uint8_t(length - 292)});
                    if (far) code.push_back(0);
                    code.push_back(uint8_t(d));
                    for (uint32_t k = 0; k < length; ++k) expected.push_back(expected[expected.size() - distance]);

                    for (uint32_t done = 0; done < tail;)
                    {
                        uint32_t piece = std::min(tail - done, 32u);
                        code.push_back(uint8_t(piece - 1));
                        for (uint32_t k = 0; k < piece; ++k, ++done)
                        {
                            code.push_back(uint8_t(0xF0 - done));
                            expected.push_back(uint8_t(0xF0 - done));
                        }
                    }

                    Bytes output;
                    ASSERT_TRUE(Decompress(code, uint32_t(expected.size()), &output));
                    ASSERT_TRUE(output == expected);
                    // One byte short of room: refused, never written past.
                    EXPECT_FALSE(Decompress(code, uint32_t(expected.size() - 1), &output));
                }
            }
        }
    }
}

TEST(Compression, RejectsDamagedStreams)
{
    // Each stream is wrong for an output of the given size; none may write outside it.
    struct Case
    {
        const char *name;
        Bytes code;
        uint32_t outputSize;
    };
    const Case cases[] = {
        {"empty stream, output expected", {}, 1},
        {"end code before the output is full", {0x00, 'a', 0xE0}, 2},
        {"literal run longer than the output", {0x02, 'a', 'b', 'c'}, 2},
        {"literal bytes cut off", {0x03, 'a', 'b'}, 4},
        {"long literal header cut off", {0x21, 0x00}, 289},
        {"match header cut off", {0x00, 'a', 0x40}, 5},
        {"far match header cut off", {0x00, 'a', 0xA1, 0x00, 0x00, 0x00}, 300},
        {"match before the start of the output", {0x00, 'a', 0x40, 0x01}, 5},
        {"far match before the start", {0x00, 'a', 0x80, 0x01, 0x00}, 5},
        {"match as the first code", {0x40, 0x00}, 4},
        {"match longer than the output", {0x00, 'a', 0x46, 0x00}, 5},
        {"long match past the output", {0x00, 'a', 0x61, 0xFF, 0xFF, 0x00}, 65536},
        {"more codes after the output is full", {0x00, 'a', 0x00, 'b'}, 1},
        {"output larger than the stream gives", {0x00, 'a'}, 2},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Bytes output;
        EXPECT_FALSE(Decompress(c.code, c.outputSize, &output));
    }

    // A valid stream cut anywhere before its last code fails.
    Bytes input = test::SampleText(3000, 4);
    Bytes code = Compress(input);
    ASSERT_FALSE(code.empty());
    size_t codeEnd = code.size();
    while (code[codeEnd - 1] == 0xE0) --codeEnd;
    for (size_t cut = 0; cut < codeEnd; ++cut)
    {
        Bytes shorter(code.begin(), code.begin() + ptrdiff_t(cut));
        Bytes output;
        EXPECT_FALSE(Decompress(shorter, uint32_t(input.size()), &output)) << "cut at " << cut;
    }
}

// Matches in the middle of a long stream, with plenty of code and output on both sides: a distance
// may reach the first byte written but not one before it, with one or two distance bytes, and
// around the shortest distance copied in whole pieces.
TEST(Compression, DistancesAreCheckedInsideLongStreams)
{
    struct Case
    {
        uint32_t distance;
        uint32_t length;
        bool far;
        bool valid;
    };
    const Case cases[] = {
        {64, 4, false, true},  {65, 4, false, false}, {64, 35, true, true},  {65, 35, true, false},
        {16, 35, false, true}, {15, 20, false, true}, {1, 9, true, true},    {256, 4, false, false},
        {64, 33, false, true}, {200, 8, true, false}, {17, 17, true, true},  {63, 32, false, true},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(std::to_string(c.distance) + " back, " + std::to_string(c.length) + " long" +
                     (c.far ? ", two-byte distance" : ""));
        // 64 bytes of literal runs, the match, then 224 bytes of literal runs.
        Bytes code;
        Bytes expected;
        auto addLiterals = [&](uint32_t count, uint8_t seed) {
            for (uint32_t done = 0; done < count; done += 32)
            {
                code.push_back(31);
                for (uint32_t k = 0; k < 32; ++k)
                {
                    uint8_t value = uint8_t(seed + (done + k) * 37);
                    code.push_back(value);
                    expected.push_back(value);
                }
            }
        };
        addLiterals(64, 3);
        uint32_t d = c.distance - 1;
        if (c.far) code.insert(code.end(), {uint8_t(0x80 + c.length - 4), uint8_t(d >> 8), uint8_t(d)});
        else code.insert(code.end(), {uint8_t(0x40 + c.length - 4), uint8_t(d)});
        for (uint32_t k = 0; k < c.length; ++k)
        {
            expected.push_back(c.valid ? expected[expected.size() - c.distance] : 0);
        }
        addLiterals(224, 11);

        Bytes output;
        EXPECT_EQ(Decompress(code, uint32_t(expected.size()), &output), c.valid);
        if (c.valid)
        {
            EXPECT_TRUE(output == expected);
        }
    }
}

TEST(Compression, RandomAndMutatedStreamsStayInBounds)
{
    // Under the sanitizer build any read past the code or write past the output aborts the test.
    std::mt19937 random(1234);
    for (int trial = 0; trial < 3000; ++trial)
    {
        Bytes code = RandomBytes(random() % 200, uint32_t(trial));
        Bytes output;
        Decompress(code, random() % 600, &output);
    }

    const Bytes sources[] = {test::SampleText(5000, 8), test::SampleCurveTexture(1, 3), Repeat(0, 70000),
        test::SampleBandTexture(1, 9)};
    for (const Bytes &input : sources)
    {
        Bytes code = Compress(input);
        ASSERT_FALSE(code.empty());
        for (int trial = 0; trial < 300; ++trial)
        {
            Bytes damaged = code;
            int changes = 1 + int(random() % 4);
            for (int k = 0; k < changes; ++k)
            {
                size_t at = random() % damaged.size();
                if (random() % 2) damaged[at] ^= uint8_t(1u << (random() % 8));
                else damaged[at] = uint8_t(random());
            }
            if (random() % 4 == 0) damaged.resize(random() % damaged.size());
            Bytes output;
            Decompress(damaged, uint32_t(input.size()), &output);
        }
    }
}

}  // namespace
}  // namespace oq
