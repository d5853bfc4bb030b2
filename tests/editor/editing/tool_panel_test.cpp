// The tool band and the status band: every widget with its place, size, colour and visibility,
// the field texts, rebuilds after a size change, the setters' effects on the bands, and setters
// running while the bands are deleted.
#include "EditorFixture.h"

#include "base/Color.h"
#include "editor/editing/SharedUiResources.h"
#include "editor/fonts/LoadableFont.h"
#include "editor/platform/ColorButton.h"
#include "editor/platform/DataFileLoaders.h"
#include "editor/platform/DrawableWidget.h"
#include "editor/platform/PictureButton.h"
#include "editor/platform/RecordingDevice.h"
#include "editor/platform/RendererProbe.h"
#include "editor/platform/TextWidget.h"
#include "editor/platform/WidgetProbe.h"
#include "vorl/geometry/VorlGraphicsFile.h"
#include "vorl/text/VorlFileHeader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace oq::test {
namespace {

std::string Hex(const uint8_t *bytes)
{
    char text[16];
    std::snprintf(text, sizeof(text), "#%02X%02X%02X", bytes[0], bytes[1], bytes[2]);
    return text;
}

// A 32-bit colour (red in the low byte) as "#RRGGBB".
std::string Hex(uint32_t color)
{
    const uint8_t bytes[3] = {uint8_t(color), uint8_t(color >> 8), uint8_t(color >> 16)};
    return Hex(bytes);
}

uint8_t EncodeLinear(float linear)
{
    return uint8_t(std::lround(LinearToSrgb(linear) * 255.0F));
}

std::string HexOfLinear(const float *rgb)
{
    const uint8_t bytes[3] = {EncodeLinear(rgb[0]), EncodeLinear(rgb[1]), EncodeLinear(rgb[2])};
    return Hex(bytes);
}

// The colour a drawing widget was built with, read back from what it gave the device: the quad's
// vertex colour, the fill's Vorl vertex colour (linear bytes or floats), the swatch's constant.
std::string WidgetColor(const Widget &widget, RecordingDevice &device)
{
    const uint32_t type = widget.GetWidgetType();
    if (type != 'quad' && type != 'fill' && type != 'clbt') return "";
    const auto &drawable = static_cast<const DrawableWidget &>(widget);
    const std::vector<uint8_t> &bytes = device.buffers[drawable.object.vertexBuffer].bytes;
    float rgb[3] = {};
    switch (type)
    {
    case 'quad':
        if (bytes.size() < 20) return " no-vertices";
        std::memcpy(rgb, bytes.data() + 8, sizeof(rgb));
        return " " + HexOfLinear(rgb);
    case 'fill':
        if (drawable.object.vertexStride == 80 && bytes.size() >= 76)
            std::memcpy(rgb, bytes.data() + 64, sizeof(rgb));
        else if (bytes.size() >= 67)
            for (int i = 0; i < 3; ++i) rgb[i] = float(bytes[size_t(64 + i)]) / 255.0F;
        else
            return " no-vertices";
        return " " + HexOfLinear(rgb);
    case 'clbt':
    {
        const ColorRGBA &color = drawable.object.color;
        const float linear[3] = {color.red, color.green, color.blue};
        return " " + HexOfLinear(linear);
    }
    }
    return "";
}

char FormatBuffer[160];

// One line per widget, subwidgets indented: kind, local position, size, colour, glyph, pressed,
// text with its size and alignment, hidden.
void DumpTree(const Widget &root, RecordingDevice &device, int depth, std::vector<std::string> *lines)
{
    for (const Widget *widget = root.GetFirstSubwidget(); widget; widget = widget->GetNextWidget())
    {
        const Point2D &p = widget->GetLocalPosition();
        const Vector2D &s = widget->GetWidgetSize();
        std::snprintf(FormatBuffer, sizeof(FormatBuffer), "%s %g,%g %gx%g", FourCC(widget->GetWidgetType()).c_str(),
                      double(p.x), double(p.y), double(s.x), double(s.y));
        std::string line = std::string(size_t(2 * depth), ' ') + FormatBuffer + WidgetColor(*widget, device);
        const uint32_t type = widget->GetWidgetType();
        if (type == 'pcbt' || type == 'pict')
            line += " glyph " + std::to_string(static_cast<const IconWidget *>(widget)->iconIndex);
        if (type == 'pcbt' && (widget->GetWidgetFlags() & kWidgetPressed)) line += " down";
        if (type == 'text')
        {
            const auto *text = static_cast<const TextWidget *>(widget);
            std::snprintf(FormatBuffer, sizeof(FormatBuffer), " \"%s\" %g %s", text->text.GetText(),
                          double(text->layoutState.size), FourCC(text->layoutState.alignment).c_str());
            line += FormatBuffer;
        }
        if (widget->GetWidgetFlags() & kWidgetHidden) line += " hidden";
        lines->push_back(line);
        DumpTree(*widget, device, depth + 1, lines);
    }
}

std::vector<uint8_t> ReadFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    const std::string data = bytes.str();
    return std::vector<uint8_t>(data.begin(), data.end());
}

// The editor with its two band roots over the harness's recording renderer, whose Data folder
// holds the status-band font (row 57) and the built "Tools" icons. The client area is 800 x 600
// points, given as pixels at 144 dpi.
class ToolPanelTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        ASSERT_TRUE(LayoutTestDocument(editor));  // starts the renderer and loads the design's fonts
        Renderer *renderer = GetRenderer();
        ASSERT_NE(renderer, nullptr);
        const std::string data = renderer->GetDataFolder();
        const std::vector<uint8_t> font = MakeLoadableFont(1);
        ASSERT_TRUE(WriteBytes(data + "/57.vorl", font.data(), font.size()));
        const std::vector<uint8_t> icons = ReadFile(OQ_DATA_DIR "/Tools.vorl");
        ASSERT_FALSE(icons.empty()) << "the build compiles Tools.vorl";
        ASSERT_TRUE(WriteBytes(data + "/Tools.vorl", icons.data(), icons.size()));
        device = static_cast<RecordingDevice *>(renderer->GetDevice());
        editor->dpi = 144.0F;
        editor->AttachMainWindow(1, 1600, 1200);  // makes the band roots, which the editor owns
        ASSERT_NE(editor->toolBandRoot, nullptr);
        ASSERT_NE(editor->statusBandRoot, nullptr);
    }

    void TearDown() override
    {
        editor->ReleaseToolPanelResources();
        EditorFixture::TearDown();
    }

    std::vector<std::string> Dump(const Widget &root)
    {
        std::vector<std::string> lines;
        DumpTree(root, *device, 0, &lines);
        return lines;
    }

    // The lines of the dump that hold the part and are not hidden.
    std::vector<std::string> Visible(const Widget &root, const std::string &part)
    {
        std::vector<std::string> found;
        for (const std::string &line : Dump(root))
        {
            if (line.find(part) != std::string::npos && line.find("hidden") == std::string::npos) found.push_back(line);
        }
        return found;
    }

    TextWidget *Field(Link<Widget> &link) { return static_cast<TextWidget *>(link.GetTarget()); }

    const Widget &ToolBand() const { return *editor->toolBandRoot; }
    const Widget &StatusBand() const { return *editor->statusBandRoot; }

    RecordingDevice *device = nullptr;
};

TEST_F(ToolPanelTest, BandsHoldTheWidgetsOfTheLayout)
{
    editor->BuildToolPanel();
    const uint32_t *palette = editor->document.design.palette;
    const std::string separator = " #C0C0C0";
    const std::string edge = " #808080";
    std::vector<std::string> tool = {
        "quad 0,0 800x40 #FAFAFA",
        "cont 0,0 0x0",
        "  fill 161,0 1x40" + separator,
        "  clbt 129,4 24x20 " + Hex(palette[0]),
        "  pcbt 129,26 10x10 glyph 25",
        "  pict 146,1 10x10 glyph 28",
    };
    for (int i = 0; i < 17; ++i)
        tool.push_back("  pcbt " + std::to_string(171 + 36 * i) + ",4 32x32 glyph " + std::to_string(68 + i));
    const std::vector<std::string> drawing = {
        "cont 0,0 0x0 hidden",
        "  fill 194,0 1x40" + separator,
        "  clbt 129,4 24x20 " + Hex(palette[9]),
        "  pcbt 129,26 10x10 glyph 25",
        "  pict 146,1 10x10 glyph 28",
        "  clbt 161,4 24x20 " + Hex(palette[0]),
        "  pcbt 161,26 10x10 glyph 25",
        "  pict 178,1 10x10 glyph 28",
    };
    tool.insert(tool.end(), drawing.begin(), drawing.end());
    const struct
    {
        int x;
        int glyph;
    } choices[] = {{204, 38}, {232, 43}, {270, 47}, {298, 53}, {336, 59}, {364, 62}, {402, 66}};
    for (const auto &c : choices)
    {
        tool.push_back("  pcbt " + std::to_string(c.x) + ",4 20x20 glyph " + std::to_string(c.glyph));
        tool.push_back("  pcbt " + std::to_string(c.x) + ",26 10x10 glyph 25");
    }
    const std::vector<std::string> rest = {
        "fill 120,0 1x40" + separator,
        "fill 0,39.5 800x1" + edge,
        "pcbt 4,4 20x20 glyph 0 down",
        "pcbt 32,4 20x20 glyph 1",
        "pcbt 60,4 20x20 glyph 2",
        "pcbt 88,4 20x20 glyph 14",
        "pcbt 60,26 10x10 glyph 25",
        "pcbt 88,26 10x10 glyph 25",
    };
    tool.insert(tool.end(), rest.begin(), rest.end());
    EXPECT_EQ(Dump(ToolBand()), tool);

    const uint32_t *modes = &editor->settings.preferences.colors[kColorMathMode];
    std::vector<std::string> status = {
        "quad 50,582 750x18 #F8F8F8",
        "quad 0,582 50x18 " + Hex(modes[0]),
        "quad 0,582 50x18 " + Hex(modes[1]) + " hidden",
        "quad 0,582 50x18 " + Hex(modes[2]) + " hidden",
        "fill 49.5,582 1x18" + edge,
        "fill 119.5,582 1x18" + edge,
        "fill 199.5,582 1x18" + edge,
        "fill 0,581.5 800x1" + edge,
        "text 0,595 50x18 \"MATH\" 10 CENT",
        "text 0,595 50x18 \"CHEM\" 10 CENT hidden",
        "text 0,595 50x18 \"TEXT\" 10 CENT hidden",
        "text 50,595 70x18 \"11 pt\" 10 CENT",
        "text 120,595 80x18 \"200%\" 10 CENT",  // the window's first view
    };
    const char *labels[] = {"U", "I", "B", "B", "M", "Σ", "Σ", "Σ", "Σ", "U", "I", "B", "B",
                            "𝒮", "𝓢", "𝔉", "𝕱", "𝔻", "𝖴", "𝘐", "𝗕", "𝘽"};
    for (const char *label : labels) status.push_back(std::string("text 216,595.5 0x0 \"") + label + "\" 13 LEFT hidden");
    EXPECT_EQ(Dump(StatusBand()), status);
}

TEST_F(ToolPanelTest, ModeGroupAndColoursAreReadAtEachBuild)
{
    editor->SetEditMode(kEditModeText);
    editor->SetDrawingToolGroup(kToolGroupShape);
    ToolPanelState &tools = editor->settings.state.toolPanel;
    tools.strokeColor = {-1, 0xFF2040C0};  // explicit: no palette marker
    tools.equationColor = {40, 0};           // past the palette: entry 0
    tools.lineTool = 7;
    editor->BuildToolPanel();
    // Text mode: only "TEXT" and the text mode colour.
    EXPECT_EQ(Visible(StatusBand(), "0,595 50x18"), std::vector<std::string>{"text 0,595 50x18 \"TEXT\" 10 CENT"});
    const std::string textColor = Hex(editor->settings.preferences.colors[kColorTextMode]);
    EXPECT_EQ(Visible(StatusBand(), "quad 0,582"), std::vector<std::string>{"quad 0,582 50x18 " + textColor});
    const std::vector<std::string> lines = Dump(ToolBand());
    auto has = [&](const std::string &line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has("cont 0,0 0x0 hidden"));  // the equation tools
    EXPECT_TRUE(has("pcbt 60,4 20x20 glyph 7"));
    EXPECT_TRUE(has("pcbt 88,4 20x20 glyph 14 down"));
    EXPECT_TRUE(has("  clbt 161,4 24x20 #C04020"));
    EXPECT_TRUE(has("  pict 178,1 10x10 glyph 28 hidden"));
    EXPECT_TRUE(has("  clbt 129,4 24x20 " + Hex(editor->document.design.palette[0])));
}

TEST_F(ToolPanelTest, FieldTexts)
{
    editor->BuildToolPanel();
    const struct
    {
        float fontSize;
        float zoom;
        const char *sizeText;
        const char *zoomText;
    } cases[] = {
        {11.0F, 2.0F, "11 pt", "200%"},
        {10.5F, 0.333F, "10.5 pt", "33%"},
        {12.25F, 0.25F, "12.25 pt", "25%"},
        {3.0e10F, 10000.0F, "3.0e10 pt", "1000000%"},  // no integer form past int32
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.sizeText);
        editor->document.design.SetBaseFontSize(c.fontSize);
        editor->zoom = c.zoom;
        editor->UpdateFontSizeField();
        editor->UpdateZoomField();
        EXPECT_STREQ(Field(editor->panel.fontSizeField)->text.GetText(), c.sizeText);
        EXPECT_STREQ(Field(editor->panel.zoomField)->text.GetText(), c.zoomText);
    }
}

TEST_F(ToolPanelTest, RebuildAfterASizeChangeUsesTheNewSize)
{
    editor->BuildToolPanel();
    const size_t toolCount = Dump(ToolBand()).size();
    const size_t statusCount = Dump(StatusBand()).size();
    editor->SetStyleKey('bold');
    // The size handler deletes the bands' children and renders at once, which builds them anew.
    ASSERT_TRUE(editor->OnSize(1280, 960));
    const std::vector<std::string> tool = Dump(ToolBand());
    const std::vector<std::string> status = Dump(StatusBand());
    EXPECT_EQ(tool.size(), toolCount);
    EXPECT_EQ(status.size(), statusCount);
    EXPECT_EQ(tool.front(), "quad 0,0 640x40 #FAFAFA");
    EXPECT_EQ(status.front(), "quad 50,462 590x18 #F8F8F8");
    EXPECT_EQ(Visible(StatusBand(), "fill 0,461.5 640x1").size(), 1u);
    EXPECT_EQ(Visible(StatusBand(), "text 0,475 50x18 \"MATH\"").size(), 1u);
    // The pending style key shows again only at its next change.
    EXPECT_TRUE(Visible(StatusBand(), "13 LEFT").empty());
}

TEST_F(ToolPanelTest, SettersChangeTheBands)
{
    editor->BuildToolPanel();
    editor->SetEditMode(kEditModeChem);
    EXPECT_EQ(Visible(StatusBand(), "0,595 50x18"), std::vector<std::string>{"text 0,595 50x18 \"CHEM\" 10 CENT"});
    EXPECT_EQ(Visible(StatusBand(), "quad 0,582").size(), 1u);

    const struct
    {
        uint32_t key;
        const char *shown;  // the one visible style label, or null
    } keys[] = {{'ital', "\"I\""}, {'frkt', "\"𝔉\""}, {'sym1', nullptr}, {'bisn', "\"𝘽\""}, {0, nullptr}};
    for (const auto &k : keys)
    {
        SCOPED_TRACE(FourCC(k.key));
        editor->SetStyleKey(k.key);
        const std::vector<std::string> shown = Visible(StatusBand(), "13 LEFT");
        ASSERT_EQ(shown.size(), k.shown ? 1u : 0u);
        if (k.shown)
        {
            EXPECT_NE(shown[0].find(k.shown), std::string::npos) << shown[0];
        }
    }

    const struct
    {
        uint32_t group;
        const char *down;
        bool drawing;
    } groups[] = {{kToolGroupLine, "pcbt 60,4", true},
                  {kToolGroupAnnotation, "pcbt 32,4", false},
                  {kToolGroupShape, "pcbt 88,4", true},
                  {kToolGroupEquation, "pcbt 4,4", false}};
    for (const auto &g : groups)
    {
        SCOPED_TRACE(FourCC(g.group));
        editor->SetDrawingToolGroup(g.group);
        const std::vector<std::string> down = Visible(ToolBand(), " down");
        ASSERT_EQ(down.size(), 1u);
        EXPECT_EQ(down[0].rfind(g.down, 0), 0u) << down[0];
        for (int i = 0; i < 4; ++i)
        {
            const auto *button = static_cast<PictureButton *>(editor->panel.toolGroupButtons[i].GetTarget());
            const bool pressed = (button->GetWidgetFlags() & kWidgetPressed) != 0;
            EXPECT_EQ(button->box.color.red, pressed ? 0.75F : 1.0F);
        }
        EXPECT_EQ(editor->panel.equationTools.GetTarget()->GetWidgetFlags() & kWidgetHidden,
                  g.drawing ? kWidgetHidden : 0u);
        EXPECT_EQ(editor->panel.drawingTools.GetTarget()->GetWidgetFlags() & kWidgetHidden,
                  g.drawing ? 0u : kWidgetHidden);
    }
    // An unknown group is stored and changes no widget.
    editor->SetDrawingToolGroup('xxxx');
    EXPECT_EQ(editor->drawingToolGroup, uint32_t('xxxx'));
    EXPECT_EQ(Visible(ToolBand(), " down").size(), 1u);
}

// A size change deletes the bands; setters that run before the next build in the same turn find
// empty links and only store their values.
TEST_F(ToolPanelTest, SettersBetweenDeleteAndRebuildTouchNoFreedWidget)
{
    editor->BuildToolPanel();
    ASSERT_NE(editor->panel.modeLabels[0].GetTarget(), nullptr);
    editor->DeleteToolPanel();  // a size change or a design load; the next frame builds them
    for (Link<Widget> *link : {&editor->panel.equationTools, &editor->panel.modeColors[1], &editor->panel.zoomField,
                               &editor->panel.styleLabels[0], &editor->panel.toolGroupButtons[3]})
        EXPECT_EQ(link->GetTarget(), nullptr);
    editor->SetEditMode(kEditModeText);
    editor->SetStyleKey('bold');
    editor->SetDrawingToolGroup(kToolGroupShape);
    editor->zoom = 3.0F;
    editor->UpdateZoomField();
    editor->UpdateFontSizeField();
    EXPECT_EQ(editor->GetEditMode(), kEditModeText);
    EXPECT_EQ(editor->styleKey, uint32_t('bold'));
    EXPECT_EQ(editor->drawingToolGroup, kToolGroupShape);
    editor->BuildToolPanel();
    EXPECT_TRUE(ToolBand().IsPositionDirty());
    EXPECT_TRUE(StatusBand().IsPositionDirty());
    EXPECT_EQ(Visible(StatusBand(), "0,595 50x18"), std::vector<std::string>{"text 0,595 50x18 \"TEXT\" 10 CENT"});
    EXPECT_EQ(Visible(ToolBand(), " down"), std::vector<std::string>{"pcbt 88,4 20x20 glyph 14 down"});
    EXPECT_EQ(Visible(StatusBand(), "\"300%\"").size(), 1u);
}

TEST_F(ToolPanelTest, MissingRootBuildsNothingMissingFilesLeaveEmptyFaces)
{
    Widget *status = editor->statusBandRoot;
    editor->statusBandRoot = nullptr;
    editor->BuildToolPanel();
    EXPECT_EQ(ToolBand().GetFirstSubwidget(), nullptr);
    editor->statusBandRoot = status;
    // Without the "Tools" file and the status font the bands are built with empty icons and labels.
    ReleaseSharedUiResources();  // their UI font would keep row 57's file loaded
    const std::string data = GetRenderer()->GetDataFolder();
    ASSERT_EQ(std::remove((data + "/Tools.vorl").c_str()), 0);
    ASSERT_EQ(std::remove((data + "/57.vorl").c_str()), 0);
    editor->BuildToolPanel();
    EXPECT_EQ(editor->panel.toolIcons, nullptr);
    EXPECT_EQ(editor->panel.statusFont, nullptr);
    EXPECT_EQ(Dump(ToolBand()).size(), 53u);
    EXPECT_STREQ(Field(editor->panel.zoomField)->text.GetText(), "");  // fields wait for the font
}

TEST_F(ToolPanelTest, ToolsIconFileHasEveryGlyphCode)
{
    GlyphTexturePair *icons = LoadIconFile(*GetRenderer(), "Tools");
    ASSERT_NE(icons, nullptr);
    const auto *header = reinterpret_cast<const VorlGraphicsHeader *>(icons->fileData + kVorlGraphicsHeaderOffset);
    EXPECT_EQ(header->iconCount, 85);
    const auto *records = reinterpret_cast<const VorlIconRecord *>(reinterpret_cast<const uint8_t *>(header) +
                                                                   header->iconRecordOffset);
    for (int32_t code = 0; code < header->iconCount; ++code)
    {
        const bool named = code <= 20 || code == 25 || code == 28 || code >= 38;
        EXPECT_EQ(records[code].layerCount > 0, named) << "glyph " << code;
    }
    FreeLoadedTexturePair(*GetRenderer(), icons);
}

TEST_F(ToolPanelTest, SharedUiResourcesLeaveMissingIconFilesEmpty)
{
    // The main window made them: the UI font and the palette fonts of the rows the Data folder has.
    SharedUiResources &shared = GetSharedUiResources();
    EXPECT_TRUE(shared.created);
    EXPECT_NE(shared.uiFont, nullptr);
    EXPECT_NE(shared.paletteFonts[0], nullptr);
    EXPECT_EQ(shared.paletteFonts[2], nullptr);
    ReleaseSharedUiResources();

    const std::string data = GetRenderer()->GetDataFolder();
    const std::vector<uint8_t> icons = ReadFile(data + "/Tools.vorl");
    ASSERT_TRUE(WriteBytes(data + "/Marks.vorl", icons.data(), icons.size()));
    ASSERT_TRUE(WriteBytes(data + "/Matrices.vorl", "not an icon file", 16));
    const std::vector<uint8_t> font = MakeLoadableFont(1);
    for (const char *name : {"3.vorl", "48.vorl"}) ASSERT_TRUE(WriteBytes(data + "/" + name, font.data(), font.size()));
    CreateSharedUiResources();
    EXPECT_TRUE(shared.created);
    EXPECT_NE(shared.uiFont, nullptr);
    for (int32_t i = 0; i < kPaletteFontCount; ++i) EXPECT_NE(shared.paletteFonts[i], nullptr) << i;
    for (int32_t i = 0; i < kStructureIconFileCount; ++i)
        EXPECT_EQ(shared.structureIcons[i] != nullptr, i == 1) << kStructureIconFileNames[i];
    // Made once: a second call keeps what the first loaded.
    GlyphTexturePair *marks = shared.structureIcons[1];
    CreateSharedUiResources();
    EXPECT_EQ(shared.structureIcons[1], marks);
    ReleaseSharedUiResources();
    EXPECT_FALSE(shared.created);
    EXPECT_EQ(shared.uiFont, nullptr);
}

}  // namespace
}  // namespace oq::test
