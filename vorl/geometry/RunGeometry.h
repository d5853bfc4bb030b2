#pragma once

#include <cstdint>

#include "base/Box2D.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/text/GlyphPen.h"
#include "vorl/text/TextFont.h"
#include "vorl/text/TextRun.h"

namespace oq {

// Where a placeholder of a run was placed: its glyph position in the run, its number, the layout
// x of its left edge (the pen's x offset included) and its baseline y.
struct PlaceholderPosition
{
    int32_t position;
    int32_t number;
    float x;
    float y;
};

// The paint of colour-layer glyphs when layers are not multiplied by the fill paint.
extern const TextPaint kWhitePaint;

// Sets both arrays (one entry per font) to the vertices and triangles that BuildRunGeometry
// writes at most into each font's buffer, and the placeholder count of the range; returns the
// number of drawable glyphs. A null range is the whole run.
int32_t CountRunGeometry(const TextRun *run, const GlyphRange *range, int32_t fontCount, const TextFont *fonts,
                         int32_t *vertexCounts, int32_t *triangleCounts, int32_t *placeholderCount);

// Writes the range's glyphs, effects, colour layers and decorations into the buffers of their
// fonts, starting at the pen (layout x, baseline y). Without buffers only bounds and the end pen
// are computed. The placeholder write pointer moves past every entry written.
void BuildRunGeometry(const TextRun *run, const GlyphRange *range, int32_t fontCount, const TextFont *fonts,
                      const float *pen, GeometryBuffer *buffers, PlaceholderPosition **placeholders, Box2D *bounds,
                      float *endPen);

// Text forms: lay the text out into the scratch run (the shared run when null), map it with the
// fallback map (the default when null), copy the run's last state into the end state, and count
// or build the whole run.
int32_t CountTextGeometry(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                          const TextLayoutState *state, const char *text, int32_t length, int32_t *vertexCounts,
                          int32_t *triangleCounts, TextLayoutState *endState, TextRun *scratch);
void BuildTextGeometry(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                       const TextLayoutState *state, const char *text, int32_t length, const float *pen,
                       GeometryBuffer *buffers, Box2D *bounds, float *endPen, TextLayoutState *endState,
                       TextRun *scratch);

// Places a base glyph at the pen and advances the pen (kerning, tracking, justification, grid and
// upright vertical glyphs); true when the glyph is drawn turned by 90 degrees.
bool PlaceRunGlyph(const TextRunCharacter *character, uint32_t glyph, const VorlFontRecord *font,
                   const TextLayoutState *state, GlyphPen *pen, float justificationSpace, float *position);

// Moves a mark glyph onto the first matching anchor of the latest base that offers one and
// records it as a further base; the pen does not move.
void AttachMarkGlyph(uint32_t glyph, const VorlFontRecord *font, const TextLayoutState *state, GlyphPen *pen,
                     float *position);

}  // namespace oq
