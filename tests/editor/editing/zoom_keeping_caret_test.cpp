// Zooming keeps the moving end's caret point at its pixel, for any document, selection, view and
// zoom (clamped zooms included), and pushes no undo step.
#include "EditorFixture.h"
#include "base/Matrix4D.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace oq::test {
namespace {

struct Pixel
{
    double x;
    double y;
};

// The pixel of a document point (y up) in a client of the editor's size.
Pixel PixelOf(const Editor *editor, const Point2D &point)
{
    return {double(editor->halfClientWidth) + (double(point.x) - double(editor->viewCentre.x)) / editor->pixelScale,
            double(editor->halfClientHeight) - (double(point.y) - double(editor->viewCentre.y)) / editor->pixelScale};
}

double Ulp(float value)
{
    value = std::fabs(value);
    return double(std::nextafter(value, std::numeric_limits<float>::infinity()) - value);
}

class ZoomKeepingCaretTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        SetClient(editor);
    }

    static void SetClient(Editor *editor)
    {
        editor->clientWidth = 900;
        editor->clientHeight = 700;
        editor->UpdateViewTransform();
        editor->ResetView();
    }
};

// The pixel arithmetic above is the one the document transform draws with.
TEST_F(ZoomKeepingCaretTest, ThePixelIsTheDrawnOne)
{
    editor->caretPoints[0] = Point2D(30.0f, -12.0f);
    editor->caretPoints[1] = Point2D(80.0f, 25.0f);
    editor->movingEnd = 1;
    editor->viewCentre = Point2D(40.0f, 10.0f);
    editor->UpdateViewTransform();
    Pixel before = PixelOf(editor, editor->caretPoints[1]);
    editor->viewChanged = false;
    ASSERT_TRUE(editor->ZoomKeepingCaret(5.0f));
    EXPECT_EQ(editor->zoom, 5.0f);
    EXPECT_TRUE(editor->viewChanged);
    EXPECT_EQ(DescribeSteps(editor), "0/0");
    // Items reach the GPU with y down.
    Vector4D clip = editor->GetDocumentTransform() * Point2D(80.0f, -25.0f);
    EXPECT_NEAR((double(clip.x) + 1.0) * 0.5 * editor->clientWidth, before.x, 1e-2);
    EXPECT_NEAR((1.0 - double(clip.y)) * 0.5 * editor->clientHeight, before.y, 1e-2);
}

TEST_F(ZoomKeepingCaretTest, TheCaretPointKeepsItsPixel)
{
    const char *documents[] = {
        "Gr { Bg $B {} }",
        "Gr { Bg {} Sb $B {s{\"abc\"}} Sp {} Sb (ro='oper') {s{\"=\"}} Bg {} Sb $E {s{\"xyz\"}} }",
        "Gr { Bg {} Sb {s{\"x\"}} Sc { Gr (t='subs') { Bg {} Sb $B {s{\"12\"}} } } Sb {s{\"+y\"}} }",
    };
    std::mt19937 random(20261211);
    auto uniform = [&random](double low, double high) {
        return low + (high - low) * std::uniform_real_distribution<double>(0.0, 1.0)(random);
    };
    int32_t placedCarets = 0;
    for (int32_t trial = 0; trial < 300; ++trial)
    {
        SCOPED_TRACE("trial " + std::to_string(trial));
        ResetTheEditor();
        editor = TheEditor;
        SetClient(editor);
        ASSERT_TRUE(LoadTestDocument(editor, documents[trial % 3], 1, 1));
        for (int32_t i = 0; i < 3; ++i) ApplyRandomTestEdit(editor, uint32_t(random()));
        static_cast<void>(SelectTestRange(editor, int32_t(random() % 8), int32_t(random() % 4), int32_t(random() % 8),
                                          int32_t(random() % 4)));
        ASSERT_TRUE(LayoutTestDocument(editor));
        editor->BuildSelectionOverlay();
        editor->movingEnd = int32_t(random() % 3) - 1;
        editor->SetZoom(float(std::exp(uniform(std::log(0.1), std::log(20000.0)))));
        editor->viewCentre = Point2D(float(uniform(-2000.0, 2000.0)), float(uniform(-2000.0, 2000.0)));
        editor->UpdateViewTransform();
        // Zooms inside and outside the range (clamped), and not a number.
        float zoom = trial % 25 == 0 ? std::numeric_limits<float>::quiet_NaN()
                                     : float(std::exp(uniform(std::log(0.05), std::log(50000.0))));
        const Point2D caret = editor->caretPoints[editor->movingEnd > 0 ? 1 : 0];
        Pixel before = PixelOf(editor, caret);
        placedCarets += caret.x != 0.0f || caret.y != 0.0f ? 1 : 0;
        float largest = std::fmax(std::fmax(std::fabs(caret.x), std::fabs(caret.y)),
                                  std::fmax(std::fabs(editor->viewCentre.x), std::fabs(editor->viewCentre.y)));
        int32_t steps = editor->undoHistory.GetListElementCount();

        ASSERT_TRUE(editor->ZoomKeepingCaret(zoom));
        Pixel after = PixelOf(editor, caret);
        // The stored centre is a float: its own rounding (old or new) bounds what can be kept.
        largest = std::fmax(largest, std::fmax(std::fabs(editor->viewCentre.x), std::fabs(editor->viewCentre.y)));
        double tolerance = 1e-3 + 4.0 * Ulp(largest) / editor->pixelScale;
        EXPECT_NEAR(after.x, before.x, tolerance) << "zoom " << zoom << " now " << editor->zoom;
        EXPECT_NEAR(after.y, before.y, tolerance) << "zoom " << zoom << " now " << editor->zoom;
        EXPECT_GE(editor->zoom, 0.25f);
        EXPECT_LE(editor->zoom, 10000.0f);
        EXPECT_EQ(editor->undoHistory.GetListElementCount(), steps);
    }
    // The overlay placed the carets away from the origin in most trials.
    EXPECT_GT(placedCarets, 150);
}

}  // namespace
}  // namespace oq::test
