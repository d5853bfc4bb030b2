#pragma once

#include <cstdint>
#include <string>
#include <vector>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "support/VorlTestShape.h"

namespace oq::test {

// Starts the one headless OpenGL 3.3 core context of the process (EGL, Mesa's surfaceless
// platform) and makes it current. Sets MESA_GL_VERSION_OVERRIDE=3.3 and
// MESA_GLSL_VERSION_OVERRIDE=330 when they are unset. Later calls return the first outcome.
[[nodiscard]] bool StartGL(std::string *error);

// Compiles and links a program; false with the info log when a stage fails.
[[nodiscard]] bool BuildProgram(const std::string &vertex, const std::string &fragment, GLuint *program, std::string *log);

// The program of the Data folder's Vorl vertex shader and pixel-shader variant, linked once per
// process and kept; 0 (with a test failure) when a file is missing or does not build.
GLuint GetVorlProgram(uint32_t variant);

// Reads a text file whole; false when it cannot be read.
[[nodiscard]] bool ReadTextFile(const std::string &path, std::string *text);

// A float RGBA framebuffer object to draw into and read back.
class RenderTarget
{
public:
    RenderTarget(int32_t width, int32_t height);
    ~RenderTarget();
    RenderTarget(const RenderTarget &) = delete;
    RenderTarget &operator=(const RenderTarget &) = delete;

    [[nodiscard]] bool Complete() const;
    void Bind() const;   // binds, sets the viewport and clears to (0, 0, 0, 0)
    std::vector<float> Read() const;   // width x height x 4 floats, bottom row first

    int32_t width;
    int32_t height;

private:
    GLuint framebuffer = 0;
    GLuint texture = 0;
};

// Everything one Vorl draw needs: vertex records (68 or 80 bytes), 16-bit triangles, the curve
// texture (four halves or four floats per texel) and the band texture (two uint16 per texel).
struct VorlDrawData
{
    std::vector<uint8_t> vertices;
    int32_t vertexStride = 68;        // 68: RGBA8 colour, 80: float colour
    std::vector<uint16_t> triangles;  // three indices each
    int32_t curveWidth = 0;
    int32_t curveHeight = 0;
    bool curveFloat = false;          // RGBA32F instead of RGBA16F
    std::vector<uint16_t> curveHalves;
    std::vector<float> curveFloats;
    int32_t bandWidth = 0;
    int32_t bandHeight = 0;
    std::vector<uint32_t> bandTexels;   // x | y << 16
    float matrix[4][4] = {};          // rows of vorl_matrix
    uint32_t samplesPassed = 0;       // out: fragments the draw shaded (GL_SAMPLES_PASSED)
};

// Takes the curve and band textures of a test shape.
void SetShapeTextures(VorlDrawData *data, const VorlTestShape &shape);

// Rows of vorl_matrix that map object space onto the pixels of a width x height target, with y
// flipped when object space is y down (as the glyph and shape writers make it).
void SetPixelMatrix(VorlDrawData *data, int32_t width, int32_t height, bool yDown);

// Draws into a new float target cleared to -1, so pixels that no triangle covers read negative,
// and reads it back (width x height x 4 floats, bottom row first).
[[nodiscard]] bool DrawVorlImage(GLuint program, VorlDrawData &data, int32_t width, int32_t height,
                                 std::vector<float> *image, std::string *error);

// Draws with a linked Vorl program into the bound target: blending off, no depth.
[[nodiscard]] bool DrawVorl(GLuint program, VorlDrawData &data, int32_t width, int32_t height, std::string *error);

}   // namespace oq::test
