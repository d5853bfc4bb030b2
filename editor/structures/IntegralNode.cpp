// Integrals: reading and writing the sign, the sign choice, the items, navigation and the text forms.
#include "editor/structures/IntegralNode.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/structures/LargeOperatorText.h"

#include <cstring>

namespace oq {

namespace {

// Navigation runs lower limit, upper limit, body.
constexpr SlotGroupRow kIntegralSlots[3] = {{kLowerLimitRole, false}, {kUpperLimitRole, false}, {0, true}};

// The drawn signs: count, loop, arrow (0 none, 1 anticlockwise, 2 clockwise).
const struct
{
    uint32_t codePoint;
    int32_t count;
    bool loop;
    int32_t arrow;
} kDrawnSigns[] = {
    {0x222B, 1, false, 0}, {0x222C, 2, false, 0}, {0x222D, 3, false, 0}, {0x2A0C, 4, false, 0}, {0x222E, 1, true, 0},
    {0x222F, 2, true, 0},  {0x2230, 3, true, 0},  {0x2232, 1, true, 2},  {0x2233, 1, true, 1},
};

const struct
{
    uint32_t codePoint;
    const char *command;
} kIntegralCommands[] = {
    {0x222B, "int"}, {0x222C, "iint"}, {0x222D, "iiint"}, {0x222E, "oint"}, {0x222F, "oiint"}, {0x2230, "oiiint"},
    {0x2A0C, "iiiint"},
};

}  // namespace

const char *GetIntegralCommand(uint32_t codePoint)
{
    for (const auto &row : kIntegralCommands)
    {
        if (row.codePoint == codePoint) return row.command;
    }
    return "int";
}

IntegralNode::IntegralNode(uint32_t signCodePoint, bool isSmall, bool isInline)
    : StructureNode(kIntegralKind, kIntegralSlots, 3), codePoint(signCodePoint), small(isSmall), inlineLimits(isInline)
{
}

IntegralNode::IntegralNode(const IntegralNode &node)
    : StructureNode(node), codePoint(node.codePoint), small(node.small), inlineLimits(node.inlineLimits),
      keepGlyph(node.keepGlyph), grow(node.grow), glyph(node.glyph)
{
}

bool IntegralNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                 void **storage)
{
    const struct
    {
        const char *name;
        bool *flag;
    } flags[] = {{"sm", &small}, {"il", &inlineLimits}, {"kg", &keepGlyph}, {"gr", &grow}};
    for (const auto &f : flags)
    {
        if (std::strcmp(identifier, f.name) != 0) continue;
        *type = 'BOOL';
        *storage = f.flag;
        return true;
    }
    return ColoredMathNode::CheckProperty(document, identifier, type, storage);
}

bool IntegralNode::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return AcceptGroupSubstructure(structure) || IsOperatorCodePointList(structure);
}

KettricResult IntegralNode::ResolveData(KettricDocument *document)
{
    KettricResult result = StructureNode::ResolveData(document);
    KettricResult listResult = TakeOperatorCodePoint(this, &codePoint);
    return result != 0 ? result : listResult;
}

DocumentNode *IntegralNode::Clone() const
{
    return new IntegralNode(*this);
}

bool IntegralNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (small) writer.WriteFlag("sm");
    if (inlineLimits) writer.WriteFlag("il");
    if (keepGlyph) writer.WriteFlag("kg");
    if (grow) writer.WriteFlag("gr");
    return writer.Opened();
}

void IntegralNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteOperatorKettric(*this, document, buffer, "In", codePoint, kIntegralCodePoint);
}

void IntegralNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    if (glyphMode) glyph.BuildExportItems(design, absolutePosition, GetNodeColorWord(design, paletteIndex, colorValue), list);
    else AppendOutlineItems(design, list, false);
    StructureNode::BuildExportItems(design, list);
}

void IntegralNode::BuildMeshItems(const Design *design, DisplayList *list) const
{
    if (glyphMode) glyph.BuildMeshItems(design, absolutePosition, GetNodeColorWord(design, paletteIndex, colorValue), list);
    StructureNode::BuildMeshItems(design, list);
}

void IntegralNode::BuildPathItems(const Design *design, DisplayList *list) const
{
    if (!glyphMode) AppendOutlineItems(design, list, true);
    StructureNode::BuildPathItems(design, list);
}

void IntegralNode::AppendOutlineItems(const Design *design, DisplayList *list, bool fill) const
{
    AppendOutlineItem(design, list, signCurveCount, signOutline, fill);
    if (loop) AppendOutlineItem(design, list, loopCurveCount, loopOutline, fill);
    if (arrow) AppendOutlineItem(design, list, arrowCurveCount, arrowOutline, fill);
}

void IntegralNode::LayoutBeforeChildren(const Design *design)
{
    float factor = GetGroupParam(design, kIntegralKind, scriptDepth == 0 ? 'scl0' : 'scl1');
    for (GroupNode *limit : {GetLower(), GetUpper()})
    {
        if (limit == nullptr) continue;
        SetSlotScale(limit, factor, 1, scriptDepth);
        limit->defaultAlignment = inlineLimits ? kAlignLeft : kAlignCentre;
    }
    SetOperatorBodyRowEnd(this, GetBody());
}

void IntegralNode::ChooseSign()
{
    signCount = 1;
    glyphMode = true;
    loop = false;
    arrow = false;
    clockwise = false;
    if (keepGlyph) return;
    for (const auto &row : kDrawnSigns)
    {
        if (row.codePoint != codePoint) continue;
        glyphMode = false;
        signCount = row.count;
        loop = row.loop;
        arrow = row.arrow != 0;
        clockwise = row.arrow == 2;
    }
}

void IntegralNode::LayoutAfterChildren(const Design *design)
{
    ChooseSign();
    if (glyphMode) glyph.Layout(design, *this, codePoint, kIntegralStyle);
}

bool IntegralNode::HasVariant() const
{
    return true;
}

void IntegralNode::CycleVariant()
{
    static_cast<void>(StepOperatorVariant(&small, &inlineLimits));
}

GroupNode *IntegralNode::GetGroupAbove(const GroupNode *group) const
{
    return (group != nullptr && group == GetLower()) ? GetUpper() : nullptr;
}

GroupNode *IntegralNode::GetGroupBelow(const GroupNode *group) const
{
    return (group != nullptr && group == GetUpper()) ? GetLower() : nullptr;
}

void IntegralNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    WriteOperatorLatex(GetIntegralCommand(codePoint), inlineLimits, GetLower(), GetUpper(), GetBody(), state, output);
}

void IntegralNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    WriteOperatorMathML(codePoint, small, inlineLimits, GetLower(), GetUpper(), GetBody(), state, output);
}

}  // namespace oq
