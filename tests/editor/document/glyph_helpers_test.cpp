#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Color.h"
#include "editor/document/GlyphExport.h"
#include "editor/document/GlyphLayout.h"
#include "editor/document/SingleGlyphNode.h"
#include "editor/fonts/Design.h"
#include "editor/platform/FontProbe.h"
#include "editor/platform/GlyphMeshItem.h"
#include "editor/platform/RendererProbe.h"
#include "vorl/text/GlyphMapping.h"
#include "vorl/text/TextRun.h"

namespace oq {
namespace {

using test::VorlFontBuilder;

// Glyphs of the test font, with curves of known points (exact in half floats).
enum : uint32_t
{
    kMissing,      // a square
    kLetterA,      // 'A': two curves, an ink box off the origin, band data
    kStar,         // U+2605: a square of its own and two colour layers
    kLayerTop,     // one curve
    kLayerBottom,  // two curves
    kCut,          // 'C': a contour run of three curves, of which the glyph has two
    kBlank,        // 'E': no curves
    kGlyphCount
};

const std::vector<Point2D> kSquare = {{0, 0}, {0.25F, 0}, {0.5F, 0}, {0.5F, 0.25F}, {0.5F, 0.5F},
                                      {0.25F, 0.5F}, {0, 0.5F}, {0, 0.25F}, {0, 0}};
const std::vector<Point2D> kLetterAChain = {{0.25F, 0.125F}, {0.5F, 1}, {0.75F, 0.125F}, {0.5F, 0.25F}, {0.25F, 0.125F}};
const std::vector<Point2D> kTopChain = {{0, 0}, {0.25F, 0.5F}, {0.5F, 0}};
const std::vector<Point2D> kBottomChain = {{0, 0}, {0.5F, 0}, {0.5F, -0.25F}, {0, -0.25F}, {0, 0}};
const std::vector<Point2D> kCutChain = {{0, 0}, {0.5F, 0}, {1, 0}, {1, 0.5F}, {1, 1}, {0.5F, 1}, {0, 0}};
constexpr uint8_t kRed[4] = {255, 0, 0, 255};
constexpr uint8_t kBlue[4] = {0, 0, 255, 128};

std::vector<uint8_t> MakeGlyphFont()
{
    VorlFontBuilder builder;
    builder.curveFormat = kTexelFormatFloat4;
    builder.curveWidth = 64;
    builder.bandWidth = 64;
    test::VorlFontDescription &font = builder.AddFont();
    font.AddFloats('AXIS', {0.25F});
    font.AddFloats('HITE', {0.7F, 0.5F});
    font.AddFloats('SLNT', {0.0F});
    font.Map('A', kLetterA);
    font.Map(0x2605, kStar);
    font.Map('C', kCut);
    font.Map('E', kBlank);
    // Advance 0.6 em, past every box but the letter's and the cut glyph's.
    for (uint32_t i = 0; i < kGlyphCount; ++i) builder.AddGlyph(0.6F);
    auto setBox = [&](uint32_t glyph, float x0, float y0, float x1, float y1) {
        float *box = builder.glyphs[glyph].box;
        box[0] = x0;
        box[1] = y0;
        box[2] = x1;
        box[3] = y1;
    };
    builder.SetContours(kMissing, {kSquare});
    setBox(kMissing, 0, 0, 0.5F, 0.5F);
    builder.SetContours(kLetterA, {kLetterAChain});
    setBox(kLetterA, 0.25F, 0.125F, 0.75F, 0.5625F);
    builder.glyphs[kLetterA].advance = 1.0F;
    builder.bandTexels.assign(4, 0);
    builder.SetBands(kLetterA, 0, 0, 2, 2);
    builder.SetContours(kStar, {kSquare});
    setBox(kStar, 0, 0, 0.5F, 0.5F);
    builder.SetLayers(kStar, {{kLayerTop, {kRed[0], kRed[1], kRed[2], kRed[3]}},
                              {kLayerBottom, {kBlue[0], kBlue[1], kBlue[2], kBlue[3]}}});
    builder.SetContours(kLayerTop, {kTopChain});
    setBox(kLayerTop, 0, 0, 0.5F, 0.25F);
    builder.SetContours(kLayerBottom, {kBottomChain});
    setBox(kLayerBottom, 0, -0.25F, 0.5F, 0);
    builder.SetContours(kCut, {kCutChain});
    builder.glyphs[kCut].curveCount = 2;
    setBox(kCut, 0, 0, 1, 0.5F);
    return builder.Build();
}

// The curves of a chain, mapped by position + scale x point.
std::vector<QuadraticBezier2D> MappedChain(const std::vector<Point2D> &chain, Point2D at, Vector2D scale,
                                           size_t count = 0)
{
    std::vector<QuadraticBezier2D> curves;
    auto map = [&](const Point2D &p) { return Point2D(at.x + scale.x * p.x, at.y + scale.y * p.y); };
    for (size_t i = 0; i + 2 < chain.size(); i += 2)
        curves.emplace_back(map(chain[i]), map(chain[i + 1]), map(chain[i + 2]));
    if (count != 0) curves.resize(count);
    return curves;
}

std::vector<ExportCurveItem *> ExportItems(DisplayList &list)
{
    std::vector<ExportCurveItem *> items;
    for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
    {
        if (ExportCurveItem *item = dynamic_cast<ExportCurveItem *>(e)) items.push_back(item);
    }
    return items;
}

bool SameCurves(const ExportCurveItem *item, const std::vector<QuadraticBezier2D> &expected)
{
    if (item->curveCount != int32_t(expected.size())) return false;
    for (size_t i = 0; i < expected.size(); ++i)
    {
        const QuadraticBezier2D &a = item->curves[i];
        const QuadraticBezier2D &b = expected[i];
        if (!(a.p0 == b.p0 && a.p1 == b.p1 && a.p2 == b.p2)) return false;
    }
    return true;
}

uint32_t ColorWord(const uint8_t *c) { return c[0] | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16 | uint32_t(c[3]) << 24; }

// A single-glyph kind that measures as a mark does: the glyph's ink box, its lower left corner at
// the origin.
class TestGlyphNode : public SingleGlyphNode
{
public:
    TestGlyphNode(uint32_t c, uint32_t style) : SingleGlyphNode('mark'), codePoint(c), styleKey(style) {}
    TestGlyphNode(const TestGlyphNode &node) = default;

    DocumentNode *Clone() const override { return new TestGlyphNode(*this); }
    void WriteKettric(KettricDocument *, TextBuffer *) const override {}

    void LayoutAfterChildren(const Design *design) override
    {
        LayoutGlyph(design, codePoint, styleKey, alternateMask, styleSelector);
    }

    void Measure(const Design *design) override
    {
        GlyphBounds box;
        float advance = 0.0F;
        float em = GetEm(design);
        hasBox = GetGlyphBox(design, &box, &advance);
        glyphOffsetX = -em * box.xMin;
        glyphOffsetY = em * box.yMin;
        glyphScale = Matrix2D(em, 0.0F, 0.0F, em);
        width = em * (box.xMax - box.xMin);
        bottom = 0.0F;
        top = em * (box.yMax - box.yMin);
    }

    uint32_t codePoint;
    uint32_t styleKey;
    uint32_t alternateMask = 0;
    uint32_t styleSelector = 0;
    bool hasBox = false;
};

class GlyphHelpersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(r.WriteShaders());
        ASSERT_TRUE(r.Start());
        SetRenderer(&r.renderer);
        std::vector<uint8_t> image = MakeGlyphFont();
        ASSERT_TRUE(ValidateVorlFontFile(image.data(), image.size()));
        fonts[0] = test::LoadTestFont(r.renderer, r.data, "glyphs.vorl", image);
        fonts[1] = test::LoadTestFont(r.renderer, r.data, "bold.vorl", image);
        ASSERT_NE(fonts[0], nullptr);
        ASSERT_NE(fonts[1], nullptr);
        design = new Design;
        design->SetFont(0, fonts[0]);
        design->SetFont(1, fonts[1]);
        // Every style takes slot 0, except 'bold', which tries slot 1 first.
        for (int32_t s = 0; s < kCharacterStyleCount; ++s)
        {
            uint8_t *map = design->styleMaps[s];
            map[0] = 0;
            map[1] = map[2] = map[3] = kStyleMapEnd;
            if (kCharacterStyles[s] == int32_t('bold'))
            {
                map[0] = 1;
                map[1] = 0;
            }
        }
    }

    void TearDown() override
    {
        list.Purge();
        delete design;
        for (Font *font : fonts)
            if (font) font->Release();
        SetRenderer(nullptr);
    }

    const Font *Slot(int32_t slot) const { return design->fonts.slots[slot]; }

    test::RecordingRenderer r;
    Font *fonts[2] = {};
    Design *design = nullptr;
    DisplayList list;
};

// Both colour sources reach the layout state as linear values through the sRGB table.
TEST_F(GlyphHelpersTest, NodeColorsReachTheLayoutStateLinear)
{
    design->palette[3] = 0x80336699;  // alpha 0x80, blue 0x33, green 0x66, red 0x99
    const struct
    {
        int32_t paletteIndex;
        uint32_t colorValue;
        ColorRGBA expected;
    } cases[] = {
        {3, 0xFF000000, {kSrgbByteToLinear[0x99], kSrgbByteToLinear[0x66], kSrgbByteToLinear[0x33], 128.0F / 255.0F}},
        {-1, 0x40C08010, {kSrgbByteToLinear[0x10], kSrgbByteToLinear[0x80], kSrgbByteToLinear[0xC0], 64.0F / 255.0F}},
    };
    for (const auto &c : cases)
    {
        TestGlyphNode node('A', 'bold');
        node.paletteIndex = c.paletteIndex;
        node.colorValue = c.colorValue;
        node.scale = 2.0F;
        node.alternateMask = 0x800;
        node.styleSelector = 2;
        node.Layout(design);
        const TextLayoutState &state = GetSharedTextRun()->states[0];
        EXPECT_EQ(state.fillPaint.color.red, c.expected.red) << c.paletteIndex;
        EXPECT_EQ(state.fillPaint.color.green, c.expected.green) << c.paletteIndex;
        EXPECT_EQ(state.fillPaint.color.blue, c.expected.blue) << c.paletteIndex;
        EXPECT_EQ(state.fillPaint.color.alpha, c.expected.alpha) << c.paletteIndex;
        EXPECT_EQ(state.fontNumber, uint32_t('bold'));
        EXPECT_EQ(state.size, design->GetBaseFontSize());
        EXPECT_EQ(state.scale[0], 2.0F);
        EXPECT_EQ(state.scale[1], 2.0F);
        EXPECT_EQ(state.optionFlags, kSingleGlyphOptionFlags);
        EXPECT_EQ(state.alternateMask, 0x800U);
        EXPECT_EQ(state.alternateSelector, 2U);
        EXPECT_EQ(state.renderFlags, 2U);
        EXPECT_TRUE(node.glyph.present);
        EXPECT_EQ(node.glyph.fontSlot, 1);
        EXPECT_EQ(node.glyph.glyphIndex, kLetterA);
    }
}

// The shared run is overwritten by every layout: each node keeps its own glyph and builds its
// items from it after the other laid out.
TEST_F(GlyphHelpersTest, TwoNodesLaidOutOneAfterTheOther)
{
    TestGlyphNode first('A', 'uprt');
    TestGlyphNode second(0x2605, 'bold');
    first.Layout(design);
    second.Layout(design);
    ASSERT_TRUE(first.glyph.present);
    EXPECT_EQ(first.glyph.glyphIndex, kLetterA);
    EXPECT_EQ(first.glyph.fontSlot, 0);
    EXPECT_EQ(first.vertexCounts[0], 4);
    EXPECT_EQ(first.triangleCounts[0], 2);
    EXPECT_EQ(first.vertexCounts[1], 0);
    ASSERT_TRUE(second.glyph.present);
    EXPECT_EQ(second.glyph.glyphIndex, kStar);
    EXPECT_EQ(second.glyph.fontSlot, 1);
    EXPECT_EQ(second.vertexCounts[1], 4);
    EXPECT_EQ(second.vertexCounts[0], 0);
    EXPECT_EQ(GlyphIndexOf(GetSharedTextRun()->glyphs[0].glyphWord), kStar);

    // The first node's export: its glyph's curves with the ink box's corner at its origin.
    float em = design->GetBaseFontSize();
    EXPECT_FLOAT_EQ(first.width, em * 0.5F);
    EXPECT_FLOAT_EQ(first.top, em * 0.4375F);
    first.BuildExportItems(design, &list);
    std::vector<ExportCurveItem *> items = ExportItems(list);
    ASSERT_EQ(items.size(), 1U);
    EXPECT_TRUE(SameCurves(items[0], MappedChain(kLetterAChain, Point2D(-em * 0.25F, -em * 0.125F), Vector2D(em, em))));
    EXPECT_EQ(items[0]->color, kDefaultNodeColor);
    EXPECT_FLOAT_EQ(items[0]->box[0], 0);
    EXPECT_FLOAT_EQ(items[0]->box[1], 0);
    EXPECT_FLOAT_EQ(items[0]->box[2], first.width);
    EXPECT_FLOAT_EQ(items[0]->box[3], first.top);

    // Its mesh: one quad in slot 0.
    first.BuildMeshItems(design, &list);
    GlyphMeshItem *mesh = dynamic_cast<GlyphMeshItem *>(list.GetLastListElement());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->vertexTotal, 4U);
    EXPECT_EQ(mesh->items[0].vertexCount, 4U);
    EXPECT_EQ(mesh->items[0].indexCount, 6U);
    EXPECT_EQ(mesh->items[1].vertexCount, 0U);
    EXPECT_EQ(mesh->position.x, -em * 0.25F);
    EXPECT_EQ(mesh->position.y, em * 0.125F);
}

// Code point 0 ends the text: the run holds only its end entry and the node keeps no glyph.
TEST_F(GlyphHelpersTest, NoGlyphMeasuresEmptyAndBuildsNothing)
{
    TestGlyphNode node(0, 'uprt');
    node.Layout(design);
    EXPECT_EQ(GetSharedTextRun()->glyphCount, 0);
    EXPECT_TRUE(IsEndGlyph(GetSharedTextRun()->glyphs[0].glyphWord));
    EXPECT_FALSE(node.glyph.present);
    EXPECT_FALSE(node.hasBox);
    EXPECT_EQ(node.width, 0);
    EXPECT_EQ(node.top, 0);
    EXPECT_EQ(node.bottom, 0);
    for (int32_t i = 0; i < DocumentFontSet::kSlotCount; ++i) EXPECT_EQ(node.vertexCounts[i], 0) << i;
    node.BuildExportItems(design, &list);
    node.BuildMeshItems(design, &list);
    EXPECT_EQ(list.GetFirstListElement(), nullptr);
}

// A value that is no Unicode scalar value never reaches the UTF-8 of the layout: a caller's fault
// (asserted), laid out as U+FFFD (here the missing glyph) in release builds.
TEST_F(GlyphHelpersTest, NonScalarCodePointsLayOutAsReplacement)
{
    GlyphLayoutRequest request = {'uprt', 11.0F, 1.0F, kSingleGlyphOptionFlags, 0, 0};
    for (uint32_t c : {0xD800U, 0x110000U, 0x80000000U})
    {
#ifdef NDEBUG
        LaidOutGlyph glyph = LayoutGlyphCodePoint(design, request, kDefaultNodeColor, c);
        EXPECT_TRUE(glyph.present) << c;
        EXPECT_EQ(glyph.glyphIndex, kMissing) << c;
        EXPECT_EQ(GetSharedTextRun()->characters[0].codePoint, 0xFFFDU) << c;
#else
        EXPECT_DEATH(LayoutGlyphCodePoint(design, request, kDefaultNodeColor, c), "IsScalarValue") << c;
#endif
    }
}

// Glyph mapping reads every slot a style's row names and slot 0: without them nothing is laid out.
TEST_F(GlyphHelpersTest, UnresolvedFontsLayOutNothing)
{
    GlyphLayoutRequest request = {'uprt', 11.0F, 1.0F, kSingleGlyphOptionFlags, 0, 0};
    EXPECT_TRUE(HasResolvedGlyphFonts(design, 'uprt'));
    EXPECT_TRUE(HasResolvedGlyphFonts(design, 'bold'));
    EXPECT_TRUE(LayoutGlyphCodePoint(design, request, kDefaultNodeColor, 'A').present);

    design->styleMaps[0][1] = 5;  // 'uprt' falls back to the empty slot 5
    EXPECT_FALSE(HasResolvedGlyphFonts(design, 'uprt'));
    EXPECT_FALSE(LayoutGlyphCodePoint(design, request, kDefaultNodeColor, 'A').present);
    design->styleMaps[0][1] = kStyleMapEnd;

    design->SetFont(1, nullptr);  // 'bold' names slot 1 first
    EXPECT_FALSE(HasResolvedGlyphFonts(design, 'bold'));
    EXPECT_TRUE(HasResolvedGlyphFonts(design, 'uprt'));
    design->SetFont(0, nullptr);
    EXPECT_FALSE(HasResolvedGlyphFonts(design, 'uprt'));
    request.styleKey = 'xxxx';  // unknown keys use the first row
    EXPECT_EQ(LayoutGlyphText(design, request, kDefaultNodeColor, "A", 1), nullptr);

    TestGlyphNode node('A', 'uprt');
    node.Layout(design);
    EXPECT_FALSE(node.glyph.present);
    node.BuildExportItems(design, &list);
    node.BuildMeshItems(design, &list);
    EXPECT_EQ(list.GetFirstListElement(), nullptr);
}

TEST_F(GlyphHelpersTest, ExportItems)
{
    const Point2D at(10, 20);
    const Vector2D scale(2, 3);
    const GlyphLayoutRequest run = {'uprt', 11.0F, 1.0F, 0xF0, 0, 0};
    const GlyphLayoutRequest mark = {'uprt', 11.0F, 1.0F, kSingleGlyphOptionFlags, 0, 0};
    struct Expected
    {
        std::vector<QuadraticBezier2D> curves;
        uint32_t color;
        float box[4];
    };
    const struct
    {
        const char *name;
        const GlyphLayoutRequest &request;
        uint32_t glyph;
        bool keepInkBox;
        std::vector<Expected> items;
    } cases[] = {
        {"layers of a run, each in its colour", run, kStar, false,
         {{MappedChain(kTopChain, at, scale), ColorWord(kRed), {10, 20, 11.2F, 20.75F}},
          {MappedChain(kBottomChain, at, scale), ColorWord(kBlue), {10, 19.25F, 11.2F, 20}}}},
        {"a mark's layered glyph is one item", mark, kStar, true,
         {{MappedChain(kSquare, at, scale), 0x11223344, {10, 20, 11, 21.5F}}}},
        {"ink box widened to origin and advance", run, kLetterA, false,
         {{MappedChain(kLetterAChain, at, scale), 0x11223344, {10, 20, 12, 21.6875F}}}},
        {"ink box kept", mark, kLetterA, true,
         {{MappedChain(kLetterAChain, at, scale), 0x11223344, {10.5F, 20.375F, 11.5F, 21.6875F}}}},
        {"a longer last contour run is cut", mark, kCut, true,
         {{MappedChain(kCutChain, at, scale, 2), 0x11223344, {10, 20, 12, 21.5F}}}},
        {"no curves, no item", run, kBlank, false, {}},
        {"glyph past the face", run, kGlyphCount, false, {}},
    };
    for (const auto &c : cases)
    {
        BuildGlyphExportItems(Slot(0), c.request, c.glyph, c.keepInkBox, at, scale, 0x11223344, &list);
        std::vector<ExportCurveItem *> items = ExportItems(list);
        ASSERT_EQ(items.size(), c.items.size()) << c.name;
        for (size_t i = 0; i < items.size(); ++i)
        {
            EXPECT_TRUE(SameCurves(items[i], c.items[i].curves)) << c.name << " " << i;
            EXPECT_EQ(items[i]->color, c.items[i].color) << c.name << " " << i;
            for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(items[i]->box[k], c.items[i].box[k]) << c.name << " " << i;
        }
        list.Purge();
    }
    BuildGlyphExportItems(nullptr, run, kLetterA, false, at, scale, 0, &list);
    EXPECT_EQ(list.GetFirstListElement(), nullptr);
}

// A clone copies the colour and the math-node properties; its request loses the alternate mask and
// style selector, and it has no glyph until it is laid out.
TEST_F(GlyphHelpersTest, ClonesClearTheAlternatesOfTheirRequest)
{
    TestGlyphNode node('A', 'bold');
    node.paletteIndex = -1;
    node.colorValue = 0xFF00FF00;
    node.scale = 1.5F;
    node.alternateMask = 0x800;
    node.styleSelector = 2;
    node.Layout(design);
    ASSERT_EQ(node.glyphRequest.alternateMask, 0x800U);
    DocumentNode *copy = node.Clone();
    TestGlyphNode *clone = static_cast<TestGlyphNode *>(copy);
    EXPECT_EQ(clone->paletteIndex, -1);
    EXPECT_EQ(clone->colorValue, 0xFF00FF00U);
    EXPECT_EQ(clone->scale, 1.5F);
    EXPECT_EQ(clone->glyphRequest.styleKey, uint32_t('bold'));
    EXPECT_EQ(clone->glyphRequest.optionFlags, kSingleGlyphOptionFlags);
    EXPECT_EQ(clone->glyphRequest.alternateMask, 0U);
    EXPECT_EQ(clone->glyphRequest.styleSelector, 0U);
    EXPECT_FALSE(clone->glyph.present);
    delete copy;
}

}  // namespace
}  // namespace oq
