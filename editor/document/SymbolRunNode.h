#pragma once

#include "base/Matrix2D.h"
#include "base/TextString.h"
#include "editor/document/ColoredMathNode.h"
#include "editor/document/RunTextSource.h"
#include "editor/platform/DocumentFontSet.h"
#include "editor/platform/FontFile.h"

#include <cstdint>

namespace oq {

class Font;
struct TextRun;


// The ten run flags as bits of SymbolRunNode::GetFlagBits.
inline constexpr uint32_t kRunFlagStrictFixedWidth = 0x1;     // "tf"
inline constexpr uint32_t kRunFlagProportionalFigures = 0x2;  // "pf"
inline constexpr uint32_t kRunFlagOldstyleFigures = 0x4;      // "of"
inline constexpr uint32_t kRunFlagMathAxisOffset = 0x8;       // "ma"
inline constexpr uint32_t kRunFlagSmallCaps = 0x10;           // "sc"
inline constexpr uint32_t kRunFlagCaseForms = 0x20;           // "cf"
inline constexpr uint32_t kRunFlagSlashedZero = 0x40;         // "zr"
inline constexpr uint32_t kRunFlagNoDotless = 0x80;           // "nd"
inline constexpr uint32_t kRunFlagNoSlantCorrection = 0x100;  // "ns"
inline constexpr uint32_t kRunFlagNoBoldMarks = 0x200;        // "nb"

// The default character style of a role: 'sym1' for the operator-like roles, 'ital' for 'math',
// 'uprt' for the rest.
uint32_t GetDefaultRunStyle(uint32_t role);
// Whether a style is italic (its first or second letter is 'i').
bool IsItalicStyle(uint32_t style);

// A run of characters ("Sb", kind 'symb') that share one role, style, colour and flag set: laid out
// with the text runtime, spaced by its role against its neighbours, trimmed or extended at its
// ends, carrying and placing its decorations.
class SymbolRunNode : public ColoredMathNode, public RunTextSource
{
public:
    // A style of 0 is the role's default.
    explicit SymbolRunNode(uint32_t runRole = 'math', uint32_t runStyle = 0);
    // Copies the coloured-node properties, role, style, flags and text; no cached layout.
    SymbolRunNode(const SymbolRunNode &node);
    ~SymbolRunNode() override;
    SymbolRunNode &operator=(const SymbolRunNode &) = delete;

    // "ro", "st" (uint32) and the ten flags (bool).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // A string list and the decorations only.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // Takes the one string of the one string list as the text (invalid UTF-8, encoded surrogates included,
    // becomes U+FFFD per byte) and deletes the list: kResultMissingSubstructure without one,
    // kResultExtraSubstructure with a second, kResultInvalidDataFormat when it does not hold exactly one
    // string. A style of 0 becomes the role's default; "pf" clears "tf".
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildMeshItems(const Design *design, DisplayList *list) const override;
    // Lays the text out and lists its glyphs, so that the decorations can measure against the
    // first glyph before the run measures itself.
    void LayoutAfterChildren(const Design *design) override;
    void Measure(const Design *design) override;
    int32_t GetFirstStepIndex() const override;
    int32_t GetEndIndex() const override;
    // The opening by role and style, the decorations' commands, the characters and the braces.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // The mark wrappers, the enclosure notations and the element with its mathvariant.
    void WriteMathML(MathWriterState *state, TextString *output) const override;
    const TextString &GetRunText() const override { return text; }
    // Keeps the bytes from begin to end (clamped to the text); a character the cut splits becomes
    // U+FFFD per byte left of it, so the text stays valid UTF-8.
    void KeepRunTextRange(int32_t begin, int32_t end) override;

    // Whether any of the ten flags is set.
    bool HasAnyFlag() const;
    // The ten flags as bits, "tf" in bit 0 up to "nb" in bit 9 (the kRunFlag constants).
    uint32_t GetFlagBits() const;

    // Splits the run at a byte index: a new run of the same role, style, colour and flags takes the
    // text from the index on and goes right after this one, which keeps the bytes before it.
    SymbolRunNode *SplitAt(int32_t index);
    // Whether text of that format may join this run: no decorations, a text role ('chem', 'math',
    // 'nmbr', 'text'), the same role and style, the same colour (palette index when this run uses
    // one, else the 32-bit value) and the same "pf", "of", "ma", "sc", "cf" and "zr".
    bool HasSameFormat(uint32_t otherRole, uint32_t otherStyle, int32_t otherPaletteIndex, uint32_t otherColor,
                       uint32_t flagBits) const;

    // The alternate-feature mask of the run; the style selector (0 none) goes out.
    uint32_t GetAlternateFeatures(uint32_t *selector) const;
    // The spaces the role wants before and after the run, in points.
    void GetRoleSpacing(const Design *design, float *spaceBefore, float *spaceAfter) const;
    // Slant corrections in ems at a height in ems; 0 without glyphs.
    float GetStartSlantCorrection(const Design *design, float height) const;
    float GetEndSlantCorrection(const Design *design, float height) const;
    // The first glyph's box in ems with the run's option flags; false and an empty box without one.
    bool GetFirstGlyphBox(const Design *design, GlyphBounds *box) const;
    // The same for the last glyph.
    bool GetLastGlyphBox(const Design *design, GlyphBounds *box) const;
    // The x of the centre of the first or last glyph's box, node coordinates.
    float GetFirstGlyphCenterX(const Design *design) const;
    float GetLastGlyphCenterX(const Design *design) const;
    // The byte index of the character at x (node coordinates) in the laid-out text; beyond the
    // laid-out characters, the end of the laid-out text.
    int32_t GetCharIndexAtX(const Design *design, float x) const;
    // The caret x (node coordinates) at each of the ascending byte offsets; offsets past the
    // laid-out text answer its end. False without a laid-out text.
    bool GetCaretPositions(const Design *design, int32_t count, const int32_t *offsets, float *xs) const;
    // Changes the style and re-maps the text's letters and digits; nothing when it is unchanged.
    void SetStyle(uint32_t newStyle);

    // The packed run of the last layout; null before it or without fonts.
    const TextRun *GetCachedRun() const { return cachedRun; }
    int32_t GetGlyphCount() const { return glyphCount; }

    GlyphLayoutRequest glyphRequest = {};
    uint32_t role;
    uint32_t style;
    bool strictFixedWidth = false;     // "tf"
    bool proportionalFigures = false;  // "pf"
    bool oldstyleFigures = false;      // "of"
    bool mathAxisOffset = false;       // "ma"
    bool smallCaps = false;            // "sc"
    bool caseForms = false;            // "cf"
    bool slashedZero = false;          // "zr"
    bool noDotless = false;            // "nd"
    bool noSlantCorrection = false;    // "ns"
    bool noBoldMarks = false;          // "nb"
    TextString text;

    // Per glyph, as the glyph list gives them: font slot, glyph index, position, transform, colour.
    uint8_t *glyphSlots = nullptr;
    uint32_t *glyphIndexes = nullptr;
    float *glyphPositions = nullptr;
    Matrix2D *glyphTransforms = nullptr;
    uint8_t *glyphColors = nullptr;
    int32_t vertexCounts[DocumentFontSet::kSlotCount] = {};
    int32_t triangleCounts[DocumentFontSet::kSlotCount] = {};
    float lowestExtent = 0.0F;
    float highestExtent = 0.0F;

private:
    // The first or last glyph's font, glyph index and box (in ems) with its advance; false without one.
    bool GetEdgeGlyph(const Design *design, bool last, const Font **font, uint32_t *glyph, GlyphBounds *box,
                      float *advance) const;
    // The first or last glyph's box, its extent along the design's slant and that slant in radians.
    bool GetSlantedEdge(const Design *design, bool last, GlyphBounds *box, GlyphExtent *extent, float *angle) const;
    // The byte offset where the laid-out text ends (all of it unless it was cut at the runtime's limit).
    int32_t GetLaidOutEnd() const;
    void ReleaseGlyphArrays();
    // The glyph count, mesh counts and per-glyph arrays of the laid-out run, listed at the origin.
    void ListGlyphs(const Design *design);
    void PlaceDecorations(const Design *design, float em, float mu, float o, float g, float v);

    TextRun *cachedRun = nullptr;
    int32_t cachedRunSize = 0;
    void *glyphBlock = nullptr;
    int32_t glyphCount = 0;
    bool styleRead = false;  // "st" was in the text read: else the role read decides the style
};

}  // namespace oq
