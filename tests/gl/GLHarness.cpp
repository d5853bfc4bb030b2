#include "gl/GLHarness.h"

#include "support/MesaLeakSuppressions.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include <gtest/gtest.h>

// Mesa keeps a few allocations until process exit; LeakSanitizer reports them in every GL test
// program. Only programs that link this harness carry these suppressions.
extern "C" const char *__lsan_default_suppressions()
{
    return OQ_MESA_LEAK_SUPPRESSIONS;
}

namespace oq::test {

namespace {

struct GLState
{
    bool tried = false;
    bool started = false;
    std::string error;
};

GLState &State()
{
    static GLState state;
    return state;
}

bool Start(std::string &error)
{
    setenv("MESA_GL_VERSION_OVERRIDE", "3.3", 0);
    setenv("MESA_GLSL_VERSION_OVERRIDE", "330", 0);

    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
    {
        error = "EGL has no eglGetPlatformDisplayEXT";
        return false;
    }
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0;
    EGLint minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor))
    {
        error = "cannot open the surfaceless EGL display";
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API))
    {
        error = "EGL cannot bind OpenGL";
        return false;
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &configCount) || configCount < 1)
    {
        error = "EGL has no OpenGL config";
        return false;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT)
    {
        error = "cannot create an OpenGL 3.3 core context";
        return false;
    }
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
    {
        error = "cannot make the context current without a surface";
        return false;
    }
    return true;
}

GLuint CompileStage(GLenum stage, const std::string &source, std::string *log)
{
    GLuint shader = glCreateShader(stage);
    const char *text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (!status)
    {
        char buffer[4096] = {};
        glGetShaderInfoLog(shader, sizeof(buffer) - 1, nullptr, buffer);
        if (log) *log += buffer;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}   // namespace

bool StartGL(std::string *error)
{
    GLState &state = State();
    if (!state.tried)
    {
        state.tried = true;
        state.started = Start(state.error);
    }
    if (error) *error = state.error;
    return state.started;
}

bool BuildProgram(const std::string &vertex, const std::string &fragment, GLuint *program, std::string *log)
{
    GLuint vs = CompileStage(GL_VERTEX_SHADER, vertex, log);
    GLuint fs = CompileStage(GL_FRAGMENT_SHADER, fragment, log);
    if (!vs || !fs)
    {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return false;
    }
    GLuint p = glCreateProgram();
    glAttachShader(p, vs);
    glAttachShader(p, fs);
    glLinkProgram(p);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint status = 0;
    glGetProgramiv(p, GL_LINK_STATUS, &status);
    if (!status)
    {
        char buffer[4096] = {};
        glGetProgramInfoLog(p, sizeof(buffer) - 1, nullptr, buffer);
        if (log) *log += buffer;
        glDeleteProgram(p);
        return false;
    }
    *program = p;
    return true;
}

GLuint GetVorlProgram(uint32_t variant)
{
    static std::map<uint32_t, GLuint> programs;
    auto found = programs.find(variant);
    if (found != programs.end()) return found->second;
    std::string vertex;
    std::string pixel;
    char name[32];
    std::snprintf(name, sizeof(name), "/vorlfs%02X.glsl", variant);
    EXPECT_TRUE(ReadTextFile(std::string(OQ_DATA_DIR) + "/vorlvs00.glsl", &vertex));
    EXPECT_TRUE(ReadTextFile(std::string(OQ_DATA_DIR) + name, &pixel)) << name;
    GLuint program = 0;
    std::string log;
    EXPECT_TRUE(BuildProgram(vertex, pixel, &program, &log)) << log;
    programs[variant] = program;
    return program;
}

bool ReadTextFile(const std::string &path, std::string *text)
{
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    text->clear();
    char buffer[8192];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text->append(buffer, count);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

RenderTarget::RenderTarget(int32_t width_, int32_t height_) : width(width_), height(height_)
{
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, width, height, 0, GL_RGBA, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
}

RenderTarget::~RenderTarget()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &texture);
}

bool RenderTarget::Complete() const
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void RenderTarget::Bind() const
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
}

std::vector<float> RenderTarget::Read() const
{
    std::vector<float> pixels(size_t(width) * size_t(height) * 4);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, pixels.data());
    return pixels;
}

void SetShapeTextures(VorlDrawData *data, const VorlTestShape &shape)
{
    data->curveWidth = shape.curveWidth;
    data->curveHeight = shape.curveHeight;
    data->curveHalves = shape.curveHalves;
    data->bandWidth = shape.bandWidth;
    data->bandHeight = shape.bandHeight;
    data->bandTexels = shape.bandTexels;
}

void SetPixelMatrix(VorlDrawData *data, int32_t width, int32_t height, bool yDown)
{
    std::memset(data->matrix, 0, sizeof(data->matrix));
    data->matrix[0][0] = 2.0F / float(width);
    data->matrix[0][3] = -1;
    data->matrix[1][1] = (yDown ? -2.0F : 2.0F) / float(height);
    data->matrix[1][3] = yDown ? 1 : -1;
    data->matrix[3][3] = 1;
}

bool DrawVorlImage(GLuint program, VorlDrawData &data, int32_t width, int32_t height, std::vector<float> *image,
                   std::string *error)
{
    RenderTarget target(width, height);
    if (!target.Complete())
    {
        if (error) *error = "incomplete framebuffer";
        return false;
    }
    target.Bind();
    glClearColor(-1, -1, -1, -1);
    glClear(GL_COLOR_BUFFER_BIT);
    bool drawn = DrawVorl(program, data, width, height, error);
    *image = target.Read();
    return drawn;
}

bool DrawVorl(GLuint program, VorlDrawData &data, int32_t width, int32_t height, std::string *error)
{
    GLuint textures[2] = {};
    glGenTextures(2, textures);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (data.curveFloat)
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, data.curveWidth, data.curveHeight, 0, GL_RGBA, GL_FLOAT, data.curveFloats.data());
    else
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, data.curveWidth, data.curveHeight, 0, GL_RGBA, GL_HALF_FLOAT, data.curveHalves.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, textures[1]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RG16UI, data.bandWidth, data.bandHeight, 0, GL_RG_INTEGER, GL_UNSIGNED_SHORT, data.bandTexels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

    GLuint vertexArray = 0;
    GLuint buffers[3] = {};
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(3, buffers);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(data.vertices.size()), data.vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(data.triangles.size() * 2), data.triangles.data(), GL_STATIC_DRAW);

    const GLsizei stride = data.vertexStride;
    auto offset = [](uintptr_t bytes) { return reinterpret_cast<const void *>(bytes); };
    for (GLuint location = 0; location < 6; ++location) glEnableVertexAttribArray(location);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, offset(0));
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, offset(16));
    glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride, offset(32));
    glVertexAttribPointer(3, 4, GL_FLOAT, GL_FALSE, stride, offset(48));
    if (stride == 80) glVertexAttribPointer(4, 4, GL_FLOAT, GL_FALSE, stride, offset(64));
    else glVertexAttribPointer(4, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, offset(64));
    glVertexAttribIPointer(5, 2, GL_UNSIGNED_INT, stride, offset(24));

    float params[24] = {};  // the colour constant (last four) stays zero: vertex colours as they are
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) params[row * 4 + column] = data.matrix[row][column];
    params[16] = float(width);
    params[17] = float(height);
    glBindBuffer(GL_UNIFORM_BUFFER, buffers[2]);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(params), params, GL_STATIC_DRAW);

    glUseProgram(program);
    GLuint block = glGetUniformBlockIndex(program, "ParamStruct");
    glUniformBlockBinding(program, block, 0);
    glBindBufferBase(GL_UNIFORM_BUFFER, 0, buffers[2]);
    glUniform1i(glGetUniformLocation(program, "vorl_curveTexture"), 0);
    glUniform1i(glGetUniformLocation(program, "vorl_bandTexture"), 1);

    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_SAMPLES_PASSED, query);
    glDrawElements(GL_TRIANGLES, GLsizei(data.triangles.size()), GL_UNSIGNED_SHORT, nullptr);
    glEndQuery(GL_SAMPLES_PASSED);
    GLuint samples = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
    glDeleteQueries(1, &query);
    data.samplesPassed = samples;

    GLenum status = glGetError();
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteBuffers(3, buffers);
    glDeleteTextures(2, textures);
    if (status != GL_NO_ERROR)
    {
        if (error) *error = "GL error " + std::to_string(status);
        return false;
    }
    return true;
}

}   // namespace oq::test
