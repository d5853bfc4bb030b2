// The naming pass of every writer of equation text.
#include "editor/document/NamingPass.h"

#include "base/TextUtils.h"
#include "editor/document/DocumentNode.h"

#include <cstring>

namespace oq {

namespace {

bool IsSelectedObject(const NamingMarks *marks, const DocumentNode *node)
{
    for (int32_t i = 0; i < marks->selectedObjectCount; ++i)
    {
        if (marks->selectedObjects[i] == node) return true;
    }
    return false;
}

// A name made of a prefix and a running number.
void SetNumberedName(char *name, char prefix, int32_t number)
{
    name[0] = prefix;
    Int32ToText(number, name + 1, 11);
}

void SetName(DocumentNode *node, const char *name)
{
    if (std::strcmp(node->GetStructureName(), name) == 0) return;
    node->MapElement::Detach();
    node->SetStructureName(name, int32_t(std::strlen(name)), true);
}

}  // namespace

void RunNamingPass(KettricStructure *root, const NamingMarks *marks)
{
    int32_t selectedCount = 0;
    int32_t linkedCount = 0;
    for (TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
    {
        DocumentNode *node = DocumentNode::FromStructure(static_cast<KettricStructure *>(tree));
        if (node == nullptr) continue;
        char name[16] = {};
        if (marks != nullptr && node == marks->selectionStart)
            name[0] = 'B';
        else if (marks != nullptr && node == marks->selectionEnd)
            name[0] = 'E';
        else if (marks != nullptr && node->IsTopLevel() && IsSelectedObject(marks, node))
            SetNumberedName(name, 'S', selectedCount++);
        else if (node->HasIncomingLinks())
            SetNumberedName(name, '_', linkedCount++);
        SetName(node, name);
    }
}

}  // namespace oq
