// Wide mark outlines: every type over and under, loose and tight, with and without a label, under the
// outline checker at the factory design and at the ends of every 'wide' range; the end caps of thick
// hats, the double line, the arrowheads, the brace's hook length and its symmetry.
#include "DesignRangeCases.h"
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/structures/WideMarkNode.h"
#include "editor/structures/WideMarkOutlines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::KeyName;
using test::ResultText;

constexpr float kSize = 11.0f;
constexpr float kMu = kSize / 18.0f;

// Each type's curve count at the factory design and its largest half stroke past x = 0 and x = W
// (the 'wide' key of that stroke, 0 for none).
const struct
{
    uint32_t type;
    int32_t count;
    uint32_t halfStroke;
} kTypes[kWideMarkTypeCount] = {
    {'line', 4, 0},     {'dlin', 8, 0},     {'what', 6, 'hcet'}, {'chck', 6, 'hcet'}, {'smil', 6, 'sfet'},
    {'frwn', 6, 'sfet'}, {'tild', 10, 'tdet'}, {'brck', 8, 'bket'}, {'brac', 15, 'bcet'}, {'shel', 8, 'shet'},
    {'larw', 10, 0},    {'rarw', 10, 0},    {'barw', 16, 0},     {'luhp', 8, 0},      {'ruhp', 8, 0},
    {'ldhp', 8, 0},     {'rdhp', 8, 0},
};

// The contour count, gaps as the outline checker finds them.
int32_t ContourCount(const QuadraticBezier2D *curves, int32_t count)
{
    float tolerance = 1e-5f * float(test::OutlineExtent(curves, count));
    return int32_t(test::FindContourStarts(curves, count, tolerance).size());
}

std::vector<QuadraticBezier2D> Curves(const QuadraticBezier2D *curves, int32_t count)
{
    return std::vector<QuadraticBezier2D>(curves, curves + count);
}

float YExtent(const std::vector<QuadraticBezier2D> &curves, bool maximum)
{
    float result = maximum ? -1e30f : 1e30f;
    for (const QuadraticBezier2D &c : curves)
    {
        float low = 0.0f;
        float high = 0.0f;
        c.GetYExtent(&low, &high);
        result = maximum ? std::max(result, high) : std::min(result, low);
    }
    return result;
}

// Every type laid out by a node over a body of two fixed boxes (ink from 1 to 6), over and under,
// loose and tight, without and with a label wider than the mark: the count, and every check inside the
// node's box.
TEST(WideMarkOutlines, EveryTypeAtTheFactoryDesign)
{
    Design design;
    for (const auto &row : kTypes)
    {
        for (int32_t variant = 0; variant < 8; ++variant)
        {
            bool under = (variant & 1) != 0;
            bool small = (variant & 2) != 0;
            bool labelled = (variant & 4) != 0;
            std::string properties = "(t='" + KeyName(row.type) + "'" + (under ? ",un" : "") + (small ? ",sm" : "") + ")";
            std::string text = "Gr { Bg {} Wm $w " + properties +
                               " { Gr { Bg {} Fx (w=3,t=6,b=1) {} Fx (w=4,t=4,b=2) {} }" +
                               (labelled ? " Gr (t='labl') { Bg {} Fx (w=20,t=3,b=-1) {} }" : "") + " } }";
            SCOPED_TRACE(text);
            test::StructureTestDocument document;
            ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
            document.LayoutAll(&design);
            auto *mark = document.Find<WideMarkNode>("w");
            ASSERT_NE(mark, nullptr);
            EXPECT_EQ(mark->outlineCount, row.count);
            test::OutlineChecks checks;
            checks.outerContours = ContourCount(mark->outline, mark->outlineCount);
            checks.box = true;
            checks.boxBottom = mark->bottom;
            checks.boxTop = mark->top;
            checks.boxWidth = mark->width;
            checks.boxMargin = row.halfStroke != 0 ? kMu * GetGroupParam(&design, 'wide', row.halfStroke) * 0.5f : 0.0f;
            // Arrowheads and shaft are contours of their own that overlap where they join.
            checks.simple = checks.outerContours == 1;
            EXPECT_EQ(test::CheckOutline(mark->outline, mark->outlineCount, checks), "");
            // The mark stays clear of the body's side it is on.
            auto *body = mark->GetBody();
            if (under) EXPECT_LE(YExtent(Curves(mark->outline, mark->outlineCount), true), body->position.y + body->top);
            else EXPECT_GE(YExtent(Curves(mark->outline, mark->outlineCount), false), body->position.y + body->bottom);
        }
    }
}

// Every 'wide' parameter at its range ends (one at a time, then all), at the least and largest sizes,
// over a mark of the least width and a wide one: finite, closed contours of positive area.
TEST(WideMarkOutlines, EveryTypeAtTheRangeEnds)
{
    test::ForEachRangeEnd('wide', [](const Design &design, const std::string &label) {
        SCOPED_TRACE(label);
        for (float size : test::kRangeSizes)
        {
            for (float widthEm : {0.5f, 20.0f})
            {
                for (const auto &row : kTypes)
                {
                    for (bool under : {false, true})
                    {
                        SCOPED_TRACE(KeyName(row.type) + (under ? " under" : " over") + ", size " +
                                     std::to_string(size) + ", width " + std::to_string(widthEm) + " em");
                        WideMarkExtents extents;
                        extents.bodyBottom = -0.2f * size;
                        extents.bodyTop = 0.7f * size;
                        extents.referenceTop = 0.66f * size;
                        QuadraticBezier2D curves[kWideMarkMaxCurves];
                        float bottom = extents.bodyBottom;
                        float top = extents.bodyTop;
                        int32_t count = BuildWideMarkOutline(&design, row.type, under, widthEm * size, size, extents,
                                                             curves, &bottom, &top);
                        ASSERT_GT(count, 0);
                        ASSERT_LE(count, kWideMarkMaxCurves);
                        ASSERT_TRUE(std::isfinite(bottom) && std::isfinite(top));
                        test::OutlineChecks checks;
                        checks.straightEdges = false;
                        checks.outerContours = ContourCount(curves, count);
                        EXPECT_EQ(test::CheckOutline(curves, count, checks), "");
                        if (HasFailure()) return;
                    }
                }
            }
        }
    });
}

// The hat over a body: the outline and the top the node takes.
std::vector<QuadraticBezier2D> HatOver(const Design &design, float *top)
{
    WideMarkExtents extents;
    extents.referenceTop = 0.66f * kSize;
    extents.bodyTop = 7.0f;
    QuadraticBezier2D curves[kWideMarkMaxCurves];
    float bottom = 0.0f;
    int32_t count = BuildWideMarkOutline(&design, kWideMarkHat, false, 0.5f * kSize, kSize, extents, curves, &bottom, top);
    return Curves(curves, count);
}

// A thick hat's end caps rise above the outer apex, which the node takes as its top.
TEST(WideMarkOutlines, ThickHatCapsRiseAboveTheApex)
{
    Design design;
    float top = 0.0f;
    std::vector<QuadraticBezier2D> curves = HatOver(design, &top);
    EXPECT_NEAR(YExtent(curves, true), top, 1e-4f);
    ASSERT_TRUE(test::SetDesignParam(&design, 'wide', 'hcet', 9.0f));
    curves = HatOver(design, &top);
    EXPECT_NEAR(YExtent(curves, true) - top, 0.03f, 0.005f);
    ASSERT_TRUE(test::SetDesignParam(&design, 'wide', 'hchi', 0.05f));
    curves = HatOver(design, &top);
    EXPECT_NEAR(YExtent(curves, true) - top, 1.8f, 0.05f);
}

TEST(WideMarkOutlines, PointChecks)
{
    Design design;
    WideMarkExtents extents;
    extents.bodyBottom = -1.0f;
    extents.bodyTop = 7.0f;
    extents.referenceTop = 0.66f * kSize;
    const float width = 8.0f;
    QuadraticBezier2D curves[kWideMarkMaxCurves];
    float bottom = 0.0f;
    float top = 0.0f;

    // The double line under: the second rectangle below the first, the node's bottom at its lower edge.
    ASSERT_EQ(BuildWideMarkOutline(&design, kWideMarkDoubleLine, true, width, kSize, extents, curves, &bottom, &top), 8);
    std::vector<QuadraticBezier2D> first = Curves(curves, 4);
    std::vector<QuadraticBezier2D> second = Curves(curves + 4, 4);
    EXPECT_LT(YExtent(second, true), YExtent(first, false));
    EXPECT_NEAR(bottom, YExtent(second, false), 1e-4f);
    EXPECT_NEAR(top, extents.bodyTop, 1e-4f);

    // Arrows: 'barw' has two heads and a shaft between their joins; 'larw' one head at x = 0 and a shaft
    // reaching x = W.
    ASSERT_EQ(BuildWideMarkOutline(&design, kWideMarkBothArrow, false, width, kSize, extents, curves, &bottom, &top), 16);
    EXPECT_EQ(ContourCount(curves, 16), 3);
    int32_t count = BuildWideMarkOutline(&design, kWideMarkLeftArrow, false, width, kSize, extents, curves, &bottom, &top);
    ASSERT_EQ(count, 10);
    ASSERT_EQ(ContourCount(curves, count), 2);
    float low = 1e30f;
    float high = -1e30f;
    for (int32_t i = 0; i < count; ++i)
    {
        float a = 0.0f;
        float b = 0.0f;
        curves[i].GetXExtent(&a, &b);
        low = std::min(low, a);
        high = std::max(high, b);
    }
    EXPECT_NEAR(low, 0.0f, 1e-4f);
    EXPECT_NEAR(high, width, 1e-4f);
    float headHigh = -1e30f;
    for (int32_t i = 0; i < 6; ++i)
    {
        float a = 0.0f;
        float b = 0.0f;
        curves[i].GetXExtent(&a, &b);
        headHigh = std::max(headHigh, b);
    }
    EXPECT_LT(headHigh, width * 0.5f);
}

// A brace narrower than four hook lengths takes a quarter of its width as hook length, so any longer
// design hook gives the same outline; a wide brace follows the design. Every brace is symmetric about
// its centre.
TEST(WideMarkOutlines, BraceHookLengthAndSymmetry)
{
    WideMarkExtents extents;
    extents.bodyTop = 7.0f;
    extents.referenceTop = 0.66f * kSize;
    for (bool under : {false, true})
    {
        for (float width : {5.5f, 40.0f})
        {
            std::vector<QuadraticBezier2D> outlines[2];
            for (int32_t i = 0; i < 2; ++i)
            {
                Design design;
                ASSERT_TRUE(test::SetDesignParam(&design, 'wide', 'bchi', i == 0 ? 0.5f : 0.8f));
                QuadraticBezier2D curves[kWideMarkMaxCurves];
                float bottom = 0.0f;
                float top = 0.0f;
                int32_t count = BuildWideMarkOutline(&design, kWideMarkBrace, under, width, kSize, extents, curves,
                                                     &bottom, &top);
                ASSERT_EQ(count, 15);
                outlines[i] = Curves(curves, count);
            }
            float difference = 0.0f;
            for (size_t c = 0; c < outlines[0].size(); ++c)
            {
                difference = std::max(difference, std::fabs(outlines[0][c].p1.x - outlines[1][c].p1.x) +
                                                      std::fabs(outlines[0][c].p1.y - outlines[1][c].p1.y));
            }
            if (width < 4.0f * 0.5f * kSize) EXPECT_EQ(difference, 0.0f) << width;
            else EXPECT_GT(difference, 0.1f) << width;

            // Each end point has its mirror image about x = W / 2.
            for (const QuadraticBezier2D &c : outlines[0])
            {
                float best = 1e30f;
                for (const QuadraticBezier2D &d : outlines[0])
                {
                    for (const Point2D &p : {d.p0, d.p1, d.p2})
                        best = std::min(best, std::fabs(width - c.p0.x - p.x) + std::fabs(c.p0.y - p.y));
                }
                EXPECT_LT(best, 1e-3f) << c.p0.x << " " << c.p0.y;
            }
        }
    }
}

}  // namespace
}  // namespace oq
