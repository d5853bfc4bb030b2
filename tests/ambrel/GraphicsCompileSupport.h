#pragma once

// Compiling Ambrel texts into graphics file images for the tests, and reading the records of an
// image at their file offsets.

#include "AmbrelTestSupport.h"
#include "ambrel/GraphicsCompile.h"
#include "vorl/geometry/VorlGraphicsValidator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace oq::test {

enum class CompileKind
{
    kCanvas,
    kIcon
};

struct CompileOptions
{
    CompileKind kind = CompileKind::kIcon;
    bool floatTexels = false;
    bool compress = false;
};

// A compiled file: the result code and the bytes written (4-byte aligned).
struct CompiledFile
{
    uint32_t result = 0;
    std::vector<uint32_t> words;
    size_t size = 0;

    const uint8_t *Bytes() const { return reinterpret_cast<const uint8_t *>(words.data()); }

    template <typename T> T Read(size_t offset) const
    {
        T value{};
        if (offset + sizeof(T) <= size) std::memcpy(&value, Bytes() + offset, sizeof(T));
        else ADD_FAILURE() << "read past the end at " << offset;
        return value;
    }
    VorlFileHeader FileHeader() const { return Read<VorlFileHeader>(0); }
    VorlGraphicsHeader Header() const { return Read<VorlGraphicsHeader>(80); }
    VorlShapeRecord Shape(int32_t i) const { return Read<VorlShapeRecord>(80 + size_t(Header().shapeRecordOffset) + 96 * size_t(i)); }
    size_t IconOffset(int32_t i) const { return 80 + size_t(Header().iconRecordOffset) + 64 * size_t(i); }
    VorlIconRecord Icon(int32_t i) const { return Read<VorlIconRecord>(IconOffset(i)); }
    VorlIconLayer Item(int32_t icon, int32_t k) const
    {
        return Read<VorlIconLayer>(IconOffset(icon) + size_t(Icon(icon).layerOffset) + 32 * size_t(k));
    }
    VorlIconMesh Mesh(int32_t icon, int32_t m) const
    {
        return Read<VorlIconMesh>(IconOffset(icon) + size_t(Icon(icon).meshOffset) + 16 * size_t(m));
    }
};

inline bool AppendBytes(const void *data, uint32_t count, void *user)
{
    static_cast<std::string *>(user)->append(static_cast<const char *>(data), count);
    return true;
}

// Compiles the document; a file that was written must pass the validator.
inline CompiledFile CompileDocument(AmbrelDocument *document, const CompileOptions &options,
                                    const VorlHeaderStart *start = nullptr)
{
    std::string bytes;
    OutputSink sink(AppendBytes, &bytes);
    CompiledFile file;
    file.result = (options.kind == CompileKind::kCanvas)
                      ? BuildCanvasVorlFile(document, &sink, start, options.compress, nullptr)
                      : BuildIconVorlFile(document, &sink, start, options.floatTexels, options.compress, nullptr, nullptr);
    EXPECT_EQ(sink.byteCount, bytes.size());
    file.size = bytes.size();
    file.words.resize((bytes.size() + 3) / 4);
    if (!bytes.empty()) std::memcpy(file.words.data(), bytes.data(), bytes.size());
    if (file.result == 0)
    {
        EXPECT_TRUE(ValidateVorlGraphicsFile(file.words.data(), file.size));
    }
    return file;
}

inline CompiledFile CompileText(const char *text, const CompileOptions &options)
{
    AmbrelDocument document;
    KettricResult parsed = document.ParseAndResolve(text);
    EXPECT_EQ(FourCC(parsed), FourCC(0)) << "line " << document.GetErrorLine();
    return CompileDocument(&document, options);
}

}  // namespace oq::test
