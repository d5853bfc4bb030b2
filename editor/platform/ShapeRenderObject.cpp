#include "editor/platform/ShapeRenderObject.h"

#include "editor/platform/Heap.h"
#include "editor/platform/Renderer.h"
#include "vorl/geometry/EllipsePaths.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/PathFill.h"
#include "vorl/geometry/StrokePath.h"

#include <cstring>

namespace oq {

namespace {

// The counting passes run on textures of this size; it bounds what one path may need.
constexpr int32_t kMaxBoxCurves = 16;
constexpr ShaderVariantIndex kShapeVariant = kShaderOptionWeight | kShaderOptionStroke;

// Fills and strokes the closed outline into the shape: one draw item over both.
ShapeRenderObject *BuildOutlineShape(Renderer &renderer, ShapeRenderObject *shape, int32_t curveCount,
                                     const QuadraticBezier2D *curves, float strokeWidth, const ColorRGBA &fillColor,
                                     const ColorRGBA &strokeColor)
{
    shape->color = {0.0F, 0.0F, 0.0F, 1.0F};
    shape->ReleaseBuffers(renderer);
    shape->pair.ReleaseTextures(renderer);
    shape->drawItemCount = 1;
    shape->drawItems = &shape->item;
    shape->item = {0, 0, 0, 0, &shape->pair};
    shape->SetupVorlShaders(renderer, 0, kShapeVariant);

    FillStyle fill;
    ResetFillStyle(&fill);
    fill.color = fillColor;
    StrokeStyle stroke;
    ResetStrokeStyle(&stroke);
    stroke.width = strokeWidth;
    stroke.color = strokeColor;

    int32_t curveCursor[2] = {0, 0};
    int32_t bandCursor[2] = {0, 0};
    int32_t fillVertices = 0;
    int32_t fillTriangles = 0;
    bool filled = CountPathFill(fill, curveCount, curves, kCountingTextureSize, kCountingTextureSize, curveCursor,
                                kCountingTextureSize, kCountingTextureSize, bandCursor, &fillVertices, &fillTriangles,
                                nullptr, nullptr);
    if (!filled)
    {
        // The stroke still draws; the fill takes no texels.
        curveCursor[0] = curveCursor[1] = 0;
        bandCursor[0] = bandCursor[1] = 0;
    }
    int32_t strokeVertices = 0;
    int32_t strokeTriangles = 0;
    CountStrokeGeometry(stroke, kStrokeClosed, curveCount, curves, kCountingTextureSize, kCountingTextureSize,
                        curveCursor, &strokeVertices, &strokeTriangles, nullptr);
    uint32_t vertices = uint32_t(fillVertices) + uint32_t(strokeVertices);
    uint32_t triangles = uint32_t(fillTriangles) + uint32_t(strokeTriangles);
    if (vertices == 0) return shape;
    // A stroke alone still needs a band texture to bind; one texel serves.
    if (bandCursor[0] == 0 && bandCursor[1] == 0) bandCursor[0] = 1;

    Heap &heap = renderer.GetHeap();
    TexelStorage storage;
    GeometryBuffer geometry;
    if (!storage.Allocate(heap, curveCursor, bandCursor) || !shape->CreateBuffers(renderer, vertices, triangles, &geometry))
    {
        storage.Free(heap);
        return shape;
    }
    bool built = !filled || BuildPathFill(fill, curveCount, curves, &storage.curve, &storage.band, &geometry, nullptr,
                                          nullptr);
    built = built && BuildStrokeGeometry(stroke, kStrokeClosed, curveCount, curves, &storage.curve, &geometry, nullptr);
    shape->UnmapBuffers(renderer);
    if (built && storage.MakeTextures(renderer, &shape->pair)) shape->item = {vertices, 3 * triangles, 0, 0, &shape->pair};
    storage.Free(heap);
    return shape;
}

}  // namespace

bool TexelStorage::Allocate(Heap &heap, const int32_t *curveCursor, const int32_t *bandCursor)
{
    GetTexelExtent(curveCursor, &curve.width, &curve.height);
    GetTexelExtent(bandCursor, &band.width, &band.height);
    if (curve.height == 0 || band.height == 0) return false;
    uint64_t curveBytes = uint64_t(curve.width) * uint64_t(curve.height) * 16;
    uint64_t bandBytes = uint64_t(band.width) * uint64_t(band.height) * 4;
    curve.texels = AllocateMemory(heap, curveBytes);
    band.texels = AllocateMemory(heap, bandBytes);
    if (curve.texels == nullptr || band.texels == nullptr) return false;
    std::memset(curve.texels, 0, size_t(curveBytes));
    std::memset(band.texels, 0, size_t(bandBytes));
    return true;
}

void TexelStorage::Free(Heap &heap)
{
    FreeMemory(heap, curve.texels);
    FreeMemory(heap, band.texels);
    curve.texels = nullptr;
    band.texels = nullptr;
}

bool TexelStorage::MakeTextures(Renderer &renderer, GlyphTexturePair *pair) const
{
    return pair->Create(renderer, kTexelFormatFloat4, curve.width, curve.height, curve.texels, band.width, band.height,
                        band.texels);
}

void GetTexelExtent(const int32_t *cursor, int32_t *width, int32_t *rows)
{
    int64_t texels = int64_t(cursor[1]) * kCountingTextureSize + cursor[0];
    *rows = int32_t((texels + kCountingTextureSize - 1) / kCountingTextureSize);
    *width = *rows > 1 ? kCountingTextureSize : int32_t(texels);
}

void RenderObject::BuildPathGeometry(Renderer &renderer, const FillStyle &style, int32_t curveCount,
                                     const QuadraticBezier2D *curves, DrawItem *item, GlyphTexturePair *pair)
{
    *item = {0, 0, 0, 0, pair};
    int32_t curveCursor[2] = {0, 0};
    int32_t bandCursor[2] = {0, 0};
    int32_t vertices = 0;
    int32_t triangles = 0;
    if (!CountPathFill(style, curveCount, curves, kCountingTextureSize, kCountingTextureSize, curveCursor,
                       kCountingTextureSize, kCountingTextureSize, bandCursor, &vertices, &triangles, nullptr, nullptr) ||
        vertices == 0)
        return;
    Heap &heap = renderer.GetHeap();
    TexelStorage storage;
    GeometryBuffer geometry;
    if (!storage.Allocate(heap, curveCursor, bandCursor) ||
        !CreateBuffers(renderer, uint32_t(vertices), uint32_t(triangles), &geometry))
    {
        storage.Free(heap);
        return;
    }
    bool built = BuildPathFill(style, curveCount, curves, &storage.curve, &storage.band, &geometry, nullptr, nullptr);
    UnmapBuffers(renderer);
    if (built && storage.MakeTextures(renderer, pair))
        *item = {uint32_t(vertices), 3 * uint32_t(triangles), 0, 0, pair};
    storage.Free(heap);
}

bool BuildFillAndStrokes(Renderer &renderer, RenderObject &object, DrawItem *item, GlyphTexturePair *pair,
                         const FillStyle *fill, const StrokeStyle &stroke, int32_t curveCount,
                         const QuadraticBezier2D *curves)
{
    *item = {0, 0, 0, 0, pair};
    int32_t curveCursor[2] = {0, 0};
    int32_t bandCursor[2] = {0, 0};
    int32_t vertices = 0;
    int32_t triangles = 0;
    if (fill != nullptr &&
        !CountPathFill(*fill, curveCount, curves, kCountingTextureSize, kCountingTextureSize, curveCursor,
                       kCountingTextureSize, kCountingTextureSize, bandCursor, &vertices, &triangles, nullptr, nullptr))
        return false;
    // Contours as (first curve, count).
    auto forEachContour = [&](auto &&visit) {
        for (int32_t start = 0; start < curveCount;)
        {
            int32_t end = start;
            while (end < curveCount - 1 && !(curves[end].p2.x == curves[start].p0.x && curves[end].p2.y == curves[start].p0.y)) ++end;
            visit(start, end - start + 1);
            start = end + 1;
        }
    };
    forEachContour([&](int32_t first, int32_t count) {
        int32_t v = 0;
        int32_t t = 0;
        CountStrokeGeometry(stroke, kStrokeClosed, count, curves + first, kCountingTextureSize, kCountingTextureSize,
                            curveCursor, &v, &t, nullptr);
        vertices += v;
        triangles += t;
    });
    if (vertices <= 0) return false;

    Heap &heap = renderer.GetHeap();
    TexelStorage storage;
    bool stored = false;
    if (fill != nullptr)
    {
        stored = storage.Allocate(heap, curveCursor, bandCursor);
    }
    else
    {
        GetTexelExtent(curveCursor, &storage.curve.width, &storage.curve.height);
        uint64_t bytes = uint64_t(storage.curve.width) * uint64_t(storage.curve.height) * 16;
        if (storage.curve.height > 0 && storage.curve.height <= kCountingTextureSize)
            storage.curve.texels = AllocateMemory(heap, bytes);
        stored = storage.curve.texels != nullptr;
        if (stored) std::memset(storage.curve.texels, 0, size_t(bytes));
    }
    GeometryBuffer geometry;
    if (!stored || !object.CreateBuffers(renderer, uint32_t(vertices), uint32_t(triangles), &geometry))
    {
        storage.Free(heap);
        return false;
    }
    bool built = fill == nullptr ||
                 BuildPathFill(*fill, curveCount, curves, &storage.curve, &storage.band, &geometry, nullptr, nullptr);
    forEachContour([&](int32_t first, int32_t count) {
        built = built && BuildStrokeGeometry(stroke, kStrokeClosed, count, curves + first, &storage.curve, &geometry,
                                             nullptr);
    });
    object.UnmapBuffers(renderer);
    bool made = built && (fill != nullptr ? storage.MakeTextures(renderer, pair)
                                          : pair->Create(renderer, kTexelFormatFloat4, storage.curve.width,
                                                         storage.curve.height, storage.curve.texels, 0, 0, nullptr));
    storage.Free(heap);
    if (!made) return false;
    *item = {uint32_t(vertices), 3 * uint32_t(triangles), 0, 0, pair};
    return true;
}

void ShapeRenderObject::ReleaseShape(Renderer &renderer)
{
    Release(renderer);
    pair.ReleaseTextures(renderer);
    item.vertexCount = 0;
}

int32_t MakeRoundedBoxCurves(Point2D position, Point2D size, float radius, int32_t cornerKind,
                             QuadraticBezier2D *curves)
{
    float x0 = position.x;
    float y0 = position.y;
    float x1 = position.x + size.x;
    float y1 = position.y + size.y;
    if (cornerKind == kRoundLeftCorners) return AppendLeftRoundedRectCurves(x0, y0, x1, y1, radius, radius, curves);
    if (cornerKind == kRoundRightCorners) return AppendRightRoundedRectCurves(x0, y0, x1, y1, radius, radius, curves);
    return AppendRoundedRectCurves(x0, y0, x1, y1, radius, radius, curves);
}

ShapeRenderObject *BuildRoundedBoxShape(Renderer &renderer, ShapeRenderObject *shape, Point2D position, Point2D size,
                                        float strokeWidth, float radius, const ColorRGBA &fillColor,
                                        const ColorRGBA &strokeColor, int32_t cornerKind)
{
    QuadraticBezier2D curves[kMaxBoxCurves];
    int32_t count = MakeRoundedBoxCurves(position, size, radius, cornerKind, curves);
    return BuildOutlineShape(renderer, shape, count, curves, strokeWidth, fillColor, strokeColor);
}

ShapeRenderObject *BuildCircleShape(Renderer &renderer, ShapeRenderObject *shape, Point2D position, Point2D size,
                                    float strokeWidth, const ColorRGBA &fillColor, const ColorRGBA &strokeColor)
{
    QuadraticBezier2D curves[12];
    float rx = size.x * 0.5F;
    float ry = size.y * 0.5F;
    int32_t count = AppendEllipseCurves(position.x + rx, position.y + ry, rx, ry, curves, 0, 11);
    return BuildOutlineShape(renderer, shape, count, curves, strokeWidth, fillColor, strokeColor);
}

}  // namespace oq
