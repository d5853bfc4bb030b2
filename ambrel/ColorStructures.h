#pragma once

#include "ambrel/AmbrelStructure.h"
#include "base/Color.h"
#include "base/TextString.h"

#include <cstdint>

namespace oq {

class AngleStructure;
class RadiusStructure;

// Color: one or more colour entries of 3 or 4 components, linear floats or sRGB bytes.
class ColorStructure : public AmbrelStructure
{
public:
    explicit ColorStructure(uint32_t palette = 0) : AmbrelStructure('colr'), paletteIndex(palette) {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    // The entry at the index (clamped to the last) as a linear colour; opaque black without data.
    ColorRGBA GetColor(int32_t index) const;
    // The entry as sRGB bytes and alpha.
    void GetColorRGBA8(int32_t index, uint8_t *output) const;

    uint32_t paletteIndex;
    int32_t entryCount = 0;
    const KettricPrimitive *colorList = nullptr;
};

// Stop: the stop positions of a colour line with its extension mode; carried, not used.
class StopStructure : public AmbrelStructure
{
public:
    StopStructure() : AmbrelStructure('stop'), extensionMode("clamp") {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    TextString extensionMode;
    const KettricFloatList *stopList = nullptr;
};

// Gradient: linear, radial or sweep, between the first two entries of its Color.
class GradientStructure : public AmbrelStructure
{
public:
    GradientStructure() : AmbrelStructure('grad'), gradientKind("linear") {}
    explicit GradientStructure(const char *kind) : AmbrelStructure('grad'), gradientKind(kind) {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    TextString gradientKind;
    // The coordinates are relative to the painted geometry's bounding box.
    bool objectFlag = false;
    const KettricFloatList *gradientList = nullptr;
    const RadiusStructure *gradientRadius = nullptr;
    const AngleStructure *gradientAngle = nullptr;
    const ColorStructure *gradientColor = nullptr;
};

}  // namespace oq
