#pragma once

#include "base/Array.h"
#include "base/Bezier.h"
#include "editor/document/DocumentNode.h"

#include <cstdint>

namespace oq {

// The category of a drawing object: lines get edge anchors while connecting.
using DrawingCategory = uint32_t;
inline constexpr DrawingCategory kDrawingCategoryLine = 'line';
inline constexpr DrawingCategory kDrawingCategoryBracket = 'jost';
inline constexpr DrawingCategory kDrawingCategoryShape = 'shap';

// The curves of one stroke, with local room for N of them.
template <int32_t N>
using StrokeCurveArray = Array<QuadraticBezier2D, N>;

// Most pieces one dashed path emits.
inline constexpr int32_t kMaxDashPieces = 1024;

// How a dashed path is cut: the pieces drawn (at most kMaxDashPieces) and the fitted lengths.
struct DashFit
{
    int32_t count;
    float dash;
    float gap;
};

// Fits whole dashes and gaps into the length, keeping their ratio. False (draw solid) when a length
// is not finite or the dash or gap is not above 0.
[[nodiscard]] bool FitDashPattern(float length, float dash, float gap, DashFit *fit);

// The arc lengths of a quarter ellipse at 64 equal parameter steps from (rx, 0) to (0, ry).
void BuildArcLengthTable(float rx, float ry, float table[65]);
// The parameter angle at an arc length; *cursor (start at 0) carries the scan between lookups of
// one pass. Beyond the last entry, pi/2.
float LookupArcLengthAngle(float arcLength, const float table[65], int32_t *cursor);

// The length of a vector with the fast square root, and the vector divided by it when it exceeds
// the smallest normal float (else unchanged).
float GetFastLength(const Vector2D &v);
Vector2D NormalizeFast(const Vector2D &v, float *length);

// A kind's own 4CC property ('UI32'): when the identifier is its name, points the reader at the field.
bool CheckFourCCProperty(const TextString &identifier, const char *name, uint32_t *field, KettricDataType *type,
                         void **storage);
// Continues a property list with name=4CC: " (" when *open is false (then it is true), else ",".
void WriteFourCCProperty(TextBuffer *buffer, bool *open, const char *name, uint32_t value);

// Appends a drawing's curves to a display list as items of one colour: path items for drawing, else
// export items.
struct DrawingItemSink
{
    // One item holding the curves (an item may hold none).
    void Append(int32_t count, const QuadraticBezier2D *source);

    DisplayList *list;
    uint32_t color;
    bool paths;  // FillPathItems, else ExportCurveItems
};

// Base of the drawing objects: a top-level node of family 'draw' placed from its first and last link,
// with fill and stroke flags, colours, stroke width and dash indices.
class DrawingObject : public DocumentNode
{
public:
    DrawingObject(uint32_t kind, DrawingCategory drawingCategory, bool fillOn, bool strokeOn);
    // Copies kind, category, flags, indices and colours; no links, no geometry, unplaced.
    DrawingObject(const DrawingObject &object);

    // "f", "s", "w", "d", "fpi", "fco", "spi", "sco".
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // Only the link block "X".
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    bool CheckStateName(const TextString &identifier, uint32_t *state) override;
    // Resolves the links, then limits the indices.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    // Places the object from its first and last links (see the drag and edge-anchor rules).
    void Layout(const Design *design) override;
    bool GetColor(NodeColor *color) const override;
    bool GetFillColor(NodeColor *color) const override;
    bool GetStrokeColor(NodeColor *color) const override;
    // The preferences' drawing-anchor colour for every kind.
    const uint32_t *GetAnchorHandleColor(const Preferences *preferences, uint32_t kind) const override;
    // Rebuilds the curves and anchors for the given ends and marks the object placed.
    virtual void RebuildGeometry(const Design *design, const Point2D &start, const Point2D &finish) = 0;

    DrawingCategory GetCategory() const { return category; }
    bool IsPlaced() const { return placed; }

    // The resolved colour words.
    uint32_t ResolveStrokeColor(const Design *design) const;
    uint32_t ResolveFillColor(const Design *design) const;
    // The stroke width ('fsiz' x the width index's design value).
    float GetStrokeWidth(const Design *design) const;
    // Dash and gap lengths of the dash index; false for solid.
    bool GetDashLengths(const Design *design, float width, float *dash, float *gap) const;

    DrawingCategory category;
    bool fill;
    bool stroke;
    uint8_t widthIndex = 0;
    uint8_t dashIndex = 0;
    int32_t fillPaletteIndex = 0;
    uint32_t fillColor = 0xFF000000u;
    int32_t strokePaletteIndex = 0;
    uint32_t strokeColor = 0xFF000000u;
    Point2D startPoint = Point2D(0.0f, 0.0f);
    Point2D finishPoint = Point2D(0.0f, 0.0f);
    int32_t draggedEnd = -1;
    Point2D freePoint = Point2D(0.0f, 0.0f);

protected:
    // Set by RebuildGeometry: before it, anchors and hit data mean nothing.
    bool placed = false;
};

}  // namespace oq
