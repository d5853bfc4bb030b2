// Links between nodes: destruction over every link shape, deep copies, the countdown step and the
// naming pass.
#include "support/DocumentTestKinds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;
using test::TestDocument;
using test::TestDrawingNode;
using test::TestLeafNode;
using test::TestNodeRegistry;

// "X" block text linking to the named nodes (anchor kind 0, index 0).
std::string Links(std::vector<std::string> names)
{
    std::string refs, kinds, indexes;
    for (const std::string &name : names)
    {
        if (!refs.empty())
        {
            refs += ",";
            kinds += ",";
            indexes += ",";
        }
        refs += "$" + name;
        kinds += "0";
        indexes += "0";
    }
    return "X { ref{" + refs + "} u32{" + kinds + "} i32{" + indexes + "} }";
}

// The number of links that start at the node.
int32_t OutgoingCount(const DocumentNode *node)
{
    return node->GetOutgoingEdgeList().GetListElementCount();
}

struct DestructionCase
{
    const char *what;
    std::string text;
    int32_t destroyed;  // the label of the node destroyed for the check below
    const char *left;   // the labels left in the tree afterwards
};

std::vector<DestructionCase> DestructionCases()
{
    return {
        {"two drawings on one node", "Lf $a (n=1) {} Dr (n=2) { " + Links({"a"}) + " } Dr (n=3) { " + Links({"a"}) + " }", 1,
         ""},
        {"a drawing destroyed alone keeps its targets",
         "Lf $a (n=1) {} Dr (n=2) { " + Links({"a"}) + " } Dr (n=3) { " + Links({"a"}) + " }", 2, "1 3"},
        {"a drawing alone", "Dr (n=1) {} Lf (n=2) {}", 1, "2"},
        {"A and B linked both ways", "Dr $a (n=1) { " + Links({"b"}) + " } Dr $b (n=2) { " + Links({"a"}) + " } Lf (n=3) {}", 1,
         "3"},
        {"A to B to C to A",
         "Dr $a (n=1) { " + Links({"b"}) + " } Dr $b (n=2) { " + Links({"c"}) + " } Dr $c (n=3) { " + Links({"a"}) + " }", 2,
         ""},
        {"a self-link", "Dr $a (n=1) { " + Links({"a", "a"}) + " } Gr $g (n=2) { Lf (n=3) {} " + Links({"g"}) + " }", 3,
         "1 2"},
        {"an ancestor linked to its descendant", "Gr (n=1) { Lf $a (n=2) {} " + Links({"a"}) + " } Lf (n=3) {}", 2, "1 3"},
        {"an ancestor linked to its descendant, a node between",
         "Gr (n=1) { Gr (n=2) { Lf $a (n=3) {} } " + Links({"a"}) + " } Lf (n=4) {}", 2, "1 4"},
        {"a descendant linked to its ancestor", "Gr $g (n=1) { Gr (n=2) { Lf (n=3) {} " + Links({"g"}) + " } } Lf (n=4) {}",
         1, "4"},
        {"a nested group linked to a node elsewhere",
         "Lf $a (n=1) {} Gr (n=2) { Gr (n=3) { Lf (n=4) {} " + Links({"a"}) + " } }", 1, "2 3 4"},
        {"a node followed by a drawing linked to it",
         "Gr (n=1) { Lf $a (n=2) {} } Dr (n=3) { " + Links({"a"}) + " } Lf (n=4) {}", 1, "4"},
        {"a structure attached below a structure that goes",
         "Gr $g (n=1) { Lf $a (n=2) {} } Gr (n=3) { Lf $b (n=4) {} " + Links({"a"}) + " } Dr (n=5) { " + Links({"b", "g"}) +
             " } Lf (n=6) {}",
         2, "1 6"},
    };
}

// Each node destroyed exactly once whichever node goes first, and the links left point at live nodes.
TEST(NodeLinks, DestructionOverLinkShapes)
{
    for (const DestructionCase &c : DestructionCases())
    {
        {
            TestNodeRegistry::Reset();
            TestDocument document;
            ASSERT_EQ(ResultText(document.ParseAndResolve(c.text.c_str())), "0") << c.what;
            delete document.FindLabel(c.destroyed);
            EXPECT_EQ(document.Labels(), c.left) << c.what;
            // Whatever stays writes and reads back: no link points at a destroyed node.
            std::string text = document.WriteText();
            TestDocument reread;
            EXPECT_EQ(reread.ParseAndResolve(text.c_str()), 0u) << c.what << "\n" << text;
        }
        EXPECT_TRUE(TestNodeRegistry::AllDestroyedOnce()) << c.what;

        TestDocument labels;
        ASSERT_EQ(labels.ParseAndResolve(c.text.c_str()), 0u);
        for (int32_t label = 1; labels.FindLabel(label) != nullptr; ++label)
        {
            TestNodeRegistry::Reset();
            {
                TestDocument document;
                ASSERT_EQ(document.ParseAndResolve(c.text.c_str()), 0u);
                delete document.FindLabel(label);
            }
            EXPECT_TRUE(TestNodeRegistry::AllDestroyedOnce()) << c.what << ", node " << label;
        }
    }
}

TEST(NodeLinks, DestroyingTheTargetLeavesTheNestedSourceWithoutItsLink)
{
    TestDocument document;
    ASSERT_EQ(document.ParseAndResolve(("Lf $a (n=1) {} Gr (n=2) { Gr (n=3) { Lf (n=4) {} " + Links({"a", "b"}) +
                                        " } } Lf $b (n=5) {}")
                                           .c_str()),
              0u);
    DocumentNode *group = document.FindLabel(3);
    ASSERT_EQ(OutgoingCount(group), 2);
    delete document.FindLabel(1);
    ASSERT_EQ(OutgoingCount(group), 1);
    EXPECT_EQ(group->GetFirstOutgoingLink()->GetTarget(), document.FindLabel(5));
}

// A chain of drawings, each linked to the one before, goes from its first node without nesting.
TEST(NodeLinks, LongChainDestroyedWithoutNesting)
{
    TestNodeRegistry::Reset();
    {
        TestDocument document;
        KettricRoot *root = document.GetRootStructure();
        auto *first = new TestLeafNode;
        root->AppendSubnode(first);
        DocumentNode *previous = first;
        for (int32_t i = 0; i < 100000; ++i)
        {
            auto *drawing = new TestDrawingNode;
            root->AppendSubnode(drawing);
            new NodeLink(drawing, previous, 0, 0, 0.0f);
            previous = drawing;
        }
        auto *last = new TestLeafNode;
        root->AppendSubnode(last);
        delete first;
        EXPECT_EQ(root->GetFirstSubnode(), last);
        EXPECT_EQ(root->GetLastSubnode(), last);
    }
    EXPECT_EQ(TestNodeRegistry::destroyCounts.size(), 100002u);
    EXPECT_TRUE(TestNodeRegistry::AllDestroyedOnce());
}

// A node destroyed without delete (a local with a subnode) ends its destruction too: the drawing
// attached to it goes with it, and later destructions still take their dependents along.
TEST(NodeLinks, NodeDestroyedWithoutDeleteEndsItsDestruction)
{
    TestNodeRegistry::Reset();
    {
        TestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(("Dr (n=1) {} Lf $a (n=2) {} Dr (n=3) { " + Links({"a"}) + " }").c_str())),
                  "0");
        {
            test::TestContainerNode local;
            local.AppendSubnode(new TestLeafNode);
            new NodeLink(document.FindLabel(1), &local, 0, 0, 0.0f);
        }
        EXPECT_EQ(document.Labels(), "2 3");
        delete document.FindLabel(2);
        EXPECT_EQ(document.Labels(), "");
    }
    EXPECT_TRUE(TestNodeRegistry::AllDestroyedOnce());
}

// DeepCopy keeps the order, copies no links or names, and records each copy in lastCopy.
TEST(NodeLinks, DeepCopy)
{
    TestDocument document;
    ASSERT_EQ(document.ParseAndResolve(("Lf $a (n=9) {} Gr $g (n=1) { Lf (n=2,s=1.5) {} Gr (n=3) { Lf (n=4) {} " +
                                        Links({"a"}) + " } Lf (n=5) {} " + Links({"g"}) + " }")
                                           .c_str()),
              0u);
    DocumentNode *group = document.FindLabel(1);
    DocumentNode *copy = group->DeepCopy();
    std::vector<DocumentNode *> sources;
    for (TreeBase *node = group; node != nullptr; node = group->GetNextTreeNode(node))
        sources.push_back(static_cast<DocumentNode *>(node));
    std::vector<DocumentNode *> copies;
    for (TreeBase *node = copy; node != nullptr; node = copy->GetNextTreeNode(node))
        copies.push_back(static_cast<DocumentNode *>(node));
    ASSERT_EQ(sources.size(), copies.size());
    for (size_t i = 0; i < sources.size(); ++i)
    {
        EXPECT_EQ(sources[i]->lastCopy, copies[i]);
        EXPECT_EQ(static_cast<test::TestNode *>(copies[i])->label, static_cast<test::TestNode *>(sources[i])->label);
        EXPECT_EQ(copies[i]->GetKind(), sources[i]->GetKind());
        EXPECT_EQ(copies[i]->GetFamily(), sources[i]->GetFamily());
        EXPECT_FALSE(copies[i]->HasOutgoingLinks());
        EXPECT_FALSE(copies[i]->HasIncomingLinks());
        EXPECT_TRUE(copies[i]->GetStructureName().IsEmpty());
    }
    EXPECT_EQ(static_cast<TestLeafNode *>(copies[1])->size, 1.5f);
    delete copy;
    EXPECT_EQ(OutgoingCount(group), 1);
}

// A structure becomes ready exactly when the subtrees of all its targets have been released;
// structures in a cycle never do.
TEST(NodeLinks, CountdownStep)
{
    TestDocument document;
    ASSERT_EQ(document.ParseAndResolve(("Gr (n=1) { Lf $a (n=2) {} } Gr (n=3) { Gr { Lf $b (n=4) {} } } "
                                        "Dr $e (n=5) { " + Links({"a", "b"}) + " } Dr (n=6) { " + Links({"e"}) +
                                        " } Dr $p (n=7) { " + Links({"q"}) + " } Dr $q (n=8) { " + Links({"p"}) + " }")
                                           .c_str()),
              0u);
    List ready;
    std::vector<DocumentNode *> topLevel;
    for (KettricStructure *s = document.GetRootStructure()->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
    {
        DocumentNode *node = DocumentNode::FromStructure(s);
        node->pendingLinks = OutgoingCount(node);
        if (node->pendingLinks == 0) ready.Append(&node->workElement);
        topLevel.push_back(node);
    }

    auto readyLabels = [&ready]() {
        std::string labels;
        for (ListElement *e = ready.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
            labels += std::to_string(static_cast<test::TestNode *>(static_cast<NodeWorkElement *>(e)->GetNode())->label) + " ";
        return labels;
    };
    EXPECT_EQ(readyLabels(), "1 3 ");
    document.FindLabel(1)->ReleaseLinkSources(&ready);
    EXPECT_EQ(readyLabels(), "1 3 ");
    document.FindLabel(3)->ReleaseLinkSources(&ready);
    EXPECT_EQ(readyLabels(), "1 3 5 ");

    // The whole pass: take the first ready structure, release its subtree.
    ready.RemoveAll();
    for (DocumentNode *node : topLevel)
    {
        node->pendingLinks = OutgoingCount(node);
        if (node->pendingLinks == 0) ready.Append(&node->workElement);
    }
    std::string order;
    while (ListElement *e = ready.GetFirstListElement())
    {
        DocumentNode *node = static_cast<NodeWorkElement *>(e)->GetNode();
        ready.Remove(e);
        order += std::to_string(static_cast<test::TestNode *>(node)->label) + " ";
        node->ReleaseLinkSources(&ready);
    }
    EXPECT_EQ(order, "1 3 5 6 ");
    EXPECT_EQ(document.FindLabel(7)->pendingLinks, 1);
    EXPECT_EQ(document.FindLabel(8)->pendingLinks, 1);
}

std::string Name(TestDocument &document, int32_t label)
{
    return document.FindLabel(label)->GetStructureName().GetText();
}

TEST(NodeLinks, NamingPass)
{
    const std::string text = "Lf $old (n=1) {} Gr (n=2) { Lf $x (n=3) {} Lf $y (n=4) {} } Dr $z (n=5) { " +
                             Links({"y", "x"}) + " } Dr (n=6) { " + Links({"z", "z"}) + " } Gr (n=7) {}";
    TestDocument document;
    ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);

    // Linked nodes in document order; every other name cleared.
    RunNamingPass(document.GetRootStructure(), nullptr);
    std::string names;
    for (int32_t label = 1; label <= 7; ++label) names += "[" + Name(document, label) + "]";
    EXPECT_EQ(names, "[][][_0][_1][_2][][]");

    // A name goes with the links.
    delete document.FindLabel(6);
    RunNamingPass(document.GetRootStructure(), nullptr);
    EXPECT_EQ(Name(document, 5), "");

    struct Case
    {
        const char *what;
        int32_t start, end;
        std::vector<int32_t> selected;
        const char *names;
    } cases[] = {
        {"ends and objects", 3, 4, {5, 2}, "[][S0][B][E][S1][]"},
        {"start and end one node", 4, 4, {}, "[][][_0][B][][]"},
        {"a selected node that is not top-level", 1, 1, {3, 7}, "[B][][_0][_1][][S0]"},
        {"no marks set", 0, 0, {}, "[][][_0][_1][][]"},
    };
    for (const Case &c : cases)
    {
        TestDocument marked;
        ASSERT_EQ(marked.ParseAndResolve(text.c_str()), 0u);
        delete marked.FindLabel(6);
        std::vector<const DocumentNode *> selected;
        for (int32_t label : c.selected) selected.push_back(marked.FindLabel(label));
        NamingMarks marks;
        marks.selectionStart = c.start != 0 ? marked.FindLabel(c.start) : nullptr;
        marks.selectionEnd = c.end != 0 ? marked.FindLabel(c.end) : nullptr;
        marks.selectedObjects = selected.data();
        marks.selectedObjectCount = int32_t(selected.size());
        RunNamingPass(marked.GetRootStructure(), &marks);
        std::string got;
        for (int32_t label : {1, 2, 3, 4, 5, 7}) got += "[" + Name(marked, label) + "]";
        EXPECT_EQ(got, c.names) << c.what;

        // The marked text reads back with the same links.
        std::string plain = marked.WriteText();
        std::string markedText = marked.WriteText(&marks);
        TestDocument reread;
        ASSERT_EQ(ResultText(reread.ParseAndResolve(markedText.c_str())), "0") << c.what << "\n" << markedText;
        EXPECT_EQ(reread.WriteText(), plain) << c.what;
    }
}

}  // namespace
}  // namespace oq
