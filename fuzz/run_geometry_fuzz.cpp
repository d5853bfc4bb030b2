// Text with format directives laid out over the geometry test font, then counted and built into
// vertex and triangle memory of exactly the counted size (in the program's allocator, so any
// write past a count is caught): the run, its lines, the truncated block with a suffix, and the
// run's glyph list drawn again. A build that moves a cursor past its count aborts. The first two
// bytes (also part of the text) pick the effect, geometry type, options and variant.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/Memory.h"
#include "support/GeometryTestFont.h"
#include "support/TextRunStorage.h"
#include "vorl/geometry/GlyphList.h"
#include "vorl/geometry/GlyphListGeometry.h"
#include "vorl/geometry/LineGeometry.h"
#include "vorl/geometry/RunGeometry.h"

namespace {

constexpr int32_t kFonts = 2;

struct Fixture
{
    oq::test::LoadedVorlFont font{oq::test::MakeGeometryTestFont().Build()};
    oq::test::TextRunStorage run;
    oq::test::TextRunStorage suffix;
    std::vector<oq::TextLine> lines = std::vector<oq::TextLine>(64);
    const uint8_t fallbackRow[2] = {0, 1};
    oq::FontFallbackMap fallback = {0, 2, nullptr, fallbackRow};
    const float placeholderWidths[4] = {20.0F, 0.0F, -5.0F, 3.0F};

    Fixture()
    {
        if (!font.valid) std::abort();
    }
};

// Exact-size memory for one count per font (32-bit indices where the variant asks for them or
// the count passes what 16-bit indices reach); the destructor aborts when a build passed a count.
class ExactBuffers
{
public:
    ExactBuffers(int32_t variant, const int32_t *vertexCounts, const int32_t *triangleCounts)
    {
        size_t vertexSize = (variant & 2) ? sizeof(oq::AttribStructFloat) : sizeof(oq::AttribStruct);
        for (int32_t f = 0; f < kFonts; ++f)
        {
            if (vertexCounts[f] < 0 || triangleCounts[f] < 0) std::abort();
            bool wide = (variant & 1) != 0 || uint32_t(vertexCounts[f]) > oq::kMaxVertices16;
            size_t triangleSize = wide ? sizeof(oq::VorlTriangle32) : sizeof(oq::VorlTriangle);
            vertexEnd[f] = static_cast<char *>(oq::MemoryAllocate(size_t(vertexCounts[f]) * vertexSize));
            triangleEnd[f] = static_cast<char *>(oq::MemoryAllocate(size_t(triangleCounts[f]) * triangleSize));
            buffers[f] = {vertexEnd[f], triangleEnd[f], 0, (variant & 2) ? 1 : 0, wide ? 1 : 0};
            starts[f][0] = vertexEnd[f];
            starts[f][1] = triangleEnd[f];
            vertexEnd[f] += size_t(vertexCounts[f]) * vertexSize;
            triangleEnd[f] += size_t(triangleCounts[f]) * triangleSize;
        }
    }
    ~ExactBuffers()
    {
        for (int32_t f = 0; f < kFonts; ++f)
        {
            if (static_cast<char *>(buffers[f].vertexData) > vertexEnd[f] ||
                static_cast<char *>(buffers[f].triangleData) > triangleEnd[f])
                std::abort();
            oq::MemoryRelease(starts[f][0]);
            oq::MemoryRelease(starts[f][1]);
        }
    }

    oq::GeometryBuffer buffers[kFonts];

private:
    char *vertexEnd[kFonts];
    char *triangleEnd[kFonts];
    void *starts[kFonts][2];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Fixture fixture;
    if (size > 4096) return 0;
    uint8_t pick = size > 0 ? data[0] : 0;
    uint8_t more = size > 1 ? data[1] : 0;
    const oq::TextEffect effects[4] = {0, 'SHAD', 'OTLN', 'OLSH'};
    const oq::TextGeometryType types[4] = {'QUAD', 'RECT', 'POLY', 'POLY'};

    oq::TextLayoutState state;
    oq::ResetTextLayoutState(&state);
    state.size = 12.0F;
    state.effect = effects[pick & 3];
    state.geometryType = types[(pick >> 2) & 3];
    state.optionFlags = oq::kTextOptionDirectives;
    if (pick & 0x10) state.optionFlags |= oq::kTextOptionClipX | ((pick & 0x20) ? oq::kTextOptionClipY : 0u);
    if (pick & 0x40) state.optionFlags |= oq::kTextOptionBidirectional | oq::kTextOptionTabs;
    if (pick & 0x80) state.optionFlags |= oq::kTextOptionSoftHyphen | oq::kTextOptionParagraph;
    if (more & 1) state.optionFlags |= oq::kTextOptionRightToLeft;
    if (more & 2) state.optionFlags |= oq::kTextOptionVertical;
    state.underline = (more & 4) != 0;
    state.tracking = (more & 8) ? 0.05F : 0.0F;
    state.placeholderCount = 4;
    state.placeholderWidths = fixture.placeholderWidths;
    const float clip[4] = {5.0F, -8.0F, 60.0F, 2.0F};
    std::memcpy(state.clipRect, clip, sizeof(clip));
    int32_t variant = (more >> 4) & 3;

    std::vector<char> text(data, data + size);
    text.push_back(0);
    const oq::TextFont *fonts = fixture.font.fonts.data();
    oq::TextRun *run = oq::LayoutText(kFonts, fonts, &fixture.fallback, &state, text.data(), int32_t(size), nullptr,
                                      &fixture.run.run);
    const float pen[2] = {3.0F, 7.0F};
    int32_t vertices[kFonts];
    int32_t triangles[kFonts];
    int32_t placeholderCount = 0;

    // The whole run, and its glyph list drawn again.
    int32_t drawable = oq::CountRunGeometry(run, nullptr, kFonts, fonts, vertices, triangles, &placeholderCount);
    {
        std::vector<oq::PlaceholderPosition> placeholders(size_t(placeholderCount) + 1);
        oq::PlaceholderPosition *next = placeholders.data();
        ExactBuffers exact(variant, vertices, triangles);
        oq::Box2D bounds;
        oq::BuildRunGeometry(run, nullptr, kFonts, fonts, pen, exact.buffers, &next, &bounds, nullptr);
        if (next - placeholders.data() != placeholderCount) std::abort();
    }
    std::vector<uint8_t> fontIndexes(size_t(drawable) + 1);
    std::vector<uint32_t> glyphs(size_t(drawable) + 1);
    std::vector<float> positions(2 * size_t(drawable) + 2);
    std::vector<oq::Matrix2D> matrices(size_t(drawable) + 1);
    int32_t listed = oq::GetRunGlyphList(run, nullptr, kFonts, fonts, pen, fontIndexes.data(), glyphs.data(),
                                         positions.data(), matrices.data(), nullptr, nullptr, nullptr);
    if (listed != drawable) std::abort();
    oq::CountGlyphListGeometry(kFonts, fonts, &state, listed, fontIndexes.data(), glyphs.data(), vertices, triangles);
    {
        ExactBuffers exact(variant, vertices, triangles);
        oq::BuildGlyphListGeometry(fonts, &state, listed, fontIndexes.data(), glyphs.data(), positions.data(),
                                   matrices.data(), nullptr, exact.buffers, nullptr);
    }

    // Lines at a narrow width, and the same block truncated with a suffix.
    const uint32_t breaks[1] = {' '};
    const uint32_t forced[1] = {'\n'};
    int32_t lineCount = oq::BreakRunIntoLines(run, kFonts, fonts, 30.0F, 1, breaks, 1, forced, 1, breaks,
                                              int32_t(fixture.lines.size()), fixture.lines.data(), nullptr);
    oq::CountLinesGeometry(run, kFonts, fonts, 0, lineCount, fixture.lines.data(), vertices, triangles, nullptr);
    {
        ExactBuffers exact(variant, vertices, triangles);
        oq::BuildLinesGeometry(run, kFonts, fonts, 0, lineCount, fixture.lines.data(), pen, 30.0F, exact.buffers,
                               nullptr, nullptr);
    }
    oq::TextRun *suffix = oq::LayoutText(kFonts, fonts, &fixture.fallback, &state, "{#under(true)}a\xC2\xAD", -1,
                                         nullptr, &fixture.suffix.run);
    oq::CountTruncatedLinesGeometry(run, suffix, kFonts, fonts, 0, lineCount, fixture.lines.data(), vertices,
                                    triangles, &placeholderCount);
    {
        std::vector<oq::PlaceholderPosition> placeholders(size_t(placeholderCount) + 1);
        oq::PlaceholderPosition *next = placeholders.data();
        ExactBuffers exact(variant, vertices, triangles);
        oq::BuildTruncatedLinesGeometry(run, suffix, kFonts, fonts, 0, lineCount, fixture.lines.data(), pen, 30.0F,
                                        1, breaks, exact.buffers, &next, nullptr, nullptr);
        if (next - placeholders.data() > placeholderCount) std::abort();
    }
    return 0;
}
