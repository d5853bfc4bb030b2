#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/TextRunStorage.h"
#include "vorl/text/FormatDirective.h"
#include "vorl/text/TextRun.h"

namespace oq {
namespace {

// A run with arrays of the full fixed limits.
class RunFixture : public ::testing::Test
{
protected:
    RunFixture()
    {
        run.characterCount = -1;
        ResetTextLayoutState(&state);
    }

    // Lays out an exact-size heap copy of text (no NUL after it) unless untilNul is set.
    void Layout(const std::string &text, bool untilNul = false)
    {
        if (untilNul)
        {
            LayoutTextRun(&run, &state, text.c_str(), -1);
            return;
        }
        bytes.assign(text.begin(), text.end());
        LayoutTextRun(&run, &state, bytes.data(), int32_t(bytes.size()));
    }

    std::vector<uint32_t> CodePoints() const
    {
        std::vector<uint32_t> result;
        for (int32_t i = 0; i < run.characterCount; i++) result.push_back(run.characters[i].codePoint);
        return result;
    }

    std::vector<uint8_t> Flags() const
    {
        std::vector<uint8_t> result;
        for (int32_t i = 0; i < run.characterCount; i++) result.push_back(run.characters[i].flags);
        return result;
    }

    // Segment direction of each character, following the 0x02 flags.
    std::vector<float> Directions() const
    {
        std::vector<float> result;
        int32_t segment = 0;
        for (int32_t i = 0; i < run.characterCount; i++)
        {
            if (run.characters[i].flags & kRunFlagNewSegment) segment++;
            result.push_back(run.segmentDirections[segment]);
        }
        return result;
    }

    test::TextRunStorage storage;
    TextRun &run = storage.run;
    TextLayoutState state;
    std::vector<char> bytes;
};

using TextRunLayout = RunFixture;

TEST_F(TextRunLayout, Decoding)
{
    struct DecodeCase
    {
        std::string text;
        std::vector<uint32_t> codePoints;
        std::vector<uint8_t> byteLengths;
        int32_t endOffset;
    };
    const DecodeCase kCases[] = {
        {"", {}, {}, 0},
        {"a\xC3\xA9\xE2\x82\xAC", {'a', 0xE9, 0x20AC}, {1, 2, 3}, 6},
        {"a\xFF" "b", {'a', 0xFFFD, 'b'}, {1, 1, 1}, 3},
        {"a\xE2\x82", {'a', 0xFFFD, 0xFFFD}, {1, 1, 1}, 3},      // cut by the length
        {std::string("ab\0cd", 5), {'a', 'b'}, {1, 1}, 2},          // a NUL ends the text
        {"{#size(2)}x", {'{', '#', 's', 'i', 'z', 'e', '(', '2', ')', '}', 'x'}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
         11},                                                       // directives off: plain text
    };
    for (const DecodeCase &c : kCases)
    {
        Layout(c.text);
        ASSERT_EQ(run.characterCount, int32_t(c.codePoints.size())) << c.text;
        EXPECT_EQ(CodePoints(), c.codePoints) << c.text;
        for (int32_t i = 0; i < run.characterCount; i++)
        {
            EXPECT_EQ(run.characters[i].byteLength, c.byteLengths[size_t(i)]) << c.text << i;
            EXPECT_EQ(run.characters[i].flags, 0) << c.text << i;
        }
        const TextRunCharacter &end = run.characters[run.characterCount];
        EXPECT_EQ(end.textOffset, c.endOffset) << c.text;
        EXPECT_EQ(end.codePoint, 0U);
        EXPECT_EQ(end.properties, 1);
        EXPECT_EQ(end.byteLength, 0);
        EXPECT_EQ(end.flags, 0);
    }
    Layout("a(\xD7\x90", true);
    EXPECT_EQ(run.characters[1].properties, 0x1050);
    EXPECT_EQ(run.characters[2].properties, 0x8);
    EXPECT_EQ(run.characters[2].textOffset, 2);
}

TEST_F(TextRunLayout, CharacterLimit)
{
    Layout(std::string(20000, 'a'));
    EXPECT_EQ(run.characterCount, 16383);
    EXPECT_EQ(run.characters[16383].textOffset, 16383);
    EXPECT_EQ(run.characters[16383].codePoint, 0U);
}

TEST_F(TextRunLayout, DirectiveStates)
{
    state.optionFlags = kTextOptionDirectives;

    // At the very start: state 0 itself changes and the first character takes the changed flags.
    Layout("{#size(20)}ab");
    EXPECT_EQ(run.characterCount, 2);
    EXPECT_EQ(run.states[0].size, 20.0F);
    EXPECT_EQ(Flags(), (std::vector<uint8_t>{0x38, 0}));
    EXPECT_EQ(run.characters[0].textOffset, 11);
    EXPECT_EQ(state.size, 16.0F);

    // Two blocks in a row change one new state; the next character carries 0x01 and both flags.
    Layout("a{#track(1)}{#kern(false)}b{#font(3)}c");
    EXPECT_EQ(CodePoints(), (std::vector<uint32_t>{'a', 'b', 'c'}));
    EXPECT_EQ(Flags(), (std::vector<uint8_t>{0, 0x11, 0x39}));
    EXPECT_EQ(run.states[1].tracking, 1.0F);
    EXPECT_EQ(run.states[1].optionFlags, kTextOptionDirectives | kTextOptionNoKerning);
    EXPECT_EQ(run.states[2].tracking, 1.0F);
    EXPECT_EQ(run.states[2].fontNumber, 3U);
    EXPECT_EQ(run.states[0].tracking, 0.0F);

    // A reset goes back to the caller's state, not to a state changed at the start.
    Layout("{#size(20)}a{#font(2);reset()}b");
    EXPECT_EQ(run.states[0].size, 20.0F);
    EXPECT_EQ(run.states[1].size, 16.0F);
    EXPECT_EQ(run.states[1].fontNumber, 0U);
    EXPECT_EQ(Flags(), (std::vector<uint8_t>{0x38, 0x39}));

    // A block cut by the length end applies what it holds and ends the text.
    Layout("ab{#size(30)");
    EXPECT_EQ(run.characterCount, 2);
    EXPECT_EQ(run.states[1].size, 30.0F);
    EXPECT_EQ(run.characters[2].textOffset, 12);
}

TEST_F(TextRunLayout, StateLimit)
{
    state.optionFlags = kTextOptionDirectives;
    std::string text;
    for (int32_t i = 1; i <= 300; i++) text += "{#size(" + std::to_string(i) + ")}c";
    Layout(text);
    ASSERT_EQ(run.characterCount, 300);
    EXPECT_EQ(run.characters[0].flags, 0x38);
    EXPECT_EQ(run.characters[1].flags, 0x39);
    EXPECT_EQ(run.states[1].size, 2.0F);
    EXPECT_EQ(run.characters[255].flags, 0x39);
    EXPECT_EQ(run.states[255].size, 256.0F);
    EXPECT_EQ(run.characters[256].flags, 0);
    EXPECT_EQ(run.characters[299].flags, 0);
}

// Hebrew letters are U+05D0 (alef), U+05D1 and U+05D2 (two bytes each).
#define ALEF "\xD7\x90"
#define BET "\xD7\x91"
#define GIMEL "\xD7\x92"

TEST_F(TextRunLayout, BidiSegments)
{
    const uint32_t kBidi = kTextOptionBidirectional;
    struct BidiCase
    {
        const char *label;
        std::string text;
        uint32_t options;
        bool untilNul;
        std::vector<uint8_t> flags;
        std::vector<float> directions;
    };
    const BidiCase kCases[] = {
        {"Hebrew first", ALEF "b", kBidi, false, {0, 0x3A}, {-1, 1}},
        {"Latin, Hebrew, Latin in parentheses", "abc " ALEF BET GIMEL " (x)", kBidi, false,
         {0, 0, 0, 0, 0x3A, 0, 0, 0x3A, 0, 0, 0},
         {1, 1, 1, 1, -1, -1, -1, 1, 1, 1, 1}},
        {"neutrals between opposite letters", "a" ALEF " ." BET "c", kBidi, false, {0, 0x3A, 0, 0, 0, 0x3A},
         {1, -1, -1, -1, -1, 1}},
        {"trailing neutrals stay opposite at the length end", "a" ALEF " .", kBidi, false, {0, 0x3A, 0, 0},
         {1, -1, -1, -1}},
        {"trailing neutrals go back at a NUL", "a" ALEF " .", kBidi, true, {0, 0x3A, 0x3A, 0}, {1, -1, 1, 1}},
        {"no bidi processing", ALEF "b", 0, false, {0, 0}, {1, 1}},
        {"right-to-left base", ALEF "b" GIMEL, kBidi | kTextOptionRightToLeft, false, {0, 0x3A, 0x3A}, {1, -1, 1}},
        {"other neutral after an Arabic number", "a\xD9\xA0(b", kBidi, false, {0, 0, 0x3A, 0x3A}, {1, 1, -1, 1}},
        {"digits are strong", ALEF "1" BET, kBidi, false, {0, 0x3A, 0x3A}, {-1, 1, -1}},
    };
    for (const BidiCase &c : kCases)
    {
        state.optionFlags = c.options;
        Layout(c.text, c.untilNul);
        EXPECT_EQ(Flags(), c.flags) << c.label;
        EXPECT_EQ(Directions(), c.directions) << c.label;
    }
}

TEST_F(TextRunLayout, SegmentLimit)
{
    state.optionFlags = kTextOptionBidirectional;
    std::string text;
    for (int32_t i = 0; i < 200; i++) text += "a" ALEF;
    Layout(text);
    int32_t starts = 0;
    for (uint8_t flags : Flags()) starts += (flags & kRunFlagNewSegment) ? 1 : 0;
    EXPECT_EQ(starts, 255);
    EXPECT_EQ(run.characters[255].flags, 0x3A);
    EXPECT_EQ(run.characters[256].flags, 0);
    EXPECT_EQ(run.segmentDirections[255], -1.0F);
}

TEST_F(TextRunLayout, Placeholders)
{
    state.optionFlags = kTextOptionBidirectional;
    state.placeholderBase = 0x5D0;
    state.placeholderCount = 1;
    Layout("a" ALEF BET "\xCC\x81");
    EXPECT_EQ(run.characters[1].codePoint, 0x5D0U);
    EXPECT_EQ(run.characters[1].properties, 0);
    EXPECT_EQ(run.characters[2].properties, 0x8);
    EXPECT_EQ(run.characters[3].properties, 0xA02);
    EXPECT_EQ(Flags(), (std::vector<uint8_t>{0, 0, 0x3A, 0}));

    state.placeholderBase = 0xF0000;
    state.placeholderCount = 4;
    Layout("\xF3\xB0\x80\x83\xF3\xB0\x80\x84");
    EXPECT_EQ(CodePoints(), (std::vector<uint32_t>{0xF0003, 0xF0004}));
    EXPECT_EQ(run.characters[0].properties, 0);
    EXPECT_EQ(run.characters[1].properties, 0);

    // A range that reaches past U+FFFFFFFF holds nothing below its base.
    state.placeholderCount = 0xFFFFFFFF;
    Layout("(\xF3\xB0\x80\x83");
    EXPECT_EQ(run.characters[0].properties, 0x1050);
    EXPECT_EQ(run.characters[1].properties, 0);
}

TEST_F(TextRunLayout, BracketMirroring)
{
    struct MirrorCase
    {
        const char *label;
        std::string text;
        uint32_t options;
        std::vector<uint32_t> codePoints;
    };
    const uint32_t alef = 0x5D0;
    const uint32_t bet = 0x5D1;
    const MirrorCase kCases[] = {
        {"pair in a right-to-left segment", ALEF "(" BET ")" GIMEL, 0, {alef, ')', bet, '(', 0x5D2}},
        {"closing bracket follows its opener", "a(b" ALEF ")" BET, 0, {'a', '(', 'b', alef, ')', bet}},
        {"opened right to left, closed left to right", ALEF "[" BET "x]", 0, {alef, ']', bet, 'x', '['}},
        {"left-to-right segments keep brackets", "a(b)<c>", 0, {'a', '(', 'b', ')', '<', 'c', '>'}},
        {"right-to-left base", "(" ALEF ")", kTextOptionRightToLeft, {')', alef, '('}},
        {"fifth opener is not pushed", ALEF "(((((" BET ")))))", 0,
         {alef, ')', ')', ')', ')', '(', bet, '(', '(', '(', '(', '('}},
        {"mirrored without a table entry", ALEF "\xE2\x88\x9B" BET, 0, {alef, 0x221B, bet}},
    };
    for (const MirrorCase &c : kCases)
    {
        state.optionFlags = kTextOptionBidirectional | c.options;
        Layout(c.text);
        EXPECT_EQ(CodePoints(), c.codePoints) << c.label;
    }

    // Without bidirectional processing nothing is mirrored.
    state.optionFlags = kTextOptionRightToLeft;
    Layout("(" ALEF ")");
    EXPECT_EQ(CodePoints(), (std::vector<uint32_t>{'(', alef, ')'}));
}

// Random texts built from directive syntax, broken UTF-8 and NULs, cut at random lengths and laid
// out from exact-size buffers: the run stays consistent and nothing is read past the length.
TEST_F(TextRunLayout, HostileText)
{
    static const char *const kPieces[] = {
        "{#", "{#", "}", "(", ")", ";", ",", " ", "size", "color", "shadow_", "outline_", "reset()", "font",
        "'", "'}'", "/*", "*/", "//", "\n", "0x", "1e", "-", "9", "255", "true", "grad", "sub(1)",
        ALEF, BET, "a", "(", "[", "]", "\xD9\xA0", "\xE2\x82", "\xF0\x9F", "\xFF", "\xC3", ""};  // the last piece stands for a NUL byte
    std::mt19937 random(12345);
    for (int32_t round = 0; round < 3000; round++)
    {
        std::string text;
        int32_t pieces = int32_t(random() % 40);
        for (int32_t i = 0; i < pieces; i++)
        {
            size_t index = random() % (sizeof(kPieces) / sizeof(kPieces[0]));
            text += (index + 1 == sizeof(kPieces) / sizeof(kPieces[0])) ? std::string(1, '\0') : kPieces[index];
        }
        if (!text.empty()) text.resize(random() % (text.size() + 1));

        state.optionFlags = kTextOptionDirectives | kTextOptionBidirectional |
                            ((round & 1) ? kTextOptionRightToLeft : 0U);
        Layout(text);
        ASSERT_GE(run.characterCount, 0);
        ASSERT_LE(run.characterCount, kTextRunMaxCharacters);
        int32_t previousEnd = 0;
        int32_t segments = 1;
        for (int32_t i = 0; i < run.characterCount; i++)
        {
            const TextRunCharacter &character = run.characters[i];
            ASSERT_GE(character.textOffset, previousEnd) << round;
            ASSERT_GE(character.byteLength, 1) << round;
            ASSERT_NE(character.codePoint, 0U) << round;
            ASSERT_EQ(character.flags & ~0x3B, 0) << round;
            previousEnd = character.textOffset + character.byteLength;
            segments += (character.flags & kRunFlagNewSegment) ? 1 : 0;
        }
        ASSERT_LE(previousEnd, run.characters[run.characterCount].textOffset) << round;
        ASSERT_LE(run.characters[run.characterCount].textOffset, int32_t(text.size())) << round;
        ASSERT_LE(segments, kTextRunMaxSegments) << round;

        TextLayoutState result;
        ApplyTextFormatDirectives(&state, bytes.data(), int32_t(bytes.size()), &result);
    }
}

TEST_F(TextRunLayout, PackAndUnpack)
{
    state.optionFlags = kTextOptionDirectives | kTextOptionBidirectional;
    Layout("ab{#size(20)}c" ALEF "d");
    run.stateCount = 2;
    run.segmentCount = 3;
    run.glyphCount = run.characterCount;
    for (int32_t i = 0; i <= run.glyphCount; i++)
    {
        run.glyphs[i] = TextRunGlyph{uint32_t(i == run.glyphCount ? 0xFFFFFF : 10 + i), i, 1, 0, 0, 0};
    }
    int32_t c = run.characterCount;
    int32_t g = run.glyphCount;
    int32_t size = run.GetPackedSize();
    EXPECT_EQ(size, 12 * g + 12 * c + 328 * 2 + 4 * 3 + 72);

    for (int32_t shift : {0, 1})   // c + g even and odd
    {
        run.glyphCount = g - shift;
        run.glyphs[run.glyphCount].glyphWord = 0xFFFFFF;
        size = run.GetPackedSize();
        std::vector<uint64_t> block(size_t(size) / 8 + 2, 0xABABABABABABABABULL);
        char *start = reinterpret_cast<char *>(block.data());
        TextRun *packed = run.Pack(start);
        EXPECT_EQ(static_cast<void *>(packed), static_cast<void *>(start));
        EXPECT_EQ(packed->characterCount, c);
        EXPECT_EQ(packed->glyphCount, run.glyphCount);
        EXPECT_EQ(packed->stateCount, 2);
        EXPECT_EQ(packed->segmentCount, 3);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(packed->states) % 8, 0U);
        EXPECT_EQ(std::memcmp(packed->characters, run.characters, sizeof(TextRunCharacter) * size_t(c + 1)), 0);
        EXPECT_EQ(std::memcmp(packed->glyphs, run.glyphs, sizeof(TextRunGlyph) * size_t(run.glyphCount + 1)), 0);
        EXPECT_EQ(packed->states[1].size, 20.0F);
        EXPECT_EQ(packed->states[0].optionFlags, state.optionFlags);
        for (int32_t i = 0; i < 3; i++) EXPECT_EQ(packed->segmentDirections[i], run.segmentDirections[i]);

        // Every array lies inside the block, and the block is filled exactly.
        const char *end = start + size;
        auto inside = [&](const void *p, size_t bytes) {
            const char *q = static_cast<const char *>(p);
            return q >= start && q + bytes <= end;
        };
        EXPECT_TRUE(inside(packed->states, 328 * 2));
        EXPECT_TRUE(inside(packed->characters, 12 * size_t(c + 1)));
        EXPECT_TRUE(inside(packed->glyphs, 12 * size_t(run.glyphCount + 1)));
        EXPECT_EQ(reinterpret_cast<const char *>(packed->segmentDirections + 3), end);
        EXPECT_EQ(static_cast<unsigned char>(end[0]), 0xAB);
    }
}

}  // namespace
}  // namespace oq
