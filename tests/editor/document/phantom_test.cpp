// Phantoms: the five types' extents, nothing drawn, spacing through them, the rows of the nodes
// inside them and of a symbol run's decorations, reading, editing aids, LaTeX and MathML.
#include "support/DocumentTestKinds.h"
#include "support/MathMLValidator.h"

#include "editor/document/EquationDocument.h"
#include "editor/document/NodeFactory.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace oq {
namespace {

using test::ResultText;
using test::SpaceTestDocument;

constexpr float kEm = 11.0f;

// The item the drawing leaf builds.
class LeafItem : public ListElement
{
};

// A leaf ("Dw") that puts one item into each of the export, mesh and path lists.
class DrawingLeafNode : public test::FixedBoxNode
{
public:
    DocumentNode *Clone() const override { return new DrawingLeafNode(*this); }
    void WriteKettric(KettricDocument *, TextBuffer *buffer) const override { WriteKettricLeaf(buffer, "Dw"); }
    void BuildExportItems(const Design *, DisplayList *list) const override { list->Append(new LeafItem); }
    void BuildMeshItems(const Design *, DisplayList *list) const override { list->Append(new LeafItem); }
    void BuildPathItems(const Design *, DisplayList *list) const override { list->Append(new LeafItem); }
};

// A decoration stand-in of kind 'mark' with the box and centre anchors of a coloured node.
class TestDecorationNode : public ColoredMathNode
{
public:
    TestDecorationNode() : ColoredMathNode(kMarkKind) {}
    DocumentNode *Clone() const override { return new TestDecorationNode(*this); }
    void WriteKettric(KettricDocument *, TextBuffer *buffer) const override { WriteKettricLeaf(buffer, "Mk"); }
};

class PhantomTestDocument : public SpaceTestDocument
{
public:
    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        if (std::strcmp(identifier, "Dw") == 0) return new DrawingLeafNode;
        return SpaceTestDocument::MakeStructure(identifier);
    }
};

std::string Text(const TextString &text)
{
    return text.GetText() != nullptr ? text.GetText() : "";
}

TEST(PhantomNode, Types)
{
    struct Case
    {
        const char *type;
        float width, bottom, top, overhang;
    } cases[] = {
        {"vert", 0.0f, -2.0f, 8.0f, 0.0f}, {"horz", 7.0f, 0.0f, 0.0f, 0.0f},  {"full", 7.0f, -2.0f, 8.0f, 0.0f},
        {"hzov", 0.0f, 0.0f, 0.0f, 7.0f},  {"flov", 0.0f, -2.0f, 8.0f, 7.0f},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.type);
        Design design;
        PhantomTestDocument document;
        std::string text = std::string("Gr $g { Bg {} Fx (w=1) {} Ph $p (t='") + c.type +
                           "') { Bg {} Fx (w=4,b=-2,t=6) {} Fx (w=3,b=-1,t=8) {} } Bg {} Fx (w=1) {} Ph (t='" +
                           c.type + "') { Bg {} Fx (w=4) {} } Fx $n (w=1) {} }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        document.LayoutAll(&design);
        const MathNode *p = document.Find("p");
        EXPECT_FLOAT_EQ(p->width, c.width);
        EXPECT_FLOAT_EQ(p->bottom, c.bottom);
        EXPECT_FLOAT_EQ(p->top, c.top);
        EXPECT_FLOAT_EQ(p->overhang, c.overhang);
        // The group's first row reaches over the overhang of the phantom that ends it; the node after
        // a phantom starts at the phantom's x plus its width.
        EXPECT_FLOAT_EQ(static_cast<const GroupNode *>(document.Find("g"))->GetRow(0)->rightEnd,
                        1.0f + c.width + c.overhang);
        EXPECT_FLOAT_EQ(document.Find("n")->position.x, 1.0f + (c.width > 0.0f ? 4.0f : 0.0f));
    }
}

TEST(PhantomNode, EmptyPhantomSkipsItsRowBegin)
{
    Design design;
    PhantomTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve("Gr { Bg {} Ph $p (t='full') { Bg $r {} } }")), "0");
    document.LayoutAll(&design);
    const MathNode *p = document.Find("p");
    EXPECT_FLOAT_EQ(document.Find("r")->width, kEm / 2.0f);
    EXPECT_EQ(p->width, 0.0f);
    EXPECT_EQ(p->bottom, 0.0f);
    EXPECT_EQ(p->top, 0.0f);
    EXPECT_EQ(p->overhang, 0.0f);
}

TEST(PhantomNode, DrawsNothing)
{
    Design design;
    PhantomTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(
                  "Gr $g { Bg {} Dw {} Ph (t='full') { Bg {} Dw {} Ph (t='horz') { Bg {} Dw {} } } Bg {} "
                  "Ph (t='flov') { Bg {} Dw {} } }")),
              "0");
    document.LayoutAll(&design);
    const MathNode *group = document.Find("g");
    for (int32_t which = 0; which < 3; ++which)
    {
        List list;
        if (which == 0) group->BuildExportItems(&design, &list);
        else if (which == 1) group->BuildMeshItems(&design, &list);
        else group->BuildPathItems(&design, &list);
        // Only the leaf outside the phantoms.
        int32_t leafItems = 0;
        for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
            leafItems += dynamic_cast<LeafItem *>(e) != nullptr ? 1 : 0;
        EXPECT_EQ(leafItems, 1) << which;
        list.Purge();
    }
}

TEST(PhantomNode, SpacingNeighbours)
{
    struct Case
    {
        const char *type;
        const char *previous;  // of c
        const char *next;      // of a
    } cases[] = {
        {"full", "b", "b"}, {"horz", "b", "b"}, {"vert", "a", "c"}, {"hzov", "a", "c"}, {"flov", "a", "c"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.type);
        PhantomTestDocument document;
        std::string text =
            std::string("Gr { Bg {} Fx $a {} Ph (t='") + c.type + "') { Bg {} Fx $b {} } Fx $c {} }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        EXPECT_EQ(FindPrevSpacingNeighbor(document.Find("c")), document.Find(c.previous));
        EXPECT_EQ(FindNextSpacingNeighbor(document.Find("a")), document.Find(c.next));
    }
}

// The y of the box anchors of a node: what the anchors say about the row they span.
void ExpectSameRowAnchors(const DocumentNode *node, const DocumentNode *reference, const char *name)
{
    const Point2D *points = nullptr;
    const Point2D *expected = nullptr;
    int32_t count = node->GetAnchorPoints(0, &points);
    ASSERT_EQ(count, reference->GetAnchorPoints(0, &expected)) << name;
    for (int32_t i = 0; i < count; ++i) EXPECT_FLOAT_EQ(points[i].y, expected[i].y) << name << " point " << i;
}

TEST(PhantomNode, InnerNodesTakeTheirRowsAnchors)
{
    Design design;
    PhantomTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(
                  "Gr $g { Bg $r0 {} Fx $first (b=-30) {} Bg $r1 {} Fx (t=40) {} "
                  "Bg $r2 {} Fx $direct (t=3) {} Ph (t='full') { Bg $pb {} Fx $inner {} Sy $run {} "
                  "Ph { Bg {} Fx $deep {} } } Sy $outerRun {} }")),
              "0");
    // Decorations cannot be read into runs of the test kinds: put them in by hand.
    auto *innerMark = new TestDecorationNode;
    auto *outerMark = new TestDecorationNode;
    document.Find("run")->AppendSubnode(innerMark);
    document.Find("outerRun")->AppendSubnode(outerMark);
    document.LayoutAll(&design);

    const DocumentNode *direct = document.Find("direct");
    const Point2D *points = nullptr;
    ASSERT_EQ(direct->GetAnchorPoints(0, &points), 4);
    const Point2D *firstRow = nullptr;
    document.Find("first")->GetAnchorPoints(0, &firstRow);
    ASSERT_NE(points[0].y, firstRow[0].y);
    for (const char *name : {"inner", "deep", "run"}) ExpectSameRowAnchors(document.Find(name), direct, name);
    ExpectSameRowAnchors(innerMark, direct, "decoration in the phantom");
    ExpectSameRowAnchors(outerMark, direct, "decoration in the row");
    // The row begin inside the phantom spans the row too.
    const Point2D *rowBegin = nullptr;
    ASSERT_EQ(document.Find("pb")->GetAnchorPoints(0, &rowBegin), 4);
    EXPECT_FLOAT_EQ(rowBegin[0].y, points[0].y);
    EXPECT_FLOAT_EQ(rowBegin[1].y, points[1].y);

    // The rows above go: the nodes inside are numbered again, and read the one row left.
    for (const char *name : {"r0", "first", "r1"}) delete document.Find(name);
    MathNode *group = document.Find("g");
    delete group->GetFirstMathSubnode();  // the tall node of the second row
    ASSERT_EQ(group->GetFirstMathSubnode(), document.Find("r2"));
    document.LayoutAll(&design);
    for (const char *name : {"inner", "deep", "run", "pb"}) ExpectSameRowAnchors(document.Find(name), direct, name);
    ExpectSameRowAnchors(innerMark, direct, "decoration in the phantom");
    ExpectSameRowAnchors(outerMark, direct, "decoration in the row");
    EXPECT_EQ(innerMark->rowIndex, 0);
}

TEST(PhantomNode, Reading)
{
    struct Case
    {
        const char *text;
        const char *result;
        const char *written;
    } cases[] = {
        {"Ph {}", "0", "Ph\n{\n\tBg {}\n}\n"},
        {"Ph { Fx {} }", "0", "Ph\n{\n\tBg {}\n\tFx {}\n}\n"},
        {"Ph (t='full') { Bg {} Fx {} }", "0", "Ph (t='full')\n{\n\tBg {}\n\tFx {}\n}\n"},
        {"Ph (t='what') { Bg {} }", "0", "Ph\n{\n\tBg {}\n}\n"},
        {"Ph (t='hzov',as=0.5) { Bg {} }", "0", "Ph (as=0.5,t='hzov')\n{\n\tBg {}\n}\n"},
        {"Ph { Bg {} Mk {} }", "IVST", ""},
        {"Ph { Bg {} En {} }", "IVST", ""},
        {"Ph { Bg {} Ph { Mk {} } }", "IVST", ""},
        {"Ph { Bg {} Sp {} Al {} }", "0", "Ph\n{\n\tBg {}\n\tSp {}\n\tAl {}\n}\n"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.text);
        PhantomTestDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(c.text)), c.result);
        if (c.written[0] == 0) continue;
        EXPECT_EQ(document.WriteText(), c.written);
        auto *phantom = dynamic_cast<PhantomNode *>(document.GetRootStructure()->GetFirstSubnodeStructure());
        ASSERT_NE(phantom, nullptr);
        EXPECT_TRUE(phantom->passesSpacingThrough);
        DocumentNode *copy = phantom->Clone();
        EXPECT_EQ(static_cast<PhantomNode *>(copy)->phantomType, phantom->phantomType);
        EXPECT_TRUE(static_cast<PhantomNode *>(copy)->passesSpacingThrough);
        delete copy;
    }
}

TEST(PhantomNode, EquationDocumentReadsSpacesAndPhantoms)
{
    RegisterDocumentKinds();
    EquationDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve("Gr { Bg {} Sp $s (s=7) {} Ph $p (t='full') { Sp (t) {} } }")), "0");
    EXPECT_NE(dynamic_cast<SpaceNode *>(KettricStructure::FindNamedStructure(document.GetGlobalNameMap(), "s")), nullptr);
    auto *phantom = dynamic_cast<PhantomNode *>(KettricStructure::FindNamedStructure(document.GetGlobalNameMap(), "p"));
    ASSERT_NE(phantom, nullptr);
    EXPECT_EQ(phantom->GetFirstMathSubnode()->GetKind(), kRowBeginKind);
    EXPECT_EQ(phantom->GetLastMathSubnode()->GetKind(), kSpaceKind);
    EXPECT_EQ(ResultText(document.ParseAndResolve("Gr { Bg {} Ph { Bg {} Sp { Bg {} } } }")), "IVST");
}

TEST(PhantomNode, EditingAids)
{
    Design design;
    Preferences preferences;
    const float h = 0.0125f * kEm;
    const float rowTop = 0.875f * kEm / 18.0f + 0.6621f * kEm;
    struct Case
    {
        const char *type;
        int32_t curves;
        float left, right, low, high;
    } cases[] = {
        {"vert", 4, -h, h, -2.0f, 30.0f},
        {"flov", 4, -h, h, -2.0f, 30.0f},
        {"hzov", 4, -h, h, -0.875f * kEm / 18.0f, rowTop},
        {"horz", 4, 0.0f, 4.0f, -h, h},
        {"full", 8, -h, 4.0f + h, -2.0f - h, 30.0f + h},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.type);
        PhantomTestDocument document;
        std::string text = std::string("Gr { Bg {} Ph $p (t='") + c.type + "') { Bg {} Fx (w=4,b=-2,t=30) {} Sp {} } }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        document.LayoutAll(&design);
        const MathNode *p = document.Find("p");
        List list;
        p->BuildEditingAidItems(8 | 2, &preferences, &design, &list);
        // The phantom's own aid, then its contents' (the empty space's bar).
        ASSERT_EQ(list.GetListElementCount(), 2);
        const FillPathItem *item = static_cast<const FillPathItem *>(list.GetFirstListElement());
        EXPECT_EQ(item->color, preferences.colors[kColorPhantom]);
        ASSERT_EQ(item->curveCount, c.curves);
        float left = 1e9f, right = -1e9f, low = 1e9f, high = -1e9f;
        for (int32_t i = 0; i < item->curveCount; ++i)
        {
            const Point2D &q = item->curves[i].p0;
            left = std::min(left, q.x - p->absolutePosition.x);
            right = std::max(right, q.x - p->absolutePosition.x);
            low = std::min(low, -q.y - p->absolutePosition.y);
            high = std::max(high, -q.y - p->absolutePosition.y);
        }
        EXPECT_NEAR(left, c.left, 1e-4f);
        EXPECT_NEAR(right, c.right, 1e-4f);
        EXPECT_NEAR(low, c.low, 1e-4f);
        EXPECT_NEAR(high, c.high, 1e-4f);
        list.Purge();
        p->BuildEditingAidItems(2, &preferences, &design, &list);
        EXPECT_EQ(list.GetListElementCount(), 1);
        list.Purge();
    }
}

TEST(PhantomNode, LatexAndMathML)
{
    struct Case
    {
        const char *type;
        const char *latex;
        const char *mathml;
    } cases[] = {
        {"vert", "\\vphantom{x\\,}", "<mphantom><mpadded width=\"0\"><mi>x</mi><mspace width=\"0.16666667em\"/></mpadded></mphantom>"},
        {"horz", "\\hphantom{x\\,}", "<mphantom><mpadded height=\"0\"><mi>x</mi><mspace width=\"0.16666667em\"/></mpadded></mphantom>"},
        {"full", "\\phantom{x\\,}", "<mphantom><mi>x</mi><mspace width=\"0.16666667em\"/></mphantom>"},
        {"hzov", "", ""},
        {"flov", "", ""},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.type);
        for (const char *contents : {"Bg {} Fx {} Sp (s=3) {}", ""})
        {
            PhantomTestDocument document;
            std::string text = std::string("Ph (t='") + c.type + "') { " + contents + " }";
            ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
            const MathNode *phantom = MathNode::FromStructure(document.GetRootStructure()->GetFirstSubnodeStructure());
            MathWriterState state;
            state.controlWord = 1;
            TextString latex;
            phantom->WriteLatex(&state, &latex);
            TextString mathml;
            phantom->WriteMathML(&state, &mathml);
            if (contents[0] != 0)
            {
                EXPECT_EQ(Text(latex), c.latex);
                EXPECT_EQ(Text(mathml), c.mathml);
            }
            EXPECT_EQ(state.controlWord, c.latex[0] != 0 ? 0 : 1);
            EXPECT_EQ(test::ValidateMathML("<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mrow>" + Text(mathml) +
                                               "</mrow></math>",
                                           ""),
                      "");
        }
    }
}

}  // namespace
}  // namespace oq
