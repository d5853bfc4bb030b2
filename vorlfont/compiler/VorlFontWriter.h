#pragma once

#include "base/List.h"
#include "vorl/text/OutputSink.h"
#include "vorl/text/VorlFileWriter.h"
#include "vorlfont/compiler/FontCompileContext.h"
#include "vorlfont/compiler/FontGlyphData.h"

#include <cstdint>

namespace oq {

// Lays out a Vorl font file of the contexts (FontCompileContext, in font order, each with its
// data values and character map) over the shared glyph data, finishes and (with the compress
// option) compresses the textures, and writes the file through the sink in one forward pass.
// Returns 0; 'SIZE' when the file would not fit its 32-bit offsets; 'MEMY' when a compression
// buffer cannot be had (nothing written then); 'WRIT' when the sink refused any block.
[[nodiscard]] uint32_t WriteVorlFontFile(OutputSink *sink, const VorlHeaderStart *start, const List &contexts,
                                         FontGlyphData *glyphs, uint32_t flags);

}  // namespace oq
