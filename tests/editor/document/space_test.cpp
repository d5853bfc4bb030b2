// Space nodes: fixed spaces and tab stops in a row, their anchors, editing aids, node text, LaTeX and
// MathML.
#include "support/DocumentTestKinds.h"
#include "support/LatexOracles.h"
#include "support/MathMLValidator.h"

#include "editor/document/MathDesign.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;
using test::SpaceTestDocument;

// Factory design: em 11 pt.
constexpr float kEm = 11.0f;
constexpr float kMu = kEm / 18.0f;

std::string Text(const TextString &text)
{
    return text.GetText() != nullptr ? text.GetText() : "";
}

TEST(SpaceNode, FixedSpaces)
{
    struct Case
    {
        float size;
        const char *latex;
        bool setsControlWord;
        const char *mathml;
    } cases[] = {
        {-3.0f, "\\!", false, "<mspace width=\"-0.16666667em\"/>"},
        {0.0f, "\\mkern0mu", true, "<mspace width=\"0em\"/>"},
        {3.0f, "\\,", false, "<mspace width=\"0.16666667em\"/>"},
        {4.0f, "\\>", false, "<mspace width=\"0.22222222em\"/>"},
        {5.0f, "\\;", false, "<mspace width=\"0.2777778em\"/>"},
        {7.0f, "\\mkern7mu", true, "<mspace width=\"0.3888889em\"/>"},
        {2.5f, "\\mkern2.5mu", true, "<mspace width=\"0.1388889em\"/>"},
        {18.0f, "\\quad", true, "<mspace width=\"1em\"/>"},
        {36.0f, "\\qquad", true, "<mspace width=\"2em\"/>"},
        // No exponents: TeX and MathML lengths take none.
        {0.00001f, "\\mkern0.00001mu", true, "<mspace width=\"0.000000556em\"/>"},
    };
    Design design;
    std::vector<std::string> formulas;
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.size);
        SpaceTestDocument document;
        std::string text = "Gr { Bg {} Fx $a (w=5) {} Sp $s (s=" + std::to_string(c.size) + ") {} Fx $n (w=1) {} }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        document.LayoutAll(&design);
        const SpaceNode *space = document.Find<SpaceNode>("s");
        ASSERT_NE(space, nullptr);

        // A negative space moves the next node left.
        EXPECT_NEAR(space->width, c.size * kMu, 1e-5f);
        EXPECT_NEAR(document.Find("n")->position.x, 5.0f + c.size * kMu, 1e-5f);

        // Anchors right of the space and in its middle, spanning the row; none without a width.
        const uint32_t *kinds = nullptr;
        ASSERT_EQ(space->GetAnchorKinds(&kinds), 2);
        EXPECT_EQ(kinds[1], kCentreAnchorKind);
        const Point2D *box = nullptr;
        const Point2D *centre = nullptr;
        int32_t boxCount = space->GetAnchorPoints(0, &box);
        int32_t centreCount = space->GetAnchorPoints(kCentreAnchorKind, &centre);
        EXPECT_EQ(space->GetAnchorPoints('axis', &box), 0);
        if (c.size <= 0.0f)
        {
            EXPECT_EQ(boxCount, 0);
            EXPECT_EQ(centreCount, 0);
        }
        else
        {
            // The top-level group adds the outer pair.
            ASSERT_EQ(boxCount, 4);
            ASSERT_EQ(centreCount, 4);
            space->GetAnchorPoints(0, &box);
            EXPECT_NEAR(box[0].x, 5.0f + c.size * kMu, 1e-5f);
            EXPECT_NEAR(centre[0].x, 5.0f + c.size * kMu / 2.0f, 1e-5f);
            EXPECT_LT(box[0].y, 0.0f);
            EXPECT_GT(box[1].y, 0.6621f * kEm);
            EXPECT_LT(box[2].y, box[0].y);
            EXPECT_GT(box[3].y, box[1].y);
        }

        for (uint8_t before : {0, 1})
        {
            MathWriterState state;
            state.controlWord = before;
            TextString latex;
            space->WriteLatex(&state, &latex);
            EXPECT_EQ(Text(latex), c.latex);
            EXPECT_EQ(state.controlWord, c.setsControlWord ? 1 : before);
            if (before == 0)
            {
                // A following math run "plus ..." gets its blank from the flag.
                formulas.push_back("x" + Text(latex) + (state.controlWord ? " " : "") + "plus y");
            }
        }
        MathWriterState state;
        TextString mathml;
        space->WriteMathML(&state, &mathml);
        EXPECT_EQ(Text(mathml), c.mathml);
        EXPECT_EQ(test::ValidateMathML("<math xmlns=\"http://www.w3.org/1998/Math/MathML\">" + Text(mathml) + "</math>", ""),
                  "");
    }
    // "plus" after \mskip7mu would be read as the glue's stretch; after \mkern it stays text.
    EXPECT_EQ(test::CompileWithPdflatex(formulas), "");
}

TEST(SpaceNode, TabStops)
{
    float tabAdvance = 0.0f;
    {
        Design design;
        tabAdvance = kEm * GetGeneralParam(&design, 'tabb');
    }
    ASSERT_GT(tabAdvance, 0.0f);
    const float tabSize = 18.0f * kMu;  // "s=18": a tab width of one em
    struct Case
    {
        const char *what;
        const char *size;   // the tab's "s"
        float before;       // the width in front of the tab
        float tabb;         // the design's tab advance in em; negative keeps the factory value
        float width;
    } cases[] = {
        {"at 1.5 tab widths: half a tab width", "18", 1.5f * tabSize, -1.0f, 0.5f * tabSize},
        {"at 2 tab widths: a full tab width", "18", 2.0f * tabSize, -1.0f, tabSize},
        {"at 0: a full tab width", "18", 0.0f, -1.0f, tabSize},
        {"just past a stop", "18", tabSize + 0.01f, -1.0f, tabSize - 0.01f},
        {"\"s\" 0 takes the design's tab advance", "0", 0.25f * tabAdvance, -1.0f, 0.75f * tabAdvance},
        {"a negative \"s\" takes it too", "-5", 0.25f * tabAdvance, -1.0f, 0.75f * tabAdvance},
        {"a tab advance of 0 gives width 0", "0", 3.0f, 0.0f, 0.0f},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        Design design;
        if (c.tabb >= 0.0f) design.GetGroupSlots(0)[24 / 4] = c.tabb;
        ASSERT_EQ(GetGeneralParam(&design, 'tabb'), c.tabb >= 0.0f ? c.tabb : tabAdvance / kEm);
        SpaceTestDocument document;
        std::string text = "Gr { Bg {} Fx (w=" + std::to_string(c.before) + ") {} Sp $t (t,s=" + c.size + ") {} }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        document.LayoutAll(&design);
        const SpaceNode *tab = document.Find<SpaceNode>("t");
        EXPECT_NEAR(tab->width, c.width, 1e-4f);
        EXPECT_TRUE(std::isfinite(tab->width));
        // A tab offers box anchors only, and none without a width.
        const uint32_t *kinds = nullptr;
        EXPECT_EQ(tab->GetAnchorKinds(&kinds), 1);
        const Point2D *points = nullptr;
        EXPECT_EQ(tab->GetAnchorPoints(0, &points), c.width > 0.0f ? 4 : 0);
        EXPECT_EQ(tab->GetAnchorPoints(kCentreAnchorKind, &points), 0);
        // It writes nothing.
        MathWriterState state;
        TextString output;
        tab->WriteLatex(&state, &output);
        tab->WriteMathML(&state, &output);
        EXPECT_EQ(Text(output), "");
        EXPECT_EQ(state.controlWord, 0);
    }
}

TEST(SpaceNode, EditingAids)
{
    Design design;
    Preferences preferences;
    const float h = 0.0125f * kEm;
    struct Case
    {
        const char *what;
        const char *space;
        int32_t curves;
        float left, right, low, high;  // the extent of the shape in node coordinates (y up)
    } cases[] = {
        {"a space: a cup under it", "Sp $s (s=9) {}", 8, -h, 9.0f * kMu + h, -0.2f * kEm, -0.0625f * kEm},
        {"a negative space: an inverted cup", "Sp $s (s=-9) {}", 8, -9.0f * kMu - h, h, -0.2f * kEm, -0.0625f * kEm},
        {"an empty space: a bar", "Sp $s {}", 4, -h, h, -0.3125f * kEm, -0.0625f * kEm},
        {"a tab: an arrow on the axis", "Sp $s (t) {}", 10, 0.0f, 0.3f * kEm, 0.25555f * kEm - 0.08f * kEm - h,
         0.25555f * kEm + 0.08f * kEm + h},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        SpaceTestDocument document;
        std::string text = std::string("Gr { Bg {} Fx (w=3) {} ") + c.space + " }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        document.LayoutAll(&design);
        const SpaceNode *space = document.Find<SpaceNode>("s");
        List list;
        space->BuildEditingAidItems(1 | 4 | 8, &preferences, &design, &list);
        EXPECT_EQ(list.GetListElementCount(), 0);
        space->BuildEditingAidItems(2, &preferences, &design, &list);
        ASSERT_EQ(list.GetListElementCount(), 1);
        const FillPathItem *item = static_cast<const FillPathItem *>(list.GetFirstListElement());
        EXPECT_EQ(item->color, preferences.colors[kColorMathSpace]);
        ASSERT_EQ(item->curveCount, c.curves);
        // The item turns y down and moves the shape to the node.
        float left = 1e9f, right = -1e9f, low = 1e9f, high = -1e9f;
        for (int32_t i = 0; i < item->curveCount; ++i)
        {
            for (const Point2D &p : {item->curves[i].p0, item->curves[i].p1, item->curves[i].p2})
            {
                float x = p.x - space->absolutePosition.x;
                float y = -p.y - space->absolutePosition.y;
                left = std::min(left, x);
                right = std::max(right, x);
                low = std::min(low, y);
                high = std::max(high, y);
            }
            // The cups and bars are one closed contour each.
            if (c.curves != 10)
            {
                EXPECT_TRUE(item->curves[i].p2 == item->curves[(i + 1) % item->curveCount].p0);
            }
        }
        EXPECT_NEAR(left, c.left, 1e-4f);
        EXPECT_NEAR(right, c.right, 1e-4f);
        if (c.curves != 10)
        {
            EXPECT_NEAR(low, c.low, 1e-4f);
            EXPECT_NEAR(high, c.high, 1e-4f);
        }
        else
        {
            EXPECT_GT(low, c.low);
            EXPECT_LT(high, c.high);
        }
        list.Purge();
    }
}

TEST(SpaceNode, NodeText)
{
    struct Case
    {
        const char *text;
        const char *written;  // "" when it fails to read
        const char *result;
    } cases[] = {
        {"Sp {}", "Sp {}\n", "0"},
        {"Sp (s=7) {}", "Sp (s=7.0) {}\n", "0"},
        {"Sp (s=-2.5,t) {}", "Sp (s=-2.5,t) {}\n", "0"},
        {"Sp (t,as=2) {}", "Sp (as=2.0,t) {}\n", "0"},
        {"Sp (s=0x7FC00000) {}", "Sp {}\n", "0"},
        {"Sp (s=0x7F800000,t) {}", "Sp (t) {}\n", "0"},
        {"Sp (t=0) {}", "Sp {}\n", "0"},
        {"Sp { Fx {} }", "", "IVST"},
        {"Sp { Bg {} }", "", "IVST"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.text);
        SpaceTestDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(c.text)), c.result);
        if (c.written[0] == 0) continue;
        EXPECT_EQ(document.WriteText(), c.written);
        // The clone keeps "s" and "t".
        auto *space = dynamic_cast<SpaceNode *>(document.GetRootStructure()->GetFirstSubnodeStructure());
        ASSERT_NE(space, nullptr);
        DocumentNode *copy = space->Clone();
        auto *spaceCopy = static_cast<SpaceNode *>(copy);
        EXPECT_EQ(spaceCopy->size, space->size);
        EXPECT_EQ(spaceCopy->isTab, space->isTab);
        EXPECT_EQ(spaceCopy->scale, space->scale);
        delete copy;
    }
}

}  // namespace
}  // namespace oq
