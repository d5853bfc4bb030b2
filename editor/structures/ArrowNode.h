#pragma once

#include "editor/structures/StructureNode.h"

#include "base/Array.h"
#include "base/Bezier.h"

#include <cstdint>

namespace oq {

class Design;

inline constexpr uint32_t kArrowKind = 'arrw';
inline constexpr uint32_t kUpperLabelRole = 'uppr';
inline constexpr uint32_t kLowerLabelRole = 'lowr';

// Room a charm's curves need at most (a pair of hooks with tails takes 32).
inline constexpr int32_t kArrowCharmCurves = 36;

// The kinds of an arrow line: full length, inset at the right end, at the left end, at both.
inline constexpr uint32_t kArrowPartLong = 'long';
inline constexpr uint32_t kArrowPartLeft = 'left';
inline constexpr uint32_t kArrowPartRight = 'rght';
inline constexpr uint32_t kArrowPartCentre = 'cent';

// Bits of the side masks: which charm list reaches to a side of its line.
inline constexpr uint32_t kCharmSideLeft = 1;
inline constexpr uint32_t kCharmSideRight = 2;
inline constexpr uint32_t kCharmSideMiddle = 4;

// What a charm reports besides its curves, in the charm's frame (x along the line, y up, the line's
// centre on y = 0): its extents and where the line starts (left attach, the charm in a left-end list)
// or ends (right attach, in a right-end list).
struct ArrowCharmExtent
{
    float bottom = 0.0f;
    float top = 0.0f;
    float minX = 0.0f;
    float maxX = 0.0f;
    float leftAttach = 0.0f;
    float rightAttach = 0.0f;
};

// Which sides of its line the charm lists reach: kCharmSide... bits above and below.
struct ArrowCharmSides
{
    uint32_t above = 0;
    uint32_t below = 0;
};

// One line of an arrow: its kind and the charm 4CCs at its left end, right end and middle, and what
// the layout makes of them (not saved).
struct ArrowPart
{
    ArrowPart() = default;
    // Copies the kind and the charm lists; the curve arrays start empty (the layout fills them).
    ArrowPart(const ArrowPart &part);
    ArrowPart &operator=(const ArrowPart &) = delete;

    uint32_t kind = kArrowPartLong;
    Array<uint32_t, 3> leftCharms;
    Array<uint32_t, 3> rightCharms;
    Array<uint32_t, 3> middleCharms;

    // The line's centre height over the arrow's baseline, and the part's extent around it.
    float lineY = 0.0f;
    float bottom = 0.0f;
    float top = 0.0f;
    // Where the line begins (from the arrow's left end) and ends (from its right end, 0 or less).
    float lineStart = 0.0f;
    float lineEnd = 0.0f;
    // The room the left-end, right-end and middle charms take.
    float leftWidth = 0.0f;
    float rightWidth = 0.0f;
    float middleWidth = 0.0f;
    // The line's rectangle and the charms' outlines, in node coordinates after the layout.
    QuadraticBezier2D lineOutline[4] = {};
    Array<QuadraticBezier2D, 6> leftCurves;
    Array<QuadraticBezier2D, 6> rightCurves;
    Array<QuadraticBezier2D, 6> middleCurves;

    // A list sets its bit above unless it holds only lower harpoon barbs ('ldhp', 'rdhp'), below
    // unless it holds only upper ones ('luhp', 'ruhp'); an empty list sets none.
    ArrowCharmSides GetCharmSides() const;
};

// A horizontal arrow ("Ar") of one to three lines carrying charms (arrowheads, harpoon barbs, bars,
// slashes, crosses, shapes, hooks and loops) at their ends and middle, stretched to fit an upper and a
// lower label.
class ArrowNode : public StructureNode
{
public:
    static constexpr int32_t kUpperSlot = 0;
    static constexpr int32_t kLowerSlot = 1;
    // Reading keeps at most this many parts.
    static constexpr int32_t kMaxReadParts = 3;

    // No parts, no labels.
    ArrowNode();
    // Copies the colour and the parts (their charm lists); the labels are found again by DeepCopy.
    ArrowNode(const ArrowNode &node);

    GroupNode *GetUpperLabel() const { return GetSlot(kUpperSlot); }
    GroupNode *GetLowerLabel() const { return GetSlot(kLowerSlot); }
    GroupNode *GetOrCreateUpperLabel() { return GetOrCreateSlot(kUpperSlot); }
    GroupNode *GetOrCreateLowerLabel() { return GetOrCreateSlot(kLowerSlot); }

    // Replaces the parts: count parts of the given kinds (all 'long' without kinds; one plain 'long'
    // part for a count of 0 or less), then for each counts array given (with its items) part i takes
    // the next counts[i] charms of the flat items array.
    void SetParts(int32_t count, const uint32_t *kinds, const uint8_t *leftCounts, const uint8_t *rightCounts,
                  const uint8_t *middleCounts, const uint32_t *leftItems, const uint32_t *rightItems,
                  const uint32_t *middleItems);
    int32_t GetPartCount() const { return parts.GetElementCount(); }
    const ArrowPart &GetPart(int32_t index) const { return parts[index]; }

    // Groups and u32 data lists.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // The labels (kResultExtraSubstructure for a second one of a role), then the data lists, which leave the
    // tree: the first gives the part kinds (none or an empty one: one 'long' part), each further one the next
    // part's charms ('rght', 'left' and 'cent' switch the list the values go to).
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    // The head, the kinds' data list, one charm data list per part, then the labels.
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // Per part the line, then its non-empty left-end, right-end and middle outlines; then the labels'.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;

    void LayoutBeforeChildren(const Design *design) override;
    void Measure(const Design *design) override;
    GroupNode *GetGroupAbove(const GroupNode *group) const override;
    GroupNode *GetGroupBelow(const GroupNode *group) const override;
    // A long arrow command (left, left-right, maps-to or right) under \overset and \underset.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // A stretchy arrow operator, in munder, mover or munderover with the labels.
    void WriteMathML(MathWriterState *state, TextString *output) const override;
    // The outline of one charm for the size s (points per em) and the arrow line's thickness,
    // counter-clockwise with clockwise holes, into curves (room for kArrowCharmCurves). Returns the
    // curve count, 0 for a 4CC that is no charm (its extent all 0). Sets *nesting for the arrowheads
    // and harpoon barbs (with or without bar) and leaves it alone otherwise.
    [[nodiscard]] static int32_t BuildGeometry(const Design *design, uint32_t charm, float size, float ruleThickness,
                                               QuadraticBezier2D *curves, ArrowCharmExtent *extent, bool *nesting);

private:
    // Lays out one part's charms: curves in their lists' own frames (left end, right end, middle),
    // raised to the line; the line ends, widths and vertical extent they give.
    static void PlaceCharms(const Design *design, ArrowPart *part, float size, float rule);
    // Stacks the lines by the side masks their facing charm lists reach; the middle on the axis.
    void StackParts(const Design *design, float size, float mu);
    // Places a label over the first or under the last part and grows the box to hold it.
    void PlaceLabel(const Design *design, GroupNode *label, bool upper, float length, float size, float rule);
    // Moves the curves to their final places and builds the lines' rectangles.
    void FinishParts(float length, float rule);
    // Per part the line, then the non-empty left-end, right-end and middle outlines.
    void AppendPartItems(const Design *design, DisplayList *list, bool fill) const;

    Array<ArrowPart, 1> parts;
};

}  // namespace oq
