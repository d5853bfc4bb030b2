#pragma once

#include "ambrel/TextOutputStream.h"
#include "base/TextString.h"
#include "base/Transform4D.h"
#include "kettric/KettricPrimitive.h"
#include "kettric/KettricStructure.h"

#include <cstdint>

namespace oq {

class AmbrelDocument;

// Base types of the Ambrel structure families.
inline constexpr uint32_t kAmbrelMatrixBase = 'mtrx';
inline constexpr uint32_t kAmbrelNodeBase = 'node';
inline constexpr uint32_t kAmbrelGeometryBase = 'geom';
inline constexpr uint32_t kAmbrelTypographicBase = 'typo';
inline constexpr uint32_t kKettricPrimitiveBase = 'PRIM';

// Base of every structure of an Ambrel document; every concrete class writes itself back as text.
class AmbrelStructure : public KettricStructure
{
public:
    explicit AmbrelStructure(uint32_t type) : KettricStructure(type) {}

    virtual void Write(AmbrelDocument *document, TextOutputStream *stream) const = 0;

    // Writes every substructure that is no data list one level deeper; true when it wrote any.
    bool WriteSubstructures(AmbrelDocument *document, TextOutputStream *stream) const;

    // The product of the matrices of the transform substructures, in order (the last acts first).
    Transform4D &CalculateTransform(Transform4D &result) const;

    // The previous sibling that is a structure: data lists are written elsewhere by their owner, so
    // they never decide the empty line before a structure.
    const KettricStructure *GetPreviousWrittenSibling() const;
    bool HasPreviousSibling() const { return GetPreviousWrittenSibling() != nullptr; }

    // The first direct substructure that is a float list, or null.
    KettricFloatList *GetFirstFloatList() const;

    // Declares a property for the parser.
    static bool DeclareProperty(KettricDataType *type, void **storage, KettricDataType declared, void *member)
    {
        *type = declared;
        *storage = member;
        return true;
    }

    // kResultMissingSubstructure without substructures, kResultExtraSubstructure with more than one, else 0.
    KettricResult CheckSingleSubstructure() const;
};

// Whether a structure is a data list of the given type and array size.
inline bool IsDataList(const KettricStructure *structure, KettricDataType type)
{
    return structure->GetStructureType() == type && structure->GetBaseStructureType() == kKettricPrimitiveBase;
}

inline bool IsFloatList(const KettricStructure *structure, int32_t arraySize)
{
    return IsDataList(structure, 'FLOT') && static_cast<const KettricPrimitive *>(structure)->GetArraySize() == arraySize;
}

// line(text, delta, newline): WriteIndented whose outcome the stream keeps.
inline void WriteLine(TextOutputStream *stream, const char *text, int32_t delta, bool newline)
{
    static_cast<void>(stream->WriteIndented(text, delta, newline));
}

// A string between double quotes with backslash escapes, so that the reader gives back its bytes.
void WriteQuotedText(TextOutputStream *stream, const TextString &text);

// "a, b, c": count floats separated by ", ".
void WriteFloatValues(TextOutputStream *stream, const float *values, int32_t count);

}  // namespace oq
