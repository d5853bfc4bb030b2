#pragma once

#include "editor/fonts/Design.h"
#include "editor/platform/Link.h"

#include <cstdint>

namespace oq {

class Font;
class Widget;
struct GlyphTexturePair;

// Band heights in points and the status band's field right edges (the pointer dispatcher's).
constexpr float kToolBandHeight = 40.0F;
constexpr float kStatusBandHeight = 18.0F;
constexpr float kStatusFieldEdges[3] = {50.0F, 120.0F, 200.0F};

constexpr int32_t kPaletteButtonCount = 17;
constexpr int32_t kStyleChoiceButtonCount = 7;

// Glyph codes of the "Tools" icons the panel names itself.
constexpr int32_t kToolsGlyphEquationGroup = 0;
constexpr int32_t kToolsGlyphAnnotationGroup = 1;
constexpr int32_t kToolsGlyphArrow = 25;
constexpr int32_t kToolsGlyphPaletteMarker = 28;
constexpr int32_t kToolsGlyphFirstPalette = 68;

// The band widgets the editor changes after a build, and what the bands draw with. Every widget
// reference is weak: deleting the bands (a size change) empties it, and an empty link means that
// band does not exist until the next build.
struct ToolPanelWidgets
{
    Link<Widget> equationTools;
    Link<Widget> drawingTools;
    Link<Widget> toolGroupButtons[4];  // groups 0, 'anno', 'line', 'shap'
    Link<Widget> equationSwatch;
    Link<Widget> equationMarker;
    Link<Widget> fillSwatch;
    Link<Widget> fillMarker;
    Link<Widget> strokeSwatch;
    Link<Widget> strokeMarker;
    Link<Widget> styleChoiceButtons[kStyleChoiceButtonCount];  // width, dash, ends, lengths, corner
    Link<Widget> modeColors[3];                                // math, chem, text
    Link<Widget> modeLabels[3];
    Link<Widget> fontSizeField;
    Link<Widget> zoomField;
    Link<Widget> styleLabels[kCharacterStyleCount];  // by StyleMap order; empty for styles without a label

    Font *statusFont = nullptr;            // MasterFontTable row 57, loaded once
    GlyphTexturePair *toolIcons = nullptr;  // "Tools", loaded once
};

// The status-band label of a character style (UTF-8), null for the four symbol styles.
const char *GetStyleLabel(int32_t styleIndex);

// The font slot a style's label is drawn in: the style's first StyleMap slot, or its second when
// the first is 0 and the second a slot; slot 0 when that slot holds no font.
int32_t GetStyleLabelSlot(const Design &design, int32_t styleIndex);

// Sets or clears a widget's hidden flag.
void SetWidgetHidden(Widget *widget, bool hidden);

}  // namespace oq
