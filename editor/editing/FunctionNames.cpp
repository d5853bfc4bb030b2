// Function names: a standard name typed in italic letters becomes an upright run of role 'func'.
#include "editor/editing/BackslashCommands.h"
#include "editor/editing/Editor.h"

#include "base/TextUtils.h"
#include "editor/document/SymbolRunNode.h"

#include <cstring>

namespace oq {

namespace {

bool IsCharacterStart(const char *text, int32_t index)
{
    return (static_cast<unsigned char>(text[index]) & 0xC0) != 0x80;
}

}  // namespace

bool Editor::RecognizeFunctionName(SymbolRunNode *run, int32_t index)
{
    if (run == nullptr || run->role != 'math' || run->style != 'ital') return false;
    // Letters of a backslash command stay letters until the command runs.
    if (IsBackslashRun(run->GetPreviousMathNode())) return false;
    const int32_t runLength = run->text.GetLength();
    if (index < 0 || index > runLength) return false;
    const char *text = run->text.GetText();
    int32_t nameLength = 0;
    for (int32_t k = kFunctionNameListCount - 1; k >= 0 && nameLength == 0; --k)
    {
        const int32_t length = k + 2;
        // A name starts only where a character starts.
        if (index < length || !IsCharacterStart(text, index - length)) continue;
        for (const TextString &name : settings.functionNameLists[k])
        {
            if (name.GetLength() == length && std::memcmp(text + index - length, name.GetText(), size_t(length)) == 0)
            {
                nameLength = length;
                break;
            }
        }
    }
    if (nameLength == 0) return false;

    BeginEditBatch();
    typingPosition = CaretPosition();
    if (index < runLength) run->SplitAt(index);
    SymbolRunNode *nameRun = index > nameLength ? run->SplitAt(index - nameLength) : run;
    nameRun->role = 'func';
    nameRun->style = 'uprt';
    Selection &selection = document.selection;
    selection.start = {nameRun, nameLength};
    selection.end = selection.start;
    movingEnd = 0;
    EndEditBatch();
    return true;
}

bool Editor::ContinuesFunctionName(const SymbolRunNode *run, int32_t index, uint32_t codePoint) const
{
    if (run == nullptr || run->role != 'func') return false;
    char bytes[4];
    const int32_t byteCount = EncodeUtf8(bytes, codePoint);
    const int32_t runLength = run->text.GetLength();
    const int32_t length = runLength + byteCount;
    if (byteCount <= 0 || index < 0 || index > runLength || length < 2 || length > kFunctionNameListCount + 1)
        return false;
    // The text as it will be stored: the character goes in at the caret.
    char stored[kFunctionNameListCount + 1];
    std::memcpy(stored, run->text.GetText(), size_t(index));
    std::memcpy(stored + index, bytes, size_t(byteCount));
    std::memcpy(stored + index + byteCount, run->text.GetText() + index, size_t(runLength - index));
    for (const TextString &name : settings.functionNameLists[length - 2])
    {
        if (name.GetLength() == length && std::memcmp(stored, name.GetText(), size_t(length)) == 0) return true;
    }
    return false;
}

}  // namespace oq
