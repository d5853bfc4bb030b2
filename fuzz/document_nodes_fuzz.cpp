// Fuzzes the document node reader with arbitrary text in the test document format ("Lf", "Gr",
// "Dr", "X" link blocks, a "D" block): parse and resolve, write and read back, destroy nodes in
// an order taken from the input, then the document; every node must be destroyed exactly once.
#include "FuzzText.h"
#include "support/DocumentTestKinds.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

void Exercise(const uint8_t *data, size_t size, const char *text)
{
    oq::test::TestDocument document;
    if (document.ParseAndResolve(text) != 0) return;

    // What was read writes as text that reads back, and writes the same a second time (the first
    // write may drop values that do not survive it, such as denormals).
    std::string first = document.WriteText();
    oq::test::TestDocument reread;
    if (reread.ParseAndResolve(first.c_str()) != 0) __builtin_trap();
    std::string second = reread.WriteText();
    oq::test::TestDocument again;
    if (again.ParseAndResolve(second.c_str()) != 0) __builtin_trap();
    if (again.WriteText() != second) __builtin_trap();

    // Destroy structures picked by the input's bytes; the tree left must still write and read.
    oq::KettricRoot *root = document.GetRootStructure();
    for (size_t i = 0; i < size && i < 8; ++i)
    {
        std::vector<oq::TreeBase *> nodes;
        for (oq::TreeBase *node = root->GetFirstSubnode(); node != nullptr; node = root->GetNextTreeNode(node))
            nodes.push_back(node);
        if (nodes.empty()) break;
        delete nodes[data[i] % nodes.size()];
    }
    std::string rest = document.WriteText();
    oq::test::TestDocument last;
    if (last.ParseAndResolve(rest.c_str()) != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> text = oq::fuzz::TerminatedText(data, size);

    oq::test::TestNodeRegistry::Reset();
    Exercise(data, size, text.data());
    if (!oq::test::TestNodeRegistry::AllDestroyedOnce()) __builtin_trap();
    return 0;
}
