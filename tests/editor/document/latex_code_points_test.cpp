#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "base/Memory.h"
#include "base/TextString.h"
#include "editor/document/BackslashCommandTable.h"
#include "editor/document/CodePointText.h"
#include "editor/document/MathNode.h"
#include "editor/platform/TextBuffer.h"

namespace oq {
namespace {

TEST(BackslashCommandTable, SortedUniqueNamesThatFitTheirField)
{
    ASSERT_EQ(kSortedBackslashCommandCount, 457);
    std::set<std::string> names;
    for (int32_t i = 0; i < kSortedBackslashCommandCount; ++i)
    {
        const BackslashCommand &row = BackslashCommandTable[i];
        size_t length = strnlen(row.name, sizeof(row.name));
        EXPECT_LT(length, sizeof(row.name)) << i;
        EXPECT_GT(length, 0U) << i;
        for (size_t k = 0; k < length; ++k)
        {
            unsigned char c = static_cast<unsigned char>(row.name[k]);
            EXPECT_TRUE(c > ' ' && c < 127 && c != '\\' && c != '{' && c != '}') << row.name;
        }
        EXPECT_TRUE(names.insert(row.name).second) << "twice: " << row.name;
        if (i > 0)
        {
            EXPECT_GT(row.codePoint, BackslashCommandTable[i - 1].codePoint) << row.name;
        }
    }
    // The bisection starts at the middle row.
    EXPECT_EQ(BackslashCommandTable[(kSortedBackslashCommandCount - 1) / 2].codePoint, 0x226DU);
    EXPECT_STREQ(BackslashCommandTable[0].name, "cent");
    EXPECT_STREQ(BackslashCommandTable[kSortedBackslashCommandCount - 1].name, "longleftsquigarrow");
}

// Every code point: the bisection finds exactly the table's rows, in order, and nothing else.
TEST(BackslashCommandTable, BisectionFindsEveryRowAndNothingElse)
{
    int32_t next = 0;
    int32_t wrong = 0;
    for (uint32_t c = 0; c <= 0x10FFFF; ++c)
    {
        const char *name = FindLatexCommandName(c);
        bool listed = next < kSortedBackslashCommandCount && BackslashCommandTable[next].codePoint == c;
        if (listed)
        {
            if (name != BackslashCommandTable[next].name) ++wrong;
            ++next;
        }
        else if (name != nullptr)
            ++wrong;
    }
    EXPECT_EQ(next, kSortedBackslashCommandCount);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(FindLatexCommandName(0xFFFFFFFF), nullptr);
}

struct LatexCase
{
    const char *name;
    std::vector<uint32_t> codePoints;
    uint8_t flagBefore;
    const char *latex;
    uint8_t flagAfter;
};

std::string WriteLatex(const std::vector<uint32_t> &codePoints, uint8_t *flag)
{
    MathWriterState state;
    state.controlWord = *flag;
    TextString output;
    for (uint32_t c : codePoints) AppendLatexCodePoint(&state, c, &output);
    *flag = state.controlWord;
    return output.GetText();
}

TEST(AppendLatexCodePoint, FormsAndControlWordFlag)
{
    const LatexCase cases[] = {
        {"command then letter gets a blank", {0x3B1, 'x'}, 0, "\\alpha x", 0},
        {"command then digit", {0x3B1, '1'}, 0, "\\alpha1", 0},
        {"command then command", {0x3B1, 0x3B2}, 0, "\\alpha\\beta", 1},
        {"command then escape", {0x3B1, 0x4E00}, 0, "\\alpha\\unicode{x4E00}", 0},
        {"letter after a control word of an earlier writer", {'A'}, 1, " A", 0},
        {"letter", {'a'}, 0, "a", 0},
        {"less than", {'<'}, 1, " < ", 0},
        {"greater, equals, plus, hyphen", {'>', '=', '+', '-'}, 0, " >  =  +  - ", 0},
        {"double quote", {0x22}, 0, "\\unicode{x22}", 0},
        {"apostrophe, slash, grave, tilde", {0x27, 0x2F, 0x60, 0x7E}, 0,
         "\\unicode{x27}\\unicode{x2F}\\unicode{x60}\\unicode{x7E}", 0},
        {"TeX specials", {'#', '$', '%', '&', '_', '{', '}'}, 0, "\\#\\$\\%\\&\\_\\{\\}", 0},
        {"backslash is a control word", {0x5C}, 0, "\\backslash", 1},
        {"backslash then letter", {'a', 0x5C, 'b'}, 0, "a\\backslash b", 0},
        {"caret by its code", {0x5E}, 1, "\\unicode{x5E}", 0},
        {"minus sign", {0x2212}, 1, " - ", 0},
        {"six digits above U+FFFF", {0x1D44E}, 0, "\\unicode{x01D44E}", 0},
        {"U+10000", {0x10000}, 0, "\\unicode{x010000}", 0},
        {"four digits up to U+FFFF", {0xFFFF, 0xA0}, 0, "\\unicode{xFFFF}\\unicode{x00A0}", 0},
        {"highest code point", {0x10FFFF}, 0, "\\unicode{x10FFFF}", 0},
        {"tab writes nothing", {0x09}, 0, "", 0},
        {"controls write nothing", {0x00, 0x1F, 0x7F}, 0, "", 0},
        {"controls keep the flag", {0x0A}, 1, "", 1},
        // Writing nothing leaves the output ending with the command, so the letter still needs
        // its blank ("\alphax" would be one unknown command).
        {"control between command and letter", {0x3B1, 0x09, 'x'}, 0, "\\alpha x", 0},
        {"double bar", {0x2016}, 0, "\\|", 1},
        {"non-standard names stay", {0x391, 0x2126, 0x212B, 0x3D0}, 0, "\\Alpha\\tcohm\\Angstroem\\varbeta", 1},
    };
    for (const LatexCase &c : cases)
    {
        uint8_t flag = c.flagBefore;
        EXPECT_EQ(WriteLatex(c.codePoints, &flag), c.latex) << c.name;
        EXPECT_EQ(flag, c.flagAfter) << c.name;
    }
}

// A value that is no Unicode scalar value is a caller's fault (asserted); release builds write
// U+FFFD.
TEST(AppendLatexCodePoint, NonScalarValues)
{
    for (uint32_t c : {0xD800U, 0xDFFFU, 0x110000U, 0xFFFFFFFFU})
    {
        EXPECT_EQ(ToScalarValue(c), 0xFFFDU) << c;
        EXPECT_FALSE(IsScalarValue(c)) << c;
#ifdef NDEBUG
        uint8_t flag = 1;
        EXPECT_EQ(WriteLatex({c}, &flag), "\\unicode{xFFFD}") << c;
        EXPECT_EQ(flag, 0) << c;
#else
        uint8_t flag = 0;
        EXPECT_DEATH(WriteLatex({c}, &flag), "IsScalarValue") << c;
#endif
    }
    for (uint32_t c : {0x0U, 0xD7FFU, 0xE000U, 0x10FFFFU}) EXPECT_EQ(ToScalarValue(c), c) << c;
}

TEST(AppendMathMLCodePoint, XmlCharacterData)
{
    const struct
    {
        uint32_t codePoint;
        const char *text;
    } cases[] = {
        {'a', "a"},
        {'<', "&#x3C;"},
        {'&', "&#x26;"},
        {'>', "&#x3E;"},
        {'\t', "&#x09;"},
        {0x1, ""},
        {0x0, ""},
        {0x2032, "\xE2\x80\xB2"},
        {0x1D400, "\xF0\x9D\x90\x80"},
        {0xFFFE, "\xEF\xBF\xBD"},
        {0xFFFF, "\xEF\xBF\xBD"},
        {0xD800, "\xEF\xBF\xBD"},
        {0x110000, "\xEF\xBF\xBD"},
    };
    for (const auto &c : cases)
    {
        TextString output("<mo>");
        AppendMathMLCodePoint(c.codePoint, &output);
        EXPECT_EQ(std::string(output.GetText()), std::string("<mo>") + c.text) << c.codePoint;
    }
}

TEST(AppendHexCodePoint, DigitCountsByRange)
{
    const struct
    {
        uint32_t codePoint;
        const char *hex;
    } cases[] = {
        {0x41, "41"},         {0x3B1, "03B1"},     {0x1D400, "01D400"}, {0x10000, "010000"},
        {0x0, "00"},          {0xFF, "FF"},        {0x100, "0100"},     {0xFFFF, "FFFF"},
        {0x10FFFF, "10FFFF"}, {0x222E, "222E"},
    };
    for (const auto &c : cases)
    {
        TextBuffer buffer;
        buffer.AppendText("0x");
        AppendHexCodePoint(buffer, c.codePoint);
        EXPECT_EQ(std::string(buffer.data, buffer.size), std::string("0x") + c.hex) << c.hex;
        buffer.Free();
    }
}

}  // namespace
}  // namespace oq
