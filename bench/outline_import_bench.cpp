// Outline import against FreeType: every glyph of DejaVu Sans, FreeSerif, Latin Modern Math and
// the first face of Noto Sans CJK. "FreeType" loads and decomposes each glyph unscaled; "Decode"
// runs our glyf or CFF decoder; "ReadOutlines" is the importer's outline step (decoding and the
// Ambrel Paths and Components); "ImportFile" imports the whole file (a collection: all faces).
#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "vorlfont/opentype/CffFont.h"
#include "vorlfont/opentype/GlyfOutline.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/opentype/SfntFile.h"

#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <fstream>
#include <iterator>
#include <vector>

namespace oq {
namespace {

const char *const kFonts[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/opentype/freefont/FreeSerif.otf",
    "/usr/share/texmf/fonts/opentype/public/lm-math/latinmodern-math.otf",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
};

std::vector<uint8_t> ReadFile(const char *path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

int CountMove(const FT_Vector *, void *user)
{
    ++*static_cast<int64_t *>(user);
    return 0;
}
int CountLine(const FT_Vector *, void *user)
{
    ++*static_cast<int64_t *>(user);
    return 0;
}
int CountConic(const FT_Vector *, const FT_Vector *, void *user)
{
    ++*static_cast<int64_t *>(user);
    return 0;
}
int CountCubic(const FT_Vector *, const FT_Vector *, const FT_Vector *, void *user)
{
    ++*static_cast<int64_t *>(user);
    return 0;
}

void BM_FreeType(benchmark::State &state)
{
    FT_Library library;
    FT_Init_FreeType(&library);
    FT_Face face;
    if (FT_New_Face(library, kFonts[state.range(0)], 0, &face) != 0)
    {
        state.SkipWithError("font missing");
        return;
    }
    const FT_Outline_Funcs funcs = {CountMove, CountLine, CountConic, CountCubic, 0, 0};
    int64_t segments = 0;
    for (auto _ : state)
    {
        for (FT_Long g = 0; g < face->num_glyphs; ++g)
        {
            FT_Load_Glyph(face, FT_UInt(g), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
            FT_Outline_Decompose(&face->glyph->outline, &funcs, &segments);
        }
    }
    benchmark::DoNotOptimize(segments);
    state.counters["us_per_glyph"] = benchmark::Counter(double(face->num_glyphs) * 1e-6,
                                                        benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

// The first face's offset table.
uint64_t FirstFace(const FontBytes &file)
{
    uint64_t offset = 0;
    if (file.GetUInt32(0) == kCollectionTag && ReadCollectionFaceOffset(file, 0, &offset) != 0) return 0;
    return offset;
}

void BM_Decode(benchmark::State &state)
{
    std::vector<uint8_t> bytes = ReadFile(kFonts[state.range(0)]);
    FontBytes file{bytes.data(), bytes.size()};
    uint64_t face = FirstFace(file);
    FontBytes glyf, loca, head, maxp, cff;
    if (FindSfntTable(file, face, 'glyf', &glyf) || FindSfntTable(file, face, 'loca', &loca) ||
        FindSfntTable(file, face, 'head', &head) || FindSfntTable(file, face, 'maxp', &maxp) ||
        FindSfntTable(file, face, 'CFF ', &cff) || !maxp.IsPresent())
    {
        state.SkipWithError("font missing");
        return;
    }
    uint32_t glyphCount = maxp.GetUInt16(4);
    float scale = 1.0f / float(head.GetUInt16(18));
    Array<GlyfPoint> points;
    Array<CubicBezier2D> segments;
    auto *font = new CffFont;
    for (auto _ : state)
    {
        if (glyf.IsPresent())
        {
            GlyfOutlineReader reader;
            if (reader.Open(glyf, loca, head.GetInt16(50), glyphCount, scale) != 0) state.SkipWithError("glyf");
            for (uint32_t g = 0; g < glyphCount; ++g)
            {
                if (reader.CountGlyfPoints(g) < 0 || reader.DecodeGlyfOutline(g, &points) < 0) state.SkipWithError("glyph");
            }
        }
        else
        {
            if (OpenCffFont(cff, glyphCount, font) != 0) state.SkipWithError("CFF");
            CffCharstringDecoder decoder(font->globalSubrs);
            for (uint32_t g = 0; g < glyphCount; ++g)
            {
                if (DecodeCffGlyph(*font, &decoder, g, &segments) != 0) state.SkipWithError("glyph");
            }
        }
    }
    delete font;
    state.counters["us_per_glyph"] =
        benchmark::Counter(double(glyphCount) * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ReadOutlines(benchmark::State &state)
{
    std::vector<uint8_t> bytes = ReadFile(kFonts[state.range(0)]);
    FontBytes file{bytes.data(), bytes.size()};
    uint64_t face = FirstFace(file);
    uint32_t glyphCount = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        auto *font = new FontStructure;
        OpenTypeImporter importer(file);
        if (importer.ReadHeaderTables(face, font) != 0) state.SkipWithError("header");
        AddGlyphStructures(font);
        glyphCount = font->glyphCount;
        state.ResumeTiming();
        if (importer.ReadOutlines(face, font) != 0) state.SkipWithError("outlines");
        state.PauseTiming();
        delete font;
        state.ResumeTiming();
    }
    state.counters["us_per_glyph"] =
        benchmark::Counter(double(glyphCount) * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ImportFile(benchmark::State &state)
{
    std::vector<uint8_t> bytes = ReadFile(kFonts[state.range(0)]);
    for (auto _ : state)
    {
        auto *document = new AmbrelDocument;
        if (ImportOpenTypeFont(bytes.data(), bytes.size(), document) != 0) state.SkipWithError("import");
        state.PauseTiming();
        delete document;
        state.ResumeTiming();
    }
}

BENCHMARK(BM_FreeType)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadOutlines)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportFile)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace oq
