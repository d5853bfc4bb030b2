#include <gtest/gtest.h>

#include <cstring>

#include "RunGeometryFixture.h"
#include "vorl/geometry/GlyphList.h"
#include "vorl/geometry/GlyphListGeometry.h"
#include "vorl/geometry/LineGeometry.h"

namespace oq {
namespace {

using test::BuiltRun;

const uint32_t kBreaks[1] = {' '};
const uint32_t kForced[1] = {'\n'};

TEST(AlignTextLineTest, OffsetsByAlignmentMarginsAndIndent)
{
    struct Case
    {
        const char *name;
        TextAlignment alignment;
        uint32_t options;
        float left;
        float right;
        float indent;
        bool first;
        float expected;     // line width 40, available width 100
    };
    const Case cases[] = {
        {"centre", 'CENT', 0, 10, 0, 0, false, 30},
        {"centre with margins", 'CENT', kTextOptionParagraph, 10, 0, 0, false, 35},
        {"left", 'LEFT', 0, 5, 0, 20, true, 0},
        {"left, first line", 'LEFT', kTextOptionParagraph, 5, 0, 20, true, 25},
        {"left, other lines", 'LEFT', kTextOptionParagraph, 5, 0, 20, false, 5},
        {"right", 'RGHT', kTextOptionParagraph, 5, 7, 20, true, 53},
        {"rtl right, first line", 'RGHT', kTextOptionParagraph | kTextOptionRightToLeft, 0, 4, 6, true, 90},
        {"rtl right, other lines", 'RGHT', kTextOptionParagraph | kTextOptionRightToLeft, 0, 4, 6, false, 96},
        {"rtl left", 'LEFT', kTextOptionParagraph | kTextOptionRightToLeft, 3, 4, 6, true, 43},
        {"rtl centre", 'CENT', kTextOptionParagraph | kTextOptionRightToLeft, 10, 0, 0, false, 75},
        {"rtl right without paragraph", 'RGHT', kTextOptionRightToLeft, 0, 4, 6, true, 100},
    };
    for (const Case &c : cases)
    {
        TextLayoutState state;
        ResetTextLayoutState(&state);
        state.alignment = c.alignment;
        state.optionFlags = c.options;
        state.leftMargin = c.left;
        state.rightMargin = c.right;
        state.indent = c.indent;
        EXPECT_FLOAT_EQ(AlignTextLine(&state, 40.0F, 100.0F, c.first), c.expected) << c.name;
    }
}

class LineGeometryTest : public test::RunGeometryFixture
{
protected:
    int32_t Break(const TextRun *run, float width, TextLine *lines, int32_t maxLines = 8)
    {
        return BreakRunIntoLines(run, font.Count(), font.fonts.data(), width, 1, kBreaks, 1, kForced, 1, kBreaks,
                                 maxLines, lines, nullptr);
    }

    // Counts the lines (with the suffix when given), builds them into exact-size buffers.
    BuiltRun BuildLines(const TextRun *run, const TextLine *lines, int32_t count, float width, int32_t variant = 0,
                        const TextRun *suffix = nullptr, float *lastWidth = nullptr)
    {
        BuiltRun built;
        built.vertexCounts.assign(size_t(font.Count()), 0);
        built.triangleCounts.assign(size_t(font.Count()), 0);
        if (suffix != nullptr)
            built.drawable = CountTruncatedLinesGeometry(run, suffix, font.Count(), font.fonts.data(), 0, count, lines,
                                                         built.vertexCounts.data(), built.triangleCounts.data(),
                                                         &built.placeholderCount);
        else
            built.drawable = CountLinesGeometry(run, font.Count(), font.fonts.data(), 0, count, lines,
                                                built.vertexCounts.data(), built.triangleCounts.data(),
                                                &built.placeholderCount);
        std::vector<GeometryBuffer> buffers = built.Allocate(variant);
        const float pen[2] = {0.0F, 0.0F};
        if (suffix != nullptr)
            BuildTruncatedLinesGeometry(run, suffix, font.Count(), font.fonts.data(), 0, count, lines, pen, width, 1,
                                        kBreaks, buffers.data(), nullptr, &built.bounds, lastWidth);
        else
            BuildLinesGeometry(run, font.Count(), font.fonts.data(), 0, count, lines, pen, width, buffers.data(),
                               nullptr, &built.bounds);
        built.Collect(buffers);
        return built;
    }

    // Counts the truncated line, builds it into exact-size buffers at pen (0, 0).
    BuiltRun BuildTruncated(const TextRun *run, const TextRun *suffix, uint32_t flags, float width,
                            int32_t breakCount, bool *whole, float *position = nullptr)
    {
        BuiltRun built;
        built.vertexCounts.resize(size_t(font.Count()));
        built.triangleCounts.resize(size_t(font.Count()));
        CountTruncatedRunGeometry(run, suffix, nullptr, font.Count(), font.fonts.data(), built.vertexCounts.data(),
                                  built.triangleCounts.data(), nullptr);
        std::vector<GeometryBuffer> buffers = built.Allocate(0);
        const float pen[2] = {0.0F, 0.0F};
        *whole = BuildTruncatedRunGeometry(run, suffix, nullptr, font.Count(), font.fonts.data(), flags, pen, width,
                                           breakCount, kBreaks, buffers.data(), nullptr, &built.bounds, position,
                                           built.endPen);
        built.Collect(buffers);
        return built;
    }

    // Lays the suffix out into a run of its own.
    TextRun *LayoutSuffix(const char *text)
    {
        return LayoutText(font.Count(), font.fonts.data(), &fallback, &state, text, -1, nullptr, &suffixStorage.run);
    }

    test::TextRunStorage suffixStorage;
};

TEST_F(LineGeometryTest, BaselinesStepByTheLeadingOfEachLinesEnd)
{
    state.size = 16.0F;
    struct Case
    {
        uint32_t options;
        float spacing;
        float step;
    };
    for (const Case &c : {Case{0, 0.5F, 19.2F}, Case{kTextOptionParagraph, 0.5F, 27.2F}})
    {
        state.optionFlags = kTextOptionDirectives | c.options;
        state.paragraphSpacing = c.spacing;
        TextRun *run = Layout("a\na\na");
        TextLine lines[8];
        ASSERT_EQ(Break(run, 100.0F, lines), 3);
        BuiltRun built = BuildLines(run, lines, 3, 100.0F);
        ASSERT_EQ(built.At(0).VertexCount(), 12);
        for (int32_t n = 0; n < 3; ++n)
            EXPECT_NEAR(built.At(0).Vertex(4 * n).position[1], float(n) * c.step, 1e-4) << n;
    }
    // A size change in a line moves the next baseline by the new size.
    state.optionFlags = kTextOptionDirectives;
    TextRun *run = Layout("a{#size(10)}\na");
    TextLine lines[8];
    ASSERT_EQ(Break(run, 100.0F, lines), 2);
    BuiltRun built = BuildLines(run, lines, 2, 100.0F);
    EXPECT_NEAR(built.At(0).Vertex(4).position[1], 12.0F, 1e-4);
}

TEST_F(LineGeometryTest, EmptyLineStepsByItsFirstGlyphsState)
{
    // A line of glyph count 0 (as a caller may pass) takes the state of the glyph it starts at.
    state.optionFlags = kTextOptionDirectives;
    TextRun *run = Layout("a{#size(20)}b");
    TextLine lines[2] = {{0, -1, 0.0F, 0, 0, 0.0F, 0, 0}, {1, 1, 0.0F, 1, 0, 5.5F, 0, 0}};
    BuiltRun built = BuildLines(run, lines, 2, 100.0F);
    ASSERT_EQ(built.At(0).VertexCount(), 4);
    EXPECT_NEAR(built.At(0).Vertex(0).position[1], 12.0F, 1e-4);   // the state of glyph 0, size 10
}

TEST_F(LineGeometryTest, LinesAreAlignedInTheAvailableWidth)
{
    for (TextAlignment alignment : {uint32_t('LEFT'), uint32_t('RGHT'), uint32_t('CENT')})
    {
        SCOPED_TRACE(alignment);
        state.alignment = alignment;
        TextRun *run = Layout("ab ab ab");
        TextLine lines[8];
        int32_t count = Break(run, 25.0F, lines);
        ASSERT_EQ(count, 2);
        BuiltRun built = BuildLines(run, lines, count, 40.0F);
        test::ExpectWithinCounts(built, true);
        // The second line ("ab", 10 wide) begins at its aligned offset.
        float expected = alignment == 'LEFT' ? 0.0F : alignment == 'RGHT' ? 30.0F : 15.0F;
        EXPECT_FLOAT_EQ(built.At(0).Vertex(16).position[0], expected + 0.5F);
    }
}

TEST_F(LineGeometryTest, TruncatedLine)
{
    // "ab ab" is 22.5 wide; the suffix "d" 5.
    TextRun *suffix = LayoutSuffix("d");
    struct Case
    {
        const char *name;
        float width;
        uint32_t flags;
        bool whole;
        int32_t quads;          // glyph quads written, suffix included
        float suffixLeft;       // x of the suffix quad's left edge, or of the last quad
        float lineX;
    };
    const Case cases[] = {
        {"fits", 30.0F, 0, true, 4, 17.5F, 0.0F},
        {"fits, suffix anyway", 30.0F, kTruncateAlwaysSuffix, false, 5, 23.0F, 0.0F},
        {"cut before the space", 20.0F, 0, false, 3, 10.5F, 0.0F},
        {"nothing fits", 4.0F, 0, false, 1, 0.5F, 0.0F},
        {"nothing fits, right aligned", 4.0F, kTruncateAlign, false, 1, -0.5F, -1.0F},
        {"cut, right aligned", 20.0F, kTruncateAlign, false, 3, 15.5F, 5.0F},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        state.alignment = c.flags & kTruncateAlign ? 'RGHT' : 'LEFT';
        float position[2];
        bool whole = false;
        BuiltRun built = BuildTruncated(Layout("ab ab"), suffix, c.flags, c.width, 1, &whole, position);
        test::ExpectWithinCounts(built, false);
        EXPECT_EQ(whole, c.whole);
        ASSERT_EQ(built.At(0).VertexCount(), 4 * c.quads);
        EXPECT_FLOAT_EQ(built.At(0).Vertex(4 * (c.quads - 1)).position[0], c.suffixLeft);
        EXPECT_FLOAT_EQ(position[0], c.lineX);
    }
}

TEST_F(LineGeometryTest, TruncatedTextForm)
{
    const float pen[2] = {0.0F, 0.0F};
    int32_t vertices[2];
    int32_t triangles[2];
    CountTruncatedTextGeometry(font.Count(), font.fonts.data(), &fallback, &state, "ab ab", 5, "d", vertices,
                               triangles, &storage.run);
    BuiltRun built;
    built.vertexCounts.assign(vertices, vertices + 2);
    built.triangleCounts.assign(triangles, triangles + 2);
    std::vector<GeometryBuffer> buffers = built.Allocate(1);
    float position[2];
    EXPECT_FALSE(BuildTruncatedTextGeometry(font.Count(), font.fonts.data(), &fallback, &state, "ab ab", 5, "d", 0,
                                            pen, 20.0F, 1, kBreaks, buffers.data(), nullptr, &built.bounds, position,
                                            built.endPen, &storage.run));
    built.Collect(buffers);
    test::ExpectWithinCounts(built, false);
    ASSERT_EQ(built.At(0).VertexCount(), 12);
    EXPECT_FLOAT_EQ(built.At(0).Vertex(8).position[0], 10.5F);
    EXPECT_FLOAT_EQ(built.endPen[0], 15.0F);
}

TEST_F(LineGeometryTest, TruncatedBlockFitsTheCountWithItsSuffix)
{
    // The last line always carries the suffix, which the plain line count leaves out.
    TextRun *suffix = LayoutSuffix("{#under(true)}dd");
    for (int32_t variant = 0; variant < 4; ++variant)
        for (float width : {25.0F, 40.0F, 12.0F})
        {
            SCOPED_TRACE(testing::Message() << variant << " " << width);
            TextRun *run = Layout("{#center}ab ab{#under(true)}\xC2\xAD" "ab c x\n\xF0\x9F\x98\x80 ab");
            TextLine lines[8];
            int32_t count = Break(run, width, lines);
            ASSERT_GT(count, 1);
            float lastWidth = -1.0F;
            BuiltRun built = BuildLines(run, lines, count, width, variant, suffix, &lastWidth);
            test::ExpectWithinCounts(built, false);
            EXPECT_GT(lastWidth, 0.0F);
        }
    // Lines that fit whole: the block writes more than the plain line count.
    TextRun *run = Layout("ab\nab");
    TextLine lines[8];
    ASSERT_EQ(Break(run, 100.0F, lines), 2);
    int32_t plain[2];
    int32_t plainTriangles[2];
    CountLinesGeometry(run, font.Count(), font.fonts.data(), 0, 2, lines, plain, plainTriangles, nullptr);
    float lastWidth = 0.0F;
    BuiltRun built = BuildLines(run, lines, 2, 100.0F, 0, suffix, &lastWidth);
    test::ExpectWithinCounts(built, true);
    EXPECT_EQ(plain[0], 16);
    EXPECT_EQ(built.At(0).VertexCount(), 16 + 8 + 4);   // two glyphs and the underline of the suffix
    EXPECT_FLOAT_EQ(lastWidth, 20.0F);
}

TEST_F(LineGeometryTest, SoftHyphenAtACutIsCounted)
{
    // The cut ends at the soft hyphen, which a prefix draws as its last glyph.
    state.optionFlags = kTextOptionDirectives | kTextOptionSoftHyphen;
    TextRun *suffix = LayoutSuffix("d");
    bool whole = true;
    BuiltRun built = BuildTruncated(Layout("ab\xC2\xAD" "abab"), suffix, 0, 19.0F, 0, &whole);
    EXPECT_FALSE(whole);
    test::ExpectWithinCounts(built, false);
    EXPECT_EQ(built.At(0).VertexCount(), 16);   // a, b, the hyphen, the suffix
}

TEST_F(LineGeometryTest, LinesGlyphListDrawsLikeTheLines)
{
    state.alignment = 'CENT';
    state.optionFlags = kTextOptionDirectives | kTextOptionParagraph;
    state.paragraphSpacing = 0.5F;
    state.indent = 3.0F;
    TextRun *run = Layout("ab ab x\nb{#size(14)}a\xCC\x8A ab");
    TextLine lines[8];
    int32_t count = Break(run, 25.0F, lines);
    ASSERT_GE(count, 3);
    BuiltRun built = BuildLines(run, lines, count, 40.0F);
    test::ExpectWithinCounts(built, true);

    size_t capacity = size_t(built.drawable);
    std::vector<uint8_t> fonts(capacity);
    std::vector<uint32_t> glyphs(capacity);
    std::vector<float> positions(2 * capacity);
    std::vector<Matrix2D> matrices(capacity);
    std::vector<uint8_t> colors(4 * capacity);
    const float pen[2] = {0.0F, 0.0F};
    int32_t listed = GetLinesGlyphList(run, font.Count(), font.fonts.data(), 0, count, lines, pen, 40.0F,
                                       fonts.data(), glyphs.data(), positions.data(), matrices.data(), colors.data(),
                                       nullptr);
    ASSERT_EQ(listed, built.drawable);
    std::vector<ColorRGBA> floatColors(capacity);
    EXPECT_EQ(GetTextLinesGlyphListFloat(font.Count(), font.fonts.data(), &fallback, &state,
                                         "ab ab x\nb{#size(14)}a\xCC\x8A ab", 0, count, lines, pen, 40.0F, nullptr,
                                         glyphs.data(), positions.data(), nullptr, floatColors.data(), nullptr,
                                         &storage.run),
              listed);

    BuiltRun drawn;
    drawn.vertexCounts.resize(2);
    drawn.triangleCounts.resize(2);
    CountGlyphListGeometry(font.Count(), font.fonts.data(), &state, listed, fonts.data(), glyphs.data(),
                           drawn.vertexCounts.data(), drawn.triangleCounts.data());
    std::vector<GeometryBuffer> buffers = drawn.Allocate(0);
    BuildGlyphListGeometry(font.fonts.data(), &state, listed, fonts.data(), glyphs.data(), positions.data(),
                           matrices.data(), nullptr, buffers.data(), &drawn.bounds);
    drawn.Collect(buffers);
    for (int32_t f = 0; f < 2; ++f)
    {
        ASSERT_EQ(drawn.At(f).VertexCount(), built.At(f).VertexCount());
        for (int32_t i = 0; i < drawn.At(f).VertexCount(); ++i)
        {
            EXPECT_EQ(drawn.At(f).Vertex(i).position[0], built.At(f).Vertex(i).position[0]) << i;
            EXPECT_EQ(drawn.At(f).Vertex(i).position[1], built.At(f).Vertex(i).position[1]) << i;
        }
    }
}

}  // namespace
}  // namespace oq
