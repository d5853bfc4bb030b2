// Vorl font file images: the validator, then every accessor on the images it accepts.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/Memory.h"
#include "tests/support/VorlFontBuilder.h"
#include "vorl/text/VorlFontValidator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An exact-size, aligned copy, so that any read past the image is caught.
    void *image = oq::MemoryAllocate(size != 0 ? size : 1);
    if (size != 0) std::memcpy(image, data, size);
    if (oq::ValidateVorlFontFile(image, size) && !oq::test::ExerciseVorlFontImage(image)) std::abort();
    oq::MemoryRelease(image);
    return 0;
}
