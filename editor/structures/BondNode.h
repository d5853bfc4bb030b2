#pragma once

#include "editor/structures/StructureNode.h"

#include "base/Array.h"
#include "base/Bezier.h"

#include <cstdint>

namespace oq {

class Design;

inline constexpr uint32_t kBondKind = 'bond';

// The places of a bond's lines, in the order of its style and angle arrays: the six labels, then the
// horizontal bond on the right (place 0, no label). The label roles are the first six.
inline constexpr uint32_t kBondUpper = 'uppr';
inline constexpr uint32_t kBondUpperLeft = 'uplf';
inline constexpr uint32_t kBondUpperRight = 'uprt';
inline constexpr uint32_t kBondLower = 'lowr';
inline constexpr uint32_t kBondLowerLeft = 'lwlf';
inline constexpr uint32_t kBondLowerRight = 'lwrt';
inline constexpr int32_t kBondPlaceCount = 7;
inline constexpr int32_t kBondLabelCount = 6;
inline constexpr uint32_t kBondPlaces[kBondPlaceCount] = {kBondUpper,      kBondUpperLeft,  kBondUpperRight, kBondLower,
                                                           kBondLowerLeft, kBondLowerRight, 0};

// Angle modes of the diagonal places; any other value is 45 degrees.
inline constexpr uint32_t kBondSteep = 'step';
inline constexpr uint32_t kBondShallow = 'shal';
// Set in a style's first letter for the short bond (lower case), clear for the long one.
inline constexpr uint32_t kBondShortBit = 0x20000000;

// Anchor kinds a bond adds to its box and centre anchors: the whole bond, the main group, and the
// labels in place order.
inline constexpr uint32_t kBondAnchorKind = 'bond';
inline constexpr uint32_t kBondMainAnchorKind = 'bdmn';
inline constexpr uint32_t kBondLabelAnchorKinds[kBondLabelCount] = {'bdup', 'bdul', 'bdur', 'bdlw', 'bdll', 'bdlr'};

// The curves of a bond's lines, one line after the other.
using BondCurveArray = Array<QuadraticBezier2D, 4>;

// A structural-formula fragment ("Bd"): a main group (an atom) with up to six bond lines to labels
// above, below and diagonally around it, and an optional horizontal bond trailing to the right.
class BondNode : public StructureNode
{
public:
    BondNode();
    // Copies the colour, styles and angle modes; no group pointers, no lines.
    BondNode(const BondNode &node);
    ~BondNode() override;

    // Groups and "u32" data lists.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // The slots (kResultMissingSubstructure without a main group, kResultExtraSubstructure for a second group
    // of a role), then the lists: the first sets styles, the second angle modes, by {place, value} pairs
    // (kResultInvalidDataFormat for other than pairs, kResultExtraSubstructure for a third list; unknown places
    // ignored). The lists are deleted once read.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    // The style list (always), the angle list when any angle mode is set, then the children.
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // One item per built line, then the groups' items.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;

    int32_t GetAnchorKinds(const uint32_t **kinds) const override;
    int32_t GetAnchorPoints(uint32_t kind, const Point2D **points) const override;
    const uint32_t *GetAnchorHandleColor(const Preferences *preferences, uint32_t kind) const override;

    void Measure(const Design *design) override;
    // The coloured node's anchors, then the anchor boxes moved to equation coordinates.
    void FinishPlacement(const Design *design) override;
    GroupNode *GetFirstGroup() const override;
    GroupNode *GetPreviousGroup(const GroupNode *group) const override;
    // Only the main group's text.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    GroupNode *GetMainGroup() const { return GetSlot(0); }
    // The label of a place index (0 to 5, place order), or null.
    GroupNode *GetLabel(int32_t index) const { return (index >= 0 && index < kBondLabelCount) ? GetSlot(index + 1) : nullptr; }
    GroupNode *GetOrCreateUpperLabel() { return GetOrCreateSlot(1); }
    GroupNode *GetOrCreateUpperLeftLabel() { return GetOrCreateSlot(2); }
    GroupNode *GetOrCreateUpperRightLabel() { return GetOrCreateSlot(3); }
    GroupNode *GetOrCreateLowerLabel() { return GetOrCreateSlot(4); }
    GroupNode *GetOrCreateLowerLeftLabel() { return GetOrCreateSlot(5); }
    GroupNode *GetOrCreateLowerRightLabel() { return GetOrCreateSlot(6); }
    // Deletes every incoming link of the anchor kind (before a label goes).
    void DeleteLinksAtAnchor(uint32_t anchorKind);

    // The index of a place 4CC in the place order, or -1.
    static int32_t FindPlaceIndex(uint32_t place);

    // The outline of one bond line of the style (lower case: 'sing', 'doub', 'trip', 'hevy', 'wavy',
    // 'swgo', 'swgi', 'dwgo', 'dwgi', 'part', 'prd1', 'prd2', 'prt1', 'prt2', 'prt3') from p0 at the main
    // group to p1 at the label, for the size s (points per em), appended to out. Returns the number of
    // curves appended; 0 for any other style.
    [[nodiscard]] static int32_t BuildBondLines(const Design *design, float size, uint32_t style, const Point2D &p0,
                                                const Point2D &p1, BondCurveArray *out);

    // The builders, each appending counter-clockwise contours and returning its curve count; u is the
    // line's direction (unit, or the difference for a line shorter than the smallest normal float).
    // A stroke of the thickness from p0 to p1: 4.
    static int32_t BuildBondStroke(float thickness, const Point2D &p0, const Point2D &p1, const Vector2D &u,
                                   BondCurveArray *out);
    // A wedge of startWidth at p0 and endWidth at p1: 4.
    static int32_t BuildBondWedge(float startWidth, float endWidth, const Point2D &p0, const Point2D &p1,
                                  const Vector2D &u, BondCurveArray *out);
    // 2 to 8 dashes that, with the gaps between them in the ratio gap / dash, fill the length exactly: 4
    // per dash.
    static int32_t BuildDashedBondStroke(float thickness, float length, float dash, float gap, const Point2D &start,
                                         const Vector2D &u, BondCurveArray *out);
    // 2 to 16 marks spaced as the dashes, each a trapezoid of the wedge's width: 4 per mark.
    static int32_t BuildHashedBondWedge(float startWidth, float endWidth, float length, float dash, float gap,
                                        const Point2D &start, const Vector2D &u, BondCurveArray *out);
    // 1 to 8 periods of a wave of the wavelength and amplitude filling the length, stroked with the
    // thickness: 8 per period and the two end caps; 0 for a length below the smallest normal float.
    static int32_t BuildWavyBondStroke(float thickness, float length, float wavelength, float amplitude,
                                       const Point2D &start, const Vector2D &u, BondCurveArray *out);

    // Styles and angle modes by place (place order); 0 is no line, no angle.
    uint32_t styles[kBondPlaceCount] = {};
    uint32_t angleModes[kBondPlaceCount] = {};

    // Layout state: the built lines (curve counts in building order) with their curves, node
    // coordinates until FinishPlacement moves the anchor boxes; the curves stay in node coordinates.
    int32_t lineCount = 0;
    int32_t lineCurveCounts[kBondPlaceCount] = {};
    BondCurveArray curves;
    // Anchor boxes as (xmin, ymin), (xmax, ymin), (xmin, ymax), (xmax, ymax): the whole bond, the main
    // group, the labels in place order.
    Point2D bondAnchors[4] = {};
    Point2D mainAnchors[4] = {};
    Point2D labelAnchors[kBondLabelCount][4] = {};

private:
    // One export or fill item per built line.
    void AppendLineItems(const Design *design, DisplayList *list, bool fill) const;
};

}  // namespace oq
