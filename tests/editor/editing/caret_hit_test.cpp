// The caret under a point, the coarse row search, the object under a point and the caret's x, on
// laid-out documents of the one test face.
#include "CaretFaceFixture.h"

#include "editor/document/GroupNode.h"
#include "editor/document/RowBeginNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/editing/CaretHitTest.h"
#include "editor/structures/StructureKinds.h"
#include "support/DocumentTestKinds.h"
#include "vorl/text/VorlFontValidator.h"

#include <random>
#include <string>
#include <vector>

namespace oq::test {
namespace {

class CaretHitTest : public CaretFaceFixture
{
protected:
    // The n-th math node of the main group in document order (nested ones included).
    MathNode *NodeAt(int32_t n)
    {
        for (MathNode *node = main->GetFirstMathSubnode(); node != nullptr; node = NextInTree(node))
        {
            if (n-- == 0) return node;
        }
        return nullptr;
    }

    static MathNode *NextInTree(MathNode *node)
    {
        if (MathNode *child = node->GetFirstMathSubnode()) return child;
        while (node != nullptr)
        {
            if (MathNode *next = node->GetNextMathNode()) return next;
            node = node->GetSuperMathNode();
            if (node != nullptr && node->GetKind() == kGroupKind && node->GetSuperMathNode() == nullptr) return nullptr;
        }
        return nullptr;
    }

    // Where a caret stands as the one name for equal places: a run's start is the end of the node
    // before it.
    static std::string Describe(CaretPosition p)
    {
        if (p.node == nullptr) return "none";
        if (p.index == 0 && p.node->GetKind() == kSymbolRunKind && p.node->GetPreviousMathNode() != nullptr)
        {
            p.node = p.node->GetPreviousMathNode();
            p.index = p.node->GetEndIndex();
        }
        char kind[5] = {char(p.node->GetKind() >> 24), char(p.node->GetKind() >> 16), char(p.node->GetKind() >> 8),
                        char(p.node->GetKind()), 0};
        return std::string(kind) + "@" + std::to_string(reinterpret_cast<uintptr_t>(p.node) % 100000) + ":" +
               std::to_string(p.index);
    }

    // The point at the caret's x plus dx on the baseline of the caret node's row.
    Point2D CaretPoint(const CaretPosition &p, float dx)
    {
        GroupNode *group = p.node->GetEnclosingGroup();
        return Point2D(group->absolutePosition.x + GetCaretX(&editor->document, p) + dx, p.node->absolutePosition.y);
    }

    // Every caret stop of the main group's own rows.
    std::vector<CaretPosition> Stops()
    {
        std::vector<CaretPosition> stops;
        for (MathNode *node = main->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
        {
            if (auto *run = dynamic_cast<SymbolRunNode *>(node))
            {
                const char *text = run->text;
                int32_t length = run->text.GetLength();
                for (int32_t i = 1; i <= length; ++i)
                {
                    if (i == length || (uint8_t(text[i]) & 0xC0) != 0x80) stops.push_back({node, i});
                }
            }
            else
            {
                stops.push_back({node, 0});
            }
        }
        return stops;
    }

    CaretPosition Hit(const Point2D &point, bool *found = nullptr)
    {
        CaretPosition p;
        bool ok = editor->FindCaretAtPoint(main, point, &p);
        if (found != nullptr) *found = ok;
        if (!ok) p = CaretPosition();
        return p;
    }
};

// Runs of 1-, 2-, 3- and 4-byte characters (all of positive width) and spaces, in one or three rows.
std::string GenerateRows(uint32_t seed, int rows)
{
    std::mt19937 random(seed);
    const char *characters[] = {"A", "B", "\xCF\xBF", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
    std::string text = "Gr { ";
    for (int r = 0; r < rows; ++r)
    {
        text += "Bg {} ";
        int nodes = 1 + int(random() % 4);
        for (int n = 0; n < nodes; ++n)
        {
            if (n > 0 && random() % 3 == 0)
            {
                text += "Sp (s=" + std::to_string(2 + random() % 6) + ") {} ";
                continue;
            }
            text += "Sb {s{\"";
            int count = 1 + int(random() % 4);
            for (int c = 0; c < count; ++c) text += characters[random() % 6];
            text += "\"}} ";
        }
    }
    return text + "}";
}

TEST_F(CaretHitTest, PointJustRightOfEveryCaretStopFindsThatStop)
{
    for (int rows : {1, 3})
    {
        for (uint32_t seed = 0; seed < 12; ++seed)
        {
            std::string text = GenerateRows(seed, rows);
            Load(text);
            for (const CaretPosition &stop : Stops())
            {
                EXPECT_EQ(Describe(Hit(CaretPoint(stop, 0.1f))), Describe(stop)) << text << " index " << stop.index;
            }
        }
    }
}

TEST_F(CaretHitTest, ZeroWidthNodeSharesTheStopBeforeIt)
{
    Load("Gr { Bg {} Sb {s{\"AB\"}} Al {} Sb {s{\"B\"}} }");
    MathNode *mark = NodeAt(2);
    ASSERT_EQ(mark->GetKind(), kAlignmentMarkKind);
    CaretPosition afterRun{NodeAt(1), 2};
    EXPECT_EQ(GetCaretX(&editor->document, afterRun), GetCaretX(&editor->document, {mark, 0}));
    EXPECT_EQ(Describe(Hit(CaretPoint(afterRun, 0.1f))), Describe({mark, 0}));
}

// A point in a run's spacing, outside its glyphs: before the text the end of the node before it,
// after the text the run's end.
TEST_F(CaretHitTest, PointsInARunsSpacing)
{
    Load("Gr { Bg {} Sb {s{\"A\"}} Sb (ro='oper') {s{\"B\"}} Sb {s{\"A\"}} }");
    MathNode *first = NodeAt(1);
    MathNode *op = NodeAt(2);
    ASSERT_GT(op->leftSpacing, 0.5f);
    ASSERT_GT(op->rightSpacing, 0.5f);
    float y = op->absolutePosition.y;
    float x = op->absolutePosition.x;
    EXPECT_EQ(Describe(Hit(Point2D(x + op->leftSpacing * 0.5f, y))), Describe({first, 1}));
    EXPECT_EQ(Describe(Hit(Point2D(x + op->width - op->rightSpacing * 0.5f, y))), Describe({op, 1}));
}

TEST_F(CaretHitTest, StructuresAndMargins)
{
    Load("Gr { Bg {} Sb {s{\"AB\"}} Fr { Gr (t='numr') { Bg {} Sb {s{\"ABAB\"}} } Gr (t='dnom') { Bg {} Sb {s{\"B\"}} } } "
         "Sb {s{\"A\"}} }");
    MathNode *before = NodeAt(1);
    MathNode *fraction = NodeAt(2);
    MathNode *numerator = NodeAt(5);
    MathNode *after = NodeAt(9);
    ASSERT_EQ(numerator->GetKind(), kSymbolRunKind);
    ASSERT_EQ(after->GetKind(), kSymbolRunKind);
    float fx = fraction->absolutePosition.x;
    float fw = fraction->width;
    float axisY = fraction->absolutePosition.y + (fraction->top + fraction->bottom) * 0.5f;
    float m = main->GetEm(&editor->document.design) * 0.25f;
    float baseline = main->GetRow(0)->rowBegin->absolutePosition.y;
    CaretPosition rowStart{main->GetFirstMathSubnode(), 0};
    struct Case
    {
        const char *what;
        Point2D point;
        CaretPosition expected;
        bool found;
    } cases[] = {
        {"left half outside the slots", Point2D(fx + fw * 0.1f, axisY), {before, 2}, true},
        {"right half outside the slots", Point2D(fx + fw * 0.9f, axisY), {fraction, 0}, true},
        {"inside the numerator", CaretPoint({numerator, 1}, 0.1f), {numerator, 1}, true},
        {"numerator's end", CaretPoint({numerator, 4}, 0.1f), {numerator, 4}, true},
        {"left of the equation within the margin", Point2D(main->absolutePosition.x - m * 0.5f, baseline), rowStart, true},
        {"left of the equation past the margin", Point2D(main->absolutePosition.x - m * 1.5f, baseline), {}, false},
        {"above the equation past the margin", Point2D(fx + fw * 0.5f, main->absolutePosition.y + main->top + m * 1.5f),
         {},
         false},
        {"right of the equation within the margin",
         Point2D(main->absolutePosition.x + main->width + main->inkRight + m * 0.5f, baseline),
         {after, 1},
         true},
    };
    for (const Case &c : cases)
    {
        bool found = false;
        CaretPosition p = Hit(c.point, &found);
        EXPECT_EQ(found, c.found) << c.what;
        if (c.found)
        {
            EXPECT_EQ(Describe(p), Describe(c.expected)) << c.what;
        }
    }
}

TEST_F(CaretHitTest, SlotSearchStaysWithinTheClipRange)
{
    Load("Gr { Bg {} Fr { Gr (t='numr') { Bg {} Sb {s{\"ABAB\"}} } Gr (t='dnom') { Bg {} Sb {s{\"B\"}} } } }");
    auto *numerator = static_cast<GroupNode *>(NodeAt(2));
    ASSERT_EQ(numerator->GetKind(), kGroupKind);
    MathNode *run = numerator->GetLastMathSubnode();
    float m = numerator->GetEm(&editor->document.design) * 0.25f;
    Point2D past(numerator->absolutePosition.x + numerator->width + m * 0.5f, run->absolutePosition.y);
    CaretPosition p;
    ASSERT_TRUE(editor->FindCaretAtPoint(numerator, past, &p));
    EXPECT_EQ(Describe(p), Describe({run, 4}));
    CaretClipRange clip{numerator->absolutePosition.x, numerator->absolutePosition.x + numerator->width};
    EXPECT_FALSE(editor->FindCaretAtPoint(numerator, past, &p, &clip));
    clip.right = past.x;
    EXPECT_TRUE(editor->FindCaretAtPoint(numerator, past, &p, &clip));
}

// Three rows with the given gap ("lg" of the second and third row begins, in mu): the midpoint
// between a row's bottom and the next row's top decides, not the baselines.
TEST_F(CaretHitTest, RowChoiceByTheMidpointBetweenRows)
{
    for (const char *gap : {"0", "6", "40"})
    {
        std::string g = gap;
        Load("Gr { Bg {} Sb {s{\"B\"}} Bg (lg=" + g + ") {} Fr { Gr (t='numr') { Bg {} Sb {s{\"A\"}} } Gr (t='dnom') "
             "{ Bg {} Sb {s{\"A\"}} } } Bg (lg=" + g + ") {} Sb {s{\"B\"}} }");
        ASSERT_EQ(main->GetRowCount(), 3);
        float y0 = main->absolutePosition.y;
        for (int32_t i = 0; i < 2; ++i)
        {
            const GroupRow *upper = main->GetRow(i);
            const GroupRow *lower = main->GetRow(i + 1);
            float boundary = (upper->bottom + lower->top) * 0.5f;
            EXPECT_EQ(ChooseGroupRow(main, boundary + 0.01f), i) << gap;
            EXPECT_EQ(ChooseGroupRow(main, boundary - 0.01f), i + 1) << gap;
            // Just above the boundary but nearer the lower baseline: still the upper row.
            CaretPosition p;
            ASSERT_TRUE(FindCaretInGroup(main, Point2D(main->absolutePosition.x - 1.0f, y0 + boundary + 0.01f), &p));
            EXPECT_EQ(p.node, upper->rowBegin) << gap;
            ASSERT_TRUE(FindCaretInGroup(main, Point2D(main->absolutePosition.x - 1.0f, y0 + boundary - 0.01f), &p));
            EXPECT_EQ(p.node, lower->rowBegin) << gap;
        }
    }
}

TEST_F(CaretHitTest, CoarseSearchAboveBelowLeftAndBeside)
{
    Load("Gr { Bg {} Sb {s{\"AB\"}} Bg {} Sb {s{\"B\"}} Sp (s=4) {} }");
    MathNode *first = main->GetFirstMathSubnode();
    MathNode *firstEnd = NodeAt(1);
    MathNode *secondBegin = NodeAt(2);
    MathNode *last = main->GetLastMathSubnode();
    float x = main->absolutePosition.x;
    float y = main->absolutePosition.y;
    struct Case
    {
        const char *what;
        Point2D point;
        MathNode *node;
        int32_t index;
        bool inside;
    } cases[] = {
        {"above", Point2D(x + 1.0f, y + main->top + 1.0f), first, 0, false},
        {"below", Point2D(x + 1.0f, y + main->bottom - 1.0f), last, 0, false},
        {"left of the first row", Point2D(x - 5.0f, y), first, 0, true},
        {"beside the first row", Point2D(x + main->width + 50.0f, y), firstEnd, 2, true},
        {"left of the last row", Point2D(x - 5.0f, secondBegin->absolutePosition.y), secondBegin, 0, true},
        {"beside the last row", Point2D(x + 1.0f, secondBegin->absolutePosition.y), last, 0, true},
    };
    for (const Case &c : cases)
    {
        CaretPosition p;
        EXPECT_EQ(FindCaretInGroup(main, c.point, &p), c.inside) << c.what;
        EXPECT_EQ(p.node, c.node) << c.what;
        EXPECT_EQ(p.index, c.index) << c.what;
    }
}

TEST_F(CaretHitTest, TopmostObjectUnderThePointWins)
{
    Load("Gr { Bg {} Sb {s{\"ABAB\"}} }");
    KettricRoot *root = editor->document.GetRootStructure();
    auto makeDrawing = [&](Point2D start, Point2D finish, bool front) {
        auto *drawing = new TestDrawingNode("Ln");
        drawing->start = start;
        drawing->finish = finish;
        if (front) root->AppendSubnode(drawing);
        else root->PrependSubnode(drawing);
        return drawing;
    };
    float y = main->absolutePosition.y;
    TestDrawingNode *back = makeDrawing(Point2D(-20.0f, y), Point2D(60.0f, y), false);
    TestDrawingNode *lower = makeDrawing(Point2D(100.0f, -50.0f), Point2D(100.0f, 50.0f), true);
    TestDrawingNode *upper = makeDrawing(Point2D(80.0f, 0.0f), Point2D(120.0f, 0.0f), true);
    editor->zoom = 2.0f;
    struct Case
    {
        const char *what;
        Point2D point;
        DocumentNode *expected;
    } cases[] = {
        {"both drawings cross: the later one", Point2D(100.0f, 0.0f), upper},
        {"only the lower one", Point2D(101.0f, 30.0f), lower},
        {"within 3/zoom", Point2D(101.4f, 30.0f), lower},
        {"past 3/zoom", Point2D(101.6f, 30.0f), nullptr},
        {"the main group takes no object hits", Point2D(main->absolutePosition.x + 5.0f, y), back},
        {"the background drawing outside the group", Point2D(-15.0f, y), back},
        {"nothing", Point2D(50.0f, 40.0f), nullptr},
    };
    for (const Case &c : cases) EXPECT_EQ(editor->FindObjectAtPoint(c.point), c.expected) << c.what;
    // A foreground drawing over the main group wins over the one behind it.
    TestDrawingNode *front = makeDrawing(Point2D(-20.0f, y), Point2D(60.0f, y), true);
    EXPECT_EQ(editor->FindObjectAtPoint(Point2D(main->absolutePosition.x + 5.0f, y)), front);
}

TEST_F(CaretHitTest, NewNodesBeforeLayoutAreNotHit)
{
    Load("Gr { Bg {} Sb {s{\"AB\"}} }");
    GroupNode fresh(0);
    CaretPosition p;
    EXPECT_FALSE(editor->FindCaretAtPoint(&fresh, Point2D(0.0f, 0.0f), &p));
    EXPECT_FALSE(FindCaretInGroup(&fresh, Point2D(0.0f, 0.0f), &p));
}

}  // namespace
}  // namespace oq::test
