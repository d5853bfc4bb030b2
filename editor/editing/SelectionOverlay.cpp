// The selection overlay: the caret bar, the boxes of a range, the outlines of selected objects and
// the end handles of one selected drawing.
#include "editor/editing/SelectionOverlay.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/NodeLink.h"
#include "editor/document/RowBeginNode.h"
#include "editor/drawing/DrawingObject.h"
#include "editor/editing/CaretRules.h"
#include "editor/editing/Editor.h"
#include "editor/editing/OverlayItems.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"

namespace oq {

namespace {

// The annotation group's fixed row depth and height (em): the least extent of a row.
constexpr int32_t kRowDepthSlot = 6;
constexpr int32_t kRowHeightSlot = 7;

float GetRowExtentValue(const Design *design, int32_t slot)
{
    int32_t group = FindDesignGroup('anno');
    return group >= 0 ? design->GetGroupSlots(group)[slot] : 0.0f;
}

// The group of a caret node, with the row the node stands on; null when it is not laid out.
const GroupRow *GetCaretRow(const MathNode *node, const GroupNode **group)
{
    *group = node != nullptr ? node->GetEnclosingGroup() : nullptr;
    if (*group == nullptr || (*group)->GetRowCount() == 0) return nullptr;
    return (*group)->GetRow(node->rowIndex);
}

// The points of the drawing's two ends: where it was placed, else where its links point.
void GetDrawingEnds(const DocumentNode *object, NodeLink *first, NodeLink *last, Point2D *start, Point2D *finish)
{
    if (const auto *drawing = dynamic_cast<const DrawingObject *>(object))
    {
        *start = drawing->startPoint;
        *finish = drawing->finishPoint;
        return;
    }
    NodeLink *links[2] = {first, last};
    Point2D *ends[2] = {start, finish};
    for (int32_t i = 0; i < 2; ++i)
    {
        const Point2D *points = nullptr;
        const DocumentNode *target = links[i]->GetTarget();
        int32_t count = target != nullptr ? target->GetAnchorPoints(links[i]->anchorKind, &points) : 0;
        int32_t index = links[i]->anchorIndex;
        *ends[i] = (points != nullptr && index >= 0 && index < count) ? points[index] : Point2D(0.0f, 0.0f);
    }
}

}  // namespace

void GetSelectionBoxes(const EquationDocument *document, SelectionBoxes *boxes, Point2D *startPoint,
                       Point2D *endPoint)
{
    boxes->SetElementCount(0);
    const Selection &selection = document->selection;
    const GroupNode *group = nullptr;
    if (GetCaretRow(selection.start.node, &group) == nullptr || selection.end.node == nullptr) return;
    int32_t rowCount = group->GetRowCount();
    int32_t first = selection.start.node->rowIndex;
    int32_t last = selection.end.node->rowIndex;
    if (first < 0 || first >= rowCount || last < first || last >= rowCount) return;

    const Design *design = &document->design;
    float g = group->GetEm(design);
    float depth = GetRowExtentValue(design, kRowDepthSlot) * g;
    float height = (GetRowExtentValue(design, kRowHeightSlot) + GetGeneralParam(design, 'cptl')) * g;
    Point2D origin = group->absolutePosition;
    boxes->SetElementCount(last - first + 1);
    for (int32_t i = first; i <= last; ++i)
    {
        const GroupRow *row = group->GetRow(i);
        float left = row->x;
        float right = row->rightEnd + g * 0.5f;
        if (i == first)
        {
            left = GetCaretX(document, selection.start);
            *startPoint = Point2D(left + origin.x, row->baselineOffset + origin.y);
        }
        if (i == last)
        {
            right = GetCaretX(document, selection.end);
            *endPoint = Point2D(right + origin.x, row->baselineOffset + origin.y);
        }
        if (left == right)
        {
            left -= g / 16.0f;
            right += g / 16.0f;
        }
        float bottom = MinFloat(row->bottom - 0.05f * g, row->baselineOffset - depth);
        float top = MaxFloat(row->top + 0.05f * g, row->baselineOffset + height);
        (*boxes)[i - first] = Box2D(Point2D(origin.x + left, origin.y + bottom), Point2D(origin.x + right, origin.y + top));
    }
}

void Editor::BuildSelectionOverlay()
{
    DiscardSelectionOverlay();
    const Preferences &preferences = settings.preferences;
    bool light = IsLightBackground(preferences.colors[kColorBackground]);
    uint32_t selectionWord = preferences.colors[kColorSelection];
    Selection &selection = document.selection;

    if (document.objectSelection.GetElementCount() != 0)
    {
        for (DocumentNode *object : document.objectSelection) object->BuildSelectionOutline(3.0f / zoom, &selectionItems);
        ColorRGBA color = LinearOverlayColor(selectionWord, 0.5f);
        float lift = light ? 0.0f : 0.5f;
        selectionColor = ColorRGBA{color.red * 0.5f + lift, color.green * 0.5f + lift, color.blue * 0.5f + lift, 0.5f};
        selectionOverlayKind = kSelectionOverlayObjects;
        BuildOverlayObject(&selectionOverlay, &selectionItems, selectionColor);

        DocumentNode *object = document.objectSelection[0];
        NodeLink *first = object->GetFirstOutgoingLink();
        if (drawingToolGroup == kToolGroupAnnotation || document.objectSelection.GetElementCount() != 1 ||
            object->GetFamily() != kDrawingNodeFamily || first == nullptr)
            return;
        NodeLink *last = first;
        while (NodeLink *next = last->GetNextOutgoingLink()) last = next;
        Point2D start;
        Point2D finish;
        GetDrawingEnds(object, first, last, &start, &finish);
        endHandles[0] = EndHandle{first, 0, start.x, start.y};
        endHandles[1] = EndHandle{last, 1, finish.x, finish.y};
        float outer = 3.0f / zoom;
        float inner = 0.625f * outer;
        for (const Point2D &p : {start, finish}) AppendOverlayBar(&handleItems, p, outer, outer, 0xFF000000u);
        for (const Point2D &p : {start, finish}) AppendOverlayBar(&handleItems, p, inner, inner, 0xFFFFFFFFu);
        handlesShown = true;
        BuildOverlayObject(&handleOverlay, &handleItems, ColorRGBA{1.0f, 1.0f, 1.0f, 1.0f});
        return;
    }

    const GroupNode *group = nullptr;
    const GroupRow *row = GetCaretRow(selection.start.node, &group);
    // The anchors follow the caret into another group.
    if (anchorGroup != nullptr && anchorGroup != group) DiscardAnchorOverlay();
    if (row == nullptr) return;
    Point2D origin = group->absolutePosition;
    bool caret = IsCollapsed(selection);
    if (caret)
    {
        float g = group->GetEm(&document.design);
        float x = GetCaretX(&document, selection.start) + origin.x;
        float d = g * 0.05f;
        float w = 0.75f / zoom;
        Box2D bar(Point2D(x - w, origin.y + row->bottom - d), Point2D(x + w, origin.y + row->top + d));
        AppendOverlayBox(&selectionItems, bar, 0);
        caretBoxes[0] = bar;
        caretBoxes[1] = bar;
        caretPoints[0] = Point2D(x, origin.y);
        caretPoints[1] = caretPoints[0];
        if ((settings.state.viewFlags & kViewActiveBaseline) != 0 && row->rowBegin != nullptr)
        {
            float y = origin.y + row->baselineOffset + row->rowBegin->bottom - d;
            AppendOverlayBox(&selectionItems,
                             Box2D(Point2D(origin.x - w, y - w), Point2D(origin.x + group->width + w, y + w)), 0);
        }
        float c = light ? 0.0f : 1.0f;
        selectionColor = ColorRGBA{c, c, c, 0.75f};
        selectionOverlayKind = kSelectionOverlayCaret;
        nextBlinkTime = lastTickTime + int64_t(blinkPeriod);
        caretVisible = true;
    }
    else
    {
        SelectionBoxes boxes;
        GetSelectionBoxes(&document, &boxes, &caretPoints[0], &caretPoints[1]);
        int32_t count = boxes.GetElementCount();
        if (count == 0) return;
        for (const Box2D &box : boxes) AppendOverlayBox(&selectionItems, box, 0);
        caretBoxes[0] = boxes[0];
        caretBoxes[1] = boxes[count - 1];
        selectionColor = LinearOverlayColor(selectionWord, 0.75f);
        selectionOverlayKind = kSelectionOverlayRange;
    }
    BuildOverlayObject(&selectionOverlay, &selectionItems, selectionColor);
}

void Editor::DiscardSelectionOverlay()
{
    ReleaseOverlayObject(&selectionOverlay);
    ReleaseOverlayObject(&handleOverlay);
    selectionItems.Purge();
    handleItems.Purge();
    handlesShown = false;
}

}  // namespace oq
