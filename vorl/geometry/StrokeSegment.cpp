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

// One piece being built: the stroke's settings, the piece with its neighbours' records, and what
// the steps find for it in turn. The peers are the records its neighbours received for it (null:
// its own), so that a half of a split piece tests a straight joint on the record its neighbour tested.
struct StrokePiece
{
    float w;
    const ColorRGBA *color;
    uint32_t join;
    float miterLimit;
    GeometryBuffer *geometry;
    TexelBuffer *curveTexels;
    bool write;

    const QuadraticBezier2D *curve;
    StrokeOffsets *current;
    const StrokeOffsets *previous;
    const StrokeOffsets *next;
    uint32_t startCap;
    uint32_t endCap;
    int32_t depth;
    const StrokeOffsets *startPeer;
    const StrokeOffsets *endPeer;

    StrokeEm em;
    bool isPoint;
    float turn;
    bool straight;
    StrokeEnd previousEnd;
    float previousTurn;
    Point2D nextStart;
    Vector2D nextTangent;
    float nextTurn;
    bool straightStart;
    bool straightEnd;
};

// The polygon of a piece: pairs of vertices across the stroke from start to end, and the
// triangles between them.
struct StrokePolygon
{
    StrokeVertex vertices[14];
    uint8_t triangles[12][3];
    int32_t vertexCount = 0;
    int32_t triangleCount = 0;

    void AddTriangle(int32_t a, int32_t b, int32_t c)
    {
        triangles[triangleCount][0] = uint8_t(a);
        triangles[triangleCount][1] = uint8_t(b);
        triangles[triangleCount][2] = uint8_t(c);
        ++triangleCount;
    }
};

template <int32_t kVariant> void BuildPiece(StrokePiece piece);

// A piece that turns by more than 60 degrees is built as two halves (two levels deep at most).
bool SplitsInHalves(const StrokePiece &piece)
{
    const StrokeOffsets &current = *piece.current;
    return current.point == 0 && Dot(current.start.direction, current.end.direction) < 0.5f && piece.depth <= 1;
}

template <int32_t kVariant> void BuildHalves(const StrokePiece &piece)
{
    QuadraticBezier2D first, second;
    SplitPiece(*piece.curve, piece.current->turn, &first, &second);
    StrokeOffsets a, b;
    GetStrokeOffsets(first, piece.w, &a);
    GetStrokeOffsets(second, piece.w, &b);
    const StrokeOffsets *whole = piece.current;

    StrokePiece half = piece;
    half.curve = &first;
    half.current = &a;
    half.next = &b;
    half.endCap = 0;
    half.depth = piece.depth + 1;
    half.startPeer = piece.startPeer != nullptr ? piece.startPeer : whole;
    half.endPeer = nullptr;
    BuildPiece<kVariant>(half);

    half = piece;
    half.curve = &second;
    half.current = &b;
    half.previous = &a;
    half.startCap = 0;
    half.depth = piece.depth + 1;
    half.startPeer = nullptr;
    half.endPeer = piece.endPeer != nullptr ? piece.endPeer : whole;
    BuildPiece<kVariant>(half);
}

// The piece's em space: its box, at least the half width on a side, mapped onto [0, 1].
void FindPieceEm(StrokePiece *piece)
{
    float xMin, xMax, yMin, yMax;
    piece->curve->GetXExtent(&xMin, &xMax);
    piece->curve->GetYExtent(&yMin, &yMax);
    float extent = xMax - xMin;
    if (yMax - yMin > extent) extent = yMax - yMin;
    if (piece->w > extent) extent = piece->w;
    piece->em.scale = 1.0f / extent;
    piece->em.offset = Vector2D(-xMin * piece->em.scale, -yMin * piece->em.scale);
}

// The neighbours' ends as they are before this piece's start changes, and the piece's own shape.
void TakeNeighbours(StrokePiece *piece)
{
    piece->previousEnd = piece->previous->end;
    piece->previousTurn = piece->previous->turn;
    piece->nextStart = piece->next->start.point;
    piece->nextTangent = piece->next->start.direction;
    piece->nextTurn = piece->next->turn;
    piece->isPoint = piece->current->point != 0;
    piece->turn = piece->current->turn;
    piece->straight = std::fabs(piece->turn) <= kEpsilon;
}

// The start: a join, a continuation of the previous piece, or a reversal (capped as the join is).
template <int32_t kVariant> void BuildStart(StrokePiece *piece)
{
    piece->straightStart = false;
    if (piece->startCap != 0 || piece->isPoint) return;
    StrokeOffsets *current = piece->current;
    const StrokeEnd &previousEnd = piece->previousEnd;
    float c = Cross(previousEnd.direction, current->start.direction);
    if (std::fabs(c) > kEpsilon)
    {
        piece->straightStart =
            std::fabs(piece->previousTurn) <= kEpsilon && piece->straight &&
            IsInnerCornerWithin(*piece->previous, piece->startPeer != nullptr ? *piece->startPeer : *current, piece->w);
        const WriteStrokeJoinFunction *joins =
            piece->straightStart ? kWriteStraightStrokeJoinVariants : kWriteStrokeJoinVariants;
        joins[kVariant](previousEnd, *current, piece->em.scale, piece->em.offset, piece->w, *piece->color, piece->join,
                        piece->miterLimit, piece->geometry, piece->curveTexels, piece->write);
    }
    else if (Dot(previousEnd.direction, current->start.direction) > 0.0f)
    {
        current->start = previousEnd;
    }
    else
    {
        current->start = {previousEnd.point, -previousEnd.direction, previousEnd.right, previousEnd.left};
        piece->startCap = piece->join == kStrokeJoinRound ? kStrokeCapRound : kStrokeCapFlat;
    }
}

// Square caps of a straight piece lengthen it and become flat.
void LengthenSquareCaps(StrokePiece *piece)
{
    if (!piece->straight) return;
    StrokeEnd &start = piece->current->start;
    StrokeEnd &end = piece->current->end;
    if (piece->startCap == kStrokeCapSquare)
    {
        Vector2D back = start.direction * piece->w;
        start.point -= back;
        start.left -= back;
        start.right -= back;
        piece->startCap = kStrokeCapFlat;
    }
    if (piece->endCap == kStrokeCapSquare)
    {
        Vector2D forward = end.direction * piece->w;
        end.point += forward;
        end.left += forward;
        end.right += forward;
        piece->endCap = kStrokeCapFlat;
    }
}

// The end is a straight joint when both this and the next piece are straight and the inner corner
// lies within both (tested on this piece's final record, as the next piece sees it).
bool EndsInStraightJoint(const StrokePiece &piece)
{
    const StrokeOffsets &current = *piece.current;
    return piece.endCap == 0 && !piece.isPoint && piece.straight &&
           std::fabs(Cross(current.end.direction, piece.nextTangent)) > kEpsilon &&
           std::fabs(piece.nextTurn) <= kEpsilon &&
           IsInnerCornerWithin(piece.endPeer != nullptr ? *piece.endPeer : current, *piece.next, piece.w);
}

// The contour block: the right side, the end, the left side back and the start. Returns its location.
template <int32_t kVariant> uint32_t WriteContourBlock(const StrokePiece &piece)
{
    const StrokeEnd &start = piece.current->start;
    const StrokeEnd &end = piece.current->end;
    const Vector2D &t0 = start.direction;
    const Vector2D &t1 = end.direction;
    Point2D rightControl = end.right;
    Point2D leftControl = start.left;
    if (!piece.straight)
    {
        rightControl = end.right - t1 * (Cross(start.right - end.right, t0) / piece.turn);
        leftControl = start.left + t0 * (Cross(end.left - start.left, t1) / piece.turn);
    }
    Point2D endControl = piece.endCap == kStrokeCapFlat ? end.left : end.point + t1 * piece.w;
    Point2D startControl = piece.startCap == kStrokeCapFlat ? start.right : start.point - t0 * piece.w;
    int32_t x, y;
    uint32_t location = StrokeWriter<kVariant>::ReserveBlock(piece.curveTexels, 5, &x, &y);
    Point2D contour[9] = {start.right, rightControl, end.right, endControl, end.left,
                          leftControl, start.left,  startControl, start.right};
    StrokeWriter<kVariant>::StoreBlock(piece.curveTexels, x, y, contour, 4, piece.em);
    return location;
}

// The first pair: across the start, or meeting the previous piece's at a straight joint.
void AddStartPair(const StrokePiece &piece, StrokePolygon *polygon)
{
    const StrokeEnd &start = piece.current->start;
    const Vector2D &t0 = start.direction;
    Vector2D n0 = StrokeLeftNormal(t0);
    StrokeVertex *vertices = polygon->vertices;
    if (piece.straightStart)
    {
        const StrokeEnd &previousEnd = piece.previousEnd;
        Vector2D previousNormal = StrokeLeftNormal(previousEnd.direction);
        float c = Cross(previousEnd.direction, t0);
        Vector2D k = (t0 - previousEnd.direction) * (piece.w / c);
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
        if (piece.startCap == kStrokeCapFlat)
        {
            vertices[0].normal -= t0;
            vertices[1].normal -= t0;
        }
    }
    polygon->vertexCount = 2;
}

// The body: two triangles for a straight piece; for a curved one, at each sample a vertex where
// the inner sides meet and a pair across the curve (the last sample's pair is the end pair).
void AddBody(const StrokePiece &piece, StrokePolygon *polygon)
{
    if (piece.straight)
    {
        polygon->AddTriangle(0, 3, 1);
        polygon->AddTriangle(0, 2, 3);
        return;
    }
    const QuadraticBezier2D &curve = *piece.curve;
    const StrokeEnd &start = piece.current->start;
    float w = piece.w;
    StrokeVertex *vertices = polygon->vertices;
    bool flags[5];
    GetStrokeSamples(curve, flags);
    bool leftTurn = piece.turn > 0.0f;
    Vector2D pT = start.direction;
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
        int32_t a = polygon->vertexCount;
        if (leftTurn)
            vertices[a] = {IntersectLines(pR, pT, r, tangent), -(pN + normal)};
        else
            vertices[a] = {IntersectLines(pL, pT, l, tangent), pN + normal};
        if (i < 4)
        {
            vertices[a + 1] = {l, normal};
            vertices[a + 2] = {r, -normal};
        }
        polygon->vertexCount += 3;
        polygon->AddTriangle(a - 2, a, a - 1);
        polygon->AddTriangle(a + 1, a + 2, a);
        if (leftTurn)
            polygon->AddTriangle(a - 2, a + 1, a);
        else
            polygon->AddTriangle(a - 1, a, a + 2);
        pT = tangent;
        pL = l;
        pR = r;
    }
    polygon->vertexCount -= 2;
}

// The last pair: across the end, or meeting the next piece's at a straight joint.
void AddEndPair(const StrokePiece &piece, StrokePolygon *polygon)
{
    const StrokeEnd &end = piece.current->end;
    const Vector2D &t1 = end.direction;
    Vector2D n1 = StrokeLeftNormal(t1);
    StrokeVertex *vertices = polygon->vertices;
    int32_t e = polygon->vertexCount;
    if (piece.straightEnd)
    {
        Vector2D nextNormal = StrokeLeftNormal(piece.nextTangent);
        float c = Cross(t1, piece.nextTangent);
        Vector2D k = (piece.nextTangent - t1) * (piece.w / c);
        if (c > 0.0f)
        {
            vertices[e] = {piece.nextStart + k, n1 + nextNormal};
            vertices[e + 1] = {end.right, -n1};
        }
        else
        {
            vertices[e] = {end.left, n1};
            vertices[e + 1] = {piece.nextStart - k, -(n1 + nextNormal)};
        }
    }
    else
    {
        vertices[e] = {end.left, n1};
        vertices[e + 1] = {end.right, -n1};
        if (piece.endCap == kStrokeCapFlat)
        {
            vertices[e].normal += t1;
            vertices[e + 1].normal += t1;
        }
    }
    polygon->vertexCount += 2;
}

// Caps of the open ends, start first.
template <int32_t kVariant> void WriteCaps(const StrokePiece &piece)
{
    const StrokeEnd &start = piece.current->start;
    const StrokeEnd &end = piece.current->end;
    if (piece.startCap != 0)
    {
        StrokeEnd outside = {start.point, -start.direction, start.right, start.left};
        kWriteStrokeCapVariants[kVariant](outside, piece.em.scale, piece.em.offset, piece.w, *piece.color,
                                          piece.startCap, piece.geometry, piece.curveTexels, piece.write);
    }
    if (piece.endCap != 0)
        kWriteStrokeCapVariants[kVariant](end, piece.em.scale, piece.em.offset, piece.w, *piece.color, piece.endCap,
                                          piece.geometry, piece.curveTexels, piece.write);
}

// Builds a piece: its start, its contour block and polygon, and its caps.
template <int32_t kVariant> void BuildPiece(StrokePiece piece)
{
    if (SplitsInHalves(piece))
    {
        BuildHalves<kVariant>(piece);
        return;
    }
    FindPieceEm(&piece);
    TakeNeighbours(&piece);
    BuildStart<kVariant>(&piece);
    LengthenSquareCaps(&piece);
    piece.straightEnd = EndsInStraightJoint(piece);
    if (!piece.isPoint)
    {
        uint32_t location = WriteContourBlock<kVariant>(piece);
        StrokePolygon polygon;
        AddStartPair(piece, &polygon);
        AddBody(piece, &polygon);
        AddEndPair(piece, &polygon);
        StrokeWriter<kVariant>::Emit(piece.geometry, polygon.vertices, polygon.vertexCount, polygon.triangles,
                                     polygon.triangleCount, piece.em, location, StrokeBandLimits(4), *piece.color,
                                     piece.write);
    }
    WriteCaps<kVariant>(piece);
}

}  // namespace

template <int32_t kVariant>
void BuildStrokeSegmentVariant(const QuadraticBezier2D &curve, StrokeOffsets *current, const StrokeOffsets &previous,
                               const StrokeOffsets &next, float halfWidth, const ColorRGBA &color, uint32_t startCap,
                               uint32_t endCap, uint32_t join, float miterLimit, GeometryBuffer *geometry,
                               TexelBuffer *curveTexels, bool write, int32_t depth)
{
    StrokePiece piece{};
    piece.w = halfWidth;
    piece.color = &color;
    piece.join = join;
    piece.miterLimit = miterLimit;
    piece.geometry = geometry;
    piece.curveTexels = curveTexels;
    piece.write = write;
    piece.curve = &curve;
    piece.current = current;
    piece.previous = &previous;
    piece.next = &next;
    piece.startCap = startCap;
    piece.endCap = endCap;
    piece.depth = depth;
    BuildPiece<kVariant>(piece);
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
