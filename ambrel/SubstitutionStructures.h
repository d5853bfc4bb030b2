#pragma once

#include "ambrel/TypographicStructure.h"
#include "base/Array.h"

#include <cstdint>

namespace oq {

class GlyphStructure;

// Kern: the glyphs that may precede the owner Glyph with their adjustments in ems.
class KernStructure : public TypographicStructure
{
public:
    explicit KernStructure(bool vertical = false) : TypographicStructure('kern'), listLink(this), verticalFlag(vertical) {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // kResultInvalidDataFormat when the first float list holds fewer values than the first uint32 list.
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
    void OffsetGlyphIndices(int32_t amount) override;

    int32_t GetGlyphs(const uint32_t **glyphs) const;
    int32_t GetValues(const float **values) const;

    StructureListLink listLink;
    bool verticalFlag;
};

// Alternate: replacement glyphs of the owner Glyph under one feature.
class AlternateStructure : public TypographicStructure
{
public:
    explicit AlternateStructure(uint32_t tag = 0) : TypographicStructure('altr'), listLink(this), featureTag(tag) {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
    void OffsetGlyphIndices(int32_t amount) override;
    bool GetDescription(TextString *text, uint32_t depth, int32_t position) const override;

    // The first uint32 list, at most 255 values.
    int32_t GetGlyphs(const uint32_t **glyphs) const;

    StructureListLink listLink;
    uint32_t featureTag;
};

// Match: one further input glyph (kind 0) or a backtrack ('bkwd') or lookahead ('frwd') class.
class MatchStructure : public TypographicStructure
{
public:
    explicit MatchStructure(uint32_t kind = 0) : TypographicStructure('mtch'), listLink(this), matchKind(kind) {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
    void OffsetGlyphIndices(int32_t amount) override;

    int32_t GetGlyphs(const uint32_t **glyphs) const;

    StructureListLink listLink;
    uint32_t matchKind;
};

// Rule: the output of a Sequence ('rall' a flat list, 'sbst' pairs of position and glyph).
class RuleStructure : public TypographicStructure
{
public:
    explicit RuleStructure(uint32_t kind = 0) : TypographicStructure('rule'), listLink(this), ruleKind(kind) {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
    void OffsetGlyphIndices(int32_t amount) override;

    // The element at index array size - 1 of the first uint32 list; false without one.
    bool GetProducedGlyph(uint32_t *glyph) const;

    StructureListLink listLink;
    uint32_t ruleKind;
};

// Sequence: a contextual or ligature substitution that starts at the owner Glyph.
class SequenceStructure : public TypographicStructure
{
public:
    explicit SequenceStructure(uint32_t tag = 0) : TypographicStructure('sequ'), listLink(this), featureTag(tag) {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
    void OffsetGlyphIndices(int32_t amount) override;
    bool GetDescription(TextString *text, uint32_t depth, int32_t position) const override;

    void CollectMatchGlyphs(Array<uint32_t, 8> *glyphs) const;
    void CollectRuleGlyphs(Array<uint32_t, 8> *glyphs) const;
    MatchStructure *AddMatch(uint32_t kind);
    RuleStructure *AddRule(uint32_t kind);

    StructureListLink listLink;
    uint32_t featureTag;
    StructureList<MatchStructure> matchList;
    StructureList<RuleStructure> ruleList;
};

// Decompose: the glyphs into which the owner Glyph decomposes.
class DecomposeStructure : public TypographicStructure
{
public:
    DecomposeStructure() : TypographicStructure('dcmp'), listLink(this) {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
    void OffsetGlyphIndices(int32_t amount) override;
    bool GetDescription(TextString *text, uint32_t depth, int32_t position) const override;

    int32_t GetGlyphs(const uint32_t **glyphs) const;

    StructureListLink listLink;
};

// The owner Glyph's description, in parentheses when it is a list (for the descriptions of the
// structures that a Glyph holds).
void AppendOwnerDescription(const KettricStructure *owner, TextString *text, uint32_t depth);

}  // namespace oq
