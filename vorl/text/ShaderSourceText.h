#pragma once

namespace oq {

// The constant pieces of the Vorl shader source, one text for GLSL, Metal, PSSL and HLSL.
struct ShaderSourceText
{
    static const char kVertexPreamble[];
    static const char kVertexFunctions[];
    static const char kVertexEntryPoints[];
    static const char kPixelPreamble[];
    static const char kPixelFunctions[];
    static const char kPixelEntryPoints[];
    static const char *const kOptionMacros[6];   // WEIGHT .. EVENODD
    static const char *const kModeMacros[4];     // none, MULTICOLOR, COVERAGE, INVERSE_COVERAGE
};

}   // namespace oq
