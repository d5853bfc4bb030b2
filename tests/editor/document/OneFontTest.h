#pragma once

// The fixture of the glyph-carrying kinds' tests: a recording renderer and one test font that every
// character style of the design draws from.

#include "editor/fonts/Design.h"
#include "editor/platform/FontProbe.h"
#include "editor/platform/RendererProbe.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace oq::test {

class OneFontTest : public ::testing::Test
{
protected:
    // Starts the renderer, loads the image as the font and puts it in the design.
    void StartWithFont(const std::vector<uint8_t> &image, const char *name)
    {
        ASSERT_TRUE(r.WriteShaders());
        ASSERT_TRUE(r.Start());
        SetRenderer(&r.renderer);
        ASSERT_TRUE(ValidateVorlFontFile(image.data(), image.size()));
        font = LoadTestFont(r.renderer, r.data, name, image);
        ASSERT_NE(font, nullptr);
        UseFont(&design);
    }

    void TearDown() override
    {
        design.ReleaseFonts();
        if (font) font->Release();
        SetRenderer(nullptr);
    }

    // Every style of the design draws from slot 0, which holds the font.
    void UseFont(Design *target)
    {
        target->SetFont(0, font);
        for (int32_t s = 0; s < kCharacterStyleCount; ++s)
        {
            uint8_t *map = target->styleMaps[s];
            map[0] = 0;
            map[1] = map[2] = map[3] = kStyleMapEnd;
        }
    }

    RecordingRenderer r;
    Font *font = nullptr;
    Design design;
};

}  // namespace oq::test
