#pragma once

#include "base/Array.h"
#include "base/Bezier.h"
#include "base/Transform4D.h"
#include "vorlfont/opentype/CffCharstringDecoder.h"
#include "vorlfont/opentype/CffDictParser.h"
#include "vorlfont/opentype/CffIndex.h"

#include <cstdint>

namespace oq {

inline constexpr uint32_t kCffMaxFontDicts = 256;

// Per Font DICT data of a CFF font: Local Subrs and FontMatrix, and each glyph's Font DICT.
struct CffFontDicts
{
    uint32_t fontDictCount = 1;
    bool hasLocalSubrs[kCffMaxFontDicts] = {};
    CffIndex localSubrs[kCffMaxFontDicts];
    Transform4D fontMatrix[kCffMaxFontDicts];
    Array<uint8_t> glyphFontDict;  // one per glyph
};

// Reads the Font DICTs and FDSelect of a CID-keyed font into dicts (whose entry 0 and glyph list
// the caller has set up); a font without FDArray or FDSelect is left unchanged. False when the
// data is malformed or a glyph's Font DICT index is not below the FDArray count.
[[nodiscard]] bool LoadCffFontDicts(const CffTopDictParser &top, uint32_t glyphCount, CffFontDicts *dicts);

// The CFF data of one font, opened for decoding glyphs one by one.
struct CffFont
{
    FontBytes cff;
    uint32_t glyphCount = 0;
    CffIndex charStrings;
    CffIndex globalSubrs;
    CffFontDicts dicts;
};

// Opens the 'CFF ' table: 0, or 'CRPT' when its INDEXes or DICTs are malformed, the CharStrings
// are missing or their count differs from glyphCount.
[[nodiscard]] uint32_t OpenCffFont(const FontBytes &cff, uint32_t glyphCount, CffFont *font);

// Decodes one glyph into segments mapped by its FontMatrix (ems); 0 or 'CRPT' (a failed
// charstring, a non-finite coordinate or one beyond kMaxOutlineCoordinate).
[[nodiscard]] uint32_t DecodeCffGlyph(const CffFont &font, CffCharstringDecoder *decoder, uint32_t glyph,
                                      Array<CubicBezier2D> *segments);

}  // namespace oq
