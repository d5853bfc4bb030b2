#include "vorl/geometry/StrokeCap.h"

#include "vorl/geometry/StrokeStyle.h"
#include "vorl/geometry/StrokeWriter.h"

namespace oq {

namespace {

// sin 22.5 degrees and the root of 1/2, the control offsets of the four round arcs.
constexpr float kRoundArcFactor = 0.38268343f;
constexpr float kRoundDiagonalFactor = 0.70710677f;

template <int32_t kVariant>
void WriteStrokeCapVariant(const StrokeEnd &end, float scale, const Vector2D &offset, float halfWidth,
                           const ColorRGBA &color, uint32_t cap, GeometryBuffer *geometry, TexelBuffer *curveTexels,
                           bool write)
{
    using Writer = StrokeWriter<kVariant>;
    int32_t curveCount;
    switch (cap)
    {
    case kStrokeCapTriangle: curveCount = 3; break;
    case kStrokeCapSquare: curveCount = 4; break;
    case kStrokeCapRound: curveCount = 5; break;
    default: return;
    }
    int32_t x, y;
    uint32_t location = Writer::ReserveBlock(curveTexels, curveCount + 1, &x, &y);

    const Point2D &e = end.point;
    const Vector2D &d = end.direction;
    float w = halfWidth;
    Vector2D left = StrokeLeftNormal(d);
    Vector2D forward = d * w;
    Point2D outerLeft = end.left + forward;
    Point2D outerRight = end.right + forward;
    StrokeEm em = {scale, offset};

    static const uint8_t kTriangles[2][3] = {{0, 3, 1}, {0, 2, 3}};
    StrokeVertex vertices[4] = {{end.left, left}, {end.right, -left}, {outerLeft, left + d}, {outerRight, -left + d}};
    Writer::Emit(geometry, vertices, 4, kTriangles, 2, em, location, StrokeBandLimits(curveCount), color, write);
    if (!write) return;

    Point2D back = e - forward;
    Point2D front = e + forward;
    Point2D points[11];
    int32_t n = 0;
    points[n++] = end.left;
    points[n++] = back;
    points[n++] = end.right;
    if (cap == kStrokeCapTriangle)
    {
        points[n++] = front;
        points[n++] = front;
        points[n++] = end.left;
        points[n++] = end.left;
    }
    else if (cap == kStrokeCapSquare)
    {
        points[n++] = outerRight;
        points[n++] = outerRight;
        points[n++] = outerLeft;
        points[n++] = outerLeft;
        points[n++] = end.left;
        points[n++] = end.left;
    }
    else
    {
        float a = kRoundArcFactor * w;
        float b = kRoundDiagonalFactor * w;
        Vector2D rightNormal(d.y, -d.x);
        points[n++] = end.right + d * a;
        points[n++] = e + (d + rightNormal) * b;
        points[n++] = front + rightNormal * a;
        points[n++] = front;
        points[n++] = front + left * a;
        points[n++] = e + (d + left) * b;
        points[n++] = end.left + d * a;
        points[n++] = end.left;
    }
    Writer::StoreBlock(curveTexels, x, y, points, curveCount, em);
}

}  // namespace

const WriteStrokeCapFunction kWriteStrokeCapVariants[8] = {
    WriteStrokeCapVariant<0>, WriteStrokeCapVariant<1>, WriteStrokeCapVariant<2>, WriteStrokeCapVariant<3>,
    WriteStrokeCapVariant<4>, WriteStrokeCapVariant<5>, WriteStrokeCapVariant<6>, WriteStrokeCapVariant<7>,
};

}  // namespace oq
