#include "vorl/geometry/StrokePath.h"

#include "base/ScalarMath.h"
#include "vorl/geometry/StrokeOffsets.h"
#include "vorl/geometry/StrokeSegment.h"

#include <cmath>

namespace oq {

namespace {

StrokeScratch theStrokeScratch;

// The dash entries when they form a usable pattern: every entry finite and not negative, the total
// finite and above 0.
bool GetDashTotal(const StrokeStyle &style, float *total)
{
    if (style.dashCount <= 0 || style.dashArray == nullptr) return false;
    float sum = 0.0f;
    for (int32_t i = 0; i < style.dashCount; ++i)
    {
        float d = style.dashArray[i];
        if (!std::isfinite(d) || d < 0.0f) return false;
        sum += d;
    }
    *total = sum;
    return std::isfinite(sum) && sum > 0.0f;
}

// A curve that ends where it starts with its control point there too (within 2^-11): trimmed at
// the ends of a contour. A spur, out to a distant control point and back, stays.
bool IsClosedPoint(const QuadraticBezier2D &curve)
{
    return curve.p2 == curve.p0 && SquaredMag(curve.p1 - curve.p0) < 1.0f / 4194304.0f;
}

// One contour being stroked: its curves, style and buffers, and the ring of curve records.
class PathStroker
{
public:
    PathStroker(const StrokeStyle &style, const QuadraticBezier2D *curves, TexelBuffer *texels,
                GeometryBuffer *geometry, bool write)
        : style(style), curves(curves), texels(texels), geometry(geometry), write(write),
          halfWidth(style.width * 0.5f), segment(kBuildStrokeSegmentVariants[GetStrokeVariant(texels->format, geometry)])
    {
    }

    void Stroke(uint32_t flags, int32_t count, StrokeScratch *scratch)
    {
        int32_t first = 0;
        int32_t last = count - 1;
        while (first <= last && IsClosedPoint(curves[first])) ++first;
        while (last >= first && IsClosedPoint(curves[last])) --last;
        if (first > last)
        {
            if (count == 1 && style.cap == kStrokeCapRound) StrokeDot(curves[0]);
            return;
        }
        if (last - first >= kMaxStrokeCurves) last = first + kMaxStrokeCurves - 1;
        closed = (flags & kStrokeClosed) != 0 && curves[last].p2 == curves[first].p0;

        // Curves that are points are nobody's neighbour and draw nothing.
        firstCurve = first;
        while (firstCurve <= last && IsPoint(firstCurve)) ++firstCurve;
        if (firstCurve > last)
        {
            if (style.cap == kStrokeCapRound) StrokeDot(curves[first]);
            return;
        }
        lastCurve = last;
        while (IsPoint(lastCurve)) --lastCurve;

        float total;
        if (GetDashTotal(style, &total) && StrokeDashed(total, scratch != nullptr ? scratch : &theStrokeScratch))
            return;
        StrokeSolid();
    }

private:
    // The style's cap; a cap of 0 would mark an open end as joined, so it counts as flat.
    uint32_t Cap() const { return style.cap != 0 ? style.cap : kStrokeCapFlat; }

    bool IsPoint(int32_t i) const { return IsStrokePoint(curves[i]); }

    // The next curve after i that is not a point, its record in next; -1 after the last.
    int32_t FindNext(int32_t i, StrokeOffsets *next) const
    {
        for (int32_t j = i + 1; j <= lastCurve; ++j)
        {
            if (IsPoint(j)) continue;
            GetStrokeOffsets(curves[j], halfWidth, next);
            return j;
        }
        return -1;
    }

    void StrokeDot(const QuadraticBezier2D &curve)
    {
        StrokeOffsets record;
        GetStrokeOffsets(curve, halfWidth, &record);
        StrokeOffsets neighbour = record;
        segment(curve, &record, neighbour, neighbour, halfWidth, style.color, kStrokeCapRound, kStrokeCapRound,
                style.join, style.miterLimit, geometry, texels, write, 0);
    }

    // Visits the curves that are not points in order with the ring of records: the previous
    // curve's (the last curve's before the first of a closed contour), the current one's, and the
    // next one's (the first curve's after the last). Stops when visit returns false.
    template <typename Visit> void ForEachCurve(Visit visit)
    {
        StrokeOffsets ring[3];
        StrokeOffsets firstRecord;
        GetStrokeOffsets(curves[firstCurve], halfWidth, &firstRecord);
        StrokeOffsets *previous = &ring[0];
        StrokeOffsets *current = &ring[1];
        StrokeOffsets *next = &ring[2];
        *current = firstRecord;
        if (closed)
            GetStrokeOffsets(curves[lastCurve], halfWidth, previous);
        else
            *previous = firstRecord;
        for (int32_t i = firstCurve;;)
        {
            int32_t j = FindNext(i, next);
            if (j < 0) *next = firstRecord;
            if (!visit(i, j < 0 ? firstCurve : j, current, *previous, *next, i == firstCurve, j < 0) || j < 0) return;
            StrokeOffsets *free = previous;
            previous = current;
            current = next;
            next = free;
            i = j;
        }
    }

    void StrokeSolid()
    {
        uint32_t cap = closed ? 0 : Cap();
        ForEachCurve([&](int32_t i, int32_t, StrokeOffsets *current, const StrokeOffsets &previous,
                         const StrokeOffsets &next, bool first, bool last) {
            segment(curves[i], current, previous, next, halfWidth, style.color, first ? cap : 0, last ? cap : 0,
                    style.join, style.miterLimit, geometry, texels, write, 0);
            return true;
        });
    }

    // Where the dash walk stands: the pattern entry, the length left of it, and whether it began at
    // the current position.
    struct DashState
    {
        int32_t entry;
        float remaining;
        bool fresh;
    };

    void Advance(DashState *state) const
    {
        state->entry = state->entry + 1 < style.dashCount ? state->entry + 1 : 0;
        state->remaining = style.dashArray[state->entry];
        state->fresh = true;
    }

    DashState GetStartState(float total) const
    {
        float position = style.dashPhase / total;
        position = (position - FloatFloor(position)) * total;
        if (!std::isfinite(position) || position < 0.0f) position = 0.0f;
        DashState state = {style.dashCount - 1, 0.0f, false};
        float end = 0.0f;
        for (int32_t i = 0; i < style.dashCount; ++i)
        {
            end += style.dashArray[i];
            if (end >= position)
            {
                state.entry = i;
                break;
            }
        }
        state.remaining = end - position;
        if (state.remaining < 0.0f) state.remaining = 0.0f;
        state.fresh = state.remaining == style.dashArray[state.entry];
        // A position at the end of a dash or gap starts the next entry.
        for (int32_t i = 0; i < style.dashCount && state.remaining <= 0.0f && style.dashArray[state.entry] > 0.0f; ++i)
            Advance(&state);
        return state;
    }

    // One curve of the dash walk: its ring records and where the next curve's first piece lies.
    struct DashCurve
    {
        int32_t index;
        int32_t next;            // the next curve, the first after the last
        bool first;
        bool last;
        StrokeOffsets *current;
        const StrokeOffsets *previous;
        const StrokeOffsets *following;
    };

    // The record of the piece of curve i from t0 to t1 (the curve's own record for the whole).
    void GetPieceOffsets(int32_t i, float t0, float t1, const StrokeOffsets &whole, QuadraticBezier2D *piece,
                         StrokeOffsets *record) const
    {
        if (t0 == 0.0f && t1 == 1.0f)
        {
            *piece = curves[i];
            *record = whole;
            return;
        }
        *piece = curves[i].GetSubcurve(t0, t1);
        GetStrokeOffsets(*piece, halfWidth, record);
    }

    // Walks the dash pattern along one curve. When emitting, builds the drawn pieces with the
    // actual neighbouring pieces as previous and next records where a dash runs across a curve
    // boundary. False when the walk takes too many steps.
    bool WalkCurve(const DashCurve &c, DashState *state, int32_t *steps, bool emit)
    {
        const float *lengths = dashLengths[c.index - firstCurve];
        float length = lengths[15];
        float position = 0.0f;
        float startParameter = 0.0f;
        for (;;)
        {
            if (++*steps > kMaxStrokeDashSteps) return false;
            float available = length - position;
            bool drawn = (state->entry & 1) == 0;
            if (state->remaining > available)
            {
                if (available > 0.0f)
                {
                    state->remaining -= available;
                    if (drawn) runStart = startParameter;
                    if (drawn && emit)
                    {
                        // The dash runs on into the next curve (or across the seam) unless the
                        // contour ends here.
                        bool runsOn = !c.last || closedDashes;
                        StrokeOffsets nextPiece = *c.following;
                        if (runsOn)
                        {
                            float remaining = c.last ? startState.remaining : state->remaining;
                            float end = GetParameterAtArcLength(dashLengths[c.next - firstCurve], remaining);
                            QuadraticBezier2D unused;
                            GetPieceOffsets(c.next, 0.0f, end, *c.following, &unused, &nextPiece);
                        }
                        EmitPiece(c, startParameter, 1.0f, StartCap(*state, startParameter, c.first),
                                  runsOn ? 0 : Cap(), nextPiece);
                    }
                    state->fresh = false;
                }
                return true;
            }
            position += state->remaining;
            float endParameter = GetParameterAtArcLength(lengths, position);
            if (drawn && emit) EmitPiece(c, startParameter, endParameter, StartCap(*state, startParameter, c.first), Cap(), *c.following);
            startParameter = endParameter;
            Advance(state);
        }
    }

    uint32_t StartCap(const DashState &state, float startParameter, bool firstOfContour) const
    {
        if (firstOfContour && startParameter == 0.0f) return closedDashes ? 0 : Cap();
        return state.fresh ? Cap() : 0;
    }

    // Builds one dash piece; a piece that joins its predecessor gets the predecessor's final
    // record, and a piece that runs to its curve's end keeps its own for its successor.
    void EmitPiece(const DashCurve &c, float t0, float t1, uint32_t startCap, uint32_t endCap,
                   const StrokeOffsets &next)
    {
        QuadraticBezier2D piece;
        StrokeOffsets record;
        GetPieceOffsets(c.index, t0, t1, *c.current, &piece, &record);
        const StrokeOffsets &previous = startCap == 0 && t0 == 0.0f ? lastPiece : *c.previous;
        segment(piece, &record, previous, next, halfWidth, style.color, startCap, endCap, style.join,
                style.miterLimit, geometry, texels, write, 0);
        if (t1 == 1.0f) lastPiece = record;
    }

    // Strokes the contour in dashes; false (nothing built) when the pattern would take too many
    // steps or a curve has no finite length, so that the caller strokes it solid.
    bool StrokeDashed(float total, StrokeScratch *scratch)
    {
        dashLengths = scratch->lengths;
        for (int32_t i = firstCurve; i <= lastCurve; ++i)
        {
            float *curveLengths = dashLengths[i - firstCurve];
            if (IsPoint(i))
            {
                for (int k = 0; k < 16; ++k) curveLengths[k] = 0.0f;
                continue;
            }
            GetStrokeArcLengths(curves[i], curveLengths);
            if (!std::isfinite(curveLengths[15])) return false;
        }

        // A dry walk: the number of steps, the state at the end of the contour and where its last
        // dash began.
        startState = GetStartState(total);
        DashState state = startState;
        int32_t steps = 0;
        closedDashes = false;
        runStart = 0.0f;
        for (int32_t i = firstCurve; i <= lastCurve; ++i)
        {
            if (IsPoint(i)) continue;
            DashCurve c = {i, i, i == firstCurve, i == lastCurve, nullptr, nullptr, nullptr};
            if (!WalkCurve(c, &state, &steps, false)) return false;
        }
        // A closed contour stays closed only where a drawn dash runs across its seam; its first
        // piece then joins the last piece, from where the last dash began to the end.
        closedDashes = closed && (startState.entry & 1) == 0 && (state.entry & 1) == 0 && !state.fresh;
        if (closedDashes)
        {
            StrokeOffsets whole;
            QuadraticBezier2D unused;
            GetStrokeOffsets(curves[lastCurve], halfWidth, &whole);
            GetPieceOffsets(lastCurve, runStart, 1.0f, whole, &unused, &lastPiece);
        }

        state = startState;
        steps = 0;
        ForEachCurve([&](int32_t i, int32_t next, StrokeOffsets *current, const StrokeOffsets &previous,
                         const StrokeOffsets &following, bool first, bool last) {
            DashCurve c = {i, next, first, last, current, &previous, &following};
            return WalkCurve(c, &state, &steps, true);
        });
        return true;
    }

    const StrokeStyle &style;
    const QuadraticBezier2D *curves;
    TexelBuffer *texels;
    GeometryBuffer *geometry;
    bool write;
    float halfWidth;
    BuildStrokeSegmentFunction segment;
    bool closed = false;
    int32_t firstCurve = 0;
    int32_t lastCurve = 0;

    // The dash walk.
    float (*dashLengths)[16] = nullptr;
    DashState startState = {};
    bool closedDashes = false;
    float runStart = 0.0f;    // where the last dash that ran to a curve's end began
    StrokeOffsets lastPiece = {};
};

// Calls stroke for each contour: with kStrokeContours, the curves up to and including the first
// that ends at the contour's start.
template <typename Function> void ForEachContour(uint32_t flags, int32_t count, const QuadraticBezier2D *curves,
                                                 Function stroke)
{
    if (count <= 0 || curves == nullptr) return;
    if ((flags & kStrokeContours) == 0)
    {
        stroke(count, curves);
        return;
    }
    int32_t first = 0;
    while (first < count)
    {
        int32_t end = first;
        while (end < count - 1 && curves[end].p2 != curves[first].p0) ++end;
        stroke(end - first + 1, curves + first);
        first = end + 1;
    }
}

}  // namespace

void BuildPathStroke(const StrokeStyle &style, uint32_t flags, int32_t curveCount, const QuadraticBezier2D *curves,
                     TexelBuffer *curveTexels, GeometryBuffer *geometry, StrokeScratch *scratch, bool write)
{
    if (curveCount <= 0 || curves == nullptr) return;
    PathStroker stroker(style, curves, curveTexels, geometry, write);
    stroker.Stroke(flags, curveCount, scratch);
}

bool BuildStrokeGeometry(const StrokeStyle &style, uint32_t flags, int32_t curveCount,
                         const QuadraticBezier2D *curves, TexelBuffer *curveTexels, GeometryBuffer *geometry,
                         StrokeScratch *scratch)
{
    int32_t startX = curveTexels->cursorX;
    int32_t startY = curveTexels->cursorY;
    ForEachContour(flags, curveCount, curves, [&](int32_t count, const QuadraticBezier2D *contour) {
        BuildPathStroke(style, flags, count, contour, curveTexels, geometry, scratch, true);
    });
    bool placed = curveTexels->cursorX != startX || curveTexels->cursorY != startY;
    if (!placed) return true;
    return curveTexels->width >= 6 && curveTexels->cursorY < curveTexels->height;
}

void CountStrokeGeometry(const StrokeStyle &style, uint32_t flags, int32_t curveCount,
                         const QuadraticBezier2D *curves, int32_t width, int32_t height, int32_t *cursor,
                         int32_t *vertexCount, int32_t *triangleCount, StrokeScratch *scratch)
{
    TexelBuffer texels = {nullptr, 0, width, height, cursor[0], cursor[1]};
    // The pointers only move: they start at one address and are never written through.
    alignas(16) static uint8_t base[16];
    GeometryBuffer geometry = {base, base, 0, 0, 0};
    ForEachContour(flags, curveCount, curves, [&](int32_t count, const QuadraticBezier2D *contour) {
        BuildPathStroke(style, flags, count, contour, &texels, &geometry, scratch, false);
    });
    *vertexCount = int32_t(geometry.vertexIndex);
    *triangleCount = int32_t((static_cast<uint8_t *>(geometry.triangleData) - base) /
                             int32_t(sizeof(VorlTriangle)));
    cursor[0] = texels.cursorX;
    cursor[1] = texels.cursorY;
}

}  // namespace oq
