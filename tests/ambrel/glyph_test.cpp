// Glyph preparation details and the ownership of typographic structures.
#include "AmbrelTestSupport.h"

namespace oq {
namespace {

using test::FourCC;

struct FontDocument
{
    explicit FontDocument(const char *text)
    {
        KettricResult result = document.ParseAndResolve(text);
        EXPECT_EQ(FourCC(result), FourCC(0)) << "line " << document.GetErrorLine();
        font = document.fontList.GetFirst();
    }

    AmbrelDocument document;
    FontStructure *font = nullptr;
};

TEST(AmbrelGlyphTest, PreparationOfOutlinesAndCharacters)
{
    FontDocument read(R"(Font (glyph_count = 8)
{
	CharMap (char = 0x2113) {uint16 {3}}
	CharMap (char = 0x1D4C0) {uint16 {4}}
	Glyph (index = 0) {}
	Glyph (index = 1) {Component {uint32 {2}} Rect {float[2] {{0, 0}, {1, 1}}}}
	Glyph (index = 2) {Component {uint32 {1}} Rect {float[2] {{2, 0}, {3, 1}}}}
	Glyph (index = 3) {Component {uint32 {2} Translation {float[2] {{1, 1}}}}}
	Glyph (index = 4) {Component {uint32 {2} Scale {float[2] {{2, 2}}}}}
	Glyph (index = 5) {Rect {float[2] {{0, 0}, {1, 1}}}}
	Glyph (index = 5) {Bearing {float {0.05}} Polygon {float[2] {{0.08, 0}, {0.5, 1}, {0.5, 0}}}}
	Glyph (index = 6) {Bearing {float {0}} Group {Translation {float[2] {{0.5, 0}}} Rect {float[2] {{0, 0}, {1, 2}}}}}
	Glyph (index = 7) {Bearing {float {0.25}} Path {float[2]* {M{0.5, 0}, Q{0, 0.5}, {0.5, 1}, L{0.9, 0.5}}}}
})");
    ASSERT_NE(read.font, nullptr);
    GlyphStructure *const *glyphs = read.font->glyphTable;

    // A cycle: each glyph collects the other's own curves once.
    EXPECT_EQ(glyphs[1]->curves.GetElementCount(), 8);
    EXPECT_EQ(glyphs[1]->boundingBox.max.x, 3.0f);
    EXPECT_EQ(glyphs[2]->curves.GetElementCount(), 8);
    // Single references: only a translation may move the one glyph.
    EXPECT_NE(glyphs[3]->singleReference, nullptr);
    EXPECT_EQ(glyphs[3]->boundingBox.min.y, 1.0f);
    EXPECT_EQ(glyphs[4]->singleReference, nullptr);
    EXPECT_EQ(glyphs[4]->boundingBox.max.x, 6.0f);
    EXPECT_EQ(glyphs[1]->singleReference, glyphs[1]->GetFirstSubstructure('comp'));

    // The later of two Glyphs with one index wins; its outline moves to its bearing.
    EXPECT_EQ(glyphs[5], test::FindStructure<GlyphStructure>(&read.document, 'glyf', 6));
    EXPECT_NEAR(glyphs[5]->boundingBox.min.x, 0.05f, 1e-6f);
    EXPECT_NEAR(glyphs[5]->curves[0].p0.x, 0.05f, 1e-6f);
    EXPECT_EQ(glyphs[5]->controlTop, 1.0f);
    // Geometry inside Groups counts; a bearing of 0 leaves the outline.
    EXPECT_EQ(glyphs[6]->boundingBox.min.x, 0.5f);
    EXPECT_EQ(glyphs[6]->controlTop, 2.0f);
    // A curve whose left edge is at the bearing stays, though its control point lies further left.
    EXPECT_EQ(glyphs[7]->curves[0].p1.x, 0.0f);
    EXPECT_NEAR(glyphs[7]->boundingBox.min.x, 0.25f, 1e-6f);
    EXPECT_NEAR(glyphs[7]->boundingBox.max.x, 0.9f, 1e-6f);

    // The script small l takes the letterlike one's glyph, which lists both.
    EXPECT_EQ(read.font->characterTable->Get(0x1D4C1), 3);
    ASSERT_EQ(glyphs[3]->characterList.GetElementCount(), 2);
    EXPECT_EQ(glyphs[3]->characterList[0], 0x2113u);
    EXPECT_EQ(glyphs[3]->characterList[1], 0x1D4C1u);
    // Two Glyphs with one index are both written.
    std::string text = test::WriteDocumentText(&read.document);
    EXPECT_NE(text.find("Glyph (index = 5)\t\t// <5>"), text.rfind("Glyph (index = 5)\t\t// <5>"));
}

TEST(AmbrelGlyphTest, DestroyingEitherEndRemovesTheLinks)
{
    const char *text = R"(Font (glyph_count = 3)
{
	Glyph (index = 0) {Alternate (feature = 'salt') {uint32 {1, 2}} Anchor {}}
	Glyph (index = 1) {}
	Glyph (index = 2) {}
}
Font {})";
    {
        FontDocument read(text);
        GlyphStructure *target = read.font->glyphTable[1];
        AlternateStructure *alternate = read.font->glyphTable[0]->alternates.GetFirst();
        EXPECT_EQ(alternate->GetGraphElement()->GetOutgoingEdgeList().GetListElementCount(), 2);
        // A Glyph that others refer to goes first.
        read.font->glyphTable[1] = nullptr;
        delete target;
        EXPECT_EQ(alternate->GetGraphElement()->GetOutgoingEdgeList().GetListElementCount(), 1);
        // Then the referring structure: the other Glyph keeps no incoming link, the list no member.
        GlyphStructure *owner = read.font->glyphTable[0];
        delete alternate;
        EXPECT_TRUE(owner->alternates.IsEmpty());
        EXPECT_TRUE(read.font->glyphTable[2]->GetGraphElement()->GetIncomingEdgeList().IsEmpty());
        EXPECT_EQ(owner->markAnchors.GetFirst()->GetPosition().x, 0.0f);
        // A Font leaves the document's font list.
        ASSERT_EQ(read.document.fontList.GetListElementCount(), 2);
        delete read.document.fontList.GetFirst();
        EXPECT_EQ(read.document.fontList.GetListElementCount(), 1);
    }
}

// A Glyph whose outline is exactly its one geometry's curves takes them when the document asks:
// the geometry's copy goes, and collection (Components before and after it, a single reference)
// reads the Glyph's own, so every prepared outline stays the same.
TEST(AmbrelGlyphTest, TakingTheGeometryCurvesKeepsEveryOutline)
{
    const char *text = R"(Font (glyph_count = 9)
{
	Glyph (index = 0) {}
	Glyph (index = 1) {Rect {float[2] {{0, 0}, {1, 1}}}}
	Glyph (index = 2) {Component {uint32 {1}} Component {uint32 {3} Translation {float[2] {{1, 0}}}}}
	Glyph (index = 3) {Path {float[2]* {M{0.5, 0}, Q{0, 0.5}, {0.5, 1}, L{0.9, 0.5}}}}
	Glyph (index = 4) {Rect {float[2] {{0, 0}, {1, 1}}} Rect {float[2] {{2, 0}, {3, 1}}}}
	Glyph (index = 5) {Bearing {float {0.05}} Polygon {float[2] {{0.08, 0}, {0.5, 1}, {0.5, 0}}}}
	Glyph (index = 6) {Group {Translation {float[2] {{0.5, 0}}} Rect {float[2] {{0, 0}, {1, 2}}}}}
	Glyph (index = 7) {Component {uint32 {6}}}
	Glyph (index = 8) {Component {uint32 {3}} Rect {float[2] {{2, 0}, {3, 1}}}}
})";
    AmbrelDocument kept, taken;
    taken.glyphsTakeGeometryCurves = true;
    ASSERT_EQ(kept.ParseAndResolve(text), 0u);
    ASSERT_EQ(taken.ParseAndResolve(text), 0u);
    GlyphStructure *const *a = kept.fontList.GetFirst()->glyphTable;
    GlyphStructure *const *b = taken.fontList.GetFirst()->glyphTable;
    const bool expected[9] = {false, true, false, true, false, false, true, false, false};
    for (int32_t g = 0; g < 9; ++g)
    {
        std::string what = "glyph " + std::to_string(g);
        EXPECT_FALSE(a[g]->geometryCurvesTaken) << what;
        EXPECT_EQ(b[g]->geometryCurvesTaken, expected[g]) << what;
        ASSERT_EQ(a[g]->curves.GetElementCount(), b[g]->curves.GetElementCount()) << what;
        if (a[g]->curves.GetElementCount() != 0)
            test::ExpectSameFloats(&a[g]->curves[0].p0.x, &b[g]->curves[0].p0.x, 6 * a[g]->curves.GetElementCount(), what);
        test::ExpectSameFloats(&a[g]->boundingBox.min.x, &b[g]->boundingBox.min.x, 4, what + " box");
        EXPECT_EQ(a[g]->controlTop, b[g]->controlTop) << what;
        EXPECT_EQ(a[g]->singleReference != nullptr, b[g]->singleReference != nullptr) << what;
        // The geometry of a Glyph that took its curves has none left.
        int32_t geometryCurves = 0;
        for (auto *node = b[g]->GetFirstSubnodeStructure(); node != nullptr;
             node = static_cast<KettricStructure *>(b[g]->GetNextTreeNode(node)))
        {
            if (node->GetBaseStructureType() == kAmbrelGeometryBase)
                geometryCurves += static_cast<GeometryStructure *>(node)->curves.GetElementCount();
        }
        EXPECT_EQ(geometryCurves == 0, expected[g] || g == 0 || g == 2 || g == 7) << what;
    }
    // Prepared again, a Glyph collects the curves it took.
    b[3]->PrepareGeometry(taken.fontList.GetFirst());
    EXPECT_EQ(b[3]->curves.GetElementCount(), a[3]->curves.GetElementCount());
    b[2]->PrepareGeometry(taken.fontList.GetFirst());
    EXPECT_EQ(b[2]->curves.GetElementCount(), a[2]->curves.GetElementCount());
}

}  // namespace
}  // namespace oq
