#include "VorlFontBuilder.h"

#include <cstring>

#include "base/Compression.h"
#include "base/Half.h"

namespace oq::test {

namespace {

// The growing file image with the writer's alignment rules.
class ImageWriter
{
public:
    std::vector<uint8_t> bytes;

    uint32_t Position() const { return uint32_t(bytes.size()); }
    void Align(uint32_t alignment) { bytes.resize((bytes.size() + alignment - 1) / alignment * alignment, 0); }

    uint32_t Append(const void *data, size_t size)
    {
        uint32_t position = Position();
        const uint8_t *source = static_cast<const uint8_t *>(data);
        if (size != 0) bytes.insert(bytes.end(), source, source + size);
        return position;
    }

    void Put(uint32_t position, const void *data, size_t size)
    {
        if (size != 0) std::memcpy(bytes.data() + position, data, size);
    }

    // A list section: 64-aligned, padded to 64; empty lists take no bytes (position 0).
    template <typename Type> uint32_t AppendList(const std::vector<Type> &list)
    {
        if (list.empty()) return 0;
        Align(64);
        uint32_t position = Append(list.data(), list.size() * sizeof(Type));
        Align(64);
        return position;
    }
};

uint32_t Relative(uint32_t position, uint32_t record) { return position != 0 ? position - record : 0; }

template <typename Type> uint32_t AppendEntries(std::vector<Type> &list, std::initializer_list<Type> entries)
{
    uint32_t first = uint32_t(list.size());
    list.insert(list.end(), entries.begin(), entries.end());
    return first;
}

// Texture data, compressed when asked and when the codec shrinks it; nothing is padded after it.
void WriteTexture(ImageWriter &image, TextureDescriptor &texture, const std::vector<uint8_t> &data, bool compress)
{
    texture.dataOffset = image.Position();
    std::vector<uint8_t> packed(data.size());
    uint32_t size = compress ? CompressData(data.data(), uint32_t(data.size()), packed.data()) : 0;
    if (size != 0)
    {
        texture.compression = kTextureCompressed;
        texture.compressedSize = size;
        image.Append(packed.data(), size);
    }
    else
    {
        image.Append(data.data(), data.size());
    }
}

}  // namespace

void VorlFontDescription::AddFloats(uint32_t tag, std::initializer_list<float> values)
{
    VorlFontItem item{tag, std::vector<uint8_t>(values.size() * 4)};
    if (values.size() != 0) std::memcpy(item.data.data(), values.begin(), item.data.size());
    items.push_back(item);
}

void VorlFontDescription::AddDecoration(uint32_t tag, float thickness, float position, uint16_t column, uint16_t row)
{
    FontDataDecorationItem decoration{thickness, position, column, row};
    VorlFontItem item{tag, std::vector<uint8_t>(sizeof(decoration))};
    std::memcpy(item.data.data(), &decoration, sizeof(decoration));
    items.push_back(item);
}

void VorlFontDescription::AddText(uint32_t tag, const char *text)
{
    items.push_back(VorlFontItem{tag, std::vector<uint8_t>(text, text + std::strlen(text) + 1)});
}

VorlFontDescription &VorlFontBuilder::AddFont()
{
    fonts.emplace_back();
    return fonts.back();
}

uint32_t VorlFontBuilder::AddGlyph(float advance)
{
    VorlGlyphRecord record{};
    record.advance = advance;
    glyphs.push_back(record);
    return uint32_t(glyphs.size() - 1);
}

uint32_t VorlFontBuilder::AddBoxGlyph(float advance, float x0, float y0, float x1, float y1)
{
    uint32_t glyph = AddGlyph(advance);
    float *box = glyphs[glyph].box;
    box[0] = x0;
    box[1] = y0;
    box[2] = x1;
    box[3] = y1;
    if (x1 > x0)
    {
        float mx = (x0 + x1) / 2;
        float my = (y0 + y1) / 2;
        SetContours(glyph, {{{x0, y0}, {mx, y0}, {x1, y0}, {x1, my}, {x1, y1}, {mx, y1}, {x0, y1}, {x0, my}, {x0, y0}}});
    }
    return glyph;
}

void VorlFontBuilder::SetDecomposition(uint32_t glyph, std::initializer_list<uint32_t> components)
{
    glyphs[glyph].decompositionWord = MakeListWordA(AppendEntries(decompositions, components), uint32_t(components.size()));
}

void VorlFontBuilder::SetLayers(uint32_t glyph, std::initializer_list<LayerListEntry> entries)
{
    glyphs[glyph].layerWord = MakeListWordA(AppendEntries(layers, entries), uint32_t(entries.size()));
}

void VorlFontBuilder::SetAnchors(uint32_t glyph, std::initializer_list<AnchorListEntry> base,
                                 std::initializer_list<AnchorListEntry> mark)
{
    if (base.size() != 0) glyphs[glyph].baseAnchorWord = MakeListWordA(AppendEntries(baseAnchors, base), uint32_t(base.size()));
    if (mark.size() != 0) glyphs[glyph].markAnchorWord = MakeListWordA(AppendEntries(markAnchors, mark), uint32_t(mark.size()));
}

void VorlFontBuilder::SetKerning(uint32_t glyph, std::initializer_list<KerningListEntry> entries)
{
    glyphs[glyph].kerningWord = MakeListWordB(AppendEntries(kerning, entries), uint32_t(entries.size()));
}

void VorlFontBuilder::SetAlternates(uint32_t glyph, std::initializer_list<AlternateListEntry> entries)
{
    glyphs[glyph].alternateWord = MakeListWordB(AppendEntries(alternates, entries), uint32_t(entries.size()));
}

void VorlFontBuilder::SetCarets(uint32_t glyph, std::initializer_list<float> positions)
{
    glyphs[glyph].caretWord = MakeListWordA(AppendEntries(carets, positions), uint32_t(positions.size()));
}

uint32_t VorlFontBuilder::AddGlyphSet(std::initializer_list<uint32_t> sortedGlyphs)
{
    uint32_t index = uint32_t(sequenceGlyphPool.size());
    sequenceGlyphPool.push_back(uint32_t(sortedGlyphs.size()));
    sequenceGlyphPool.insert(sequenceGlyphPool.end(), sortedGlyphs.begin(), sortedGlyphs.end());
    return index | kSequenceGlyphSetBit;
}

void VorlFontBuilder::SetSequences(uint32_t glyph, std::initializer_list<VorlSequenceDescription> entries)
{
    uint32_t first = uint32_t(sequences.size());
    for (const VorlSequenceDescription &entry : entries)
    {
        uint32_t glyphWords = uint32_t(entry.match.size() + entry.backtrack.size() + entry.lookahead.size());
        uint32_t ruleWords = entry.hasRule ? kSequenceRuleWords : 0;
        SequenceEntryHead head{entry.classBits, uint16_t(kSequenceHeadWords + glyphWords + ruleWords),
                               uint8_t(entry.match.size()), uint8_t(entry.backtrack.size()),
                               uint8_t(entry.lookahead.size()), uint8_t(entry.hasRule ? 1 : 0)};
        SequenceRule rule{entry.ruleKind, 0, entry.ruleGlyph};
        uint32_t words[2];
        std::memcpy(words, &head, sizeof(head));
        sequences.insert(sequences.end(), words, words + 2);
        sequences.insert(sequences.end(), entry.match.begin(), entry.match.end());
        sequences.insert(sequences.end(), entry.backtrack.begin(), entry.backtrack.end());
        sequences.insert(sequences.end(), entry.lookahead.begin(), entry.lookahead.end());
        std::memcpy(words, &rule, sizeof(rule));
        if (entry.hasRule) sequences.insert(sequences.end(), words, words + 2);
    }
    glyphs[glyph].sequenceWord = MakeListWordB(first, uint32_t(entries.size()));
}

void VorlFontBuilder::SetContours(uint32_t glyph, std::initializer_list<std::vector<Point2D>> chains)
{
    VorlGlyphRecord &record = glyphs[glyph];
    record.firstContour = uint32_t(contours.size());
    record.curveCount = 0;
    for (const std::vector<Point2D> &chain : chains)
    {
        uint32_t curveCount = uint32_t(chain.size() / 2);
        uint32_t texelCount = curveCount + 1;
        if (curveColumn + texelCount > curveWidth)
        {
            curveColumn = 0;
            ++curveRow;
        }
        contours.push_back(MakeContourWord(curveCount, curveColumn, curveRow));
        size_t first = (size_t(curveRow) * curveWidth + curveColumn) * 4;
        if (curveTexels.size() < first + texelCount * 4) curveTexels.resize(first + texelCount * 4, 0);
        for (uint32_t i = 0; i < chain.size(); ++i)
        {
            FloatToHalf(&curveTexels[first + i * 2], chain[i].x);
            FloatToHalf(&curveTexels[first + i * 2 + 1], chain[i].y);
        }
        curveColumn += texelCount;
        record.curveCount = uint16_t(record.curveCount + curveCount);
    }
}

void VorlFontBuilder::SetBands(uint32_t glyph, uint16_t column, uint16_t row, uint16_t countX, uint16_t countY)
{
    VorlGlyphRecord &record = glyphs[glyph];
    record.bandColumn = column;
    record.bandRow = row;
    record.bandCountX = countX;
    record.bandWordY = uint16_t((record.bandWordY & 0xFF00) | countY);
}

std::vector<uint8_t> VorlFontBuilder::Build() const
{
    ImageWriter image;
    VorlFileHeader header{};
    header.magic = kVorlFileMagic;
    header.version = kVorlFileVersion;
    std::memcpy(header.kind, "fnt", 4);
    header.count = uint32_t(fonts.size());
    image.Append(&header, sizeof(header));
    std::vector<VorlFontRecord> records(fonts.size(), VorlFontRecord{});
    image.Append(records.data(), records.size() * sizeof(VorlFontRecord));
    auto recordPosition = [](size_t font) { return uint32_t(sizeof(VorlFileHeader) + font * sizeof(VorlFontRecord)); };

    // Directory blocks: entries, then the items in the same order.
    image.Align(64);
    for (size_t f = 0; f < fonts.size(); ++f)
    {
        const VorlFontDescription &font = fonts[f];
        if (font.items.empty()) continue;
        uint32_t directory = image.Position();
        records[f].directoryCount = uint32_t(font.items.size());
        records[f].directoryOffset = directory - recordPosition(f);
        std::vector<FontDataDirectoryEntry> entries(font.items.size());
        image.Append(entries.data(), entries.size() * sizeof(FontDataDirectoryEntry));
        for (size_t i = 0; i < font.items.size(); ++i)
        {
            uint32_t entry = directory + uint32_t(i * sizeof(FontDataDirectoryEntry));
            entries[i] = FontDataDirectoryEntry{font.items[i].tag, image.Position() - entry};
            image.Append(font.items[i].data.data(), font.items[i].data.size());
            image.Align(4);
        }
        image.Put(directory, entries.data(), entries.size() * sizeof(FontDataDirectoryEntry));
    }
    image.Align(64);

    // Character maps: page index, padding, pages.
    for (size_t f = 0; f < fonts.size(); ++f)
    {
        const VorlFontDescription &font = fonts[f];
        uint32_t pageCount = font.pageCount;
        for (const auto &character : font.characters)
            if (font.pageCount == 0 && (character.first >> 8) + 1 > pageCount) pageCount = (character.first >> 8) + 1;
        if (pageCount == 0) pageCount = 1;
        std::vector<int16_t> index(pageCount, kCharacterMapNoPage);
        std::vector<uint32_t> pages;
        for (uint32_t p = 0; p < pageCount; ++p)
        {
            for (const auto &character : font.characters)
            {
                if ((character.first >> 8) != p) continue;
                if (index[p] < 0)
                {
                    index[p] = int16_t(pages.size() / kCharacterMapPageSize);
                    pages.resize(pages.size() + kCharacterMapPageSize, 0);
                }
                pages[size_t(index[p]) * kCharacterMapPageSize + (character.first & 0xFF)] = character.second;
            }
        }
        image.Align(64);
        records[f].pageCount = pageCount;
        records[f].pageIndexOffset = image.Append(index.data(), index.size() * 2) - recordPosition(f);
        image.Align(64);
        if (!pages.empty()) records[f].pagesOffset = image.Append(pages.data(), pages.size() * 4) - recordPosition(f);
    }

    // Shared sections: glyph records and lists, at file positions first.
    VorlFontRecord shared{};
    shared.glyphRecordOffset = image.AppendList(glyphs);
    shared.outlineGlyphRecordOffset = image.AppendList(outlineGlyphs);
    shared.sequenceGlyphPoolOffset = image.AppendList(sequenceGlyphPool);
    shared.contourListOffset = image.AppendList(contours);
    shared.decompositionListOffset = image.AppendList(decompositions);
    shared.layerListOffset = image.AppendList(layers);
    shared.baseAnchorListOffset = image.AppendList(baseAnchors);
    shared.markAnchorListOffset = image.AppendList(markAnchors);
    shared.kerningListOffset = image.AppendList(kerning);
    shared.sequenceListOffset = image.AppendList(sequences);
    shared.alternateListOffset = image.AppendList(alternates);
    shared.caretListOffset = image.AppendList(carets);
    for (size_t f = 0; f < fonts.size(); ++f)
    {
        records[f].glyphCount = uint32_t(glyphs.size());
        for (uint32_t VorlFontRecord::*field : kSharedSectionOffsets)
            records[f].*field = Relative(shared.*field, recordPosition(f));
    }
    image.Put(sizeof(VorlFileHeader), records.data(), records.size() * sizeof(VorlFontRecord));

    // Textures: curve data 64-aligned, band data after it; the band data ends the file.
    uint32_t curveTexelSize = curveFormat == kTexelFormatFloat4 ? 16 : 8;
    size_t curveCount = curveTexels.size() / 4;
    uint32_t curveHeight = uint32_t(curveCount == 0 ? 1 : (curveCount + curveWidth - 1) / curveWidth);
    uint32_t bandHeight = uint32_t(bandTexels.empty() ? 1 : (bandTexels.size() + bandWidth - 1) / bandWidth);
    header.curveTexture = TextureDescriptor{curveFormat, curveWidth, curveHeight, 0, 0, 0};
    header.bandTexture = TextureDescriptor{kTexelFormatUint16x2, bandWidth, bandHeight, 0, 0, 0};
    std::vector<uint8_t> curveData(size_t(curveWidth) * curveHeight * curveTexelSize, 0);
    if (curveTexelSize == 8)
    {
        if (!curveTexels.empty()) std::memcpy(curveData.data(), curveTexels.data(), curveTexels.size() * 2);
    }
    else
    {
        for (size_t i = 0; i < curveTexels.size(); ++i)
        {
            float value = HalfToFloat(&curveTexels[i]);
            std::memcpy(curveData.data() + i * 4, &value, 4);
        }
    }
    std::vector<uint8_t> bandData(size_t(bandWidth) * bandHeight * 4, 0);
    if (!bandTexels.empty()) std::memcpy(bandData.data(), bandTexels.data(), bandTexels.size() * 4);
    image.Align(64);
    WriteTexture(image, header.curveTexture, curveData, compressCurves);
    if (header.curveTexture.compression != 0) image.Align(64);
    WriteTexture(image, header.bandTexture, bandData, compressBands);
    image.Put(0, &header, sizeof(header));
    return image.bytes;
}

}  // namespace oq::test

namespace oq::test {

VorlFontBuilder MakeSampleVorlFont()
{
    VorlFontBuilder builder;
    builder.curveWidth = 64;
    builder.bandWidth = 64;
    for (uint32_t g = 0; g < kSampleGlyphCount; ++g) builder.AddGlyph(0.25F + 0.0625F * float(g));

    std::vector<Point2D> square = {{0, 0}, {0.5F, 0}, {1, 0}, {1, 0.5F}, {1, 1}, {0.5F, 1}, {0, 1}, {0, 0.5F}, {0, 0}};
    builder.SetContours(kSampleMissing, {square});
    builder.SetContours(kSampleA, {{{0, 0}, {0.25F, 0.5F}, {0.5F, 1}, {0.75F, 0.5F}, {1, 0}, {0.5F, 0}, {0, 0}},
                                   {{0.25F, 0.25F}, {0.5F, 0.5F}, {0.75F, 0.25F}, {0.5F, 0.25F}, {0.25F, 0.25F}}});
    builder.SetContours(kSampleB, {square});
    builder.glyphs[kSampleA].curveOrigin[0] = 0.125F;
    builder.glyphs[kSampleA].polygonWord = 0x0104;
    builder.SetBands(kSampleMissing, 0, 0, 1, 1);
    builder.SetBands(kSampleA, 2, 0, 2, 2);
    builder.SetBands(kSampleB, 0, 1, 1, 1);
    builder.bandTexels.assign(size_t(builder.bandWidth) * 2, 0);
    builder.bandTexels[0] = 1 | 2u << 16;
    builder.bandTexels[1] = 1 | 1u << 16;

    builder.SetKerning(kSampleB, {{kSampleA, -0.0625F}, {kSampleB, 0.03125F}});
    builder.SetKerning(kSampleI, {{kSampleF, 0.015625F}});
    builder.SetAlternates(kSampleA, {{0x10, kSampleVerticalA}, {0x30, kSampleB}, {3u << 24 | 0x200, kSampleNumeratorA}});
    builder.SetAlternates(kSampleVerticalA, {{0x10, kSampleNumeratorA}, {0x20, kSampleI}});
    builder.SetDecomposition(kSampleARing, {kSampleA, kSampleRing});
    builder.SetLayers(kSampleSmile, {{kSampleMissing, {255, 204, 0, 255}}, {kSampleRing, {0, 0, 0, 255}}});
    builder.SetAnchors(kSampleA, {{1, 0.5F, 1.0F}}, {});
    builder.SetAnchors(kSampleRing, {}, {{1, 0.25F, 0.0F}});
    builder.SetCarets(kSampleFi, {0.3125F});
    uint32_t lettersAB = builder.AddGlyphSet({kSampleA, kSampleB});
    builder.SetSequences(kSampleF, {VorlSequenceDescription{2, {kSampleI}, {}, {}, 0, kSampleFi},
                                    VorlSequenceDescription{1, {lettersAB}, {kSampleI}, {lettersAB, kSampleF}, 1, kSampleFi}});
    builder.SetSequences(kSampleI, {VorlSequenceDescription{8, {kSampleF}, {}, {}, 0, 0, false}});

    builder.outlineGlyphs = builder.glyphs;
    for (VorlGlyphRecord &record : builder.outlineGlyphs)
    {
        record.curveCount = 0;
        record.firstContour = 0;
        record.layerWord = 0;
        record.caretWord = 0;
    }

    VorlFontDescription &font = builder.AddFont();
    font.AddFloats('MTRC', {0.9F, -0.25F, 0.0625F});
    font.AddFloats('TYPO', {0.8F, -0.2F, 0.0625F});
    font.AddFloats('HITE', {0.7F, 0.5F});
    font.AddFloats('AXIS', {0.25F});
    font.AddFloats('BBOX', {0, 0, 1, 1, 0, 0, 0.5F, 0.25F});
    font.AddFloats('SUBS', {0.7F, 0.7F, 0.0F, -0.15F});
    font.AddFloats('SUPS', {0.7F, 0.7F, 0.0F, 0.35F});
    font.AddFloats('CLAS', {0, 0});
    font.AddFloats('SLNT', {0.0F});
    font.AddText('NAME', "Sample");
    font.AddText('SNAM', "Regular");
    font.AddDecoration('UNDR', 0.05F, -0.1F, 4, 0);
    font.AddDecoration('STRK', 0.05F, 0.3F, 6, 0);
    font.AddFloats('OTLN', {0.03125F, 4.0F, 0});
    font.Map(0, kSampleMissing);
    font.Map('A', kSampleA);
    font.Map('B', kSampleB);
    font.Map('f', kSampleF);
    font.Map('i', kSampleI);
    font.Map(0xFF, kSampleB);
    font.Map(0xC5, kSampleARing);
    font.Map(0x30A, kSampleRing);
    font.Map(0x3FF, kSampleI);
    font.Map(0x1F600, kSampleSmile);

    VorlFontDescription &second = builder.AddFont();
    second.AddFloats('SUBS', {0.6F, 0.6F, 0.0F, -0.1F});
    second.AddFloats('SUPS', {0.6F, 0.6F, 0.0F, 0.4F});
    second.AddFloats('OTLN', {0.03125F, 4.0F, 0});
    second.Map('B', kSampleA);
    second.Map('A', kSampleB);
    return builder;
}

}  // namespace oq::test
