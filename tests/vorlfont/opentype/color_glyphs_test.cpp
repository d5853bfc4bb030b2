// Palettes and version-0 colour glyphs read from hand-built colour tables, with their bounds.
#include "SfntTestBuilder.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/AttachmentStructures.h"
#include "ambrel/ColorStructures.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/MetricStructures.h"
#include "kettric/KettricPrimitive.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace oq {
namespace {

using test::Bytes;
using test::ByteWriter;
using test::TestFace;

// CPAL with palettes of {b, g, r, a} records starting at the given record indices.
Bytes Cpal(uint32_t version, uint32_t entries, const std::vector<uint32_t> &firsts,
           const std::vector<std::vector<uint32_t>> &records, const std::vector<uint32_t> &types = {})
{
    ByteWriter w;
    w.U16(version).U16(entries).U16(uint32_t(firsts.size())).U16(uint32_t(records.size())).U32(0);
    for (uint32_t f : firsts) w.U16(f);
    size_t typesAt = w.bytes.size();
    if (version != 0) w.U32(0);
    w.PutU32(8, uint32_t(w.bytes.size()));
    for (auto &r : records) w.U8(r[0]).U8(r[1]).U8(r[2]).U8(r[3]);
    if (!types.empty())
    {
        w.PutU32(typesAt, uint32_t(w.bytes.size()));
        for (uint32_t t : types) w.U32(t);
    }
    return w.bytes;
}

// COLR version 0 with base records {glyph, first layer, count} and layers {glyph, palette entry}.
Bytes Colr(const std::vector<std::vector<uint32_t>> &bases, const std::vector<std::vector<uint32_t>> &layers)
{
    ByteWriter w;
    w.U16(0).U16(uint32_t(bases.size())).U32(14).U32(uint32_t(14 + 6 * bases.size())).U16(uint32_t(layers.size()));
    for (auto &b : bases) w.U16(b[0]).U16(b[1]).U16(b[2]);
    for (auto &l : layers) w.U16(l[0]).U16(l[1]);
    return w.bytes;
}

struct Imported
{
    AmbrelDocument document;
    uint32_t result = 0;
    FontStructure *font = nullptr;
};

void ImportFaces(const std::vector<TestFace> &faces, bool collection, Imported *out,
                 const std::vector<std::string> &shared = {})
{
    Bytes bytes = test::BuildSfnt(faces, collection, shared);
    out->result = ImportOpenTypeFont(bytes.data(), bytes.size(), &out->document);
    for (KettricStructure *s = out->document.GetRootStructure()->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
        if (s->GetStructureType() == 'font' && out->font == nullptr) out->font = static_cast<FontStructure *>(s);
}

TestFace ColorFace(const Bytes &cpal, const Bytes &colr)
{
    TestFace face = test::MinimalFace(8);
    if (!cpal.empty()) face.Set("CPAL", cpal);
    if (!colr.empty()) face.Set("COLR", colr);
    return face;
}

// Each Emoji's Components as "glyph:[layers] p0(r,g,b,a ...) p1(...)".
std::string DescribeEmojis(FontStructure *font)
{
    std::ostringstream out;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        KettricStructure *emoji = font->glyphTable[g]->GetFirstSubstructure('emoj');
        if (emoji == nullptr) continue;
        for (KettricStructure *c = emoji->GetFirstSubnodeStructure(); c; c = c->GetNextStructure())
        {
            out << g << ":[";
            for (KettricStructure *s = c->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
            {
                if (s->GetStructureType() == 'UI32')
                {
                    auto *list = static_cast<KettricUInt32List *>(s);
                    for (int32_t i = 0; i < list->GetElementCount(); ++i) out << (i ? "," : "") << (*list)[i];
                    out << "]";
                }
                else if (s->GetStructureType() == 'colr')
                {
                    out << " p" << static_cast<ColorStructure *>(s)->paletteIndex << "(";
                    auto *list = static_cast<KettricUInt8List *>(s->GetFirstSubnodeStructure());
                    for (int32_t i = 0; i < list->GetElementCount(); ++i)
                        out << int((*list)[i]) << (i % 4 == 3 ? (i + 1 < list->GetElementCount() ? " " : "") : ",");
                    out << ")";
                }
            }
            out << " ";
        }
    }
    return out.str();
}

// The palette Metrics as "key=value ".
std::string PaletteMetrics(FontStructure *font)
{
    std::string text;
    for (KettricStructure *s = font->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
    {
        if (s->GetStructureType() != 'mtrc') continue;
        std::string key = static_cast<MetricStructure *>(s)->metricKey.GetText();
        if (key.find("palette") == std::string::npos) continue;
        auto *list = static_cast<KettricUInt32List *>(s->GetFirstSubnodeStructure());
        text += key + "=" + std::to_string((*list)[0]) + " ";
    }
    return text;
}

const std::vector<std::vector<uint32_t>> kRecords = {
    {10, 20, 30, 255}, {40, 50, 60, 128}, {1, 2, 3, 4}, {5, 6, 7, 8}};

TEST(ColorGlyphs, LayersPerPalette)
{
    // Glyph 1: layers 2 (entry 0), 3 (text colour), 9 (past the glyph count: dropped), 4 (entry 1).
    Bytes colr = Colr({{1, 0, 4}, {2, 4, 0}}, {{2, 0}, {3, 0xFFFF}, {9, 1}, {4, 1}});
    Imported r;
    ImportFaces({ColorFace(Cpal(1, 2, {0, 2}, kRecords, {2, 1}), colr)}, false, &r);
    ASSERT_EQ(r.result, 0u);
    EXPECT_EQ(DescribeEmojis(r.font),
              "1:[2,3,4] p0(30,20,10,255 0,0,0,255 60,50,40,128) p1(3,2,1,4 0,0,0,255 7,6,5,8) ");

    // Palette types: light is palette 1, dark palette 0; a version-0 table gives neither.
    EXPECT_EQ(PaletteMetrics(r.font), "light_palette=1 dark_palette=0 ");
    Imported plain;
    ImportFaces({ColorFace(Cpal(0, 2, {0, 2}, kRecords), colr)}, false, &plain);
    ASSERT_EQ(plain.result, 0u);
    EXPECT_EQ(PaletteMetrics(plain.font), "");

    // Without palettes no colour glyph is read.
    Imported none;
    ImportFaces({ColorFace({}, colr)}, false, &none);
    ASSERT_EQ(none.result, 0u);
    EXPECT_EQ(DescribeEmojis(none.font), "");

    // A shared collection adds the colour data once.
    TestFace face = ColorFace(Cpal(0, 2, {0}, kRecords), Colr({{1, 0, 1}}, {{2, 1}}));
    Imported shared;
    ImportFaces({face, face}, true, &shared, {"head", "hhea", "maxp", "hmtx", "CPAL", "COLR"});
    ASSERT_EQ(shared.result, 0u);
    EXPECT_EQ(DescribeEmojis(shared.font), "1:[2] p0(60,50,40,128) ");
}

TEST(ColorGlyphs, BoundsAndLimits)
{
    Bytes colr = Colr({{1, 0, 2}}, {{2, 0}, {3, 1}});
    Bytes huge = Cpal(0, 0xFFFF, std::vector<uint32_t>(0xFFFF, 0), kRecords);
    struct Case { const char *name; Bytes cpal, colr; } cases[] = {
        {"no entries", Cpal(0, 0, {0}, kRecords), colr},
        {"no palettes", Cpal(0, 2, {}, kRecords), colr},
        {"palette past the records", Cpal(0, 2, {0, 3}, kRecords), colr},
        {"17 GB of palette colours", huge, colr},
        {"base glyph past the glyph count", Cpal(0, 2, {0}, kRecords), Colr({{8, 0, 1}}, {{2, 0}})},
        {"layers past the layer count", Cpal(0, 2, {0}, kRecords), Colr({{1, 1, 2}}, {{2, 0}, {3, 1}})},
    };
    for (const Case &c : cases)
    {
        Imported r;
        ImportFaces({ColorFace(c.cpal, c.colr)}, false, &r);
        EXPECT_EQ(r.result, 'CRPT') << c.name;
    }
    // Records past the end of the table.
    Bytes shortColr = colr;
    shortColr.resize(shortColr.size() - 2);
    Imported r;
    ImportFaces({ColorFace(Cpal(0, 2, {0}, kRecords), shortColr)}, false, &r);
    EXPECT_EQ(r.result, 'CRPT');
}

}  // namespace
}  // namespace oq
