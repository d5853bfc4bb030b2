#pragma once

#include "editor/document/RunDecoration.h"
#include "editor/document/SingleGlyphNode.h"

#include <cstdint>

namespace oq {

class SymbolRunNode;

// An accent glyph ("Mk", kind 'mark') over or under ("un") the symbol run that owns it: it lays out
// its one glyph, bold over a bold run, and reports the glyph's ink box; the run places and writes it.
class MarkNode : public SingleGlyphNode, public RunDecoration
{
public:
    MarkNode();
    // Copies the colour properties, the code point and "un".
    MarkNode(const MarkNode &node);

    // "un" (bool).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // One u32 data list only.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // Takes the one value of the one u32 list as the code point and deletes the list:
    // kResultMissingSubstructure without a subnode, kResultExtraSubstructure with a second,
    // kResultInvalidDataFormat unless it holds exactly one value. A code point that is 0 or no Unicode scalar
    // value becomes U+FFFD.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // Bold (style selector 2) when the owning run's style begins with 'b' and its "nb" is clear,
    // else upright; nothing outside a symbol run.
    void LayoutAfterChildren(const Design *design) override;
    // The glyph's ink box with its lower left corner at the origin; an empty box without a glyph.
    void Measure(const Design *design) override;

    bool IsUnderMark() const override { return under; }
    bool IsCircleEnclosure() const override { return false; }

    // The symbol run the mark stands in; null elsewhere.
    const SymbolRunNode *GetOwningRun() const;

    uint32_t codePoint = 0xFFFD;
    bool under = false;  // "un"
};

}  // namespace oq
