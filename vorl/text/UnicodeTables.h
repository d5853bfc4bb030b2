#pragma once

#include <cstdint>

namespace oq {

// Unicode property bits of a character, as the text run classifies it.
enum : uint16_t
{
    kUnicodeControl = 0x1,          // Cc, Cf, Cs and the variation selectors U+FE00-FE0F
    kUnicodeMark = 0x2,             // Mn, Mc, Me
    kUnicodeStrongLTR = 0x4,        // bidi L, and the ASCII and Arabic-Indic digits
    kUnicodeStrongRTL = 0x8,        // bidi R and AL
    kUnicodeOtherNeutral = 0x10,    // bidi ON
    kUnicodeArabicNumber = 0x20,    // bidi AN
    kUnicodeMirrored = 0x40,        // Bidi_Mirrored
    kUnicodeJoinsNext = 0x80,       // joining type D (and C)
    kUnicodeJoinsPrevious = 0x100,  // joining types D and R (and C)
    kUnicodeTransparent = 0x200,    // Mn, Me
    kUnicodeUpright = 0x400,        // Vertical_Orientation U or Tu
    kUnicodeNoBreakBefore = 0x800,
    kUnicodeNoBreakAfter = 0x1000
};

// One entry of the mirroring hash: a code point and its mirror glyph ({0, 0} = empty slot).
struct BidiMirrorPair
{
    uint32_t codePoint;
    uint32_t mirror;
};

constexpr uint32_t kUnicodePropertyLimit = 0x30000;
constexpr int32_t kUnicodePropertyBlockCount = 6144;
constexpr int32_t kBidiMirrorBucketCount = 128;
constexpr int32_t kBidiMirrorSlotCount = 6;

// Generated tables (UnicodeTables.cpp): property(c) = words[blockIndex[c >> 5] + (c & 31)].
extern const int32_t kUnicodePropertyWordCount;
extern const int32_t kBidiMirrorPairCount;
extern const uint16_t kUnicodePropertyBlockIndex[kUnicodePropertyBlockCount];
extern const uint16_t kUnicodePropertyWords[];
extern const BidiMirrorPair kBidiMirrorTable[kBidiMirrorBucketCount][kBidiMirrorSlotCount];

// The property word of a code point; 0 from U+30000 up.
inline uint16_t GetUnicodeProperties(uint32_t codePoint)
{
    if (codePoint >= kUnicodePropertyLimit) return 0;
    return kUnicodePropertyWords[kUnicodePropertyBlockIndex[codePoint >> 5] + (codePoint & 31)];
}

inline int32_t GetBidiMirrorBucket(uint32_t codePoint)
{
    uint32_t c = codePoint;
    return int32_t(((c >> 12 & 15) + 17 * (c >> 4 & 15) + 7 * (c >> 8 & 15) + 19 * (c & 15)) & 127);
}

// The mirror of a code point, or 0 when the mirroring table has none.
inline uint32_t FindBidiMirror(uint32_t codePoint)
{
    if (codePoint == 0) return 0;
    const BidiMirrorPair *bucket = kBidiMirrorTable[GetBidiMirrorBucket(codePoint)];
    for (int32_t slot = 0; slot < kBidiMirrorSlotCount; slot++)
    {
        if (bucket[slot].codePoint == codePoint) return bucket[slot].mirror;
    }
    return 0;
}

}  // namespace oq
