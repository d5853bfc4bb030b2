// Character style mapping: the letter-and-digit table and the Greek keyboard table against
// Python's unicodedata, the mapping between styles and SymbolRunNode::SetStyle.
#include "editor/document/CharacterStyleMapping.h"
#include "editor/document/SymbolRunNode.h"
#include "support/ChildProcess.h"
#include "support/TempDirectory.h"
#include "vorl/text/MathStyleTable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace oq {
namespace {

const uint32_t kTableStyles[kMathStyleCount] = {'ital', 'bold', 'bitl', 'mono', 'scpt', 'bdsc', 'frkt',
                                                'bdfk', 'doub', 'sans', 'itsn', 'dbsn', 'bisn'};

// Each style's word in the names of the mathematical letters and digits.
const char *const kStyleWords[kMathStyleCount] = {
    "ITALIC",       "BOLD",          "BOLD ITALIC",   "MONOSPACE",      "SCRIPT",
    "BOLD SCRIPT",  "FRAKTUR",       "BOLD FRAKTUR",  "DOUBLE-STRUCK",  "SANS-SERIF",
    "SANS-SERIF ITALIC", "SANS-SERIF BOLD", "SANS-SERIF BOLD ITALIC"};

// The 62 plain characters in table order: A-Z, a-z, 0-9.
uint32_t PlainCharacter(int32_t i)
{
    if (i < 26) return uint32_t('A' + i);
    if (i < 52) return uint32_t('a' + i - 26);
    return uint32_t('0' + i - 52);
}

// The table index of the i-th plain character.
int32_t TableIndex(int32_t i)
{
    return i < 52 ? i : 102 + (i - 52);
}

// Checks every line "style word;plain;code point" (hexadecimal, 0 for none) and prints one line per
// fault. An entry is the character of the expected "MATHEMATICAL ..." name, or a Letterlike Symbol
// standing in a hole of the block (its mathematical name is not assigned); NFKC gives the plain
// character; 0 only where no mathematical character of that name exists. Greek lines
// "GREEK;latin;greek" check that the letter is Greek of the Latin letter's case.
const char kCheckScript[] = R"(
import sys, unicodedata
digits = ['ZERO','ONE','TWO','THREE','FOUR','FIVE','SIX','SEVEN','EIGHT','NINE']
for line in sys.argv[1].split('\n'):
    if not line: continue
    word, plain, cp = line.split(';')
    plain = chr(int(plain, 16)); cp = int(cp, 16)
    if word == 'GREEK':
        if cp == 0:
            if plain != 'J': print('no Greek form of', plain)
            continue
        name = unicodedata.name(chr(cp), '')
        capital = 'CAPITAL' in name
        if not name.startswith('GREEK') or capital != plain.isupper():
            print('Greek', plain, hex(cp), name)
        continue
    if plain.isdigit(): expected = 'MATHEMATICAL %s DIGIT %s' % (word, digits[int(plain)])
    else: expected = 'MATHEMATICAL %s %s %s' % (word, 'CAPITAL' if plain.isupper() else 'SMALL', plain.upper())
    try: assigned = unicodedata.lookup(expected)
    except KeyError: assigned = None
    if cp == 0:
        if assigned is not None or not plain.isdigit(): print('missing', expected)
        continue
    name = unicodedata.name(chr(cp), '')
    if name != expected and not (assigned is None and 0x2100 <= cp <= 0x214F):
        print('name', hex(cp), name, 'for', expected)
    if unicodedata.normalize('NFKC', chr(cp)) != plain:
        print('NFKC', hex(cp), 'is not', plain)
print('checked')
)";

TEST(StyleMapping, TablesAgreeWithUnicodeData)
{
    std::string lines;
    char line[96];
    for (int32_t s = 0; s < kMathStyleCount; ++s)
    {
        for (int32_t i = 0; i < 62; ++i)
        {
            std::snprintf(line, sizeof(line), "%s;%X;%X\n", kStyleWords[s], PlainCharacter(i),
                          kMathStyleForms[s][TableIndex(i)]);
            lines += line;
        }
    }
    for (int32_t i = 0; i < kGreekKeyboardCount; ++i)
    {
        std::snprintf(line, sizeof(line), "GREEK;%X;%X\n", PlainCharacter(i), kGreekKeyboardTable[i]);
        lines += line;
    }
    test::TempDirectory folder;
    test::ProgramOutcome outcome =
        test::RunProgram("/usr/bin/python3", folder.Path(), {"-B", "-c", kCheckScript, lines}, {0, false, true});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.output, "checked\n");
}

TEST(StyleMapping, EdgeCases)
{
    const struct
    {
        uint32_t from;
        uint32_t codePoint;
        uint32_t to;
        uint32_t expected;
    } cases[] = {
        {'ital', 0x1D44E, 'doub', 0x1D552},  // italic small a to double-struck
        {'uprt', 'h', 'scpt', 0x1D4BD},
        {'uprt', 'h', 'ital', 'h'},          // italic is drawn by font and selector
        {'ital', 0x210E, 'uprt', 'h'},       // the Planck constant fills italic h's hole
        {'uprt', 'J', 'grek', 'J'},          // J has no Greek form
        {'uprt', 'j', 'bdgk', 0x03C6},
        {'uprt', 'f', 'grek', 0x03D5},
        {'uprt', 'V', 'itgk', 0x03F4},
        {'grek', 0x03D1, 'uprt', 'v'},
        {'grek', 0x03B1, 'doub', 0x1D552},   // Greek alpha becomes a, then double-struck
        {'scpt', 0x212C, 'uprt', 'B'},       // script capital B
        {'uprt', 'Z', 'doub', 0x2124},
        {'uprt', '5', 'frkt', '5'},          // fraktur has no digits
        {'uprt', '5', 'doub', 0x1D7DD},
        {'uprt', '5', 'grek', '5'},
        {'uprt', '+', 'doub', '+'},
        {'doub', 0x1D7DD, 'sans', 0x1D7E7},
        {'uprt', 0x1D552, 'uprt', 0x1D552},  // a form of another style stays as it is
        {'sans', 0x1D552, 'uprt', 0x1D552},
    };
    for (const auto &c : cases)
    {
        SymbolRunNode run('math', c.from);
        EXPECT_EQ(MapCodePointToStyle(&run, c.codePoint, c.to), c.expected) << std::hex << c.codePoint;
    }
}

TEST(StyleMapping, EveryStyleRoundTrips)
{
    uint32_t styles[kMathStyleCount + 4] = {'grek', 'itgk', 'bdgk', 'bigk'};
    for (int32_t s = 0; s < kMathStyleCount; ++s) styles[4 + s] = kTableStyles[s];
    for (uint32_t style : styles)
    {
        for (int32_t i = 0; i < 62; ++i)
        {
            uint32_t plain = PlainCharacter(i);
            uint32_t styled = MapCodePointBetweenStyles('uprt', plain, style);
            EXPECT_EQ(MapCodePointBetweenStyles(style, styled, 'uprt'), plain) << std::hex << style << " " << plain;
            // From one style straight to another is the same as through the plain character.
            for (uint32_t other : styles)
            {
                EXPECT_EQ(MapCodePointBetweenStyles(style, styled, other), MapCodePointBetweenStyles('uprt', plain, other))
                    << std::hex << style << " " << other << " " << plain;
            }
        }
    }
}

TEST(StyleMapping, SetStyleMapsTheText)
{
    SymbolRunNode run('math', 'uprt');
    run.text = "x+1\xE2\x88\x92h";
    run.SetStyle('doub');
    EXPECT_EQ(run.style, uint32_t('doub'));
    EXPECT_STREQ(run.text, "\xF0\x9D\x95\xA9+\xF0\x9D\x9F\x99\xE2\x88\x92\xF0\x9D\x95\x99");
    run.SetStyle('scpt');
    EXPECT_STREQ(run.text, "\xF0\x9D\x93\x8D+1\xE2\x88\x92\xF0\x9D\x92\xBD");
    run.SetStyle('ital');
    EXPECT_STREQ(run.text, "x+1\xE2\x88\x92h");

    // The run's own style changes nothing, not even a text that holds forms of another style.
    run.text = "\xF0\x9D\x95\xA9";
    run.SetStyle('ital');
    EXPECT_STREQ(run.text, "\xF0\x9D\x95\xA9");
    EXPECT_EQ(run.style, uint32_t('ital'));

    // Invalid bytes become U+FFFD as the decoder reads them.
    run.text = "a\xFF";
    run.SetStyle('bold');
    EXPECT_STREQ(run.text, "a\xEF\xBF\xBD");
}

}  // namespace
}  // namespace oq
