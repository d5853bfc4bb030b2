#include "base/TextString.h"

#include "base/Memory.h"
#include "base/TextUtils.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace oq {

namespace {

// The largest block a string can use; lengths are int32 and blocks multiples of 64.
constexpr int64_t kMaxCapacity = 0x7FFFFFC0;

// The smallest multiple of 64 that is at least n + 4.
int64_t GetHeapSize(int64_t n)
{
    return (n + 67) & ~int64_t(63);
}

// A string that cannot be held in an int32-sized block is an allocation failure.
[[noreturn]] void FailTooLong()
{
    std::fputs("Error: out of memory\n", stderr);
    std::abort();
}

char *AllocateText(int64_t size)
{
    if (size > kMaxCapacity) FailTooLong();
    return static_cast<char *>(MemoryAllocate(size_t(size)));
}

// Bytes before the NUL, looking at most n bytes.
int32_t GetTextLengthMax(const char *text, int32_t n)
{
    int32_t count = 0;
    while (count < n && text[count] != 0) ++count;
    return count;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Escape classes: 1 copied, 2 backslash and one character, 4 backslash, x and two hex digits.
struct EscapeTable
{
    uint8_t escapeClass[128];
};

constexpr EscapeTable MakeEscapeTable(int32_t mode)
{
    EscapeTable table{};
    for (int32_t c = 0; c < 128; ++c) table.escapeClass[c] = 1;
    for (int32_t c = 1; c <= 6; ++c) table.escapeClass[c] = 4;
    for (int32_t c = 7; c <= 13; ++c) table.escapeClass[c] = 2;
    for (int32_t c = 14; c <= 31; ++c) table.escapeClass[c] = 4;
    table.escapeClass[127] = 4;
    table.escapeClass[int32_t('"')] = 2;
    table.escapeClass[int32_t('\\')] = 2;
    if (mode == 1)
    {
        table.escapeClass[int32_t('\'')] = 2;
        table.escapeClass[int32_t('?')] = 2;
        table.escapeClass[int32_t('&')] = 4;
        table.escapeClass[int32_t('-')] = 4;
        table.escapeClass[int32_t('<')] = 4;
        table.escapeClass[int32_t('>')] = 4;
    }
    return table;
}

constexpr EscapeTable kEscapeTable0 = MakeEscapeTable(0);
constexpr EscapeTable kEscapeTable1 = MakeEscapeTable(1);

char GetEscapeLetter(unsigned char c)
{
    switch (c)
    {
        case 7: return 'a';
        case 8: return 'b';
        case 9: return 't';
        case 10: return 'n';
        case 11: return 'v';
        case 12: return 'f';
        case 13: return 'r';
        default: return char(c);
    }
}

// Output size of one XML step: 0 dropped, 1 copied, 6 character reference.
constexpr uint8_t GetXmlClass(unsigned char c)
{
    if (c == '\t' || c == '\n' || c == '\r' || c == '&' || c == '<' || c == '>' || c == 127) return 6;
    if (c < 32) return 0;
    return 1;
}

// Size of the UTF-8 sequence at text that XML accepts as is: 0 for an invalid sequence, an
// encoded surrogate or U+FFFE/U+FFFF (not XML characters), which become U+FFFD.
int32_t GetXmlSequenceSize(const char *text)
{
    int32_t size = GetUtf8CharSize(text);
    if (size == 3)
    {
        const unsigned char *bytes = reinterpret_cast<const unsigned char *>(text);
        if (bytes[0] == 0xED && bytes[1] >= 0xA0) return 0;
        if (bytes[0] == 0xEF && bytes[1] == 0xBF && bytes[2] >= 0xBE) return 0;
    }
    return size;
}

constexpr char kReplacementChar[3] = {char(0xEF), char(0xBF), char(0xBD)};

}  // namespace

TextString::TextString()
{
    SetEmpty();
}

TextString::TextString(const TextString &string)
{
    SetEmpty();
    int32_t n = string.textLength;
    ProvideExactFit(n, 0);
    std::memcpy(textPointer, string.textPointer, size_t(n));
    textLength = n;
}

TextString::TextString(TextString &&string) noexcept
{
    SetEmpty();
    MoveAssign(string);
}

TextString::TextString(const char *text) : TextString(text, INT32_MAX) {}

TextString::TextString(const char *text, int32_t n)
{
    SetEmpty();
    if (n <= 0) return;
    // A text that fits the local buffer is copied while its end is sought.
    int32_t localLimit = (n < kLocalBufferSize) ? n : kLocalBufferSize - 1;
    int32_t count = 0;
    while (count < localLimit && text[count] != 0)
    {
        localBuffer[count] = text[count];
        ++count;
    }
    if (count < localLimit || count == n || text[count] == 0)
    {
        localBuffer[count] = 0;
        textLength = count + 1;
        return;
    }
    count += GetTextLengthMax(text + count, n - count);
    ProvideExactFit(count + 1, 0);
    std::memcpy(textPointer, text, size_t(count));
    textPointer[count] = 0;
    textLength = count + 1;
}

TextString::TextString(const char16_t *text)
{
    SetEmpty();
    int32_t size = GetUtf16TextUtf8Size(text);
    if (size <= 0) return;
    ProvideExactFit(size + 1, 0);
    int32_t count = ConvertUtf16ToUtf8(text, textPointer, size);
    textLength = count + 1;
}

TextString::TextString(const char *text1, const char *text2)
{
    SetEmpty();
    int64_t length1 = GetTextLength(text1);
    int64_t length2 = GetTextLength(text2);
    int64_t n = length1 + length2 + 1;
    if (n > kMaxCapacity) FailTooLong();
    ProvideExactFit(int32_t(n), 0);
    std::memcpy(textPointer, text1, size_t(length1));
    std::memcpy(textPointer + length1, text2, size_t(length2));
    textPointer[n - 1] = 0;
    textLength = int32_t(n);
}

TextString::TextString(int32_t value)
{
    textCapacity = kLocalBufferSize;
    textPointer = localBuffer;
    textLength = Int32ToText(value, localBuffer, 15) + 1;
}

TextString::TextString(int64_t value)
{
    textCapacity = 64;
    textPointer = AllocateText(64);
    textLength = Int64ToText(value, textPointer, 63) + 1;
}

TextString::TextString(float value)
{
    textCapacity = 64;
    textPointer = AllocateText(64);
    textLength = FloatToText(value, textPointer, 63) + 1;
}

TextString::TextString(int32_t value, const char *text)
{
    int32_t length = GetTextLength(text);
    int64_t size = (int64_t(length) + 83) & ~int64_t(63);
    textPointer = AllocateText(size);
    textCapacity = int32_t(size);
    std::memcpy(textPointer, text, size_t(length));
    textLength = length + Int32ToText(value, textPointer + length, 15) + 1;
}

TextString::TextString(int64_t value, const char *text)
{
    int32_t length = GetTextLength(text);
    int64_t size = (int64_t(length) + 131) & ~int64_t(63);
    textPointer = AllocateText(size);
    textCapacity = int32_t(size);
    std::memcpy(textPointer, text, size_t(length));
    textLength = length + Int64ToText(value, textPointer + length, 63) + 1;
}

TextString::~TextString()
{
    ReleaseBlock();
}

bool TextString::LiesInBuffer(const char *text) const
{
    uintptr_t address = reinterpret_cast<uintptr_t>(text);
    uintptr_t start = reinterpret_cast<uintptr_t>(textPointer);
    return address >= start && address < start + uintptr_t(textCapacity);
}

void TextString::SetEmpty()
{
    textLength = 1;
    textCapacity = kLocalBufferSize;
    textPointer = localBuffer;
    localBuffer[0] = 0;
}

void TextString::ReleaseBlock()
{
    if (!IsLocal()) MemoryRelease(textPointer);
}

// Room for n bytes by the exact-fit rule, keeping the first keep bytes of the text.
void TextString::ProvideExactFit(int32_t n, int32_t keep)
{
    if (n <= kLocalBufferSize)
    {
        if (!IsLocal())
        {
            std::memcpy(localBuffer, textPointer, size_t(keep));
            MemoryRelease(textPointer);
            textPointer = localBuffer;
            textCapacity = kLocalBufferSize;
        }
    }
    else if (IsLocal() || textCapacity < n || n < textCapacity / 2)
    {
        int64_t size = GetHeapSize(n);
        char *block = AllocateText(size);
        std::memcpy(block, textPointer, size_t(keep));
        ReleaseBlock();
        textPointer = block;
        textCapacity = int32_t(size);
    }
}

// Capacity of the growth rule for n bytes: at least half again the current capacity.
int64_t TextString::GetGrowthCapacity(int64_t n) const
{
    if (n > kMaxCapacity) FailTooLong();
    int64_t size = int64_t(textCapacity) + textCapacity / 2;
    int64_t heapSize = GetHeapSize(n);
    if (heapSize > size) size = heapSize;
    return (size < kMaxCapacity) ? size : kMaxCapacity;
}

// Room for n bytes by the growth rule; the text is kept.
void TextString::Grow(int64_t n)
{
    if (n <= textCapacity) return;
    int64_t size = GetGrowthCapacity(n);
    char *block = AllocateText(size);
    std::memcpy(block, textPointer, size_t(textLength));
    ReleaseBlock();
    textPointer = block;
    textCapacity = int32_t(size);
}

// Appends bytes that do not lie in this string's buffer.
void TextString::AppendBytes(const char *bytes, int32_t count)
{
    Grow(int64_t(textLength) + count);
    std::memcpy(textPointer + textLength - 1, bytes, size_t(count));
    textLength += count;
    textPointer[textLength - 1] = 0;
}

void TextString::ResizeBuffer(int32_t n)
{
    if (n < 1) n = 1;
    ProvideExactFit(n, 0);
    textLength = n;
    textPointer[n - 1] = 0;
}

void TextString::SetText(const char *text)
{
    SetTextMax(text, INT32_MAX);
}

void TextString::SetTextMax(const char *text, int32_t n)
{
    if (n <= 0 || text[0] == 0)
    {
        Purge();
        return;
    }

    int32_t count = GetTextLengthMax(text, n);
    if (LiesInBuffer(text))
    {
        // Own text: move it to the front, then size by the exact-fit rule keeping it.
        std::memmove(textPointer, text, size_t(count));
        ProvideExactFit(count + 1, count);
        textLength = count + 1;
        textPointer[count] = 0;
        return;
    }

    ResizeBuffer(count + 1);
    std::memcpy(textPointer, text, size_t(count));
}

void TextString::Assign(const TextString &string)
{
    if (&string == this) return;
    if (string.textLength <= 1)
    {
        Purge();
        return;
    }
    ResizeBuffer(string.textLength);
    std::memcpy(textPointer, string.textPointer, size_t(string.textLength));
}

void TextString::MoveAssign(TextString &string)
{
    if (&string == this) return;
    ReleaseBlock();
    textLength = string.textLength;
    if (string.IsLocal())
    {
        textCapacity = kLocalBufferSize;
        textPointer = localBuffer;
        std::memcpy(localBuffer, string.localBuffer, kLocalBufferSize);
    }
    else
    {
        textCapacity = string.textCapacity;
        textPointer = string.textPointer;
    }
    string.SetEmpty();
}

void TextString::Purge()
{
    ReleaseBlock();
    SetEmpty();
}

void TextString::SetInt32(int32_t value)
{
    ReleaseBlock();
    textCapacity = kLocalBufferSize;
    textPointer = localBuffer;
    textLength = Int32ToText(value, localBuffer, 15) + 1;
}

// Room for a number of up to 63 characters: a block of 64 to 129 bytes is kept, anything else replaced.
void TextString::ProvideNumberRoom()
{
    if (textCapacity < 64 || textCapacity / 2 > 64)
    {
        ReleaseBlock();
        textPointer = AllocateText(128);
        textCapacity = 128;
    }
}

void TextString::SetInt64(int64_t value)
{
    ProvideNumberRoom();
    textLength = Int64ToText(value, textPointer, 63) + 1;
}

void TextString::SetFloat(float value)
{
    ProvideNumberRoom();
    textLength = FloatToText(value, textPointer, 63) + 1;
}

void TextString::AppendString(const TextString &string)
{
    int32_t count = string.textLength - 1;
    if (count <= 0) return;
    if (&string == this)
    {
        // The text is kept by the growth, so the copy reads it from the new block.
        Grow(int64_t(textLength) + count);
        std::memcpy(textPointer + count, textPointer, size_t(count));
        textLength += count;
        textPointer[textLength - 1] = 0;
        return;
    }
    AppendBytes(string.textPointer, count);
}

void TextString::AppendText(const char *text)
{
    if (text[0] == 0) return;
    if (LiesInBuffer(text))
    {
        TextString copy(text);
        AppendBytes(copy.textPointer, copy.textLength - 1);
        return;
    }
    int64_t count = GetTextLength(text);
    if (count > kMaxCapacity) FailTooLong();
    AppendBytes(text, int32_t(count));
}

void TextString::AppendTextMax(const char *text, int32_t n)
{
    if (n <= 0) return;
    int32_t count = GetTextLengthMax(text, n);

    // Room for the full n, unless that is more than a block can hold: then room for the bytes present.
    int64_t need = int64_t(textLength) + n;
    if (need > kMaxCapacity) need = int64_t(textLength) + count;

    if (LiesInBuffer(text))
    {
        TextString copy(text, count);
        Grow(need);
        AppendBytes(copy.textPointer, count);
        return;
    }
    Grow(need);
    AppendBytes(text, count);
}

void TextString::AppendChar(char c)
{
    Grow(int64_t(textLength) + 1);
    textPointer[textLength - 1] = c;
    textPointer[textLength] = 0;
    ++textLength;
}

void TextString::AppendInt32(int32_t value)
{
    Grow(int64_t(textLength) + 64);
    textLength += Int32ToText(value, textPointer + textLength - 1, 63);
}

void TextString::AppendInt64(int64_t value)
{
    Grow(int64_t(textLength) + 64);
    textLength += Int64ToText(value, textPointer + textLength - 1, 63);
}

void TextString::SetLength(int32_t count)
{
    if (count < 1)
    {
        Purge();
        return;
    }
    if (count == textLength - 1) return;
    if (count >= kMaxCapacity) FailTooLong();

    int32_t keep = (count < textLength - 1) ? count : textLength - 1;
    int32_t n = count + 1;
    ProvideExactFit(n, keep);
    textLength = n;
    textPointer[count] = 0;
}

void TextString::Insert(int32_t position, const char *source, int32_t count)
{
    if (count <= 0) return;
    if (LiesInBuffer(source))
    {
        char *copy = static_cast<char *>(MemoryAllocate(size_t(count)));
        std::memcpy(copy, source, size_t(count));
        Insert(position, copy, count);
        MemoryRelease(copy);
        return;
    }

    int64_t n = int64_t(textLength) + count;
    int32_t tail = textLength - position;
    if (n <= textCapacity)
    {
        std::memmove(textPointer + position + count, textPointer + position, size_t(tail));
        std::memcpy(textPointer + position, source, size_t(count));
    }
    else
    {
        int64_t size = GetGrowthCapacity(n);
        char *block = AllocateText(size);
        std::memcpy(block, textPointer, size_t(position));
        std::memcpy(block + position, source, size_t(count));
        std::memcpy(block + position + count, textPointer + position, size_t(tail));
        ReleaseBlock();
        textPointer = block;
        textCapacity = int32_t(size);
    }
    textLength = int32_t(n);
}

void TextString::Erase(int32_t position, int32_t count)
{
    int32_t available = textLength - 1 - position;
    if (count > available) count = available;
    if (count <= 0) return;

    std::memmove(textPointer + position, textPointer + position + count, size_t(textLength - position - count));
    textLength -= count;
    if (!IsLocal() && textLength <= kLocalBufferSize)
    {
        std::memcpy(localBuffer, textPointer, size_t(textLength));
        MemoryRelease(textPointer);
        textPointer = localBuffer;
        textCapacity = kLocalBufferSize;
    }
}

void TextString::ToLowerCase()
{
    for (int32_t i = 0; i < textLength - 1; ++i)
    {
        char c = textPointer[i];
        if (c >= 'A' && c <= 'Z') textPointer[i] = char(c + 32);
    }
}

void TextString::ToUpperCase()
{
    for (int32_t i = 0; i < textLength - 1; ++i)
    {
        char c = textPointer[i];
        if (c >= 'a' && c <= 'z') textPointer[i] = char(c - 32);
    }
}

void TextString::ReplaceChar(char oldChar, char newChar)
{
    for (int32_t i = 0; i < textLength - 1; ++i)
    {
        if (textPointer[i] == oldChar) textPointer[i] = newChar;
    }
}

// Output room for a rewritten text of sum bytes: the scratch buffer when it fits the local
// buffer, else a block of (sum + 67) & ~63 bytes.
char *TextString::StartRewrite(int64_t sum, char *scratch)
{
    if (sum + 1 <= kLocalBufferSize) return scratch;
    return AllocateText((sum + 67) & ~int64_t(63));
}

// Replaces the text with the rewritten one that StartRewrite gave room for.
void TextString::FinishRewrite(char *output, int64_t sum)
{
    ReleaseBlock();
    if (sum + 1 <= kLocalBufferSize)
    {
        std::memcpy(localBuffer, output, size_t(sum + 1));
        textPointer = localBuffer;
        textCapacity = kLocalBufferSize;
    }
    else
    {
        textPointer = output;
        textCapacity = int32_t((sum + 67) & ~int64_t(63));
    }
    textLength = int32_t(sum + 1);
}

int64_t TextString::WriteEscapedText(const char *text, int32_t length, int32_t mode, char *output,
                                     bool *changed)
{
    const uint8_t *table = (mode == 1) ? kEscapeTable1.escapeClass : kEscapeTable0.escapeClass;

    // Bytes of 128 and above stay raw only as part of a valid UTF-8 sequence; others become \xHH.
    int64_t sum = 0;
    bool escaped = false;
    for (int32_t i = 0; i < length;)
    {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int32_t escapeClass = 4;
        if (c < 128) escapeClass = table[c];
        else
        {
            int32_t sequence = GetUtf8CharSize(text + i);
            if (sequence >= 2)
            {
                if (output) std::memcpy(output + sum, text + i, size_t(sequence));
                sum += sequence;
                i += sequence;
                continue;
            }
        }
        if (output)
        {
            char *out = output + sum;
            if (escapeClass == 1) out[0] = char(c);
            else if (escapeClass == 2)
            {
                out[0] = '\\';
                out[1] = GetEscapeLetter(c);
            }
            else
            {
                out[0] = '\\';
                out[1] = 'x';
                out[2] = kHexDigits[c >> 4];
                out[3] = kHexDigits[c & 15];
            }
        }
        sum += escapeClass;
        escaped |= (escapeClass != 1);
        ++i;
    }
    if (output) output[sum] = 0;
    if (changed) *changed = escaped;
    return sum;
}

int64_t TextString::WriteEscapedXml(const char *text, int32_t length, char *output, bool *changed)
{
    // Control characters that XML 1.0 forbids are dropped; invalid UTF-8 and encoded surrogates
    // become U+FFFD, so the result is always well-formed character data.
    int64_t sum = 0;
    bool escaped = false;
    for (int32_t i = 0; i < length;)
    {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 128)
        {
            int32_t xmlClass = GetXmlClass(c);
            if (output)
            {
                char *out = output + sum;
                if (xmlClass == 1) out[0] = char(c);
                else if (xmlClass == 6)
                {
                    std::memcpy(out, "&#x", 3);
                    out[3] = kHexDigits[c >> 4];
                    out[4] = kHexDigits[c & 15];
                    out[5] = ';';
                }
            }
            sum += xmlClass;
            escaped |= (xmlClass != 1);
            ++i;
            continue;
        }
        int32_t sequence = GetXmlSequenceSize(text + i);
        if (sequence >= 2)
        {
            if (output) std::memcpy(output + sum, text + i, size_t(sequence));
            sum += sequence;
            i += sequence;
        }
        else
        {
            // An encoded surrogate is replaced as a whole, an invalid byte on its own.
            if (output) std::memcpy(output + sum, kReplacementChar, 3);
            sum += 3;
            escaped = true;
            i += (GetUtf8CharSize(text + i) == 3) ? 3 : 1;
        }
    }
    if (output) output[sum] = 0;
    if (changed) *changed = escaped;
    return sum;
}

void TextString::EscapeText(int32_t mode)
{
    bool changed = false;
    int64_t sum = WriteEscapedText(textPointer, textLength - 1, mode, nullptr, &changed);
    if (!changed) return;

    char scratch[kLocalBufferSize];
    char *output = StartRewrite(sum, scratch);
    static_cast<void>(WriteEscapedText(textPointer, textLength - 1, mode, output, nullptr));
    FinishRewrite(output, sum);
}

void TextString::EscapeXml()
{
    bool changed = false;
    int64_t sum = WriteEscapedXml(textPointer, textLength - 1, nullptr, &changed);
    if (!changed) return;

    char scratch[kLocalBufferSize];
    char *output = StartRewrite(sum, scratch);
    static_cast<void>(WriteEscapedXml(textPointer, textLength - 1, output, nullptr));
    FinishRewrite(output, sum);
}

}  // namespace oq
