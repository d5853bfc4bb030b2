#pragma once

// Whether the geometry code takes its SSE2 paths. The build option OQ_SCALAR_PATHS defines
// OQ_FORCE_SCALAR, so the scalar branches are compiled and tested on x86-64 too.
#if defined(__SSE2__) && !defined(OQ_FORCE_SCALAR)
#define OQ_GEOMETRY_SSE2 1
#include <emmintrin.h>
#else
#define OQ_GEOMETRY_SSE2 0
#endif
