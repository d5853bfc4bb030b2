// Random editing sequences from fixed seeds: after every step the invariants hold and the document
// text reads back to the same bytes; at the end Undo and Redo retrace the history exactly.
#include "EditorFixture.h"
#include "editor/document/BracketNode.h"
#include "editor/document/GroupNode.h"
#include "editor/drawing/DrawingKinds.h"
#include "editor/document/NodeFactory.h"
#include "editor/document/PhantomNode.h"
#include "editor/drawing/RectangleObject.h"
#include "editor/structures/BondNode.h"
#include "editor/structures/IntegralNode.h"
#include "editor/structures/IterationNode.h"
#include "editor/structures/MatrixNode.h"
#include "editor/structures/ScriptNode.h"
#include "editor/structures/StackNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/editing/MenuState.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/VirtualKeys.h"
#include "editor/platform/TextBuffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
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

// What one step broke: the invariants, an empty run, a history changed by an operation that
// changed nothing (menu commands and selections aside), a text that does not read back to itself.
// The document text goes out.
std::string StepFindings(Editor *editor, bool changed, const std::string &line, int32_t countBefore,
                         const UndoStep *currentBefore, std::string *text)
{
    std::string findings = CheckEditorInvariants(editor) + EmptyRuns(editor);
    *text = DocumentText(editor);
    if (!changed && line.rfind("menu", 0) != 0 && line.rfind("select", 0) != 0)
    {
        if (editor->undoHistory.GetListElementCount() != countBefore || editor->currentStep != currentBefore)
            findings += "an operation that changed nothing changed the history\n";
    }
    if (RoundTrip(*text) != *text) findings += "the text does not read back to itself\n";
    return findings;
}

// At the end of a sequence: Undo and Redo retrace the history, Redo All reaches the last step's
// after-state and Undo All the document the sequence started from.
void ExpectHistoryRetraced(Editor *editor, int32_t seed, const std::string &script, const std::string &start)
{
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
    if (first == nullptr) return;
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

        ExpectHistoryRetraced(editor, seed, script, start);
        if (HasFatalFailure()) return;
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

// Documents with every structure that has a setter, phantoms, annotation groups and drawings on
// both layers.
const std::string kStructureFixtures[] = {
    "Ln {} Gr { Bg $B {} Sb {s{\"x\"}} Br { Gr { Bg {} Sb {s{\"a\"}} } Gr { Bg {} } } "
    "Sc { Gr (t='subs') { Bg {} Sb {s{\"1\"}} } } St { Gr { Bg {} Sb (ro='oper') {s{\"=\"}} } } "
    "Ph { Bg {} Sb {s{\"p\"}} Ph { Bg {} } } } Gr (t='anno') { Bg {} Sb {s{\"n\"}} } Ln {} Cn {}",
    "Gr { Bg {} It { Gr { Bg {} Sb {s{\"i\"}} } Gr (t='lowr') { Bg {} } } In { Gr { Bg $B {} } } "
    "Bd $b { Gr { Bg {} Sb {s{\"C\"}} } Gr (t='uppr') { Bg {} Sb {s{\"H\"}} } } Bg {} "
    "Mx $m (r=2,c=2) { Gr { Bg {} Sb {s{\"1\"}} } Gr { Bg {} } Gr { Bg {} } Gr { Bg {} Sb {s{\"4\"}} } } } "
    "Ln { X { ref{$b} u32{" + std::to_string(uint32_t('bdup')) + "} i32{0} } } "
    "Ln { X { ref{$m} u32{" + std::to_string(uint32_t(kMatrixCellAnchorKind)) + "} i32{3} } } Gr (t='anno') { Bg {} }",
};

// Every structure of the main group's tree with a setter, in document order.
std::vector<MathNode *> FindSettable(Editor *editor)
{
    std::vector<MathNode *> found;
    GroupNode *group = editor->document.GetMainGroup();
    for (TreeBase *tree = group->GetFirstSubnode(); tree != nullptr; tree = group->GetNextTreeNode(tree))
    {
        MathNode *node = MathNode::FromStructure(static_cast<KettricStructure *>(tree));
        if (node == nullptr) continue;
        for (uint32_t kind : {kBracketKind, kScriptKind, kStackKind, kIterationKind, kIntegralKind, kBondKind, kMatrixKind})
        {
            if (node->GetKind() == kind) found.push_back(node);
        }
    }
    return found;
}

// A setter on a random structure, with arguments the dialogs allow.
bool RandomSetter(Editor *editor, std::mt19937 &random, std::string *line)
{
    std::vector<MathNode *> nodes = FindSettable(editor);
    if (nodes.empty())
    {
        *line = "# no structure";
        return false;
    }
    MathNode *node = nodes[random() % nodes.size()];
    auto flag = [&random] { return random() % 2 == 0; };
    *line = "# setter on " + std::to_string(node->GetKind());
    switch (node->GetKind())
    {
    case kBracketKind:
    {
        const uint32_t delimiters[] = {'(', ')', '[', ']', '{', '}', '|', 0x27E8, 0};
        return editor->SetBracketProperties(static_cast<BracketNode *>(node), delimiters[random() % 9],
                                            delimiters[random() % 9], flag() ? 0 : '|', int32_t(1 + random() % 4),
                                            flag(), flag());
    }
    case kScriptKind:
    {
        bool sub = flag();
        return editor->SetScriptProperties(static_cast<ScriptNode *>(node), sub, !sub || flag(), flag(), flag(),
                                           flag());
    }
    case kStackKind:
        return editor->SetStackLabels(static_cast<StackNode *>(node), flag(), flag(), flag());
    case kIterationKind:
    {
        const uint32_t signs[] = {0x2211, 0x220F, 0x2210, 0x22C3, 0x22C2};
        return editor->SetIterationProperties(static_cast<IterationNode *>(node), signs[random() % 5], flag(), flag(),
                                              flag(), flag(), flag());
    }
    case kIntegralKind:
    {
        const uint32_t signs[] = {0x222B, 0x222C, 0x222D, 0x222E};
        return editor->SetIntegralProperties(static_cast<IntegralNode *>(node), signs[random() % 4], flag(), flag(),
                                             flag(), flag(), flag(), flag());
    }
    case kBondKind:
    {
        const uint32_t styles[] = {0, 'sing', 'doub', 'wavy'};
        const uint32_t angles[] = {0, 'step', 'shal'};
        uint32_t labels[7];
        uint32_t seconds[7];
        for (int32_t i = 0; i < 7; ++i)
        {
            labels[i] = styles[random() % 4];
            seconds[i] = angles[random() % 3];
        }
        return editor->SetBondEndLabels(static_cast<BondNode *>(node), labels, seconds);
    }
    default:
    {
        // The matrix dialog's batch around the cells.
        editor->BeginEditBatch();
        bool changed =
            editor->SetMatrixCells(static_cast<MatrixNode *>(node), int32_t(1 + random() % 4), int32_t(1 + random() % 4));
        editor->EndEditBatch();
        return changed;
    }
    }
}

// Selects a random subset of the top-level objects, the caret collapsed as a click leaves it (no edit).
void SelectRandomObjects(Editor *editor, std::mt19937 &random)
{
    editor->SetSelection(editor->document.selection.start, editor->document.selection.start);
    editor->document.objectSelection.SetElementCount(0);
    KettricStructure *root = editor->document.GetRootStructure();
    for (KettricStructure *top = root->GetFirstSubnodeStructure(); top != nullptr; top = top->GetNextStructure())
    {
        if (random() % 2 == 0) editor->document.objectSelection.AddElement(DocumentNode::FromStructure(top));
    }
}

// Selects the main group's first row, or puts the caret after one of its phantoms (no edit).
void SelectRowOrPhantom(Editor *editor, std::mt19937 &random)
{
    editor->document.objectSelection.SetElementCount(0);
    MathNode *rowBegin = editor->document.GetMainGroup()->GetFirstMathSubnode();
    MathNode *last = rowBegin;
    std::vector<MathNode *> phantoms;
    for (MathNode *node = rowBegin->GetNextMathNode(); node != nullptr && node->GetKind() != kRowBeginKind;
         node = node->GetNextMathNode())
    {
        last = node;
        if (node->GetKind() == kPhantomKind) phantoms.push_back(node);
    }
    if (!phantoms.empty() && random() % 2 == 0)
    {
        MathNode *phantom = phantoms[random() % phantoms.size()];
        editor->SetSelection({phantom, 0}, {phantom, 0});
        return;
    }
    editor->SetSelection({rowBegin, 0}, {last, last->GetEndIndex()});
}

// One step of the structure sequences: a new operation or, one time in three, an editing step.
bool RandomStructureStep(Editor *editor, std::mt19937 &random, std::string *line)
{
    uint32_t choice = random() % 30;
    if (choice < 10)
    {
        // The keys act on selected objects before they reach typing and deleting.
        editor->document.objectSelection.SetElementCount(0);
        return RandomStep(editor, random, line);
    }
    if (choice < 15) return RandomSetter(editor, random, line);
    switch (choice)
    {
    case 15:
        SelectRandomObjects(editor, random);
        *line = "select objects";
        return false;
    case 16:
    {
        const uint32_t alignments[] = {0, kAlignLeft, kAlignCentre, kAlignRight};
        *line = "# align";
        return editor->SetGroupAlignment(alignments[random() % 4]);
    }
    case 17:
    {
        const uint32_t baselines[] = {kBaselineFirst, kBaselineMiddle, kBaselineLast};
        *line = "# baseline";
        return editor->SetGroupBaseline(baselines[random() % 3]);
    }
    case 18:
        *line = "# smaller";
        return editor->DecreaseGroupSize();
    case 19:
        *line = "# larger";
        return editor->IncreaseGroupSize();
    case 20:
        *line = "# normal size";
        return editor->ResetGroupSize();
    case 21:
        *line = "# release phantoms";
        if (random() % 2 == 0) SelectRowOrPhantom(editor, random);
        return editor->ReleasePhantoms();
    case 22:
    {
        if (random() % 2 == 0) SelectRowOrPhantom(editor, random);
        const uint32_t styles[] = {'grek', 'bdgk', 'ital', 'bold', 'sans'};
        *line = "# style";
        return editor->SetSelectionStyle(styles[random() % 5]);
    }
    case 23:
        *line = "# zoom";
        static_cast<void>(editor->ZoomKeepingCaret(float(random() % 4000) / 8.0f));
        return false;
    case 24:
        *line = "# box equation";
        return editor->BoxEquation();
    default:
    {
        bool (Editor::*orders[])() = {&Editor::MoveObjectsToForeground, &Editor::MoveObjectsToBackground,
                                      &Editor::BringObjectsForward,     &Editor::SendObjectsBackward,
                                      &Editor::BringObjectsToFront,     &Editor::SendObjectsToBack};
        *line = "# order " + std::to_string(choice - 25);
        return (editor->*orders[choice - 25])();
    }
    }
}

TEST_F(EditPropertiesTest, StructureAndObjectCommandsKeepInvariantsTextAndHistory)
{
    constexpr int32_t kSequences = 200;
    constexpr int32_t kSteps = 200;
    int32_t changes = 0;
    // The sequences must reach the new operations: changes by kind of line.
    std::map<std::string, int32_t> reached;
    for (int32_t seed = 0; seed < kSequences; ++seed)
    {
        const std::string &fixture = kStructureFixtures[seed % std::size(kStructureFixtures)];
        ResetTheEditor();
        editor = TheEditor;
        // Box Equation's rectangles read back as rectangles.
        RegisterNodeKind("Rt", []() -> KettricStructure * { return new RectangleObject(false, false); });
        ASSERT_TRUE(LoadTestDocument(editor, fixture.c_str(), 0, 0)) << fixture;
        std::string start = DocumentText(editor);
        std::string script = "load 0 0\n" + fixture + "\nend\n";
        std::mt19937 random(uint32_t(20261212 + seed));
        for (int32_t step = 0; step < kSteps; ++step)
        {
            std::string line;
            int32_t countBefore = editor->undoHistory.GetListElementCount();
            const UndoStep *currentBefore = editor->currentStep;
            bool changed = RandomStructureStep(editor, random, &line);
            script += line + "\n";
            changes += changed ? 1 : 0;
            if (changed && line.rfind("# ", 0) == 0) ++reached[line.substr(2, line.find(' ', 2) - 2)];
            std::string text;
            std::string findings = StepFindings(editor, changed, line, countBefore, currentBefore, &text);
            ASSERT_EQ(findings, "") << "seed " << seed << ", script:\n" << script;
        }
        ExpectHistoryRetraced(editor, seed, script, start);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(changes, kSequences * kSteps / 5);
    for (const char *name : {"setter", "align", "baseline", "smaller", "larger", "normal", "release", "style", "box",
                             "order"})
        EXPECT_GT(reached[name], 5) << name;
}

}  // namespace
}  // namespace oq::test
