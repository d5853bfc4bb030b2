#pragma once

#include "ambrel/TypographicStructure.h"

#include <cstdint>

namespace oq {

// Advance: advance width and optionally height of a Glyph, in ems.
class AdvanceStructure : public TypographicStructure
{
public:
    AdvanceStructure() : TypographicStructure('advc') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
};

// Bearing: left side bearing and optionally top side bearing of a Glyph, in ems.
class BearingStructure : public TypographicStructure
{
public:
    BearingStructure() : TypographicStructure('bear') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
};

// Caret: caret positions inside a ligature glyph, in ems.
class CaretStructure : public TypographicStructure
{
public:
    CaretStructure() : TypographicStructure('cart') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    // The values of the first float list; 0 without one.
    int32_t GetPositions(const float **positions) const;
};

}  // namespace oq
