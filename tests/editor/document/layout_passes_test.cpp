// The math node layout passes, the spacing-neighbour search, colours and the box and centre anchors.
#include "support/DocumentTestKinds.h"

#include "editor/document/SpacingNeighbors.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/Preferences.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace oq {
namespace {

using test::FixedBoxNode;
using test::MathTestDocument;
using test::ResultText;

// The factory design: base size 11 pt, so one mu is 11/18 pt; anchors padded by 2 mu, the outer
// anchor points 0.36 em further out.
constexpr float kEm = 11.0f;
constexpr float kMu = 11.0f / 18.0f;

// A document read from the text and laid out with the factory design.
class LaidOutDocument
{
public:
    explicit LaidOutDocument(const std::string &text)
    {
        result = document.ParseAndResolve(text.c_str());
        if (result == 0) document.LayoutAll(&design);
    }

    MathNode *operator[](const char *name) { return document.Find(name); }

    Design design;
    MathTestDocument document;
    KettricResult result;
};

TEST(LayoutPasses, OffsetsUseTheBaseSizeWhateverTheScale)
{
    const char *text = "Gr { Bg {} St (sf=0.7) { Gr { Bg {} Fx $a (w=2,ax=%s) {} } } }";
    char shifted[128], plain[128];
    std::snprintf(shifted, sizeof(shifted), text, "18");
    std::snprintf(plain, sizeof(plain), text, "0");
    LaidOutDocument a(shifted), b(plain);
    ASSERT_EQ(ResultText(a.result), "0");
    ASSERT_EQ(ResultText(b.result), "0");
    EXPECT_FLOAT_EQ(a["a"]->effectiveScale, 0.7f);
    EXPECT_FLOAT_EQ(a["a"]->absolutePosition.x - b["a"]->absolutePosition.x, kEm);
    EXPECT_FLOAT_EQ(a["a"]->absolutePosition.y, b["a"]->absolutePosition.y);
}

TEST(LayoutPasses, ScriptDepthSaturates)
{
    // 300 nested structures, each giving its contents one script step.
    std::string text;
    for (int i = 0; i < 300; ++i) text += (i == 99) ? "St $m (ss=1) { " : "St (ss=1) { ";
    text += "Fx $z {}";
    for (int i = 0; i < 300; ++i) text += " }";
    LaidOutDocument document(text);
    ASSERT_EQ(ResultText(document.result), "0");
    EXPECT_EQ(document["m"]->scriptDepth, 99);
    EXPECT_EQ(document["z"]->scriptDepth, 255);
}

TEST(LayoutPasses, EffectiveScaleIsTheProductOfTheScales)
{
    LaidOutDocument document("St (as=2,sf=0.5) { St $b (as=3,sf=0.25) { Fx $c (as=1.5) {} } }");
    ASSERT_EQ(ResultText(document.result), "0");
    EXPECT_FLOAT_EQ(document["b"]->effectiveScale, 3.0f * 0.5f * 2.0f);
    EXPECT_FLOAT_EQ(document["c"]->effectiveScale, 1.5f * 0.25f * 3.0f);
    EXPECT_FLOAT_EQ(document["c"]->GetEm(&document.design), kEm * 1.125f);
}

TEST(LayoutPasses, RowNodesFollowEachOtherOnTheBaseline)
{
    LaidOutDocument document("Gr { Bg {} Fx $a (w=3,t=5) {} Fx $b (w=4,b=-2) {} Fx $c (w=5) {} }");
    ASSERT_EQ(ResultText(document.result), "0");
    struct Case
    {
        const char *name;
        float x;
    } cases[] = {{"a", 0.0f}, {"b", 3.0f}, {"c", 7.0f}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_FLOAT_EQ(document[c.name]->position.x, c.x);
        EXPECT_FLOAT_EQ(document[c.name]->absolutePosition.x, c.x);
        EXPECT_FLOAT_EQ(document[c.name]->absolutePosition.y, 0.0f);
    }
}

// A node that is not laid out keeps its last layout; a second layout gives the same positions.
TEST(LayoutPasses, RelayoutIsStable)
{
    LaidOutDocument document("Gr { Bg {} Fx $a (w=3) {} Fx $b (w=4) {} Bg {} Fx $c (w=1) {} }");
    ASSERT_EQ(ResultText(document.result), "0");
    Point2D before = document["c"]->absolutePosition;
    document.document.LayoutAll(&document.design);
    EXPECT_FLOAT_EQ(document["c"]->absolutePosition.x, before.x);
    EXPECT_FLOAT_EQ(document["c"]->absolutePosition.y, before.y);
}

// Every rule of the search and of the outer spaces; "-" is no neighbour, "" the row begin named r.
TEST(SpacingNeighbors, SearchAndOuterSpaces)
{
    struct Case
    {
        const char *what;
        const char *text;
        float wanted;
        bool allow;
        const char *previous;
        const char *next;
        float before;
        float after;
    } cases[] = {
        {"plain neighbours: the previous one's right spacing counts", "Gr { Bg {} Fx $p (rs=2) {} Fx $n {} Fx $q (ls=1) {} }",
         5.0f, true, "p", "q", 3.0f, 5.0f},
        {"a right spacing above the wanted space leaves none", "Gr { Bg {} Fx $p (rs=2) {} Fx $n {} Fx $q {} }", 1.0f,
         true, "p", "q", 0.0f, 1.0f},
        {"looks into pass-through nodes through their main slot group",
         "Gr { Bg {} St (pt) { Gr { Bg {} Fx {} Fx $p (rs=1) {} } } Fx $n {} St (pt) { Gr { Bg {} Fx $q {} Fx {} } } }",
         5.0f, true, "p", "q", 4.0f, 5.0f},
        {"looks into pass-through nodes whose contents are a row",
         "Gr { Bg {} St (pt) { Bg {} Fx $p {} } Fx $n {} St (pt) { Bg {} Fx $q {} } }", 5.0f, true, "p", "q", 5.0f, 5.0f},
        {"not into structures that do not pass spacing through",
         "Gr { Bg {} St $p { Gr { Bg {} Fx {} } } Fx $n {} St $q { Gr { Bg {} Fx {} } } }", 5.0f, true, "p", "q", 5.0f,
         5.0f},
        {"past nodes that take no part in spacing", "Gr { Bg {} Fx $p (rs=1) {} Al {} Fx $n {} Al {} Fx $q {} }", 5.0f,
         true, "p", "q", 4.0f, 5.0f},
        {"stops at row begins; a top-level group asks for row-edge spaces",
         "Gr { Bg {} Fx {} Bg $p {} Fx $n {} Bg $q {} Fx {} }", 5.0f, true, "p", "q", 5.0f, 5.0f},
        {"row-edge spaces only where the structure allows them", "Gr { Bg {} Fx {} Bg $p {} Fx $n {} Bg $q {} }", 5.0f,
         false, "p", "q", 0.0f, 0.0f},
        {"no row-edge spaces in a slot group", "Gr { Bg {} St { Gr (t='numr') { Bg $p {} Fx $n {} } } }", 5.0f, true,
         "p", "-", 0.0f, 0.0f},
        {"from a role-0 slot group out through its pass-through structure",
         "Gr { Bg {} Fx $p (rs=1) {} St (pt) { Gr { Bg {} Fx $n {} } } Fx $q {} }", 5.0f, true, "p", "q", 4.0f, 5.0f},
        {"an empty pass-through structure ends the search before it",
         "Gr { Bg {} St (pt) { Gr { Bg $p {} } } Fx $n {} }", 5.0f, true, "p", "-", 5.0f, 5.0f},
        {"no neighbour at all counts as the row's edge", "Gr { Bg {} St (pt) {} Fx $n {} St (pt) {} }", 5.0f, true,
         "-", "-", 5.0f, 5.0f},
        {"symbol runs ending and beginning with a blank", "Gr { Bg {} Sy $p (s=\"a \") {} Fx $n {} Sy $q (s=\" b\") {} }",
         5.0f, true, "p", "q", 0.0f, 0.0f},
        {"symbol runs without blanks at the edge", "Gr { Bg {} Sy $p (s=\"a\",rs=2) {} Fx $n {} Sy $q (s=\"b \") {} }",
         5.0f, true, "p", "q", 3.0f, 5.0f},
        {"empty symbol runs", "Gr { Bg {} Sy $p {} Fx $n {} Sy $q {} }", 5.0f, true, "p", "q", 5.0f, 5.0f},
        {"space nodes: no positive space", "Gr { Bg {} Sp $p {} Fx $n {} Sp $q (w=-1.8) {} }", 5.0f, true, "p", "q",
         0.0f, 0.0f},
        {"space nodes: a negative space survives before one", "Gr { Bg {} Sp $p {} Fx $n {} Sp $q (w=-1.8) {} }",
         -3.0f * kMu, true, "p", "q", 0.0f, -3.0f * kMu},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        LaidOutDocument document(c.text);
        ASSERT_EQ(ResultText(document.result), "0");
        const MathNode *node = document["n"];
        ASSERT_NE(node, nullptr);
        const MathNode *previous = (c.previous[0] == '-') ? nullptr : document[c.previous];
        const MathNode *next = (c.next[0] == '-') ? nullptr : document[c.next];
        EXPECT_EQ(FindPrevSpacingNeighbor(node), previous);
        EXPECT_EQ(FindNextSpacingNeighbor(node), next);
        EXPECT_FLOAT_EQ(GetSpaceBefore(node, c.wanted, c.allow), c.before);
        EXPECT_FLOAT_EQ(GetSpaceAfter(node, c.wanted, c.allow), c.after);
    }
}

TEST(ColoredMathNode, LaterOfPaletteIndexAndColourDecides)
{
    struct Case
    {
        const char *properties;
        int32_t paletteIndex;
        uint32_t colorValue;
        const char *written;
    } cases[] = {
        {"pi=3,co=0xFF00FF00", -1, 0xFF00FF00, "Fx (co=0xFF00FF00) {}\n"},
        {"co=0xFF00FF00,pi=3", 3, 0xFF00FF00, "Fx (pi=3) {}\n"},
        {"pi=20", 0, 0xFF000000, "Fx {}\n"},
        {"pi=15", 15, 0xFF000000, "Fx (pi=15) {}\n"},
        {"as=2,co=0xFF000000", -1, 0xFF000000, "Fx (as=2.0,co=0xFF000000) {}\n"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.properties);
        MathTestDocument document;
        std::string text = std::string("Fx $a (") + c.properties + ") {}";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        NodeColor color;
        ASSERT_TRUE(document.Find("a")->GetColor(&color));
        EXPECT_EQ(color.paletteIndex, c.paletteIndex);
        EXPECT_EQ(color.colorValue, c.colorValue);
        EXPECT_EQ(document.WriteText(), c.written);
    }
}

// Out-of-range and non-finite floats read as their defaults.
TEST(MathNode, FloatsReadOnlyWhenUsable)
{
    struct Case
    {
        const char *properties;
        float scale;
        float offsetX;
        float offsetY;
    } cases[] = {
        {"as=0.5,ax=-3,ay=2.5", 0.5f, -3.0f, 2.5f},
        {"as=0.015625", 1.0f / 64.0f, 0.0f, 0.0f},
        {"as=64", 64.0f, 0.0f, 0.0f},
        {"as=0", 1.0f, 0.0f, 0.0f},
        {"as=-2", 1.0f, 0.0f, 0.0f},
        {"as=0.01", 1.0f, 0.0f, 0.0f},
        {"as=65", 1.0f, 0.0f, 0.0f},
        {"as=0x7FC00000,ax=0x7F800000,ay=0xFF800000", 1.0f, 0.0f, 0.0f},
        {"as=1e39,ax=1e39", 1.0f, 0.0f, 0.0f},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.properties);
        MathTestDocument document;
        std::string text = std::string("Fx $a (") + c.properties + ") {}";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        const MathNode *node = document.Find("a");
        EXPECT_EQ(node->scale, c.scale);
        EXPECT_EQ(node->offsetX, c.offsetX);
        EXPECT_EQ(node->offsetY, c.offsetY);
    }
}

TEST(ColoredMathNode, AnchorsSpanTheRow)
{
    LaidOutDocument document(
        "Gr { Bg {} Fx $a (w=10,b=-2,t=5,rs=1) {} Fx $b (w=4,ls=3) {} St { Gr (t='numr') { Bg {} Fx $c (w=6) {} } } }");
    ASSERT_EQ(ResultText(document.result), "0");
    const Point2D *points = nullptr;

    // Top level: right of a, in the middle of the 1 + 3 points of white space between a and b.
    ASSERT_EQ(document["a"]->GetAnchorPoints(0, &points), 4);
    float rowBottom = -2.0f;
    float rowTop = 0.875f * kMu + kEm * 0.6621f;
    float low = rowBottom - 2.0f * kMu, high = rowTop + 2.0f * kMu;
    float outer = 0.36f * kEm;
    const Point2D expectedBox[4] = {{11.0f, low}, {11.0f, high}, {11.0f, low - outer}, {11.0f, high + outer}};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_NEAR(points[i].x, expectedBox[i].x, 1e-4f) << i;
        EXPECT_NEAR(points[i].y, expectedBox[i].y, 1e-4f) << i;
    }
    ASSERT_EQ(document["a"]->GetAnchorPoints(kCentreAnchorKind, &points), 4);
    EXPECT_FLOAT_EQ(points[0].x, 4.5f);
    EXPECT_FLOAT_EQ(points[3].y, high + outer);
    EXPECT_EQ(document["a"]->GetAnchorPoints('axis', &points), 0);

    // Nested: two points; at the row's end the gap is the anchor padding.
    const MathNode *c = document["c"];
    ASSERT_EQ(c->GetAnchorPoints(0, &points), 2);
    EXPECT_NEAR(points[0].x, c->absolutePosition.x + 6.0f + 2.0f * kMu, 1e-4f);

    const uint32_t *kinds = nullptr;
    ASSERT_EQ(c->GetAnchorKinds(&kinds), 2);
    EXPECT_EQ(kinds[0], 0u);
    EXPECT_EQ(kinds[1], kCentreAnchorKind);
}

TEST(ColoredMathNode, ReparentKeepsTheLowBitOfLinkIndexes)
{
    MathTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve("Gr { Bg {} Fx $a {} Fx $b {} St { Gr $g (t='numr') { Bg {} } } }"
                                                  "Dr $d { X { ref{$a,$a,$a,$b} u32{0,'cent','axis',0} i32{3,2,3,3} } }")),
              "0");
    MathNode *a = document.Find("a");
    MathNode *b = document.Find("b");
    // In a top-level group nothing changes.
    b->OnReparented();
    document.Find("g")->AppendSubnode(a);
    a->OnReparented();
    std::string indexes;
    for (NodeLink *link = document.Find<DocumentNode>("d")->GetFirstOutgoingLink(); link != nullptr; link = link->GetNextOutgoingLink())
        indexes += std::to_string(link->anchorIndex);
    EXPECT_EQ(indexes, "1033");
}

// A node the group does not number may keep the index of an earlier place: the row read is clamped.
TEST(ColoredMathNode, StaleRowIndexIsClamped)
{
    LaidOutDocument document("Gr { Bg {} St { Fx $a (w=1) {} } Fx $b (w=1) {} }");
    ASSERT_EQ(ResultText(document.result), "0");
    MathNode *a = document["a"];
    const Point2D *points = nullptr;
    ASSERT_EQ(a->GetAnchorPoints(0, &points), 4);
    const Point2D expected = points[0];
    for (int32_t stale : {7, -5, INT32_MAX})
    {
        a->rowIndex = stale;
        document.document.LayoutAll(&document.design);
        ASSERT_EQ(a->GetAnchorPoints(0, &points), 4);
        EXPECT_FLOAT_EQ(points[0].x, expected.x) << stale;
        EXPECT_FLOAT_EQ(points[0].y, expected.y) << stale;
    }
}

TEST(ColoredMathNode, AnchorHandlesUseTheEquationAnchorColour)
{
    Preferences preferences;
    preferences.colors[kColorEquationAnchor] = 0xFF123456;
    FixedBoxNode *node = new FixedBoxNode;
    const uint32_t *color = node->GetAnchorHandleColor(&preferences, 0);
    ASSERT_NE(color, nullptr);
    EXPECT_EQ(*color, 0xFF123456u);
    EXPECT_EQ(Preferences().colors[kColorEquationAnchor], 0xFFFF8000u);
    delete node;
}

}  // namespace
}  // namespace oq
