// Outline collection through Components stops at its limits: nesting depth, glyph visits and the
// curves of one glyph; such a glyph is marked too large and keeps no curves.
#include "AmbrelTestSupport.h"
#include "support/ComponentFontText.h"

namespace oq {
namespace {

using test::FourCC;

TEST(AmbrelComponentLimitTest, NestingDepth)
{
    struct Case
    {
        int32_t length;
        bool tooLarge;
    };
    for (const Case &c : {Case{64, false}, Case{65, true}})
    {
        AmbrelDocument document;
        std::string text = test::ComponentChainFontText(c.length);
        ASSERT_EQ(FourCC(document.ParseAndResolve(text.c_str())), FourCC(0));
        FontStructure *font = document.fontList.GetFirst();
        GlyphStructure *root = font->glyphTable[0];
        EXPECT_EQ(root->tooLarge, c.tooLarge) << c.length;
        EXPECT_EQ(root->curves.GetElementCount(), c.tooLarge ? 0 : 4) << c.length;
        // One level less from the second glyph.
        EXPECT_FALSE(font->glyphTable[1]->tooLarge) << c.length;
        EXPECT_EQ(font->glyphTable[1]->curves.GetElementCount(), 4) << c.length;
        // Only the glyph at the end of a short chain is a single reference.
        EXPECT_NE(font->glyphTable[c.length - 1]->singleReference, nullptr);
    }
}

TEST(AmbrelComponentLimitTest, FanOutStopsAtTheVisitAndCurveBudgets)
{
    struct Case
    {
        bool ink;
        int32_t visits;
        int32_t curves;
    };
    // Without ink the visits run out (the first visit past the budget stops); with ink the curves.
    for (const Case &c : {Case{false, kMaxGlyphVisits + 1, 0}, Case{true, -1, kMaxGlyphCurves}})
    {
        AmbrelDocument document;
        std::string text = test::ComponentFanOutFontText(8, 8, c.ink);
        ASSERT_EQ(FourCC(document.ParseAndResolve(text.c_str())), FourCC(0));
        FontStructure *font = document.fontList.GetFirst();
        GlyphStructure *root = font->glyphTable[0];
        EXPECT_TRUE(root->tooLarge) << c.ink;
        EXPECT_EQ(root->curves.GetElementCount(), 0);
        // Four levels above the leaf, 4,681 visits and 4,096 copies of the leaf fit.
        EXPECT_FALSE(font->glyphTable[4]->tooLarge);
        EXPECT_EQ(font->glyphTable[4]->curves.GetElementCount(), c.ink ? 4 * 4096 : 0);

        Array<QuadraticBezier2D> curves;
        GeometryCollection collection;
        collection.curves = &curves;
        root->CollectGeometry(font, &collection);
        EXPECT_TRUE(collection.tooLarge);
        if (c.visits >= 0)
        {
            EXPECT_EQ(collection.visitCount, c.visits);
        }
        EXPECT_EQ(curves.GetElementCount(), c.curves);
        EXPECT_EQ(collection.stack.GetElementCount(), 0);
    }
}

}  // namespace
}  // namespace oq
