#include <gtest/gtest.h>

#include "vorl/text/UnicodeTables.h"

namespace oq {
namespace {

struct PropertyCase
{
    uint32_t codePoint;
    uint16_t properties;
};

TEST(UnicodeTables, PropertyWords)
{
    static const PropertyCase kCases[] = {
        {0x0020, 0x0000},   // space
        {0x002C, 0x0800},   // comma
        {0x0028, 0x1050},   // left parenthesis
        {0x0029, 0x0850},   // right parenthesis
        {0x00A0, 0x1800},   // no-break space
        {0x00AD, 0x0001},   // soft hyphen
        {0x0300, 0x0A02},   // combining grave accent
        {0x05D0, 0x0008},   // alef
        {0x0628, 0x0188},   // beh
        {0x0660, 0x0024},   // Arabic-Indic digit zero
        {0x200D, 0x1981},   // zero width joiner
        {0x3001, 0x0C10},   // ideographic comma
        {0x4E00, 0x0404},   // CJK ideograph
        {0x0030, 0x0004},   // ASCII digits are strong left to right
        {0x0039, 0x0004},
        {0x0669, 0x0024},
        {0x06F0, 0x0004},   // Extended Arabic-Indic digits count like the Arabic-Indic ones
        {0x06F9, 0x0004},
        {0xFE00, 0x0001 | 0x0002 | 0x0200 | 0x0800},   // variation selector: also a control
        {0x0640, 0x0188},   // tatweel, join causing
        {0x2FFFF, 0x0000},
        {0x30000, 0x0000},  // nothing from U+30000 up
        {0x10FFFF, 0x0000},
        {0xFFFFFFFF, 0x0000},
    };
    for (const PropertyCase &c : kCases)
    {
        EXPECT_EQ(GetUnicodeProperties(c.codePoint), c.properties) << std::hex << "U+" << c.codePoint;
    }
}

TEST(UnicodeTables, MirrorPairs)
{
    static const uint32_t kPairs[][2] = {
        {0x0028, 0x0029}, {0x0029, 0x0028}, {0x003C, 0x003E}, {0x005B, 0x005D}, {0x007B, 0x007D},
        {0x00AB, 0x00BB}, {0x2039, 0x203A}, {0x2208, 0x220B}, {0x3008, 0x3009}, {0xFF09, 0xFF08},
        {0x0041, 0}, {0x2201, 0}, {0, 0}};
    for (const auto &pair : kPairs)
    {
        EXPECT_EQ(FindBidiMirror(pair[0]), pair[1]) << std::hex << "U+" << pair[0];
    }
}

// Every table entry is a mirrored character in its own bucket, and pairs are symmetric where
// both characters are listed.
TEST(UnicodeTables, MirrorTableConsistent)
{
    int32_t pairs = 0;
    for (int32_t bucket = 0; bucket < kBidiMirrorBucketCount; bucket++)
    {
        for (int32_t slot = 0; slot < kBidiMirrorSlotCount; slot++)
        {
            const BidiMirrorPair &pair = kBidiMirrorTable[bucket][slot];
            if (pair.codePoint == 0)
            {
                EXPECT_EQ(pair.mirror, 0u);
                continue;
            }
            pairs++;
            EXPECT_EQ(GetBidiMirrorBucket(pair.codePoint), bucket);
            EXPECT_TRUE(GetUnicodeProperties(pair.codePoint) & kUnicodeMirrored);
            uint32_t back = FindBidiMirror(pair.mirror);
            if (back != 0)
            {
                EXPECT_EQ(back, pair.codePoint);
            }
        }
    }
    EXPECT_EQ(pairs, kBidiMirrorPairCount);
}

}  // namespace
}  // namespace oq
