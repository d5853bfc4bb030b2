#pragma once

#include "editor/document/MathNode.h"

namespace oq {

// An explicit horizontal space in a row ("Sp"): "s" math units (possibly negative), or with "t" a
// tab stop that advances to the next multiple of the tab width. Has box and centre anchors but no
// colour.
class SpaceNode : public MathNode
{
public:
    SpaceNode();
    // Copies the math-node properties, "s" and "t".
    SpaceNode(const SpaceNode &node);

    // "s" (float) and "t" (boolean).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // Refuses every substructure.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // A non-finite "s" reads as absent.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The tab arrow, the cup of a space, the inverted cup of a negative one, the bar of an empty one.
    void BuildEditingAidItems(uint32_t flags, const Preferences *preferences, const Design *design,
                              DisplayList *list) const override;
    // Kind 0 for a tab, kinds 0 and 'cent' for a fixed space.
    int32_t GetAnchorKinds(const uint32_t **kinds) const override;
    // None while the width is 0 or less.
    int32_t GetAnchorPoints(uint32_t kind, const Point2D **points) const override;

    // The fixed width, or the advance to the next tab stop from the node's x in its row.
    void Measure(const Design *design) override;
    // The anchors at the space's right end and middle, spanning the row.
    void FinishPlacement(const Design *design) override;
    // Out of a top-level group, links to points 2 and 3 fall back to 0 and 1.
    void OnReparented() override;
    // "\\,", "\\>", "\\;", "\\quad", "\\qquad", "\\!" or "\\mkern" with the size and "mu"; a tab writes
    // nothing.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // An mspace of size / 18 em; a tab writes nothing.
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    float size = 0.0f;
    bool isTab = false;
    int32_t anchorCount = 0;
    Point2D boxAnchors[4] = {};
    Point2D centreAnchors[4] = {};
};

}  // namespace oq
