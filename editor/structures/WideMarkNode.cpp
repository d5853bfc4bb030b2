// Wide marks: reading and writing, the layout of body, mark and label, the items and the text forms.
#include "editor/structures/WideMarkNode.h"

#include "editor/document/CodePointText.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/structures/InkReference.h"

#include <algorithm>
#include <cstring>

namespace oq {

namespace {

constexpr SlotGroupRow kWideMarkSlots[2] = {{0, true}, {kWideMarkLabelRole, false}};

// The text forms of a type: LaTeX commands over and under (null: the body alone) and the code points
// of the stretchy MathML operator.
struct WideMarkText
{
    uint32_t type;
    const char *latexOver;
    const char *latexUnder;
    uint32_t mathmlOver;
    uint32_t mathmlUnder;
};

const WideMarkText kWideMarkTexts[kWideMarkTypeCount] = {
    {kWideMarkLine, "\\overline{", "\\underline{", 0x0305, 0x0332},
    {kWideMarkDoubleLine, "\\overline{\\overline{", "\\underline{\\underline{", 0x033F, 0x0333},
    {kWideMarkHat, "\\widehat{", nullptr, 0x0302, 0x032D},
    {kWideMarkCheck, "\\widecheck{", nullptr, 0x030C, 0x032C},
    {kWideMarkSmile, "\\widebreve{", nullptr, 0x0306, 0x032E},
    {kWideMarkFrown, nullptr, nullptr, 0x0311, 0x032F},
    {kWideMarkTilde, "\\widetilde{", nullptr, 0x0303, 0x0330},
    {kWideMarkBracket, nullptr, nullptr, 0x23B4, 0x23B5},
    {kWideMarkBrace, "\\overbrace{", "\\underbrace{", 0x23DE, 0x23DF},
    {kWideMarkShell, nullptr, nullptr, 0x23E0, 0x23E1},
    {kWideMarkLeftArrow, "\\overleftarrow{", nullptr, 0x20D6, 0x20EE},
    {kWideMarkRightArrow, "\\overrightarrow{", nullptr, 0x20D7, 0x20EF},
    {kWideMarkBothArrow, nullptr, nullptr, 0x20E1, 0x20E1},
    {kWideMarkLeftUpHarpoon, nullptr, nullptr, 0x20D0, 0x20D0},
    {kWideMarkRightUpHarpoon, nullptr, nullptr, 0x20D1, 0x20D1},
    {kWideMarkLeftDownHarpoon, nullptr, nullptr, 0x20ED, 0x20ED},
    {kWideMarkRightDownHarpoon, nullptr, nullptr, 0x20EC, 0x20EC},
};

const WideMarkText *FindWideMarkText(uint32_t type)
{
    for (const WideMarkText &row : kWideMarkTexts)
    {
        if (row.type == type) return &row;
    }
    return nullptr;
}

float WideMarkParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kWideMarkKind, key);
}

// The least mark width in ems: the group's hidden slot 2.
float MinimumMarkWidth(const Design *design)
{
    int32_t group = FindDesignGroup(kWideMarkKind);
    return group >= 0 ? design->GetGroupSlots(group)[2] : 0.0f;
}

}  // namespace

WideMarkNode::WideMarkNode(uint32_t type, bool isUnder)
    : StructureNode(kWideMarkKind, kWideMarkSlots, 2), markType(type), under(isUnder)
{
}

WideMarkNode::WideMarkNode(const WideMarkNode &node)
    : StructureNode(node), LatexScriptCarrier(), markType(node.markType), under(node.under), small(node.small)
{
}

bool WideMarkNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                 void **storage)
{
    if (std::strcmp(identifier, "t") == 0)
    {
        *type = 'UI32';
        *storage = &markType;
        return true;
    }
    bool *flag = std::strcmp(identifier, "un") == 0 ? &under : std::strcmp(identifier, "sm") == 0 ? &small : nullptr;
    if (flag == nullptr) return ColoredMathNode::CheckProperty(document, identifier, type, storage);
    *type = 'BOOL';
    *storage = flag;
    return true;
}

DocumentNode *WideMarkNode::Clone() const
{
    return new WideMarkNode(*this);
}

bool WideMarkNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (markType != kWideMarkLine) writer.WriteFourCC("t", markType);
    if (under) writer.WriteFlag("un");
    if (small) writer.WriteFlag("sm");
    return writer.Opened();
}

void WideMarkNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Wm");
}

void WideMarkNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    AppendOutlineItem(design, list, outlineCount, outline, false);
    StructureNode::BuildExportItems(design, list);
}

void WideMarkNode::BuildPathItems(const Design *design, DisplayList *list) const
{
    AppendOutlineItem(design, list, outlineCount, outline, true);
    StructureNode::BuildPathItems(design, list);
}

void WideMarkNode::LayoutBeforeChildren(const Design *design)
{
    GroupNode *label = GetLabel();
    if (label == nullptr) return;
    SetSlotScale(label, WideMarkParam(design, scriptDepth == 0 ? 'scl0' : 'scl1'), 1, scriptDepth);
    label->defaultAlignment = kAlignCentre;
}

void WideMarkNode::Measure(const Design *design)
{
    outlineCount = 0;
    leftSpacing = 0.0f;
    rightSpacing = 0.0f;
    GroupNode *body = GetBody();
    float em = GetEm(design);
    float mu = em / 18.0f;
    float capital = em * GetGeneralParam(design, 'cptl');
    float bodyWidth = body != nullptr ? body->width : 0.0f;
    markWidth = std::max(bodyWidth, em * MinimumMarkWidth(design));
    float bodyX = (markWidth - bodyWidth) * 0.5f;
    if (body != nullptr) body->position = Point2D(bodyX, 0.0f);

    WideMarkExtents extents;
    if (body != nullptr)
    {
        extents.bodyBottom = body->bottom;
        extents.bodyTop = body->top;
    }
    extents.referenceBottom = 0.0f;
    extents.referenceTop = capital;
    float inkBottom = 0.0f;
    float inkTop = 0.0f;
    if (small && FindInkReference(body, capital, &inkBottom, &inkTop))
    {
        extents.bodyBottom = inkBottom;
        extents.bodyTop = inkTop;
        extents.referenceTop = std::min(capital, inkTop);
        extents.referenceBottom = std::max(0.0f, inkBottom);
    }
    outlineCount = BuildWideMarkOutline(design, markType, under, markWidth, em, extents, outline, &bottom, &top);
    // A type outside the seventeen draws nothing and keeps the body's box.
    if (outlineCount == 0 && body != nullptr)
    {
        bottom = body->bottom;
        top = body->top;
    }
    width = markWidth;

    GroupNode *label = GetLabel();
    if (label == nullptr) return;
    label->position.x = (std::max(markWidth, label->width) - label->width) * 0.5f;
    float spacing = mu * WideMarkParam(design, 'lvsp');
    float gap = mu * WideMarkParam(design, 'lvgp');
    if (under)
    {
        float y0 = bottom - spacing - capital * label->sizeFactor;
        float y = y0 - std::max(0.0f, gap - (bottom - (y0 + label->top)));
        label->position.y = y;
        bottom = std::min(bottom, y + label->bottom);
    }
    else
    {
        float y0 = top + spacing - label->GetLastRowBaseline();
        float y = y0 + std::max(0.0f, gap - (y0 + label->bottom - top));
        label->position.y = y;
        top = std::max(top, y + label->top);
    }
    if (label->width <= markWidth) return;
    // Body and mark move together, so a body narrower than the mark stays centred under the label.
    float shift = (label->width - markWidth) * 0.5f;
    width = label->width;
    if (body != nullptr) body->position.x = bodyX + shift;
    for (int32_t i = 0; i < outlineCount; ++i)
    {
        outline[i].p0.x += shift;
        outline[i].p1.x += shift;
        outline[i].p2.x += shift;
    }
}

bool WideMarkNode::HasVariant() const
{
    return true;
}

void WideMarkNode::CycleVariant()
{
    static_cast<void>(ToggleSmall());
}

bool WideMarkNode::ToggleSmall()
{
    small = !small;
    return small;
}

void WideMarkNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    const WideMarkText *text = FindWideMarkText(markType);
    const char *command = text == nullptr ? nullptr : under ? text->latexUnder : text->latexOver;
    bool brace = markType == kWideMarkBrace;
    if (command == nullptr)
    {
        WriteSlotGroupLatex(GetBody(), SlotStyle::kUnchanged, state, output);
        return;
    }
    output->AppendText(command);
    state->controlWord = 0;
    WriteSlotGroupLatex(GetBody(), brace ? SlotStyle::kSet : SlotStyle::kUnchanged, state, output);
    output->AppendText(markType == kWideMarkDoubleLine ? "}}" : "}");
    state->controlWord = 0;
    const GroupNode *label = GetLabel();
    if (!brace || label == nullptr) return;
    output->AppendText(under ? "_{" : "^{");
    state->controlWord = 0;
    WriteSlotGroupLatex(label, SlotStyle::kCleared, state, output);
    output->AppendText("}");
    state->controlWord = 0;
}

void WideMarkNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    const GroupNode *label = GetLabel();
    const WideMarkText *text = FindWideMarkText(markType);
    if (label != nullptr) output->AppendText(under ? "<munder>" : "<mover>");
    output->AppendText(under ? "<munder accentunder=\"true\">" : "<mover accent=\"true\">");
    SlotStyle style = markType == kWideMarkBrace ? SlotStyle::kSet : SlotStyle::kUnchanged;
    WriteSlotGroupMathML(GetBody(), style, state, output);
    output->AppendText("<mo stretchy=\"true\">");
    if (text != nullptr) AppendMathMLCodePoint(under ? text->mathmlUnder : text->mathmlOver, output);
    output->AppendText(under ? "</mo></munder>" : "</mo></mover>");
    if (label == nullptr) return;
    WriteSlotGroupMathML(label, SlotStyle::kCleared, state, output);
    output->AppendText(under ? "</munder>" : "</mover>");
}

uint32_t WideMarkNode::GetTrailingLatexScripts() const
{
    if (markType != kWideMarkBrace || GetLabel() == nullptr) return 0;
    return under ? kLatexSubscriptFlag : kLatexSuperscriptFlag;
}

}  // namespace oq
