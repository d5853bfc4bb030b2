// Iterations: reading and writing the code point, the operator glyph and limits' layout, the items
// and the text forms.
#include "editor/structures/IterationNode.h"

#include "base/TextUtils.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/platform/TextBuffer.h"
#include "editor/structures/LargeOperatorText.h"

#include <algorithm>
#include <cstring>

namespace oq {

namespace {

// Navigation runs lower limit, upper limit, modifier, body.
constexpr SlotGroupRow kIterationSlots[4] = {
    {kLowerLimitRole, false}, {kUpperLimitRole, false}, {kModifierRole, false}, {0, true}};

float IterationParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kIterationKind, key);
}

const struct
{
    uint32_t codePoint;
    const char *command;
} kIterationCommands[] = {
    {0x220F, "prod"},     {0x2210, "coprod"},   {0x2211, "sum"},      {0x22C0, "bigwedge"}, {0x22C1, "bigvee"},
    {0x22C2, "bigcap"},   {0x22C3, "bigcup"},   {0x2A00, "bigodot"},  {0x2A01, "bigoplus"}, {0x2A02, "bigotimes"},
    {0x2A03, "bigudot"},  {0x2A04, "biguplus"}, {0x2A05, "bigsqcap"}, {0x2A06, "bigsqcup"}, {0x2A09, "bigtimes"},
};

}  // namespace

const char *GetIterationCommand(uint32_t codePoint)
{
    for (const auto &row : kIterationCommands)
    {
        if (row.codePoint == codePoint) return row.command;
    }
    return "sum";
}

IterationNode::IterationNode(uint32_t operatorCodePoint, bool isSmall, bool isInline)
    : StructureNode(kIterationKind, kIterationSlots, 4), codePoint(operatorCodePoint), small(isSmall),
      inlineLimits(isInline)
{
}

IterationNode::IterationNode(const IterationNode &node)
    : StructureNode(node), codePoint(node.codePoint), small(node.small), inlineLimits(node.inlineLimits), glyph(node.glyph)
{
}

bool IterationNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                  void **storage)
{
    bool *flag = std::strcmp(identifier, "sm") == 0 ? &small : std::strcmp(identifier, "il") == 0 ? &inlineLimits : nullptr;
    if (flag == nullptr) return ColoredMathNode::CheckProperty(document, identifier, type, storage);
    *type = 'BOOL';
    *storage = flag;
    return true;
}

bool IterationNode::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return AcceptGroupSubstructure(structure) || IsOperatorCodePointList(structure);
}

KettricResult IterationNode::ResolveData(KettricDocument *document)
{
    KettricResult result = StructureNode::ResolveData(document);
    KettricResult listResult = TakeOperatorCodePoint(this, &codePoint);
    return result != 0 ? result : listResult;
}

DocumentNode *IterationNode::Clone() const
{
    return new IterationNode(*this);
}

bool IterationNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (small) writer.WriteFlag("sm");
    if (inlineLimits) writer.WriteFlag("il");
    return writer.Opened();
}

void IterationNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteOperatorKettric(*this, document, buffer, "It", codePoint, kSummationCodePoint);
}

void IterationNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    glyph.BuildExportItems(design, absolutePosition, GetNodeColorWord(design, paletteIndex, colorValue), list);
    StructureNode::BuildExportItems(design, list);
}

void IterationNode::BuildMeshItems(const Design *design, DisplayList *list) const
{
    glyph.BuildMeshItems(design, absolutePosition, GetNodeColorWord(design, paletteIndex, colorValue), list);
    StructureNode::BuildMeshItems(design, list);
}

void IterationNode::LayoutBeforeChildren(const Design *design)
{
    float factor = IterationParam(design, scriptDepth == 0 ? 'scl0' : 'scl1');
    for (GroupNode *limit : {GetLower(), GetUpper()})
    {
        if (limit == nullptr) continue;
        SetSlotScale(limit, factor, 1, scriptDepth);
        limit->defaultAlignment = inlineLimits ? kAlignLeft : kAlignCentre;
    }
    SetOperatorBodyRowEnd(this, GetBody());
}

void IterationNode::LayoutAfterChildren(const Design *design)
{
    glyph.Layout(design, *this, codePoint, kNaryStyle);
}

void IterationNode::Measure(const Design *design)
{
    float em = GetEm(design);
    float mu = em / 18.0F;
    GroupNode *body = GetBody();
    GroupNode *modifier = GetModifier();
    GroupNode *lower = GetLower();
    GroupNode *upper = GetUpper();

    // 1, 4. The operator is exactly that many ems high, centred on the axis; without a usable glyph
    // that is the nominal box and nothing is drawn.
    float height = IterationParam(design, small ? 'smsz' : 'lgsz') * em;
    float axis = GetGeneralParam(design, 'axis') * em;
    float glyphBottom = axis - height * 0.5F;
    float glyphTop = axis + height * 0.5F;
    float gw = glyph.Place(design, height, 0.0F, glyphBottom);

    // 2. The operator part's half extent.
    float wl = lower != nullptr ? lower->width : 0.0F;
    float wu = upper != nullptr ? upper->width : 0.0F;
    float wmax = std::max(wl, wu);
    float half = gw * 0.5F;
    if (!inlineLimits) half = std::max(half, wmax * 0.5F);

    // 3. Outer spacing and the operator's centre.
    float left = GetSpaceBefore(this, IterationParam(design, 'sbsp') * mu, false);
    float right = GetSpaceAfter(this, IterationParam(design, 'exsp') * mu, false);
    leftSpacing = left;
    rightSpacing = right;
    float xc = left + half;
    glyph.offsetX += xc;
    glyphWidth = gw;
    operatorCentre = xc;
    operatorBottom = glyphBottom;
    operatorTop = glyphTop;

    bottom = glyphBottom;
    top = glyphTop;
    if (body != nullptr)
    {
        bottom = std::min(bottom, body->bottom);
        top = std::max(top, body->top);
    }

    // 5. The modifier at the glyph's upper right.
    float extra = 0.0F;
    if (modifier != nullptr)
    {
        float mdsp = IterationParam(design, 'mdsp') * mu;
        float y = glyphTop + IterationParam(design, 'mdof') * em - modifier->GetLastRowBaseline();
        modifier->position = Point2D(xc + gw * 0.5F + mdsp, y);
        top = std::max(top, y + modifier->top);
        extra = mdsp + modifier->width;
    }

    float xr = 0.0F;
    if (!inlineLimits)
    {
        // 6. Limits centred below and above the glyph, kept vtgp away from it.
        xr = xc + std::max(wmax * 0.5F, gw * 0.5F + extra);
        float vtsp = IterationParam(design, 'vtsp') * mu;
        float vtgp = IterationParam(design, 'vtgp') * mu;
        if (lower != nullptr)
        {
            float y = glyphBottom - vtsp - lower->sizeFactor * GetGeneralParam(design, 'cptl') * em;
            y -= std::max(0.0F, vtgp - (glyphBottom - (y + lower->top)));
            lower->position = Point2D(xc - wl * 0.5F, y);
            bottom = std::min(bottom, y + lower->bottom);
        }
        if (upper != nullptr)
        {
            float y = glyphTop + vtsp - upper->GetLastRowBaseline();
            y += std::max(0.0F, vtgp - (y + upper->bottom - glyphTop));
            upper->position = Point2D(xc - wu * 0.5F, y);
            top = std::max(top, y + upper->top);
        }
    }
    else
    {
        // 7. Limits right of the glyph (and of the modifier).
        xr = xc + gw * 0.5F + extra;
        if (lower != nullptr || upper != nullptr) xr += IterationParam(design, 'lmsp') * mu;
        if (lower != nullptr)
        {
            float y = glyphBottom + IterationParam(design, 'lwof') * em;
            lower->position = Point2D(xr, y);
            bottom = std::min(bottom, y + lower->bottom);
            top = std::max(top, y + lower->top);
        }
        if (upper != nullptr)
        {
            float y = glyphTop + IterationParam(design, 'upof') * em - upper->GetLastRowBaseline();
            upper->position = Point2D(xr, y);
            bottom = std::min(bottom, y + upper->bottom);
            top = std::max(top, y + upper->top);
        }
        xr += wmax;
    }

    // 8. The body.
    float bodyX = xr + IterationParam(design, 'sbsp') * mu;
    if (body != nullptr)
    {
        body->position = Point2D(bodyX, 0.0F);
        width = bodyX + body->width + right;
    }
    else
    {
        width = xr + right;
    }
}

bool IterationNode::HasVariant() const
{
    return true;
}

bool IterationNode::StepVariant()
{
    return StepOperatorVariant(&small, &inlineLimits);
}

void IterationNode::CycleVariant()
{
    static_cast<void>(StepVariant());
}

GroupNode *IterationNode::GetGroupAbove(const GroupNode *group) const
{
    return (group != nullptr && group == GetLower()) ? GetUpper() : nullptr;
}

GroupNode *IterationNode::GetGroupBelow(const GroupNode *group) const
{
    return (group != nullptr && group == GetUpper()) ? GetLower() : nullptr;
}

void IterationNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    WriteOperatorLatex(GetIterationCommand(codePoint), inlineLimits, GetLower(), GetUpper(), GetBody(), state, output);
}

void IterationNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    WriteOperatorMathML(codePoint, small, inlineLimits, GetLower(), GetUpper(), GetBody(), state, output);
}

}  // namespace oq
