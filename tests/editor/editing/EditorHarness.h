#pragma once

// The headless editing harness: a fresh TheEditor per test, a recording menu bar, state dumps and
// sketches, the invariant checker, test edits through the tree API inside edit batches, and the
// script driver. No test framework: findings come back as text ("" when there are none).

#include "editor/editing/Editor.h"
#include "editor/editing/MenuState.h"

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace oq::test {

// Records the menu states the editor sets, by id.
class RecordingMenus : public MenuState
{
public:
    void EnableMenuItem(int32_t id, bool enabled) override;
    void CheckMenuItem(int32_t id, bool checked) override;

    // "513+ 514- 515+ 516-": '+' enabled (or checked), '-' greyed (or unchecked), '?' never set.
    std::string DescribeEnabled(const std::vector<int32_t> &ids) const;
    std::string DescribeChecked(const std::vector<int32_t> &ids) const;
    // The four Edit items 513-516 as DescribeEnabled writes them.
    std::string DescribeUndoItems() const;

    std::map<int32_t, bool> enabled;
    std::map<int32_t, bool> checked;
    int64_t calls = 0;
};

// Registers the document kinds and the test drawing kinds, then makes TheEditor anew (the one
// record in its initial state) with the harness's menus (Undo, Redo, Undo All and Redo All greyed
// as a new window has them) and a log that the harness keeps.
void ResetTheEditor();
// Deletes TheEditor; null afterwards.
void DestroyTheEditor();
RecordingMenus &GetHarnessMenus();
// The log lines the editor wrote since the last reset.
const std::vector<std::string> &GetHarnessLog();

// The state undo and redo can tell apart: the equation text (no header, no design, marking on),
// the mode, both selection indexes, the moving end and the current step / step count. Renames
// every node; not counted as a snapshot text.
std::string DumpState(Editor *editor);
// The equation text with marking off: what the document says, whatever is selected.
std::string DocumentText(Editor *editor);
// The tree as a short line: row[ math:ital"x" Sp Ph{row[‸]} ], ‸ the caret, ⟦ ⟧ a range.
std::string SketchDocument(Editor *editor);
// One line per broken invariant; "" when every one holds.
std::string CheckEditorInvariants(Editor *editor);
// 1-based index of the current step (0: none) and the step count, as "current/count".
std::string DescribeSteps(Editor *editor);

// Test edits, each a change through the tree API inside one edit batch (typing into an existing
// run at the caret uses the typing variant and sets TypingPosition). False when refused.
bool TypeTestText(Editor *editor, const char *utf8);
bool InsertTestRow(Editor *editor);
bool InsertTestSpace(Editor *editor);
bool InsertTestPhantom(Editor *editor);
bool InsertTestDrawing(Editor *editor);
// Deletes the selected objects, or else the last character of the caret's run, or else the caret's
// node (never a group's first row begin).
bool DeleteTestNode(Editor *editor);
// Selects between the caret nodes numbered in document order (moves the caret; no edit).
bool SelectTestRange(Editor *editor, int32_t startNode, int32_t startIndex, int32_t endNode, int32_t endIndex);
// Selects every drawing object (no edit).
bool SelectTestDrawings(Editor *editor);
// Sets the mode inside a batch.
bool SetTestMode(Editor *editor, uint32_t mode);
// One edit chosen and parametrised by the value: any of the above, a caret move, or a batch that
// changes nothing. The document stays under 4 KB of text (deletes above it).
void ApplyRandomTestEdit(Editor *editor, uint32_t choice);

// Restores the text as a snapshot (through a step of its own, the history kept): what the restore
// answers.
bool RestoreTestText(Editor *editor, const char *text, int32_t startIndex, int32_t endIndex);
// Lays the document out as the frame tick will, counted in the editor's counters. The first layout
// after a reset sets a started recording renderer whose Data folder holds the test faces ("0.vorl"
// and "2.vorl") and a font manager; the reset and DestroyTheEditor take them down again. False when
// the renderer does not start.
bool LayoutTestDocument(Editor *editor);
// The face the layouts write in place of the loadable font until the next reset; set it before the
// test's first layout.
void SetLayoutTestFace(std::vector<uint8_t> face);

// Replaces the document with the text (names "B", "E", "S0".. mark the selection as in a
// snapshot, the indexes go with them) and clears the flags and counters. False when the text does
// not read.
bool LoadTestDocument(Editor *editor, const char *text, int32_t startIndex, int32_t endIndex);

// Types the UTF-8 text character by character through Editor::TypeCharacter with the flags;
// "\\n", "\\t" and "\\\\" stand for a line feed, a tab and a backslash, "\\u{hex}" for a code point.
void TypeScriptText(Editor *editor, const std::string &text, uint32_t flags);

// Runs a script of the line language; the findings, "" when every expectation and invariant held.
//   new | load [start end] .. end | menu <id> | edit <n> | type|paste|literal <text> | palette U+<hex>
//   command <id> (Editor::RouteCommand; decimal or 0x hex)
//   backspace | delete (the objects when some are selected) | row | space | phantom | drawing
//   key <virtual-key code> [shift] (Editor::HandleKeyDown)
//   select <node> <index> <node> <index> | objects | mode math|chem|text | layout
//   click|hover|rclick <x> <y> | drag <x> <y> <x2> <y2> | wheel <x> <y> <notches> (document points;
//   then shift, ctrl or double)
//   expect dump .. end | expect sketch <line> | expect steps <c>/<n> | expect menu <id>[+-] ..
//   expect text .. end | # comment
std::string RunEditorScript(const std::string &script);
// Lines a test program adds to the script language (the SDL programs' "sdl", "tick", "render" and
// "expect pixel"): the driver answers whether the line is its own and sets the finding ("" when it
// held). Null: none.
using ScriptDriver = bool (*)(const std::string &line, std::string *finding);
void SetScriptDriver(ScriptDriver driver);

// A list of random edit choices and menu commands as a script (how property failures are shown):
// values below 0 are the menu commands 513-516 as -1..-4.
std::string WriteEditScript(const std::vector<int32_t> &operations);

}  // namespace oq::test
