#pragma once

#include <cstdint>

#include "base/Box2D.h"
#include "base/Color.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/text/TextFont.h"
#include "vorl/text/TextLayoutState.h"
#include "vorl/text/VorlFileFontRecord.h"

namespace oq {

// One underline or strikethrough stretch while a run is built: what stays constant from its
// start to its end.
struct DecorationRun
{
    const TextLayoutState *state;
    const TextFont *font;
    const FontDataDecorationItem *item;     // the font's 'UNDR' or 'STRK' item
    GeometryBuffer *geometry;               // null: bounds only
    float offset[2];                        // effect offset (em units)
    float expansion;                        // outline expansion (em units)
    float startX;
    float bottomShift;                      // x shift of the bottom edge from the skew
    float bottomY;
    float topShift;
    float topY;
    float emBottom;
    float emTop;
    ColorRGBA bottomColor;
    ColorRGBA topColor;

    // Starts a stretch at the layout x on the baseline; the paint is evaluated only when a
    // geometry buffer is given.
    void Begin(const TextLayoutState *layoutState, const TextFont *textFont, const FontDataDecorationItem *decoration,
               GeometryBuffer *buffer, float x, float baselineY, float outlineExpansion, const TextPaint *paint,
               const float *effectOffset);
};

// Writes the rectangle of the stretch from its start x to the end x (clipped to the state's clip
// rectangle under option 0x2) and enlarges bounds by its corners; nothing for an empty stretch.
template <int32_t kVariant> void WriteDecorationRectVariant(const DecorationRun *run, float endX, Box2D *bounds);

// The variant that the run's buffer selects.
void WriteDecorationRect(const DecorationRun *run, float endX, Box2D *bounds);

}  // namespace oq
