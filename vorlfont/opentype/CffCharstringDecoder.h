#pragma once

#include "base/Array.h"
#include "base/Bezier.h"
#include "vorlfont/opentype/CffDictParser.h"
#include "vorlfont/opentype/CffIndex.h"

#include <cstdint>

namespace oq {

inline constexpr int32_t kCffMaxCallDepth = 10;
// Work one glyph may take: operators executed (calls and returns included) and segments written.
inline constexpr int64_t kCffMaxOperatorsPerGlyph = 1000000;
inline constexpr int32_t kCffMaxSegmentsPerGlyph = 65536;

// The Type 2 charstring interpreter: turns one glyph's charstring into closed cubic segments in
// charstring units. A straight segment has both control points at its end point.
class CffCharstringDecoder final : public CffParser
{
public:
    explicit CffCharstringDecoder(const CffIndex &globalSubrs);

    // The Local Subrs of the next glyph's Font DICT, or null.
    void SetLocalSubrs(const CffIndex *localSubrs);

    [[nodiscard]] bool RunCharstring(const uint8_t *charstring, uint64_t length);
    [[nodiscard]] bool Parse(const uint8_t *data, uint64_t length) override { return RunCharstring(data, length); }
    [[nodiscard]] bool ExecuteOperator(uint32_t op, uint32_t escape);

    const Array<CubicBezier2D> &GetSegments() const { return segments; }
    int64_t GetExecutedOperatorCount() const { return executedOperators; }

private:
    struct ReturnPosition
    {
        const uint8_t *data;
        uint64_t length;
    };

    [[nodiscard]] bool CloseContour();
    [[nodiscard]] bool AddLine(float dx, float dy);
    [[nodiscard]] bool AddCurve(float dx1, float dy1, float dx2, float dy2, float dx3, float dy3);
    [[nodiscard]] bool MoveTo(float dx, float dy);
    [[nodiscard]] bool ExecutePathOperator(uint32_t op);
    [[nodiscard]] bool ExecuteEscapeOperator(uint32_t escape);
    [[nodiscard]] bool CallSubroutine(const CffIndex *subrs, int32_t bias, const uint8_t **data, uint64_t *length);

    CffIndex globalSubrs;
    int32_t globalBias = 107;
    CffIndex localSubrs;
    bool hasLocalSubrs = false;
    int32_t localBias = 107;

    Point2D contourStart = Point2D(0.0f, 0.0f);
    Point2D currentPoint = Point2D(0.0f, 0.0f);
    Array<CubicBezier2D> segments;
    int32_t stemCount = 0;
    float transient[32] = {};
    int32_t callDepth = 0;
    ReturnPosition callStack[kCffMaxCallDepth];
    int64_t executedOperators = 0;
};

}  // namespace oq
