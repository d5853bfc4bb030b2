// The node text form and the "X" link block: exact text, reader errors and the round trip.
#include "support/DocumentTestKinds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace oq {
namespace {

using test::TestContainerNode;
using test::ResultText;
using test::TestDocument;
using test::TestDrawingNode;
using test::TestLeafNode;

std::string Tabs(int n)
{
    return std::string(size_t(n), '\t');
}

// Containers nested to the depth, a leaf at the bottom.
std::string NestedText(int depth)
{
    std::string text;
    for (int d = 0; d < depth; ++d) text += Tabs(d) + "Gr\n" + Tabs(d) + "{\n";
    text += Tabs(depth) + "Lf {}\n";
    for (int d = depth - 1; d >= 0; --d) text += Tabs(d) + "}\n";
    return text;
}

// Texts that read and then write as given.
TEST(NodeText, ExactText)
{
    const std::string deep = NestedText(17);
    struct Case
    {
        const char *what;
        std::string input;
        std::string output;
    } cases[] = {
        {"defaults write no parentheses", "Lf () {} Gr {}", "Lf {}\nGr\n{\n}\n"},
        {"depth 17: one block of sixteen tabs and one more", deep, deep},
        {"a name only with incoming links", "Lf $a {} Gr $g { Lf $b {} }", "Lf {}\nGr\n{\n\tLf {}\n}\n"},
        {"leaf and container shapes", "Gr (n=2) { Lf (n=1) {} Gr { } }", "Gr (n=2)\n{\n\tLf (n=1) {}\n\tGr\n\t{\n\t}\n}\n"},
        {"every value format",
         "Lf (n=-7,s=3,k='axis',co=0xFF00FF00,t) {} Lf (k=0x00000001,s=1.5e-5) {}",
         "Lf (n=-7,s=3.0,k='axis',co=0xFF00FF00,t) {}\nLf (s=1.5e-5,k=1) {}\n"},
        {"a false flag and zero values are left out", "Lf (t=false,s=0,co=0,k=0) {}", "Lf {}\n"},
        {"a non-finite property reads as absent", "Lf (s=0x7FC00000,n=1) {} Lf (s=-0xFF800000) {}",
         "Lf (n=1) {}\nLf {}\n"},
        {"an X with two links to one node",
         "Lf $a {} Dr { X { ref{$a,$a} u32{'lmnl',0} i32{0,1} } }",
         "Lf $_0 {}\nDr\n{\n\tX\n\t{\n\t\tref{$_0,$_0}\n\t\tu32{'lmnl',0}\n\t\ti32{0,1}\n\t}\n}\n"},
        {"the f line only when a value is not 0",
         "Lf $a {} Dr { X { ref{$a,$a} u32{0,0} i32{0,0} f{0,0} } } Dr { X { ref{$a,$a} u32{0,0} i32{0,0} f{0,0.5} } }",
         "Lf $_0 {}\nDr\n{\n\tX\n\t{\n\t\tref{$_0,$_0}\n\t\tu32{0,0}\n\t\ti32{0,0}\n\t}\n}\n"
         "Dr\n{\n\tX\n\t{\n\t\tref{$_0,$_0}\n\t\tu32{0,0}\n\t\ti32{0,0}\n\t\tf{0.0,0.5}\n\t}\n}\n"},
        {"a non-finite link value reads as absent",
         "Lf $a {} Dr { X { ref{$a} u32{0} i32{0} f{0x7F800000} } }",
         "Lf $_0 {}\nDr\n{\n\tX\n\t{\n\t\tref{$_0}\n\t\tu32{0}\n\t\ti32{0}\n\t}\n}\n"},
        {"links inside a nested container, unknown structures skipped",
         "Gr { Gr { Lf $x {} } Zz { Lf {} } X { ref{$x} u32{-1} i32{3} } }",
         "Gr\n{\n\tGr\n\t{\n\t\tLf $_0 {}\n\t}\n\tX\n\t{\n\t\tref{$_0}\n\t\tu32{-1}\n\t\ti32{3}\n\t}\n}\n"},
    };
    for (const Case &c : cases)
    {
        TestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(c.input.c_str())), "0") << c.what;
        EXPECT_EQ(document.WriteText(), c.output) << c.what;
    }
}

// Non-finite values are written as bit patterns (never "INF" or "NAN") and read back as absent.
TEST(NodeText, NonFiniteValuesWrittenAsBitPatterns)
{
    TestDocument document;
    ASSERT_EQ(document.ParseAndResolve("Lf $a {} Dr { X { ref{$a,$a} u32{0,0} i32{0,0} } }"), 0u);
    auto *leaf = static_cast<TestLeafNode *>(document.FindLabel(0));
    leaf->size = -__builtin_inff();
    NodeLink *link = leaf->GetFirstIncomingLink();
    link->value = __builtin_nanf("");
    link->GetNextIncomingLink()->value = 2.0f;
    std::string text = document.WriteText();
    EXPECT_EQ(text, "Lf $_0 (s=0xFF800000) {}\nDr\n{\n\tX\n\t{\n\t\tref{$_0,$_0}\n\t\tu32{0,0}\n\t\ti32{0,0}\n"
                    "\t\tf{0x7FC00000,2.0}\n\t}\n}\n");

    TestDocument reread;
    ASSERT_EQ(reread.ParseAndResolve(text.c_str()), 0u);
    auto *readLeaf = static_cast<TestLeafNode *>(reread.FindLabel(0));
    EXPECT_EQ(readLeaf->size, 0.0f);
    NodeLink *readLink = readLeaf->GetFirstIncomingLink();
    ASSERT_NE(readLink, nullptr);
    EXPECT_EQ(readLink->value, 0.0f);
    EXPECT_EQ(readLink->GetNextIncomingLink()->value, 2.0f);
}

// Refused substructures fail the parse; after a read no "X" stays in the tree.
TEST(NodeText, ReaderStructure)
{
    struct Case
    {
        const char *text;
        KettricResult result;
    } cases[] = {
        {"Lf { Gr {} }", kResultInvalidStructure},
        {"Lf { Zz {} }", 0},
        {"Dr { Lf {} }", kResultInvalidStructure},
        {"Lf $a {} Lf { X { ref{$a} u32{0} i32{0} } }", kResultInvalidStructure},
        {"X { ref{$a} u32{0} i32{0} }", kResultInvalidStructure},
        {"Lf { u32{1} }", kResultInvalidStructure},
    };
    for (const auto &c : cases)
    {
        TestDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(c.text)), ResultText(c.result)) << c.text;
    }

    TestDocument document;
    ASSERT_EQ(document.ParseAndResolve("Lf $a {} Gr { Lf {} X { ref{$a} u32{0} i32{0} } Lf {} }"), 0u);
    DocumentNode *group = DocumentNode::FromStructure(document.GetRootStructure()->GetLastSubnodeStructure());
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetFirstSubstructure(kConnectionStructureType), nullptr);
    EXPECT_EQ(group->GetSubnodeCount(), 2);
    ASSERT_NE(group->GetFirstOutgoingLink(), nullptr);
    EXPECT_EQ(group->GetFirstOutgoingLink()->GetTarget(), document.FindLabel(0));
}

// Every failure of the "X" reader, and references that name something other than a node.
TEST(NodeText, LinkBlockReaderErrors)
{
    const char *prefix = "Lf $a {} Lf $b {} D $d { F %f {} M %m {} P %p {} V %v {} u32 %l {1} Dr %n {} Gr %g {} } "
                         "u32 $list {1} Gr $g {} ";
    // A named "X" that resolves after the one under test.
    const char *suffix = " Gr { X $x { ref{$a} u32{0} i32{0} } }";
    struct Case
    {
        const char *block;
        KettricResult result;
    } cases[] = {
        {"X {}", kResultMissingSubstructure},
        {"X { u32{0} i32{0} }", kResultMissingSubstructure},
        {"X { ref{$a} i32{0} }", kResultMissingSubstructure},
        {"X { ref{$a} u32{0} }", kResultMissingSubstructure},
        {"X { ref{$a} ref{$a} u32{0} i32{0} }", kResultExtraSubstructure},
        {"X { ref{$a} u32{0} u32{0} i32{0} }", kResultExtraSubstructure},
        {"X { ref{$a} u32{0} i32{0} i32{0} }", kResultExtraSubstructure},
        {"X { ref{$a} u32{0} i32{0} f{0} f{0} }", kResultExtraSubstructure},
        {"X { ref{} u32{} i32{} }", kResultInvalidDataFormat},
        {"X { ref{$a} u32{0} i32{0,1} }", kResultInvalidDataFormat},
        {"X { ref{$a} u32{0,0} i32{0} }", kResultInvalidDataFormat},
        {"X { ref{$a} u32{0} i32{0} f{0,1} }", kResultInvalidDataFormat},
        {"X { ref{$a} u32{0} i32{-1} }", kResultInvalidDataFormat},
        {"X { ref{$missing} u32{0} i32{0} }", kResultBadReference},
        {"X { ref{%a} u32{0} i32{0} }", kResultBadReference},
        {"X { ref{$a%b} u32{0} i32{0} }", kResultBadReference},
        {"X { ref{$d} u32{0} i32{0} }", kResultBadReference},
        {"X { ref{$d%f} u32{0} i32{0} }", kResultBadReference},
        {"X { ref{$d%m} u32{0} i32{0} }", kResultBadReference},
        {"X { ref{$d%p} u32{0} i32{0} }", kResultBadReference},
        {"X { ref{$d%v} u32{0} i32{0} }", kResultBadReference},
        {"X { ref{$d%l} u32{0} i32{0} }", kResultBadReference},
        // Nodes inside a block are not written with the document: a link to one would not read back.
        {"X { ref{$d%n} u32{0} i32{0} }", kResultBadReference},
        {"X { ref{$d%g} u32{0} i32{0} }", kResultBadReference},
        {"X { ref{$list} u32{0} i32{0} }", kResultBadReference},
        {"X { ref{$x} u32{0} i32{0} }", kResultBadReference},
        {"X { ref{$a,$missing} u32{0,0} i32{0,0} }", kResultBadReference},
        {"X { s{\"a\"} }", kResultInvalidStructure},
        {"X { i16{1} }", kResultInvalidStructure},
        {"X { Lf {} }", kResultInvalidStructure},
        {"X { ref{$a,$b,$a} u32{0,1,2} i32{0,0,0} }", 0},
        {"X { ref{$g} u32{0} i32{0} f{-0.25} }", 0},
    };
    for (const auto &c : cases)
    {
        std::string text = std::string(prefix) + "Dr (n=9) { " + c.block + " }" + suffix;
        TestDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), ResultText(c.result)) << c.block;
    }

    // One node named twice makes two links; a failing block keeps the links made before it.
    TestDocument document;
    ASSERT_EQ(document.ParseAndResolve("Lf $a {} Lf $b {} Dr (n=9) { X { ref{$a,$b,$a} u32{1,2,3} i32{4,5,6} } }"), 0u);
    DocumentNode *drawing = document.FindLabel(9);
    std::string links;
    for (NodeLink *link = drawing->GetFirstOutgoingLink(); link != nullptr; link = link->GetNextOutgoingLink())
    {
        links += std::string(link->GetTarget()->GetStructureName()) + ":" + std::to_string(link->anchorKind) + "," +
                 std::to_string(link->anchorIndex) + " ";
    }
    EXPECT_EQ(links, "a:1,4 b:2,5 a:3,6 ");

    TestDocument failing;
    ASSERT_EQ(failing.ParseAndResolve("Lf $a {} Dr (n=9) { X { ref{$a,$a,$c} u32{0,0,0} i32{0,0,0} } }"),
              uint32_t(kResultBadReference));
    // The document failed; what it holds until it goes is still sound.
    DocumentNode *failed = failing.FindLabel(9);
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->GetOutgoingEdgeList().GetListElementCount(), 2);
    EXPECT_NE(failed->GetFirstSubstructure(kConnectionStructureType), nullptr);
}

// Random trees with random links, cycles included: written, read and written again, byte-identical.
TEST(NodeText, RoundTripOfRandomTrees)
{
    std::mt19937 random(31);
    for (int round = 0; round < 300; ++round)
    {
        TestDocument document;
        KettricRoot *root = document.GetRootStructure();
        std::vector<DocumentNode *> nodes;
        std::vector<DocumentNode *> sources;
        int32_t count = 1 + int32_t(random() % 40);
        for (int32_t i = 0; i < count; ++i)
        {
            // Containers and drawings at the top, leaves and containers below a random container.
            std::vector<DocumentNode *> containers;
            for (DocumentNode *node : nodes)
            {
                if (node->GetKind() == 'grup') containers.push_back(node);
            }
            uint32_t choice = random() % 4;
            DocumentNode *node;
            KettricStructure *super = root;
            if (choice == 0 || containers.empty())
            {
                node = (random() % 2 == 0) ? static_cast<DocumentNode *>(new TestDrawingNode)
                                           : static_cast<DocumentNode *>(new TestContainerNode);
            }
            else
            {
                super = containers[random() % containers.size()];
                if (choice == 1)
                {
                    node = new TestContainerNode;
                }
                else
                {
                    auto *leaf = new TestLeafNode;
                    uint32_t bits = random();
                    std::memcpy(&leaf->size, &bits, 4);
                    if (!std::isnormal(leaf->size) || random() % 2 == 0) leaf->size = 0.0f;
                    leaf->kind = (random() % 2 == 0) ? uint32_t(random()) : 0u;
                    leaf->color = (random() % 2 == 0) ? uint32_t(random()) : 0u;
                    leaf->flag = random() % 2 == 0;
                    node = leaf;
                }
            }
            static_cast<test::TestNode *>(node)->label = int32_t(random() % 3) - 1;
            super->AppendSubnode(node);
            nodes.push_back(node);
            if (node->GetKind() != 'leaf') sources.push_back(node);
        }
        for (DocumentNode *source : sources)
        {
            int32_t links = int32_t(random() % 4);
            for (int32_t k = 0; k < links; ++k)
            {
                DocumentNode *target = nodes[random() % nodes.size()];
                float value = 0.0f;
                if (random() % 3 == 0)
                {
                    uint32_t bits = random();
                    std::memcpy(&value, &bits, 4);
                    if (!std::isnormal(value)) value = 0.5f;
                }
                uint32_t kind = (random() % 2 == 0) ? uint32_t(random()) : 'axis';
                new NodeLink(source, target, kind, int32_t(random() % 1000), value);
            }
        }

        std::string first = document.WriteText();
        TestDocument reread;
        ASSERT_EQ(ResultText(reread.ParseAndResolve(first.c_str())), "0") << first;
        std::string second = reread.WriteText();
        ASSERT_EQ(first, second);
    }
}

}  // namespace
}  // namespace oq
