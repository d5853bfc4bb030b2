#include "editor/platform/DisplayItems.h"

#include "base/Color.h"
#include "base/Memory.h"
#include "editor/platform/Heap.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/ShapeRenderObject.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/PathFill.h"

#include <cstring>

namespace oq {

namespace {

QuadraticBezier2D *AllocateCurves(int32_t count)
{
    return static_cast<QuadraticBezier2D *>(MemoryAllocate(size_t(count) * sizeof(QuadraticBezier2D)));
}

bool IsStraight(const QuadraticBezier2D &curve) { return curve.p1 == curve.p0 || curve.p1 == curve.p2; }

bool IsAxisParallel(const QuadraticBezier2D &curve) { return curve.p0.x == curve.p2.x || curve.p0.y == curve.p2.y; }

// The fill style of an item: its sRGB bytes as a linear colour, non-zero rule, no gradient.
void SetItemFillStyle(FillStyle *style, uint32_t color)
{
    ResetFillStyle(style);
    style->color = {kSrgbByteToLinear[color & 0xFF], kSrgbByteToLinear[(color >> 8) & 0xFF],
                    kSrgbByteToLinear[(color >> 16) & 0xFF], float(color >> 24) / 255.0F};
}

// Empties the shape and sets up its shaders for filled paths, drawn as a coverage group or not.
void ResetFillShape(Renderer &renderer, ShapeRenderObject *shape, bool group)
{
    shape->ReleaseBuffers(renderer);
    shape->pair.ReleaseTextures(renderer);
    shape->drawItemCount = 1;
    shape->drawItems = &shape->item;
    shape->item = {0, 0, 0, 0, &shape->pair};
    shape->color = {1.0F, 1.0F, 1.0F, 1.0F};
    shape->SetupVorlShaders(renderer, 0, kShaderOptionWeight);
    shape->SetCoverageGroup(renderer, group);
}

const FillPathItem *AsFillItem(const ListElement *element) { return dynamic_cast<const FillPathItem *>(element); }

}  // namespace

ExportCurveItem::ExportCurveItem(const Point2D &origin, int32_t count, const QuadraticBezier2D *source,
                                 uint32_t colorWord)
    : color(colorWord), box{origin.x, origin.y, origin.x, origin.y}, curveCount(count > 0 ? count : 0)
{
    if (curveCount == 0) return;
    curves = AllocateCurves(curveCount);
    Vector2D shift(origin.x, origin.y);
    for (int32_t i = 0; i < curveCount; ++i)
        curves[i] = QuadraticBezier2D(source[i].p0 + shift, source[i].p1 + shift, source[i].p2 + shift);
    box[0] = box[2] = curves[0].p0.x;
    box[1] = box[3] = curves[0].p0.y;
    auto take = [this](const Point2D &p) {
        box[0] = MinFloat(box[0], p.x);
        box[1] = MinFloat(box[1], p.y);
        box[2] = MaxFloat(box[2], p.x);
        box[3] = MaxFloat(box[3], p.y);
    };
    take(curves[0].p2);
    for (int32_t i = 1; i < curveCount; ++i)
    {
        take(curves[i].p0);
        take(curves[i].p2);
    }
}

ExportCurveItem::~ExportCurveItem() { MemoryRelease(curves); }

void ExportCurveItem::ReshapeRectangle()
{
    if (curveCount != 4) return;
    for (int32_t i = 0; i < 4; ++i)
    {
        if (!IsStraight(curves[i]) || !IsAxisParallel(curves[i])) return;
    }
    const Point2D &a = curves[0].p0;
    const Point2D &b = curves[2].p0;
    float e = MinFloat(a.x, b.x);
    float m = MinFloat(a.y, b.y);
    float X = MaxFloat(a.x, b.x);
    float M = MaxFloat(a.y, b.y);
    float cx = (e + X) * 0.5F;
    float cy = (m + M) * 0.5F;
    float w = X - e;
    float h = M - m;
    auto line = [](float x0, float y0, float x1, float y1) { return MakeLineCurve(Point2D(x0, y0), Point2D(x1, y1)); };
    auto bulge = [](float x0, float y0, float cx0, float cy0, float x1, float y1) {
        return QuadraticBezier2D(Point2D(x0, y0), Point2D(cx0, cy0), Point2D(x1, y1));
    };
    QuadraticBezier2D *figure = AllocateCurves(8);
    if (w >= h)
    {
        float d = 0.375F * h;
        figure[0] = line(e, m, cx, m);
        figure[1] = bulge(cx, m, cx + d, cy, cx, M);
        figure[2] = line(cx, M, e, M);
        figure[3] = line(e, M, e, m);
        figure[4] = line(X, M, cx, M);
        figure[5] = bulge(cx, M, cx - d, cy, cx, m);
        figure[6] = line(cx, m, X, m);
        figure[7] = line(X, m, X, M);
    }
    else
    {
        float d = 0.375F * w;
        figure[0] = line(e, m, X, m);
        figure[1] = line(X, m, X, cy);
        figure[2] = bulge(X, cy, cx, cy + d, e, cy);
        figure[3] = line(e, cy, e, m);
        figure[4] = line(X, M, e, M);
        figure[5] = line(e, M, e, cy);
        figure[6] = bulge(e, cy, cx, cy - d, X, cy);
        figure[7] = line(X, cy, X, M);
    }
    MemoryRelease(curves);
    curves = figure;
    curveCount = 8;
}

FillPathItem::FillPathItem(const Point2D &origin, int32_t count, const QuadraticBezier2D *source, uint32_t colorWord)
    : color(colorWord), curveCount(count > 0 ? count : 0), curveCapacity(kInnerCurves), curves(inner)
{
    if (curveCount > kInnerCurves)
    {
        curveCapacity = curveCount > 48 ? curveCount : 48;
        curves = AllocateCurves(curveCapacity);
    }
    auto move = [&origin](const Point2D &p) { return Point2D(p.x + origin.x, -(p.y + origin.y)); };
    for (int32_t i = 0; i < curveCount; ++i)
        curves[i] = QuadraticBezier2D(move(source[i].p0), move(source[i].p1), move(source[i].p2));
}

FillPathItem::~FillPathItem()
{
    if (curves != inner) MemoryRelease(curves);
}

ShapeRenderObject *BuildFillPathRenderObject(Renderer &renderer, ShapeRenderObject *shape, const FillPathItem *item)
{
    ResetFillShape(renderer, shape, false);
    FillStyle style;
    SetItemFillStyle(&style, item->color);
    // Counted in the same 4096 x 4096 area as every path, so a large item is not cut to one row.
    shape->BuildPathGeometry(renderer, style, item->curveCount, item->curves, &shape->item, &shape->pair);
    return shape;
}

namespace {

// Every fill item of the list into the shape's one draw item.
ShapeRenderObject *BuildFillItems(Renderer &renderer, ShapeRenderObject *shape, const DisplayList *list, bool group)
{
    ResetFillShape(renderer, shape, group);
    int32_t curveCursor[2] = {0, 0};
    int32_t bandCursor[2] = {0, 0};
    uint64_t vertexTotal = 0;
    uint64_t triangleTotal = 0;
    FillStyle style;
    for (const ListElement *element = list->GetFirstListElement(); element; element = element->GetNextListElement())
    {
        const FillPathItem *item = AsFillItem(element);
        if (item == nullptr) continue;
        SetItemFillStyle(&style, item->color);
        int32_t vertices = 0;
        int32_t triangles = 0;
        // A list past the counting area draws nothing rather than a part.
        if (!CountPathFill(style, item->curveCount, item->curves, kCountingTextureSize, kCountingTextureSize,
                           curveCursor, kCountingTextureSize, kCountingTextureSize, bandCursor, &vertices, &triangles,
                           nullptr, nullptr))
            return shape;
        vertexTotal += uint64_t(vertices);
        triangleTotal += uint64_t(triangles);
    }
    if (vertexTotal == 0 || vertexTotal > UINT32_MAX || triangleTotal > UINT32_MAX) return shape;

    Heap &heap = renderer.GetHeap();
    TexelStorage storage;
    GeometryBuffer geometry;
    if (!storage.Allocate(heap, curveCursor, bandCursor) ||
        !shape->CreateBuffers(renderer, uint32_t(vertexTotal), uint32_t(triangleTotal), &geometry))
    {
        storage.Free(heap);
        return shape;
    }
    bool built = true;
    for (const ListElement *element = list->GetFirstListElement(); element && built;
         element = element->GetNextListElement())
    {
        const FillPathItem *item = AsFillItem(element);
        if (item == nullptr) continue;
        SetItemFillStyle(&style, item->color);
        built = BuildPathFill(style, item->curveCount, item->curves, &storage.curve, &storage.band, &geometry, nullptr,
                              nullptr);
    }
    shape->UnmapBuffers(renderer);
    if (built && storage.MakeTextures(renderer, &shape->pair))
        shape->item = {uint32_t(vertexTotal), 3 * uint32_t(triangleTotal), 0, 0, &shape->pair};
    storage.Free(heap);
    return shape;
}

}  // namespace

ShapeRenderObject *BuildFillPathListRenderObject(Renderer &renderer, ShapeRenderObject *shape, const DisplayList *list)
{
    return BuildFillItems(renderer, shape, list, false);
}

ShapeRenderObject *BuildCoverageGroupRenderObject(Renderer &renderer, ShapeRenderObject *shape, const DisplayList *list)
{
    return BuildFillItems(renderer, shape, list, true);
}

}  // namespace oq
