#pragma once

#include "base/Bezier.h"
#include "base/List.h"
#include "base/Point2D.h"
#include "base/Vector4D.h"

#include <cstdint>

namespace oq {

class Renderer;
class ShapeRenderObject;

// The items that node kinds and drawing objects append to describe how they look; the list owns
// nothing: whoever empties it destroys the items.
using DisplayList = List;

// Curves for the SVG, PDF and EMF exports and the clipboard picture, in document coordinates, with
// the box of their end points.
class ExportCurveItem : public ListElement
{
public:
    // Copies the curves moved by the origin. Without curves nothing is allocated and the box is
    // the origin.
    ExportCurveItem(const Point2D &origin, int32_t count, const QuadraticBezier2D *source, uint32_t colorWord);
    ~ExportCurveItem() override;

    // A four-curve axis-parallel rectangle becomes two overlapping pieces with bulging inner edges
    // that fill the same area; any other item stays as it is. The box does not change.
    void ReshapeRectangle();

    uint32_t color;
    float box[4];  // min x, min y, max x, max y
    int32_t curveCount;
    QuadraticBezier2D *curves = nullptr;
};

// A filled path for the GPU: curves with y negated (y up), room for 24 inside the item.
class FillPathItem : public ListElement
{
public:
    static constexpr int32_t kInnerCurves = 24;

    // Each point (x, y) becomes (x + origin x, -(y + origin y)).
    FillPathItem(const Point2D &origin, int32_t count, const QuadraticBezier2D *source, uint32_t colorWord);
    ~FillPathItem() override;

    bool UsesInnerStorage() const { return curves == inner; }

    uint32_t color;  // RGBA8, red in the lowest byte; 0 leaves the colour to the object's constant
    int32_t curveCount;
    int32_t curveCapacity;
    QuadraticBezier2D *curves;
    QuadraticBezier2D inner[kInnerCurves];
};

// One fill item as one shape object (Vorl variant 1, non-zero rule, the item's colour).
ShapeRenderObject *BuildFillPathRenderObject(Renderer &renderer, ShapeRenderObject *shape, const FillPathItem *item);
// Every fill item of the list as one shape object with one draw: shared textures and buffers.
// Elements of the list that are not fill items are skipped.
ShapeRenderObject *BuildFillPathListRenderObject(Renderer &renderer, ShapeRenderObject *shape, const DisplayList *list);
// The same draw as one coverage group: every pixel takes the colour once, at the largest coverage
// any item gives it, so a translucent stroke made of overlapping pieces shows no darker seams. The
// items are one object's stroke pieces, all of one colour; its fill item is drawn before, apart.
ShapeRenderObject *BuildCoverageGroupRenderObject(Renderer &renderer, ShapeRenderObject *shape, const DisplayList *list);

// The straight curve p -> q with the control point on the end point.
inline QuadraticBezier2D MakeLineCurve(const Point2D &p, const Point2D &q) { return QuadraticBezier2D(p, q, q); }
inline float MinFloat(float a, float b) { return b < a ? b : a; }
inline float MaxFloat(float a, float b) { return b > a ? b : a; }
inline float MaxFloat3(float a, float b, float c) { return MaxFloat(MaxFloat(a, b), c); }
// The vector with its first component raised to the value when that is larger.
inline Vector4D MaxFloatInto(const Vector4D &vector, float value)
{
    return Vector4D(MaxFloat(vector.x, value), vector.y, vector.z, vector.w);
}

}  // namespace oq
