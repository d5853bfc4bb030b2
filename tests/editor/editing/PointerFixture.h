#pragma once

// The fixture of the pointer tests: the caret-face editor with the drawing kinds, a fake window
// system recording the capture, the main window attached at 400 x 300 pixels, and events sent at
// window pixels or at document points turned into pixels through the view.
#include "CaretFaceFixture.h"

#include "editor/drawing/DrawingKinds.h"
#include "editor/platform/FakeWindowSystem.h"

namespace oq::test {

class PointerFixture : public CaretFaceFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CaretFaceFixture::SetUp());
        RegisterDrawingKinds();
        SetWindowSystem(&windows);
        editor->AttachMainWindow(FakeWindowSystem::kMainWindow, 400, 300);
    }

    void TearDown() override
    {
        CaretFaceFixture::TearDown();
        SetWindowSystem(nullptr);
    }

    // The window pixel where a document point (y up) is drawn.
    Point2D PixelOf(const Point2D &point) const
    {
        float s = editor->pixelScale;
        return {(point.x - editor->viewCentre.x) / s + editor->halfClientWidth,
                editor->halfClientHeight - (point.y - editor->viewCentre.y) / s};
    }

    static UIEvent Event(uint32_t type, const Point2D &pixel, uint32_t modifiers = 0, int32_t key = 0)
    {
        UIEvent event;
        event.type = type;
        event.position = pixel;
        event.modifiers = modifiers;
        event.key = key;
        return event;
    }

    // One event at a pixel, or at a document point; the dispatcher's redraw flag.
    bool Send(uint32_t type, const Point2D &pixel, uint32_t modifiers = 0, int32_t key = 0)
    {
        return editor->HandleMouseEvent(Event(type, pixel, modifiers, key));
    }
    bool SendAt(uint32_t type, const Point2D &point, uint32_t modifiers = 0, int32_t key = 0)
    {
        return Send(type, PixelOf(point), modifiers, key);
    }

    FakeWindowSystem windows;
};

}  // namespace oq::test
