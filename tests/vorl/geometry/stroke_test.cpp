#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "support/GeometryCapture.h"
#include "support/TexelCapture.h"
#include "vorl/geometry/StrokeCap.h"
#include "vorl/geometry/StrokeJoin.h"
#include "vorl/geometry/StrokeOffsets.h"
#include "vorl/geometry/StrokePath.h"
#include "vorl/geometry/StrokeSegment.h"
#include "vorl/geometry/StrokeStyle.h"

namespace oq {
namespace {

using test::CapturedVertex;
using test::GeometryCapture;
using test::TexelCapture;

constexpr float kRoot2 = 1.41421356f;
const ColorRGBA kColor = {0.25f, 0.5f, 0.75f, 1.0f};

struct Xy
{
    float x, y;
};

// One stroke variant's output memory: room for 64 vertices and triangles from index 100, and a
// texture of 64 x 8 texels.
struct StrokeTarget
{
    explicit StrokeTarget(int32_t variant, int32_t width = 64, int32_t height = 8)
        : variant(variant), geometry(variant & 3, 64, 64, 100), texels((variant & 4) != 0, width, height)
    {
    }

    float Tolerance() const { return (variant & 4) ? 1e-5f : 1e-3f; }

    // Point j (0 or 1) of texel (x, y).
    Xy TexelPoint(int32_t x, int32_t y, int32_t j) const
    {
        std::array<float, 4> t = texels.Texel(x, y);
        return {t[2 * j], t[2 * j + 1]};
    }

    // The block of count texels from (x, y) against a point list of 2 x count points.
    void ExpectBlock(int32_t x, int32_t y, const std::vector<Xy> &points) const
    {
        for (size_t i = 0; i < points.size(); ++i)
        {
            Xy p = TexelPoint(x + int32_t(i / 2), y, int32_t(i % 2));
            float tolerance = Tolerance() * std::max(1.0f, std::fabs(points[i].x) + std::fabs(points[i].y));
            EXPECT_NEAR(p.x, points[i].x, tolerance) << "variant " << variant << " point " << i;
            EXPECT_NEAR(p.y, points[i].y, tolerance) << "variant " << variant << " point " << i;
        }
    }

    void ExpectVertex(int32_t i, Xy position, Xy normal, float tolerance = 1e-5f) const
    {
        CapturedVertex v = geometry.Vertex(i);
        EXPECT_NEAR(v.position[0], position.x, tolerance) << "variant " << variant << " vertex " << i;
        EXPECT_NEAR(v.position[1], position.y, tolerance) << "variant " << variant << " vertex " << i;
        EXPECT_NEAR(v.normal[0], normal.x, tolerance) << "variant " << variant << " vertex " << i;
        EXPECT_NEAR(v.normal[1], normal.y, tolerance) << "variant " << variant << " vertex " << i;
    }

    void ExpectTriangles(int32_t first, const std::vector<std::array<uint32_t, 3>> &triangles) const
    {
        for (size_t i = 0; i < triangles.size(); ++i)
            EXPECT_EQ(geometry.Triangle(first + int32_t(i)), triangles[i]) << "variant " << variant << " triangle " << i;
    }

    int32_t variant;
    GeometryCapture geometry;
    TexelCapture texels;
};

StrokeOffsets Offsets(const QuadraticBezier2D &curve, float w = 0.1f)
{
    StrokeOffsets record;
    GetStrokeOffsets(curve, w, &record);
    return record;
}

QuadraticBezier2D Line(float x0, float y0, float x1, float y1)
{
    return QuadraticBezier2D(Point2D(x0, y0), Point2D(x1, y1), Point2D(x1, y1));
}

// ---------------------------------------------------------------------------------------------
// Caps

struct CapCase
{
    uint32_t cap;
    int32_t texels;
    uint32_t bandLimits;
    std::vector<Xy> points;
};

TEST(StrokeCap, EveryStyleInEveryVariant)
{
    const float a = 0.038268343f, b = 0.070710677f;
    const CapCase cases[] = {
        {'TRIA', 4, 0x06000000, {{0, 0.1f}, {-0.1f, 0}, {0, -0.1f}, {0.1f, 0}, {0.1f, 0}, {0, 0.1f}, {0, 0.1f}, {0, 0}}},
        {'SQUA', 5, 0x08000000,
         {{0, 0.1f}, {-0.1f, 0}, {0, -0.1f}, {0.1f, -0.1f}, {0.1f, -0.1f}, {0.1f, 0.1f}, {0.1f, 0.1f}, {0, 0.1f},
          {0, 0.1f}, {0, 0}}},
        {'ROND', 6, 0x0A000000,
         {{0, 0.1f}, {-0.1f, 0}, {0, -0.1f}, {a, -0.1f}, {b, -b}, {0.1f, -a}, {0.1f, 0}, {0.1f, a}, {b, b}, {a, 0.1f},
          {0, 0.1f}, {0, 0}}},
    };
    StrokeEnd end = {{0, 0}, {1, 0}, {0, 0.1f}, {0, -0.1f}};
    for (int32_t variant = 0; variant < 8; ++variant)
    {
        for (const CapCase &c : cases)
        {
            StrokeTarget target(variant);
            kWriteStrokeCapVariants[variant](end, 1.0f, Vector2D(0, 0), 0.1f, kColor, c.cap, &target.geometry.buffer,
                                             &target.texels.buffer, true);
            ASSERT_EQ(target.geometry.VertexCount(), 4);
            ASSERT_EQ(target.geometry.TriangleCount(), 2);
            EXPECT_EQ(target.geometry.buffer.vertexIndex, 104u);
            target.ExpectVertex(0, {0, 0.1f}, {0, 1});
            target.ExpectVertex(1, {0, -0.1f}, {0, -1});
            target.ExpectVertex(2, {0.1f, 0.1f}, {1, 1});
            target.ExpectVertex(3, {0.1f, -0.1f}, {1, -1});
            target.ExpectTriangles(0, {{100, 103, 101}, {100, 102, 103}});
            CapturedVertex v = target.geometry.Vertex(2);
            EXPECT_EQ(v.bandLimits, c.bandLimits);
            EXPECT_EQ(v.bandLocation, 0u);
            EXPECT_FLOAT_EQ(v.jacobian[0], 1.0f);
            EXPECT_EQ(v.colorBytes[0], 64);
            EXPECT_EQ(v.colorBytes[2], 191);
            target.ExpectBlock(0, 0, c.points);
            EXPECT_EQ(target.texels.buffer.cursorX, c.texels);
            EXPECT_TRUE(target.texels.Untouched(c.texels, 0));
        }
        // Flat, 0 and unknown caps write nothing.
        for (uint32_t cap : {uint32_t('FLAT'), 0u, uint32_t('XXXX')})
        {
            StrokeTarget target(variant);
            kWriteStrokeCapVariants[variant](end, 1.0f, Vector2D(0, 0), 0.1f, kColor, cap, &target.geometry.buffer,
                                             &target.texels.buffer, true);
            EXPECT_EQ(target.geometry.VertexCount(), 0);
            EXPECT_EQ(target.geometry.buffer.vertexIndex, 100u);
            EXPECT_EQ(target.texels.buffer.cursorX, 0);
            EXPECT_TRUE(target.texels.Untouched(0, 0));
        }
    }
}

TEST(StrokeCap, StartCapWrapEmSpaceAndCountingPass)
{
    // The start of a piece running to the right: the cap faces -x.
    StrokeTarget start(0);
    StrokeEnd outside = {{0, 0}, {-1, 0}, {0, -0.1f}, {0, 0.1f}};
    kWriteStrokeCapVariants[0](outside, 1.0f, Vector2D(0, 0), 0.1f, kColor, 'ROND', &start.geometry.buffer,
                               &start.texels.buffer, true);
    start.ExpectVertex(0, {0, -0.1f}, {0, -1});
    start.ExpectVertex(1, {0, 0.1f}, {0, 1});
    start.ExpectVertex(2, {-0.1f, -0.1f}, {-1, -1});
    start.ExpectVertex(3, {-0.1f, 0.1f}, {-1, 1});
    start.ExpectBlock(0, 0, {{0, -0.1f}, {0.1f, 0}});  // the back edge bulges into the piece

    // A block that does not fit the rest of its row.
    StrokeTarget wrap(4);
    wrap.texels.buffer.cursorX = 61;
    wrap.texels.buffer.cursorY = 2;
    StrokeEnd end = {{0, 0}, {1, 0}, {0, 0.1f}, {0, -0.1f}};
    kWriteStrokeCapVariants[4](end, 2.0f, Vector2D(0.5f, 0.25f), 0.1f, kColor, 'TRIA', &wrap.geometry.buffer,
                               &wrap.texels.buffer, true);
    for (int32_t x = 61; x < 64; ++x) EXPECT_EQ(wrap.texels.Texel(x, 2), (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_EQ(wrap.geometry.Vertex(0).bandLocation, 0x00030000u);
    EXPECT_EQ(wrap.texels.buffer.cursorX, 4);
    EXPECT_EQ(wrap.texels.buffer.cursorY, 3);
    // With s = 2 and o = (0.5, 0.25) the left point (0, 0.1) is stored as (0.5, 0.45).
    wrap.ExpectBlock(0, 3, {{0.5f, 0.45f}});
    EXPECT_NEAR(wrap.geometry.Vertex(0).texcoord[1], 0.45f, 1e-6f);

    // Counting: the cursors move, nothing is stored but the zeroed tail of a wrapped row.
    StrokeTarget count(0);
    count.texels.buffer.cursorX = 60;
    kWriteStrokeCapVariants[0](end, 1.0f, Vector2D(0, 0), 0.1f, kColor, 'ROND', &count.geometry.buffer,
                               &count.texels.buffer, false);
    EXPECT_EQ(count.geometry.VertexCount(), 4);
    EXPECT_EQ(count.geometry.TriangleCount(), 2);
    EXPECT_EQ(count.texels.buffer.cursorX, 6);
    EXPECT_EQ(count.texels.buffer.cursorY, 1);
    EXPECT_EQ(count.texels.Texel(63, 0), (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_TRUE(count.texels.Untouched(0, 1));
}

// ---------------------------------------------------------------------------------------------
// Joins

// The right-angle corner of the examples: the previous piece ends at (0, 0) going +x, the current
// one starts there going +y (left turn) or -y (right turn).
struct Corner
{
    StrokeEnd previous;
    StrokeOffsets current;
};

Corner MakeCorner(const Vector2D &tB, float w = 0.1f)
{
    Corner corner;
    corner.previous = {{0, 0}, {1, 0}, {0, w}, {0, -w}};
    Vector2D n(-tB.y * w, tB.x * w);
    corner.current = {};
    corner.current.start = {{0, 0}, tB, Point2D(n.x, n.y), Point2D(-n.x, -n.y)};
    return corner;
}

std::unique_ptr<StrokeTarget> RunJoin(int32_t variant, bool straight, const Corner &corner, uint32_t join, float limit,
                                      bool write = true)
{
    auto target = std::make_unique<StrokeTarget>(variant);
    const WriteStrokeJoinFunction *family = straight ? kWriteStraightStrokeJoinVariants : kWriteStrokeJoinVariants;
    family[variant](corner.previous, corner.current, 1.0f, Vector2D(0, 0), 0.1f, kColor, join, limit,
                    &target->geometry.buffer, &target->texels.buffer, write);
    return target;
}

struct JoinCase
{
    const char *name;
    bool straight;
    bool leftTurn;
    uint32_t join;
    float limit;
    std::vector<std::pair<Xy, Xy>> vertices;  // position, normal
    std::vector<std::array<uint32_t, 3>> triangles;
    std::vector<Xy> points;
    uint32_t bandLimits;
};

TEST(StrokeJoin, RightAngleCornersInEveryVariant)
{
    const float r = kRoot2;
    const Xy I = {-0.1f, 0.1f}, AR = {0, -0.1f}, AL = {0, 0.1f}, BR = {0.1f, 0}, BL = {-0.1f, 0}, T = {0.1f, -0.1f};
    const Xy Q = {0.05f * r, -0.05f * r}, C1 = {0.1f * (r - 1), -0.1f}, C2 = {0.1f, -0.1f * (r - 1)};
    const Xy KA = {-0.05f - 0.1f * r, 0}, KB = {0, 0.05f + 0.1f * r};
    const Xy O = {0, 0};
    const JoinCase cases[] = {
        {"straight miter", true, true, 'BEVL', 4.0f,
         {{I, {-1, 1}}, {BR, {1, 0}}, {AR, {0, -1}}, {T, {1, -1}}},
         {{100, 101, 102}, {101, 103, 102}},
         {I, KA, AR, T, T, BR, BR, KB, I, O},
         0x08000000},
        {"straight bevel", true, true, 'BEVL', 1.0f,
         {{I, {-1, 1}}, {BR, {1, 0}}, {AR, {0, -1}}},
         {{100, 101, 102}},
         {I, KA, AR, BR, BR, KB, I, O},
         0x06000000},
        {"straight round", true, true, 'ROND', 1.0f,
         {{I, {-1, 1}}, {BR, {1, 0}}, {AR, {0, -1}}, {C2, {1 + 0.5f * r, -0.5f * r}}, {C1, {0.5f * r, -1 - 0.5f * r}}},
         {{100, 101, 102}, {101, 103, 104}, {101, 104, 102}},
         {I, KA, AR, C1, Q, C2, BR, KB, I, O},
         0x08000000},
        {"general bevel", false, true, 'BEVL', 1.0f,
         {{AL, {0, 1}}, {AR, {0, -1}}, {BL, {-1, 0}}, {BR, {1, 0}}},
         {{100, 101, 102}, {100, 103, 101}},
         {BL, {-0.05f - 0.1f * r, -0.05f}, AR, BR, BR, {0.05f, 0.05f + 0.1f * r}, AL, BL, BL, O},
         0x08000000},
        {"general round", false, true, 'ROND', 1.0f,
         {{AL, {0, 1}}, {AR, {0, -1}}, {BL, {-1, 0}}, {BR, {1, 0}}, {C1, {0.5f * r, -1 - 0.5f * r}},
          {C2, {1 + 0.5f * r, -0.5f * r}}},
         {{100, 101, 102}, {100, 103, 101}, {101, 103, 104}, {103, 105, 104}},
         {BL, {-0.05f - 0.1f * r, -0.05f}, AR, C1, Q, C2, BR, {0.05f, 0.05f + 0.1f * r}, AL, BL, BL, O},
         0x0A000000},
        // The mirrored right turn: B_in = BR' = (-0.1, 0), B_out = BL' = (0.1, 0).
        {"straight bevel right", true, false, 'BEVL', 1.0f,
         {{{-0.1f, -0.1f}, {-1, -1}}, {AL, {0, 1}}, {{0.1f, 0}, {1, 0}}},
         {{100, 101, 102}},
         {{-0.1f, -0.1f}, {0, -0.05f - 0.1f * r}, {0.1f, 0}, AL, AL, KA, {-0.1f, -0.1f}, O},
         0x06000000},
        {"general miter right", false, false, 'BEVL', 4.0f,
         {{AL, {0, 1}}, {AR, {0, -1}}, {{0.1f, 0}, {1, 0}}, {{-0.1f, 0}, {-1, 0}}, {{0.1f, 0.1f}, {1, 1}}},
         {{100, 102, 101}, {100, 101, 103}, {100, 104, 102}},
         {AR, {0.05f, -0.05f - 0.1f * r}, {0.1f, 0}, {0.1f, 0.1f}, {0.1f, 0.1f}, AL, AL, {-0.05f - 0.1f * r, 0.05f},
          {-0.1f, 0}, AR, AR, O},
         0x0A000000},
    };
    for (int32_t variant = 0; variant < 8; ++variant)
    {
        for (const JoinCase &c : cases)
        {
            SCOPED_TRACE(c.name);
            Corner corner = MakeCorner(c.leftTurn ? Vector2D(0, 1) : Vector2D(0, -1));
            auto target = RunJoin(variant, c.straight, corner, c.join, c.limit);
            ASSERT_EQ(target->geometry.VertexCount(), int32_t(c.vertices.size()));
            ASSERT_EQ(target->geometry.TriangleCount(), int32_t(c.triangles.size()));
            EXPECT_EQ(target->geometry.buffer.vertexIndex, 100 + c.vertices.size());
            for (size_t i = 0; i < c.vertices.size(); ++i)
                target->ExpectVertex(int32_t(i), c.vertices[i].first, c.vertices[i].second, 2e-6f);
            target->ExpectTriangles(0, c.triangles);
            target->ExpectBlock(0, 0, c.points);
            EXPECT_EQ(target->texels.buffer.cursorX, int32_t(c.points.size() / 2));
            EXPECT_EQ(target->geometry.Vertex(0).bandLimits, c.bandLimits);
            EXPECT_EQ(target->geometry.Vertex(0).bandLocation, 0u);
        }
    }
}

TEST(StrokeJoin, NearReversalsAndTinyTurns)
{
    // Any style other than bevel and round miters at every ratio: a turn 2^-12 short of a reversal
    // puts the tip and the inner corner 819.2 units from the corner.
    float delta = 1.0f / 4096.0f;
    Corner reversal = MakeCorner(Vector2D(-std::cos(delta), std::sin(delta)));
    auto miter = RunJoin(0, true, reversal, 'MITR', 4.0f);
    ASSERT_EQ(miter->geometry.VertexCount(), 4);
    CapturedVertex inner = miter->geometry.Vertex(0);
    CapturedVertex tip = miter->geometry.Vertex(3);
    EXPECT_NEAR(std::hypot(tip.position[0], tip.position[1]), 819.2f, 0.5f);
    EXPECT_NEAR(std::hypot(inner.position[0], inner.position[1]), 819.2f, 0.5f);
    EXPECT_LT(inner.position[0], -800.0f);  // back along the previous piece

    // A turn of 2^-11 radians where r^2 computes to 1: a miter limit of 1 is not above it, so
    // style 'ROND' takes its row for r^2 not above 1: the miter polygon with the round contour.
    Corner slight = MakeCorner(Vector2D(0.99999988f, 1.0f / 2048.0f));
    for (int32_t variant : {0, 4})
    {
        for (bool straight : {true, false})
        {
            auto rounded = RunJoin(variant, straight, slight, 'ROND', 1.0f);
            EXPECT_EQ(rounded->geometry.VertexCount(), straight ? 4 : 5);
            EXPECT_EQ(rounded->geometry.TriangleCount(), straight ? 2 : 3);
            EXPECT_EQ(rounded->texels.buffer.cursorX, straight ? 5 : 6);
            // C1, Q and C2 follow A_out and stay beside it.
            for (int32_t i = 3; i < 6; ++i)
            {
                Xy p = rounded->TexelPoint(i / 2, 0, i % 2);
                EXPECT_NEAR(p.x, 0.0f, 1e-4f);
                EXPECT_NEAR(p.y, -0.1f, 1e-4f);
            }
        }
    }

    // Where the arc's chord runs parallel to a tangent the arc control points are the outer
    // points; no vertex or texel is left infinite or NaN.
    Corner parallel = slight;
    parallel.current.start.right = Point2D(0.00005f, -0.1f);
    for (bool straight : {true, false})
    {
        auto rounded = RunJoin(4, straight, parallel, 'ROND', 0.5f);
        for (int32_t i = 0; i < rounded->geometry.VertexCount(); ++i)
        {
            CapturedVertex v = rounded->geometry.Vertex(i);
            EXPECT_TRUE(std::isfinite(v.position[0]) && std::isfinite(v.position[1]));
            EXPECT_TRUE(std::isfinite(v.normal[0]) && std::isfinite(v.normal[1]));
            EXPECT_TRUE(std::isfinite(v.texcoord[0]) && std::isfinite(v.texcoord[1]));
        }
        for (int32_t i = 0; i < 12; ++i)
        {
            Xy p = rounded->TexelPoint(i / 2, 0, i % 2);
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << i;
        }
        Xy c1 = rounded->TexelPoint(1, 0, 1);
        EXPECT_EQ(c1.x, 0.0f);
        EXPECT_FLOAT_EQ(c1.y, -0.1f);
    }
}

TEST(StrokeJoin, RowWrapAndCountingPass)
{
    Corner corner = MakeCorner(Vector2D(0, 1));
    for (int32_t variant : {0, 7})
    {
        StrokeTarget target(variant);
        target.texels.buffer.cursorX = 62;
        target.texels.buffer.cursorY = 3;
        kWriteStraightStrokeJoinVariants[variant](corner.previous, corner.current, 1.0f, Vector2D(0, 0), 0.1f, kColor,
                                                  'BEVL', 4.0f, &target.geometry.buffer, &target.texels.buffer, true);
        EXPECT_EQ(target.texels.Texel(62, 3), (std::array<float, 4>{0, 0, 0, 0}));
        EXPECT_EQ(target.texels.Texel(63, 3), (std::array<float, 4>{0, 0, 0, 0}));
        EXPECT_EQ(target.geometry.Vertex(0).bandLocation, 0x00040000u);
        EXPECT_EQ(target.texels.buffer.cursorX, 5);
        EXPECT_EQ(target.texels.buffer.cursorY, 4);
    }
    auto count = RunJoin(0, false, corner, 'ROND', 1.0f, false);
    EXPECT_EQ(count->geometry.VertexCount(), 6);
    EXPECT_EQ(count->geometry.TriangleCount(), 4);
    EXPECT_EQ(count->geometry.buffer.vertexIndex, 106u);
    EXPECT_EQ(count->texels.buffer.cursorX, 6);
    EXPECT_TRUE(count->texels.Untouched(0, 0));
}

// ---------------------------------------------------------------------------------------------
// Segments


std::unique_ptr<StrokeTarget> RunSegment(int32_t variant, const QuadraticBezier2D &curve, uint32_t startCap,
                                         uint32_t endCap, uint32_t join = 'BEVL', const StrokeOffsets *previous = nullptr,
                                         bool write = true)
{
    auto target = std::make_unique<StrokeTarget>(variant);
    StrokeOffsets current = Offsets(curve);
    StrokeOffsets before = previous != nullptr ? *previous : current;
    StrokeOffsets after = current;
    kBuildStrokeSegmentVariants[variant](curve, &current, before, after, 0.1f, kColor, startCap, endCap, join, 4.0f,
                                         &target->geometry.buffer, &target->texels.buffer, write, 0);
    return target;
}

TEST(StrokeSegment, StraightPieceWithEachCap)
{
    QuadraticBezier2D piece(Point2D(0, 0), Point2D(0.5f, 0), Point2D(1, 0));
    for (int32_t variant = 0; variant < 8; ++variant)
    {
        auto flat = RunSegment(variant, piece, 'FLAT', 'FLAT');
        ASSERT_EQ(flat->geometry.VertexCount(), 4);
        flat->ExpectVertex(0, {0, 0.1f}, {-1, 1});
        flat->ExpectVertex(1, {0, -0.1f}, {-1, -1});
        flat->ExpectVertex(2, {1, 0.1f}, {1, 1});
        flat->ExpectVertex(3, {1, -0.1f}, {1, -1});
        flat->ExpectTriangles(0, {{100, 103, 101}, {100, 102, 103}});
        flat->ExpectBlock(0, 0, {{0, -0.1f}, {1, -0.1f}, {1, -0.1f}, {1, 0.1f}, {1, 0.1f}, {0, 0.1f}, {0, 0.1f},
                                 {0, -0.1f}, {0, -0.1f}, {0, 0}});
        CapturedVertex v = flat->geometry.Vertex(3);
        EXPECT_EQ(v.bandLocation, 0u);
        EXPECT_EQ(v.bandLimits, 0x08000000u);
        EXPECT_EQ(v.colorBytes[1], 128);
        EXPECT_FLOAT_EQ(v.texcoord[0], 1.0f);
        EXPECT_EQ(flat->texels.buffer.cursorX, 5);
        EXPECT_EQ(flat->geometry.buffer.vertexIndex, 104u);

        // Square caps lengthen a straight piece by w at both ends and write no cap.
        auto square = RunSegment(variant, piece, 'SQUA', 'SQUA');
        ASSERT_EQ(square->geometry.VertexCount(), 4);
        EXPECT_EQ(square->geometry.TriangleCount(), 2);
        square->ExpectVertex(0, {-0.1f, 0.1f}, {-1, 1});
        square->ExpectVertex(3, {1.1f, -0.1f}, {1, -1});
        square->ExpectBlock(0, 0, {{-0.1f, -0.1f}, {1.1f, -0.1f}});
        EXPECT_EQ(square->texels.buffer.cursorX, 5);

        // Round caps: the body's ends bulge by w and two cap blocks follow.
        auto round = RunSegment(variant, piece, 'ROND', 'ROND');
        ASSERT_EQ(round->geometry.VertexCount(), 12);
        round->ExpectVertex(0, {0, 0.1f}, {0, 1});
        round->ExpectVertex(3, {1, -0.1f}, {0, -1});
        round->ExpectBlock(1, 0, {{1, -0.1f}, {1.1f, 0}});
        round->ExpectBlock(3, 0, {{0, 0.1f}, {-0.1f, 0}});
        round->ExpectVertex(6, {-0.1f, -0.1f}, {-1, -1});  // start cap faces -x
        round->ExpectVertex(10, {1.1f, 0.1f}, {1, 1});     // end cap faces +x
        EXPECT_EQ(round->texels.buffer.cursorX, 17);
    }
}

TEST(StrokeSegment, CurvesSplitAndSampleAsInTheExamples)
{
    QuadraticBezier2D corner(Point2D(0, 0), Point2D(1, 0), Point2D(1, 1));
    for (int32_t variant = 0; variant < 8; ++variant)
    {
        auto split = RunSegment(variant, corner, 'ROND', 'ROND');
        ASSERT_EQ(split->geometry.VertexCount(), 24);
        ASSERT_EQ(split->geometry.TriangleCount(), 16);
        EXPECT_EQ(split->texels.buffer.cursorX, 22);
        split->ExpectVertex(2, {0.26623f, -0.1f}, {0.31623f, -1.94868f}, 1e-4f);
        split->ExpectTriangles(0, {{100, 102, 101}, {103, 104, 102}, {100, 103, 102}, {103, 105, 104},
                                   {106, 107, 105}, {103, 106, 105}});
        // Buffer order: first body, start cap, second body, end cap.
        const uint32_t locations[] = {0, 5, 11, 16};
        const uint32_t limits[] = {0x08000000, 0x0A000000, 0x08000000, 0x0A000000};
        const int32_t firstVertex[] = {0, 8, 12, 20};
        for (int k = 0; k < 4; ++k)
        {
            CapturedVertex v = split->geometry.Vertex(firstVertex[k]);
            EXPECT_EQ(v.bandLocation, locations[k]);
            EXPECT_EQ(v.bandLimits, limits[k]);
            EXPECT_NEAR(v.jacobian[0], 4.0f / 3.0f, 1e-5f);
        }
    }

    // A curve turning 135 degrees: split at depth 0, its first half again: bodies of 5, 11, 11.
    auto twice = RunSegment(0, QuadraticBezier2D(Point2D(0, 0), Point2D(3, 0), Point2D(0, 3)), 'FLAT', 'FLAT');
    EXPECT_EQ(twice->geometry.VertexCount(), 27);
    EXPECT_EQ(twice->geometry.Vertex(4).bandLocation, 0u);
    EXPECT_EQ(twice->geometry.Vertex(5).bandLocation, 5u);
    EXPECT_EQ(twice->geometry.Vertex(15).bandLocation, 5u);
    EXPECT_EQ(twice->geometry.Vertex(16).bandLocation, 10u);
    EXPECT_EQ(twice->texels.buffer.cursorX, 15);

    // Out along a line and back: split at the turning point (4/3, 0).
    auto back = RunSegment(4, QuadraticBezier2D(Point2D(0, 0), Point2D(2, 0), Point2D(1, 0)), 'ROND', 'ROND', 'ROND');
    EXPECT_EQ(back->geometry.VertexCount(), 20);
    EXPECT_EQ(back->geometry.TriangleCount(), 10);
    EXPECT_EQ(back->texels.buffer.cursorX, 28);
    back->ExpectBlock(1, 0, {{1, -0.075f}, {1.075f, 0}});
}

TEST(StrokeSegment, ReversalPointWrapAndCountingPass)
{
    // A reversal with bevel joins starts flat: no cap, the start normals lean back.
    StrokeOffsets previous = Offsets(Line(2, 0, 0, 0));
    auto reversal = RunSegment(0, QuadraticBezier2D(Point2D(0, 0), Point2D(0.5f, 0), Point2D(1, 0)), 0, 'FLAT',
                               'BEVL', &previous);
    ASSERT_EQ(reversal->geometry.VertexCount(), 4);
    reversal->ExpectVertex(0, {0, 0.1f}, {-1, 1});
    reversal->ExpectVertex(1, {0, -0.1f}, {-1, -1});
    reversal->ExpectBlock(3, 0, {{0, 0.1f}, {0, -0.1f}});

    // A single point with round caps: a dot of two caps in the em space of scale 1/w.
    for (int32_t variant = 0; variant < 8; ++variant)
    {
        auto dot = RunSegment(variant, QuadraticBezier2D(Point2D(2, 3), Point2D(2, 3), Point2D(2, 3)), 'ROND', 'ROND');
        ASSERT_EQ(dot->geometry.VertexCount(), 8);
        EXPECT_EQ(dot->geometry.TriangleCount(), 4);
        EXPECT_EQ(dot->texels.buffer.cursorX, 12);
        const Xy expected[] = {{2, 2.9f}, {2, 3.1f}, {1.9f, 2.9f}, {1.9f, 3.1f}, {2, 3.1f}, {2, 2.9f}, {2.1f, 3.1f}, {2.1f, 2.9f}};
        for (int32_t i = 0; i < 8; ++i)
        {
            CapturedVertex v = dot->geometry.Vertex(i);
            EXPECT_NEAR(v.position[0], expected[i].x, 1e-5f);
            EXPECT_NEAR(v.position[1], expected[i].y, 1e-5f);
            EXPECT_FLOAT_EQ(v.jacobian[0], 10.0f);
        }
        dot->ExpectBlock(0, 0, {{0, -1}});  // (2, 2.9) in em space: (2, 2.9) * 10 + (-20, -30)
    }

    // A block that does not fit the rest of the row.
    StrokeTarget wrap(1);
    wrap.texels.buffer.cursorX = 62;
    wrap.texels.buffer.cursorY = 3;
    QuadraticBezier2D piece(Point2D(0, 0), Point2D(0.5f, 0), Point2D(1, 0));
    StrokeOffsets record = Offsets(piece);
    kBuildStrokeSegmentVariants[1](piece, &record, record, record, 0.1f, kColor, 'FLAT', 'FLAT', 'BEVL', 4.0f,
                                   &wrap.geometry.buffer, &wrap.texels.buffer, true, 0);
    EXPECT_EQ(wrap.texels.Texel(62, 3), (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_EQ(wrap.texels.Texel(63, 3), (std::array<float, 4>{0, 0, 0, 0}));
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(wrap.geometry.Vertex(i).bandLocation, 0x00040000u);
    EXPECT_EQ(wrap.texels.buffer.cursorX, 5);
    EXPECT_EQ(wrap.texels.buffer.cursorY, 4);

    // Counting with no texel memory moves everything as the build does.
    QuadraticBezier2D corner(Point2D(0, 0), Point2D(1, 0), Point2D(1, 1));
    StrokeOffsets cornerRecord = Offsets(corner);
    GeometryCapture geometry(0, 0, 0, 100);
    TexelBuffer none = {nullptr, 0, 64, 8, 0, 0};
    kBuildStrokeSegmentVariants[0](corner, &cornerRecord, cornerRecord, cornerRecord, 0.1f, kColor, 'ROND', 'ROND',
                                   'BEVL', 4.0f, &geometry.buffer, &none, false, 0);
    EXPECT_EQ(geometry.buffer.vertexIndex, 124u);
    EXPECT_EQ(geometry.VertexCount(), 24);
    EXPECT_EQ(geometry.TriangleCount(), 16);
    EXPECT_EQ(none.cursorX, 22);
    EXPECT_EQ(none.cursorY, 0);
}

// ---------------------------------------------------------------------------------------------
// Curve services

TEST(StrokeOffsetsTest, PointsControlPointsAndArcParameters)
{
    StrokeOffsets point = Offsets(QuadraticBezier2D(Point2D(1, 1), Point2D(1.0003f, 1), Point2D(1, 1.0002f)));
    EXPECT_EQ(point.point, 1);
    EXPECT_EQ(point.start.direction, Vector2D(1, 0));
    EXPECT_EQ(point.end.direction, Vector2D(1, 0));
    EXPECT_FLOAT_EQ(point.start.left.y, 1.1f);
    EXPECT_FLOAT_EQ(point.end.right.y, 0.9002f);

    // A control point at an end gives tangents along the chord.
    StrokeOffsets line = Offsets(Line(0, 0, 3, 4));
    EXPECT_EQ(line.point, 0);
    EXPECT_NEAR(line.start.direction.x, 0.6f, 1e-6f);
    EXPECT_NEAR(line.end.direction.y, 0.8f, 1e-6f);
    EXPECT_NEAR(line.turn, 0.0f, 1e-6f);
    EXPECT_NEAR(line.start.left.x, -0.08f, 1e-6f);

    QuadraticBezier2D curve(Point2D(0, 0), Point2D(1, 0), Point2D(1, 1));
    EXPECT_EQ(GetParameterAtArcLength(curve, 0.0f), 0.0f);
    float length = GetStrokeArcLength(curve);
    EXPECT_EQ(GetParameterAtArcLength(curve, length), 1.0f);
    EXPECT_EQ(GetParameterAtArcLength(curve, length * 2), 1.0f);
    EXPECT_NEAR(GetParameterAtArcLength(curve, length * 0.5f), 0.5f, 1e-3f);  // symmetric curve

    // The tabled lengths are the sums of the curve's own sixteenth arc lengths, bit for bit.
    for (const QuadraticBezier2D &c : {curve, QuadraticBezier2D(Point2D(-3, 7), Point2D(40, -2), Point2D(1.5f, 0.25f)),
                                       Line(0, 0, 5, 0)})
    {
        float lengths[16];
        GetStrokeArcLengths(c, lengths);
        float sum = 0.0f;
        for (int k = 0; k < 16; ++k)
        {
            sum += c.GetArcLength(float(k) * 0.0625f, float(k + 1) * 0.0625f);
            EXPECT_EQ(lengths[k], sum) << k;
        }
    }

    bool flags[5];
    EXPECT_EQ(GetStrokeSamples(curve, flags), 5);  // 90 degrees: both halves turn 45
    QuadraticBezier2D half(Point2D(0, 0), Point2D(0.5f, 0), Point2D(0.75f, 0.25f));
    EXPECT_EQ(GetStrokeSamples(half, flags), 3);   // 45 degrees: the middle only
    EXPECT_TRUE(flags[0] && flags[2] && flags[4] && !flags[1] && !flags[3]);
    EXPECT_EQ(GetStrokeSamples(QuadraticBezier2D(Point2D(0, 0), Point2D(1, 0), Point2D(2, 0.36f)), flags), 2);
    Point2D middle = Evaluate(curve, 0.5f);
    EXPECT_FLOAT_EQ(middle.x, 0.75f);
    EXPECT_FLOAT_EQ(middle.y, 0.25f);
}

// ---------------------------------------------------------------------------------------------
// Paths

StrokeStyle MakeStyle(uint32_t cap = 'FLAT', uint32_t join = 'BEVL', float width = 0.2f)
{
    StrokeStyle style;
    ResetStrokeStyle(&style);
    style.width = width;
    style.color = kColor;
    style.cap = cap;
    style.join = join;
    return style;
}

// A path built into exact-size memory after counting it: vertices, triangles and texels.
struct BuiltStroke
{
    BuiltStroke(int32_t variant, const StrokeStyle &style, uint32_t flags, const std::vector<QuadraticBezier2D> &curves,
                int32_t width = 64, int32_t height = 64)
    {
        int32_t cursor[2] = {0, 0};
        CountStrokeGeometry(style, flags, int32_t(curves.size()), curves.data(), width, height, cursor, &vertexCount,
                            &triangleCount, nullptr);
        countedCursor[0] = cursor[0];
        countedCursor[1] = cursor[1];
        geometry = std::make_unique<GeometryCapture>(variant & 3, vertexCount, triangleCount, 0);
        texels = std::make_unique<TexelCapture>((variant & 4) != 0, width, height);
        built = BuildStrokeGeometry(style, flags, int32_t(curves.size()), curves.data(), &texels->buffer,
                                    &geometry->buffer, nullptr);
    }

    // Positions, normals and the per-vertex words, for comparing two builds.
    std::vector<float> Vertices() const
    {
        std::vector<float> values;
        for (int32_t i = 0; i < geometry->VertexCount(); ++i)
        {
            CapturedVertex v = geometry->Vertex(i);
            values.insert(values.end(), {v.position[0], v.position[1], v.normal[0], v.normal[1], v.texcoord[0],
                                         v.texcoord[1], float(v.bandLocation), float(v.bandLimits >> 24)});
        }
        return values;
    }

    int32_t vertexCount = 0;
    int32_t triangleCount = 0;
    int32_t countedCursor[2] = {0, 0};
    bool built = false;
    std::unique_ptr<GeometryCapture> geometry;
    std::unique_ptr<TexelCapture> texels;
};

std::vector<QuadraticBezier2D> Square(float x, float y, float side)
{
    return {Line(x, y, x + side, y), Line(x + side, y, x + side, y + side), Line(x + side, y + side, x, y + side),
            Line(x, y + side, x, y)};
}

// A straight joint ends both pieces' inner edges at the inner corner; where that corner would lie
// behind the start of a short piece, the pieces take the general join over their butt ends.
TEST(StrokePath, StraightJointsOnlyWhereTheInnerCornerLiesWithinBothPieces)
{
    StrokeStyle style = MakeStyle('FLAT', 'BEVL', 8.0f);
    style.miterLimit = 1.0f;
    for (float scale : {1.0f, 10.0f})
    {
        // Turns of about 137 degrees: the inner corner lies 10.7 units back along each piece.
        std::vector<QuadraticBezier2D> zigzag = {Line(0, 0, 3 * scale, -8 * scale),
                                                 Line(3 * scale, -8 * scale, 6 * scale, 0)};
        BuiltStroke stroke(0, style, 0, zigzag);
        // The join comes first in the second piece's output: 3 vertices (straight bevel) or 4 (general).
        int32_t joinVertices = 0;
        uint32_t joinLocation = stroke.geometry->Vertex(4).bandLocation;
        for (int32_t i = 4; i < stroke.vertexCount && stroke.geometry->Vertex(i).bandLocation == joinLocation; ++i)
            ++joinVertices;
        EXPECT_EQ(joinVertices, scale == 1.0f ? 4 : 3) << scale;
        EXPECT_EQ(stroke.vertexCount, 4 + joinVertices + 4);
    }
}

TEST(StrokePath, ClosedContoursJoinAtTheSeamAndContoursSplit)
{
    std::vector<QuadraticBezier2D> square = Square(0, 0, 1);
    StrokeStyle style = MakeStyle('ROND');
    // Closed: four miter joins (4 vertices each) and four bodies, no caps.
    BuiltStroke closed(0, style, kStrokeClosed, square);
    EXPECT_TRUE(closed.built);
    EXPECT_EQ(closed.vertexCount, 32);
    EXPECT_EQ(closed.triangleCount, 16);
    // Open: three joins, four bodies and two round caps.
    BuiltStroke open(0, style, 0, square);
    EXPECT_EQ(open.vertexCount, 3 * 4 + 4 * 4 + 2 * 4);
    EXPECT_EQ(open.geometry->Vertex(0).bandLimits, 0x08000000u);  // the first body comes first

    // Two closed squares in one array are stroked one after the other.
    std::vector<QuadraticBezier2D> two = square;
    std::vector<QuadraticBezier2D> second = Square(3, 0, 1);
    two.insert(two.end(), second.begin(), second.end());
    BuiltStroke both(0, style, kStrokeClosed | kStrokeContours, two);
    EXPECT_EQ(both.vertexCount, 64);
    EXPECT_EQ(both.countedCursor[0], both.texels->buffer.cursorX);

    // A curve that ends where it starts is a contour of its own and is only drawn as a round dot.
    std::vector<QuadraticBezier2D> dot = {QuadraticBezier2D(Point2D(5, 5), Point2D(5, 5), Point2D(5, 5))};
    EXPECT_EQ(BuiltStroke(0, style, kStrokeClosed, dot).vertexCount, 8);
    EXPECT_EQ(BuiltStroke(0, MakeStyle('SQUA'), 0, dot).vertexCount, 0);
    std::vector<QuadraticBezier2D> dots = {dot[0], dot[0]};
    EXPECT_EQ(BuiltStroke(0, style, 0, dots).vertexCount, 0);

    // A curve at an end that returns to its start is trimmed only when its control point is there
    // too: a spur to a distant control point is drawn.
    std::vector<QuadraticBezier2D> spur = {Line(0, 0, 1, 0), QuadraticBezier2D(Point2D(1, 0), Point2D(1, 2), Point2D(1, 0))};
    std::vector<QuadraticBezier2D> loop = {Line(0, 0, 1, 0), QuadraticBezier2D(Point2D(1, 0), Point2D(1, 0.0001f), Point2D(1, 0))};
    EXPECT_GT(BuiltStroke(0, style, 0, spur).vertexCount, BuiltStroke(0, style, 0, {spur[0]}).vertexCount);
    EXPECT_EQ(BuiltStroke(0, style, 0, loop).Vertices(), BuiltStroke(0, style, 0, {spur[0]}).Vertices());

    // Points in the middle of a contour are skipped: the pieces around them join directly.
    std::vector<QuadraticBezier2D> withPoint = {Line(0, 0, 1, 0), QuadraticBezier2D(Point2D(1, 0), Point2D(1, 0), Point2D(1, 0)),
                                                Line(1, 0, 1, 1)};
    std::vector<QuadraticBezier2D> withoutPoint = {Line(0, 0, 1, 0), Line(1, 0, 1, 1)};
    EXPECT_EQ(BuiltStroke(0, style, 0, withPoint).Vertices(), BuiltStroke(0, style, 0, withoutPoint).Vertices());
}

// The x extent of each body of a stroke along the x axis: runs of four vertices with the body's
// band word that share one block (caps and joins have other words).
std::vector<std::pair<float, float>> BodyExtents(const BuiltStroke &stroke)
{
    std::vector<std::pair<float, float>> extents;
    for (int32_t i = 0; i + 4 <= stroke.geometry->VertexCount(); i += 4)
    {
        CapturedVertex first = stroke.geometry->Vertex(i);
        if (first.bandLimits != 0x08000000u) continue;
        float low = first.position[0], high = first.position[0];
        for (int32_t k = 1; k < 4; ++k)
        {
            CapturedVertex v = stroke.geometry->Vertex(i + k);
            low = std::min(low, v.position[0]);
            high = std::max(high, v.position[0]);
        }
        extents.push_back({low, high});
    }
    return extents;
}

TEST(StrokePath, DashesCutPiecesByArcLength)
{
    std::vector<QuadraticBezier2D> line = {Line(0, 0, 5, 0)};
    StrokeStyle style = MakeStyle('FLAT');
    float pattern[] = {2, 1};
    style.dashCount = 2;
    style.dashArray = pattern;
    BuiltStroke dashed(0, style, 0, line);
    std::vector<std::pair<float, float>> extents = BodyExtents(dashed);
    ASSERT_EQ(extents.size(), 2u);
    EXPECT_NEAR(extents[0].first, 0.0f, 1e-5f);
    EXPECT_NEAR(extents[0].second, 2.0f, 0.02f);
    EXPECT_NEAR(extents[1].first, 3.0f, 0.02f);
    EXPECT_NEAR(extents[1].second, 5.0f, 1e-5f);
    // Each piece starts and ends open: flat ends lean their normals outward.
    EXPECT_NEAR(dashed.geometry->Vertex(0).normal[0], -1.0f, 1e-5f);
    EXPECT_NEAR(dashed.geometry->Vertex(2).normal[0], 1.0f, 1e-5f);
    EXPECT_NEAR(dashed.geometry->Vertex(4).normal[0], -1.0f, 1e-5f);

    // A phase of one pattern length is phase 0; a phase of 2.5 starts inside the gap.
    style.dashPhase = 3.0f;
    EXPECT_EQ(BuiltStroke(0, style, 0, line).Vertices(), dashed.Vertices());
    style.dashPhase = 2.5f;
    extents = BodyExtents(BuiltStroke(0, style, 0, line));
    ASSERT_EQ(extents.size(), 2u);
    EXPECT_NEAR(extents[0].first, 0.5f, 0.02f);
    EXPECT_NEAR(extents[0].second, 2.5f, 0.02f);
    EXPECT_NEAR(extents[1].first, 3.5f, 0.02f);

    // Round caps at both ends of every dash.
    style.dashPhase = 0.0f;
    style.cap = 'ROND';
    EXPECT_EQ(BuiltStroke(0, style, 0, line).vertexCount, 2 * (4 + 8));

    // A dash running across a curve boundary joins there instead of capping.
    std::vector<QuadraticBezier2D> bent = {Line(0, 0, 1.5f, 0), Line(1.5f, 0, 1.5f, 1.5f)};
    BuiltStroke across(0, style, 0, bent);
    // Pieces: body [0, 1.5] with its start cap, the join, body [1.5, 2] with its end cap; the next
    // dash would begin at 3, where the contour ends.
    EXPECT_EQ(across.vertexCount, 4 + 8 + 4 + 4);
}

TEST(StrokePath, ClosedDashedContoursJoinOnlyAcrossADrawnSeam)
{
    std::vector<QuadraticBezier2D> square = Square(0, 0, 1);
    StrokeStyle style = MakeStyle('ROND');
    float endsInGap[] = {1, 1};
    style.dashCount = 2;
    style.dashArray = endsInGap;
    EXPECT_EQ(BuiltStroke(0, style, kStrokeClosed, square).Vertices(), BuiltStroke(0, style, 0, square).Vertices());

    float endsInDash[] = {1.7f, 1};
    style.dashArray = endsInDash;
    BuiltStroke closed(0, style, kStrokeClosed, square);
    BuiltStroke open(0, style, 0, square);
    // Open: dashes [0, 1.7] [2.7, 4]: four caps. Closed: the two join across the seam: two caps, one more join.
    EXPECT_EQ(open.vertexCount - closed.vertexCount, 2 * 4 - 4);
}

TEST(StrokePath, UnusableDashPatternsStrokeSolid)
{
    std::vector<QuadraticBezier2D> path = {Line(0, 0, 10, 0), QuadraticBezier2D(Point2D(10, 0), Point2D(12, 0), Point2D(12, 2))};
    StrokeStyle solid = MakeStyle('ROND', 'ROND');
    std::vector<float> reference = BuiltStroke(4, solid, 0, path).Vertices();
    const float nan = std::nanf("");
    const float inf = INFINITY;
    const std::vector<std::vector<float>> patterns = {
        {0, 0}, {-1, 2}, {2, -1}, {nan, 1}, {1, inf}, {inf, inf}, {1e-30f, 1e-30f}, {3e38f, 3e38f}, {1e-4f, 0}};
    for (const std::vector<float> &pattern : patterns)
    {
        StrokeStyle style = solid;
        style.dashCount = int32_t(pattern.size());
        style.dashArray = pattern.data();
        BuiltStroke stroke(4, style, 0, path);
        EXPECT_EQ(stroke.Vertices(), reference) << pattern[0] << ", " << pattern[1];
    }
    StrokeStyle missing = solid;
    missing.dashCount = 3;
    EXPECT_EQ(BuiltStroke(4, missing, 0, path).Vertices(), reference);
    // A pattern that stays within the step limit is dashed.
    StrokeStyle fine = solid;
    float small[] = {0.01f, 0.01f};
    fine.dashCount = 2;
    fine.dashArray = small;
    EXPECT_NE(BuiltStroke(4, fine, 0, path, 4096, 64).Vertices(), reference);
}

TEST(StrokePath, TexelsBeyondTheHeightAreNotWritten)
{
    // A polyline that needs three rows of a 16-texel-wide texture.
    std::vector<QuadraticBezier2D> zigzag;
    for (int i = 0; i < 6; ++i) zigzag.push_back(Line(float(i), float(i % 2), float(i + 1), float((i + 1) % 2)));
    StrokeStyle style = MakeStyle('SQUA', 'BEVL');
    for (int32_t variant : {0, 4})
    {
        BuiltStroke roomy(variant, style, 0, zigzag, 16, 8);
        EXPECT_TRUE(roomy.built);
        ASSERT_GE(roomy.countedCursor[1], 2);
        int32_t rows = roomy.countedCursor[1];
        BuiltStroke tight(variant, style, 0, zigzag, 16, rows);  // the last row is missing
        EXPECT_FALSE(tight.built);
        EXPECT_EQ(tight.texels->buffer.cursorY, rows);
        EXPECT_EQ(tight.geometry->VertexCount(), roomy.geometry->VertexCount());
        EXPECT_TRUE(tight.geometry->CursorsInside());
        // The rows that exist hold the same texels.
        EXPECT_EQ(std::memcmp(tight.texels->memory, roomy.texels->memory, tight.texels->size), 0);
        BuiltStroke exact(variant, style, 0, zigzag, 16, rows + 1);
        EXPECT_TRUE(exact.built);
        // Narrower than the largest block: refused.
        EXPECT_FALSE(BuiltStroke(variant, style, 0, zigzag, 5, 64).built);
    }
}

// Random contours: every variant builds into exactly the memory counted, and the counted cursor
// is where the build leaves it.
TEST(StrokePath, CountEqualsBuildInEveryVariant)
{
    uint32_t seed = 12345;
    auto next = [&]() {
        seed = seed * 1664525u + 1013904223u;
        return float(seed >> 8) / float(1 << 24);
    };
    const uint32_t caps[] = {'FLAT', 'SQUA', 'ROND', 'TRIA'};
    const uint32_t joins[] = {'BEVL', 'ROND', 'MITR'};
    for (int32_t round = 0; round < 48; ++round)
    {
        std::vector<QuadraticBezier2D> curves;
        Point2D p(next() * 10, next() * 10);
        Point2D start = p;
        int32_t count = 1 + int32_t(next() * 12);
        for (int32_t i = 0; i < count; ++i)
        {
            Point2D q(next() * 10, next() * 10);
            Point2D control = next() < 0.4f ? q : Point2D(next() * 10, next() * 10);
            if (i == count - 1 && round % 3 == 0) q = control = start;  // closed, straight
            if (next() < 0.1f) q = control = p;                         // a point in between
            curves.push_back(QuadraticBezier2D(p, control, q));
            p = q;
        }
        StrokeStyle style = MakeStyle(caps[round % 4], joins[round % 3], 0.05f + next());
        style.miterLimit = 1.0f + next() * 4;
        float pattern[] = {0.2f + next(), next(), next() * 2, 0.3f};
        if (round % 2 == 1)
        {
            style.dashCount = 1 + round % 4;
            style.dashArray = pattern;
            style.dashPhase = next() * 5 - 1;
        }
        int32_t variant = round % 8;
        BuiltStroke stroke(variant, style, uint32_t(round % 4), curves, 64, 256);
        EXPECT_TRUE(stroke.built) << "round " << round;
        EXPECT_EQ(stroke.geometry->VertexCount(), stroke.vertexCount) << "round " << round;
        EXPECT_EQ(stroke.geometry->TriangleCount(), stroke.triangleCount) << "round " << round;
        EXPECT_EQ(int32_t(stroke.geometry->buffer.vertexIndex), stroke.vertexCount);
        EXPECT_EQ(stroke.texels->buffer.cursorX, stroke.countedCursor[0]);
        EXPECT_EQ(stroke.texels->buffer.cursorY, stroke.countedCursor[1]);
        for (int32_t t = 0; t < stroke.triangleCount; ++t)
        {
            std::array<uint32_t, 3> triangle = stroke.geometry->Triangle(t);
            for (uint32_t index : triangle) EXPECT_LT(index, uint32_t(stroke.vertexCount));
        }
    }
}

}  // namespace
}  // namespace oq
