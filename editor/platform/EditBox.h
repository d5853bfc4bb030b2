#pragma once

#include "editor/platform/EditCharacterFilter.h"
#include "editor/platform/ShapeRenderObject.h"
#include "editor/platform/TextWidget.h"

#include <cstdint>

namespace oq {

// The single-line text field of the dialogs ('edit'): a caret, a selection, a maximum length in
// code points, a character filter, clipboard copy, cut and paste, and a thin frame. Every change
// the user makes to the text is reported with 'wgch'.
class EditBox : public TextWidget
{
public:
    // The snap unit is the dialog's points per pixel. A too-long initial text is cut to the maximum
    // length in code points.
    EditBox(Font *face, const TextLayoutState *state, const char *initialText, const Point2D &localPosition,
            float width, int32_t maximumLength, float snap);
    ~EditBox() override;

    // The owner's new value: the text cut to the maximum length in code points, all selected. No event.
    void SetText(const char *newText);
    // After the owner changed the text in place: relayout and the common change step.
    void TextChanged();

    // Types one character at the caret; true when the text changed (a selection typed over counts
    // even when the character is then refused).
    [[nodiscard]] bool InsertCharacter(uint32_t codePoint);
    // False when nothing is selected.
    bool DeleteSelection();
    // Removes the bytes; the caller sets the caret.
    void DeleteRange(int32_t index, int32_t count);
    // Puts the selected text on the clipboard; true when the clipboard accepted it.
    [[nodiscard]] bool CopySelection(const UIEvent &event);
    // Inserts the clipboard's text; true when the text changed.
    bool Paste();

    void UpdatePosition() override;
    void Render(const Matrix4D &projection) override;
    bool AcceptsCapture() override;
    bool AcceptsFocus() override;
    void FocusGained() override;
    void FocusLost() override;
    uint32_t HitTest(const Point2D &localPoint) override;
    void HandleMouseEvent(const UIEvent &event) override;
    void HandleKeyEvent(const UIEvent &event) override;
    void HandleCharacter(uint32_t codePoint, uint64_t time) override;
    void UpdateFocused(uint64_t now, uint64_t *nextDeadline, uint32_t blinkInterval) override;

    int32_t maximumLength;
    EditCharacterFilter filter = AcceptPrintableCharacter;
    bool focused = false;
    bool caretLayoutPending = false;
    bool caretShown = false;
    uint64_t nextBlinkTime = 0;
    int32_t selectionStart = 0;
    int32_t selectionEnd = 0;
    int32_t selectionDirection = 0;
    int32_t dragAnchor = 0;
    // How long a paste waits for the clipboard's owner, in milliseconds.
    uint32_t pasteTimeLimit = 1000;
    ShapeRenderObject frame;
    ShapeRenderObject highlight;

private:
    // Caret or selection moved, or the text changed: rebuild the highlight, restart the blink, redraw.
    void ChangeStep();
    // The text cut to the maximum length in code points.
    void CutToMaximumLength();
    void SelectAll();
    // The byte index under the local x.
    int32_t HitTextPosition(float x);
    // Width of the text laid out with the box's state and font (0 without a font).
    float MeasureText(const char *bytes, int32_t length);
    void BuildHighlight();
};

}  // namespace oq
