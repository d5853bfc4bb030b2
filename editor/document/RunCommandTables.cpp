#include "editor/document/RunCommandTables.h"

#include <cstring>

namespace oq {

const char *FindMarkCommand(uint32_t codePoint)
{
    for (const MarkCommand &command : kMarkCommands)
    {
        if (command.codePoint == codePoint) return command.name;
    }
    return nullptr;
}

bool IsStandardFunctionName(const char *text, int32_t length)
{
    if (length <= 0) return false;
    for (const char *name : kStandardFunctionNames)
    {
        if (std::strlen(name) == size_t(length) && std::memcmp(name, text, size_t(length)) == 0) return true;
    }
    return false;
}

}  // namespace oq
