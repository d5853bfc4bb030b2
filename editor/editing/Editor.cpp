// The editor record: construction, the menu and log seams, tree replacement and menu commands.
#include "editor/editing/Editor.h"

#include "editor/document/GroupNode.h"
#include "editor/editing/MenuState.h"
#include "editor/platform/Heap.h"

#include <cstdio>

namespace oq {

Editor *TheEditor = nullptr;

Editor::Editor() : undoStepHeap(&GetUndoRedoStateHeap()), snapshotHeap(&GetMemoryManagerHeap())
{
    GroupNode *main = document.CreateEmptyEquation();
    document.selection.start.node = main->GetFirstMathSubnode();
    document.selection.end = document.selection.start;
}

Editor::~Editor()
{
    ReleaseToolPanelResources();
    DetachMainWindow();
    if (GetPopupHost() == this) SetPopupHost(nullptr);
    ForgetDocumentReferences();
    currentStep = nullptr;
    undoHistory.Purge();
    setAsideSteps.Purge();
    snapshotScratch.Free();
}

void Editor::Log(const char *line) const
{
    if (logSink != nullptr)
        logSink(line);
    else
        std::fprintf(stderr, "%s\n", line);
}

void Editor::EnableMenuItem(int32_t id, bool enabled)
{
    if (menus != nullptr) menus->EnableMenuItem(id, enabled);
}

void Editor::CheckMenuItem(int32_t id, bool checked)
{
    if (menus != nullptr) menus->CheckMenuItem(id, checked);
}

bool Editor::HandleMenuCommand(int32_t id)
{
    switch (id)
    {
    case kMenuUndo:
        return Undo();
    case kMenuRedo:
        return Redo();
    case kMenuUndoAll:
        return UndoAll();
    case kMenuRedoAll:
        return RedoAll();
    default:
        return false;
    }
}

void Editor::ForgetDocumentReferences()
{
    ForgetDrag();
    typingPosition = CaretPosition();
    selectionAnchor = CaretPosition();
    DiscardSelectionOverlay();
    endHandles[0] = EndHandle();
    endHandles[1] = EndHandle();
    DiscardAnchorOverlay();
    DiscardHoverHighlight();
    DiscardObjectHoverOutline();
}

void Editor::ReplaceDocumentTree(EquationDocument *source)
{
    ForgetDocumentReferences();
    document.selection = Selection();
    document.objectSelection.SetElementCount(0);
    // The old tree goes with a document of its own, by the rules every document is destroyed by;
    // the names it had in this one's map go first.
    document.GetGlobalNameMap()->RemoveAll();
    {
        EquationDocument discarded;
        document.GetRootStructure()->MoveSubnodes(discarded.GetRootStructure());
    }
    source->GetRootStructure()->MoveSubnodes(document.GetRootStructure());
}

}  // namespace oq
