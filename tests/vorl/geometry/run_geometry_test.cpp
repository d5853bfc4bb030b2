#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "RunGeometryFixture.h"
#include "vorl/geometry/GlyphGeometry.h"
#include "vorl/geometry/GlyphList.h"

namespace oq {
namespace {

using test::BuiltRun;
using test::CapturedVertex;
using test::GeometryCapture;

const float kPlaceholderWidths[2] = {20.0F, 6.0F};

class RunGeometryTest : public test::RunGeometryFixture
{
protected:
    // Object-space x of a quad's first vertex (em min x of the box at the glyph's position).
    static float QuadLeft(const GeometryCapture &capture, int32_t quad) { return capture.Vertex(4 * quad).position[0]; }
};

TEST_F(RunGeometryTest, PlainRunCountsAndBuildsQuads)
{
    BuiltRun built = Build(Layout("abd"));
    EXPECT_EQ(built.drawable, 3);
    EXPECT_EQ(built.vertexCounts[0], 12);
    EXPECT_EQ(built.triangleCounts[0], 6);
    EXPECT_EQ(built.vertexCounts[1], 0);
    EXPECT_EQ(built.At(0).VertexCount(), 12);
    EXPECT_EQ(built.At(0).TriangleCount(), 6);
    // 'a' at 0, 'b' kerned by -0.05 em to 4.5, 'd' at 4.5 + 5.5; boxes start 0.05 em in.
    EXPECT_FLOAT_EQ(QuadLeft(built.At(0), 0), 0.5F);
    EXPECT_FLOAT_EQ(QuadLeft(built.At(0), 1), 5.0F);
    EXPECT_FLOAT_EQ(QuadLeft(built.At(0), 2), 10.5F);
    EXPECT_FLOAT_EQ(built.endPen[0], 15.0F);
    EXPECT_FLOAT_EQ(built.bounds.min.x, 0.5F);
    EXPECT_FLOAT_EQ(built.bounds.max.x, 14.5F);
    EXPECT_FLOAT_EQ(built.bounds.min.y, -7.5F);
    EXPECT_FLOAT_EQ(built.bounds.max.y, 0.0F);
}

TEST_F(RunGeometryTest, ShadowCopiesComeFirst)
{
    state.effect = 'SHAD';
    state.shadowOffset[0] = 0.1F;
    state.shadowOffset[1] = 0.2F;
    BuiltRun built = Build(Layout("abd"));
    EXPECT_EQ(built.vertexCounts[0], 24);
    EXPECT_EQ(built.triangleCounts[0], 12);
    ASSERT_EQ(built.At(0).VertexCount(), 24);
    for (int32_t glyph = 0; glyph < 3; ++glyph)
    {
        CapturedVertex shadow = built.At(0).Vertex(4 * glyph);
        CapturedVertex plain = built.At(0).Vertex(12 + 4 * glyph);
        EXPECT_FLOAT_EQ(shadow.position[0], plain.position[0] + 1.0F);
        EXPECT_FLOAT_EQ(shadow.position[1], plain.position[1] + 2.0F);
        EXPECT_EQ(shadow.colorBytes[0], 128);
        EXPECT_EQ(plain.colorBytes[2], 255);
        EXPECT_EQ(plain.colorBytes[0], 0);
    }
}

TEST_F(RunGeometryTest, OutlineAndShadowDrawEachGlyphThreeTimes)
{
    state.effect = 'OLSH';
    state.shadowOffset[0] = 0.1F;
    state.outlineOffset[1] = -0.1F;
    BuiltRun built = Build(Layout("a"));
    EXPECT_EQ(built.vertexCounts[0], 12);
    ASSERT_EQ(built.At(0).VertexCount(), 12);
    // Outline record (grown by 1/32 em) at the shadow offset, then at the outline offset, then
    // the glyph itself.
    const float left = 0.5F - 0.3125F;
    CapturedVertex shadow = built.At(0).Vertex(0);
    CapturedVertex outline = built.At(0).Vertex(4);
    CapturedVertex plain = built.At(0).Vertex(8);
    EXPECT_FLOAT_EQ(shadow.position[0], left + 1.0F);
    EXPECT_FLOAT_EQ(shadow.position[1], 0.3125F);
    EXPECT_EQ(shadow.colorBytes[0], 128);
    EXPECT_FLOAT_EQ(outline.position[0], left);
    EXPECT_FLOAT_EQ(outline.position[1], 0.3125F - 1.0F);
    EXPECT_EQ(outline.colorBytes[0], 255);
    EXPECT_FLOAT_EQ(plain.position[0], 0.5F);
    EXPECT_EQ(plain.colorBytes[2], 255);

    // The outline record of 'd' has no band data: only the glyph and its... nothing else.
    BuiltRun d = Build(Layout("d"));
    EXPECT_EQ(d.vertexCounts[0], 4);
    EXPECT_EQ(d.At(0).VertexCount(), 4);
}

TEST_F(RunGeometryTest, EffectPassesFollowTheFontsOutlineRecords)
{
    test::LoadedVorlFont plainFont(test::MakeGeometryTestFont(false).Build());
    ASSERT_TRUE(plainFont.valid);
    struct Case
    {
        TextEffect effect;
        bool outlines;
        int32_t vertices;   // for "ab"
    };
    const Case cases[] = {
        {'OTLN', true, 16}, {'OTLN', false, 8}, {'OLSH', true, 24}, {'OLSH', false, 16}, {'SHAD', true, 16},
        {'SHAD', false, 16}, {0, true, 8},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << std::hex << c.effect << " " << c.outlines);
        state.effect = c.effect;
        const test::LoadedVorlFont *loaded = c.outlines ? &font : &plainFont;
        BuiltRun built = Build(Layout("ab", loaded), nullptr, 0, loaded);
        EXPECT_EQ(built.vertexCounts[0], c.vertices);
        EXPECT_EQ(built.At(0).VertexCount(), c.vertices);
    }
}

TEST_F(RunGeometryTest, ColourLayers)
{
    struct Case
    {
        const char *text;
        uint32_t options;
        TextEffect effect;
        int32_t vertices;
        uint8_t firstColor[4];
    };
    const Case cases[] = {
        // Two layers with band data (the red hexagon, the green quad); the third has none.
        {"\xF0\x9F\x98\x80", 0, 0, 10, {255, 0, 0, 255}},
        {"\xF0\x9F\x98\x80", 0, 'SHAD', 10, {255, 0, 0, 255}},
        {"\xF0\x9F\x98\x80", kTextOptionLayerMultiply, 0, 10, {0, 0, 0, 255}},   // red x blue
        {"\xF0\x9F\x98\x80", kTextOptionNoLayers, 0, 4, {0, 0, 255, 255}},
    };
    state.geometryType = 'POLY';
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.options);
        state.optionFlags = kTextOptionDirectives | c.options;
        state.effect = c.effect;
        BuiltRun built = Build(Layout(c.text));
        EXPECT_EQ(built.vertexCounts[0], c.vertices);
        ASSERT_EQ(built.At(0).VertexCount(), c.vertices);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(built.At(0).Vertex(0).colorBytes[k], c.firstColor[k]) << k;
    }
    // The green layer's alpha byte replaces the white paint's alpha.
    state.optionFlags = kTextOptionDirectives;
    state.effect = 0;
    BuiltRun built = Build(Layout("\xF0\x9F\x98\x80"));
    EXPECT_EQ(built.At(0).Vertex(6).colorBytes[3], 128);
    EXPECT_EQ(built.At(0).Vertex(6).colorBytes[1], 255);
}

TEST_F(RunGeometryTest, UnderlineStretches)
{
    state.tracking = 0.1F;
    BuiltRun one = Build(Layout("{#under(true)}ab"));
    ASSERT_EQ(one.vertexCounts[0], 12);
    ASSERT_EQ(one.At(0).VertexCount(), 12);
    // After the glyphs: from 0 to the pen less the last tracking (4.5 + 5.5 + 1 + 1 - 1).
    CapturedVertex start = one.At(0).Vertex(8);
    CapturedVertex end = one.At(0).Vertex(9);
    EXPECT_FLOAT_EQ(start.position[0], 0.0F);
    EXPECT_FLOAT_EQ(end.position[0], 11.0F);
    EXPECT_FLOAT_EQ(start.position[1], 1.0F);   // 0.1 em below the baseline

    // A state change that keeps the underline but breaks decorations (a new size) splits it
    // into two rectangles that meet.
    BuiltRun two = Build(Layout("{#under(true)}a{#size(10)}b"));
    ASSERT_EQ(two.vertexCounts[0], 16);
    ASSERT_EQ(two.At(0).VertexCount(), 16);
    EXPECT_FLOAT_EQ(two.At(0).Vertex(4).position[0], 0.0F);
    EXPECT_FLOAT_EQ(two.At(0).Vertex(5).position[0], 6.0F);
    EXPECT_FLOAT_EQ(two.At(0).Vertex(12).position[0], 6.0F);

    // Turned off together with a break (a new size): it still stops short of the last tracking.
    BuiltRun off = Build(Layout("{#under(true)}a{#under(false);size(10)}b"));
    ASSERT_EQ(off.At(0).VertexCount(), 12);
    EXPECT_FLOAT_EQ(off.At(0).Vertex(5).position[0], 5.0F);

    // A state change that keeps the underline without the break bit (tracking) keeps one.
    BuiltRun kept = Build(Layout("{#under(true)}a{#track(0.1)}b"));
    EXPECT_EQ(kept.vertexCounts[0], 12);
    EXPECT_EQ(kept.At(0).VertexCount(), 12);
}

TEST_F(RunGeometryTest, DecorationsOfFontsWithoutItemsAreCountedNotBuilt)
{
    // 'x' maps only in font 1, which has no 'UNDR'.
    BuiltRun built = Build(Layout("{#under(true)}x"));
    EXPECT_EQ(built.vertexCounts[1], 8);
    EXPECT_EQ(built.At(1).VertexCount(), 4);
    EXPECT_EQ(built.vertexCounts[0], 0);
}

TEST_F(RunGeometryTest, PenWalk)
{
    state.placeholderCount = 2;
    state.placeholderWidths = kPlaceholderWidths;
    struct Case
    {
        const char *name;
        const char *text;
        uint32_t options;
        float tracking;
        int32_t drawable;
        int32_t vertices;
        float endX;
    };
    const Case cases[] = {
        {"space advances without geometry", "a b", 0, 0, 3, 8, 13.0F},
        {"tab from 10 to the stop at 64", "\x09", kTextOptionTabs, 0, 0, 0, 64.0F},
        {"tab after a glyph", "a\x09", kTextOptionTabs, 0, 1, 4, 64.0F},
        {"tab needs the option", "a\x09", 0, 0, 1, 4, 5.0F},
        {"placeholder", "\xF3\xB0\x80\x80", 0, 0.1F, 0, 0, 21.0F},
        {"grid placeholder moves by the tracking", "\xF3\xB0\x80\x80", kTextOptionGrid, 0.1F, 0, 0, 1.0F},
        {"soft hyphen inside is skipped", "a\xC2\xAD" "a", kTextOptionSoftHyphen, 0, 2, 8, 10.0F},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        state.optionFlags = kTextOptionDirectives | c.options;
        state.tracking = c.tracking;
        BuiltRun built = Build(Layout(c.text));
        EXPECT_EQ(built.drawable, c.drawable);
        EXPECT_EQ(built.vertexCounts[0], c.vertices);
        EXPECT_EQ(built.At(0).VertexCount(), c.vertices);
        EXPECT_FLOAT_EQ(built.endPen[0], c.endX);
    }
}

TEST_F(RunGeometryTest, TabStops)
{
    state.optionFlags = kTextOptionDirectives | kTextOptionTabs;
    const float pen[2] = {100.0F, 0.0F};
    // The tab at x0 + 10 goes to x0 + 64; one at x0 + 64 exactly to x0 + 128.
    state.tracking = 0.5F;   // 'a' then advances 5 + 5
    BuiltRun first = Build(Layout("a\x09"), nullptr, 0, nullptr, pen);
    EXPECT_FLOAT_EQ(first.endPen[0], 164.0F);
    state.tracking = 0.0F;
    state.tabWidth = 5.0F;
    BuiltRun exact = Build(Layout("a\x09"), nullptr, 0, nullptr, pen);
    EXPECT_FLOAT_EQ(exact.endPen[0], 110.0F);
}

TEST_F(RunGeometryTest, SoftHyphenAtTheRangeEndIsDrawn)
{
    state.optionFlags = kTextOptionDirectives | kTextOptionSoftHyphen;
    TextRun *run = Layout("a\xC2\xAD" "a");
    GlyphRange range = {0, 1, 0.0F};
    BuiltRun built = Build(run, &range);
    EXPECT_EQ(built.drawable, 2);
    EXPECT_EQ(built.At(0).VertexCount(), 8);
    EXPECT_FLOAT_EQ(built.endPen[0], 8.5F);
    state.optionFlags = kTextOptionDirectives;
    run = Layout("a\xC2\xAD" "a");
    BuiltRun hidden = Build(run, &range);
    EXPECT_EQ(hidden.drawable, 1);
    EXPECT_EQ(hidden.At(0).VertexCount(), 4);
}

TEST_F(RunGeometryTest, PlaceholderPositions)
{
    state.placeholderCount = 1;
    state.placeholderWidths = kPlaceholderWidths;
    state.tracking = 0.1F;
    BuiltRun built = Build(Layout("a\xF3\xB0\x80\x80" "b"));
    ASSERT_EQ(built.placeholders.size(), 1u);
    EXPECT_EQ(built.placeholders[0].position, 1);
    EXPECT_EQ(built.placeholders[0].number, 0);
    EXPECT_FLOAT_EQ(built.placeholders[0].x, 6.0F);
    EXPECT_FLOAT_EQ(built.placeholders[0].y, 0.0F);
    // 'b' after the placeholder: no kerning against 'a'.
    EXPECT_FLOAT_EQ(QuadLeft(built.At(0), 1), 27.0F + 0.5F);

    state.optionFlags = kTextOptionDirectives | kTextOptionGrid;
    BuiltRun grid = Build(Layout("\xF3\xB0\x80\x80"));
    ASSERT_EQ(grid.placeholders.size(), 1u);
    EXPECT_FLOAT_EQ(grid.placeholders[0].x, -10.0F);
    EXPECT_FLOAT_EQ(grid.endPen[0], 1.0F);
}

TEST_F(RunGeometryTest, MarksAttachToAnchors)
{
    const char *text = "a\xCC\x8A\xCC\x8A";   // a, ring, ring
    BuiltRun built = Build(Layout(text));
    ASSERT_EQ(built.At(0).VertexCount(), 12);
    EXPECT_FLOAT_EQ(built.endPen[0], 5.0F);
    // The first ring's anchor (0.2, 0.6) meets 'a' at (0.25, 0.55): moved by (0.5, -0.5) layout,
    // so its box min (0.1, 0.6) lands at (1.5, -5.5); the second sits on the first's (0.2, 0.8).
    CapturedVertex first = built.At(0).Vertex(4);
    CapturedVertex second = built.At(0).Vertex(8);
    EXPECT_FLOAT_EQ(first.position[0], 1.5F);
    EXPECT_FLOAT_EQ(first.position[1], -5.5F);
    EXPECT_FLOAT_EQ(second.position[0], 1.5F);
    EXPECT_FLOAT_EQ(second.position[1], -7.5F);

    state.optionFlags = kTextOptionDirectives | kTextOptionNoMarks;
    BuiltRun loose = Build(Layout(text));
    EXPECT_FLOAT_EQ(loose.At(0).Vertex(4).position[0], 6.0F);
    EXPECT_FLOAT_EQ(loose.At(0).Vertex(8).position[0], 6.0F);
    EXPECT_FLOAT_EQ(loose.At(0).Vertex(8).position[1], -6.0F);
}

TEST_F(RunGeometryTest, RightToLeftSegments)
{
    // Two alefs (6 each) between 'a' and 'b': the segment is drawn from 5 + 12 leftwards and the
    // pen goes on at 17.
    state.optionFlags = kTextOptionDirectives | kTextOptionBidirectional;
    state.underline = true;
    BuiltRun built = Build(Layout("a\xD7\x90\xD7\x90" "b"));
    ASSERT_EQ(built.At(0).VertexCount(), 16 + 12);
    EXPECT_FLOAT_EQ(QuadLeft(built.At(0), 0), 0.5F);
    EXPECT_FLOAT_EQ(QuadLeft(built.At(0), 1), 0.0F);   // underline of 'a', closed at the segment
    EXPECT_FLOAT_EQ(built.At(0).Vertex(5).position[0], 5.0F);
    EXPECT_FLOAT_EQ(QuadLeft(built.At(0), 2), 11.5F);
    EXPECT_FLOAT_EQ(QuadLeft(built.At(0), 3), 5.5F);
    // The segment's underline runs from its far end back to where its last glyph ends.
    EXPECT_FLOAT_EQ(built.At(0).Vertex(16).position[0], 5.0F);
    EXPECT_FLOAT_EQ(built.At(0).Vertex(17).position[0], 17.0F);
    EXPECT_FLOAT_EQ(QuadLeft(built.At(0), 5), 17.5F);
    EXPECT_FLOAT_EQ(built.endPen[0], 22.5F);

    // A right-to-left base direction: the pen moves left, kerning included.
    state.optionFlags = kTextOptionDirectives | kTextOptionRightToLeft;
    state.underline = false;
    BuiltRun rtl = Build(Layout("ab"));
    EXPECT_FLOAT_EQ(QuadLeft(rtl.At(0), 0), -4.5F);
    EXPECT_FLOAT_EQ(QuadLeft(rtl.At(0), 1), -9.5F);
    EXPECT_FLOAT_EQ(rtl.endPen[0], -10.0F);
}

TEST_F(RunGeometryTest, TextFormsLayOutMapAndBuildTheWholeText)
{
    const char *text = "ab{#size(20);under(true)}dx";
    BuiltRun run = Build(Layout(text));
    int32_t vertices[2];
    int32_t triangles[2];
    TextLayoutState endState;
    EXPECT_EQ(CountTextGeometry(font.Count(), font.fonts.data(), &fallback, &state, text, -1, vertices, triangles,
                                &endState, nullptr),
              run.drawable);
    EXPECT_EQ(vertices[0], run.vertexCounts[0]);
    EXPECT_EQ(vertices[1], run.vertexCounts[1]);
    EXPECT_EQ(endState.size, 20.0F);
    EXPECT_TRUE(endState.underline);

    // Built through the shared scratch run into the same exact-size buffers.
    BuiltRun again;
    again.vertexCounts.assign(vertices, vertices + 2);
    again.triangleCounts.assign(triangles, triangles + 2);
    std::vector<GeometryBuffer> buffers = again.Allocate(2);
    const float pen[2] = {0.0F, 0.0F};
    BuildTextGeometry(font.Count(), font.fonts.data(), &fallback, &state, text, -1, pen, buffers.data(),
                      &again.bounds, again.endPen, nullptr, nullptr);
    again.Collect(buffers);
    test::ExpectWithinCounts(again, false);   // font 1 has no 'UNDR' for the underline of 'x'
    EXPECT_EQ(again.At(0).VertexCount(), vertices[0]);
    EXPECT_EQ(again.At(1).VertexCount(), 4);
    EXPECT_EQ(again.endPen[0], run.endPen[0]);
    EXPECT_EQ(again.bounds.max.x, run.bounds.max.x);
    EXPECT_EQ(again.At(0).Vertex(5).position[0], run.At(0).Vertex(5).position[0]);
}

TEST_F(RunGeometryTest, EmptyRangeAndNoBuffers)
{
    TextRun *run = Layout("ab");
    GlyphRange empty = {1, 0, 0.0F};
    BuiltRun built = Build(run, &empty);
    EXPECT_EQ(built.drawable, 0);
    EXPECT_EQ(built.vertexCounts[0], 0);
    EXPECT_EQ(built.bounds.min.x, FloatMaxFinite);
    EXPECT_EQ(built.bounds.max.y, -FloatMaxFinite);

    // Without buffers: the same bounds and end pen as a build.
    BuiltRun full = Build(run);
    Box2D bounds;
    float endPen[2];
    const float pen[2] = {0.0F, 0.0F};
    BuildRunGeometry(run, nullptr, font.Count(), font.fonts.data(), pen, nullptr, nullptr, &bounds, endPen);
    EXPECT_EQ(bounds.min.x, full.bounds.min.x);
    EXPECT_EQ(bounds.max.y, full.bounds.max.y);
    EXPECT_EQ(endPen[0], full.endPen[0]);
}

TEST_F(RunGeometryTest, ClippedGlyphsBecomeQuadsOfTheirVisiblePart)
{
    state.geometryType = 'POLY';
    state.optionFlags = kTextOptionDirectives | kTextOptionClipX;
    const float clip[4] = {3.0F, -100.0F, 100.0F, 100.0F};
    std::memcpy(state.clipRect, clip, sizeof(clip));
    // 'c' (triangle) counts 4 under clipping; cut at x = 3 it is drawn as a quad from there.
    BuiltRun built = Build(Layout("c"));
    EXPECT_EQ(built.vertexCounts[0], 4);
    ASSERT_EQ(built.At(0).VertexCount(), 4);
    EXPECT_FLOAT_EQ(built.At(0).Vertex(0).position[0], 3.0F);
    EXPECT_EQ(built.At(0).Vertex(0).normal[0], 0.0F);
    // Uncut, the triangle writes 3 of its 4 counted vertices.
    state.clipRect[0] = -100.0F;
    BuiltRun whole = Build(Layout("c"));
    EXPECT_EQ(whole.At(0).VertexCount(), 3);
    EXPECT_EQ(whole.At(0).TriangleCount(), 1);
}

using GlyphListTest = test::RunGeometryFixture;

TEST_F(GlyphListTest, ListsEveryPlacedGlyph)
{
    TextRun *run = Layout("ab cx");
    test::GlyphListArrays list = ListRun(run);
    ASSERT_EQ(list.count, 5);
    const uint32_t glyphs[5] = {test::kGeometryA, test::kGeometryB, test::kGeometrySpace, test::kGeometryC,
                                test::kGeometryB};
    const uint8_t fonts[5] = {0, 0, 0, 0, 1};
    const float x[5] = {0.0F, 4.5F, 10.0F, 12.5F, 17.0F};
    for (int32_t j = 0; j < 5; ++j)
    {
        SCOPED_TRACE(j);
        EXPECT_EQ(list.glyphs[size_t(j)], glyphs[j]);
        EXPECT_EQ(list.fonts[size_t(j)], fonts[j]);
        EXPECT_FLOAT_EQ(list.positions[2 * size_t(j)], x[j]);
        EXPECT_EQ(list.positions[2 * size_t(j) + 1], 0.0F);
        EXPECT_EQ(list.matrices[size_t(j)](0, 0), 10.0F);
        EXPECT_EQ(list.matrices[size_t(j)](1, 1), 10.0F);
        EXPECT_EQ(list.matrices[size_t(j)](0, 1), 0.0F);
        // The fill colour, blue, as sRGB bytes.
        EXPECT_EQ(list.colors[4 * size_t(j) + 2], 255);
        EXPECT_EQ(list.colors[4 * size_t(j)], 0);
    }
    EXPECT_FLOAT_EQ(list.endPen[0], 22.5F);

    // Only the glyph indexes and positions are required.
    uint32_t glyphIndexes[5];
    float positions[10];
    const float pen[2] = {1.0F, 2.0F};
    EXPECT_EQ(GetRunGlyphList(run, nullptr, font.Count(), font.fonts.data(), pen, nullptr, glyphIndexes, positions,
                              nullptr, nullptr, nullptr, nullptr),
              5);
    EXPECT_FLOAT_EQ(positions[8], 18.0F);
    EXPECT_FLOAT_EQ(positions[9], 2.0F);
    // The run's method form forwards.
    EXPECT_EQ(run->GetGlyphList(nullptr, font.Count(), font.fonts.data(), pen, nullptr, glyphIndexes, positions,
                                nullptr, nullptr, nullptr, nullptr),
              5);
    EXPECT_FLOAT_EQ(positions[8], 18.0F);
}

TEST_F(GlyphListTest, PlaceholdersAreListedAsTheBuildPlacesThem)
{
    state.placeholderCount = 2;
    state.placeholderWidths = kPlaceholderWidths;
    state.tracking = 0.1F;
    TextRun *run = Layout("a\xF3\xB0\x80\x80" "b\xF3\xB0\x80\x81{#size(20)}d");
    BuiltRun built = Build(run);
    ASSERT_EQ(built.placeholders.size(), 2u);
    uint32_t glyphs[8];
    float positions[16];
    PlaceholderPosition listed[3];
    PlaceholderPosition *next = listed;
    const float pen[2] = {0.0F, 0.0F};
    float endPen[2];
    EXPECT_EQ(GetRunGlyphList(run, nullptr, font.Count(), font.fonts.data(), pen, nullptr, glyphs, positions, nullptr,
                              nullptr, &next, endPen),
              3);
    ASSERT_EQ(next - listed, 2);
    for (int k = 0; k < 2; ++k)
    {
        EXPECT_EQ(listed[k].position, built.placeholders[size_t(k)].position);
        EXPECT_EQ(listed[k].number, built.placeholders[size_t(k)].number);
        EXPECT_EQ(listed[k].x, built.placeholders[size_t(k)].x);
        EXPECT_EQ(listed[k].y, built.placeholders[size_t(k)].y);
    }
    EXPECT_EQ(listed[1].number, 1);
    EXPECT_EQ(endPen[0], built.endPen[0]);
}

TEST_F(GlyphListTest, MarksLayersAndRotatedGlyphs)
{
    state.skew = 0.25F;
    test::GlyphListArrays marks = ListRun(Layout("a\xCC\x8A"));
    ASSERT_EQ(marks.count, 2);
    // dy = (0.55 - 0.6) x 10 moves x by dy x skew.
    EXPECT_FLOAT_EQ(marks.positions[2], 0.5F - 0.5F * 0.25F);
    EXPECT_FLOAT_EQ(marks.positions[3], 0.5F);
    EXPECT_EQ(marks.matrices[1](0, 1), 2.5F);   // M, not turned
    state.skew = 0.0F;
    state.optionFlags = kTextOptionDirectives | kTextOptionNoMarks;
    test::GlyphListArrays loose = ListRun(Layout("a\xCC\x8A"));
    EXPECT_FLOAT_EQ(loose.positions[2], 5.0F);
    EXPECT_FLOAT_EQ(loose.positions[3], 0.0F);

    struct Case
    {
        uint32_t options;
        uint8_t red;
    };
    for (const Case &c : {Case{0, 255}, Case{kTextOptionNoLayers, 0}, Case{kTextOptionLayerMultiply, 0}})
    {
        state.optionFlags = kTextOptionDirectives | c.options;
        test::GlyphListArrays layers = ListRun(Layout("\xF0\x9F\x98\x80"));
        ASSERT_EQ(layers.count, 1);
        EXPECT_EQ(layers.glyphs[0], test::kGeometrySmile);
        EXPECT_EQ(layers.colors[0], c.red) << c.options;
    }

    state.optionFlags = kTextOptionDirectives | kTextOptionVertical;
    test::GlyphListArrays vertical = ListRun(Layout("\xE4\xB8\x80" "a"));
    ASSERT_EQ(vertical.count, 2);
    EXPECT_EQ(vertical.matrices[0](0, 0), 0.0F);
    EXPECT_EQ(vertical.matrices[0](0, 1), -10.0F);
    EXPECT_EQ(vertical.matrices[0](1, 0), 10.0F);
    EXPECT_FLOAT_EQ(vertical.positions[0], -5.0F);   // vertical origin offset -0.5 em
    EXPECT_EQ(vertical.matrices[1](0, 0), 10.0F);
    EXPECT_FLOAT_EQ(vertical.positions[2], 10.0F);   // after the vertical advance of 1 em
}

TEST_F(RunGeometryTest, ClippedQuadsAreTheVisiblePartOfTheirBoxes)
{
    // Each glyph's quad is its layout box cut to the clip rectangle, or nothing when none is left.
    state.optionFlags = kTextOptionDirectives | kTextOptionClipX | kTextOptionClipY;
    const float clip[4] = {3.0F, -4.0F, 17.0F, 0.5F};
    std::memcpy(state.clipRect, clip, sizeof(clip));
    TextRun *run = Layout("abcdab");
    test::GlyphListArrays list = ListRun(run);
    BuiltRun built = Build(run);
    const VorlGlyphRecord *records = font.fonts[0].fontRecord->GetGlyphRecords();
    int32_t quad = 0;
    for (int32_t j = 0; j < list.count; ++j)
    {
        SCOPED_TRACE(j);
        const VorlGlyphRecord &glyph = records[list.glyphs[size_t(j)]];
        float x = list.positions[2 * size_t(j)];
        float y = list.positions[2 * size_t(j) + 1];
        float left = std::max(x + 10.0F * glyph.box[0], clip[0]);
        float right = std::min(x + 10.0F * glyph.box[2], clip[2]);
        float top = std::max(y - 10.0F * glyph.box[3], clip[1]);
        float bottom = std::min(y - 10.0F * glyph.box[1], clip[3]);
        if (!(right > left && bottom > top)) continue;
        ASSERT_LT(4 * quad, built.At(0).VertexCount());
        test::CapturedVertex q0 = built.At(0).Vertex(4 * quad);
        test::CapturedVertex q3 = built.At(0).Vertex(4 * quad + 3);
        EXPECT_NEAR(q0.position[0], left, 1e-4);
        EXPECT_NEAR(q0.position[1], bottom, 1e-4);
        EXPECT_NEAR(q3.position[0], right, 1e-4);
        EXPECT_NEAR(q3.position[1], top, 1e-4);
        // The em coordinates follow the cut, so the glyph is not squeezed.
        EXPECT_NEAR(q0.texcoord[0] + glyph.curveOrigin[0], (left - x) / 10.0F, 1e-5);
        EXPECT_NEAR(q3.texcoord[1] + glyph.curveOrigin[1], (y - top) / 10.0F, 1e-5);
        ++quad;
    }
    EXPECT_EQ(4 * quad, built.At(0).VertexCount());
    EXPECT_GT(quad, 1);
}

TEST_F(RunGeometryTest, LongRunsNeedWideIndices)
{
    // 16,383 glyphs with a shadow write 131,064 vertices: past what 16-bit indices reach.
    std::string text(size_t(kTextRunMaxCharacters), 'b');
    state.effect = 'SHAD';
    TextRun *run = Layout(text.c_str());
    BuiltRun built = Build(run, nullptr, 1);
    ASSERT_EQ(built.vertexCounts[0], 8 * kTextRunMaxCharacters);
    ASSERT_EQ(built.At(0).VertexCount(), built.vertexCounts[0]);
    uint32_t last = uint32_t(built.vertexCounts[0]) - 1;
    EXPECT_EQ(built.At(0).Triangle(built.At(0).TriangleCount() - 1), (std::array<uint32_t, 3>{last - 2, last, last - 1}));
#ifndef NDEBUG
    // With 16-bit indices the builder stops at the first index it cannot store.
    EXPECT_DEATH(Build(run, nullptr, 0), "kMaxVertices16");
#endif
}

TEST(RunGeometryFontTest, OutlineRecordsWithoutOutlineSizeAreRefused)
{
    // The builders read the outline size of every font with outline records; such a font
    // without the 'OTLN' item never reaches them.
    test::VorlFontBuilder builder = test::MakeGeometryTestFont(true);
    std::vector<uint8_t> image = builder.Build();
    EXPECT_TRUE(ValidateVorlFontFile(image.data(), image.size()));
    for (test::VorlFontDescription &description : builder.fonts)
        std::erase_if(description.items, [](const test::VorlFontItem &item) { return item.tag == 'OTLN'; });
    image = builder.Build();
    EXPECT_FALSE(ValidateVorlFontFile(image.data(), image.size()));
}

TEST_F(RunGeometryTest, BuildStaysWithinTheCounts)
{
    const float widths[2] = {20.0F, 6.0F};
    struct Text
    {
        const char *text;
        uint32_t options;
        bool exact;     // every decoration in a font with the item, of nonzero length
    };
    const Text texts[] = {
        {"abd c", 0, true},
        {"{#under(true)}ab{#strike(true)}cd{#under(false)}a{#size(12)}b", 0, true},
        {"a\xCC\x8A\xCC\x8A b\xCC\x8A", 0, true},
        {"\xF0\x9F\x98\x80 a{#lay(false)}\xF0\x9F\x98\x80{#laymul(true)}\xF0\x9F\x98\x80", 0, true},
        {"a\x09" "b\x09\x09" "c", kTextOptionTabs, true},
        {"{#under(true)}a\xF3\xB0\x80\x80" "b\xF3\xB0\x80\x81", 0, true},
        {"x{#under(true)}ax{#strike(true)}xa", 0, false},
        {"{#under(true)}a \xD7\x90\xD7\x90 b", kTextOptionBidirectional, true},
        {"\xE4\xB8\x80" "a\xE4\xB8\x80", kTextOptionVertical, true},
        {"{#size(20)}a{#grid(true)}bc{#skew(0.3)}d{#script(1)}a", 0, true},
        {"{#under(true)}a\xC2\xAD" "b\xC2\xAD", kTextOptionSoftHyphen, true},
    };
    struct Clip
    {
        uint32_t options;
        float rect[4];
    };
    const Clip clips[] = {
        {0, {0, 0, 0, 0}},
        {kTextOptionClipX, {3.0F, -100.0F, 12.0F, 100.0F}},
        {kTextOptionClipX | kTextOptionClipY, {-1.0F, -4.0F, 30.0F, 0.5F}},
        {kTextOptionClipX, {500.0F, 0.0F, 600.0F, 0.0F}},
    };
    state.placeholderCount = 2;
    state.placeholderWidths = widths;
    state.tracking = 0.05F;
    state.shadowOffset[0] = 0.1F;
    state.outlineOffset[1] = 0.1F;
    for (const Text &text : texts)
        for (TextEffect effect : {0u, uint32_t('SHAD'), uint32_t('OTLN'), uint32_t('OLSH')})
            for (TextGeometryType type : {uint32_t('QUAD'), uint32_t('RECT'), uint32_t('POLY')})
                for (const Clip &clip : clips)
                    for (int32_t variant = 0; variant < 4; ++variant)
                    {
                        SCOPED_TRACE(testing::Message() << text.text << " effect " << std::hex << effect << " type "
                                                        << type << " clip " << clip.options << " variant " << variant);
                        state.optionFlags = kTextOptionDirectives | text.options | clip.options;
                        std::memcpy(state.clipRect, clip.rect, sizeof(clip.rect));
                        state.effect = effect;
                        state.geometryType = type;
                        BuiltRun built = Build(Layout(text.text), nullptr, variant);
                        test::ExpectWithinCounts(built, text.exact && clip.options == 0);
                        if (HasFatalFailure() || HasFailure()) return;
                    }
}

}  // namespace
}  // namespace oq
