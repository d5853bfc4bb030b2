// Kettric structures: ownership, name maps, look-ups and default data resolution.
#include "kettric/KettricStructure.h"

#include "base/TextUtils.h"
#include "kettric/KettricDocument.h"
#include "kettric/StructureReference.h"

#include <cstring>

namespace oq {

namespace {

// The first 8 bytes of a name as one number, the first byte highest and zeros after the name's
// end: numbers of two names compare like the names' first 8 bytes.
uint64_t GetNameKey(const char *name)
{
    uint64_t key = 0;
    int32_t i = 0;
    for (; i < 8 && name[i] != 0; ++i) key = key << 8 | static_cast<unsigned char>(name[i]);
    return (i == 0) ? 0 : key << (8 * (8 - i));
}

// Name order of the maps in one comparison: bytes compared unsigned up to the first NUL, the order
// of CompareTextLessThan. The keys decide unless both names share their first 8 bytes.
inline int CompareNames(uint64_t keyA, const char *a, uint64_t keyB, const char *b)
{
    if (keyA != keyB) return (keyA < keyB) ? -1 : 1;
    // Equal keys with a zero byte: both names end at the same place.
    if ((keyA & 0xFF) == 0) return 0;
    return std::strcmp(a + 8, b + 8);
}

}  // namespace

KettricStructure::KettricStructure(uint32_t type)
    : baseStructureType(0), structureType(type), nameKey(0), globalNameFlag(true), textOffset(0), deletingSubtree(false)
{
}

KettricStructure::~KettricStructure()
{
    // Structures of the local name map that no longer stand below this one go through the map;
    // the others are subnodes and go with the subtree.
    for (MapElement *element = localNameMap.GetFirstMapElement(); element != nullptr;)
    {
        MapElement *next = element->GetNextMapElement();
        if (static_cast<KettricStructure *>(element)->GetSuperNode() != this) delete element;
        element = next;
    }
    localNameMap.RemoveAll();
    MapElement::Detach();

    // The subtree is deleted without recursion over its depth: the structure whose deletion began
    // deletes its first subnode again and again, and every structure deleted below it hands its own
    // subnodes, in order, to that structure in its place. Each structure is thus destroyed before
    // its subnodes, and a whole subtree before its next sibling.
    KettricStructure *super = GetSuperStructure();
    if (super != nullptr && super->deletingSubtree)
    {
        super->HoistSubnodes(this);
        return;
    }
    deletingSubtree = true;
    while (TreeBase *node = GetFirstSubnode()) delete node;
}

bool KettricStructure::CheckProperty(KettricDocument *, const TextString &, KettricDataType *, void **)
{
    return false;
}

bool KettricStructure::CheckPropertyLiteral(KettricDocument *document, const TextString &identifier,
                                            KettricDataType *type, void **storage, const char *)
{
    return CheckProperty(document, identifier, type, storage);
}

bool KettricStructure::CheckSubstructure(KettricDocument *, KettricStructure *)
{
    return true;
}

bool KettricStructure::CheckStateName(const TextString &, uint32_t *)
{
    return false;
}

KettricResult KettricStructure::ResolveData(KettricDocument *document)
{
    KettricStructure *structure = GetFirstSubnodeStructure();
    while (structure != nullptr)
    {
        // The next structure is fetched while this one's subtree resolves.
        KettricStructure *next = structure->GetNextStructure();
        if (next != nullptr) __builtin_prefetch(next);
        KettricResult result = structure->ResolveData(document);
        if (result != 0)
        {
            document->RecordFailingStructure(structure);
            return result;
        }
        structure = next;
    }
    return 0;
}

void KettricStructure::SetStructureName(const char *name, int32_t length, bool global)
{
    structureName.SetTextMax(name, length);
    nameKey = GetNameKey(structureName);
    globalNameFlag = global;
}

KettricStructure *KettricStructure::GetFirstSubstructure(uint32_t type) const
{
    for (KettricStructure *s = GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        if (s->structureType == type) return s;
    }
    return nullptr;
}

KettricStructure *KettricStructure::GetLastSubstructure(uint32_t type) const
{
    for (KettricStructure *s = GetLastSubnodeStructure(); s != nullptr; s = s->GetPreviousStructure())
    {
        if (s->structureType == type) return s;
    }
    return nullptr;
}

KettricStructure *KettricStructure::LookUpStructure(const StructureReference &reference, int32_t depth) const
{
    if (depth == 0 && reference.IsGlobal()) return nullptr;
    int32_t count = reference.GetNamePartCount();
    if (depth >= count) return nullptr;
    const KettricStructure *structure = this;
    for (int32_t i = depth; i < count; ++i)
    {
        structure = FindNamedStructure(&structure->localNameMap, reference.GetNamePart(i));
        if (structure == nullptr) return nullptr;
    }
    return const_cast<KettricStructure *>(structure);
}

bool KettricStructure::EnterNameMap(Map *map)
{
    MapElement *element = map->GetRootMapElement();
    if (element == nullptr)
    {
        map->InsertRootElement(this);
        return true;
    }
    for (;;)
    {
        const KettricStructure *structure = static_cast<const KettricStructure *>(element);
        int order = CompareNames(nameKey, structureName, structure->nameKey, structure->structureName);
        if (order < 0)
        {
            if (element->GetLeftMapElement() == nullptr)
            {
                map->InsertLeftElement(element, this);
                return true;
            }
            element = element->GetLeftMapElement();
        }
        else if (order > 0)
        {
            if (element->GetRightMapElement() == nullptr)
            {
                map->InsertRightElement(element, this);
                return true;
            }
            element = element->GetRightMapElement();
        }
        else
        {
            return false;
        }
    }
}

KettricStructure *KettricStructure::FindNamedStructure(const Map *map, const char *name)
{
    uint64_t key = GetNameKey(name);
    MapElement *element = map->GetRootMapElement();
    while (element != nullptr)
    {
        KettricStructure *structure = static_cast<KettricStructure *>(element);
        int order = CompareNames(key, name, structure->nameKey, structure->structureName);
        if (order < 0)
            element = element->GetLeftMapElement();
        else if (order > 0)
            element = element->GetRightMapElement();
        else
            return structure;
    }
    return nullptr;
}

}  // namespace oq
