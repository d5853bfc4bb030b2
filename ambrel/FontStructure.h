#pragma once

#include "ambrel/CharacterTable.h"
#include "ambrel/TypographicStructure.h"

#include <cstdint>

namespace oq {

class GlyphStructure;

// Glyph table entries beyond the glyph count, for the glyphs that synthesis makes.
inline constexpr uint32_t kSpareGlyphCount = 10;
// Largest glyph count: glyph indexes live in bits 0-23 and 0xFF0000 up is reserved, with room for
// the spare glyphs.
inline constexpr uint32_t kMaxGlyphCount = 0xFF0000 - kSpareGlyphCount;

// Feature synthesis modes.
inline constexpr uint32_t kSynthesizeAlternates = 1;
inline constexpr uint32_t kSynthesizeTabularDigits = 2;
inline constexpr uint32_t kSynthesizeCarets = 4;

// Font: the glyphs, font-wide metrics, names and character maps of one font, or the shared glyphs
// of a collection whose member Fonts hold each face's own data.
class FontStructure : public TypographicStructure
{
public:
    FontStructure();
    ~FontStructure() override;

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    // Outlines, font lists, character lists, derived metrics and glyph reference links.
    void PrepareGlyphs(AmbrelDocument *document);
    void LinkGlyphReferences();

    // The character table of this Font or of its first member that maps the code point, or null.
    const CharacterTable *FindCharacterTable(uint32_t codePoint) const;

    // A new empty glyph table; kResultInvalidDataFormat (nothing changed) for a count above kMaxGlyphCount.
    [[nodiscard]] KettricResult SetGlyphCount(uint32_t count);
    void SetUnitsPerEm(float unitsPerEm);
    void AddMetricFloat(const char *key, float value);
    void AddMetricVector(const char *key, const float *value);
    void AddMetricInteger(const char *key, int32_t value);

    void SynthesizeFeatures(AmbrelDocument *document, uint32_t mode);
    void SynthesizeTabularGlyphs(uint32_t tag, int32_t count, const uint32_t *codePoints, AmbrelDocument *document);

    // The parent of a member Font, else this Font: the Font whose glyph table this one uses.
    FontStructure *GetGlyphFont();
    const FontStructure *GetGlyphFont() const;
    bool IsMemberFont() const;

    // The Glyph with this number in the glyph Font's table; null when the number is not below the
    // glyph count or there is no such Glyph.
    GlyphStructure *GetGlyph(uint32_t glyph) const;

    StructureListLink listLink;

    uint32_t glyphCount = 0;
    float inverseUnitsPerEm = 1.0f;
    float unitsPerEm = 1.0f;
    float unitsPerEmY = 1.0f;
    uint32_t familyClass = 0;
    const KettricStringList *nameStrings = nullptr;
    GlyphStructure **glyphTable = nullptr;
    uint32_t glyphTableSize = 0;
    // Present when the Font holds a CharMap.
    CharacterTable *characterTable = nullptr;
    float ascent = 0.0f;
    float descent = 0.0f;
    float lineGap = 0.0f;
    float typoAscent = 0.0f;
    float typoDescent = 0.0f;
    float typoLineGap = 0.0f;
    float capHeight = 0.0f;
    float exHeight = 0.0f;
    float mathAxisHeight = 0.0f;
    float subscriptScale[2] = {0.65f, 0.65f};
    float subscriptOffset[2] = {0.0f, -0.15f};
    float superscriptScale[2] = {0.65f, 0.65f};
    float superscriptOffset[2] = {0.0f, 0.45f};
    uint32_t weightClass = 0;
    uint32_t widthClass = 0;
    float slantAngle = 0.0f;
    float underlineSize = 0.05f;
    float underlinePosition = -0.1f;
    float strikethroughSize = 0.05f;
    float strikethroughPosition = 0.1746f;
    StructureList<FontStructure> memberFonts;

private:
    void AllocateGlyphTable(uint32_t size);
    void InsertMetric(class MetricStructure *metric);
    void SynthesizeAlternates();
    void SynthesizeCarets();
};

}  // namespace oq
