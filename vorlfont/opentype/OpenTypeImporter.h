#pragma once

#include "vorlfont/opentype/EntryKeySet.h"
#include "vorlfont/opentype/FontBytes.h"
#include "vorlfont/opentype/FontHeaderTables.h"
#include "vorlfont/opentype/LayoutCommon.h"

#include <cstdint>

namespace oq {

class AmbrelDocument;
class FontStructure;
class GlyphStructure;
class KettricStructure;
struct ColorPalettes;
struct GlyphClass;

// The state of one font import; its methods are the reading steps. The glyph Font holds the
// Glyphs (the parent of a shared collection), the face Font receives one face's own data.
class OpenTypeImporter
{
public:
    explicit OpenTypeImporter(const FontBytes &file) : fileImage(file) {}

    [[nodiscard]] uint32_t ReadHeaderTables(uint64_t offsetTable, FontStructure *glyphFont);
    [[nodiscard]] uint32_t ReadNameTable(uint64_t offsetTable, FontStructure *faceFont);
    [[nodiscard]] uint32_t ReadFontMetrics(uint64_t offsetTable, FontStructure *glyphFont, FontStructure *faceFont);
    [[nodiscard]] uint32_t ReadCharacterMap(uint64_t offsetTable, FontStructure *glyphFont, FontStructure *faceFont);
    [[nodiscard]] uint32_t ReadHorizontalMetrics(uint64_t offsetTable, FontStructure *glyphFont);
    // Carets, kerning, alternates, ligatures, mark anchors and colour glyphs, each only when the
    // one before returned 0.
    [[nodiscard]] uint32_t ReadGlyphFeatures(uint64_t offsetTable, FontStructure *glyphFont);
    [[nodiscard]] uint32_t ReadOutlines(uint64_t offsetTable, FontStructure *glyphFont);

    // One face that is both glyph Font and face Font, appended to the document.
    [[nodiscard]] uint32_t ImportFace(uint64_t offsetTable, AmbrelDocument *document);
    // The faces of a collection that share the first face's glyphs.
    [[nodiscard]] uint32_t ImportSharedCollection(uint32_t faceCount, AmbrelDocument *document);

private:
    [[nodiscard]] uint32_t ReadLigatureCarets(uint64_t offsetTable, FontStructure *glyphFont);
    [[nodiscard]] uint32_t ReadKerning(uint64_t offsetTable, FontStructure *glyphFont);
    [[nodiscard]] uint32_t ReadAlternates(uint64_t offsetTable, FontStructure *glyphFont);
    [[nodiscard]] uint32_t ReadLigatures(uint64_t offsetTable, FontStructure *glyphFont);
    [[nodiscard]] uint32_t ReadMarkAnchors(uint64_t offsetTable, FontStructure *glyphFont);
    [[nodiscard]] uint32_t ReadColorGlyphs(uint64_t offsetTable, FontStructure *glyphFont);

    // Resets the per-font limits and pair set when the glyph Font changes.
    void BeginGlyphFeatures(FontStructure *glyphFont);
    // The face's 'GPOS' or 'GSUB' with its lists checked; an empty table when the face has none.
    [[nodiscard]] uint32_t OpenLayoutTable(uint64_t offsetTable, uint32_t tag, LayoutTable *layout);
    // Adds to the work of the layout steps; false past their budget.
    [[nodiscard]] bool ChargeLayoutWork(int64_t amount);
    // One pair subtable of a lookup; covered holds the pairs of the lookup's earlier subtables
    // and receives this one's.
    [[nodiscard]] uint32_t ReadPairSubtable(const FontBytes &table, uint64_t subtable, bool vertical,
                                            PairCoverage *covered, FontStructure *glyphFont);
    // One mark-to-base or mark-to-mark subtable with class indices from *counter on.
    [[nodiscard]] uint32_t ReadMarkSubtable(const FontBytes &gpos, uint64_t subtable, uint32_t *counter,
                                            FontStructure *glyphFont);
    // The substitution walk of the alternates step or the ligatures step.
    [[nodiscard]] uint32_t WalkSubstitutions(uint64_t offsetTable, FontStructure *glyphFont, bool ligatures);
    [[nodiscard]] uint32_t ReadAlternateSubtable(const FontBytes &gsub, uint32_t tag, uint32_t type, uint64_t subtable,
                                                 FontStructure *glyphFont);
    [[nodiscard]] uint32_t ReadLigatureSubtable(const LayoutTable &layout, uint32_t tag, uint32_t type,
                                                uint64_t subtable, FontStructure *glyphFont);
    [[nodiscard]] uint32_t ReadContextSubtable(const LayoutTable &layout, uint64_t subtable, FontStructure *glyphFont);
    [[nodiscard]] uint32_t AddSingleAlternate(GlyphStructure *glyph, uint32_t tag, uint32_t replacement);
    [[nodiscard]] uint32_t AddContextEntry(const LayoutTable &layout, uint32_t lookupIndex, uint32_t input,
                                           int32_t backtrackCount, const GlyphClass *backtrack,
                                           int32_t lookaheadCount, const GlyphClass *lookahead);
    // The version-1 BaseGlyphList of a colour table.
    [[nodiscard]] uint32_t ReadColorPaints(const FontBytes &colr, FontStructure *glyphFont,
                                           const ColorPalettes &palettes);
    // Counts made substitution items; false past their cap or the work budget.
    [[nodiscard]] bool CountSubstitutionItems(int64_t count);
    [[nodiscard]] uint32_t AddKern(FontStructure *glyphFont, uint32_t second, uint32_t first, int32_t value,
                                   bool vertical);
    [[nodiscard]] uint32_t AddAnchor(GlyphStructure *glyph, bool base, uint32_t classIndex, const FontBytes &table,
                                     uint64_t anchor);

    FontBytes fileImage;
    FontHeader header;
    FontStructure *featureFont = nullptr;
    GlyphPairSet kernPairs;
    int64_t layoutWork = 0;
    GlyphPairSet anchorClasses;
    int64_t substitutionItems = 0;
    // Alternates, ligatures and context entries made, standing for the Glyph's find operations.
    EntryKeySet substitutionEntries;
    bool colorGlyphsRead = false;
};

// Palette colours above which a palette table is taken as damaged.
inline constexpr uint64_t kMaxPaletteColors = 1 << 20;

// The palettes of a colour table: entry e of palette p is colors[4 (p entryCount + e)], as red,
// green, blue, alpha bytes.
struct ColorPalettes
{
    uint32_t entryCount = 0;
    uint32_t paletteCount = 0;
    Array<uint8_t> colors;
};

// Reads the palettes and adds the "light_palette" and "dark_palette" Metrics: 'CRPT' without
// palettes or entries, past the colour cap, or when records or palette types lie outside.
[[nodiscard]] uint32_t ReadPalettes(const FontBytes &cpal, FontStructure *glyphFont, ColorPalettes *palettes);

// Limits of a paint graph walk: nesting depth, and paints visited per colour table.
inline constexpr int32_t kMaxPaintDepth = 64;
inline constexpr int32_t kMaxPaintVisits = 1 << 20;

// The walk of version-1 paint graphs of one colour table.
struct ColorPaintReader
{
    const FontBytes &colr;
    const ColorPalettes &palettes;
    uint64_t layerList;
    float scale;
    uint32_t glyphCount;
    int32_t visitCount = 0;

    // Appends the paint's structures to the parent: 0, or 'CRPT' for an offset past the table, a
    // layer index past the LayerList, or a walk past the depth or visit limit.
    [[nodiscard]] uint32_t Convert(KettricStructure *parent, uint64_t paint, int32_t depth);
    // The paint-relative 24-bit offset at the position, or the table size when it points outside.
    uint64_t CheckedChild(uint64_t paint, uint64_t at) const;
};

// Appends a Stop with the stop offsets and a Color of linear stop colours to the Gradient.
uint32_t ReadColorLine(KettricStructure *gradient, const FontBytes &colr, uint64_t line, const ColorPalettes &palettes);

// The glyph that the lookup's single substitutions give for the glyph: 0 for none, -1 when an
// offset points at or past the table's end.
[[nodiscard]] int32_t FindSingleSubstitution(const LayoutTable &layout, uint64_t lookup, uint32_t glyph);

// Gives the Font one Glyph per glyph index, stored in its glyph table and appended in order.
void AddGlyphStructures(FontStructure *font);

// Imports a TrueType or OpenType font or collection of size bytes into the document: 0, or the
// code of the first failure (what was made until then stays in the document).
[[nodiscard]] uint32_t ImportOpenTypeFont(const void *data, uint64_t size, AmbrelDocument *document);

}  // namespace oq
