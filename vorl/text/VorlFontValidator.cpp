#include "vorl/text/VorlFontValidator.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "vorl/text/PolygonWord.h"
#include "vorl/text/VorlFileFontRecord.h"
#include "vorl/text/VorlFileHeader.h"

namespace oq {

namespace {

// A zero-filled array of the validator, made anew for each file. It comes from the standard
// library, not the program's heap, so that worker threads may validate files too.
template <typename Type> class ZeroedArray
{
public:
    void Reset(uint64_t count) { values.assign(size_t(count), Type(0)); }

    Type &operator[](uint64_t index) { return values[size_t(index)]; }
    const Type &operator[](uint64_t index) const { return values[size_t(index)]; }

private:
    std::vector<Type> values;
};

// One bit per 32-bit word of a list, marking words already checked.
class WordBitmap
{
public:
    void Reset(uint64_t words) { bits.Reset(words / 8 + 1); }
    bool Get(uint64_t word) const { return (bits[word >> 3] >> (word & 7) & 1) != 0; }
    void Set(uint64_t word) { bits[word >> 3] = uint8_t(bits[word >> 3] | 1 << (word & 7)); }

private:
    ZeroedArray<uint8_t> bits;
};

// A list of fixed-size entries that glyph records index: where it starts and how far they reach.
struct ListExtent
{
    uint64_t start = 0;       // file offset, 0 when the font has no such list
    uint64_t end = 0;         // entries that some glyph record reaches
};

// Size of the known directory items; other items must hold at least one word.
uint32_t GetItemSize(uint32_t tag)
{
    switch (tag)
    {
    case 'SUBS':
    case 'SUPS': return 16;
    case 'UNDR':
    case 'STRK':
    case 'OTLN':
    case 'MTRC':
    case 'TYPO': return 12;
    case 'HITE':
    case 'CLAS':
    case 'POLY': return 8;
    case 'BBOX': return 32;
    default: return 4;
    }
}

class VorlFontValidator
{
public:
    VorlFontValidator(const uint8_t *image, uint64_t size) : file(image), fileSize(size) {}

    bool Validate()
    {
        if (fileSize < sizeof(VorlFileHeader) || reinterpret_cast<uintptr_t>(file) % 4 != 0) return false;
        std::memcpy(&header, file, sizeof(header));
        if (!ValidateTexture(header.curveTexture, header.curveTexture.format == kTexelFormatFloat4 ? 16 : 8,
                             kMaxVorlCurveTextureRows))
            return false;
        if (!ValidateTexture(header.bandTexture, 4, kMaxVorlBandTextureRows)) return false;
        if (header.count == 0 || !Inside(sizeof(VorlFileHeader), uint64_t(header.count) * sizeof(VorlFontRecord))) return false;
        for (uint32_t i = 0; i < header.count; ++i)
        {
            if (!ValidateFont(sizeof(VorlFileHeader) + uint64_t(i) * sizeof(VorlFontRecord))) return false;
        }
        return true;
    }

private:
    bool Inside(uint64_t offset, uint64_t bytes) const { return offset <= fileSize && bytes <= fileSize - offset; }

    uint32_t Word(uint64_t offset) const
    {
        uint32_t value;
        std::memcpy(&value, file + offset, 4);
        return value;
    }

    bool ValidateTexture(const TextureDescriptor &texture, uint32_t texelSize, uint32_t maxRows) const
    {
        return IsVorlTextureInFile(texture, texelSize, maxRows, fileSize);
    }

    // A texel run of count texels from (column, row) that stays inside one row of the texture.
    static bool IsRunInRow(const TextureDescriptor &texture, uint32_t column, uint32_t row, uint32_t count)
    {
        return row < texture.height && uint64_t(column) + count <= texture.width;
    }

    // A record offset that names 4-byte aligned data inside the file; absolute offset out.
    bool Locate(uint32_t offset, uint64_t &absolute) const
    {
        if (offset == 0 || offset % 4 != 0) return false;
        absolute = record + offset;
        return absolute <= fileSize;
    }

    // The first font brings the glyph records and lists that every font of the file shares; each
    // font has its own directory and character map.
    bool ValidateFont(uint64_t recordOffset)
    {
        record = recordOffset;
        std::memcpy(&font, file + record, sizeof(font));
        if (record == sizeof(VorlFileHeader))
        {
            if (!ValidateSharedSections()) return false;
        }
        else if (!SharesSections())
        {
            return false;
        }
        return ValidateDirectory() && ValidateCharacterMap();
    }

    // A record offset as a file position, 0 for offset 0.
    uint64_t Position(uint32_t offset) const { return offset != 0 ? record + offset : 0; }

    // A later font names the same glyph records and lists as the first one, so they are checked
    // once however many fonts the file holds.
    bool SharesSections() const
    {
        if (font.glyphCount != glyphCount) return false;
        for (int i = 0; i < kSharedSectionCount; ++i)
        {
            if (Position(font.*kSharedSectionOffsets[i]) != sharedPositions[i]) return false;
        }
        return true;
    }

    // Fonts' own directories and character maps lie apart, so together they fit in the file;
    // fonts that share theirs beyond that would only multiply the work.
    bool ClaimOwnBytes(uint64_t bytes)
    {
        ownBytes += bytes;
        return ownBytes <= fileSize;
    }

    // One past the last zero byte of the file: a text that starts before it ends inside the file.
    uint64_t GetTextEnd()
    {
        if (!textEndKnown)
        {
            textEnd = fileSize;
            while (textEnd != 0 && file[textEnd - 1] != 0) --textEnd;
            textEndKnown = true;
        }
        return textEnd;
    }

    bool ValidateSharedSections()
    {
        for (int i = 0; i < kSharedSectionCount; ++i) sharedPositions[i] = Position(font.*kSharedSectionOffsets[i]);
        glyphCount = font.glyphCount;
        if (glyphCount == 0) return false;
        if (!Locate(font.glyphRecordOffset, glyphs) || !Inside(glyphs, uint64_t(glyphCount) * sizeof(VorlGlyphRecord)))
            return false;
        outlineGlyphs = 0;
        if (font.outlineGlyphRecordOffset != 0 &&
            (!Locate(font.outlineGlyphRecordOffset, outlineGlyphs) ||
             !Inside(outlineGlyphs, uint64_t(glyphCount) * sizeof(VorlGlyphRecord))))
            return false;

        uint32_t offsets[] = {font.decompositionListOffset, font.layerListOffset, font.baseAnchorListOffset,
                              font.markAnchorListOffset, font.caretListOffset, font.kerningListOffset,
                              font.alternateListOffset};
        for (int i = 0; i < kListCount; ++i)
        {
            lists[i] = ListExtent();
            if (offsets[i] != 0 && !Locate(offsets[i], lists[i].start)) return false;
        }
        contours = pool = sequences = 0;
        if (font.contourListOffset != 0 && !Locate(font.contourListOffset, contours)) return false;
        contourWords = contours != 0 ? (fileSize - contours) / 4 : 0;
        contourWordsRead = 0;
        contourChecked.Reset(contourWords + 1);
        if (font.sequenceGlyphPoolOffset != 0 && !Locate(font.sequenceGlyphPoolOffset, pool)) return false;
        if (font.sequenceListOffset != 0 && !Locate(font.sequenceListOffset, sequences)) return false;
        poolChecked.Reset(pool != 0 ? (fileSize - pool) / 4 : 0);
        sequenceChecked.Reset(sequences != 0 ? (fileSize - sequences) / 4 : 0);

        for (uint32_t g = 0; g < glyphCount; ++g)
        {
            if (!ValidateGlyph(glyphs + uint64_t(g) * sizeof(VorlGlyphRecord))) return false;
            if (outlineGlyphs != 0 && !ValidateGlyph(outlineGlyphs + uint64_t(g) * sizeof(VorlGlyphRecord))) return false;
        }
        return ValidateListEntries();
    }

    bool ValidateDirectory()
    {
        bool hasOutline = false;
        if (font.directoryCount != 0)
        {
            uint64_t directory;
            if (!Locate(font.directoryOffset, directory) ||
                !Inside(directory, uint64_t(font.directoryCount) * sizeof(FontDataDirectoryEntry)) ||
                !ClaimOwnBytes(uint64_t(font.directoryCount) * sizeof(FontDataDirectoryEntry)))
                return false;
            for (uint32_t i = 0; i < font.directoryCount; ++i)
            {
                uint64_t entry = directory + uint64_t(i) * sizeof(FontDataDirectoryEntry);
                uint32_t tag = Word(entry);
                uint32_t offset = Word(entry + 4);
                uint64_t item = entry + offset;
                if (offset % 4 != 0 || !Inside(item, GetItemSize(tag))) return false;
                if ((tag == 'NAME' || tag == 'SNAM') && item >= GetTextEnd()) return false;
                if (tag == 'UNDR' || tag == 'STRK')
                {
                    FontDataDecorationItem decoration;
                    std::memcpy(&decoration, file + item, sizeof(decoration));
                    if (!IsRunInRow(header.bandTexture, decoration.bandColumn, decoration.bandRow, 2)) return false;
                }
                if (tag == 'OTLN') hasOutline = true;
            }
        }
        // Every font with outline glyph records says how large the outline is.
        return font.outlineGlyphRecordOffset == 0 || hasOutline;
    }

    bool ValidateCharacterMap()
    {
        if (font.pageCount == 0) return true;
        uint64_t index;
        if (!Locate(font.pageIndexOffset, index) || !Inside(index, uint64_t(font.pageCount) * 2) ||
            !ClaimOwnBytes(uint64_t(font.pageCount) * 2))
            return false;
        int32_t lastPage = -1;
        for (uint32_t p = 0; p < font.pageCount; ++p)
        {
            int16_t number;
            std::memcpy(&number, file + index + uint64_t(p) * 2, 2);
            if (number > lastPage) lastPage = number;
        }
        if (lastPage < 0) return true;
        uint64_t pages;
        uint64_t entries = uint64_t(lastPage + 1) * kCharacterMapPageSize;
        if (!Locate(font.pagesOffset, pages) || !Inside(pages, entries * 4) || !ClaimOwnBytes(entries * 4)) return false;
        for (uint64_t i = 0; i < entries; ++i)
        {
            if (Word(pages + i * 4) >= glyphCount) return false;
        }
        return true;
    }

    // Records how far a glyph's list word reaches; the entries are checked once per list.
    bool Reach(ListExtent &list, uint32_t index, uint32_t count)
    {
        if (count == 0) return true;
        if (list.start == 0) return false;
        uint64_t end = uint64_t(index) + count;
        if (end > list.end) list.end = end;
        return true;
    }

    bool ValidateGlyph(uint64_t offset)
    {
        VorlGlyphRecord glyph;
        std::memcpy(&glyph, file + offset, sizeof(glyph));
        if (glyph.bandCountX != 0 &&
            !IsRunInRow(header.bandTexture, glyph.bandColumn, glyph.bandRow, glyph.bandCountX + (glyph.bandWordY & 0xFFu)))
            return false;
        if (!IsValidPolygonWord(glyph.polygonWord)) return false;
        if (!ValidateContours(glyph.firstContour, glyph.curveCount)) return false;
        if (!Reach(lists[kDecompositions], ListIndexA(glyph.decompositionWord), ListCountA(glyph.decompositionWord)) ||
            !Reach(lists[kLayers], ListIndexA(glyph.layerWord), ListCountA(glyph.layerWord)) ||
            !Reach(lists[kBaseAnchors], ListIndexA(glyph.baseAnchorWord), ListCountA(glyph.baseAnchorWord)) ||
            !Reach(lists[kMarkAnchors], ListIndexA(glyph.markAnchorWord), ListCountA(glyph.markAnchorWord)) ||
            !Reach(lists[kCarets], ListIndexA(glyph.caretWord), ListCountA(glyph.caretWord)) ||
            !Reach(lists[kKerning], ListIndexB(glyph.kerningWord), ListCountB(glyph.kerningWord)) ||
            !Reach(lists[kAlternates], ListIndexB(glyph.alternateWord), ListCountB(glyph.alternateWord)))
            return false;
        return ValidateSequences(ListIndexB(glyph.sequenceWord), ListCountB(glyph.sequenceWord));
    }

    // The runs that hold the glyph's curves: each word inside the list, the texels that its
    // curves use inside one row of the curve texture. A glyph drawn with another glyph's curves
    // repeats its first contour and curve count, which were checked already; other glyphs' runs
    // lie apart, so all the runs read together fit in the file.
    bool ValidateContours(uint64_t index, uint32_t curveCount)
    {
        if (curveCount == 0) return true;
        if (contours == 0 || index >= contourWords) return false;
        if (contourChecked[index] >= curveCount) return true;
        uint32_t done = 0;
        for (uint64_t word = contours + index * 4; done < curveCount; word += 4)
        {
            if (!Inside(word, 4) || ++contourWordsRead > contourWords) return false;
            uint32_t run = Word(word);
            uint32_t used = ContourCurveCount(run);
            if (used > curveCount - done) used = curveCount - done;
            if (!IsRunInRow(header.curveTexture, ContourColumn(run), ContourRow(run), used + 1)) return false;
            done += used;
        }
        contourChecked[index] = uint16_t(curveCount);
        return true;
    }

    bool IsGlyph(uint32_t glyph) const { return glyph < glyphCount; }

    // A match, backtrack or lookahead word: a glyph, or a glyph set of the pool.
    bool ValidateSequenceGlyphWord(uint32_t word)
    {
        if ((word & kSequenceGlyphSetBit) == 0) return IsGlyph(word);
        uint64_t index = word & ~kSequenceGlyphSetBit;
        if (pool == 0 || !Inside(pool + index * 4, 4)) return false;
        if (poolChecked.Get(index)) return true;
        uint32_t count = Word(pool + index * 4);
        uint64_t first = pool + (index + 1) * 4;
        if (!Inside(first, uint64_t(count) * 4)) return false;
        for (uint32_t i = 0; i < count; ++i)
        {
            if (!IsGlyph(Word(first + uint64_t(i) * 4))) return false;
        }
        poolChecked.Set(index);
        return true;
    }

    // The glyph's consecutive sequence entries: each at least its fixed words and glyph words
    // long and inside the file, every glyph and glyph set valid.
    bool ValidateSequences(uint64_t index, uint32_t count)
    {
        if (count == 0) return true;
        if (sequences == 0) return false;
        for (uint32_t s = 0; s < count; ++s)
        {
            uint64_t entry = sequences + index * 4;
            if (!Inside(entry, sizeof(SequenceEntryHead))) return false;
            SequenceEntryHead head;
            std::memcpy(&head, file + entry, sizeof(head));
            if (!sequenceChecked.Get(index))
            {
                // Only the first rule is read; an entry without rules has no rule words.
                uint32_t glyphWords = uint32_t(head.matchCount) + head.backtrackCount + head.lookaheadCount;
                uint32_t ruleWords = head.ruleCount != 0 ? kSequenceRuleWords : 0;
                if (head.length < kSequenceHeadWords + glyphWords + ruleWords || !Inside(entry, uint64_t(head.length) * 4))
                    return false;
                for (uint32_t i = 0; i < glyphWords; ++i)
                {
                    if (!ValidateSequenceGlyphWord(Word(entry + 8 + uint64_t(i) * 4))) return false;
                }
                if (ruleWords != 0 && !IsGlyph(Word(entry + 8 + uint64_t(glyphWords) * 4 + 4))) return false;
                sequenceChecked.Set(index);
            }
            index += head.length;
        }
        return true;
    }

    // The entries that the glyph records reach, checked once per list.
    bool ValidateListEntries()
    {
        static const uint32_t entrySizes[kListCount] = {4, 8, 12, 12, 4, 8, 8};
        for (int i = 0; i < kListCount; ++i)
        {
            if (lists[i].end != 0 && !Inside(lists[i].start, lists[i].end * entrySizes[i])) return false;
        }
        // The glyph of a decomposition entry, of a layer, of a kerning pair and of an alternate.
        const int glyphLists[] = {kDecompositions, kLayers, kKerning, kAlternates};
        const uint32_t glyphFields[] = {0, 0, 0, 4};
        for (int k = 0; k < 4; ++k)
        {
            const ListExtent &list = lists[glyphLists[k]];
            uint32_t entrySize = entrySizes[glyphLists[k]];
            for (uint64_t i = 0; i < list.end; ++i)
            {
                if (!IsGlyph(Word(list.start + i * entrySize + glyphFields[k]))) return false;
            }
        }
        return true;
    }

    enum { kDecompositions, kLayers, kBaseAnchors, kMarkAnchors, kCarets, kKerning, kAlternates, kListCount };

    const uint8_t *file;
    uint64_t fileSize;
    VorlFileHeader header;

    // The font being checked.
    uint64_t record = 0;
    VorlFontRecord font;
    uint32_t glyphCount = 0;
    uint64_t glyphs = 0;
    uint64_t outlineGlyphs = 0;
    uint64_t contours = 0;
    uint64_t contourWords = 0;       // words from the ContourList to the end of the file
    uint64_t contourWordsRead = 0;
    ZeroedArray<uint16_t> contourChecked;   // per contour word: the largest curve count checked from it
    uint64_t pool = 0;
    uint64_t sequences = 0;
    ListExtent lists[kListCount];
    WordBitmap poolChecked;
    WordBitmap sequenceChecked;

    // What the fonts share and what each has of its own.
    uint64_t sharedPositions[kSharedSectionCount] = {};
    uint64_t ownBytes = 0;
    uint64_t textEnd = 0;
    bool textEndKnown = false;
};

}  // namespace

bool IsVorlTextureInFile(const TextureDescriptor &texture, uint32_t texelSize, uint32_t maxRows, uint64_t fileSize)
{
    // The codec's largest expansion: a 4-byte match code writes at most 65827 bytes.
    const uint64_t longestMatch = 65827;
    const uint64_t codeBytesPerLongestMatch = 4;
    if (texture.width == 0 || texture.height == 0) return false;
    if (texture.width > kMaxVorlTextureWidth || texture.height > maxRows) return false;
    uint64_t expanded = uint64_t(texture.width) * texture.height * texelSize;
    if (expanded > UINT32_MAX) return false;
    auto inside = [fileSize](uint64_t offset, uint64_t bytes) { return offset <= fileSize && bytes <= fileSize - offset; };
    if (texture.compression != 0)
        return texture.compressedSize != 0 && inside(texture.dataOffset, texture.compressedSize) &&
               expanded * codeBytesPerLongestMatch <= uint64_t(texture.compressedSize) * longestMatch;
    return inside(texture.dataOffset, expanded);
}

bool ValidateVorlFontFile(const void *image, size_t size)
{
    if (image == nullptr) return false;
    VorlFontValidator validator(static_cast<const uint8_t *>(image), size);
    return validator.Validate();
}

}  // namespace oq
