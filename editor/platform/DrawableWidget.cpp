#include "editor/platform/DrawableWidget.h"

#include "base/ScalarMath.h"
#include "editor/platform/Heap.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/ShapeRenderObject.h"
#include "vorl/geometry/EllipsePaths.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/StrokePath.h"
#include "vorl/geometry/StrokeStyle.h"

#include <cmath>
#include <cstring>

namespace oq {

namespace {

constexpr ShaderVariantIndex kStrokeVariant = kShaderOptionWeight | kShaderOptionStroke;

// Writes four vertices of (position, colour[, texture coordinate]) at the corners (0, 0), (0, h),
// (w, h), (w, 0) and the indices 0 1 2 0 2 3 into the object's mapped buffers.
void WriteQuad(Renderer &renderer, RenderObject &object, DrawItem &item, const Vector2D &size, const ColorRGBA &color,
               bool textured)
{
    GeometryBuffer geometry;
    if (!object.CreateBuffers(renderer, 4, 2, &geometry)) return;
    const float corners[4][4] = {{0, 0, 0, 0}, {0, size.y, 0, 1}, {size.x, size.y, 1, 1}, {size.x, 0, 1, 0}};
    uint8_t *vertex = static_cast<uint8_t *>(geometry.vertexData);
    for (const float *corner : corners)
    {
        const float record[8] = {corner[0], corner[1], color.red, color.green, color.blue, color.alpha,
                                 corner[2], corner[3]};
        std::memcpy(vertex, record, textured ? 32 : 24);
        vertex += object.vertexStride;
    }
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    std::memcpy(geometry.triangleData, indices, sizeof(indices));
    object.UnmapBuffers(renderer);
    item.vertexCount = 4;
    item.indexCount = 6;
}

FillStyle MakeFillStyle(const uint8_t *color)
{
    FillStyle style;
    ResetFillStyle(&style);
    style.color = LinearColorOfBytes(color);
    return style;
}

}  // namespace

Matrix4D TranslateProjection(const Matrix4D &projection, float x, float y)
{
    Matrix4D moved = projection;
    for (int row = 0; row < 4; ++row)
        moved(row, 3) = projection(row, 0) * x + projection(row, 1) * y + projection(row, 3);
    return moved;
}

ColorRGBA LinearColorOfBytes(const uint8_t *bytes)
{
    return {kSrgbByteToLinear[bytes[0]], kSrgbByteToLinear[bytes[1]], kSrgbByteToLinear[bytes[2]],
            float(bytes[3]) * (1.0F / 255.0F)};
}

DrawableWidget::DrawableWidget(WidgetType type, const Point2D &localPosition, const Vector2D &size)
    : Widget(type, localPosition, size)
{
    object.drawItemCount = 1;
    object.drawItems = &item;
}

DrawableWidget::~DrawableWidget()
{
    if (Renderer *renderer = GetRenderer()) object.Release(*renderer);
}

void DrawableWidget::Render(const Matrix4D &projection)
{
    if (Renderer *renderer = GetRenderer())
        object.Draw(*renderer, TranslateProjection(projection, globalPosition.x, globalPosition.y));
}

QuadWidget::QuadWidget(const Point2D &localPosition, const Vector2D &size, const uint8_t *color)
    : DrawableWidget('quad', localPosition, size)
{
    Renderer &renderer = *GetRenderer();
    object.SetupColorShaders(renderer, 0);
    WriteQuad(renderer, object, item, size, LinearColorOfBytes(color), false);
}

ImageWidget::ImageWidget(GlyphTexturePair *picture, const Point2D &localPosition, const Vector2D &size)
    : DrawableWidget('imag', localPosition, size)
{
    if (picture == nullptr) return;
    Renderer &renderer = *GetRenderer();
    object.SetupColorShaders(renderer, 1);
    item.textures = picture;
    WriteQuad(renderer, object, item, size, {1.0F, 1.0F, 1.0F, 1.0F}, true);
}

ShadowWidget::ShadowWidget(const Point2D &localPosition, const Vector2D &size)
    : DrawableWidget('shad', localPosition, size)
{
    Renderer &renderer = *GetRenderer();
    object.SetupColorShaders(renderer, 0);
    GeometryBuffer geometry;
    if (!object.CreateBuffers(renderer, 24, 22, &geometry)) return;
    const float c1 = 1.9134171F, c2 = 3.5354998F, c3 = 4.6193976F;
    const float e1 = 0.38060236F, e2 = 1.4645002F, e3 = 3.086583F;
    const float f1 = 3.0614674F, f2 = 5.6568F, f3 = 7.391036F;
    const float w = size.x;
    const float h = size.y;
    const float vertices[24][3] = {
        {0, 5, 0.09F},          {0, 0, 0},          {-c1, e1, 0},          {-c2, e2, 0},
        {-c3, e3, 0},           {-5, 5, 0},         {0, h, 0.18F},         {-5, h, 0},
        {-c3, h + f1, 0},       {-c2, h + f2, 0},   {-c1, h + f3, 0},      {0, h + 8, 0},
        {w, h, 0.18F},          {w, h + 8, 0},      {w + c1, h + f3, 0},   {w + c2, h + f2, 0},
        {w + c3, h + f1, 0},    {w + 5, h, 0},      {w, 5, 0.09F},         {w + 5, 5, 0},
        {w + c3, e3, 0},        {w + c2, e2, 0},    {w + c1, e1, 0},       {w, 0, 0},
    };
    float *out = static_cast<float *>(geometry.vertexData);
    for (const float *v : vertices)
    {
        const float record[6] = {v[0], v[1], 0.0F, 0.0F, 0.0F, v[2]};
        std::memcpy(out, record, sizeof(record));
        out += 6;
    }
    static const uint16_t kIndices[66] = {0,  1,  2,  0,  2,  3,  0,  3,  4,  0,  4,  5,  0,  5,  6,  5,  7,
                                          6,  6,  7,  8,  6,  8,  9,  6,  9,  10, 6,  10, 11, 6,  11, 13, 6,
                                          13, 12, 12, 13, 14, 12, 14, 15, 12, 15, 16, 12, 16, 17, 12, 17, 18,
                                          17, 19, 18, 18, 19, 20, 18, 20, 21, 18, 21, 22, 18, 22, 23};
    std::memcpy(geometry.triangleData, kIndices, sizeof(kIndices));
    object.UnmapBuffers(renderer);
    item.vertexCount = 24;
    item.indexCount = 66;
}

FillWidget::FillWidget(const Point2D &localPosition, const Vector2D &size, const uint8_t *color)
    : DrawableWidget('fill', localPosition, size)
{
    Renderer &renderer = *GetRenderer();
    object.SetupVorlShaders(renderer, 0, kShaderOptionWeight);
    const Point2D a(0, 0), b(0, size.y), c(size.x, size.y), d(size.x, 0);
    const QuadraticBezier2D curves[4] = {QuadraticBezier2D(a, b, b), QuadraticBezier2D(b, c, c),
                                         QuadraticBezier2D(c, d, d), QuadraticBezier2D(d, a, a)};
    object.BuildPathGeometry(renderer, MakeFillStyle(color), 4, curves, &item, &pair);
}

FillWidget::~FillWidget()
{
    if (Renderer *renderer = GetRenderer()) pair.ReleaseTextures(*renderer);
}

void FillWidget::HandleMouseEvent(const UIEvent &event)
{
    if (event.type == 'lmdn') Send('wgac');
}

ShapeWidget::ShapeWidget() : DrawableWidget('line', Point2D(0, 0), Vector2D(0, 0)) {}

ShapeWidget::~ShapeWidget()
{
    if (Renderer *renderer = GetRenderer()) pair.ReleaseTextures(*renderer);
}

void ShapeWidget::InitLine(const Point2D &start, const Point2D &end, float lineWidth, const uint8_t *color)
{
    widgetType = 'line';
    localPosition = start;
    widgetSize = Vector2D(0, 0);
    Renderer &renderer = *GetRenderer();
    object.SetupVorlShaders(renderer, 0, kShaderOptionWeight);
    Vector2D d(end.x - start.x, end.y - start.y);
    float q = d.x * d.x + d.y * d.y;
    // A line without length (or without a finite one) has no direction: it draws nothing.
    if (!(q >= FloatMinNormal) || !std::isfinite(q)) return;
    float r = InverseSqrtNewton(q) * (lineWidth * 0.5F);
    Vector2D s(-d.y * r, d.x * r);
    const Point2D p0(s.x, s.y), p1(-s.x, -s.y), p2(d.x - s.x, d.y - s.y), p3(d.x + s.x, d.y + s.y);
    const QuadraticBezier2D curves[4] = {QuadraticBezier2D(p0, p1, p1), QuadraticBezier2D(p1, p2, p2),
                                         QuadraticBezier2D(p2, p3, p3), QuadraticBezier2D(p3, p0, p0)};
    object.BuildPathGeometry(renderer, MakeFillStyle(color), 4, curves, &item, &pair);
}

void ShapeWidget::InitRect(const Point2D &position, const Vector2D &size, float lineWidth, const uint8_t *color)
{
    widgetType = 'rect';
    localPosition = position;
    widgetSize = size;
    const Point2D a(0, 0), b(size.x, 0), c(size.x, size.y), d(0, size.y);
    const QuadraticBezier2D curves[4] = {QuadraticBezier2D(a, b, b), QuadraticBezier2D(b, c, c),
                                         QuadraticBezier2D(c, d, d), QuadraticBezier2D(d, a, a)};
    BuildStroke(4, curves, lineWidth, color);
}

void ShapeWidget::InitCircle(const Point2D &position, const Vector2D &size, float lineWidth, const uint8_t *color)
{
    widgetType = 'circ';
    localPosition = position;
    widgetSize = size;
    QuadraticBezier2D curves[12];
    int32_t count = AppendEllipseCurves(size.x * 0.5F, size.y * 0.5F, size.x * 0.5F, size.y * 0.5F, curves, 0, 11);
    BuildStroke(count, curves, lineWidth, color);
}

void ShapeWidget::BuildStroke(int32_t curveCount, const QuadraticBezier2D *curves, float lineWidth,
                              const uint8_t *color)
{
    Renderer &renderer = *GetRenderer();
    object.SetupVorlShaders(renderer, 0, kStrokeVariant);
    item = {0, 0, 0, 0, &pair};
    StrokeStyle style;
    ResetStrokeStyle(&style);
    style.width = lineWidth;
    style.color = LinearColorOfBytes(color);
    int32_t cursor[2] = {0, 0};
    int32_t vertices = 0;
    int32_t triangles = 0;
    CountStrokeGeometry(style, kStrokeClosed, curveCount, curves, kCountingTextureSize, kCountingTextureSize, cursor,
                        &vertices, &triangles, nullptr);
    if (vertices <= 0) return;
    TexelBuffer texels = {nullptr, kTexelFormatFloat4, 0, 0, 0, 0};
    GetTexelExtent(cursor, &texels.width, &texels.height);
    if (texels.height == 0 || texels.height > kCountingTextureSize) return;
    Heap &heap = renderer.GetHeap();
    uint64_t bytes = uint64_t(texels.width) * uint64_t(texels.height) * 16;
    texels.texels = AllocateMemory(heap, bytes);
    GeometryBuffer geometry;
    if (texels.texels == nullptr || !object.CreateBuffers(renderer, uint32_t(vertices), uint32_t(triangles), &geometry))
    {
        FreeMemory(heap, texels.texels);
        return;
    }
    std::memset(texels.texels, 0, size_t(bytes));
    bool built = BuildStrokeGeometry(style, kStrokeClosed, curveCount, curves, &texels, &geometry, nullptr);
    object.UnmapBuffers(renderer);
    if (built && pair.Create(renderer, kTexelFormatFloat4, texels.width, texels.height, texels.texels, 0, 0, nullptr))
        item = {uint32_t(vertices), 3 * uint32_t(triangles), 0, 0, &pair};
    FreeMemory(heap, texels.texels);
}

}  // namespace oq
