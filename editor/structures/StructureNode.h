#pragma once

#include "editor/document/ColoredMathNode.h"

#include "base/Bezier.h"
#include "kettric/KettricResultCodes.h"

#include <cstdint>

namespace oq {

class GroupNode;

// One slot of a structure kind: the role of its group and whether a read structure must have it.
struct SlotGroupRow
{
    uint32_t role;
    bool required;
};

// How a slot group's writer sets the display style inside the slot (TeX's styles).
enum class SlotStyle : uint8_t
{
    kUnchanged,
    kCleared,  // \dfrac, \tfrac and atop parts, scripts, limits, labels, the degree, matrix cells
    kSet,      // \boxed, \overbrace and \underbrace bodies
};

// Whether a structure accepts the substructure as a slot: only groups ('grup').
bool AcceptGroupSubstructure(const KettricStructure *structure);

// Base of the structure kinds with slot groups: one slot pointer per row of the kind's table (a cache
// of the subnode groups found by role), the common checks after reading, copies that re-find the
// slots, navigation in the table's order and the get-or-create operations.
class StructureNode : public ColoredMathNode
{
public:
    static constexpr int32_t kMaxSlots = 8;

    // The rows live as long as the program (a kind's static table). With `anyRequired`, at least one
    // slot must exist, whatever the rows' own flags say.
    StructureNode(uint32_t kind, const SlotGroupRow *rows, int32_t rowCount, bool anyRequired = false);
    // Copies the kind's properties; every slot pointer starts null (DeepCopy finds the copied groups).
    StructureNode(const StructureNode &node);

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // The coloured node's checks, then the slots: kResultExtraSubstructure for a second group of one role,
    // kResultMissingSubstructure for a missing required one. The kinds correct their own properties before
    // calling this.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    // The subnodes' copies, then the slots re-found by role (no checks).
    DocumentNode *DeepCopy() override;

    // Navigation in the order of the table: first and last present slot, and the present slot before
    // or after the asked one; above and below answer null.
    GroupNode *GetFirstGroup() const override;
    GroupNode *GetLastGroup() const override;
    GroupNode *GetPreviousGroup(const GroupNode *group) const override;
    GroupNode *GetNextGroup(const GroupNode *group) const override;
    bool TakesPartInSpacing() const override;

    // The group of the slot, or null while it is absent.
    GroupNode *GetSlot(int32_t index) const;
    // The slot's group, made first when absent: a group of the role with one row whose line gap is
    // the design's least one, appended as the last subnode.
    GroupNode *GetOrCreateSlot(int32_t index);
    // Deletes the slot's group with its content; nothing while it is absent.
    void DeleteSlot(int32_t index);
    // The same for role 0 (the kinds that have a main slot).
    GroupNode *GetOrCreateMainGroup();
    // The index of the slot whose group this is, or -1.
    int32_t FindSlotIndex(const GroupNode *group) const;
    int32_t GetSlotCount() const { return slotRowCount; }

protected:
    // Appends the outline as one export item (or, with `fill`, one fill path item) at the node's place
    // in the node colour; nothing without curves.
    void AppendOutlineItem(const Design *design, DisplayList *list, int32_t count, const QuadraticBezier2D *curves,
                           bool fill) const;
    // Clears the box and sets the spacings from the exterior spacing ('exsp', in mu) of the kind's
    // design group; the design's em and mu go to *em and *mu.
    void BeginSpacedMeasure(const Design *design, float *em, float *mu);
    // Makes the slot's group (one empty row) and appends it; the slot pointer then holds it.
    GroupNode *CreateSlotGroup(int32_t index);
    // Size factor and script step of a slot group by script depth: at depth 2 and more every group
    // reads with factor 1 and step 0, so a structure moved deeper lays out as it reads back.
    static void SetSlotScale(GroupNode *group, float factor, uint8_t step, uint8_t depth);

private:
    // Sets the slot pointers from the subnodes; with `check`, kResultExtraSubstructure for a second group of a
    // role.
    KettricResult FindSlots(bool check);

    const SlotGroupRow *slotRows;
    int32_t slotRowCount;
    bool anySlotRequired;
    GroupNode *slots[kMaxSlots] = {};
};

// Writes the closed polygon through the points as straight curves (control point on the end) and
// returns the count written.
int32_t AppendPolygonCurves(const Point2D *points, int32_t count, QuadraticBezier2D *output);

// Writes one slot group (LaTeX or MathML) with the display style TeX gives the slot, restoring the
// writer's display style afterwards, so a switch written inside the slot ends with it.
void WriteSlotGroupLatex(const GroupNode *group, SlotStyle style, MathWriterState *state, TextString *output);
void WriteSlotGroupMathML(const GroupNode *group, SlotStyle style, MathWriterState *state, TextString *output);

// Writes the LaTeX opening of a body with limits, "\underset{lower}" and "{\overset{upper}" (either
// may be null): the caller then writes the body in braces and closes one brace more when both exist.
void WriteUnderOverLatexOpening(const GroupNode *lower, const GroupNode *upper, MathWriterState *state,
                                TextString *output);

}  // namespace oq
