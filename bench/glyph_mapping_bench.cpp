// Glyph mapping against HarfBuzz on a 2,000-character Latin paragraph set in DejaVu Sans: our side
// lays the text out and maps it (LayoutTextRun + MapRunToGlyphs) with a font image built here from
// DejaVu's character map, advances and kerning pairs read with FreeType; HarfBuzz shapes the same
// text with the same font file (hb_shape, glyphs and positions), with its default features and
// with every feature but 'kern' off (the work ours does). Line breaking runs on 1,000 and
// 10,000 characters at three widths; items are characters, so items per second shows whether the
// time per character stays constant.

#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>
#include <hb.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "support/TextRunStorage.h"
#include "support/VorlFontBuilder.h"
#include "vorl/text/TextMeasure.h"

namespace {

const char kDejaVuSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// A Latin paragraph of the given length in characters (a few accented letters included).
std::string LatinParagraph(int32_t characters)
{
    static const char *const kWords[] = {"Lorem", "ipsum", "dolor", "sit", "amet,", "consectetur", "adipiscing",
                                         "elit,", "sed", "do", "eiusmod", "tempor", "incididunt", "ut", "labore",
                                         "et", "dolore", "magna", "aliqua.", "Ut", "enim", "ad", "minim", "veniam,",
                                         "quis", "nostrud", "exercitation", "ullamco", "laboris", "nisi", "aliquip",
                                         "ex", "ea", "commodo", "consequat.", "Déjà", "vu", "für", "naïve", "façade",
                                         "AVATAR", "Tower", "WAVE", "(office)", "office", "fluffy"};
    std::string text;
    int32_t count = 0;
    for (size_t w = 0; count < characters; w = (w * 7 + 3) % (sizeof(kWords) / sizeof(kWords[0])))
    {
        for (const char *c = kWords[w]; *c != 0 && count < characters; c++)
        {
            text += *c;
            if ((static_cast<unsigned char>(*c) & 0xC0) != 0x80) count++;
        }
        if (count < characters)
        {
            text += ' ';
            count++;
        }
    }
    // Drop a trailing partial UTF-8 sequence cut by the count.
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0xC0) text.pop_back();
    return text;
}

// A Vorl font image with DejaVu Sans's mapping of U+0020-U+024F, its advances and its kerning
// pairs between those glyphs.
struct DejaVuImage
{
    std::unique_ptr<oq::test::LoadedVorlFont> font;
    size_t glyphCount = 0;
    size_t kerningPairs = 0;

    DejaVuImage()
    {
        FT_Library library;
        FT_Face face;
        if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, kDejaVuSans, 0, &face) != 0)
        {
            std::fprintf(stderr, "cannot open %s\n", kDejaVuSans);
            std::abort();
        }
        float unitsPerEm = float(face->units_per_EM);
        oq::test::VorlFontBuilder builder;
        builder.AddGlyph(0.6F);   // the missing glyph
        oq::test::VorlFontDescription &description = builder.AddFont();
        std::vector<FT_UInt> sourceGlyphs{0};
        for (uint32_t c = 0x20; c < 0x250; c++)
        {
            FT_UInt index = FT_Get_Char_Index(face, c);
            if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0) continue;
            uint32_t glyph = builder.AddGlyph(float(face->glyph->advance.x) / unitsPerEm);
            sourceGlyphs.push_back(index);
            description.Map(c, glyph);
        }
        if (FT_HAS_KERNING(face))
        {
            for (uint32_t right = 1; right < sourceGlyphs.size(); right++)
            {
                uint32_t first = uint32_t(builder.kerning.size());
                for (uint32_t left = 1; left < sourceGlyphs.size(); left++)
                {
                    FT_Vector kerning;
                    if (FT_Get_Kerning(face, sourceGlyphs[left], sourceGlyphs[right], FT_KERNING_UNSCALED, &kerning) == 0 &&
                        kerning.x != 0)
                        builder.kerning.push_back(oq::KerningListEntry{left, float(kerning.x) / unitsPerEm});
                }
                uint32_t count = uint32_t(builder.kerning.size()) - first;
                if (count > 0xFFF) count = 0xFFF, builder.kerning.resize(first + count);
                if (count != 0) builder.glyphs[right].kerningWord = oq::MakeListWordB(first, count);
            }
        }
        glyphCount = builder.glyphs.size();
        kerningPairs = builder.kerning.size();
        FT_Done_Face(face);
        FT_Done_FreeType(library);
        font = std::make_unique<oq::test::LoadedVorlFont>(builder.Build());
        if (!font->valid)
        {
            std::fprintf(stderr, "the DejaVu image does not validate\n");
            std::abort();
        }
    }
};

DejaVuImage &GetDejaVu()
{
    static DejaVuImage image;
    return image;
}

oq::TextLayoutState MakeState()
{
    oq::TextLayoutState state;
    oq::ResetTextLayoutState(&state);
    state.size = 16.0F;
    return state;
}

void BM_OursLayoutAndMap(benchmark::State &benchState)
{
    DejaVuImage &dejaVu = GetDejaVu();
    std::string text = LatinParagraph(2000);
    oq::TextLayoutState state = MakeState();
    oq::test::TextRunStorage storage;
    for (auto _ : benchState)
    {
        oq::LayoutTextRun(&storage.run, &state, text.data(), int32_t(text.size()));
        oq::MapRunToGlyphs(&storage.run, dejaVu.font->Count(), dejaVu.font->fonts.data(), nullptr);
        benchmark::DoNotOptimize(storage.run.glyphs[storage.run.glyphCount / 2]);
    }
    benchState.counters["glyphs"] = double(dejaVu.glyphCount);
    benchState.counters["kerning_pairs"] = double(dejaVu.kerningPairs);
    benchState.SetItemsProcessed(int64_t(benchState.iterations()) * 2000);
}
BENCHMARK(BM_OursLayoutAndMap);

// The same plus the pen walk that places the glyphs (advances and kerning), as hb_shape does.
void BM_OursLayoutMapAndMeasure(benchmark::State &benchState)
{
    DejaVuImage &dejaVu = GetDejaVu();
    std::string text = LatinParagraph(2000);
    oq::TextLayoutState state = MakeState();
    oq::test::TextRunStorage storage;
    for (auto _ : benchState)
    {
        oq::LayoutTextRun(&storage.run, &state, text.data(), int32_t(text.size()));
        oq::MapRunToGlyphs(&storage.run, dejaVu.font->Count(), dejaVu.font->fonts.data(), nullptr);
        benchmark::DoNotOptimize(oq::MeasureRunWidth(&storage.run, nullptr, 1, dejaVu.font->fonts.data(), 0, nullptr,
                                                     nullptr));
    }
    benchState.SetItemsProcessed(int64_t(benchState.iterations()) * 2000);
}
BENCHMARK(BM_OursLayoutMapAndMeasure);

// HarfBuzz shaping the paragraph with the given features (none: its default features).
void ShapeWithHarfBuzz(benchmark::State &benchState, const std::vector<hb_feature_t> &features)
{
    std::string text = LatinParagraph(2000);
    hb_blob_t *blob = hb_blob_create_from_file(kDejaVuSans);
    hb_face_t *face = hb_face_create(blob, 0);
    hb_font_t *font = hb_font_create(face);
    hb_font_set_scale(font, 16 * 64, 16 * 64);
    hb_buffer_t *buffer = hb_buffer_create();
    for (auto _ : benchState)
    {
        hb_buffer_clear_contents(buffer);
        hb_buffer_add_utf8(buffer, text.data(), int(text.size()), 0, int(text.size()));
        hb_buffer_set_direction(buffer, HB_DIRECTION_LTR);
        hb_buffer_set_script(buffer, HB_SCRIPT_LATIN);
        hb_buffer_set_language(buffer, hb_language_from_string("en", -1));
        hb_shape(font, buffer, features.data(), static_cast<unsigned int>(features.size()));
        unsigned int count = 0;
        benchmark::DoNotOptimize(hb_buffer_get_glyph_positions(buffer, &count));
    }
    benchState.SetItemsProcessed(int64_t(benchState.iterations()) * 2000);
    hb_buffer_destroy(buffer);
    hb_font_destroy(font);
    hb_face_destroy(face);
    hb_blob_destroy(blob);
}

void BM_HarfBuzzShape(benchmark::State &benchState) { ShapeWithHarfBuzz(benchState, {}); }
BENCHMARK(BM_HarfBuzzShape);

// The same work as ours: every feature HarfBuzz applies to Latin by default turned off but 'kern'
// (no ligatures, contextual alternates, composition or mark positioning).
void BM_HarfBuzzShapeKernOnly(benchmark::State &benchState)
{
    static const char *const kOff[] = {"-ccmp", "-locl", "-rlig", "-rvrn", "-ltra", "-ltrm", "-frac", "-numr",
                                       "-dnom", "-calt", "-clig", "-liga", "-rclt", "-curs", "-dist", "-abvm",
                                       "-blwm", "-mark", "-mkmk"};
    std::vector<hb_feature_t> features;
    for (const char *name : kOff)
    {
        hb_feature_t feature;
        if (hb_feature_from_string(name, -1, &feature)) features.push_back(feature);
    }
    hb_feature_t kern;
    if (hb_feature_from_string("kern", -1, &kern)) features.push_back(kern);
    ShapeWithHarfBuzz(benchState, features);
}
BENCHMARK(BM_HarfBuzzShapeKernOnly);

// Arguments: characters, line width in layout units (16 units per em).
void BM_BreakRunIntoLines(benchmark::State &benchState)
{
    DejaVuImage &dejaVu = GetDejaVu();
    int32_t characters = int32_t(benchState.range(0));
    float width = float(benchState.range(1));
    std::string text = LatinParagraph(characters);
    oq::TextLayoutState state = MakeState();
    oq::test::TextRunStorage storage;
    oq::LayoutText(dejaVu.font->Count(), dejaVu.font->fonts.data(), nullptr, &state, text.data(), int32_t(text.size()),
                   nullptr, &storage.run);
    static const uint32_t kBreaks[] = {' ', '-'};
    static const uint32_t kForced[] = {'\n', '\r' | oq::kForcedBreakPairs};
    std::vector<oq::TextLine> lines(static_cast<size_t>(characters));
    int32_t count = 0;
    for (auto _ : benchState)
    {
        count = oq::BreakRunIntoLines(&storage.run, 1, dejaVu.font->fonts.data(), width, 2, kBreaks, 2, kForced, 1,
                                      kBreaks, int32_t(lines.size()), lines.data(), nullptr);
        benchmark::DoNotOptimize(lines.data());
    }
    benchState.counters["lines"] = double(count);
    benchState.SetItemsProcessed(int64_t(benchState.iterations()) * characters);
}
BENCHMARK(BM_BreakRunIntoLines)->ArgsProduct({{1000, 10000}, {200, 800, 3200}});

}  // namespace
