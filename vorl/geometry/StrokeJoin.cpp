#include "vorl/geometry/StrokeJoin.h"

#include "vorl/geometry/StrokeStyle.h"
#include "vorl/geometry/StrokeWriter.h"

#include <cmath>

namespace oq {

namespace {

enum class JoinKind
{
    kBevel,
    kMiter,
    kRound,
    kMiterRound,  // miter polygon with the round contour
};

JoinKind ChooseJoinKind(float ratioSquared, uint32_t join, float miterLimit)
{
    if (miterLimit * miterLimit > ratioSquared) return JoinKind::kMiter;
    if (join == kStrokeJoinBevel) return JoinKind::kBevel;
    if (join == kStrokeJoinRound) return ratioSquared > 1.0f ? JoinKind::kRound : JoinKind::kMiterRound;
    return JoinKind::kMiter;
}

// The control point c of a round arc where the outer edge line through a along t meets the line
// through the apex parallel to e; the outer point itself where the lines are parallel.
Point2D GetRoundControl(const Point2D &a, const Vector2D &t, const Point2D &apex, const Vector2D &e)
{
    float k = Cross(e, apex - a) / Cross(e, t);
    if (!std::isfinite(k)) return a;
    return a + t * k;
}

template <int32_t kVariant, bool kStraight>
void WriteJoinVariant(const StrokeEnd &previousEnd, const StrokeOffsets &current, float scale, const Vector2D &offset,
                      float halfWidth, const ColorRGBA &color, uint32_t join, float miterLimit,
                      GeometryBuffer *geometry, TexelBuffer *curveTexels, bool write)
{
    using Writer = StrokeWriter<kVariant>;
    const Vector2D &tA = previousEnd.direction;
    const Vector2D &tB = current.start.direction;
    float c = Cross(tA, tB);
    Vector2D u = (tB - tA) * (1.0f / c);
    float ratioSquared = u.x * u.x + u.y * u.y;
    JoinKind kind = ChooseJoinKind(ratioSquared, join, miterLimit);
    bool round = kind == JoinKind::kRound;
    bool roundContour = round || kind == JoinKind::kMiterRound;
    bool miter = kind == JoinKind::kMiter || kind == JoinKind::kMiterRound;

    int32_t curveCount = (kStraight ? 3 : 4) + (kind == JoinKind::kBevel ? 0 : 1);
    int32_t vertexCount = (kStraight ? 3 : 4) + (round ? 2 : miter ? 1 : 0);
    int32_t triangleCount = (kStraight ? 1 : 2) + (round ? 2 : miter ? 1 : 0);

    int32_t x, y;
    uint32_t location = Writer::ReserveBlock(curveTexels, curveCount + 1, &x, &y);
    StrokeEm em = {scale, offset};
    if (!write)
    {
        Writer::Geometry::Advance(geometry, uint32_t(vertexCount), uint32_t(triangleCount), uint32_t(vertexCount));
        return;
    }

    float w = halfWidth;
    bool left = c > 0.0f;
    float sigma = left ? 1.0f : -1.0f;
    const Point2D &p = previousEnd.point;
    Vector2D nA = StrokeLeftNormal(tA);
    Vector2D nB = StrokeLeftNormal(tB);
    Vector2D m = u * w;
    float mSquared = m.x * m.x + m.y * m.y;
    float d = Sqrt(mSquared);
    if (d < w) d = w;
    const Point2D &aIn = left ? previousEnd.left : previousEnd.right;
    const Point2D &aOut = left ? previousEnd.right : previousEnd.left;
    const Point2D &bIn = left ? current.start.left : current.start.right;
    const Point2D &bOut = left ? current.start.right : current.start.left;
    Vector2D oA = nA * -sigma;
    Vector2D oB = nB * -sigma;
    Point2D inner = p + m * sigma;
    Point2D tip = p - m * sigma;

    Point2D apex(0.0f, 0.0f), c1(0.0f, 0.0f), c2(0.0f, 0.0f);
    Vector2D mUnit(0.0f, 0.0f);
    if (roundContour)
    {
        mUnit = m * InverseSqrt(mSquared);
        apex = p - mUnit * (sigma * w);
        Vector2D e = bOut - aOut;
        c1 = GetRoundControl(aOut, tA, apex, e);
        c2 = GetRoundControl(bOut, tB, apex, e);
    }

    Point2D kA, kB;
    if constexpr (kStraight)
    {
        kA = (inner + aOut) * 0.5f - tA * d;
        kB = (inner + bOut) * 0.5f + tB * d;
    }
    else
    {
        kA = (bIn + aOut) * 0.5f - tA * d;
        kB = (aIn + bOut) * 0.5f + tB * d;
    }

    // Vertices and triangles.
    StrokeVertex vertices[6];
    int32_t n = 0;
    Vector2D c1Normal = oA - mUnit * sigma;
    Vector2D c2Normal = oB - mUnit * sigma;
    const uint8_t(*triangles)[3];
    if constexpr (kStraight)
    {
        static const uint8_t kStraightTriangles[3][3] = {{0, 1, 2}, {1, 3, 4}, {1, 4, 2}};
        static const uint8_t kStraightMiterTriangles[2][3] = {{0, 1, 2}, {1, 3, 2}};
        vertices[n++] = {inner, (nA + nB) * sigma};
        if (left)
        {
            vertices[n++] = {bOut, oB};
            vertices[n++] = {aOut, oA};
        }
        else
        {
            vertices[n++] = {aOut, oA};
            vertices[n++] = {bOut, oB};
        }
        if (miter) vertices[n++] = {tip, oA + oB};
        if (round)
        {
            if (left)
            {
                vertices[n++] = {c2, c2Normal};
                vertices[n++] = {c1, c1Normal};
            }
            else
            {
                vertices[n++] = {c1, c1Normal};
                vertices[n++] = {c2, c2Normal};
            }
        }
        triangles = round ? kStraightTriangles : kStraightMiterTriangles;
    }
    else
    {
        static const uint8_t kLeftTriangles[4][3] = {{0, 1, 2}, {0, 3, 1}, {1, 3, 4}, {3, 5, 4}};
        static const uint8_t kRightTriangles[4][3] = {{0, 2, 1}, {0, 1, 3}, {0, 4, 2}, {2, 4, 5}};
        vertices[n++] = {previousEnd.left, nA};
        vertices[n++] = {previousEnd.right, -nA};
        vertices[n++] = {current.start.left, nB};
        vertices[n++] = {current.start.right, -nB};
        if (miter) vertices[n++] = {tip, oA + oB};
        if (round)
        {
            vertices[n++] = {c1, c1Normal};
            vertices[n++] = {c2, c2Normal};
        }
        triangles = left ? kLeftTriangles : kRightTriangles;
    }
    Writer::Emit(geometry, vertices, vertexCount, triangles, triangleCount, em, location, StrokeBandLimits(curveCount),
                 color, true);

    // The contour: the edge facing the previous piece, the outer part, the edge facing this one.
    Point2D points[13];
    int32_t k = 0;
    const Point2D &first = kStraight ? inner : left ? bIn : aIn;
    points[k++] = first;
    points[k++] = left ? kA : kB;
    points[k++] = left ? aOut : bOut;
    const Point2D &outerEnd = left ? bOut : aOut;
    if (roundContour)
    {
        points[k++] = left ? c1 : c2;
        points[k++] = apex;
        points[k++] = left ? c2 : c1;
    }
    else if (miter)
    {
        points[k++] = tip;
        points[k++] = tip;
        points[k++] = outerEnd;
    }
    else
    {
        points[k++] = outerEnd;
    }
    points[k++] = outerEnd;
    points[k++] = left ? kB : kA;
    if constexpr (kStraight)
    {
        points[k++] = inner;
    }
    else
    {
        points[k++] = left ? aIn : bIn;
        points[k++] = first;
        points[k++] = first;
    }
    Writer::StoreBlock(curveTexels, x, y, points, curveCount, em);
}

}  // namespace

const WriteStrokeJoinFunction kWriteStraightStrokeJoinVariants[8] = {
    WriteJoinVariant<0, true>, WriteJoinVariant<1, true>, WriteJoinVariant<2, true>, WriteJoinVariant<3, true>,
    WriteJoinVariant<4, true>, WriteJoinVariant<5, true>, WriteJoinVariant<6, true>, WriteJoinVariant<7, true>,
};

const WriteStrokeJoinFunction kWriteStrokeJoinVariants[8] = {
    WriteJoinVariant<0, false>, WriteJoinVariant<1, false>, WriteJoinVariant<2, false>, WriteJoinVariant<3, false>,
    WriteJoinVariant<4, false>, WriteJoinVariant<5, false>, WriteJoinVariant<6, false>, WriteJoinVariant<7, false>,
};

}  // namespace oq
