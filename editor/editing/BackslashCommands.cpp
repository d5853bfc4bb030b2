// Backslash commands: a backslash, a command name and a space become the named character.
#include "editor/editing/BackslashCommands.h"

#include "editor/document/SymbolRunNode.h"
#include "editor/editing/Editor.h"

#include <cstring>

namespace oq {

const BackslashCommand *FindBackslashCommand(const char *text, int32_t length)
{
    if (text == nullptr || length <= 0 || length >= int32_t(sizeof(BackslashCommand::name))) return nullptr;
    for (const BackslashCommand &command : BackslashCommandTable)
    {
        if (int32_t(strnlen(command.name, sizeof command.name)) == length &&
            std::memcmp(command.name, text, size_t(length)) == 0)
            return &command;
    }
    return nullptr;
}

bool IsBackslashRun(const MathNode *node)
{
    if (node == nullptr || node->GetKind() != kSymbolRunKind) return false;
    const auto *run = static_cast<const SymbolRunNode *>(node);
    return run->role == 'unry' && run->text.GetLength() > 0 && run->text.GetText()[0] == '\\';
}

bool Editor::RunBackslashCommand(SymbolRunNode *run, int32_t index)
{
    if (run == nullptr) return false;
    MathNode *backslash = run->GetPreviousMathNode();
    if (!IsBackslashRun(backslash)) return false;
    MathNode *before = backslash->GetPreviousMathNode();
    if (before == nullptr) return false;
    int32_t length = run->text.GetLength();
    if (index < 0 || index > length) index = length;
    const BackslashCommand *command = FindBackslashCommand(run->text.GetText(), index);
    if (command == nullptr) return false;

    BeginEditBatch();
    typingPosition = CaretPosition();
    Selection &selection = document.selection;
    selection.start = {before, before->GetEndIndex()};
    selection.end = selection.start;
    movingEnd = 0;
    if (index < length) run->SplitAt(index);
    delete run;
    delete backslash;
    MergeAdjacentRuns(nullptr, false);
    (void)TypeCharacter(command->codePoint, 0);
    EndEditBatch();
    return true;
}

}  // namespace oq
