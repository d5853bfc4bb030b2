#include "vorlfont/compiler/GlyphCurvePlacement.h"

#include "base/Half.h"
#include "base/Memory.h"
#include "vorl/text/VorlFileGlyphRecord.h"

#include <cstring>

namespace oq {

namespace {

inline uint32_t RotateLeft(uint32_t x, int32_t n) { return (x << n) | (x >> (32 - n)); }

// Both texels' six halves read back as floats equal the curve's (+0 equals -0).
bool SameHalves(const uint16_t *texels, const uint16_t *halves)
{
    const uint16_t stored[6] = {texels[0], texels[1], texels[2], texels[3], texels[4], texels[5]};
    for (int32_t k = 0; k < 6; ++k)
    {
        if (!(HalfToFloat(&stored[k]) == HalfToFloat(&halves[k]))) return false;
    }
    return true;
}

}  // namespace

uint32_t CurveHashTable::Hash(const uint16_t *halves)
{
    uint32_t h = 0;
    for (int32_t k = 0; k < 3; ++k)
    {
        uint32_t w = uint32_t(halves[k * 2]) | uint32_t(halves[k * 2 + 1]) << 16;
        h = RotateLeft(h ^ w, 15) * 3u;
    }
    return h;
}

CurveHashTable::~CurveHashTable()
{
    MemoryRelease(slots);
}

void CurveHashTable::Insert(uint64_t slot)
{
    const uint32_t mask = uint32_t(slotCount - 1);
    uint32_t s = GetHome(uint32_t(slot >> 32)) & mask;
    while (slots[s] != 0) s = (s + 1) & mask;
    slots[s] = slot;
}

void CurveHashTable::Add(const Entry &entry)
{
    ++count;
    if (count * 2 > slotCount) Resize(slotCount ? slotCount * 2 : 1024);
    uint32_t position = uint32_t(entry.row) * kRowWidth + uint32_t(entry.column) + 1;
    Insert(uint64_t(entry.hash) << 32 | position);
}

void CurveHashTable::Resize(int32_t newSlotCount)
{
    // A fresh table, not a grown one: the old slots are read once from where they are, and the
    // new block (read at random, tens of megabytes in a large font) takes huge pages where it can
    // before it is first touched.
    uint64_t *old = slots;
    int32_t oldCount = slotCount;
    slotCount = newSlotCount;
    size_t bytes = size_t(slotCount) * sizeof(uint64_t);
    slots = static_cast<uint64_t *>(MemoryAllocate(bytes));
    AdviseHugePages(slots, bytes);
    std::memset(slots, 0, bytes);
    for (int32_t i = 0; i < oldCount; ++i)
    {
        if (old[i] != 0) Insert(old[i]);
    }
    MemoryRelease(old);
}

void CurveHashTable::Reserve(int64_t curveCount)
{
    // Slot counts stay within int32_t (a texture holds fewer curves than that anyway).
    constexpr int32_t kLargestSlotCount = int32_t(1) << 30;
    int32_t wanted = 1024;
    while (wanted < curveCount && wanted < kLargestSlotCount) wanted *= 2;
    if (count == 0 && wanted > slotCount) Resize(wanted);
}

void CurveHashTable::Clear()
{
    count = 0;
    if (slotCount != 0) std::memset(slots, 0, size_t(slotCount) * sizeof(uint64_t));
}

bool StartTexelRow(TexelBuffer *buffer, int32_t texelSize)
{
    int32_t width = buffer->width;
    if (buffer->cursorX < width && buffer->cursorY < buffer->height)
    {
        auto *row = static_cast<unsigned char *>(buffer->texels) + (size_t(buffer->cursorY) * width) * texelSize;
        memset(row + size_t(buffer->cursorX) * texelSize, 0, size_t(width - buffer->cursorX) * texelSize);
    }
    buffer->cursorX = 0;
    if (buffer->cursorY < buffer->height) ++buffer->cursorY;
    return buffer->cursorY < buffer->height;
}

void ClearBandTexelRow(TexelBuffer *band)
{
    if (band->cursorY >= band->height || band->cursorX >= band->width) return;
    auto *texels = static_cast<uint32_t *>(band->texels) + size_t(band->cursorY) * band->width;
    memset(texels + band->cursorX, 0, size_t(band->width - band->cursorX) * 4);
}

bool PlaceGlyphCurves(int32_t count, const QuadraticBezier2D *curves, CurveLocation *locations,
                      CurveHashTable *table, TexelBuffer *curve)
{
    auto *texels = static_cast<uint16_t *>(curve->texels);
    const int32_t width = curve->width;
    Point2D previous(65536.0f, 65536.0f);
    bool hasPrevious = false;
    for (int32_t i = 0; i < count; ++i)
    {
        const QuadraticBezier2D &c = curves[i];
        uint16_t halves[6];
        const float coordinates[6] = {c.p0.x, c.p0.y, c.p1.x, c.p1.y, c.p2.x, c.p2.y};
        for (int32_t k = 0; k < 6; ++k) FloatToHalf(&halves[k], coordinates[k]);
        uint32_t hash = CurveHashTable::Hash(halves);

        CurveHashTable::Entry match;
        if (table->Find(
                hash,
                [&](const CurveHashTable::Entry &entry) {
                    return SameHalves(texels + (size_t(entry.row) * width + entry.column) * 4, halves);
                },
                &match))
        {
            locations[i] = {match.column, match.row};
            continue;
        }

        bool continues = hasPrevious && c.p0.x == previous.x && c.p0.y == previous.y;
        if (continues)
        {
            if (curve->cursorX < width)
                --curve->cursorX;
            else if (!StartTexelRow(curve, 8))
                return false;
        }
        else if (curve->cursorX >= width - 1)
        {
            if (!StartTexelRow(curve, 8)) return false;
        }

        int32_t column = curve->cursorX;
        int32_t row = curve->cursorY;
        locations[i] = {column, row};
        table->Add({hash, column, row});
        uint16_t *out = texels + (size_t(row) * width + column) * 4;
        memcpy(out, halves, 8);
        out[4] = halves[4];
        out[5] = halves[5];
        out[6] = 0;
        out[7] = 0;
        curve->cursorX += 2;
        previous = c.p2;
        hasPrevious = true;
    }
    return true;
}

void EncodeContourRuns(int32_t count, const CurveLocation *locations, Array<uint32_t> *contourList)
{
    int32_t i = 0;
    while (i < count)
    {
        int32_t n = 1;
        while (i + n < count && n < 128 && locations[i + n].row == locations[i + n - 1].row &&
               locations[i + n].column == locations[i + n - 1].column + 1)
            ++n;
        uint32_t word = 0;
        // Locations come from the curve texture (columns below 4096, rows below 2048): always packs.
        static_cast<void>(PackContourWord(uint32_t(n), uint32_t(locations[i].column),
                                                 uint32_t(locations[i].row), &word));
        contourList->AddElement(word);
        i += n;
    }
}

Box2D UnionGlyphBoxes(int32_t count, const QuadraticBezier2D *curves)
{
    if (count <= 0) return Box2D(Point2D(0.0f, 0.0f), Point2D(0.0f, 0.0f));
    Box2D box = curves[0].GetBoundingBox();
    for (int32_t i = 1; i < count; ++i) box.Union(curves[i].GetBoundingBox());
    return box;
}

}  // namespace oq
