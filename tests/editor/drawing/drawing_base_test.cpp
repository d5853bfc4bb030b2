// The drawing object base: its properties and their limits, the writer's order, colours, copies and
// placement from the links.
#include "DrawingTesting.h"

#include "editor/drawing/LineObject.h"
#include "editor/fonts/Design.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace oq {
namespace {

using test::AnchorTargetNode;
using test::FindHead;
using test::WriteDrawingDocument;

// A shape-like kind made with both flags off ("Tb"); it records the ends it was given.
class BareDrawing : public DrawingObject
{
public:
    BareDrawing() : DrawingObject('rect', kDrawingCategoryShape, false, false) {}
    DocumentNode *Clone() const override { return new BareDrawing(*this); }
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override
    {
        WriteKettricContainer(document, buffer, "Tb");
    }
    void RebuildGeometry(const Design *, const Point2D &start, const Point2D &finish) override
    {
        builtStart = start;
        builtFinish = finish;
        ++buildCount;
        placed = true;
    }

    Point2D builtStart = Point2D(0.0f, 0.0f);
    Point2D builtFinish = Point2D(0.0f, 0.0f);
    int32_t buildCount = 0;
};

class DrawingBaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::PrepareDrawingTests();
        RegisterNodeKind("Tb", []() -> KettricStructure * { return new BareDrawing; });
    }
};

TEST_F(DrawingBaseTest, PropertiesReadLimitedAndWrittenInOrder)
{
    struct Case
    {
        const char *head;
        int32_t width, dash, fillIndex;
        uint32_t fillColor;
        int32_t strokeIndex;
        const char *written;
    };
    const Case cases[] = {
        {"Ln (s,w=9)", 4, 0, 0, 0xFF000000u, 0, "Ln (s,w=4)"},
        {"Ln (s,d=7)", 0, 3, 0, 0xFF000000u, 0, "Ln (s,d=3)"},
        {"Ln (f,fpi=16)", 0, 0, 0, 0xFF000000u, 0, "Ln (f,s)"},
        {"Ln (f,fpi=-5,fco=0x11223344,fpi=-5)", 0, 0, -5, 0x11223344u, 0, "Ln (f,fco=0x11223344,s)"},
        {"Ln (f,fpi=-1)", 0, 0, -1, 0xFF000000u, 0, "Ln (f,fco=0xFF000000,s)"},
        {"Ln (f,fco=0x11223344,fpi=3)", 0, 0, 3, 0x11223344u, 0, "Ln (f,fpi=3,s)"},
        {"Ln (f,fpi=3,fco=0x11223344)", 0, 0, -1, 0x11223344u, 0, "Ln (f,fco=0x11223344,s)"},
        {"Ln (s,spi=20,w=2,d=1)", 2, 1, 0, 0xFF000000u, 0, "Ln (s,w=2,d=1)"},
        {"Ln (s,sco=0x80FF0000)", 0, 0, 0, 0xFF000000u, -1, "Ln (s,sco=0x80FF0000)"},
        // A hand-written line with the stroke off is still drawn with it, so it keeps it.
        {"Ln (s=false,w=2)", 2, 0, 0, 0xFF000000u, 0, "Ln (s,w=2)"},
        {"Ln (ef='wedg',es='arr1',s)", 0, 0, 0, 0xFF000000u, 0, "Ln (s,es='arr1',ef='wedg')"},
        {"Ln (es='sdcr',of='shrt',os='long')", 0, 0, 0, 0xFF000000u, 0, "Ln (s,es='sdcr',os='long',of='shrt')"},
        {"Ln (es=7,zz=3)", 0, 0, 0, 0xFF000000u, 0, "Ln (s,es=7)"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.head);
        EquationDocument document;
        std::string text = std::string("Gr { Bg {} } ") + c.head + " {}";
        ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
        KettricStructure *last = document.GetRootStructure()->GetLastSubnodeStructure();
        auto *line = dynamic_cast<LineObject *>(last);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->widthIndex, c.width);
        EXPECT_EQ(line->dashIndex, c.dash);
        EXPECT_EQ(line->fillPaletteIndex, c.fillIndex);
        EXPECT_EQ(line->fillColor, c.fillColor);
        EXPECT_EQ(line->strokePaletteIndex, c.strokeIndex);
        EXPECT_TRUE(line->stroke);
        test::ExpectHeadAndStableText(document, "Ln", c.written);
    }
}

TEST_F(DrawingBaseTest, FlagsDecideWhatIsWritten)
{
    struct Case
    {
        const char *head;
        const char *written;
    };
    const Case cases[] = {
        // Stroke off drops width, dash and stroke colour; both flags off write no list.
        {"Tb (w=3,d=2,sco=0x11223344,spi=4)", "Tb"},
        {"Tb (fpi=2)", "Tb"},
        {"Tb (s,w=3,d=2,sco=0x11223344)", "Tb (s,w=3,d=2,sco=0x11223344)"},
        {"Tb (f,fpi=2,s,spi=4)", "Tb (f,fpi=2,s,spi=4)"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.head);
        EquationDocument document;
        std::string text = std::string("Gr { Bg {} } ") + c.head + " {}";
        ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
        EXPECT_EQ(FindHead(WriteDrawingDocument(document), "Tb"), c.written);
    }

    BareDrawing bare;
    TextBuffer buffer;
    EXPECT_FALSE(bare.WriteKettricProperties(&buffer));
    EXPECT_EQ(buffer.size, 0u);
    buffer.Free();

    // A line with both flags off opens its list with its own first property.
    LineObject line;
    line.stroke = false;
    line.startDecoration = kLineEndWedge;
    EXPECT_TRUE(line.WriteKettricProperties(&buffer));
    EXPECT_EQ(std::string(buffer.data, buffer.size), " (es='wedg'");
    buffer.Free();
}

TEST_F(DrawingBaseTest, ColoursResolveAgainstThePalette)
{
    Design design;
    LineObject line;
    line.strokePaletteIndex = 3;
    EXPECT_EQ(line.ResolveStrokeColor(&design), design.palette[3]);
    line.strokePaletteIndex = -1;
    line.strokeColor = 0x80FF0000u;
    EXPECT_EQ(line.ResolveStrokeColor(&design), 0x80FF0000u);
    NodeColor color{};
    EXPECT_TRUE(line.GetStrokeColor(&color));
    EXPECT_EQ(color.paletteIndex, -1);
    EXPECT_FALSE(line.GetFillColor(&color));
    EXPECT_FALSE(line.GetColor(&color));
    EXPECT_EQ(line.GetFamily(), kDrawingNodeFamily);
    EXPECT_EQ(line.GetCategory(), kDrawingCategoryLine);
}

TEST_F(DrawingBaseTest, NegativeIndexInTheLinkBlockFailsToRead)
{
    EquationDocument document;
    const char *text = "Gr { Bg $a {} } Ln { X { ref{$a,$a} u32{0,0} i32{0,-5} } }";
    EXPECT_EQ(document.ParseAndResolve(text), KettricResult(kResultInvalidDataFormat));
}

TEST_F(DrawingBaseTest, LayoutPlacesFromTheFirstAndLastLink)
{
    Design design;
    struct Case
    {
        const char *name;
        int32_t links;          // links to the target, in order
        int32_t startIndex;     // index of the first link
        int32_t finishIndex;    // index of the last link
        uint32_t finishKind;    // anchor kind of the last link
        float value;            // value of the last link
        int32_t dragged;        // dragged end
        bool placed;
        Point2D start, finish;
    };
    const Case cases[] = {
        {"no links", 0, 0, 0, 0, 0.0f, -1, false, {}, {}},
        {"one link", 1, 0, 0, 0, 0.0f, -1, false, {}, {}},
        {"two links", 2, 0, 2, 0, 0.0f, -1, true, Point2D(0, 0), Point2D(10, 5)},
        {"middle link ignored", 3, 1, 3, 0, 0.0f, -1, true, Point2D(10, 0), Point2D(0, 5)},
        {"index at the count", 2, 0, 4, 0, 0.0f, -1, false, {}, {}},
        {"negative start index", 2, -1, 1, 0, 0.0f, -1, false, {}, {}},
        {"negative finish index", 2, 0, -3, 0, 0.0f, -1, false, {}, {}},
        {"dragged start", 2, 0, 2, 0, 0.0f, 0, true, Point2D(-4, 7), Point2D(10, 5)},
        {"dragged finish", 2, 0, 2, 0, 0.0f, 1, true, Point2D(0, 0), Point2D(-4, 7)},
        {"x edge", 2, 1, 2, 'xxx!', 2.5f, 0, true, Point2D(-4, 7), Point2D(-1.5f, 5)},
        {"y edge", 2, 1, 2, 'yyy!', -1.0f, 0, true, Point2D(-4, 7), Point2D(10, 6)},
        {"x edge, finish dragged", 2, 1, 2, 'xxx!', 2.5f, 1, true, Point2D(10, 0), Point2D(-4, 7)},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        auto *target = new AnchorTargetNode;
        auto *object = new BareDrawing;
        for (int32_t i = 0; i < c.links; ++i)
        {
            int32_t index = (i == 0) ? c.startIndex : (i == c.links - 1) ? c.finishIndex : 3;
            uint32_t kind = (i == c.links - 1 && i != 0) ? c.finishKind : 0;
            new NodeLink(object, target, kind, index, (i == c.links - 1) ? c.value : 0.0f);
        }
        object->draggedEnd = c.dragged;
        object->freePoint = Point2D(-4.0f, 7.0f);
        object->Layout(&design);
        EXPECT_EQ(object->IsPlaced(), c.placed);
        if (!c.placed)
        {
            EXPECT_EQ(object->buildCount, 0);
        }
        else
        {
            EXPECT_EQ(object->builtStart, c.start);
            EXPECT_EQ(object->builtFinish, c.finish);
            EXPECT_EQ(object->startPoint, c.start);
            EXPECT_EQ(object->finishPoint, c.finish);
            // A drag position is used once.
            EXPECT_EQ(object->draggedEnd, -1);
            object->Layout(&design);
            if (c.dragged >= 0)
            {
                EXPECT_FALSE(object->builtStart == object->freePoint || object->builtFinish == object->freePoint);
            }
            EXPECT_EQ(object->buildCount, 2);
        }
        delete object;
        delete target;
    }
}

TEST_F(DrawingBaseTest, EdgeAnchorKeepsItsOffsetWhenTheStartMoves)
{
    Design design;
    auto *target = new AnchorTargetNode;
    auto *object = new BareDrawing;
    new NodeLink(object, target, 0, 0, 0.0f);
    new NodeLink(object, target, 'xxx!', 2, 3.0f);
    object->Layout(&design);
    EXPECT_EQ(object->builtFinish, Point2D(3.0f, 5.0f));
    target->points[0] = Point2D(-2.0f, 1.0f);
    object->Layout(&design);
    EXPECT_EQ(object->builtStart, Point2D(-2.0f, 1.0f));
    EXPECT_EQ(object->builtFinish, Point2D(1.0f, 5.0f));
    delete object;
    delete target;
}

TEST_F(DrawingBaseTest, CopiesTakePropertiesButNoLinksOrGeometry)
{
    Design design;
    auto *target = new AnchorTargetNode;
    auto *line = new LineObject;
    line->widthIndex = 2;
    line->dashIndex = 1;
    line->strokePaletteIndex = -1;
    line->strokeColor = 0x80112233u;
    line->startDecoration = kLineEndArrow2;
    line->finishOffset = kLineEndShort;
    new NodeLink(line, target, 0, 0, 0.0f);
    new NodeLink(line, target, 0, 2, 0.0f);
    line->draggedEnd = 1;
    line->Layout(&design);
    ASSERT_TRUE(line->IsPlaced());
    line->draggedEnd = 0;

    auto *copy = static_cast<LineObject *>(line->Clone());
    EXPECT_FALSE(copy->IsPlaced());
    EXPECT_EQ(copy->GetOutgoingLinkCount(), 0);
    EXPECT_EQ(copy->draggedEnd, -1);
    EXPECT_EQ(copy->widthIndex, 2);
    EXPECT_EQ(copy->dashIndex, 1);
    EXPECT_EQ(copy->strokeColor, 0x80112233u);
    EXPECT_EQ(copy->strokePaletteIndex, -1);
    EXPECT_EQ(copy->startDecoration, kLineEndArrow2);
    EXPECT_EQ(copy->finishOffset, kLineEndShort);
    EXPECT_EQ(copy->curves.GetElementCount(), 0);
    const Point2D *points = nullptr;
    EXPECT_EQ(copy->GetAnchorPoints('line', &points), 0);
    delete copy;
    delete line;
    delete target;
}

}  // namespace
}  // namespace oq
