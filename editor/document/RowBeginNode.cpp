// Row begins: the least extent of a row, the row-start anchors and the row separators.
#include "editor/document/RowBeginNode.h"

#include "editor/document/ColoredMathNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"

#include <cstring>

namespace oq {

namespace {

const uint32_t kRowBeginAnchorKinds[1] = {0};

// The editing aid's flag for empty rows.
constexpr uint32_t kEmptyRowAidFlag = 1;

}  // namespace

RowBeginNode::RowBeginNode() : MathNode(kRowBeginKind)
{
}

RowBeginNode::RowBeginNode(const RowBeginNode &node) : MathNode(node), lineGap(node.lineGap)
{
}

bool RowBeginNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                 void **storage)
{
    if (std::strcmp(identifier, "lg") != 0) return MathNode::CheckProperty(document, identifier, type, storage);
    *type = 'FLOT';
    *storage = &lineGap;
    return true;
}

bool RowBeginNode::CheckSubstructure(KettricDocument *, KettricStructure *)
{
    return false;
}

KettricResult RowBeginNode::ResolveData(KettricDocument *document)
{
    KettricResult result = MathNode::ResolveData(document);
    lineGap = FiniteOrDefault(lineGap, -1.0f);
    return result;
}

DocumentNode *RowBeginNode::Clone() const
{
    return new RowBeginNode(*this);
}

bool RowBeginNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteMathProperties(&writer);
    if (lineGap >= 0.0f) writer.WriteFloat("lg", lineGap);
    return writer.Opened();
}

void RowBeginNode::WriteKettric(KettricDocument *, TextBuffer *buffer) const
{
    WriteKettricLeaf(buffer, "Bg");
}

bool RowBeginNode::IsRowEmpty() const
{
    const MathNode *next = GetNextMathNode();
    return next == nullptr || next->GetKind() == kRowBeginKind;
}

void RowBeginNode::Measure(const Design *design)
{
    float em = GetEm(design);
    float mu = em / 18.0f;
    width = IsRowEmpty() ? em * 0.5f : 0.0f;
    position.x = 0.0f;
    bottom = -design->GetGeneral(kGeneralRowDepthSlot) * mu;
    top = design->GetGeneral(kGeneralRowHeightSlot) * mu + em * GetGeneralParam(design, 'cptl');
    leftSpacing = width * 0.5f;
    rightSpacing = width * 0.5f;
}

void RowBeginNode::FinishPlacement(const Design *design)
{
    float mu = GetMu(design);
    float x = absolutePosition.x - GetDesignParam(design, kDesignGroupAnchors, 'padx') * mu;
    const MathNode *next = FindNextSpacingNeighbor(this);
    if (next != nullptr && next->GetKind() != kRowBeginKind) x += next->leftSpacing;
    RowAnchorExtent extent = GetRowAnchorExtent(this, design);
    anchors[0] = Point2D(x, extent.low);
    anchors[1] = Point2D(x, extent.high);
    anchorCount = 2;
    if (extent.topLevel)
    {
        anchors[2] = Point2D(x, extent.low - extent.outer);
        anchors[3] = Point2D(x, extent.high + extent.outer);
        anchorCount = 4;
    }
}

int32_t RowBeginNode::GetAnchorKinds(const uint32_t **kinds) const
{
    *kinds = kRowBeginAnchorKinds;
    return 1;
}

int32_t RowBeginNode::GetAnchorPoints(uint32_t kind, const Point2D **points) const
{
    if (kind != 0)
    {
        *points = nullptr;
        return 0;
    }
    *points = anchors;
    return anchorCount;
}

void RowBeginNode::OnReparented()
{
    ReduceLinkIndexes(this, kRowBeginAnchorKinds, 1);
}

void RowBeginNode::BuildEditingAidItems(uint32_t flags, const Preferences *preferences, const Design *design,
                                        DisplayList *list) const
{
    if ((flags & kEmptyRowAidFlag) == 0 || !IsRowEmpty()) return;
    float t = GetEm(design) * 0.05f;
    // The outer edge counter-clockwise, the inner one (the box) clockwise: a frame under the
    // non-zero rule.
    const Point2D outer[4] = {Point2D(-t, bottom - t), Point2D(width + t, bottom - t), Point2D(width + t, top + t),
                              Point2D(-t, top + t)};
    const Point2D inner[4] = {Point2D(0.0f, bottom), Point2D(0.0f, top), Point2D(width, top), Point2D(width, bottom)};
    QuadraticBezier2D curves[8];
    for (int32_t i = 0; i < 4; ++i)
    {
        curves[i] = MakeLineCurve(outer[i], outer[(i + 1) % 4]);
        curves[4 + i] = MakeLineCurve(inner[i], inner[(i + 1) % 4]);
    }
    list->Append(new FillPathItem(absolutePosition, 8, curves, preferences->colors[kColorEmptyGroup]));
}

void RowBeginNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    if (IsFirstRow()) return;
    output->AppendText(" \\\\ ");
    state->controlWord = 0;
}

void RowBeginNode::WriteMathML(MathWriterState *, TextString *output) const
{
    // Only a group writes the table whose cells a row begin separates.
    const MathNode *super = GetSuperMathNode();
    if (!IsFirstRow() && super != nullptr && super->GetKind() == kGroupKind) output->AppendText("</mtd></mtr><mtr><mtd>");
}

}  // namespace oq
