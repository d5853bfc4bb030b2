#include "editor/document/DecorationNode.h"

#include "editor/document/GlyphLayout.h"
#include "editor/document/GroupNode.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/TextBuffer.h"

#include <cstring>
#include <iterator>

namespace oq {

namespace {

// Each decoration kind's identifier and types, the default first.
struct DecorationKindInfo
{
    uint32_t kind;
    const char *identifier;
    uint32_t types[3];
    int32_t typeCount;
};

constexpr DecorationKindInfo kDecorationKinds[] = {
    {kNegationKind, "Ng", {'frwd', 'bkwd', 'vert'}, 3},
    {kSlashKind, "Sl", {'frwd', 'bkwd', 0}, 2},
    {kEnclosureKind, "En", {'circ', 'squa', 'rdsq'}, 3},
};

const DecorationKindInfo &GetKindInfo(uint32_t kind)
{
    for (const DecorationKindInfo &info : kDecorationKinds)
    {
        if (info.kind == kind) return info;
    }
    return kDecorationKinds[0];
}

}  // namespace

bool CheckTypeProperty(ColoredMathNode *node, uint32_t *nodeType, KettricDocument *document,
                       const TextString &identifier, KettricDataType *type, void **storage)
{
    if (std::strcmp(identifier, "t") != 0) return node->ColoredMathNode::CheckProperty(document, identifier, type, storage);
    *type = 'UI32';
    *storage = nodeType;
    return true;
}

DecorationNode::DecorationNode(uint32_t kind) : ColoredMathNode(kind), type(GetKindInfo(kind).types[0])
{
}

DecorationNode::DecorationNode(const DecorationNode &node) : ColoredMathNode(node), RunDecoration(), type(node.type)
{
}

bool DecorationNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                   void **storage)
{
    return CheckTypeProperty(this, &this->type, document, identifier, type, storage);
}

bool DecorationNode::CheckSubstructure(KettricDocument *, KettricStructure *)
{
    return false;
}

KettricResult DecorationNode::ResolveData(KettricDocument *document)
{
    KettricResult result = ColoredMathNode::ResolveData(document);
    if (!IsKindType(type)) type = GetDefaultType();
    return result;
}

uint32_t DecorationNode::GetDefaultType() const
{
    return GetKindInfo(GetKind()).types[0];
}

bool DecorationNode::IsKindType(uint32_t value) const
{
    const DecorationKindInfo &info = GetKindInfo(GetKind());
    for (int32_t i = 0; i < info.typeCount; ++i)
    {
        if (info.types[i] == value) return true;
    }
    return false;
}

bool DecorationNode::IsCircleEnclosure() const
{
    return GetKind() == kEnclosureKind && type == 'circ';
}

bool DecorationNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (type != GetDefaultType()) writer.WriteFourCC("t", type);
    return writer.Opened();
}

void DecorationNode::WriteKettric(KettricDocument *, TextBuffer *buffer) const
{
    WriteKettricLeaf(buffer, GetKindInfo(GetKind()).identifier);
}

const SymbolRunNode *DecorationNode::GetOwningRun() const
{
    const MathNode *super = GetSuperMathNode();
    return super != nullptr && super->GetKind() == kSymbolRunKind ? dynamic_cast<const SymbolRunNode *>(super) : nullptr;
}

void DecorationNode::ClearOutline()
{
    outlineCount = 0;
    width = bottom = top = 0.0F;
}

void DecorationNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    if (outlineCount > 0)
        list->Append(new ExportCurveItem(absolutePosition, outlineCount, outline,
                                         GetNodeColorWord(design, paletteIndex, colorValue)));
    ColoredMathNode::BuildExportItems(design, list);
}

void DecorationNode::BuildPathItems(const Design *design, DisplayList *list) const
{
    if (outlineCount > 0)
        list->Append(new FillPathItem(absolutePosition, outlineCount, outline,
                                      GetNodeColorWord(design, paletteIndex, colorValue)));
    ColoredMathNode::BuildPathItems(design, list);
}

}  // namespace oq
