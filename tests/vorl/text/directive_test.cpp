#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/Color.h"
#include "vorl/text/FormatDirective.h"

namespace oq {
namespace {

// Names of the fields in which two states differ ("" when they are equal).
std::string DifferentFields(const TextLayoutState &a, const TextLayoutState &b)
{
    std::string names;
    auto check = [&names](bool same, const char *name) {
        if (!same) names += std::string(name) + " ";
    };
    auto samePaint = [](const TextPaint &p, const TextPaint &q) {
        return std::memcmp(&p.color, &q.color, sizeof(ColorRGBA)) == 0 &&
               std::memcmp(&p.gradientColor, &q.gradientColor, sizeof(ColorRGBA)) == 0 &&
               p.gradientStart == q.gradientStart && p.gradientEnd == q.gradientEnd && p.gradient == q.gradient;
    };
    check(a.fontNumber == b.fontNumber, "fontNumber");
    check(a.size == b.size, "size");
    check(a.stretch == b.stretch, "stretch");
    check(a.tracking == b.tracking, "tracking");
    check(a.skew == b.skew, "skew");
    check(a.scale[0] == b.scale[0] && a.scale[1] == b.scale[1], "scale");
    check(a.offset[0] == b.offset[0] && a.offset[1] == b.offset[1], "offset");
    check(samePaint(a.fillPaint, b.fillPaint), "fillPaint");
    check(a.alignment == b.alignment, "alignment");
    check(a.leading == b.leading, "leading");
    check(a.paragraphSpacing == b.paragraphSpacing, "paragraphSpacing");
    check(a.leftMargin == b.leftMargin && a.rightMargin == b.rightMargin, "margins");
    check(a.indent == b.indent, "indent");
    check(a.tabWidth == b.tabWidth && a.tabGap == b.tabGap, "tabs");
    check(a.optionFlags == b.optionFlags, "optionFlags");
    check(a.renderFlags == b.renderFlags, "renderFlags");
    check(a.geometryType == b.geometryType, "geometryType");
    check(a.directiveMask == b.directiveMask, "directiveMask");
    check(a.sequenceMask == b.sequenceMask, "sequenceMask");
    check(a.alternateMask == b.alternateMask, "alternateMask");
    check(a.alternateSelector == b.alternateSelector, "alternateSelector");
    check(a.scriptLevel == b.scriptLevel, "scriptLevel");
    check(a.underline == b.underline, "underline");
    check(a.strikethrough == b.strikethrough, "strikethrough");
    check(a.justificationCharCount == b.justificationCharCount && a.justificationChars == b.justificationChars,
          "justification");
    check(a.placeholderBase == b.placeholderBase && a.placeholderCount == b.placeholderCount &&
              a.placeholderWidths == b.placeholderWidths,
          "placeholders");
    check(a.effect == b.effect, "effect");
    check(std::memcmp(a.shadowOffset, b.shadowOffset, sizeof(a.shadowOffset)) == 0, "shadowOffset");
    check(samePaint(a.shadowPaint, b.shadowPaint), "shadowPaint");
    check(std::memcmp(a.outlineOffset, b.outlineOffset, sizeof(a.outlineOffset)) == 0, "outlineOffset");
    check(samePaint(a.outlinePaint, b.outlinePaint), "outlinePaint");
    check(std::memcmp(a.outputScale, b.outputScale, sizeof(a.outputScale)) == 0 &&
              std::memcmp(a.outputOffset, b.outputOffset, sizeof(a.outputOffset)) == 0,
          "output");
    check(std::memcmp(a.clipRect, b.clipRect, sizeof(a.clipRect)) == 0, "clipRect");
    check(a.missingGlyph == b.missingGlyph, "missingGlyph");
    check(a.resetState == b.resetState, "resetState");
    return names;
}

// Parses text from an exact-size heap copy (no NUL after it), so reading past the length is caught.
int32_t ParseBounded(const TextLayoutState &base, const std::string &text, TextLayoutState *target,
                     uint32_t *flags)
{
    std::vector<char> bytes(text.begin(), text.end());
    return ParseFormatDirective(&base, bytes.data(), int32_t(bytes.size()), target, flags);
}

using StateEdit = void (*)(TextLayoutState *state);

struct DirectiveCase
{
    const char *label;
    std::string text;       // the whole text handed over: its size is the length
    uint32_t directiveMask;
    int32_t consumed;
    uint32_t flags;
    StateEdit expect;       // turns a default state into the expected one (null: unchanged)
};

std::string Text(const char *bytes, size_t size)
{
    return std::string(bytes, size);
}

TEST(FormatDirective, ParseTable)
{
    const float green128 = kSrgbByteToLinear[128];
    static float s_green128;
    s_green128 = green128;
    const DirectiveCase kCases[] = {
        {"two items", "{#size(24);font(2)}", ~0U, 19, 0x38,
         [](TextLayoutState *s) { s->size = 24.0F; s->fontNumber = 2; }},
        {"empty block", "{#}", ~0U, 3, 0, nullptr},
        {"space instead of ;", "{#size(24) font(2)}x", ~0U, 19, 0x38, [](TextLayoutState *s) { s->size = 24.0F; }},
        {"unknown with argument ends the block", "{#foo(1);size(24)}", ~0U, 18, 0, nullptr},
        {"unknown with () is skipped", "{#foo();size(24)}", ~0U, 17, 0x38,
         [](TextLayoutState *s) { s->size = 24.0F; }},
        {"white space and comments", "{# size ( 24 ) ; /* } */ font( 0x2 ) }", ~0U, 38, 0x38,
         [](TextLayoutState *s) { s->size = 24.0F; s->fontNumber = 2; }},
        {"shadow prefix", "{#shadow_color(255, 0, 0)}", ~0U, 26, 0x08,
         [](TextLayoutState *s) { s->shadowPaint.color = ColorRGBA{1, 0, 0, 1}; }},
        {"prefix on a non-paint name", "{#shadow_size(3)}", ~0U, 17, 0, nullptr},
        {"outline prefix", "{#outline_colorf2(0.5,0.25,0,0.75);outline_gcoord(0.5,2)}", ~0U, 57, 0x08,
         [](TextLayoutState *s) {
             s->outlinePaint.gradientColor = ColorRGBA{0.5F, 0.25F, 0, 0.75F};
             s->outlinePaint.gradientStart = 0.5F;
             s->outlinePaint.gradientEnd = 2.0F;
         }},
        {"gradient acts as grad", "{#gradient(true)}", ~0U, 17, 0x08,
         [](TextLayoutState *s) { s->fillPaint.gradient = true; }},
        {"colour is unknown", "{#colour(1,2,3);size(5)}", ~0U, 24, 0, nullptr},
        {"colorx is unknown", "{#colorx();size(5)}", ~0U, 19, 0x38, [](TextLayoutState *s) { s->size = 5.0F; }},
        {"alpha above 255", "{#color(255,128,0,300)}", ~0U, 23, 0, nullptr},
        {"sRGB colour", "{#color(255,128,0)}", ~0U, 19, 0x08,
         [](TextLayoutState *s) { s->fillPaint.color = ColorRGBA{1.0F, s_green128, 0.0F, 1.0F}; }},
        {"color2 with alpha", "{#color2(0,0,0,0)}", ~0U, 18, 0x08,
         [](TextLayoutState *s) { s->fillPaint.gradientColor = ColorRGBA{0, 0, 0, 0}; }},
        {"one scale sets both", "{#scale(2)}", ~0U, 11, 0x30,
         [](TextLayoutState *s) { s->scale[0] = 2.0F; s->scale[1] = 2.0F; }},
        {"negative scale is guarded", "{#scale(2,-1)}", ~0U, 14, 0, nullptr},
        {"guarded values", "{#size(0);stretch(-1);tab(0);style(21);math(14)}", ~0U, 48, 0, nullptr},
        {"argument error before ) loses the item", "{#offset(1);font(2)}", ~0U, 20, 0x38,
         [](TextLayoutState *s) { s->fontNumber = 2; }},
        {"bad argument ends the block", "{#size(x);font(2)}", ~0U, 18, 0, nullptr},
        {"extra argument ends the block", "{#size(1,2);font(2)}", ~0U, 20, 0, nullptr},
        {"missing ) ends the block", "{#color(1,2,3};font(2)}x", ~0U, 14, 0, nullptr},
        {"character literal", "{#font('AB')}", ~0U, 13, 0x38, [](TextLayoutState *s) { s->fontNumber = 0x4142; }},
        {"directiveMask 0", "{#size(3);color(1,2,3);kern(false);sub(true)}", 0, 45, 0,
         [](TextLayoutState *s) { s->directiveMask = 0; }},
        {"class bit of the target", "{#size(3);font(4)}", kDirectiveClassFont, 18, 0x38,
         [](TextLayoutState *s) { s->directiveMask = kDirectiveClassFont; s->fontNumber = 4; }},
        {"sub after sup", "{#sup(true);sub(true)}", ~0U, 22, 0,
         [](TextLayoutState *s) { s->alternateMask = 0xC000 | 0x100000; }},
        {"lining then oldstyle", "{#lining(true);tabfig(1);oldstyle(true)}", ~0U, 40, 0,
         [](TextLayoutState *s) { s->alternateMask = 0xC000 | 0x20000 | 0x40000; }},
        {"figure width and script form groups", "{#tabfig(true);propfig(true);inf(true);ord(true);sub(false)}", ~0U,
         60, 0, [](TextLayoutState *s) { s->alternateMask = 0xC000 | 0x80000 | 0x800000; }},
        {"style then math", "{#style(3);math(2)}", ~0U, 19, 0,
         [](TextLayoutState *s) { s->alternateSelector = 2; s->alternateMask = 0xC000 | 0x800; }},
        {"math then style 0", "{#math(13);style(0);frac(true)}", ~0U, 31, 0,
         [](TextLayoutState *s) { s->alternateSelector = 13; s->alternateMask = 0xC000 | 0x800 | 0x200; }},
        {"option directives", "{#just(true);kern(false);mark(0);grid(true);lay(false);laymul(true)}", ~0U, 68, 0x30,
         [](TextLayoutState *s) { s->optionFlags = 0x1000 | 0x10 | 0x20 | 0x10000 | 0x200 | 0x400; }},
        {"sequence and alternate bits", "{#slig(false);dlig(true);afrc(1);alt(false);rtlm(true);dtls(1)}", ~0U, 63, 0,
         [](TextLayoutState *s) {
             s->sequenceMask = 0x1 | 0x4 | 0x8 | 0x100;
             s->optionFlags = 0x100;
         }},
        {"paragraph", "{#right;center();lead(1.5);margin(4);indent(-2);pspace(3)}", ~0U, 58, 0,
         [](TextLayoutState *s) {
             s->alignment = 'CENT';
             s->leading = 1.5F;
             s->leftMargin = 4.0F;
             s->rightMargin = 4.0F;
             s->indent = -2.0F;
             s->paragraphSpacing = 3.0F;
         }},
        {"decorations and script", "{#under(true);strike(1);script(-2);track(0.5);skew(0.25)}", ~0U, 57, 0x38,
         [](TextLayoutState *s) {
             s->underline = true;
             s->strikethrough = true;
             s->scriptLevel = -2;
             s->tracking = 0.5F;
             s->skew = 0.25F;
         }},
        {"unclosed block up to its NUL", Text("{#size(24);font(2)\0xyz}", 23), ~0U, 18, 0x38,
         [](TextLayoutState *s) { s->size = 24.0F; s->fontNumber = 2; }},
        {"length ends after a complete item", "{#size(24)", ~0U, 10, 0x38, [](TextLayoutState *s) { s->size = 24.0F; }},
        {"length cuts an argument", "{#size(2", ~0U, 8, 0, nullptr},
        {"length cuts a name", "{#siz", ~0U, 5, 0, nullptr},
        {"only the marker", "{#", ~0U, 2, 0, nullptr},
    };
    for (const DirectiveCase &c : kCases)
    {
        TextLayoutState base;
        ResetTextLayoutState(&base);
        base.directiveMask = c.directiveMask;
        TextLayoutState target = base;
        TextLayoutState expected = base;
        if (c.expect != nullptr) c.expect(&expected);
        uint32_t flags = 0;
        int32_t consumed = ParseBounded(base, c.text, &target, &flags);
        EXPECT_EQ(consumed, c.consumed) << c.label;
        EXPECT_EQ(flags, c.flags) << c.label;
        EXPECT_EQ(DifferentFields(target, expected), "") << c.label;
    }
    EXPECT_NEAR(green128, 0.2159F, 0.0001F);
}

// Reset copies the base state (or the state it names) whatever the mask, and ORs 0x38.
TEST(FormatDirective, Reset)
{
    TextLayoutState base;
    ResetTextLayoutState(&base);
    base.size = 11.0F;
    base.directiveMask = 0;

    TextLayoutState target;
    ResetTextLayoutState(&target);
    target.size = 40.0F;
    target.fontNumber = 3;
    target.directiveMask = 0;
    uint32_t flags = 0x01;
    EXPECT_EQ(ParseBounded(base, "{#reset()}", &target, &flags), 10);
    EXPECT_EQ(flags, 0x39U);
    EXPECT_EQ(DifferentFields(target, base), "");

    TextLayoutState named;
    ResetTextLayoutState(&named);
    named.size = 77.0F;
    base.resetState = &named;
    flags = 0;
    EXPECT_EQ(ParseBounded(base, "{#size(5);reset()}", &target, &flags), 18);
    EXPECT_EQ(DifferentFields(target, named), "");
}

// Blocks longer than the first copy of the parser: the result does not depend on where the copy
// ended, also for a character literal and a comment that straddle it.
TEST(FormatDirective, LongBlocks)
{
    TextLayoutState base;
    ResetTextLayoutState(&base);
    for (int32_t pad = 240; pad < 270; pad++)
    {
        const std::string spaces(size_t(pad), ' ');
        const struct
        {
            std::string text;
            uint32_t fontNumber;
        } cases[] = {
            {"{#" + spaces + "font('}A');size(24)}", 0x7D41},
            {"{#" + spaces + "font('\\'}');size(24)}", 0x277D},
            {"{#" + spaces + "/* } */size(24);font(0x7D41)}", 0x7D41},
            {"{#font(" + spaces + "0x7D41);size(24)}", 0x7D41},
        };
        for (const auto &c : cases)
        {
            TextLayoutState target = base;
            uint32_t flags = 0;
            EXPECT_EQ(ParseBounded(base, c.text, &target, &flags), int32_t(c.text.size())) << pad << c.text;
            EXPECT_EQ(target.size, 24.0F) << pad << c.text;
            EXPECT_EQ(target.fontNumber, c.fontNumber) << pad << c.text;
        }
    }
    // A block of several kilobytes that is never closed consumes everything.
    std::string text = "{#size(3)";
    text.append(5000, ' ');
    TextLayoutState target = base;
    uint32_t flags = 0;
    EXPECT_EQ(ParseBounded(base, text, &target, &flags), int32_t(text.size()));
    EXPECT_EQ(target.size, 3.0F);
}

TEST(FormatDirective, ApplyToText)
{
    TextLayoutState state;
    ResetTextLayoutState(&state);
    state.optionFlags = kTextOptionDirectives;

    struct ApplyCase
    {
        std::string text;
        float size;
        uint32_t fontNumber;
    };
    const ApplyCase kCases[] = {
        {"", 16.0F, 0},
        {"plain text", 16.0F, 0},
        {"ab{#size(3)}cd{#font(2)}ef", 3.0F, 2},
        {"\xC3\xA9{#size(3)}{#size(4)}", 4.0F, 0},
        {"{ # size(3)} {#", 16.0F, 0},
        {Text("ab\0{#size(3)}", 13), 16.0F, 0},          // a NUL ends the text
        {"x{#size(3)}{#font(5", 3.0F, 0},                // the length ends the last block
        {"x{", 16.0F, 0},
    };
    for (const ApplyCase &c : kCases)
    {
        std::vector<char> bytes(c.text.begin(), c.text.end());
        TextLayoutState result;
        ApplyTextFormatDirectives(&state, bytes.data(), int32_t(bytes.size()), &result);
        EXPECT_EQ(result.size, c.size) << c.text;
        EXPECT_EQ(result.fontNumber, c.fontNumber) << c.text;
    }

    // Without option 0x1 blocks are plain text; a negative length reads up to the NUL.
    TextLayoutState result;
    state.optionFlags = 0;
    ApplyTextFormatDirectives(&state, "{#size(3)}", -1, &result);
    EXPECT_EQ(result.size, 16.0F);
    state.optionFlags = kTextOptionDirectives;
    ApplyTextFormatDirectives(&state, "a{#size(3)}b", -1, &result);
    EXPECT_EQ(result.size, 3.0F);
    ApplyTextFormatDirectives(&state, "a{#size(3)}b", 0, &result);
    EXPECT_EQ(result.size, 16.0F);
}

TEST(FormatDirective, BoundedDecoding)
{
    struct DecodeCase
    {
        const char *bytes;
        int32_t remaining;
        int32_t size;
        uint32_t codePoint;
    };
    const DecodeCase kCases[] = {
        {"A", 1, 1, 'A'},
        {"\xC3\xA9", 2, 2, 0xE9},
        {"\xC3\xA9", 1, 1, 0xFFFD},
        {"\xE2\x82\xAC", 3, 3, 0x20AC},
        {"\xE2\x82\xAC", 2, 1, 0xFFFD},
        {"\xF0\x9F\x98\x80", 4, 4, 0x1F600},
        {"\xF0\x9F\x98\x80", 3, 1, 0xFFFD},
    };
    for (const DecodeCase &c : kCases)
    {
        std::vector<char> bytes(c.bytes, c.bytes + c.remaining);
        uint32_t codePoint = 0;
        EXPECT_EQ(DecodeUtf8Bounded(bytes.data(), c.remaining, &codePoint), c.size) << c.bytes;
        EXPECT_EQ(codePoint, c.codePoint) << c.bytes;
    }
}

}  // namespace
}  // namespace oq
