#include "editor/platform/linux/GLDevice.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <cstdio>
#include <cstdlib>

namespace oq {

namespace {

bool NoError()
{
    bool clean = true;
    while (glGetError() != GL_NO_ERROR) clean = false;
    return clean;
}

const void *Offset(uintptr_t bytes) { return reinterpret_cast<const void *>(bytes); }

void SetSampler(GLuint program, const char *name, GLint unit)
{
    GLint location = glGetUniformLocation(program, name);
    if (location >= 0) glUniform1i(location, unit);
}

}  // namespace

bool GLDevice::Start()
{
    const GLubyte *version = glGetString(GL_VERSION);
    if (version == nullptr) return false;
    NoError();
    GLint major = 0;
    GLint minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    if (major < 3 || (major == 3 && minor < 3)) return false;

    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glEnable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_STENCIL_TEST);
    glEnable(GL_FRAMEBUFFER_SRGB);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);

    // Linear min and mag without a mipmap filter, clamped: the picture has one level.
    glGenSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glBindSampler(0, sampler);
    return NoError();
}

void GLDevice::Shutdown()
{
    for (auto &entry : targets)
    {
        if (entry.second.framebuffer) glDeleteFramebuffers(1, &entry.second.framebuffer);
        if (entry.second.renderbuffer) glDeleteRenderbuffers(1, &entry.second.renderbuffer);
    }
    targets.clear();
    if (sampler) glDeleteSamplers(1, &sampler);
    sampler = 0;
}

bool GLDevice::MakeRenderbuffer(Target &target, int32_t width, int32_t height)
{
    if (target.renderbuffer == 0) glGenRenderbuffers(1, &target.renderbuffer);
    if (target.framebuffer == 0) glGenFramebuffers(1, &target.framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, target.renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_SRGB8_ALPHA8, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target.renderbuffer);
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    return NoError() && complete;
}

GpuHandle GLDevice::CreateTarget(void *window, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0 || width > kGpuMaxTextureSize || height > kGpuMaxTextureSize) return 0;
    Target target = {static_cast<GLWindow *>(window), 0, 0, width, height};
    if (target.window == nullptr && !MakeRenderbuffer(target, width, height))
    {
        if (target.framebuffer) glDeleteFramebuffers(1, &target.framebuffer);
        if (target.renderbuffer) glDeleteRenderbuffers(1, &target.renderbuffer);
        return 0;
    }
    GpuHandle handle = ++lastTarget;
    targets[handle] = target;
    return handle;
}

bool GLDevice::ResizeTarget(GpuHandle handle, int32_t width, int32_t height)
{
    auto found = targets.find(handle);
    if (found == targets.end() || width <= 0 || height <= 0 || width > kGpuMaxTextureSize ||
        height > kGpuMaxTextureSize)
        return false;
    Target &target = found->second;
    if (target.window == nullptr && !MakeRenderbuffer(target, width, height)) return false;
    target.width = width;
    target.height = height;
    return true;
}

void GLDevice::BeginTarget(GpuHandle handle, const float *clearColor, int32_t width, int32_t height)
{
    auto found = targets.find(handle);
    if (found == targets.end()) return;
    Target &target = found->second;
    if (target.window) target.window->MakeCurrent();
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glViewport(0, 0, width, height);
    boundHeight = height;
    boundClearAlpha = clearColor[3];
    // The clear covers the whole target whatever the scissor says.
    glDisable(GL_SCISSOR_TEST);
    glClearColor(clearColor[0], clearColor[1], clearColor[2], clearColor[3]);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
}

void GLDevice::SetScissor(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    int32_t width = right > left ? right - left : 0;
    int32_t height = bottom > top ? bottom - top : 0;
    glScissor(left, boundHeight - bottom, width, height);
}

void GLDevice::Present(GpuHandle handle)
{
    auto found = targets.find(handle);
    if (found == targets.end()) return;
    if (found->second.window) found->second.window->Swap();
    else glFlush();
}

void GLDevice::ReleaseTarget(GpuHandle handle)
{
    auto found = targets.find(handle);
    if (found == targets.end()) return;
    if (found->second.framebuffer) glDeleteFramebuffers(1, &found->second.framebuffer);
    if (found->second.renderbuffer) glDeleteRenderbuffers(1, &found->second.renderbuffer);
    targets.erase(found);
}

bool GLDevice::ReadPixels(GpuHandle handle, uint8_t *rgba)
{
    auto found = targets.find(handle);
    if (found == targets.end() || found->second.framebuffer == 0) return false;
    const Target &target = found->second;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
    size_t rowBytes = size_t(target.width) * 4;
    for (int32_t row = 0; row < target.height; ++row)
    {
        glReadPixels(0, target.height - 1 - row, target.width, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba + rowBytes * size_t(row));
    }
    return NoError();
}

GpuHandle GLDevice::CreateShader(uint32_t stage, const char *text, uint32_t length)
{
    if (length == 0 || length > 0x7FFFFFFF) return 0;
    GLuint shader = glCreateShader(stage == kGpuVertexStage ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
    if (shader == 0) return 0;
    const GLchar *source = text;
    GLint sourceLength = GLint(length);
    glShaderSource(shader, 1, &source, &sourceLength);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE)
    {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof(log) - 1, nullptr, log);
        std::fprintf(stderr, "Shader does not compile: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

void GLDevice::ReleaseShader(GpuHandle shader) { glDeleteShader(shader); }

GpuHandle GLDevice::LinkProgram(GpuHandle vertexShader, GpuHandle pixelShader, uint32_t)
{
    GLuint program = glCreateProgram();
    if (program == 0) return 0;
    glAttachShader(program, vertexShader);
    glAttachShader(program, pixelShader);
    glLinkProgram(program);
    glDetachShader(program, vertexShader);
    glDetachShader(program, pixelShader);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE)
    {
        glDeleteProgram(program);
        return 0;
    }
    // GLSL 3.30 has no binding layouts: the constant block goes to binding 0, samplers to units.
    GLuint block = glGetUniformBlockIndex(program, "ParamStruct");
    if (block != GL_INVALID_INDEX) glUniformBlockBinding(program, block, 0);
    glUseProgram(program);
    SetSampler(program, "vorl_curveTexture", 0);
    SetSampler(program, "vorl_bandTexture", 1);
    SetSampler(program, "colorTexture", 0);
    if (!NoError())
    {
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

void GLDevice::ReleaseProgram(GpuHandle program) { glDeleteProgram(program); }

GpuHandle GLDevice::CreateBuffer(uint32_t kind, uint64_t size)
{
    if (size == 0 || size > 0x7FFFFFFF) return 0;
    NoError();
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(size), nullptr, kind == kGpuConstantBuffer ? GL_STREAM_DRAW : GL_DYNAMIC_DRAW);
    if (!NoError())
    {
        glDeleteBuffers(1, &buffer);
        return 0;
    }
    bufferSizes[buffer] = size;
    return buffer;
}

void *GLDevice::MapBuffer(GpuHandle buffer)
{
    auto found = bufferSizes.find(buffer);
    if (found == bufferSizes.end()) return nullptr;
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    void *memory = glMapBufferRange(GL_COPY_WRITE_BUFFER, 0, GLsizeiptr(found->second),
                                    GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT);
    NoError();
    return memory;
}

void GLDevice::UnmapBuffer(GpuHandle buffer)
{
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    static_cast<void>(glUnmapBuffer(GL_COPY_WRITE_BUFFER));  // contents lost to a mode change only
}

void GLDevice::ReleaseBuffer(GpuHandle buffer)
{
    bufferSizes.erase(buffer);
    glDeleteBuffers(1, &buffer);
}

GpuHandle GLDevice::CreateLayout(uint32_t)
{
    GLuint vertexArray = 0;
    glGenVertexArrays(1, &vertexArray);
    return vertexArray;
}

void GLDevice::ReleaseLayout(GpuHandle layout) { glDeleteVertexArrays(1, &layout); }

GpuHandle GLDevice::CreateBlendState(uint32_t kind)
{
    if (kind != kGpuBlendOver && kind != kGpuBlendCoverage && kind != kGpuBlendCoveredColor) return 0;
    GpuHandle handle = ++blendToken;
    blendKinds[handle] = kind;
    return handle;
}

void GLDevice::ReleaseBlendState(GpuHandle blend) { blendKinds.erase(blend); }

void GLDevice::BeginCoverageGroup()
{
    // The clear keeps to the scissor: only the alpha of the area being drawn becomes scratch.
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    glClearColor(0.0F, 0.0F, 0.0F, 0.0F);
    glClear(GL_COLOR_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void GLDevice::EndCoverageGroup()
{
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    glClearColor(0.0F, 0.0F, 0.0F, boundClearAlpha);
    glClear(GL_COLOR_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

GpuHandle GLDevice::CreateTexture(uint32_t format, int32_t width, int32_t height, const void *texels)
{
    if (width <= 0 || height <= 0 || width > kGpuMaxTextureSize || height > kGpuMaxTextureSize) return 0;
    GLint internalFormat;
    GLenum pixelFormat;
    GLenum type;
    GLint filter = GL_NEAREST;
    switch (format)
    {
    case 'FLT4': internalFormat = GL_RGBA32F; pixelFormat = GL_RGBA; type = GL_FLOAT; break;
    case 'HLF4': internalFormat = GL_RGBA16F; pixelFormat = GL_RGBA; type = GL_HALF_FLOAT; break;
    case '16U2': internalFormat = GL_RG16UI; pixelFormat = GL_RG_INTEGER; type = GL_UNSIGNED_SHORT; break;
    case kGpuTexturePicture:
        internalFormat = GL_SRGB8_ALPHA8;
        pixelFormat = GL_RGBA;
        type = GL_UNSIGNED_BYTE;
        filter = GL_LINEAR;
        break;
    default: return 0;
    }
    NoError();
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, pixelFormat, type, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    if (!NoError())
    {
        glDeleteTextures(1, &texture);
        return 0;
    }
    return texture;
}

void GLDevice::ReleaseTexture(GpuHandle texture) { glDeleteTextures(1, &texture); }

void GLDevice::BindDrawState(const GpuDrawState &state)
{
    glUseProgram(state.program);
    glBindBufferBase(GL_UNIFORM_BUFFER, 0, state.constantBuffer);
    glEnable(GL_BLEND);
    auto blend = blendKinds.find(state.blendState);
    uint32_t blendKind = blend != blendKinds.end() ? blend->second : kGpuBlendOver;
    if (blendKind == kGpuBlendCoverage)
    {
        // The largest coverage into the alpha; the colour stays.
        glBlendEquationSeparate(GL_FUNC_ADD, GL_MAX);
        glBlendFuncSeparate(GL_ZERO, GL_ONE, GL_ONE, GL_ONE);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    }
    else if (blendKind == kGpuBlendCoveredColor)
    {
        // The colour at the coverage the alpha holds, taken once: the alpha drops to 0.
        glBlendEquation(GL_FUNC_ADD);
        glBlendFuncSeparate(GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA, GL_ZERO, GL_ZERO);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    else
    {
        // Colour over the destination; the destination alpha stays.
        glBlendEquation(GL_FUNC_ADD);
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }

    glBindVertexArray(state.layout);
    glBindBuffer(GL_ARRAY_BUFFER, state.vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, state.indexBuffer);
    GLsizei stride = GLsizei(state.stride);
    for (GLuint location = 0; location < 6; ++location) glDisableVertexAttribArray(location);
    if (state.layoutKind == kGpuLayoutVorl)
    {
        for (GLuint location = 0; location < 6; ++location) glEnableVertexAttribArray(location);
        glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, Offset(0));
        glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, Offset(16));
        glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride, Offset(32));
        glVertexAttribPointer(3, 4, GL_FLOAT, GL_FALSE, stride, Offset(48));
        glVertexAttribPointer(4, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, Offset(64));
        glVertexAttribIPointer(5, 2, GL_UNSIGNED_INT, stride, Offset(24));
    }
    else
    {
        glEnableVertexAttribArray(0);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, Offset(0));
        glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride, Offset(8));
        if (state.layoutKind == kGpuLayoutTexture)
        {
            glEnableVertexAttribArray(2);
            glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, Offset(24));
        }
    }
    indexSize = state.indexFormat == kGpuIndex32 ? 4 : 2;
}

void GLDevice::BindTextures(int32_t count, const GpuHandle *textures)
{
    for (int32_t i = 0; i < count && i < 2; ++i)
    {
        glActiveTexture(GL_TEXTURE0 + GLenum(i));
        glBindTexture(GL_TEXTURE_2D, textures[i]);
    }
    glActiveTexture(GL_TEXTURE0);
}

void GLDevice::DrawIndexed(uint32_t indexCount, uint32_t firstIndex, int32_t baseVertex)
{
    GLenum type = indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    glDrawElementsBaseVertex(GL_TRIANGLES, GLsizei(indexCount), type, Offset(uintptr_t(firstIndex) * indexSize),
                             baseVertex);
}

}  // namespace oq
