// The equation document: the factory, reading, link-ordered layout and the equation text.
#include "editor/document/EquationDocument.h"

#include "editor/document/GroupNode.h"
#include "editor/document/NamingPass.h"
#include "editor/document/NodeFactory.h"
#include "editor/document/NodeLink.h"
#include "editor/document/RowBeginNode.h"
#include "editor/fonts/DesignWriter.h"
#include "editor/platform/TextBuffer.h"

namespace oq {

namespace {

constexpr uint32_t kDesignBlockType = 'dsgn';

}  // namespace

EquationDocument::EquationDocument() : DesignReader(&design)
{
    RegisterDocumentKindsOnce();
}

EquationDocument::~EquationDocument()
{
    // The object selection's storage goes with the array; the fonts go before the tree.
    objectSelection.SetElementCount(0);
    design.ReleaseFonts();
}

KettricStructure *EquationDocument::MakeStructure(const TextString &identifier)
{
    if (KettricStructure *structure = MakeRegisteredStructure(identifier)) return structure;
    if (identifier.GetLength() == 1) return DesignReader::MakeStructure(identifier);
    return nullptr;
}

bool EquationDocument::CheckTopLevel(KettricStructure *structure)
{
    uint32_t type = structure->GetStructureType();
    if (type == kDesignBlockType) return true;
    DocumentNode *node = DocumentNode::FromStructure(structure);
    if (node == nullptr) return false;
    return node->GetFamily() == kDrawingNodeFamily || dynamic_cast<GroupNode *>(node) != nullptr;
}

KettricResult EquationDocument::ResolveData()
{
    KettricResult result = DesignReader::ResolveData();
    if (result != 0) return result;
    bool hasMain = false;
    KettricStructure *structure = GetRootStructure()->GetFirstSubnodeStructure();
    while (structure != nullptr)
    {
        KettricStructure *next = structure->GetNextStructure();
        if (structure->GetStructureType() == kDesignBlockType)
        {
            // Its values were read into the design.
            delete structure;
        }
        else if (auto *group = dynamic_cast<GroupNode *>(structure); group != nullptr && group->role == 0)
        {
            if (hasMain)
            {
                RecordFailingStructure(group);
                return kResultExtraSubstructure;
            }
            hasMain = true;
            // The equation itself never goes with a structure it links to.
            group->keepAlive = true;
        }
        structure = next;
    }
    return hasMain ? 0 : kResultMissingSubstructure;
}

GroupNode *EquationDocument::CreateEmptyEquation()
{
    auto *group = new GroupNode(0);
    group->keepAlive = true;
    GetRootStructure()->AppendSubnode(group);
    group->AppendSubnode(new RowBeginNode);
    return group;
}

GroupNode *EquationDocument::GetMainGroup() const
{
    auto *root = const_cast<EquationDocument *>(this)->GetRootStructure();
    for (KettricStructure *s = root->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        auto *group = dynamic_cast<GroupNode *>(s);
        if (group != nullptr && group->role == 0) return group;
    }
    return nullptr;
}

bool EquationDocument::UpdateLayout(TextString missingFontNames[kDesignFontSlotCount])
{
    FontResolveResult fonts = design.ResolveFonts(missingFontNames);
    if (fonts == FontResolveResult::kDataDamaged) return false;

    // A FIFO of the structures whose link targets are all laid out, threaded through their work
    // elements.
    List ready;
    for (KettricStructure *s = GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        DocumentNode *node = DocumentNode::FromStructure(s);
        if (node == nullptr) continue;
        node->pendingLinks = node->GetOutgoingLinkCount();
        if (node->pendingLinks == 0) ready.Append(&node->workElement);
    }
    while (ListElement *element = ready.GetFirstListElement())
    {
        ready.Remove(element);
        DocumentNode *node = static_cast<NodeWorkElement *>(element)->GetNode();
        node->Layout(&design);
        node->ReleaseLinkSources(&ready);
    }
    return fonts != FontResolveResult::kUnchanged;
}

void EquationDocument::WriteText(TextBuffer *buffer, bool header, bool designBlock, bool marking)
{
    NamingMarks marks;
    if (marking)
    {
        marks.selectionStart = selection.start.node;
        marks.selectionEnd = selection.end.node;
        marks.selectedObjects = objectSelection.GetElements();
        marks.selectedObjectCount = objectSelection.GetElementCount();
    }
    RunNamingPass(GetRootStructure(), marking ? &marks : nullptr);
    if (header) buffer->AppendText("// Orlendo Quist Equation\n\n");
    if (designBlock) WriteDesignBlock(design, buffer);
    for (KettricStructure *s = GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        if (DocumentNode *node = DocumentNode::FromStructure(s)) node->WriteKettric(this, buffer);
    }
}

}  // namespace oq
