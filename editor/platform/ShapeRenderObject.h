#pragma once

#include "base/Bezier.h"
#include "base/Color.h"
#include "base/Point2D.h"
#include "editor/platform/RenderObject.h"
#include "vorl/geometry/TexelBuffer.h"

#include <cstdint>

namespace oq {

class Heap;
struct FillStyle;
struct StrokeStyle;

// A render object with its own texture pair and one draw item: the widget shapes and the filled
// paths of display lists.
class ShapeRenderObject : public RenderObject
{
public:
    ShapeRenderObject()
    {
        drawItemCount = 1;
        drawItems = &item;
    }
    ShapeRenderObject(const ShapeRenderObject &) = delete;
    ShapeRenderObject &operator=(const ShapeRenderObject &) = delete;

    // Releases the buffers, states and textures.
    void ReleaseShape(Renderer &renderer);

    GlyphTexturePair pair;
    DrawItem item = {0, 0, 0, 0, &pair};
};

// Corner kinds of a rounded box: every corner, only the two at the minimum x, only the two at the
// maximum x.
constexpr int32_t kRoundAllCorners = 0;
constexpr int32_t kRoundLeftCorners = 1;
constexpr int32_t kRoundRightCorners = 2;

// The outline of a rounded box from position to position + size (at most 16 curves).
int32_t MakeRoundedBoxCurves(Point2D position, Point2D size, float radius, int32_t cornerKind,
                             QuadraticBezier2D *curves);

// The rows and width a texel cursor (column, row) has used in a 4096-wide texture: the texels
// before the cursor, in rows of 4096, one row as wide as its texels.
void GetTexelExtent(const int32_t *cursor, int32_t *width, int32_t *rows);

// The counting passes run on textures of this size; it bounds what one path, or one list of
// paths, may need.
constexpr int32_t kCountingTextureSize = 4096;

// Texel storage of one curve ('FLT4') and one band texture, sized from counting cursors.
struct TexelStorage
{
    TexelBuffer curve = {nullptr, kTexelFormatFloat4, 0, 0, 0, 0};
    TexelBuffer band = {nullptr, kTexelFormatUint16x2, 0, 0, 0, 0};

    // False when a texture would be empty or memory runs out (Free releases what was taken).
    [[nodiscard]] bool Allocate(Heap &heap, const int32_t *curveCursor, const int32_t *bandCursor);
    void Free(Heap &heap);
    [[nodiscard]] bool MakeTextures(Renderer &renderer, GlyphTexturePair *pair) const;
};

// Fills the curves (when a fill is given) and strokes each closed contour of them into the object's
// buffers as one draw item (the caller sets up the Vorl shaders); the pair gets the curve texture,
// and the band texture with a fill. A contour runs from a curve to the first curve ending at its
// start (or to the last curve). False, with the item's vertex count 0, when nothing could be built.
bool BuildFillAndStrokes(Renderer &renderer, RenderObject &object, DrawItem *item, GlyphTexturePair *pair,
                         const FillStyle *fill, const StrokeStyle &stroke, int32_t curveCount,
                         const QuadraticBezier2D *curves);

// A filled and outlined rounded box drawn in one draw with the Vorl variant 9 (weight and stroke).
// The stroke is stroke width wide, centred on the outline.
ShapeRenderObject *BuildRoundedBoxShape(Renderer &renderer, ShapeRenderObject *shape, Point2D position, Point2D size,
                                        float strokeWidth, float radius, const ColorRGBA &fillColor,
                                        const ColorRGBA &strokeColor, int32_t cornerKind);
// The same for the ellipse inscribed in the box.
ShapeRenderObject *BuildCircleShape(Renderer &renderer, ShapeRenderObject *shape, Point2D position, Point2D size,
                                    float strokeWidth, const ColorRGBA &fillColor, const ColorRGBA &strokeColor);

}  // namespace oq
