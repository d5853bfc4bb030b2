#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TextRunStorage.h"
#include "support/VorlFontBuilder.h"
#include "vorl/text/TextMeasure.h"

namespace oq {
namespace {

using test::LoadedVorlFont;
using test::TextRunStorage;
using test::VorlFontBuilder;

// A font at size 10 with readable widths: letters and digits 5 units, 'W' 20, space 2.5, the
// soft hyphen 5, Hebrew letters 5, the line separator 0, the "fi" ligature 10 with a caret at its middle, 'v' kerned
// after 'a' by -1, U+0301 a mark, U+00C5 'a' with U+0301, and U+4E00 15 units tall.
class MeasureTest : public ::testing::Test
{
protected:
    enum : uint32_t
    {
        kF = 1, kI, kFi, kA, kV, kW, kSpace, kSoftHyphen, kAcute, kLetter, kAlef, kBet, kSeparator, kUpright, kARing, kGlyphs
    };

    void SetUp() override
    {
        VorlFontBuilder builder;
        for (uint32_t g = 0; g < kGlyphs; g++) builder.AddGlyph(0.5F);
        builder.glyphs[kFi].advance = 1.0F;
        builder.glyphs[kW].advance = 2.0F;
        builder.glyphs[kSpace].advance = 0.25F;
        builder.glyphs[kSeparator].advance = 0.0F;
        builder.glyphs[kUpright].verticalAdvance = 1.5F;
        builder.SetDecomposition(kARing, {kA, kAcute});
        builder.SetCarets(kFi, {0.5F});
        builder.SetKerning(kV, {{kA, -0.1F}});
        builder.SetAnchors(kAcute, {}, {{1, 0.25F, 0.0F}});
        builder.SetSequences(kF, {test::VorlSequenceDescription{2, {kI}, {}, {}, 0, kFi}});
        test::VorlFontDescription &description = builder.AddFont();
        for (uint32_t c = 'b'; c <= 'z'; c++) description.Map(c, kLetter);
        for (uint32_t c = '0'; c <= '9'; c++) description.Map(c, kLetter);
        description.Map('-', kLetter);
        description.Map('f', kF);
        description.Map('i', kI);
        description.Map('a', kA);
        description.Map('v', kV);
        description.Map('W', kW);
        description.Map(' ', kSpace);
        description.Map(0xAD, kSoftHyphen);
        description.Map(0x301, kAcute);
        description.Map(0x5D0, kAlef);
        description.Map(0x5D1, kBet);
        description.Map(0x2028, kSeparator);
        description.Map(0x4E00, kUpright);
        description.Map(0xC5, kARing);
        font = std::make_unique<LoadedVorlFont>(builder.Build());
        ASSERT_TRUE(font->valid);
        ResetTextLayoutState(&state);
        state.size = 10.0F;
    }

    TextRun *Layout(const std::string &text)
    {
        return LayoutText(font->Count(), font->fonts.data(), nullptr, &state, text.data(), int32_t(text.size()),
                          nullptr, &storage.run);
    }

    std::unique_ptr<LoadedVorlFont> font;
    TextRunStorage storage;
    TextLayoutState state;
};

const uint32_t kSpaceList[] = {' '};

TEST_F(MeasureTest, WidthsSkipTrailingTrackingHangingAndUnmeasuredCharacters)
{
    const float placeholderWidths[] = {7.0F};
    const uint32_t justification[] = {' '};
    struct Case
    {
        const char *label;
        std::string text;
        uint32_t options;
        float tracking;
        float width;
        float visible;
    };
    const Case cases[] = {
        {"two letters", "ab", 0, 0.0F, 10.0F, 10.0F},
        {"tracking after the last glyph", "ab", 0, 0.1F, 11.0F, 11.0F},
        {"hanging spaces", "ab  ", 0, 0.1F, 18.0F, 11.0F},
        {"soft hyphen inside", "a\xC2\xAD" "b", kTextOptionSoftHyphen, 0.0F, 10.0F, 10.0F},
        {"soft hyphen last", "ab\xC2\xAD", kTextOptionSoftHyphen, 0.0F, 15.0F, 15.0F},
        {"soft hyphen last, option off", "ab\xC2\xAD", 0, 0.0F, 10.0F, 10.0F},
        {"mark", "a\xCC\x81" "b", 0, 0.0F, 10.0F, 10.0F},
        {"kerning", "av", 0, 0.0F, 9.0F, 9.0F},
        {"kerning off", "av", kTextOptionNoKerning, 0.0F, 10.0F, 10.0F},
        {"kerning break", "a{#size(10)}v", kTextOptionDirectives, 0.0F, 10.0F, 10.0F},
        {"tab", "a\tb", kTextOptionTabs, 0.0F, 25.0F, 25.0F},
        {"tab at a stop jumps to the next", "W\tb", kTextOptionTabs, 0.0F, 45.0F, 45.0F},
        {"tab off", "a\tb", 0, 0.0F, 10.0F, 10.0F},
        {"tab in a right-to-left segment", "\xD7\x90\t\xD7\x91", kTextOptionTabs | kTextOptionBidirectional, 0.0F,
         10.0F, 10.0F},
        {"placeholder", "a\xF3\xB0\x80\x80" "b", 0, 0.0F, 17.0F, 17.0F},
        {"justification is not measured", "a b", kTextOptionJustify, 0.0F, 12.5F, 12.5F},
        {"grid", "ab", kTextOptionGrid, 0.1F, 1.0F, 1.0F},
        {"upright in vertical text", "a\xE4\xB8\x80", kTextOptionVertical, 0.0F, 20.0F, 20.0F},
        {"upright in horizontal text", "a\xE4\xB8\x80", 0, 0.0F, 10.0F, 10.0F},
        {"empty", "", 0, 0.0F, 0.0F, 0.0F},
    };
    for (const Case &c : cases)
    {
        state.optionFlags = c.options;
        state.tracking = c.tracking;
        state.tabWidth = 20.0F;
        state.placeholderCount = 1;
        state.placeholderWidths = placeholderWidths;
        state.justificationCharCount = 1;
        state.justificationChars = justification;
        TextRun *run = Layout(c.text);
        float visible = -1.0F;
        GlyphRange range{0, kTextRunMaxGlyphs, 100.0F};
        EXPECT_FLOAT_EQ(MeasureRunWidth(run, &range, 1, font->fonts.data(), 1, kSpaceList, &visible), c.width) << c.label;
        EXPECT_FLOAT_EQ(visible, c.visible) << c.label;
    }

    // A placeholder never hangs, even when its code point is listed.
    const uint32_t placeholderHanging[] = {0xF0000};
    state.optionFlags = 0;
    state.tracking = 0.0F;
    float placeholderVisible = -1.0F;
    EXPECT_FLOAT_EQ(MeasureRunWidth(Layout("a\xF3\xB0\x80\x80"), nullptr, 1, font->fonts.data(), 1, placeholderHanging,
                                    &placeholderVisible),
                    12.0F);
    EXPECT_FLOAT_EQ(placeholderVisible, 12.0F);

    // A range: the glyphs 1 .. 2 of "abc", and an empty range.
    state = TextLayoutState{};
    ResetTextLayoutState(&state);
    state.size = 10.0F;
    TextRun *run = Layout("abc");
    GlyphRange middle{1, 2, 0.0F};
    EXPECT_FLOAT_EQ(MeasureRunWidth(run, &middle, 1, font->fonts.data(), 0, nullptr, nullptr), 10.0F);
    GlyphRange empty{2, 1, 0.0F};
    float visible = -1.0F;
    EXPECT_FLOAT_EQ(MeasureRunWidth(run, &empty, 1, font->fonts.data(), 0, nullptr, &visible), 0.0F);
    EXPECT_FLOAT_EQ(visible, 0.0F);
}

TEST_F(MeasureTest, FittingNeverEndsOnHangingCharacters)
{
    // a 5, b 10, spaces 12.5 and 15, c 20, d 25.
    TextRun *run = Layout("ab  cd");
    const float widths[] = {12.0F, 20.0F, 30.0F};
    int32_t counts[3];
    float used[3];
    FitRunToWidths(run, nullptr, 1, font->fonts.data(), 2, widths, 1, kSpaceList, counts, used);
    EXPECT_EQ(counts[0], 2);
    EXPECT_FLOAT_EQ(used[0], 10.0F);
    EXPECT_EQ(counts[1], 5);
    EXPECT_FLOAT_EQ(used[1], 20.0F);
    FitRunToWidths(run, nullptr, 1, font->fonts.data(), 3, widths, 1, kSpaceList, counts, used);
    EXPECT_EQ(counts[2], 6);
    const float width13[] = {13.0F};
    FitRunToWidths(run, nullptr, 1, font->fonts.data(), 1, width13, 1, kSpaceList, counts, nullptr);
    EXPECT_EQ(counts[0], 2);
    FitRunToWidths(run, nullptr, 1, font->fonts.data(), 1, width13, 0, nullptr, counts, nullptr);
    EXPECT_EQ(counts[0], 3);   // without a hanging list the first space ends the fit

    // The text form turns counts into offsets after the fitting glyph's characters.
    int32_t narrow = -1;
    const char text[] = "ab  fid";   // the ligature "fi" spans two characters
    EXPECT_EQ(FitTextToWidths(1, font->fonts.data(), nullptr, &state, text, 7, 25.0F, 4.0F, &narrow, &storage.run), 6);
    EXPECT_EQ(narrow, 0);
    EXPECT_EQ(FitTextToWidths(1, font->fonts.data(), nullptr, &state, text, 7, 26.0F, 12.5F, &narrow, &storage.run), 6);
    EXPECT_EQ(narrow, 3);
}

// Expected line: first, last visible, glyph count, flags, width, visible end, next start.
struct ExpectedLine
{
    int32_t first;
    int32_t last;
    int32_t count;
    uint32_t flags;
    float width;
    int32_t visibleEnd;
    int32_t nextStart;
};

void ExpectLines(const std::vector<TextLine> &lines, const std::vector<ExpectedLine> &expected, const char *label)
{
    ASSERT_EQ(lines.size(), expected.size()) << label;
    for (size_t i = 0; i < lines.size(); i++)
    {
        const TextLine &line = lines[i];
        const ExpectedLine &e = expected[i];
        EXPECT_EQ(line.firstGlyph, e.first) << label << " line " << i;
        EXPECT_EQ(line.lastGlyph, e.last) << label << " line " << i;
        EXPECT_EQ(line.glyphCount, e.count) << label << " line " << i;
        EXPECT_EQ(line.flags, e.flags) << label << " line " << i;
        EXPECT_FLOAT_EQ(line.width, e.width) << label << " line " << i;
        EXPECT_EQ(line.visibleEnd, e.visibleEnd) << label << " line " << i;
        EXPECT_EQ(line.nextStart, e.nextStart) << label << " line " << i;
    }
}

const uint32_t kBreaks[] = {' ', '-'};
const uint32_t kForced[] = {'\n', '\r' | kForcedBreakPairs, 0x2028 | kForcedBreakKeepsParagraph};

TEST_F(MeasureTest, LineBreakingTable)
{
    struct Case
    {
        const char *label;
        std::string text;
        float width;
        uint32_t options;
        std::vector<ExpectedLine> lines;
    };
    const Case cases[] = {
        {"word, space, word", "abcde fg", 26.0F, 0,
         {{0, 4, 6, 0, 25.0F, 5, 6}, {6, 7, 2, 1, 10.0F, 8, 8}}},
        {"break after a hyphen", "ab-cd", 17.0F, 0, {{0, 2, 3, 0, 15.0F, 3, 3}, {3, 4, 2, 1, 10.0F, 5, 5}}},
        {"CR LF breaks once, after LF", "a\r\nb", 100.0F, 0,
         {{0, 2, 3, 1, 5.0F, 3, 3}, {3, 3, 1, 1, 5.0F, 4, 4}}},
        {"CR alone breaks", "a\rb", 100.0F, 0, {{0, 1, 2, 1, 5.0F, 2, 2}, {2, 2, 1, 1, 5.0F, 3, 3}}},
        {"line separator keeps the paragraph", "a\xE2\x80\xA8" "b", 100.0F, 0,
         {{0, 1, 2, 0, 5.0F, 4, 4}, {2, 2, 1, 1, 5.0F, 5, 5}}},
        {"no width limit", "abcdefgh", 10.0F, kTextOptionNoWidthLimit, {{0, 7, 8, 1, 40.0F, 8, 8}}},
        {"emergency break inside a word", "abcdefgh", 12.0F, 0,
         {{0, 1, 2, 0, 10.0F, 2, 2}, {2, 3, 2, 0, 10.0F, 4, 4}, {4, 5, 2, 0, 10.0F, 6, 6}, {6, 7, 2, 1, 10.0F, 8, 8}}},
        {"a glyph wider than the line takes a line", "Wab", 10.0F, 0,
         {{0, 0, 1, 0, 20.0F, 1, 1}, {1, 2, 2, 1, 10.0F, 3, 3}}},
        {"the first cluster keeps its marks", "W\xCC\x81" "a", 10.0F, 0,
         {{0, 1, 2, 0, 20.0F, 3, 3}, {2, 2, 1, 1, 5.0F, 4, 4}}},
        {"trailing spaces hang", "ab   cd", 12.0F, 0, {{0, 1, 5, 0, 10.0F, 2, 5}, {5, 6, 2, 1, 10.0F, 7, 7}}},
        {"soft hyphen that fits", "abc\xC2\xAD" "def", 22.0F, kTextOptionSoftHyphen,
         {{0, 3, 4, 0, 20.0F, 5, 5}, {4, 6, 3, 1, 15.0F, 8, 8}}},
        {"soft hyphen that does not fit", "abc\xC2\xAD" "def", 18.0F, kTextOptionSoftHyphen,
         {{0, 2, 4, 0, 15.0F, 3, 5}, {4, 6, 3, 1, 15.0F, 8, 8}}},
        {"tab jumps count toward the width", "a\tb", 22.0F, kTextOptionTabs,
         {{0, 1, 2, 0, 20.0F, 2, 2}, {2, 2, 1, 1, 5.0F, 3, 3}}},
        {"empty text", "", 10.0F, 0, {{0, -1, 0, 1, 0.0F, 0, 0}}},
    };
    state.tabWidth = 20.0F;
    for (const Case &c : cases)
    {
        state.optionFlags = c.options;
        TextRun *run = Layout(c.text);
        std::vector<TextLine> lines(8);
        int32_t count = BreakRunIntoLines(run, 1, font->fonts.data(), c.width, 2, kBreaks, 3, kForced, 1, kSpaceList,
                                          int32_t(lines.size()), lines.data(), nullptr);
        lines.resize(size_t(count));
        ExpectLines(lines, c.lines, c.label);
    }
}

TEST_F(MeasureTest, JustificationStretchesLinesThatDoNotEndParagraphs)
{
    const uint32_t justification[] = {' '};
    state.optionFlags = kTextOptionJustify;
    state.justificationCharCount = 1;
    state.justificationChars = justification;
    // "a b" is 12.5 wide; the line separator keeps the paragraph, LF ends it.
    TextRun *run = Layout("a b\xE2\x80\xA8" "a b\nc");
    TextLine lines[4];
    ASSERT_EQ(BreakRunIntoLines(run, 1, font->fonts.data(), 30.0F, 2, kBreaks, 3, kForced, 1, kSpaceList, 4, lines,
                                nullptr),
              3);
    EXPECT_FLOAT_EQ(lines[0].justificationSpace, 17.5F);
    EXPECT_FLOAT_EQ(lines[0].width, 30.0F);
    EXPECT_EQ(lines[0].flags, 0u);
    EXPECT_FLOAT_EQ(lines[1].justificationSpace, 0.0F);
    EXPECT_FLOAT_EQ(lines[1].width, 12.5F);
    EXPECT_EQ(lines[1].flags, 1u);

    // The justified line measures full width when the range carries its justification space.
    CaretPlacement placements[2];
    const int32_t offsets[] = {2, 3};
    GetRunCaretPositions(run, reinterpret_cast<const GlyphRange *>(&lines[0]), 1, font->fonts.data(), 2, offsets,
                         placements);
    EXPECT_FLOAT_EQ(placements[0].x, 25.0F);   // 'b' after the stretched space
}

TEST_F(MeasureTest, ParagraphMarginsAndIndentNarrowLines)
{
    state.optionFlags = kTextOptionParagraph;
    state.leftMargin = 10.0F;
    state.rightMargin = 20.0F;
    state.indent = 15.0F;
    // Width 60: first line of a paragraph 15 (three letters), others 30 (six letters).
    TextRun *run = Layout("aaaaaaaaaaaa\naaaaaaaa");
    TextLine lines[8];
    int32_t count = BreakRunIntoLines(run, 1, font->fonts.data(), 60.0F, 0, nullptr, 3, kForced, 0, nullptr, 8, lines,
                                      nullptr);
    std::vector<int32_t> counts;
    for (int32_t i = 0; i < count; i++) counts.push_back(lines[i].glyphCount);
    EXPECT_EQ(counts, (std::vector<int32_t>{3, 6, 4, 3, 5}));

    // At most two lines; then the rest after the second.
    ASSERT_EQ(BreakRunIntoLines(run, 1, font->fonts.data(), 60.0F, 0, nullptr, 3, kForced, 0, nullptr, 2, lines, nullptr), 2);
    count = BreakRunIntoLines(run, 1, font->fonts.data(), 60.0F, 0, nullptr, 3, kForced, 0, nullptr, 8, lines + 2,
                              &lines[1]);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(lines[2].firstGlyph, 9);
    EXPECT_EQ(lines[2].glyphCount, 4);
    EXPECT_EQ(lines[3].glyphCount, 3);   // a new paragraph is indented again
}

struct ExpectedCaret
{
    float x;
    int32_t glyph;
    uint32_t component;
};

TEST_F(MeasureTest, CaretPositionsAcrossLigaturesMarksAndDirections)
{
    struct Case
    {
        const char *label;
        std::string text;
        uint32_t options;
        std::vector<int32_t> offsets;
        std::vector<ExpectedCaret> carets;
    };
    const Case cases[] = {
        {"left to right", "ab", 0, {0, 1, 2}, {{0, 0, 0}, {5, 1, 0}, {10, 2, 0}}},
        {"ligature", "fia", 0, {0, 1, 2, 3}, {{0, 0, 0}, {5, 0, 1}, {10, 1, 0}, {15, 2, 0}}},
        {"mark", "a\xCC\x81" "b", 0, {0, 1, 3, 4}, {{0, 0, 0}, {5, 1, 0}, {5, 2, 0}, {10, 3, 0}}},
        {"decomposition", "\xC3\x85" "b", 0, {0, 2, 3}, {{0, 0, 0}, {5, 2, 0}, {10, 3, 0}}},
        {"control takes the next glyph", "a\xE2\x80\x8D" "b", 0, {1, 4}, {{5, 2, 0}, {5, 2, 0}}},
        {"right to left base", "ab", kTextOptionRightToLeft, {0, 1, 2}, {{0, 0, 0}, {-5, 1, 0}, {-10, 2, 0}}},
        {"mixed", "a\xD7\x90\xD7\x91" "b", kTextOptionBidirectional, {0, 1, 3, 5, 6},
         {{0, 0, 0}, {15, 1, 0}, {10, 2, 0}, {15, 3, 0}, {20, 4, 0}}},
    };
    for (const Case &c : cases)
    {
        state.optionFlags = c.options;
        TextRun *run = Layout(c.text);
        std::vector<CaretPlacement> placements(c.offsets.size());
        GetRunCaretPositions(run, nullptr, 1, font->fonts.data(), int32_t(c.offsets.size()), c.offsets.data(),
                             placements.data());
        for (size_t i = 0; i < placements.size(); i++)
        {
            EXPECT_FLOAT_EQ(placements[i].x, c.carets[i].x) << c.label << " offset " << c.offsets[i];
            EXPECT_EQ(placements[i].glyphIndex, c.carets[i].glyph) << c.label << " offset " << c.offsets[i];
            EXPECT_EQ(placements[i].component, c.carets[i].component) << c.label << " offset " << c.offsets[i];
        }
    }

    // Both segment starts of the mixed text see where the segment before them ended.
    state.optionFlags = kTextOptionBidirectional;
    TextRun *run = Layout("a\xD7\x90\xD7\x91" "b");
    const int32_t offsets[] = {1, 5};
    CaretPlacement placements[2];
    GetRunCaretPositions(run, nullptr, 1, font->fonts.data(), 2, offsets, placements);
    EXPECT_FLOAT_EQ(placements[0].otherEdge, -10.0F);
    EXPECT_FLOAT_EQ(placements[1].otherEdge, -10.0F);
    EXPECT_FLOAT_EQ(placements[0].componentOffset, 0.0F);
}

TEST_F(MeasureTest, HitTestingPicksTheNearerCellEdge)
{
    struct Case
    {
        const char *label;
        std::string text;
        uint32_t options;
        float x;
        bool hit;
        bool trailing;
        int32_t offset;
        int32_t glyph;
        float caretX;
        bool insideLigature;
        bool rightToLeft;
    };
    const Case cases[] = {
        {"before the start", "ab", 0, -1.0F, false, false, 0, 0, 0.0F, false, false},
        {"near the leading edge", "ab", 0, 2.0F, true, false, 0, 0, 0.0F, false, false},
        {"exactly the middle goes after", "ab", 0, 2.5F, true, true, 1, 0, 5.0F, false, false},
        {"second glyph", "ab", 0, 7.0F, true, false, 1, 1, 5.0F, false, false},
        {"beyond the end", "ab", 0, 10.0F, false, false, 2, 2, 10.0F, false, false},
        {"ligature first cell", "fi", 0, 1.0F, true, false, 0, 0, 0.0F, false, false},
        {"ligature middle of first cell", "fi", 0, 2.5F, true, true, 1, 0, 5.0F, true, false},
        {"ligature second cell leading", "fi", 0, 6.0F, true, false, 1, 0, 5.0F, true, false},
        {"ligature second cell trailing", "fi", 0, 8.0F, true, true, 2, 0, 10.0F, true, false},
        {"over a mark counts toward the next glyph", "a\xCC\x81" "b", 0, 7.0F, true, false, 3, 2, 5.0F, false, false},
        {"tab is hit over its jump", "a\tb", kTextOptionTabs, 12.0F, true, false, 1, 1, 5.0F, false, false},
        {"right to left base", "ab", kTextOptionRightToLeft, -2.0F, true, false, 0, 0, 0.0F, false, true},
        {"right to left, before the start", "ab", kTextOptionRightToLeft, 1.0F, false, false, 0, 0, 0.0F, false, true},
        {"right to left second glyph", "ab", kTextOptionRightToLeft, -7.0F, true, false, 1, 1, -5.0F, false, true},
        {"mixed: alef leading", "a\xD7\x90\xD7\x91" "b", kTextOptionBidirectional, 14.0F, true, false, 1, 1, 15.0F, false, true},
        {"mixed: alef trailing", "a\xD7\x90\xD7\x91" "b", kTextOptionBidirectional, 11.0F, true, true, 3, 1, 10.0F, false, true},
        {"mixed: bet trailing", "a\xD7\x90\xD7\x91" "b", kTextOptionBidirectional, 6.0F, true, true, 5, 2, 5.0F, false, true},
        {"mixed: b after the segment", "a\xD7\x90\xD7\x91" "b", kTextOptionBidirectional, 16.0F, true, false, 5, 3, 15.0F, false, false},
    };
    for (const Case &c : cases)
    {
        state.optionFlags = c.options;
        state.tabWidth = 20.0F;
        TextRun *run = Layout(c.text);
        HitTestResult result;
        EXPECT_EQ(HitTestRun(run, nullptr, 1, font->fonts.data(), c.x, &result), c.hit) << c.label;
        if (!c.hit && c.x * (c.rightToLeft ? -1.0F : 1.0F) < 0.0F) continue;
        EXPECT_EQ(result.trailing, c.trailing) << c.label;
        EXPECT_EQ(result.textOffset, c.offset) << c.label;
        EXPECT_EQ(result.glyphIndex, c.glyph) << c.label;
        EXPECT_FLOAT_EQ(result.caretX, c.caretX) << c.label;
        EXPECT_EQ(result.insideLigature, c.insideLigature) << c.label;
        EXPECT_EQ(result.rightToLeft, c.rightToLeft) << c.label;
    }
}

TEST_F(MeasureTest, SegmentWidthsInLogicalOrder)
{
    state.optionFlags = kTextOptionBidirectional;
    state.tracking = 0.1F;   // one unit after each glyph
    // a (5 + 1) | alef, bet (5 + 1 + 5, its tracking goes to the next segment) | 1 + b (5) + 1
    TextRun *run = Layout("a\xD7\x90\xD7\x91" "b");
    ASSERT_EQ(run->segmentCount, 3);
    float widths[3] = {};
    MeasureRunSegments(run, nullptr, font->fonts.data(), widths);
    EXPECT_FLOAT_EQ(widths[0], 6.0F);
    EXPECT_FLOAT_EQ(widths[1], 11.0F);
    EXPECT_FLOAT_EQ(widths[2], 7.0F);
}

TEST_F(MeasureTest, TextFormsLeaveTheirRunInTheSharedRun)
{
    const char text[] = "ab{#size(20)}c";
    state.optionFlags = kTextOptionDirectives;
    TextLayoutState endState;
    ResetTextLayoutState(&endState);
    EXPECT_FLOAT_EQ(MeasureTextWidth(1, font->fonts.data(), nullptr, &state, text, -1, 0, nullptr, nullptr, &endState,
                                     nullptr),
                    20.0F);
    EXPECT_FLOAT_EQ(endState.size, 20.0F);
    EXPECT_EQ(GetSharedTextRun()->characterCount, 3);
    EXPECT_EQ(GetSharedTextRun()->glyphCount, 3);

    TextLine line;
    FindTextLineBreak(1, font->fonts.data(), nullptr, &state, "abc def", 22.0F, 2, kBreaks, 0, nullptr, 1,
                      kSpaceList, &line, nullptr, nullptr);
    EXPECT_EQ(line.glyphCount, 4);
    EXPECT_EQ(GetSharedTextRun()->characterCount, 7);

    HitTestResult result;
    EXPECT_TRUE(HitTestText(1, font->fonts.data(), nullptr, &state, "abc", 3, 12.0F, &result, nullptr));
    EXPECT_EQ(result.textOffset, 2);
    EXPECT_EQ(GetSharedTextRun()->characterCount, 3);

    const int32_t offsets[] = {1};
    CaretPlacement placement;
    GetTextCaretPositions(1, font->fonts.data(), nullptr, &state, "ab", 2, 1, offsets, &placement, nullptr);
    EXPECT_FLOAT_EQ(placement.x, 5.0F);
    TextLine lines[4];
    EXPECT_EQ(BreakTextIntoLines(1, font->fonts.data(), nullptr, &state, "abc def", 22.0F, 2, kBreaks, 0, nullptr, 1,
                                 kSpaceList, 4, lines, nullptr, nullptr, nullptr),
              2);
    EXPECT_EQ(GetSharedTextRun()->glyphCount, 7);
}

TEST(ClusterTest, ClustersTakeTheirCombiningMarks)
{
    const std::string text = "a\xCC\x81\xCC\x82" "b\xCC\x81";   // a + two accents (5 bytes), b + accent
    struct Case
    {
        int32_t position;
        int32_t next;
        int32_t previous;
    };
    const Case cases[] = {{0, 5, 0}, {5, 3, 5}, {8, 0, 3}, {1, 4, 1}};
    for (const Case &c : cases)
    {
        int32_t length = int32_t(text.size()) - c.position;
        EXPECT_EQ(GetNextClusterLength(text.data() + c.position, length), c.next) << c.position;
        EXPECT_EQ(GetPreviousClusterLength(text.data() + c.position, c.position), c.previous) << c.position;
    }
    // Only marks before the position: all of them.
    const std::string marks = "\xCC\x81\xCC\x82";
    EXPECT_EQ(GetPreviousClusterLength(marks.data() + 4, 4), 4);
    EXPECT_EQ(GetNextClusterLength(marks.data(), 4), 4);
    // The length bounds the scan.
    EXPECT_EQ(GetNextClusterLength(text.data(), 3), 3);
}

}  // namespace
}  // namespace oq
