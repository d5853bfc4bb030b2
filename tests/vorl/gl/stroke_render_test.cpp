#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "gl/GLHarness.h"
#include "support/ReferenceRasterizer.h"
#include "support/VorlPixelStage.h"
#include "support/VorlTestShape.h"
#include "vorl/geometry/StrokePath.h"
#include "vorl/text/ShaderSource.h"

namespace oq::test {
namespace {

constexpr int32_t kSize = 64;
constexpr int32_t kTextureWidth = 256;

GLuint StrokeProgram()
{
    static GLuint program = 0;
    if (program != 0) return program;
    std::string vertex, pixel, log;
    EXPECT_TRUE(ReadTextFile(std::string(OQ_DATA_DIR) + "/vorlvs00.glsl", &vertex));
    EXPECT_TRUE(ReadTextFile(std::string(OQ_DATA_DIR) + "/vorlfs08.glsl", &pixel));
    EXPECT_TRUE(BuildProgram(vertex, pixel, &program, &log)) << log;
    return program;
}

// A stroke built in pixel units (object space is the image, y up as read back), drawn piece by
// piece: each piece, join and cap is one draw, and the image keeps the largest coverage of each
// pixel, the union of the pieces.
struct StrokeRender
{
    std::vector<float> alpha;   // union of the pieces' coverages
    std::vector<float> over;    // the pieces' alphas composited one over another
    float cpuError = 0;         // largest difference of a piece's draw from the C++ pixel stage
    int32_t pieces = 0;
};

StrokeRender RenderStroke(const StrokeStyle &style, uint32_t flags, const std::vector<QuadraticBezier2D> &curves)
{
    std::string error;
    EXPECT_TRUE(StartGL(&error)) << error;
    StrokeRender result;
    result.alpha.assign(size_t(kSize) * kSize, 0.0f);
    result.over.assign(size_t(kSize) * kSize, 0.0f);

    int32_t cursor[2] = {0, 0};
    int32_t vertexCount, triangleCount;
    CountStrokeGeometry(style, flags, int32_t(curves.size()), curves.data(), kTextureWidth, 1024, cursor, &vertexCount,
                        &triangleCount, nullptr);
    int32_t rows = cursor[1] + 1;
    std::vector<AttribStruct> vertices(static_cast<size_t>(vertexCount));
    std::vector<VorlTriangle> triangles(static_cast<size_t>(triangleCount));
    std::vector<uint16_t> halves(size_t(kTextureWidth) * size_t(rows) * 4, 0);
    TexelBuffer texels = {halves.data(), 'HLF4', kTextureWidth, rows, 0, 0};
    GeometryBuffer geometry = {vertices.data(), triangles.data(), 0, 0, 0};
    EXPECT_TRUE(BuildStrokeGeometry(style, flags, int32_t(curves.size()), curves.data(), &texels, &geometry, nullptr));

    VorlDrawData data;
    data.vertices.resize(vertices.size() * sizeof(AttribStruct));
    std::memcpy(data.vertices.data(), vertices.data(), data.vertices.size());
    data.curveWidth = kTextureWidth;
    data.curveHeight = rows;
    data.curveHalves = halves;
    data.bandWidth = 1;
    data.bandHeight = 1;
    data.bandTexels = {0};
    data.matrix[0][0] = 2.0f / kSize;
    data.matrix[0][3] = -1.0f;
    data.matrix[1][1] = 2.0f / kSize;
    data.matrix[1][3] = -1.0f;
    data.matrix[3][3] = 1.0f;
    VorlTexelArrays arrays;
    arrays.curveHalves = halves.data();
    arrays.curveWidth = kTextureWidth;
    arrays.curveHeight = rows;
    uint32_t noBand = 0;
    arrays.band = &noBand;
    arrays.bandWidth = 1;
    arrays.bandHeight = 1;

    // Triangles grouped by the block their first vertex belongs to.
    for (int32_t t = 0; t < triangleCount;)
    {
        uint32_t location = vertices[triangles[size_t(t)].index[0]].bandLocation;
        int32_t end = t;
        data.triangles.clear();
        while (end < triangleCount && vertices[triangles[size_t(end)].index[0]].bandLocation == location)
        {
            for (uint16_t index : triangles[size_t(end)].index) data.triangles.push_back(index);
            ++end;
        }
        RenderTarget target(kSize, kSize);
        EXPECT_TRUE(target.Complete());
        target.Bind();
        glClearColor(-1, -1, -1, -1);
        glClear(GL_COLOR_BUFFER_BIT);
        EXPECT_TRUE(DrawVorl(StrokeProgram(), data, kSize, kSize, &error)) << error;
        std::vector<float> gl = target.Read();

        const AttribStruct &v = vertices[triangles[size_t(t)].index[0]];
        float s = v.jacobian[0];
        double emFromPixel[6] = {s, 0, v.texcoord[0] - s * v.position[0], 0, s, v.texcoord[1] - s * v.position[1]};
        const float banding[4] = {0, 0, 0, 0};
        const float color[4] = {style.color.red, style.color.green, style.color.blue, style.color.alpha};
        std::vector<float> cpu =
            RenderVorlImage(arrays, kShaderOptionStroke, emFromPixel, kSize, kSize, v.bandLocation, v.bandLimits, banding, color);
        for (size_t i = 0; i < result.alpha.size(); ++i)
        {
            float a = gl[i * 4 + 3];
            if (a < 0.0f) continue;
            result.cpuError = std::max(result.cpuError, std::fabs(a - cpu[i * 4 + 3]));
            result.alpha[i] = std::max(result.alpha[i], a);
            result.over[i] = a + result.over[i] * (1.0f - a);
        }
        ++result.pieces;
        t = end;
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// The reference: the stroke outline as a union of small counter-clockwise polygons (quads between
// densely sampled offset points, join wedges, caps), filled non-zero by the reference rasterizer.

using Polygon = std::vector<Point2D>;

void AddPolygon(std::vector<ReferenceCurve> &curves, Polygon polygon)
{
    double area = 0;
    for (size_t i = 0; i < polygon.size(); ++i)
    {
        const Point2D &a = polygon[i];
        const Point2D &b = polygon[(i + 1) % polygon.size()];
        area += double(a.x) * b.y - double(b.x) * a.y;
    }
    if (area < 0) std::reverse(polygon.begin(), polygon.end());
    for (size_t i = 0; i < polygon.size(); ++i)
    {
        const Point2D &a = polygon[i];
        const Point2D &b = polygon[(i + 1) % polygon.size()];
        curves.push_back({a.x, a.y, (a.x + b.x) * 0.5, (a.y + b.y) * 0.5, b.x, b.y});
    }
}

Polygon Disc(Point2D centre, float radius)
{
    Polygon disc;
    for (int k = 0; k < 96; ++k)
    {
        double angle = k * 2 * 3.14159265358979 / 96;
        disc.push_back(Point2D(float(centre.x + radius * std::cos(angle)), float(centre.y + radius * std::sin(angle))));
    }
    return disc;
}

Point2D CurvePoint(const QuadraticBezier2D &c, double t)
{
    double u = 1 - t;
    return Point2D(float(u * u * c.p0.x + 2 * t * u * c.p1.x + t * t * c.p2.x),
                   float(u * u * c.p0.y + 2 * t * u * c.p1.y + t * t * c.p2.y));
}

Vector2D CurveDirection(const QuadraticBezier2D &c, double t)
{
    double dx = (1 - t) * (c.p1.x - c.p0.x) + t * (c.p2.x - c.p1.x);
    double dy = (1 - t) * (c.p1.y - c.p0.y) + t * (c.p2.y - c.p1.y);
    double length = std::hypot(dx, dy);
    if (length < 1e-9)
    {
        dx = c.p2.x - c.p0.x;
        dy = c.p2.y - c.p0.y;
        length = std::hypot(dx, dy);
    }
    return Vector2D(float(dx / length), float(dy / length));
}

void AddBody(std::vector<ReferenceCurve> &out, const QuadraticBezier2D &curve, float w)
{
    const int samples = 48;
    for (int k = 0; k < samples; ++k)
    {
        double t0 = double(k) / samples, t1 = double(k + 1) / samples;
        Point2D a = CurvePoint(curve, t0), b = CurvePoint(curve, t1);
        Vector2D na = Perpendicular(CurveDirection(curve, t0)) * w;
        Vector2D nb = Perpendicular(CurveDirection(curve, t1)) * w;
        AddPolygon(out, {a + na, a - na, b - nb, b + nb});
    }
}

void AddJoin(std::vector<ReferenceCurve> &out, Point2D p, Vector2D tA, Vector2D tB, float w, uint32_t join, float limit)
{
    float c = Cross(tA, tB);
    if (std::fabs(c) < 1e-6f) return;
    float sigma = c > 0 ? 1.0f : -1.0f;
    Point2D aOut = p - Perpendicular(tA) * (w * sigma);
    Point2D bOut = p - Perpendicular(tB) * (w * sigma);
    Vector2D m = (tB - tA) * (w / c);
    float ratio = SquaredMag(m) / (w * w);
    if (limit * limit > ratio || (join != 'BEVL' && join != 'ROND'))
        AddPolygon(out, {p, aOut, p - m * sigma, bOut});
    else if (join == 'BEVL')
        AddPolygon(out, {p, aOut, bOut});
    else
        AddPolygon(out, Disc(p, w));
}

void AddCap(std::vector<ReferenceCurve> &out, Point2D e, Vector2D d, float w, uint32_t cap)
{
    Vector2D n = Perpendicular(d) * w;
    if (cap == 'SQUA') AddPolygon(out, {e + n, e - n, e - n + d * w, e + n + d * w});
    if (cap == 'TRIA') AddPolygon(out, {e + n, e - n, e + d * w});
    if (cap == 'ROND') AddPolygon(out, Disc(e, w));
}

// The reference outline of a solid contour of connected curves.
std::vector<ReferenceCurve> ReferenceStroke(const StrokeStyle &style, bool closed, const std::vector<QuadraticBezier2D> &curves)
{
    std::vector<ReferenceCurve> out;
    float w = style.width * 0.5f;
    for (size_t i = 0; i < curves.size(); ++i)
    {
        AddBody(out, curves[i], w);
        if (i + 1 < curves.size() || closed)
        {
            const QuadraticBezier2D &next = curves[(i + 1) % curves.size()];
            AddJoin(out, curves[i].p2, CurveDirection(curves[i], 1), CurveDirection(next, 0), w, style.join, style.miterLimit);
        }
    }
    if (!closed)
    {
        AddCap(out, curves.front().p0, -CurveDirection(curves.front(), 0), w, style.cap);
        AddCap(out, curves.back().p2, CurveDirection(curves.back(), 1), w, style.cap);
    }
    return out;
}

std::vector<float> Rasterize(const std::vector<ReferenceCurve> &outline)
{
    const double identity[6] = {1, 0, 0, 0, 1, 0};
    return RasterizeReference(outline, identity, kSize, kSize, ReferenceFillRule::kNonZero);
}

QuadraticBezier2D Line(float x0, float y0, float x1, float y1)
{
    return QuadraticBezier2D(Point2D(x0, y0), Point2D(x1, y1), Point2D(x1, y1));
}

std::vector<QuadraticBezier2D> Polyline(const std::vector<Point2D> &points)
{
    std::vector<QuadraticBezier2D> curves;
    for (size_t i = 0; i + 1 < points.size(); ++i) curves.push_back(Line(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y));
    return curves;
}

StrokeStyle MakeStyle(float width, uint32_t cap, uint32_t join, float limit)
{
    StrokeStyle style;
    ResetStrokeStyle(&style);
    style.width = width;
    style.color = {1, 1, 1, 1};
    style.cap = cap;
    style.join = join;
    style.miterLimit = limit;
    return style;
}

TEST(StrokeRenderGL, PolylinesWithEachJoinAndCap)
{
    std::vector<QuadraticBezier2D> path = Polyline({{10, 12}, {40, 12}, {40, 42}, {16, 30}});
    struct JoinCase
    {
        uint32_t join;
        float limit;
    };
    const JoinCase joins[] = {{'BEVL', 1.0f}, {'MITR', 4.0f}, {'ROND', 1.0f}, {'BEVL', 4.0f}};
    for (const JoinCase &join : joins)
        for (uint32_t cap : {uint32_t('FLAT'), uint32_t('SQUA'), uint32_t('ROND'), uint32_t('TRIA')})
        {
            SCOPED_TRACE(std::string("join ") + char(join.join >> 24) + " limit " + std::to_string(join.limit) +
                         " cap " + char(cap >> 24));
            StrokeStyle style = MakeStyle(7, cap, join.join, join.limit);
            StrokeRender render = RenderStroke(style, 0, path);
            EXPECT_LE(render.cpuError, 1.0f / 255.0f);
            CoverageComparison c = CompareWithReference(render.alpha, Rasterize(ReferenceStroke(style, false, path)), kSize, kSize);
            EXPECT_LE(c.interiorError, 0.02f);
            EXPECT_LE(c.edgeError, 0.3f);
            EXPECT_NEAR(c.ink, c.referenceInk, c.referenceInk * 0.03);
        }
}

TEST(StrokeRenderGL, CircleHairlineAndShortSharpTurns)
{
    // A circle of twelve curves, closed: joined everywhere, no caps.
    std::vector<QuadraticBezier2D> circle;
    for (int k = 0; k < 12; ++k)
    {
        double a0 = k * 3.14159265358979 / 6, a1 = (k + 1) * 3.14159265358979 / 6, am = (a0 + a1) / 2;
        double r = 20, rc = r / std::cos(3.14159265358979 / 12);
        circle.push_back(QuadraticBezier2D(Point2D(float(32 + r * std::cos(a0)), float(32 + r * std::sin(a0))),
                                           Point2D(float(32 + rc * std::cos(am)), float(32 + rc * std::sin(am))),
                                           Point2D(float(32 + r * std::cos(a1)), float(32 + r * std::sin(a1)))));
    }
    circle.back().p2 = circle.front().p0;
    StrokeStyle round = MakeStyle(5, 'FLAT', 'ROND', 4);
    StrokeRender ring = RenderStroke(round, kStrokeClosed, circle);
    // Curved contours: the GPU's root solving differs from the C++ stage by up to 2/255.
    EXPECT_LE(ring.cpuError, 3.0f / 255.0f);
    CoverageComparison c = CompareWithReference(ring.alpha, Rasterize(ReferenceStroke(round, true, circle)), kSize, kSize);
    EXPECT_LE(c.interiorError, 0.02f);
    EXPECT_LE(c.edgeError, 0.3f);
    EXPECT_NEAR(c.ink, c.referenceInk, c.referenceInk * 0.03);

    // A hairline: under a pixel wide, its ink is its area.
    std::vector<QuadraticBezier2D> diagonal = Polyline({{8, 10}, {56, 40}});
    StrokeStyle hair = MakeStyle(0.6f, 'FLAT', 'BEVL', 4);
    StrokeRender thin = RenderStroke(hair, 0, diagonal);
    EXPECT_LE(thin.cpuError, 1.0f / 255.0f);
    CoverageComparison h = CompareWithReference(thin.alpha, Rasterize(ReferenceStroke(hair, false, diagonal)), kSize, kSize);
    EXPECT_NEAR(h.ink, 0.6 * std::hypot(48.0, 30.0), 0.6 * std::hypot(48.0, 30.0) * 0.1);
    EXPECT_LE(h.edgeError, 0.3f);

    // Short straight pieces with sharp turns and a thick pen: the inner corners of the joints lie
    // behind the neighbouring pieces' starts.
    std::vector<QuadraticBezier2D> zigzag = Polyline({{10, 30}, {13, 22}, {16, 30}, {19, 22}, {22, 30}, {25, 22}});
    for (uint32_t join : {uint32_t('BEVL'), uint32_t('ROND'), uint32_t('MITR')})
    {
        SCOPED_TRACE(std::string("zigzag join ") + char(join >> 24));
        StrokeStyle thick = MakeStyle(8, 'FLAT', join, 1);
        StrokeRender sharp = RenderStroke(thick, 0, zigzag);
        EXPECT_LE(sharp.cpuError, 1.0f / 255.0f);
        CoverageComparison z = CompareWithReference(sharp.alpha, Rasterize(ReferenceStroke(thick, false, zigzag)), kSize, kSize);
        EXPECT_LE(z.interiorError, 0.02f);
        EXPECT_LE(z.edgeError, 0.3f);
    }
}

// A spur at the end of a path, out to a distant control point and back, is drawn up to its tip.
TEST(StrokeRenderGL, SpurAtTheEnd)
{
    std::vector<QuadraticBezier2D> path = {Line(10, 20, 40, 20),
                                           QuadraticBezier2D(Point2D(40, 20), Point2D(40, 50), Point2D(40, 20))};
    StrokeStyle style = MakeStyle(5, 'ROND', 'ROND', 1);
    StrokeRender render = RenderStroke(style, 0, path);
    EXPECT_LE(render.cpuError, 1.0f / 255.0f);
    // The spur's tip is its point at t = 1/2, (40, 35).
    std::vector<ReferenceCurve> outline;
    AddBody(outline, path[0], 2.5f);
    AddBody(outline, Line(40, 20, 40, 35), 2.5f);
    for (Point2D disc : {Point2D(10, 20), Point2D(40, 20), Point2D(40, 35)}) AddPolygon(outline, Disc(disc, 2.5f));
    CoverageComparison c = CompareWithReference(render.alpha, Rasterize(outline), kSize, kSize);
    EXPECT_LE(c.interiorError, 0.02f);
    EXPECT_LE(c.edgeError, 0.3f);
    EXPECT_NEAR(c.ink, c.referenceInk, c.referenceInk * 0.03);
}

// A translucent stroke: composited by the largest alpha the pieces give (as the pieces overlap
// where they meet, each covering the seam), no pixel is covered twice.
TEST(StrokeRenderGL, TranslucentStrokeCoversJointsOnce)
{
    std::vector<QuadraticBezier2D> path = Polyline({{8, 10}, {30, 14}, {50, 40}, {20, 52}});
    path.insert(path.begin() + 1, QuadraticBezier2D(Point2D(30, 14), Point2D(42, 16), Point2D(44, 26)));
    path[2] = Line(44, 26, 50, 40);
    for (uint32_t join : {uint32_t('BEVL'), uint32_t('ROND'), uint32_t('MITR')})
    {
        SCOPED_TRACE(std::string("join ") + char(join >> 24));
        StrokeStyle style = MakeStyle(6, 'ROND', join, 1);
        style.color.alpha = 0.5f;
        StrokeRender render = RenderStroke(style, 0, path);
        EXPECT_LE(render.cpuError, 2.0f / 255.0f);
        std::vector<float> reference = Rasterize(ReferenceStroke(style, false, path));
        float largest = 0;
        for (size_t i = 0; i < reference.size(); ++i)
        {
            largest = std::max(largest, render.alpha[i]);
            reference[i] *= 0.5f;
        }
        EXPECT_LE(largest, 0.5f + 1.0f / 255.0f);
        CoverageComparison c = CompareWithReference(render.alpha, reference, kSize, kSize);
        EXPECT_LE(c.interiorError, 0.01f);
        EXPECT_LE(c.edgeError, 0.15f);
        EXPECT_NEAR(c.ink, c.referenceInk, c.referenceInk * 0.03);
        // Composited one over another, the lens where a piece's bulging end meets the next piece's
        // (and a cap's back edge meets its piece) is covered twice: the renderer takes the largest.
        double overInk = 0;
        for (float a : render.over) overInk += a;
        EXPECT_NEAR(overInk, c.referenceInk, c.referenceInk * 0.03);
    }
}

// A straight curve that runs out past its end and back, after a sharp turn with a wide pen: the
// joint is tested alike on both sides although the curve is built as two halves. The half is
// shorter than the join's contour reaches into it, so a pixel sliver along the join polygon's edge
// is drawn hard: only the interior and the ink are compared.
TEST(StrokeRenderGL, StraightReversalAfterASharpTurn)
{
    std::vector<QuadraticBezier2D> path = {Line(6, 20, 24, 20),
                                           QuadraticBezier2D(Point2D(24, 20), Point2D(27, 28), Point2D(25.5f, 24))};
    StrokeStyle style = MakeStyle(14.4f, 'FLAT', 'BEVL', 1);
    StrokeRender render = RenderStroke(style, 0, path);
    EXPECT_LE(render.cpuError, 1.0f / 255.0f);
    // The curve turns at t = 2/3, 5.69 units out.
    Vector2D d(3.0f / 8.5440037f, 8.0f / 8.5440037f);
    Point2D tip = Point2D(24, 20) + d * 5.6960025f;
    std::vector<QuadraticBezier2D> out = {path[0], Line(24, 20, tip.x, tip.y)};
    CoverageComparison c = CompareWithReference(render.alpha, Rasterize(ReferenceStroke(style, false, out)), kSize, kSize);
    EXPECT_LE(c.interiorError, 0.02f);
    EXPECT_NEAR(c.ink, c.referenceInk, c.referenceInk * 0.03);
}

// A hand-drawn line: many pieces shorter than the pen is wide, turning a little at every point.
TEST(StrokeRenderGL, ShortPiecesWiderThanLong)
{
    std::vector<Point2D> points;
    for (int i = 0; i <= 40; ++i)
        points.push_back(Point2D(8.0f + i * 1.2f, 32.0f + 14.0f * std::sin(i * 0.2f) + ((i & 1) ? 0.4f : -0.4f)));
    std::vector<QuadraticBezier2D> path = Polyline(points);
    for (uint32_t join : {uint32_t('BEVL'), uint32_t('ROND'), uint32_t('MITR')})
    {
        SCOPED_TRACE(std::string("join ") + char(join >> 24));
        StrokeStyle style = MakeStyle(7, 'ROND', join, 4);
        StrokeRender render = RenderStroke(style, 0, path);
        EXPECT_LE(render.cpuError, 1.0f / 255.0f);
        CoverageComparison c = CompareWithReference(render.alpha, Rasterize(ReferenceStroke(style, false, path)), kSize, kSize);
        EXPECT_LE(c.interiorError, 0.02f);
        EXPECT_LE(c.edgeError, 0.3f);
        EXPECT_NEAR(c.ink, c.referenceInk, c.referenceInk * 0.03);
    }
}

// Dashes along a line: the reference strokes each dash interval as its own flat-ended piece.
TEST(StrokeRenderGL, Dashes)
{
    std::vector<QuadraticBezier2D> line = Polyline({{6, 20}, {58, 44}});
    StrokeStyle style = MakeStyle(3, 'FLAT', 'BEVL', 4);
    const float pattern[] = {3, 2};
    style.dashCount = 2;
    style.dashArray = pattern;
    StrokeRender dashed = RenderStroke(style, 0, line);
    EXPECT_LE(dashed.cpuError, 1.0f / 255.0f);
    double length = std::hypot(52.0, 24.0);
    std::vector<ReferenceCurve> outline;
    for (double start = 0; start < length; start += 5)
    {
        double end = std::min(start + 3, length);
        double f0 = start / length, f1 = end / length;
        QuadraticBezier2D piece = Line(float(6 + 52 * f0), float(20 + 24 * f0), float(6 + 52 * f1), float(20 + 24 * f1));
        AddBody(outline, piece, 1.5f);
    }
    CoverageComparison c = CompareWithReference(dashed.alpha, Rasterize(outline), kSize, kSize);
    EXPECT_LE(c.interiorError, 0.02f);
    EXPECT_LE(c.edgeError, 0.35f);
    EXPECT_NEAR(c.ink, c.referenceInk, c.referenceInk * 0.04);
    EXPECT_GE(dashed.pieces, 11);
}

// Dashes that run across sharp corners of a polyline join there like the solid stroke; the
// reference strokes each dash's stretch of the polyline with flat ends and bevel joins.
TEST(StrokeRenderGL, DashesAcrossSharpCorners)
{
    const std::vector<Point2D> points = {{8, 40}, {20, 16}, {28, 44}, {36, 14}, {50, 42}, {56, 20}};
    std::vector<QuadraticBezier2D> path = Polyline(points);
    for (float phase : {0.0f, 3.5f, 7.0f})
    {
        SCOPED_TRACE("phase " + std::to_string(phase));
        StrokeStyle style = MakeStyle(5, 'FLAT', 'BEVL', 1);
        const float pattern[] = {14, 5};
        style.dashCount = 2;
        style.dashArray = pattern;
        style.dashPhase = phase;
        StrokeRender render = RenderStroke(style, 0, path);
        EXPECT_LE(render.cpuError, 1.0f / 255.0f);

        // Cumulative lengths of the polyline, then each dash as its own open polyline.
        std::vector<double> at = {0};
        for (size_t i = 0; i + 1 < points.size(); ++i)
            at.push_back(at.back() + std::hypot(points[i + 1].x - points[i].x, points[i + 1].y - points[i].y));
        auto pointAt = [&](double d) {
            size_t i = 0;
            while (i + 2 < at.size() && at[i + 1] < d) ++i;
            double f = (d - at[i]) / (at[i + 1] - at[i]);
            return Point2D(float(points[i].x + (points[i + 1].x - points[i].x) * f),
                           float(points[i].y + (points[i + 1].y - points[i].y) * f));
        };
        std::vector<ReferenceCurve> outline;
        for (double start = -phase; start < at.back(); start += 19)
        {
            double a = std::max(start, 0.0), b = std::min(start + 14, at.back());
            if (b <= a) continue;
            std::vector<Point2D> dash = {pointAt(a)};
            for (size_t i = 1; i + 1 < points.size(); ++i)
                if (at[i] > a && at[i] < b) dash.push_back(points[i]);
            dash.push_back(pointAt(b));
            std::vector<ReferenceCurve> piece = ReferenceStroke(style, false, Polyline(dash));
            outline.insert(outline.end(), piece.begin(), piece.end());
        }
        CoverageComparison c = CompareWithReference(render.alpha, Rasterize(outline), kSize, kSize);
        EXPECT_LE(c.interiorError, 0.02f);
        EXPECT_LE(c.edgeError, 0.35f);
        EXPECT_NEAR(c.ink, c.referenceInk, c.referenceInk * 0.04);
    }
}

}  // namespace
}  // namespace oq::test
