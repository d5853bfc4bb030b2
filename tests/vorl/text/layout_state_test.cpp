#include <gtest/gtest.h>

#include <cstring>

#include "vorl/text/FormatDirective.h"
#include "vorl/text/TextLayoutState.h"

namespace oq {
namespace {

struct FieldValue
{
    const char *name;
    double actual;
    double expected;
};

double PointerValue(const void *pointer)
{
    return (pointer == nullptr) ? 0.0 : 1.0;
}

TEST(TextLayoutState, ResetDefaults)
{
    TextLayoutState s;
    std::memset(&s, 0x5A, sizeof(s));
    ResetTextLayoutState(&s);
    const FieldValue kFields[] = {
        {"fontNumber", double(s.fontNumber), 0},
        {"size", s.size, 16.0},
        {"stretch", s.stretch, 1.0},
        {"tracking", s.tracking, 0.0},
        {"skew", s.skew, 0.0},
        {"scale.x", s.scale[0], 1.0},
        {"scale.y", s.scale[1], 1.0},
        {"offset.x", s.offset[0], 0.0},
        {"offset.y", s.offset[1], 0.0},
        {"alignment", double(s.alignment), double(uint32_t('LEFT'))},
        {"leading", s.leading, double(1.2F)},
        {"paragraphSpacing", s.paragraphSpacing, 0.0},
        {"leftMargin", s.leftMargin, 0.0},
        {"rightMargin", s.rightMargin, 0.0},
        {"indent", s.indent, 0.0},
        {"tabWidth", s.tabWidth, 64.0},
        {"tabGap", s.tabGap, 0.0},
        {"optionFlags", double(s.optionFlags), 0},
        {"renderFlags", double(s.renderFlags), 0},
        {"geometryType", double(s.geometryType), double(uint32_t('QUAD'))},
        {"directiveMask", double(s.directiveMask), double(0xFFFFFFFFU)},
        {"sequenceMask", double(s.sequenceMask), 7},
        {"alternateMask", double(s.alternateMask), double(0xC000)},
        {"alternateSelector", double(s.alternateSelector), 0},
        {"scriptLevel", double(s.scriptLevel), 0},
        {"underline", double(s.underline), 0},
        {"strikethrough", double(s.strikethrough), 0},
        {"justificationCharCount", double(s.justificationCharCount), 0},
        {"justificationChars", PointerValue(s.justificationChars), 0},
        {"placeholderBase", double(s.placeholderBase), double(0xF0000)},
        {"placeholderCount", double(s.placeholderCount), 0},
        {"placeholderWidths", PointerValue(s.placeholderWidths), 0},
        {"effect", double(s.effect), 0},
        {"shadowOffset.x", s.shadowOffset[0], 0.0},
        {"shadowOffset.y", s.shadowOffset[1], 0.0},
        {"outlineOffset.x", s.outlineOffset[0], 0.0},
        {"outlineOffset.y", s.outlineOffset[1], 0.0},
        {"outputScale.x", s.outputScale[0], 1.0},
        {"outputScale.y", s.outputScale[1], 1.0},
        {"outputOffset.x", s.outputOffset[0], 0.0},
        {"outputOffset.y", s.outputOffset[1], 0.0},
        {"clipRect[0]", s.clipRect[0], 0.0},
        {"clipRect[1]", s.clipRect[1], 0.0},
        {"clipRect[2]", s.clipRect[2], 0.0},
        {"clipRect[3]", s.clipRect[3], 0.0},
        {"missingGlyph", double(s.missingGlyph), 0},
        {"resetState", PointerValue(s.resetState), 0},
    };
    for (const FieldValue &field : kFields) EXPECT_EQ(field.actual, field.expected) << field.name;

    // The three paints: opaque black, gradient colour opaque black, gradient 0 to 1, no gradient.
    const TextPaint *paints[] = {&s.fillPaint, &s.shadowPaint, &s.outlinePaint};
    for (const TextPaint *paint : paints)
    {
        const float values[] = {paint->color.red, paint->color.green, paint->color.blue, paint->color.alpha,
                                paint->gradientColor.red, paint->gradientColor.green,
                                paint->gradientColor.blue, paint->gradientColor.alpha,
                                paint->gradientStart, paint->gradientEnd, float(paint->gradient)};
        const float expected[] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0};
        for (int i = 0; i < 11; i++) EXPECT_EQ(values[i], expected[i]) << "paint value " << i;
    }
}

// A copy carries every field and the pointers themselves, not what they point to: a copy and its
// source reset to the same state.
TEST(TextLayoutState, CopyKeepsPointers)
{
    static const uint32_t kJustification[] = {0x20, 0x3000};
    static const float kWidths[] = {10.0F, 20.0F};
    TextLayoutState resetTarget;
    ResetTextLayoutState(&resetTarget);
    resetTarget.size = 9.0F;
    resetTarget.optionFlags = kTextOptionDirectives;

    TextLayoutState source;
    ResetTextLayoutState(&source);
    source.size = 30.0F;
    source.optionFlags = kTextOptionDirectives | kTextOptionBidirectional;
    source.fillPaint.color = ColorRGBA{0.25F, 0.5F, 0.75F, 0.5F};
    source.outlinePaint.gradient = true;
    source.justificationCharCount = 2;
    source.justificationChars = kJustification;
    source.placeholderCount = 2;
    source.placeholderWidths = kWidths;
    source.clipRect[3] = 7.0F;
    source.missingGlyph = -3;
    source.resetState = &resetTarget;

    TextLayoutState copy;
    ResetTextLayoutState(&copy);
    CopyTextLayoutState(&copy, &source);
    EXPECT_EQ(copy.size, 30.0F);
    EXPECT_EQ(copy.optionFlags, source.optionFlags);
    EXPECT_EQ(copy.fillPaint.color.blue, 0.75F);
    EXPECT_TRUE(copy.outlinePaint.gradient);
    EXPECT_EQ(copy.justificationChars, kJustification);
    EXPECT_EQ(copy.placeholderWidths, kWidths);
    EXPECT_EQ(copy.clipRect[3], 7.0F);
    EXPECT_EQ(copy.missingGlyph, -3);
    EXPECT_EQ(copy.resetState, &resetTarget);

    copy.size = 12.0F;
    EXPECT_EQ(source.size, 30.0F);

    const char kText[] = "{#size(50);reset()}";
    TextLayoutState fromSource;
    TextLayoutState fromCopy;
    ApplyTextFormatDirectives(&source, kText, int32_t(sizeof(kText) - 1), &fromSource);
    ApplyTextFormatDirectives(&copy, kText, int32_t(sizeof(kText) - 1), &fromCopy);
    EXPECT_EQ(fromSource.size, 9.0F);
    EXPECT_EQ(fromCopy.size, 9.0F);
    EXPECT_EQ(fromSource.resetState, nullptr);
}

}  // namespace
}  // namespace oq
