#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "gl/GLHarness.h"
#include "vorl/text/ShaderSource.h"

namespace oq::test {
namespace {

std::string DataFile(const char *name)
{
    std::string text;
    EXPECT_TRUE(ReadTextFile(std::string(OQ_DATA_DIR) + "/" + name, &text)) << name;
    return text;
}

std::string PixelFileName(uint32_t variant)
{
    char name[32];
    std::snprintf(name, sizeof(name), "vorlfs%02X.glsl", variant);
    return name;
}

// The source with a macro defined right after the version line.
std::string WithMacro(const std::string &source, const char *macro)
{
    size_t line = source.find('\n') + 1;
    return source.substr(0, line) + "#define " + macro + "\n" + source.substr(line);
}

TEST(ShaderGL, EveryPixelVariantCompilesAndLinks)
{
    std::string error;
    ASSERT_TRUE(StartGL(&error)) << error;
    std::string vertex = DataFile("vorlvs00.glsl");
    ASSERT_EQ(vertex.rfind("#version 330 core\n", 0), 0U);
    for (uint32_t variant = 0; variant < kShaderVariantCount; ++variant)
    {
        std::string pixel = DataFile(PixelFileName(variant).c_str());
        ASSERT_EQ(pixel.rfind("#version 330 core\n", 0), 0U) << variant;
        GLuint program = 0;
        std::string log;
        EXPECT_TRUE(BuildProgram(vertex, pixel, &program, &log)) << std::hex << variant << "\n" << log;
        glDeleteProgram(program);
    }
}

TEST(ShaderGL, BitwiseRootCodeCompiles)
{
    std::string error;
    ASSERT_TRUE(StartGL(&error)) << error;
    std::string vertex = DataFile("vorlvs00.glsl");
    for (uint32_t variant : {0x00U, 0x04U, 0x3FU, 0x7FU})
    {
        GLuint program = 0;
        std::string log;
        EXPECT_TRUE(BuildProgram(vertex, WithMacro(DataFile(PixelFileName(variant).c_str()), "VORL_LOP3"), &program, &log))
            << variant << "\n" << log;
        glDeleteProgram(program);
    }
}

}   // namespace
}   // namespace oq::test
