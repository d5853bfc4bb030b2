#include "support/VorlFontVerifier.h"

#include "base/Compression.h"
#include "vorl/text/VorlFileFontRecord.h"
#include "vorl/text/VorlFileGlyphRecord.h"
#include "vorl/text/VorlFileHeader.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace oq::test {

namespace {

constexpr uint32_t kWidth = 4096;

class Verifier
{
public:
    Verifier(const uint8_t *image, size_t size) : file(image), fileSize(size) {}

    std::string Run()
    {
        if (fileSize < sizeof(VorlFileHeader)) return "shorter than the header";
        std::memcpy(&header, file, sizeof(header));
        if (header.magic != kVorlFileMagic || header.version != kVorlFileVersion) return "magic or version";
        if (std::memcmp(header.kind, "fnt", 4) != 0) return "kind";
        for (uint32_t word : header.reserved)
            if (word != 0) return "reserved header words";
        if (header.count == 0) return "no font record";
        uint64_t recordsEnd = 80 + uint64_t(header.count) * sizeof(VorlFontRecord);
        if (recordsEnd > fileSize) return "font records past the end";

        if (std::string failure = Textures(); !failure.empty()) return failure;

        std::vector<VorlFontRecord> fonts(header.count);
        std::memcpy(fonts.data(), file + 80, recordsEnd - 80);
        // Shared sections at the same file positions in every font.
        for (uint32_t f = 1; f < header.count; ++f)
        {
            if (fonts[f].glyphCount != fonts[0].glyphCount) return "glyph counts differ between fonts";
            for (uint32_t VorlFontRecord::*offset : kSharedSectionOffsets)
            {
                if (Absolute(fonts[f], f, fonts[f].*offset) != Absolute(fonts[0], 0, fonts[0].*offset))
                    return "a shared section lies elsewhere for font " + std::to_string(f);
            }
        }

        // Data blocks follow the records (first at a multiple of 64), then the page indexes.
        uint64_t position = RoundUp(recordsEnd);
        for (uint32_t f = 0; f < header.count; ++f)
        {
            const VorlFontRecord &font = fonts[f];
            if (font.reserved1 != 0) return "record word 60";
            for (uint32_t word : font.reserved2)
                if (word != 0) return "record words 76-103";
            if (font.directoryCount < 9 || font.directoryCount > 15) return "directory entry count";
            if (Absolute(font, f, font.directoryOffset) != position) return "data block " + std::to_string(f) + " misplaced";
            uint64_t end = 0;
            if (std::string failure = Directory(font, position, &end); !failure.empty()) return failure;
            position = end;
        }
        for (uint32_t f = 0; f < header.count; ++f)
        {
            position = RoundUp(position);
            uint64_t end = 0;
            if (std::string failure = CharacterMap(fonts[f], f, position, &end); !failure.empty()) return failure;
            position = end;
        }

        // Glyph records, outline records and lists in file order, each at a multiple of 64.
        const VorlFontRecord &font = fonts[0];
        glyphCount = font.glyphCount;
        if (glyphCount == 0) return "no glyph";
        position = RoundUp(position);
        if (Absolute(font, 0, font.glyphRecordOffset) != position) return "glyph records misplaced";
        glyphs = position;
        position = RoundUp(position + uint64_t(glyphCount) * 128);
        outlineGlyphs = Absolute(font, 0, font.outlineGlyphRecordOffset);
        if (outlineGlyphs != 0)
        {
            if (outlineGlyphs != position) return "outline glyph records misplaced";
            position = RoundUp(position + uint64_t(glyphCount) * 128);
        }
        const uint32_t VorlFontRecord::*lists[] = {
            &VorlFontRecord::sequenceGlyphPoolOffset, &VorlFontRecord::contourListOffset,
            &VorlFontRecord::decompositionListOffset, &VorlFontRecord::layerListOffset,
            &VorlFontRecord::baseAnchorListOffset,    &VorlFontRecord::markAnchorListOffset,
            &VorlFontRecord::kerningListOffset,       &VorlFontRecord::sequenceListOffset,
            &VorlFontRecord::alternateListOffset,     &VorlFontRecord::caretListOffset};
        bool anyList = false;
        for (int32_t s = 0; s < 10; ++s)
        {
            listStart[s] = Absolute(font, 0, font.*lists[s]);
            if (listStart[s] == 0) continue;
            if (listStart[s] < position || listStart[s] % 64 != 0) return "list " + std::to_string(s) + " misplaced";
            position = listStart[s] + 1;
            anyList = true;
        }
        if (anyList ? header.curveTexture.dataOffset < RoundUp(position) : header.curveTexture.dataOffset != position)
            return "curve data misplaced";
        // Each list runs to the next section.
        uint64_t next = header.curveTexture.dataOffset;
        for (int32_t s = 9; s >= 0; --s)
        {
            if (listStart[s] == 0) continue;
            listEnd[s] = next;
            next = listStart[s];
        }
        if ((listStart[4] == 0) != (listStart[5] == 0)) return "one anchor list without the other";

        for (uint32_t g = 0; g < glyphCount; ++g)
        {
            if (std::string failure = Glyph(glyphs + uint64_t(g) * 128, false); !failure.empty())
                return "glyph " + std::to_string(g) + ": " + failure;
            if (outlineGlyphs != 0)
                if (std::string failure = Glyph(outlineGlyphs + uint64_t(g) * 128, true); !failure.empty())
                    return "outline glyph " + std::to_string(g) + ": " + failure;
        }
        for (uint32_t f = 0; f < header.count; ++f)
            if (std::string failure = Decorations(fonts[f], f); !failure.empty()) return failure;
        return "";
    }

private:
    static uint64_t RoundUp(uint64_t value) { return (value + 63) & ~uint64_t(63); }

    uint64_t Absolute(const VorlFontRecord &, uint32_t number, uint32_t offset) const
    {
        return offset != 0 ? 80 + uint64_t(number) * sizeof(VorlFontRecord) + offset : 0;
    }

    uint32_t Word(uint64_t offset) const
    {
        uint32_t value;
        std::memcpy(&value, file + offset, 4);
        return value;
    }

    std::string Texture(const TextureDescriptor &texture, uint32_t format, uint32_t texelSize, uint32_t maxRows,
                        std::vector<uint8_t> *texels) const
    {
        if (texture.format != format) return "texture format";
        if (texture.width != kWidth) return "texture width";
        if (texture.height == 0 || texture.height > maxRows) return "texture height";
        uint64_t size = uint64_t(texture.width) * texture.height * texelSize;
        uint64_t stored = size;
        if (texture.compression != 0)
        {
            if (texture.compression != kTextureCompressed || texture.compressedSize == 0 ||
                texture.compressedSize % 4 != 0 || texture.compressedSize >= size)
                return "compression fields";
            stored = texture.compressedSize;
        }
        else if (texture.compressedSize != 0)
            return "compressed size without compression";
        if (texture.dataOffset > fileSize || stored > fileSize - texture.dataOffset) return "texture data past the end";
        texels->resize(size_t(size));
        if (texture.compression != 0)
        {
            if (!DecompressData(file + texture.dataOffset, texture.compressedSize, texels->data(), uint32_t(size)))
                return "texture does not expand";
        }
        else
            std::memcpy(texels->data(), file + texture.dataOffset, size_t(size));
        return "";
    }

    std::string Textures()
    {
        const TextureDescriptor &curve = header.curveTexture;
        const TextureDescriptor &band = header.bandTexture;
        if (curve.dataOffset % 64 != 0) return "curve data not at a multiple of 64";
        if (std::string f = Texture(curve, kTexelFormatHalf4, 8, 2048, &curveTexels); !f.empty()) return "curve " + f;
        if (std::string f = Texture(band, kTexelFormatUint16x2, 4, 8192, &bandTexels); !f.empty()) return "band " + f;
        uint64_t curveStored = curve.compression != 0 ? RoundUp(curve.compressedSize) : uint64_t(curve.width) * curve.height * 8;
        if (band.dataOffset != curve.dataOffset + curveStored) return "band data does not follow the curve data";
        uint64_t bandStored = band.compression != 0 ? band.compressedSize : uint64_t(band.width) * band.height * 4;
        if (band.dataOffset + bandStored != fileSize) return "the file does not end with the band data";
        return "";
    }

    std::string Directory(const VorlFontRecord &font, uint64_t block, uint64_t *end) const
    {
        uint64_t entriesEnd = block + uint64_t(font.directoryCount) * 8;
        if (entriesEnd > fileSize) return "directory past the end";
        static const uint32_t kFixed[] = {'MTRC', 'TYPO', 'HITE', 'AXIS', 'BBOX', 'SUBS', 'SUPS', 'CLAS', 'SLNT'};
        static const uint32_t kSizes[] = {12, 12, 8, 4, 32, 16, 16, 8, 4};
        uint64_t item = entriesEnd;
        for (uint32_t i = 0; i < font.directoryCount; ++i)
        {
            uint64_t entry = block + uint64_t(i) * 8;
            uint32_t tag = Word(entry);
            if (entry + Word(entry + 4) != item) return "directory item out of order";
            uint64_t size = 0;
            if (i < 9)
            {
                if (tag != kFixed[i]) return "directory tag order";
                size = kSizes[i];
            }
            else if (tag == 'NAME' || tag == 'SNAM')
            {
                uint64_t length = 0;
                while (item + length < fileSize && file[item + length] != 0) ++length;
                size = (length + 1 + 3) & ~uint64_t(3);
            }
            else if (tag == 'UNDR' || tag == 'STRK' || tag == 'OTLN')
                size = 12;
            else if (tag == 'POLY')
                size = 8;
            else
                return "unknown directory tag";
            if (item + size > fileSize) return "directory item past the end";
            item += size;
        }
        *end = item;
        return "";
    }

    std::string CharacterMap(const VorlFontRecord &font, uint32_t number, uint64_t position, uint64_t *end) const
    {
        if (font.pageCount == 0 || font.pageCount > 0x1100) return "page index size";
        if (Absolute(font, number, font.pageIndexOffset) != position) return "page index misplaced";
        if (position + uint64_t(font.pageCount) * 2 > fileSize) return "page index past the end";
        int32_t nextPage = 0;
        for (uint32_t p = 0; p < font.pageCount; ++p)
        {
            int16_t page;
            std::memcpy(&page, file + position + p * 2, 2);
            if (page == kCharacterMapNoPage) continue;
            if (page != nextPage) return "page numbers out of order";
            ++nextPage;
        }
        int16_t last;
        std::memcpy(&last, file + position + (font.pageCount - 1) * 2, 2);
        if (font.pageCount > 1 && last == kCharacterMapNoPage) return "page index longer than its last page";
        uint64_t pages = RoundUp(position + uint64_t(font.pageCount) * 2);
        if (nextPage == 0)
        {
            *end = pages;
            return font.pagesOffset == 0 ? "" : "pages offset without pages";
        }
        if (Absolute(font, number, font.pagesOffset) != pages) return "pages misplaced";
        uint64_t entries = uint64_t(nextPage) * 256;
        if (pages + entries * 4 > fileSize) return "pages past the end";
        uint32_t glyphTotal = font.glyphCount;
        for (uint64_t i = 0; i < entries; ++i)
            if (Word(pages + i * 4) >= glyphTotal) return "character map names a glyph past the count";
        *end = pages + entries * 4;
        return "";
    }

    // A packed reference inside its list.
    std::string Reference(int32_t list, uint32_t index, uint32_t count, uint32_t entrySize) const
    {
        if (count == 0) return "";
        if (listStart[list] == 0) return "reference to an absent list " + std::to_string(list);
        uint64_t entries = (listEnd[list] - listStart[list]) / entrySize;
        if (uint64_t(index) + count > entries) return "reference past list " + std::to_string(list);
        return "";
    }

    // Band data of one glyph: bx + by headers in one row, each list inside one row of the band
    // texture, each listed curve inside the curve texture.
    std::string Bands(uint32_t column, uint32_t row, uint32_t headers) const
    {
        const TextureDescriptor &band = header.bandTexture;
        if (row >= band.height || column + uint64_t(headers) > band.width) return "band headers outside one row";
        for (uint32_t h = 0; h < headers; ++h)
        {
            uint32_t texel;
            std::memcpy(&texel, bandTexels.data() + (uint64_t(row) * band.width + column + h) * 4, 4);
            uint32_t count = texel & 0xFFFF;
            uint64_t start = uint64_t(row) * band.width + column + (texel >> 16);
            uint64_t listRow = start / band.width;
            if (count == 0) continue;
            if (listRow >= band.height || start % band.width + count > band.width) return "band list crosses a row";
            for (uint32_t i = 0; i < count; ++i)
            {
                uint32_t location;
                std::memcpy(&location, bandTexels.data() + (start + i) * 4, 4);
                uint32_t curveColumn = location & 0xFFFF;
                uint32_t curveRow = location >> 16;
                if (curveRow >= header.curveTexture.height || curveColumn + 1 >= header.curveTexture.width)
                    return "band list names a curve outside the curve texture";
            }
        }
        return "";
    }

    std::string Glyph(uint64_t offset, bool outline) const
    {
        VorlGlyphRecord glyph;
        std::memcpy(&glyph, file + offset, sizeof(glyph));
        if (glyph.reserved1 != 0 || glyph.reserved2[0] != 0 || glyph.reserved2[1] != 0) return "reserved words";
        uint32_t vertexCount = glyph.polygonWord & 0xF;
        if (vertexCount > 6 || (vertexCount != 0 && vertexCount < 3)) return "polygon vertex count";
        if (glyph.bandCountX != 0)
        {
            if (std::string f = Bands(glyph.bandColumn, glyph.bandRow, glyph.bandCountX + (glyph.bandWordY & 0xFFu)); !f.empty())
                return f;
        }
        else if (glyph.bandColumn != 0 || glyph.bandRow != 0 || glyph.bandWordY != 0)
            return "band fields without bands";
        if (outline && (glyph.curveCount != 0 || glyph.firstContour != 0 || glyph.layerWord != 0 || glyph.caretWord != 0))
            return "outline record with curves, layers or carets";
        struct Word
        {
            uint32_t value;
            bool packingA;
            int32_t list;
            uint32_t entrySize;
        };
        const Word words[] = {
            {glyph.decompositionWord, true, 2, 4}, {glyph.layerWord, true, 3, 8},   {glyph.baseAnchorWord, true, 4, 12},
            {glyph.markAnchorWord, true, 5, 12},   {glyph.kerningWord, false, 6, 8}, {glyph.alternateWord, false, 8, 8},
            {glyph.caretWord, true, 9, 4},
        };
        for (const Word &w : words)
        {
            uint32_t index = w.packingA ? ListIndexA(w.value) : ListIndexB(w.value);
            uint32_t count = w.packingA ? ListCountA(w.value) : ListCountB(w.value);
            if (count == 0 && w.value != 0) return "a list word with an index and no count";
            if (std::string f = Reference(w.list, index, count, w.entrySize); !f.empty()) return f;
        }
        if (std::string f = Sequences(glyph.sequenceWord); !f.empty()) return f;
        return Contours(glyph.firstContour, glyph.curveCount);
    }

    std::string Sequences(uint32_t word) const
    {
        uint32_t count = ListCountB(word);
        if (count == 0) return word == 0 ? "" : "a sequence word with an index and no count";
        if (listStart[7] == 0) return "sequences without a list";
        uint64_t words = (listEnd[7] - listStart[7]) / 4;
        uint64_t at = ListIndexB(word);
        for (uint32_t s = 0; s < count; ++s)
        {
            if (at + 2 > words) return "sequence past its list";
            SequenceEntryHead head;
            std::memcpy(&head, file + listStart[7] + at * 4, sizeof(head));
            uint64_t glyphWords = uint64_t(head.matchCount) + head.backtrackCount + head.lookaheadCount;
            uint64_t needed = 2 + glyphWords + uint64_t(head.ruleCount) * 2;
            if (head.length != needed || at + needed > words) return "sequence length";
            for (uint64_t i = 0; i < glyphWords; ++i)
            {
                uint32_t glyph = Word(listStart[7] + (at + 2 + i) * 4);
                if ((glyph & kSequenceGlyphSetBit) == 0)
                {
                    if (glyph >= glyphCount) return "sequence glyph past the count";
                    continue;
                }
                uint64_t set = glyph & ~kSequenceGlyphSetBit;
                if (listStart[0] == 0) return "glyph set without a pool";
                uint64_t poolWords = (listEnd[0] - listStart[0]) / 4;
                if (set >= poolWords || set + 1 + Word(listStart[0] + set * 4) > poolWords) return "glyph set past the pool";
            }
            for (uint32_t r = 0; r < head.ruleCount; ++r)
                if (Word(listStart[7] + (at + 2 + glyphWords + r * 2 + 1) * 4) >= glyphCount) return "rule glyph past the count";
            at += needed;
        }
        return "";
    }

    std::string Contours(uint32_t first, uint32_t curveCount) const
    {
        if (curveCount == 0) return first == 0 ? "" : "contour index without curves";
        if (listStart[1] == 0) return "curves without a contour list";
        uint64_t words = (listEnd[1] - listStart[1]) / 4;
        uint32_t done = 0;
        for (uint64_t at = first; done < curveCount; ++at)
        {
            if (at >= words) return "contour runs past their list";
            uint32_t run = Word(listStart[1] + at * 4);
            uint32_t count = ContourCurveCount(run);
            if (ContourRow(run) >= header.curveTexture.height || ContourColumn(run) + uint64_t(count) + 1 > header.curveTexture.width)
                return "contour run outside one row";
            done += count;
        }
        return done == curveCount ? "" : "contour runs do not add up to the curve count";
    }

    std::string Decorations(const VorlFontRecord &font, uint32_t number) const
    {
        uint64_t block = Absolute(font, number, font.directoryOffset);
        for (uint32_t i = 0; i < font.directoryCount; ++i)
        {
            uint64_t entry = block + uint64_t(i) * 8;
            uint32_t tag = Word(entry);
            if (tag != 'UNDR' && tag != 'STRK') continue;
            FontDataDecorationItem item;
            std::memcpy(&item, file + entry + Word(entry + 4), sizeof(item));
            if (std::string f = Bands(item.bandColumn, item.bandRow, 2); !f.empty()) return "decoration " + f;
        }
        return "";
    }

    const uint8_t *file;
    uint64_t fileSize;
    VorlFileHeader header;
    std::vector<uint8_t> curveTexels;
    std::vector<uint8_t> bandTexels;
    uint32_t glyphCount = 0;
    uint64_t glyphs = 0;
    uint64_t outlineGlyphs = 0;
    uint64_t listStart[10] = {};
    uint64_t listEnd[10] = {};
};

}  // namespace

std::string VerifyVorlFontFile(const void *image, size_t size)
{
    return Verifier(static_cast<const uint8_t *>(image), size).Run();
}

}  // namespace oq::test
