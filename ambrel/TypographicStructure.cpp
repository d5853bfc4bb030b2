// Default operations of the typographic structures.
#include "ambrel/TypographicStructure.h"

namespace oq {

void TypographicStructure::OffsetGlyphIndices(int32_t amount)
{
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (structure->GetBaseStructureType() == kAmbrelTypographicBase)
            static_cast<TypographicStructure *>(structure)->OffsetGlyphIndices(amount);
    }
}

bool TypographicStructure::GetDescription(TextString *, uint32_t, int32_t) const
{
    return false;
}

}  // namespace oq
