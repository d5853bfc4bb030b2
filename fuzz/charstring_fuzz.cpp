// One Type 2 charstring with subroutines: the input is a 16-bit charstring length, the
// charstring, then subroutines, each a length byte and its bytes, serving as Local and Global Subrs.
#include "vorlfont/opentype/CffCharstringDecoder.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace oq;
    if (size < 2) return 0;
    size_t length = size_t(data[0]) << 8 | data[1];
    if (size - 2 < length) return 0;
    const uint8_t *charstring = data + 2;

    // The subroutines as an INDEX with 4-byte offsets.
    std::vector<std::vector<uint8_t>> subrs;
    for (size_t p = 2 + length; p < size;)
    {
        size_t n = data[p++];
        if (n > size - p) n = size - p;
        subrs.emplace_back(data + p, data + p + n);
        p += n;
    }
    std::vector<uint8_t> index = {uint8_t(subrs.size() >> 8), uint8_t(subrs.size()), 4};
    uint32_t offset = 1;
    auto put = [&index](uint32_t v) {
        for (int32_t k = 3; k >= 0; --k) index.push_back(uint8_t(v >> (8 * k)));
    };
    put(offset);
    for (const auto &s : subrs) put(offset += uint32_t(s.size()));
    for (const auto &s : subrs) index.insert(index.end(), s.begin(), s.end());
    if (subrs.empty()) index.resize(2);

    CffIndex subrIndex;
    if (!ReadCffIndex(FontBytes{index.data(), index.size()}, 0, &subrIndex)) abort();
    CffCharstringDecoder *decoder = new CffCharstringDecoder(subrIndex);
    decoder->SetLocalSubrs(data[0] & 0x80 ? nullptr : &subrIndex);
    (void)decoder->RunCharstring(charstring, length);
    const Array<CubicBezier2D> &segments = decoder->GetSegments();
    if (segments.GetElementCount() > kCffMaxSegmentsPerGlyph) abort();
    if (decoder->GetExecutedOperatorCount() > kCffMaxOperatorsPerGlyph) abort();
    delete decoder;
    return 0;
}
