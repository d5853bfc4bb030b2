#include "vorlfont/compiler/CountedListBuild.h"

#include "vorlfont/compiler/CompileResultCodes.h"

namespace oq {

uint32_t CheckListCount(uint32_t counted, uint32_t written, ListCountRule rule)
{
    bool kept = (rule == ListCountRule::kExact) ? written == counted : written <= counted;
    assert(kept && "a list writer wrote other than it counted");
    return kept ? 0 : kResultSizeExceeded;
}

}  // namespace oq
