#pragma once

// Test node kinds and the test document of the document model (header only: the tests that use it
// link editor_document themselves).

#include "editor/document/AlignmentMarkNode.h"
#include "editor/document/ColoredMathNode.h"
#include "editor/document/ConnectionStructure.h"
#include "editor/document/DocumentNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/NamingPass.h"
#include "editor/document/NodeFactory.h"
#include "editor/document/NodeLink.h"
#include "editor/document/PhantomNode.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/RowBeginNode.h"
#include "editor/document/RunTextSource.h"
#include "editor/document/SegmentGeometry.h"
#include "editor/document/SpaceNode.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/TextBuffer.h"
#include "kettric/KettricDocument.h"

#include <algorithm>
#include <cstring>
#include <iterator>
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

// A drawing object ("Dr", or the identifier it was made for): accepts only an "X"; laid out between
// the points its first and last links point to, keeping its previous ends when a link's index is
// past the target's points. Its kind is its drawing category ('line', 'jost' or 'shap').
class TestDrawingNode : public TestNode
{
public:
    explicit TestDrawingNode(const char *kindIdentifier = "Dr", uint32_t category = 'line')
        : TestNode(category, kDrawingNodeFamily), identifier(kindIdentifier)
    {
    }
    TestDrawingNode(const TestDrawingNode &node) = default;

    bool CheckSubstructure(KettricDocument *, KettricStructure *structure) override
    {
        return structure->GetStructureType() == kConnectionStructureType;
    }
    DocumentNode *Clone() const override { return new TestDrawingNode(*this); }
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override
    {
        WriteKettricContainer(document, buffer, identifier);
    }
    void Layout(const Design *) override
    {
        ++layoutCount;
        NodeLink *first = GetFirstOutgoingLink();
        if (first == nullptr) return;
        NodeLink *last = first;
        while (NodeLink *next = last->GetNextOutgoingLink()) last = next;
        ReadEnd(first, &start);
        ReadEnd(last, &finish);
    }
    // Hit along the segment from start to finish.
    bool HitTest(const Point2D &point, float tolerance) const override
    {
        return IsPointNearSegment(point, start, finish, tolerance);
    }
    // The segment's box grown by the half width, as one filled rectangle.
    void BuildSelectionOutline(float halfWidth, DisplayList *list) const override
    {
        Point2D low(std::min(start.x, finish.x) - halfWidth, std::min(start.y, finish.y) - halfWidth);
        Point2D high(std::max(start.x, finish.x) + halfWidth, std::max(start.y, finish.y) + halfWidth);
        Point2D c[4] = {low, Point2D(high.x, low.y), high, Point2D(low.x, high.y)};
        QuadraticBezier2D curves[4];
        for (int32_t i = 0; i < 4; ++i) curves[i] = MakeLineCurve(c[i], c[(i + 1) % 4]);
        list->Append(new FillPathItem(Point2D(0.0f, 0.0f), 4, curves, 0));
    }

    const char *identifier;
    Point2D start = Point2D(0.0f, 0.0f);
    Point2D finish = Point2D(0.0f, 0.0f);
    int32_t layoutCount = 0;

private:
    static void ReadEnd(const NodeLink *link, Point2D *end)
    {
        const Point2D *points = nullptr;
        int32_t count = link->GetTarget()->GetAnchorPoints(link->anchorKind, &points);
        if (link->anchorIndex >= 0 && link->anchorIndex < count) *end = points[link->anchorIndex];
    }
};

// The sum of the coordinates of every anchor point the node offers: reads each point once, so the
// sanitizers check that every count matches its points.
inline float SumAnchorPoints(const DocumentNode *node)
{
    float sum = 0.0f;
    const uint32_t *kinds = nullptr;
    int32_t kindCount = node->GetAnchorKinds(&kinds);
    for (int32_t k = 0; k < kindCount; ++k)
    {
        const Point2D *points = nullptr;
        int32_t count = node->GetAnchorPoints(kinds[k], &points);
        for (int32_t i = 0; i < count; ++i) sum += points[i].x + points[i].y;
    }
    return sum;
}

// Registers the test drawing kind for the eight identifiers of the drawing objects.
inline void RegisterTestDrawingKinds()
{
    RegisterNodeKind("Ln", []() -> KettricStructure * { return new TestDrawingNode("Ln"); });
    RegisterNodeKind("Cn", []() -> KettricStructure * { return new TestDrawingNode("Cn"); });
    RegisterNodeKind("Qe", []() -> KettricStructure * { return new TestDrawingNode("Qe"); });
    RegisterNodeKind("Zg", []() -> KettricStructure * { return new TestDrawingNode("Zg"); });
    RegisterNodeKind("Jo", []() -> KettricStructure * { return new TestDrawingNode("Jo"); });
    RegisterNodeKind("Rt", []() -> KettricStructure * { return new TestDrawingNode("Rt"); });
    RegisterNodeKind("Rr", []() -> KettricStructure * { return new TestDrawingNode("Rr"); });
    RegisterNodeKind("El", []() -> KettricStructure * { return new TestDrawingNode("El"); });
}

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

// Float, uint32 and string properties of the math test kinds, by name.
struct MathTestProperty
{
    const char *name;
    KettricDataType type;
    void *storage;
};

inline bool CheckMathTestProperty(const MathTestProperty *properties, size_t count, const TextString &identifier,
                                  KettricDataType *type, void **storage)
{
    for (size_t i = 0; i < count; ++i)
    {
        if (std::strcmp(identifier, properties[i].name) == 0)
        {
            *type = properties[i].type;
            *storage = properties[i].storage;
            return true;
        }
    }
    return false;
}

// A coloured leaf ("Fx") with a given box: width "w", bottom "b", top "t", left and right spacing
// "ls" and "rs", left and right inset "li" and "ri"; the real kinds measure theirs from glyphs and slots.
class FixedBoxNode : public ColoredMathNode
{
public:
    FixedBoxNode() : ColoredMathNode('fxbx') {}
    FixedBoxNode(const FixedBoxNode &node) = default;

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override
    {
        const MathTestProperty properties[] = {{"w", 'FLOT', &givenWidth},      {"b", 'FLOT', &givenBottom},
                                               {"t", 'FLOT', &givenTop},        {"ls", 'FLOT', &givenLeftSpacing},
                                               {"rs", 'FLOT', &givenRightSpacing}, {"li", 'FLOT', &givenLeftInset},
                                               {"ri", 'FLOT', &givenRightInset}};
        if (CheckMathTestProperty(properties, std::size(properties), identifier, type, storage)) return true;
        return ColoredMathNode::CheckProperty(document, identifier, type, storage);
    }
    bool CheckSubstructure(KettricDocument *, KettricStructure *) override { return false; }
    DocumentNode *Clone() const override { return new FixedBoxNode(*this); }
    void WriteKettric(KettricDocument *, TextBuffer *buffer) const override { WriteKettricLeaf(buffer, "Fx"); }
    void Measure(const Design *) override
    {
        width = givenWidth;
        bottom = givenBottom;
        top = givenTop;
        leftSpacing = givenLeftSpacing;
        rightSpacing = givenRightSpacing;
        leftInset = givenLeftInset;
        rightInset = givenRightInset;
    }
    void WriteLatex(MathWriterState *state, TextString *output) const override
    {
        output->AppendText("x");
        state->controlWord = 0;
    }
    void WriteMathML(MathWriterState *, TextString *output) const override { output->AppendText("<mi>x</mi>"); }

    float givenWidth = 0.0f;
    float givenBottom = 0.0f;
    float givenTop = 0.0f;
    float givenLeftSpacing = 0.0f;
    float givenRightSpacing = 0.0f;
    float givenLeftInset = 0.0f;
    float givenRightInset = 0.0f;
};

// A structure stand-in ("St"): holds math nodes, gives each subnode the script step "ss" and the
// size factor "sf", passes spacing through when "pt" is set (its first group, when its first
// subnode is one, is its main slot) and spans its subnodes.
class TestStructureNode : public ColoredMathNode
{
public:
    TestStructureNode() : ColoredMathNode('tstr') {}
    TestStructureNode(const TestStructureNode &node)
        : ColoredMathNode(node), childStep(node.childStep), childFactor(node.childFactor)
    {
        passesSpacingThrough = node.passesSpacingThrough;
    }

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override
    {
        const MathTestProperty properties[] = {
            {"ss", 'UIN8', &childStep}, {"sf", 'FLOT', &childFactor}, {"pt", 'BOOL', &passesSpacingThrough}};
        if (CheckMathTestProperty(properties, std::size(properties), identifier, type, storage)) return true;
        return ColoredMathNode::CheckProperty(document, identifier, type, storage);
    }
    DocumentNode *Clone() const override { return new TestStructureNode(*this); }
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override
    {
        WriteKettricContainer(document, buffer, "St");
    }
    GroupNode *GetFirstGroup() const override
    {
        MathNode *first = GetFirstMathSubnode();
        return (first != nullptr && first->GetKind() == kGroupKind) ? static_cast<GroupNode *>(first) : nullptr;
    }
    void LayoutBeforeChildren(const Design *) override
    {
        for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
        {
            node->scriptStep = childStep;
            node->sizeFactor = childFactor;
        }
    }
    void Measure(const Design *) override
    {
        width = 0.0f;
        bottom = 0.0f;
        top = 0.0f;
        for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
        {
            if (node->position.x + node->width > width) width = node->position.x + node->width;
            if (node->position.y + node->bottom < bottom) bottom = node->position.y + node->bottom;
            if (node->position.y + node->top > top) top = node->position.y + node->top;
        }
    }

    uint8_t childStep = 0;
    float childFactor = 1.0f;
};

// A space stand-in ("Sp", kind 'spac') of "w" points.
class TestSpaceNode : public MathNode
{
public:
    TestSpaceNode() : MathNode(kSpaceKind) {}
    TestSpaceNode(const TestSpaceNode &node) = default;

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override
    {
        const MathTestProperty properties[] = {{"w", 'FLOT', &givenWidth}};
        if (CheckMathTestProperty(properties, std::size(properties), identifier, type, storage)) return true;
        return MathNode::CheckProperty(document, identifier, type, storage);
    }
    bool CheckSubstructure(KettricDocument *, KettricStructure *) override { return false; }
    DocumentNode *Clone() const override { return new TestSpaceNode(*this); }
    void WriteKettric(KettricDocument *, TextBuffer *buffer) const override { WriteKettricLeaf(buffer, "Sp"); }
    void Measure(const Design *) override { width = givenWidth; }

    float givenWidth = 0.0f;
};

// A symbol run stand-in ("Sy", kind 'symb') with the text "s" and right spacing "rs".
class TestRunNode : public ColoredMathNode, public RunTextSource
{
public:
    TestRunNode() : ColoredMathNode(kSymbolRunKind) {}
    TestRunNode(const TestRunNode &node) : ColoredMathNode(node), text(node.text), givenRightSpacing(node.givenRightSpacing) {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override
    {
        const MathTestProperty properties[] = {{"s", 'STRG', &text}, {"rs", 'FLOT', &givenRightSpacing}};
        if (CheckMathTestProperty(properties, std::size(properties), identifier, type, storage)) return true;
        return ColoredMathNode::CheckProperty(document, identifier, type, storage);
    }
    bool CheckSubstructure(KettricDocument *, KettricStructure *) override { return false; }
    DocumentNode *Clone() const override { return new TestRunNode(*this); }
    void WriteKettric(KettricDocument *, TextBuffer *buffer) const override { WriteKettricLeaf(buffer, "Sy"); }
    void Measure(const Design *) override { rightSpacing = givenRightSpacing; }
    int32_t GetEndIndex() const override { return text.GetLength(); }
    const TextString &GetRunText() const override { return text; }
    void KeepRunTextRange(int32_t begin, int32_t end) override
    {
        int32_t length = text.GetLength();
        begin = begin < 0 ? 0 : (begin > length ? length : begin);
        end = end < begin ? begin : (end > length ? length : end);
        text = TextString(text.GetText() + begin, end - begin);
    }

    TextString text;
    float givenRightSpacing = 0.0f;
};

// A leaf stand-in of a given kind ("Mk" 'mark', "En" 'encl'): the kinds a group refuses.
class TestKindNode : public MathNode
{
public:
    explicit TestKindNode(uint32_t kind) : MathNode(kind) {}
    TestKindNode(const TestKindNode &node) = default;

    DocumentNode *Clone() const override { return new TestKindNode(*this); }
    void WriteKettric(KettricDocument *, TextBuffer *buffer) const override
    {
        WriteKettricLeaf(buffer, GetKind() == kMarkKind ? "Mk" : "En");
    }
};

// The test document of the math nodes: the real "Gr", "Bg", "Al" and "Ph" with the math test kinds
// ("Fx", "St", "Sp", "Sy", "Mk", "En") and the kinds of the test document ("Lf", "Dr", "X", "D").
class MathTestDocument : public TestDocument
{
public:
    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        if (std::strcmp(identifier, "Gr") == 0) return new GroupNode(0);
        if (std::strcmp(identifier, "Bg") == 0) return new RowBeginNode;
        if (std::strcmp(identifier, "Al") == 0) return new AlignmentMarkNode;
        if (std::strcmp(identifier, "Ph") == 0) return new PhantomNode;
        if (std::strcmp(identifier, "Fx") == 0) return new FixedBoxNode;
        if (std::strcmp(identifier, "St") == 0) return new TestStructureNode;
        if (std::strcmp(identifier, "Sp") == 0) return new TestSpaceNode;
        if (std::strcmp(identifier, "Sy") == 0) return new TestRunNode;
        if (std::strcmp(identifier, "Mk") == 0) return new TestKindNode(kMarkKind);
        if (std::strcmp(identifier, "En") == 0) return new TestKindNode(kEnclosureKind);
        return TestDocument::MakeStructure(identifier);
    }

    // The structure of a global name ("a" for "$a"); null when none.
    template <typename T = MathNode>
    T *Find(const char *name)
    {
        return dynamic_cast<T *>(KettricStructure::FindNamedStructure(GetGlobalNameMap(), name));
    }

    // Lays out every top-level node in order.
    void LayoutAll(const Design *design)
    {
        for (KettricStructure *s = GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
        {
            if (DocumentNode *node = DocumentNode::FromStructure(s)) node->Layout(design);
        }
    }
};

// The math test document with the real space ("Sp", SpaceNode) in place of the stand-in.
class SpaceTestDocument : public MathTestDocument
{
public:
    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        if (std::strcmp(identifier, "Sp") == 0) return new SpaceNode;
        return MathTestDocument::MakeStructure(identifier);
    }
};

}  // namespace oq::test
