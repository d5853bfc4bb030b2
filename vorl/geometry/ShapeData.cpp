#include "vorl/geometry/ShapeData.h"

#include "base/Box2D.h"
#include "base/Color.h"
#include "vorl/geometry/BoundingPolygon.h"
#include "vorl/geometry/FillStyle.h"

#include <cstring>

namespace oq {

namespace {

uint32_t *BandTexel(const TexelBuffer *band, int32_t x, int32_t y)
{
    return static_cast<uint32_t *>(band->texels) + int64_t(y) * band->width + x;
}

void StoreBandTexel(const TexelBuffer *band, int32_t x, int32_t y, uint32_t low, uint32_t high)
{
    if (band->texels != nullptr) *BandTexel(band, x, y) = (low & 0xFFFF) | high << 16;
}

// Reserves count band texels on one row for a layer header: when the rest of the row is too short
// it is zeroed (stored rows only) and the header goes to the next row. False when the row is not
// below the height or the header is wider than a row.
bool ReserveLayerHeader(const TexelBuffer *band, int32_t count, int32_t *cursor)
{
    if (cursor[1] < 0 || cursor[1] >= band->height || cursor[0] < 0 || count > band->width) return false;
    if (cursor[0] + count > band->width)
    {
        if (band->texels != nullptr)
            std::memset(BandTexel(band, cursor[0], cursor[1]), 0, size_t(band->width - cursor[0]) * 4);
        cursor[0] = 0;
        cursor[1] += 1;
        if (cursor[1] >= band->height) return false;
    }
    return true;
}

bool IsAllStraight(int32_t count, const QuadraticBezier2D *curves)
{
    for (int32_t i = 0; i < count; ++i)
    {
        if (curves[i].p1 != curves[i].p2) return false;
    }
    return true;
}

// The band data of one curve list from the given cursors: curve texels, extents, lists over the
// shape's box and counts, band texels. The curve extents are recomputed for the list.
bool WriteShapeBands(int32_t count, const QuadraticBezier2D *curves, const TexelBuffer *curveTexels,
                     const TexelBuffer *bandTexels, int32_t *curveCursor, int32_t *bandCursor, const Box2D &box,
                     int32_t bx, int32_t by, const int32_t *paintLocation, int32_t *location, ShapeScratch *scratch)
{
    Box2D listBox;
    return WriteShapeCurveTexels(count, curves, curveTexels->texels, curveTexels->format, curveTexels->width,
                                 curveTexels->height, curveCursor, scratch) &&
           ComputeShapeCurveExtents(&listBox, count, curves, scratch) &&
           BuildShapeBandLists(count, box, bx, by, scratch) &&
           WriteShapeBandTexels(bx, by, bandTexels->texels, bandTexels->width, bandTexels->height, bandCursor,
                                paintLocation, location, scratch);
}

// The record fields every shape builder fills.
void FillShapeRecord(VorlShapeRecord *record, const Box2D &box, const int32_t *location, int32_t bx, int32_t by,
                     int32_t listCount, const int32_t *curveCounts, const QuadraticBezier2D *const *curveLists,
                     int32_t maxPolygonVertices, float polygonEdgeFactor)
{
    record->box[0] = box.min.x;
    record->box[1] = box.min.y;
    record->box[2] = box.max.x;
    record->box[3] = box.max.y;
    record->bandColumn = uint16_t(location[0]);
    record->bandRow = uint16_t(location[1]);
    record->bandCountX = uint16_t(bx & 0xFF);
    record->bandCountY = uint16_t(by & 0xFF);
    record->bandScale[0] = float(bx) / (box.max.x - box.min.x);
    record->bandScale[1] = float(by) / (box.max.y - box.min.y);
    std::memset(record->polygon, 0, sizeof(record->polygon));
    record->polygonWord = ComputeBoundingPolygon(listCount, curveCounts, curveLists, &record->polygon[0][0],
                                                 maxPolygonVertices, polygonEdgeFactor);
}

}  // namespace

uint8_t SrgbByteToLinearByte(uint8_t value)
{
    return uint8_t(kSrgbByteToLinear[value] * 255.0f + 0.5f);
}

bool BuildShapeData(int32_t curveCount, const QuadraticBezier2D *curves, TexelBuffer *curveTexels,
                    TexelBuffer *bandTexels, VorlShapeRecord *record, int32_t maxPolygonVertices,
                    float polygonEdgeFactor, int32_t maxBandCount, ShapeScratch *scratch)
{
    const uint8_t black[1][4] = {{0, 0, 0, 255}};
    const int32_t counts[1] = {curveCount};
    const QuadraticBezier2D *lists[1] = {curves};
    if (!BuildLayeredShapeData(1, black, counts, lists, curveTexels, bandTexels, record, maxPolygonVertices,
                               polygonEdgeFactor, maxBandCount, scratch))
        return false;
    record->flags &= uint16_t(~kShapeLayered);
    return true;
}

bool BuildLayeredShapeData(int32_t layerCount, const uint8_t (*layerColors)[4], const int32_t *curveCounts,
                           const QuadraticBezier2D *const *curveLists, TexelBuffer *curveTexels,
                           TexelBuffer *bandTexels, VorlShapeRecord *record, int32_t maxPolygonVertices,
                           float polygonEdgeFactor, int32_t maxBandCount, ShapeScratch *scratch)
{
    if (layerCount <= 0 || layerCount > 0xFFFF) return false;
    int32_t header[2] = {bandTexels->cursorX, bandTexels->cursorY};
    int32_t headerSize = 2 * layerCount + 1;
    if (!ReserveLayerHeader(bandTexels, headerSize, header)) return false;

    // One box and one set of band counts for all layers.
    Box2D box(Point2D(0, 0), Point2D(0, 0));
    bool any = false;
    int32_t bx = 1, by = 1;
    bool straight = true;
    for (int32_t l = 0; l < layerCount; ++l)
    {
        if (curveCounts[l] <= 0) continue;
        Box2D layerBox;
        if (!ComputeShapeCurveExtents(&layerBox, curveCounts[l], curveLists[l], scratch)) return false;
        box = any ? UnionBox2D(box, layerBox) : layerBox;
        any = true;
        straight = straight && IsAllStraight(curveCounts[l], curveLists[l]);
    }
    for (int32_t l = 0; l < layerCount; ++l)
    {
        if (curveCounts[l] <= 0) continue;
        Box2D layerBox;
        int32_t lx, ly;
        if (!ComputeShapeCurveExtents(&layerBox, curveCounts[l], curveLists[l], scratch) ||
            !ChooseShapeBandCounts(&lx, &ly, curveCounts[l], box, maxBandCount, scratch))
            return false;
        if (lx > bx) bx = lx;
        if (ly > by) by = ly;
    }

    int32_t curveCursor[2] = {curveTexels->cursorX, curveTexels->cursorY};
    int32_t bandCursor[2] = {header[0] + headerSize, header[1]};
    int32_t first[2] = {0, 0};
    StoreBandTexel(bandTexels, header[0], header[1], uint32_t(layerCount), 0);
    for (int32_t l = 0; l < layerCount; ++l)
    {
        int32_t location[2];
        if (!WriteShapeBands(curveCounts[l] > 0 ? curveCounts[l] : 0, curveLists[l], curveTexels, bandTexels,
                             curveCursor, bandCursor, box, bx, by, nullptr, location, scratch))
            return false;
        if (l == 0)
        {
            first[0] = location[0];
            first[1] = location[1];
        }
        const uint8_t *color = layerColors[l];
        StoreBandTexel(bandTexels, header[0] + 1 + 2 * l, header[1], uint32_t(location[0]), uint32_t(location[1]));
        StoreBandTexel(bandTexels, header[0] + 2 + 2 * l, header[1],
                       uint32_t(SrgbByteToLinearByte(color[1])) << 8 | SrgbByteToLinearByte(color[0]),
                       uint32_t(color[3]) << 8 | SrgbByteToLinearByte(color[2]));
    }

    curveTexels->cursorX = curveCursor[0];
    curveTexels->cursorY = curveCursor[1];
    bandTexels->cursorX = bandCursor[0];
    bandTexels->cursorY = bandCursor[1];
    FillShapeRecord(record, box, first, bx, by, layerCount, curveCounts, curveLists, maxPolygonVertices,
                    polygonEdgeFactor);
    record->flags = uint16_t((straight ? kShapeAllStraight : 0) | kShapeLayered);
    record->layerColumn = uint16_t(header[0]);
    record->layerRow = uint16_t(header[1]);
    return true;
}

bool FillStyle::BuildShapeData(int32_t curveCount, const QuadraticBezier2D *curves, TexelBuffer *curveTexels,
                               TexelBuffer *bandTexels, VorlShapeRecord *record, int32_t maxPolygonVertices,
                               float polygonEdgeFactor, int32_t maxBandCount, ShapeScratch *scratch) const
{
    int32_t curveCursor[2] = {curveTexels->cursorX, curveTexels->cursorY};
    int32_t bandCursor[2] = {bandTexels->cursorX, bandTexels->cursorY};
    int32_t paint[2] = {0, 0};
    int32_t gradientType = WriteGradientTexels(*curveTexels, 1.0f, 0.0f, 0.0f, curveCursor, paint);
    if (gradientType < 0) return false;
    Box2D box;
    int32_t bx, by;
    int32_t location[2];
    if (!ComputeShapeCurveExtents(&box, curveCount, curves, scratch) ||
        !ChooseShapeBandCounts(&bx, &by, curveCount, box, maxBandCount, scratch) ||
        !WriteShapeBands(curveCount, curves, curveTexels, bandTexels, curveCursor, bandCursor, box, bx, by,
                         gradientType != 0 ? paint : nullptr, location, scratch))
        return false;
    curveTexels->cursorX = curveCursor[0];
    curveTexels->cursorY = curveCursor[1];
    bandTexels->cursorX = bandCursor[0];
    bandTexels->cursorY = bandCursor[1];
    const QuadraticBezier2D *lists[1] = {curves};
    FillShapeRecord(record, box, location, bx, by, 1, &curveCount, lists, maxPolygonVertices, polygonEdgeFactor);
    record->flags = uint16_t((IsAllStraight(curveCount, curves) ? kShapeAllStraight : 0) |
                             (rule == kFillRuleEvenOdd ? kShapeEvenOdd : 0));
    record->gradientType = uint16_t(gradientType);
    return true;
}

}  // namespace oq
