#pragma once

#include "editor/document/StretchyOutlines.h"
#include "editor/drawing/DrawingObject.h"

namespace oq {

inline constexpr uint32_t kBracketObjectKind = 'jost';

// The shape a bracket object ("t") stretches along its span; any other value reads as the brace.
using BracketOutlineType = uint32_t;
inline constexpr BracketOutlineType kBracketOutlineSquare = 'brck';
inline constexpr BracketOutlineType kBracketOutlineBrace = 'brac';
inline constexpr BracketOutlineType kBracketOutlineShell = 'shel';

// The bracket object ("Jo", a joist): a square bracket, curly brace or tortoise-shell bracket stretched
// along the segment between its ends, its back on the left of the way from start to finish, with
// overshoot ('long') or undershoot ('shrt') at either end. Always one filled outline in the stroke
// colour; fill flag, stroke width and dash index play no part in it.
class BracketObject : public DrawingObject
{
public:
    explicit BracketObject(BracketOutlineType type);
    // The base fields, the type and both length styles: no outline, unplaced.
    BracketObject(const BracketObject &object);

    // "t", "os", "of", then the base properties.
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // Resolves the links; a type other than 'brck' or 'shel' becomes 'brac', palette indices of 16
    // or more become 0 (width and dash indices stay as read). Turns the stroke on: the bracket is
    // always drawn in its stroke colour, so that colour is always written.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // One item of the outline in the stroke colour (none while there is no outline).
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;
    // The single kind 'jost'.
    int32_t GetAnchorKinds(const uint32_t **kinds) const override;
    // 'jost': the middle of the back; 'anno': beyond it along the back's normal. None before placement.
    int32_t GetAnchorPoints(uint32_t kind, const Point2D **points) const override;
    // The normal toward the back, for every index.
    void GetAnchorDirection(Vector2D *direction, int32_t index) const override;
    // Inside the rectangle of the hit corners in the frame of the direction, widened by the tolerance.
    bool HitTest(const Point2D &point, float tolerance) const override;
    // The frame around that rectangle.
    void BuildSelectionOutline(float halfWidth, DisplayList *list) const override;
    // Coincident ends (no length above the smallest normal float) give no outline, both anchors at
    // the start, direction (1, 0) and a hit rectangle of the start alone.
    void RebuildGeometry(const Design *design, const Point2D &start, const Point2D &finish) override;

    // Appends the item; a path item when paths, else an export item.
    void AppendItems(const Design *design, DisplayList *list, bool paths) const;

    BracketOutlineType outlineType;
    uint32_t startLengthStyle = 0;
    uint32_t finishLengthStyle = 0;
    int32_t curveCount = 0;
    QuadraticBezier2D outline[kBraceOutlineCurves] = {};
    Vector2D direction = Vector2D(1.0f, 0.0f);
    Point2D bracketAnchor = Point2D(0.0f, 0.0f);
    Point2D annotationAnchor = Point2D(0.0f, 0.0f);
    Point2D hitCornerA = Point2D(0.0f, 0.0f);
    Point2D hitCornerB = Point2D(0.0f, 0.0f);
};

}  // namespace oq
