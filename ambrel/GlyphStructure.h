#pragma once

#include "ambrel/AttachmentStructures.h"
#include "ambrel/SubstitutionStructures.h"
#include "ambrel/TypographicStructure.h"
#include "base/Array.h"
#include "base/Bezier.h"
#include "base/Box2D.h"

#include <cstdint>

namespace oq {

class CaretStructure;
class FontStructure;

// Limits of outline collection: nested Components, glyphs visited and curves of one glyph (a Vorl
// glyph record counts its curves in 16 bits).
inline constexpr int32_t kMaxComponentDepth = 64;
inline constexpr int32_t kMaxGlyphVisits = 65536;
inline constexpr int32_t kMaxGlyphCurves = 65535;

// Length after which a glyph description ends with "...".
inline constexpr int32_t kMaxDescriptionLength = 1024;

// The state of collecting one glyph's outline through its Components.
struct GeometryCollection
{
    Array<QuadraticBezier2D> *curves;
    Array<uint32_t, 4> stack;
    int32_t visitCount = 0;
    bool tooLarge = false;
};

// A glyph class of the context operations: glyph numbers and their count.
struct GlyphClass
{
    int32_t count;
    const uint32_t *glyphs;
};

// Glyph: one glyph of a Font with its outline, metrics, substitution, attachment and colour data.
class GlyphStructure : public TypographicStructure
{
public:
    explicit GlyphStructure(uint32_t index = 0);
    ~GlyphStructure() override;

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
    void OffsetGlyphIndices(int32_t amount) override;
    bool GetDescription(TextString *text, uint32_t depth, int32_t position) const override;

    KernStructure *FindKern(uint32_t glyph, bool vertical) const;
    void AddKernPair(uint32_t glyph, float value, bool vertical);
    AlternateStructure *FindAlternate(uint32_t tag) const;
    KettricUInt32List *AddAlternate(uint32_t tag, uint32_t glyph);
    SequenceStructure *AddSequence(uint32_t tag);
    SequenceStructure *FindLigature(uint32_t tag, int32_t count, const uint32_t *glyphs) const;
    void AddLigature(uint32_t tag, int32_t count, const uint32_t *glyphs, uint32_t ligature);
    SequenceStructure *FindContextSubstitution(uint32_t tag, int32_t backtrackCount, const GlyphClass *backtrack,
                                               int32_t lookaheadCount, const GlyphClass *lookahead) const;
    void AddContextSubstitution(uint32_t tag, int32_t backtrackCount, const GlyphClass *backtrack,
                                int32_t lookaheadCount, const GlyphClass *lookahead, uint32_t replacement);
    DecomposeStructure *GetDecomposition() const { return decompositions.GetFirst(); }
    void AddDecomposition(int32_t count, const uint32_t *glyphs);
    AnchorStructure *FindBaseAnchor(uint32_t classIndex) const;
    AnchorStructure *FindMarkAnchor(uint32_t classIndex) const;
    void AddBaseAnchor(uint32_t classIndex, const float *position);
    void AddMarkAnchor(uint32_t classIndex, const float *position);
    EmojiStructure *GetEmoji();

    // Collects the outline with its Components, its box and control top, and aligns it to the
    // left side bearing. A glyph beyond the collection limits gets no curves and is too large.
    void PrepareGeometry(const FontStructure *font);
    void CollectGeometry(const FontStructure *font, GeometryCollection *collection) const;
    // After preparation: when the curves are exactly those of the glyph's one geometry (no
    // Component, no alignment move), frees the geometry's copy; collection then reads the
    // glyph's own. Returns whether it did.
    bool TakeGeometryCurves();

    // The Font that holds this Glyph, or null.
    FontStructure *GetFont() const;

    uint32_t glyphIndex;
    Array<uint32_t, 4> characterList;
    float advance[2] = {0.0f, 0.0f};
    float bearing[2] = {0.0f, 0.0f};
    CaretStructure *caret = nullptr;
    EmojiStructure *emoji = nullptr;
    ComponentStructure *singleReference = nullptr;
    StructureList<KernStructure> horizontalKerns;
    StructureList<KernStructure> verticalKerns;
    StructureList<AlternateStructure> alternates;
    StructureList<SequenceStructure> sequences;
    StructureList<DecomposeStructure> decompositions;
    StructureList<AnchorStructure> baseAnchors;
    StructureList<AnchorStructure> markAnchors;
    Array<QuadraticBezier2D> curves;
    Box2D boundingBox = Box2D(Point2D(0.0f, 0.0f), Point2D(0.0f, 0.0f));
    float controlTop = 0.0f;
    // Set when the outline passed a collection limit; compiling the glyph fails.
    bool tooLarge = false;
    // Set by TakeGeometryCurves: the curves are the outline of the glyph's own geometry.
    bool geometryCurvesTaken = false;

private:
    void AddAnchor(bool base, uint32_t classIndex, const float *position);
};

}  // namespace oq
