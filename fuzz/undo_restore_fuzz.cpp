// Fuzzes the undo restore with mutated snapshots: the first line holds the start and end indexes,
// the rest is the snapshot text. The restore either changes nothing (the text does not read) or
// leaves a state that passes the harness's invariant checker; a restored state writes a snapshot
// that restores to the same dump.
#include "FuzzText.h"

#include "editor/drawing/DrawingKinds.h"
#include "editor/editing/EditorHarness.h"
#include "editor/structures/StructureKinds.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int32_t ReadIndex(const char **text)
{
    char *end = nullptr;
    long value = std::strtol(*text, &end, 10);
    *text = end;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return int32_t(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 16) return 0;
    std::vector<char> input = oq::fuzz::TerminatedText(data, size);
    const char *text = input.data();
    int32_t start = 0;
    int32_t end = 0;
    if (size != 0 && input[0] >= '-' && input[0] <= '9')
    {
        start = ReadIndex(&text);
        end = ReadIndex(&text);
        while (*text != 0 && *text != '\n') ++text;
    }

    // Snapshots may hold every structure kind.
    oq::RegisterStructureKinds();
    oq::test::ResetTheEditor();
    // The harness registers test drawings under the drawing names: the real kinds replace them.
    oq::RegisterDrawingKinds();
    oq::Editor *editor = oq::TheEditor;
    // A state to compare with: one typed letter, its step current.
    if (!oq::test::TypeTestText(editor, "x")) std::abort();
    std::string before = oq::test::DumpState(editor);
    if (oq::test::RestoreTestText(editor, text, start, end))
    {
        if (oq::test::CheckEditorInvariants(editor) != "") std::abort();
        // What is on screen now undoes and redoes to itself.
        std::string restored = oq::test::DumpState(editor);
        editor->BeginEditBatch();
        editor->SetEditMode(editor->GetEditMode() == 'chem' ? 'text' : 'chem');
        editor->EndEditBatch();
        if (!editor->Undo()) std::abort();
        if (oq::test::DumpState(editor).substr(0, restored.rfind("steps")) != restored.substr(0, restored.rfind("steps")))
            std::abort();
        if (oq::test::CheckEditorInvariants(editor) != "") std::abort();
    }
    else if (oq::test::DumpState(editor) != before)
    {
        std::abort();
    }
    oq::test::DestroyTheEditor();
    return 0;
}
