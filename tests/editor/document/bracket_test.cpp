// Brackets: the Kettric form (delimiter data, the "as" property), the variant cycle, navigation, the
// layout of bodies between delimiters with the factory design, and the LaTeX and MathML checked by
// pdflatex and the MathML DTD.
#include "support/DocumentTestKinds.h"
#include "support/LatexOracles.h"
#include "support/MathMLValidator.h"

#include "editor/document/BracketNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;

class BracketTestDocument : public test::MathTestDocument
{
public:
    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        if (std::strcmp(identifier, "Br") == 0) return new BracketNode;
        return MathTestDocument::MakeStructure(identifier);
    }
};

std::string Bracket(const std::string &head, const std::string &body = "Gr { Bg {} Fx (w=6,t=8,b=-2) {} }")
{
    return "Gr { Bg {} " + head + " { " + body + " } }";
}

std::string Text(const TextString &text)
{
    return std::string(text.GetText(), size_t(text.GetLength()));
}

// The written line of the bracket (its head) and what follows up to the first group.
std::string WrittenBracket(const std::string &written)
{
    size_t start = written.find("Br");
    size_t end = written.find("Gr", start);
    return start == std::string::npos ? "" : written.substr(start, end - start);
}

TEST(Bracket, ReadsAndWritesItsDelimiters)
{
    const struct
    {
        const char *data;  // the data list read, "" for none
        uint32_t left, right, middle;
        const char *written;  // the head and data written back
    } cases[] = {
        {"", '(', ')', 0, "Br\n\t{\n\t\t"},
        {"u32{0x28,0x29}", '(', ')', 0, "Br\n\t{\n\t\t"},
        {"u32{0x7B,0x7D}", '{', '}', 0, "Br\n\t{\n\t\tu32{0x7B,0x7D}\n\t\t"},
        {"u32{0x7B,0}", '{', 0, 0, "Br\n\t{\n\t\tu32{0x7B,0x00}\n\t\t"},
        {"u32{0x27E8,0x27E9,0x7C}", 0x27E8, 0x27E9, '|', "Br\n\t{\n\t\tu32{0x27E8,0x27E9,0x7C}\n\t\t"},
        {"u32{0x28,0x29,0x2016}", '(', ')', 0x2016, "Br\n\t{\n\t\tu32{0x28,0x29,0x2016}\n\t\t"},
        // Values that are no Unicode scalar value read as U+FFFD.
        {"u32{0xD800,0x110000,0xFFFFFFFF}", 0xFFFD, 0xFFFD, 0xFFFD, "Br\n\t{\n\t\tu32{0xFFFD,0xFFFD,0xFFFD}\n\t\t"},
        {"u32{0x10FFFF,0xDFFF}", 0x10FFFF, 0xFFFD, 0, "Br\n\t{\n\t\tu32{0x10FFFF,0xFFFD}\n\t\t"},
    };
    for (const auto &c : cases)
    {
        BracketTestDocument document;
        std::string text = Bracket("Br $b", std::string(c.data) + " Gr { Bg {} Fx {} }");
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        auto *bracket = document.Find<BracketNode>("b");
        ASSERT_NE(bracket, nullptr);
        EXPECT_EQ(bracket->left, c.left) << c.data;
        EXPECT_EQ(bracket->right, c.right) << c.data;
        EXPECT_EQ(bracket->middle, c.middle) << c.data;
        // The data list is gone once read: the group is the first subnode.
        EXPECT_EQ(bracket->GetFirstMathSubnode(), bracket->GetFirstGroup()) << c.data;
        std::string written = document.WriteText();
        EXPECT_EQ(WrittenBracket(written), c.written) << written;

        BracketTestDocument again;
        ASSERT_EQ(ResultText(again.ParseAndResolve(written.c_str())), "0") << written;
        EXPECT_EQ(again.WriteText(), written);
    }
}

TEST(Bracket, RefusesBadDataAndMissingBodies)
{
    const struct
    {
        const char *text;
        const char *result;
    } cases[] = {
        {"Br { u32{0x28} Gr { Bg {} } }", "IVDF"},
        {"Br { u32{1,2,3,4} Gr { Bg {} } }", "IVDF"},
        {"Br { u32{} Gr { Bg {} } }", "IVDF"},
        {"Br { u32{1,2} u32{3,4} Gr { Bg {} } }", "EXSB"},
        {"Br { u32{1,2} }", "MSSB"},
        {"Br {}", "MSSB"},
        {"Br { Fx {} }", "IVST"},
        {"Br { i32{1,2} Gr { Bg {} } }", "IVST"},
        {"Br { Gr { Bg {} } Gr { Bg {} } Gr { Bg {} } }", "0"},
    };
    for (const auto &c : cases)
    {
        BracketTestDocument document;
        std::string text = std::string("Gr { Bg {} ") + c.text + " }";
        EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), c.result) << c.text;
    }
}

// "as" is the asymmetric flag when bare or a bool literal, the node's scale when a number: every
// file the writer made reads back to the same bytes.
TEST(Bracket, AsIsReadByItsLiteral)
{
    const struct
    {
        const char *head;
        const char *written;
        float scale;
        bool asymmetric;
        bool centered;
    } cases[] = {
        {"Br (as=0.7)", "Br (as=0.7)", 0.7F, false, false},
        {"Br (as=0.7,as)", "Br (as=0.7,as)", 0.7F, true, false},
        {"Br (as)", "Br (as)", 1.0F, true, false},
        {"Br (as,ca)", "Br (as,ca)", 1.0F, true, true},
        {"Br (ca)", "Br (ca)", 1.0F, false, true},
        {"Br (as=true)", "Br (as)", 1.0F, true, false},
        {"Br (as=1)", "Br (as)", 1.0F, true, false},
        {"Br (as = 1 ,ca)", "Br (as,ca)", 1.0F, true, true},
        {"Br (as=0)", "Br", 1.0F, false, false},
        {"Br (as=false,as=2.5)", "Br (as=2.5)", 2.5F, false, false},
        {"Br (as=0x7FC00000)", "Br", 1.0F, false, false},
        {"Br (as=0.001)", "Br", 1.0F, false, false},
        {"Br (as=100.0,co=0x80FF0000)", "Br (co=0x80FF0000)", 1.0F, false, false},
    };
    for (const auto &c : cases)
    {
        BracketTestDocument document;
        std::string text = Bracket(std::string(c.head).replace(2, 0, " $b"));
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        auto *bracket = document.Find<BracketNode>("b");
        ASSERT_NE(bracket, nullptr);
        EXPECT_EQ(bracket->scale, c.scale) << c.head;
        EXPECT_EQ(bracket->asymmetric, c.asymmetric) << c.head;
        EXPECT_EQ(bracket->centered, c.centered) << c.head;

        // Written back (without the name: nothing links to the bracket) and read again.
        std::string written = document.WriteText();
        EXPECT_NE(written.find(std::string(c.written) + "\n"), std::string::npos) << c.head << ":\n" << written;

        BracketTestDocument again;
        ASSERT_EQ(ResultText(again.ParseAndResolve(written.c_str())), "0") << written;
        EXPECT_EQ(again.WriteText(), written) << c.head;
    }
}

TEST(Bracket, VariantCycleCloneAndNavigation)
{
    BracketNode bracket('[', ')', '|');
    EXPECT_TRUE(bracket.HasVariant());
    const bool steps[][2] = {{true, false}, {true, true}, {false, false}, {true, false}};
    for (const auto &step : steps)
    {
        bracket.CycleVariant();
        EXPECT_EQ(bracket.asymmetric, step[0]);
        EXPECT_EQ(bracket.centered, step[1]);
    }

    EXPECT_EQ(bracket.GetFirstGroup(), nullptr);
    GroupNode *first = bracket.AddBodyGroup();
    GroupNode *second = bracket.AddBodyGroup();
    EXPECT_EQ(first->role, 0u);
    EXPECT_EQ(first->baselineRow, kBaselineMiddle);
    auto *row = dynamic_cast<RowBeginNode *>(first->GetFirstMathSubnode());
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->lineGap, -1.0F);
    EXPECT_EQ(bracket.GetFirstGroup(), first);
    EXPECT_EQ(bracket.GetLastGroup(), second);
    EXPECT_EQ(bracket.GetNextGroup(first), second);
    EXPECT_EQ(bracket.GetNextGroup(second), nullptr);
    EXPECT_EQ(bracket.GetPreviousGroup(second), first);
    EXPECT_EQ(bracket.GetPreviousGroup(first), nullptr);
    EXPECT_EQ(bracket.GetGroupAbove(first), nullptr);
    EXPECT_TRUE(bracket.TakesPartInSpacing());

    std::unique_ptr<DocumentNode> copy(bracket.Clone());
    auto *clone = dynamic_cast<BracketNode *>(copy.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->left, uint32_t('['));
    EXPECT_EQ(clone->right, uint32_t(')'));
    EXPECT_EQ(clone->middle, uint32_t('|'));
    EXPECT_TRUE(clone->asymmetric);
    EXPECT_FALSE(clone->centered);
    EXPECT_EQ(clone->GetFirstGroup(), nullptr);
}

// The factory design without fonts: the measured delimiters are all constructed outlines.
class BracketLayout : public ::testing::Test
{
protected:
    float Em() const { return design.GetBaseFontSize(); }
    float Mu() const { return Em() / 18.0F; }
    float Axis() const { return Em() * GetGeneralParam(&design, 'axis'); }

    // The width of the delimiter's outline at the height (scale 1).
    float DelimiterWidth(const BracketNode &bracket, uint32_t codePoint, float height) const
    {
        DelimiterGeometry geometry;
        return bracket.BuildStretchedDelimiter(&design, codePoint, Point2D(0, 0), height, 1.0F, &geometry);
    }

    // The least x of an outline.
    static float MinX(const DelimiterGeometry &geometry)
    {
        float x = INFINITY;
        for (int32_t i = 0; i < geometry.curveCount; ++i)
            x = std::min({x, geometry.curves[i].p0.x, geometry.curves[i].p1.x, geometry.curves[i].p2.x});
        return x;
    }

    Design design;
};

TEST_F(BracketLayout, SpacingAroundDelimitersAndBodies)
{
    const struct
    {
        const char *name;
        const char *data;
        int32_t bodies;
        float outside;     // wanted outer space, mu
        float leftInside;  // between the left delimiter and the first body, mu
        float rightInside;
        float middleSide;  // between a body and the middle delimiter, mu
    } cases[] = {
        {"parentheses", "", 1, 2, 1, 1, 0},
        {"bars", "u32{0x7C,0x7C}", 1, 2, 2, 2, 0},
        {"double bars", "u32{0x2016,0x2016}", 1, 2, 2, 2, 0},
        {"angles", "u32{0x27E8,0x27E9}", 1, 2, 1, 1, 0},
        {"middle bar", "u32{0x28,0x29,0x7C}", 2, 2, 1, 1, 5},
        {"middle bar in angles", "u32{0x27E8,0x27E9,0x7C}", 2, 2, 1, 1, 2},
        {"middle double bar", "u32{0x5B,0x5D,0x2016}", 2, 2, 1, 1, 5},
        {"middle slash", "u32{0x28,0x29,0x27E9}", 2, 2, 1, 1, 1},
    };
    for (const auto &c : cases)
    {
        BracketTestDocument document;
        std::string bodies;
        for (int32_t i = 0; i < c.bodies; ++i)
            bodies += " Gr $g" + std::to_string(i) + " { Bg {} Fx (w=6,t=8,b=-2) {} }";
        std::string text = "Gr { Bg {} Fx (w=3) {} Br $b { " + std::string(c.data) + bodies + " } Fx (w=3) {} }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        document.LayoutAll(&design);
        auto *bracket = document.Find<BracketNode>("b");
        ASSERT_NE(bracket, nullptr);
        float mu = Mu();
        float h = bracket->top - bracket->bottom;
        EXPECT_NEAR(bracket->leftSpacing, c.outside * mu, 1e-4F) << c.name;
        EXPECT_NEAR(bracket->rightSpacing, c.outside * mu, 1e-4F) << c.name;
        ASSERT_GT(bracket->leftGeometry.curveCount, 0) << c.name;
        ASSERT_GT(bracket->rightGeometry.curveCount, 0) << c.name;

        GroupNode *first = document.Find<GroupNode>("g0");
        GroupNode *last = document.Find<GroupNode>(("g" + std::to_string(c.bodies - 1)).c_str());
        float leftEnd = bracket->leftSpacing + DelimiterWidth(*bracket, bracket->left, h);
        EXPECT_NEAR(first->position.x - leftEnd, c.leftInside * mu, 1e-4F) << c.name;
        float rightStart = bracket->width - bracket->rightSpacing - DelimiterWidth(*bracket, bracket->right, h);
        EXPECT_NEAR(rightStart - (last->position.x + last->width), c.rightInside * mu, 1e-4F) << c.name;
        if (c.bodies > 1)
        {
            ASSERT_EQ(bracket->middleGeometries.GetElementCount(), c.bodies - 1) << c.name;
            const DelimiterGeometry &middle = bracket->middleGeometries[0];
            float middleStart = first->position.x + first->width + c.middleSide * mu;
            float middleWidth = DelimiterWidth(*bracket, bracket->middle, h);
            if (bracket->middle == '|' || bracket->middle == 0x2016)
            {
                EXPECT_NEAR(MinX(middle), middleStart, 1e-4F) << c.name;
            }
            GroupNode *second = document.Find<GroupNode>("g1");
            EXPECT_NEAR(second->position.x - (middleStart + middleWidth), c.middleSide * mu, 1e-4F) << c.name;
        }
    }
}

TEST_F(BracketLayout, VerticalExtentByFlags)
{
    // A body reaching from -8 to 20 pt: far past the least extents.
    const float gap = 0.5F;  // 'vtgp', mu
    const struct
    {
        const char *flags;
        const char *expect;
    } cases[] = {{"", "symmetric"}, {"(ca)", "symmetric"}, {"(as)", "body"}, {"(as,ca)", "centred"}};
    for (const auto &c : cases)
    {
        BracketTestDocument document;
        std::string text = Bracket(std::string("Br $b ") + c.flags, "Gr $g { Bg {} Fx (w=6,t=20,b=-8) {} }");
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        document.LayoutAll(&design);
        auto *bracket = document.Find<BracketNode>("b");
        auto *group = document.Find<GroupNode>("g");
        ASSERT_NE(bracket, nullptr);
        float d = -8.0F - gap * Mu();
        float e = 20.0F + gap * Mu();
        float a = Axis();
        std::string expect = c.expect;
        float bottom = d, top = e;
        if (expect == "symmetric")
        {
            float reach = std::max(e - a, a - d);
            bottom = a - reach;
            top = a + reach;
        }
        else if (expect == "centred")
        {
            bottom = a - (e - d) / 2;
            top = a + (e - d) / 2;
        }
        EXPECT_NEAR(bracket->bottom, bottom, 1e-3F) << c.flags;
        EXPECT_NEAR(bracket->top, top, 1e-3F) << c.flags;
        // The body moves with centred delimiters only.
        EXPECT_NEAR(group->position.y, expect == "centred" ? bottom - d : 0.0F, 1e-3F) << c.flags;
    }
}

// Each drawn delimiter gives one export item and one fill path in the node's colour, in the order
// left, middles, right, at the node's place; a delimiter without glyph or outline gives none.
TEST_F(BracketLayout, ItemsOfEveryDrawnDelimiter)
{
    const struct
    {
        const char *data;
        int32_t bodies;
        int32_t items;
    } cases[] = {
        {"", 1, 2},
        {"u32{0x28,0x29,0x7C}", 3, 4},
        {"u32{0x7C,0}", 2, 1},
        {"u32{0,0,0x2016}", 2, 1},
        {"u32{0x78,0x2F}", 1, 0},  // glyphs only, and no fonts
    };
    for (const auto &c : cases)
    {
        BracketTestDocument document;
        std::string bodies;
        for (int32_t i = 0; i < c.bodies; ++i) bodies += " Gr { Bg {} Fx (w=6,t=8,b=-2) {} }";
        std::string text = "Gr { Bg {} Fx (w=3) {} Br $b (co=0xFF0000FF) { " + std::string(c.data) + bodies + " } }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        document.LayoutAll(&design);
        auto *bracket = document.Find<BracketNode>("b");
        ASSERT_NE(bracket, nullptr);
        EXPECT_NEAR(bracket->absolutePosition.x, 3.0F, 1e-5F) << c.data;
        DisplayList exported, paths;
        bracket->BuildExportItems(&design, &exported);
        bracket->BuildPathItems(&design, &paths);
        EXPECT_EQ(exported.GetListElementCount(), c.items) << c.data;
        EXPECT_EQ(paths.GetListElementCount(), c.items) << c.data;
        float previous = -INFINITY;
        for (ListElement *e = exported.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
        {
            auto *item = static_cast<ExportCurveItem *>(e);
            EXPECT_EQ(item->color, 0xFF0000FFu);
            // Left to right, each past the node's origin.
            EXPECT_GE(item->box[0], previous) << c.data;
            EXPECT_GE(item->box[0], 3.0F - 1.0F) << c.data;
            previous = item->box[0];
        }
        for (ListElement *e = paths.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
            EXPECT_EQ(static_cast<FillPathItem *>(e)->color, 0xFF0000FFu);
        exported.Purge();
        paths.Purge();
    }
}

MathWriterState LatexState()
{
    MathWriterState state;
    state.displayStyle = 0;
    return state;
}

// A letter "x" that keeps apart from a control word before it, as symbol runs do.
class LetterNode : public test::FixedBoxNode
{
public:
    void WriteLatex(MathWriterState *state, TextString *output) const override
    {
        output->AppendText(state->controlWord != 0 ? " x" : "x");
        state->controlWord = 0;
    }
};

// A bracket with two bodies of one letter each.
std::unique_ptr<BracketNode> TwoBodyBracket(uint32_t left, uint32_t right, uint32_t middle)
{
    auto bracket = std::make_unique<BracketNode>(left, right, middle);
    for (int32_t i = 0; i < 2; ++i) bracket->AddBodyGroup()->AppendSubnode(new LetterNode);
    return bracket;
}

std::string BracketLatex(const BracketNode &bracket)
{
    MathWriterState state = LatexState();
    TextString latex;
    bracket.WriteLatex(&state, &latex);
    return Text(latex);
}

TEST(BracketText, LatexBalancesMissingSides)
{
    const struct
    {
        uint32_t left, right, middle;
        const char *latex;
    } cases[] = {
        {'(', ')', 0, "\\left(xx\\right)"},
        {'{', 0x27E9, '|', "\\left\\{x\\middle|x\\right\\rangle"},
        {'{', 0, 0, "\\left\\{xx\\right."},
        {0, ')', 0, "\\left.xx\\right)"},
        {0, 0, '|', "\\left.x\\middle|x\\right."},
        {0, 0, 0, "xx"},
        {0x230A, 0x2309, 0x2016, "\\left\\lfloor x\\middle\\| x\\right\\rceil"},
        {0x2997, 0x2998, 0, "\\left\\unicode{x2997}xx\\right\\unicode{x2998}"},
    };
    for (const auto &c : cases)
    {
        auto bracket = TwoBodyBracket(c.left, c.right, c.middle);
        EXPECT_EQ(BracketLatex(*bracket), c.latex) << c.latex;
    }
}

// Every combination of present and missing sides and middle, for every delimiter LaTeX knows and
// those written as \unicode (stubbed to the null delimiter), compiles.
TEST(BracketText, LatexCompilesForEveryDelimiter)
{
    const uint32_t delimiters[] = {'(', ')', '[', ']', '{', '}', '|', '<', '>', 0x2016, 0x27E8, 0x27E9,
                                   0x2308, 0x2309, 0x230A, 0x230B, '/', '"', 0x2997, 0x27E6};
    std::vector<std::string> formulas;
    for (uint32_t d : delimiters)
    {
        for (int32_t mask = 0; mask < 8; ++mask)
        {
            auto bracket = TwoBodyBracket((mask & 1) ? d : 0, (mask & 2) ? d : 0, (mask & 4) ? d : 0);
            formulas.push_back(BracketLatex(*bracket));
        }
    }
    test::LatexOracleOptions options;
    options.preamble = test::MakeLatexStubs({});
    EXPECT_EQ(test::CompileWithPdflatex(formulas, options), "");
}

TEST(BracketText, MathMLIsEscapedAndValid)
{
    const struct
    {
        uint32_t left, right, middle;
        bool asymmetric;
        const char *mathml;
    } cases[] = {
        {'<', '>', 0, false,
         "<mrow><mo fence=\"true\" stretchy=\"true\" symmetric=\"true\">&#x3C;</mo><mrow><mi>x</mi></mrow>"
         "<mrow><mi>x</mi></mrow><mo fence=\"true\" stretchy=\"true\" symmetric=\"true\">&#x3E;</mo></mrow>"},
        {'&', '&', '&', true,
         "<mrow><mo fence=\"true\" stretchy=\"true\" symmetric=\"false\">&#x26;</mo><mrow><mi>x</mi></mrow>"
         "<mo separator=\"true\" stretchy=\"true\" symmetric=\"false\">&#x26;</mo><mrow><mi>x</mi></mrow>"
         "<mo fence=\"true\" stretchy=\"true\" symmetric=\"false\">&#x26;</mo></mrow>"},
        {0x27E8, 0, '<', false,
         "<mrow><mo fence=\"true\" stretchy=\"true\" symmetric=\"true\">\xE2\x9F\xA8</mo><mrow><mi>x</mi></mrow>"
         "<mo separator=\"true\" stretchy=\"true\" symmetric=\"true\">&#x3C;</mo><mrow><mi>x</mi></mrow></mrow>"},
        {0, 0x27E9, 0, false,
         "<mrow><mrow><mi>x</mi></mrow><mrow><mi>x</mi></mrow>"
         "<mo fence=\"true\" stretchy=\"true\" symmetric=\"true\">\xE2\x9F\xA9</mo></mrow>"},
        {0, 0, 0, false, "<mrow><mrow><mi>x</mi></mrow><mrow><mi>x</mi></mrow></mrow>"},
    };
    for (const auto &c : cases)
    {
        auto bracket = TwoBodyBracket(c.left, c.right, c.middle);
        bracket->asymmetric = c.asymmetric;
        MathWriterState state;
        TextString mathml;
        bracket->WriteMathML(&state, &mathml);
        std::string text = Text(mathml);
        std::erase(text, '\n');  // groups end their rows with line feeds
        EXPECT_EQ(text, c.mathml);
        EXPECT_EQ(test::ValidateMathML("<math xmlns=\"http://www.w3.org/1998/Math/MathML\">" + Text(mathml) + "</math>", ""),
                  "")
            << Text(mathml);
    }
}

}  // namespace
}  // namespace oq
