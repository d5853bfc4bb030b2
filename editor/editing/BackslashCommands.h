#pragma once

#include "editor/document/BackslashCommandTable.h"

#include <cstdint>

namespace oq {

class MathNode;

// The first command of the table (in table order) whose name is exactly the length bytes of the
// text, or null. Any length is safe: a name field is never read past its NUL or its 28 bytes.
const BackslashCommand *FindBackslashCommand(const char *text, int32_t length);
// Whether the node is a symbol run of role 'unry' whose text begins with a backslash.
bool IsBackslashRun(const MathNode *node);

}  // namespace oq
