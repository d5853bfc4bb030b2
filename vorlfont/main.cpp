#include "base/FloatControl.h"
#include "vorlfont/compiler/VorlFontRun.h"

#include <cstdio>

int main(int argc, char **argv)
{
    oq::EnableFlushToZero();
    const char *message = nullptr;
    int exitCode = oq::RunVorlFont(argc - 1, argv + 1, &message);
    if (message != nullptr) std::printf("%s\n", message);
    return exitCode;
}
