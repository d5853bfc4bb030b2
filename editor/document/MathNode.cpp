// The math node base: its properties, the three layout passes and the default operations.
#include "editor/document/MathNode.h"

#include "editor/document/GroupNode.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/fonts/Design.h"

#include <cmath>
#include <cstring>

namespace oq {

MathNode::MathNode(uint32_t kind) : DocumentNode(kind)
{
    baseStructureType = kEquationNodeFamily;
}

MathNode::MathNode(const MathNode &node)
    : DocumentNode(node), scale(node.scale), offsetX(node.offsetX), offsetY(node.offsetY)
{
}

bool MathNode::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type, void **storage)
{
    float *destination = nullptr;
    if (std::strcmp(identifier, "as") == 0) destination = &scale;
    else if (std::strcmp(identifier, "ax") == 0) destination = &offsetX;
    else if (std::strcmp(identifier, "ay") == 0) destination = &offsetY;
    if (destination == nullptr) return false;
    *type = 'FLOT';
    *storage = destination;
    return true;
}

bool MathNode::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return FromStructure(structure) != nullptr;
}

KettricResult MathNode::ResolveData(KettricDocument *document)
{
    KettricResult result = DocumentNode::ResolveData(document);
    // A zero, negative or huge size would make every length of the subtree zero or unbounded.
    if (!(scale >= kMinNodeScale && scale <= kMaxNodeScale)) scale = 1.0f;
    offsetX = FiniteOrDefault(offsetX, 0.0f);
    offsetY = FiniteOrDefault(offsetY, 0.0f);
    return result;
}

void MathNode::WriteMathProperties(PropertyListWriter *writer) const
{
    // A NaN differs from every default, so it is written.
    if (!(scale == 1.0f)) writer->WriteFloat("as", scale);
    if (!(offsetX == 0.0f)) writer->WriteFloat("ax", offsetX);
    if (!(offsetY == 0.0f)) writer->WriteFloat("ay", offsetY);
}

bool MathNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteMathProperties(&writer);
    return writer.Opened();
}

MathNode *MathNode::FromStructure(KettricStructure *structure)
{
    if (structure == nullptr || structure->GetBaseStructureType() != kEquationNodeFamily) return nullptr;
    return dynamic_cast<MathNode *>(structure);
}

const MathNode *MathNode::FromStructure(const KettricStructure *structure)
{
    return FromStructure(const_cast<KettricStructure *>(structure));
}

MathNode *MathNode::GetSuperMathNode() const
{
    return FromStructure(GetSuperStructure());
}

MathNode *MathNode::GetFirstMathSubnode() const
{
    for (KettricStructure *s = GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        if (MathNode *node = FromStructure(s)) return node;
    }
    return nullptr;
}

MathNode *MathNode::GetLastMathSubnode() const
{
    for (KettricStructure *s = GetLastSubnodeStructure(); s != nullptr; s = s->GetPreviousStructure())
    {
        if (MathNode *node = FromStructure(s)) return node;
    }
    return nullptr;
}

MathNode *MathNode::GetNextMathNode() const
{
    for (KettricStructure *s = GetNextStructure(); s != nullptr; s = s->GetNextStructure())
    {
        if (MathNode *node = FromStructure(s)) return node;
    }
    return nullptr;
}

MathNode *MathNode::GetPreviousMathNode() const
{
    for (KettricStructure *s = GetPreviousStructure(); s != nullptr; s = s->GetPreviousStructure())
    {
        if (MathNode *node = FromStructure(s)) return node;
    }
    return nullptr;
}

GroupNode *MathNode::GetEnclosingGroup() const
{
    for (MathNode *node = GetSuperMathNode(); node != nullptr; node = node->GetSuperMathNode())
    {
        if (node->GetKind() == kGroupKind) return static_cast<GroupNode *>(node);
    }
    return nullptr;
}

float MathNode::GetEm(const Design *design) const
{
    return design->GetBaseFontSize() * effectiveScale;
}

void MathNode::Layout(const Design *design)
{
    ScalePass(design);
    MeasurePass(design);
    PlacePass(design);
}

void MathNode::ScalePass(const Design *design)
{
    effectiveScale = scale * sizeFactor;
    scriptDepth = scriptStep;
    if (MathNode *super = GetSuperMathNode())
    {
        effectiveScale *= super->effectiveScale;
        int32_t depth = int32_t(scriptStep) + int32_t(super->scriptDepth);
        scriptDepth = uint8_t(depth < 255 ? depth : 255);
    }
    LayoutBeforeChildren(design);
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode()) node->ScalePass(design);
    LayoutAfterChildren(design);
}

void MathNode::MeasurePass(const Design *design)
{
    position = Point2D(0.0f, 0.0f);
    if (GetSuperMathNode() != nullptr)
    {
        if (const MathNode *previous = GetPreviousMathNode())
            position = Point2D(previous->position.x + previous->width, previous->position.y);
    }
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode()) node->MeasurePass(design);
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
        node->AdjustAfterSiblings(design);
    Measure(design);
}

void MathNode::PlacePass(const Design *design)
{
    float unit = design->GetBaseFontSize() / 18.0f;
    absolutePosition = Point2D(position.x + offsetX * unit, position.y + offsetY * unit);
    if (const MathNode *super = GetSuperMathNode())
    {
        absolutePosition.x += super->absolutePosition.x;
        absolutePosition.y += super->absolutePosition.y;
    }
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode()) node->PlacePass(design);
    FinishPlacement(design);
}

void MathNode::LayoutBeforeChildren(const Design *)
{
}

void MathNode::LayoutAfterChildren(const Design *)
{
}

void MathNode::Measure(const Design *)
{
}

void MathNode::AdjustAfterSiblings(const Design *)
{
}

void MathNode::FinishPlacement(const Design *)
{
}

void MathNode::SetColor(const NodeColor &color, bool recursive)
{
    if (!recursive) return;
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
        node->SetColor(color, true);
}

bool MathNode::HasVariant() const
{
    return false;
}

void MathNode::CycleVariant()
{
}

GroupNode *MathNode::GetFirstGroup() const
{
    return nullptr;
}

GroupNode *MathNode::GetLastGroup() const
{
    return nullptr;
}

GroupNode *MathNode::GetPreviousGroup(const GroupNode *) const
{
    return nullptr;
}

GroupNode *MathNode::GetNextGroup(const GroupNode *) const
{
    return nullptr;
}

GroupNode *MathNode::GetGroupAbove(const GroupNode *) const
{
    return nullptr;
}

GroupNode *MathNode::GetGroupBelow(const GroupNode *) const
{
    return nullptr;
}

int32_t MathNode::GetFirstStepIndex() const
{
    return 0;
}

int32_t MathNode::GetEndIndex() const
{
    return 0;
}

bool MathNode::TakesPartInSpacing() const
{
    return true;
}

void MathNode::OnReparented()
{
}

void MathNode::WriteSubnodesLatex(MathWriterState *state, TextString *output) const
{
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
        node->WriteLatex(state, output);
}

void MathNode::WriteSubnodesMathML(MathWriterState *state, TextString *output) const
{
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
        node->WriteMathML(state, output);
}

void MathNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    WriteSubnodesLatex(state, output);
}

void MathNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    WriteSubnodesMathML(state, output);
}

}  // namespace oq
