#include "editor/editing/CharacterClasses.h"

namespace oq {

namespace {

// A style over a range of the mathematical letters and digits; digits also take the role 'nmbr'.
struct StyledRange
{
    uint32_t first;
    uint32_t last;
    uint32_t style;
    bool digits;
};

constexpr StyledRange kStyledRanges[] = {
    {0x1D400, 0x1D433, 'bold', false}, {0x1D434, 0x1D467, 'ital', false}, {0x1D468, 0x1D49B, 'bitl', false},
    {0x1D49C, 0x1D4CF, 'scpt', false}, {0x1D4D0, 0x1D503, 'bdsc', false}, {0x1D504, 0x1D537, 'frkt', false},
    {0x1D538, 0x1D56B, 'doub', false}, {0x1D56C, 0x1D59F, 'bdfk', false}, {0x1D5A0, 0x1D5D3, 'sans', false},
    {0x1D5D4, 0x1D607, 'dbsn', false}, {0x1D608, 0x1D63B, 'itsn', false}, {0x1D63C, 0x1D66F, 'bisn', false},
    {0x1D670, 0x1D6A3, 'mono', false}, {0x1D6A8, 0x1D6E1, 'bold', false}, {0x1D6E2, 0x1D71B, 'ital', false},
    {0x1D71C, 0x1D755, 'bitl', false}, {0x1D756, 0x1D78F, 'dbsn', false}, {0x1D790, 0x1D7C9, 'bisn', false},
    {0x1D7CE, 0x1D7D7, 'bold', true},  {0x1D7D8, 0x1D7E1, 'doub', true},  {0x1D7E2, 0x1D7EB, 'sans', true},
    {0x1D7EC, 0x1D7F5, 'dbsn', true},  {0x1D7F6, 0x1D7FF, 'mono', true},
};

// The letterlike characters that stand in the holes of the mathematical letters.
struct LetterlikeStyle
{
    uint32_t codePoint;
    uint32_t style;
};

constexpr LetterlikeStyle kLetterlikeStyles[] = {
    {0x2102, 'doub'}, {0x210A, 'scpt'}, {0x210B, 'scpt'}, {0x210C, 'frkt'}, {0x210D, 'doub'}, {0x210E, 'ital'},
    {0x2110, 'scpt'}, {0x2111, 'frkt'}, {0x2112, 'scpt'}, {0x2115, 'doub'}, {0x2119, 'doub'}, {0x211A, 'doub'},
    {0x211B, 'scpt'}, {0x211C, 'frkt'}, {0x211D, 'doub'}, {0x2124, 'doub'}, {0x2128, 'frkt'}, {0x212C, 'scpt'},
    {0x212D, 'frkt'}, {0x212F, 'scpt'}, {0x2130, 'scpt'}, {0x2131, 'scpt'}, {0x2133, 'scpt'}, {0x2134, 'scpt'},
};

// The Greek keyboard's punctuation for the ASCII characters U+0021-U+007E; 0 keeps the character.
constexpr uint32_t kGreekKeyPunctuation[0x7F - 0x21] = {
    0x00AC, 0x2021, 0x266F, 0x2202, 0x2207, 0x2227, 0x2020, 0x00B0, 0x2205, 0x2217, 0x2213, 0x00D7,  // ! .. ,
    0xEE30, 0x00B7, 0x00F7,                                                                          // - . /
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                                                                    // 0-9
    0x2218, 0x2022, 0x226A, 0xEE31, 0x226B, 0x221E, 0x266D,                                          // : .. @
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                    // A-Z
    0x2190, 0x2216, 0x2192, 0, 0, 0x2243,                                                            // [ .. `
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                    // a-z
    0x21D0, 0x2228, 0x21D2, 0x2245,                                                                  // { .. ~
};

}  // namespace

uint8_t GetCharacterClass(uint32_t codePoint)
{
    for (int32_t i = 0; i < kCharacterClassBlockCount; ++i)
    {
        uint32_t start = kCharacterClassBlockStarts[i];
        if (codePoint >= start && codePoint - start < 256) return kCharacterClassBlocks[i][codePoint - start];
    }
    return 0;
}

uint32_t GetMathLetterStyle(uint32_t codePoint, uint32_t *role, uint32_t *style)
{
    if (codePoint < 0x2100) return codePoint;
    if (codePoint <= 0x214F)
    {
        for (const LetterlikeStyle &entry : kLetterlikeStyles)
        {
            if (entry.codePoint == codePoint) *style = entry.style;
        }
        return codePoint;
    }
    for (const StyledRange &range : kStyledRanges)
    {
        if (codePoint < range.first || codePoint > range.last) continue;
        *style = range.style;
        if (range.digits) *role = 'nmbr';
        break;
    }
    return codePoint;
}

uint32_t MapGreekKeyPunctuation(uint32_t codePoint)
{
    if (codePoint < 0x21 || codePoint > 0x7E) return codePoint;
    uint32_t mapped = kGreekKeyPunctuation[codePoint - 0x21];
    return mapped != 0 ? mapped : codePoint;
}

}  // namespace oq
