// Fractions: reading and writing the Kettric form, variants, navigation, and the layout of the three
// forms with the factory design (bar, slash, slot places, items).
#include "support/DocumentTestKinds.h"
#include "support/MathMLValidator.h"

#include "editor/document/GroupNode.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"
#include "editor/structures/FractionNode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace oq {
namespace {

using test::ResultText;

class FractionTestDocument : public test::MathTestDocument
{
public:
    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        if (std::strcmp(identifier, "Fr") == 0) return new FractionNode(kFractionVertical, false, false);
        return MathTestDocument::MakeStructure(identifier);
    }
};

std::string Fraction(const char *properties, const char *numerator = "Fx (w=6,t=9,b=-1) {}",
                     const char *denominator = "Fx (w=5,t=8,b=-2) {}")
{
    return std::string("Gr { Bg {} Fr $f ") + properties + " { Gr $n (t='numr') { Bg {} " + numerator +
           " } Gr $d (t='dnom') { Bg {} " + denominator + " } } }";
}

TEST(Fraction, ReadsAndWritesItsProperties)
{
    const struct
    {
        const char *properties;
        const char *written;  // the property list written back; "" for none
        uint32_t type;
        bool small;
    } cases[] = {
        {"", "", kFractionVertical, false},
        {"(t='horz',sm)", "(t='horz')", kFractionHorizontal, false},
        {"(t='xxxx')", "", kFractionVertical, false},
        {"(t='diag',sm,at,ns)", "(t='diag',sm,at,ns)", kFractionDiagonal, true},
        {"(sm,at)", "(sm,at)", kFractionVertical, true},
    };
    for (const auto &c : cases)
    {
        FractionTestDocument document;
        std::string text = Fraction(c.properties);
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        auto *fraction = document.Find<FractionNode>("f");
        ASSERT_NE(fraction, nullptr);
        EXPECT_EQ(fraction->fractionType, c.type) << c.properties;
        EXPECT_EQ(fraction->small, c.small) << c.properties;
        std::string written = document.WriteText();
        std::string head = c.written[0] != 0 ? std::string("Fr ") + c.written + "\n" : std::string("Fr\n");
        EXPECT_NE(written.find(head), std::string::npos) << written;

        // Read, write, read, write: both writes the same.
        FractionTestDocument again;
        ASSERT_EQ(ResultText(again.ParseAndResolve(written.c_str())), "0") << written;
        EXPECT_EQ(again.WriteText(), written);
    }
}

TEST(Fraction, RefusesMissingOrDoubledSlots)
{
    const struct
    {
        const char *text;
        const char *result;
    } cases[] = {
        {"Fr { Gr (t='numr') { Bg {} } }", "MSSB"},
        {"Fr { Gr (t='dnom') { Bg {} } }", "MSSB"},
        {"Fr { Gr (t='numr') { Bg {} } Gr (t='dnom') { Bg {} } Gr (t='numr') { Bg {} } }", "EXSB"},
        {"Fr { Gr { Bg {} } Gr (t='numr') { Bg {} } Gr (t='dnom') { Bg {} } }", "0"},
        {"Fr { Fx {} }", "IVST"},
    };
    for (const auto &c : cases)
    {
        FractionTestDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(c.text)), c.result) << c.text;
    }
}

TEST(Fraction, VariantsAndNavigation)
{
    FractionNode stacked(kFractionVertical, false, false);
    EXPECT_TRUE(stacked.HasVariant());
    stacked.CycleVariant();
    EXPECT_TRUE(stacked.small);
    stacked.CycleVariant();
    EXPECT_FALSE(stacked.small);

    FractionNode inline_(kFractionHorizontal, false, false);
    EXPECT_FALSE(inline_.HasVariant());
    inline_.CycleVariant();
    EXPECT_FALSE(inline_.small);

    GroupNode *denominator = stacked.GetOrCreateDenominator();
    GroupNode *numerator = stacked.GetOrCreateNumerator();
    EXPECT_EQ(stacked.GetOrCreateNumerator(), numerator);
    EXPECT_EQ(numerator->role, kNumeratorRole);
    EXPECT_EQ(denominator->role, kDenominatorRole);
    EXPECT_EQ(stacked.GetFirstGroup(), numerator);
    EXPECT_EQ(stacked.GetLastGroup(), denominator);
    EXPECT_EQ(stacked.GetNextGroup(numerator), denominator);
    EXPECT_EQ(stacked.GetPreviousGroup(denominator), numerator);
    EXPECT_EQ(stacked.GetPreviousGroup(numerator), nullptr);
    EXPECT_EQ(stacked.GetGroupAbove(denominator), numerator);
    EXPECT_EQ(stacked.GetGroupAbove(numerator), nullptr);
    EXPECT_EQ(stacked.GetGroupBelow(numerator), denominator);
    EXPECT_EQ(stacked.GetGroupBelow(denominator), nullptr);
}

constexpr float kTolerance = 2e-4f;

TEST(Fraction, StackedLayoutWithTheFactoryDesign)
{
    const struct
    {
        const char *properties;
        const char *numerator;
        float numeratorX, numeratorY;
    } cases[] = {
        {"", "Fx (w=6,t=9,b=-1) {}", 2.44444f, 6.78327f},
        {"(at)", "Fx (w=6,t=9,b=-1) {}", 2.44444f, 6.78327f},
        {"", "Fx (w=6,t=9,b=-5) {}", 2.44444f, 9.29376f},
    };
    for (const auto &c : cases)
    {
        FractionTestDocument document;
        std::string text = Fraction(c.properties, c.numerator);
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        Design design;
        document.LayoutAll(&design);
        auto *fraction = document.Find<FractionNode>("f");
        auto *numerator = document.Find<GroupNode>("n");
        auto *denominator = document.Find<GroupNode>("d");
        EXPECT_NEAR(fraction->leftSpacing, 1.83333f, kTolerance);
        EXPECT_NEAR(fraction->rightSpacing, 1.83333f, kTolerance);
        EXPECT_NEAR(fraction->width, 10.88889f, kTolerance);
        EXPECT_NEAR(numerator->position.x, c.numeratorX, kTolerance);
        EXPECT_NEAR(numerator->position.y, c.numeratorY, kTolerance);
        EXPECT_NEAR(denominator->position.x, 2.94444f, kTolerance);
        EXPECT_NEAR(denominator->position.y, -8.44427f, kTolerance);
        EXPECT_NEAR(fraction->top, c.numeratorY + 9.0f, kTolerance);
        EXPECT_NEAR(fraction->bottom, -10.44427f, kTolerance);
        ASSERT_EQ(fraction->outlineCount, 4);
        float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
        for (const QuadraticBezier2D &curve : fraction->outline)
        {
            minX = std::fmin(minX, curve.p0.x);
            maxX = std::fmax(maxX, curve.p0.x);
            minY = std::fmin(minY, curve.p0.y);
            maxY = std::fmax(maxY, curve.p0.y);
        }
        EXPECT_NEAR(minX, 1.83333f, kTolerance);
        EXPECT_NEAR(maxX, 9.05556f, kTolerance);
        EXPECT_NEAR(minY, 2.55056f, kTolerance);
        EXPECT_NEAR(maxY, 3.07154f, kTolerance);

        // The bar is drawn unless "at"; the two fixed boxes draw nothing.
        DisplayList exported;
        fraction->BuildExportItems(&design, &exported);
        DisplayList paths;
        fraction->BuildPathItems(&design, &paths);
        int32_t expected = fraction->atop ? 0 : 1;
        EXPECT_EQ(exported.GetListElementCount(), expected);
        EXPECT_EQ(paths.GetListElementCount(), expected);
        exported.Purge();
        paths.Purge();
    }
}

TEST(Fraction, RowsAndAlignmentPlaceTheSlots)
{
    FractionTestDocument document;
    std::string text = Fraction("", "Fx (w=6,t=9,b=-1) {}");
    // A left-aligned two-row numerator over a two-row denominator.
    text = "Gr { Bg {} Fr $f { Gr $n (t='numr',al='left') { Bg {} Fx (w=2,t=9,b=-1) {} Bg {} Fx (w=6,t=9,b=-1) {} }"
           " Gr $d (t='dnom') { Bg {} Fx (w=5,t=8,b=-2) {} Bg {} Fx (w=5,t=8,b=-2) {} } } }";
    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
    Design design;
    document.LayoutAll(&design);
    auto *numerator = document.Find<GroupNode>("n");
    auto *denominator = document.Find<GroupNode>("d");
    ASSERT_EQ(numerator->GetRowCount(), 2);
    // Its last row's baseline where a one-row numerator's would be; the denominator by its first row.
    EXPECT_NEAR(numerator->position.y + numerator->GetLastRowBaseline(), 6.78327f, kTolerance);
    EXPECT_NEAR(denominator->position.y, -8.44427f, kTolerance);
    float mu = design.GetBaseFontSize() / 18.0f;
    EXPECT_NEAR(numerator->position.x, 1.83333f + mu, kTolerance);
}

TEST(Fraction, SlashFormsAreParallelogramsAcrossTheirCentreLine)
{
    for (const char *properties : {"(t='horz')", "(t='diag')", "(t='diag',sm)"})
    {
        FractionTestDocument document;
        std::string text = Fraction(properties);
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        Design design;
        document.LayoutAll(&design);
        auto *fraction = document.Find<FractionNode>("f");
        ASSERT_EQ(fraction->outlineCount, 4) << properties;
        const QuadraticBezier2D *c = fraction->outline;
        // Opposite sides are parallel and as long; the short sides are the slash's thickness.
        EXPECT_NEAR(c[0].p2.x - c[0].p0.x, c[2].p0.x - c[3].p0.x, kTolerance);
        EXPECT_NEAR(c[0].p2.y - c[0].p0.y, c[2].p0.y - c[3].p0.y, kTolerance);
        float mu = design.GetBaseFontSize() / 18.0f;
        float side = std::hypot(c[1].p2.x - c[1].p0.x, c[1].p2.y - c[1].p0.y);
        EXPECT_NEAR(side, mu * 0.8525f, kTolerance) << properties;
        // Counter-clockwise, and inside the node's box vertically.
        float area = 0.0f;
        for (int32_t i = 0; i < 4; ++i)
        {
            area += c[i].p0.x * c[i].p2.y - c[i].p2.x * c[i].p0.y;
            EXPECT_GE(c[i].p0.y, fraction->bottom - kTolerance);
            EXPECT_LE(c[i].p0.y, fraction->top + kTolerance);
            EXPECT_EQ(c[i].p1.x, c[i].p2.x);
            EXPECT_EQ(c[i].p1.y, c[i].p2.y);
        }
        EXPECT_GT(area, 0.0f) << properties;
    }
}

std::string Text(const TextString &text)
{
    return text.GetLength() > 0 ? std::string(text) : std::string();
}

TEST(Fraction, WritesLatexAndMathML)
{
    const struct
    {
        const char *properties;
        uint8_t display;
        const char *latex;
        const char *mathml;
    } cases[] = {
        {"", 1, "\\dfrac{x}{x}", "<mfrac><mrow><mi>x</mi></mrow>\n<mrow><mi>x</mi></mrow>\n</mfrac>"},
        {"(sm)", 1, "\\tfrac{x}{x}",
         "<mfrac displaystyle=\"false\"><mrow><mi>x</mi></mrow>\n<mrow><mi>x</mi></mrow>\n</mfrac>"},
        {"(at)", 0, "\\displaystyle{x \\atop x}",
         "<mfrac displaystyle=\"true\" linethickness=\"0\"><mrow><mi>x</mi></mrow>\n<mrow><mi>x</mi></mrow>\n</mfrac>"},
        {"(t='horz')", 1, "{x}/{x}", "<mrow><mi>x</mi></mrow>\n<mo>/</mo><mrow><mi>x</mi></mrow>\n"},
        {"(t='diag')", 1, "{x}/{x}",
         "<mfrac bevelled=\"true\"><mrow><mi>x</mi></mrow>\n<mrow><mi>x</mi></mrow>\n</mfrac>"},
    };
    for (const auto &c : cases)
    {
        FractionTestDocument document;
        std::string text = Fraction(c.properties);
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        auto *fraction = document.Find<FractionNode>("f");
        MathWriterState state;
        state.displayStyle = c.display;
        TextString latex;
        fraction->WriteLatex(&state, &latex);
        EXPECT_EQ(Text(latex), c.latex) << c.properties;
        state.displayStyle = c.display;
        TextString mathml;
        fraction->WriteMathML(&state, &mathml);
        EXPECT_EQ(Text(mathml), c.mathml) << c.properties;
        // The plain DTD refuses displaystyle on mfrac: the subset declares it.
        EXPECT_EQ(test::ValidateMathML("<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mrow>" + Text(mathml) +
                                           "</mrow></math>",
                                       "<!ATTLIST mfrac displaystyle (true|false) #IMPLIED>"),
                  "")
            << c.properties;
        EXPECT_EQ(state.displayStyle, c.display) << c.properties;
    }
}

// A display-style switch written inside a slot ends with the slot, as TeX's group ends it.
TEST(Fraction, StyleSwitchesEndWithTheirSlot)
{
    const struct
    {
        const char *text;
        const char *latex;
    } cases[] = {
        {"Gr { Bg {} Fr (at) { Gr (t='numr') { Bg {} Fr (at,sm) { Gr (t='numr') { Bg {} Fx {} } Gr (t='dnom') { Bg {} Fx {} } } }"
         " Gr (t='dnom') { Bg {} Fx {} } } Fr (at,sm) { Gr (t='numr') { Bg {} Fx {} } Gr (t='dnom') { Bg {} Fx {} } } }",
         "\\displaystyle{{x \\atop x} \\atop x}\\textstyle{x \\atop x}"},
        {"Gr { Bg {} Fr (at) { Gr (t='numr') { Bg {} Fx {} } Gr (t='dnom') { Bg {} Fx {} } }"
         " Fr { Gr (t='numr') { Bg {} Fr (at) { Gr (t='numr') { Bg {} Fx {} } Gr (t='dnom') { Bg {} Fx {} } } }"
         " Gr (t='dnom') { Bg {} Fx {} } } }",
         "\\displaystyle{x \\atop x}\\dfrac{\\displaystyle{x \\atop x}}{x}"},
    };
    for (const auto &c : cases)
    {
        FractionTestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(c.text)), "0") << c.text;
        auto *group = dynamic_cast<GroupNode *>(MathNode::FromStructure(document.GetRootStructure()->GetFirstSubnodeStructure()));
        ASSERT_NE(group, nullptr);
        MathWriterState state;
        state.displayStyle = 0;
        TextString latex;
        for (MathNode *node = group->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
            node->WriteLatex(&state, &latex);
        EXPECT_EQ(Text(latex), c.latex);
    }
}

}  // namespace
}  // namespace oq
