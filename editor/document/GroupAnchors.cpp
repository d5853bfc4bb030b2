// Groups at the top level: their anchor sets, annotation placement, the annotation outline and
// hit test, the export box and the clean-up after deleting rows.
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/NodeLink.h"
#include "editor/document/SegmentGeometry.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"

#include <cmath>

namespace oq {

namespace {

const uint32_t kTopLevelAnchorKinds[5] = {kAxisAnchorKind, kLineAnchorKind, kBorderAnchorKind, kHorizontalRailKind,
                                          kVerticalRailKind};

constexpr uint32_t kAnchorGroup = 'ancr';
constexpr uint32_t kRailGroup = 'rail';
constexpr uint32_t kAnnotationGroup = 'anno';
// The fixed slots of the annotation group: the gap above and below an annotation, in em.
constexpr int32_t kAnnotationGapAboveSlot = 6;
constexpr int32_t kAnnotationGapBelowSlot = 7;

float GetAnnotationFixed(const Design *design, int32_t slot)
{
    int32_t group = FindDesignGroup(kAnnotationGroup);
    return (group >= 0) ? design->GetGroupSlots(group)[slot] : 0.0f;
}

}  // namespace

void GroupNode::FinishPlacement(const Design *design)
{
    float X = absolutePosition.x;
    float Y = absolutePosition.y;
    float W = width;
    float f = design->GetBaseFontSize();
    float em = GetEm(design);
    int32_t rowCount = rows.GetElementCount();
    hasAnchors = IsTopLevel() && rowCount > 0;
    if (hasAnchors)
    {
        float side = f * GetGroupParam(design, kAnchorGroup, 'lnsp');
        float left = X - side;
        float right = X + W + side;
        float axis = em * GetGeneralParam(design, 'axis');
        axisAnchors.SetElementCount(2 * rowCount);
        for (int32_t i = 0; i < rowCount; ++i)
        {
            float y = Y + rows[i].baselineOffset + axis;
            axisAnchors[2 * i] = Point2D(left, y);
            axisAnchors[2 * i + 1] = Point2D(right, y);
        }

        bool annotation = role == kAnnotationRole;
        bool deep = scriptDepth != 0;
        float gap = GetGeneralParam(design, annotation ? (deep ? 'alg1' : 'alg0') : (deep ? 'lgp1' : 'lgp0'));
        float half = em / 18.0f * gap / 2.0f;
        lineAnchors.SetElementCount(2 * rowCount + 2);
        float y = Y + rows[0].top + half;
        lineAnchors[0] = Point2D(left, y);
        lineAnchors[1] = Point2D(right, y);
        for (int32_t j = 1; j < rowCount; ++j)
        {
            y = Y + (rows[j].top + rows[j - 1].bottom) / 2.0f;
            lineAnchors[2 * j] = Point2D(left, y);
            lineAnchors[2 * j + 1] = Point2D(right, y);
        }
        y = Y + rows[rowCount - 1].bottom - half;
        lineAnchors[2 * rowCount] = Point2D(left, y);
        lineAnchors[2 * rowCount + 1] = Point2D(right, y);

        float dx = f * GetGroupParam(design, kAnchorGroup, 'bspx');
        float dy = f * GetGroupParam(design, kAnchorGroup, 'bspy');
        borderAnchors[0] = Point2D(X - dx, Y + bottom - dy);
        borderAnchors[1] = Point2D(X + W + dx, Y + bottom - dy);
        borderAnchors[2] = Point2D(X - dx, Y + top + dy);
        borderAnchors[3] = Point2D(X + W + dx, Y + top + dy);

        static const uint32_t kBottom[5] = {'bot0', 'bot1', 'bot2', 'bot3', 'bot4'};
        static const uint32_t kTop[5] = {'top0', 'top1', 'top2', 'top3', 'top4'};
        static const uint32_t kLeft[5] = {'lft0', 'lft1', 'lft2', 'lft3', 'lft4'};
        static const uint32_t kRight[5] = {'rgt0', 'rgt1', 'rgt2', 'rgt3', 'rgt4'};
        float cx = X + W / 2.0f;
        float cy = Y + (bottom + top) / 2.0f;
        for (int32_t j = 0; j < 5; ++j)
        {
            horizontalRails[2 * j] = Point2D(cx, Y + bottom - f * GetGroupParam(design, kRailGroup, kBottom[j]));
            horizontalRails[2 * j + 1] = Point2D(cx, Y + top + f * GetGroupParam(design, kRailGroup, kTop[j]));
            verticalRails[2 * j] = Point2D(X - f * GetGroupParam(design, kRailGroup, kLeft[j]), cy);
            verticalRails[2 * j + 1] = Point2D(X + W + f * GetGroupParam(design, kRailGroup, kRight[j]), cy);
        }
    }
    if (role == kAnnotationRole)
    {
        float d = f * GetGroupParam(design, kAnnotationGroup, 'grup');
        annotationAnchors[0] = Point2D(X + W / 2.0f, Y + bottom - d);
        annotationAnchors[1] = Point2D(X + W / 2.0f, Y + top + d);
    }
}

int32_t GroupNode::GetAnchorKinds(const uint32_t **kinds) const
{
    *kinds = hasAnchors ? kTopLevelAnchorKinds : nullptr;
    return hasAnchors ? 5 : 0;
}

int32_t GroupNode::GetAnchorPoints(uint32_t kind, const Point2D **points) const
{
    *points = nullptr;
    if (kind == kAnnotationAnchorKind && role == kAnnotationRole)
    {
        *points = annotationAnchors;
        return 2;
    }
    if (!hasAnchors) return 0;
    switch (kind)
    {
    case kAxisAnchorKind:
        *points = axisAnchors.GetElements();
        return axisAnchors.GetElementCount();
    case kLineAnchorKind:
        *points = lineAnchors.GetElements();
        return lineAnchors.GetElementCount();
    case kBorderAnchorKind:
        *points = borderAnchors;
        return 4;
    case kHorizontalRailKind:
        *points = horizontalRails;
        return 10;
    case kVerticalRailKind:
        *points = verticalRails;
        return 10;
    default:
        return 0;
    }
}

const uint32_t *GroupNode::GetAnchorHandleColor(const Preferences *preferences, uint32_t kind) const
{
    if (preferences == nullptr) return nullptr;
    return &preferences->colors[(kind & 0xFF) == '!' ? kColorRailAnchor : kColorGroupAnchor];
}

void GroupNode::GetAnchorDirection(Vector2D *direction, int32_t index) const
{
    direction->Set(0.0f, index == 0 ? -1.0f : 1.0f);
}

void GroupNode::PlaceAnnotation(const Design *design, float em)
{
    NodeLink *link = GetFirstOutgoingLink();
    if (link == nullptr) return;
    DocumentNode *target = link->GetTarget();
    const Point2D *points = nullptr;
    int32_t count = target->GetAnchorPoints(link->anchorKind, &points);
    // A target without points of the kind leaves the group where the measure pass put it.
    if (count <= 0 || points == nullptr) return;
    int32_t index = (link->anchorIndex >= 0 && link->anchorIndex < count) ? link->anchorIndex : 0;
    Point2D p = points[index];
    Vector2D direction(1.0f, 0.0f);
    target->GetAnchorDirection(&direction, index);

    int32_t rowCount = rows.GetElementCount();
    float firstBaseline = (rowCount > 0) ? rows[0].baselineOffset : 0.0f;
    float lastBaseline = (rowCount > 0) ? rows[rowCount - 1].baselineOffset : 0.0f;
    float capital = GetGeneralParam(design, 'cptl');
    float axis = GetGeneralParam(design, 'axis');
    float ex;
    float ey;
    if (std::fabs(direction.y) >= std::fabs(direction.x))
    {
        uint32_t align = GetEffectiveAlignment();
        float inset = em * GetGroupParam(design, kAnnotationGroup, 'iset');
        ex = (align == kAlignCentre) ? width / 2.0f : (align == kAlignRight ? width - inset : inset);
        if (direction.y > 0.0f)
        {
            float above = lastBaseline - GetAnnotationFixed(design, kAnnotationGapAboveSlot) * em;
            ey = (bottom < above) ? bottom : above;
        }
        else if (direction.y < 0.0f)
        {
            float below = firstBaseline + (GetAnnotationFixed(design, kAnnotationGapBelowSlot) + capital) * em;
            ey = (top > below) ? top : below;
        }
        else
        {
            ey = firstBaseline + em * capital / 2.0f;
        }
    }
    else
    {
        ex = (direction.x > 0.0f) ? 0.0f : width;
        if (baselineRow == kBaselineFirst || rowCount == 1) ey = firstBaseline + em * axis;
        else if (baselineRow == kBaselineLast) ey = lastBaseline + em * axis;
        else ey = (bottom + top) / 2.0f;
    }
    position = Point2D(p.x - ex, p.y - ey);
}

bool GroupNode::HitTest(const Point2D &point, float tolerance) const
{
    if (role != kAnnotationRole) return false;
    Point2D q(point.x - absolutePosition.x, point.y - absolutePosition.y);
    const Point2D corners[4] = {Point2D(0.0f, bottom), Point2D(width, bottom), Point2D(width, top), Point2D(0.0f, top)};
    for (int32_t i = 0; i < 4; ++i)
    {
        if (IsPointNearSegment(q, corners[i], corners[(i + 1) % 4], tolerance)) return true;
    }
    return false;
}

void GroupNode::BuildSelectionOutline(float halfWidth, DisplayList *list) const
{
    if (role != kAnnotationRole) return;
    QuadraticBezier2D curves[8];
    BuildSegmentOutline(Point2D(0.0f, bottom), Point2D(width, top), Vector2D(1.0f, 0.0f), halfWidth, curves);
    list->Append(new FillPathItem(absolutePosition, 8, curves, 0));
}

void GroupNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    MathNode::BuildExportItems(design, list);
    if (!spaceAtRowStart && !spaceAtRowEnd) return;
    float X = absolutePosition.x;
    float Y = absolutePosition.y;
    auto *item = new ExportCurveItem(absolutePosition, 0, nullptr, 0xFF000000);
    item->box[0] = spaceAtRowStart ? X : X + width;
    item->box[2] = spaceAtRowEnd ? X + width : X;
    // From the group's y to the capital height, whichever lies lower.
    float capital = design->GetBaseFontSize() * GetGeneralParam(design, 'cptl');
    item->box[1] = MinFloat(Y, capital);
    item->box[3] = MaxFloat(Y, capital);
    list->Append(item);
}

void GroupNode::DeleteDependentsOfMissingRows()
{
    int32_t rowCount = 0;
    for (const MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() == kRowBeginKind) ++rowCount;
    }
    // Destroying a source deletes its other links, which leave this list: always take the head.
    List links;
    for (NodeLink *link = GetFirstIncomingLink(); link != nullptr; link = link->GetNextIncomingLink())
        links.Append(&link->workElement);
    bool wasKeptAlive = keepAlive;
    keepAlive = true;
    while (ListElement *element = links.GetFirstListElement())
    {
        links.Remove(element);
        NodeLink *link = static_cast<LinkWorkElement *>(element)->GetLink();
        bool missing = (link->anchorKind == kAxisAnchorKind && link->anchorIndex >= 2 * rowCount) ||
                       (link->anchorKind == kLineAnchorKind && link->anchorIndex >= 2 * rowCount + 2);
        if (!missing) continue;
        DocumentNode *source = link->GetSource();
        if (MustDestroyLinkSource(source))
            delete source;
        else
            delete link;
    }
    keepAlive = wasKeptAlive;
}

}  // namespace oq
