#pragma once

#include "ambrel/AmbrelStructure.h"

namespace oq {

// Range: x, y and optional z extents from float[2] pairs; a Canvas takes its view from it.
class RangeStructure : public AmbrelStructure
{
public:
    RangeStructure() : AmbrelStructure('rang') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    float xMinimum = 0.0f, xMaximum = 0.0f;
    float yMinimum = 0.0f, yMaximum = 0.0f;
    float zMinimum = 0.0f, zMaximum = 0.0f;
};

// Radius: one or two radius pairs (gradient radius, corner or ellipse radii).
class RadiusStructure : public AmbrelStructure
{
public:
    RadiusStructure() : AmbrelStructure('radi') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    float firstX = 0.0f, firstY = 0.0f;
    float secondX = 0.0f, secondY = 0.0f;
};

// Angle: two angles of a sweep gradient.
class AngleStructure : public AmbrelStructure
{
public:
    AngleStructure() : AmbrelStructure('angl') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    float firstAngle = 0.0f;
    float secondAngle = 0.0f;
};

// Offset: one value, the dash offset of a Stroke.
class OffsetStructure : public AmbrelStructure
{
public:
    OffsetStructure() : AmbrelStructure('ofst') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    float value = 0.0f;
};

// Opacity: one value for the geometry or group that holds it.
class OpacityStructure : public AmbrelStructure
{
public:
    OpacityStructure() : AmbrelStructure('opac') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    float value = 0.0f;
};

}  // namespace oq
