#pragma once

#include "vorlfont/opentype/FontBytes.h"
#include "vorlfont/opentype/FontHeaderTables.h"
#include "vorlfont/opentype/LayoutCommon.h"

#include <cstdint>

namespace oq {

class AmbrelDocument;
class FontStructure;
class GlyphStructure;

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
    [[nodiscard]] uint32_t ReadAlternates(uint64_t, FontStructure *) { return 0; }
    [[nodiscard]] uint32_t ReadLigatures(uint64_t, FontStructure *) { return 0; }
    [[nodiscard]] uint32_t ReadMarkAnchors(uint64_t offsetTable, FontStructure *glyphFont);
    [[nodiscard]] uint32_t ReadColorGlyphs(uint64_t, FontStructure *) { return 0; }

    // Resets the per-font limits and pair set when the glyph Font changes.
    void BeginGlyphFeatures(FontStructure *glyphFont);
    // Adds to the work of the layout steps; false past their budget.
    [[nodiscard]] bool ChargeLayoutWork(int64_t amount);
    [[nodiscard]] uint32_t ReadPairSubtable(const FontBytes &table, uint64_t subtable, bool vertical,
                                            FontStructure *glyphFont);
    // One mark-to-base or mark-to-mark subtable with class indices from *counter on.
    [[nodiscard]] uint32_t ReadMarkSubtable(const FontBytes &gpos, uint64_t subtable, uint32_t *counter,
                                            FontStructure *glyphFont);
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
};

// Gives the Font one Glyph per glyph index, stored in its glyph table and appended in order.
void AddGlyphStructures(FontStructure *font);

// Imports a TrueType or OpenType font or collection of size bytes into the document: 0, or the
// code of the first failure (what was made until then stays in the document).
[[nodiscard]] uint32_t ImportOpenTypeFont(const void *data, uint64_t size, AmbrelDocument *document);

}  // namespace oq
