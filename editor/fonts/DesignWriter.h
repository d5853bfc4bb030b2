#pragma once

#include "editor/fonts/Design.h"
#include "editor/platform/TextBuffer.h"

namespace oq {

// Appends the "D" block of the design: its differences from the factory design, entry by entry.
void WriteDesignBlock(const Design &design, TextBuffer *buffer);

// Design-block groups in the order they are written: general, 'symb' .. 'mtrx', 'line', 'jost',
// 'shap', 'anno', then 'ancr' and 'rail' (indexes into kDesignGroupTables).
extern const int32_t kDesignBlockGroupOrder[kDesignGroupCount];

}  // namespace oq
