#pragma once

#include "base/Array.h"
#include "vorlfont/opentype/FontBytes.h"

#include <cstdint>

namespace oq {

// The font-wide header values of one face and the tables later steps read them from.
struct FontHeader
{
    FontBytes head;
    FontBytes hhea;
    FontBytes vhea;  // empty when the face has none
    float unitsPerEm = 0.0f;
    uint32_t glyphCount = 0;
};

// One font-wide Metric: a float (count 1), a float pair (count 2) or an integer (count 0).
struct FontMetric
{
    const char *key = nullptr;
    int32_t count = 0;
    float values[2] = {0.0f, 0.0f};
    int32_t integer = 0;
};

// Advance and bearing lists of one glyph (a second value only when nonzero).
struct GlyphMetrics
{
    float advance[2] = {0.0f, 0.0f};
    float bearing[2] = {0.0f, 0.0f};
    int32_t advanceCount = 0;
    int32_t bearingCount = 0;
};

// Checks 'head', 'hhea' and 'maxp' and reads units per em and the glyph count.
[[nodiscard]] uint32_t ReadFontHeader(const FontBytes &file, uint64_t offsetTable, FontHeader *header);

// The Metrics of 'hhea', 'OS/2', 'post' and 'MATH' in their order, scaled by s; the family class
// (0 when none) goes to *familyClass.
[[nodiscard]] uint32_t ReadFontMetricValues(const FontBytes &file, uint64_t offsetTable, const FontBytes &hhea, float s,
                                            Array<FontMetric> *metrics, uint32_t *familyClass);

// Advances and bearings of every glyph from 'hmtx' and 'vmtx'; glyphs holds glyphCount records. Without
// usable 'vhea' and 'vmtx' the vertical advance is the 'hhea' ascender minus descender.
[[nodiscard]] uint32_t ReadGlyphMetrics(const FontBytes &file, uint64_t offsetTable, const FontHeader &header, float s,
                                        GlyphMetrics *glyphs);

}  // namespace oq
