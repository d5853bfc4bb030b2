#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/GeometryCapture.h"
#include "support/GeometryTestFont.h"
#include "support/TextRunStorage.h"
#include "vorl/geometry/GlyphList.h"
#include "vorl/geometry/RunGeometry.h"
#include "vorl/text/GlyphMapping.h"

namespace oq::test {

// The geometry of one run built into buffers of exactly the counted sizes, one per font.
struct BuiltRun
{
    std::vector<int32_t> vertexCounts;
    std::vector<int32_t> triangleCounts;
    int32_t drawable = 0;
    int32_t placeholderCount = 0;
    std::vector<std::unique_ptr<GeometryCapture>> captures;
    std::vector<PlaceholderPosition> placeholders;
    Box2D bounds;
    float endPen[2] = {0, 0};

    const GeometryCapture &At(int32_t font) const { return *captures[size_t(font)]; }

    // Exact-size buffers for the counts (already set), and the buffer records to build into.
    std::vector<GeometryBuffer> Allocate(int32_t variant)
    {
        std::vector<GeometryBuffer> buffers;
        for (size_t i = 0; i < vertexCounts.size(); ++i)
        {
            captures.push_back(std::make_unique<GeometryCapture>(variant, vertexCounts[i], triangleCounts[i]));
            buffers.push_back(captures.back()->buffer);
        }
        return buffers;
    }

    // Takes the buffer records back after a build.
    void Collect(const std::vector<GeometryBuffer> &buffers)
    {
        for (size_t i = 0; i < buffers.size(); ++i) captures[i]->buffer = buffers[i];
    }
};

// Checks what a build wrote against its counts: cursors inside the exact-size buffers, every
// triangle on vertices of its own draw, and (when exact) the counts reached.
inline void ExpectWithinCounts(const BuiltRun &built, bool exact)
{
    for (size_t f = 0; f < built.captures.size(); ++f)
    {
        SCOPED_TRACE(f);
        const GeometryCapture &capture = *built.captures[f];
        ASSERT_TRUE(capture.CursorsInside());
        EXPECT_LE(capture.VertexCount(), built.vertexCounts[f]);
        EXPECT_LE(capture.TriangleCount(), built.triangleCounts[f]);
        if (exact)
        {
            EXPECT_EQ(capture.VertexCount(), built.vertexCounts[f]);
            EXPECT_EQ(capture.TriangleCount(), built.triangleCounts[f]);
        }
        for (int32_t t = 0; t < capture.TriangleCount(); ++t)
            for (uint32_t index : capture.Triangle(t)) ASSERT_LT(index, capture.buffer.vertexIndex);
    }
}

// The glyph list of a run, with every optional array and both colour forms.
struct GlyphListArrays
{
    int32_t count = 0;
    std::vector<uint8_t> fonts;
    std::vector<uint32_t> glyphs;
    std::vector<float> positions;
    std::vector<Matrix2D> matrices;
    std::vector<uint8_t> colors;
    std::vector<ColorRGBA> floatColors;
    float endPen[2] = {0, 0};
};

// Lays text out over the geometry test font (fonts 0 and 1, tried in that order) with format
// directives on, and counts and builds it.
class RunGeometryFixture : public ::testing::Test
{
protected:
    RunGeometryFixture() : font(MakeGeometryTestFont().Build()) {}

    void SetUp() override
    {
        ASSERT_TRUE(font.valid);
        ResetTextLayoutState(&state);
        state.size = 10.0F;
        state.optionFlags = kTextOptionDirectives;
        state.fillPaint.color = {0.0F, 0.0F, 1.0F, 1.0F};
        state.shadowPaint.color = {0.5F, 0.5F, 0.5F, 1.0F};
        state.outlinePaint.color = {1.0F, 0.0F, 0.0F, 1.0F};
    }

    TextRun *Layout(const char *text, const LoadedVorlFont *loaded = nullptr)
    {
        const LoadedVorlFont &f = loaded != nullptr ? *loaded : font;
        return LayoutText(f.Count(), f.fonts.data(), &fallback, &state, text, -1, nullptr, &storage.run);
    }

    // Counts, then builds into exact-size buffers of the variant at pen (0, 0).
    BuiltRun Build(const TextRun *run, const GlyphRange *range = nullptr, int32_t variant = 0,
                   const LoadedVorlFont *loaded = nullptr, const float *pen = nullptr)
    {
        const LoadedVorlFont &f = loaded != nullptr ? *loaded : font;
        BuiltRun built;
        int32_t count = f.Count();
        built.vertexCounts.assign(size_t(count), -1);
        built.triangleCounts.assign(size_t(count), -1);
        built.drawable = CountRunGeometry(run, range, count, f.fonts.data(), built.vertexCounts.data(),
                                          built.triangleCounts.data(), &built.placeholderCount);
        std::vector<GeometryBuffer> buffers = built.Allocate(variant);
        built.placeholders.resize(size_t(built.placeholderCount) + 1);
        PlaceholderPosition *next = built.placeholders.data();
        const float origin[2] = {0.0F, 0.0F};
        BuildRunGeometry(run, range, count, f.fonts.data(), pen != nullptr ? pen : origin, buffers.data(), &next,
                         &built.bounds, built.endPen);
        built.Collect(buffers);
        EXPECT_EQ(next - built.placeholders.data(), built.placeholderCount);
        built.placeholders.resize(size_t(next - built.placeholders.data()));
        return built;
    }

    // Lists the range at pen (0, 0) into arrays of the size CountRunGeometry gives.
    GlyphListArrays ListRun(const TextRun *run, const GlyphRange *range = nullptr)
    {
        GlyphListArrays list;
        std::vector<int32_t> vertices(size_t(font.Count()));
        std::vector<int32_t> triangles(size_t(font.Count()));
        size_t capacity = size_t(
            CountRunGeometry(run, range, font.Count(), font.fonts.data(), vertices.data(), triangles.data(), nullptr));
        list.fonts.resize(capacity);
        list.glyphs.resize(capacity);
        list.positions.resize(2 * capacity);
        list.matrices.resize(capacity);
        list.colors.resize(4 * capacity);
        list.floatColors.resize(capacity);
        const float pen[2] = {0.0F, 0.0F};
        list.count = GetRunGlyphList(run, range, font.Count(), font.fonts.data(), pen, list.fonts.data(),
                                     list.glyphs.data(), list.positions.data(), list.matrices.data(),
                                     list.colors.data(), nullptr, list.endPen);
        EXPECT_EQ(GetRunGlyphListFloat(run, range, font.Count(), font.fonts.data(), pen, nullptr, list.glyphs.data(),
                                       list.positions.data(), nullptr, list.floatColors.data(), nullptr, nullptr),
                  list.count);
        return list;
    }

    LoadedVorlFont font;
    TextRunStorage storage;
    TextLayoutState state;
    const uint8_t fallbackRow[2] = {0, 1};
    FontFallbackMap fallback = {0, 2, nullptr, fallbackRow};
};

}  // namespace oq::test
