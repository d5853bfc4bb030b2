// Fuzzes the font compiler: every Ambrel document the reader accepts is compiled (its first Font,
// with and without the options) into memory; a compile either fails with one of its codes or
// writes a file that the runtime's validator and the layout verifier both accept. With the options
// it is compiled again as the program does (Glyphs take their geometry's curves, the outlines are
// freed as the compile goes), which must give the same result and bytes.
#include "FuzzText.h"
#include "ambrel/AmbrelDocument.h"
#include "support/VorlFontVerifier.h"
#include "vorl/text/OutputSink.h"
#include "vorl/text/VorlFontValidator.h"
#include "vorlfont/compiler/FontCompiler.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

bool AppendToBytes(const void *data, uint32_t count, void *user)
{
    auto *bytes = static_cast<std::vector<uint8_t> *>(user);
    bytes->insert(bytes->end(), static_cast<const uint8_t *>(data), static_cast<const uint8_t *>(data) + count);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> text = oq::fuzz::TerminatedText(data, size);

    struct Run
    {
        uint32_t flags;
        bool release;
    };
    const uint32_t options = oq::kDefaultCompileFlags | oq::kCompileOutline | oq::kCompileContours;
    uint32_t keptResult = 0;
    std::vector<uint8_t> kept;
    for (const Run &run : {Run{options, false}, Run{options, true}, Run{0u, false}})
    {
        oq::AmbrelDocument document;
        document.glyphsTakeGeometryCurves = run.release;
        if (document.ParseAndResolve(text.data()) != 0) return 0;
        std::vector<uint8_t> file;
        oq::FontCompiler compiler(&document, run.flags, nullptr, 0, nullptr, 0);
        compiler.SetReleaseOutlines(run.release);
        oq::OutputSink sink(AppendToBytes, &file);
        uint32_t result = compiler.CompileAndWrite(&sink, nullptr, 0);
        if (run.flags == options && !run.release)
        {
            keptResult = result;
            kept = file;
        }
        else if (run.release && (result != keptResult || file != kept)) __builtin_trap();
        if (result == 'IFID' || result == 'SIZE' || result == 'MEMY')
        {
            if (!file.empty()) __builtin_trap();
            continue;
        }
        if (result != 0) __builtin_trap();
        std::vector<uint32_t> aligned((file.size() + 3) / 4);
        std::memcpy(aligned.data(), file.data(), file.size());
        if (!oq::ValidateVorlFontFile(aligned.data(), file.size())) __builtin_trap();
        if (!oq::test::VerifyVorlFontFile(file.data(), file.size()).empty()) __builtin_trap();
    }
    return 0;
}
