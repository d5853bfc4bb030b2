#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "support/TextRunStorage.h"
#include "support/VorlFontBuilder.h"
#include "vorl/text/GlyphMapping.h"

namespace oq {
namespace {

using test::LoadedVorlFont;
using test::TextRunStorage;
using test::VorlFontBuilder;
using test::VorlSequenceDescription;

// One mapped glyph as the tests compare it.
struct MappedGlyph
{
    uint32_t glyphWord;
    int32_t font;
    int32_t span;

    bool operator==(const MappedGlyph &other) const
    {
        return glyphWord == other.glyphWord && font == other.font && span == other.span;
    }
};

std::ostream &operator<<(std::ostream &stream, const MappedGlyph &glyph)
{
    return stream << "{0x" << std::hex << glyph.glyphWord << std::dec << ", font " << glyph.font << ", span "
                  << glyph.span << "}";
}

TextLayoutState MakeState(uint32_t options = 0)
{
    TextLayoutState state;
    ResetTextLayoutState(&state);
    state.optionFlags = options;
    return state;
}

// Lays the text out and maps it; returns the glyphs before the end entry.
std::vector<MappedGlyph> Map(TextRunStorage &storage, const LoadedVorlFont &font, const TextLayoutState &state,
                             const std::string &text, const FontFallbackMap *fallback = nullptr)
{
    TextRun *run = LayoutText(font.Count(), font.fonts.data(), fallback, &state, text.data(), int32_t(text.size()),
                              nullptr, &storage.run);
    std::vector<MappedGlyph> glyphs;
    for (int32_t i = 0; i < run->glyphCount; i++)
    {
        const TextRunGlyph &glyph = run->glyphs[i];
        glyphs.push_back(MappedGlyph{glyph.glyphWord, glyph.fontIndex, glyph.characterSpan});
    }
    EXPECT_TRUE(IsEndGlyph(run->glyphs[run->glyphCount].glyphWord));
    return glyphs;
}

// The glyph indexes alone, flags dropped.
std::vector<uint32_t> MapIndexes(TextRunStorage &storage, const LoadedVorlFont &font, const TextLayoutState &state,
                                 const std::string &text)
{
    std::vector<uint32_t> indexes;
    for (const MappedGlyph &glyph : Map(storage, font, state, text)) indexes.push_back(GlyphIndexOf(glyph.glyphWord));
    return indexes;
}

constexpr uint32_t kFontChange = 0x3Cu << 24;

// Font fallback: three fonts of one file with their own character maps.
TEST(GlyphMappingTest, FallbackChoosesFontsPerCharacterKind)
{
    VorlFontBuilder builder;
    for (int g = 0; g < 7; g++) builder.AddGlyph(0.5F);   // missing, a, c, d, acute, b, zwj
    test::VorlFontDescription &font0 = builder.AddFont();
    font0.Map('a', 1);
    font0.Map('b', 5);
    font0.Map(0x301, 4);
    test::VorlFontDescription &font1 = builder.AddFont();
    font1.Map('c', 2);
    font1.Map(0x200D, 6);
    test::VorlFontDescription &font2 = builder.AddFont();
    font2.Map('d', 3);
    font2.Map(0x200D, 6);
    LoadedVorlFont font(builder.Build());
    ASSERT_TRUE(font.valid);

    const int32_t rowNumbers[] = {0, 7};
    const uint8_t rows[] = {0, 1, 2, /* font number 7: */ 2, 9, 0};
    const FontFallbackMap fallback = {2, 3, rowNumbers, rows};

    struct Case
    {
        const char *text;
        uint32_t fontNumber;
        uint32_t options;
        int32_t missingGlyph;
        const FontFallbackMap *fallback;
        std::vector<MappedGlyph> expected;
    };
    const Case cases[] = {
        {"acdb", 0, 0, 0, &fallback, {{1, 0, 1}, {kFontChange | 2, 1, 1}, {kFontChange | 3, 2, 1}, {kFontChange | 5, 0, 1}}},
        // A mark stays in the font of its base: unmapped there, it takes the missing glyph there.
        {"d\xCC\x81", 0, 0, 5, &fallback, {{3, 2, 1}, {5, 2, 1}}},
        {"d\xCC\x81", 0, kTextOptionNoMarks, 5, &fallback, {{3, 2, 1}, {kFontChange | 4, 0, 1}}},
        {"a\xCC\x81", 0, 0, 0, &fallback, {{1, 0, 1}, {4, 0, 1}}},
        // A control character tries the previous glyph's font first.
        {"d\xE2\x80\x8D", 0, 0, 0, &fallback, {{3, 2, 1}, {6, 2, 1}}},
        {"a\xE2\x80\x8D", 0, 0, 0, &fallback, {{1, 0, 1}, {kFontChange | 6, 1, 1}}},
        // Unmapped everywhere: the missing glyph in font 0.
        {"zc", 0, 0, 2, &fallback, {{2, 0, 1}, {kFontChange | 2, 1, 1}}},
        // The row of font number 7 ends at the entry 9, before font 0.
        {"da", 7, 0, 5, &fallback, {{3, 2, 1}, {kFontChange | 5, 0, 1}}},
        // An unknown font number uses row 0.
        {"da", 3, 0, 0, &fallback, {{3, 2, 1}, {kFontChange | 1, 0, 1}}},
        // The default map uses font 0 alone.
        {"ca", 0, 0, 0, nullptr, {{0, 0, 1}, {1, 0, 1}}},
        // A missing glyph outside the font or negative is glyph 0.
        {"z", 0, 0, 99, &fallback, {{0, 0, 1}}},
        {"z", 0, 0, -3, &fallback, {{0, 0, 1}}},
    };
    TextRunStorage storage;
    for (const Case &c : cases)
    {
        TextLayoutState state = MakeState(c.options);
        state.fontNumber = c.fontNumber;
        state.missingGlyph = c.missingGlyph;
        EXPECT_EQ(Map(storage, font, state, c.text, c.fallback), c.expected) << c.text << " font number " << c.fontNumber;
    }
}

// Alternates chosen by feature bits and selector, vertical forms and right-to-left mirrors.
TEST(GlyphMappingTest, AlternatesFollowFeatureWordsAndDirection)
{
    VorlFontBuilder builder;
    for (int g = 0; g < 9; g++) builder.AddGlyph(0.5F);
    builder.SetAlternates(1, {{0x2, 2}, {3u << 24 | 0x4, 3}, {0x4000, 4}, {0x8000000, 7}});
    builder.SetAlternates(5, {{0x8000000, 6}});
    builder.SetAlternates(2, {{0x2, 1}, {0x8, 8}});
    test::VorlFontDescription &description = builder.AddFont();
    description.Map('a', 1);
    description.Map(0x5D0, 1);
    description.Map(0x4E00, 5);
    LoadedVorlFont font(builder.Build());
    ASSERT_TRUE(font.valid);

    struct Case
    {
        const char *text;
        uint32_t options;
        uint32_t mask;
        uint32_t selector;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"a", 0, 0x2, 0, {2}},
        // The chain goes on with the remaining bits: 0x2 is used up, so glyph 2 does not go back to 1.
        {"a", 0, 0xA, 0, {8}},
        {"a", 0, 0x4, 0, {1}},             // selector 3 only
        {"a", 0, 0x4, 3, {3}},
        {"a", kTextOptionNoAlternates, 0x2, 0, {1}},
        {"a", 0, 0x4000, 0, {1}},          // mirrored forms only right to left
        {"a", kTextOptionRightToLeft, 0x4000, 0, {4}},
        {"\xD7\x90" "a", kTextOptionBidirectional, 0x4000, 0, {4, 1}},
        // Vertical forms: only when the text holds an upright character, then for every glyph.
        {"a\xE4\xB8\x80", kTextOptionVertical, 0, 0, {7, 6}},
        {"a", kTextOptionVertical, 0, 0, {1}},
        {"a\xE4\xB8\x80", 0, 0, 0, {1, 5}},
    };
    TextRunStorage storage;
    for (const Case &c : cases)
    {
        TextLayoutState state = MakeState(c.options);
        state.alternateMask = c.mask;
        state.alternateSelector = c.selector;
        EXPECT_EQ(MapIndexes(storage, font, state, c.text), c.expected) << c.text << " mask " << c.mask;
    }
}

// Joining forms of Arabic letters and fraction forms of digits.
TEST(GlyphMappingTest, JoiningAndFractionForms)
{
    enum : uint32_t
    {
        kBeh = 1, kBehInit, kBehMedi, kBehFina, kFatha, kAlef, kAlefFina,
        kThree, kThreeNumr, kThreeDnom, kFour, kFourNumr, kFourDnom, kSlash, kFraction, kLetter, kGlyphs
    };
    VorlFontBuilder builder;
    for (uint32_t g = 0; g < kGlyphs; g++) builder.AddGlyph(0.5F);
    builder.SetAlternates(kBeh, {{1u << 24, kBehInit}, {2u << 24, kBehMedi}, {3u << 24, kBehFina}});
    builder.SetAlternates(kAlef, {{3u << 24, kAlefFina}});
    builder.SetAlternates(kThree, {{2u << 24 | 0x200, kThreeNumr}, {3u << 24 | 0x200, kThreeDnom}});
    builder.SetAlternates(kFour, {{2u << 24 | 0x200, kFourNumr}, {3u << 24 | 0x200, kFourDnom}});
    builder.SetAlternates(kSlash, {{1u << 24 | 0x200, kFraction}});
    test::VorlFontDescription &description = builder.AddFont();
    description.Map(0x628, kBeh);
    description.Map(0x64E, kFatha);
    description.Map(0x627, kAlef);
    description.Map('3', kThree);
    description.Map('4', kFour);
    description.Map('/', kSlash);
    description.Map(0x2044, kSlash);
    description.Map('a', kLetter);
    LoadedVorlFont font(builder.Build());
    ASSERT_TRUE(font.valid);

    const std::string beh = "\xD8\xA8";
    const std::string fatha = "\xD9\x8E";
    const std::string alef = "\xD8\xA7";
    struct Case
    {
        std::string text;
        uint32_t mask;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {beh, 0, {kBeh}},
        {beh + beh, 0, {kBehInit, kBehFina}},
        {beh + beh + beh, 0, {kBehInit, kBehMedi, kBehFina}},
        {beh + fatha + beh, 0, {kBehInit, kFatha, kBehFina}},   // a transparent mark does not break joining
        {beh + alef, 0, {kBehInit, kAlefFina}},
        {alef + beh, 0, {kAlef, kBeh}},                          // alef does not join to the next letter
        {beh + " " + beh, 0, {kBeh, 0, kBeh}},
        {"3/4", 0x200, {kThreeNumr, kFraction, kFourDnom}},
        {"34\xE2\x81\x84" "43", 0x200, {kThreeNumr, kFourNumr, kFraction, kFourDnom, kThreeDnom}},
        {"3/a", 0x200, {kThree, kSlash, kLetter}},
        {"3/", 0x200, {kThree, kSlash}},
        {"a3/4", 0x200, {kLetter, kThreeNumr, kFraction, kFourDnom}},
        {"3//4", 0x200, {kThree, kSlash, kSlash, kFour}},
        {"3/4", 0, {kThree, kSlash, kFour}},
        {"{#frac(true)}3/4", 0, {kThreeNumr, kFraction, kFourDnom}},
        {"3{#frac(true)}/4", 0, {kThree, kSlash, kFour}},
        {"3/4{#frac(false)}3", 0x200, {kThreeNumr, kFraction, kFourDnom, kThree}},
    };
    TextRunStorage storage;
    for (const Case &c : cases)
    {
        TextLayoutState state = MakeState(kTextOptionDirectives);
        state.alternateMask = c.mask;
        EXPECT_EQ(MapIndexes(storage, font, state, c.text), c.expected) << c.text;
    }
}

// Decompositions: spans, flags on the first component, the switch and the glyph limit.
TEST(GlyphMappingTest, DecompositionsExpandWithinTheGlyphLimit)
{
    VorlFontBuilder builder;
    for (int g = 0; g < 5; g++) builder.AddGlyph(0.5F);
    builder.SetDecomposition(4, {1, 2, 3});
    test::VorlFontDescription &description = builder.AddFont();
    description.Map('a', 1);
    description.Map(0xC5, 4);
    LoadedVorlFont font(builder.Build());
    ASSERT_TRUE(font.valid);

    TextRunStorage storage;
    TextLayoutState state = MakeState(kTextOptionDirectives);
    state.sequenceMask = 0;
    EXPECT_EQ(Map(storage, font, state, "\xC3\x85"), (std::vector<MappedGlyph>{{1, 0, 1}, {2, 0, 1}, {3, 0, 1}}));
    state.sequenceMask = 0x4;
    EXPECT_EQ(Map(storage, font, state, "\xC3\x85" "a"),
              (std::vector<MappedGlyph>{{1, 0, 0}, {2, 0, 0}, {3, 0, 1}, {1, 0, 1}}));
    EXPECT_EQ(Map(storage, font, state, "a{#size(20)}\xC3\x85"),
              (std::vector<MappedGlyph>{{1, 0, 1}, {0x39000001, 0, 0}, {2, 0, 0}, {3, 0, 1}}));
    state.optionFlags |= kTextOptionNoDecomposition;
    EXPECT_EQ(Map(storage, font, state, "\xC3\x85"), (std::vector<MappedGlyph>{{4, 0, 1}}));

    // 5802 decompositions fill 17406 glyphs; the next one stays whole and ends the walk.
    std::string many;
    for (int i = 0; i < 6000; i++) many += "\xC3\x85";
    state = MakeState();
    state.sequenceMask = 0;
    TextRun *run = LayoutText(font.Count(), font.fonts.data(), nullptr, &state, many.data(), int32_t(many.size()),
                              nullptr, &storage.run);
    ASSERT_EQ(run->glyphCount, kTextRunMaxGlyphs);
    EXPECT_EQ(run->glyphs[17405].glyphWord, 3u);
    EXPECT_EQ(run->glyphs[17406].glyphWord, 4u);
    EXPECT_EQ(run->glyphs[17406].characterIndex, 5802);
    EXPECT_TRUE(IsEndGlyph(run->glyphs[17407].glyphWord));
    EXPECT_EQ(run->glyphs[17407].characterIndex, 5803);
}

// Ligatures and contextual substitutions through the font's sequence lists.
class SequenceTest : public ::testing::Test
{
protected:
    enum : uint32_t
    {
        kF = 1, kI, kFi, kFf, kFfi, kX, kY, kZ, kXAlt, kW, kJ, kQ, kCycleA, kCycleB, kSelf, kGrow, kGlyphs
    };

    void SetUp() override
    {
        VorlFontBuilder builder;
        for (uint32_t g = 0; g < kGlyphs; g++) builder.AddGlyph(0.5F);
        builder.SetSequences(kF, {VorlSequenceDescription{2, {kF}, {}, {}, 0, kFf},
                                  VorlSequenceDescription{2, {kI}, {}, {}, 0, kFi}});
        builder.SetSequences(kFf, {VorlSequenceDescription{2, {kI}, {}, {}, 0, kFfi}});
        uint32_t yz = builder.AddGlyphSet({kY, kZ});
        builder.SetSequences(kX, {VorlSequenceDescription{4, {}, {yz}, {kW}, 1, kXAlt}});
        builder.SetSequences(kJ, {VorlSequenceDescription{1, {}, {}, {}, 1, kI}});
        builder.SetSequences(kQ, {VorlSequenceDescription{2, {kI}, {}, {}, 0, kX, false},
                                  VorlSequenceDescription{2, {kI}, {}, {}, 0, kFi}});
        builder.SetSequences(kCycleA, {VorlSequenceDescription{2, {}, {}, {}, 1, kCycleB}});
        builder.SetSequences(kCycleB, {VorlSequenceDescription{2, {}, {}, {}, 1, kCycleA}});
        builder.SetSequences(kSelf, {VorlSequenceDescription{2, {}, {}, {}, 1, kSelf}});
        builder.SetSequences(kGrow, {VorlSequenceDescription{2, {kGrow}, {}, {}, 0, kGrow}});
        test::VorlFontDescription &description = builder.AddFont();
        const char letters[] = "fi...xyz.wjqc.sg";
        for (uint32_t g = 1; g < kGlyphs; g++)
            if (letters[g - 1] != '.') description.Map(uint32_t(letters[g - 1]), g);
        description.Map('C', kCycleB);
        font = std::make_unique<LoadedVorlFont>(builder.Build());
        ASSERT_TRUE(font->valid);
    }

    std::vector<MappedGlyph> MapText(const std::string &text, uint32_t sequenceMask = 0x7)
    {
        TextLayoutState state = MakeState(kTextOptionDirectives);
        state.sequenceMask = sequenceMask;
        return Map(storage, *font, state, text);
    }

    std::unique_ptr<LoadedVorlFont> font;
    TextRunStorage storage;
};

TEST_F(SequenceTest, LigaturesSpanTheirCharacters)
{
    const uint32_t kState = 0x39000000;   // a size change also breaks decorations, kerning and marks
    struct Case
    {
        const char *text;
        uint32_t sequenceMask;
        std::vector<MappedGlyph> expected;
    };
    const Case cases[] = {
        {"ffi", 0x7, {{kFfi, 0, 3}}},                                   // f f -> ff, extended by i
        {"fi", 0x7, {{kFi, 0, 2}}},
        {"fif", 0x7, {{kFi, 0, 2}, {kF, 0, 1}}},
        {"ff{#size(20)}i", 0x7, {{kFf, 0, 2}, {kState | kI, 0, 1}}},      // a state change stops the match
        {"f{#size(20)}fi", 0x7, {{kF, 0, 1}, {kState | kFi, 0, 2}}},
        {"ffi", 0x1, {{kF, 0, 1}, {kF, 0, 1}, {kI, 0, 1}}},               // the class is not enabled
        {"fj", 0x3, {{kFi, 0, 2}}},                                     // composition runs first, over the whole run
        {"qi", 0x7, {{kFi, 0, 2}}},                                     // an entry without rules is skipped
        {"gggg", 0x7, {{kGrow, 0, 4}}},                                 // growth by consumed glyphs is not capped
    };
    for (const Case &c : cases) EXPECT_EQ(MapText(c.text, c.sequenceMask), c.expected) << c.text;
}

TEST_F(SequenceTest, ContextNeedsBacktrackAndLookahead)
{
    struct Case
    {
        const char *text;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"yxw", {kY, kXAlt, kW}},
        {"zxw", {kZ, kXAlt, kW}},
        {"fxw", {kF, kX, kW}},      // the backtrack glyph is not in the set
        {"xw", {kX, kW}},           // nothing written before
        {"yx", {kY, kX}},           // the lookahead meets the end of the run
        {"yxx", {kY, kX, kX}},
        {"y{#size(20)}xw", {kY, kX, kW}},   // the current glyph carries flags
        {"yx{#size(20)}w", {kY, kX, kW}},   // so does the lookahead glyph
    };
    for (const Case &c : cases)
    {
        std::vector<uint32_t> indexes;
        for (const MappedGlyph &glyph : MapText(c.text, 0x4)) indexes.push_back(GlyphIndexOf(glyph.glyphWord));
        EXPECT_EQ(indexes, c.expected) << c.text;
    }
}

TEST_F(SequenceTest, CyclicSubstitutionsEnd)
{
    for (const char *text : {"c", "C", "s", "cscsC"})
    {
        std::vector<MappedGlyph> glyphs = MapText(text);
        ASSERT_EQ(glyphs.size(), std::string(text).size()) << text;
        for (const MappedGlyph &glyph : glyphs)
        {
            uint32_t index = GlyphIndexOf(glyph.glyphWord);
            EXPECT_TRUE(index == kCycleA || index == kCycleB || index == kSelf) << text;
            EXPECT_EQ(glyph.span, 1);
        }
    }
    // A long ligature chain stops at the run's end.
    std::string long_text(5000, 'g');
    std::vector<MappedGlyph> glyphs = MapText(long_text);
    ASSERT_EQ(glyphs.size(), 1u);
    EXPECT_EQ(glyphs[0].glyphWord, uint32_t(kGrow));
}

// The sample font's 'i' holds an entry without rules: it never applies.
TEST(GlyphMappingTest, SampleEntryWithoutRulesNeverApplies)
{
    LoadedVorlFont font(test::MakeSampleVorlFont().Build());
    ASSERT_TRUE(font.valid);
    TextRunStorage storage;
    TextLayoutState state = MakeState();
    state.sequenceMask = 0xFFFF;
    state.alternateMask = 0;
    EXPECT_EQ(MapIndexes(storage, font, state, "if"), (std::vector<uint32_t>{test::kSampleI, test::kSampleF}));
    EXPECT_EQ(MapIndexes(storage, font, state, "fi"), (std::vector<uint32_t>{test::kSampleFi}));
}

// Placeholders: numbers from the state's range, never the end marker.
TEST(GlyphMappingTest, PlaceholdersStayBelowTheEndMarker)
{
    VorlFontBuilder builder;
    builder.AddGlyph(0.5F);
    builder.AddGlyph(0.5F);
    builder.AddFont().Map('a', 1);
    LoadedVorlFont font(builder.Build());
    ASSERT_TRUE(font.valid);

    TextRunStorage storage;
    TextLayoutState state = MakeState();
    state.placeholderBase = 0xF0000;
    state.placeholderCount = 0x10000;
    // U+F0000 + 0xFFFE is the last placeholder; U+F0000 + 0xFFFF is an ordinary (unmapped) character.
    EXPECT_EQ(Map(storage, font, state, "a\xF3\xBF\xBF\xBE" "a\xF3\xBF\xBF\xBF" "a"),
              (std::vector<MappedGlyph>{{1, 0, 1}, {0xFFFFFE, 0, 1}, {1, 0, 1}, {0, 0, 1}, {1, 0, 1}}));
}

// Scaling of a state by font, size, stretch, scale, offsets and script levels.
TEST(GlyphMappingTest, GlyphTransformAppliesScriptLevels)
{
    LoadedVorlFont font(test::MakeSampleVorlFont().Build());
    ASSERT_TRUE(font.valid);
    VorlFontBuilder plain;
    plain.AddGlyph();
    plain.AddFont();
    LoadedVorlFont plainFont(plain.Build());
    ASSERT_TRUE(plainFont.valid);

    struct Case
    {
        int32_t level;
        bool plainFont;
        float xScale;
        float yOffset;
    };
    // Size 10, font scale 2: 20 layout units per em. 'SUPS' 0.7 / +0.35, 'SUBS' 0.7 / -0.15.
    const Case cases[] = {
        {0, false, 20.0F, 0.0F},
        {1, false, 14.0F, 7.0F},
        {2, false, 9.8F, 11.9F},
        {5, false, 6.86F, 15.33F},
        {-1, false, 14.0F, -3.0F},
        {INT32_MIN, false, 6.86F, -6.57F},
        {INT32_MAX, false, 6.86F, 15.33F},
        {2, true, 20.0F, 0.0F},
    };
    for (const Case &c : cases)
    {
        TextFont textFont = c.plainFont ? plainFont.fonts[0] : font.fonts[0];
        textFont.fontScale = 2.0F;
        TextLayoutState state = MakeState();
        state.size = 10.0F;
        state.scriptLevel = c.level;
        GlyphPen pen{};
        pen.direction = -1.0F;
        textFont.ComputeGlyphTransform(&state, &pen);
        EXPECT_NEAR(pen.xScale, c.xScale, 1e-4F) << c.level;
        EXPECT_NEAR(pen.yScale, c.xScale, 1e-4F) << c.level;
        EXPECT_NEAR(pen.yOffset, c.yOffset, 1e-4F) << c.level;
        EXPECT_FLOAT_EQ(pen.signedXScale, -pen.xScale);
    }

    // Stretch and scale along x, offsets and the font's baseline shift.
    TextFont textFont{font.fonts[0].fontRecord, 0.5F, 0.25F};
    TextLayoutState state = MakeState();
    state.size = 8.0F;
    state.stretch = 2.0F;
    state.scale[0] = 1.5F;
    state.scale[1] = 0.5F;
    state.offset[0] = 0.5F;
    state.offset[1] = -0.125F;
    GlyphPen pen{};
    pen.direction = 1.0F;
    textFont.ComputeGlyphTransform(&state, &pen);
    EXPECT_FLOAT_EQ(pen.xScale, 12.0F);
    EXPECT_FLOAT_EQ(pen.yScale, 2.0F);
    EXPECT_FLOAT_EQ(pen.xOffset, 2.0F);
    EXPECT_FLOAT_EQ(pen.yOffset, 0.5F);
    EXPECT_FLOAT_EQ(pen.signedXScale, 12.0F);
}

TEST(GlyphMappingTest, KerningAdvanceRecordsThePartner)
{
    LoadedVorlFont font(test::MakeSampleVorlFont().Build());
    ASSERT_TRUE(font.valid);
    const VorlFontRecord *record = font.fonts[0].fontRecord;
    const VorlGlyphRecord *b = record->GetGlyphRecords() + test::kSampleB;
    GlyphPen pen{};
    pen.signedXScale = -16.0F;
    pen.kerningPartner = test::kSampleA;
    EXPECT_FLOAT_EQ(GetKerningAdvance(test::kSampleB, record, b, 0, &pen), 1.0F);
    EXPECT_EQ(pen.kerningPartner, int32_t(test::kSampleB));
    EXPECT_FLOAT_EQ(GetKerningAdvance(test::kSampleB, record, b, 0, &pen), -0.5F);
    pen.kerningPartner = test::kSampleA;
    EXPECT_FLOAT_EQ(GetKerningAdvance(test::kSampleB, record, b, kTextOptionNoKerning, &pen), 0.0F);
    EXPECT_EQ(pen.kerningPartner, int32_t(test::kSampleB));
    pen.kerningPartner = -1;
    EXPECT_FLOAT_EQ(GetKerningAdvance(test::kSampleB, record, b, 0, &pen), 0.0F);
}

// Without a scratch run the shared run holds the laid-out text; the end state is the last state.
TEST(GlyphMappingTest, LayoutTextUsesTheSharedRun)
{
    LoadedVorlFont font(test::MakeSampleVorlFont().Build());
    ASSERT_TRUE(font.valid);
    TextLayoutState state = MakeState(kTextOptionDirectives);
    TextLayoutState endState = MakeState();
    const char text[] = "AB{#size(20)}fi";
    TextRun *run = LayoutText(font.Count(), font.fonts.data(), nullptr, &state, text, -1, &endState, nullptr);
    ASSERT_EQ(run, GetSharedTextRun());
    EXPECT_EQ(GetSharedTextRun(), run);
    ASSERT_EQ(run->glyphCount, 3);
    EXPECT_EQ(run->glyphs[0].glyphWord, uint32_t(test::kSampleA));
    EXPECT_EQ(run->glyphs[2].glyphWord, 0x39000000u | test::kSampleFi);
    EXPECT_EQ(run->stateCount, 2);
    EXPECT_EQ(run->segmentCount, 1);
    EXPECT_FLOAT_EQ(endState.size, 20.0F);
    EXPECT_EQ(run->states, GetSharedTextRun()->states);

    // A directive after the last character still reaches the end state.
    const char trailing[] = "AB{#size(30)}";
    TextRunStorage storage;
    run = LayoutText(font.Count(), font.fonts.data(), nullptr, &state, trailing, -1, &endState, &storage.run);
    EXPECT_EQ(run->glyphCount, 2);
    EXPECT_EQ(run->stateCount, 2);
    EXPECT_FLOAT_EQ(endState.size, 30.0F);
}

}  // namespace
}  // namespace oq
