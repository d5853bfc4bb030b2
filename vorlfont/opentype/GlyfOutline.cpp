#include "vorlfont/opentype/GlyfOutline.h"

#include "vorlfont/opentype/ImportResultCodes.h"
#include "vorlfont/opentype/OutlineLimits.h"

namespace oq {

namespace {

constexpr uint32_t kArgsAreWords = 0x0001;
constexpr uint32_t kArgsAreXYValues = 0x0002;
constexpr uint32_t kHaveScale = 0x0008;
constexpr uint32_t kMoreComponents = 0x0020;
constexpr uint32_t kHaveXYScale = 0x0040;
constexpr uint32_t kHaveTwoByTwo = 0x0080;
constexpr uint32_t kScaledComponentOffset = 0x0800;

// One component record of a composite glyph.
struct ComponentRecord
{
    uint32_t flags = 0;
    uint32_t glyph = 0;
    int32_t argument1 = 0;
    int32_t argument2 = 0;
    GlyfComponentTransform transform;
};

float ReadF2Dot14(const FontBytes &data, uint64_t offset) { return float(data.GetInt16(offset)) * (1.0f / 16384.0f); }

// Reads the record at *position and moves past it; false when it does not lie in the data.
bool ReadComponentRecord(const FontBytes &data, uint64_t *position, ComponentRecord *record)
{
    uint64_t p = *position;
    if (!data.Contains(p, 4)) return false;
    *record = ComponentRecord();
    record->flags = data.GetUInt16(p);
    record->glyph = data.GetUInt16(p + 2);
    p += 4;
    bool signedArguments = (record->flags & kArgsAreXYValues) != 0;
    if (record->flags & kArgsAreWords)
    {
        if (!data.Contains(p, 4)) return false;
        record->argument1 = signedArguments ? data.GetInt16(p) : data.GetUInt16(p);
        record->argument2 = signedArguments ? data.GetInt16(p + 2) : data.GetUInt16(p + 2);
        p += 4;
    }
    else
    {
        if (!data.Contains(p, 2)) return false;
        record->argument1 = signedArguments ? int8_t(data.GetUInt8(p)) : data.GetUInt8(p);
        record->argument2 = signedArguments ? int8_t(data.GetUInt8(p + 1)) : data.GetUInt8(p + 1);
        p += 2;
    }
    GlyfComponentTransform &t = record->transform;
    if (record->flags & kHaveScale)
    {
        if (!data.Contains(p, 2)) return false;
        t.xscale = t.yscale = ReadF2Dot14(data, p);
        p += 2;
    }
    else if (record->flags & kHaveXYScale)
    {
        if (!data.Contains(p, 4)) return false;
        t.xscale = ReadF2Dot14(data, p);
        t.yscale = ReadF2Dot14(data, p + 2);
        p += 4;
    }
    else if (record->flags & kHaveTwoByTwo)
    {
        if (!data.Contains(p, 8)) return false;
        t.xscale = ReadF2Dot14(data, p);
        t.scale01 = ReadF2Dot14(data, p + 2);
        t.scale10 = ReadF2Dot14(data, p + 4);
        t.yscale = ReadF2Dot14(data, p + 6);
        p += 8;
    }
    *position = p;
    return true;
}

}  // namespace

uint32_t GlyfOutlineReader::Open(const FontBytes &glyf, const FontBytes &loca, int32_t indexToLocFormat,
                                 uint32_t count, float scale)
{
    glyfTable = glyf;
    glyphCount = count;
    unitScale = scale;
    fontWork = 0;
    offsets.SetElementCount(0);
    if (indexToLocFormat != 0 && indexToLocFormat != 1) return kResultLocaFormat;
    uint64_t entrySize = indexToLocFormat == 0 ? 2 : 4;
    if (loca.size != entrySize * (uint64_t(count) + 1)) return kResultCorrupt;
    uint32_t previous = 0;
    for (uint32_t i = 0; i <= count; ++i)
    {
        uint32_t offset = indexToLocFormat == 0 ? uint32_t(loca.GetUInt16(i * 2)) * 2 : loca.GetUInt32(uint64_t(i) * 4);
        if (offset < previous || offset > glyf.size) return kResultCorrupt;
        offsets.AddElement(offset);
        previous = offset;
    }
    return 0;
}

FontBytes GlyfOutlineReader::GetGlyphData(uint32_t glyph) const
{
    if (glyph >= glyphCount) return FontBytes();
    uint32_t first = offsets[int32_t(glyph)];
    return glyfTable.Slice(first, offsets[int32_t(glyph) + 1] - first);
}

int32_t GlyfOutlineReader::GetContourCount(uint32_t glyph) const
{
    FontBytes data = GetGlyphData(glyph);
    return data.size == 0 ? 0 : data.GetInt16(0);
}

bool GlyfOutlineReader::Spend(int64_t work)
{
    fontWork += work;
    return fontWork <= kGlyfMaxFontWork;
}

int64_t GlyfOutlineReader::CountGlyfPoints(uint32_t glyph) { return Count(glyph, 0); }

int64_t GlyfOutlineReader::Count(uint32_t glyph, int32_t depth)
{
    if (glyph >= glyphCount || depth > kGlyfMaxCompositeDepth || !Spend(1)) return -1;
    FontBytes data = GetGlyphData(glyph);
    if (data.size == 0) return 0;
    if (data.size < 10) return -1;
    int32_t contours = data.GetInt16(0);
    if (contours == 0) return 0;
    if (contours > 0)
    {
        uint16_t last = 0;
        if (!data.ReadUInt16(10 + uint64_t(contours - 1) * 2, &last)) return -1;
        return int64_t(last) + 1;
    }
    int64_t total = 0;
    uint64_t position = 10;
    ComponentRecord record;
    do
    {
        if (!ReadComponentRecord(data, &position, &record)) return -1;
        int64_t count = Count(record.glyph, depth + 1);
        if (count < 0) return -1;
        total += count;
        if (total > kGlyfMaxGlyphPoints) return -1;
    } while (record.flags & kMoreComponents);
    return total;
}

int64_t GlyfOutlineReader::DecodeGlyfOutline(uint32_t glyph, Array<GlyfPoint> *points,
                                             Array<uint32_t> *componentGlyphs,
                                             Array<GlyfComponentTransform> *transforms)
{
    points->SetElementCount(0);
    int64_t count = Decode(glyph, 0, points, componentGlyphs, transforms);
    if (count < 0) return -1;
    for (const GlyfPoint &p : *points)
    {
        if (!IsOutlineCoordinateValid(p.x) || !IsOutlineCoordinateValid(p.y)) return -1;
    }
    return count;
}

int64_t GlyfOutlineReader::DecodeSimple(const FontBytes &data, int32_t contourCount, Array<GlyfPoint> *points)
{
    // End points, strictly increasing.
    uint64_t p = 10;
    if (!data.Contains(p, uint64_t(contourCount) * 2 + 2)) return -1;
    int64_t previous = -1;
    for (int32_t c = 0; c < contourCount; ++c)
    {
        int64_t end = data.GetUInt16(p + uint64_t(c) * 2);
        if (end <= previous) return -1;
        previous = end;
    }
    int64_t n = previous + 1;
    if (!Spend(n) || int64_t(points->GetElementCount()) + n > kGlyfMaxGlyphPoints) return -1;
    p += uint64_t(contourCount) * 2;
    p += 2 + uint64_t(data.GetUInt16(p));  // instructions
    if (p > data.size) return -1;

    int32_t base = points->GetElementCount();
    points->SetElementCount(base + int32_t(n));
    GlyfPoint *out = points->GetElements() + base;

    // Flags with their repeats; a repeat past the last point stops there.
    for (int64_t i = 0; i < n;)
    {
        if (p >= data.size) return -1;
        uint8_t flag = data.data[p++];
        int64_t repeat = 1;
        if (flag & 8)
        {
            if (p >= data.size) return -1;
            repeat += data.data[p++];
        }
        for (; repeat > 0 && i < n; --repeat, ++i) out[i].flags = int16_t(flag);
    }

    // Links from each contour's end point.
    int64_t start = 0;
    for (int32_t c = 0; c < contourCount; ++c)
    {
        int64_t end = data.GetUInt16(10 + uint64_t(c) * 2);
        for (int64_t i = start; i <= end; ++i)
        {
            int32_t magnitude = int32_t(end - i + 1);
            out[i].link = (out[i].flags & 1) ? magnitude : -magnitude;
        }
        start = end + 1;
    }

    // x, then y: running sums of the deltas the flags select.
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        uint32_t shortBit = axis == 0 ? 2 : 4;
        uint32_t sameBit = axis == 0 ? 16 : 32;
        int32_t value = 0;
        for (int64_t i = 0; i < n; ++i)
        {
            uint32_t flag = uint32_t(out[i].flags);
            if (flag & shortBit)
            {
                if (p >= data.size) return -1;
                int32_t delta = data.data[p++];
                value += (flag & sameBit) ? delta : -delta;
            }
            else if (!(flag & sameBit))
            {
                int16_t delta = 0;
                if (!data.ReadInt16(p, &delta)) return -1;
                p += 2;
                value += delta;
            }
            (axis == 0 ? out[i].x : out[i].y) = float(value) * unitScale;
        }
    }
    return out[n - 1].link == 1 || out[n - 1].link == -1 ? n : -1;
}

int64_t GlyfOutlineReader::Decode(uint32_t glyph, int32_t depth, Array<GlyfPoint> *points,
                                  Array<uint32_t> *componentGlyphs, Array<GlyfComponentTransform> *transforms)
{
    if (glyph >= glyphCount || depth > kGlyfMaxCompositeDepth || !Spend(1)) return -1;
    FontBytes data = GetGlyphData(glyph);
    if (data.size == 0) return 0;
    if (data.size < 10) return -1;
    int32_t contours = data.GetInt16(0);
    if (contours == 0) return 0;
    if (contours > 0) return DecodeSimple(data, contours, points);

    int32_t compositeStart = points->GetElementCount();
    uint64_t position = 10;
    ComponentRecord record;
    do
    {
        if (!ReadComponentRecord(data, &position, &record)) return -1;
        if (record.glyph >= glyphCount) return -1;
        int32_t componentStart = points->GetElementCount();
        int64_t count = Decode(record.glyph, depth + 1, points, nullptr, nullptr);
        if (count < 0) return -1;

        GlyfComponentTransform t = record.transform;
        GlyfPoint *component = points->GetElements() + componentStart;
        if (record.flags & kArgsAreXYValues)
        {
            float dx = float(record.argument1) * unitScale, dy = float(record.argument2) * unitScale;
            if (record.flags & kScaledComponentOffset)
            {
                t.dx = t.xscale * dx + t.scale10 * dy;
                t.dy = t.scale01 * dx + t.yscale * dy;
            }
            else
            {
                t.dx = dx;
                t.dy = dy;
            }
        }
        else
        {
            // Point matching: a point of the composite so far and one of this component.
            int64_t before = componentStart - compositeStart;
            if (record.argument1 >= before || record.argument2 >= count) return -1;
            const GlyfPoint &anchor = points->GetElements()[compositeStart + record.argument1];
            const GlyfPoint &matched = component[record.argument2];
            t.dx = anchor.x - matched.x;
            t.dy = anchor.y - matched.y;
        }
        for (int64_t i = 0; i < count; ++i)
        {
            float x = component[i].x, y = component[i].y;
            component[i].x = t.xscale * x + t.scale10 * y + t.dx;
            component[i].y = t.scale01 * x + t.yscale * y + t.dy;
        }
        if (componentGlyphs) componentGlyphs->AddElement(record.glyph);
        if (transforms) transforms->AddElement(t);
    } while (record.flags & kMoreComponents);
    return points->GetElementCount() - compositeStart;
}

}  // namespace oq
