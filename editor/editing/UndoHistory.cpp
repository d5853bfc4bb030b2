// Undo and redo: restoring a snapshot and moving through the history.
#include "editor/editing/Editor.h"

#include "base/TextUtils.h"
#include "editor/document/DocumentNode.h"
#include "editor/document/MathNode.h"
#include "editor/editing/CaretRules.h"
#include "editor/editing/MenuState.h"

namespace oq {

namespace {

// "Undo snapshot unreadable: 'SYNT' at line 3".
void LogUnreadableSnapshot(const Editor *editor, KettricResult result, int32_t line)
{
    TextBuffer message;
    message.AppendText("Undo snapshot unreadable: ");
    message.AppendFourCC(result);
    message.AppendText(" at line ");
    message.AppendInteger(line);
    *message.Reserve(1) = 0;
    editor->Log(message.data);
    message.Free();
}

}  // namespace

bool Editor::RestoreUndoSnapshot(UndoStep *step, bool useBefore)
{
    const UndoSnapshot &snapshot = useBefore ? step->before : step->after;
    if (snapshot.text == nullptr)
    {
        Log("Undo snapshot unreadable: no text");
        return false;
    }
    EquationDocument parsed;
    ++counters.parseAndResolve;
    KettricResult result = parsed.ParseAndResolve(snapshot.text);
    if (result != 0)
    {
        LogUnreadableSnapshot(this, result, parsed.GetErrorLine());
        return false;
    }
    ReplaceDocumentTree(&parsed);
    DiscardHoverHighlight();
    DiscardObjectHoverOutline();
    SetEditMode(snapshot.editMode);
    viewChanged = true;
    modified = true;
    settings.layoutDue = true;
    TakeSelectionFromNames(&parsed, snapshot);
    parsed.GetGlobalNameMap()->RemoveAll();
    return true;
}

void Editor::TakeSelectionFromNames(EquationDocument *parsed, const UndoSnapshot &snapshot)
{
    Selection &selection = document.selection;
    selection = Selection();
    document.objectSelection.SetElementCount(0);
    movingEnd = 0;
    Map *names = parsed->GetGlobalNameMap();
    for (MapElement *element = names->GetFirstMapElement(); element != nullptr;
         element = element->GetNextMapElement())
    {
        auto *structure = static_cast<KettricStructure *>(element);
        const char *name = structure->GetStructureName();
        DocumentNode *node = DocumentNode::FromStructure(structure);
        if (node == nullptr) continue;
        if (name[0] == 'B')
        {
            selection.start = {MathNode::FromStructure(structure), snapshot.startIndex};
            selection.end = {MathNode::FromStructure(structure), snapshot.endIndex};
        }
        else if (name[0] == 'E')
        {
            selection.end = {MathNode::FromStructure(structure), snapshot.endIndex};
        }
        else if (name[0] == 'S')
        {
            // Only top-level objects are selectable; any other "S" is ignored.
            if (!node->IsTopLevel()) continue;
            document.objectSelection.AddElement(node);
            viewChanged = false;
        }
    }

    // Names the snapshot should not hold are made consistent: no usable start puts the caret at the
    // end of the main group; an end elsewhere than after the start collapses the selection there;
    // indexes go to the nearest character boundary.
    if (!CanHoldCaret(selection.start.node))
    {
        selection.start = GetMainGroupEnd(&document);
        selection.end = selection.start;
    }
    selection.start.index = SnapCaretIndex(selection.start.node, selection.start.index);
    if (selection.end.node == nullptr || !CanHoldCaret(selection.end.node) ||
        !IsSameOrLaterSibling(selection.start.node, selection.end.node))
    {
        selection.end = selection.start;
    }
    selection.end.index = SnapCaretIndex(selection.end.node, selection.end.index);
    if (selection.end.node == selection.start.node && selection.end.index < selection.start.index)
        selection.end = selection.start;
    // A caret range and an object selection exclude each other.
    if (document.objectSelection.GetElementCount() != 0 &&
        (selection.start.node != selection.end.node || selection.start.index != selection.end.index))
    {
        selection.start = GetMainGroupEnd(&document);
        selection.end = selection.start;
    }
}

bool Editor::Undo()
{
    if (currentStep == nullptr) return false;
    UndoStep *undone = currentStep;
    if (!RestoreUndoSnapshot(undone, true)) return false;
    currentStep = undone->GetPreviousStep();
    typingPosition = CaretPosition();
    EnableMenuItem(kMenuRedo, true);
    EnableMenuItem(kMenuRedoAll, true);
    if (currentStep == nullptr)
    {
        EnableMenuItem(kMenuUndo, false);
        EnableMenuItem(kMenuUndoAll, false);
    }
    return true;
}

bool Editor::Redo()
{
    UndoStep *next =
        currentStep != nullptr ? currentStep->GetNextStep() : static_cast<UndoStep *>(undoHistory.GetFirstListElement());
    if (next == nullptr) return false;
    if (!RestoreUndoSnapshot(next, false)) return false;
    currentStep = next;
    typingPosition = CaretPosition();
    EnableMenuItem(kMenuUndo, true);
    EnableMenuItem(kMenuUndoAll, true);
    if (next->GetNextStep() == nullptr)
    {
        EnableMenuItem(kMenuRedo, false);
        EnableMenuItem(kMenuRedoAll, false);
    }
    return true;
}

bool Editor::UndoAll()
{
    auto *first = static_cast<UndoStep *>(undoHistory.GetFirstListElement());
    if (first == nullptr) return false;
    if (!RestoreUndoSnapshot(first, true)) return false;
    currentStep = nullptr;
    typingPosition = CaretPosition();
    EnableMenuItem(kMenuRedo, true);
    EnableMenuItem(kMenuRedoAll, true);
    EnableMenuItem(kMenuUndo, false);
    EnableMenuItem(kMenuUndoAll, false);
    return true;
}

bool Editor::RedoAll()
{
    auto *last = static_cast<UndoStep *>(undoHistory.GetLastListElement());
    if (last == nullptr) return false;
    if (!RestoreUndoSnapshot(last, false)) return false;
    currentStep = last;
    typingPosition = CaretPosition();
    EnableMenuItem(kMenuUndo, true);
    EnableMenuItem(kMenuUndoAll, true);
    EnableMenuItem(kMenuRedo, false);
    EnableMenuItem(kMenuRedoAll, false);
    return true;
}

}  // namespace oq
