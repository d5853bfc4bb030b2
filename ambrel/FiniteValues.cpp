// The search for numbers that are not finite.
#include "ambrel/FiniteValues.h"

#include "ambrel/AmbrelStructure.h"
#include "ambrel/StyleStructures.h"
#include "kettric/KettricPrimitive.h"

#include <cmath>

namespace oq {

namespace {

bool HoldsNonFiniteValue(const KettricStructure *structure)
{
    if (structure->GetStructureType() == 'strk')
        return !std::isfinite(static_cast<const StrokeStructure *>(structure)->miterLimit);
    // Ambrel holds no half or double lists: its numbers are floats.
    if (!IsDataList(structure, 'FLOT')) return false;
    const auto *list = static_cast<const KettricFloatList *>(structure);
    for (int32_t i = 0; i < list->GetElementCount(); ++i)
    {
        if (!std::isfinite((*list)[i])) return true;
    }
    return false;
}

}  // namespace

KettricStructure *FindNonFiniteValue(KettricStructure *top)
{
    for (TreeBase *node = top; node != nullptr; node = top->GetNextTreeNode(node))
    {
        auto *structure = static_cast<KettricStructure *>(node);
        if (HoldsNonFiniteValue(structure)) return structure;
    }
    return nullptr;
}

}  // namespace oq
