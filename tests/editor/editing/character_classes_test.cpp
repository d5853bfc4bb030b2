// Character classes, styled letters and the Greek key against ICU's names and properties.
#include "EditorFixture.h"
#include "editor/document/CharacterStyleMapping.h"
#include "editor/editing/CharacterClasses.h"
#include "vorl/text/MathStyleTable.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace oq::test {
namespace {

std::string Name(uint32_t codePoint)
{
    char buffer[256];
    UErrorCode error = U_ZERO_ERROR;
    int32_t length = u_charName(UChar32(codePoint), U_UNICODE_CHAR_NAME, buffer, sizeof buffer, &error);
    if (U_FAILURE(error)) return "";
    return std::string(buffer, size_t(length));
}

std::string Hex(uint32_t codePoint)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", codePoint);
    return buffer;
}

bool IsPrivateUse(uint32_t codePoint) { return codePoint >= 0xE000 && codePoint <= 0xF8FF; }

// Every code point of the class blocks, with its class.
template <typename Visit>
void ForEachClassed(Visit visit)
{
    for (int32_t block = 0; block < kCharacterClassBlockCount; ++block)
    {
        for (uint32_t slot = 0; slot < 256; ++slot)
        {
            uint32_t codePoint = kCharacterClassBlockStarts[block] + slot;
            uint8_t cls = GetCharacterClass(codePoint);
            if (cls != 0) visit(codePoint, cls);
        }
    }
}

TEST(CharacterClassTest, EdgeCasesAndCodePointsOutsideTheBlocks)
{
    struct Case
    {
        uint32_t codePoint;
        uint8_t cls;
    };
    const Case cases[] = {
        {0x2212, 'O'}, {0x2192, 'A'}, {0x03B1, 'H'}, {0x0301, 'Y'}, {0x0332, 'Z'}, {0x00E9, 0},
        {0x03F6, 'H'}, {0x007C, '|'}, {0x2016, '|'}, {0x005C, '\\'}, {0x0020, ' '}, {0x1DB00, 'R'},
        {0x1DB08, 'O'}, {0x1F8D8, 'A'}, {0x1F8D9, 0}, {0xEE30, '-'}, {0xEE50, ' '}, {0xF381, 0},
        {0x0400, 0},     {0x1D465, 0},  {0x110000, 0}, {0xFFFFFFFF, 0}, {0x2A0B, 'I'}, {0x2A0A, 'T'},
    };
    for (const Case &c : cases) EXPECT_EQ(GetCharacterClass(c.codePoint), c.cls) << Hex(c.codePoint);
}

TEST(CharacterClassTest, MarksAndGreekLettersAgreeWithUnicodeProperties)
{
    int32_t checked = 0;
    ForEachClassed([&](uint32_t codePoint, uint8_t cls) {
        if (IsPrivateUse(codePoint)) return;
        uint8_t combining = u_getCombiningClass(UChar32(codePoint));
        bool greek = u_getIntPropertyValue(UChar32(codePoint), UCHAR_SCRIPT) == USCRIPT_GREEK;
        switch (cls)
        {
        case 'Y':
            EXPECT_TRUE(combining == 216 || combining == 230 || combining == 232 || combining == 234)
                << Hex(codePoint) << " " << int(combining);
            ++checked;
            break;
        case 'Z':
            EXPECT_TRUE(combining == 202 || combining == 220 || combining == 233 || combining == 240)
                << Hex(codePoint) << " " << int(combining);
            ++checked;
            break;
        case 'G':
            EXPECT_TRUE(greek && u_charType(UChar32(codePoint)) == U_UPPERCASE_LETTER) << Hex(codePoint);
            ++checked;
            break;
        case 'H':
            if (codePoint == 0x03F6) break;  // the reversed lunate epsilon symbol is a math symbol
            EXPECT_TRUE(greek && u_charType(UChar32(codePoint)) == U_LOWERCASE_LETTER) << Hex(codePoint);
            ++checked;
            break;
        default:
            break;
        }
    });
    EXPECT_GT(checked, 180);
}

TEST(CharacterClassTest, CommittedTableIsTheGeneratorsOutput)
{
    // The committed table is the generator's output as it stands.
    std::string tool = std::string(OQ_SOURCE_DIR) + "/tools/make_character_classes.py";
    std::string table = std::string(OQ_SOURCE_DIR) + "/editor/editing/CharacterClassTables.cpp";
    std::string command = "python3 " + tool + " | cmp -s - " + table;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

// The name words of the 13 style columns, in column order, with their keys.
struct StyleColumn
{
    uint32_t key;
    const char *words;
};
const StyleColumn kColumns[kMathStyleCount] = {
    {'ital', "ITALIC"},         {'bold', "BOLD"},           {'bitl', "BOLD ITALIC"},
    {'mono', "MONOSPACE"},      {'scpt', "SCRIPT"},         {'bdsc', "BOLD SCRIPT"},
    {'frkt', "FRAKTUR"},        {'bdfk', "BOLD FRAKTUR"},   {'doub', "DOUBLE-STRUCK"},
    {'sans', "SANS-SERIF"},     {'itsn', "SANS-SERIF ITALIC"}, {'dbsn', "SANS-SERIF BOLD"},
    {'bisn', "SANS-SERIF BOLD ITALIC"},
};

// The letterlike characters that fill the holes of the mathematical letters, by column key and letter.
struct Hole
{
    uint32_t key;
    char letter;
    uint32_t codePoint;
};
const Hole kHoles[] = {
    {'scpt', 'B', 0x212C}, {'scpt', 'E', 0x2130}, {'scpt', 'F', 0x2131}, {'scpt', 'H', 0x210B},
    {'scpt', 'I', 0x2110}, {'scpt', 'L', 0x2112}, {'scpt', 'M', 0x2133}, {'scpt', 'R', 0x211B},
    {'scpt', 'e', 0x212F}, {'scpt', 'g', 0x210A}, {'scpt', 'o', 0x2134}, {'frkt', 'C', 0x212D},
    {'frkt', 'H', 0x210C}, {'frkt', 'I', 0x2111}, {'frkt', 'R', 0x211C}, {'frkt', 'Z', 0x2128},
    {'doub', 'C', 0x2102}, {'doub', 'H', 0x210D}, {'doub', 'N', 0x2115}, {'doub', 'P', 0x2119},
    {'doub', 'Q', 0x211A}, {'doub', 'R', 0x211D}, {'doub', 'Z', 0x2124}, {'ital', 'h', 0x210E},
};

// The table index of A-Z, a-z and 0-9 in the style table.
int32_t IndexOf(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    return c - '0' + 102;
}

TEST(StyledLetterTest, EntriesAreNamedForTheirColumnAndLetterOrTheListedHole)
{
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int32_t column = 0; column < kMathStyleCount; ++column)
    {
        for (char c : letters)
        {
            uint32_t entry = kMathStyleForms[column][IndexOf(c)];
            const Hole *hole = nullptr;
            for (const Hole &h : kHoles)
            {
                if (h.key == kColumns[column].key && h.letter == c) hole = &h;
            }
            if (hole != nullptr)
            {
                EXPECT_EQ(entry, hole->codePoint) << kColumns[column].words << " " << c;
                continue;
            }
            std::string expected;
            if (c >= '0' && c <= '9')
            {
                uint32_t key = kColumns[column].key;
                bool hasDigits = key == 'bold' || key == 'mono' || key == 'doub' || key == 'sans' || key == 'dbsn';
                if (!hasDigits)
                {
                    EXPECT_EQ(entry, 0U) << kColumns[column].words << " " << c;
                    continue;
                }
                expected = std::string("MATHEMATICAL ") + kColumns[column].words + " " + Name(uint32_t(c));
            }
            else
            {
                std::string kind = c >= 'a' ? " SMALL " : " CAPITAL ";
                expected = std::string("MATHEMATICAL ") + kColumns[column].words + kind +
                           char(c >= 'a' ? c - 'a' + 'A' : c);
            }
            EXPECT_EQ(Name(entry), expected) << Hex(entry);
        }
    }
}

TEST(StyledLetterTest, MathLetterStyleAgreesWithTheNamesOfTheWholeBlock)
{
    int32_t checked = 0;
    for (uint32_t codePoint = 0x1D400; codePoint <= 0x1D7FF; ++codePoint)
    {
        if (!u_isdefined(UChar32(codePoint))) continue;
        uint32_t role = 'none';
        uint32_t style = 'none';
        EXPECT_EQ(GetMathLetterStyle(codePoint, &role, &style), codePoint);
        if (codePoint == 0x1D6A4 || codePoint == 0x1D6A5 || codePoint == 0x1D7CA || codePoint == 0x1D7CB)
        {
            EXPECT_EQ(style, uint32_t('none')) << Hex(codePoint);
            continue;
        }
        std::string name = Name(codePoint);
        const StyleColumn *best = nullptr;
        for (const StyleColumn &column : kColumns)
        {
            std::string prefix = std::string("MATHEMATICAL ") + column.words + " ";
            if (name.rfind(prefix, 0) == 0 && (best == nullptr || std::string(column.words).size() > std::string(best->words).size()))
                best = &column;
        }
        ASSERT_NE(best, nullptr) << name;
        EXPECT_EQ(style, best->key) << name;
        bool digit = name.find(" DIGIT ") != std::string::npos;
        EXPECT_EQ(role, digit ? uint32_t('nmbr') : uint32_t('none')) << name;
        ++checked;
    }
    EXPECT_GT(checked, 990);

    // The letterlike forms and code points outside the styled ranges.
    struct Case
    {
        uint32_t codePoint;
        uint32_t style;
    };
    const Case cases[] = {{0x210E, 'ital'}, {0x2102, 'doub'}, {0x212D, 'frkt'}, {0x2134, 'scpt'},
                          {0x2100, 'none'}, {0x214F, 'none'}, {0x2150, 'none'}, {'x', 'none'}, {0x03B1, 'none'}};
    for (const Case &c : cases)
    {
        uint32_t role = 'none';
        uint32_t style = 'none';
        EXPECT_EQ(GetMathLetterStyle(c.codePoint, &role, &style), c.codePoint);
        EXPECT_EQ(style, c.style) << Hex(c.codePoint);
        EXPECT_EQ(role, uint32_t('none')) << Hex(c.codePoint);
    }
}

class StyleKeyTest : public EditorFixture
{
};

TEST_F(StyleKeyTest, StoredStylesReadBackWithTheirKey)
{
    const uint32_t keys[] = {'scpt', 'bdsc', 'frkt', 'bdfk', 'doub', 'sans', 'itsn', 'dbsn', 'bisn'};
    for (uint32_t key : keys)
    {
        editor->styleKey = key;
        for (uint32_t letter = 'A'; letter <= 'z'; ++letter)
        {
            if (letter > 'Z' && letter < 'a') continue;
            uint32_t style = 'none';
            uint32_t mapped = letter <= 'Z' ? editor->MapUppercaseLetter(letter, &style)
                                            : editor->MapLowercaseLetter(letter, &style);
            EXPECT_EQ(style, key);
            uint32_t role = 'none';
            uint32_t readStyle = 'none';
            GetMathLetterStyle(mapped, &role, &readStyle);
            EXPECT_EQ(readStyle, key) << Hex(mapped);
            EXPECT_EQ(role, uint32_t('none')) << Hex(mapped);
        }
        if (key != 'doub' && key != 'sans' && key != 'dbsn') continue;
        for (char digit = '0'; digit <= '9'; ++digit)
        {
            uint32_t styled = kMathStyleForms[GetMathAlphanumericColumn(key)][IndexOf(digit)];
            uint32_t role = 'none';
            uint32_t readStyle = 'none';
            GetMathLetterStyle(styled, &role, &readStyle);
            EXPECT_EQ(readStyle, key) << Hex(styled);
            EXPECT_EQ(role, uint32_t('nmbr')) << Hex(styled);
        }
    }
}

TEST_F(StyleKeyTest, LettersUnderEachKindOfKey)
{
    struct Case
    {
        uint32_t key;
        uint32_t letter;
        uint32_t mapped;
        uint32_t style;  // 'none': left as it was
    };
    const Case cases[] = {
        {'frkt', 'C', 0x212D, 'frkt'}, {'frkt', 'c', 0x1D520, 'frkt'}, {'grek', 'j', 0x03C6, 'itgk'},
        {'grek', 'J', 'J', 'none'},    {'grek', 'F', 0x03A6, 'grek'},  {'grek', 'V', 0x03F4, 'grek'},
        {'grek', 'v', 0x03D1, 'itgk'}, {'bdgk', 'a', 0x03B1, 'bigk'},  {'bdgk', 'A', 0x0391, 'bdgk'},
        {'ital', 'x', 'x', 'ital'},    {'mono', 'Q', 'Q', 'mono'},     {'uprt', 'q', 'q', 'uprt'},
        {0, 'x', 'x', 'none'},         {'sym1', 'x', 'x', 'none'},     {'ital', '7', '7', 'none'},
        {'frkt', 0x00E9, 0x00E9, 'none'},
    };
    for (const Case &c : cases)
    {
        editor->styleKey = c.key;
        uint32_t style = 'none';
        uint32_t mapped = c.letter >= 'a' ? editor->MapLowercaseLetter(c.letter, &style)
                                          : editor->MapUppercaseLetter(c.letter, &style);
        EXPECT_EQ(mapped, c.mapped) << Hex(c.letter);
        EXPECT_EQ(style, c.style) << Hex(c.letter);
    }
}

TEST(GreekKeyTest, PunctuationOfTheGreekKeyboard)
{
    struct Case
    {
        uint32_t typed;
        uint32_t mapped;
    };
    const Case cases[] = {{'!', 0x00AC}, {'"', 0x2021}, {'-', 0xEE30}, {'=', 0xEE31}, {'@', 0x266D},
                          {'[', 0x2190}, {'\\', 0x2216}, {'^', '^'},    {'_', '_'},    {'`', 0x2243},
                          {'~', 0x2245}, {'a', 'a'},     {'5', '5'},    {' ', ' '},    {0x03B1, 0x03B1}};
    for (const Case &c : cases) EXPECT_EQ(MapGreekKeyPunctuation(c.typed), c.mapped) << Hex(c.typed);
}

}  // namespace
}  // namespace oq::test
