// Writes the Vorl shader files of the Data folder: the GLSL vertex shader "vorlvs00.glsl" and one
// GLSL pixel shader per variant, "vorlfs00.glsl" to "vorlfsFF.glsl", each starting with the
// version line. With a second folder it also writes HLSL sources there for a syntax check.
#include <cstdio>
#include <string>
#include <vector>

#include "vorl/text/ShaderSource.h"

namespace {

const char kGlslVersion[] = "#version 330 core\n";

std::string Join(int32_t count, const char **pieces)
{
    std::vector<char> text(size_t(oq::GetShaderSourceLength(count, pieces)));
    oq::JoinShaderSource(count, pieces, text.data());
    return std::string(text.data());
}

bool WriteText(const std::string &path, const std::string &text)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
    {
        std::fprintf(stderr, "Error: cannot create %s\n", path.c_str());
        return false;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0) written = false;
    if (!written) std::fprintf(stderr, "Error: cannot write %s\n", path.c_str());
    return written;
}

std::string PixelName(uint32_t variant)
{
    char name[16];
    std::snprintf(name, sizeof(name), "vorlfs%02X", variant);
    return name;
}

}   // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3)
    {
        std::fprintf(stderr, "usage: make_vorl_shaders <data folder> [<hlsl folder>]\n");
        return 1;
    }
    const std::string data = argv[1];
    const char *pieces[oq::kPixelShaderPieceMax];
    const uint32_t all = oq::kShaderSourcePreamble | oq::kShaderSourceEntryPoints;

    int32_t count = oq::GetVertexShaderSource(0, pieces, all);
    std::string vertex = Join(count, pieces);
    if (!WriteText(data + "/vorlvs00.glsl", kGlslVersion + vertex)) return 1;
    for (uint32_t variant = 0; variant < oq::kShaderVariantCount; ++variant)
    {
        count = oq::GetPixelShaderSource(variant, pieces, all);
        if (!WriteText(data + "/" + PixelName(variant) + ".glsl", kGlslVersion + Join(count, pieces))) return 1;
    }

    if (argc == 3)
    {
        const std::string hlsl = argv[2];
        if (!WriteText(hlsl + "/vorlvs00.hlsl", vertex)) return 1;
        for (uint32_t variant : {0x00U, 0x3FU, 0x7FU, 0xBFU, 0xFFU})
        {
            count = oq::GetPixelShaderSource(variant, pieces, all);
            if (!WriteText(hlsl + "/" + PixelName(variant) + ".hlsl", Join(count, pieces))) return 1;
        }
    }
    return 0;
}
