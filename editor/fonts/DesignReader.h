#pragma once

#include "editor/fonts/Design.h"
#include "kettric/KettricDocument.h"
#include "kettric/KettricStructure.h"

#include <cstdint>

namespace oq {

// Legacy font numbers of "F" entries map to built-in font rows; 51 and above map to none.
constexpr int32_t kLegacyFontNumberCount = 51;
extern const int8_t kLegacyFontNumbers[kLegacyFontNumberCount];

// Base font size limits of a stored design: wider than the dialog's, as the editor takes sizes
// up to 1800 pt.
constexpr float kMinStoredFontSize = 1.0F;
constexpr float kMaxStoredFontSize = 1800.0F;

// Reads a "D" block into a design without resetting it: what the block does not mention keeps its
// value, and values read before a failure stay. Other top-level structures are not made.
class DesignReader : public KettricDocument
{
public:
    explicit DesignReader(Design *design) : design(design) {}

    // "D", "F", "M", "P", "V"; nothing else.
    KettricStructure *MakeStructure(const TextString &identifier) override;
    // Only a "D" block.
    bool CheckTopLevel(KettricStructure *structure) override;

    Design *GetDesign() const { return design; }

private:
    Design *design;
};

// "D": the design; resolves its entries in text order, then repairs StyleMaps that name empty slots.
class DesignStructure : public KettricStructure
{
public:
    DesignStructure() : KettricStructure('dsgn') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
};

// "F": the name of font slot "i" (1..15) as a built-in row, a legacy font number or a string.
class DesignFontStructure : public KettricStructure
{
public:
    DesignFontStructure() : KettricStructure('font') {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;

private:
    int32_t slot = 0;
};

// "M": the StyleMap of character style "t".
class DesignStyleMapStructure : public KettricStructure
{
public:
    DesignStyleMapStructure() : KettricStructure('fmap') {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;

private:
    uint32_t style = 0;
};

// "P": the 16 palette colours.
class DesignPaletteStructure : public KettricStructure
{
public:
    DesignPaletteStructure() : KettricStructure('palt') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
};

// "V": parameter "n" of group "d" (absent: the general group), or the separate-styles flag. A value
// that is not finite or lies outside its row's range is ignored.
class DesignValueStructure : public KettricStructure
{
public:
    DesignValueStructure() : KettricStructure('valu') {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;

private:
    uint32_t group = 0;
    uint32_t key = 0;
};

// Whether a value may be stored in a row's slot: finite and within the row's range ('fsiz' of the
// general group within the stored font size limits).
bool IsStorableDesignValue(uint32_t group, const DesignParamRow &row, float value);

}  // namespace oq
