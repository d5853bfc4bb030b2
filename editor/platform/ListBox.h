#pragma once

#include "base/TextString.h"
#include "editor/platform/DrawableWidget.h"
#include "editor/platform/EventObserver.h"
#include "editor/platform/ScrollBar.h"
#include "editor/platform/TextWidget.h"
#include "vorl/text/TextLayoutState.h"

#include <cstdint>

namespace oq {

class Font;

// A scrolling list of text rows ('list') with one selected row: the pointer, the arrow, page, Home
// and End keys and type-ahead select; the wheel and the scroll bar scroll. Sends 'wgch' for a new
// selection and 'wgac' for a double-clicked row.
class ListBox : public Widget
{
public:
    ListBox(const Point2D &localPosition, float width, float requestedRowHeight, int32_t visible, Font *face,
            float textSize, float snap);
    ~ListBox() override;

    void AddRow(const char *text, bool relayout);
    // -1 clears the selection without scrolling; any other index outside the rows changes nothing.
    void SetSelection(int32_t row);
    void Clear();
    // The scroll bar's 'wgch'.
    void OnScroll(EventLink *sender, WidgetEventType event);

    void UpdatePosition() override;
    void Render(const Matrix4D &projection) override;
    bool AcceptsCapture() override { return true; }
    bool AcceptsFocus() override { return true; }
    void FocusGained() override;
    void FocusLost() override;
    void HandleMouseEvent(const UIEvent &event) override;
    void HandleKeyEvent(const UIEvent &event) override;
    void HandleCharacter(uint32_t codePoint, uint64_t time) override;

    // The text of a row; null outside the rows.
    TextWidget *GetRow(int32_t row) const;

    Widget *rows;
    ScrollBar *scrollBar;
    ShapeWidget *focusRing;
    Font *font;
    float rowWidth;
    float rowHeight;
    float baselineOffset;
    int32_t rowCount = 0;
    int32_t selectedRow = -1;
    int32_t visibleRows;
    int32_t firstVisibleRow = 0;
    float snapUnit;
    float wheelRemainder = 0.0F;
    uint64_t lastTypedTime = 0;
    TextString typedPrefix;
    EventObserver scrollObserver;
    RenderObject background;
    DrawItem backgroundItem = {0, 0, 0, 0, nullptr};
    GlyphTexturePair backgroundPair;
    RenderObject highlight;
    DrawItem highlightItem = {0, 0, 0, 0, nullptr};
    GlyphTexturePair highlightPair;
    TextLayoutState rowStyle;

private:
    // Moves the first visible row so that the row is shown; the scroll bar follows.
    void ScrollIntoView(int32_t row);
    void SetFirstVisibleRow(int32_t first);
};

}  // namespace oq
