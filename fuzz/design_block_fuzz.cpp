// Fuzzes the design block reader: any bytes read into the factory design; whatever was read is
// written, read back and written again, and from then on the text stays the same. (A block that
// fails half-way is not repaired, so only its first rewrite may differ.)
#include "FuzzText.h"
#include "editor/fonts/DesignReader.h"
#include "editor/fonts/DesignWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string Write(const oq::Design &design)
{
    oq::TextBuffer buffer;
    oq::WriteDesignBlock(design, &buffer);
    return oq::fuzz::TakeText(buffer);
}

oq::KettricResult Read(const char *text, oq::Design *design)
{
    oq::DesignReader reader(design);
    return reader.ParseAndResolve(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> text = oq::fuzz::TerminatedText(data, size);

    oq::Design design;
    static_cast<void>(Read(text.data(), &design));  // what was read before a failure stays, as at start-up
    std::string written = Write(design);

    oq::Design again;
    if (Read(written.c_str(), &again) != 0) __builtin_trap();
    std::string rewritten = Write(again);

    oq::Design third;
    if (Read(rewritten.c_str(), &third) != 0) __builtin_trap();
    if (Write(third) != rewritten) __builtin_trap();
    return 0;
}
