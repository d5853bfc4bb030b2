// Symbol runs measured against a purpose-built font: italic correction, the three number layouts,
// the least depth and height, style alternates, decorations placed with stand-ins of known size,
// long texts, and a document of plain rows laid out and written back.
#include "support/DocumentTestKinds.h"
#include "EquationDocumentTesting.h"
#include "OneFontTest.h"

#include "editor/document/RunDecoration.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/GlyphMeshItem.h"
#include "vorl/text/TextRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;
using test::VorlFontBuilder;

enum : uint32_t
{
    kMissing,
    kF,        // ink from -0.1 to 0.7 em on an advance of 0.5: 0.2 em overhang
    kZero,     // '0' and '2'-'9', proportional; tabular alternate kZeroTab
    kZeroTab,  // side bearings 0.1 (the digits' smallest)
    kOne,      // side bearings 0.05
    kOneTab,   // side bearings 0.2
    kPlus,
    kX,        // 'x': 'ms01' kXItal, 'ms02' kXBold, then 'smcp' kXSmall without a selector
    kXItal,
    kXBold,
    kXSmall,
    kLess,
    kGreater,
    kBlank,    // no outline; U+227A and 'E'
    kGlyphCount
};

struct GlyphShape
{
    float x0, y0, x1, y1, advance;
};
const GlyphShape kShapes[kGlyphCount] = {
    {0, 0, 0.5F, 0.5F, 0.6F},     {-0.1F, -0.2F, 0.7F, 0.7F, 0.5F}, {0.05F, 0, 0.45F, 0.7F, 0.5F},
    {0.1F, 0, 0.45F, 0.7F, 0.55F}, {0.05F, 0, 0.3F, 0.7F, 0.35F},   {0.2F, 0, 0.35F, 0.7F, 0.55F},
    {0.1F, 0, 0.5F, 0.4F, 0.6F},  {0, 0, 0.5F, 0.5F, 0.5F},         {0, 0, 0.375F, 0.375F, 0.5F},
    {0, 0, 0.25F, 0.375F, 0.5F},  {0, 0, 0.125F, 0.375F, 0.5F},     {0.1F, 0, 0.5F, 0.45F, 0.6F},
    {0.1F, 0, 0.5F, 0.45F, 0.6F}, {0, 0, 0, 0, 0.3F},
};

std::vector<uint8_t> MakeRunFont()
{
    VorlFontBuilder builder;
    builder.curveFormat = kTexelFormatFloat4;
    builder.curveWidth = 64;
    builder.bandWidth = 64;
    test::VorlFontDescription &font = builder.AddFont();
    font.AddFloats('AXIS', {0.25F});
    font.AddFloats('HITE', {0.7F, 0.5F});
    font.AddFloats('SLNT', {0.0F});
    font.Map('0', kZero);
    font.Map('1', kOne);
    for (uint32_t c = '2'; c <= '9'; ++c) font.Map(c, kZero);
    font.Map('+', kPlus);
    font.Map('<', kLess);
    font.Map('>', kGreater);
    font.Map('E', kBlank);
    font.Map('f', kF);
    font.Map('x', kX);
    font.Map(0x227A, kBlank);
    for (const GlyphShape &s : kShapes) builder.AddBoxGlyph(s.advance, s.x0, s.y0, s.x1, s.y1);
    builder.SetAlternates(kZero, {{0x40000, kZeroTab}});
    builder.SetAlternates(kOne, {{0x40000, kOneTab}});
    builder.SetAlternates(kX, {{0x800 | 1u << 24, kXItal}, {0x800 | 2u << 24, kXBold}, {0x4, kXSmall}});
    return builder.Build();
}

// A decoration of known size ("Mk" mark, "En" enclosure, "Ng" negation, "Sl" slash): width "w",
// bottom "b", top "t"; "un" puts a mark under the run, "ci" makes an enclosure a circle.
class StandInDecoration : public ColoredMathNode, public RunDecoration
{
public:
    explicit StandInDecoration(uint32_t kind) : ColoredMathNode(kind) {}
    StandInDecoration(const StandInDecoration &node) = default;

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override
    {
        const test::MathTestProperty properties[] = {{"w", 'FLOT', &givenWidth}, {"b", 'FLOT', &givenBottom},
                                                     {"t", 'FLOT', &givenTop},   {"un", 'BOOL', &under},
                                                     {"ci", 'BOOL', &circle}};
        if (test::CheckMathTestProperty(properties, std::size(properties), identifier, type, storage)) return true;
        return ColoredMathNode::CheckProperty(document, identifier, type, storage);
    }
    bool CheckSubstructure(KettricDocument *, KettricStructure *) override { return false; }
    DocumentNode *Clone() const override { return new StandInDecoration(*this); }
    void WriteKettric(KettricDocument *, TextBuffer *buffer) const override { WriteKettricLeaf(buffer, "Mk"); }
    void Measure(const Design *) override
    {
        width = givenWidth;
        bottom = givenBottom;
        top = givenTop;
    }
    bool IsUnderMark() const override { return under; }
    bool IsCircleEnclosure() const override { return circle; }

    float givenWidth = 0.0F;
    float givenBottom = 0.0F;
    float givenTop = 0.0F;
    bool under = false;
    bool circle = false;
};

class FontRunDocument : public test::MathTestDocument
{
public:
    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        if (std::strcmp(identifier, "Sb") == 0) return new SymbolRunNode;
        const struct
        {
            const char *name;
            uint32_t kind;
        } decorations[] = {{"Mk", kMarkKind}, {"En", kEnclosureKind}, {"Ng", kNegationKind}, {"Sl", kSlashKind}};
        for (const auto &d : decorations)
        {
            if (std::strcmp(identifier, d.name) == 0) return new StandInDecoration(d.kind);
        }
        return MathTestDocument::MakeStructure(identifier);
    }
};

// The factory design: em 11 pt, mu 11/18 pt, operator spacing 4 mu, capital height 0.6621 em, math
// axis 0.25555 em, mark spacing 2 mu, italic slant 17 degrees.
constexpr float kEm = 11.0F;
constexpr float kMu = 11.0F / 18.0F;

class SymbolRunFontTest : public test::OneFontTest
{
protected:
    void SetUp() override { StartWithFont(MakeRunFont(), "runs.vorl"); }

    void TearDown() override
    {
        delete document;
        OneFontTest::TearDown();
    }

    // Reads and lays out the text; the run of a name afterwards.
    void Lay(const std::string &text)
    {
        delete document;
        document = new FontRunDocument;
        ASSERT_EQ(ResultText(document->ParseAndResolve(text.c_str())), "0") << text;
        document->LayoutAll(&design);
    }
    SymbolRunNode *Run(const char *name) { return document->Find<SymbolRunNode>(name); }

    FontRunDocument *document = nullptr;
};

TEST_F(SymbolRunFontTest, ItalicCorrectionBeforeAnUprightNumber)
{
    Lay("Gr { Bg {} Sb $f {s{\"f\"}} Sb $n (ro='nmbr',pf) {s{\"1\"}} }");
    SymbolRunNode *f = Run("f");
    ASSERT_EQ(f->GetGlyphCount(), 1);
    EXPECT_NEAR(f->rightInset, 0.2F * kEm, 1e-4F);
    EXPECT_NEAR(f->rightSpacing, 0.5F * kMu, 1e-4F);
    float italicX = document->Find("n")->position.x;

    Lay("Gr { Bg {} Sb $f (st='uprt') {s{\"f\"}} Sb $n (ro='nmbr',pf) {s{\"1\"}} }");
    EXPECT_EQ(Run("f")->rightInset, 0.0F);
    EXPECT_NEAR(italicX - document->Find("n")->position.x, 0.2F * kEm + 0.5F * kMu, 1e-4F);
}

TEST_F(SymbolRunFontTest, NumberLayouts)
{
    const struct
    {
        const char *what;
        const char *row;
        float leftInset;   // in em
        float rightInset;  // in em
        float width;       // in em, the space after included
    } cases[] = {
        {"trimmed between operators loses the tabular bearings",
         "Sb {s{\"x\"}} Sb (ro='oper') {s{\"+\"}} Sb $n (ro='nmbr') {s{\"1\"}} Sb (ro='oper') {s{\"+\"}} Sb {s{\"x\"}}", -0.15F,
         -0.15F, 0.4F},
        {"strict between operators keeps them",
         "Sb {s{\"x\"}} Sb (ro='oper') {s{\"+\"}} Sb $n (ro='nmbr',tf) {s{\"1\"}} Sb (ro='oper') {s{\"+\"}} Sb {s{\"x\"}}", 0, 0,
         0.55F},
        {"proportional between operators", "Sb {s{\"x\"}} Sb (ro='oper') {s{\"+\"}} Sb $n (ro='nmbr',pf) {s{\"1\"}} Sb (ro='oper') {s{\"+\"}} Sb {s{\"x\"}}",
         0, 0, 0.35F},
        {"trimmed at a row start starts at its ink", "Sb $n (ro='nmbr') {s{\"1\"}} Sb (ro='oper') {s{\"+\"}} Sb {s{\"x\"}}",
         -0.2F, -0.15F, 0.35F},
        {"strict at a row start moves left by the digits' smallest bearing",
         "Sb $n (ro='nmbr',tf) {s{\"1\"}} Sb (ro='oper') {s{\"+\"}} Sb {s{\"x\"}}", -0.1F, 0, 0.45F},
        {"strict at a row end ends by the digits' smallest bearing", "Sb (ro='oper') {s{\"+\"}} Sb $n (ro='nmbr',tf) {s{\"1\"}}",
         0, -0.1F, 0.45F},
        {"trimmed next to a number keeps its bearings",
         "Sb (ro='nmbr') {s{\"0\"}} Sb $n (ro='nmbr') {s{\"1\"}} Sb (ro='nmbr') {s{\"0\"}}", 0, 0, 0.55F},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.what);
        Lay(std::string("Gr { Bg {} ") + c.row + " }");
        SymbolRunNode *n = Run("n");
        ASSERT_EQ(n->GetGlyphCount(), 1);
        EXPECT_NEAR(n->leftInset, c.leftInset * kEm, 1e-4F);
        EXPECT_NEAR(n->rightInset, c.rightInset * kEm, 1e-4F);
        EXPECT_NEAR(n->width, c.width * kEm, 1e-4F);
    }
}

TEST_F(SymbolRunFontTest, LeastDepthAndHeightAndAxisOffset)
{
    Lay("Gr { Bg {} Sb $x (st='uprt') {s{\"x\"}} Sb $f (ma) {s{\"f\"}} }");
    SymbolRunNode *x = Run("x");
    EXPECT_FLOAT_EQ(x->bottom, -0.875F * kMu);
    EXPECT_FLOAT_EQ(x->top, 0.875F * kMu + 0.6621F * kEm);
    SymbolRunNode *f = Run("f");
    float o = kEm * (0.6621F * 0.5F - 0.25555F);
    EXPECT_NEAR(f->glyphPositions[1], -o, 1e-4F);
    EXPECT_NEAR(f->bottom, -0.2F * kEm + o, 1e-4F);
    EXPECT_NEAR(f->top, 0.7F * kEm + o, 1e-4F);
}

TEST_F(SymbolRunFontTest, StyleAlternates)
{
    const struct
    {
        const char *properties;
        uint32_t glyph;
    } cases[] = {
        {"st='ital'", kXItal}, {"st='bold'", kXBold}, {"st='uprt'", kX}, {"st='uprt',sc", kXSmall}, {"st='scpt'", kX},
    };
    for (const auto &c : cases)
    {
        Lay(std::string("Gr { Bg {} Sb $x (") + c.properties + ") {s{\"x\"}} }");
        SymbolRunNode *x = Run("x");
        ASSERT_EQ(x->GetGlyphCount(), 1) << c.properties;
        EXPECT_EQ(x->glyphIndexes[0], c.glyph) << c.properties;
    }
}

TEST_F(SymbolRunFontTest, EnclosureWidensANarrowGlyph)
{
    Lay("Gr { Bg {} Sb $a (ro='nmbr',pf) {s{\"1\"}} Bg {} Sb $b (ro='nmbr',pf) { s{\"1\"} En $e (w=20,b=-10,t=12) {} } }");
    SymbolRunNode *a = Run("a");
    SymbolRunNode *b = Run("b");
    float ink = (0.3F - 0.05F) * kEm;
    float d = (20.0F - ink) / 2.0F;
    EXPECT_NEAR(b->width - a->width, 2.0F * d, 1e-4F);
    EXPECT_NEAR(b->glyphPositions[0] - a->glyphPositions[0], d, 1e-4F);
    EXPECT_EQ(b->leftInset, 0.0F);
    EXPECT_EQ(b->rightInset, 0.0F);
    const MathNode *e = document->Find("e");
    float glyphCentre = b->glyphPositions[0] + kEm * (0.05F + 0.3F) / 2.0F;
    EXPECT_NEAR(e->position.x + 10.0F, glyphCentre, 1e-4F);
    EXPECT_NEAR(e->position.y, kEm * 0.35F, 1e-4F);
    EXPECT_NEAR(b->top, e->position.y + 12.0F, 1e-4F);
    EXPECT_NEAR(b->bottom, e->position.y - 10.0F, 1e-4F);
}

TEST_F(SymbolRunFontTest, ComparisonSignsSitOffTheCircleCentre)
{
    // Ink 0.4 x 0.45 em: q = (Mh^2 - N^2) / (8 Lw), N = (Mh - Lw) x 3.
    float lw = 0.4F * kEm;
    float mh = 0.45F * kEm;
    float n2 = (mh - lw) * 3.0F;
    float q = (mh * mh - n2 * n2) / (8.0F * lw);
    const struct
    {
        const char *text;
        const char *enclosure;
        float offset;  // glyph centre minus enclosure centre
    } cases[] = {
        {"<", "ci", -q}, {">", "ci", q}, {"<", "", 0.0F}, {"\\xE2\\x89\\xBA", "ci", 0.0F},  // U+227A has no ink
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(std::string(c.text) + " " + c.enclosure);
        Lay(std::string("Gr { Bg {} Sb $r (ro='rltn') { s{\"") + c.text + "\"} En $e (w=20,b=-10,t=10" +
            (c.enclosure[0] ? std::string(",") + c.enclosure : "") + ") {} } }");
        SymbolRunNode *run = Run("r");
        ASSERT_EQ(run->GetGlyphCount(), 1);
        const MathNode *e = document->Find("e");
        const GlyphShape &s = kShapes[run->glyphIndexes[0]];
        float glyphCentre = run->glyphPositions[0] + kEm * (s.x0 + s.x1) / 2.0F;
        EXPECT_TRUE(std::isfinite(run->glyphPositions[0]));
        EXPECT_NEAR(glyphCentre - (e->position.x + 10.0F), c.offset, 1e-4F);
    }
}

TEST_F(SymbolRunFontTest, MarksStackInSubnodeOrder)
{
    Lay("Gr { Bg {} Sb $r (st='uprt') { s{\"x\"} Mk $m1 (w=4,t=3) {} Mk $u (un,w=6,t=2) {} Mk $m2 (w=2,t=5) {} Ng $n (b=-1,t=9) {} "
        "Sl $s (b=-2,t=3) {} } }");
    SymbolRunNode *run = Run("r");
    float s = 2.0F * kMu;
    float gx = run->glyphPositions[0];
    float xc = kEm * 0.5F / 2.0F + gx;
    float mt = kEm * 0.5F;
    const struct
    {
        const char *name;
        float x, y;
    } expected[] = {
        {"m1", xc - 2.0F, mt + s}, {"m2", xc - 1.0F, mt + s + 3.0F + s}, {"u", xc - 3.0F, -s - 2.0F},
        {"n", gx, 0.0F},           {"s", kEm * 0.5F / 2.0F + gx, 0.0F},
    };
    for (const auto &e : expected)
    {
        const MathNode *node = document->Find(e.name);
        EXPECT_NEAR(node->position.x, e.x, 1e-4F) << e.name;
        EXPECT_NEAR(node->position.y, e.y, 1e-4F) << e.name;
    }
    EXPECT_NEAR(run->top, mt + s + 3.0F + s + 5.0F, 1e-4F);
    EXPECT_NEAR(run->bottom, -s - 2.0F, 1e-4F);
}

TEST_F(SymbolRunFontTest, ItalicMarksFollowTheSlant)
{
    for (bool upright : {false, true})
    {
        Lay(std::string("Gr { Bg {} Sb $r ") + (upright ? "(ns) " : "") + "{ s{\"x\"} Mk $m (w=4,t=3) {} Mk $u (un,w=4,t=2) {} } }");
        SymbolRunNode *run = Run("r");
        ASSERT_EQ(run->glyphIndexes[0], uint32_t(kXItal));
        float gx = run->glyphPositions[0];
        const GlyphShape &box = kShapes[kXItal];
        float xc = kEm * (box.x0 + box.x1) / 2.0F + gx;
        float xu = xc;
        if (!upright)
        {
            float angle = 17.0F * 0.017453292F;
            float extentAngle = angle;
            GlyphExtent extent = font->GetSlantedGlyphExtent(kXItal, run->glyphRequest.optionFlags, &extentAngle);
            float cm = kEm * (extent.left + extent.right) / 2.0F;
            float c = std::cos(-angle);
            float sn = std::sin(-angle);
            xc = (cm - kEm * box.y1 * sn) / c + gx;
            xu = (cm - kEm * box.y0 * sn) / c + gx;
            EXPECT_GT(xc, xu + 1.0F);  // the over-mark sits further right
        }
        EXPECT_NEAR(document->Find("m")->position.x, xc - 2.0F, 1e-4F) << upright;
        EXPECT_NEAR(document->Find("u")->position.x, xu - 2.0F, 1e-4F) << upright;
    }
}

TEST_F(SymbolRunFontTest, OverMarksAskForDotlessForms)
{
    const struct
    {
        const char *run;
        bool dotless;
    } cases[] = {
        {"Sb $r { s{\"x\"} Mk {} }", true},
        {"Sb $r (nd) { s{\"x\"} Mk {} }", false},
        {"Sb $r { s{\"x\"} Mk (un) {} }", false},
        {"Sb $r { s{\"x\"} Mk (un) {} Mk {} }", true},
        {"Sb $r {s{\"x\"}}", false},
    };
    for (const auto &c : cases)
    {
        Lay(std::string("Gr { Bg {} ") + c.run + " }");
        EXPECT_EQ((Run("r")->glyphRequest.alternateMask & 0x400) != 0, c.dotless) << c.run;
    }
}

// 20,000 characters: the runtime lays out 16,383; every look-up past them answers their end.
TEST_F(SymbolRunFontTest, LongTextStaysInsideTheLaidOutRun)
{
    std::string text(20000, 'x');
    Lay("Gr { Bg {} Sb $r (st='uprt') {s{\"" + text + "\"}} }");
    SymbolRunNode *run = Run("r");
    ASSERT_NE(run->GetCachedRun(), nullptr);
    EXPECT_EQ(run->GetCachedRun()->characterCount, kTextRunMaxCharacters);
    EXPECT_EQ(run->GetEndIndex(), 20000);
    EXPECT_EQ(run->GetGlyphCount(), kTextRunMaxCharacters);

    std::vector<int32_t> offsets(20001);
    for (int32_t i = 0; i <= 20000; ++i) offsets[size_t(i)] = i;
    std::vector<float> xs(offsets.size());
    ASSERT_TRUE(run->GetCaretPositions(&design, int32_t(offsets.size()), offsets.data(), xs.data()));
    float step = 0.5F * kEm;
    EXPECT_NEAR(xs[1] - xs[0], step, 1e-3F);
    EXPECT_NEAR(xs[20000], xs[kTextRunMaxCharacters], 1e-3F);
    for (float x : {-5.0F, 0.0F, 1000.0F, 0.5F * kEm * 16000.5F, 1.0e6F, 1.0e9F})
    {
        int32_t index = run->GetCharIndexAtX(&design, x);
        EXPECT_GE(index, 0);
        EXPECT_LE(index, kTextRunMaxCharacters) << x;
    }
    EXPECT_EQ(run->GetCharIndexAtX(&design, 1.0e9F), kTextRunMaxCharacters);

    // The whole text is kept and written.
    std::string written = document->WriteText();
    EXPECT_NE(written.find(text), std::string::npos);
}

TEST_F(SymbolRunFontTest, GlyphCentresAndSlantCorrections)
{
    Lay("Gr { Bg {} Sb $r (st='uprt') {s{\"x+1\"}} }");
    SymbolRunNode *run = Run("r");
    ASSERT_EQ(run->GetGlyphCount(), 3);
    EXPECT_NEAR(run->GetFirstGlyphCenterX(&design), run->glyphPositions[0] + 0.25F * kEm, 1e-4F);
    const GlyphShape &last = kShapes[run->glyphIndexes[2]];
    EXPECT_NEAR(run->GetLastGlyphCenterX(&design),
                run->width - run->rightSpacing - run->rightInset + kEm * ((last.x0 + last.x1) / 2.0F - last.advance),
                1e-4F);
    // An upright square leans out of the slanted direction only at its corners.
    EXPECT_GE(run->GetStartSlantCorrection(&design, 0.0F), 0.0F);
    EXPECT_LE(run->GetEndSlantCorrection(&design, 0.5F), 0.0F);
    SymbolRunNode empty;
    EXPECT_EQ(empty.GetStartSlantCorrection(&design, 0.3F), 0.0F);
    EXPECT_EQ(empty.GetEndSlantCorrection(&design, 0.3F), 0.0F);
}

// A document of plain rows reads, lays out with its glyphs and writes back byte for byte.
TEST_F(SymbolRunFontTest, PlainRowsRoundTrip)
{
    test::PrepareEquationTests();
    const char text[] = "Gr\n{\n\tBg {}\n\tSb {s{\"x\"}}\n\tSb (ro='oper') {s{\"+\"}}\n\tSb (ro='nmbr') {s{\"10\"}}\n"
                        "\tBg {}\n\tSb (st='bold',sc) {s{\"f\\x2Dx\"}}\n}\n";
    EquationDocument equation;
    UseFont(&equation.design);
    ASSERT_EQ(ResultText(equation.ParseAndResolve(text)), "0");
    test::UpdateLayout(equation);
    int32_t runs = 0;
    for (MathNode *node = equation.GetMainGroup()->GetFirstMathSubnode(); node; node = node->GetNextMathNode())
    {
        if (auto *run = dynamic_cast<SymbolRunNode *>(node))
        {
            ++runs;
            EXPECT_EQ(run->GetGlyphCount(), run->GetEndIndex()) << run->text.GetText();
        }
    }
    EXPECT_EQ(runs, 4);
    EXPECT_EQ(test::WriteDocument(equation), text);
    equation.design.ReleaseFonts();
}

// The fuzz seeds of symbol runs read (or are refused), lay out and are written without faults.
TEST_F(SymbolRunFontTest, FuzzSeedsReadAndLayOut)
{
    test::PrepareEquationTests();
    // The third seed's mark has no code point: the first failure read.
    const char *const results[] = {"0", "0", "MSSB"};
    for (int32_t i = 0; i < 3; ++i)
    {
        std::string path = std::string(OQ_SOURCE_DIR "/fuzz/corpus/equation_document_fuzz/seed_symbol_run_00") +
                           char('0' + i) + ".txt";
        std::ifstream file(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(text.empty()) << path;
        EquationDocument equation;
        UseFont(&equation.design);
        EXPECT_EQ(ResultText(equation.ParseAndResolve(text.c_str())), results[i]) << path;
        if (equation.GetMainGroup() != nullptr)
        {
            test::UpdateLayout(equation);
            EXPECT_FALSE(test::WriteDocument(equation).empty());
        }
        equation.design.ReleaseFonts();
    }
}

// One export item per glyph with an outline, at the glyph's place; one mesh item for the run.
TEST_F(SymbolRunFontTest, ExportAndMeshItems)
{
    Lay("Gr { Bg {} Sb $r (st='uprt') {s{\"x+E\"}} }");
    SymbolRunNode *run = Run("r");
    ASSERT_EQ(run->GetGlyphCount(), 3);
    DisplayList list;
    run->BuildExportItems(&design, &list);
    std::vector<ExportCurveItem *> items;
    for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
    {
        if (auto *item = dynamic_cast<ExportCurveItem *>(e)) items.push_back(item);
    }
    ASSERT_EQ(items.size(), 2U);  // the blank glyph has no curves
    EXPECT_EQ(items[0]->curveCount, 4);
    EXPECT_NEAR(items[0]->curves[0].p0.x, run->absolutePosition.x + run->glyphPositions[0], 1e-3F);
    // Positions are x, y pairs: glyph 1 at index 2; curve points are stored at texel precision.
    EXPECT_NEAR(items[1]->curves[0].p0.x, run->absolutePosition.x + run->glyphPositions[2] + 0.1F * kEm, 1e-3F);
    list.Purge();

    run->BuildMeshItems(&design, &list);
    int32_t meshes = 0;
    for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
        meshes += dynamic_cast<GlyphMeshItem *>(e) != nullptr;
    EXPECT_EQ(meshes, 1);
    list.Purge();
}

}  // namespace
}  // namespace oq
