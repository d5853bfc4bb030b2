// Drawing objects on the GPU: a translucent stroke drawn as one coverage group takes its colour once
// on every pixel, where its pieces overlap too; drawn item over item, the overlaps show darker.
#include "DrawingTesting.h"

#include "../platform/GLRendererFixture.h"
#include "base/Color.h"
#include "editor/drawing/BracketObject.h"
#include "editor/drawing/CornerLineObject.h"
#include "editor/drawing/LineObject.h"
#include "editor/drawing/RectangleObject.h"
#include "editor/drawing/RoundedRectangleObject.h"
#include "editor/drawing/ZigzagLineObject.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace oq {
namespace {

constexpr uint32_t kTranslucentStroke = 0x80FF0000u;

// The non-zero winding number of the point around the curves (each flattened finely, in double).
int Winding(const FillPathItem &item, double x, double y)
{
    int winding = 0;
    for (int32_t i = 0; i < item.curveCount; ++i)
    {
        const QuadraticBezier2D &c = item.curves[i];
        double px = c.p0.x;
        double py = c.p0.y;
        for (int step = 1; step <= 32; ++step)
        {
            double t = step / 32.0;
            double u = 1.0 - t;
            double qx = u * u * c.p0.x + 2.0 * u * t * c.p1.x + t * t * c.p2.x;
            double qy = u * u * c.p0.y + 2.0 * u * t * c.p1.y + t * t * c.p2.y;
            if ((py <= y) != (qy <= y))
            {
                double crossX = px + (y - py) / (qy - py) * (qx - px);
                if (crossX > x) winding += qy > py ? 1 : -1;
            }
            px = qx;
            py = qy;
        }
    }
    return winding;
}

// The pieces of one object in pixels: item coordinates times the scale plus the offset.
struct PixelMapping
{
    double scale;
    double offsetX;
    double offsetY;

    Matrix4D ToClip() const
    {
        float sx = float(2.0 * scale / kWidth);
        float sy = float(-2.0 * scale / kHeight);
        return Matrix4D(sx, 0, 0, float(2.0 * offsetX / kWidth - 1.0), 0, sy, 0, float(1.0 - 2.0 * offsetY / kHeight),
                        0, 0, 0, 0, 0, 0, 0, 1);
    }
};

// The one-coverage colour of a stroke word over a background pixel, as sRGB bytes.
Pixel OneCoverage(uint32_t word, Pixel background)
{
    float alpha = float(word >> 24) / 255.0F;
    auto channel = [alpha](uint32_t strokeByte, int backgroundByte) {
        float linear = alpha * kSrgbByteToLinear[strokeByte] + (1.0F - alpha) * kSrgbByteToLinear[size_t(backgroundByte)];
        return int(std::lround(LinearToSrgb(linear) * 255.0F));
    };
    return {channel(word & 0xFF, background.r), channel((word >> 8) & 0xFF, background.g),
            channel((word >> 16) & 0xFF, background.b), background.a};
}

class DrawingCoverageGLTest : public GLRendererTest
{
protected:
    void TearDown() override
    {
        white.Release(renderer);
        strokes.Purge();
        GLRendererTest::TearDown();
    }

    // Fits the stroke pieces into the target with a margin of four pixels.
    void FitStrokes()
    {
        float box[4] = {1e30F, 1e30F, -1e30F, -1e30F};
        for (const FillPathItem *item : Pieces())
        {
            for (int32_t i = 0; i < item->curveCount; ++i)
            {
                for (const Point2D &p : {item->curves[i].p0, item->curves[i].p1, item->curves[i].p2})
                {
                    box[0] = std::min(box[0], p.x);
                    box[1] = std::min(box[1], p.y);
                    box[2] = std::max(box[2], p.x);
                    box[3] = std::max(box[3], p.y);
                }
            }
        }
        double scale = std::min((kWidth - 8) / double(box[2] - box[0]), (kHeight - 8) / double(box[3] - box[1]));
        mapping = {scale, 4.0 - box[0] * scale, 4.0 - box[1] * scale};
    }

    std::vector<const FillPathItem *> Pieces() const
    {
        std::vector<const FillPathItem *> pieces;
        for (const ListElement *e = strokes.GetFirstListElement(); e; e = e->GetNextListElement())
            pieces.push_back(dynamic_cast<const FillPathItem *>(e));
        return pieces;
    }

    // Draws white, then the background object (when given), then the stroke object (when given).
    std::vector<uint8_t> DrawFrame(RenderObject *background, RenderObject *stroke)
    {
        BeginFrame();
        if (white.program == 0) MakeQuad(white, whiteItem, 0, 0, 0, kWidth, kHeight, {1, 1, 1, 1}, nullptr);
        white.Draw(renderer, PixelMatrix());
        if (background) background->Draw(renderer, mapping.ToClip());
        if (stroke) stroke->Draw(renderer, mapping.ToClip());
        return Read();
    }

    // Over the square of the half side around the pixel's centre: whether the pieces' union holds
    // every sample, how many pieces hold every sample and how many hold any.
    struct Cover
    {
        bool inUnion;
        int whole;
        int touched;
    };

    Cover CountCover(int x, int y, double half) const
    {
        std::vector<const FillPathItem *> pieces = Pieces();
        std::vector<bool> whole(pieces.size(), true);
        std::vector<bool> touched(pieces.size(), false);
        bool unionWhole = true;
        for (int sy = -3; sy <= 3; ++sy)
        {
            for (int sx = -3; sx <= 3; ++sx)
            {
                double px = x + 0.5 + half * sx / 3.0;
                double py = y + 0.5 + half * sy / 3.0;
                double ix = (px - mapping.offsetX) / mapping.scale;
                double iy = (py - mapping.offsetY) / mapping.scale;
                bool any = false;
                for (size_t i = 0; i < pieces.size(); ++i)
                {
                    bool inside = Winding(*pieces[i], ix, iy) != 0;
                    any = any || inside;
                    if (inside) touched[i] = true;
                    else whole[i] = false;
                }
                if (!any) unionWhole = false;
            }
        }
        return {unionWhole, int(std::count(whole.begin(), whole.end(), true)),
                int(std::count(touched.begin(), touched.end(), true))};
    }

    // The stroke list through a coverage group gives every inner pixel the one-coverage colour over
    // what the background drew; item over item, a pixel inside k pieces takes the colour k times.
    void ExpectCoveredOnce(RenderObject *background, bool overlapping = true)
    {
        ASSERT_FALSE(strokes.IsEmpty());
        FitStrokes();
        ASSERT_GE(mapping.scale, 4.0);
        std::vector<uint8_t> under = DrawFrame(background, nullptr);

        ShapeRenderObject group;
        BuildCoverageGroupRenderObject(renderer, &group, &strokes);
        ASSERT_GT(group.item.vertexCount, 0U);
        std::vector<uint8_t> grouped = DrawFrame(background, &group);
        group.ReleaseShape(renderer);

        ShapeRenderObject plain;
        BuildFillPathListRenderObject(renderer, &plain, &strokes);
        ASSERT_GT(plain.item.vertexCount, 0U);
        std::vector<uint8_t> stacked = DrawFrame(background, &plain);
        plain.ReleaseShape(renderer);

        int inner = 0;
        int overlaps = 0;
        for (int y = 0; y < kHeight; ++y)
        {
            for (int x = 0; x < kWidth; ++x)
            {
                Cover inner1 = CountCover(x, y, 1.5);
                Cover pixel = CountCover(x, y, 1.0);
                Pixel expected = OneCoverage(kTranslucentStroke, At(under, x, y));
                std::string where = "pixel " + std::to_string(x) + ", " + std::to_string(y);
                // The group gives the target's alpha back everywhere.
                EXPECT_EQ(At(grouped, x, y).a, 255) << where;
                if (inner1.inUnion)
                {
                    ++inner;
                    ExpectPixel(At(grouped, x, y), expected, where);
                }
                // Inside two pieces or more and clear of every other one.
                if (pixel.whole >= 2 && pixel.whole == pixel.touched)
                {
                    ++overlaps;
                    ExpectPixel(At(grouped, x, y), expected, where + " (overlap)");
                    // Item over item, the colour is laid on once per piece there.
                    Pixel stackedColor = expected;
                    for (int k = 1; k < pixel.whole; ++k) stackedColor = OneCoverage(kTranslucentStroke, stackedColor);
                    ExpectPixel(At(stacked, x, y), stackedColor, where + " (item over item)");
                    EXPECT_GT(std::abs(stackedColor.r - expected.r) + std::abs(stackedColor.g - expected.g), 20) << where;
                }
            }
        }
        EXPECT_GT(inner, 40);
        if (overlapping) { EXPECT_GT(overlaps, 0); }
        else { EXPECT_EQ(overlaps, 0); }
    }

    Design design;
    DisplayList strokes;
    PixelMapping mapping = {1, 0, 0};
    RenderObject white;
    DrawItem whiteItem = {};
};

TEST_F(DrawingCoverageGLTest, LineWithWedgeAndDotCoversOnce)
{
    test::PrepareDrawingTests();
    LineObject line;
    line.startDecoration = kLineEndWedge;
    line.finishDecoration = kLineEndRoundDot;
    line.strokePaletteIndex = -1;
    line.strokeColor = kTranslucentStroke;
    // A stroke one unit wide fits the target at about 5 pixels per unit.
    design.SetBaseFontSize(design.GetBaseFontSize() / line.GetStrokeWidth(&design));
    line.RebuildGeometry(&design, Point2D(0.0F, 0.0F), Point2D(9.0F, 2.0F));
    line.BuildPathItems(&design, &strokes);
    ASSERT_EQ(strokes.GetListElementCount(), 3);
    ExpectCoveredOnce(nullptr);
}

// The two legs of a solid corner line share the triangle where the vertical leg is cut at the bend;
// the three legs of a solid zigzag overlap at both cut bends.
TEST_F(DrawingCoverageGLTest, BentLegsCoverOnce)
{
    test::PrepareDrawingTests();
    CornerLineObject corner(false);
    ZigzagLineObject zigzag(false);
    LineObject *lines[] = {&corner, &zigzag};
    for (LineObject *line : lines)
    {
        SCOPED_TRACE(line->GetKind());
        line->strokePaletteIndex = -1;
        line->strokeColor = kTranslucentStroke;
        // A stroke one unit wide (the second pass finds it so already).
        design.SetBaseFontSize(design.GetBaseFontSize() / line->GetStrokeWidth(&design));
        line->RebuildGeometry(&design, Point2D(0.0F, 0.0F), Point2D(9.0F, 5.0F));
        line->BuildPathItems(&design, &strokes);
        ASSERT_EQ(strokes.GetListElementCount(), (line == &corner) ? 2 : 3);
        ExpectCoveredOnce(nullptr);
        strokes.Purge();
    }
}

// Four solid bands, each corner covered twice over a small triangle, over the rectangle's fill.
TEST_F(DrawingCoverageGLTest, FilledRectangleStrokeCoversOnce)
{
    test::PrepareDrawingTests();
    RectangleObject rectangle(true, true);
    rectangle.fillPaletteIndex = -1;
    rectangle.fillColor = 0xFF40A020u;
    rectangle.strokePaletteIndex = -1;
    rectangle.strokeColor = kTranslucentStroke;
    // A stroke two units wide: the corner triangles hold whole pixels.
    design.SetBaseFontSize(2.0F * design.GetBaseFontSize() / rectangle.GetStrokeWidth(&design));
    rectangle.RebuildGeometry(&design, Point2D(0.0F, 0.0F), Point2D(8.0F, 5.0F));
    rectangle.BuildPathItems(&design, &strokes);
    ASSERT_EQ(strokes.GetListElementCount(), 5);
    auto *fillItem = static_cast<FillPathItem *>(strokes.GetFirstListElement());
    strokes.Remove(fillItem);
    ShapeRenderObject fillShape;
    BuildFillPathRenderObject(renderer, &fillShape, fillItem);
    ASSERT_GT(fillShape.item.vertexCount, 0U);
    ExpectCoveredOnce(&fillShape);
    fillShape.ReleaseShape(renderer);
    delete fillItem;
}

// Solid corner pieces and side pieces overlap at the arcs' ends, yet each pixel takes the colour once.
TEST_F(DrawingCoverageGLTest, RoundedRectangleStrokeCoversOnce)
{
    test::PrepareDrawingTests();
    RoundedRectangleObject rounded(false, true);
    rounded.radiusIndex = 1;
    rounded.strokePaletteIndex = -1;
    rounded.strokeColor = kTranslucentStroke;
    // A stroke two units wide.
    design.SetBaseFontSize(2.0F * design.GetBaseFontSize() / rounded.GetStrokeWidth(&design));
    rounded.RebuildGeometry(&design, Point2D(0.0F, 0.0F), Point2D(12.0F, 8.0F));
    ASSERT_FALSE(rounded.cornerDashes);
    rounded.BuildPathItems(&design, &strokes);
    ASSERT_EQ(strokes.GetListElementCount(), 8);
    ExpectCoveredOnce(nullptr);
}

// A bracket is one outline in its stroke colour, wherever its brace curves or its hooks turn.
TEST_F(DrawingCoverageGLTest, BracketOutlineCoversOnce)
{
    test::PrepareDrawingTests();
    // Spans for which the target holds the bracket's depth with its strokes several pixels wide.
    const struct
    {
        BracketOutlineType type;
        Point2D finish;
    } cases[] = {{kBracketOutlineSquare, Point2D(3.0F, 0.5F)},
                 {kBracketOutlineBrace, Point2D(8.0F, 1.0F)},
                 {kBracketOutlineShell, Point2D(3.0F, 0.5F)}};
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.type);
        BracketObject bracket(c.type);
        bracket.strokePaletteIndex = -1;
        bracket.strokeColor = kTranslucentStroke;
        bracket.RebuildGeometry(&design, Point2D(0.0F, 0.0F), c.finish);
        bracket.BuildPathItems(&design, &strokes);
        ASSERT_EQ(strokes.GetListElementCount(), 1);
        ExpectCoveredOnce(nullptr, false);
        strokes.Purge();
    }
}

}  // namespace
}  // namespace oq
