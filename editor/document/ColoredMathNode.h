#pragma once

#include "editor/document/MathNode.h"

namespace oq {

inline constexpr uint32_t kCentreAnchorKind = 'cent';
inline constexpr uint32_t kDefaultNodeColor = 0xFF000000;

// Base of the structure kinds: a math node with a colour ("pi" or "co") and the box and centre
// anchors, which stand right of the node and span its whole row.
class ColoredMathNode : public MathNode
{
public:
    explicit ColoredMathNode(uint32_t kind);
    // Copies the math-node properties, "pi" and "co".
    ColoredMathNode(const ColoredMathNode &node);

    // "pi" (int32) and "co" (uint32); reading "co" sets the palette index to -1 at that moment, so the
    // later of the two decides.
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // The math node's checks; a palette index above 15 becomes 0.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    bool GetColor(NodeColor *color) const override;
    // Kinds 0 (box) and 'cent' (centre).
    int32_t GetAnchorKinds(const uint32_t **kinds) const override;
    int32_t GetAnchorPoints(uint32_t kind, const Point2D **points) const override;
    // The box and centre anchors from the node's box and its row's extent.
    void FinishPlacement(const Design *design) override;
    // Takes the colour, then passes it on when the flag is set.
    void SetColor(const NodeColor &color, bool recursive) override;
    // Out of a top-level group, links to points 2 and 3 fall back to 0 and 1.
    void OnReparented() override;

    int32_t paletteIndex = 0;
    uint32_t colorValue = kDefaultNodeColor;
    int32_t anchorCount = 0;
    Point2D boxAnchors[4] = {};
    Point2D centreAnchors[4] = {};

protected:
    // The math-node properties, then "co" or "pi".
    void WriteColorProperties(PropertyListWriter *writer) const;
};

// The vertical extent of the anchors of a node: its row's bottom and top, padded, in equation
// coordinates. Reads the row record of the enclosing group at the node's row index, clamped to the
// group's rows (a node the group did not number may hold the index of an earlier place).
struct RowAnchorExtent
{
    float low;
    float high;
    float outer;  // how much further out the third and fourth points lie; 0 outside a top-level group
    bool topLevel;
};
RowAnchorExtent GetRowAnchorExtent(const MathNode *node, const Design *design);
// Writes the box and centre anchors at xBox and xCentre over the extent (four entries in a
// top-level row, else two) and returns their count.
int32_t PlaceRowAnchors(const RowAnchorExtent &extent, float xBox, float xCentre, Point2D *boxAnchors,
                        Point2D *centreAnchors);

// Keeps only the low bit of the index of every link into the node whose anchor kind is one of the
// given kinds, unless the node stands in a top-level group (or in none).
void ReduceLinkIndexes(MathNode *node, const uint32_t *kinds, int32_t kindCount);

}  // namespace oq
