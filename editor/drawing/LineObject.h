#pragma once

#include "editor/document/GroupNode.h"
#include "editor/drawing/DrawingObject.h"

namespace oq {

// The decoration at a line's end ("es", "ef"); any other value draws as none.
using LineEndDecoration = uint32_t;
inline constexpr LineEndDecoration kLineEndNone = 0;
inline constexpr LineEndDecoration kLineEndRoundDot = 'sdcr';
inline constexpr LineEndDecoration kLineEndSquareDot = 'sdsq';
inline constexpr LineEndDecoration kLineEndWedge = 'wedg';
inline constexpr LineEndDecoration kLineEndArrow1 = 'arr1';
inline constexpr LineEndDecoration kLineEndArrow2 = 'arr2';

// The overshoot or undershoot of a line's end ("os", "of").
using LineEndOffset = uint32_t;
inline constexpr LineEndOffset kLineEndLong = 'long';
inline constexpr LineEndOffset kLineEndShort = 'shrt';

inline constexpr uint32_t kLineObjectKind = 'line';
inline constexpr int32_t kLineDecorationCurves = 12;

// The outline of one end decoration around the end point (outward unit direction, stroke width);
// pulls the end point back so that the body stops inside it. Returns the curves written (at most 12).
int32_t DrawLineEndDecoration(const Design *design, LineEndDecoration decoration, Point2D *end,
                              const Vector2D &direction, float width, QuadraticBezier2D curves[12]);

bool IsFinitePoint(const Point2D &p);
bool AreFiniteCurves(const QuadraticBezier2D *curves, int32_t count);

// Moves an end along its outward unit direction by its offset: 'long' outward by the design group's
// 'lngo', 'shrt' inward by its 'shto' but at most a quarter of capLength; any other value not at all.
// Lines take the group 'line', bracket objects 'jost'.
void ApplyEndOffset(const Design *design, uint32_t group, LineEndOffset offset, Point2D *end,
                    const Vector2D &outward, float capLength);
void ApplyLineEndOffset(const Design *design, LineEndOffset offset, Point2D *end, const Vector2D &outward,
                        float capLength);

// The straight line ("Ln"): a filled body in the stroke colour, solid or dashed, with end decorations
// and offsets; the base of the bent lines.
class LineObject : public DrawingObject
{
public:
    LineObject();
    // For the bent lines.
    explicit LineObject(uint32_t kind);
    // Copies the base fields and the four end properties; no geometry.
    LineObject(const LineObject &object);

    // "es", "ef", "os", "of", then the base properties.
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // Also turns the stroke on: a line is always drawn with its stroke, so it is always written.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The body, then the start and the finish decoration, in the stroke colour.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;
    // The single kind 'line'.
    int32_t GetAnchorKinds(const uint32_t **kinds) const override;
    // 'line': start, finish, middle; 'anno': the annotation anchors. None before placement.
    int32_t GetAnchorPoints(uint32_t kind, const Point2D **points) const override;
    void GetAnchorDirection(Vector2D *direction, int32_t index) const override;
    bool HitTest(const Point2D &point, float tolerance) const override;
    // A rectangular frame 1.5 units around the line.
    void BuildSelectionOutline(float halfWidth, DisplayList *list) const override;
    void RebuildGeometry(const Design *design, const Point2D &start, const Point2D &finish) override;

    // Appends the body items, then one item per non-empty decoration; path items when paths, else
    // export items.
    void AppendItems(const Design *design, DisplayList *list, bool paths) const;
    // The body as items: one item with all curves.
    virtual void AppendBodyItems(DrawingItemSink *sink) const;

    LineEndDecoration startDecoration = 0;
    LineEndDecoration finishDecoration = 0;
    LineEndOffset startOffset = 0;
    LineEndOffset finishOffset = 0;
    StrokeCurveArray<8> curves;
    int32_t startDecorationCount = 0;
    int32_t finishDecorationCount = 0;
    QuadraticBezier2D startDecorationCurves[kLineDecorationCurves] = {};
    QuadraticBezier2D finishDecorationCurves[kLineDecorationCurves] = {};
    Vector2D direction = Vector2D(1.0f, 0.0f);
    Point2D lineAnchors[3] = {};
    int32_t annotationAnchorCount = 0;
    Point2D annotationAnchors[8] = {};
    Point2D hitStart = Point2D(0.0f, 0.0f);
    Point2D hitFinish = Point2D(0.0f, 0.0f);
};

}  // namespace oq
