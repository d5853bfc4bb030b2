#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace oq::test {

using Bytes = std::vector<uint8_t>;

// Appends big-endian values to a byte vector.
struct ByteWriter
{
    Bytes bytes;

    ByteWriter &U8(uint32_t v) { bytes.push_back(uint8_t(v)); return *this; }
    ByteWriter &U16(uint32_t v) { return U8(v >> 8).U8(v); }
    ByteWriter &U32(uint32_t v) { return U16(v >> 16).U16(v); }
    ByteWriter &Tag(const char *t) { for (int i = 0; i < 4; ++i) U8(uint8_t(t[i])); return *this; }
    ByteWriter &Raw(const Bytes &b) { bytes.insert(bytes.end(), b.begin(), b.end()); return *this; }
    ByteWriter &Zeros(size_t n) { bytes.insert(bytes.end(), n, 0); return *this; }
    void PutU16(size_t at, uint32_t v) { bytes[at] = uint8_t(v >> 8); bytes[at + 1] = uint8_t(v); }
    void PutU32(size_t at, uint32_t v) { PutU16(at, v >> 16); PutU16(at + 2, v); }
};

// A face's tables, by tag, in record order.
struct TestFace
{
    std::vector<std::pair<std::string, Bytes>> tables;

    Bytes *Find(const char *tag)
    {
        for (auto &t : tables) if (t.first == tag) return &t.second;
        return nullptr;
    }
    void Set(const char *tag, Bytes bytes)
    {
        if (Bytes *b = Find(tag)) *b = std::move(bytes);
        else tables.emplace_back(tag, std::move(bytes));
    }
    void Remove(const char *tag)
    {
        for (size_t i = 0; i < tables.size(); ++i) if (tables[i].first == tag) { tables.erase(tables.begin() + i); return; }
    }
};

inline Bytes HeadTable(uint32_t unitsPerEm, int16_t locFormat = 0)
{
    ByteWriter w;
    w.U32(0x00010000).U32(0x00010000).U32(0).U32(0x5F0F3CF5).U16(0).U16(unitsPerEm).Zeros(16);
    w.Zeros(8).U16(0).U16(8).U16(2).U16(uint16_t(locFormat)).U16(0);
    return w.bytes;
}

inline Bytes HheaTable(int16_t ascent, int16_t descent, int16_t lineGap, uint16_t longMetrics)
{
    ByteWriter w;
    w.U32(0x00010000).U16(uint16_t(ascent)).U16(uint16_t(descent)).U16(uint16_t(lineGap)).Zeros(24).U16(longMetrics);
    return w.bytes;
}

inline Bytes MaxpTable(uint16_t glyphCount, uint32_t version = 0x00005000)
{
    ByteWriter w;
    w.U32(version).U16(glyphCount);
    if (version == 0x00010000) w.Zeros(26);
    return w.bytes;
}

// hMetrics (advance, lsb) pairs followed by further left side bearings.
inline Bytes MetricsTable(const std::vector<std::pair<int, int>> &longMetrics, const std::vector<int> &bearings)
{
    ByteWriter w;
    for (auto &m : longMetrics) w.U16(uint16_t(m.first)).U16(uint16_t(m.second));
    for (int b : bearings) w.U16(uint16_t(b));
    return w.bytes;
}

// A version-0 'name' table of (platform, encoding, language, id, string bytes) records with the
// storage right after the records.
struct NameRecordSpec
{
    uint16_t platform, encoding, language, id;
    Bytes string;
};

inline Bytes Utf16(const std::u16string &text)
{
    ByteWriter w;
    for (char16_t c : text) w.U16(c);
    return w.bytes;
}

inline Bytes Latin(const std::string &text)
{
    return Bytes(text.begin(), text.end());
}

inline Bytes NameTable(const std::vector<NameRecordSpec> &records, uint32_t gap = 0)
{
    ByteWriter w;
    uint32_t storage = 6 + 12 * uint32_t(records.size()) + gap;
    w.U16(0).U16(uint16_t(records.size())).U16(uint16_t(storage));
    Bytes strings;
    for (auto &r : records)
    {
        w.U16(r.platform).U16(r.encoding).U16(r.language).U16(r.id).U16(uint16_t(r.string.size())).U16(uint16_t(strings.size()));
        strings.insert(strings.end(), r.string.begin(), r.string.end());
    }
    w.Zeros(gap).Raw(strings);
    return w.bytes;
}

// A format-1 'name' table: the records, then the language-tag records (their strings first in the
// storage), then the strings.
inline Bytes NameTableFormat1(const std::vector<NameRecordSpec> &records, const std::vector<Bytes> &languageTags)
{
    ByteWriter w;
    uint32_t storage = 6 + 12 * uint32_t(records.size()) + 2 + 4 * uint32_t(languageTags.size());
    w.U16(1).U16(uint16_t(records.size())).U16(uint16_t(storage));
    Bytes strings;
    for (auto &tag : languageTags) strings.insert(strings.end(), tag.begin(), tag.end());
    for (auto &r : records)
    {
        w.U16(r.platform).U16(r.encoding).U16(r.language).U16(r.id).U16(uint16_t(r.string.size())).U16(uint16_t(strings.size()));
        strings.insert(strings.end(), r.string.begin(), r.string.end());
    }
    w.U16(uint16_t(languageTags.size()));
    uint32_t offset = 0;
    for (auto &tag : languageTags)
    {
        w.U16(uint16_t(tag.size())).U16(uint16_t(offset));
        offset += uint32_t(tag.size());
    }
    w.Raw(strings);
    return w.bytes;
}

// A format-4 subtable from segments (start, end, delta, range offset 0).
inline Bytes CmapFormat4(const std::vector<std::vector<uint32_t>> &segments)
{
    ByteWriter w;
    uint32_t n = uint32_t(segments.size());
    w.U16(4).U16(16 + 8 * n).U16(0).U16(2 * n).U16(0).U16(0).U16(0);
    for (auto &s : segments) w.U16(s[1]);
    w.U16(0);
    for (auto &s : segments) w.U16(s[0]);
    for (auto &s : segments) w.U16(s[2]);
    for (auto &s : segments) w.U16(s.size() > 3 ? s[3] : 0);
    return w.bytes;
}

// A format-12 subtable from groups (start, end, first glyph).
inline Bytes CmapFormat12(const std::vector<std::vector<uint32_t>> &groups)
{
    ByteWriter w;
    w.U16(12).U16(0).U32(16 + 12 * uint32_t(groups.size())).U32(0).U32(uint32_t(groups.size()));
    for (auto &g : groups) w.U32(g[0]).U32(g[1]).U32(g[2]);
    return w.bytes;
}

// A 'cmap' table of (platform, encoding, subtable) records.
inline Bytes CmapTable(const std::vector<std::pair<std::pair<int, int>, Bytes>> &subtables)
{
    ByteWriter w;
    w.U16(0).U16(uint16_t(subtables.size()));
    uint32_t offset = 4 + 8 * uint32_t(subtables.size());
    for (auto &s : subtables)
    {
        w.U16(uint16_t(s.first.first)).U16(uint16_t(s.first.second)).U32(offset);
        offset += uint32_t(s.second.size());
    }
    for (auto &s : subtables) w.Raw(s.second);
    return w.bytes;
}

// A face with head, hhea, maxp, hmtx, name, a (3, 1) cmap mapping A-C to glyphs 1-3, and empty
// glyphs in glyf with a format 0 loca.
inline TestFace MinimalFace(uint16_t glyphCount = 4, uint32_t unitsPerEm = 1000)
{
    TestFace face;
    face.Set("head", HeadTable(unitsPerEm));
    face.Set("hhea", HheaTable(800, -200, 90, 1));
    face.Set("maxp", MaxpTable(glyphCount));
    std::vector<int> bearings;
    for (int i = 1; i < glyphCount; ++i) bearings.push_back(10 * i);
    face.Set("hmtx", MetricsTable({{500, 5}}, bearings));
    face.Set("name", NameTable({{3, 1, 0x409, 1, Utf16(u"Sample")}, {3, 1, 0x409, 2, Utf16(u"Regular")}}));
    face.Set("cmap", CmapTable({{{3, 1}, CmapFormat4({{0x41, 0x43, uint32_t(1 - 0x41) & 0xFFFF}, {0xFFFF, 0xFFFF, 1}})}}));
    face.Set("loca", Bytes(2 * (size_t(glyphCount) + 1), 0));
    face.Set("glyf", Bytes());
    return face;
}

// Lays out faces as one sfnt file (one face) or a collection; faces listed in shared point at the
// first face's bytes for the tags given.
inline Bytes BuildSfnt(const std::vector<TestFace> &faces, bool collection,
                       const std::vector<std::string> &sharedTags = {}, uint32_t version = 0x00010000)
{
    ByteWriter w;
    size_t headerSize = collection ? 12 + 4 * faces.size() : 0;
    std::vector<size_t> directory(faces.size());
    size_t at = headerSize;
    for (size_t f = 0; f < faces.size(); ++f)
    {
        directory[f] = at;
        at += 12 + 16 * faces[f].tables.size();
    }
    w.Zeros(at);
    if (collection)
    {
        w.bytes[0] = 't'; w.bytes[1] = 't'; w.bytes[2] = 'c'; w.bytes[3] = 'f';
        w.PutU32(4, 0x00010000);
        w.PutU32(8, uint32_t(faces.size()));
        for (size_t f = 0; f < faces.size(); ++f) w.PutU32(12 + 4 * f, uint32_t(directory[f]));
    }
    std::vector<std::pair<std::string, size_t>> firstOffsets;
    for (size_t f = 0; f < faces.size(); ++f)
    {
        size_t d = directory[f];
        w.PutU32(d, version);
        w.PutU16(d + 4, uint32_t(faces[f].tables.size()));
        for (size_t t = 0; t < faces[f].tables.size(); ++t)
        {
            const auto &table = faces[f].tables[t];
            size_t offset = 0;
            bool reuse = false;
            if (f > 0)
            {
                for (auto &s : sharedTags)
                    if (s == table.first)
                        for (auto &fo : firstOffsets) if (fo.first == s) { offset = fo.second; reuse = true; }
            }
            if (!reuse)
            {
                while (w.bytes.size() % 4) w.U8(0);
                offset = w.bytes.size();
                w.Raw(table.second);
                if (f == 0) firstOffsets.emplace_back(table.first, offset);
            }
            size_t record = d + 12 + 16 * t;
            for (int i = 0; i < 4; ++i) w.bytes[record + i] = uint8_t(table.first[i]);
            w.PutU32(record + 8, uint32_t(offset));
            w.PutU32(record + 12, uint32_t(table.second.size()));
        }
    }
    return w.bytes;
}

}  // namespace oq::test
