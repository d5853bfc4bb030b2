// A document nested as deep as the Kettric reader accepts is read, laid out, written, copied and
// destroyed on the main thread's default stack.
#include "EquationDocumentTesting.h"

#include "editor/fonts/DesignWriter.h"

#include <gtest/gtest.h>

namespace oq {
namespace {

// Groups nested so that the box $deep in the innermost one stands at the given depth (top-level
// structures at depth 1).
std::string NestedGroups(int32_t depth)
{
    std::string text;
    for (int32_t i = 0; i < depth - 1; ++i) text += (i == 1) ? "Gr $outer { Bg {} " : "Gr { Bg {} ";
    text += "Fx $deep (w=1.0) {} ";
    for (int32_t i = 0; i < depth - 1; ++i) text += "} ";
    return text;
}

TEST(DocumentDepth, NestedToTheReadersLimit)
{
    test::PrepareEquationTests();
    {
        EquationDocument document;
        const std::string text = NestedGroups(kKettricMaxNestingDepth) + "Ln { " + test::LinkBlock({{"deep"}}) + " }";
        ASSERT_EQ(test::ResultText(document.ParseAndResolve(text.c_str())), "0");
        test::UpdateLayout(document);
        auto *deep = test::FindNode(document, "deep");
        auto *outer = test::FindNode(document, "outer");
        EXPECT_EQ(deep->GetNodeDepth(), kKettricMaxNestingDepth);

        document.selection.start = {outer->GetPreviousMathNode(), 0};
        document.selection.end = {outer, 0};
        EquationDocument copy;
        ASSERT_TRUE(document.CopySelectionTo(&copy));

        // Each line is indented by its depth: the text is about 200 MB.
        const std::string written = test::WriteDocument(copy);
        EXPECT_EQ(written.rfind("Gr\n{\n\tBg {}\n\tGr\n\t{\n\t\tBg {}\n", 0), 0u) << written.substr(0, 40);
        EXPECT_GT(written.size(), size_t(kKettricMaxNestingDepth) * kKettricMaxNestingDepth);
        // The copy holds the nested groups and the line on the innermost box.
        EXPECT_EQ(test::TopLevelKinds(copy), (std::vector<uint32_t>{'grup', 'line'}));
        test::UpdateLayout(copy);

        // One level more is refused by the reader.
        const std::string tooDeep = "Gr { Bg {} " + NestedGroups(kKettricMaxNestingDepth) + "}";
        EquationDocument refused;
        EXPECT_EQ(test::ResultText(refused.ParseAndResolve(tooDeep.c_str())), "SYNT");
    }
}

}  // namespace
}  // namespace oq
