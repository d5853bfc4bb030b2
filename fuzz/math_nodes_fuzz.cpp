// Fuzzes the math node reader with arbitrary text in the math test document format ("Gr", "Bg",
// "Al" and the test kinds "Fx", "St", "Sp", "Sy", "Mk", "En"): parse and resolve, lay out twice,
// ask every node for its spacing neighbours, outer spaces, anchors and editing aids, write LaTeX
// and MathML, and write Kettric that reads back and writes the same a second time.
#include "FuzzText.h"
#include "support/DocumentTestKinds.h"

#include "editor/document/SpacingNeighbors.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/Preferences.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

volatile float anchorSink;

void ExerciseNodes(oq::test::MathTestDocument &document, const oq::Design &design, const oq::Preferences &preferences)
{
    oq::KettricRoot *root = document.GetRootStructure();
    for (oq::TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
    {
        oq::MathNode *node = oq::MathNode::FromStructure(static_cast<oq::KettricStructure *>(tree));
        if (node == nullptr) continue;
        static_cast<void>(oq::FindPrevSpacingNeighbor(node));
        static_cast<void>(oq::FindNextSpacingNeighbor(node));
        static_cast<void>(oq::GetSpaceBefore(node, 1.0f, true));
        static_cast<void>(oq::GetSpaceAfter(node, -1.0f, true));
        // Every point must be readable (the sanitizers check the reads).
        anchorSink = oq::test::SumAnchorPoints(node);
    }
    oq::List list;
    for (oq::KettricStructure *s = root->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        oq::MathNode *node = oq::MathNode::FromStructure(s);
        if (node == nullptr) continue;
        node->BuildEditingAidItems(0x1F, &preferences, &design, &list);
        oq::MathWriterState state;
        oq::TextString latex, mathml;
        node->WriteLatex(&state, &latex);
        node->WriteMathML(&state, &mathml);
    }
    list.Purge();
}

void Exercise(const char *text)
{
    oq::test::MathTestDocument document;
    if (document.ParseAndResolve(text) != 0) return;

    oq::Design design;
    oq::Preferences preferences;
    document.LayoutAll(&design);
    document.LayoutAll(&design);
    ExerciseNodes(document, design, preferences);

    // What was read writes as text that reads back, and writes the same a second time (the first
    // write may drop values that do not survive it, such as denormals).
    std::string first = document.WriteText();
    oq::test::MathTestDocument reread;
    if (reread.ParseAndResolve(first.c_str()) != 0) __builtin_trap();
    std::string second = reread.WriteText();
    oq::test::MathTestDocument again;
    if (again.ParseAndResolve(second.c_str()) != 0) __builtin_trap();
    if (again.WriteText() != second) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> text = oq::fuzz::TerminatedText(data, size);
    oq::test::TestNodeRegistry::Reset();
    Exercise(text.data());
    return 0;
}
