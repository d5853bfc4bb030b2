// Fuzzes the equation document reader: parse and resolve arbitrary text (the document kinds, the test
// drawing kind for the eight drawing identifiers and the test box "Fx"), lay it out twice (the math
// groups directly too: there is no Data folder), read every anchor (drawing objects also build their
// items and outline; structure outlines are checked), write it as text that reads back and writes the
// same, shrink the matrices of the read-back copy to 1 x 1, write its LaTeX and MathML, copy the
// main group's row into a new document, paste that copy back at the caret, delete the dependents of
// missing rows, and destroy everything.
#include "FuzzText.h"
#include "support/DocumentTestKinds.h"
#include "support/StructureTestKit.h"

#include "editor/document/EquationDocument.h"
#include "editor/document/NodeFactory.h"
#include "editor/drawing/DrawingKinds.h"
#include "editor/drawing/DrawingObject.h"
#include "editor/platform/DisplayItems.h"
#include "editor/structures/EnclosingNode.h"
#include "editor/structures/FractionNode.h"
#include "editor/structures/LongDivisionNode.h"
#include "editor/structures/MatrixNode.h"
#include "editor/structures/RadicalNode.h"
#include "editor/structures/StructureKinds.h"
#include "editor/structures/WideMarkNode.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

volatile float anchorSink;

void RegisterKinds()
{
    static bool registered = false;
    if (registered) return;
    registered = true;
    oq::RegisterDocumentKinds();
    oq::test::RegisterTestDrawingKinds();
    oq::RegisterDrawingKinds();
    oq::RegisterStructureKinds();
    oq::RegisterNodeKind("Fx", []() -> oq::KettricStructure * { return new oq::test::FixedBoxNode; });
}

void Layout(oq::EquationDocument &document)
{
    oq::TextString missing[oq::kDesignFontSlotCount];
    static_cast<void>(document.UpdateLayout(missing));
    // Without a Data folder UpdateLayout lays out nothing: the math groups (and the structures in
    // them) are laid out here, glyph kinds measuring empty without fonts.
    oq::KettricRoot *root = document.GetRootStructure();
    for (oq::KettricStructure *s = root->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        if (oq::MathNode *node = oq::MathNode::FromStructure(s)) node->Layout(&document.design);
    }
}

// Traps when a finite outline is not closed exactly or has a straight edge whose control point is
// not on its end.
void CheckOutlineShape(const oq::QuadraticBezier2D *curves, int32_t count)
{
    oq::test::OutlineChecks finite;
    finite.closedContours = finite.straightEdges = finite.orientation = false;
    oq::test::OutlineChecks shape;
    shape.closeTolerance = 0.0f;
    shape.orientation = false;
    if (oq::test::CheckOutline(curves, count, finite).empty() && !oq::test::CheckOutline(curves, count, shape).empty())
        __builtin_trap();
}

void ReadAnchors(oq::EquationDocument &document)
{
    oq::KettricRoot *root = document.GetRootStructure();
    for (oq::TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
    {
        oq::DocumentNode *node = oq::DocumentNode::FromStructure(static_cast<oq::KettricStructure *>(tree));
        if (node == nullptr) continue;
        anchorSink = oq::test::SumAnchorPoints(node);
        static_cast<void>(node->HitTest(oq::Point2D(0.0f, 0.0f), 1.0f));
        // A structure's constructed outline, where finite, is closed exactly with straight edges.
        if (auto *fraction = dynamic_cast<oq::FractionNode *>(node))
            CheckOutlineShape(fraction->outline, fraction->outlineCount);
        if (auto *radical = dynamic_cast<oq::RadicalNode *>(node))
            CheckOutlineShape(radical->outline, radical->outlineCount);
        if (auto *division = dynamic_cast<oq::LongDivisionNode *>(node))
            CheckOutlineShape(division->outline, division->outlineCount);
        if (auto *enclosing = dynamic_cast<oq::EnclosingNode *>(node))
            CheckOutlineShape(enclosing->outline, enclosing->outlineCount);
        if (auto *mark = dynamic_cast<oq::WideMarkNode *>(node)) CheckOutlineShape(mark->outline, mark->outlineCount);
        // Drawing objects also build their items and selection outline.
        if (auto *drawing = dynamic_cast<oq::DrawingObject *>(node))
        {
            oq::DisplayList list;
            drawing->BuildExportItems(&document.design, &list);
            drawing->BuildPathItems(&document.design, &list);
            drawing->BuildSelectionOutline(0.5f, &list);
            while (oq::ListElement *element = list.GetFirstListElement())
            {
                list.Remove(element);
                delete element;
            }
        }
    }
}

// The first matrix of the document larger than 1 x 1, or null.
oq::MatrixNode *FindLargerMatrix(oq::EquationDocument &document)
{
    oq::KettricRoot *root = document.GetRootStructure();
    for (oq::TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
    {
        auto *matrix = dynamic_cast<oq::MatrixNode *>(static_cast<oq::KettricStructure *>(tree));
        if (matrix != nullptr && (matrix->rowCount != 1 || matrix->columnCount != 1)) return matrix;
    }
    return nullptr;
}

std::string Write(oq::EquationDocument &document)
{
    oq::TextBuffer buffer;
    document.WriteText(&buffer, true, true, false);
    return oq::fuzz::TakeText(buffer);
}

void Exercise(const char *text)
{
    oq::EquationDocument document;
    if (document.ParseAndResolve(text) != 0) return;
    Layout(document);
    Layout(document);
    ReadAnchors(document);

    // What was read writes as text that reads back, and writes the same a second time.
    std::string first = Write(document);
    oq::EquationDocument reread;
    if (reread.ParseAndResolve(first.c_str()) != 0) __builtin_trap();
    std::string second = Write(reread);
    oq::EquationDocument again;
    if (again.ParseAndResolve(second.c_str()) != 0) __builtin_trap();
    if (Write(again) != second) __builtin_trap();

    // Every matrix of the read-back document shrinks to 1 x 1: the links to its anchors follow their
    // points or go, with the drawings and annotations on vanishing points (searched anew each time).
    while (oq::MatrixNode *matrix = FindLargerMatrix(reread)) oq::MatrixNode::Resize(matrix, 1, 1);
    Layout(reread);
    ReadAnchors(reread);
    static_cast<void>(Write(reread));

    // The text forms of the main group.
    oq::GroupNode *main = document.GetMainGroup();
    oq::MathWriterState state;
    oq::TextString latex;
    oq::TextString mathml;
    main->WriteLatex(&state, &latex);
    main->WriteMathML(&state, &mathml);

    // Copy the main group's first row and paste it at the end of that row.
    oq::MathNode *start = main->GetFirstMathSubnode();
    oq::MathNode *last = main->GetLastMathSubnode();
    document.selection.start = {start, start->GetEndIndex()};
    document.selection.end = {last, last->GetEndIndex()};
    oq::EquationDocument copy;
    if (!document.CopySelectionTo(&copy)) __builtin_trap();
    std::string copied = Write(copy);
    oq::EquationDocument pasted;
    if (pasted.ParseAndResolve(copied.c_str()) != 0) __builtin_trap();
    document.selection.start = document.selection.end = {last, last->GetEndIndex()};
    if (!document.InsertAtCaret(&pasted)) __builtin_trap();
    Layout(document);
    ReadAnchors(document);

    // Drop the last row and what hangs on it.
    oq::MathNode *node = main->GetLastMathSubnode();
    while (node != nullptr && node->GetKind() != oq::kRowBeginKind) node = node->GetPreviousMathNode();
    if (node != nullptr && node != main->GetFirstMathSubnode())
    {
        while (oq::MathNode *next = node->GetNextMathNode()) delete next;
        delete node;
        main->DeleteDependentsOfMissingRows();
    }
    Layout(document);
    static_cast<void>(Write(document));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    RegisterKinds();
    std::vector<char> text = oq::fuzz::TerminatedText(data, size);
    oq::test::TestNodeRegistry::Reset();
    Exercise(text.data());
    return 0;
}
