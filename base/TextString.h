#pragma once

#include <cstdint>

namespace oq {

// Owning UTF-8 string: texts of up to 15 bytes live in the object, longer ones in a heap block.
// The length counts the terminating NUL (1 for the empty string).
class TextString
{
public:
    static constexpr int32_t kLocalBufferSize = 16;

    TextString();
    TextString(const TextString &string);
    TextString(TextString &&string) noexcept;
    TextString(const char *text);
    // The first n bytes of the text, fewer when a NUL comes earlier.
    TextString(const char *text, int32_t n);
    TextString(const char16_t *text);
    // The concatenation of two texts.
    TextString(const char *text1, const char *text2);
    explicit TextString(int32_t value);
    explicit TextString(int64_t value);
    explicit TextString(float value);
    // The text followed by the value's decimal text.
    TextString(int32_t value, const char *text);
    TextString(int64_t value, const char *text);

    ~TextString();

    TextString &operator=(const TextString &string)
    {
        Assign(string);
        return *this;
    }

    TextString &operator=(TextString &&string) noexcept
    {
        MoveAssign(string);
        return *this;
    }

    TextString &operator=(const char *text)
    {
        SetText(text);
        return *this;
    }

    operator const char *() const { return textPointer; }
    const char *GetText() const { return textPointer; }
    // Writable text, for filling the bytes that ResizeBuffer and SetLength leave open.
    char *GetBuffer() { return textPointer; }

    // Bytes of the text without the NUL.
    int32_t GetLength() const { return textLength - 1; }
    // Bytes of the text with the NUL.
    int32_t GetTextSize() const { return textLength; }
    int32_t GetCapacity() const { return textCapacity; }
    bool IsEmpty() const { return textLength <= 1; }

    // Sets the length (NUL included) to n with exact-fit room; the old text is not kept.
    void ResizeBuffer(int32_t n);

    void SetText(const char *text);
    void SetTextMax(const char *text, int32_t n);
    void Assign(const TextString &string);
    void MoveAssign(TextString &string);
    void Purge();
    void SetInt32(int32_t value);
    void SetInt64(int64_t value);
    void SetFloat(float value);

    void AppendString(const TextString &string);
    void AppendText(const char *text);
    void AppendTextMax(const char *text, int32_t n);
    void AppendChar(char c);
    void AppendInt32(int32_t value);
    void AppendInt(int32_t value) { AppendInt32(value); }
    void AppendInt64(int64_t value);

    // Keeps the first count bytes (count excludes the NUL); new bytes past the old end are left to fill.
    void SetLength(int32_t count);
    void Insert(int32_t position, const char *source, int32_t count);
    void Erase(int32_t position, int32_t count);

    void ToLowerCase();
    void ToUpperCase();
    void ReplaceChar(char oldChar, char newChar);

    // Rewrites the text with backslash escapes; mode 0 for the font compiler, mode 1 for the editor.
    void EscapeText(int32_t mode);
    // Rewrites the text with XML character references; the result is well-formed XML character data.
    void EscapeXml();

    // Write the escaped form of length bytes of text and a NUL into output; a null output only
    // measures. Return the escaped size without the NUL; changed tells whether any byte differs.
    static int64_t WriteEscapedText(const char *text, int32_t length, int32_t mode, char *output, bool *changed);
    static int64_t WriteEscapedXml(const char *text, int32_t length, char *output, bool *changed);

private:
    bool IsLocal() const { return textPointer == localBuffer; }
    bool LiesInBuffer(const char *text) const;
    void SetEmpty();
    void ReleaseBlock();
    void ProvideExactFit(int32_t n, int32_t keep);
    int64_t GetGrowthCapacity(int64_t n) const;
    void Grow(int64_t n);
    void ProvideNumberRoom();
    void AppendBytes(const char *bytes, int32_t count);
    char *StartRewrite(int64_t sum, char *scratch);
    void FinishRewrite(char *output, int64_t sum);

    int32_t textLength;
    int32_t textCapacity;
    char *textPointer;
    char localBuffer[kLocalBufferSize];
};

}  // namespace oq
