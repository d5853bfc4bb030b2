// The inline fraction's slant corrections with real symbol runs: a font whose glyph leans past its
// box moves the slash and the denominator by the runs' own corrections, unless "ns" is set or the
// slot's edge node is no run.
#include "StructureFixtures.h"
#include "LeaningFont.h"
#include "editor/document/OneFontTest.h"

#include "editor/document/GroupNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/structures/FractionNode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;

class FractionSlantTest : public test::OneFontTest
{
protected:
    void SetUp() override { StartWithFont(test::MakeLeaningFont(), "leaning.vorl"); }
};

struct SlashPlace
{
    float slashBottomX;
    float denominatorX;
    float numeratorCorrection;    // A: s x the numerator's last run's end correction
    float denominatorCorrection;  // B: -s x the denominator's first run's start correction
};

SlashPlace Place(const Design *design, const char *properties, const char *numerator, const char *denominator)
{
    test::StructureTestDocument document;
    std::string text = std::string("Gr { Bg {} Fr $f ") + properties + " { Gr $n (t='numr') { Bg {} " + numerator +
                       " } Gr $d (t='dnom') { Bg {} " + denominator + " } } }";
    EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
    document.LayoutAll(design);
    auto *fraction = document.Find<FractionNode>("f");
    EXPECT_EQ(fraction->outlineCount, 4);
    float em = design->GetBaseFontSize();
    float height = GetGeneralParam(design, 'cptl') * 0.5f;
    SlashPlace place = {(fraction->outline[0].p0.x + fraction->outline[3].p0.x) * 0.5f,
                        fraction->GetDenominator()->position.x, 0.0f, 0.0f};
    if (auto *run = document.Find<SymbolRunNode>("a")) place.numeratorCorrection = em * run->GetEndSlantCorrection(design, height);
    if (auto *run = document.Find<SymbolRunNode>("b"))
        place.denominatorCorrection = -em * run->GetStartSlantCorrection(design, height);
    return place;
}

TEST_F(FractionSlantTest, InlineSlashFollowsTheRunsSlantCorrections)
{
    const char *const lastRun = "Fx (w=2,t=8,b=-1) {} Sb $a {s{\"f\"}}";
    const char *const firstRun = "Sb $b {s{\"f\"}} Fx (w=2,t=8,b=-1) {}";
    SlashPlace plain = Place(&design, "(t='horz',ns)", lastRun, firstRun);
    SlashPlace corrected = Place(&design, "(t='horz')", lastRun, firstRun);
    // The leaning glyph needs a correction on both sides.
    ASSERT_LT(corrected.numeratorCorrection, -1e-3f);
    ASSERT_LT(corrected.denominatorCorrection, -1e-3f);
    EXPECT_NEAR(corrected.slashBottomX - plain.slashBottomX, corrected.numeratorCorrection, 1e-4f);
    EXPECT_NEAR(corrected.denominatorX - plain.denominatorX,
                corrected.numeratorCorrection + corrected.denominatorCorrection, 1e-4f);

    // Only the numerator's last node and the denominator's first node after its row begin count.
    const char *const lastBox = "Sb $a {s{\"f\"}} Fx (w=2,t=8,b=-1) {}";
    const char *const firstBox = "Fx (w=2,t=8,b=-1) {} Sb $b {s{\"f\"}}";
    SlashPlace boxes = Place(&design, "(t='horz')", lastBox, firstBox);
    SlashPlace boxesPlain = Place(&design, "(t='horz',ns)", lastBox, firstBox);
    EXPECT_EQ(boxes.slashBottomX, boxesPlain.slashBottomX);
    EXPECT_EQ(boxes.denominatorX, boxesPlain.denominatorX);

    // The bevelled form takes none.
    SlashPlace diagonal = Place(&design, "(t='diag')", lastRun, firstRun);
    SlashPlace diagonalPlain = Place(&design, "(t='diag',ns)", lastRun, firstRun);
    EXPECT_EQ(diagonal.slashBottomX, diagonalPlain.slashBottomX);
    EXPECT_EQ(diagonal.denominatorX, diagonalPlain.denominatorX);
}

}  // namespace
}  // namespace oq
