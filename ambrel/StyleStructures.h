#pragma once

#include "ambrel/AmbrelStructure.h"
#include "base/Array.h"
#include "base/Box2D.h"
#include "base/TextString.h"
#include "base/Transform4D.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/StrokeStyle.h"

namespace oq {

class DashStructure;

// Fill: the paint of a geometry's area, a Color or a Gradient, resolved into a FillStyle.
class FillStructure : public AmbrelStructure
{
public:
    FillStructure() : AmbrelStructure('fill'), fillRule("nonzero") {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    // Moves the gradient into the space the transform maps to; object coordinates 0 to 1 first span
    // the box.
    void TransformGradient(const Transform4D &m, const Box2D &box);
    // The same for the mapping p -> s p + o.
    void ScaleGradient(float s, const Point2D &o);

    TextString fillRule;
    FillStyle fillStyle;
    bool objectFlag = false;
};

// Maps a fill's gradient by p -> s p + o; one that becomes unusable is dropped.
void ScaleFillGradient(FillStyle *style, float s, const Point2D &o);

// Stroke: the pen of a geometry's outline: width, Color and Dash, resolved into a StrokeStyle.
class StrokeStructure : public AmbrelStructure
{
public:
    StrokeStructure();

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    // Scales the width, the dash values and the dash offset for the mapping p -> s p + o.
    void ScaleStroke(float s);
    // The same into a copy of the style whose dash values the caller's array holds.
    void MakeScaledStyle(float s, StrokeStyle *style, Array<float, 8> *dashes) const;

    TextString strokeCap;
    TextString strokeJoin;
    float miterLimit = 4.0f;
    float strokeWidth = 1.0f;
    // The scaled dash values that the style points at after ScaleStroke.
    Array<float, 8> dashBuffer;
    StrokeStyle strokeStyle;
    const DashStructure *dashStructure = nullptr;
};

// Dash: pairs of dash and gap lengths, with an optional Offset.
class DashStructure : public AmbrelStructure
{
public:
    DashStructure() : AmbrelStructure('dash') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // Refuses negative and non-finite lengths; a pattern whose total is not above 0 gives no dash.
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    // The dash values (null and 0 for no dash) and the offset.
    const float *dashValues = nullptr;
    int32_t dashCount = 0;
    float dashOffset = 0.0f;
};

}  // namespace oq
