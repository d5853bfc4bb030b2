// Coloured math nodes: the colour properties and the box and centre anchors.
#include "editor/document/ColoredMathNode.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/NodeLink.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/SpacingNeighbors.h"

#include <cstring>

namespace oq {

namespace {

const uint32_t kColoredAnchorKinds[2] = {0, kCentreAnchorKind};

}  // namespace

ColoredMathNode::ColoredMathNode(uint32_t kind) : MathNode(kind)
{
}

ColoredMathNode::ColoredMathNode(const ColoredMathNode &node)
    : MathNode(node), paletteIndex(node.paletteIndex), colorValue(node.colorValue)
{
}

bool ColoredMathNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                    void **storage)
{
    if (std::strcmp(identifier, "pi") == 0)
    {
        *type = 'IN32';
        *storage = &paletteIndex;
        return true;
    }
    if (std::strcmp(identifier, "co") == 0)
    {
        paletteIndex = -1;
        *type = 'UI32';
        *storage = &colorValue;
        return true;
    }
    return MathNode::CheckProperty(document, identifier, type, storage);
}

KettricResult ColoredMathNode::ResolveData(KettricDocument *document)
{
    KettricResult result = MathNode::ResolveData(document);
    if (paletteIndex > 15) paletteIndex = 0;
    return result;
}

void ColoredMathNode::WriteColorProperties(PropertyListWriter *writer) const
{
    WriteMathProperties(writer);
    if (paletteIndex < 0) writer->WriteColor("co", colorValue);
    else if (paletteIndex != 0) writer->WriteInteger("pi", paletteIndex);
}

bool ColoredMathNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    return writer.Opened();
}

bool ColoredMathNode::GetColor(NodeColor *color) const
{
    color->paletteIndex = paletteIndex;
    color->colorValue = colorValue;
    return true;
}

int32_t ColoredMathNode::GetAnchorKinds(const uint32_t **kinds) const
{
    *kinds = kColoredAnchorKinds;
    return 2;
}

int32_t ColoredMathNode::GetAnchorPoints(uint32_t kind, const Point2D **points) const
{
    if (kind == 0)
    {
        *points = boxAnchors;
        return anchorCount;
    }
    if (kind == kCentreAnchorKind)
    {
        *points = centreAnchors;
        return anchorCount;
    }
    *points = nullptr;
    return 0;
}

RowAnchorExtent GetRowAnchorExtent(const MathNode *node, const Design *design)
{
    float mu = node->GetMu(design);
    float pady = GetDesignParam(design, kDesignGroupAnchors, 'pady') * mu;
    RowAnchorExtent extent;
    const GroupNode *group = node->GetEnclosingGroup();
    const GroupRow *row = (group != nullptr) ? group->GetRow(node->rowIndex) : nullptr;
    if (row != nullptr)
    {
        float shift = node->absolutePosition.y - row->baselineOffset;
        extent.low = row->bottom - pady + shift;
        extent.high = row->top + pady + shift;
    }
    else
    {
        // Outside any group's rows: the node's own box.
        extent.low = node->absolutePosition.y + node->bottom - pady;
        extent.high = node->absolutePosition.y + node->top + pady;
    }
    extent.topLevel = group != nullptr && group->IsTopLevel();
    extent.outer = extent.topLevel ? GetDesignParam(design, kDesignGroupAnchors, 'scnd') * design->GetBaseFontSize() : 0.0f;
    return extent;
}

int32_t PlaceRowAnchors(const RowAnchorExtent &extent, float xBox, float xCentre, Point2D *boxAnchors,
                        Point2D *centreAnchors)
{
    boxAnchors[0] = Point2D(xBox, extent.low);
    boxAnchors[1] = Point2D(xBox, extent.high);
    centreAnchors[0] = Point2D(xCentre, extent.low);
    centreAnchors[1] = Point2D(xCentre, extent.high);
    if (!extent.topLevel) return 2;
    boxAnchors[2] = Point2D(xBox, extent.low - extent.outer);
    boxAnchors[3] = Point2D(xBox, extent.high + extent.outer);
    centreAnchors[2] = Point2D(xCentre, extent.low - extent.outer);
    centreAnchors[3] = Point2D(xCentre, extent.high + extent.outer);
    return 4;
}

void ColoredMathNode::FinishPlacement(const Design *design)
{
    float mu = GetMu(design);
    const MathNode *next = FindNextSpacingNeighbor(this);
    float gap = (next != nullptr && next->GetKind() != kRowBeginKind)
                    ? (next->leftSpacing + rightSpacing) * 0.5f
                    : GetDesignParam(design, kDesignGroupAnchors, 'padx') * mu;
    float xBox = absolutePosition.x + (width - rightSpacing) + gap;
    float xCentre = absolutePosition.x + ((width - rightSpacing) + leftSpacing) * 0.5f;
    RowAnchorExtent extent = GetRowAnchorExtent(this, design);
    anchorCount = PlaceRowAnchors(extent, xBox, xCentre, boxAnchors, centreAnchors);
}

void ColoredMathNode::SetColor(const NodeColor &color, bool recursive)
{
    paletteIndex = color.paletteIndex;
    colorValue = color.colorValue;
    MathNode::SetColor(color, recursive);
}

void ReduceLinkIndexes(MathNode *node, const uint32_t *kinds, int32_t kindCount)
{
    const GroupNode *group = node->GetEnclosingGroup();
    if (group == nullptr || group->IsTopLevel()) return;
    for (NodeLink *link = node->GetFirstIncomingLink(); link != nullptr; link = link->GetNextIncomingLink())
    {
        for (int32_t i = 0; i < kindCount; ++i)
        {
            if (link->anchorKind == kinds[i]) link->anchorIndex &= 1;
        }
    }
}

void ColoredMathNode::OnReparented()
{
    ReduceLinkIndexes(this, kColoredAnchorKinds, 2);
}

}  // namespace oq
