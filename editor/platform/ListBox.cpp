#include "editor/platform/ListBox.h"

#include "base/Bezier.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/ShellServices.h"
#include "editor/platform/VirtualKeys.h"
#include "vorl/geometry/FillStyle.h"

#include <algorithm>
#include <cmath>

namespace oq {

namespace {

const uint8_t kOutlineColor[4] = {0xC0, 0xC0, 0xC0, 0xFF};

// A white rectangle (0, 0)-(width, height) as a Vorl fill.
void BuildWhiteBox(Renderer &renderer, RenderObject &object, DrawItem &item, GlyphTexturePair &pair, float width,
                   float height)
{
    object.drawItemCount = 1;
    object.drawItems = &item;
    object.SetupVorlShaders(renderer, 0, kShaderOptionWeight);
    FillStyle style;
    ResetFillStyle(&style);
    style.color = {1.0F, 1.0F, 1.0F, 1.0F};
    const Point2D a(0, 0), b(0, height), c(width, height), d(width, 0);
    const QuadraticBezier2D curves[4] = {QuadraticBezier2D(a, b, b), QuadraticBezier2D(b, c, c),
                                         QuadraticBezier2D(c, d, d), QuadraticBezier2D(d, a, a)};
    object.BuildPathGeometry(renderer, style, 4, curves, &item, &pair);
}

// 'A'-'Z' folded to 'a'-'z'.
char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

bool StartsWithFolded(const char *text, const char *prefix, int32_t length)
{
    for (int32_t i = 0; i < length; ++i)
    {
        if (text[i] == 0 || FoldCase(text[i]) != FoldCase(prefix[i])) return false;
    }
    return true;
}

}  // namespace

ListBox::ListBox(const Point2D &localPosition, float width, float requestedRowHeight, int32_t visible, Font *face,
                 float textSize, float snap)
    : Widget('list', localPosition, {width, 0.0F}), font(face), rowWidth(width - 18.0F), visibleRows(visible),
      snapUnit(snap), scrollObserver(this, ObserverHandler<&ListBox::OnScroll>)
{
    widgetFlags = 0;
    rowHeight = requestedRowHeight;
    if (snap > 0.0F && std::isfinite(snap)) rowHeight = std::ceil(requestedRowHeight / snap) * snap;
    float capHeight = face ? face->capitalHeight : 0.0F;
    baselineOffset = (rowHeight + textSize * capHeight) * 0.5F;
    float height = rowHeight * float(visible);
    widgetSize = {width, height};

    ResetTextLayoutState(&rowStyle);
    rowStyle.size = textSize;
    rowStyle.optionFlags |= kTextOptionClipX;
    rowStyle.clipRect[0] = -4.0F;
    rowStyle.clipRect[2] = rowWidth;

    if (Renderer *renderer = GetRenderer())
    {
        BuildWhiteBox(*renderer, background, backgroundItem, backgroundPair, width, height);
        background.color = {0.0F, 0.0F, 0.0F, 1.0F};
        BuildWhiteBox(*renderer, highlight, highlightItem, highlightPair, width - 14.0F, rowHeight);
        highlight.color = SelectionHighlightColor();
    }

    rows = new Widget('cont', {4.0F, 0.0F}, {width - 18.0F, height});
    AppendSubnode(rows);
    scrollBar = new ScrollBar({width - 14.0F, 0.0F}, {14.0F, height}, visible);
    scrollBar->SetObserver(&scrollObserver);
    AppendSubnode(scrollBar);
    auto *outline = new ShapeWidget;
    outline->InitRect({0.0F, 0.0F}, {width, height}, 1.0F, kOutlineColor);
    AppendSubnode(outline);
    focusRing = new ShapeWidget;
    focusRing->InitRect({-3.0F, -3.0F}, {width + 6.0F, height + 6.0F}, 2.0F, kOutlineColor);
    focusRing->SetWidgetFlags(focusRing->GetWidgetFlags() | kWidgetHidden);
    AppendSubnode(focusRing);
}

ListBox::~ListBox()
{
    if (Renderer *renderer = GetRenderer())
    {
        background.Release(*renderer);
        backgroundPair.ReleaseTextures(*renderer);
        highlight.Release(*renderer);
        highlightPair.ReleaseTextures(*renderer);
    }
    scrollBar->SetObserver(nullptr);
}

TextWidget *ListBox::GetRow(int32_t row) const
{
    if (row < 0) return nullptr;
    Widget *widget = rows->GetFirstSubwidget();
    for (int32_t i = 0; widget && i < row; ++i) widget = widget->GetNextWidget();
    return static_cast<TextWidget *>(widget);
}

void ListBox::AddRow(const char *text, bool relayout)
{
    rows->AppendSubnode(new TextWidget('text', font, &rowStyle, text, {0.0F, 0.0F}, {rowWidth, rowHeight}, snapUnit));
    rowCount += 1;
    int32_t m = std::max(rowCount - visibleRows, 0);
    if (m != scrollBar->maximumPosition)
    {
        scrollBar->maximumPosition = m;
        scrollBar->thumbDue = true;
        scrollBar->InvalidatePosition();
        RequestRedraw();
    }
    if (relayout) InvalidatePosition();
}

void ListBox::SetFirstVisibleRow(int32_t first)
{
    firstVisibleRow = first;
    scrollBar->SetPosition(first);
}

void ListBox::ScrollIntoView(int32_t row)
{
    if (row < firstVisibleRow) SetFirstVisibleRow(row);
    else if (row >= firstVisibleRow + visibleRows) SetFirstVisibleRow(row - visibleRows + 1);
}

void ListBox::SetSelection(int32_t row)
{
    if (row == -1)
    {
        selectedRow = -1;
        InvalidatePosition();
        return;
    }
    if (row < 0 || row >= rowCount) return;
    selectedRow = row;
    ScrollIntoView(row);
    InvalidatePosition();
}

void ListBox::Clear()
{
    while (Widget *row = rows->GetFirstSubwidget()) delete row;
    rowCount = 0;
    firstVisibleRow = 0;
    selectedRow = -1;
    scrollBar->SetRange(0, 0);
    InvalidatePosition();
}

void ListBox::OnScroll(EventLink *, WidgetEventType event)
{
    if (event != 'wgch') return;
    firstVisibleRow = scrollBar->position;
    InvalidatePosition();
}

void ListBox::UpdatePosition()
{
    if (positionDirty)
    {
        int32_t i = 0;
        for (Widget *row = rows->GetFirstSubwidget(); row; row = row->GetNextWidget(), ++i)
        {
            int32_t d = i - firstVisibleRow;
            uint32_t flags = row->GetWidgetFlags();
            if (d < 0 || d >= visibleRows)
            {
                row->SetWidgetFlags(flags | kWidgetHidden);
                continue;
            }
            row->SetWidgetFlags(flags & ~kWidgetHidden);
            row->SetLocalPosition({0.0F, float(d) * rowHeight + baselineOffset});
        }
    }
    Widget::UpdatePosition();
}

void ListBox::Render(const Matrix4D &projection)
{
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    background.Draw(*renderer, TranslateProjection(projection, globalPosition.x, globalPosition.y));
    if (selectedRow >= firstVisibleRow && selectedRow < firstVisibleRow + visibleRows)
    {
        float y = globalPosition.y + float(selectedRow - firstVisibleRow) * rowHeight;
        highlight.Draw(*renderer, TranslateProjection(projection, globalPosition.x, y));
    }
}

void ListBox::FocusGained()
{
    lastTypedTime = 0;
    focusRing->SetWidgetFlags(focusRing->GetWidgetFlags() & ~kWidgetHidden);
    RequestRedraw();
}

void ListBox::FocusLost()
{
    focusRing->SetWidgetFlags(focusRing->GetWidgetFlags() | kWidgetHidden);
    RequestRedraw();
}

void ListBox::HandleMouseEvent(const UIEvent &event)
{
    if (event.type == 'lmdn')
    {
        if (!(event.position.x < rowWidth)) return;
        float slot = std::trunc(event.position.y / rowHeight);
        int32_t row = 0;
        if (slot >= float(visibleRows - 1)) row = visibleRows - 1;
        else if (slot > 0.0F) row = int32_t(slot);
        row += firstVisibleRow;
        if (row >= rowCount) return;
        selectedRow = row;
        InvalidatePosition();
        RequestRedraw();
        Send(event.key != 0 ? 'wgac' : 'wgch');
        return;
    }
    if (event.type == 'mwhl')
    {
        wheelRemainder += event.wheel.y;
        float n = std::round(wheelRemainder);  // half away from zero
        if (n == 0.0F || !std::isfinite(n)) return;
        wheelRemainder -= n;
        float wanted = float(firstVisibleRow) - n * float(WheelScrollLines());
        int32_t first = int32_t(std::clamp(wanted, 0.0F, float(scrollBar->maximumPosition)));
        if (first != firstVisibleRow)
        {
            SetFirstVisibleRow(first);
            InvalidatePosition();
        }
    }
}

void ListBox::HandleKeyEvent(const UIEvent &event)
{
    if (event.type != 'kydn') return;
    int32_t s = selectedRow;
    int32_t n = rowCount;
    int32_t v = visibleRows;
    int32_t newRow = s;
    int32_t oldFirst = firstVisibleRow;
    switch (event.key)
    {
    case kKeyUp:
        if (s > 0) newRow = s - 1;
        else if (s < 0 && n > 0) newRow = 0;
        if (newRow != s) ScrollIntoView(newRow);
        break;
    case kKeyDown:
        if (s < 0 && n > 0) newRow = 0;
        else if (s >= 0 && s < n - 1) newRow = s + 1;
        if (newRow != s) ScrollIntoView(newRow);
        break;
    case kKeyPageUp:
        if (s > 0) newRow = std::max(s - v + 1, 0);
        else if (s < 0 && n > 0) newRow = 0;
        if (newRow >= 0 && newRow != s) SetFirstVisibleRow(newRow);
        break;
    case kKeyPageDown:
        if (s < 0 && n > 0) newRow = 0;
        else if (s >= 0 && s < n - 1) newRow = std::min(s + v, n) - 1;
        if (newRow >= 0 && newRow != s) SetFirstVisibleRow(std::max(newRow - v + 1, 0));
        break;
    case kKeyHome:
        if (n > 0) newRow = 0;
        SetFirstVisibleRow(0);
        break;
    case kKeyEnd:
        if (n > 0) newRow = n - 1;
        SetFirstVisibleRow(std::max(n - v, 0));
        break;
    default: return;
    }
    lastTypedTime = 0;
    if (newRow != s || firstVisibleRow != oldFirst)
    {
        selectedRow = newRow;
        InvalidatePosition();
        RequestRedraw();
    }
    if (newRow != s) Send('wgch');
}

void ListBox::HandleCharacter(uint32_t c, uint64_t now)
{
    if (c < 0x20 || c > 0x7E) return;
    if (lastTypedTime != 0 && now - lastTypedTime < 1000) typedPrefix.AppendChar(char(c));
    else
    {
        char text[2] = {char(c), 0};
        typedPrefix = text;
    }
    lastTypedTime = now;
    int32_t length = typedPrefix.GetLength();
    int32_t i = 0;
    for (Widget *row = rows->GetFirstSubwidget(); row; row = row->GetNextWidget(), ++i)
    {
        if (StartsWithFolded(static_cast<TextWidget *>(row)->text, typedPrefix, length))
        {
            SetSelection(i);
            RequestRedraw();
            Send('wgch');
            return;
        }
    }
    if (length == 1) lastTypedTime = 0;
}

}  // namespace oq
