// Chemical bond anchors: the ten kinds, the boxes around the main group and the labels in equation
// coordinates, their handle colours, drawings linked to them and the deletion of the links of one kind.
#include "support/DocumentTestKinds.h"

#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/Preferences.h"
#include "editor/structures/BondNode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;
using test::StructureTestDocument;

// A box before the bond moves it off the origin; the labels hold boxes of their own sizes.
std::string BondText(const std::string &labels, const std::string &after = "")
{
    return "Gr { Bg {} Fx (w=5,t=9,b=-1) {} Bd $b { u32[2]{{'uppr','sing'},{'lwrt','doub'},{0,'sing'}} "
           "Gr $m { Bg {} Fx (w=6,t=9,b=-1) {} } " +
           labels + " } }" + after;
}

const std::string kTwoLabels =
    "Gr $u (t='uppr') { Bg {} Fx (w=4,t=7,b=-2) {} } Gr $r (t='lwrt') { Bg {} Fx (w=3,t=8,b=-3) {} }";

std::vector<uint32_t> Kinds(const BondNode *bond)
{
    const uint32_t *kinds = nullptr;
    int32_t count = bond->GetAnchorKinds(&kinds);
    return std::vector<uint32_t>(kinds, kinds + count);
}

TEST(BondAnchors, KindsAndLabelBoxesThatExist)
{
    const struct
    {
        std::string labels;
        int32_t counts[6];  // bdup, bdul, bdur, bdlw, bdll, bdlr
    } cases[] = {
        {"", {0, 0, 0, 0, 0, 0}},
        {kTwoLabels, {4, 0, 0, 0, 0, 4}},
        {"Gr (t='uplf') { Bg {} } Gr (t='uprt') { Bg {} } Gr (t='lowr') { Bg {} } Gr (t='lwlf') { Bg {} }",
         {0, 4, 4, 4, 4, 0}},
    };
    for (const auto &c : cases)
    {
        StructureTestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(BondText(c.labels).c_str())), "0") << c.labels;
        Design design;
        document.LayoutAll(&design);
        auto *bond = document.Find<BondNode>("b");
        EXPECT_EQ(Kinds(bond), (std::vector<uint32_t>{0, 'cent', 'bond', 'bdmn', 'bdup', 'bdul', 'bdur', 'bdlw', 'bdll',
                                                      'bdlr'}));
        const Point2D *points = nullptr;
        EXPECT_EQ(bond->GetAnchorPoints('bond', &points), 4);
        EXPECT_EQ(bond->GetAnchorPoints('bdmn', &points), 4);
        EXPECT_EQ(bond->GetAnchorPoints(0, &points), 4);  // a top-level row: four box anchors
        EXPECT_EQ(bond->GetAnchorPoints('xxxx', &points), 0);
        for (int32_t i = 0; i < kBondLabelCount; ++i)
            EXPECT_EQ(bond->GetAnchorPoints(kBondLabelAnchorKinds[i], &points), c.counts[i]) << c.labels << " " << i;
        // Every count matches its points (the sanitizers read them all).
        EXPECT_TRUE(std::isfinite(test::SumAnchorPoints(bond)));
    }
}

TEST(BondAnchors, BoxesAroundTheInkInEquationCoordinates)
{
    StructureTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(BondText(kTwoLabels).c_str())), "0");
    Design design;
    document.LayoutAll(&design);
    auto *bond = document.Find<BondNode>("b");
    ASSERT_GT(bond->absolutePosition.x, 4.0f);
    // aspx and aspy at the factory design: 0.3125 em of 11 pt.
    const float grow = 3.4375f;
    EXPECT_NEAR(GetGroupParam(&design, kBondKind, 'aspx') * design.GetBaseFontSize(), grow, 1e-6f);
    EXPECT_NEAR(GetGroupParam(&design, kBondKind, 'aspy') * design.GetBaseFontSize(), grow, 1e-6f);
    const struct
    {
        uint32_t kind;
        const char *group;
        float width;
    } boxes[] = {{'bdmn', "m", 6.0f}, {'bdup', "u", 4.0f}, {'bdlr', "r", 3.0f}};
    float xMin = 1e9f, yMin = 1e9f, xMax = -1e9f, yMax = -1e9f;
    for (const auto &box : boxes)
    {
        auto *group = document.Find<GroupNode>(box.group);
        const Point2D *points = nullptr;
        ASSERT_EQ(bond->GetAnchorPoints(box.kind, &points), 4);
        const Point2D at = group->absolutePosition;
        ASSERT_EQ(group->width, box.width);
        // The group's box: its rows reach at least the empty row's height and depth.
        const float bottom = group->bottom, top = group->top;
        const Point2D expected[4] = {Point2D(at.x - grow, at.y + bottom - grow),
                                     Point2D(at.x + box.width + grow, at.y + bottom - grow),
                                     Point2D(at.x - grow, at.y + top + grow),
                                     Point2D(at.x + box.width + grow, at.y + top + grow)};
        for (int32_t i = 0; i < 4; ++i)
        {
            EXPECT_NEAR(points[i].x, expected[i].x, 1e-4f) << box.group << " " << i;
            EXPECT_NEAR(points[i].y, expected[i].y, 1e-4f) << box.group << " " << i;
        }
        xMin = std::min(xMin, expected[0].x);
        yMin = std::min(yMin, expected[0].y);
        xMax = std::max(xMax, expected[3].x);
        yMax = std::max(yMax, expected[3].y);
    }
    const Point2D *points = nullptr;
    ASSERT_EQ(bond->GetAnchorPoints('bond', &points), 4);
    const Point2D expected[4] = {Point2D(xMin, yMin), Point2D(xMax, yMin), Point2D(xMin, yMax), Point2D(xMax, yMax)};
    for (int32_t i = 0; i < 4; ++i)
    {
        EXPECT_NEAR(points[i].x, expected[i].x, 1e-4f) << i;
        EXPECT_NEAR(points[i].y, expected[i].y, 1e-4f) << i;
    }
    // A second layout does not move them again.
    document.LayoutAll(&design);
    ASSERT_EQ(bond->GetAnchorPoints('bond', &points), 4);
    EXPECT_NEAR(points[0].x, xMin, 1e-4f);
}

TEST(BondAnchors, HandleColors)
{
    BondNode bond;
    Preferences preferences;
    for (uint32_t kind : {0u, uint32_t('cent')})
        EXPECT_EQ(bond.GetAnchorHandleColor(&preferences, kind), &preferences.colors[kColorEquationAnchor]);
    for (uint32_t kind : {'bond', 'bdmn', 'bdup', 'bdul', 'bdur', 'bdlw', 'bdll', 'bdlr'})
        EXPECT_EQ(bond.GetAnchorHandleColor(&preferences, kind), &preferences.colors[kColorSpecialAnchor]);
    EXPECT_EQ(bond.GetAnchorHandleColor(nullptr, 'bond'), nullptr);
}

TEST(BondAnchors, DrawingsFollowTheirPointsAndLoseOnlyTheLinksOfOneKind)
{
    const std::string drawings = "\nDr $d { X { ref{$b,$b} u32{'bdup','bond'} i32{0,3} } }"
                                 "\nDr $e { X { ref{$b,$b,$b} u32{'bdlr','bdup','bdmn'} i32{1,2,0} } }";
    StructureTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(BondText(kTwoLabels, drawings).c_str())), "0");
    Design design;
    document.LayoutAll(&design);
    auto *bond = document.Find<BondNode>("b");
    auto *d = document.Find<test::TestDrawingNode>("d");
    auto *e = document.Find<test::TestDrawingNode>("e");
    ASSERT_NE(d, nullptr);
    ASSERT_NE(e, nullptr);
    const Point2D *points = nullptr;
    ASSERT_EQ(bond->GetAnchorPoints('bdup', &points), 4);
    EXPECT_EQ(d->start.x, points[0].x);
    EXPECT_EQ(d->start.y, points[0].y);
    ASSERT_EQ(bond->GetAnchorPoints('bdmn', &points), 4);
    EXPECT_EQ(e->finish.x, points[0].x);

    auto incomingKinds = [bond]() {
        std::vector<uint32_t> kinds;
        for (NodeLink *link = bond->GetFirstIncomingLink(); link != nullptr; link = link->GetNextIncomingLink())
            kinds.push_back(link->anchorKind);
        return kinds;
    };
    EXPECT_EQ(incomingKinds(), (std::vector<uint32_t>{'bdup', 'bond', 'bdlr', 'bdup', 'bdmn'}));
    bond->DeleteLinksAtAnchor('bdup');
    EXPECT_EQ(incomingKinds(), (std::vector<uint32_t>{'bond', 'bdlr', 'bdmn'}));
    // The drawings stay, with their other links.
    ASSERT_EQ(document.Find<test::TestDrawingNode>("d"), d);
    EXPECT_EQ(d->GetOutgoingLinkCount(), 1);
    EXPECT_EQ(e->GetOutgoingLinkCount(), 2);
    bond->DeleteLinksAtAnchor('bdul');
    EXPECT_EQ(incomingKinds().size(), 3u);
}

}  // namespace
}  // namespace oq
