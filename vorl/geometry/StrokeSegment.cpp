#include "vorl/geometry/StrokeSegment.h"

#include "vorl/geometry/StrokeCap.h"
#include "vorl/geometry/StrokeJoin.h"
#include "vorl/geometry/StrokeStyle.h"
#include "vorl/geometry/StrokeWriter.h"

#include <cmath>

namespace oq {

namespace {

constexpr float kEpsilon = kStrokeStraightTolerance;

// Where the line through a along ta meets the line through b along tb.
Point2D IntersectLines(const Point2D &a, const Vector2D &ta, const Point2D &b, const Vector2D &tb)
{
    return b - tb * (Cross(a - b, ta) / Cross(ta, tb));
}

// Whether the inner corner of a straight joint from piece a to piece b (both straight) lies within
// both pieces: the inner offset lines cross w (1 - cos) / |sin| of the turn back along each piece.
// Evaluated alike where a marks its end and where b chooses its join, from the same records.
bool IsInnerCornerWithin(const StrokeOffsets &a, const StrokeOffsets &b, float w)
{
    const Vector2D &ta = a.end.direction;
    const Vector2D &tb = b.start.direction;
    float reach = w * (1.0f - Dot(ta, tb)) / std::fabs(Cross(ta, tb));
    float reachSquared = reach * reach;
    return reachSquared <= SquaredMag(a.end.point - a.start.point) &&
           reachSquared <= SquaredMag(b.end.point - b.start.point);
}

// The two halves of a piece that turns too far: at the middle parameter, or for a piece that runs
// out along a line and back, at its turning point.
void SplitPiece(const QuadraticBezier2D &curve, float turn, QuadraticBezier2D *first, QuadraticBezier2D *second)
{
    if (std::fabs(turn) > kEpsilon)
    {
        *first = curve.GetSubcurve(0.0f, 0.5f);
        *second = curve.GetSubcurve(0.5f, 1.0f);
        return;
    }
    Vector2D back = curve.p0 - curve.p1;
    Vector2D u = back * InverseSqrt(SquaredMag(back));
    Vector2D bend(curve.p0.x - 2.0f * curve.p1.x + curve.p2.x, curve.p0.y - 2.0f * curve.p1.y + curve.p2.y);
    float t = Dot(u, back) / Dot(u, bend);
    if (!(t > 0.0f)) t = 0.0f;
    if (t > 1.0f) t = 1.0f;
    Point2D middle = Evaluate(curve, t);
    *first = QuadraticBezier2D(curve.p0, middle, middle);
    *second = QuadraticBezier2D(middle, curve.p2, curve.p2);
}

// Builds a piece. The peers are the records its neighbours received for it (null: its own), so
// that a half of a split piece tests a straight joint on the record its neighbour tested.
template <int32_t kVariant>
void BuildPiece(const QuadraticBezier2D &curve, StrokeOffsets *current, const StrokeOffsets &previous,
                const StrokeOffsets &next, float halfWidth, const ColorRGBA &color, uint32_t startCap, uint32_t endCap,
                uint32_t join, float miterLimit, GeometryBuffer *geometry, TexelBuffer *curveTexels, bool write,
                int32_t depth, const StrokeOffsets *startPeer, const StrokeOffsets *endPeer)
{
    using Writer = StrokeWriter<kVariant>;
    float w = halfWidth;

    // 1. Split a piece that turns by more than 60 degrees.
    if (current->point == 0 && Dot(current->start.direction, current->end.direction) < 0.5f && depth <= 1)
    {
        QuadraticBezier2D first, second;
        SplitPiece(curve, current->turn, &first, &second);
        StrokeOffsets a, b;
        GetStrokeOffsets(first, w, &a);
        GetStrokeOffsets(second, w, &b);
        const StrokeOffsets *whole = current;
        BuildPiece<kVariant>(first, &a, previous, b, w, color, startCap, 0, join, miterLimit, geometry, curveTexels,
                             write, depth + 1, startPeer != nullptr ? startPeer : whole, nullptr);
        BuildPiece<kVariant>(second, &b, a, next, w, color, 0, endCap, join, miterLimit, geometry, curveTexels, write,
                             depth + 1, nullptr, endPeer != nullptr ? endPeer : whole);
        return;
    }

    // 2. The piece's em space.
    float xMin, xMax, yMin, yMax;
    curve.GetXExtent(&xMin, &xMax);
    curve.GetYExtent(&yMin, &yMax);
    float extent = xMax - xMin;
    if (yMax - yMin > extent) extent = yMax - yMin;
    if (w > extent) extent = w;
    StrokeEm em;
    em.scale = 1.0f / extent;
    em.offset = Vector2D(-xMin * em.scale, -yMin * em.scale);

    StrokeEnd previousEnd = previous.end;
    float previousTurn = previous.turn;
    Point2D nextStart = next.start.point;
    Vector2D nextTangent = next.start.direction;
    float nextTurn = next.turn;
    bool isPoint = current->point != 0;
    float turn = current->turn;
    bool straight = std::fabs(turn) <= kEpsilon;

    // 3. The start: a join, a continuation of the previous piece, or a reversal.
    bool straightStart = false;
    if (startCap == 0 && !isPoint)
    {
        float c = Cross(previousEnd.direction, current->start.direction);
        if (std::fabs(c) > kEpsilon)
        {
            straightStart = std::fabs(previousTurn) <= kEpsilon && straight &&
                            IsInnerCornerWithin(previous, startPeer != nullptr ? *startPeer : *current, w);
            const WriteStrokeJoinFunction *joins =
                straightStart ? kWriteStraightStrokeJoinVariants : kWriteStrokeJoinVariants;
            joins[kVariant](previousEnd, *current, em.scale, em.offset, w, color, join, miterLimit, geometry,
                            curveTexels, write);
        }
        else if (Dot(previousEnd.direction, current->start.direction) > 0.0f)
        {
            current->start = previousEnd;
        }
        else
        {
            current->start = {previousEnd.point, -previousEnd.direction, previousEnd.right, previousEnd.left};
            startCap = join == kStrokeJoinRound ? kStrokeCapRound : kStrokeCapFlat;
        }
    }

    // 5. Square caps of a straight piece lengthen it.
    StrokeEnd &start = current->start;
    StrokeEnd &end = current->end;
    if (straight)
    {
        if (startCap == kStrokeCapSquare)
        {
            Vector2D back = start.direction * w;
            start.point -= back;
            start.left -= back;
            start.right -= back;
            startCap = kStrokeCapFlat;
        }
        if (endCap == kStrokeCapSquare)
        {
            Vector2D forward = end.direction * w;
            end.point += forward;
            end.left += forward;
            end.right += forward;
            endCap = kStrokeCapFlat;
        }
    }

    // 4. The end: a straight joint when both this and the next piece are straight and the inner
    // corner lies within both (tested on this piece's final record, as the next piece sees it).
    bool straightEnd = endCap == 0 && !isPoint && straight &&
                       std::fabs(Cross(current->end.direction, nextTangent)) > kEpsilon &&
                       std::fabs(nextTurn) <= kEpsilon &&
                       IsInnerCornerWithin(endPeer != nullptr ? *endPeer : *current, next, w);

    if (!isPoint)
    {
        const Vector2D &t0 = start.direction;
        const Vector2D &t1 = end.direction;

        // 7. The contour block.
        Point2D rightControl = end.right;
        Point2D leftControl = start.left;
        if (!straight)
        {
            rightControl = end.right - t1 * (Cross(start.right - end.right, t0) / turn);
            leftControl = start.left + t0 * (Cross(end.left - start.left, t1) / turn);
        }
        Point2D endControl = endCap == kStrokeCapFlat ? end.left : end.point + t1 * w;
        Point2D startControl = startCap == kStrokeCapFlat ? start.right : start.point - t0 * w;
        int32_t x, y;
        uint32_t location = Writer::ReserveBlock(curveTexels, 5, &x, &y);
        Point2D contour[9] = {start.right, rightControl, end.right, endControl, end.left,
                              leftControl, start.left,  startControl, start.right};
        Writer::StoreBlock(curveTexels, x, y, contour, 4, em);

        // 8. Vertices and triangles.
        StrokeVertex vertices[14];
        uint8_t triangles[12][3];
        int32_t vertexCount = 0;
        int32_t triangleCount = 0;
        Vector2D n0 = StrokeLeftNormal(t0);
        Vector2D n1 = StrokeLeftNormal(t1);
        if (straightStart)
        {
            Vector2D previousNormal = StrokeLeftNormal(previousEnd.direction);
            float c = Cross(previousEnd.direction, t0);
            Vector2D k = (t0 - previousEnd.direction) * (w / c);
            if (c > 0.0f)
            {
                vertices[0] = {previousEnd.point + k, previousNormal + n0};
                vertices[1] = {start.right, -n0};
            }
            else
            {
                vertices[0] = {start.left, n0};
                vertices[1] = {previousEnd.point - k, -(previousNormal + n0)};
            }
        }
        else
        {
            vertices[0] = {start.left, n0};
            vertices[1] = {start.right, -n0};
            if (startCap == kStrokeCapFlat)
            {
                vertices[0].normal -= t0;
                vertices[1].normal -= t0;
            }
        }
        vertexCount = 2;

        auto addTriangle = [&](int32_t a, int32_t b, int32_t c) {
            triangles[triangleCount][0] = uint8_t(a);
            triangles[triangleCount][1] = uint8_t(b);
            triangles[triangleCount][2] = uint8_t(c);
            ++triangleCount;
        };

        if (straight)
        {
            addTriangle(0, 3, 1);
            addTriangle(0, 2, 3);
        }
        else
        {
            bool flags[5];
            GetStrokeSamples(curve, flags);
            bool leftTurn = turn > 0.0f;
            Vector2D pT = t0;
            Point2D pL = start.left;
            Point2D pR = start.right;
            for (int32_t i = 1; i <= 4; ++i)
            {
                if (!flags[i]) continue;
                float t = float(i) * 0.25f;
                Point2D b = Evaluate(curve, t);
                Vector2D tangent(t * curve.p2.x + (1.0f - 2.0f * t) * curve.p1.x + (t - 1.0f) * curve.p0.x,
                                 t * curve.p2.y + (1.0f - 2.0f * t) * curve.p1.y + (t - 1.0f) * curve.p0.y);
                tangent *= InverseSqrt(SquaredMag(tangent));
                Vector2D normal = StrokeLeftNormal(tangent);
                Point2D l = b + normal * w;
                Point2D r = b - normal * w;
                Vector2D pN = StrokeLeftNormal(pT);
                int32_t a = vertexCount;
                if (leftTurn)
                    vertices[a] = {IntersectLines(pR, pT, r, tangent), -(pN + normal)};
                else
                    vertices[a] = {IntersectLines(pL, pT, l, tangent), pN + normal};
                if (i < 4)
                {
                    vertices[a + 1] = {l, normal};
                    vertices[a + 2] = {r, -normal};
                }
                vertexCount += 3;
                addTriangle(a - 2, a, a - 1);
                addTriangle(a + 1, a + 2, a);
                if (leftTurn)
                    addTriangle(a - 2, a + 1, a);
                else
                    addTriangle(a - 1, a, a + 2);
                pT = tangent;
                pL = l;
                pR = r;
            }
            vertexCount -= 2;
        }

        // The end pair.
        int32_t e = vertexCount;
        if (straightEnd)
        {
            Vector2D nextNormal = StrokeLeftNormal(nextTangent);
            float c = Cross(t1, nextTangent);
            Vector2D k = (nextTangent - t1) * (w / c);
            if (c > 0.0f)
            {
                vertices[e] = {nextStart + k, n1 + nextNormal};
                vertices[e + 1] = {end.right, -n1};
            }
            else
            {
                vertices[e] = {end.left, n1};
                vertices[e + 1] = {nextStart - k, -(n1 + nextNormal)};
            }
        }
        else
        {
            vertices[e] = {end.left, n1};
            vertices[e + 1] = {end.right, -n1};
            if (endCap == kStrokeCapFlat)
            {
                vertices[e].normal += t1;
                vertices[e + 1].normal += t1;
            }
        }
        vertexCount += 2;
        Writer::Emit(geometry, vertices, vertexCount, triangles, triangleCount, em, location, StrokeBandLimits(4),
                     color, write);
    }

    // 9. Caps of the open ends, start first.
    if (startCap != 0)
    {
        StrokeEnd outside = {start.point, -start.direction, start.right, start.left};
        kWriteStrokeCapVariants[kVariant](outside, em.scale, em.offset, w, color, startCap, geometry, curveTexels,
                                          write);
    }
    if (endCap != 0)
        kWriteStrokeCapVariants[kVariant](end, em.scale, em.offset, w, color, endCap, geometry, curveTexels, write);
}

}  // namespace

template <int32_t kVariant>
void BuildStrokeSegmentVariant(const QuadraticBezier2D &curve, StrokeOffsets *current, const StrokeOffsets &previous,
                               const StrokeOffsets &next, float halfWidth, const ColorRGBA &color, uint32_t startCap,
                               uint32_t endCap, uint32_t join, float miterLimit, GeometryBuffer *geometry,
                               TexelBuffer *curveTexels, bool write, int32_t depth)
{
    BuildPiece<kVariant>(curve, current, previous, next, halfWidth, color, startCap, endCap, join, miterLimit, geometry,
                         curveTexels, write, depth, nullptr, nullptr);
}

#define OQ_STROKE_SEGMENT_VARIANT(k)                                                                        \
    template void BuildStrokeSegmentVariant<k>(const QuadraticBezier2D &, StrokeOffsets *, const StrokeOffsets &,  \
                                               const StrokeOffsets &, float, const ColorRGBA &, uint32_t, uint32_t, \
                                               uint32_t, float, GeometryBuffer *, TexelBuffer *, bool, int32_t);
OQ_STROKE_SEGMENT_VARIANT(0)
OQ_STROKE_SEGMENT_VARIANT(1)
OQ_STROKE_SEGMENT_VARIANT(2)
OQ_STROKE_SEGMENT_VARIANT(3)
OQ_STROKE_SEGMENT_VARIANT(4)
OQ_STROKE_SEGMENT_VARIANT(5)
OQ_STROKE_SEGMENT_VARIANT(6)
OQ_STROKE_SEGMENT_VARIANT(7)
#undef OQ_STROKE_SEGMENT_VARIANT

const BuildStrokeSegmentFunction kBuildStrokeSegmentVariants[8] = {
    BuildStrokeSegmentVariant<0>, BuildStrokeSegmentVariant<1>, BuildStrokeSegmentVariant<2>,
    BuildStrokeSegmentVariant<3>, BuildStrokeSegmentVariant<4>, BuildStrokeSegmentVariant<5>,
    BuildStrokeSegmentVariant<6>, BuildStrokeSegmentVariant<7>,
};

}  // namespace oq
