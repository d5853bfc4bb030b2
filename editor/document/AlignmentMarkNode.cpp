// Alignment marks: their width, variant cycle, editing aid and LaTeX.
#include "editor/document/AlignmentMarkNode.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"

#include <cstring>

namespace oq {

namespace {

// The editing aid's flag for alignment marks.
constexpr uint32_t kAlignmentMarkAidFlag = 4;

}  // namespace

AlignmentMarkNode::AlignmentMarkNode() : MathNode(kAlignmentMarkKind), markAlignment(kAlignLeft)
{
}

AlignmentMarkNode::AlignmentMarkNode(const AlignmentMarkNode &node) : MathNode(node), markAlignment(node.markAlignment)
{
}

bool AlignmentMarkNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                      void **storage)
{
    if (std::strcmp(identifier, "al") != 0) return MathNode::CheckProperty(document, identifier, type, storage);
    *type = 'UI32';
    *storage = &markAlignment;
    return true;
}

bool AlignmentMarkNode::CheckSubstructure(KettricDocument *, KettricStructure *)
{
    return false;
}

KettricResult AlignmentMarkNode::ResolveData(KettricDocument *document)
{
    KettricResult result = MathNode::ResolveData(document);
    if (markAlignment != kAlignCentre && markAlignment != kAlignRight) markAlignment = kAlignLeft;
    return result;
}

DocumentNode *AlignmentMarkNode::Clone() const
{
    return new AlignmentMarkNode(*this);
}

bool AlignmentMarkNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteMathProperties(&writer);
    if (markAlignment != kAlignLeft) writer.WriteFourCC("al", markAlignment);
    return writer.Opened();
}

void AlignmentMarkNode::WriteKettric(KettricDocument *, TextBuffer *buffer) const
{
    WriteKettricLeaf(buffer, "Al");
}

void AlignmentMarkNode::Measure(const Design *)
{
    // A mark right after a mark has the same spacing neighbour, so it takes that mark's width: a run
    // of marks costs one search, not one per mark over all the marks before it.
    const MathNode *before = GetPreviousMathNode();
    if (before != nullptr && before->GetKind() == kAlignmentMarkKind) width = before->rightSpacing;
    else
    {
        const MathNode *previous = FindPrevSpacingNeighbor(this);
        width = (previous != nullptr) ? previous->rightSpacing : 0.0f;
    }
    rightSpacing = width;
    position.x -= width;
}

bool AlignmentMarkNode::HasVariant() const
{
    return true;
}

void AlignmentMarkNode::CycleVariant()
{
    if (markAlignment == kAlignLeft) markAlignment = kAlignRight;
    else if (markAlignment == kAlignRight) markAlignment = kAlignCentre;
    else markAlignment = kAlignLeft;
}

bool AlignmentMarkNode::TakesPartInSpacing() const
{
    return false;
}

void AlignmentMarkNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    output->AppendText("&");
    state->controlWord = 0;
}

void AlignmentMarkNode::WriteMathML(MathWriterState *, TextString *) const
{
}

void AlignmentMarkNode::BuildEditingAidItems(uint32_t flags, const Preferences *preferences, const Design *design,
                                             DisplayList *list) const
{
    if ((flags & kAlignmentMarkAidFlag) == 0) return;
    float em = GetEm(design);
    float h = em * 0.0125f;
    float low = -em * 0.125f;
    float high = em * GetGeneralParam(design, 'cptl') + em * 0.125f;
    float flagWidth = em * 0.1f;
    float flagFoot = high - em * 0.2f;
    bool leftFlag = markAlignment != kAlignRight;
    bool rightFlag = markAlignment != kAlignLeft;
    // One counter-clockwise contour: the bar, with the flag's triangle on the side(s) of its top.
    Point2D points[8];
    int32_t count = 0;
    points[count++] = Point2D(-h, low);
    points[count++] = Point2D(h, low);
    if (rightFlag)
    {
        points[count++] = Point2D(h, flagFoot);
        points[count++] = Point2D(h + flagWidth, high - em * 0.1f);
    }
    points[count++] = Point2D(h, high);
    points[count++] = Point2D(-h, high);
    if (leftFlag)
    {
        points[count++] = Point2D(-h - flagWidth, high - em * 0.1f);
        points[count++] = Point2D(-h, flagFoot);
    }
    QuadraticBezier2D curves[8];
    for (int32_t i = 0; i < count; ++i) curves[i] = MakeLineCurve(points[i], points[(i + 1) % count]);
    list->Append(new FillPathItem(absolutePosition, count, curves, preferences->colors[kColorAligner]));
}

}  // namespace oq
