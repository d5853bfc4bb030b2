#pragma once

#include "editor/document/SingleGlyphNode.h"

#include <cstdint>

namespace oq {

inline constexpr uint32_t kPrimeKind = 'prim';
inline constexpr uint32_t kPrimeCodePoint = 0x2032;

// A prime mark ("Pr") after a symbol, bracket or structure: one glyph raised to the prime height and
// spaced against the node before it, bold after a bold run unless "nb", in the style of a prime
// before it.
class PrimeNode : public SingleGlyphNode
{
public:
    PrimeNode();
    // Copies the colour properties, the code point and "nb".
    PrimeNode(const PrimeNode &node);

    // "nb" (bool).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // One u32 data list only.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // Takes the one value of the u32 list as the code point and deletes the list: U+2032 without one,
    // kResultExtraSubstructure with a second, kResultInvalidDataFormat unless it holds exactly one value. A
    // code point that is 0 or no Unicode scalar value becomes U+FFFD.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    // An empty body for U+2032, else the code point as a u32 list.
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;

    // Chooses the style (bold after a bold run, a prime's style after a prime) and lays the glyph out.
    void LayoutAfterChildren(const Design *design) override;
    // Spacing and raise against the node before it; the glyph box scaled and raised.
    void Measure(const Design *design) override;
    // One to four "'" for U+2032, U+2033, U+2034 and U+2057 (after "{}" where TeX would see a second
    // superscript); nothing for any other code point.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // "<mo>" with the code point as escaped text.
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    // Whether the code point has a LaTeX form.
    bool WritesLatex() const;
    // Whether the LaTeX opens an empty base "{}" before the marks.
    bool WritesEmptyLatexBase() const;

    uint32_t codePoint = kPrimeCodePoint;
    uint32_t style = 'uprt';
    bool noBold = false;  // "nb"
};

}  // namespace oq
