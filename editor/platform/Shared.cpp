#include "editor/platform/Shared.h"

namespace oq {

int32_t Shared::Release()
{
    int32_t count = --references;
    if (count == 0) delete this;
    return count;
}

}  // namespace oq
