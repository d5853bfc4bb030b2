// Version-1 paint graphs read from hand-built colour tables: structures per paint format, linear
// stop colours, glyph checks and the walk's limits.
#include "SfntTestBuilder.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "base/Color.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

using test::Bytes;
using test::ByteWriter;

// Palette 0: entry 0 {r 128, g 64, b 255, a 255}, entry 1 {r 10, g 20, b 30, a 128}.
Bytes Palettes()
{
    ByteWriter w;
    w.U16(0).U16(2).U16(1).U16(2).U32(14).U16(0);
    w.U8(255).U8(64).U8(128).U8(255).U8(30).U8(20).U8(10).U8(128);
    return w.bytes;
}

void PutU24(ByteWriter &w, size_t at, uint32_t v)
{
    w.bytes[at] = uint8_t(v >> 16);
    w.PutU16(at + 1, v);
}

// COLR version 1: glyph 1's paint is the first of the paints, placed in order after the lists;
// the caller links child offsets and fills the LayerList with paint indices.
struct ColrV1
{
    ByteWriter w;
    std::vector<size_t> paints;

    // Room for a LayerList of layerCount entries right after the BaseGlyphList (at 44).
    explicit ColrV1(uint32_t layerCount = 0)
    {
        w.U16(1).U16(0).U32(0).U32(0).U16(0).U32(34).U32(layerCount ? 44 : 0).U32(0).U32(0).U32(0);
        w.U32(1).U16(1).U32(0);  // BaseGlyphList at 34: one record, glyph 1
        if (layerCount != 0) w.U32(layerCount).Zeros(4 * layerCount);
    }
    size_t Add(const Bytes &paint)
    {
        paints.push_back(w.bytes.size());
        if (paints.size() == 1) w.PutU32(34 + 4 + 2, uint32_t(w.bytes.size() - 34));
        w.Raw(paint);
        return paints.back();
    }
    // Points the 24-bit offset at byte `field` of paint `from` to paint `to`.
    void Link(size_t from, size_t field, size_t to) { PutU24(w, paints[from] + field, uint32_t(paints[to] - paints[from])); }
    void Layers(const std::vector<size_t> &indices)
    {
        for (size_t k = 0; k < indices.size(); ++k) w.PutU32(44 + 4 + 4 * k, uint32_t(paints[indices[k]] - 44));
    }
};

std::string Import(const Bytes &colr, uint32_t *result)
{
    test::TestFace face = test::MinimalFace(8);
    face.Set("CPAL", Palettes());
    face.Set("COLR", colr);
    Bytes bytes = test::BuildSfnt({face}, false);
    AmbrelDocument document;
    *result = ImportOpenTypeFont(bytes.data(), bytes.size(), &document);
    std::string text;
    TextOutputStream stream([](const void *data, uint32_t count, void *user) {
        static_cast<std::string *>(user)->append(static_cast<const char *>(data), count);
        return true;
    }, &text);
    document.Write(&stream);
    static_cast<void>(stream.Finish());
    size_t emoji = text.find("Emoji");
    return emoji == std::string::npos ? "" : text.substr(emoji);
}

TEST(ColorPaints, FormatsBecomeStructures)
{
    ColrV1 c;
    // 0 PaintComposite(source 1, mode 5, backdrop 2); 1 PaintTranslate(100, 0) of 3; 2 PaintGlyph 2 of 4;
    // 3 PaintSolid entry 1 alpha 0.5; 4 PaintSweepGradient angles 0..1 over colour line 5.
    c.Add({32, 0, 0, 0, 5, 0, 0, 0});
    c.Add({14, 0, 0, 0, 0, 100, 0, 0});
    c.Add({10, 0, 0, 0, 0, 2});
    c.Add({2, 0, 1, 0x20, 0});
    c.Add({8, 0, 0, 0, 0, 50, 0, 60, 0, 0, 0x40, 0});
    c.Add({2, 0, 2, 0, 0, 0, 0, 0x40, 0, 0x40, 0, 0, 1, 0x40, 0});  // extend 2; stops at 0 and 1
    c.Link(0, 1, 1);
    c.Link(0, 5, 2);
    c.Link(1, 1, 3);
    c.Link(2, 1, 4);
    c.Link(4, 1, 5);
    uint32_t result = 1;
    std::string text = Import(c.w.bytes, &result);
    ASSERT_EQ(result, 0u);
    EXPECT_NE(text.find("Translation"), std::string::npos) << text;
    EXPECT_NE(text.find("{{0.1, 0.0}}"), std::string::npos) << text;
    EXPECT_NE(text.find("comp = 5"), std::string::npos) << text;
    EXPECT_NE(text.find("10, 20, 30, 64"), std::string::npos) << text;
    EXPECT_NE(text.find("mirror"), std::string::npos) << text;
    EXPECT_NE(text.find("{{180.0, 360.0}}"), std::string::npos) << text;
    // The stop colours are linear: palette entry 0's red byte 128 through the sRGB curve.
    char linear[32];
    std::snprintf(linear, sizeof linear, "%.7g", double(kSrgbByteToLinear[128]));
    EXPECT_NE(text.find(std::string("{{") + linear), std::string::npos) << linear << "\n" << text;
    // Entry 1's alpha byte 128 times the stop alpha 1.
    std::snprintf(linear, sizeof linear, "%.7g}}", double(128.0f * (1.0f / 255.0f)));
    EXPECT_NE(text.find(linear), std::string::npos) << linear << "\n" << text;
}

// A gradient whose colour line has no stop, or none inside the table, paints nothing: it is
// passed over instead of making a Gradient without colours, which failed the whole import.
TEST(ColorPaints, GradientWithoutStopsIsPassedOver)
{
    const Bytes gradients[] = {
        {4, 0, 0, 16, 0, 0, 0, 0, 0, 100, 0, 0, 0, 0, 0, 100},  // linear
        {6, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 50},     // radial
        {8, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0x40, 0},              // sweep
    };
    for (const Bytes &gradient : gradients)
    {
        for (uint32_t stops : {0u, 1u})
        {
            SCOPED_TRACE(testing::Message() << "format " << int(gradient[0]) << " stops " << stops);
            ColrV1 c;
            c.Add({10, 0, 0, 0, 0, 2});
            c.Add(gradient);
            // With one stop counted, the table ends before it.
            c.Add({0, 0, uint8_t(stops)});
            c.Link(0, 1, 1);
            uint32_t result = 1;
            std::string text = Import(c.w.bytes, &result);
            EXPECT_EQ(result, 0u);
            EXPECT_NE(text.find("Paint"), std::string::npos) << text;
            EXPECT_EQ(text.find("Gradient"), std::string::npos) << text;
        }
    }
}

TEST(ColorPaints, GlyphChecksAndLimits)
{
    // PaintGlyph and PaintColrGlyph naming glyph 300 (past the count) are passed over with their child.
    ColrV1 glyphs(2);
    glyphs.Add({1, 2, 0, 0, 0, 0});
    glyphs.Add({10, 0, 0, 0, 0x01, 0x2C});
    glyphs.Add({11, 0x01, 0x2C});
    glyphs.Add({2, 0, 0, 0x40, 0});
    glyphs.Link(1, 1, 3);
    glyphs.Layers({1, 2});
    uint32_t result = 1;
    EXPECT_EQ(Import(glyphs.w.bytes, &result).find("Paint"), std::string::npos);
    EXPECT_EQ(result, 0u);

    // A PaintColrLayers whose layer is itself.
    ColrV1 loop(1);
    loop.Add({1, 1, 0, 0, 0, 0});
    loop.Layers({0});
    Import(loop.w.bytes, &result);
    EXPECT_EQ(result, 'CRPT');

    // A layer index past the LayerList, and a child offset past the table.
    ColrV1 past(1);
    past.Add({1, 2, 0, 0, 0, 0});
    past.Layers({0});
    Import(past.w.bytes, &result);
    EXPECT_EQ(result, 'CRPT');
    ColrV1 outside;
    outside.Add({14, 0x7F, 0, 0, 0, 0, 0, 0});
    Import(outside.w.bytes, &result);
    EXPECT_EQ(result, 'CRPT');

    // A BaseGlyphList offset of 0 reads nothing more; a variable paint is passed over.
    ColrV1 none;
    none.Add({3, 0, 0, 0x40, 0, 0, 0, 0, 0});
    uint32_t solidResult = 1;
    EXPECT_EQ(Import(none.w.bytes, &solidResult).find("Color"), std::string::npos);
    EXPECT_EQ(solidResult, 0u);
    none.w.PutU32(14, 0);
    EXPECT_EQ(Import(none.w.bytes, &result), "");
    EXPECT_EQ(result, 0u);
}

}  // namespace
}  // namespace oq
