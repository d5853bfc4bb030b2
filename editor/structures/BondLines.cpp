// Bond lines: the outlines of single, multiple, heavy, wedged, hashed, dashed and wavy bonds.
#include "editor/document/MathDesign.h"
#include "editor/structures/BondNode.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace oq {

namespace {

QuadraticBezier2D Line(const Point2D &a, const Point2D &b)
{
    return QuadraticBezier2D(a, b, b);
}

// The quadrilateral a + n ha -> a - n ha -> b - n hb -> b + n hb, counter-clockwise for n to the left.
int32_t AppendQuad(const Point2D &a, const Point2D &b, const Vector2D &n, float ha, float hb, BondCurveArray *out)
{
    Point2D a0 = a + n * ha;
    Point2D a1 = a - n * ha;
    Point2D b1 = b - n * hb;
    Point2D b0 = b + n * hb;
    out->AddElement(Line(a0, a1));
    out->AddElement(Line(a1, b1));
    out->AddElement(Line(b1, b0));
    out->AddElement(Line(b0, a0));
    return 4;
}

Vector2D LeftNormal(const Vector2D &u)
{
    return Vector2D(-u.y, u.x);
}

// How many dashes of the length dash with gaps of the length gap fill the length best, within
// 2..most; the drawn dash and the step from one dash to the next then fill it exactly.
int32_t GetDashCount(float length, float dash, float gap, int32_t most, float *drawnDash, float *step)
{
    float q = std::floor((length + gap) / (dash + gap) + 0.5f);
    int32_t k = q >= 2.0f ? (q <= float(most) ? int32_t(q) : most) : 2;
    float ratio = dash > 0.0f ? gap / dash : 0.0f;
    float d = length / (float(k) + float(k - 1) * ratio);
    *drawnDash = d;
    *step = d + ratio * d;
    return k;
}

// The centre line of a wave in its own frame (x along the line, y along the normal): key point g
// lies at x = g q on the axis (g % 4 = 0 rising, 2 falling), on the crest (1) or in the trough (3).
struct WaveFrame
{
    float quarter;    // q: a quarter period
    float amplitude;  // A
    float offset;     // half the stroke

    float KeyY(int32_t g) const
    {
        static const float kSign[4] = {0.0f, 1.0f, 0.0f, -1.0f};
        return kSign[g % 4] * amplitude;
    }
    // The point of key g moved by side x the half stroke along its unit normal.
    Vector2D OffsetKey(int32_t g, float side) const
    {
        float x = float(g) * quarter;
        float y = KeyY(g);
        Vector2D normal(0.0f, 1.0f);
        if (g % 2 == 0)
        {
            // An axis crossing leaves in the direction (q / 2, +-A).
            float rise = g % 4 == 0 ? amplitude : -amplitude;
            float half = quarter / 2.0f;
            float norm = std::sqrt(half * half + rise * rise);
            if (norm > 0.0f) normal = Vector2D(-rise / norm, half / norm);
        }
        return Vector2D(x + side * offset * normal.x, y + side * offset * normal.y);
    }
    // The control point of the centre line between key g and g + 1.
    Vector2D Control(int32_t g) const
    {
        float y = (g % 4 == 0 || g % 4 == 1) ? amplitude : -amplitude;
        return Vector2D((float(g) + 0.5f) * quarter, y);
    }
};

// Where the line through a along da meets the line through b along db; the midpoint of a and b when
// they are parallel or the meeting point is not finite.
Vector2D IntersectLines(const Vector2D &a, const Vector2D &da, const Vector2D &b, const Vector2D &db)
{
    float cross = da.x * db.y - da.y * db.x;
    Vector2D mid((a.x + b.x) / 2.0f, (a.y + b.y) / 2.0f);
    if (cross == 0.0f) return mid;
    Vector2D ab = b - a;
    float t = (ab.x * db.y - ab.y * db.x) / cross;
    Vector2D p = a + da * t;
    return std::isfinite(p.x) && std::isfinite(p.y) ? p : mid;
}

}  // namespace

int32_t BondNode::BuildBondStroke(float thickness, const Point2D &p0, const Point2D &p1, const Vector2D &u,
                                  BondCurveArray *out)
{
    return AppendQuad(p0, p1, LeftNormal(u), thickness / 2.0f, thickness / 2.0f, out);
}

int32_t BondNode::BuildBondWedge(float startWidth, float endWidth, const Point2D &p0, const Point2D &p1,
                                 const Vector2D &u, BondCurveArray *out)
{
    return AppendQuad(p0, p1, LeftNormal(u), startWidth / 2.0f, endWidth / 2.0f, out);
}

int32_t BondNode::BuildDashedBondStroke(float thickness, float length, float dash, float gap, const Point2D &start,
                                        const Vector2D &u, BondCurveArray *out)
{
    float d = 0.0f;
    float step = 0.0f;
    int32_t k = GetDashCount(length, dash, gap, 8, &d, &step);
    int32_t count = 0;
    for (int32_t i = 0; i < k; ++i)
    {
        Point2D a = start + u * (float(i) * step);
        count += BuildBondStroke(thickness, a, a + u * d, u, out);
    }
    return count;
}

int32_t BondNode::BuildHashedBondWedge(float startWidth, float endWidth, float length, float dash, float gap,
                                       const Point2D &start, const Vector2D &u, BondCurveArray *out)
{
    float d = 0.0f;
    float step = 0.0f;
    int32_t k = GetDashCount(length, dash, gap, 16, &d, &step);
    Vector2D n = LeftNormal(u);
    auto halfWidth = [&](float x) {
        float f = length >= FLT_MIN ? x / length : 0.0f;
        return ((1.0f - f) * startWidth + f * endWidth) / 2.0f;
    };
    int32_t count = 0;
    for (int32_t i = 0; i < k; ++i)
    {
        float x0 = float(i) * step;
        float x1 = x0 + d;
        count += AppendQuad(start + u * x0, start + u * x1, n, halfWidth(x0), halfWidth(x1), out);
    }
    return count;
}

int32_t BondNode::BuildWavyBondStroke(float thickness, float length, float wavelength, float amplitude,
                                      const Point2D &start, const Vector2D &u, BondCurveArray *out)
{
    // The wave's directions divide by the period: a line without length has no wave.
    if (!(length >= FLT_MIN)) return 0;
    float q = wavelength > 0.0f ? std::floor(length / wavelength + 0.5f) : 1.0f;
    int32_t k = q >= 1.0f ? (q <= 8.0f ? int32_t(q) : 8) : 1;
    WaveFrame wave{length / float(k) / 4.0f, amplitude, thickness / 2.0f};
    Vector2D n = LeftNormal(u);
    // Straight within a part in 50000 of the wave's size.
    float straightTolerance = 2e-5f * (length + 2.0f * amplitude + thickness);
    auto place = [&](const Vector2D &local) { return start + u * local.x + n * local.y; };
    // The piece of one side (+1 left, -1 right) between key g and g + 1, in the line's direction.
    auto piece = [&](int32_t g, float side) {
        Vector2D a(float(g) * wave.quarter, wave.KeyY(g));
        Vector2D b(float(g + 1) * wave.quarter, wave.KeyY(g + 1));
        Vector2D c = wave.Control(g);
        Vector2D a1 = wave.OffsetKey(g, side);
        Vector2D b1 = wave.OffsetKey(g + 1, side);
        Vector2D c1 = IntersectLines(a1, c - a, b1, b - c);
        // Where the stroke is wider than the wave's bend the inner side pinches: a piece whose control
        // point falls on its chord is a straight edge.
        Vector2D chord = b1 - a1;
        float chordLength = std::sqrt(chord.x * chord.x + chord.y * chord.y);
        Vector2D toControl = c1 - a1;
        float cross = chord.x * toControl.y - chord.y * toControl.x;
        float along = chord.x * toControl.x + chord.y * toControl.y;
        if (std::fabs(cross) <= straightTolerance * chordLength && along >= -straightTolerance * chordLength &&
            along <= (chordLength + straightTolerance) * chordLength)
        {
            c1 = b1;
        }
        return QuadraticBezier2D(place(a1), place(c1), place(b1));
    };
    int32_t keys = 4 * k;
    int32_t count = 0;
    for (int32_t g = 0; g < keys; ++g, ++count) out->AddElement(piece(g, -1.0f));
    out->AddElement(Line(place(wave.OffsetKey(keys, -1.0f)), place(wave.OffsetKey(keys, 1.0f))));
    for (int32_t g = keys - 1; g >= 0; --g, ++count)
    {
        QuadraticBezier2D c = piece(g, 1.0f);
        bool straight = c.p1.x == c.p2.x && c.p1.y == c.p2.y;
        out->AddElement(QuadraticBezier2D(c.p2, straight ? c.p0 : c.p1, c.p0));
    }
    out->AddElement(Line(place(wave.OffsetKey(0, 1.0f)), place(wave.OffsetKey(0, -1.0f))));
    return count + 2;
}

int32_t BondNode::BuildBondLines(const Design *design, float s, uint32_t style, const Point2D &p0, const Point2D &p1,
                                 BondCurveArray *out)
{
    auto get = [design](uint32_t key) { return GetGroupParam(design, 'bond', key); };
    float mu = s / 18.0f;
    Vector2D difference = p1 - p0;
    float length = std::sqrt(difference.x * difference.x + difference.y * difference.y);
    Vector2D u = length >= FLT_MIN ? difference / length : difference;
    Vector2D n = LeftNormal(u);
    float t1 = get('rul1') * mu;
    float m = get('mbsp') * mu;
    float dash = std::max(get('pdsh') * s, t1);
    float gap = std::max(get('pgap') * s, t1);
    auto stroke = [&](float offset) { return BuildBondStroke(t1, p0 + n * offset, p1 + n * offset, u, out); };
    auto dashed = [&](float offset) { return BuildDashedBondStroke(t1, length, dash, gap, p0 + n * offset, u, out); };
    auto hashed = [&](float w0, float w1) {
        float wedgeDash = std::max(get('wdsh') * s, get('wth1') * mu);
        float wedgeGap = std::max(get('wgap') * s, get('wth1') * mu);
        return BuildHashedBondWedge(w0, w1, length, wedgeDash, wedgeGap, p0, u, out);
    };
    float narrow = get('wth1') * mu;
    float wide = get('wth2') * mu;
    // The lines of a style, appended in this order (the curve counts of one style add up).
    int32_t count = 0;
    switch (style)
    {
    case 'sing': count += stroke(0.0f); break;
    case 'hevy': count += BuildBondStroke(get('rul2') * mu, p0, p1, u, out); break;
    case 'doub':
        count += stroke(m / 2.0f);
        count += stroke(-m / 2.0f);
        break;
    case 'trip':
        count += stroke(m);
        count += stroke(0.0f);
        count += stroke(-m);
        break;
    case 'wavy': count += BuildWavyBondStroke(t1, length, get('wave') * s, get('wamp') * s, p0, u, out); break;
    case 'swgo': count += BuildBondWedge(narrow, wide, p0, p1, u, out); break;
    case 'swgi': count += BuildBondWedge(wide, narrow, p0, p1, u, out); break;
    case 'dwgo': count += hashed(narrow, wide); break;
    case 'dwgi': count += hashed(wide, narrow); break;
    case 'part': count += dashed(0.0f); break;
    case 'prd1':
        count += dashed(m / 2.0f);
        count += stroke(-m / 2.0f);
        break;
    case 'prd2':
        count += stroke(m / 2.0f);
        count += dashed(-m / 2.0f);
        break;
    case 'prt1':
        count += dashed(m);
        count += stroke(0.0f);
        count += stroke(-m);
        break;
    case 'prt2':
        count += stroke(m);
        count += stroke(0.0f);
        count += dashed(-m);
        break;
    case 'prt3':
        count += stroke(m);
        count += dashed(0.0f);
        count += stroke(-m);
        break;
    default: break;
    }
    return count;
}

}  // namespace oq
