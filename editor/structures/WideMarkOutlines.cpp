// The outlines of the wide marks and where they sit over or under their body.
#include "editor/structures/WideMarkOutlines.h"

#include "editor/document/MathDesign.h"
#include "editor/document/StretchyOutlines.h"
#include "editor/platform/DisplayItems.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace oq {

const uint32_t kWideMarkTypes[kWideMarkTypeCount] = {
    kWideMarkLine,          kWideMarkDoubleLine,     kWideMarkHat,           kWideMarkCheck,
    kWideMarkSmile,         kWideMarkFrown,          kWideMarkTilde,         kWideMarkBracket,
    kWideMarkBrace,         kWideMarkShell,          kWideMarkLeftArrow,     kWideMarkRightArrow,
    kWideMarkBothArrow,     kWideMarkLeftUpHarpoon,  kWideMarkRightUpHarpoon, kWideMarkLeftDownHarpoon,
    kWideMarkRightDownHarpoon,
};

namespace {

float Param(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kWideMarkKind, key);
}

// What every type's builder shares: the width, the sizes, the spacing V and gap G, the extents.
struct MarkFrame
{
    const Design *design;
    bool under;
    float width;
    float em;
    float mu;
    float spacing;
    float gap;
    WideMarkExtents extents;

    // Where a mark that keeps `clearance` beyond its anchor line sits: over, the higher of the
    // reference height plus V and the body top plus G plus the clearance; under, mirrored.
    float Anchor(float clearance) const
    {
        if (under) return std::min(extents.referenceBottom - spacing, extents.bodyBottom - gap - clearance);
        return std::max(extents.referenceTop + spacing, extents.bodyTop + gap + clearance);
    }
};

// Appends the counter-clockwise rectangle from (x0, y0) to (x1, y1).
void AddRectangle(QuadraticBezier2D *curves, int32_t *count, float x0, float y0, float x1, float y1)
{
    const Point2D corners[4] = {Point2D(x0, y0), Point2D(x1, y0), Point2D(x1, y1), Point2D(x0, y1)};
    for (int32_t i = 0; i < 4; ++i) curves[(*count)++] = MakeLineCurve(corners[i], corners[(i + 1) % 4]);
}

void Translate(QuadraticBezier2D *curves, int32_t count, float dx, float dy)
{
    for (int32_t i = 0; i < count; ++i)
    {
        for (Point2D *p : {&curves[i].p0, &curves[i].p1, &curves[i].p2})
        {
            p->x += dx;
            p->y += dy;
        }
    }
}

// Mirrors the outline at y = 0, keeping it counter-clockwise (the curves reversed) and straight edges'
// control points on their ends.
void MirrorVertically(QuadraticBezier2D *curves, int32_t count)
{
    std::reverse(curves, curves + count);
    for (int32_t i = 0; i < count; ++i)
    {
        bool straight = curves[i].p1.x == curves[i].p2.x && curves[i].p1.y == curves[i].p2.y;
        std::swap(curves[i].p0, curves[i].p2);
        if (straight) curves[i].p1 = curves[i].p2;
        for (Point2D *p : {&curves[i].p0, &curves[i].p1, &curves[i].p2}) p->y = -p->y;
    }
}

// The unit vector of (x, y); (0, 0) when it has no usable length.
Vector2D Unit(float x, float y)
{
    float inverse = GetGuardedInverseLength(x * x + y * y);
    if (!std::isfinite(inverse)) return Vector2D(0.0f, 0.0f);
    return Vector2D(x * inverse, y * inverse);
}

// The point at x on the line from p through q (q itself when the line is vertical).
Point2D AtX(const Point2D &p, const Point2D &q, float x)
{
    float dx = q.x - p.x;
    if (!(std::fabs(dx) > 1e-20f)) return q;
    float t = (x - p.x) / dx;
    return Point2D(p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t);
}

// The point at height y on the line through p along d (p itself when the line is horizontal).
Point2D AtY(const Point2D &p, const Vector2D &d, float y)
{
    if (!(std::fabs(d.y) > 1e-20f)) return p;
    float t = (y - p.y) / d.y;
    return Point2D(p.x + d.x * t, y);
}

int32_t BuildLines(const MarkFrame &f, bool twice, QuadraticBezier2D *curves, float *bottom, float *top)
{
    float t = f.mu * Param(f.design, 'lnth');
    float spacing = f.mu * Param(f.design, 'lnds');
    const WideMarkExtents &x = f.extents;
    int32_t count = 0;
    if (!f.under)
    {
        float yl = std::max(x.referenceTop + f.spacing - t * 0.5f, x.bodyTop + f.gap);
        AddRectangle(curves, &count, 0.0f, yl, f.width, yl + t);
        *top = yl + t;
        if (twice)
        {
            float y2 = yl + t + spacing;
            AddRectangle(curves, &count, 0.0f, y2, f.width, y2 + t);
            *top = y2 + t;
        }
        return count;
    }
    float yh = std::min(x.referenceBottom - f.spacing + t * 0.5f, x.bodyBottom - f.gap);
    AddRectangle(curves, &count, 0.0f, yh - t, f.width, yh);
    *bottom = yh - t;
    if (twice)
    {
        float y2 = yh - t - spacing;
        AddRectangle(curves, &count, 0.0f, y2 - t, f.width, y2);
        *bottom = y2 - t;
    }
    return count;
}

int32_t BuildHatOrCheck(const MarkFrame &f, bool check, QuadraticBezier2D *curves, float *bottom, float *top)
{
    float m = f.width * 0.5f;
    float a = f.em * Param(f.design, 'hchi');
    float he = f.mu * Param(f.design, 'hcet') * 0.5f;
    float hc = f.mu * Param(f.design, 'hcct') * 0.5f;
    float sign = check ? -1.0f : 1.0f;
    // Normals of the sides toward the apex's side (up for the hat, down for the check).
    Vector2D side = Unit(m, a);
    Vector2D nl(-side.y, sign * side.x);
    Vector2D nr(side.y, sign * side.x);
    Point2D apex(m, sign * a);
    Point2D left(0.0f, 0.0f);
    Point2D right(f.width, 0.0f);
    Point2D leftOuter(left.x + he * nl.x, left.y + he * nl.y);
    Point2D leftInner(left.x - he * nl.x, left.y - he * nl.y);
    Point2D rightOuter(right.x + he * nr.x, right.y + he * nr.y);
    Point2D rightInner(right.x - he * nr.x, right.y - he * nr.y);
    Point2D outerApex = AtX(leftOuter, Point2D(apex.x + hc * nl.x, apex.y + hc * nl.y), m);
    Point2D innerApex = AtX(leftInner, Point2D(apex.x - hc * nl.x, apex.y - hc * nl.y), m);
    const Point2D hat[6] = {leftOuter, leftInner, innerApex, rightInner, rightOuter, outerApex};
    const Point2D checkOrder[6] = {leftInner, leftOuter, outerApex, rightOuter, rightInner, innerApex};
    const Point2D *points = check ? checkOrder : hat;
    for (int32_t i = 0; i < 6; ++i) curves[i] = MakeLineCurve(points[i], points[(i + 1) % 6]);

    float heY = he * std::fabs(nl.y);
    float y0 = 0.0f;
    if (!check && !f.under)
    {
        y0 = f.Anchor(heY);
        *top = y0 + outerApex.y;
    }
    else if (!check)
    {
        float rise = outerApex.y - a;
        y0 = f.Anchor(rise) - a;
        *bottom = y0 - heY;
    }
    else if (!f.under)
    {
        float depth = -a - outerApex.y;
        y0 = f.Anchor(depth) + a;
        *top = y0 + heY;
    }
    else
    {
        y0 = f.Anchor(heY);
        *bottom = y0 + outerApex.y;
    }
    Translate(curves, 6, 0.0f, y0);
    return 6;
}

// The smile with its ends on y = 0 (the frown is its mirror image); the vertical part of the end
// half-thickness goes to *endRise.
void BuildSmileCurves(const MarkFrame &f, QuadraticBezier2D *curves, float *endRise)
{
    float m = f.width * 0.5f;
    float w = f.width;
    float a = f.em * Param(f.design, 'sfhi');
    float he = f.mu * Param(f.design, 'sfet') * 0.5f;
    float hm = f.mu * Param(f.design, 'sfct') * 0.5f;
    Vector2D end = Unit(0.4375f * m, -a);
    Vector2D n(-end.y, end.x);
    Point2D upperLeft(he * n.x, he * n.y);
    Point2D lowerLeft(-he * n.x, -he * n.y);
    Point2D upperRight(w - upperLeft.x, upperLeft.y);
    Point2D lowerRight(w - lowerLeft.x, lowerLeft.y);
    Point2D upperMiddle(m, -a + hm);
    Point2D lowerMiddle(m, -a - hm);
    auto half = [m](const Point2D &corner, const Point2D &middle) {
        return Point2D(0.5625f * corner.x + 0.4375f * m, middle.y);
    };
    curves[0] = MakeLineCurve(upperLeft, lowerLeft);
    curves[1] = QuadraticBezier2D(lowerLeft, half(lowerLeft, lowerMiddle), lowerMiddle);
    curves[2] = QuadraticBezier2D(lowerMiddle, half(lowerRight, lowerMiddle), lowerRight);
    curves[3] = MakeLineCurve(lowerRight, upperRight);
    curves[4] = QuadraticBezier2D(upperRight, half(upperRight, upperMiddle), upperMiddle);
    curves[5] = QuadraticBezier2D(upperMiddle, half(upperLeft, upperMiddle), upperLeft);
    *endRise = he * std::fabs(n.y);
}

int32_t BuildSmileOrFrown(const MarkFrame &f, bool frown, QuadraticBezier2D *curves, float *bottom, float *top)
{
    float a = f.em * Param(f.design, 'sfhi');
    float middle = f.mu * Param(f.design, 'sfct');
    float ev = 0.0f;
    BuildSmileCurves(f, curves, &ev);
    if (frown) MirrorVertically(curves, 6);
    float ye = 0.0f;
    if (!frown && !f.under)
    {
        ye = f.Anchor(middle) + a;
        *top = ye + ev;
    }
    else if (!frown)
    {
        ye = f.Anchor(ev);
        *bottom = ye - a - middle * 0.5f;
    }
    else if (!f.under)
    {
        ye = f.Anchor(ev);
        *top = ye + a + middle * 0.5f;
    }
    else
    {
        ye = f.Anchor(middle) - a;
        *bottom = ye - ev;
    }
    Translate(curves, 6, 0.0f, ye);
    return 6;
}

int32_t BuildTilde(const MarkFrame &f, QuadraticBezier2D *curves, float *bottom, float *top)
{
    float w = f.width;
    float m = w * 0.5f;
    float a = f.em * Param(f.design, 'tdhi');
    float h = 0.2f * w;
    float endHalf = f.mu * Param(f.design, 'tdet') * 0.5f;
    float centreHalf = f.mu * Param(f.design, 'tdct') * 0.5f;
    float k = (0.6f * f.mu * Param(f.design, 'tdet') + 0.4f * f.mu * Param(f.design, 'tdct')) * 0.5f;

    Vector2D end = Unit(0.4375f * h, 0.625f * a);
    Vector2D n(-end.y, end.x);
    Point2D leftUpper(endHalf * n.x, 0.375f * a + endHalf * n.y);
    Point2D leftLower(-endHalf * n.x, 0.375f * a - endHalf * n.y);
    Point2D rightUpper(w + endHalf * n.x, 0.625f * a + endHalf * n.y);
    Point2D rightLower(w - endHalf * n.x, 0.625f * a - endHalf * n.y);
    Vector2D along(0.625f * (m - h), -a * 0.5f);
    Vector2D centre = Unit(along.x, along.y);
    Vector2D nc(-centre.y, centre.x);
    Point2D centreUpper(m + centreHalf * nc.x, a * 0.5f + centreHalf * nc.y);
    Point2D centreLower(m - centreHalf * nc.x, a * 0.5f - centreHalf * nc.y);
    float outerX = 0.875f * h + 0.125f * m;
    Point2D crestInner(h, a - k);
    Point2D crestOuter(outerX, a + k);
    Point2D troughInner(w - h, k);
    Point2D troughOuter(w - outerX, -k);
    auto fromEnd = [](const Point2D &corner, const Point2D &extreme) {
        return Point2D(0.5625f * corner.x + 0.4375f * extreme.x, extreme.y);
    };
    curves[0] = MakeLineCurve(leftUpper, leftLower);
    curves[1] = QuadraticBezier2D(leftLower, fromEnd(leftLower, crestInner), crestInner);
    curves[2] = QuadraticBezier2D(crestInner, AtY(centreLower, along, crestInner.y), centreLower);
    curves[3] = QuadraticBezier2D(centreLower, AtY(centreLower, along, troughOuter.y), troughOuter);
    curves[4] = QuadraticBezier2D(troughOuter, fromEnd(rightLower, troughOuter), rightLower);
    curves[5] = MakeLineCurve(rightLower, rightUpper);
    curves[6] = QuadraticBezier2D(rightUpper, fromEnd(rightUpper, troughInner), troughInner);
    curves[7] = QuadraticBezier2D(troughInner, AtY(centreUpper, along, troughInner.y), centreUpper);
    curves[8] = QuadraticBezier2D(centreUpper, AtY(centreUpper, along, crestOuter.y), crestOuter);
    curves[9] = QuadraticBezier2D(crestOuter, fromEnd(leftUpper, crestOuter), leftUpper);

    float v = 0.0f;
    if (!f.under)
    {
        v = f.Anchor(centreHalf);
        *top = v + a + k;
    }
    else
    {
        v = f.Anchor(centreHalf) - a;
        *bottom = v - k;
    }
    Translate(curves, 10, 0.0f, v);
    return 10;
}

int32_t BuildSquareBracket(const MarkFrame &f, QuadraticBezier2D *curves, float *bottom, float *top)
{
    float w = f.width;
    float bar = f.mu * Param(f.design, 'bkmt') * 0.5f;
    float leg = f.mu * Param(f.design, 'bket') * 0.5f;
    float length = f.em * Param(f.design, 'bkhi');
    const Point2D points[8] = {Point2D(-leg, 0.0f),          Point2D(leg, 0.0f),
                               Point2D(leg, length - bar),   Point2D(w - leg, length - bar),
                               Point2D(w - leg, 0.0f),       Point2D(w + leg, 0.0f),
                               Point2D(w + leg, length + bar), Point2D(-leg, length + bar)};
    for (int32_t i = 0; i < 8; ++i) curves[i] = MakeLineCurve(points[i], points[(i + 1) % 8]);
    float yl = f.Anchor(0.0f);
    if (f.under)
    {
        MirrorVertically(curves, 8);
        *bottom = yl - length - bar;
    }
    else
    {
        *top = yl + length + bar;
    }
    Translate(curves, 8, 0.0f, yl);
    return 8;
}

// Turns a builder's outline along y (from 0 to the width) to lie along the mark: over, (x, y) becomes
// (y, edge - x); under, (width - y, edge + x). Both are rotations, so the winding stays.
void TurnAlongMark(QuadraticBezier2D *curves, int32_t count, bool under, float width, float edge)
{
    for (int32_t i = 0; i < count; ++i)
    {
        for (Point2D *p : {&curves[i].p0, &curves[i].p1, &curves[i].p2})
        {
            Point2D q = *p;
            *p = under ? Point2D(width - q.y, edge + q.x) : Point2D(q.y, edge - q.x);
        }
    }
}

// The hook length of a brace or shell: a quarter of the width when four would not fit.
float HookLength(float length, float width)
{
    return width < 4.0f * length ? width * 0.25f : length;
}

int32_t BuildBrace(const MarkFrame &f, QuadraticBezier2D *curves, float *bottom, float *top)
{
    float hookWidth = f.em * Param(f.design, 'bcwd');
    int32_t count = BuildBraceOutline(f.width, hookWidth, HookLength(f.em * Param(f.design, 'bchi'), f.width),
                                      Param(f.design, 'bccp'), f.mu * Param(f.design, 'bcmt'),
                                      f.mu * Param(f.design, 'bcet'), f.mu * Param(f.design, 'bcat'), curves);
    float edge = f.Anchor(0.0f) + (f.under ? -2.0f : 2.0f) * hookWidth;
    TurnAlongMark(curves, count, f.under, f.width, edge);
    if (f.under) *bottom = edge;
    else *top = edge;
    return count;
}

int32_t BuildShell(const MarkFrame &f, QuadraticBezier2D *curves, float *bottom, float *top)
{
    float hookWidth = f.em * Param(f.design, 'shwd');
    float thickness = f.mu * Param(f.design, 'shmt');
    int32_t count = BuildShellBracketOutline(f.width, hookWidth, HookLength(f.em * Param(f.design, 'shhi'), f.width),
                                             thickness, f.mu * Param(f.design, 'shet'), curves);
    float edge = f.Anchor(0.0f) + (f.under ? -hookWidth : hookWidth);
    TurnAlongMark(curves, count, f.under, f.width, edge);
    if (f.under) *bottom = edge - thickness * 0.5f;
    else *top = edge + thickness * 0.5f;
    return count;
}

// Arrows and harpoons: a head at the left ('l'), right ('r') or both ('b') ends; a third letter 'h'
// makes the heads half heads with the barb up ('u') or down ('d').
int32_t BuildArrow(const MarkFrame &f, uint32_t type, QuadraticBezier2D *curves, float *bottom, float *top)
{
    char ends = char(type >> 24);
    bool harpoon = char(type >> 8) == 'h';
    bool barbDown = harpoon && char(type >> 16) == 'd';
    bool barbUp = harpoon && !barbDown;
    bool hasLeft = ends == 'l' || ends == 'b';
    bool hasRight = ends == 'r' || ends == 'b';
    float length = f.em * Param(f.design, 'arln');
    float halfWidth = f.em * Param(f.design, 'arwd');
    float inner = f.mu * Param(f.design, 'arit');
    float outer = f.mu * Param(f.design, 'arot');
    float curvature = Param(f.design, 'arcv');
    float shaft = f.mu * Param(f.design, 'arth');
    float hs = shaft * 0.5f;

    int32_t count = 0;
    float leftJoin = 0.0f;
    float rightJoin = f.width;
    float lateral = 0.0f;
    ArrowheadExtent extent = {};
    if (hasLeft)
    {
        if (!harpoon) count = BuildArrowheadReversed(length, halfWidth, inner, outer, curvature, curves, &extent);
        else if (barbUp)
            count = BuildHalfArrowheadReversed(length, halfWidth, inner, outer, curvature, shaft, curves, &extent);
        else
            count = BuildHalfArrowheadReversedFlipped(length, halfWidth, inner, outer, curvature, shaft, curves,
                                                      &extent);
        Translate(curves, count, -extent.minX, 0.0f);
        leftJoin = extent.join - extent.minX;
        lateral = extent.lateral;
    }
    if (hasRight)
    {
        QuadraticBezier2D *out = curves + count;
        int32_t added = 0;
        if (!harpoon) added = BuildArrowhead(length, halfWidth, inner, outer, curvature, out, &extent);
        else if (barbUp) added = BuildHalfArrowhead(length, halfWidth, inner, outer, curvature, shaft, out, &extent);
        else added = BuildHalfArrowheadFlipped(length, halfWidth, inner, outer, curvature, shaft, out, &extent);
        Translate(out, added, f.width - extent.maxX, 0.0f);
        rightJoin = extent.join + f.width - extent.maxX;
        lateral = extent.lateral;
        count += added;
    }
    // Heads that overlap on a short mark leave the shaft between their joins reversed: it still
    // runs from the lower x to the higher.
    AddRectangle(curves, &count, std::min(leftJoin, rightJoin), -hs, std::max(leftJoin, rightJoin), hs);

    // The centre line's height and the far extent, by the side the barbs reach.
    float nearSide = harpoon && barbUp != f.under ? hs : lateral;
    float farSide = harpoon && barbUp == f.under ? hs : lateral;
    float yc = 0.0f;
    if (!f.under)
    {
        yc = f.Anchor(0.0f) + nearSide;
        *top = yc + farSide;
    }
    else
    {
        yc = f.Anchor(0.0f) - nearSide;
        *bottom = yc - farSide;
    }
    Translate(curves, count, 0.0f, yc);
    return count;
}

}  // namespace

int32_t BuildWideMarkOutline(const Design *design, uint32_t type, bool under, float width, float em,
                             const WideMarkExtents &extents, QuadraticBezier2D *curves, float *bottom, float *top)
{
    float mu = em / 18.0f;
    MarkFrame f{design, under, width, em, mu, mu * Param(design, 'vtsp'), mu * Param(design, 'vtgp'), extents};
    *bottom = extents.bodyBottom;
    *top = extents.bodyTop;
    switch (type)
    {
    case kWideMarkLine: return BuildLines(f, false, curves, bottom, top);
    case kWideMarkDoubleLine: return BuildLines(f, true, curves, bottom, top);
    case kWideMarkHat: return BuildHatOrCheck(f, false, curves, bottom, top);
    case kWideMarkCheck: return BuildHatOrCheck(f, true, curves, bottom, top);
    case kWideMarkSmile: return BuildSmileOrFrown(f, false, curves, bottom, top);
    case kWideMarkFrown: return BuildSmileOrFrown(f, true, curves, bottom, top);
    case kWideMarkTilde: return BuildTilde(f, curves, bottom, top);
    case kWideMarkBracket: return BuildSquareBracket(f, curves, bottom, top);
    case kWideMarkBrace: return BuildBrace(f, curves, bottom, top);
    case kWideMarkShell: return BuildShell(f, curves, bottom, top);
    case kWideMarkLeftArrow:
    case kWideMarkRightArrow:
    case kWideMarkBothArrow:
    case kWideMarkLeftUpHarpoon:
    case kWideMarkRightUpHarpoon:
    case kWideMarkLeftDownHarpoon:
    case kWideMarkRightDownHarpoon: return BuildArrow(f, type, curves, bottom, top);
    default: return 0;
    }
}

}  // namespace oq
