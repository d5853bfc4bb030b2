// The frame render on a recording device: the fixed draw order with every overlay present, the
// scissor, a drawing's stroke pieces as one coverage group, the caret's conditions, the preview by
// 'flay', and the counters of what idle, typing and tool-group frames rebuild.
#include "EditorFixture.h"
#include "FrameTestDrawing.h"
#include "editor/platform/GlyphMeshItem.h"
#include "editor/platform/PictureButton.h"
#include "editor/platform/RecordingDevice.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/ShapeRenderObject.h"
#include "editor/platform/WindowWidget.h"

#include <map>
#include <string>

namespace oq {
namespace {

using test::BoxDrawing;
using test::EditorFixture;

class DrawOrder : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        SetApplicationActive(true);
        Run("type x");
        ASSERT_TRUE(test::LayoutTestDocument(editor));
        renderer = GetRenderer();
        device = static_cast<RecordingDevice *>(renderer->GetDevice());
        KettricStructure *root = editor->document.GetRootStructure();
        root->PrependSubnode(new BoxDrawing(Box2D({0, -20}, {30, 10}), true, 0xFF0000FFu, 0xFF00FF00u));
        root->AppendSubnode(new BoxDrawing(Box2D({5, -5}, {40, 20}), false, 0, 0xFFFF0000u));
        editor->AttachMainWindow(1, 400, 300);
        RenderEditorFrame();
    }
    void TearDown() override
    {
        SetApplicationActive(false);
        for (ShapeRenderObject **object : Injected()) Release(object);
        EditorFixture::TearDown();
    }

    std::vector<ShapeRenderObject **> Injected()
    {
        return {&editor->selectionOverlay, &editor->handleOverlay, &editor->anchorOverlay,
                &editor->highlightOverlay, &editor->hoverOutlineObject};
    }

    void Release(ShapeRenderObject **object)
    {
        if (*object == nullptr) return;
        (*object)->ReleaseShape(*renderer);
        delete *object;
        *object = nullptr;
    }

    ShapeRenderObject *MakeBox(const char *name)
    {
        DisplayList items;
        BoxDrawing::AppendBox(&items, Box2D({1, 1}, {2, 2}), 0xFF000000u);
        auto *object = new ShapeRenderObject;
        BuildFillPathListRenderObject(*renderer, object, &items);
        items.Purge();
        names[object->vertexBuffer] = name;
        return object;
    }

    // Every overlay and path object present, each named by its vertex buffer.
    void InjectEverything()
    {
        for (ShapeRenderObject **object : Injected()) Release(object);
        Release(&editor->equationPaths);
        Release(&editor->editingAids);
        Release(&editor->previewOverlay);
        editor->selectionOverlay = MakeBox("selection");
        editor->handleOverlay = MakeBox("handles");
        editor->anchorOverlay = MakeBox("anchors");
        editor->highlightOverlay = MakeBox("highlight");
        editor->hoverOutlineObject = MakeBox("hover");
        editor->equationPaths = MakeBox("paths");
        editor->editingAids = MakeBox("aids");
        editor->previewOverlay = MakeBox("preview");
        ASSERT_EQ(editor->backgroundPaths.GetElementCount(), 2);
        ASSERT_EQ(editor->foregroundPaths.GetElementCount(), 1);
        names[editor->backgroundPaths[0]->vertexBuffer] = "back-fill";
        names[editor->backgroundPaths[1]->vertexBuffer] = "back-stroke";
        names[editor->foregroundPaths[0]->vertexBuffer] = "fore-stroke";
        for (ListElement *e = editor->glyphMeshItems.GetFirstListElement(); e; e = e->GetNextListElement())
            names[static_cast<GlyphMeshItem *>(e)->object.vertexBuffer] = "glyphs";
        NameBands(editor->toolBandRoot);
        NameBands(editor->statusBandRoot);
    }

    // Every drawing widget of the bands (built by the first frame) as "bands".
    void NameBands(const Widget *widget)
    {
        for (const Widget *child = widget->GetFirstSubwidget(); child; child = child->GetNextWidget())
        {
            const uint32_t type = child->GetWidgetType();
            if (type != 'cont') names[static_cast<const DrawableWidget *>(child)->object.vertexBuffer] = "bands";
            if (type == 'pcbt') names[static_cast<const PictureButton *>(child)->box.vertexBuffer] = "bands";
            NameBands(child);
        }
    }

    // One frame's draws by name, repeats of one object folded.
    std::string DrawFrame()
    {
        device->draws.clear();
        device->calls.clear();
        RenderEditorFrame();
        std::string order;
        std::string last;
        for (const RecordingDevice::Draw &draw : device->draws)
        {
            auto found = names.find(draw.state.vertexBuffer);
            std::string name = found != names.end() ? found->second : "?";
            if (name == last) continue;
            order += (order.empty() ? "" : " ") + name;
            last = name;
        }
        return order;
    }

    Renderer *renderer = nullptr;
    RecordingDevice *device = nullptr;
    std::map<GpuHandle, std::string> names;
};

TEST_F(DrawOrder, EveryLayerAndOverlayDrawsInTheFixedOrder)
{
    ASSERT_NO_FATAL_FAILURE(InjectEverything());
    struct Case
    {
        uint32_t kind;
        bool foreground;  // 'flay'
        bool caretVisible;
        bool active;
        const char *order;
    } cases[] = {
        {'eqtn', false, true, true,
         "back-fill back-stroke selection preview aids glyphs paths fore-stroke hover anchors highlight handles bands"},
        {'objt', false, true, true,
         "back-fill back-stroke preview aids glyphs paths fore-stroke selection hover anchors highlight handles bands"},
        {'objt', true, true, true,
         "back-fill back-stroke aids glyphs paths fore-stroke selection hover preview anchors highlight handles bands"},
        {0, false, true, true,
         "back-fill back-stroke preview aids glyphs paths fore-stroke hover anchors highlight handles selection bands"},
        {0, true, false, true,
         "back-fill back-stroke aids glyphs paths fore-stroke hover preview anchors highlight handles bands"},
        {0, false, true, false,
         "back-fill back-stroke preview aids glyphs paths fore-stroke hover anchors highlight handles bands"},
    };
    for (const Case &c : cases)
    {
        editor->selectionOverlayKind = c.kind;
        editor->settings.state.toolPanel.drawInForeground = c.foreground;
        editor->caretVisible = c.caretVisible;
        SetApplicationActive(c.active);
        EXPECT_EQ(DrawFrame(), c.order) << c.kind << " " << c.foreground << c.caretVisible << c.active;
    }
    // The hover outline waits for its deadline.
    editor->hoverDeadline = editor->lastTickTime + 100;
    EXPECT_EQ(DrawFrame().find("hover"), std::string::npos);
}

TEST_F(DrawOrder, TheStripIsClippedThenTheWholeClientAreaAndStrokesCoverOnce)
{
    ASSERT_NO_FATAL_FAILURE(InjectEverything());
    EXPECT_EQ(editor->toolBandHeight, 53);
    EXPECT_EQ(editor->statusBandHeight, 24);
    DrawFrame();
    ASSERT_FALSE(device->draws.empty());
    for (const RecordingDevice::Draw &draw : device->draws)
    {
        const bool band = names[draw.state.vertexBuffer] == "bands";
        EXPECT_EQ(draw.scissor[0], 0);
        EXPECT_EQ(draw.scissor[1], band ? 0 : 53);
        EXPECT_EQ(draw.scissor[2], 400);
        EXPECT_EQ(draw.scissor[3], band ? 300 : 276);
    }
    std::vector<std::string> sequence;
    for (const RecordingDevice::Call &call : device->calls)
    {
        if (call.kind == 'scis')
            sequence.push_back("scis " + std::to_string(call.values[0]) + " " + std::to_string(call.values[1]) + " " +
                               std::to_string(call.values[2]) + " " + std::to_string(call.values[3]));
        else if (call.kind == 'cgbg' || call.kind == 'cgen' || call.kind == 'pres' || call.kind == 'begn')
            sequence.push_back(call.kind == 'cgbg' ? "group" : call.kind == 'cgen' ? "end" : call.kind == 'pres' ? "present" : "begin");
    }
    // One coverage group per stroked drawing, inside the strip; the bands unclipped; then present.
    EXPECT_EQ(sequence, (std::vector<std::string>{"begin", "scis 0 53 400 276", "group", "end", "group", "end",
                                                  "scis 0 0 400 300", "present"}));
    // The fill draws plainly; the stroke pieces twice, coverage first.
    std::vector<uint32_t> backBlends;
    for (const RecordingDevice::Draw &draw : device->draws)
    {
        if (names[draw.state.vertexBuffer] == "back-fill" || names[draw.state.vertexBuffer] == "back-stroke")
            backBlends.push_back(draw.blendKind);
    }
    EXPECT_EQ(backBlends, (std::vector<uint32_t>{kGpuBlendOver, kGpuBlendCoverage, kGpuBlendCoveredColor}));
}

TEST_F(DrawOrder, TheClearColourIsTheBackgroundPreferenceInLinearLight)
{
    editor->settings.preferences.colors[kColorBackground] = 0x80204060u;
    device->calls.clear();
    RenderEditorFrame();
    const float *clear = renderer->mainTarget.clearColor;
    EXPECT_FLOAT_EQ(clear[0], kSrgbByteToLinear[0x60]);
    EXPECT_FLOAT_EQ(clear[1], kSrgbByteToLinear[0x40]);
    EXPECT_FLOAT_EQ(clear[2], kSrgbByteToLinear[0x20]);
    EXPECT_FLOAT_EQ(clear[3], 128.0f * 0.003921569f);
}

TEST_F(DrawOrder, IdleFramesRebuildNothingAndOneCharacterLaysOutOnce)
{
    uint64_t now = 1000;
    auto turn = [&](uint64_t at) {
        uint64_t deadline = 0;
        if (editor->TickAt(at, false, &deadline)) RenderEditorFrame();
    };
    turn(now);
    EditorCounters before = editor->counters;
    for (int32_t i = 1; i <= 10; ++i) turn(now + 530 * uint64_t(i));
    EXPECT_EQ(editor->counters.frames, before.frames + 10);
    EXPECT_EQ(editor->counters.updateLayout, before.updateLayout);
    EXPECT_EQ(editor->counters.meshBuilds, before.meshBuilds);
    EXPECT_EQ(editor->counters.renderObjectBuilds, before.renderObjectBuilds);
    EXPECT_EQ(editor->counters.overlayBuilds, before.overlayBuilds);

    ASSERT_TRUE(editor->TypeCharacter('y', 0));
    for (int32_t i = 0; i < 3; ++i) turn(now + 10000 + uint64_t(i));
    EXPECT_EQ(editor->counters.updateLayout, before.updateLayout + 1);
    EXPECT_GT(editor->counters.meshBuilds, before.meshBuilds);

    // A tool-group change: the selection and anchor overlays again, nothing else.
    EditorCounters typed = editor->counters;
    editor->SetDrawingToolGroup(kToolGroupLine);
    RenderEditorFrame();
    EXPECT_NE(editor->anchorOverlay, nullptr);
    EXPECT_EQ(editor->counters.overlayBuilds, typed.overlayBuilds + 2);
    EXPECT_EQ(editor->counters.updateLayout, typed.updateLayout);
    EXPECT_EQ(editor->counters.meshBuilds, typed.meshBuilds);
    EXPECT_EQ(editor->counters.renderObjectBuilds, typed.renderObjectBuilds);
}

TEST_F(DrawOrder, NothingIsDrawnWithoutAStartedRenderer)
{
    int32_t frames = int32_t(editor->counters.frames);
    SetRenderer(nullptr);
    RenderEditorFrame();
    SetRenderer(renderer);
    EXPECT_EQ(editor->counters.frames, frames);
}

}  // namespace
}  // namespace oq
