#pragma once

#include "ambrel/TypographicStructure.h"
#include "base/Array.h"
#include "base/Bezier.h"
#include "base/Point2D.h"
#include "base/Transform4D.h"

#include <cstdint>

namespace oq {

class ColorStructure;
class FontStructure;
struct GeometryCollection;

// Anchor: an attachment point of the owner Glyph, a base anchor or a mark anchor of one class.
class AnchorStructure : public TypographicStructure
{
public:
    AnchorStructure(bool base = false, uint32_t index = 0)
        : TypographicStructure('anch'), listLink(this), baseFlag(base), classIndex(index)
    {
    }

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    // The first two values of the first float list; (0, 0) without two values.
    Point2D GetPosition() const;

    StructureListLink listLink;
    bool baseFlag;
    uint32_t classIndex;
};

// Component: other glyphs drawn with a transform (a composite outline part or colour layers).
class ComponentStructure : public TypographicStructure
{
public:
    ComponentStructure() : TypographicStructure('comp'), listLink(this) { matrix.SetIdentity(); }

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
    void OffsetGlyphIndices(int32_t amount) override;

    // Appends the referenced glyphs' outlines mapped by the matrix.
    void CollectGeometry(const FontStructure *font, GeometryCollection *collection) const;

    StructureListLink listLink;
    const KettricUInt32List *glyphList = nullptr;
    const ColorStructure *color = nullptr;
    Transform4D matrix;
};

// Paint: one node of a colour glyph's paint tree.
class PaintStructure : public TypographicStructure
{
public:
    PaintStructure() : TypographicStructure('pant') { matrix.SetIdentity(); }

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    Transform4D matrix;
    uint32_t compositeMode = 3;
};

// Emoji: the colour form of a glyph, its layers flattened into glyphs and packed sRGB colours.
class EmojiStructure : public TypographicStructure
{
public:
    EmojiStructure() : TypographicStructure('emoj') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
    void OffsetGlyphIndices(int32_t amount) override;
    bool GetDescription(TextString *text, uint32_t depth, int32_t position) const override;

    Array<uint32_t, 8> glyphArray;
    Array<uint32_t, 8> colorArray;
};

}  // namespace oq
