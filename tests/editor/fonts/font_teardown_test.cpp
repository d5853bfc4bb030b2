// Fonts outliving the GL context: a renderer on the GL device of an SDL window under the offscreen
// driver, fonts loaded, the renderer and the window system shut down (the context goes), and only
// then the fonts released. One context per process: this program holds this one test.
#include "editor/fonts/FontLoader.h"
#include "editor/fonts/LoadableFont.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/Heap.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/RendererProbe.h"
#include "editor/platform/linux/GLDevice.h"
#include "editor/platform/linux/SdlWindowSystem.h"
#include "support/MesaLeakSuppressions.h"
#include "support/TempDirectory.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <link.h>

// SDL, Xlib and Mesa keep allocations until process exit.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libSDL2\n"
           "leak:libX11\n"
           "leak:libxcb\n"
           "leak:libdbus\n" OQ_MESA_LEAK_SUPPRESSIONS;
}

namespace oq {
namespace {

// Marks every loaded library as never unloaded, so that what SDL and Mesa keep after their
// shut-down is still attributed to them (and suppressed) when the leak check runs at exit.
void KeepLoadedLibraries()
{
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *) {
            if (info->dlpi_name != nullptr && info->dlpi_name[0] != 0)
                static_cast<void>(dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE));
            return 0;
        },
        nullptr);
}

TEST(FontTeardownOffscreen, FontsReleasedAfterTheContextGoes)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("ORLENDOQUIST_DPI", "96", 1);
    test::TempDirectory data;
    for (const auto &entry : std::filesystem::directory_iterator(OQ_DATA_DIR))
    {
        if (entry.path().extension() == ".glsl")
            std::filesystem::copy_file(entry.path(), std::filesystem::path(data.Path()) / entry.path().filename());
    }
    std::vector<uint8_t> image = test::MakeLoadableFont(2);
    ASSERT_TRUE(test::WriteBytes(data.File("21.vorl"), image.data(), image.size()));

    Heap heap("teardown", GetProcessHeap());
    GLDevice device;
    Renderer renderer(&device, data.Path().c_str(), &heap);
    SdlWindowSystem windows;
    ASSERT_TRUE(windows.Start("OrlendoQuist", 200, 100)) << SDL_GetError();
    const float white[4] = {1.0F, 1.0F, 1.0F, 1.0F};
    ASSERT_TRUE(renderer.Start(windows.GetGLWindow(windows.GetMainWindow()), 200, 100, white));
    SetRenderer(&renderer);

    Font *text = LoadFontByIndex(21);
    Font *math = LoadFontByIndex(25);
    ASSERT_NE(text, nullptr);
    ASSERT_NE(math, nullptr);
    EXPECT_EQ(math->file, text->file);
    EXPECT_EQ(text->GetTexturePair()->count, 2);
    EXPECT_NE(text->GetTexturePair()->curveTexture, 0U);

    KeepLoadedLibraries();
    // The textures go with the renderer, while its context still stands.
    renderer.Shutdown();
    EXPECT_EQ(text->GetTexturePair()->count, 0);
    EXPECT_EQ(text->GetTexturePair()->curveTexture, 0U);
    windows.Shutdown();
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);

    // Released without a context: no GL call is left to make.
    math->Release();
    EXPECT_EQ(text->Release(), 0);
    EXPECT_EQ(Font::GetFirst(), nullptr);
    EXPECT_EQ(FontFile::GetFirst(), nullptr);
    EXPECT_EQ(heap.GetBytesInUse(), 0U);
    SetRenderer(nullptr);
}

}  // namespace
}  // namespace oq
