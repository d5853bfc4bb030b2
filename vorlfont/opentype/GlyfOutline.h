#pragma once

#include "base/Array.h"
#include "vorlfont/opentype/FontBytes.h"

#include <cstdint>

namespace oq {

// Limits of TrueType outline decoding: composite nesting, points of one glyph, and the points and
// component records one font may decode in all (so a hostile font stops after bounded work).
inline constexpr int32_t kGlyfMaxCompositeDepth = 16;
inline constexpr int64_t kGlyfMaxGlyphPoints = 262144;
inline constexpr int64_t kGlyfMaxFontWork = int64_t(1) << 26;

// One decoded TrueType point. The link is positive on the curve and negative off it; its magnitude
// counts the points from this one to the end of its contour, both included.
struct GlyfPoint
{
    int32_t link;
    int16_t flags;
    float x;  // ems
    float y;
};

// A component's placement: (x, y) becomes (xscale x + scale10 y + dx, scale01 x + yscale y + dy).
struct GlyfComponentTransform
{
    float xscale = 1.0f;
    float scale01 = 0.0f;
    float scale10 = 0.0f;
    float yscale = 1.0f;
    float dx = 0.0f;
    float dy = 0.0f;
};

// Reader of the 'glyf' outlines of one font through its checked 'loca' offsets.
class GlyfOutlineReader
{
public:
    // 0; 'LOCA' for an indexToLocFormat other than 0 and 1; 'CRPT' when 'loca' is not exactly the
    // size its format needs, or its offsets decrease or pass the end of 'glyf'. scale: ems per unit.
    [[nodiscard]] uint32_t Open(const FontBytes &glyf, const FontBytes &loca, int32_t indexToLocFormat,
                                uint32_t glyphCount, float scale);

    // The glyph's bytes (empty for an empty glyph) and its numberOfContours (0 when empty).
    FontBytes GetGlyphData(uint32_t glyph) const;
    int32_t GetContourCount(uint32_t glyph) const;

    // The glyph's point count through its components; -1 when it cannot be decoded (bad component
    // index, nesting beyond the limit, more than kGlyfMaxGlyphPoints, malformed data, font work spent).
    [[nodiscard]] int64_t CountGlyfPoints(uint32_t glyph);

    // Decodes the glyph's points into points (replacing its contents) and returns their number,
    // or -1. With the lists given, a composite glyph's own components and transforms are appended.
    [[nodiscard]] int64_t DecodeGlyfOutline(uint32_t glyph, Array<GlyfPoint> *points,
                                            Array<uint32_t> *componentGlyphs = nullptr,
                                            Array<GlyfComponentTransform> *transforms = nullptr);

    int64_t GetFontWork() const { return fontWork; }

private:
    int64_t Count(uint32_t glyph, int32_t depth);
    int64_t Decode(uint32_t glyph, int32_t depth, Array<GlyfPoint> *points, Array<uint32_t> *componentGlyphs,
                   Array<GlyfComponentTransform> *transforms);
    int64_t DecodeSimple(const FontBytes &data, int32_t contourCount, Array<GlyfPoint> *points);
    [[nodiscard]] bool Spend(int64_t work);

    FontBytes glyfTable;
    Array<uint32_t> offsets;  // glyph count + 1
    uint32_t glyphCount = 0;
    float unitScale = 1.0f;
    int64_t fontWork = 0;
};

}  // namespace oq
