#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "vorl/text/ShaderSource.h"

namespace oq {
namespace {

std::string JoinAll(int32_t count, const char **pieces)
{
    std::vector<char> text(size_t(GetShaderSourceLength(count, pieces)), 'x');
    JoinShaderSource(count, pieces, text.data());
    EXPECT_EQ(text.back(), 0);
    EXPECT_EQ(std::strlen(text.data()) + 1, text.size());
    return text.data();
}

TEST(ShaderSource, PixelPiecesFollowTheVariantBits)
{
    struct Case
    {
        ShaderVariantIndex variant;
        uint32_t flags;
        std::vector<std::string> macros;
        int32_t count;
    };
    const Case cases[] = {
        {0x00, 3, {}, 3},
        {0x00, 0, {}, 1},
        {0xC3, 3, {"#define VORL_WEIGHT\n", "#define VORL_SUPER\n", "#define VORL_INVERSE_COVERAGE\n"}, 6},
        {0x24, 1, {"#define VORL_LINEAR\n", "#define VORL_EVENODD\n"}, 4},
        {0x58, 2, {"#define VORL_STROKE\n", "#define VORL_GRADIENT\n", "#define VORL_MULTICOLOR\n"}, 5},
        {0x80, 0, {"#define VORL_COVERAGE\n"}, 2},
        {0xFF, 3, {"#define VORL_WEIGHT\n", "#define VORL_SUPER\n", "#define VORL_LINEAR\n", "#define VORL_STROKE\n",
                   "#define VORL_GRADIENT\n", "#define VORL_EVENODD\n", "#define VORL_INVERSE_COVERAGE\n"}, 10},
    };
    const char *plain[kPixelShaderPieceMax];
    int32_t plainCount = GetPixelShaderSource(0, plain, 3);
    ASSERT_EQ(plainCount, 3);
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.variant);
        const char *pieces[kPixelShaderPieceMax + 1] = {};
        int32_t count = GetPixelShaderSource(c.variant, pieces, c.flags);
        ASSERT_EQ(count, c.count);
        EXPECT_EQ(pieces[count], nullptr);
        for (size_t i = 0; i < c.macros.size(); ++i) EXPECT_EQ(pieces[i], c.macros[i]);
        // The rest: preamble, functions, entry points as the flags ask.
        int32_t rest = int32_t(c.macros.size());
        if (c.flags & 1)
        {
            EXPECT_EQ(pieces[rest++], plain[0]);
        }
        EXPECT_EQ(pieces[rest++], plain[1]);
        if (c.flags & 2)
        {
            EXPECT_EQ(pieces[rest++], plain[2]);
        }
        EXPECT_EQ(rest, count);
    }
}

TEST(ShaderSource, VertexPiecesAndJoining)
{
    const char *pieces[kVertexShaderPieceMax + 1] = {};
    EXPECT_EQ(GetVertexShaderSource(0, pieces, 0), 1);
    std::string functions = pieces[0];
    EXPECT_NE(functions.find("VorlDilate"), std::string::npos);
    EXPECT_NE(functions.find("VorlUnpack"), std::string::npos);
    ASSERT_EQ(GetVertexShaderSource(7, pieces, 3), 3);
    EXPECT_EQ(pieces[1], functions);
    std::string joined = JoinAll(3, pieces);
    EXPECT_EQ(joined, std::string(pieces[0]) + pieces[1] + pieces[2]);

    // Nothing to join: a single NUL.
    EXPECT_EQ(GetShaderSourceLength(0, pieces), 1);
    char one[2] = {'x', 'x'};
    JoinShaderSource(0, pieces, one);
    EXPECT_EQ(one[0], 0);
    EXPECT_EQ(one[1], 'x');

    // The pixel text names every function the pixel stage is built from.
    const char *pixel[kPixelShaderPieceMax];
    std::string text = JoinAll(GetPixelShaderSource(0, pixel, 3), pixel);
    for (const char *name : {"kLogBandTextureWidth", "CurveSampler", "BandSampler", "TexelLoad2D", "CalcRootCode",
                             "TestCurve", "TestRoot1", "TestRoot2", "SolveHorizPoly", "SolveVertPoly", "CalcBandLoc",
                             "CalcCoverage", "ApplyLayerColor", "RenderGlyph", "VorlRender"})
        EXPECT_NE(text.find(name), std::string::npos) << name;
}

TEST(ShaderSource, VariantFromRenderFlags)
{
    struct Case
    {
        uint32_t renderFlags;
        ShaderVariantIndex variant;
    };
    const Case cases[] = {
        {0x000, 0x00}, {0x301, 0x40}, {0x300, 0x80}, {0x200, 0xC0}, {0x07E, 0x3F},
        {0x002, 0x01}, {0x040, 0x20}, {0x10C, 0x86}, {0xFFFFFC80, 0x00}, {0x201, 0x40},
    };
    for (const Case &c : cases)
    {
        uint32_t vertex = 99;
        ShaderVariantIndex variant = 99;
        GetShaderVariant(c.renderFlags, &vertex, &variant);
        EXPECT_EQ(vertex, 0U);
        EXPECT_EQ(variant, c.variant) << std::hex << c.renderFlags;
    }
}

TEST(ShaderSource, FillFlagsSetAndClearTheFillOptions)
{
    struct Case
    {
        uint32_t fill;
        uint32_t render;
        uint32_t result;
    };
    const Case cases[] = {
        {0xF, 0x00000000, 0x00000078},
        {0xF, 0xFFFFFF87, 0xFFFFFFFF},
        {0x0, 0xFFFFFFFF, 0xFFFFFF87},
        {0x8, 0x00000301, 0x00000341},
        {0xFFFFFFF5, 0x00000030, 0x00000028},
    };
    for (const Case &c : cases) EXPECT_EQ(SetFillRenderFlags(c.fill, c.render), c.result) << c.fill << " " << c.render;

    // Fill flags reach the variant bits through the render flags.
    uint32_t vertex = 0;
    ShaderVariantIndex variant = 0;
    GetShaderVariant(SetFillRenderFlags(kFillFlagEvenOdd | kFillFlagGradient, 0), &vertex, &variant);
    EXPECT_EQ(variant, kShaderOptionEvenOdd | kShaderOptionGradient);
}

}   // namespace
}   // namespace oq
