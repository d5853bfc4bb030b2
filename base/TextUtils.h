#pragma once

#include <cstdint>

// Free functions over NUL-terminated byte texts (UTF-8 by convention). Bytes are compared as
// unsigned values; case folding concerns the ASCII letters only. Every function that writes into a
// caller's buffer takes a limit and always writes a terminating NUL, so the buffer holds limit + 1.

namespace oq {

// ---- UTF-8 and UTF-16 -------------------------------------------------------------------------

// 1 for a byte below 0x80 (the NUL included); 2, 3 or 4 for a valid sequence; 0 otherwise.
// Encoded surrogates (ED A0 80 to ED BF BF) are accepted.
int32_t GetUtf8CharSize(const char *text);

// Decodes one character: returns its byte count and stores its code point. An invalid sequence
// gives U+FFFD with a count of 1. Never reads past a NUL.
int32_t DecodeUtf8(const char *text, uint32_t *codePoint);

// Writes 1 to 4 bytes (no NUL) and returns their count; 0 and nothing written above U+10FFFF.
int32_t EncodeUtf8(char *buffer, uint32_t codePoint);

// 1, 2, 3 or 4 bytes for the code point; 0 above U+10FFFF.
int32_t GetUtf8EncodedSize(uint32_t codePoint);

// Counts characters by their lead bytes alone (no validation). The count ends at the NUL; a
// sequence that the NUL cuts short ends it without being counted.
int32_t CountUtf8Chars(const char *text);

// The same within the first maxBytes bytes; a sequence that the limit cuts short is not counted.
int32_t CountUtf8CharsMax(const char *text, int32_t maxBytes);

// Bytes taken by the first count characters by lead-byte steps; 0 for a count of 0 or less.
// Stops at the NUL and before a sequence that the NUL cuts short.
int32_t GetUtf8CharsSize(const char *text, int32_t count);

// Size given by the lead byte (2 for C0-DF, 3 for E0-EF, 4 for F0-F7, else 1), at most maxBytes;
// a maxBytes of 0 or less is returned unchanged.
int32_t GetUtf8CharSizeMax(const char *text, int32_t maxBytes);

// Size of the character ending just before position: 1 plus the continuation bytes directly
// before it, never more than available; 0 when available is 0 or less.
int32_t GetPreviousUtf8CharSize(const char *position, int32_t available);

// UTF-8 bytes the conversion of a NUL-terminated UTF-16 text takes, without the NUL.
// A valid surrogate pair is one character; any other surrogate unit stands for itself.
int32_t GetUtf16TextUtf8Size(const char16_t *text);

// Converts character by character, stopping before a character that no longer fits maxBytes;
// writes the NUL after the last one. Returns the bytes written without the NUL.
int32_t ConvertUtf16ToUtf8(const char16_t *text, char *output, int32_t maxBytes);

// UTF-16 units the conversion of a NUL-terminated UTF-8 text takes, without the NUL.
int32_t GetUtf8TextUtf16Size(const char *text);

// Decodes by the DecodeUtf8 rules, writing surrogate pairs above U+FFFF; stops at the NUL, at
// maxUnits, or before a pair when only one unit is left. Writes the NUL unit; returns the units
// written without it.
int32_t ConvertUtf8ToUtf16(const char *text, char16_t *output, int32_t maxUnits);

// ---- Copying, searching and hashing (indexes are byte offsets; -1 means not found) -------------

// Bytes before the NUL.
int32_t GetTextLength(const char *text);

// Copies through the NUL; returns the bytes copied before it.
int32_t CopyText(const char *source, char *destination);

// Copies at most n bytes, fewer at a NUL, then writes a NUL; returns the bytes copied.
int32_t CopyTextMax(const char *source, char *destination, int32_t n);

// Index of the first occurrence of the byte; searching for 0 finds the NUL.
int32_t FindChar(const char *text, char c);

// The same within the first n bytes; stops at the NUL.
int32_t FindCharMax(const char *text, char c, int32_t n);

// Index of the first occurrence outside double-quoted parts (a backslash escapes a quote inside);
// searching for 0 finds the NUL unless an unclosed quoted part runs up to it.
int32_t FindCharOutsideQuotes(const char *text, char c);

// Occurrences within the first n bytes; stops at the NUL (which counts once when c is 0).
int32_t CountCharMax(const char *text, char c, int32_t n);

// Index of the first occurrence of searched; -1 when absent or when searched is empty.
int32_t FindText(const char *text, const char *searched);

// The same with ASCII letters matched regardless of case.
int32_t FindTextNoCase(const char *text, const char *searched);

// 32-bit text hash: h = ((b ^ h) * 0x6B84DF47 + 1) for every byte b, starting from 0.
uint32_t GetTextHash(const char *text);

// ---- Comparisons ------------------------------------------------------------------------------
// The Max forms look at most n bytes. Case-insensitive equality folds A-Z down to a-z; the
// case-insensitive orderings fold a-z up to A-Z, so the underscore sorts after the letters.

bool CompareText(const char *s1, const char *s2);
bool CompareTextMax(const char *s1, const char *s2, int32_t n);
bool CompareTextNoCase(const char *s1, const char *s2);
bool CompareTextNoCaseMax(const char *s1, const char *s2, int32_t n);

bool CompareTextLessThan(const char *s1, const char *s2);
bool CompareTextLessThanMax(const char *s1, const char *s2, int32_t n);
bool CompareTextLessThanNoCase(const char *s1, const char *s2);
bool CompareTextLessThanNoCaseMax(const char *s1, const char *s2, int32_t n);

bool CompareTextLessEqual(const char *s1, const char *s2);
bool CompareTextLessEqualMax(const char *s1, const char *s2, int32_t n);
bool CompareTextLessEqualNoCase(const char *s1, const char *s2);
bool CompareTextLessEqualNoCaseMax(const char *s1, const char *s2, int32_t n);

// True when s1 sorts before s2 with digit runs compared as numbers of any length; equal numbers
// put the run with fewer digits (fewer leading zeros) first.
bool CompareTextNatural(const char *s1, const char *s2);

// The same with ASCII letters folded to upper case (the font name ordering).
bool CompareTextNaturalNoCase(const char *s1, const char *s2);

// ---- Number and code formatting (limits count characters without the NUL) --------------------

// Decimal text, cut to maxChars characters (digits dropped from the end); returns the count.
int32_t Int32ToText(int32_t value, char *buffer, int32_t maxChars);
int32_t Int64ToText(int64_t value, char *buffer, int32_t maxChars);

// Plain decimal from 1e-4 to below 100000, else exponent form (1.5e-5, 2.5e7); at least one
// fraction digit; "0.0" for zero and denormals; INF, -INF, NAN. The text reads back to the same
// float when it is not cut by maxChars. Returns the count.
int32_t FloatToText(float value, char *buffer, int32_t maxChars);

// Uppercase hexadecimal digits and a NUL (buffers of 17, 9, 7, 5 and 3 bytes).
void FormatHex16(char *buffer, uint64_t value);
void FormatHex8(char *buffer, uint32_t value);
void FormatHex6(char *buffer, uint32_t value);  // the low 24 bits
void FormatHex4(char *buffer, uint32_t value);  // the low 16 bits
void FormatHex2(char *buffer, uint32_t value);  // the low 8 bits

// Four-character code of the first four bytes, the first in the highest byte; bytes after an
// earlier NUL are 0.
uint32_t TextToFourCC(const char *text);

// The four bytes of the code from the highest (three for a code below 0x1000000), then a NUL
// (buffer of 5 bytes).
void FourCCToText(char *buffer, uint32_t code);

// "0x" with the 8 hexadecimal digits, " '", the code's characters and "'" (buffer of 32 bytes).
void FormatFourCC(char *buffer, uint32_t code);

}  // namespace oq
