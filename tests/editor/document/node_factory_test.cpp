// The equation document's factory: the kinds of the library without any call, test kinds put in
// place and replaced. One test only: it needs a process in which nothing registered "Ln" before.
#include "editor/document/EquationDocument.h"
#include "editor/document/NodeFactory.h"
#include "support/DocumentTestKinds.h"

#include <gtest/gtest.h>

namespace oq {
namespace {

TEST(NodeFactory, RegistrationsInOrder)
{
    EquationDocument document;
    ASSERT_EQ(document.ParseAndResolve("Gr { Bg {} Al {} } Ln { }"), 0u);
    EXPECT_EQ(dynamic_cast<GroupNode *>(document.GetRootStructure()->GetFirstSubnodeStructure()), document.GetMainGroup());
    // The unknown "Ln" was parsed and dropped.
    EXPECT_EQ(document.GetRootStructure()->GetSubnodeCount(), 1);

    RegisterNodeKind("Ln", []() -> KettricStructure * { return new test::TestDrawingNode("Ln"); });
    ASSERT_EQ(document.ParseAndResolve("Gr { Bg {} } Ln (n=7) { }"), 0u);
    auto *line = dynamic_cast<test::TestDrawingNode *>(document.GetRootStructure()->GetLastSubnodeStructure());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->label, 7);

    // A second registration replaces the first.
    RegisterNodeKind("Ln", []() -> KettricStructure * { return new test::TestDrawingNode("Lx"); });
    ASSERT_EQ(document.ParseAndResolve("Gr { Bg {} } Ln { }"), 0u);
    line = dynamic_cast<test::TestDrawingNode *>(document.GetRootStructure()->GetLastSubnodeStructure());
    ASSERT_NE(line, nullptr);
    EXPECT_STREQ(line->identifier, "Lx");
}

}  // namespace
}  // namespace oq
