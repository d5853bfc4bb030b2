#pragma once

#include <cstdint>

#include "vorl/text/VorlFileFontRecord.h"
#include "vorl/text/VorlFileHeader.h"

namespace oq {

struct QuadraticBezier2D;

// Read-only access to a loaded Vorl font file image. The image is one 4-byte aligned block that
// ValidateVorlFontFile has accepted; the accessors read it in place and trust what it checked.

// The font record i (below the header's count).
inline const VorlFontRecord *GetVorlFontRecord(const VorlFileHeader *file, uint32_t index)
{
    return reinterpret_cast<const VorlFontRecord *>(reinterpret_cast<const char *>(file) + sizeof(VorlFileHeader)) + index;
}

// Bytes of the expanded curve texture: 16 per texel for 'FLT4', else 8.
uint32_t GetCurveTextureDataSize(const VorlFileHeader *file);

// Bytes of the band texture: 4 per texel.
uint32_t GetBandTextureDataSize(const VorlFileHeader *file);

// File offset of the curve texture data.
uint32_t GetCurveTextureOffset(const VorlFileHeader *file);

// Fill the destination with the expanded texture, decompressing a compressed block.
// False when the destination holds fewer bytes than the expanded size or the block does not
// decode to exactly that size.
[[nodiscard]] bool CopyCurveTextureData(const VorlFileHeader *file, void *destination, uint32_t destinationSize);
[[nodiscard]] bool CopyBandTextureData(const VorlFileHeader *file, void *destination, uint32_t destinationSize);

// Unpack the glyph's curves from the expanded curve texture (as CopyCurveTextureData leaves it:
// half floats for 'HLF4', floats for 'FLT4'); writes exactly the glyph's curve count of curves.
void ExtractGlyphCurves(const VorlFontRecord *font, uint32_t glyphIndex, const VorlFileHeader *file,
                        const void *curveTexels, QuadraticBezier2D *curves);

// Follow the glyph's alternates for the feature bits and selector; 0 when the chain leaves the
// font's glyphs.
uint32_t GetAlternateGlyph(const VorlFontRecord *font, uint32_t glyphIndex, uint32_t featureBits, uint32_t selector);

// Kerning between the left glyph and the right glyph, read from the right glyph's list.
float GetKerning(const VorlFontRecord *font, const VorlGlyphRecord *rightGlyph, uint32_t leftGlyphIndex);

}  // namespace oq
