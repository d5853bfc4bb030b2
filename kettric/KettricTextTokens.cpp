// Plain text tokens beside the Kettric readers: file name positions, number tokens, quoted tokens.
#include "kettric/KettricLiterals.h"

namespace oq {

int32_t GetFileExtensionPosition(const char *text)
{
    int32_t position = -1;
    int32_t i = 0;
    for (; text[i] != 0; ++i)
    {
        if (text[i] == '/')
            position = -1;
        else if (text[i] == '.')
            position = i;
    }
    return (position >= 0) ? position : i;
}

int32_t GetFileNamePosition(const char *text)
{
    int32_t position = 0;
    for (int32_t i = 0; text[i] != 0; ++i)
    {
        if (text[i] == '/') position = i + 1;
    }
    return position;
}

int32_t CopyIntegerToken(const char *source, char *destination, int32_t n)
{
    int32_t count = 0;
    if (count < n && source[0] == '-')
    {
        destination[0] = '-';
        count = 1;
    }
    while (count < n && static_cast<unsigned>(static_cast<unsigned char>(source[count])) - '0' < 10u)
    {
        destination[count] = source[count];
        ++count;
    }
    destination[count] = 0;
    return count;
}

int32_t CopyNumberToken(const char *source, char *destination, int32_t n)
{
    int32_t count = 0;
    bool point = false;
    bool exponent = false;
    if (count < n && source[0] == '-')
    {
        destination[0] = '-';
        count = 1;
    }
    while (count < n)
    {
        char c = source[count];
        bool take = false;
        if (static_cast<unsigned>(static_cast<unsigned char>(c)) - '0' < 10u)
            take = true;
        else if (c == '.' && !point)
            take = point = true;
        else if ((c == 'e' || c == 'E') && !exponent)
            take = exponent = true;
        else if (c == '-' && count > 0 && (source[count - 1] == 'e' || source[count - 1] == 'E'))
            take = true;
        if (!take) break;
        destination[count] = c;
        ++count;
    }
    destination[count] = 0;
    return count;
}

int32_t ReadTextToken(const char *source, char *destination, int32_t n)
{
    int32_t copied = 0;
    if (source[0] == '"')
    {
        int32_t taken = 0;
        const char *p = source + 1;
        while (taken < n)
        {
            char c = p[taken];
            if (c == 0) break;
            if (c == '"')
            {
                ++taken;
                break;
            }
            if (c == '\\')
            {
                // The backslash makes the next byte literal, but never the NUL.
                if (p[taken + 1] == 0 || taken + 1 >= n)
                {
                    ++taken;
                    break;
                }
                c = p[taken + 1];
                ++taken;
            }
            destination[copied++] = c;
            ++taken;
        }
        destination[copied] = 0;
        return taken + 1;
    }
    while (copied < n)
    {
        unsigned char c = static_cast<unsigned char>(source[copied]);
        if (c <= 0x20 || c == 0x7F) break;
        if (c == '/' && source[copied + 1] == '/') break;
        destination[copied] = static_cast<char>(c);
        ++copied;
    }
    destination[copied] = 0;
    return copied;
}

int32_t ReadCharacterConstant(const char *source, uint32_t *value)
{
    *value = 0;
    if (source[0] != '\'') return 0;
    uint32_t v = 0;
    int32_t i = 1;
    for (;;)
    {
        char c = source[i];
        if (c == 0) break;
        if (c == '\'')
        {
            ++i;
            break;
        }
        if (c == '\\')
        {
            // The backslash makes the next byte literal, but never the NUL.
            if (source[i + 1] == 0)
            {
                ++i;
                break;
            }
            ++i;
            c = source[i];
        }
        v = v << 8 | static_cast<unsigned char>(c);
        ++i;
    }
    *value = v;
    return i;
}

}  // namespace oq
