// The items and render objects of the editor's overlays.
#include "editor/editing/OverlayItems.h"

#include "base/Bezier.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/ShapeRenderObject.h"

namespace oq {

void AppendOverlayBar(List *list, const Point2D &centre, float halfWidth, float halfHeight, uint32_t color)
{
    Point2D c[4] = {Point2D(-halfWidth, -halfHeight), Point2D(halfWidth, -halfHeight), Point2D(halfWidth, halfHeight),
                    Point2D(-halfWidth, halfHeight)};
    QuadraticBezier2D curves[4];
    for (int32_t i = 0; i < 4; ++i) curves[i] = MakeLineCurve(c[i], c[(i + 1) % 4]);
    list->Append(new FillPathItem(centre, 4, curves, color));
}

void AppendOverlayBox(List *list, const Box2D &box, uint32_t color)
{
    Point2D c[4] = {box.min, Point2D(box.max.x, box.min.y), box.max, Point2D(box.min.x, box.max.y)};
    QuadraticBezier2D curves[4];
    for (int32_t i = 0; i < 4; ++i) curves[i] = MakeLineCurve(c[i], c[(i + 1) % 4]);
    list->Append(new FillPathItem(Point2D(0.0f, 0.0f), 4, curves, color));
}

void BuildOverlayObject(ShapeRenderObject **object, const List *items, const ColorRGBA &color)
{
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    if (*object == nullptr) *object = new ShapeRenderObject;
    BuildFillPathListRenderObject(*renderer, *object, items);
    (*object)->color = color;
}

void ReleaseOverlayObject(ShapeRenderObject **object)
{
    if (*object == nullptr) return;
    if (Renderer *renderer = GetRenderer()) (*object)->ReleaseShape(*renderer);
    delete *object;
    *object = nullptr;
}

ColorRGBA LinearOverlayColor(uint32_t colorWord, float alpha)
{
    return ColorRGBA{kSrgbByteToLinear[colorWord & 0xFFu], kSrgbByteToLinear[(colorWord >> 8) & 0xFFu],
                     kSrgbByteToLinear[(colorWord >> 16) & 0xFFu], alpha};
}

bool IsLightBackground(uint32_t colorWord)
{
    uint32_t red = colorWord & 0xFFu;
    uint32_t green = (colorWord >> 8) & 0xFFu;
    uint32_t blue = (colorWord >> 16) & 0xFFu;
    uint32_t largest = red > green ? red : green;
    if (blue > largest) largest = blue;
    return largest > 128;
}

}  // namespace oq
