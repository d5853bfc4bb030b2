#pragma once

#include <cstdint>

namespace oq {

class GroupNode;
class MathNode;
class TextString;
struct MathWriterState;

// What iterations and integrals share around their operator: the body's row-end flag, the variant
// step and the LaTeX and MathML forms (operator, optional limits, body after them).

// The body takes no row-end space when a spacing neighbour other than a row begin follows the node;
// otherwise it takes the enclosing group's flag.
void SetOperatorBodyRowEnd(const MathNode *node, GroupNode *body);

// (small, inline): (false, false) -> (false, true) -> (true, true) -> (true, false) -> (false, false).
// Returns the previous inline flag.
bool StepOperatorVariant(bool *small, bool *inlineLimits);

// The display-style switch the limit style needs, "\" and the command, the limits as "_{}" and "^{}"
// and the body in braces.
void WriteOperatorLatex(const char *command, bool inlineLimits, const GroupNode *lower, const GroupNode *upper,
                        const GroupNode *body, MathWriterState *state, TextString *output);
// <munderover> with the style switch, the <mo> of the code point (largeop where the size differs
// from the style's), the limits or empty rows; then the body in the style on entry.
void WriteOperatorMathML(uint32_t codePoint, bool small, bool inlineLimits, const GroupNode *lower,
                         const GroupNode *upper, const GroupNode *body, MathWriterState *state, TextString *output);

}  // namespace oq
