#include "editor/document/MarkNode.h"

#include "editor/document/CodePointText.h"
#include "editor/document/GroupNode.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/platform/TextBuffer.h"

#include <cstring>

namespace oq {

namespace {

constexpr uint32_t kBoldMarkAlternates = 0x800;
constexpr uint32_t kBoldStyleSelector = 2;

}  // namespace

MarkNode::MarkNode() : SingleGlyphNode(kMarkKind)
{
}

MarkNode::MarkNode(const MarkNode &node)
    : SingleGlyphNode(node), RunDecoration(), codePoint(node.codePoint), under(node.under)
{
}

bool MarkNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                             void **storage)
{
    if (std::strcmp(identifier, "un") != 0) return SingleGlyphNode::CheckProperty(document, identifier, type, storage);
    *type = 'BOOL';
    *storage = &under;
    return true;
}

bool MarkNode::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return structure->GetStructureType() == 'UI32';
}

KettricResult MarkNode::ResolveData(KettricDocument *document)
{
    KettricResult result = SingleGlyphNode::ResolveData(document);
    KettricResult own = TakeCodePointData(&codePoint, kResultMissingSubstructure);
    return result != 0 ? result : own;
}

DocumentNode *MarkNode::Clone() const
{
    return new MarkNode(*this);
}

bool MarkNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (under) writer.WriteFlag("un");
    return writer.Opened();
}

void MarkNode::WriteKettric(KettricDocument *, TextBuffer *buffer) const
{
    WriteKettricHead(buffer, "Mk");
    buffer->AppendText(" {u32{0x");
    AppendHexCodePoint(*buffer, ToScalarValue(codePoint));
    buffer->AppendText("}}\n");
}

const SymbolRunNode *MarkNode::GetOwningRun() const
{
    const MathNode *super = GetSuperMathNode();
    return super != nullptr && super->GetKind() == kSymbolRunKind ? dynamic_cast<const SymbolRunNode *>(super) : nullptr;
}

void MarkNode::LayoutAfterChildren(const Design *design)
{
    const SymbolRunNode *run = GetOwningRun();
    if (run == nullptr)
    {
        glyph = LaidOutGlyph();
        for (int32_t i = 0; i < DocumentFontSet::kSlotCount; ++i) vertexCounts[i] = triangleCounts[i] = 0;
        return;
    }
    if ((run->style >> 24) == 'b' && !run->noBoldMarks)
        LayoutGlyph(design, ToScalarValue(codePoint), 'bold', kBoldMarkAlternates, kBoldStyleSelector);
    else
        LayoutGlyph(design, ToScalarValue(codePoint), 'uprt', 0, 0);
}

void MarkNode::Measure(const Design *design)
{
    GlyphBounds box;
    float advance = 0.0F;
    width = bottom = top = 0.0F;
    glyphOffsetX = glyphOffsetY = 0.0F;
    float em = GetEm(design);
    glyphScale = Matrix2D(em, 0.0F, 0.0F, em);
    if (GetOwningRun() == nullptr || !GetGlyphBox(design, &box, &advance)) return;
    glyphOffsetX = -em * box.xMin;
    glyphOffsetY = em * box.yMin;
    width = em * (box.xMax - box.xMin);
    top = em * (box.yMax - box.yMin);
}

}  // namespace oq
