#pragma once

#include "base/TextString.h"
#include "editor/fonts/SfntFaceDirectory.h"
#include "vorlfont/opentype/FontBytes.h"

#include <cstdint>

namespace oq {

// The face's name for the registry, from its 'name' table: the full name (ID 4) when there is one,
// else the typographic family (ID 16) or the family (ID 1), followed by a blank and its subfamily
// (ID 17 or 2) unless that is exactly "Regular". Of each ID the first usable record counts, replaced
// by a later one in English (United States, 0x0409). False when the face has no such name.
[[nodiscard]] bool ReadFaceName(const FontByteSource &file, const SfntFaceDirectory &directory, TextString *name);

// Appends one name record's text as valid UTF-8 without control characters: Mac Roman for platform
// 1, the bytes of a platform-0 encoding-0 string whose first byte is not 0 when they are valid UTF-8
// (else Mac Roman), UTF-16BE otherwise (surrogates paired, a lone one U+FFFD). False when the text
// comes out empty.
[[nodiscard]] bool DecodeFaceNameRecord(const uint8_t *bytes, uint32_t length, uint16_t platform,
                                        uint16_t encoding, TextString *text);

}  // namespace oq
