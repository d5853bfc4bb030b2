// The Kettric parser: structures, names, array sizes, property lists and bodies, without recursion.
#include "kettric/ByteBlock.h"
#include "kettric/KettricDocument.h"
#include "kettric/KettricCharClass.h"
#include "kettric/KettricPrimitive.h"
#include "kettric/StructureReference.h"

#include <cstring>

namespace oq {

namespace {

// Type of the placeholder that stands for an unknown structure until its closing brace.
constexpr uint32_t kUnknownStructureType = '!UNK';

// Reads a known property's value of the given type into its storage; kResultPropertyType for another type.
[[nodiscard]] KettricResult ReadPropertyValue(const char **text, KettricDataType type, void *storage)
{
    switch (type)
    {
    case 'BOOL': return ReadKettricBool(text, static_cast<bool *>(storage));
    case 'INT8': return ReadKettricInt8(text, static_cast<int8_t *>(storage));
    case 'IN16': return ReadKettricInt16(text, static_cast<int16_t *>(storage));
    case 'IN32': return ReadKettricInt32(text, static_cast<int32_t *>(storage));
    case 'IN64': return ReadKettricInt64(text, static_cast<int64_t *>(storage));
    case 'UIN8': return ReadKettricUInt8(text, static_cast<uint8_t *>(storage));
    case 'UI16': return ReadKettricUInt16(text, static_cast<uint16_t *>(storage));
    case 'UI32': return ReadKettricUInt32(text, static_cast<uint32_t *>(storage));
    case 'UI64': return ReadKettricUInt64(text, static_cast<uint64_t *>(storage));
    case 'HALF': return ReadKettricHalf(text, static_cast<uint16_t *>(storage));
    case 'FLOT': return ReadKettricFloat(text, static_cast<float *>(storage));
    case 'DOUB': return ReadKettricDouble(text, static_cast<double *>(storage));
    case 'STRG': return ReadKettricString(text, static_cast<TextString *>(storage));
    case 'RFNC': return ReadKettricReference(text, static_cast<StructureReference *>(storage));
    case 'TYPE': return ReadKettricType(text, static_cast<uint32_t *>(storage));
    case 'BS64': return ReadKettricBase64(text, static_cast<ByteBlock *>(storage));
    default: return kResultPropertyType;
    }
}

// Skips the value of an unknown property with the first reader that takes it. The double reader
// comes first so that fractions and exponents are skipped whole.
[[nodiscard]] KettricResult SkipUnknownValue(const char **text)
{
    if (ReadKettricDouble(text, nullptr) == 0) return 0;
    if (ReadKettricBool(text, nullptr) == 0) return 0;
    if (ReadKettricString(text, nullptr) == 0) return 0;
    if (ReadKettricReference(text, nullptr) == 0) return 0;
    if (ReadKettricType(text, nullptr) == 0) return 0;
    if (ReadKettricUInt64(text, nullptr) == 0) return 0;
    if (ReadKettricBase64(text, nullptr) == 0) return 0;
    return kResultPropertySyntax;
}

// The array size "[n]" and the state flag "*" of a data list; the cursor stands on "[".
[[nodiscard]] KettricResult ParseArraySize(const char **text, KettricPrimitive *primitive)
{
    const char *p = SkipKettricSpace(*text + 1);
    *text = p;
    if (ReadKettricSign(text))
        return kResultArraySize;
    p = *text;
    int32_t length = 0;
    uint64_t size = 0;
    KettricResult result = ParseKettricIntegerLiteral(p, &length, &size);
    if (result != 0) return result;
    if (size == 0 || size > 256) return kResultArraySize;
    p = SkipKettricSpace(p + length);
    *text = p;
    if (*p != ']') return kResultArraySizeSyntax;
    p = SkipKettricSpace(p + 1);
    primitive->SetArraySize(int32_t(size));
    if (*p == '*')
    {
        p = SkipKettricSpace(p + 1);
        primitive->SetStateFlag(true);
    }
    *text = p;
    return 0;
}

// CreatePrimitiveStructure for the identifier of the given length at text, without making a string
// of it: no type keyword is longer than the buffer.
KettricPrimitive *CreatePrimitiveFromText(const char *text, int32_t length)
{
    char identifier[32];
    if (length >= int32_t(sizeof(identifier))) return nullptr;
    std::memcpy(identifier, text, size_t(length));
    identifier[length] = 0;
    return CreatePrimitiveStructure(identifier);
}

// Deletes the structure that stands directly under the super structure on the way up from the
// innermost structure being parsed, with everything parsed into it.
void DeleteUnfinishedStructure(KettricStructure *innermost, KettricStructure *superStructure)
{
    if (innermost == nullptr || innermost == superStructure) return;
    KettricStructure *structure = innermost;
    while (structure->GetSuperStructure() != superStructure) structure = structure->GetSuperStructure();
    delete structure;
}

}  // namespace

KettricResult ParsePropertyList(KettricDocument *document, const char **text, KettricStructure *structure)
{
    const char *p = *text;
    KettricResult result = 0;
    for (;;)
    {
        int32_t length = 0;
        result = ParseKettricIdentifier(p, &length);
        if (result != 0) break;
        TextString identifier(p, length);
        p = SkipKettricSpace(p + length);

        KettricDataType type = 0;
        void *storage = nullptr;
        const char *literal = (*p == '=') ? SkipKettricSpace(p + 1) : nullptr;
        if (structure->CheckPropertyLiteral(document, identifier, &type, &storage, literal))
        {
            if (type == 'BOOL' && *p != '=')
            {
                *static_cast<bool *>(storage) = true;
            }
            else
            {
                if (*p != '=')
                {
                    result = kResultPropertySyntax;
                    break;
                }
                p = SkipKettricSpace(p + 1);
                result = ReadPropertyValue(&p, type, storage);
                if (result != 0) break;
            }
        }
        else if (*p == '=')
        {
            p = SkipKettricSpace(p + 1);
            result = SkipUnknownValue(&p);
            if (result != 0) break;
        }

        if (*p != ',') break;
        p = SkipKettricSpace(p + 1);
    }
    *text = p;
    return result;
}

KettricResult ParseStructureList(KettricDocument *document, const char *textStart, const char **text,
                                 KettricStructure *superStructure)
{
    const char *p = *text;
    int32_t length = 0;
    KettricResult result = ParseKettricIdentifier(p, &length);
    if (result != 0) return result;

    // The innermost structure being parsed (or the list owner between two structures).
    KettricStructure *super = superStructure;
    KettricStructure *structure = nullptr;
    int32_t depth = superStructure->GetNodeDepth() + 1;

    for (;;)
    {
        // The cursor stands on the identifier of a new structure in super's list.
        if (depth > kKettricMaxNestingDepth)
        {
            result = kResultSyntax;
            structure = super;
            break;
        }
        KettricPrimitive *primitive = CreatePrimitiveFromText(p, length);
        structure = primitive;
        if (structure == nullptr) structure = document->MakeStructure(TextString(p, length));
        if (structure == nullptr) structure = new KettricStructure(kUnknownStructureType);
        bool placeholder = structure->GetStructureType() == kUnknownStructureType;

        structure->SetTextOffset(int32_t(p - textStart));
        super->AppendSubnode(structure);
        p = SkipKettricSpace(p + length);

        if (primitive != nullptr && *p == '[')
        {
            result = ParseArraySize(&p, primitive);
            if (result != 0) break;
        }
        if (!placeholder && !super->CheckSubstructure(document, structure))
        {
            result = kResultInvalidStructure;
            break;
        }

        if (*p == '$' || *p == '%')
        {
            bool global = (*p == '$');
            ++p;
            result = ParseKettricIdentifier(p, &length);
            if (result != 0) break;
            structure->SetStructureName(p, length, global);
            Map *map = global ? document->GetGlobalNameMap() : super->GetLocalNameMap();
            if (!structure->EnterNameMap(map))
            {
                result = kResultStructureNameExists;
                break;
            }
            p = SkipKettricSpace(p + length);
        }

        if (primitive == nullptr && *p == '(')
        {
            p = SkipKettricSpace(p + 1);
            if (*p != ')')
            {
                result = ParsePropertyList(document, &p, structure);
                if (result != 0) break;
                if (*p != ')')
                {
                    result = kResultPropertySyntax;
                    break;
                }
            }
            p = SkipKettricSpace(p + 1);
        }

        if (*p != '{')
        {
            result = kResultSyntax;
            break;
        }
        p = SkipKettricSpace(p + 1);
        if (*p != '}')
        {
            if (primitive == nullptr)
            {
                // Descend: the body is a list of structures.
                result = ParseKettricIdentifier(p, &length);
                if (result != 0) break;
                super = structure;
                ++depth;
                continue;
            }
            result = primitive->ReadDataList(&p);
            if (result != 0) break;
            if (*p != '}')
            {
                result = kResultSyntax;
                break;
            }
        }
        p = SkipKettricSpace(p + 1);

        // The structure is complete; close the bodies that end here.
        for (;;)
        {
            if (structure->GetStructureType() == kUnknownStructureType)
            {
                delete structure;
            }
            if (*p != 0 && *p != '}') break;
            if (super == superStructure)
            {
                *text = p;
                return 0;
            }
            if (*p != '}')
            {
                result = kResultSyntax;
                break;
            }
            p = SkipKettricSpace(p + 1);
            structure = super;
            super = super->GetSuperStructure();
            --depth;
        }
        if (result != 0)
        {
            structure = super;
            break;
        }
        result = ParseKettricIdentifier(p, &length);
        if (result != 0)
        {
            structure = super;
            break;
        }
    }

    DeleteUnfinishedStructure(structure, superStructure);
    *text = p;
    return result;
}

}  // namespace oq
