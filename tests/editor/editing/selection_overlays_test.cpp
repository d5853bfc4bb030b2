// The selection overlay (caret bar, range boxes, object outlines, end handles), the anchor overlay's
// three cases and the end-handle highlight, read from their document-unit items on laid-out documents.
#include "CaretFaceFixture.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/NodeLink.h"
#include "editor/document/RowBeginNode.h"
#include "editor/editing/SelectionOverlay.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/ShapeRenderObject.h"
#include "support/DocumentTestKinds.h"

#include <string>
#include <vector>

namespace oq::test {
namespace {

// The box of a fill item's curve ends, in document units (items keep y negated).
Box2D ItemBox(const ListElement *element)
{
    const auto *item = dynamic_cast<const FillPathItem *>(element);
    Box2D box;
    box.SetEmpty();
    if (item == nullptr) return box;
    for (int32_t i = 0; i < item->curveCount; ++i)
    {
        const Point2D &p = item->curves[i].p0;
        box.min.x = std::min(box.min.x, p.x);
        box.max.x = std::max(box.max.x, p.x);
        box.min.y = std::min(box.min.y, -p.y);
        box.max.y = std::max(box.max.y, -p.y);
    }
    return box;
}

std::vector<Box2D> ItemBoxes(const List &list)
{
    std::vector<Box2D> boxes;
    for (const ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
        boxes.push_back(ItemBox(e));
    return boxes;
}

uint32_t ItemColor(const List &list, int32_t n)
{
    const ListElement *e = list.GetFirstListElement();
    while (e != nullptr && n-- > 0) e = e->GetNextListElement();
    const auto *item = dynamic_cast<const FillPathItem *>(e);
    return item != nullptr ? item->color : 0xDEADBEEFu;
}

void ExpectBox(const Box2D &box, float left, float bottom, float right, float top, const std::string &what)
{
    EXPECT_FLOAT_EQ(box.min.x, left) << what;
    EXPECT_FLOAT_EQ(box.min.y, bottom) << what;
    EXPECT_FLOAT_EQ(box.max.x, right) << what;
    EXPECT_FLOAT_EQ(box.max.y, top) << what;
}

void ExpectColor(const ColorRGBA &color, float red, float green, float blue, float alpha, const std::string &what)
{
    EXPECT_EQ(color.red, red) << what;
    EXPECT_EQ(color.green, green) << what;
    EXPECT_EQ(color.blue, blue) << what;
    EXPECT_EQ(color.alpha, alpha) << what;
}

// A drawing that offers two annotation anchors.
class AnnotatedDrawing : public TestDrawingNode
{
public:
    AnnotatedDrawing() : TestDrawingNode("Ln") {}
    int32_t GetAnchorPoints(uint32_t kind, const Point2D **points) const override
    {
        if (kind != 'anno') return TestDrawingNode::GetAnchorPoints(kind, points);
        *points = annotationPoints;
        return 2;
    }
    Point2D annotationPoints[2] = {Point2D(4.0f, 5.0f), Point2D(6.0f, 7.0f)};
};

class SelectionOverlays : public CaretFaceFixture
{
protected:
    void Load(const std::string &text)
    {
        ASSERT_NO_FATAL_FAILURE(CaretFaceFixture::Load(text));
        nodes.clear();
        for (MathNode *n = main->GetFirstMathSubnode(); n != nullptr; n = n->GetNextMathNode()) nodes.push_back(n);
    }

    // A drawing from the main group's first to its second 'axis' point, added as one edit.
    TestDrawingNode *AddLinkedDrawing(TestDrawingNode *drawing = nullptr)
    {
        if (drawing == nullptr) drawing = new TestDrawingNode("Ln");
        editor->BeginEditBatch(EditBatchVariant::kObject);
        editor->document.GetRootStructure()->AppendSubnode(drawing);
        new NodeLink(drawing, main, 'axis', 0, 0.0f);
        new NodeLink(drawing, main, 'axis', 1, 0.0f);
        editor->EndEditBatch();
        EXPECT_TRUE(LayoutTestDocument(editor));
        return drawing;
    }

    // The boxes of the selection (the editor's selection becomes it).
    void GetBoxes(const Selection &selection, SelectionBoxes *boxes)
    {
        editor->document.selection = selection;
        Point2D a;
        Point2D b;
        GetSelectionBoxes(&editor->document, boxes, &a, &b);
    }

    float Em() const { return main->GetEm(&editor->document.design); }
    float CaretX(const CaretPosition &p) const { return GetCaretX(&editor->document, p); }

    std::vector<MathNode *> nodes;  // the main group's own nodes
};

const char *const kThreeRows = "Gr { Bg {} Sb {s{\"AB\"}} Bg {} Sb {s{\"ABAB\"}} Bg {} Sb {s{\"A\"}} }";

TEST_F(SelectionOverlays, CaretBarAtZoomOneAndFour)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    for (float zoom : {1.0f, 4.0f})
    {
        editor->zoom = zoom;
        editor->lastTickTime = 5000;
        editor->caretVisible = false;
        editor->nextBlinkTime = 0;
        CaretPosition caret{nodes[3], 2};  // inside the second row's run
        editor->document.selection = Selection{caret, caret};
        editor->BuildSelectionOverlay();
        std::string what = "zoom " + std::to_string(zoom);
        EXPECT_EQ(editor->selectionOverlayKind, kSelectionOverlayCaret) << what;
        EXPECT_NE(editor->selectionOverlay, nullptr) << what;
        std::vector<Box2D> boxes = ItemBoxes(editor->selectionItems);
        ASSERT_EQ(boxes.size(), 1u) << what;
        const GroupRow *row = main->GetRow(1);
        float x = main->absolutePosition.x + CaretX(caret);
        float d = Em() * 0.05f;
        float w = 0.75f / zoom;
        float y = main->absolutePosition.y;
        ExpectBox(boxes[0], x - w, y + row->bottom - d, x + w, y + row->top + d, what);
        ExpectBox(editor->caretBoxes[0], x - w, y + row->bottom - d, x + w, y + row->top + d, what);
        ExpectBox(editor->caretBoxes[1], x - w, y + row->bottom - d, x + w, y + row->top + d, what);
        EXPECT_EQ(editor->caretPoints[0], Point2D(x, y)) << what;
        EXPECT_EQ(editor->caretPoints[1], Point2D(x, y)) << what;
        // Building the caret restarts the blink with the bar shown.
        EXPECT_TRUE(editor->caretVisible) << what;
        EXPECT_EQ(editor->nextBlinkTime, 5000 + int64_t(editor->blinkPeriod)) << what;
    }
}

TEST_F(SelectionOverlays, SettingTheSelectionDiscardsTheOverlay)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    CaretPosition caret{nodes[3], 2};
    editor->SetSelection(caret, caret);
    editor->BuildSelectionOverlay();
    ASSERT_NE(editor->selectionOverlay, nullptr);
    CaretPosition moved{nodes[3], 3};
    editor->SetSelection(moved, moved);
    EXPECT_EQ(editor->selectionOverlay, nullptr);
    EXPECT_TRUE(editor->selectionItems.IsEmpty());
    editor->BuildSelectionOverlay();
    EXPECT_EQ(editor->caretPoints[0].x, main->absolutePosition.x + CaretX(moved));
}

TEST_F(SelectionOverlays, ActiveBaselineBarSpansTheGroup)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    editor->settings.state.viewFlags |= kViewActiveBaseline;
    editor->zoom = 2.0f;
    CaretPosition caret{nodes[5], 1};  // the third row
    editor->document.selection = Selection{caret, caret};
    editor->BuildSelectionOverlay();
    std::vector<Box2D> boxes = ItemBoxes(editor->selectionItems);
    ASSERT_EQ(boxes.size(), 2u);
    const GroupRow *row = main->GetRow(2);
    float w = 0.375f;
    float y = main->absolutePosition.y + row->baselineOffset + row->rowBegin->bottom - Em() * 0.05f;
    ExpectBox(boxes[1], main->absolutePosition.x - w, y - w, main->absolutePosition.x + main->width + w, y + w,
              "baseline bar");
    // Without the flag only the caret bar.
    editor->settings.state.viewFlags &= ~kViewActiveBaseline;
    editor->BuildSelectionOverlay();
    EXPECT_EQ(editor->selectionItems.GetListElementCount(), 1);
}

TEST_F(SelectionOverlays, RangeOverThreeRowsGivesOneBoxPerRow)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    CaretPosition start{nodes[1], 1};
    CaretPosition end{nodes[5], 1};
    editor->document.selection = Selection{start, end};
    editor->BuildSelectionOverlay();
    EXPECT_EQ(editor->selectionOverlayKind, kSelectionOverlayRange);
    std::vector<Box2D> boxes = ItemBoxes(editor->selectionItems);
    ASSERT_EQ(boxes.size(), 3u);

    const Design *design = &editor->document.design;
    float g = Em();
    float depth = 0.216f * g;
    float height = (0.108f + GetGeneralParam(design, 'cptl')) * g;
    Point2D o = main->absolutePosition;
    float lefts[3] = {CaretX(start), main->GetRow(1)->x, main->GetRow(2)->x};
    float rights[3] = {main->GetRow(0)->rightEnd + g * 0.5f, main->GetRow(1)->rightEnd + g * 0.5f, CaretX(end)};
    for (int32_t i = 0; i < 3; ++i)
    {
        const GroupRow *row = main->GetRow(i);
        float bottom = std::min(row->bottom - 0.05f * g, row->baselineOffset - depth);
        float top = std::max(row->top + 0.05f * g, row->baselineOffset + height);
        ExpectBox(boxes[size_t(i)], o.x + lefts[i], o.y + bottom, o.x + rights[i], o.y + top, "row " + std::to_string(i));
    }
    ExpectBox(editor->caretBoxes[0], boxes[0].min.x, boxes[0].min.y, boxes[0].max.x, boxes[0].max.y, "start box");
    ExpectBox(editor->caretBoxes[1], boxes[2].min.x, boxes[2].min.y, boxes[2].max.x, boxes[2].max.y, "end box");
    EXPECT_EQ(editor->caretPoints[0], Point2D(o.x + CaretX(start), o.y + main->GetRow(0)->baselineOffset));
    EXPECT_EQ(editor->caretPoints[1], Point2D(o.x + CaretX(end), o.y + main->GetRow(2)->baselineOffset));

    // Equal x at both ends: one box g/8 wide, centred on the caret.
    SelectionBoxes single;
    GetBoxes(Selection{start, start}, &single);
    ASSERT_EQ(single.GetElementCount(), 1);
    EXPECT_FLOAT_EQ(single[0].max.x - single[0].min.x, g / 8.0f);
    EXPECT_FLOAT_EQ((single[0].max.x + single[0].min.x) * 0.5f, o.x + CaretX(start));
}

TEST_F(SelectionOverlays, GroupsNotLaidOutGiveNoBoxes)
{
    ASSERT_TRUE(LoadTestDocument(editor, kThreeRows, 0, 0));
    GroupNode *group = editor->document.GetMainGroup();
    CaretPosition caret{group->GetFirstMathSubnode(), 0};
    SelectionBoxes boxes;
    GetBoxes(Selection{caret, caret}, &boxes);
    EXPECT_EQ(boxes.GetElementCount(), 0);
    editor->BuildSelectionOverlay();
    EXPECT_TRUE(editor->selectionItems.IsEmpty());
}

// Caret bar black or white by the background, range boxes and outlines in the selection colour.
TEST_F(SelectionOverlays, ColoursFollowTheBackground)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    ASSERT_NE(AddLinkedDrawing(), nullptr);
    uint32_t selection = editor->settings.preferences.colors[kColorSelection];
    float r = kSrgbByteToLinear[selection & 0xFF];
    float g = kSrgbByteToLinear[(selection >> 8) & 0xFF];
    float b = kSrgbByteToLinear[(selection >> 16) & 0xFF];
    struct Case
    {
        const char *what;
        uint32_t background;
        float caret;
        float lift;  // added to the halved selection colour of object outlines
    } cases[] = {
        {"white", 0xFFFFFFFFu, 0.0f, 0.0f},
        {"black", 0xFF000000u, 1.0f, 0.5f},
        {"pale blue", 0xFFFF8181u, 0.0f, 0.0f},
        {"a grey of 128 is dark", 0xFF808080u, 1.0f, 0.5f},
    };
    for (const Case &c : cases)
    {
        editor->settings.preferences.colors[kColorBackground] = c.background;
        editor->document.objectSelection.SetElementCount(0);
        CaretPosition caret{nodes[1], 1};
        editor->document.selection = Selection{caret, caret};
        editor->BuildSelectionOverlay();
        ExpectColor(editor->selectionColor, c.caret, c.caret, c.caret, 0.75f, c.what);
        ASSERT_NE(editor->selectionOverlay, nullptr);
        ExpectColor(editor->selectionOverlay->color, c.caret, c.caret, c.caret, 0.75f, c.what);

        editor->document.selection = Selection{caret, CaretPosition{nodes[3], 2}};
        editor->BuildSelectionOverlay();
        ExpectColor(editor->selectionColor, r, g, b, 0.75f, c.what);

        ASSERT_TRUE(SelectTestDrawings(editor));
        editor->BuildSelectionOverlay();
        ExpectColor(editor->selectionColor, r * 0.5f + c.lift, g * 0.5f + c.lift, b * 0.5f + c.lift, 0.5f, c.what);
    }
}

TEST_F(SelectionOverlays, OutlinesAndEndHandlesOfSelectedDrawings)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    TestDrawingNode *first = AddLinkedDrawing();
    ASSERT_NE(first->start, first->finish);
    editor->zoom = 2.0f;
    ASSERT_TRUE(SelectTestDrawings(editor));
    editor->BuildSelectionOverlay();
    EXPECT_EQ(editor->selectionOverlayKind, kSelectionOverlayObjects);
    // The outline at 3/zoom.
    std::vector<Box2D> outline = ItemBoxes(editor->selectionItems);
    ASSERT_EQ(outline.size(), 1u);
    ExpectBox(outline[0], std::min(first->start.x, first->finish.x) - 1.5f, std::min(first->start.y, first->finish.y) - 1.5f,
              std::max(first->start.x, first->finish.x) + 1.5f, std::max(first->start.y, first->finish.y) + 1.5f,
              "outline");
    // Black squares of half side 3/zoom, then white ones of 0.625 of that, at the start and the finish.
    ASSERT_TRUE(editor->handlesShown);
    EXPECT_NE(editor->handleOverlay, nullptr);
    std::vector<Box2D> handles = ItemBoxes(editor->handleItems);
    ASSERT_EQ(handles.size(), 4u);
    const Point2D ends[4] = {first->start, first->finish, first->start, first->finish};
    for (int32_t i = 0; i < 4; ++i)
    {
        float half = i < 2 ? 1.5f : 0.9375f;
        ExpectBox(handles[size_t(i)], ends[i].x - half, ends[i].y - half, ends[i].x + half, ends[i].y + half,
                  "handle " + std::to_string(i));
        EXPECT_EQ(ItemColor(editor->handleItems, i), i < 2 ? 0xFF000000u : 0xFFFFFFFFu) << i;
    }
    EXPECT_EQ(editor->endHandles[0].link, first->GetFirstOutgoingLink());
    EXPECT_EQ(editor->endHandles[0].end, 0);
    EXPECT_EQ(editor->endHandles[1].link, first->GetFirstOutgoingLink()->GetNextOutgoingLink());
    EXPECT_EQ(editor->endHandles[1].end, 1);
    EXPECT_EQ(Point2D(editor->endHandles[1].x, editor->endHandles[1].y), first->finish);

    // One selected in the annotation tool group: no handles.
    editor->SetDrawingToolGroup(kToolGroupAnnotation);
    EXPECT_EQ(editor->handleOverlay, nullptr);
    editor->BuildSelectionOverlay();
    EXPECT_FALSE(editor->handlesShown);
    EXPECT_TRUE(editor->handleItems.IsEmpty());
    editor->SetDrawingToolGroup(kToolGroupEquation);

    // Two selected: both outlines, no handles.
    AddLinkedDrawing();
    ASSERT_TRUE(SelectTestDrawings(editor));
    ASSERT_EQ(editor->document.objectSelection.GetElementCount(), 2);
    editor->BuildSelectionOverlay();
    EXPECT_EQ(editor->selectionItems.GetListElementCount(), 2);
    EXPECT_FALSE(editor->handlesShown);
    EXPECT_EQ(editor->handleOverlay, nullptr);
}

TEST_F(SelectionOverlays, AnchorOverlayCases)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    auto *annotated = new AnnotatedDrawing;
    AddLinkedDrawing(annotated);
    auto countEdges = [&] {
        int32_t edges = 0;
        for (const AnchorRecord &r : editor->anchorRecords) edges += IsEdgeAnchorKind(r.kind) ? 1 : 0;
        return edges;
    };

    // The annotation tool: every 'anno' point, in the annotation anchor colour.
    editor->SetDrawingToolGroup(kToolGroupAnnotation);
    editor->BuildAnchorOverlay();
    ASSERT_EQ(editor->anchorRecords.GetElementCount(), 2);
    EXPECT_EQ(editor->anchorRecords[1].node, annotated);
    EXPECT_EQ(editor->anchorRecords[1].kind, uint32_t('anno'));
    EXPECT_EQ(Point2D(editor->anchorRecords[1].x, editor->anchorRecords[1].y), Point2D(6.0f, 7.0f));
    EXPECT_EQ(ItemColor(editor->anchorItems, 1), editor->settings.preferences.colors[kColorAnnotationAnchor]);
    EXPECT_NE(editor->anchorOverlay, nullptr);

    // Line and shape tools: the caret's group, guides only for lines.
    for (uint32_t tool : {kToolGroupLine, kToolGroupShape})
    {
        editor->SetDrawingToolGroup(tool);
        EXPECT_EQ(editor->anchorOverlay, nullptr);
        editor->BuildAnchorOverlay();
        EXPECT_EQ(editor->anchorGroup, main);
        EXPECT_GT(editor->anchorRecords.GetElementCount(), 0);
        EXPECT_EQ(editor->anchorItems.GetListElementCount(), editor->anchorRecords.GetElementCount());
        EXPECT_EQ(countEdges() > 0, tool == kToolGroupLine);
    }

    // One drawing selected: the handles' case, without the dragged object's own anchors.
    editor->SetDrawingToolGroup(kToolGroupEquation);
    ASSERT_TRUE(SelectTestDrawings(editor));
    editor->BuildSelectionOverlay();
    ASSERT_TRUE(editor->handlesShown);
    editor->BuildAnchorOverlay();
    EXPECT_EQ(editor->anchorGroup, nullptr);
    EXPECT_GT(countEdges(), 0);  // a line: guides of the main group
    for (const AnchorRecord &r : editor->anchorRecords) EXPECT_NE(r.node, annotated);

    // The equation tool without handles: nothing.
    editor->document.objectSelection.SetElementCount(0);
    editor->DiscardSelectionOverlay();
    editor->BuildAnchorOverlay();
    EXPECT_EQ(editor->anchorRecords.GetElementCount(), 0);
    EXPECT_EQ(editor->anchorOverlay, nullptr);
}

TEST_F(SelectionOverlays, CaretLeavingTheAnchorGroupDropsTheAnchors)
{
    ASSERT_NO_FATAL_FAILURE(
        Load("Gr { Bg {} Sb {s{\"A\"}} Fr { Gr (t='numr') { Bg {} Sb {s{\"A\"}} } Gr (t='dnom') { Bg {} Sb {s{\"B\"}} } } }"));
    editor->SetDrawingToolGroup(kToolGroupLine);
    CaretPosition inMain{nodes[1], 1};
    editor->document.selection = Selection{inMain, inMain};
    editor->BuildAnchorOverlay();
    ASSERT_EQ(editor->anchorGroup, main);
    int32_t count = editor->anchorRecords.GetElementCount();

    // Another place in the same group keeps them.
    CaretPosition rowStart{nodes[0], 0};
    editor->document.selection = Selection{rowStart, rowStart};
    editor->BuildSelectionOverlay();
    EXPECT_EQ(editor->anchorRecords.GetElementCount(), count);
    EXPECT_NE(editor->anchorOverlay, nullptr);

    // The numerator is another group.
    GroupNode *numerator = nodes[2]->GetFirstGroup();
    ASSERT_NE(numerator, nullptr);
    CaretPosition inside{numerator->GetLastMathSubnode(), 1};
    editor->document.selection = Selection{inside, inside};
    editor->BuildSelectionOverlay();
    EXPECT_EQ(editor->anchorGroup, nullptr);
    EXPECT_EQ(editor->anchorRecords.GetElementCount(), 0);
    EXPECT_EQ(editor->anchorOverlay, nullptr);
    editor->BuildAnchorOverlay();
    EXPECT_EQ(editor->anchorGroup, numerator);
}

TEST_F(SelectionOverlays, EndHandleHighlightReportsVisibleChanges)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    AddLinkedDrawing();
    ASSERT_TRUE(SelectTestDrawings(editor));
    editor->zoom = 2.0f;
    editor->BuildSelectionOverlay();
    ASSERT_TRUE(editor->handlesShown);
    EndHandle start = editor->endHandles[0];
    EXPECT_TRUE(editor->HighlightEndHandle(start));
    EXPECT_EQ(editor->highlight.halfSide, 1.875f);
    EXPECT_EQ(editor->highlight.color, 0xFF000000u);
    EXPECT_EQ(editor->highlight.point, Point2D(start.x, start.y));
    EXPECT_NE(editor->highlightOverlay, nullptr);
    EXPECT_FALSE(editor->HighlightEndHandle(start));
    EXPECT_TRUE(editor->HighlightEndHandle(editor->endHandles[1]));
    // An anchor takes the highlight over, and the handle then counts as new again.
    AnchorRecord anchor{main, 'axis', 0, 1.0f, 2.0f};
    EXPECT_TRUE(editor->HighlightAnchor(anchor, Point2D(1.0f, 2.0f)));
    EXPECT_FALSE(editor->highlight.handleHovered);
    EXPECT_TRUE(editor->HighlightEndHandle(editor->endHandles[1]));
    EXPECT_FALSE(editor->highlight.anchorHovered);
    EXPECT_TRUE(editor->DiscardHoverHighlight());
    EXPECT_EQ(editor->highlightOverlay, nullptr);
    EXPECT_FALSE(editor->DiscardHoverHighlight());
}

// End handles point at links of the tree: a replacement (Undo) forgets them, the handle highlight
// and the anchors built for the handles, before anything in the same turn can look at them.
TEST_F(SelectionOverlays, UndoForgetsEndHandlesThatPointIntoTheOldTree)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    AddLinkedDrawing();
    ASSERT_TRUE(SelectTestDrawings(editor));
    editor->BuildSelectionOverlay();
    ASSERT_TRUE(editor->handlesShown);
    ASSERT_TRUE(editor->HighlightEndHandle(editor->endHandles[1]));
    editor->BuildAnchorOverlay();
    ASSERT_GT(editor->anchorRecords.GetElementCount(), 0);
    Point2D onHandle(editor->endHandles[0].x, editor->endHandles[0].y);
    Point2D onAnchor(editor->anchorRecords[0].x, editor->anchorRecords[0].y);

    ASSERT_TRUE(editor->Undo());
    EXPECT_FALSE(editor->handlesShown);
    EXPECT_EQ(editor->handleOverlay, nullptr);
    EXPECT_EQ(editor->selectionOverlay, nullptr);
    for (const EndHandle &handle : editor->endHandles) EXPECT_EQ(handle.link, nullptr);
    EXPECT_FALSE(editor->highlight.shown);
    EXPECT_EQ(editor->highlight.handle.link, nullptr);
    EXPECT_EQ(editor->highlightOverlay, nullptr);
    EXPECT_EQ(editor->anchorRecords.GetElementCount(), 0);
    EXPECT_EQ(editor->anchorOverlay, nullptr);
    EXPECT_EQ(editor->FindAnchorAtPoint(onAnchor, nullptr), nullptr);
    EXPECT_EQ(editor->FindAnchorAtPoint(onHandle, nullptr), nullptr);
    // The press look-ups land on live nodes only.
    DocumentNode *object = editor->FindObjectAtPoint(onHandle);
    if (object != nullptr)
    {
        EXPECT_EQ(object->GetSuperStructure(), editor->document.GetRootStructure());
    }
    CaretPosition caret;
    if (editor->FindCaretAtPoint(editor->document.GetMainGroup(), onHandle, &caret))
    {
        EXPECT_EQ(caret.node->GetEnclosingGroup(), editor->document.GetMainGroup());
    }
    // The next frame's builds work on the new tree.
    ASSERT_TRUE(LayoutTestDocument(editor));
    editor->BuildSelectionOverlay();
    editor->BuildAnchorOverlay();
}

}  // namespace
}  // namespace oq::test
