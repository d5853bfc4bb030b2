#pragma once

#include <cstdint>

#include "support/VorlFontBuilder.h"

namespace oq::test {

// Glyphs of the geometry test font: each kind of glyph the text builders treat apart.
enum GeometryTestGlyph : uint32_t
{
    kGeometryMissing,       // a quad glyph
    kGeometryA,             // 'a': pentagon polygon, base anchor
    kGeometryB,             // 'b': quad only, kerned after 'a'
    kGeometrySpace,         // ' ': advance, no outline
    kGeometryRing,          // U+030A: a mark that other marks attach to
    kGeometrySmile,         // U+1F600: three colour layers, the last without band data
    kGeometryRedLayer,      // hexagon polygon
    kGeometryGreenLayer,
    kGeometryEmptyLayer,    // no band data
    kGeometryC,             // 'c': triangle polygon
    kGeometryHyphen,        // U+00AD
    kGeometryAlef,          // U+05D0: right to left
    kGeometryD,             // 'd': quadrilateral polygon; its outline record has no band data
    kGeometryUpright,       // U+4E00: upright in vertical text
    kGeometryGlyphCount
};

// The geometry test font: font 0 with 'UNDR', 'STRK' and 'OTLN' and every glyph above; font 1
// sharing the glyphs, mapping 'x' to 'b', with 'OTLN' but no decorations. With outline records
// (every glyph but the space and 'd' grown by 1/32 em) unless withOutlines is false, which also
// leaves out the 'OTLN' items. Polygons enclose the glyphs' curves.
VorlFontBuilder MakeGeometryTestFont(bool withOutlines = true);

}  // namespace oq::test
