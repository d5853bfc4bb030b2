#include "base/FloatControl.h"

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace oq {

void EnableFlushToZero()
{
#if defined(__SSE__) || defined(__x86_64__)
    _mm_setcsr(_mm_getcsr() | 0x8040);  // FTZ (bit 15) and DAZ (bit 6)
#endif
}

}  // namespace oq
