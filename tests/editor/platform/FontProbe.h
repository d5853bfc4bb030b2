#pragma once

#include "editor/platform/FontFile.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/RendererProbe.h"
#include "support/TempDirectory.h"
#include "support/VorlTestFixtures.h"
#include "vorl/text/VorlFontValidator.h"

#include <string>
#include <vector>

namespace oq::test {

// A font file whose glyph 1 ('A', 1.1 em advance) is a filled unit square with real curve and
// band texels, drawn as its quad; 'HITE' gives the cap height.
inline std::vector<uint8_t> MakeSquareFontFile(float capHeight)
{
    VorlTestFixture square = MakeVorlTestFixtures()[0];
    VorlTestShape shape = BuildVorlTestShape(square.curves, square.width, square.height, 2, 2);
    VorlFontBuilder builder = MakeFixtureFont(square, shape);
    builder.fonts[0].AddFloats('HITE', {capHeight, 0.5F});
    return builder.Build();
}

// Writes the image into the folder and loads it as face 0; none when anything fails (the
// validator must accept the image first).
inline Font *LoadTestFont(Renderer &renderer, const TempDirectory &folder, const char *name,
                          const std::vector<uint8_t> &image)
{
    if (!ValidateVorlFontFile(image.data(), image.size())) return nullptr;
    std::string path = folder.File(name);
    if (!WriteBytes(path, image.data(), image.size())) return nullptr;
    FontFile *file = FontFile::Load(renderer, path.c_str(), name);
    return file != nullptr ? Font::Create(name, file, 0) : nullptr;
}

}  // namespace oq::test
