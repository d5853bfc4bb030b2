// Text geometry against classic glyph rendering: our side counts and builds the vertices and
// triangles of a 1,000-glyph Latin line (CountRunGeometry + BuildRunGeometry) as quads, as
// bounding polygons, with outline and shadow, and with clipping; FreeType loads and renders the same
// characters of DejaVu Sans at 32 px (FT_Load_Glyph + FT_Render_Glyph, hinted and unhinted, no
// glyph cache), the CPU cost of drawing text through glyph bitmaps. Our font image is built here from DejaVu's character map, advances,
// kerning-free boxes and a hexagon per glyph, since the cost of a glyph's geometry does not depend
// on its outline. After the runs the ratio of our time per glyph to FreeType's is printed.

#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/FloatControl.h"
#include "base/Half.h"
#include "support/TextRunStorage.h"
#include "support/VorlFontBuilder.h"
#include "vorl/geometry/RunGeometry.h"
#include "vorl/text/GlyphMapping.h"

namespace {

const char kDejaVuSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int32_t kGlyphs = 1000;

std::string BenchText()
{
    const char sentence[] = "The quick brown fox jumps over the lazy dog. ";
    std::string text;
    while (text.size() < size_t(kGlyphs)) text += sentence;
    text.resize(size_t(kGlyphs));
    return text;
}

// DejaVu Sans opened with FreeType at 32 px, and a Vorl image of its printable ASCII glyphs.
struct BenchFonts
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::vector<FT_UInt> textGlyphs;
    std::unique_ptr<oq::test::LoadedVorlFont> vorl;

    BenchFonts()
    {
        if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, kDejaVuSans, 0, &face) != 0 ||
            FT_Set_Pixel_Sizes(face, 0, 32) != 0)
        {
            std::fprintf(stderr, "cannot open %s\n", kDejaVuSans);
            std::exit(1);
        }
        for (char c : BenchText()) textGlyphs.push_back(FT_Get_Char_Index(face, FT_ULong(c)));

        oq::test::VorlFontBuilder builder;
        builder.bandWidth = 4096;
        builder.AddGlyph(0.5F);
        oq::test::VorlFontDescription &font = builder.AddFont();
        float em = float(face->units_per_EM);
        uint16_t column = 0;
        for (uint32_t c = 0x20; c < 0x7F; ++c)
        {
            FT_UInt index = FT_Get_Char_Index(face, c);
            if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0) continue;
            const FT_Glyph_Metrics &m = face->glyph->metrics;
            uint32_t glyph = builder.AddGlyph(float(m.horiAdvance) / em);
            font.Map(c, glyph);
            if (face->glyph->outline.n_points == 0) continue;
            oq::VorlGlyphRecord &record = builder.glyphs[glyph];
            float box[4] = {float(m.horiBearingX) / em, float(m.horiBearingY - m.height) / em,
                            float(m.horiBearingX + m.width) / em, float(m.horiBearingY) / em};
            std::memcpy(record.box, box, sizeof(box));
            record.curveOrigin[0] = box[0];
            record.curveOrigin[1] = box[1];
            record.bandScale[0] = 4.0F / (box[2] - box[0]);
            record.bandScale[1] = 4.0F / (box[3] - box[1]);
            builder.SetBands(glyph, column, 0, 4, 4);
            column = uint16_t(column + 8);
            // A hexagon around the box with two corners cut (pattern 8).
            float cx = (box[2] - box[0]) * 0.25F;
            float cy = (box[3] - box[1]) * 0.25F;
            const float points[6][2] = {{box[0] + cx, box[1]}, {box[2], box[1]}, {box[2], box[3] - cy},
                                        {box[2] - cx, box[3]}, {box[0], box[3]}, {box[0], box[1] + cy}};
            for (int i = 0; i < 6; ++i)
            {
                oq::FloatToHalf(&record.polygon[2 * i], points[i][0]);
                oq::FloatToHalf(&record.polygon[2 * i + 1], points[i][1]);
            }
            record.polygonWord = 0x0806;
        }
        builder.bandTexels.assign(size_t(column) + 8, 0);
        builder.outlineGlyphs = builder.glyphs;
        for (oq::VorlGlyphRecord &record : builder.outlineGlyphs)
        {
            record.box[0] -= 0.03F;
            record.box[1] -= 0.03F;
            record.box[2] += 0.03F;
            record.box[3] += 0.03F;
        }
        font.AddFloats('OTLN', {0.03F, 4.0F, 0});
        vorl = std::make_unique<oq::test::LoadedVorlFont>(builder.Build());
        if (!vorl->valid)
        {
            std::fprintf(stderr, "the benchmark font image is not valid\n");
            std::exit(1);
        }
    }

    ~BenchFonts()
    {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
};

BenchFonts &Fonts()
{
    static BenchFonts fonts;
    return fonts;
}

// Count and build of the line in one configuration; the buffers are reserved once, at the count.
void BuildLine(benchmark::State &benchState, oq::TextGeometryType type, oq::TextEffect effect, bool clip)
{
    BenchFonts &fonts = Fonts();
    oq::test::TextRunStorage storage;
    oq::TextLayoutState state;
    oq::ResetTextLayoutState(&state);
    state.size = 32.0F;
    state.geometryType = type;
    state.effect = effect;
    state.shadowOffset[0] = 0.05F;
    state.shadowOffset[1] = 0.05F;
    if (clip)
    {
        // A band through the line: most glyphs are cut at the top or bottom, some at the sides.
        state.optionFlags |= oq::kTextOptionClipX | oq::kTextOptionClipY;
        const float rect[4] = {100.0F, -16.0F, 12000.0F, -4.0F};
        std::memcpy(state.clipRect, rect, sizeof(rect));
    }
    const oq::TextFont *textFonts = fonts.vorl->fonts.data();
    std::string text = BenchText();
    oq::TextRun *run = oq::LayoutText(1, textFonts, nullptr, &state, text.c_str(), int32_t(text.size()), nullptr,
                                      &storage.run);
    int32_t vertices = 0;
    int32_t triangles = 0;
    oq::CountRunGeometry(run, nullptr, 1, textFonts, &vertices, &triangles, nullptr);
    std::vector<oq::AttribStruct> vertexData(static_cast<size_t>(vertices));
    std::vector<oq::VorlTriangle32> triangleData(static_cast<size_t>(triangles));
    const float pen[2] = {0.0F, 0.0F};
    for (auto _ : benchState)
    {
        oq::CountRunGeometry(run, nullptr, 1, textFonts, &vertices, &triangles, nullptr);
        oq::GeometryBuffer buffer = {vertexData.data(), triangleData.data(), 0, 0, 1};
        oq::Box2D bounds;
        oq::BuildRunGeometry(run, nullptr, 1, textFonts, pen, &buffer, nullptr, &bounds, nullptr);
        benchmark::DoNotOptimize(buffer.vertexIndex);
        benchmark::ClobberMemory();
    }
    benchState.counters["vertices"] = double(vertices);
    benchState.SetItemsProcessed(int64_t(benchState.iterations()) * kGlyphs);
}

void BM_RunGeometryQuad(benchmark::State &s) { BuildLine(s, 'QUAD', 0, false); }
void BM_RunGeometryPoly(benchmark::State &s) { BuildLine(s, 'POLY', 0, false); }
void BM_RunGeometryOutlineShadow(benchmark::State &s) { BuildLine(s, 'POLY', 'OLSH', false); }
void BM_RunGeometryClipped(benchmark::State &s) { BuildLine(s, 'POLY', 0, true); }

// FreeType: load and render every glyph of the line at 32 px, as a glyph-bitmap renderer does
// when its cache misses. FreeType runs without a glyph cache here (every glyph is loaded and
// rendered again each time), hinted as FT_LOAD_DEFAULT does and unhinted.
void RenderWithFreeType(benchmark::State &benchState, FT_Int32 loadFlags)
{
    BenchFonts &fonts = Fonts();
    for (auto _ : benchState)
    {
        for (FT_UInt glyph : fonts.textGlyphs)
        {
            if (FT_Load_Glyph(fonts.face, glyph, loadFlags) != 0 ||
                FT_Render_Glyph(fonts.face->glyph, FT_RENDER_MODE_NORMAL) != 0)
                benchState.SkipWithError("FreeType failed");
            benchmark::DoNotOptimize(fonts.face->glyph->bitmap.buffer);
        }
    }
    benchState.SetItemsProcessed(int64_t(benchState.iterations()) * kGlyphs);
}

void BM_FreeTypeRender(benchmark::State &s) { RenderWithFreeType(s, FT_LOAD_DEFAULT); }
void BM_FreeTypeRenderUnhinted(benchmark::State &s) { RenderWithFreeType(s, FT_LOAD_NO_HINTING); }

BENCHMARK(BM_RunGeometryQuad)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunGeometryPoly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunGeometryOutlineShadow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunGeometryClipped)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FreeTypeRender)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FreeTypeRenderUnhinted)->Unit(benchmark::kMicrosecond);

// Prints the console report, then each configuration's time per glyph against FreeType's. With
// repetitions the medians are compared (also when only the aggregates are reported), else the
// single runs.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
        {
            if (run.run_type == Run::RT_Iteration) times[run.run_name.str()] = run.GetAdjustedCPUTime();
            else if (run.aggregate_name == "median") medians[run.run_name.str()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const
    {
        const std::map<std::string, double> &chosen = medians.empty() ? times : medians;
        for (const char *referenceName : {"BM_FreeTypeRender", "BM_FreeTypeRenderUnhinted"})
        {
            auto reference = chosen.find(referenceName);
            if (reference == chosen.end()) continue;
            std::printf("\nTime per glyph against %s (FreeType load + render at 32 px; goal: at most 1/20):\n",
                        referenceName);
            for (const auto &[name, time] : chosen)
            {
                if (name.rfind("BM_FreeType", 0) == 0) continue;
                std::printf("  %-28s %8.3f us per glyph, 1/%.1f of FreeType (%.3f us)\n", name.c_str(),
                            time / kGlyphs, reference->second / time, reference->second / kGlyphs);
            }
        }
    }

private:
    std::map<std::string, double> times;
    std::map<std::string, double> medians;
};

}  // namespace

int main(int argc, char **argv)
{
    oq::EnableFlushToZero();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
