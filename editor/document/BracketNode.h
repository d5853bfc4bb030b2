#pragma once

#include "base/Array.h"
#include "base/Bezier.h"
#include "base/Matrix2D.h"
#include "editor/document/ColoredMathNode.h"
#include "editor/document/GlyphLayout.h"
#include "editor/platform/DocumentFontSet.h"

#include <cstdint>

namespace oq {

class Font;
class GroupNode;

inline constexpr uint32_t kBracketKind = 'brck';
// The most curves a constructed delimiter has (the brace).
inline constexpr int32_t kDelimiterOutlineCurves = 15;

// Where one drawn delimiter stands: a scaled glyph (its placement, scales and one quad in its font
// slot) or, when curveCount is not 0, a constructed outline in node coordinates.
struct DelimiterGeometry
{
    float x = 0.0F;
    float y = 0.0F;  // the glyph's y offset (the glyph runtime's y points down)
    Matrix2D scale = Matrix2D(1.0F, 0.0F, 0.0F, 1.0F);
    int32_t vertexCounts[DocumentFontSet::kSlotCount] = {};
    int32_t triangleCounts[DocumentFontSet::kSlotCount] = {};
    int32_t curveCount = 0;
    QuadraticBezier2D curves[kDelimiterOutlineCurves] = {};
};

// A bracket ("Br"): body groups between a left and a right delimiter, with a middle delimiter
// between consecutive bodies, stretched to the bodies' height. "as" lets the delimiters span the
// body's own extent instead of one symmetric about the math axis; "ca" then centres them on it.
class BracketNode : public ColoredMathNode
{
public:
    // Colour 0xFF000000, palette index 0, both flags off. A delimiter 0 is none.
    BracketNode(uint32_t leftDelimiter = '(', uint32_t rightDelimiter = ')', uint32_t middleDelimiter = 0);
    // Copies the colour properties, the three delimiters, "as" and "ca"; no geometry.
    BracketNode(const BracketNode &node);

    // Appends a body group (role 0, baseline row 'mddl') holding one row begin of line gap -1.
    GroupNode *AddBodyGroup();

    // "as" and "ca" (bool); the rest as a coloured node.
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // "as" is read by its literal: bare or a bool literal it is the asymmetric flag, any other value
    // (a decimal or a bit pattern, as the node writer puts it) the math-node scale.
    bool CheckPropertyLiteral(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                              void **storage, const char *literal) override;
    // Groups and u32 data lists.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // The coloured node's checks; then one u32 list of 2 or 3 delimiters (kResultInvalidDataFormat otherwise,
    // kResultExtraSubstructure for a second), deleted once read, and at least one group
    // (kResultMissingSubstructure). A delimiter that is neither 0 nor a Unicode scalar value becomes U+FFFD.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    // The coloured-node properties, then "as" and "ca" when set.
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    // "u32{...}" with the delimiters unless they are '(' and ')' without a middle, then the bodies.
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;

    // Each delimiter (left, middles, right) as its outline or its scaled glyph, then the bodies'.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildMeshItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;

    // Lays out the left, right and (with several bodies) middle delimiter, one glyph each.
    void LayoutAfterChildren(const Design *design) override;
    // The body extent, the delimiters stretched to it and the bodies placed between them.
    void Measure(const Design *design) override;
    bool HasVariant() const override;
    // (as, ca): (off, off) -> (on, off) -> (on, on) -> (off, off).
    void CycleVariant() override;
    GroupNode *GetFirstGroup() const override;
    GroupNode *GetLastGroup() const override;
    GroupNode *GetPreviousGroup(const GroupNode *group) const override;
    GroupNode *GetNextGroup(const GroupNode *group) const override;
    // "\left", the bodies with "\middle" between them, "\right"; a missing side is the null
    // delimiter "." whenever another delimiter is written, so the output always balances.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // "<mrow>" with a fence <mo> for each delimiter that is not 0 (escaped) around the bodies.
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    // Stretches the delimiter to the height with its bottom at y and its left at x; returns the pen
    // x after it. The stretch is height / the glyph's height (at least 1; 1 for a glyph without
    // height); an outline is built when the delimiter has one at that stretch, else the glyph is
    // scaled by the stretch vertically and by its square root horizontally.
    float StretchDelimiter(const Design *design, uint32_t codePoint, const LaidOutGlyph &glyph, float height, float y,
                           float x, DelimiterGeometry *geometry) const;
    // The constructed outline of the delimiter with its bottom left at the origin: its width, or 0
    // (no curves) when the glyph is to be scaled instead.
    float BuildStretchedDelimiter(const Design *design, uint32_t codePoint, const Point2D &origin, float height,
                                  float stretch, DelimiterGeometry *geometry) const;

    uint32_t left;
    uint32_t right;
    uint32_t middle;
    bool asymmetric = false;
    bool centered = false;
    GlyphLayoutRequest glyphRequest = {};
    LaidOutGlyph glyphs[3];  // left, right, middle
    DelimiterGeometry leftGeometry;
    DelimiterGeometry rightGeometry;
    Array<DelimiterGeometry> middleGeometries;  // one per gap between bodies at the last layout

private:
    // The font of a laid-out delimiter glyph; null when there is none or it no longer fits the
    // design's slot.
    static const Font *GetDelimiterFont(const Design *design, const LaidOutGlyph &glyph);
    // The group count among the subnodes.
    int32_t CountBodyGroups() const;
};

// A delimiter read from a file: 0 or a Unicode scalar value, anything else U+FFFD.
uint32_t CheckDelimiterCodePoint(uint32_t codePoint);

}  // namespace oq
