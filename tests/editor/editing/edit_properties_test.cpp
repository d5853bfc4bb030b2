// Random editing sequences from fixed seeds: after every step the invariants hold and the document
// text reads back to the same bytes; at the end Undo and Redo retrace the history exactly.
#include "EditorFixture.h"
#include "editor/document/GroupNode.h"
#include "editor/drawing/DrawingKinds.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/editing/MenuState.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/VirtualKeys.h"
#include "editor/platform/TextBuffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace oq::test {
namespace {

const std::string kAxis = std::to_string(uint32_t('axis'));
const std::string kLine = std::to_string(uint32_t('lmnl'));

// The empty document and three small ones: runs, a phantom and a space; rows with drawings on
// their anchors, an annotation and a drawing on a run.
const std::string kFixtures[] = {
    "Gr { Bg $B {} }",
    "Gr { Bg {} Sb $B {s{\"a\u03B1\"}} Sp {} Bg {} Sb (ro='oper') {s{\"=\"}} }",
    "Gr { Bg {} Sb $_0 {s{\"xy\"}} Ph { Bg {} Sb $B {s{\"1\"}} } } Ln { X { ref{$_0} u32{0} i32{0} } } "
    "Gr (t='anno') { Bg {} Sp {} }",
    "Gr $g { Bg {} Sb {s{\"ab\"}} Bg {} Sb {s{\"c\"}} Bg $B {} Sb (ro='nmbr') {s{\"12\"}} } "
    "Ln { X { ref{$g} u32{" + kAxis + "} i32{2} } } Ln { X { ref{$g} u32{" + kLine + "} i32{6} } } "
    "Ln { X { ref{$g} u32{" + kAxis + "} i32{4} } } Gr (t='anno') { Bg {} Sb {s{\"n\"}} }",
};

// What is typed: ASCII letters, digits and operators, Greek, a styled letter, combining marks,
// spaces, a backslash, an arrow, and the characters that make structures or decorations: scripts,
// fraction slashes, radicals, a sum, an integral, wide marks, an enclosure, a negation and primes.
const uint32_t kTyped[] = {'a', 'b', 'x', 'H', 'O', '2', '7', '+', '-', '=', '(', '|', ',', '^', '_', '/', '\\', ' ',
                           0x03B1, 0x0391, 0x1D465, 0x0301, 0x0332, 0x2003, 0x2192, 0x222B, 0x2044, 0x2215,
                           0x2015, 0x221A, 0x221B, 0x221C, 0x2211, 0x23DE, 0x23B4, 0x20DD, 0x0338, 0x2032, 0x2033};

// Typed as a whole in one step: backslash commands (characters, structures, spaces, an unknown name,
// one ended by a second backslash) and function names, recognized and continued.
const char *const kTypedSequences[] = {"\\alpha ", "\\sum ", "\\frac ", "\\quad ", "\\! ", "\\nosuch ",
                                       "\\to\\infty ", "\\sqrt ", "sin", "sinh", "arcsin", "xlogy"};

// Every editing command id of the families 0x80-0x89 and the ids one past each end (the 0x83
// family with its below half), and an unknown family.
std::vector<int32_t> MakeCommandIds()
{
    const struct
    {
        int32_t family;
        int32_t last;
    } families[] = {{0x80, 8}, {0x81, 0x10}, {0x82, 3}, {0x83, 0x10}, {0x83, 0x90}, {0x84, 3},
                    {0x85, 2}, {0x86, 3}, {0x87, 4}, {0x88, 36}, {0x89, 0x1D}, {0x8A, 1}};
    std::vector<int32_t> ids;
    for (const auto &range : families)
    {
        int32_t first = range.last >= 0x80 ? 0x80 : 0;
        for (int32_t low = first; low <= range.last + 1; ++low) ids.push_back(range.family << 8 | low);
    }
    return ids;
}

const std::vector<int32_t> kCommandIds = MakeCommandIds();

std::string Hex(uint32_t codePoint)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", codePoint);
    return buffer;
}

// The text written without marking, read into a fresh document and written again.
std::string RoundTrip(const std::string &text)
{
    EquationDocument fresh;
    if (fresh.ParseAndResolve(text.c_str()) != 0) return "<does not read>";
    TextBuffer buffer;
    fresh.WriteText(&buffer, false, false, false);
    std::string written(buffer.data != nullptr ? buffer.data : "", buffer.size);
    buffer.Free();
    return written;
}

std::string EmptyRuns(Editor *editor)
{
    KettricStructure *root = editor->document.GetRootStructure();
    for (TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
    {
        auto *run = dynamic_cast<SymbolRunNode *>(DocumentNode::FromStructure(static_cast<KettricStructure *>(tree)));
        if (run != nullptr && run->text.IsEmpty()) return "an empty symbol run";
    }
    return "";
}

int32_t CountRows(Editor *editor)
{
    int32_t rows = 0;
    for (MathNode *node = editor->document.GetMainGroup()->GetFirstMathSubnode(); node != nullptr;
         node = node->GetNextMathNode())
        rows += node->GetKind() == kRowBeginKind ? 1 : 0;
    return rows;
}

// Whether a "key" line is Backspace, Enter or Delete: the keys that edit.
bool IsEditingKey(const std::string &line)
{
    int32_t key = std::stoi(line.substr(4));
    return key == kKeyBack || key == kKeyReturn || key == kKeyDelete;
}

// One random step: applied to the editor and written as a driver line; whether it reported a change.
bool RandomStep(Editor *editor, std::mt19937 &random, std::string *line)
{
    uint32_t choice = random() % 120;
    uint32_t c = kTyped[random() % std::size(kTyped)];
    if (choice >= 110)
    {
        // Every editor key, with Shift or without.
        const int32_t keys[] = {kKeyBack, kKeyTab,  kKeyReturn, kKeyEscape, kKeyEnd,   kKeyHome,
                                kKeyLeft, kKeyUp,   kKeyRight,  kKeyDown,   kKeyDelete};
        int32_t key = keys[random() % std::size(keys)];
        bool shift = random() % 2 == 0;
        *line = "key " + std::to_string(key) + (shift ? " shift" : "");
        UIEvent event;
        event.type = 'kydn';
        event.key = key;
        event.modifiers = shift ? kModifierShift : 0;
        return editor->HandleKeyDown(event);
    }
    if (choice >= 100)
    {
        int32_t id = kCommandIds[random() % kCommandIds.size()];
        *line = "command 0x" + Hex(uint32_t(id));
        return editor->RouteCommand(id);
    }
    if (choice < 60)
    {
        uint32_t flags = choice < 45 ? 0 : choice < 50 ? kTypePalette : choice < 55 ? kTypePasted : kTypeLiteral;
        if (flags == 0 && choice % 5 == 0)
        {
            const char *sequence = kTypedSequences[random() % std::size(kTypedSequences)];
            *line = "type ";
            bool changed = false;
            for (const char *at = sequence; *at != 0; ++at)
            {
                *line += *at == '\\' ? "\\\\" : std::string(1, *at);
                changed = editor->TypeCharacter(uint8_t(*at), 0) || changed;
            }
            return changed;
        }
        if (flags == kTypePasted && random() % 4 == 0) c = random() % 2 == 0 ? '\n' : '\t';
        if (flags == kTypePalette)
            *line = "palette U+" + Hex(c);
        else
            *line = std::string(flags == 0 ? "type" : flags == kTypePasted ? "paste" : "literal") + " \\u{" + Hex(c) + "}";
        return editor->TypeCharacter(c, flags);
    }
    if (choice < 68)
    {
        int32_t a = int32_t(random() % 12), ai = int32_t(random() % 6), b = int32_t(random() % 12),
                bi = int32_t(random() % 6);
        *line = "select " + std::to_string(a) + " " + std::to_string(ai) + " " + std::to_string(b) + " " +
                std::to_string(bi);
        SelectTestRange(editor, a, ai, b, bi);
        return false;
    }
    if (choice < 76)
    {
        *line = "backspace";
        return editor->DeleteBackward();
    }
    if (choice < 83)
    {
        *line = "delete";
        return editor->DeleteForward();
    }
    if (choice < 87)
    {
        const char *names[] = {"math", "chem", "text"};
        const char *name = names[random() % 3];
        *line = std::string("mode ") + name;
        return SetTestMode(editor, name[0] == 'c' ? kEditModeChem : name[0] == 't' ? kEditModeText : kEditModeMath);
    }
    const int32_t commands[] = {kMenuUndo, kMenuUndo, kMenuRedo, kMenuRedo, kMenuRedoAll, kMenuUndoAll};
    int32_t id = commands[random() % (choice < 99 ? 5 : 6)];
    *line = "menu " + std::to_string(id);
    return editor->HandleMenuCommand(id);
}

class EditPropertiesTest : public EditorFixture
{
};

TEST_F(EditPropertiesTest, RandomSequencesKeepInvariantsTextAndHistory)
{
    constexpr int32_t kSequences = 200;
    constexpr int32_t kSteps = 200;
    // The sequences must reach what they are for: changes, chemical subscripts, joined rows,
    // decorations, primes and aligners.
    int32_t changes = 0;
    int32_t withDecorations = 0;
    int32_t withScripts = 0;
    int32_t joinedRows = 0;
    for (int32_t seed = 0; seed < kSequences; ++seed)
    {
        const std::string &fixture = kFixtures[seed % std::size(kFixtures)];
        ResetTheEditor();
        editor = TheEditor;
        ASSERT_TRUE(LoadTestDocument(editor, fixture.c_str(), 0, 0)) << fixture;
        editor->settings.preferences.options[kOptionAutoSubscripts] = seed % 2 == 1;
        RebuildShortcutLists(&editor->settings);
        std::string start = DocumentText(editor);
        std::string script = "load 0 0\n" + fixture + "\nend\n";
        std::mt19937 random(uint32_t(20261211 + seed));
        for (int32_t step = 0; step < kSteps; ++step)
        {
            std::string line;
            int32_t countBefore = editor->undoHistory.GetListElementCount();
            const UndoStep *currentBefore = editor->currentStep;
            int32_t rowsBefore = CountRows(editor);
            bool changed = RandomStep(editor, random, &line);
            script += line + "\n";
            changes += changed ? 1 : 0;
            std::string findings = CheckEditorInvariants(editor) + EmptyRuns(editor);
            std::string text = DocumentText(editor);
            bool caretKey = line.rfind("key", 0) == 0 && !IsEditingKey(line);
            if (caretKey && (editor->undoHistory.GetListElementCount() != countBefore ||
                             editor->currentStep != currentBefore))
                findings += "a caret key changed the history\n";
            if (!changed && line.rfind("menu", 0) != 0 && line.rfind("select", 0) != 0)
            {
                if (editor->undoHistory.GetListElementCount() != countBefore || editor->currentStep != currentBefore)
                    findings += "an operation that changed nothing changed the history\n";
            }
            if (RoundTrip(text) != text) findings += "the text does not read back to itself\n";
            if (text.find("Sc") != std::string::npos) ++withScripts;
            for (const char *kind : {"Mk ", "Ng ", "Sl ", "En ", "Pr ", "Al "})
                withDecorations += text.find(kind) != std::string::npos ? 1 : 0;
            if (line == "backspace" || line == "delete") joinedRows += CountRows(editor) < rowsBefore ? 1 : 0;
            ASSERT_EQ(findings, "") << "seed " << seed << ", script:\n" << script;
        }

        // Undo and Redo retrace the history.
        int32_t position = editor->currentStep != nullptr ? editor->currentStep->GetListElementIndex() + 1 : 0;
        if (position > 0)
        {
            ASSERT_TRUE(editor->Undo());
            ASSERT_TRUE(editor->Redo());
        }
        else if (editor->undoHistory.GetListElementCount() > 0)
        {
            ASSERT_TRUE(editor->Redo());
            ASSERT_TRUE(editor->Undo());
        }
        std::string reference = DumpState(editor);
        int32_t k = position > 0 ? 1 + seed % position : 0;
        for (int32_t i = 0; i < k; ++i) ASSERT_TRUE(editor->Undo()) << script;
        for (int32_t i = 0; i < k; ++i) ASSERT_TRUE(editor->Redo()) << script;
        ASSERT_EQ(DumpState(editor), reference) << "seed " << seed << ", script:\n" << script;

        auto *first = static_cast<UndoStep *>(editor->undoHistory.GetFirstListElement());
        auto *last = static_cast<UndoStep *>(editor->undoHistory.GetLastListElement());
        if (first == nullptr) continue;
        static_cast<void>(editor->RedoAll());
        std::string dump = DumpState(editor);
        ASSERT_EQ(dump.substr(0, dump.rfind("mode '")), std::string(last->after.text, size_t(last->after.size - 1)))
            << "seed " << seed << ", script:\n" << script;
        EXPECT_EQ(editor->document.selection.start.index, last->after.startIndex);
        EXPECT_EQ(editor->document.selection.end.index, last->after.endIndex);
        EXPECT_EQ(editor->GetEditMode(), last->after.editMode);
        ASSERT_TRUE(editor->UndoAll());
        dump = DumpState(editor);
        ASSERT_EQ(dump.substr(0, dump.rfind("mode '")), std::string(first->before.text, size_t(first->before.size - 1)))
            << "seed " << seed << ", script:\n" << script;
        ASSERT_EQ(DocumentText(editor), start) << "seed " << seed << ", script:\n" << script;
        ASSERT_EQ(CheckEditorInvariants(editor), "");
    }
    EXPECT_GT(changes, kSequences * kSteps / 4);
    EXPECT_GT(withScripts, 100);
    EXPECT_GT(joinedRows, 10);
    EXPECT_GT(withDecorations, 5000);
}

// The pointer alphabet: presses, moves, releases, wheel steps and right presses at random pixels or
// at anchors, tool switches, typing, deleting and the undo commands; the invariants hold after
// every event, and Undo All and Redo All retrace the document.
TEST_F(EditPropertiesTest, RandomPointerSequencesKeepInvariants)
{
    constexpr int32_t kSequences = 24;
    constexpr int32_t kSteps = 150;
    for (int32_t seed = 0; seed < kSequences; ++seed)
    {
        const std::string &fixture = kFixtures[seed % std::size(kFixtures)];
        ResetTheEditor();
        RegisterDrawingKinds();
        editor = TheEditor;
        ASSERT_TRUE(LoadTestDocument(editor, fixture.c_str(), 0, 0)) << fixture;
        editor->AttachMainWindow(1, 400, 300);
        std::mt19937 random(uint32_t(6200 + seed));
        std::uniform_real_distribution<float> x(-50.0f, 450.0f);
        std::uniform_real_distribution<float> y(-50.0f, 350.0f);
        const uint32_t buttons[] = {'lmdn', 'lmup', 'msmv', 'msmv', 'msmv', 'rmdn', 'rmup', 'mmdn', 'mmup', 'mwhl'};
        const uint32_t groups[] = {kToolGroupEquation, kToolGroupLine, kToolGroupShape, kToolGroupAnnotation};
        std::string script;
        for (int32_t step = 0; step < kSteps; ++step)
        {
            uint32_t choice = random() % 20;
            std::string line;
            if (choice < 12)
            {
                UIEvent event;
                event.type = buttons[random() % std::size(buttons)];
                event.position = Point2D(x(random), y(random));
                if (random() % 3 == 0 && editor->anchorRecords.GetElementCount() > 0)
                {
                    const AnchorRecord &r = editor->anchorRecords[int32_t(random() % uint32_t(editor->anchorRecords.GetElementCount()))];
                    float s = editor->pixelScale;
                    event.position = Point2D((r.x - editor->viewCentre.x) / s + editor->halfClientWidth,
                                             editor->halfClientHeight - (r.y - editor->viewCentre.y) / s);
                }
                event.modifiers = (random() % 4 == 0 ? kModifierShift : 0) | (random() % 6 == 0 ? kModifierControl : 0);
                event.key = random() % 5 == 0 ? 1 : 0;
                event.wheel = Vector2D(0.0f, float(int32_t(random() % 7) - 3));
                static_cast<void>(editor->HandleMouseEvent(event));
                line = "mouse " + std::to_string(event.type) + " " + std::to_string(event.position.x) + " " +
                       std::to_string(event.position.y) + " " + std::to_string(event.modifiers);
            }
            else if (choice < 14)
            {
                editor->SetDrawingToolGroup(groups[random() % std::size(groups)]);
                editor->settings.state.toolPanel.lineTool = 2 + int32_t(random() % 10);
                editor->settings.state.toolPanel.shapeTool = 12 + int32_t(random() % 9);
                line = "tool " + std::to_string(editor->drawingToolGroup);
            }
            else if (choice < 16)
            {
                static_cast<void>(LayoutTestDocument(editor));
                editor->BuildSelectionOverlay();
                editor->BuildAnchorOverlay();
                line = "layout";
            }
            else if (choice == 16)
            {
                static_cast<void>(editor->TypeCharacter(kTyped[random() % std::size(kTyped)], 0));
                line = "type";
            }
            else if (choice == 17)
            {
                static_cast<void>(editor->DeleteBackward());
                line = "backspace";
            }
            else
            {
                static_cast<void>(choice == 18 ? editor->Undo() : editor->Redo());
                line = choice == 18 ? "undo" : "redo";
            }
            script += line + "\n";
            ASSERT_EQ(CheckEditorInvariants(editor), "") << "seed " << seed << ":\n" << script;
        }
        editor->CancelDrag();
        std::string text = DocumentText(editor);
        int32_t position = editor->currentStep != nullptr ? editor->currentStep->GetListElementIndex() + 1 : 0;
        static_cast<void>(editor->UndoAll());
        for (int32_t i = 0; i < position; ++i) ASSERT_TRUE(editor->Redo()) << "seed " << seed << ":\n" << script;
        ASSERT_EQ(DocumentText(editor), text) << "seed " << seed << ":\n" << script;
        ASSERT_EQ(CheckEditorInvariants(editor), "");
    }
}

}  // namespace
}  // namespace oq::test
