#include "ReferenceCompression.h"

#include <algorithm>

namespace oq::test {

namespace {

// The encoder written step by step from the format's description, without shortcuts: a ring of
// {previous, next, position} entries, every candidate measured. Long matches are clamped like the
// real encoder does, so that no piece of 1 to 3 bytes is left. The real encoder must match it byte
// for byte.
class ReferenceEncoder
{
public:
    explicit ReferenceEncoder(const std::vector<uint8_t> &input) : input(input), head(4096, -1), ring(32768) {}

    std::vector<uint8_t> Encode()
    {
        const int64_t n = int64_t(input.size());
        if (n < 4) return {};

        Insert(0);
        int64_t position = 1;
        int64_t literalStart = 0;
        while (n - position > 4)
        {
            int64_t remaining = n - position;

            int64_t run = 0;
            while (run < remaining && input[size_t(position + run)] == input[size_t(position + run - 1)]) ++run;
            if (run < 4) run = 0;
            int64_t bestLength = run;
            int64_t bestPosition = position - 1;
            int64_t bestScore = (run != 0) ? Score(run) : 0;

            if (run < remaining)
            {
                int32_t index = head[Hash(position)];
                for (int walked = 0; index != -1 && walked < 256; ++walked)
                {
                    int64_t older = ring[size_t(index)].position;
                    int64_t length = 0;
                    while (length < remaining && input[size_t(older + length)] == input[size_t(position + length)]) ++length;
                    if (length < 4) length = 0;
                    if (length != 0 && Score(length) > bestScore)
                    {
                        bestLength = length;
                        bestPosition = older;
                        bestScore = Score(length);
                    }
                    if (length == remaining) break;
                    index = ring[size_t(index)].next;
                }
            }

            if (bestLength != 0)
            {
                int64_t length = bestLength;
                if (length > 65827 && length % 65827 != 0 && length % 65827 < 4) length -= length % 65827;
                Literals(literalStart, position - literalStart);
                Match(length, position - bestPosition);
                int64_t count = std::min(length, remaining - 4);
                for (int64_t k = 0; k < count; ++k) Insert(position + k);
                position += length;
                literalStart = position;
            }
            else
            {
                Insert(position);
                ++position;
            }
        }
        Literals(literalStart, n - literalStart);
        while (code.size() % 4 != 0) code.push_back(0xE0);
        if (code.size() > input.size()) return {};
        return code;
    }

private:
    struct Entry
    {
        int32_t previous = -1;
        int32_t next = -1;
        int64_t position = -1;
    };

    static int64_t Score(int64_t length) { return length - ((length > 291) ? 2 : (length > 35) ? 1 : 0); }

    int32_t Hash(int64_t position) const
    {
        return input[size_t(position)] * 16 + (input[size_t(position + 1)] >> 4);
    }

    void Insert(int64_t position)
    {
        int32_t index = int32_t(position % 32768);
        Entry &entry = ring[size_t(index)];
        if (entry.position >= 0)
        {
            if (entry.previous != -1) ring[size_t(entry.previous)].next = entry.next;
            else head[Hash(entry.position)] = entry.next;
            if (entry.next != -1) ring[size_t(entry.next)].previous = entry.previous;
        }
        int32_t &first = head[Hash(position)];
        entry.position = position;
        entry.previous = -1;
        entry.next = first;
        if (first != -1) ring[size_t(first)].previous = index;
        first = index;
    }

    void Literals(int64_t start, int64_t count)
    {
        while (count > 0)
        {
            int64_t piece = std::min<int64_t>(count, 65824);
            if (piece <= 32) code.push_back(uint8_t(piece - 1));
            else if (piece <= 288) code.insert(code.end(), {0x20, uint8_t(piece - 33)});
            else code.insert(code.end(), {0x21, uint8_t((piece - 289) >> 8), uint8_t(piece - 289)});
            code.insert(code.end(), input.begin() + start, input.begin() + start + piece);
            start += piece;
            count -= piece;
        }
    }

    void Match(int64_t length, int64_t distance)
    {
        int64_t d = distance - 1;
        bool near = (d < 256);
        while (length > 0)
        {
            int64_t piece = std::min<int64_t>(length, 65827);
            if (piece <= 35) code.push_back(uint8_t((near ? 0x40 : 0x80) + piece - 4));
            else if (piece <= 291) code.insert(code.end(), {uint8_t(near ? 0x60 : 0xA0), uint8_t(piece - 36)});
            else code.insert(code.end(), {uint8_t(near ? 0x61 : 0xA1), uint8_t((piece - 292) >> 8), uint8_t(piece - 292)});
            if (!near) code.push_back(uint8_t(d >> 8));
            code.push_back(uint8_t(d));
            length -= piece;
        }
    }

    const std::vector<uint8_t> &input;
    std::vector<int32_t> head;
    std::vector<Entry> ring;
    std::vector<uint8_t> code;
};

}  // namespace

std::vector<uint8_t> ReferenceCompress(const std::vector<uint8_t> &input)
{
    return ReferenceEncoder(input).Encode();
}

}  // namespace oq::test
