#pragma once

// The command tables of the editing tests: a fixture document with the selection, a command, and
// what the document, the caret and the history look like afterwards.

#include "EditorHarness.h"
#include "base/TextUtils.h"
#include "editor/document/AlignmentMarkNode.h"
#include "editor/document/DecorationNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MarkNode.h"
#include "editor/document/SpaceNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/structures/PrimeNode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

namespace oq::test {

inline std::string CommandFourCC(uint32_t value)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) text += char(value >> shift & 0xFF);
    return text;
}

inline std::string CommandHex(uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04X", value);
    return buffer;
}

inline std::string CommandNumber(float value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", double(value));
    return buffer;
}

// A coloured node's colour when it is not palette index 0: " pi3" or " co<hex>".
inline std::string DescribeColor(const ColoredMathNode *node)
{
    if (node->paletteIndex == 0) return "";
    if (node->paletteIndex > 0) return " pi" + std::to_string(node->paletteIndex);
    return " co" + CommandHex(node->colorValue);
}

// The nodes of the main group's rows: "|" a row start after the first, "ab" a run (code points
// outside ASCII as <XXXX>) with its decorations in brackets, Sp3 / Tab18 spaces, Al:kind
// aligners, Pr<XXXX> primes; other kinds by their 4CC.
inline std::string DescribeMainRows(Editor *editor)
{
    std::string out;
    for (MathNode *node = editor->document.GetMainGroup()->GetFirstMathSubnode(); node != nullptr;
         node = node->GetNextMathNode())
    {
        if (node->GetKind() == kRowBeginKind && node->GetPreviousMathNode() == nullptr) continue;
        if (!out.empty()) out += " ";
        if (node->GetKind() == kRowBeginKind)
        {
            out += "|";
        }
        else if (auto *run = dynamic_cast<SymbolRunNode *>(node))
        {
            out += "\"";
            const char *bytes = run->text.GetText();
            for (int32_t at = 0; at < run->text.GetLength();)
            {
                uint32_t codePoint = 0;
                at += DecodeUtf8(bytes + at, &codePoint);
                out += codePoint < 0x80 ? std::string(1, char(codePoint)) : "<" + CommandHex(codePoint) + ">";
            }
            out += "\"" + DescribeColor(run);
            std::string decorations;
            for (MathNode *sub = run->GetFirstMathSubnode(); sub != nullptr; sub = sub->GetNextMathNode())
            {
                if (!decorations.empty()) decorations += ", ";
                if (auto *mark = dynamic_cast<MarkNode *>(sub))
                    decorations += "mark " + CommandHex(mark->codePoint) + (mark->under ? " un" : "") + DescribeColor(mark);
                else if (auto *decoration = dynamic_cast<DecorationNode *>(sub))
                    decorations += CommandFourCC(sub->GetKind()) + " " + CommandFourCC(decoration->type) +
                                   DescribeColor(decoration);
                else
                    decorations += CommandFourCC(sub->GetKind());
            }
            if (!decorations.empty()) out += "[" + decorations + "]";
        }
        else if (auto *space = dynamic_cast<SpaceNode *>(node))
        {
            out += (space->isTab ? "Tab" : "Sp") + CommandNumber(space->size);
        }
        else if (auto *aligner = dynamic_cast<AlignmentMarkNode *>(node))
        {
            out += "Al:" + CommandFourCC(aligner->markAlignment);
        }
        else if (auto *prime = dynamic_cast<PrimeNode *>(node))
        {
            out += "Pr" + CommandHex(prime->codePoint) + (prime->noBold ? " nb" : "") + DescribeColor(prime);
        }
        else
        {
            out += CommandFourCC(node->GetKind());
        }
    }
    return out;
}

// One row of a command table: the main group's content (the selection from the node named B at
// start to the node named E, or B, at end), the command, whether it changes the document, and the
// nodes and sketch afterwards (both unchanged when it refuses).
struct CommandCase
{
    const char *name;
    const char *rows;  // the main group's body
    int32_t start;
    int32_t end;
    std::function<bool(Editor *)> command;
    bool changes;
    const char *nodes;
    const char *sketch;
};

// Loads the case, runs the command and checks it: the result, one step (none on a refusal), the
// nodes, the sketch and the invariants; Undo then gives back the dump from before (history aside).
inline void ExpectCommandCase(const CommandCase &row)
{
    SCOPED_TRACE(row.name);
    ResetTheEditor();
    Editor *editor = TheEditor;
    std::string text = std::string("Gr { ") + row.rows + " }";
    ASSERT_TRUE(LoadTestDocument(editor, text.c_str(), row.start, row.end)) << text;
    // A caret at a run's start as the selection setter stores it, at the end of the node before.
    editor->NormalizeSelectionEnds();
    // The dump without its history line.
    auto dump = [editor] {
        std::string state = DumpState(editor);
        return state.substr(0, state.rfind("steps "));
    };
    std::string before = dump();
    EXPECT_EQ(row.command(editor), row.changes);
    EXPECT_EQ(DescribeSteps(editor), row.changes ? "1/1" : "0/0");
    EXPECT_EQ(DescribeMainRows(editor), row.nodes);
    EXPECT_EQ(SketchDocument(editor), row.sketch);
    EXPECT_EQ(CheckEditorInvariants(editor), "");
    if (row.changes)
    {
        ASSERT_TRUE(editor->Undo());
    }
    EXPECT_EQ(dump(), before);
}

}  // namespace oq::test
