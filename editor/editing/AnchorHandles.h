#pragma once

#include "base/Array.h"
#include "base/Point2D.h"
#include "editor/editing/SelectionOverlay.h"

#include <cstdint>

namespace oq {

class DocumentNode;
class EquationDocument;
class List;
class Preferences;

// One anchor handle on screen: the node that reports it, its kind and number, and where it lies.
struct AnchorRecord
{
    DocumentNode *node = nullptr;
    uint32_t kind = 0;
    int32_t index = 0;
    float x = 0.0f;
    float y = 0.0f;
};

using AnchorRecords = Array<AnchorRecord, 4>;

// The hover highlight of an anchor or an end handle: a square of the half side at the point, in
// the colour.
struct HoverHighlight
{
    bool shown = false;
    bool anchorHovered = false;
    AnchorRecord anchor;
    bool handleHovered = false;
    EndHandle handle;
    Point2D point = Point2D(0.0f, 0.0f);
    float halfSide = 0.0f;
    uint32_t color = 0;
};

// Whether the kind is a guide line ('xxx!', 'yyy!') rather than a point.
inline bool IsEdgeAnchorKind(uint32_t kind)
{
    return (kind & 0xFFu) == '!';
}

// Whether two records name the same anchor (node, kind and index).
inline bool IsSameAnchor(const AnchorRecord &a, const AnchorRecord &b)
{
    return a.node == b.node && a.kind == b.kind && a.index == b.index;
}

// Whether the structure is the object or is positioned from it through incoming links, breadth
// first; false without an object.
[[nodiscard]] bool DependsOnObject(const DocumentNode *structure, const DocumentNode *object);

// The category of a drawing ('line', 'jost', 'shap'); nodes of family 'draw' that are no
// DrawingObject give their kind; 0 for other nodes.
uint32_t GetDrawingCategory(const DocumentNode *object);

// Appends a record and a square (guides: a long thin bar, only with the edge flag and only for the
// top-level structures holding a or b) for every anchor point of every top-level node that does not
// depend on the dragged object, then for the nodes of a's and b's groups (all the slots of their
// structure). Sizes are in points times the scale (1/zoom); items are in document units.
void BuildAnchorHandles(EquationDocument *document, DocumentNode *a, DocumentNode *b, float scale,
                        const Preferences *preferences, AnchorRecords *records, List *list, bool edgeAnchors,
                        const DocumentNode *dragged);

}  // namespace oq
