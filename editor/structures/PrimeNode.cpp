// Primes: the code point read and written, the style choice, the raised glyph and the text forms.
#include "editor/structures/PrimeNode.h"

#include "editor/document/BracketNode.h"
#include "editor/document/CodePointText.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/platform/TextBuffer.h"
#include "editor/structures/ScriptNode.h"

#include <algorithm>
#include <cstring>

namespace oq {

namespace {

bool IsCodePointList(const KettricStructure *structure)
{
    return structure->GetBaseStructureType() == 'PRIM' && structure->GetStructureType() == 'UI32';
}

// The LaTeX of the four prime code points; null for any other.
const char *GetPrimeLatex(uint32_t codePoint)
{
    switch (codePoint)
    {
    case 0x2032:
        return "'";
    case 0x2033:
        return "''";
    case 0x2034:
        return "'''";
    case 0x2057:
        return "''''";
    default:
        return nullptr;
    }
}

}  // namespace

PrimeNode::PrimeNode() : SingleGlyphNode(kPrimeKind)
{
}

PrimeNode::PrimeNode(const PrimeNode &node) : SingleGlyphNode(node), codePoint(node.codePoint), noBold(node.noBold)
{
}

bool PrimeNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                              void **storage)
{
    if (std::strcmp(identifier, "nb") != 0) return SingleGlyphNode::CheckProperty(document, identifier, type, storage);
    *type = 'BOOL';
    *storage = &noBold;
    return true;
}

bool PrimeNode::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsCodePointList(structure);
}

KettricResult PrimeNode::ResolveData(KettricDocument *document)
{
    KettricResult result = SingleGlyphNode::ResolveData(document);
    KettricResult own = TakeCodePointData(&codePoint, 0);
    return result != 0 ? result : own;
}

DocumentNode *PrimeNode::Clone() const
{
    return new PrimeNode(*this);
}

bool PrimeNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (noBold) writer.WriteFlag("nb");
    return writer.Opened();
}

void PrimeNode::WriteKettric(KettricDocument *, TextBuffer *buffer) const
{
    WriteKettricHead(buffer, "Pr");
    uint32_t value = ToScalarValue(codePoint);
    if (value == kPrimeCodePoint)
    {
        buffer->AppendText(" {}\n");
        return;
    }
    buffer->AppendText(" {u32{0x");
    AppendHexCodePoint(*buffer, value);
    buffer->AppendText("}}\n");
}

void PrimeNode::LayoutAfterChildren(const Design *design)
{
    style = 'uprt';
    if (!noBold)
    {
        const MathNode *previous = FindPrevSpacingNeighbor(this);
        if (previous != nullptr && previous->GetKind() == kSymbolRunKind)
        {
            const auto *run = dynamic_cast<const SymbolRunNode *>(previous);
            if (run != nullptr && (run->style >> 24) == 'b') style = 'bold';
        }
        else if (previous != nullptr && previous->GetKind() == kPrimeKind)
        {
            if (const auto *prime = dynamic_cast<const PrimeNode *>(previous)) style = prime->style;
        }
    }
    LayoutGlyph(design, ToScalarValue(codePoint), style, 0, 0);
}

void PrimeNode::Measure(const Design *design)
{
    float em = GetEm(design);
    float mu = em / 18.0F;
    const MathNode *previous = FindPrevSpacingNeighbor(this);
    float x0 = 0.0F;
    if (previous != nullptr && previous->GetKind() != kSpaceKind && previous->GetKind() != kRowBeginKind)
    {
        x0 = mu * GetGroupParam(design, kScriptKind, 'prsp');
        if (IsBracketFlatOnRight(previous)) x0 += mu * GetGroupParam(design, kScriptKind, 'fbsp');
    }
    float carried = previous != nullptr ? previous->rightSpacing : 0.0F;
    float raise = em * GetGroupParam(design, kScriptKind, 'pras');
    if (previous != nullptr && previous->GetKind() == kBracketKind)
        raise = std::max(raise, em * GetGroupParam(design, kScriptKind, 'prbo') + previous->top);

    GlyphBounds box;
    float advance = 0.0F;
    bool hasGlyph = GetGlyphBox(design, &box, &advance);
    glyphScale = Matrix2D(em, 0.0F, 0.0F, em);
    glyphOffsetX = x0 - carried;
    glyphOffsetY = -raise;
    width = x0 + em * advance;
    leftSpacing = x0 - carried;
    rightSpacing = carried;
    bottom = hasGlyph ? em * box.yMin + raise : 0.0F;
    top = hasGlyph ? em * box.yMax + raise : 0.0F;
}

bool PrimeNode::WritesLatex() const
{
    return GetPrimeLatex(codePoint) != nullptr;
}

bool PrimeNode::WritesEmptyLatexBase() const
{
    if (!WritesLatex()) return false;
    const MathNode *previous = FindPreviousLatexWriter(this);
    if (previous == nullptr || previous->GetKind() == kPrimeKind) return false;
    return (GetTrailingLatexScripts(previous, kLatexSuperscriptFlag) & kLatexSuperscriptFlag) != 0;
}

void PrimeNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    const char *marks = GetPrimeLatex(codePoint);
    if (marks == nullptr) return;
    if (WritesEmptyLatexBase()) output->AppendText("{}");
    output->AppendText(marks);
    state->controlWord = 0;
}

void PrimeNode::WriteMathML(MathWriterState *, TextString *output) const
{
    output->AppendText("<mo>");
    AppendMathMLCodePoint(codePoint, output);
    output->AppendText("</mo>");
}

}  // namespace oq
