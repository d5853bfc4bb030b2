#pragma once

// Shared helpers of the font compiler tests: fixtures, compiles into memory and the three checks
// every compiled file passes.

#include "ambrel/AmbrelDocument.h"
#include "support/VorlFontBuilder.h"
#include "support/VorlFontVerifier.h"
#include "vorl/text/OutputSink.h"
#include "vorl/text/VorlFileHeader.h"
#include "vorl/text/VorlFontValidator.h"
#include "vorlfont/compiler/FontCompiler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace oq::test {

inline std::string ReadWholeFile(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

inline std::string FixturePath(const char *name)
{
    return std::string(OQ_SOURCE_DIR) + "/tests/vorlfont/fixtures/" + name;
}

inline bool AppendToBytes(const void *data, uint32_t count, void *user)
{
    auto *bytes = static_cast<std::vector<uint8_t> *>(user);
    bytes->insert(bytes->end(), static_cast<const uint8_t *>(data), static_cast<const uint8_t *>(data) + count);
    return true;
}

// The runtime's validator, the accessors over everything they read, and the layout verifier.
inline void ExpectReadableFontFile(const std::vector<uint8_t> &file)
{
    ASSERT_GE(file.size(), 80u);
    std::vector<uint32_t> aligned((file.size() + 3) / 4);
    std::memcpy(aligned.data(), file.data(), file.size());
    EXPECT_TRUE(ValidateVorlFontFile(aligned.data(), file.size()));
    EXPECT_TRUE(ExerciseVorlFontImage(aligned.data()));
    EXPECT_EQ(VerifyVorlFontFile(file.data(), file.size()), "");
}

// Compiles the Font at the index of a parsed document into memory; the result code out.
inline std::vector<uint8_t> CompileDocument(AmbrelDocument *document, uint32_t flags, uint32_t *result,
                                            int32_t fontIndex = 0)
{
    std::vector<uint8_t> bytes;
    FontCompiler compiler(document, flags, nullptr, 0, nullptr, 0);
    OutputSink sink(AppendToBytes, &bytes);
    *result = compiler.CompileAndWrite(&sink, nullptr, fontIndex);
    return bytes;
}

// Parses an Ambrel text and compiles it; every successful compile passes the three checks.
inline std::vector<uint8_t> CompileText(const std::string &text, uint32_t flags, int32_t fontIndex = 0)
{
    AmbrelDocument document;
    EXPECT_EQ(document.ParseAndResolve(text.c_str()), 0u);
    uint32_t result = 1;
    std::vector<uint8_t> bytes = CompileDocument(&document, flags, &result, fontIndex);
    EXPECT_EQ(result, 0u);
    if (result == 0) ExpectReadableFontFile(bytes);
    return bytes;
}

// The number of font records of a Vorl font file.
inline uint32_t GetVorlFontCount(const std::vector<uint8_t> &file)
{
    VorlFileHeader header{};
    if (file.size() < sizeof(header)) return 0;
    std::memcpy(&header, file.data(), sizeof(header));
    return header.count;
}

}  // namespace oq::test
