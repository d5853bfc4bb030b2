// Groups and their rows: row stacking, alignment-mark columns, row alignment, the baseline row, the
// marks' widths and the editing aids of row begins and marks.
#include "support/DocumentTestKinds.h"

#include "editor/fonts/Design.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::MathTestDocument;
using test::ResultText;

// Factory design: em 11 pt, mu 11/18 pt; a row reaches 0.875 mu below its baseline and 0.875 mu above
// the capital height (0.6621 em); line spacing 1.5 em, least line gap 7 mu; math axis 0.25555 em.
constexpr float kEm = 11.0f;
constexpr float kMu = 11.0f / 18.0f;
constexpr float kRowBottom = -0.875f * kMu;
constexpr float kRowTop = 0.875f * kMu + 0.6621f * kEm;
constexpr float kLineSpacing = 1.5f * kEm;

// One expected coordinate: the node's x or y in its group, or its width.
struct Expected
{
    const char *name;
    char what;  // 'x', 'y' (position in the group), 'a' (absolute y), 'w' (width), 'e' (x + width)
    float value;
};

TEST(GroupNode, RowLayout)
{
    struct Case
    {
        const char *what;
        const char *text;
        std::vector<Expected> expected;
    } cases[] = {
        {"marks line up the columns of A, mark, B and AAA, mark, B",
         "Gr $g { Bg {} Fx $a1 (w=1) {} Al {} Fx $b1 (w=2) {} Bg {} Fx $a2 (w=3) {} Al {} Fx $b2 (w=2) {} }",
         {{"b1", 'x', 3.0f}, {"b2", 'x', 3.0f}, {"a1", 'x', 0.0f}, {"a2", 'x', 0.0f}, {"g", 'w', 5.0f}}},
        {"right marks end the segments before them at one x",
         "Gr { Bg {} Fx $a1 (w=1) {} Al (al='rght') {} Fx $b1 (w=2) {} Bg {} Fx $a2 (w=3) {} Al (al='rght') {} Fx $b2 (w=2) {} }",
         {{"a1", 'e', 3.0f}, {"a2", 'e', 3.0f}, {"b1", 'x', 3.0f}, {"b2", 'x', 3.0f}}},
        {"centre marks centre them in their column",
         "Gr { Bg {} Fx $a1 (w=1) {} Al (al='cent') {} Fx $b1 (w=2) {} Bg {} Fx $a2 (w=3) {} Al {} Fx $b2 (w=2) {} }",
         {{"a1", 'x', 1.0f}, {"b1", 'x', 3.0f}}},
        {"the second column follows the widest first and second segments",
         "Gr { Bg {} Fx (w=1) {} Al {} Fx (w=5) {} Al {} Fx $c1 {} Bg {} Fx (w=3) {} Al {} Fx (w=1) {} Al {} Fx $c2 {} }",
         {{"c1", 'x', 8.0f}, {"c2", 'x', 8.0f}}},
        {"'mddl' of three rows puts the second row's baseline at 0",
         "Gr (ba='mddl') { Bg {} Fx $a {} Bg {} Fx $b {} Bg {} Fx $c {} }",
         {{"a", 'a', kLineSpacing}, {"b", 'a', 0.0f}, {"c", 'a', -kLineSpacing}, {"c", 'y', -2.0f * kLineSpacing}}},
        {"'mddl' of two rows centres the group on the math axis", "Gr $g (ba='mddl') { Bg {} Fx $a {} Bg {} Fx $b {} }",
         {{"g", 'y', 0.25555f * kEm - (kRowTop + (-kLineSpacing + kRowBottom)) / 2.0f}}},
        {"'last' puts the last row's baseline at 0", "Gr $g { Bg {} Fx $a {} Bg {} Fx $b {} }",
         {{"g", 'y', kLineSpacing}, {"b", 'a', 0.0f}}},
        {"'frst' puts the first row's baseline at 0", "Gr $g (ba='frst') { Bg {} Fx $a {} Bg {} Fx $b {} }",
         {{"g", 'y', 0.0f}, {"a", 'a', 0.0f}}},
        {"baseline distance: top + depth + the least gap when that exceeds the line spacing",
         "Gr { Bg {} Fx (b=-5) {} Bg {} Fx $n (t=10) {} }", {{"n", 'y', -(10.0f + 5.0f + 7.0f * kMu)}}},
        {"baseline distance: \"lg\" -1 is the least gap", "Gr { Bg {} Fx (b=-5) {} Bg (lg=-1) {} Fx $n (t=10) {} }",
         {{"n", 'y', -(10.0f + 5.0f + 7.0f * kMu)}}},
        {"baseline distance: \"lg\" 0 leaves the line spacing", "Gr { Bg {} Fx (b=-5) {} Bg (lg=0) {} Fx $n (t=10) {} }",
         {{"n", 'y', -kLineSpacing}}},
        {"baseline distance: \"lg\" 3", "Gr { Bg {} Fx (b=-5) {} Bg (lg=3) {} Fx $n (t=10) {} }",
         {{"n", 'y', -(10.0f + 5.0f + 3.0f * kMu)}}},
        {"an empty group is half an em wide", "Gr $g { Bg $r {} }", {{"g", 'w', kEm / 2.0f}, {"r", 'w', kEm / 2.0f}}},
        {"row alignment 'cent' of two rows", "Gr (al='cent') { Bg {} Fx $a (w=10) {} Bg {} Fx $b (w=4) {} }",
         {{"a", 'x', 0.0f}, {"b", 'x', 3.0f}}},
        {"row alignment 'rght' of two rows", "Gr (al='rght') { Bg {} Fx $a (w=10) {} Bg {} Fx $b (w=4) {} }",
         {{"a", 'x', 0.0f}, {"b", 'x', 6.0f}}},
        {"no row alignment with a mark in any row",
         "Gr (al='rght') { Bg {} Fx $a (w=10) {} Bg {} Al {} Fx $b (w=4) {} }", {{"b", 'x', 0.0f}}},
        {"a mark at a row start has width 0; after 2 mu of right spacing it is 2 mu wide and stands in it",
         "Gr { Bg {} Al $m1 {} Fx (w=5,rs=1.2222222) {} Al $m2 {} Fx $n (w=1) {} }",
         {{"m1", 'w', 0.0f}, {"m1", 'x', 0.0f}, {"m2", 'w', 2.0f * kMu}, {"m2", 'x', 5.0f - 2.0f * kMu}, {"n", 'x', 5.0f}}},
        {"a mark right after a mark stands in the same white space",
         "Gr { Bg {} Fx (w=5,rs=1.2222222) {} Al $m1 {} Al $m2 {} Fx $n (w=1) {} }",
         {{"m1", 'w', 2.0f * kMu}, {"m2", 'w', 2.0f * kMu}, {"m2", 'x', 5.0f - 2.0f * kMu}, {"n", 'x', 5.0f}}},
        {"a slot group's rows use the script line spacing deeper down",
         "St (ss=1) { Gr { Bg {} Fx {} Bg {} Fx $n {} } }", {{"n", 'y', -(kRowTop - kRowBottom + 5.0f * kMu)}}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        Design design;
        MathTestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(c.text)), "0");
        document.LayoutAll(&design);
        for (const Expected &e : c.expected)
        {
            const MathNode *node = document.Find(e.name);
            ASSERT_NE(node, nullptr) << e.name;
            float actual = 0.0f;
            switch (e.what)
            {
            case 'x': actual = node->position.x; break;
            case 'y': actual = node->position.y; break;
            case 'a': actual = node->absolutePosition.y; break;
            case 'w': actual = node->width; break;
            default: actual = node->position.x + node->width; break;
            }
            EXPECT_NEAR(actual, e.value, 1e-4f) << e.name << " " << e.what;
        }
    }
}

TEST(GroupNode, RowRecords)
{
    Design design;
    MathTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve("Gr $g (al='cent') { Bg $r0 {} Fx (w=10) {} Bg $r1 {} Fx (w=4) {} }")),
              "0");
    document.LayoutAll(&design);
    const GroupNode *group = document.Find<GroupNode>("g");
    ASSERT_EQ(group->GetRowCount(), 2);
    EXPECT_EQ(group->GetRow(0)->rowBegin, document.Find("r0"));
    EXPECT_EQ(group->GetRow(1)->rowBegin, document.Find("r1"));
    EXPECT_FLOAT_EQ(group->GetRow(1)->x, 3.0f);
    EXPECT_FLOAT_EQ(group->GetRow(1)->rightEnd, 7.0f);
    EXPECT_FLOAT_EQ(group->GetRow(1)->baselineOffset, -kLineSpacing);
    EXPECT_FLOAT_EQ(group->GetLastRowBaseline(), -kLineSpacing);
    EXPECT_FLOAT_EQ(group->top, kRowTop);
    EXPECT_FLOAT_EQ(group->bottom, -kLineSpacing + kRowBottom);
    EXPECT_EQ(group->GetRow(99), group->GetRow(1));
    EXPECT_EQ(group->GetRow(-1), group->GetRow(0));
    EXPECT_EQ(document.Find("r1")->rowIndex, 1);
    // A top-level group asks for row-edge spaces.
    EXPECT_TRUE(group->spaceAtRowStart);
    EXPECT_TRUE(group->spaceAtRowEnd);
}

TEST(AlignmentMarkNode, VariantCycle)
{
    AlignmentMarkNode *mark = new AlignmentMarkNode;
    EXPECT_TRUE(mark->HasVariant());
    EXPECT_FALSE(mark->TakesPartInSpacing());
    std::string cycle = test::ResultText(mark->markAlignment);
    for (int i = 0; i < 3; ++i)
    {
        mark->CycleVariant();
        cycle += " " + test::ResultText(mark->markAlignment);
    }
    EXPECT_EQ(cycle, "left rght cent left");
    mark->markAlignment = 'what';
    mark->CycleVariant();
    EXPECT_EQ(mark->markAlignment, kAlignLeft);
    delete mark;
}

// The curves of the fill items the subtree builds for the editing aids, per item.
std::vector<int32_t> BuildAids(const MathNode *node, uint32_t flags, const Design &design, const Preferences &preferences,
                               std::vector<uint32_t> *colors)
{
    List list;
    node->BuildEditingAidItems(flags, &preferences, &design, &list);
    std::vector<int32_t> counts;
    for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
    {
        const FillPathItem *item = static_cast<const FillPathItem *>(e);
        counts.push_back(item->curveCount);
        colors->push_back(item->color);
    }
    list.Purge();
    return counts;
}

TEST(GroupNode, EditingAids)
{
    Design design;
    Preferences preferences;
    MathTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(
                  "Gr $g { Bg {} Fx {} Al {} Bg {} Fx {} Al (al='rght') {} Bg {} Al (al='cent') {} Bg {} }")),
              "0");
    document.LayoutAll(&design);
    const MathNode *group = document.Find("g");
    struct Case
    {
        uint32_t flags;
        std::vector<int32_t> curves;
        std::vector<uint32_t> colors;
    } cases[] = {
        {0, {}, {}},
        {0x10, {}, {}},
        {1, {8}, {preferences.colors[kColorEmptyGroup]}},
        {4, {6, 6, 8}, std::vector<uint32_t>(3, preferences.colors[kColorAligner])},
        {5, {6, 6, 8, 8}, {}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.flags);
        std::vector<uint32_t> colors;
        EXPECT_EQ(BuildAids(group, c.flags, design, preferences, &colors), c.curves);
        if (!c.colors.empty())
        {
            EXPECT_EQ(colors, c.colors);
        }
    }

    // The empty row's frame lies 0.05 em around the row begin's box.
    List list;
    document.Find("g")->GetLastMathSubnode()->BuildEditingAidItems(1, &preferences, &design, &list);
    const FillPathItem *frame = static_cast<const FillPathItem *>(list.GetFirstListElement());
    ASSERT_NE(frame, nullptr);
    const MathNode *row = document.Find("g")->GetLastMathSubnode();
    float minX = 1e9f, maxX = -1e9f;
    for (int32_t i = 0; i < frame->curveCount; ++i)
    {
        minX = std::min(minX, frame->curves[i].p0.x);
        maxX = std::max(maxX, frame->curves[i].p0.x);
    }
    EXPECT_NEAR(minX, row->absolutePosition.x - 0.05f * kEm, 1e-4f);
    EXPECT_NEAR(maxX, row->absolutePosition.x + kEm / 2.0f + 0.05f * kEm, 1e-4f);
    list.Purge();
}

}  // namespace
}  // namespace oq
