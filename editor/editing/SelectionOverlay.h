#pragma once

#include "base/Array.h"
#include "base/Box2D.h"
#include "base/Point2D.h"

#include <cstdint>

namespace oq {

class EquationDocument;
class NodeLink;

// What the selection overlay shows: the caret bar, the boxes of a range, the outlines of objects.
constexpr uint32_t kSelectionOverlayCaret = 0;
constexpr uint32_t kSelectionOverlayRange = 'eqtn';
constexpr uint32_t kSelectionOverlayObjects = 'objt';

// One end handle of the one selected drawing: the link that places that end, which end (0 start,
// 1 finish) and where it lies.
struct EndHandle
{
    NodeLink *link = nullptr;
    int32_t end = 0;
    float x = 0.0f;
    float y = 0.0f;
};

// Whether two handles are the same end of the same link.
inline bool IsSameEndHandle(const EndHandle &a, const EndHandle &b)
{
    return a.link == b.link && a.end == b.end;
}

using SelectionBoxes = Array<Box2D, 4>;

// One box per row of the caret range (document units) and the points of its two ends (x, the row's
// baseline); no boxes when the selection's group is not laid out.
void GetSelectionBoxes(const EquationDocument *document, SelectionBoxes *boxes, Point2D *startPoint,
                       Point2D *endPoint);

}  // namespace oq
