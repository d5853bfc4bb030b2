// Where chemical bond lines meet real symbol runs: the first and last glyph centres of a group's first
// and last rows, by the group's alignment, through a nested bond's main group, and for a first run
// that its row's alignment moved.
#include "DesignRangeCases.h"
#include "OperatorFont.h"
#include "StructureFixtures.h"
#include "editor/document/OneFontTest.h"

#include "editor/document/GroupNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/structures/BondNode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;

class BondAttachTest : public test::OneFontTest
{
protected:
    // 'C' and 'H' as one inked glyph (advance 1 em, ink 0.1 to 0.9 em).
    void SetUp() override { StartWithFont(test::MakeOperatorFont({'C', 'H'}, {}), "atoms.vorl"); }

    // Reads the text (one top-level row) and lays it out; the bond is $b.
    BondNode *Read(const std::string &text)
    {
        document = std::make_unique<test::StructureTestDocument>();
        EXPECT_EQ(ResultText(document->ParseAndResolve(text.c_str())), "0") << text;
        document->LayoutAll(&design);
        auto *bond = document->Find<BondNode>("b");
        EXPECT_NE(bond, nullptr);
        return bond;
    }
    SymbolRunNode *Run(const char *name)
    {
        auto *run = document->Find<SymbolRunNode>(name);
        EXPECT_TRUE(run != nullptr && run->GetGlyphCount() > 0) << name;
        return run;
    }
    // The x of a run's first or last glyph centre in the coordinates of the bond $b.
    float CenterInBond(const char *name, bool last)
    {
        SymbolRunNode *run = Run(name);
        const BondNode *bond = document->Find<BondNode>("b");
        float x = last ? run->GetLastGlyphCenterX(&design) : run->GetFirstGlyphCenterX(&design);
        for (const MathNode *node = run; node != nullptr && node != bond; node = node->GetSuperMathNode())
            x += node->position.x;
        return x;
    }
    // The two ends of a single line: the middles of its start and end caps.
    static void LineEnds(const BondNode *bond, int32_t line, Point2D *p0, Point2D *p1)
    {
        int32_t first = 0;
        for (int32_t i = 0; i < line; ++i) first += bond->lineCurveCounts[i];
        ASSERT_EQ(bond->lineCurveCounts[line], 4);
        const QuadraticBezier2D *c = bond->curves.GetElements() + first;
        *p0 = Point2D((c[0].p0.x + c[0].p2.x) * 0.5f, (c[0].p0.y + c[0].p2.y) * 0.5f);
        *p1 = Point2D((c[2].p0.x + c[2].p2.x) * 0.5f, (c[2].p0.y + c[2].p2.y) * 0.5f);
    }
    float H() const { return 0.5f * GetGeneralParam(&design, 'cptl') * design.GetBaseFontSize(); }

    std::unique_ptr<test::StructureTestDocument> document;
};

TEST_F(BondAttachTest, VerticalLinesLeaveTheCornerGlyphsByAlignment)
{
    const struct
    {
        const char *alignment;   // of the main group
        const char *upperRun;    // the run whose glyph the line above leaves; nullptr: the group's middle
        bool upperLast;
        const char *lowerRun;
        bool lowerLast;
    } cases[] = {
        {"", "a", false, "c", false},
        {" (al='left')", "a", false, "c", false},
        {" (al='rght')", "g", true, "d", true},
        {" (al='cent')", nullptr, false, nullptr, false},
    };
    for (const auto &c : cases)
    {
        std::string text = std::string("Gr { Bg {} Bd $b { u32[2]{{'uppr','sing'},{'lowr','sing'}} Gr $m") +
                           c.alignment +
                           " { Bg {} Sb $a {s{\"HC\"}} Fx (w=3,t=8,b=-1) {} Sb $g {s{\"CH\"}} Bg {} Sb $c {s{\"CC\"}} "
                           "Fx (w=2,t=8,b=-1) {} Sb $d {s{\"HH\"}} } Gr $u (t='uppr') { Bg {} Sb $e {s{\"CH\"}} } "
                           "Gr $l (t='lowr') { Bg {} Sb $f {s{\"HC\"}} } } }";
        BondNode *bond = Read(text);
        ASSERT_NE(bond, nullptr);
        ASSERT_EQ(bond->lineCount, 2);
        GroupNode *main = document->Find<GroupNode>("m");
        Point2D p0(0.0f, 0.0f), p1(0.0f, 0.0f), q0(0.0f, 0.0f), q1(0.0f, 0.0f);
        LineEnds(bond, 0, &p0, &p1);
        LineEnds(bond, 1, &q0, &q1);
        float upper = c.upperRun != nullptr ? CenterInBond(c.upperRun, c.upperLast) : main->position.x + main->width * 0.5f;
        float lower = c.lowerRun != nullptr ? CenterInBond(c.lowerRun, c.lowerLast) : main->position.x + main->width * 0.5f;
        EXPECT_NEAR(p0.x, upper, 1e-4f) << c.alignment;
        EXPECT_NEAR(p1.x, upper, 1e-4f) << c.alignment;
        EXPECT_NEAR(q0.x, lower, 1e-4f) << c.alignment;
        // The labels (left aligned) meet the lines at their own first glyphs: the bottom one of the
        // label above, the top one of the label below.
        EXPECT_NEAR(CenterInBond("e", false), upper, 1e-4f) << c.alignment;
        EXPECT_NEAR(CenterInBond("f", false), lower, 1e-4f) << c.alignment;
        // Glyph centres are not the group's middle.
        EXPECT_EQ(std::fabs(upper - main->position.x - main->width * 0.5f) > 0.1f, c.upperRun != nullptr);
    }
}

TEST_F(BondAttachTest, DiagonalLinesLeaveTheCornerGlyphsOfTheFirstAndLastRows)
{
    const float h = H();
    const float spacing = GetGroupParam(&design, kBondKind, 'disp') * design.GetBaseFontSize() / 18.0f;
    const struct
    {
        uint32_t place;
        const char *run;  // the main group's corner run
        bool last;
        bool lastRow;
        float angle;  // of the direction, 45-degree lines
    } cases[] = {
        {kBondUpperLeft, "a", false, false, 135.0f},
        {kBondUpperRight, "g", true, false, 45.0f},
        {kBondLowerLeft, "c", false, true, -135.0f},
        {kBondLowerRight, "d", true, true, -45.0f},
    };
    for (const auto &c : cases)
    {
        std::string place = test::KeyName(c.place);
        std::string text = "Gr { Bg {} Bd $b { u32[2]{{'" + place +
                           "','sing'}} Gr $m { Bg {} Sb $a {s{\"HC\"}} Fx (w=3,t=8,b=-1) {} Sb $g {s{\"CH\"}} Bg {} Sb $c "
                           "{s{\"CC\"}} Fx (w=2,t=8,b=-1) {} Sb $d {s{\"HH\"}} } Gr $x (t='" +
                           place + "') { Bg {} Sb $e {s{\"CH\"}} Bg {} Sb $f {s{\"HC\"}} } } }";
        BondNode *bond = Read(text);
        ASSERT_NE(bond, nullptr);
        ASSERT_EQ(bond->lineCount, 1);
        GroupNode *main = document->Find<GroupNode>("m");
        GroupNode *label = document->Find<GroupNode>("x");
        double radians = double(c.angle) * 3.14159265358979323846 / 180.0;
        Vector2D d(float(std::cos(radians)), float(std::sin(radians)));
        float baseline = c.lastRow ? main->GetLastRowBaseline() : 0.0f;
        Point2D expected = Point2D(CenterInBond(c.run, c.last), main->position.y + baseline + h) + d * (h + spacing);
        Point2D p0(0.0f, 0.0f), p1(0.0f, 0.0f);
        LineEnds(bond, 0, &p0, &p1);
        EXPECT_NEAR(p0.x, expected.x, 1e-4f) << place;
        EXPECT_NEAR(p0.y, expected.y, 1e-4f) << place;
        // The label's opposite corner glyph: its last row for a label above, its first row below.
        const char *opposite = c.lastRow ? "e" : "f";
        bool oppositeLast = !c.last;
        float labelBaseline = c.lastRow ? 0.0f : label->GetLastRowBaseline();
        Point2D attach =
            Point2D(CenterInBond(opposite, oppositeLast), label->position.y + labelBaseline + h) - d * h;
        EXPECT_NEAR(attach.x, p1.x + spacing * d.x, 1e-4f) << place;
        EXPECT_NEAR(attach.y, p1.y + spacing * d.y, 1e-4f) << place;
    }
}

TEST_F(BondAttachTest, ANestedBondAttachesAtItsMainGroup)
{
    // The inner bond's label to the upper left pushes its main group right: the outer line above
    // follows the inner main group's run.
    BondNode *bond = Read("Gr { Bg {} Bd $b { u32[2]{{'uppr','sing'}} Gr { Bg {} Bd $i { u32[2]{{'uplf','sing'}} Gr $n "
                          "{ Bg {} Sb $a {s{\"HC\"}} } Gr (t='uplf') { Bg {} Sb {s{\"H\"}} } } Sb {s{\"H\"}} } Gr "
                          "(t='uppr') { Bg {} } } }");
    ASSERT_NE(bond, nullptr);
    GroupNode *inner = document->Find<GroupNode>("n");
    ASSERT_GT(inner->position.x, 1.0f);
    Point2D p0(0.0f, 0.0f), p1(0.0f, 0.0f);
    LineEnds(bond, 0, &p0, &p1);
    auto *nested = document->Find<BondNode>("i");
    float expected = bond->GetMainGroup()->position.x + nested->position.x + inner->position.x + Run("a")->position.x +
                     Run("a")->GetFirstGlyphCenterX(&design);
    EXPECT_NEAR(p0.x, expected, 1e-4f);
    EXPECT_NEAR(CenterInBond("a", false), expected, 1e-4f);
}

TEST_F(BondAttachTest, AFirstRunMovedByItsRowsAlignmentCarriesTheUpperLeftLine)
{
    // The short first row of a right-aligned group stands right of the group's left edge: the line to
    // the upper left leaves its first glyph where it stands.
    BondNode *bond = Read("Gr { Bg {} Bd $b { u32[2]{{'uplf','sing'}} Gr $m (al='rght') { Bg {} Sb $a {s{\"C\"}} Bg "
                          "{} Sb {s{\"HCHCH\"}} } Gr (t='uplf') { Bg {} } } }");
    ASSERT_NE(bond, nullptr);
    SymbolRunNode *run = Run("a");
    ASSERT_GT(run->position.x, 1.0f);
    const float h = H();
    const float spacing = GetGroupParam(&design, kBondKind, 'disp') * design.GetBaseFontSize() / 18.0f;
    Point2D p0(0.0f, 0.0f), p1(0.0f, 0.0f);
    LineEnds(bond, 0, &p0, &p1);
    EXPECT_NEAR(p0.x, CenterInBond("a", false) - (h + spacing) * std::sqrt(0.5f), 1e-4f);
}

TEST_F(BondAttachTest, TheEdgeRunsGiveTheirInsetsAndSpacings)
{
    BondNode *bond = Read("Gr { Bg {} Fx (w=5,t=8,b=-1) {} Bd $b { u32[2]{} Gr { Bg {} Sb $a {s{\"HC\"}} Fx (w=2,t=8,b=-1) "
                          "{} Sb $c {s{\"CH\"}} } } }");
    ASSERT_NE(bond, nullptr);
    SymbolRunNode *first = Run("a");
    SymbolRunNode *last = Run("c");
    EXPECT_EQ(bond->leftInset, first->leftInset);
    EXPECT_EQ(bond->leftSpacing, first->leftSpacing);
    EXPECT_EQ(bond->rightInset, last->rightInset);
    EXPECT_EQ(bond->rightSpacing, last->rightSpacing);
    EXPECT_NEAR(bond->GetMainGroup()->position.x, -std::min(first->leftInset, 0.0f), 1e-6f);
}

}  // namespace
}  // namespace oq
