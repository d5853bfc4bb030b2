#pragma once

#include "base/Bezier.h"
#include "editor/document/ColoredMathNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/RunDecoration.h"

#include <cstdint>

namespace oq {

class SymbolRunNode;

// Reads "t" (a 4CC, as uint32) into the type; every other name goes to the coloured node. The
// one property check of the negation, slash and enclosure kinds and of the box and strike kinds.
bool CheckTypeProperty(ColoredMathNode *node, uint32_t *nodeType, KettricDocument *document,
                       const TextString &identifier, KettricDataType *type, void **storage);

// Base of the negation, slash and enclosure kinds: a type ("t") out of the kind's list and a filled
// outline that the owning symbol run places over its first glyph. The run writes their text forms.
class DecorationNode : public ColoredMathNode, public RunDecoration
{
public:
    static constexpr int32_t kMaxOutlineCurves = 32;

    // The type starts as the kind's default.
    explicit DecorationNode(uint32_t kind);
    // Copies the colour properties and the type; no outline until the next layout.
    DecorationNode(const DecorationNode &node);

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // Nothing: decorations have no subnodes.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // A type outside the kind's list becomes the kind's default.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    // The colour properties, then "t" unless it is the default.
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    // The head and the empty body.
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The outline at the absolute position in the node's colour, then the subnodes' items.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;

    bool IsUnderMark() const override { return false; }
    bool IsCircleEnclosure() const override;

    // The kind's first type, and whether a type is one of the kind's.
    uint32_t GetDefaultType() const;
    bool IsKindType(uint32_t value) const;
    // The symbol run the decoration stands in; null elsewhere.
    const SymbolRunNode *GetOwningRun() const;

    uint32_t type;
    int32_t outlineCount = 0;
    QuadraticBezier2D outline[kMaxOutlineCurves];

protected:
    // No outline and an empty box: what a decoration outside a symbol run measures.
    void ClearOutline();
};

}  // namespace oq
