// The tool band and the status band: building every widget, deleting them, and the field texts.
#include "editor/editing/Editor.h"

#include "base/TextUtils.h"
#include "editor/platform/ColorButton.h"
#include "editor/platform/DataFileLoaders.h"
#include "editor/platform/DrawableWidget.h"
#include "editor/platform/FontFile.h"
#include "editor/fonts/FontLoader.h"
#include "editor/platform/IconWidget.h"
#include "editor/platform/PictureButton.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/TextWidget.h"

#include <cmath>

namespace oq {

namespace {

constexpr uint8_t kBandColor[4] = {250, 250, 250, 255};
constexpr uint8_t kStatusColor[4] = {248, 248, 248, 255};
constexpr uint8_t kSeparatorColor[4] = {192, 192, 192, 255};
constexpr uint8_t kEdgeColor[4] = {128, 128, 128, 255};

constexpr uint32_t kToolGroups[4] = {kToolGroupEquation, kToolGroupAnnotation, kToolGroupLine, kToolGroupShape};
constexpr uint32_t kEditModes[3] = {kEditModeMath, kEditModeChem, kEditModeText};
constexpr int32_t kModeColorSlots[3] = {kColorMathMode, kColorChemMode, kColorTextMode};
constexpr const char *kModeLabels[3] = {"MATH", "CHEM", "TEXT"};

// Labels by StyleMap order; the four symbol styles have none.
constexpr const char *kStyleLabels[kCharacterStyleCount] = {
    "U", "I", "B", "B", "M", "\xCE\xA3", "\xCE\xA3", "\xCE\xA3", "\xCE\xA3", nullptr, nullptr, nullptr, nullptr,
    "U", "I", "B", "B",
    "\xF0\x9D\x92\xAE",  // U+1D4AE script S
    "\xF0\x9D\x93\xA2",  // U+1D4E2 bold script S
    "\xF0\x9D\x94\x89",  // U+1D509 fraktur F
    "\xF0\x9D\x95\xB1",  // U+1D571 bold fraktur F
    "\xF0\x9D\x94\xBB",  // U+1D53B double-struck D
    "\xF0\x9D\x96\xB4",  // U+1D5B4 sans-serif U
    "\xF0\x9D\x98\x90",  // U+1D610 sans-serif italic I
    "\xF0\x9D\x97\x95",  // U+1D5D5 sans-serif bold B
    "\xF0\x9D\x98\xBD",  // U+1D63D sans-serif bold italic B
};

// A 32-bit colour (red in the low byte) as the widgets' RGBA8 bytes.
void ColorBytes(uint32_t color, uint8_t *bytes)
{
    for (int i = 0; i < 4; ++i) bytes[i] = uint8_t(color >> (8 * i));
}

// The 32-bit colour of an editor colour: its palette entry, or its own value for a negative index
// (an index past the palette reads as entry 0).
uint32_t ResolveEditorColor(const EditorColor &color, const Design &design)
{
    if (color.paletteIndex < 0) return color.color;
    return design.palette[color.paletteIndex < kDesignPaletteSize ? color.paletteIndex : 0];
}

// Appends a widget to its superior and returns it.
template <class T>
T *Append(Widget *superior, T *widget)
{
    superior->AppendSubnode(widget);
    return widget;
}

// A 20-point tool button or a 10-point arrow (icon scale 3).
PictureButton *MakeButton(GlyphTexturePair *icons, int32_t glyph, float x, float y, float size, int32_t mode,
                          bool pressed = false)
{
    return new PictureButton(icons, glyph, Point2D(x, y), Vector2D(size, size), 3.0F, mode, 0, pressed);
}

// A swatch with its arrow and palette marker at x.
void AppendSwatch(Widget *group, GlyphTexturePair *icons, float x, uint32_t color, bool explicitColor, bool ring,
                  Link<Widget> *swatch, Link<Widget> *marker)
{
    uint8_t bytes[4];
    ColorBytes(color, bytes);
    swatch->SetTarget(Append(group, new ColorButton(Point2D(x, 4), Vector2D(24, 20), bytes, ring)));
    Append(group, MakeButton(icons, kToolsGlyphArrow, x, 26, 10, kPictureImmediate));
    Widget *pict = Append(group, new IconWidget('pict', icons, kToolsGlyphPaletteMarker, Point2D(x + 17, 1),
                                                Vector2D(10, 10)));
    SetWidgetHidden(pict, explicitColor);
    marker->SetTarget(pict);
}

// A text widget whose baseline is its position.
TextWidget *MakeLabel(Font *font, float size, uint32_t alignment, const char *text, float x, float baseline,
                      float width, float height, float snap)
{
    TextLayoutState state;
    ResetTextLayoutState(&state);
    state.size = size;
    state.alignment = alignment;
    state.fillPaint.color = {0.0F, 0.0F, 0.0F, 1.0F};
    return new TextWidget('text', font, &state, text, Point2D(x, baseline), Vector2D(width, height), snap);
}

void DeleteChildren(Widget *root)
{
    if (root == nullptr) return;
    while (Widget *child = root->GetFirstSubwidget()) delete child;
}

}  // namespace

const char *GetStyleLabel(int32_t styleIndex)
{
    return styleIndex >= 0 && styleIndex < kCharacterStyleCount ? kStyleLabels[styleIndex] : nullptr;
}

void SetWidgetHidden(Widget *widget, bool hidden)
{
    uint32_t flags = widget->GetWidgetFlags();
    widget->SetWidgetFlags(hidden ? flags | kWidgetHidden : flags & ~kWidgetHidden);
}

int32_t GetStyleLabelSlot(const Design &design, int32_t styleIndex)
{
    const uint8_t *map = design.styleMaps[styleIndex];
    int32_t slot = map[0];
    if (slot == 0 && map[1] < kDesignFontSlotCount) slot = map[1];
    if (slot >= kDesignFontSlotCount || design.fonts.slots[slot] == nullptr) slot = 0;
    return slot;
}

void Editor::BuildToolPanel()
{
    if (toolBandRoot == nullptr || statusBandRoot == nullptr) return;
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    const float scale = dpi > 0.0F ? 72.0F / dpi : 1.0F;
    const float W = float(clientWidth) * scale;
    const float H = float(clientHeight) * scale;
    const float B = kToolBandHeight;
    const float S = kStatusBandHeight;
    const ToolPanelState &tools = settings.state.toolPanel;
    const Design &design = document.design;

    // Stale children (the caller normally deletes them first) go before the new ones come.
    DeleteToolPanel();
    toolBandRoot->InvalidatePosition();
    statusBandRoot->InvalidatePosition();
    if (panel.toolIcons == nullptr) panel.toolIcons = LoadIconFile(*renderer, "Tools");
    GlyphTexturePair *icons = panel.toolIcons;

    // Tool band.
    Widget *band = toolBandRoot;
    Append(band, new QuadWidget(Point2D(0, 0), Vector2D(W, B), kBandColor));
    // The groups are enabled, so their buttons take the pointer, and of no size, so they take none.
    Widget *equationTools = Append(band, new Widget('cont', Point2D(0, 0), Vector2D(0, 0)));
    Widget *drawingTools = Append(band, new Widget('cont', Point2D(0, 0), Vector2D(0, 0)));
    equationTools->SetWidgetFlags(0);
    drawingTools->SetWidgetFlags(0);
    const bool equationGroup = drawingToolGroup == kToolGroupEquation;
    SetWidgetHidden(equationTools, !equationGroup);
    SetWidgetHidden(drawingTools, equationGroup);
    panel.equationTools.SetTarget(equationTools);
    panel.drawingTools.SetTarget(drawingTools);
    Append(band, new FillWidget(Point2D(120, 0), Vector2D(1, B), kSeparatorColor));
    Append(equationTools, new FillWidget(Point2D(161, 0), Vector2D(1, B), kSeparatorColor));
    Append(drawingTools, new FillWidget(Point2D(194, 0), Vector2D(1, B), kSeparatorColor));
    Append(band, new FillWidget(Point2D(0, B - 0.5F), Vector2D(W, 1), kEdgeColor));
    const int32_t groupGlyphs[4] = {kToolsGlyphEquationGroup, kToolsGlyphAnnotationGroup, tools.lineTool,
                                    tools.shapeTool};
    for (int i = 0; i < 4; ++i)
    {
        PictureButton *button = MakeButton(icons, groupGlyphs[i], 4.0F + 28.0F * float(i), 4, 20, kPictureLatch,
                                           drawingToolGroup == kToolGroups[i]);
        panel.toolGroupButtons[i].SetTarget(Append(band, button));
    }
    Append(band, MakeButton(icons, kToolsGlyphArrow, 60, 26, 10, kPictureImmediate));
    Append(band, MakeButton(icons, kToolsGlyphArrow, 88, 26, 10, kPictureImmediate));

    // Equation tools: the equation colour and the palettes.
    AppendSwatch(equationTools, icons, 129, ResolveEditorColor(tools.equationColor, design),
                 tools.equationColor.paletteIndex < 0, false, &panel.equationSwatch, &panel.equationMarker);
    for (int32_t i = 0; i < kPaletteButtonCount; ++i)
        Append(equationTools, new PictureButton(icons, kToolsGlyphFirstPalette + i, Point2D(171.0F + 36.0F * float(i), 4),
                                                Vector2D(32, 32), 6.0F, kPictureImmediate, 0, false));

    // Drawing tools: fill and stroke colours, then the style choices with their arrows.
    AppendSwatch(drawingTools, icons, 129, ResolveEditorColor(tools.fillColor, design), tools.fillColor.paletteIndex < 0,
                 false, &panel.fillSwatch, &panel.fillMarker);
    AppendSwatch(drawingTools, icons, 161, ResolveEditorColor(tools.strokeColor, design),
                 tools.strokeColor.paletteIndex < 0, true, &panel.strokeSwatch, &panel.strokeMarker);
    const int32_t choices[kStyleChoiceButtonCount] = {tools.widthChoice,         tools.dashChoice,
                                                      tools.startDecorationChoice, tools.finishDecorationChoice,
                                                      tools.startLengthChoice,   tools.finishLengthChoice,
                                                      tools.cornerRadiusChoice};
    const float choiceX[kStyleChoiceButtonCount] = {204, 232, 270, 298, 336, 364, 402};
    for (int32_t i = 0; i < kStyleChoiceButtonCount; ++i)
    {
        panel.styleChoiceButtons[i].SetTarget(
            Append(drawingTools, MakeButton(icons, choices[i], choiceX[i], 4, 20, kPicturePush)));
        Append(drawingTools, MakeButton(icons, kToolsGlyphArrow, choiceX[i], 26, 10, kPictureImmediate));
    }

    // Status band.
    if (panel.statusFont == nullptr) panel.statusFont = LoadFontByIndex(57);
    Widget *status = statusBandRoot;
    const float T = H - S;
    const uint32_t mode = settings.state.editMode;
    Append(status, new QuadWidget(Point2D(50, T), Vector2D(W - 50, S), kStatusColor));
    for (int i = 0; i < 3; ++i)
    {
        uint8_t bytes[4];
        ColorBytes(settings.preferences.colors[kModeColorSlots[i]], bytes);
        Widget *quad = Append(status, new QuadWidget(Point2D(0, T), Vector2D(50, S), bytes));
        SetWidgetHidden(quad, kEditModes[i] != mode);
        panel.modeColors[i].SetTarget(quad);
    }
    for (float x : {49.5F, 119.5F, 199.5F}) Append(status, new FillWidget(Point2D(x, T), Vector2D(1, S), kEdgeColor));
    Append(status, new FillWidget(Point2D(0, T - 0.5F), Vector2D(W, 1), kEdgeColor));
    for (int i = 0; i < 3; ++i)
    {
        Widget *label = Append(status, MakeLabel(panel.statusFont, 10, 'CENT', kModeLabels[i], 0, H - 5, 50, S, scale));
        SetWidgetHidden(label, kEditModes[i] != mode);
        panel.modeLabels[i].SetTarget(label);
    }
    panel.fontSizeField.SetTarget(Append(status, MakeLabel(panel.statusFont, 10, 'CENT', nullptr, 50, H - 5, 70, S, scale)));
    panel.zoomField.SetTarget(Append(status, MakeLabel(panel.statusFont, 10, 'CENT', nullptr, 120, H - 5, 80, S, scale)));
    for (int32_t i = 0; i < kCharacterStyleCount; ++i)
    {
        if (kStyleLabels[i] == nullptr) continue;
        Font *font = design.fonts.slots[GetStyleLabelSlot(design, i)];
        Widget *label = Append(status, MakeLabel(font, 13, 'LEFT', kStyleLabels[i], 216, H - 4.5F, 0, 0, scale));
        SetWidgetHidden(label, true);
        panel.styleLabels[i].SetTarget(label);
    }

    UpdateFontSizeField();
    UpdateZoomField();
}

void Editor::DeleteToolPanel()
{
    DeleteChildren(toolBandRoot);
    DeleteChildren(statusBandRoot);
}

void Editor::UpdateFontSizeField()
{
    auto *field = static_cast<TextWidget *>(panel.fontSizeField.GetTarget());
    if (field == nullptr || panel.statusFont == nullptr) return;
    const float size = document.design.GetBaseFontSize();
    char text[80];
    int32_t length;
    // The integer form only where the value fits one.
    if (std::isfinite(size) && std::fabs(size) < 2.0e9F && size == std::trunc(size))
        length = Int32ToText(int32_t(size), text, 63);
    else
        length = FloatToText(size, text, 63);
    text[length] = 0;
    field->text = TextString(text, " pt");
    field->Invalidate();
}

void Editor::UpdateZoomField()
{
    auto *field = static_cast<TextWidget *>(panel.zoomField.GetTarget());
    if (field == nullptr || panel.statusFont == nullptr) return;
    double percent = double(zoom) * 100.0 + 0.5;
    // Out-of-range zooms (the setter clamps) still give a number.
    if (!(percent >= 0.0)) percent = 0.0;
    if (percent > 2.0e9) percent = 2.0e9;
    char text[16];
    int32_t length = Int32ToText(int32_t(percent), text, 12);
    text[length] = 0;
    field->text = TextString(text, "%");
    field->Invalidate();
}

void Editor::ReleaseToolPanelResources()
{
    DeleteToolPanel();
    if (panel.statusFont != nullptr) panel.statusFont->Release();
    panel.statusFont = nullptr;
    if (Renderer *renderer = GetRenderer()) FreeLoadedTexturePair(*renderer, panel.toolIcons);
    panel.toolIcons = nullptr;
}

}  // namespace oq
