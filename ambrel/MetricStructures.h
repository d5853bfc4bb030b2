#pragma once

#include "ambrel/TypographicStructure.h"

#include <cstdint>

namespace oq {

// Metric: one named font-wide value that resolving stores into the Font.
class MetricStructure : public TypographicStructure
{
public:
    MetricStructure() : TypographicStructure('mtrc') {}
    explicit MetricStructure(const char *key) : TypographicStructure('mtrc'), metricKey(key) {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    TextString metricKey;
};

// CharMap: glyph numbers of consecutive code points, and a run that continues them.
class CharMapStructure : public TypographicStructure
{
public:
    explicit CharMapStructure(uint32_t first = 0) : TypographicStructure('cmap'), firstCodePoint(first) {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
    void OffsetGlyphIndices(int32_t amount) override;

    // The first uint16 or uint32 list, or null.
    KettricPrimitive *GetGlyphList() const;

    uint32_t firstCodePoint;
    uint32_t runLength = 0;
};

}  // namespace oq
