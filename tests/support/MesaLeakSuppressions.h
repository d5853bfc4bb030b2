#pragma once

// LeakSanitizer suppressions for the allocations Mesa keeps until process exit; programs that
// start GL return them (with their own additions) from __lsan_default_suppressions.
#define OQ_MESA_LEAK_SUPPRESSIONS \
    "leak:libEGL_mesa.so\n"       \
    "leak:libGLX_mesa.so\n"       \
    "leak:libglapi.so\n"          \
    "leak:libLLVM\n"              \
    "leak:_dri.so\n"              \
    "leak:libgallium\n"
