#include "vorlfont/opentype/CffFont.h"

#include "vorlfont/opentype/ImportResultCodes.h"
#include "vorlfont/opentype/OutlineLimits.h"

#include <initializer_list>

namespace oq {

namespace {

// Parses the Private DICT a Top or Font DICT names; false when it is malformed.
bool ReadPrivateDict(const CffTopDictParser &dict, bool *hasLocalSubrs, CffIndex *localSubrs)
{
    *hasLocalSubrs = false;
    if (!dict.privateDict.present) return true;
    CffPrivateDictParser parser(dict.cff, dict.privateDict.offset);
    if (!parser.Parse(dict.cff.data + dict.privateDict.offset, dict.privateSize)) return false;
    if (!parser.localSubrs.present) return true;
    if (!ReadCffIndex(dict.cff, parser.localSubrs.offset, localSubrs)) return false;
    *hasLocalSubrs = true;
    return true;
}

}  // namespace

bool LoadCffFontDicts(const CffTopDictParser &top, uint32_t glyphCount, CffFontDicts *dicts)
{
    if (!top.fdArray.present || !top.fdSelect.present) return true;
    if (top.cidCount < 0 || uint32_t(top.cidCount) < glyphCount) return false;
    CffIndex fdArray;
    if (!ReadCffIndex(top.cff, top.fdArray.offset, &fdArray)) return false;
    if (fdArray.count == 0 || fdArray.count > kCffMaxFontDicts) return false;

    dicts->fontDictCount = fdArray.count;
    for (uint32_t i = 0; i < fdArray.count; ++i)
    {
        CffTopDictParser fontDict(top.cff);
        FontBytes element = fdArray.GetElement(i);
        if (!fontDict.Parse(element.data, element.size)) return false;
        if (!ReadPrivateDict(fontDict, &dicts->hasLocalSubrs[i], &dicts->localSubrs[i])) return false;
        dicts->fontMatrix[i] = fontDict.hasFontMatrix ? fontDict.fontMatrix : top.fontMatrix;
    }

    const FontBytes &cff = top.cff;
    uint64_t p = top.fdSelect.offset;
    uint32_t format = cff.GetUInt8(p);
    uint8_t *glyphFontDict = dicts->glyphFontDict.GetElements();
    if (format == 0)
    {
        if (!cff.Contains(p + 1, glyphCount)) return false;
        for (uint32_t g = 0; g < glyphCount; ++g)
        {
            glyphFontDict[g] = cff.data[p + 1 + g];
            if (glyphFontDict[g] >= fdArray.count) return false;
        }
        return true;
    }
    if (format != 3) return false;
    uint16_t rangeCount = 0;
    if (!cff.ReadUInt16(p + 1, &rangeCount)) return false;
    if (!cff.Contains(p + 3, uint64_t(rangeCount) * 3 + 2)) return false;
    uint32_t covered = 0;  // glyphs below this have their Font DICT
    for (uint32_t r = 0; r < rangeCount; ++r)
    {
        uint64_t record = p + 3 + uint64_t(r) * 3;
        uint32_t first = cff.GetUInt16(record);
        uint32_t fontDict = cff.GetUInt8(record + 2);
        uint32_t next = cff.GetUInt16(record + 3);  // the next range's first glyph, or the sentinel
        if (first < covered || next < first || next > glyphCount || fontDict >= fdArray.count) return false;
        for (uint32_t g = first; g < next; ++g) glyphFontDict[g] = uint8_t(fontDict);
        covered = next;
    }
    return true;
}

uint32_t OpenCffFont(const FontBytes &cff, uint32_t glyphCount, CffFont *font)
{
    font->cff = cff;
    font->glyphCount = 0;  // no glyph decodes until the font has opened
    CffIndex names, topDicts, strings;
    uint64_t headerSize = cff.GetUInt8(2);
    if (cff.size < 4 || !ReadCffIndex(cff, headerSize, &names)) return kResultCorrupt;
    if (!ReadCffIndex(cff, names.end, &topDicts) || topDicts.count == 0) return kResultCorrupt;
    if (!ReadCffIndex(cff, topDicts.end, &strings)) return kResultCorrupt;
    if (!ReadCffIndex(cff, strings.end, &font->globalSubrs)) return kResultCorrupt;

    CffTopDictParser top(cff);
    FontBytes topData = topDicts.GetElement(0);
    if (!top.Parse(topData.data, topData.size)) return kResultCorrupt;
    if (!top.charStrings.present || !ReadCffIndex(cff, top.charStrings.offset, &font->charStrings)) return kResultCorrupt;
    if (font->charStrings.count != glyphCount) return kResultCorrupt;

    CffFontDicts &dicts = font->dicts;
    dicts.fontDictCount = 1;
    if (!ReadPrivateDict(top, &dicts.hasLocalSubrs[0], &dicts.localSubrs[0])) return kResultCorrupt;
    dicts.fontMatrix[0] = top.fontMatrix;
    dicts.glyphFontDict.SetElementCount(0);
    for (uint32_t g = 0; g < glyphCount; ++g) dicts.glyphFontDict.AddElement(0);
    if (!LoadCffFontDicts(top, glyphCount, &dicts)) return kResultCorrupt;
    font->glyphCount = glyphCount;
    return 0;
}

uint32_t DecodeCffGlyph(const CffFont &font, CffCharstringDecoder *decoder, uint32_t glyph, Array<CubicBezier2D> *segments)
{
    segments->SetElementCount(0);
    if (glyph >= font.glyphCount) return kResultCorrupt;
    uint32_t fontDict = font.dicts.glyphFontDict[int32_t(glyph)];
    decoder->SetLocalSubrs(font.dicts.hasLocalSubrs[fontDict] ? &font.dicts.localSubrs[fontDict] : nullptr);
    FontBytes charstring = font.charStrings.GetElement(glyph);
    if (!decoder->RunCharstring(charstring.data, charstring.size)) return kResultCorrupt;

    const Transform4D &m = font.dicts.fontMatrix[fontDict];
    for (const CubicBezier2D &c : decoder->GetSegments())
    {
        CubicBezier2D mapped(TransformPoint2D(m, c.p0), TransformPoint2D(m, c.p1), TransformPoint2D(m, c.p2),
                             TransformPoint2D(m, c.p3));
        for (const Point2D &p : {mapped.p0, mapped.p1, mapped.p2, mapped.p3})
        {
            if (!IsOutlineCoordinateValid(p.x) || !IsOutlineCoordinateValid(p.y)) return kResultCorrupt;
        }
        segments->AddElement(mapped);
    }
    return 0;
}

}  // namespace oq
