// The paint walk's visit budget: a shallow paint graph whose layers all lead to the same paints
// ends the import with 'CRPT' once it visits more paints than a colour table may.
#include "SfntTestBuilder.h"

#include "ambrel/AmbrelDocument.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <gtest/gtest.h>

namespace oq {
namespace {

using test::Bytes;
using test::ByteWriter;

// A version-1 colour table: glyph 1's paint is a PaintColrLayers of 255 layers that all name the
// next PaintColrLayers of 255 layers, down `levels` levels; the last has no layers. The walk visits
// 255^k paints at depth k.
Bytes LayerFan(int levels)
{
    const uint32_t layerList = 44;
    const uint32_t paints = layerList + 4 + 4 * 255 * uint32_t(levels);
    ByteWriter w;
    w.U16(1).U16(0).U32(0).U32(0).U16(0).U32(34).U32(layerList).U32(0).U32(0).U32(0);
    w.U32(1).U16(1).U32(paints - 34);  // BaseGlyphList: glyph 1
    w.U32(255 * uint32_t(levels));
    for (int level = 0; level < levels; ++level)
        for (int i = 0; i < 255; ++i) w.U32(paints + 6 * uint32_t(level + 1) - layerList);
    for (int level = 0; level < levels; ++level) w.U8(1).U8(255).U32(255 * uint32_t(level));
    w.U8(1).U8(0).U32(0);
    return w.bytes;
}

uint32_t ImportColr(const Bytes &colr)
{
    ByteWriter cpal;
    cpal.U16(0).U16(1).U16(1).U16(1).U32(14).U16(0).U8(0).U8(0).U8(255).U8(255);
    test::TestFace face = test::MinimalFace(4);
    face.Set("CPAL", cpal.bytes);
    face.Set("COLR", colr);
    Bytes bytes = test::BuildSfnt({face}, false);
    AmbrelDocument document;
    return ImportOpenTypeFont(bytes.data(), bytes.size(), &document);
}

TEST(ColorLimits, PaintVisitBudget)
{
    // 1 + 255 + 65,025 visits pass; 255^3 more pass the budget at depth 3, far from the depth limit.
    EXPECT_EQ(ImportColr(LayerFan(2)), 0u);
    EXPECT_EQ(ImportColr(LayerFan(3)), 'CRPT');
}

}  // namespace
}  // namespace oq
