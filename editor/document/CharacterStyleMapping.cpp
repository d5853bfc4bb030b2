#include "editor/document/CharacterStyleMapping.h"

#include "editor/document/SymbolRunNode.h"
#include "vorl/text/MathStyleTable.h"

namespace oq {

namespace {

constexpr uint32_t kMathAlphanumericStyles[kMathStyleCount] = {'ital', 'bold', 'bitl', 'mono', 'scpt', 'bdsc', 'frkt',
                                                               'bdfk', 'doub', 'sans', 'itsn', 'dbsn', 'bisn'};

// The first column whose letters and digits are stored in the text: 'scpt' and after. The styles
// before it are drawn by font and selector from the plain characters.
constexpr int32_t kFirstStoredColumn = 4;

// The math-style table's indexes of the plain characters: A-Z, a-z, the Greek letters, then 0-9.
constexpr int32_t kLetterCount = 52;
constexpr int32_t kFirstDigitIndex = 102;

// The table index of a plain letter or digit, -1 for anything else.
int32_t GetPlainIndex(uint32_t codePoint)
{
    if (codePoint >= 'A' && codePoint <= 'Z') return int32_t(codePoint - 'A');
    if (codePoint >= 'a' && codePoint <= 'z') return int32_t(codePoint - 'a') + 26;
    if (codePoint >= '0' && codePoint <= '9') return int32_t(codePoint - '0') + kFirstDigitIndex;
    return -1;
}

uint32_t ToPlain(uint32_t style, uint32_t codePoint)
{
    if (IsGreekStyle(style))
    {
        for (int32_t i = 0; i < kGreekKeyboardCount; ++i)
        {
            if (kGreekKeyboardTable[i] != 0 && kGreekKeyboardTable[i] == codePoint) return kMathPlainCharacters[i];
        }
        return codePoint;
    }
    int32_t column = GetMathAlphanumericColumn(style);
    if (column < 0) return codePoint;
    const uint32_t *forms = kMathStyleForms[column];
    for (int32_t i = 0; i < kLetterCount; ++i)
    {
        if (forms[i] == codePoint) return kMathPlainCharacters[i];
    }
    for (int32_t i = kFirstDigitIndex; i < kFirstDigitIndex + 10; ++i)
    {
        if (forms[i] != 0 && forms[i] == codePoint) return kMathPlainCharacters[i];
    }
    return codePoint;
}

}  // namespace

const uint32_t kGreekKeyboardTable[kGreekKeyboardCount] = {
    // A-Z
    0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0, 0x039A, 0x039B, 0x039C,
    0x039D, 0x039F, 0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03F4, 0x03A9, 0x039E, 0x03A8, 0x0396,
    // a-z
    0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03D5, 0x03B3, 0x03B7, 0x03B9, 0x03C6, 0x03BA, 0x03BB, 0x03BC,
    0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D1, 0x03C9, 0x03BE, 0x03C8, 0x03B6,
};

bool IsGreekStyle(uint32_t style)
{
    return style == 'grek' || style == 'itgk' || style == 'bdgk' || style == 'bigk';
}

int32_t GetMathAlphanumericColumn(uint32_t style)
{
    for (int32_t i = 0; i < kMathStyleCount; ++i)
    {
        if (kMathAlphanumericStyles[i] == style) return i;
    }
    return -1;
}

uint32_t MapCodePointBetweenStyles(uint32_t style, uint32_t codePoint, uint32_t newStyle)
{
    uint32_t plain = ToPlain(style, codePoint);
    int32_t index = GetPlainIndex(plain);
    if (index < 0) return plain;
    if (IsGreekStyle(newStyle))
    {
        if (index >= kLetterCount) return plain;
        uint32_t greek = kGreekKeyboardTable[index];
        return greek != 0 ? greek : plain;
    }
    int32_t column = GetMathAlphanumericColumn(newStyle);
    if (column < kFirstStoredColumn) return plain;
    uint32_t form = kMathStyleForms[column][index];
    return form != 0 ? form : plain;
}

uint32_t MapCodePointToStyle(const SymbolRunNode *run, uint32_t codePoint, uint32_t newStyle)
{
    return MapCodePointBetweenStyles(run->style, codePoint, newStyle);
}

}  // namespace oq
