// Edit batches: the outermost one pushes an undo step and captures the document after the change.
#include "editor/editing/Editor.h"

#include "editor/editing/MenuState.h"

namespace oq {

bool Editor::PushUndoStep()
{
    // The redo tail, and the steps a previous push set aside, are dropped; inside a batch the tail
    // is set aside instead, so that a batch which changes nothing can put it back.
    DropSetAsideSteps();
    UndoStep *firstDropped =
        currentStep != nullptr ? currentStep->GetNextStep() : static_cast<UndoStep *>(undoHistory.GetFirstListElement());
    bool droppedAny = firstDropped != nullptr;
    while (firstDropped != nullptr)
    {
        UndoStep *next = firstDropped->GetNextStep();
        if (editBatch > 0)
            setAsideSteps.Append(firstDropped);
        else
            delete firstDropped;
        firstDropped = next;
    }
    previousCurrentStep = currentStep;
    if (editBatch <= 0 && droppedAny)
    {
        EnableMenuItem(kMenuRedo, false);
        EnableMenuItem(kMenuRedoAll, false);
    }

    auto *step = new (*undoStepHeap) UndoStep;
    if (step == nullptr || !step->before.Capture(this))
    {
        delete step;
        ClearUndoHistory();
        return false;
    }
    undoHistory.Append(step);
    currentStep = step;
    typingPosition = CaretPosition();
    return true;
}

void Editor::BeginEditBatch(EditBatchVariant variant)
{
    if (editBatch++ != 0) return;
    bool continuesTyping = variant == EditBatchVariant::kTyping && currentStep != nullptr &&
                           typingPosition.node != nullptr && document.selection.start.node == typingPosition.node &&
                           document.selection.start.index == typingPosition.index;
    stepPushedInBatch = false;
    if (!continuesTyping)
    {
        // Without memory the history is cleared and the edit goes on without a step.
        stepPushedInBatch = PushUndoStep();
    }
    settings.layoutDue = true;
    viewChanged = variant != EditBatchVariant::kObject;
    SetStyleKey(0);
    modified = true;
    DiscardSelectionOverlay();
    DiscardAnchorOverlay();
    DiscardHoverHighlight();
    DiscardObjectHoverOutline();
}

void Editor::EndEditBatch()
{
    if (editBatch <= 0) return;
    if (--editBatch != 0) return;
    // The edit may have destroyed the anchor's node: a selection drag goes on from the caret.
    if (selectionAnchor.node != nullptr) selectionAnchor = document.selection.start;
    if (currentStep == nullptr) return;
    if (!currentStep->after.Capture(this))
    {
        ClearUndoHistory();
        return;
    }
    if (stepPushedInBatch && currentStep->after.Equals(currentStep->before))
    {
        // Nothing changed: the step goes and the history is as it was before the batch.
        delete currentStep;
        while (ListElement *step = setAsideSteps.GetFirstListElement()) undoHistory.Append(step);
        currentStep = previousCurrentStep;
        previousCurrentStep = nullptr;
        stepPushedInBatch = false;
        return;
    }
    bool droppedTail = !setAsideSteps.IsEmpty();
    DropSetAsideSteps();
    stepPushedInBatch = false;
    EnableMenuItem(kMenuUndo, true);
    EnableMenuItem(kMenuUndoAll, true);
    if (droppedTail)
    {
        EnableMenuItem(kMenuRedo, false);
        EnableMenuItem(kMenuRedoAll, false);
    }
}

void Editor::DropSetAsideSteps()
{
    setAsideSteps.Purge();
    previousCurrentStep = nullptr;
}

void Editor::ClearUndoHistory()
{
    currentStep = nullptr;
    undoHistory.Purge();
    DropSetAsideSteps();
    stepPushedInBatch = false;
    typingPosition = CaretPosition();
    EnableMenuItem(kMenuUndo, false);
    EnableMenuItem(kMenuRedo, false);
    EnableMenuItem(kMenuUndoAll, false);
    EnableMenuItem(kMenuRedoAll, false);
}

}  // namespace oq
