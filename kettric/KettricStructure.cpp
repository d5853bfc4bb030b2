// Kettric structures: ownership, name maps, look-ups and default data resolution.
#include "kettric/KettricStructure.h"

#include "base/TextUtils.h"
#include "kettric/KettricDocument.h"
#include "kettric/StructureReference.h"

namespace oq {

KettricStructure::KettricStructure(uint32_t type)
    : baseStructureType(0), structureType(type), globalNameFlag(true), textOffset(0)
{
}

KettricStructure::~KettricStructure()
{
    // Post-order deletion of the subtree, leaves first, so that deep nesting never recurses:
    // a leaf has no subnodes and an empty local name map, and it leaves its own name map as it goes.
    TreeBase *node = GetFirstSubnode();
    while (node != nullptr)
    {
        while (node->GetFirstSubnode() != nullptr) node = node->GetFirstSubnode();
        TreeBase *super = node->GetSuperNode();
        delete node;
        node = (super == this) ? GetFirstSubnode() : super;
    }
    // Named structures that were moved out of the subtree still belong to this map.
    localNameMap.Purge();
    MapElement::Detach();
}

bool KettricStructure::CheckProperty(KettricDocument *, const TextString &, KettricDataType *, void **)
{
    return false;
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
        KettricStructure *next = structure->GetNextStructure();
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
        if (CompareTextLessThan(structureName, structure->structureName))
        {
            if (element->GetLeftMapElement() == nullptr)
            {
                map->InsertLeftElement(element, this);
                return true;
            }
            element = element->GetLeftMapElement();
        }
        else if (CompareTextLessThan(structure->structureName, structureName))
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
    MapElement *element = map->GetRootMapElement();
    while (element != nullptr)
    {
        KettricStructure *structure = static_cast<KettricStructure *>(element);
        if (CompareTextLessThan(name, structure->structureName))
            element = element->GetLeftMapElement();
        else if (CompareTextLessThan(structure->structureName, name))
            element = element->GetRightMapElement();
        else
            return structure;
    }
    return nullptr;
}

}  // namespace oq
