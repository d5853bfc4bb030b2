// The icon compile: one icon per Layer, a shape per filled geometry and a mesh per stroked one.
#include "ambrel/CompileGeometry.h"

#include <cstring>

namespace oq {

namespace {

// What one unit holds: filled and stroked geometries, stroke vertices and triangles.
struct UnitCounts
{
    int64_t filled = 0;
    int64_t stroked = 0;
    int64_t vertices = 0;
    int64_t triangles = 0;
};

// Calls visit(flags, count, curves) for every contour of the geometry, as the stroke builders
// take it: closed flag, curves without the closing one; contours past the curves are cut.
template <typename Visit> void ForEachStrokeContour(const CompileGeometry &geometry, Visit visit)
{
    const Array<ContourRecord, 4> &contours = geometry.geometry->contours;
    int32_t total = geometry.curves.GetElementCount();
    int32_t start = 0;
    for (int32_t c = 0; c < contours.GetElementCount(); ++c)
    {
        const ContourRecord &contour = contours[c];
        if (contour.curveCount < 0 || contour.curveCount > total - start) break;
        int32_t count = contour.curveCount - (contour.closingCurveAdded != 0 ? 1 : 0);
        if (count > 0) visit(contour.closed != 0 ? kStrokeClosed : 0u, count, geometry.curves.GetElements() + start);
        start += contour.curveCount;
    }
}

UnitCounts CountLayerItems(const CompileUnits &units, int32_t unit, const CompileTextureRows &rows,
                           StrokeScratch *scratch)
{
    UnitCounts counts;
    int32_t first = units.GetFirst(unit);
    for (int32_t i = 0; i < units.GetCount(unit); ++i)
    {
        const CompileGeometry &geometry = *units.GetGeometry(first + i);
        if (geometry.filled) ++counts.filled;
        if (!geometry.stroked) continue;
        ++counts.stroked;
        ForEachStrokeContour(geometry, [&](uint32_t flags, int32_t count, const QuadraticBezier2D *curves) {
            int32_t cursor[2] = {0, 0};
            int32_t v = 0;
            int32_t t = 0;
            CountStrokeGeometry(geometry.stroke, flags, count, curves, CompileTextures::kWidth, rows.curveRows,
                                cursor, &v, &t, scratch);
            counts.vertices += v;
            counts.triangles += t;
        });
    }
    return counts;
}

// The record arrays of an icon compile and the running indices carried across units.
struct IconArrays
{
    VorlShapeRecord *shapes;
    VorlIconLayer *items;
    VorlIconMesh *meshes;
    AttribStruct *vertices;
    VorlTriangle *triangles;
    int32_t shapeIndex = 0;
    int32_t itemIndex = 0;
    int32_t meshIndex = 0;
    uint32_t vertexIndex = 0;
    int32_t triangleIndex = 0;
    int64_t vertexCapacity = 0;
    int64_t triangleCapacity = 0;
};

VorlIconLayer MakeLayerItem(int32_t index, const ColorRGBA &color, const CompileGeometry &geometry)
{
    VorlIconLayer item{};
    item.shape = index;
    ColorRGBAToSrgb8(item.color, color);
    float s = geometry.size;
    item.matrix[0] = s;
    item.matrix[3] = s;
    item.offset[0] = geometry.geometry->boundingBox.min.x;
    item.offset[1] = geometry.geometry->boundingBox.min.y;
    return item;
}

uint32_t BuildIconLayerItems(const AmbrelDocument *document, const CompileUnits &units, int32_t unit,
                             CompileTextures *textures, IconArrays *arrays, VorlIconRecord *icon,
                             ShapeScratch *fillScratch, StrokeScratch *strokeScratch)
{
    const FontCompileSettings &settings = document->compileSettings;
    Box2D bounds;
    bounds.SetEmpty();
    int32_t iconMeshes = 0;
    int32_t first = units.GetFirst(unit);
    for (int32_t i = 0; i < units.GetCount(unit); ++i)
    {
        const CompileGeometry &geometry = *units.GetGeometry(first + i);
        float opacity = CalculateGroupOpacity(geometry.geometry);
        if (geometry.filled)
        {
            FillStyle style = geometry.fill;
            if (opacity < 1.0f) style.color.alpha *= opacity;
            VorlShapeRecord *shape = &arrays->shapes[arrays->shapeIndex];
            if (!style.BuildShapeData(geometry.curves.GetElementCount(), geometry.curves.GetElements(), &textures->curve,
                                      &textures->band, shape, settings.polygonVertexCount, settings.polygonEdgeFactor,
                                      settings.maxBandCount, fillScratch))
                return kResultSizeExceeded;
            if (shape->flags & kShapeAllStraight) icon->flags |= 1;
            if (shape->flags & kShapeEvenOdd) icon->flags |= 8;
            if (shape->gradientType != 0) icon->flags |= 4;
            arrays->items[arrays->itemIndex++] = MakeLayerItem(arrays->shapeIndex++, style.color, geometry);
            bounds.Union(geometry.geometry->boundingBox);
        }
        if (geometry.stroked)
        {
            icon->flags |= 2;
            StrokeStyle style = geometry.stroke;
            if (opacity < 1.0f) style.color.alpha *= opacity;
            arrays->items[arrays->itemIndex++] = MakeLayerItem(-(iconMeshes + 1), style.color, geometry);
            ++iconMeshes;
            bounds.Union(geometry.geometry->boundingBox);

            uint32_t firstVertex = arrays->vertexIndex;
            int32_t firstTriangle = arrays->triangleIndex;
            GeometryBuffer buffer = {arrays->vertices + firstVertex, arrays->triangles + firstTriangle, firstVertex, 0, 0};
            bool fits = true;
            ForEachStrokeContour(geometry, [&](uint32_t flags, int32_t count, const QuadraticBezier2D *curves) {
                if (!fits) return;
                // The arrays were sized by the count pass; a contour that would pass their end is refused.
                int32_t cursor[2] = {textures->curve.cursorX, textures->curve.cursorY};
                int32_t v = 0;
                int32_t t = 0;
                CountStrokeGeometry(style, flags, count, curves, textures->curve.width, textures->curve.height, cursor, &v,
                                    &t, strokeScratch);
                int64_t triangles = static_cast<VorlTriangle *>(buffer.triangleData) - arrays->triangles;
                fits = int64_t(buffer.vertexIndex) + v <= arrays->vertexCapacity &&
                       triangles + t <= arrays->triangleCapacity &&
                       BuildStrokeGeometry(style, flags, count, curves, &textures->curve, &buffer, strokeScratch);
            });
            if (!fits) return kResultSizeExceeded;
            arrays->vertexIndex = buffer.vertexIndex;
            arrays->triangleIndex = int32_t(static_cast<VorlTriangle *>(buffer.triangleData) - arrays->triangles);
            arrays->meshes[arrays->meshIndex++] = {int32_t(firstVertex), int32_t(buffer.vertexIndex - firstVertex),
                                                   firstTriangle, arrays->triangleIndex - firstTriangle};
        }
    }
    icon->bounds[0] = bounds.min.x;
    icon->bounds[1] = bounds.min.y;
    icon->bounds[2] = bounds.max.x;
    icon->bounds[3] = bounds.max.y;
    return 0;
}

}  // namespace

uint32_t BuildIconVorlFile(AmbrelDocument *document, OutputSink *sink, const VorlHeaderStart *start, bool floatTexels,
                           bool compress, ShapeScratch *fillScratch, StrokeScratch *strokeScratch,
                           GraphicsCompileReport *report)
{
    return CompileIconFile(document, sink, start, floatTexels, compress, fillScratch, strokeScratch, report,
                           CompileTextureRows());
}

uint32_t CompileIconFile(AmbrelDocument *document, OutputSink *sink, const VorlHeaderStart *start, bool floatTexels,
                         bool compress, ShapeScratch *fillScratch, StrokeScratch *strokeScratch,
                         GraphicsCompileReport *report, const CompileTextureRows &rows)
{
    CompileUnits units;
    units.Prepare(document, report);
    int32_t n = units.GetUnitCount();

    Array<UnitCounts> counts;
    UnitCounts total;
    for (int32_t unit = 0; unit < n; ++unit)
    {
        UnitCounts c = CountLayerItems(units, unit, rows, strokeScratch);
        counts.AddElement(c);
        total.filled += c.filled;
        total.stroked += c.stroked;
        total.vertices += c.vertices;
        total.triangles += c.triangles;
    }
    // Triangles hold 16-bit indices into the file's whole vertex array.
    if (total.vertices > int64_t(kMaxVertices16) || total.triangles > INT32_MAX / 16) return kResultSizeExceeded;
    int64_t items = total.filled + total.stroked;

    CompileTextures textures;
    uint32_t result = textures.Allocate(floatTexels ? kTexelFormatFloat4 : kTexelFormatHalf4, rows);
    if (result != 0) return result;
    ZeroedBlock shapeBlock, iconBlock, itemBlock, meshBlock, vertexBlock, triangleBlock, fileVertexBlock;
    if (!shapeBlock.Allocate(uint64_t(total.filled) * sizeof(VorlShapeRecord)) ||
        !iconBlock.Allocate(uint64_t(n) * sizeof(VorlIconRecord)) ||
        !itemBlock.Allocate(uint64_t(items) * sizeof(VorlIconLayer)) ||
        !meshBlock.Allocate(uint64_t(total.stroked) * sizeof(VorlIconMesh)) ||
        !vertexBlock.Allocate(uint64_t(total.vertices) * sizeof(AttribStruct)) ||
        !triangleBlock.Allocate(uint64_t(total.triangles) * sizeof(VorlTriangle)) ||
        !fileVertexBlock.Allocate(uint64_t(total.vertices) * sizeof(VorlMeshVertex)))
        return kResultOutOfMemory;

    IconArrays arrays;
    arrays.shapes = shapeBlock.Get<VorlShapeRecord>();
    arrays.items = itemBlock.Get<VorlIconLayer>();
    arrays.meshes = meshBlock.Get<VorlIconMesh>();
    arrays.vertices = vertexBlock.Get<AttribStruct>();
    arrays.triangles = triangleBlock.Get<VorlTriangle>();
    arrays.vertexCapacity = total.vertices;
    arrays.triangleCapacity = total.triangles;
    auto *icons = iconBlock.Get<VorlIconRecord>();
    const CanvasView &view = document->canvasView;
    for (int32_t unit = 0; unit < n; ++unit)
    {
        const UnitCounts &c = counts[unit];
        if (c.filled + c.stroked == 0) continue;
        VorlIconRecord *icon = &icons[unit];
        icon->range[0] = view.xMinimum;
        icon->range[1] = view.yMinimum;
        icon->range[2] = view.xMaximum;
        icon->range[3] = view.yMaximum;
        icon->layerCount = int32_t(c.filled + c.stroked);
        int32_t toEnd = 64 * (n - unit);
        icon->layerOffset = toEnd + 32 * arrays.itemIndex;
        // Set whenever the icon has meshes, even meshes without vertices.
        if (c.stroked != 0) icon->meshOffset = toEnd + int32_t(32 * items) + 16 * arrays.meshIndex;
        result = BuildIconLayerItems(document, units, unit, &textures, &arrays, icon, fillScratch, strokeScratch);
        if (result != 0) return result;
    }

    auto *fileVertices = fileVertexBlock.Get<VorlMeshVertex>();
    for (int64_t v = 0; v < total.vertices; ++v)
    {
        const AttribStruct &a = arrays.vertices[v];
        VorlMeshVertex &m = fileVertices[v];
        std::memcpy(m.position, a.position, 36);
        std::memcpy(m.color, a.color, 4);
    }

    int64_t a = RoundUp64(uint64_t(total.filled) * sizeof(VorlShapeRecord));
    int64_t b = RoundUp64(uint64_t(n) * 64 + uint64_t(items) * 32 + uint64_t(total.stroked) * 16);
    VorlGraphicsHeader header{};
    header.shapeCount = int32_t(total.filled);
    header.shapeRecordOffset = 112;
    header.iconCount = n;
    header.iconRecordOffset = int32_t(112 + a);
    uint64_t curveOffset = 192 + a + b;
    if (total.vertices != 0)
    {
        header.meshVertexOffset = int32_t(112 + a + b);
        header.meshTriangleOffset = header.meshVertexOffset + int32_t(40 * total.vertices);
        curveOffset += RoundUp64(uint64_t(40 * total.vertices + 6 * total.triangles));
    }
    if (curveOffset > UINT32_MAX / 2) return kResultSizeExceeded;

    VorlGraphicsContent content;
    content.shapeCount = int32_t(total.filled);
    content.shapes = arrays.shapes;
    content.meshCount = int32_t(total.stroked);
    content.meshes = arrays.meshes;
    content.vertexCount = int32_t(total.vertices);
    content.vertices = fileVertices;
    content.triangleCount = int32_t(total.triangles);
    content.triangles = reinterpret_cast<const VorlMeshTriangle *>(arrays.triangles);
    content.iconCount = n;
    content.icons = icons;
    content.layerItemCount = int32_t(items);
    content.layerItems = arrays.items;
    return WriteVorlFile(sink, start, &header, content, uint32_t(curveOffset), &textures.curve, &textures.band,
                         compress);
}

}  // namespace oq
