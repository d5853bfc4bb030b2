#pragma once

#include "editor/structures/StructureNode.h"

#include "base/Bezier.h"

namespace oq {

// One type of an enclosing kind: its 4CC, its LaTeX command with the opening brace, its MathML
// notation.
struct EnclosingType
{
    uint32_t type;
    const char *latex;
    const char *notation;
};

// Base of the box and strike kinds: one required body (role 0), a type ("t") out of the kind's table
// whose first row is the default, the rules they draw under or over the body, and the text forms both
// share: the type's command around the body in LaTeX, menclose with the type's notation in MathML.
class EnclosingNode : public StructureNode
{
public:
    static constexpr int32_t kMaxOutlineCurves = 16;

    // The table lives as long as the program; `latexStyle` is the body's style in LaTeX; the rules'
    // items come after the children's when `rulesOverBody`, else before them.
    EnclosingNode(uint32_t kind, const char *identifier, const EnclosingType *types, int32_t typeCount,
                  SlotStyle latexStyle, bool rulesOverBody, uint32_t type);
    // Copies the type; no outline until the next layout.
    EnclosingNode(const EnclosingNode &node);

    GroupNode *GetBody() const { return GetSlot(0); }

    // "t" (a 4CC).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // A type out of the table becomes the default.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    // The colour properties, then "t" unless it is the default.
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    void WriteMathML(MathWriterState *state, TextString *output) const override;
    // The rules in the node colour and the children's items, in the kind's order.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;

    uint32_t type;
    // The rules in node coordinates (counter-clockwise pieces of four straight curves); none before
    // layout or when they could not be built from finite values.
    int32_t outlineCount = 0;
    QuadraticBezier2D outline[kMaxOutlineCurves];

protected:
    // Clears the box and the outline and sets the spacings from the exterior spacing (mu) of the
    // kind's design group; returns the body, or null when there is none.
    GroupNode *BeginMeasure(const Design *design, float *em, float *mu);

private:
    const EnclosingType &GetTypeRow() const;

    const char *kettricIdentifier;
    const EnclosingType *typeRows;
    int32_t typeRowCount;
    SlotStyle bodyLatexStyle;
    bool rulesOverBody;
};

}  // namespace oq
