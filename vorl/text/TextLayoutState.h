#pragma once

#include <cstdint>

#include "base/Color.h"

namespace oq {

// Line alignments, per-glyph geometry kinds and text effects (4CC values).
using TextAlignment = uint32_t;
using TextGeometryType = uint32_t;
using TextEffect = uint32_t;

// Bits of TextLayoutState::optionFlags.
enum : uint32_t
{
    kTextOptionDirectives = 0x1,
    kTextOptionClipX = 0x2,
    kTextOptionClipY = 0x4,
    kTextOptionNoKerning = 0x10,
    kTextOptionNoMarks = 0x20,
    kTextOptionNoDecomposition = 0x40,
    kTextOptionNoSequences = 0x80,
    kTextOptionNoAlternates = 0x100,
    kTextOptionNoLayers = 0x200,
    kTextOptionLayerMultiply = 0x400,
    kTextOptionJustify = 0x1000,
    kTextOptionRightToLeft = 0x2000,
    kTextOptionBidirectional = 0x4000,
    kTextOptionVertical = 0x8000,
    kTextOptionGrid = 0x10000,
    kTextOptionParagraph = 0x20000,
    kTextOptionTabs = 0x40000,
    kTextOptionSoftHyphen = 0x80000,
    kTextOptionNoWidthLimit = 0x100000
};

// The colour source of one drawing pass: a colour, or a gradient between two em heights.
struct TextPaint
{
    ColorRGBA color;
    ColorRGBA gradientColor;
    float gradientStart;
    float gradientEnd;
    bool gradient;
};

// Everything that controls how a stretch of text is set; a plain value record that owns nothing.
struct TextLayoutState
{
    uint32_t fontNumber;
    float size;
    float stretch;
    float tracking;
    float skew;
    float scale[2];
    float offset[2];
    TextPaint fillPaint;
    TextAlignment alignment;
    float leading;
    float paragraphSpacing;
    float leftMargin;
    float rightMargin;
    float indent;
    float tabWidth;
    float tabGap;
    uint32_t optionFlags;
    uint32_t renderFlags;
    TextGeometryType geometryType;
    uint32_t directiveMask;
    uint32_t sequenceMask;
    uint32_t alternateMask;
    uint32_t alternateSelector;
    int32_t scriptLevel;
    bool underline;
    bool strikethrough;
    int32_t justificationCharCount;
    const uint32_t *justificationChars;
    uint32_t placeholderBase;
    uint32_t placeholderCount;
    const float *placeholderWidths;
    TextEffect effect;
    float shadowOffset[2];
    TextPaint shadowPaint;
    float outlineOffset[2];
    TextPaint outlinePaint;
    float outputScale[2];
    float outputOffset[2];
    float clipRect[4];
    int32_t missingGlyph;
    const TextLayoutState *resetState;
};

static_assert(sizeof(TextPaint) == 44, "TextPaint layout");
static_assert(sizeof(void *) != 8 || sizeof(TextLayoutState) == 328, "TextLayoutState layout");

// Stores the default of every field.
void ResetTextLayoutState(TextLayoutState *state);

// Copies every field; pointers are copied, not what they point to.
void CopyTextLayoutState(TextLayoutState *destination, const TextLayoutState *source);

}  // namespace oq
