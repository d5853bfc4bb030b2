#pragma once

#include "editor/structures/StructureNode.h"

#include "base/Bezier.h"

namespace oq {

inline constexpr uint32_t kBoxKind = 'boxx';
inline constexpr uint32_t kBoxFull = 'full';
inline constexpr uint32_t kBoxUpperLeft = 'uplf';
inline constexpr uint32_t kBoxUpperRight = 'uprt';
inline constexpr uint32_t kBoxLowerLeft = 'lwlf';
inline constexpr uint32_t kBoxLowerRight = 'lwrt';

// A box ("Bx"): a ruled frame around its body (role 0), complete ('full') or one corner of two rules.
class BoxNode : public StructureNode
{
public:
    static constexpr int32_t kMaxOutlineCurves = 16;

    explicit BoxNode(uint32_t type);
    BoxNode(const BoxNode &node);

    GroupNode *GetBody() const { return GetSlot(0); }

    // "t" (a 4CC).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // A type out of the five becomes 'full'.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    // The colour properties, then "t" unless 'full'.
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The frame in the node colour, then the children's items.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;

    void Measure(const Design *design) override;
    // "\boxed{body}" for every type.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // menclose with the type's notation.
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    uint32_t boxType = kBoxFull;
    // The rules in node coordinates: four counter-clockwise pieces (16 curves) for 'full', two
    // rectangles (8 curves) for a corner; none before layout or when not finite.
    int32_t outlineCount = 0;
    QuadraticBezier2D outline[kMaxOutlineCurves];
};

}  // namespace oq
