#pragma once

#include "vorlfont/compiler/VorlFontCommandLine.h"

#include <cstdint>

namespace oq {

// One byte per code point (0x110000), nonzero for a code point that the compile includes.
class CharacterInclusionMap
{
public:
    static constexpr uint32_t kSize = 0x110000;

    // Latin-1's printable characters always, the include ranges (or, without any, the rest of
    // Unicode but the surrogates, U+FFFE and U+FFFF), then the exclude ranges taken out.
    CharacterInclusionMap(const CodePointRange *include, int32_t includeCount, const CodePointRange *exclude,
                          int32_t excludeCount);
    // The first min(count, kSize) bytes given, the rest zero.
    CharacterInclusionMap(uint32_t count, const uint8_t *bytes);
    // Exactly the listed code points (those at or above kSize are left out).
    CharacterInclusionMap(int32_t count, const uint32_t *codePoints);
    ~CharacterInclusionMap();
    CharacterInclusionMap(const CharacterInclusionMap &) = delete;
    CharacterInclusionMap &operator=(const CharacterInclusionMap &) = delete;

    bool Includes(uint32_t codePoint) const { return codePoint < kSize && map[codePoint] != 0; }

private:
    void SetRange(uint32_t first, uint32_t last, uint8_t value);

    uint8_t *map;
};

}  // namespace oq
