#include "base/TextUtils.h"

#include "base/TextBytes.h"

namespace oq {

namespace {

template <bool kNoCase>
int32_t FindTextImpl(const char *text, const char *searched)
{
    const unsigned char *t = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *s = reinterpret_cast<const unsigned char *>(searched);
    if (s[0] == 0) return -1;

    for (int32_t i = 0; t[i] != 0; i++)
    {
        int32_t k = 0;
        for (;;)
        {
            uint32_t sb = s[k];
            if (sb == 0) return i;

            uint32_t tb = t[i + k];
            if (kNoCase)
            {
                sb = UpperAsciiByte(sb);
                tb = UpperAsciiByte(tb);
            }

            // A NUL in the text never equals a searched byte, so the scan stops there.
            if (tb != sb) break;
            k++;
        }
    }

    return -1;
}

}  // namespace

int32_t GetTextLength(const char *text)
{
    int32_t length = 0;
    while (text[length] != 0) length++;
    return length;
}

int32_t CopyText(const char *source, char *destination)
{
    int32_t i = 0;
    while ((destination[i] = source[i]) != 0) i++;
    return i;
}

int32_t CopyTextMax(const char *source, char *destination, int32_t n)
{
    int32_t i = 0;
    while (i < n && source[i] != 0)
    {
        destination[i] = source[i];
        i++;
    }

    destination[i] = 0;
    return i;
}

int32_t FindChar(const char *text, char c)
{
    for (int32_t i = 0;; i++)
    {
        if (text[i] == c) return i;
        if (text[i] == 0) return -1;
    }
}

int32_t FindCharMax(const char *text, char c, int32_t n)
{
    for (int32_t i = 0; i < n; i++)
    {
        if (text[i] == c) return i;
        if (text[i] == 0) break;
    }

    return -1;
}

int32_t FindCharOutsideQuotes(const char *text, char c)
{
    bool quoted = false;
    bool escaped = false;
    int32_t i = 0;
    for (; text[i] != 0; i++)
    {
        char b = text[i];
        if (b == '"')
        {
            if (!quoted) quoted = true;
            else if (!escaped) quoted = false;
        }

        if (!quoted && b == c) return i;
        escaped = (b == '\\') && !escaped;
    }

    return (c == 0 && !quoted) ? i : -1;
}

int32_t CountCharMax(const char *text, char c, int32_t n)
{
    int32_t count = 0;
    for (int32_t i = 0; i < n; i++)
    {
        if (text[i] == c) count++;
        if (text[i] == 0) break;
    }

    return count;
}

int32_t FindText(const char *text, const char *searched)
{
    return FindTextImpl<false>(text, searched);
}

int32_t FindTextNoCase(const char *text, const char *searched)
{
    return FindTextImpl<true>(text, searched);
}

uint32_t GetTextHash(const char *text)
{
    const unsigned char *t = reinterpret_cast<const unsigned char *>(text);
    uint32_t hash = 0;
    for (int32_t i = 0; t[i] != 0; i++) hash = (t[i] ^ hash) * 0x6B84DF47u + 1u;
    return hash;
}

}  // namespace oq
