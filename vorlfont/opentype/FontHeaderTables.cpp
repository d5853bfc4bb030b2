#include "vorlfont/opentype/FontHeaderTables.h"

#include "vorlfont/opentype/SfntFile.h"

namespace oq {

uint32_t ReadFontHeader(const FontBytes &file, uint64_t offsetTable, FontHeader *header)
{
    FontBytes head, hhea, vhea, maxp;
    if (uint32_t result = FindSfntTable(file, offsetTable, 'head', &head)) return result;
    if (!head.IsPresent()) return kResultInvalid;
    header->head = head;
    if (!head.Contains(0, 20)) return kResultCorrupt;
    if (head.GetUInt32(0) != 0x00010000 || head.GetUInt32(12) != 0x5F0F3CF5) return kResultInvalid;
    uint16_t unitsPerEm = head.GetUInt16(18);
    if (unitsPerEm < 64 || unitsPerEm > 16384) return kResultUnsupportedUnits;

    if (uint32_t result = FindSfntTable(file, offsetTable, 'hhea', &hhea)) return result;
    if (!hhea.IsPresent()) return kResultMissingHhea;
    if (!hhea.Contains(0, 4)) return kResultCorrupt;
    if (hhea.GetUInt32(0) != 0x00010000) return kResultHheaData;
    header->hhea = hhea;

    if (uint32_t result = FindSfntTable(file, offsetTable, 'vhea', &vhea)) return result;
    header->vhea = vhea;

    if (uint32_t result = FindSfntTable(file, offsetTable, 'maxp', &maxp)) return result;
    if (!maxp.IsPresent()) return kResultMissingMaxp;
    uint32_t version = 0;
    uint16_t glyphCount = 0;
    if (!maxp.ReadUInt32(0, &version)) return kResultCorrupt;
    if (version != 0x00010000 && version != 0x00005000) return kResultMaxpVersion;
    if (!maxp.ReadUInt16(4, &glyphCount)) return kResultCorrupt;

    header->unitsPerEm = float(unitsPerEm);
    header->glyphCount = glyphCount;
    return 0;
}

namespace {

void AddFloat(Array<FontMetric> *metrics, const char *key, float value)
{
    FontMetric metric;
    metric.key = key;
    metric.count = 1;
    metric.values[0] = value;
    metrics->AddElement(metric);
}

void AddVector(Array<FontMetric> *metrics, const char *key, float x, float y)
{
    FontMetric metric;
    metric.key = key;
    metric.count = 2;
    metric.values[0] = x;
    metric.values[1] = y;
    metrics->AddElement(metric);
}

void AddInteger(Array<FontMetric> *metrics, const char *key, int32_t value)
{
    FontMetric metric;
    metric.key = key;
    metric.integer = value;
    metrics->AddElement(metric);
}

// The Metrics of 'OS/2'; a field past the end of a short table is left out.
void AddOs2Metrics(const FontBytes &os2, float s, Array<FontMetric> *metrics, uint32_t *familyClass)
{
    auto has = [&](uint64_t offset) { return os2.Contains(offset, 2); };
    auto value = [&](uint64_t offset) { return float(os2.GetInt16(offset)) * s; };
    uint16_t version = os2.GetUInt16(0);

    if (has(68)) AddFloat(metrics, "typo_ascent", value(68));
    if (has(70)) AddFloat(metrics, "typo_descent", value(70));
    if (has(72)) AddFloat(metrics, "typo_line_gap", value(72));
    if (has(0) && version >= 2)
    {
        if (has(88)) AddFloat(metrics, "cap_height", value(88));
        if (has(86)) AddFloat(metrics, "ex_height", value(86));
    }
    if (has(12)) AddVector(metrics, "sub_scale", value(10), value(12));
    if (has(16)) AddVector(metrics, "sub_offset", value(14), -value(16));
    if (has(20)) AddVector(metrics, "super_scale", value(18), value(20));
    if (has(24)) AddVector(metrics, "super_offset", value(22), value(24));
    if (has(28))
    {
        float size = value(26);
        AddFloat(metrics, "strike_size", size);
        AddFloat(metrics, "strike_position", value(28) - size);
    }
    if (has(4) && os2.GetUInt16(4) != 0) AddInteger(metrics, "weight_class", os2.GetUInt16(4));
    if (has(6) && os2.GetUInt16(6) != 0) AddInteger(metrics, "width_class", os2.GetUInt16(6));
    if (has(30) && os2.GetInt16(30) != 0)
    {
        int32_t family = os2.GetInt16(30);
        AddInteger(metrics, "family_class", family);
        *familyClass = uint32_t(family);
    }
}

// Without usable vertical metrics every glyph advances by the line height of 'hhea' (ascender
// minus descender), as vertical layout takes it; a height of 0 adds nothing.
uint32_t AddImpliedVerticalAdvances(const FontBytes &hhea, float s, uint32_t glyphCount, GlyphMetrics *glyphs)
{
    int16_t ascender = 0, descender = 0;
    if (!hhea.ReadInt16(4, &ascender) || !hhea.ReadInt16(6, &descender)) return kResultCorrupt;
    float advance = float(int32_t(ascender) - int32_t(descender)) * s;
    if (advance == 0.0f) return 0;
    for (uint32_t i = 0; i < glyphCount; ++i) glyphs[i].advance[glyphs[i].advanceCount++] = advance;
    return 0;
}

}  // namespace

uint32_t ReadFontMetricValues(const FontBytes &file, uint64_t offsetTable, const FontBytes &hhea, float s,
                              Array<FontMetric> *metrics, uint32_t *familyClass)
{
    *familyClass = 0;
    if (!hhea.Contains(4, 6)) return kResultCorrupt;
    AddFloat(metrics, "ascent", float(hhea.GetInt16(4)) * s);
    AddFloat(metrics, "descent", float(hhea.GetInt16(6)) * s);
    AddFloat(metrics, "line_gap", float(hhea.GetInt16(8)) * s);

    FontBytes os2, post, math;
    if (uint32_t result = FindSfntTable(file, offsetTable, 'OS/2', &os2)) return result;
    if (os2.IsPresent()) AddOs2Metrics(os2, s, metrics, familyClass);

    if (uint32_t result = FindSfntTable(file, offsetTable, 'post', &post)) return result;
    if (post.IsPresent())
    {
        if (post.Contains(10, 2))
        {
            float size = float(post.GetInt16(10)) * s;
            AddFloat(metrics, "under_size", size);
            AddFloat(metrics, "under_position", float(post.GetInt16(8)) * s - size);
        }
        if (post.Contains(4, 4))
        {
            float angle = float(int32_t(post.GetUInt32(4))) * (3.14159265f / -11796480.0f);
            if (angle != 0.0f) AddFloat(metrics, "slant_angle", angle);
        }
    }

    if (uint32_t result = FindSfntTable(file, offsetTable, 'MATH', &math)) return result;
    if (math.IsPresent())
    {
        uint16_t constants = 0;
        if (!math.ReadUInt16(4, &constants) || !math.Contains(uint64_t(constants) + 12, 2)) return kResultCorrupt;
        AddFloat(metrics, "math_axis_height", float(math.GetInt16(uint64_t(constants) + 12)) * s);
    }
    return 0;
}

uint32_t ReadGlyphMetrics(const FontBytes &file, uint64_t offsetTable, const FontHeader &header, float s,
                          GlyphMetrics *glyphs)
{
    FontBytes hmtx, vmtx;
    if (uint32_t result = FindSfntTable(file, offsetTable, 'hmtx', &hmtx)) return result;
    if (!hmtx.IsPresent()) return kResultMissingHmtx;
    uint16_t longCount = 0;
    if (!header.hhea.ReadUInt16(34, &longCount)) return kResultCorrupt;
    uint32_t glyphCount = header.glyphCount;
    if (longCount == 0 || longCount > glyphCount) return kResultHheaData;
    if (!hmtx.Contains(0, uint64_t(longCount) * 4 + uint64_t(glyphCount - longCount) * 2)) return kResultCorrupt;

    for (uint32_t i = 0; i < glyphCount; ++i)
    {
        uint32_t metric = i < longCount ? i : longCount - 1;
        uint64_t bearing = i < longCount ? uint64_t(i) * 4 + 2 : uint64_t(longCount) * 4 + uint64_t(i - longCount) * 2;
        glyphs[i].advance[0] = float(hmtx.GetUInt16(uint64_t(metric) * 4)) * s;
        glyphs[i].bearing[0] = float(hmtx.GetInt16(bearing)) * s;
        glyphs[i].advanceCount = 1;
        glyphs[i].bearingCount = 1;
    }

    uint16_t verticalCount = 0;
    if (header.vhea.IsPresent())
    {
        if (uint32_t result = FindSfntTable(file, offsetTable, 'vmtx', &vmtx)) return result;
        if (!vmtx.IsPresent() || !header.vhea.ReadUInt16(34, &verticalCount) || verticalCount > glyphCount)
            verticalCount = 0;
        // A table too short for its counts is ignored like a missing one.
        if (!vmtx.Contains(0, uint64_t(verticalCount) * 4 + uint64_t(glyphCount - verticalCount) * 2))
            verticalCount = 0;
    }
    if (verticalCount == 0) return AddImpliedVerticalAdvances(header.hhea, s, glyphCount, glyphs);

    for (uint32_t i = 0; i < glyphCount; ++i)
    {
        uint32_t metric = i < verticalCount ? i : verticalCount - 1;
        uint64_t bearing =
            i < verticalCount ? uint64_t(i) * 4 + 2 : uint64_t(verticalCount) * 4 + uint64_t(i - verticalCount) * 2;
        float advance = float(vmtx.GetUInt16(uint64_t(metric) * 4)) * s;
        float top = float(vmtx.GetInt16(bearing)) * s;
        if (advance != 0.0f) glyphs[i].advance[glyphs[i].advanceCount++] = advance;
        if (top != 0.0f) glyphs[i].bearing[glyphs[i].bearingCount++] = top;
    }
    return 0;
}

}  // namespace oq
