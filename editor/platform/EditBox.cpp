#include "editor/platform/EditBox.h"

#include "base/TextUtils.h"
#include "editor/platform/Clipboard.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/ShellServices.h"
#include "editor/platform/VirtualKeys.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/GlyphMapping.h"
#include "vorl/text/TextMeasure.h"

#include <algorithm>
#include <string>

namespace oq {

namespace {

constexpr ColorRGBA kClear = {0.0F, 0.0F, 0.0F, 0.0F};
constexpr ColorRGBA kFrameStroke = {0.5F, 0.5F, 0.5F, 1.0F};
constexpr ColorRGBA kCaretColor = {0.0F, 0.0F, 0.0F, 0.75F};
constexpr int32_t kPasteLimit = 256;

// Lays the text out in the shared run with the face; false without a face.
bool LayOut(Font *font, const TextLayoutState *state, const char *bytes, int32_t length, TextFont *fonts)
{
    if (font == nullptr || font->file == nullptr) return false;
    fonts[0] = {GetVorlFontRecord(font->file->GetHeader(), uint32_t(font->faceIndex)), 1.0F, 0.0F};
    TextRun *run = GetSharedTextRun();
    LayoutTextRun(run, state, bytes, length);
    MapRunToGlyphs(run, 1, fonts, &kDefaultFontFallbackMap);
    return true;
}

}  // namespace

EditBox::EditBox(Font *face, const TextLayoutState *state, const char *initialText, const Point2D &localPosition,
                 float width, int32_t maximum, float snap)
    : TextWidget('edit', face, state, initialText, localPosition, Vector2D(width, 0.0F), snap), maximumLength(maximum)
{
    if (Renderer *renderer = GetRenderer())
    {
        BuildRoundedBoxShape(*renderer, &frame, Point2D(-4.0F, -14.0F), Point2D(width + 8.0F, 20.0F), 0.5F, 0.0F,
                             kClear, kFrameStroke, kRoundAllCorners);
        highlight.SetupVorlShaders(*renderer, 0, kShaderOptionWeight);
    }
    frame.color = {1.0F, 1.0F, 1.0F, 1.0F};
    widgetFlags = 0;
    CutToMaximumLength();
    selectionStart = 0;
    selectionEnd = text.GetLength();
    selectionDirection = 0;
}

EditBox::~EditBox()
{
    if (Renderer *renderer = GetRenderer())
    {
        frame.ReleaseShape(*renderer);
        highlight.ReleaseShape(*renderer);
    }
}

void EditBox::CutToMaximumLength()
{
    const char *bytes = text.GetText();
    int32_t length = text.GetLength();
    int32_t characters = 0;
    for (int32_t i = 0; i < length; ++i)
    {
        if ((static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80) continue;
        if (characters == std::max(maximumLength, 0))
        {
            text.SetLength(i);
            return;
        }
        ++characters;
    }
}

void EditBox::ChangeStep()
{
    caretLayoutPending = true;
    caretShown = false;
    nextBlinkTime = 0;
    InvalidatePosition();
    RequestRedraw();
}

void EditBox::SelectAll()
{
    selectionStart = 0;
    selectionEnd = text.GetLength();
    selectionDirection = 0;
}

void EditBox::SetText(const char *newText)
{
    text = newText != nullptr ? newText : "";
    Invalidate();
    CutToMaximumLength();
    SelectAll();
    ChangeStep();
}

void EditBox::TextChanged()
{
    Invalidate();
    int32_t length = text.GetLength();
    selectionEnd = std::clamp(selectionEnd, 0, length);
    selectionStart = std::clamp(selectionStart, 0, selectionEnd);
    ChangeStep();
}

float EditBox::MeasureText(const char *bytes, int32_t length)
{
    TextFont fonts[1];
    if (!LayOut(font, &layoutState, bytes, length, fonts)) return 0.0F;
    return MeasureRunWidth(GetSharedTextRun(), nullptr, 1, fonts, 0, nullptr, nullptr);
}

bool EditBox::InsertCharacter(uint32_t codePoint)
{
    uint32_t c = filter(codePoint);
    if (c == 0) return false;
    // A selection typed over is gone even when the character is refused below.
    bool deleted = DeleteSelection();
    if (CountUtf8Chars(text.GetText()) >= maximumLength) return deleted;

    char encoded[4];
    int32_t size = EncodeUtf8(encoded, c);
    if (size == 0) return deleted;  // beyond U+10FFFF: nothing to insert, so no change to report
    const char *bytes = text.GetText();
    int32_t caret = selectionStart;
    std::string candidate(bytes, size_t(caret));
    candidate.append(encoded, size_t(size));
    candidate.append(bytes + caret, size_t(text.GetLength() - caret));
    if (MeasureText(candidate.c_str(), int32_t(candidate.size())) > widgetSize.x) return deleted;

    text = candidate.c_str();
    Invalidate();
    selectionStart = selectionEnd = caret + size;
    ChangeStep();
    return true;
}

bool EditBox::DeleteSelection()
{
    if (selectionStart == selectionEnd) return false;
    DeleteRange(selectionStart, selectionEnd - selectionStart);
    selectionEnd = selectionStart;
    ChangeStep();
    return true;
}

void EditBox::DeleteRange(int32_t index, int32_t count)
{
    const char *bytes = text.GetText();
    int32_t length = text.GetLength();
    index = std::clamp(index, 0, length);
    count = std::clamp(count, 0, length - index);
    std::string rest(bytes + index + count, size_t(length - index - count));
    text.SetLength(index);
    TextString joined(text.GetText(), rest.c_str());
    text = std::move(joined);
    Invalidate();
    ChangeStep();
}

bool EditBox::CopySelection(const UIEvent &)
{
    if (selectionStart == selectionEnd) return false;
    return SetClipboardText(GetClipboard(), text.GetText() + selectionStart, size_t(selectionEnd - selectionStart));
}

bool EditBox::Paste()
{
    std::string pasted = ReadClipboardText(GetClipboard(), pasteTimeLimit, kPasteLimit);
    if (pasted.empty()) return false;
    bool changed = DeleteSelection();
    const char *p = pasted.c_str();
    while (*p != 0)
    {
        uint32_t codePoint = 0;
        p += DecodeUtf8(p, &codePoint);
        if (InsertCharacter(codePoint)) changed = true;
    }
    return changed;
}

bool EditBox::AcceptsCapture() { return true; }

bool EditBox::AcceptsFocus() { return true; }

void EditBox::FocusGained()
{
    focused = true;
    SelectAll();
    ChangeStep();
}

void EditBox::FocusLost()
{
    focused = false;
    RequestRedraw();
}

uint32_t EditBox::HitTest(const Point2D &p)
{
    return p.x > -4.0F && p.x < widgetSize.x + 4.0F && p.y > -14.0F && p.y < 6.0F ? 'intr' : 0;
}

int32_t EditBox::HitTextPosition(float x)
{
    int32_t length = text.GetLength();
    TextFont fonts[1];
    if (!LayOut(font, &layoutState, text.GetText(), length, fonts)) return x <= 0.0F ? 0 : length;
    HitTestResult result{};
    if (!HitTestRun(GetSharedTextRun(), nullptr, 1, fonts, x, &result)) return x <= 0.0F ? 0 : length;
    return std::clamp(result.textOffset, 0, length);
}

void EditBox::HandleMouseEvent(const UIEvent &event)
{
    int32_t start = selectionStart, end = selectionEnd, direction = selectionDirection;
    if (event.type == 'lmdn')
    {
        int32_t h = HitTextPosition(event.position.x - textXOffset);
        if (event.modifiers & kModifierShift)
        {
            if (h < selectionStart)
            {
                selectionStart = h;
                dragAnchor = selectionEnd;
                selectionDirection = -1;
            }
            else if (h > selectionEnd)
            {
                selectionEnd = h;
                dragAnchor = selectionStart;
                selectionDirection = 1;
            }
            else if (selectionDirection < 0)
            {
                selectionStart = h;
                dragAnchor = selectionEnd;
            }
            else
            {
                selectionEnd = h;
                dragAnchor = selectionStart;
            }
        }
        else if (event.key != 0)
            SelectAll();
        else
            selectionStart = selectionEnd = dragAnchor = h;
    }
    else if (event.type == 'msmv' && (widgetFlags & kWidgetCaptured))
    {
        int32_t h = HitTextPosition(event.position.x - textXOffset);
        int32_t a = std::clamp(dragAnchor, 0, text.GetLength());
        if (h < a)
        {
            selectionStart = h;
            selectionEnd = a;
            selectionDirection = -1;
        }
        else
        {
            selectionStart = a;
            selectionEnd = h;
            selectionDirection = 1;
        }
    }
    else
        return;
    if (start != selectionStart || end != selectionEnd || direction != selectionDirection) ChangeStep();
}

void EditBox::HandleKeyEvent(const UIEvent &event)
{
    const char *bytes = text.GetText();
    int32_t length = text.GetLength();
    int32_t start = selectionStart, end = selectionEnd, direction = selectionDirection;
    bool empty = start == end;
    bool shift = (event.modifiers & kModifierShift) != 0;
    if (event.type == 'cmnd')
    {
        switch (event.key)
        {
        case 'A':
            SelectAll();
            break;
        case 'C':
            // A refused copy loses nothing: the text stays and the clipboard keeps its contents.
            if (!empty) (void)CopySelection(event);
            return;
        case 'X':
            // The text goes only once the clipboard holds it.
            if (!empty && CopySelection(event) && DeleteSelection()) Send('wgch');
            return;
        case 'V':
            if (Paste()) Send('wgch');
            return;
        default:
            return;
        }
    }
    else if (event.type == 'kydn')
    {
        switch (event.key)
        {
        case kKeyBack:
            if (!empty)
                DeleteSelection();
            else if (start == 0)
                return;
            else
            {
                int32_t p = start - 1;
                while (p > 0 && (static_cast<unsigned char>(bytes[p]) & 0xC0) == 0x80) --p;
                DeleteRange(p, start - p);
                selectionStart = selectionEnd = p;
                ChangeStep();
            }
            Send('wgch');
            return;
        case kKeyDelete:
            if (!empty)
                DeleteSelection();
            else if (start == length)
                return;
            else
            {
                DeleteRange(start, GetNextClusterLength(bytes + start, length - start));
                selectionEnd = selectionStart;
            }
            Send('wgch');
            return;
        case kKeyLeft:
            if (empty)
            {
                if (start == 0) return;
                selectionStart -= GetPreviousClusterLength(bytes + start, start);
                if (shift)
                    selectionDirection = -1;
                else
                    selectionEnd = selectionStart;
            }
            else if (!shift)
                selectionEnd = start;
            else if (direction > 0)
                selectionEnd = std::max(start, end - GetPreviousClusterLength(bytes + end, end));
            else if (start != 0)
                selectionStart -= GetPreviousClusterLength(bytes + start, start);
            break;
        case kKeyRight:
            if (empty)
            {
                if (end == length) return;
                selectionEnd += GetNextClusterLength(bytes + end, length - end);
                if (shift)
                    selectionDirection = 1;
                else
                    selectionStart = selectionEnd;
            }
            else if (!shift)
                selectionStart = end;
            else if (direction < 0)
                selectionStart = std::min(end, start + GetNextClusterLength(bytes + start, length - start));
            else if (end != length)
                selectionEnd += GetNextClusterLength(bytes + end, length - end);
            break;
        case kKeyHome:
            if (empty)
            {
                if (start == 0) return;
                selectionStart = 0;
                selectionDirection = -1;
                if (!shift) selectionEnd = 0;
            }
            else if (!shift)
                selectionStart = selectionEnd = 0;
            else if (direction > 0)
            {
                selectionEnd = start;
                selectionStart = 0;
                selectionDirection = -1;
            }
            else
                selectionStart = 0;
            break;
        case kKeyEnd:
            if (empty)
            {
                if (end == length) return;
                selectionEnd = length;
                selectionDirection = 1;
                if (!shift) selectionStart = selectionEnd;
            }
            else if (!shift)
                selectionStart = selectionEnd = length;
            else if (direction < 0)
            {
                selectionStart = end;
                selectionEnd = length;
                selectionDirection = 1;
            }
            else
                selectionEnd = length;
            break;
        default:
            return;
        }
    }
    else
        return;
    if (start != selectionStart || end != selectionEnd || direction != selectionDirection) ChangeStep();
}

void EditBox::HandleCharacter(uint32_t codePoint, uint64_t)
{
    if (InsertCharacter(codePoint)) Send('wgch');
}

void EditBox::UpdateFocused(uint64_t now, uint64_t *nextDeadline, uint32_t blinkInterval)
{
    if (selectionStart != selectionEnd) return;
    if (now >= nextBlinkTime)
    {
        caretShown = !caretShown;
        nextBlinkTime = now + blinkInterval;
        if (ApplicationActive()) RequestRedraw();
    }
    if (nextDeadline != nullptr && (*nextDeadline == 0 || nextBlinkTime < *nextDeadline)) *nextDeadline = nextBlinkTime;
}

void EditBox::UpdatePosition()
{
    TextWidget::UpdatePosition();
    if (!caretLayoutPending) return;
    caretLayoutPending = false;
    BuildHighlight();
}

void EditBox::BuildHighlight()
{
    int32_t length = text.GetLength();
    float x0 = 0.0F, x1 = 0.0F;
    TextFont fonts[1];
    if (LayOut(font, &layoutState, text.GetText(), length, fonts))
    {
        int32_t offsets[2] = {selectionStart, selectionEnd};
        CaretPlacement placements[2] = {};
        GetRunCaretPositions(GetSharedTextRun(), nullptr, 1, fonts, 2, offsets, placements);
        x0 = placements[0].x;
        x1 = placements[1].x;
    }
    x0 += textXOffset;
    x1 += textXOffset;
    if (selectionStart == selectionEnd)
    {
        x1 = x0 + 0.5F;
        x0 -= 0.5F;
        highlight.color = kCaretColor;
    }
    else
    {
        if (selectionStart == 0) x0 -= 2.0F;
        if (selectionEnd == length) x1 += 2.0F;
        highlight.color = SelectionHighlightColor();
    }
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    const float top = -12.0F, bottom = 4.0F;
    const Point2D corners[4] = {Point2D(x0, bottom), Point2D(x1, bottom), Point2D(x1, top), Point2D(x0, top)};
    QuadraticBezier2D curves[4];
    for (int i = 0; i < 4; ++i)
    {
        const Point2D &a = corners[i];
        const Point2D &b = corners[(i + 1) % 4];
        curves[i] = QuadraticBezier2D(a, b, b);
    }
    FillStyle style;
    ResetFillStyle(&style);
    style.color = kClear;
    highlight.BuildPathGeometry(*renderer, style, 4, curves, &highlight.item, &highlight.pair);
}

void EditBox::Render(const Matrix4D &projection)
{
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    Matrix4D moved = TranslateProjection(projection, globalPosition.x, globalPosition.y);
    frame.Draw(*renderer, moved);
    bool empty = selectionStart == selectionEnd;
    if (focused && !empty) highlight.Draw(*renderer, moved);
    TextWidget::Render(projection);
    if (focused && empty && caretShown && ApplicationActive()) highlight.Draw(*renderer, moved);
}

}  // namespace oq
