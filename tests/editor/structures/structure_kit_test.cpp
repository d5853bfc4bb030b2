// The structure test kit itself: the outline checker finds each fault it is meant to find, the TeX
// layout oracle reads boxes and font parameters, and the fixtures' oracles refuse what is wrong.
#include "StructureFixtures.h"

#include "base/Bezier.h"
#include "editor/platform/DisplayItems.h"
#include "editor/structures/FractionNode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::CheckOutline;
using test::OutlineChecks;

std::vector<QuadraticBezier2D> Polygon(const std::vector<Point2D> &corners)
{
    std::vector<QuadraticBezier2D> curves;
    for (size_t i = 0; i < corners.size(); ++i)
        curves.push_back(MakeLineCurve(corners[i], corners[(i + 1) % corners.size()]));
    return curves;
}

std::vector<QuadraticBezier2D> Square(float x0, float y0, float x1, float y1)
{
    return Polygon({Point2D(x0, y0), Point2D(x1, y0), Point2D(x1, y1), Point2D(x0, y1)});
}

std::vector<QuadraticBezier2D> Reversed(std::vector<QuadraticBezier2D> curves)
{
    std::vector<QuadraticBezier2D> reversed;
    for (auto it = curves.rbegin(); it != curves.rend(); ++it) reversed.push_back(MakeLineCurve(it->p2, it->p0));
    return reversed;
}

std::vector<QuadraticBezier2D> Join(std::vector<QuadraticBezier2D> a, const std::vector<QuadraticBezier2D> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(StructureKit, OutlineCheckerFindsEachFault)
{
    OutlineChecks all;
    all.box = true;
    all.boxBottom = 0.0f;
    all.boxTop = 2.0f;
    all.boxWidth = 4.0f;
    all.simple = true;
    OutlineChecks frame = all;
    frame.outerContours = 1;

    std::vector<QuadraticBezier2D> open = Square(0, 0, 4, 2);
    open.pop_back();
    std::vector<QuadraticBezier2D> bent = Square(0, 0, 4, 2);
    bent[0].p1 = Point2D(1.0f, 0.0f);  // straight, control point inside the edge
    std::vector<QuadraticBezier2D> bulging = Square(0, 0, 4, 2);
    bulging[2].p1 = Point2D(2.0f, 3.0f);  // ends inside the box, extreme above it
    std::vector<QuadraticBezier2D> infinite = Square(0, 0, 4, 2);
    infinite[1].p2.y = INFINITY;
    std::vector<QuadraticBezier2D> gapped = Square(0, 0, 4, 2);
    gapped[2].p0.x += 0.01f;
    // A bow tie: a closed contour crossing itself.
    std::vector<QuadraticBezier2D> bowTie = Polygon({Point2D(0, 0), Point2D(4, 2), Point2D(4, 0), Point2D(0, 2)});

    const struct
    {
        const char *name;
        std::vector<QuadraticBezier2D> curves;
        OutlineChecks checks;
        const char *finding;  // part of the findings; "" when there are none
    } cases[] = {
        {"square", Square(0, 0, 4, 2), all, ""},
        {"frame", Join(Square(0, 0, 4, 2), Reversed(Square(1, 0.5f, 3, 1.5f))), frame, ""},
        {"clockwise", Reversed(Square(0, 0, 4, 2)), all, "outer contour 0 has signed area -8"},
        {"hole not reversed", Join(Square(0, 0, 4, 2), Square(1, 0.5f, 3, 1.5f)), frame, "hole contour 1"},
        {"open", open, all, "not at its start"},
        {"gap", gapped, all, "not at its start"},
        {"bent edge", bent, all, "straight edge with control point"},
        {"extreme outside", bulging, all, "outside"},
        {"wider than the box", Square(-0.5f, 0, 4, 2), all, "outside"},
        {"not finite", infinite, all, "not finite"},
        {"crossing", bowTie, all, "crosses"},
    };
    for (const auto &c : cases)
    {
        std::string findings = CheckOutline(c.curves, c.checks);
        if (c.finding[0] == 0)
        {
            EXPECT_EQ(findings, "") << c.name;
        }
        else
        {
            EXPECT_NE(findings.find(c.finding), std::string::npos) << c.name << ": " << findings;
        }
    }

    // The margin takes in a half stroke past either side; size 0 needs emptyAllowed.
    OutlineChecks margin = all;
    margin.boxMargin = 0.5f;
    EXPECT_EQ(CheckOutline(Square(-0.5f, 0, 4.5f, 2), margin), "");
    std::vector<QuadraticBezier2D> point = Square(1, 1, 1, 1);
    EXPECT_NE(CheckOutline(point, all), "");
    OutlineChecks empty = all;
    empty.emptyAllowed = true;
    EXPECT_EQ(CheckOutline(point, empty), "");
}

TEST(StructureKit, AreaIsExactForQuadratics)
{
    // The region under a parabola from (0, 0) over (1, 2) to (2, 0), closed by the base: 2/3 x 2 x 2.
    std::vector<QuadraticBezier2D> cap = {
        QuadraticBezier2D(Point2D(2, 0), Point2D(1, 2), Point2D(0, 0)),
        MakeLineCurve(Point2D(0, 0), Point2D(2, 0)),
    };
    EXPECT_NEAR(test::SignedOutlineArea(cap.data(), 0, 2), 4.0 / 3.0, 1e-12);
    EXPECT_NEAR(test::SignedOutlineArea(cap.data(), 0, 1), 4.0 / 3.0, 1e-12);  // closed by its chord
    EXPECT_EQ(test::FindContourStarts(cap.data(), 2, 0.0f), std::vector<int32_t>{0});
}

TEST(StructureKit, TexOracleReadsBoxesAndFontParameters)
{
    test::TexLayoutOracle oracle;
    int32_t rule = oracle.Add(test::TexRuleBox(9, 1, 6));
    int32_t fraction = oracle.Add("\\frac{" + test::TexRuleBox(9, 1, 6) + "}{" + test::TexRuleBox(8, 2, 5) + "}");
    ASSERT_EQ(oracle.Run(), "");
    EXPECT_NEAR(oracle.GetBox(rule).width, 6.0, test::kTexLayoutTolerance);
    EXPECT_NEAR(oracle.GetBox(rule).height, 9.0, test::kTexLayoutTolerance);
    EXPECT_NEAR(oracle.GetBox(rule).depth, 1.0, test::kTexLayoutTolerance);
    EXPECT_NEAR(oracle.GetBox(fraction).width, 8.4, test::kTexLayoutTolerance);
    EXPECT_NEAR(oracle.GetBox(fraction).height, 15.76508, test::kTexLayoutTolerance);
    EXPECT_NEAR(oracle.GetBox(fraction).depth, 8.89993, test::kTexLayoutTolerance);
    // Computer Modern at 10, 7 and 5 pt (TeX prints five decimals).
    const test::TexFontParams &font = oracle.GetFontParams();
    EXPECT_NEAR(font.AxisHeight(), 2.5, 1e-4);
    EXPECT_NEAR(font.AxisHeight(1), 1.75, 1e-4);
    EXPECT_NEAR(font.AxisHeight(2), 1.25, 1e-4);
    EXPECT_NEAR(font.RuleThickness(), 0.4, 1e-4);
    EXPECT_NEAR(font.sigma[0][6], 10.0, 1e-4);  // the quad
    EXPECT_NEAR(font.nullDelimiterSpace, 1.2, 1e-4);
    EXPECT_EQ(oracle.GetBox(2).width, 0.0);

    test::TexLayoutOracle broken;
    broken.Add("\\frac{a}");
    EXPECT_NE(broken.Run(), "");
}

TEST(StructureKit, DocumentReadsTheRegisteredKinds)
{
    test::StructureTestDocument document;
    ASSERT_EQ(test::ResultText(document.ParseAndResolve(
                  "Gr { Bg {} Fr { Gr (t='numr') { Bg {} Sb {s{\"a\"}} } Gr (t='dnom') { Bg {} Fx (li=1,ri=2) {} } } }")),
              "0");
    ASSERT_NE(document.FirstNode<FractionNode>(), nullptr);
    // The run stand-in is no symbol run: it is not made, so structures never see it.
    test::StructureTestDocument skipping;
    ASSERT_EQ(test::ResultText(skipping.ParseAndResolve("Gr { Bg {} Sy {} }")), "0");
    EXPECT_EQ(skipping.FirstNode(), nullptr);
}

TEST(StructureKit, OraclesRefuseWhatIsWrong)
{
    EXPECT_EQ(test::CheckWithLatexOracles("\\dfrac{\\enclose{box}{a}_1}{\\widecheck{b}\\oiint_S}"), "");
    EXPECT_NE(test::CheckWithLatexOracles("\\dfrac{a}"), "");
    EXPECT_EQ(test::ValidateStructureMathML("<mfrac displaystyle=\"true\"><mi>a</mi><mi>b</mi></mfrac>"), "");
    EXPECT_NE(test::ValidateStructureMathML("<mi>a</mi> / <mi>b</mi>"), "");
}

}  // namespace
}  // namespace oq
