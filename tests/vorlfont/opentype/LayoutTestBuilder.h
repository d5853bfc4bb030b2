#pragma once

// Builders of positioning and substitution table bytes for tests.
#include "SfntTestBuilder.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace oq::test {

inline Bytes CoverageFormat1(const std::vector<uint32_t> &glyphs)
{
    ByteWriter w;
    w.U16(1).U16(uint32_t(glyphs.size()));
    for (uint32_t g : glyphs) w.U16(g);
    return w.bytes;
}

// Ranges of {start, end, start coverage index}.
inline Bytes CoverageFormat2(const std::vector<std::vector<uint32_t>> &ranges)
{
    ByteWriter w;
    w.U16(2).U16(uint32_t(ranges.size()));
    for (auto &r : ranges) w.U16(r[0]).U16(r[1]).U16(r[2]);
    return w.bytes;
}

inline Bytes ClassDefFormat1(uint32_t start, const std::vector<uint32_t> &classes)
{
    ByteWriter w;
    w.U16(1).U16(start).U16(uint32_t(classes.size()));
    for (uint32_t c : classes) w.U16(c);
    return w.bytes;
}

// Ranges of {start, end, class}: the layout of a format-2 coverage.
inline Bytes ClassDefFormat2(const std::vector<std::vector<uint32_t>> &ranges)
{
    return CoverageFormat2(ranges);
}

// A subtable: fixed head whose 16-bit offset fields (at the positions given) point at blocks
// appended after it, in order.
inline Bytes WithBlocks(ByteWriter head, const std::vector<std::pair<size_t, Bytes>> &blocks)
{
    for (auto &b : blocks)
    {
        head.PutU16(b.first, uint32_t(head.bytes.size()));
        head.Raw(b.second);
    }
    return head.bytes;
}

// Pair adjustment format 1: per first glyph (the coverage order) its records {second, values...}
// where the values fill record 1 then record 2.
inline Bytes PairFormat1(uint32_t vf1, uint32_t vf2, const std::vector<uint32_t> &firsts,
                         const std::vector<std::vector<std::vector<int>>> &sets)
{
    ByteWriter head;
    head.U16(1).U16(0).U16(vf1).U16(vf2).U16(uint32_t(sets.size()));
    for (size_t i = 0; i < sets.size(); ++i) head.U16(0);
    std::vector<std::pair<size_t, Bytes>> blocks{{2, CoverageFormat1(firsts)}};
    for (size_t i = 0; i < sets.size(); ++i)
    {
        ByteWriter set;
        set.U16(uint32_t(sets[i].size()));
        for (auto &record : sets[i]) for (int v : record) set.U16(uint32_t(v) & 0xFFFF);
        blocks.emplace_back(10 + 2 * i, set.bytes);
    }
    return WithBlocks(head, blocks);
}

// Pair adjustment format 2 with the values of class1Count x class2Count record pairs.
inline Bytes PairFormat2(uint32_t vf1, uint32_t vf2, const Bytes &coverage, const Bytes &classDef1,
                         const Bytes &classDef2, uint32_t class1Count, uint32_t class2Count, const std::vector<int> &values)
{
    ByteWriter head;
    head.U16(2).U16(0).U16(vf1).U16(vf2).U16(0).U16(0).U16(class1Count).U16(class2Count);
    for (int v : values) head.U16(uint32_t(v) & 0xFFFF);
    return WithBlocks(head, {{2, coverage}, {8, classDef1}, {10, classDef2}});
}

struct LayoutLookup
{
    uint32_t type;
    std::vector<Bytes> subtables;
};

// A 'GPOS' or 'GSUB' table: features {tag, lookup indices} and lookups.
inline Bytes LayoutTableBytes(const std::vector<std::pair<const char *, std::vector<uint32_t>>> &features,
                              const std::vector<LayoutLookup> &lookups)
{
    ByteWriter w;
    w.U16(1).U16(0).U16(0).U16(10).U16(0);
    size_t list = w.bytes.size();
    w.U16(uint32_t(features.size()));
    for (auto &f : features) w.Tag(f.first).U16(0);
    for (size_t i = 0; i < features.size(); ++i)
    {
        w.PutU16(list + 2 + 6 * i + 4, uint32_t(w.bytes.size() - list));
        w.U16(0).U16(uint32_t(features[i].second.size()));
        for (uint32_t l : features[i].second) w.U16(l);
    }
    size_t lookupList = w.bytes.size();
    w.PutU16(8, uint32_t(lookupList));
    w.U16(uint32_t(lookups.size()));
    for (size_t i = 0; i < lookups.size(); ++i) w.U16(0);
    for (size_t i = 0; i < lookups.size(); ++i)
    {
        size_t lookup = w.bytes.size();
        w.PutU16(lookupList + 2 + 2 * i, uint32_t(lookup - lookupList));
        w.U16(lookups[i].type).U16(0).U16(uint32_t(lookups[i].subtables.size()));
        for (size_t k = 0; k < lookups[i].subtables.size(); ++k) w.U16(0);
        for (size_t k = 0; k < lookups[i].subtables.size(); ++k)
        {
            w.PutU16(lookup + 6 + 2 * k, uint32_t(w.bytes.size() - lookup));
            w.Raw(lookups[i].subtables[k]);
        }
    }
    return w.bytes;
}

// An extension subtable leading to a subtable of the type, placed right after it.
inline Bytes Extension(uint32_t type, const Bytes &subtable)
{
    ByteWriter w;
    w.U16(1).U16(type).U32(8).Raw(subtable);
    return w.bytes;
}

}  // namespace oq::test
