#include "base/Compression.h"

#include "base/Memory.h"

#include <array>
#include <bit>
#include <cstring>

namespace oq {

namespace {

constexpr uint32_t kHashCount = 4096;
constexpr uint32_t kWindowSize = 32768;
constexpr uint32_t kMaxChainWalk = 256;
constexpr uint32_t kLongHashBits = 16;
constexpr uint32_t kMinMatchLength = 4;
constexpr uint32_t kMaxLiteralPiece = 65824;
constexpr uint32_t kMaxMatchPiece = 65827;
constexpr uint8_t kEndCode = 0xE0;

// The state of one CompressData call: input, output with its room, and the match finder.
//
// The code is defined by chains of the 12-bit hash (first byte, high half of the second) walked
// for at most 256 candidates, newest first. Only a candidate whose first 4 bytes equal the current
// ones can give a match, so the finder walks a chain of a 4-byte hash instead and skips the rest.
// The 256-candidate limit of the 12-bit chain is kept by counting: every position gets its number
// in its 12-bit bucket, and a candidate lies within the limit when its number is at least the
// bucket's count - 256. Positions are inserted in order without gaps, so ring slot p mod 32768
// holds position p for every p of the window.
struct Encoder
{
    const uint8_t *input;
    uint32_t inputSize;
    uint8_t *output;
    uint32_t outputSize;
    uint32_t capacity;
    uint32_t *bucketCount;   // insertions per 12-bit hash
    uint32_t *longHead;      // newest position + 1 per 4-byte hash; 0 for none
    uint32_t *longChain;     // per ring slot: the previous position + 1 of the same 4-byte hash
    uint32_t *bucketNumber;  // per ring slot: the position's number in its 12-bit bucket
};

uint32_t HashPosition(const uint8_t *input, uint32_t position)
{
    return (uint32_t(input[position]) << 4) + (input[position + 1] >> 4);
}

uint32_t LoadWord(const uint8_t *bytes)
{
    uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
}

uint32_t HashWord(uint32_t word)
{
    return (word * 2654435761u) >> (32 - kLongHashBits);
}

// Enters a position whose four bytes lie inside the input.
void InsertHashPosition(Encoder *encoder, uint32_t position)
{
    uint32_t slot = position & (kWindowSize - 1);
    encoder->bucketNumber[slot] = encoder->bucketCount[HashPosition(encoder->input, position)]++;
    uint32_t *head = encoder->longHead + HashWord(LoadWord(encoder->input + position));
    encoder->longChain[slot] = *head;
    *head = position + 1;
}

// Length of the common prefix of the bytes at older and current, at most limit.
uint32_t GetCommonLength(const uint8_t *older, const uint8_t *current, uint32_t limit)
{
    uint32_t length = 0;
    if constexpr (std::endian::native == std::endian::little)
    {
        while (limit - length >= 8)
        {
            uint64_t a;
            uint64_t b;
            std::memcpy(&a, older + length, 8);
            std::memcpy(&b, current + length, 8);
            if (a != b) return length + uint32_t(std::countr_zero(a ^ b) >> 3);
            length += 8;
        }
    }
    while (length < limit && older[length] == current[length]) ++length;
    return length;
}

// A match's length minus the length bytes its code needs beyond the shortest form.
uint32_t ScoreMatch(uint32_t length)
{
    if (length > 291) return length - 2;
    if (length > 35) return length - 1;
    return length;
}

// The shortest match whose score beats score (a match is at least 4 bytes).
uint32_t NeededLength(uint32_t score)
{
    uint32_t length = (score < kMinMatchLength) ? kMinMatchLength : score + 1;
    while (ScoreMatch(length) <= score) ++length;
    return length;
}

[[nodiscard]] bool Reserve(const Encoder *encoder, uint32_t count)
{
    return count <= encoder->capacity - encoder->outputSize;
}

void PutByte(Encoder *encoder, uint32_t value)
{
    encoder->output[encoder->outputSize++] = uint8_t(value);
}

[[nodiscard]] bool WriteLiteralRun(Encoder *encoder, const uint8_t *bytes, uint32_t count)
{
    while (count > 0)
    {
        uint32_t piece = (count > kMaxLiteralPiece) ? kMaxLiteralPiece : count;
        uint32_t header = (piece <= 32) ? 1 : (piece <= 288) ? 2 : 3;
        if (!Reserve(encoder, header + piece)) return false;

        if (piece <= 32)
        {
            PutByte(encoder, piece - 1);
        }
        else if (piece <= 288)
        {
            PutByte(encoder, 0x20);
            PutByte(encoder, piece - 33);
        }
        else
        {
            PutByte(encoder, 0x21);
            PutByte(encoder, (piece - 289) >> 8);
            PutByte(encoder, piece - 289);
        }

        std::memcpy(encoder->output + encoder->outputSize, bytes, piece);
        encoder->outputSize += piece;
        bytes += piece;
        count -= piece;
    }
    return true;
}

// One match code of 4 to 65827 bytes.
bool WriteMatchPiece(Encoder *encoder, uint32_t length, uint32_t d)
{
    bool nearby = (d < 256);
    uint32_t header = (length <= 35) ? 2 : (length <= 291) ? 3 : 4;
    if (!nearby) ++header;
    if (!Reserve(encoder, header)) return false;

    if (length <= 35)
    {
        PutByte(encoder, (nearby ? 0x40 : 0x80) + (length - 4));
    }
    else if (length <= 291)
    {
        PutByte(encoder, nearby ? 0x60 : 0xA0);
        PutByte(encoder, length - 36);
    }
    else
    {
        PutByte(encoder, nearby ? 0x61 : 0xA1);
        PutByte(encoder, (length - 292) >> 8);
        PutByte(encoder, length - 292);
    }

    if (!nearby) PutByte(encoder, d >> 8);
    PutByte(encoder, d);
    return true;
}

// The length has been clamped so that no rest of 1 to 3 bytes remains after the full pieces.
bool WriteMatch(Encoder *encoder, uint32_t length, uint32_t distance)
{
    uint32_t d = distance - 1;
    while (length > kMaxMatchPiece)
    {
        if (!WriteMatchPiece(encoder, kMaxMatchPiece, d)) return false;
        length -= kMaxMatchPiece;
    }
    return WriteMatchPiece(encoder, length, d);
}

// Shortens a match whose last piece would be 1 to 3 bytes; those bytes go to the following codes.
uint32_t ClampMatchLength(uint32_t length)
{
    if (length > kMaxMatchPiece)
    {
        uint32_t rest = length % kMaxMatchPiece;
        if (rest > 0 && rest < kMinMatchLength) length -= rest;
    }
    return length;
}

// Runs the encoding loop; false when the code does not fit.
bool Encode(Encoder *encoder)
{
    const uint8_t *input = encoder->input;
    uint32_t size = encoder->inputSize;

    InsertHashPosition(encoder, 0);
    uint32_t position = 1;
    uint32_t literalStart = 0;

    while (size - position > 4)
    {
        uint32_t remaining = size - position;
        const uint8_t *current = input + position;

        // Runs of equal bytes are matches at distance 1.
        uint32_t run = GetCommonLength(current - 1, current, remaining);
        if (run < kMinMatchLength) run = 0;

        uint32_t bestLength = run;
        uint32_t bestPosition = position - 1;
        uint32_t bestScore = (run != 0) ? ScoreMatch(run) : 0;

        if (run < remaining)
        {
            uint32_t count = encoder->bucketCount[HashPosition(input, position)];
            uint32_t firstNumber = (count > kMaxChainWalk) ? count - kMaxChainWalk : 0;
            uint32_t windowStart = (position > kWindowSize) ? position - kWindowSize : 0;
            uint32_t word = LoadWord(current);
            uint32_t needed = NeededLength(bestScore);

            // Candidates are position + 1; 0 and positions before the window end the chain.
            uint32_t candidate = encoder->longHead[HashWord(word)];
            while (candidate > windowStart && needed <= remaining)
            {
                uint32_t older = candidate - 1;
                uint32_t slot = older & (kWindowSize - 1);
                candidate = encoder->longChain[slot];
                if (LoadWord(input + older) != word) continue;

                // The same first bytes: the same 12-bit bucket, where numbers fall with age.
                if (encoder->bucketNumber[slot] < firstNumber) break;

                // A candidate that differs at the last byte it needs can neither win nor cover the rest.
                if (input[older + needed - 1] != current[needed - 1]) continue;

                uint32_t length = GetCommonLength(input + older, current, remaining);
                if (ScoreMatch(length) > bestScore)
                {
                    bestLength = length;
                    bestPosition = older;
                    bestScore = ScoreMatch(length);
                    needed = NeededLength(bestScore);
                }
                if (length == remaining) break;
            }
        }

        if (bestLength != 0)
        {
            uint32_t length = ClampMatchLength(bestLength);
            if (!WriteLiteralRun(encoder, input + literalStart, position - literalStart)) return false;
            if (!WriteMatch(encoder, length, position - bestPosition)) return false;

            uint32_t inserted = (length < remaining - 4) ? length : remaining - 4;
            for (uint32_t k = 0; k < inserted; ++k) InsertHashPosition(encoder, position + k);
            position += length;
            literalStart = position;
        }
        else
        {
            InsertHashPosition(encoder, position);
            ++position;
        }
    }

    return WriteLiteralRun(encoder, input + literalStart, size - literalStart);
}

}  // namespace

uint32_t CompressData(const void *input, uint32_t size, void *output)
{
    if (size < kMinMatchLength) return 0;

    Encoder encoder;
    encoder.input = static_cast<const uint8_t *>(input);
    encoder.inputSize = size;
    encoder.output = static_cast<uint8_t *>(output);
    encoder.outputSize = 0;
    encoder.capacity = size;
    encoder.bucketCount = static_cast<uint32_t *>(MemoryAllocate(kHashCount * sizeof(uint32_t)));
    encoder.longHead = static_cast<uint32_t *>(MemoryAllocate((size_t(1) << kLongHashBits) * sizeof(uint32_t)));
    encoder.longChain = static_cast<uint32_t *>(MemoryAllocate(kWindowSize * sizeof(uint32_t)));
    encoder.bucketNumber = static_cast<uint32_t *>(MemoryAllocate(kWindowSize * sizeof(uint32_t)));
    std::memset(encoder.bucketCount, 0, kHashCount * sizeof(uint32_t));
    std::memset(encoder.longHead, 0, (size_t(1) << kLongHashBits) * sizeof(uint32_t));

    bool written = Encode(&encoder);

    MemoryRelease(encoder.bucketNumber);
    MemoryRelease(encoder.longChain);
    MemoryRelease(encoder.longHead);
    MemoryRelease(encoder.bucketCount);

    if (!written) return 0;

    // The padded code must fit in the output buffer too.
    uint32_t padding = (0u - encoder.outputSize) & 3;
    if (!Reserve(&encoder, padding)) return 0;
    while (padding-- > 0) PutByte(&encoder, kEndCode);
    return encoder.outputSize;
}

namespace {

// Copies a match of length bytes from distance back; the copy may overlap what it produces.
// room is the output left from to on: whole words are copied when it allows writing past the end.
void CopyMatch(uint8_t *to, uint32_t distance, uint32_t length, uint32_t room)
{
    const uint8_t *from = to - distance;
    uint8_t *end = to + length;
    if (room - length >= 16)
    {
        if (distance >= 16)
        {
            // Each piece reads only bytes written before it.
            do
            {
                std::memcpy(to, from, 16);
                to += 16;
                from += 16;
            } while (to < end);
            return;
        }
        if (distance >= 8)
        {
            do
            {
                std::memcpy(to, from, 8);
                to += 8;
                from += 8;
            } while (to < end);
            return;
        }
        if (distance == 1)
        {
            std::memset(to, *from, length);
            return;
        }
        if (length > 16)
        {
            // A short period: a 16-byte pattern starting at the same phase is written every
            // multiple of the period that fits 16 bytes.
            uint8_t pattern[16];
            std::memcpy(pattern, from, distance);
            for (uint32_t k = distance; k < 16; ++k) pattern[k] = pattern[k - distance];
            uint32_t step = 16 - 16 % distance;
            do
            {
                std::memcpy(to, pattern, 16);
                to += step;
            } while (to < end);
            return;
        }
    }
    while (to < end) *to++ = *from++;
}

// Bytes of code and of output one step of the short-form loop takes at most: a literal run of
// 32 with its control byte, then a far match of 35.
constexpr uint32_t kShortCodeStep = 33 + 3;
constexpr uint32_t kShortOutputStep = 32 + 35;

// Room a step needs to copy in whole 16-byte pieces: a literal run reads 32 bytes after its
// control byte, and the match after it reads 3 bytes of code and writes 48 bytes of output.
constexpr uint32_t kShortCodeRoom = 33 + 3;
constexpr uint32_t kShortOutputRoom = 32 + 48;

// Decodes short literal runs and short matches, the bulk of a texture's code, while the code and
// the output have room for whole 16-byte pieces, so that none of their bounds can fail but the
// distance. Stops at any other form and near either end; false for a match reaching before the
// output.
[[nodiscard]] inline bool DecodeShortForms(const uint8_t *code, uint32_t compressedSize, uint32_t *read, uint8_t *out,
                                           uint32_t outputSize, uint32_t *written)
{
    if (*written < 16) return true;
    const uint8_t *ip = code + *read;
    uint8_t *op = out + *written;
    bool good = true;
    bool stopped = false;
    while (!stopped)
    {
        // Forms that certainly find the room they need: each takes at most one step of each.
        uint32_t codeLeft = uint32_t(code + compressedSize - ip);
        uint32_t room = uint32_t(out + outputSize - op);
        if (codeLeft < kShortCodeRoom || room < kShortOutputRoom) break;
        uint32_t codeSteps = (codeLeft - kShortCodeRoom) / kShortCodeStep;
        uint32_t outputSteps = (room - kShortOutputRoom) / kShortOutputStep;
        uint32_t count = ((codeSteps < outputSteps) ? codeSteps : outputSteps) + 1;

        for (; count > 0; --count)
        {
            uint32_t control = ip[0];
            if (control < 0x20)
            {
                std::memcpy(op, ip + 1, 16);
                std::memcpy(op + 16, ip + 17, 16);
                ip += control + 2;
                op += control + 1;

                // A match nearly always follows.
                control = ip[0];
            }

            // Near (0x40-0x5F) and far (0x80-0x9F) short matches both give their length field
            // here, every other form 32 or more.
            uint32_t field = (control - 0x40) & 0xBF;
            if (field >= 32)
            {
                if (control < 0x20) continue;
                stopped = true;
                break;
            }

            // Near and far matches advance the code by a constant each, so that the next
            // control byte's address does not wait for this one's value.
            uint32_t length = field + 4;
            uint32_t distance;
            if (control < 0x80)
            {
                distance = ip[1] + 1u;
                ip += 2;
            }
            else
            {
                distance = (uint32_t(ip[1]) << 8 | ip[2]) + 1u;
                ip += 3;
            }

            // One comparison passes the common case, a distance from 16 to the bytes written
            // (at least 16 here); a shorter distance, or one reaching before the output, goes on
            // below.
            uint32_t done = uint32_t(op - out);
            if (distance - 16 < done - 15)
            {
                // Each piece reads only bytes written before it.
                const uint8_t *from = op - distance;
                std::memcpy(op, from, 16);
                std::memcpy(op + 16, from + 16, 16);
                if (length > 32) std::memcpy(op + 32, from + 32, 16);
            }
            else
            {
                if (distance > done)
                {
                    good = false;
                    stopped = true;
                    break;
                }
                CopyMatch(op, distance, length, uint32_t(out + outputSize - op));
            }
            op += length;
        }
    }
    *read = uint32_t(ip - code);
    *written = uint32_t(op - out);
    return good;
}

}  // namespace

bool DecompressData(const void *compressed, uint32_t compressedSize, void *output, uint32_t outputSize)
{
    const uint8_t *code = static_cast<const uint8_t *>(compressed);
    uint8_t *out = static_cast<uint8_t *>(output);
    uint32_t read = 0;
    uint32_t written = 0;

    while (read < compressedSize)
    {
        if (!DecodeShortForms(code, compressedSize, &read, out, outputSize, &written)) return false;
        if (read >= compressedSize) break;

        uint32_t control = code[read];
        uint32_t codeLeft = compressedSize - read;
        uint32_t room = outputSize - written;
        uint8_t *to = out + written;

        // The two most common forms first, short literal runs and near short matches, with the
        // same bounds as the general path below.
        if (control < 0x20)
        {
            uint32_t length = control + 1;
            if (codeLeft - 1 < length || room < length) return false;
            if (codeLeft > 32 && room >= 32) std::memcpy(to, code + read + 1, 32);
            else std::memcpy(to, code + read + 1, length);
            read += 1 + length;
            written += length;
            continue;
        }
        if ((control >> 5) == 2 && codeLeft >= 2)
        {
            uint32_t length = (control & 31) + 4;
            uint32_t distance = code[read + 1] + 1u;
            if (room < length || distance > written) return false;
            CopyMatch(to, distance, length, room);
            read += 2;
            written += length;
            continue;
        }

        uint32_t kind = control >> 5;
        uint32_t field = control & 31;
        if (kind >= 6) break;

        // Bytes of the code after the control byte.
        static const uint8_t kExtraBytes[6][2] = {{0, 0}, {1, 2}, {1, 1}, {2, 3}, {2, 2}, {3, 4}};
        uint32_t extra = kExtraBytes[kind][field != 0];
        if (compressedSize - read - 1 < extra) return false;
        const uint8_t *b = code + read + 1;
        read += 1 + extra;

        uint32_t length;
        uint32_t distance = 0;
        switch (kind)
        {
        case 0: length = field + 1; break;
        case 1: length = (field == 0) ? b[0] + 33u : (uint32_t(b[0]) << 8 | b[1]) + 289u; break;
        case 2: length = field + 4; distance = b[0] + 1u; break;
        case 3:
            if (field == 0) { length = b[0] + 36u; distance = b[1] + 1u; }
            else { length = (uint32_t(b[0]) << 8 | b[1]) + 292u; distance = b[2] + 1u; }
            break;
        case 4: length = field + 4; distance = (uint32_t(b[0]) << 8 | b[1]) + 1u; break;
        default:
            if (field == 0) { length = b[0] + 36u; distance = (uint32_t(b[1]) << 8 | b[2]) + 1u; }
            else { length = (uint32_t(b[0]) << 8 | b[1]) + 292u; distance = (uint32_t(b[2]) << 8 | b[3]) + 1u; }
            break;
        }

        if (room < length) return false;

        if (distance == 0)
        {
            if (compressedSize - read < length) return false;
            std::memcpy(to, code + read, length);
            read += length;
        }
        else
        {
            if (distance > written) return false;
            CopyMatch(to, distance, length, room);
        }
        written += length;
    }

    return written == outputSize;
}

}  // namespace oq
