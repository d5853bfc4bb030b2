// Truncation and byte-mutation sweeps of the glyf/loca and CFF seeds: every damaged table either
// decodes or is refused with one of its reader's documented results, never read outside its bytes
// (run under the sanitizers).
#include "vorlfont/opentype/CffFont.h"
#include "vorlfont/opentype/GlyfOutline.h"
#include "vorlfont/opentype/SfntFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <vector>

namespace oq {
namespace {

using Bytes = std::vector<uint8_t>;

// Results a sweep met that its readers do not document (4CC codes, or a count below -1).
using Undocumented = std::set<int64_t>;

void CheckCode(uint32_t result, std::initializer_list<uint32_t> codes, Undocumented *undocumented)
{
    if (result != 0 && std::find(codes.begin(), codes.end(), result) == codes.end()) undocumented->insert(result);
}

void CheckCount(int64_t count, Undocumented *undocumented)
{
    if (count < -1) undocumented->insert(count);
}

std::vector<Bytes> ReadSeeds(const char *folder)
{
    std::vector<Bytes> seeds;
    for (const auto &entry : std::filesystem::directory_iterator(std::string(OQ_SOURCE_DIR) + "/fuzz/corpus/" + folder))
    {
        std::ifstream stream(entry.path(), std::ios::binary);
        seeds.emplace_back((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    }
    return seeds;
}

// Seed layout: loca format byte, glyph count, loca, glyf. Returns the glyphs decoded.
int32_t DecodeGlyfSeed(const Bytes &input, Undocumented *undocumented)
{
    if (input.size() < 3) return 0;
    int32_t format = input[0] & 1;
    uint32_t glyphCount = uint32_t(input[1]) << 8 | input[2];
    uint64_t locaSize = (uint64_t(glyphCount) + 1) * (format == 0 ? 2 : 4);
    if (input.size() - 3 < locaSize) return 0;
    GlyfOutlineReader reader;
    uint32_t opened = reader.Open(FontBytes{input.data() + 3 + locaSize, input.size() - 3 - locaSize},
                                  FontBytes{input.data() + 3, locaSize}, format, glyphCount, 1.0f / 2048.0f);
    CheckCode(opened, {'LOCA', kResultCorrupt}, undocumented);
    if (opened != 0) return 0;
    Array<GlyfPoint> points;
    Array<uint32_t> glyphs;
    Array<GlyfComponentTransform> transforms;
    int32_t decoded = 0;
    for (uint32_t g = 0; g < glyphCount; ++g)
    {
        int64_t count = reader.CountGlyfPoints(g);
        int64_t n = reader.DecodeGlyfOutline(g, &points, &glyphs, &transforms);
        CheckCount(count, undocumented);
        CheckCount(n, undocumented);
        if (count >= 0 && n >= 0)
        {
            EXPECT_EQ(n, count);
            ++decoded;
        }
    }
    return decoded;
}

// Seed layout: glyph count, 'CFF ' table.
int32_t DecodeCffSeed(const Bytes &input, Undocumented *undocumented)
{
    if (input.size() < 2) return 0;
    uint32_t glyphCount = uint32_t(input[0]) << 8 | input[1];
    auto *font = new CffFont;
    int32_t decoded = 0;
    uint32_t opened = OpenCffFont(FontBytes{input.data() + 2, input.size() - 2}, glyphCount, font);
    CheckCode(opened, {kResultCorrupt}, undocumented);
    if (opened == 0)
    {
        CffCharstringDecoder decoder(font->globalSubrs);
        Array<CubicBezier2D> segments;
        for (uint32_t g = 0; g < glyphCount; ++g)
        {
            uint32_t result = DecodeCffGlyph(*font, &decoder, g, &segments);
            CheckCode(result, {kResultCorrupt}, undocumented);
            decoded += result == 0;
        }
    }
    delete font;
    return decoded;
}

// Damaged inputs may decode any number of glyphs (the count is not checked); every result on the
// way must be documented.
void Sweep(const char *folder, const std::function<int32_t(const Bytes &, Undocumented *)> &decode)
{
    std::vector<Bytes> seeds = ReadSeeds(folder);
    ASSERT_FALSE(seeds.empty());
    Undocumented undocumented;
    for (const Bytes &seed : seeds)
    {
        EXPECT_GT(decode(seed, &undocumented), 0);
        for (size_t size = 0; size < seed.size(); ++size)
            static_cast<void>(decode(Bytes(seed.begin(), seed.begin() + size), &undocumented));
        for (size_t at = 0; at < seed.size(); ++at)
        {
            for (int32_t kind = 0; kind < 4; ++kind)
            {
                Bytes damaged = seed;
                uint8_t &b = damaged[at];
                b = kind == 0 ? 0 : kind == 1 ? 0xFF : kind == 2 ? uint8_t(b ^ 0x80) : uint8_t(b + 1);
                static_cast<void>(decode(damaged, &undocumented));
            }
        }
    }
    EXPECT_TRUE(undocumented.empty()) << "undocumented result " << (undocumented.empty() ? 0 : *undocumented.begin());
}

TEST(OutlineRobustness, DamagedGlyfAndLoca) { Sweep("glyf_fuzz", DecodeGlyfSeed); }

TEST(OutlineRobustness, DamagedCffTables) { Sweep("cff_fuzz", DecodeCffSeed); }

}  // namespace
}  // namespace oq
