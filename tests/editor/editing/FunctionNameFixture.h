#pragma once

// The fixture of the function-name and backslash-command tests: the editor with the built-in and
// factory function names, typing helpers and a run finder.

#include "EditorFixture.h"
#include "TypingTestSupport.h"
#include "editor/document/GroupNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/fonts/EditorSettings.h"

#include <string>

namespace oq::test {

class FunctionNameFixture : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        RebuildShortcutLists(&editor->settings);
    }

    // Resets the editor with the lists of the preferences (factory ones by default).
    void Restart()
    {
        ResetTheEditor();
        editor = TheEditor;
        RebuildShortcutLists(&editor->settings);
    }

    // Types the text as the script language writes it ("\\\\" a backslash), checking the invariants.
    void Type(const std::string &text, uint32_t flags = 0)
    {
        TypeScriptText(editor, text, flags);
        EXPECT_EQ(CheckEditorInvariants(editor), "") << text;
    }

    // The first symbol run of the main group with exactly this text, or null.
    SymbolRunNode *FindRun(const std::string &text)
    {
        for (MathNode *node = editor->document.GetMainGroup()->GetFirstMathSubnode(); node != nullptr;
             node = node->GetNextMathNode())
        {
            if (node->GetKind() != kSymbolRunKind) continue;
            auto *run = static_cast<SymbolRunNode *>(node);
            if (std::string(run->text.GetText(), size_t(run->text.GetLength())) == text) return run;
        }
        return nullptr;
    }

    // Puts the caret at the byte index of the run with this text.
    void PutCaret(const std::string &runText, int32_t index)
    {
        SymbolRunNode *run = FindRun(runText);
        ASSERT_NE(run, nullptr) << runText;
        editor->SetSelection({run, index}, {run, index});
    }
};

}  // namespace oq::test
