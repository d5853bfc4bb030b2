#pragma once

// Test node kinds and the test document of the document model (header only: the tests that use it
// link editor_document themselves).

#include "editor/document/ConnectionStructure.h"
#include "editor/document/DocumentNode.h"
#include "editor/document/NamingPass.h"
#include "editor/document/NodeLink.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/platform/TextBuffer.h"
#include "kettric/KettricDocument.h"

#include <cstring>
#include <string>
#include <vector>

namespace oq::test {

// A result code as its four characters, "0" for success.
inline std::string ResultText(uint32_t code)
{
    if (code == 0) return "0";
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) s += char(code >> shift);
    return s;
}

// How often each test node was destroyed, by the serial number it got when it was made.
struct TestNodeRegistry
{
    static inline std::vector<int32_t> destroyCounts;

    static int32_t Register()
    {
        destroyCounts.push_back(0);
        return int32_t(destroyCounts.size() - 1);
    }
    static void Reset() { destroyCounts.clear(); }
    // True when every node made since the last reset was destroyed exactly once.
    static bool AllDestroyedOnce()
    {
        for (int32_t count : destroyCounts)
        {
            if (count != 1) return false;
        }
        return true;
    }
};

// The common part of the test kinds: a label "n" (an int32 property) that survives copies, and the
// destruction count.
class TestNode : public DocumentNode
{
public:
    TestNode(uint32_t kind, uint32_t family) : DocumentNode(kind), serial(TestNodeRegistry::Register())
    {
        baseStructureType = family;
    }
    TestNode(const TestNode &node) : DocumentNode(node), label(node.label), serial(TestNodeRegistry::Register()) {}
    ~TestNode() override { ++TestNodeRegistry::destroyCounts[size_t(serial)]; }

    bool CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type, void **storage) override
    {
        if (std::strcmp(identifier, "n") != 0) return false;
        *type = 'IN32';
        *storage = &label;
        return true;
    }
    bool WriteKettricProperties(TextBuffer *buffer) const override
    {
        PropertyListWriter writer(buffer);
        WriteOwnProperties(&writer);
        return writer.Opened();
    }
    virtual void WriteOwnProperties(PropertyListWriter *writer) const
    {
        if (label != 0) writer->WriteInteger("n", label);
    }
    void Layout(const Design *) override {}

    int32_t label = 0;
    int32_t serial;
};

// A math leaf ("Lf"): properties of every value format, two box anchor points; no substructures.
class TestLeafNode : public TestNode
{
public:
    TestLeafNode() : TestNode('leaf', kEquationNodeFamily) {}
    TestLeafNode(const TestLeafNode &node) = default;

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override
    {
        struct Property
        {
            const char *name;
            KettricDataType type;
            void *storage;
        } properties[] = {
            {"s", 'FLOT', &size}, {"k", 'UI32', &kind}, {"co", 'UI32', &color}, {"t", 'BOOL', &flag},
        };
        for (const Property &p : properties)
        {
            if (std::strcmp(identifier, p.name) == 0)
            {
                *type = p.type;
                *storage = p.storage;
                return true;
            }
        }
        return TestNode::CheckProperty(document, identifier, type, storage);
    }
    bool CheckSubstructure(KettricDocument *, KettricStructure *) override { return false; }
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override
    {
        size = FiniteOrDefault(size, 0.0f);
        return TestNode::ResolveData(document);
    }
    DocumentNode *Clone() const override { return new TestLeafNode(*this); }
    void WriteOwnProperties(PropertyListWriter *writer) const override
    {
        TestNode::WriteOwnProperties(writer);
        if (size != 0.0f) writer->WriteFloat("s", size);
        if (kind != 0) writer->WriteFourCC("k", kind);
        if (color != 0) writer->WriteColor("co", color);
        if (flag) writer->WriteFlag("t");
    }
    void WriteKettric(KettricDocument *, TextBuffer *buffer) const override { WriteKettricLeaf(buffer, "Lf"); }
    void Layout(const Design *) override
    {
        anchors[0] = Point2D(0.0f, 0.0f);
        anchors[1] = Point2D(size, 0.0f);
    }
    int32_t GetAnchorPoints(uint32_t anchorKind, const Point2D **points) const override
    {
        *points = (anchorKind == 0) ? anchors : nullptr;
        return (anchorKind == 0) ? 2 : 0;
    }

    float size = 0.0f;
    uint32_t kind = 0;
    uint32_t color = 0;
    bool flag = false;
    Point2D anchors[2] = {Point2D(0.0f, 0.0f), Point2D(0.0f, 0.0f)};
};

// A math container ("Gr"): holds nodes and accepts an "X".
class TestContainerNode : public TestNode
{
public:
    TestContainerNode() : TestNode('grup', kEquationNodeFamily) {}
    TestContainerNode(const TestContainerNode &node) = default;

    bool CheckSubstructure(KettricDocument *, KettricStructure *structure) override
    {
        return DocumentNode::FromStructure(structure) != nullptr ||
               structure->GetStructureType() == kConnectionStructureType;
    }
    DocumentNode *Clone() const override { return new TestContainerNode(*this); }
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override
    {
        WriteKettricContainer(document, buffer, "Gr");
    }
};

// A drawing object ("Dr"): accepts only an "X"; laid out between the points its first and last
// links point to, keeping its previous ends when a link's index is past the target's points.
class TestDrawingNode : public TestNode
{
public:
    TestDrawingNode() : TestNode('line', kDrawingNodeFamily) {}
    TestDrawingNode(const TestDrawingNode &node) = default;

    bool CheckSubstructure(KettricDocument *, KettricStructure *structure) override
    {
        return structure->GetStructureType() == kConnectionStructureType;
    }
    DocumentNode *Clone() const override { return new TestDrawingNode(*this); }
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override
    {
        WriteKettricContainer(document, buffer, "Dr");
    }
    void Layout(const Design *) override
    {
        NodeLink *first = GetFirstOutgoingLink();
        if (first == nullptr) return;
        NodeLink *last = first;
        while (NodeLink *next = last->GetNextOutgoingLink()) last = next;
        ReadEnd(first, &start);
        ReadEnd(last, &finish);
    }

    Point2D start = Point2D(0.0f, 0.0f);
    Point2D finish = Point2D(0.0f, 0.0f);

private:
    static void ReadEnd(const NodeLink *link, Point2D *end)
    {
        const Point2D *points = nullptr;
        int32_t count = link->GetTarget()->GetAnchorPoints(link->anchorKind, &points);
        if (link->anchorIndex < count) *end = points[link->anchorIndex];
    }
};

// The test document: "Lf", "Gr", "Dr" and "X", and a design-like block "D" with entries "F", "M",
// "P", "V" that are no nodes. Every structure but an "X" may stand at the top level.
class TestDocument : public KettricDocument
{
public:
    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        if (std::strcmp(identifier, "Lf") == 0) return new TestLeafNode;
        if (std::strcmp(identifier, "Gr") == 0) return new TestContainerNode;
        if (std::strcmp(identifier, "Dr") == 0) return new TestDrawingNode;
        if (std::strcmp(identifier, "X") == 0) return new ConnectionStructure;
        if (std::strcmp(identifier, "D") == 0) return new KettricStructure('desn');
        for (const char *entry : {"F", "M", "P", "V"})
        {
            if (std::strcmp(identifier, entry) == 0) return new KettricStructure('dent');
        }
        return nullptr;
    }
    bool CheckTopLevel(KettricStructure *structure) override
    {
        return structure->GetStructureType() != kConnectionStructureType;
    }

    // Runs the naming pass and writes every top-level node.
    std::string WriteText(const NamingMarks *marks = nullptr)
    {
        RunNamingPass(GetRootStructure(), marks);
        TextBuffer buffer;
        for (KettricStructure *s = GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
        {
            if (DocumentNode *node = DocumentNode::FromStructure(s)) node->WriteKettric(this, &buffer);
        }
        std::string text(buffer.data != nullptr ? buffer.data : "", buffer.size);
        buffer.Free();
        return text;
    }

    // The first node of the tree with the given label, in document order; null when none.
    DocumentNode *FindLabel(int32_t label)
    {
        KettricRoot *root = GetRootStructure();
        for (TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
        {
            auto *node = dynamic_cast<TestNode *>(static_cast<KettricStructure *>(tree));
            if (node != nullptr && node->label == label) return node;
        }
        return nullptr;
    }

    // The labels of every node of the tree in document order, separated by blanks.
    std::string Labels()
    {
        std::string labels;
        KettricRoot *root = GetRootStructure();
        for (TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
        {
            auto *node = dynamic_cast<TestNode *>(static_cast<KettricStructure *>(tree));
            if (node == nullptr) continue;
            if (!labels.empty()) labels += ' ';
            labels += std::to_string(node->label);
        }
        return labels;
    }
};

}  // namespace oq::test
