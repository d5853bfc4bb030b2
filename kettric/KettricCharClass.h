#pragma once

#include "kettric/KettricLiterals.h"

#include <array>
#include <cstdint>

namespace oq {

// Byte classes of the Kettric lexer: separators (NUL, control bytes, space, punctuation),
// identifier characters (letters, digits, "_") and invalid characters (0x7F to 0xFF).
enum : uint8_t
{
    kKettricSeparator = 0,
    kKettricIdentifierChar = 1,
    kKettricInvalidChar = 2
};

constexpr std::array<uint8_t, 256> MakeKettricCharClassTable()
{
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
    {
        if ((i >= 'A' && i <= 'Z') || (i >= 'a' && i <= 'z') || (i >= '0' && i <= '9') || i == '_')
            table[i] = kKettricIdentifierChar;
        else if (i >= 0x7F)
            table[i] = kKettricInvalidChar;
        else
            table[i] = kKettricSeparator;
    }
    return table;
}

// Value of a hexadecimal digit, 0xFF for any other byte.
constexpr std::array<uint8_t, 256> MakeKettricHexDigitTable()
{
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
    {
        if (i >= '0' && i <= '9')
            table[i] = static_cast<uint8_t>(i - '0');
        else if (i >= 'A' && i <= 'F')
            table[i] = static_cast<uint8_t>(i - 'A' + 10);
        else if (i >= 'a' && i <= 'f')
            table[i] = static_cast<uint8_t>(i - 'a' + 10);
        else
            table[i] = 0xFF;
    }
    return table;
}

inline constexpr std::array<uint8_t, 256> kKettricCharClass = MakeKettricCharClassTable();
inline constexpr std::array<uint8_t, 256> kKettricHexDigitValue = MakeKettricHexDigitTable();

inline uint8_t GetKettricCharClass(char c)
{
    return kKettricCharClass[static_cast<unsigned char>(c)];
}

inline bool IsKettricSeparator(char c)
{
    return kKettricCharClass[static_cast<unsigned char>(c)] == kKettricSeparator;
}

inline bool IsKettricDigit(char c)
{
    return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0' < 10u;
}

// The text after any white space and comments; the common cases of none and of a single space
// before a token are decided inline.
inline const char *SkipKettricSpace(const char *p)
{
    unsigned char c = static_cast<unsigned char>(*p);
    if (c > 0x20 && c != '/') return p;
    if (c == ' ')
    {
        unsigned char next = static_cast<unsigned char>(p[1]);
        if (next > 0x20 && next != '/') return p + 1;
    }
    return p + SkipKettricWhitespace(p);
}

// Consumes an optional sign as ReadKettricSign does; the common case of none is decided inline.
inline bool ReadKettricSignFast(const char **text)
{
    return (**text == '-' || **text == '+') && ReadKettricSign(text);
}

}  // namespace oq
