// Fill, Stroke and Dash: their styles, gradient mapping, stroke scaling and text.
#include "ambrel/StyleStructures.h"

#include "ambrel/ColorStructures.h"
#include "ambrel/ParameterStructures.h"
#include "base/ScalarMath.h"
#include "base/TextUtils.h"

namespace oq {

namespace {

bool IsStructure(const KettricStructure *structure, uint32_t type)
{
    return structure->GetBaseStructureType() != kKettricPrimitiveBase && structure->GetStructureType() == type;
}

inline bool IsFinite(float x)
{
    return x - x == 0.0f;
}

// A gradient that cannot be drawn paints the colour it starts with.
void DropGradient(FillStyle *style)
{
    style->gradient = kGradientNone;
    style->lineA = style->lineB = style->lineC = 0.0f;
    style->centerX = style->centerY = style->radius = 0.0f;
    style->color.red *= style->gradientColor1.red;
    style->color.green *= style->gradientColor1.green;
    style->color.blue *= style->gradientColor1.blue;
    style->color.alpha *= style->gradientColor1.alpha;
}

bool IsRadial(uint32_t gradient)
{
    return gradient != kGradientNone && gradient != kGradientLinear;
}

}  // namespace

bool FillStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                  void **storage)
{
    if (CompareText(identifier, "rule")) return DeclareProperty(type, storage, 'STRG', &fillRule);
    return false;
}

bool FillStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsStructure(structure, 'colr') || IsStructure(structure, 'grad');
}

KettricResult FillStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = AmbrelStructure::ResolveData(document);
    if (result != 0) return result;

    ResetFillStyle(&fillStyle);
    objectFlag = false;
    if (CompareText(fillRule, "evenodd")) fillStyle.rule = kFillRuleEvenOdd;

    const ColorStructure *color = nullptr;
    const GradientStructure *gradient = nullptr;
    bool missingRadius = false;
    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (IsStructure(structure, 'colr'))
        {
            if (color != nullptr) return kResultExtraSubstructure;
            color = static_cast<const ColorStructure *>(structure);
            fillStyle.color = color->GetColor(0);
        }
        else if (IsStructure(structure, 'grad'))
        {
            if (gradient != nullptr) return kResultExtraSubstructure;
            gradient = static_cast<const GradientStructure *>(structure);
            objectFlag = gradient->objectFlag;
            fillStyle.gradientColor1 = gradient->gradientColor->GetColor(0);
            fillStyle.gradientColor2 = gradient->gradientColor->GetColor(1);
            const KettricFloatList &v = *gradient->gradientList;
            if (CompareText(gradient->gradientKind, "linear"))
            {
                fillStyle.gradient = kGradientLinear;
                fillStyle.lineA = v[0];
                fillStyle.lineB = v[1];
                fillStyle.lineC = v[2];
            }
            else
            {
                fillStyle.gradient = kGradientRadial;
                fillStyle.centerX = v[0];
                fillStyle.centerY = v[1];
                // A sweep gradient need not have a Radius.
                missingRadius = gradient->gradientRadius == nullptr;
                fillStyle.radius = missingRadius ? 0.0f : gradient->gradientRadius->firstX;
            }
        }
    }
    if (gradient != nullptr && color == nullptr) fillStyle.color = {1.0f, 1.0f, 1.0f, 1.0f};
    if (missingRadius) DropGradient(&fillStyle);
    return 0;
}

void FillStructure::TransformGradient(const Transform4D &transform, const Box2D &box)
{
    if (fillStyle.gradient == kGradientNone) return;
    Transform4D m = transform;
    if (objectFlag)
    {
        Transform4D b(box.max.x - box.min.x, 0.0f, 0.0f, box.min.x, 0.0f, box.max.y - box.min.y, 0.0f, box.min.y,
                      0.0f, 0.0f, 1.0f, 0.0f);
        m = MultiplyTransform4D(m, b);
    }

    if (fillStyle.gradient == kGradientLinear)
    {
        // A mapping without an inverse leaves no gradient line.
        float planar = m(0, 0) * m(1, 1) - m(0, 1) * m(1, 0);
        float determinant = m.GetDeterminant();
        if (planar == 0.0f || !IsFinite(planar) || determinant == 0.0f || !IsFinite(determinant))
        {
            DropGradient(&fillStyle);
            return;
        }
        Transform4D n = InvertTransform4D(m);
        float a = fillStyle.lineA * n(0, 0) + fillStyle.lineB * n(1, 0);
        float b = fillStyle.lineA * n(0, 1) + fillStyle.lineB * n(1, 1);
        float c = fillStyle.lineA * n(0, 3) + fillStyle.lineB * n(1, 3) + fillStyle.lineC;
        if (!IsFinite(a) || !IsFinite(b) || !IsFinite(c))
        {
            DropGradient(&fillStyle);
            return;
        }
        fillStyle.lineA = a;
        fillStyle.lineB = b;
        fillStyle.lineC = c;
        return;
    }

    float x = fillStyle.centerX;
    float y = fillStyle.centerY;
    float cx = m(0, 0) * x + m(0, 1) * y + m(0, 3);
    float cy = m(1, 0) * x + m(1, 1) * y + m(1, 3);
    float l0 = Sqrt(m(0, 0) * m(0, 0) + m(1, 0) * m(1, 0));
    float l1 = Sqrt(m(0, 1) * m(0, 1) + m(1, 1) * m(1, 1));
    float radius = fillStyle.radius * ((l0 > l1) ? l0 : l1);
    // The paint divides by the radius.
    if (!(radius > 0.0f && radius <= FloatMaxFinite) || !IsFinite(cx) || !IsFinite(cy))
    {
        DropGradient(&fillStyle);
        return;
    }
    fillStyle.centerX = cx;
    fillStyle.centerY = cy;
    fillStyle.radius = radius;
}

void FillStructure::ScaleGradient(float s, const Point2D &o)
{
    ScaleFillGradient(&fillStyle, s, o);
}

void ScaleFillGradient(FillStyle *style, float s, const Point2D &o)
{
    if (style->gradient == kGradientLinear)
    {
        float a = style->lineA / s;
        float b = style->lineB / s;
        float c = style->lineC - (a * o.x + b * o.y);
        if (!IsFinite(a) || !IsFinite(b) || !IsFinite(c))
        {
            DropGradient(style);
            return;
        }
        style->lineA = a;
        style->lineB = b;
        style->lineC = c;
    }
    else if (IsRadial(style->gradient))
    {
        float cx = s * style->centerX + o.x;
        float cy = s * style->centerY + o.y;
        float radius = s * style->radius;
        if (!(radius > 0.0f && radius <= FloatMaxFinite) || !IsFinite(cx) || !IsFinite(cy))
        {
            DropGradient(style);
            return;
        }
        style->centerX = cx;
        style->centerY = cy;
        style->radius = radius;
    }
}

void FillStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteLine(stream, "Fill", 0, HasPreviousSibling());
    if (!CompareText(fillRule, "nonzero"))
    {
        stream->WriteText(" (rule = ");
        WriteQuotedText(stream, fillRule);
        stream->WriteChar(')');
    }
    if (GetFirstSubnode() == nullptr)
    {
        stream->WriteText(" {}\n");
        return;
    }
    WriteLine(stream, "{\n", 0, true);
    WriteSubstructures(document, stream);
    WriteLine(stream, "}\n", 0, false);
}

StrokeStructure::StrokeStructure() : AmbrelStructure('strk'), strokeCap("flat"), strokeJoin("bevel")
{
    ResetStrokeStyle(&strokeStyle);
}

bool StrokeStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                    void **storage)
{
    if (CompareText(identifier, "cap")) return DeclareProperty(type, storage, 'STRG', &strokeCap);
    if (CompareText(identifier, "join")) return DeclareProperty(type, storage, 'STRG', &strokeJoin);
    if (CompareText(identifier, "miter")) return DeclareProperty(type, storage, 'FLOT', &miterLimit);
    return false;
}

bool StrokeStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'FLOT') || IsStructure(structure, 'colr') || IsStructure(structure, 'dash');
}

KettricResult StrokeStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = AmbrelStructure::ResolveData(document);
    if (result != 0) return result;

    strokeWidth = 1.0f;
    dashBuffer.SetElementCount(0);
    dashStructure = nullptr;
    ResetStrokeStyle(&strokeStyle);
    if (CompareText(strokeCap, "triangle")) strokeStyle.cap = kStrokeCapTriangle;
    else if (CompareText(strokeCap, "square")) strokeStyle.cap = kStrokeCapSquare;
    else if (CompareText(strokeCap, "round")) strokeStyle.cap = kStrokeCapRound;
    if (CompareText(strokeJoin, "round")) strokeStyle.join = kStrokeJoinRound;
    strokeStyle.miterLimit = miterLimit;

    const ColorStructure *color = nullptr;
    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (IsDataList(structure, 'FLOT'))
        {
            const auto *list = static_cast<const KettricFloatList *>(structure);
            if (list->GetElementCount() != 1) return kResultInvalidDataFormat;
            strokeWidth = (*list)[0];
        }
        else if (IsStructure(structure, 'colr'))
        {
            if (color != nullptr) return kResultExtraSubstructure;
            color = static_cast<const ColorStructure *>(structure);
            strokeStyle.color = color->GetColor(0);
        }
        else if (IsStructure(structure, 'dash'))
        {
            if (dashStructure != nullptr) return kResultExtraSubstructure;
            dashStructure = static_cast<const DashStructure *>(structure);
            strokeStyle.dashCount = dashStructure->dashCount;
            strokeStyle.dashPhase = dashStructure->dashOffset;
            strokeStyle.dashArray = dashStructure->dashValues;
        }
    }
    return 0;
}

void StrokeStructure::ScaleStroke(float s)
{
    MakeScaledStyle(s, &strokeStyle, &dashBuffer);
}

void StrokeStructure::MakeScaledStyle(float s, StrokeStyle *style, Array<float, 8> *dashes) const
{
    *style = strokeStyle;
    style->width = s * strokeWidth;
    // The values come from the Dash every time, never through the style's pointer into the buffer.
    dashes->SetElementCount(0);
    if (dashStructure == nullptr) return;
    style->dashPhase = s * dashStructure->dashOffset;
    if (dashStructure->dashCount == 0) return;
    for (int32_t i = 0; i < dashStructure->dashCount; ++i) dashes->AddElement(s * dashStructure->dashValues[i]);
    style->dashCount = dashStructure->dashCount;
    style->dashArray = dashes->GetElements();
}

void StrokeStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteLine(stream, "Stroke", 0, HasPreviousSibling());
    bool capDefault = CompareText(strokeCap, "flat");
    bool joinDefault = CompareText(strokeJoin, "bevel");
    bool miterDefault = (miterLimit == 4.0f);
    if (!(capDefault && joinDefault && miterDefault))
    {
        stream->WriteText(" (");
        if (!capDefault)
        {
            stream->WriteText("cap = ");
            WriteQuotedText(stream, strokeCap);
        }
        if (!joinDefault)
        {
            if (!capDefault) stream->WriteText(", ");
            stream->WriteText("join = ");
            WriteQuotedText(stream, strokeJoin);
        }
        if (!miterDefault)
        {
            if (!capDefault || !joinDefault) stream->WriteText(", ");
            stream->WriteText("miter = ").WriteFloat(miterLimit);
        }
        stream->WriteChar(')');
    }
    WriteLine(stream, "{\n", 0, true);
    if (strokeWidth != 1.0f)
    {
        WriteLine(stream, "float {", 1, false);
        stream->WriteFloat(strokeWidth).WriteText("}\n");
    }
    WriteSubstructures(document, stream);
    WriteLine(stream, "}\n", 0, false);
}

bool DashStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFloatList(structure, 2) || IsStructure(structure, 'ofst');
}

KettricResult DashStructure::ResolveData(KettricDocument *document)
{
    dashValues = nullptr;
    dashCount = 0;
    dashOffset = 0.0f;
    KettricResult result = AmbrelStructure::ResolveData(document);
    if (result != 0) return result;
    if (const auto *offset = static_cast<const OffsetStructure *>(GetFirstSubstructure('ofst')))
        dashOffset = offset->value;

    const KettricFloatList *list = GetFirstFloatList();
    if (list == nullptr) return 0;
    float total = 0.0f;
    for (int32_t i = 0; i < list->GetElementCount(); ++i)
    {
        float value = (*list)[i];
        if (!(value >= 0.0f && value <= FloatMaxFinite)) return kResultInvalidDataFormat;
        total += value;
    }
    // An empty pattern or one of zero length would never advance along the path.
    if (total > 0.0f)
    {
        dashValues = list->GetElements();
        dashCount = list->GetElementCount();
    }
    return 0;
}

void DashStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteLine(stream, "Dash\n", 0, HasPreviousSibling());
    WriteLine(stream, "{\n", 0, false);
    bool written = WriteSubstructures(document, stream);
    const KettricFloatList *list = GetFirstFloatList();
    if (list != nullptr && list->GetElementCount() >= 2)
    {
        const float *v = list->GetElements();
        int32_t pairs = list->GetElementCount() / 2;
        WriteLine(stream, "float[2] {{", 1, written);
        for (int32_t i = 0; i < pairs; ++i)
        {
            if (i != 0) stream->WriteText("}, {");
            stream->WriteFloat(v[2 * i]).WriteText(", ").WriteFloat(v[2 * i + 1]);
        }
        stream->WriteText("}}\n");
    }
    WriteLine(stream, "}\n", 0, false);
}

}  // namespace oq
