#include "vorl/text/ShaderSourceText.h"

// Each piece picks its language with the preprocessor: a GLSL profile macro (OpenGL 1.50 and
// later, OpenGL ES, Vulkan) is GLSL, __METAL_VERSION__ is Metal, __PSSL__ is PSSL and anything
// else is HLSL. VORL_HLSL forces HLSL (glslang's HLSL front end defines GLSL profile macros).

namespace oq {

const char ShaderSourceText::kVertexPreamble[] = R"VORL(
#if !defined(VORL_GLSL) && !defined(VORL_HLSL) && (defined(GL_ES) || defined(GL_core_profile) || defined(GL_compatibility_profile) || defined(VULKAN))
#define VORL_GLSL
#endif
#if defined(VORL_GLSL)
#ifdef GL_ES
precision highp float;
precision highp int;
#endif
#define int2 ivec2
#define int4 ivec4
#define uint2 uvec2
#define uint4 uvec4
#define float2 vec2
#define float3 vec3
#define float4 vec4
#elif defined(__METAL_VERSION__)
#include <metal_geometric>
using namespace metal;
#endif
)VORL";

const char ShaderSourceText::kVertexFunctions[] = R"VORL(
#if !defined(VORL_GLSL) && !defined(VORL_HLSL) && (defined(GL_ES) || defined(GL_core_profile) || defined(GL_compatibility_profile) || defined(VULKAN))
#define VORL_GLSL
#endif
uint4 VorlUnpack(uint2 words)
{
	return uint4(words.x & 0xFFFFu, words.x >> 16u, words.y & 0xFFFFu, words.y >> 16u);
}

// Moves the vertex along its normal by half a pixel times the normal's length on screen and its
// em coordinate with it; returns the object position (xy) and the em coordinate (zw). A zero
// normal keeps the vertex in place.
float4 VorlDilate(float4 position, float2 texcoord, float4 jacobian, float4 m0, float4 m1, float4 m3, float2 viewport)
{
	if (dot(position.zw, position.zw) == 0.0) return float4(position.xy, texcoord);
	float2 n = normalize(position.zw);
	float s = dot(m3.xy, position.xy) + m3.w;
	float t = dot(m3.xy, n);
	float u = (s * dot(m0.xy, n) - t * (dot(m0.xy, position.xy) + m0.w)) * viewport.x;
	float v = (s * dot(m1.xy, n) - t * (dot(m1.xy, position.xy) + m1.w)) * viewport.y;
	float s2 = s * s;
	float st = s * t;
	float uv = u * u + v * v;
	float2 d = position.zw * (s2 * (st + sqrt(uv)) / (uv - st * st));
	return float4(position.xy + d, texcoord + float2(dot(d, jacobian.xy), dot(d, jacobian.zw)));
}
)VORL";

const char ShaderSourceText::kVertexEntryPoints[] = R"VORL(
#if !defined(VORL_GLSL) && !defined(VORL_HLSL) && (defined(GL_ES) || defined(GL_core_profile) || defined(GL_compatibility_profile) || defined(VULKAN))
#define VORL_GLSL
#endif
#if defined(VORL_GLSL)

layout(location = 0) in float4 position;
layout(location = 1) in float2 texcoord;
layout(location = 2) in float4 jacobian;
layout(location = 3) in float4 banding;
layout(location = 4) in float4 color;
layout(location = 5) in uint2 texcoordWords;

layout(std140) uniform ParamStruct
{
	float4 vorl_matrix[4];
	float2 vorl_viewport;
	float2 vorl_reserved;
	float4 vorl_colorConstant;
};

out float4 vorl_color;

// The colour constant of the draw: a vertex colour with alpha 0 takes it (when it is not clear),
// white is tinted by a constant that is not black, every other colour stays. A zero constant
// changes nothing.
float4 VorlApplyColorConstant(float4 color, float4 constant)
{
	if (color.a == 0.0) return (constant.a > 0.0) ? constant : color;
	if (all(equal(color.rgb, float3(1.0, 1.0, 1.0))) && any(notEqual(constant.rgb, float3(0.0, 0.0, 0.0))))
		return float4(constant.rgb, color.a * constant.a);
	return color;
}
out float2 vorl_texcoord;
flat out uint4 vorl_glyph;
flat out float4 vorl_banding;

void main()
{
	float4 p = VorlDilate(position, texcoord, jacobian, vorl_matrix[0], vorl_matrix[1], vorl_matrix[3], vorl_viewport);
	gl_Position = float4(p.x * vorl_matrix[0].x + p.y * vorl_matrix[0].y + vorl_matrix[0].w,
		p.x * vorl_matrix[1].x + p.y * vorl_matrix[1].y + vorl_matrix[1].w,
		p.x * vorl_matrix[2].x + p.y * vorl_matrix[2].y + vorl_matrix[2].w,
		p.x * vorl_matrix[3].x + p.y * vorl_matrix[3].y + vorl_matrix[3].w);
	vorl_color = VorlApplyColorConstant(color, vorl_colorConstant);
	vorl_texcoord = p.zw;
	vorl_glyph = VorlUnpack(texcoordWords);
	vorl_banding = banding;
}

#elif defined(__METAL_VERSION__)

struct AttribStruct
{
	float4 position [[attribute(0)]];
	float4 texcoord [[attribute(1)]];
	float4 jacobian [[attribute(2)]];
	float4 banding [[attribute(3)]];
	float4 color [[attribute(4)]];
};

struct ParamStruct
{
	float4 vorl_matrix[4];
	float2 vorl_viewport;
};

struct VertexStruct
{
	float4 position [[position]];
	float4 color;
	float2 texcoord;
	uint4 glyph [[flat]];
	float4 banding [[flat]];
};

vertex VertexStruct VorlVertexMain(AttribStruct attrib [[stage_in]], constant ParamStruct &params [[buffer(1)]])
{
	VertexStruct result;
	float4 p = VorlDilate(attrib.position, attrib.texcoord.xy, attrib.jacobian, params.vorl_matrix[0], params.vorl_matrix[1], params.vorl_matrix[3], params.vorl_viewport);
	result.position = float4(dot(p.xy, params.vorl_matrix[0].xy) + params.vorl_matrix[0].w,
		dot(p.xy, params.vorl_matrix[1].xy) + params.vorl_matrix[1].w,
		dot(p.xy, params.vorl_matrix[2].xy) + params.vorl_matrix[2].w,
		dot(p.xy, params.vorl_matrix[3].xy) + params.vorl_matrix[3].w);
	result.color = attrib.color;
	result.texcoord = p.zw;
	result.glyph = VorlUnpack(as_type<uint2>(attrib.texcoord.zw));
	result.banding = attrib.banding;
	return result;
}

#elif defined(__PSSL__)

struct AttribStruct
{
	float4 position;
	float4 texcoord;
	float4 jacobian;
	float4 banding;
	float4 color;
};

struct ParamStruct
{
	float4 vorl_matrix[4];
	float2 vorl_viewport;
};

struct VorlVertexSrt
{
	RegularBuffer<AttribStruct> attribs;
	ConstantBuffer<ParamStruct> *params;
};

struct VertexStruct
{
	float4 position : S_POSITION;
	float4 color : TEXCOORD0;
	float2 texcoord : TEXCOORD1;
	nointerp uint4 glyph : TEXCOORD2;
	nointerp float4 banding : TEXCOORD3;
};

VertexStruct VorlVertexMain(uint vertexID : S_VERTEX_ID, VorlVertexSrt srt : S_SRT_DATA)
{
	VertexStruct result;
	AttribStruct attrib = srt.attribs[vertexID];
	float4 m0 = srt.params->vorl_matrix[0];
	float4 m1 = srt.params->vorl_matrix[1];
	float4 m2 = srt.params->vorl_matrix[2];
	float4 m3 = srt.params->vorl_matrix[3];
	float4 p = VorlDilate(attrib.position, attrib.texcoord.xy, attrib.jacobian, m0, m1, m3, srt.params->vorl_viewport);
	result.position = float4(dot(p.xy, m0.xy) + m0.w, dot(p.xy, m1.xy) + m1.w, dot(p.xy, m2.xy) + m2.w, dot(p.xy, m3.xy) + m3.w);
	result.color = attrib.color;
	result.texcoord = p.zw;
	result.glyph = VorlUnpack(asuint(attrib.texcoord.zw));
	result.banding = attrib.banding;
	return result;
}

#else

struct AttribStruct
{
	float4 position : ATTRIB0;
	float4 texcoord : ATTRIB1;
	float4 jacobian : ATTRIB2;
	float4 banding : ATTRIB3;
	float4 color : ATTRIB4;
};

cbuffer ParamStruct : register(b0)
{
	float4 vorl_matrix[4];
	float2 vorl_viewport;
};

struct VertexStruct
{
	float4 position : SV_Position;
	float4 color : TEXCOORD0;
	float2 texcoord : TEXCOORD1;
	nointerpolation uint4 glyph : TEXCOORD2;
	nointerpolation float4 banding : TEXCOORD3;
};

#ifdef VORL_SIG
[RootSignature("RootFlags(ALLOW_INPUT_ASSEMBLER_INPUT_LAYOUT), CBV(b0, visibility = SHADER_VISIBILITY_VERTEX), DescriptorTable(SRV(t0, numDescriptors = 2), visibility = SHADER_VISIBILITY_PIXEL)")]
#endif
VertexStruct VorlVertexMain(AttribStruct attrib)
{
	VertexStruct result;
	float4 p = VorlDilate(attrib.position, attrib.texcoord.xy, attrib.jacobian, vorl_matrix[0], vorl_matrix[1], vorl_matrix[3], vorl_viewport);
	result.position = float4(dot(p.xy, vorl_matrix[0].xy) + vorl_matrix[0].w,
		dot(p.xy, vorl_matrix[1].xy) + vorl_matrix[1].w,
		dot(p.xy, vorl_matrix[2].xy) + vorl_matrix[2].w,
		dot(p.xy, vorl_matrix[3].xy) + vorl_matrix[3].w);
	result.color = attrib.color;
	result.texcoord = p.zw;
	result.glyph = VorlUnpack(asuint(attrib.texcoord.zw));
	result.banding = attrib.banding;
	return result;
}

#endif
)VORL";

const char *const ShaderSourceText::kOptionMacros[6] = {
    "#define VORL_WEIGHT\n", "#define VORL_SUPER\n", "#define VORL_LINEAR\n",
    "#define VORL_STROKE\n", "#define VORL_GRADIENT\n", "#define VORL_EVENODD\n"};

const char *const ShaderSourceText::kModeMacros[4] = {
    "", "#define VORL_MULTICOLOR\n", "#define VORL_COVERAGE\n", "#define VORL_INVERSE_COVERAGE\n"};

const char ShaderSourceText::kPixelPreamble[] = R"VORL(
#if !defined(VORL_GLSL) && !defined(VORL_HLSL) && (defined(GL_ES) || defined(GL_core_profile) || defined(GL_compatibility_profile) || defined(VULKAN))
#define VORL_GLSL
#endif
#if defined(VORL_GLSL)
#ifdef GL_ES
precision highp float;
precision highp int;
precision highp sampler2D;
precision highp usampler2D;
#endif
#define int2 ivec2
#define int3 ivec3
#define int4 ivec4
#define uint2 uvec2
#define uint3 uvec3
#define uint4 uvec4
#define float2 vec2
#define float3 vec3
#define float4 vec4
#define lerp mix
#define frac fract
#define asint floatBitsToInt
#define asuint floatBitsToUint
#define asfloat uintBitsToFloat
#define saturate(x) clamp((x), 0.0, 1.0)
#elif defined(__METAL_VERSION__)
#include <metal_math>
#include <metal_common>
#include <metal_integer>
#include <metal_graphics>
#include <metal_texture>
using namespace metal;
#define lerp mix
#define frac fract
#define asint(x) as_type<int>(x)
#define asuint(x) as_type<uint>(x)
#define asfloat(x) as_type<float>(x)
#endif
)VORL";

const char ShaderSourceText::kPixelFunctions[] = R"VORL(
#if !defined(VORL_GLSL) && !defined(VORL_HLSL) && (defined(GL_ES) || defined(GL_core_profile) || defined(GL_compatibility_profile) || defined(VULKAN))
#define VORL_GLSL
#endif
#define kLogBandTextureWidth 12

// Textures travel as parameters: Metal has no global textures.
#if defined(VORL_GLSL)
#define VorlTextures sampler2D CurveSampler, usampler2D BandSampler
#define TexelLoad2D(tex, loc) texelFetch(tex, loc, 0)
#elif defined(__METAL_VERSION__)
#define VorlTextures texture2d<float> CurveSampler, texture2d<uint> BandSampler
#define TexelLoad2D(tex, loc) tex.read(uint2(loc))
#else
#define VorlTextures Texture2D<float4> CurveSampler, Texture2D<uint4> BandSampler
#define TexelLoad2D(tex, loc) tex.Load(int3(loc, 0))
#endif
#define VorlTextureArgs CurveSampler, BandSampler

#if defined(VORL_LOP3) || defined(GL_NV_gpu_shader5)
#define VorlRootCode int2
#define TestCurve(code) (((code).x | (code).y) < 0)
#define TestRoot1(code) ((code).x < 0)
#define TestRoot2(code) ((code).y < 0)
#else
#define VorlRootCode uint
#define TestCurve(code) ((code) != 0u)
#define TestRoot1(code) (((code) & 1u) != 0u)
#define TestRoot2(code) ((code) > 1u)
#endif

// Which of the two roots of a curve crossing the ray cross it, from the sign bits of the curve's
// three coordinates across the ray.
VorlRootCode CalcRootCode(float y1, float y2, float y3)
{
#if defined(VORL_LOP3) || defined(GL_NV_gpu_shader5)
	int a = asint(y1);
	int b = asint(y2);
	int c = asint(y3);
	return int2((~a & (b | c)) | (~b & c), (a & (~b | ~c)) | (b & ~c));
#else
	uint s = (asuint(y1) >> 31u) | ((asuint(y2) >> 30u) & 2u) | ((asuint(y3) >> 29u) & 4u);
	return (0x2E74u >> s) & 0x0101u;
#endif
}

// The x of the curve (p1, p2 in p12, p3) where its y is zero, at both roots.
float2 SolveHorizPoly(float4 p12, float2 p3)
{
	float2 a = p12.xy - p12.zw * 2.0 + p3;
	float2 b = p12.xy - p12.zw;
	float t1;
	float t2;
	if (abs(a.y) < 1.0 / 65536.0)
	{
		t1 = p12.y * 0.5 / b.y;
		t2 = t1;
	}
	else
	{
		float ra = 1.0 / a.y;
		float d = sqrt(max(b.y * b.y - a.y * p12.y, 0.0));
		t1 = (b.y - d) * ra;
		t2 = (b.y + d) * ra;
	}
	return float2((a.x * t1 - b.x * 2.0) * t1 + p12.x, (a.x * t2 - b.x * 2.0) * t2 + p12.x);
}

// The y of the curve where its x is zero, at both roots.
float2 SolveVertPoly(float4 p12, float2 p3)
{
	return SolveHorizPoly(p12.yxwz, p3.yx);
}

// A location plus a texel offset, carried into the following rows of the band texture.
int2 CalcBandLoc(int2 location, uint offset)
{
	int x = location.x + int(offset);
	return int2(x & ((1 << kLogBandTextureWidth) - 1), location.y + (x >> kLogBandTextureWidth));
}

// Adds the signed coverage and the weight of one curve's crossings of the ray to the right of the
// origin; p12 and p3 are relative to the pixel, scale is pixels per em.
float2 AddHorizCurve(float2 acc, float4 p12, float2 p3, float scale)
{
	VorlRootCode code = CalcRootCode(p12.y, p12.w, p3.y);
	if (TestCurve(code))
	{
		float2 r = SolveHorizPoly(p12, p3) * scale;
		if (TestRoot1(code))
		{
			acc.x += saturate(r.x + 0.5);
			acc.y = max(acc.y, saturate(1.0 - abs(r.x) * 2.0));
		}
		if (TestRoot2(code))
		{
			acc.x -= saturate(r.y + 0.5);
			acc.y = max(acc.y, saturate(1.0 - abs(r.y) * 2.0));
		}
	}
	return acc;
}

// The same for a straight segment p1-p2 (p12), without the control point.
float2 AddHorizLine(float2 acc, float4 p12, float scale)
{
	if (((asuint(p12.y) ^ asuint(p12.w)) & 0x80000000u) != 0u)
	{
		float r = (p12.x - p12.y * (p12.z - p12.x) / (p12.w - p12.y)) * scale;
		float s = saturate(r + 0.5);
		acc.x += (p12.y < 0.0) ? -s : s;
		acc.y = max(acc.y, saturate(1.0 - abs(r) * 2.0));
	}
	return acc;
}

// One band's curves against the ray to the right of e: (coverage, weight). The vertical pass
// runs it on exchanged coordinates, which turns the ray up and negates the coverage.
float2 CalcBandCoverage(VorlTextures, float2 e, int2 location, int band, float scale, bool straight, bool vertical)
{
	uint2 header = TexelLoad2D(BandSampler, int2(location.x + band, location.y)).xy;
	int2 list = CalcBandLoc(location, header.y);
	float2 acc = float2(0.0, 0.0);
	for (int i = 0; i < int(header.x); i++)
	{
		int2 curve = int2(TexelLoad2D(BandSampler, int2(list.x + i, list.y)).xy);
		float4 p12 = TexelLoad2D(CurveSampler, curve) - float4(e, e);
		if (vertical) p12 = p12.yxwz;
#if defined(VORL_LINEAR)
		if (straight)
		{
			if (max(p12.x, p12.z) * scale < -0.5) break;
			acc = AddHorizLine(acc, p12, scale);
			continue;
		}
#endif
		float2 p3 = TexelLoad2D(CurveSampler, int2(curve.x + 1, curve.y)).xy - e;
		if (vertical) p3 = p3.yx;
		if (max(max(p12.x, p12.z), p3.x) * scale < -0.5) break;
		acc = AddHorizCurve(acc, p12, p3, scale);
	}
	return acc;
}

// Coverage from the two passes; flags are the high half of the band-limit word.
float CalcCoverage(float xcov, float xwgt, float ycov, float ywgt, uint flags)
{
	float c = max(abs(xcov * xwgt + ycov * ywgt) / max(xwgt + ywgt, 1.0 / 65536.0), min(abs(xcov), abs(ycov)));
#if defined(VORL_EVENODD)
	if ((flags & 0x1000u) != 0u) c = 1.0 - abs(1.0 - 2.0 * frac(c * 0.5));
	else c = saturate(c);
#else
	c = saturate(c);
#endif
#if defined(VORL_WEIGHT)
	c = sqrt(c);
#endif
	return c;
}

// Coverage of the glyph whose band data starts at location, at em coordinate e.
float CalcGlyphCoverage(VorlTextures, float2 e, int2 location, uint4 glyph, float4 banding, float2 emsPerPixel)
{
	float2 scale = 1.0 / emsPerPixel;
	int2 bandMax = int2(int(glyph.z), int(glyph.w & 0xFFu));
	bool straight = (glyph.w & 0x100u) != 0u;
	float2 h = float2(0.0, 0.0);
	float2 v = float2(0.0, 0.0);
#if defined(VORL_SUPER)
	int2 count = clamp(int2(emsPerPixel * 16.0 + 1.0), int2(1, 1), int2(4, 4));
	for (int k = 0; k < count.y; k++)
	{
		float2 s = float2(e.x, e.y + ((float(k) + 0.5) / float(count.y) - 0.5) * emsPerPixel.y);
		int band = clamp(int(s.y * banding.y + banding.w), 0, bandMax.y);
		float2 r = CalcBandCoverage(VorlTextureArgs, s, location, band, scale.x, straight, false);
		h = float2(h.x + r.x, max(h.y, r.y));
	}
	h.x /= float(count.y);
	for (int k = 0; k < count.x; k++)
	{
		float2 s = float2(e.x + ((float(k) + 0.5) / float(count.x) - 0.5) * emsPerPixel.x, e.y);
		int band = clamp(int(s.x * banding.x + banding.z), 0, bandMax.x);
		float2 r = CalcBandCoverage(VorlTextureArgs, s, location, bandMax.y + 1 + band, scale.y, straight, true);
		v = float2(v.x + r.x, max(v.y, r.y));
	}
	v.x /= -float(count.x);
#else
	int2 band = clamp(int2(e * banding.xy + banding.zw), int2(0, 0), bandMax);
	h = CalcBandCoverage(VorlTextureArgs, e, location, band.y, scale.x, straight, false);
	v = CalcBandCoverage(VorlTextureArgs, e, location, bandMax.y + 1 + band.x, scale.y, straight, true);
	v.x = -v.x;
#endif
	return CalcCoverage(h.x, h.y, v.x, v.y, glyph.w);
}

// Coverage of a stroke piece: a chain of count curves in the curve texture, without bands.
float CalcStrokeCoverage(VorlTextures, float2 e, uint4 glyph, int count, float2 emsPerPixel)
{
	float2 scale = 1.0 / emsPerPixel;
	float2 h = float2(0.0, 0.0);
	float2 v = float2(0.0, 0.0);
	int2 location = int2(glyph.xy);
	for (int k = 0; k < count; k++)
	{
		float4 p12 = TexelLoad2D(CurveSampler, int2(location.x + k, location.y)) - float4(e, e);
		float2 p3 = TexelLoad2D(CurveSampler, int2(location.x + k + 1, location.y)).xy - e;
		h = AddHorizCurve(h, p12, p3, scale.x);
		v = AddHorizCurve(v, p12.yxwz, p3.yx, scale.y);
	}
	return CalcCoverage(h.x, h.y, -v.x, v.y, glyph.w);
}

// Colour (rgb) and coverage (a) of the pixel at em coordinate e.
float4 ApplyLayerColor(float4 result, uint2 color, float coverage)
{
	float3 layer = float3(float(color.x & 0xFFu), float(color.x >> 8u), float(color.y & 0xFFu)) / 255.0;
	return float4(lerp(result.rgb, layer, coverage), saturate(result.a + coverage));
}

float4 RenderGlyph(VorlTextures, float2 e, uint4 glyph, float4 banding, float4 color)
{
	float2 emsPerPixel = fwidth(e);
#if defined(VORL_STROKE)
	int strokeCount = int((glyph.w >> 9u) & 7u);
	if (strokeCount != 0) return float4(color.rgb, CalcStrokeCoverage(VorlTextureArgs, e, glyph, strokeCount, emsPerPixel));
#endif
#if defined(VORL_MULTICOLOR)
	int2 header = int2(glyph.xy);
	int layerCount = int(TexelLoad2D(BandSampler, header).x);
	float4 result = float4(0.0, 0.0, 0.0, 0.0);
	for (int i = 0; i < layerCount; i++)
	{
		int2 layer = int2(TexelLoad2D(BandSampler, CalcBandLoc(header, uint(i * 2 + 1))).xy);
		uint2 layerColor = TexelLoad2D(BandSampler, CalcBandLoc(header, uint(i * 2 + 2))).xy;
		result = ApplyLayerColor(result, layerColor, CalcGlyphCoverage(VorlTextureArgs, e, layer, glyph, banding, emsPerPixel));
	}
	return result;
#else
	return float4(color.rgb, CalcGlyphCoverage(VorlTextureArgs, e, int2(glyph.xy), glyph, banding, emsPerPixel));
#endif
}

float4 VorlRender(VorlTextures, float2 e, uint4 glyph, float4 banding, float4 color)
{
	float4 result = RenderGlyph(VorlTextureArgs, e, glyph, banding, color);
#if defined(VORL_GRADIENT)
	uint type = glyph.w >> 13u;
	if (type != 0u)
	{
		int2 paint = int2(TexelLoad2D(BandSampler, int2(int(glyph.x) - 1, int(glyph.y))).xy);
		float3 g = TexelLoad2D(CurveSampler, paint).xyz;
		float4 color1 = TexelLoad2D(CurveSampler, int2(paint.x + 1, paint.y));
		float4 color2 = TexelLoad2D(CurveSampler, int2(paint.x + 2, paint.y));
		float t;
		if (type == 1u) t = saturate(g.x * e.x + g.y * e.y + g.z);
		else t = min(length(float2(e.x * g.z - g.x, e.y * g.z - g.y)), 1.0);
		result *= lerp(color1, color2, t);
	}
#endif
#if defined(VORL_COVERAGE)
	return float4(result.rgb * result.a, result.a * color.a);
#elif defined(VORL_INVERSE_COVERAGE)
	return float4(result.rgb * (1.0 - result.a), result.a * color.a);
#else
	return float4(result.rgb, result.a * color.a);
#endif
}
)VORL";

const char ShaderSourceText::kPixelEntryPoints[] = R"VORL(
#if !defined(VORL_GLSL) && !defined(VORL_HLSL) && (defined(GL_ES) || defined(GL_core_profile) || defined(GL_compatibility_profile) || defined(VULKAN))
#define VORL_GLSL
#endif
#if defined(VORL_GLSL)

uniform sampler2D vorl_curveTexture;
uniform usampler2D vorl_bandTexture;

in float4 vorl_color;
in float2 vorl_texcoord;
flat in uint4 vorl_glyph;
flat in float4 vorl_banding;

layout(location = 0) out float4 vorl_target;

void main()
{
	vorl_target = VorlRender(vorl_curveTexture, vorl_bandTexture, vorl_texcoord, vorl_glyph, vorl_banding, vorl_color);
}

#elif defined(__METAL_VERSION__)

struct VertexStruct
{
	float4 position [[position]];
	float4 color;
	float2 texcoord;
	uint4 glyph [[flat]];
	float4 banding [[flat]];
};

fragment float4 VorlPixelMain(VertexStruct input [[stage_in]], texture2d<float> curveTexture [[texture(0)]], texture2d<uint> bandTexture [[texture(1)]])
{
	return VorlRender(curveTexture, bandTexture, input.texcoord, input.glyph, input.banding, input.color);
}

#elif defined(__PSSL__)

struct VertexStruct
{
	float4 position : S_POSITION;
	float4 color : TEXCOORD0;
	float2 texcoord : TEXCOORD1;
	nointerp uint4 glyph : TEXCOORD2;
	nointerp float4 banding : TEXCOORD3;
};

struct VorlPixelSrt
{
	Texture2D<float4> curveTexture;
	Texture2D<uint4> bandTexture;
};

float4 VorlPixelMain(VertexStruct input, VorlPixelSrt srt : S_SRT_DATA) : S_TARGET_OUTPUT
{
	return VorlRender(srt.curveTexture, srt.bandTexture, input.texcoord, input.glyph, input.banding, input.color);
}

#else

struct VertexStruct
{
	float4 position : SV_Position;
	float4 color : TEXCOORD0;
	float2 texcoord : TEXCOORD1;
	nointerpolation uint4 glyph : TEXCOORD2;
	nointerpolation float4 banding : TEXCOORD3;
};

Texture2D<float4> vorl_curveTexture : register(t0);
Texture2D<uint4> vorl_bandTexture : register(t1);

#ifdef VORL_SIG
[RootSignature("RootFlags(ALLOW_INPUT_ASSEMBLER_INPUT_LAYOUT), CBV(b0, visibility = SHADER_VISIBILITY_VERTEX), DescriptorTable(SRV(t0, numDescriptors = 2), visibility = SHADER_VISIBILITY_PIXEL)")]
#endif
float4 VorlPixelMain(VertexStruct input) : SV_Target
{
	return VorlRender(vorl_curveTexture, vorl_bandTexture, input.texcoord, input.glyph, input.banding, input.color);
}

#endif
)VORL";

}   // namespace oq
