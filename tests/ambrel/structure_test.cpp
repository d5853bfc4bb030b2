// The structure base: substructure writing, indentation balance, and the glyph reference links
// between typographic structures.
#include "AmbrelTestSupport.h"
#include "ambrel/TypographicStructure.h"

namespace oq {
namespace {

// A typographic structure that writes nothing.
class TestGlyph : public TypographicStructure
{
public:
    TestGlyph() : TypographicStructure('glyf') {}
    void Write(AmbrelDocument *, TextOutputStream *) const override {}
};

TEST(AmbrelStructureTest, DataListsAreNotWrittenAsSubstructures)
{
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve("Line {float[2] {{0, 0}, {1, 1}}}\nGroup {Rect {}}"), 0u);
    auto *line = static_cast<AmbrelStructure *>(document.GetRootStructure()->GetFirstSubnodeStructure());
    auto *group = static_cast<AmbrelStructure *>(line->GetNextStructure());
    std::string text;
    TextOutputStream stream(test::AppendToString, &text);
    stream.indentationLevel = 3;
    EXPECT_FALSE(line->WriteSubstructures(&document, &stream));
    EXPECT_EQ(stream.indentationLevel, 3);
    EXPECT_TRUE(group->WriteSubstructures(&document, &stream));
    EXPECT_EQ(stream.indentationLevel, 3);
    EXPECT_TRUE(stream.Finish());
    EXPECT_EQ(text, "\t\t\t\tRect\n\t\t\t\t{\n\t\t\t\t}\n");
}

// Structures built in code (as an importer does) write their data before they are resolved.
TEST(AmbrelStructureTest, UnresolvedStructuresWriteTheirData)
{
    AmbrelDocument document;
    ColorStructure color(7);
    auto *list = new KettricFloatList(3);
    list->SetElementCount(6);
    for (int32_t i = 0; i < 6; ++i) (*list)[i] = float(i) * 0.5f;
    color.AppendSubnode(list);
    EXPECT_EQ(test::WriteStructureText(&document, &color), "Color (palette = 7) {float[3] {{0.0, 0.5, 1.0}, {1.5, 2.0, 2.5}}}\n");

    GradientStructure gradient("sweep");
    auto *center = new KettricFloatList(2);
    center->SetElementCount(2);
    (*center)[0] = 0.0f;
    (*center)[1] = -3.0f;
    gradient.AppendSubnode(center);
    EXPECT_EQ(test::WriteStructureText(&document, &gradient),
              "Gradient (kind = \"sweep\")\n{\n\tfloat[2] {{0.0, -3.0}}\n}\n");
}

TEST(AmbrelStructureTest, GlyphReferenceLinksLeaveWithEitherEnd)
{
    // Destroying the referred glyph removes the links from the referring structures.
    auto *glyph = new TestGlyph;
    TestGlyph first, second;
    auto *a = new GlyphReferenceLink(&first, glyph, 0);
    new GlyphReferenceLink(&second, glyph, -1);
    EXPECT_EQ(a->GetGlyphPosition(), 0);
    EXPECT_EQ(glyph->GetGraphElement()->GetIncomingEdgeList().GetListElementCount(), 2);
    EXPECT_EQ(first.GetGraphElement()->GetOutgoingEdgeList().GetListElementCount(), 1);
    delete glyph;
    EXPECT_EQ(first.GetGraphElement()->GetOutgoingEdgeList().GetListElementCount(), 0);
    EXPECT_EQ(second.GetGraphElement()->GetOutgoingEdgeList().GetListElementCount(), 0);

    // Destroying the referring structure first leaves the glyph without incoming links.
    TestGlyph target;
    auto *referring = new TestGlyph;
    new GlyphReferenceLink(referring, &target, 2);
    delete referring;
    EXPECT_EQ(target.GetGraphElement()->GetIncomingEdgeList().GetListElementCount(), 0);

    // A link deleted on its own unlinks both parts.
    TestGlyph left, right;
    delete new GlyphReferenceLink(&left, &right, 1);
    EXPECT_EQ(left.GetGraphElement()->GetOutgoingEdgeList().GetListElementCount(), 0);
    EXPECT_EQ(right.GetGraphElement()->GetIncomingEdgeList().GetListElementCount(), 0);
}

TEST(AmbrelStructureTest, OffsetGlyphIndicesReachesTypographicSubstructures)
{
    struct Counter : public TypographicStructure
    {
        Counter() : TypographicStructure('cnt ') {}
        void Write(AmbrelDocument *, TextOutputStream *) const override {}
        void OffsetGlyphIndices(int32_t amount) override
        {
            total += amount;
            TypographicStructure::OffsetGlyphIndices(amount);
        }
        int32_t total = 0;
    };
    auto *outer = new TestGlyph;
    auto *inner = new Counter;
    auto *deeper = new Counter;
    outer->AppendSubnode(new GroupStructure);
    outer->AppendSubnode(inner);
    inner->AppendSubnode(deeper);
    outer->OffsetGlyphIndices(5);
    EXPECT_EQ(inner->total, 5);
    EXPECT_EQ(deeper->total, 5);
    TextString description;
    EXPECT_FALSE(outer->GetDescription(&description, 0, -1));
    EXPECT_TRUE(description.IsEmpty());
    delete outer;
}

}  // namespace
}  // namespace oq
