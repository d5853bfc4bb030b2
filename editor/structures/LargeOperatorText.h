#pragma once

#include "kettric/KettricLiterals.h"

#include <cstdint>

namespace oq {

class DocumentNode;
class GroupNode;
class KettricDocument;
class KettricStructure;
class MathNode;
class TextString;
struct MathWriterState;
struct TextBuffer;

// What iterations and integrals share around their operator: the code point's data line, the body's
// row-end flag, the variant step and the LaTeX and MathML forms (operator, optional limits, body
// after them).

// Whether a subnode is the operator's code point list (u32 data).
bool IsOperatorCodePointList(const KettricStructure *structure);
// Takes the one-value u32 list among the node's subnodes as the code point and destroys every such list:
// kResultExtraSubstructure for a second list, kResultInvalidDataFormat for another element count. The code
// point then becomes U+FFFD when 0 or no Unicode scalar value.
[[nodiscard]] KettricResult TakeOperatorCodePoint(KettricStructure *node, uint32_t *codePoint);
// The container form with the code point's data line first unless it is the kind's default.
void WriteOperatorKettric(const DocumentNode &node, KettricDocument *document, TextBuffer *buffer,
                          const char *identifier, uint32_t codePoint, uint32_t defaultCodePoint);

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
