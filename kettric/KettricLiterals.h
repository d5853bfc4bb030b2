#pragma once

#include "kettric/KettricResultCodes.h"

#include <cstdint>

namespace oq {

class TextString;
class StructureReference;
struct ByteBlock;

// Result of every Kettric operation: 0 for success, otherwise a four-character code (KettricResultCodes.h).
using KettricResult = uint32_t;

// One of the 16 primitive data types as a four-character code ('BOOL', 'FLOT', 'STRG', ...).
using KettricDataType = uint32_t;

// Scanners: look at the text at a position and report what they recognised; they move nothing.
// Lengths are byte counts from the position. Every scan stops at the NUL.

// White space (bytes 0x01 to 0x20) and comments; returns the number of bytes skipped.
int32_t SkipKettricWhitespace(const char *text);

[[nodiscard]] KettricResult ParseKettricIdentifier(const char *text, int32_t *length);

// As ParseKettricIdentifier, and copies the identifier and a NUL into the caller's buffer.
[[nodiscard]] KettricResult CopyKettricIdentifier(const char *text, int32_t *length, char *buffer);

[[nodiscard]] KettricResult ParseKettricDataType(const char *text, int32_t *length, KettricDataType *type);
[[nodiscard]] KettricResult ParseKettricBoolLiteral(const char *text, int32_t *length, bool *value);

// Unsigned integer literal without sign: decimal, 0x, 0o, 0b or a character literal.
[[nodiscard]] KettricResult ParseKettricIntegerLiteral(const char *text, int32_t *length, uint64_t *value);
[[nodiscard]] KettricResult ParseKettricDecimalLiteral(const char *text, int32_t *length, uint64_t *value);
[[nodiscard]] KettricResult ParseKettricHexLiteral(const char *text, int32_t *length, uint64_t *value);
[[nodiscard]] KettricResult ParseKettricOctalLiteral(const char *text, int32_t *length, uint64_t *value);
[[nodiscard]] KettricResult ParseKettricBinaryLiteral(const char *text, int32_t *length, uint64_t *value);

// The body of a character literal, from the byte after the opening quote (the closing quote is not checked).
[[nodiscard]] KettricResult ParseKettricCharLiteral(const char *text, int32_t *length, uint64_t *value);

// Floating-point literal without sign; the half form yields the bits of a 16-bit float.
[[nodiscard]] KettricResult ParseKettricFloatLiteral(const char *text, int32_t *length, float *value);
[[nodiscard]] KettricResult ParseKettricDoubleLiteral(const char *text, int32_t *length, double *value);
[[nodiscard]] KettricResult ParseKettricHalfLiteral(const char *text, int32_t *length, uint16_t *value);

// The body of a string literal, from the byte after the opening quote up to the closing quote or the NUL.
// Gives the body's length in the text and its decoded length; decodes into the buffer when it is not null.
[[nodiscard]] KettricResult ParseKettricStringLiteral(const char *text, int32_t *length, int32_t *decodedLength, char *buffer);

// The escape after a backslash: bytes consumed after the backslash, 0 when invalid.
[[nodiscard]] int32_t ParseKettricCharEscape(const char *text, unsigned char *value);
[[nodiscard]] int32_t ParseKettricStringEscape(const char *text, int32_t *decodedLength, char *buffer);

// Optional sign, white space and a literal; 0 when anything fails (or outside int32).
int32_t KettricTextToInt32(const char *text);
float KettricTextToFloat(const char *text);

// Room a float's Kettric text needs, with its NUL.
inline constexpr int32_t kKettricFloatTextSize = 16;

// A float as a Kettric literal that reads back bit for bit: the base library's decimal text for a
// finite value, a bit-pattern literal ("0x7F800000") for INF and NAN. Writes a NUL after it into a
// buffer of kKettricFloatTextSize bytes; returns the character count.
int32_t FormatKettricFloat(float value, char *buffer);

// Readers: take a text cursor and an optional target (null only checks and skips the literal).
// On success they store the value, move the cursor past the literal and the white space and
// comments after it, and return 0; on failure they return the code.

// Consumes an optional "-" or "+" and the white space after it; true for "-".
bool ReadKettricSign(const char **text);

[[nodiscard]] KettricResult ReadKettricBool(const char **text, bool *value);
[[nodiscard]] KettricResult ReadKettricInt8(const char **text, int8_t *value);
[[nodiscard]] KettricResult ReadKettricInt16(const char **text, int16_t *value);
[[nodiscard]] KettricResult ReadKettricInt32(const char **text, int32_t *value);
[[nodiscard]] KettricResult ReadKettricInt64(const char **text, int64_t *value);
[[nodiscard]] KettricResult ReadKettricUInt8(const char **text, uint8_t *value);
[[nodiscard]] KettricResult ReadKettricUInt16(const char **text, uint16_t *value);
[[nodiscard]] KettricResult ReadKettricUInt32(const char **text, uint32_t *value);
[[nodiscard]] KettricResult ReadKettricUInt64(const char **text, uint64_t *value);
[[nodiscard]] KettricResult ReadKettricHalf(const char **text, uint16_t *value);
[[nodiscard]] KettricResult ReadKettricFloat(const char **text, float *value);
[[nodiscard]] KettricResult ReadKettricDouble(const char **text, double *value);
[[nodiscard]] KettricResult ReadKettricString(const char **text, TextString *value);
[[nodiscard]] KettricResult ReadKettricReference(const char **text, StructureReference *value);
[[nodiscard]] KettricResult ReadKettricType(const char **text, uint32_t *value);
[[nodiscard]] KettricResult ReadKettricBase64(const char **text, ByteBlock *value);

// Plain text utilities of the same family (no Kettric rules).

// Index of the last "." after the last "/", or the text's length.
int32_t GetFileExtensionPosition(const char *text);

// Index just after the last "/", or 0.
int32_t GetFileNamePosition(const char *text);

// Copy an optional "-" and decimal digits (at most n bytes, then a NUL); returns the source bytes taken.
int32_t CopyIntegerToken(const char *source, char *destination, int32_t n);

// As CopyIntegerToken, also one ".", one exponent letter and one "-" after it.
int32_t CopyNumberToken(const char *source, char *destination, int32_t n);

// A quoted text or a bare word (at most n bytes, then a NUL); returns the source bytes consumed.
int32_t ReadTextToken(const char *source, char *destination, int32_t n);

// A quoted character constant packed into 32 bits; returns the source bytes consumed, 0 without a quote.
int32_t ReadCharacterConstant(const char *source, uint32_t *value);

}  // namespace oq
