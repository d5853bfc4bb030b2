// Bracket delimiters stretched to a height: the constructed outlines and the scaled glyphs.
#include "editor/document/BracketNode.h"

#include "editor/document/MathDesign.h"
#include "editor/document/StretchyOutlines.h"
#include "editor/fonts/Design.h"
#include "editor/platform/FontFile.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace oq {

namespace {

// A glyph lower than this (in ems) is not stretched: it would make the stretch unbounded.
constexpr float kFlatGlyphHeight = 1.0F / 1024.0F;

// Appends the closed polygon through the points as straight edges (each control point on its end).
void AppendPolygon(DelimiterGeometry *geometry, std::initializer_list<Point2D> points)
{
    const Point2D *p = points.begin();
    int32_t n = int32_t(points.size());
    for (int32_t i = 0; i < n && geometry->curveCount < kDelimiterOutlineCurves; ++i)
    {
        const Point2D &q = p[(i + 1) % n];
        geometry->curves[geometry->curveCount++] = QuadraticBezier2D(p[i], q, q);
    }
}

// Maps the curves from first on by (px, py) -> (ax px + bx, ay py + by).
void MapCurves(DelimiterGeometry *geometry, int32_t first, float ax, float bx, float ay, float by)
{
    for (int32_t i = first; i < geometry->curveCount; ++i)
    {
        for (Point2D *p : {&geometry->curves[i].p0, &geometry->curves[i].p1, &geometry->curves[i].p2})
        {
            p->x = ax * p->x + bx;
            p->y = ay * p->y + by;
        }
    }
}

// The parenthesis '(' with its bottom left at the origin: two hooks from the stem to the square-cut
// tips, a straight stem between them when there is room. Returns its width, 0 for no outline.
float BuildParenthesis(float x, float y, float h, float em, float mu, const Design *design, bool mirrored,
                       DelimiterGeometry *geometry)
{
    auto param = [design](uint32_t key) { return GetGroupParam(design, kBracketKind, key); };
    float a = mu * param('prmt');
    float hookHeight = em * param('prhi');
    float k = em * param('prwd');
    float w = hookHeight;
    bool straight = h > 2.0F * hookHeight;
    if (!straight)
    {
        w = h * 0.5F;
        int32_t group = FindDesignGroup(kBracketKind);
        float least = group >= 0 ? em * design->GetGroupSlots(group)[11] : 0.0F;
        k = std::max(hookHeight > 0.0F ? k * w / hookHeight : 0.0F, least);
    }
    if (!(k > 0.0F) || !std::isfinite(k) || !std::isfinite(w)) return 0.0F;
    float r = a * 0.5F + k;
    float o = mu * param('pret') * 0.5F;
    float B = w * (1.0F - param('prcp'));
    float n = GetGuardedInverseLength(k * k + B * B);
    if (!std::isfinite(n)) return 0.0F;
    float q = B / k;
    float D = w - k * n * o;
    float A2 = w + k * n * o;
    float F = r + B * n * o;
    float E2 = r - B * n * o;
    float c = D - (F - a) * q;
    float d = A2 - E2 * q;
    float G = w;
    float L = straight ? h - w : G;
    auto at = [](float px, float py) { return Point2D(px, py); };
    QuadraticBezier2D *out = geometry->curves;
    int32_t count = 0;
    out[count++] = QuadraticBezier2D(at(a, L), at(a, L + c), at(F, L + D));
    out[count++] = QuadraticBezier2D(at(F, L + D), at(E2, L + A2), at(E2, L + A2));
    out[count++] = QuadraticBezier2D(at(E2, L + A2), at(0, L + d), at(0, L));
    if (straight) out[count++] = QuadraticBezier2D(at(0, L), at(0, G), at(0, G));
    out[count++] = QuadraticBezier2D(at(0, G), at(0, G - d), at(E2, G - A2));
    out[count++] = QuadraticBezier2D(at(E2, G - A2), at(F, G - D), at(F, G - D));
    out[count++] = QuadraticBezier2D(at(F, G - D), at(a, G - c), at(a, G));
    if (straight) out[count++] = QuadraticBezier2D(at(a, G), at(a, L), at(a, L));
    geometry->curveCount = count;
    // ')' is the mirror image: every x becomes r - x.
    if (mirrored) MapCurves(geometry, 0, -1.0F, x + r, 1.0F, y);
    else MapCurves(geometry, 0, 1.0F, x, 1.0F, y);
    return r;
}

}  // namespace

const Font *BracketNode::GetDelimiterFont(const Design *design, const LaidOutGlyph &glyph)
{
    if (!glyph.present || glyph.fontSlot >= DocumentFontSet::kSlotCount) return nullptr;
    const Font *font = design->fonts.slots[glyph.fontSlot];
    return font != nullptr && glyph.glyphIndex < font->GetGlyphCount() ? font : nullptr;
}

float BracketNode::BuildStretchedDelimiter(const Design *design, uint32_t codePoint, const Point2D &origin,
                                           float h, float u, DelimiterGeometry *geometry) const
{
    geometry->curveCount = 0;
    if (!std::isfinite(h) || !(h >= 0.0F) || !std::isfinite(origin.x) || !std::isfinite(origin.y)) return 0.0F;
    float em = GetEm(design);
    float mu = em / 18.0F;
    auto param = [design](uint32_t key) { return GetGroupParam(design, kBracketKind, key); };
    auto T = [&](uint32_t key) { return mu * param(key); };
    float x = origin.x;
    float y = origin.y;
    float width = 0.0F;

    switch (codePoint)
    {
    case '|':
    {
        float t = T('brth');
        AppendPolygon(geometry, {{x, y}, {x + t, y}, {x + t, y + h}, {x, y + h}});
        width = t;
        break;
    }
    case 0x2016:
    {
        float t = T('brth');
        float x2 = x + t + T('brds');
        AppendPolygon(geometry, {{x, y}, {x + t, y}, {x + t, y + h}, {x, y + h}});
        AppendPolygon(geometry, {{x2, y}, {x2 + t, y}, {x2 + t, y + h}, {x2, y + h}});
        width = 2.0F * t + T('brds');
        break;
    }
    case '[':
    case ']':
    {
        if (!(u >= param('bkmx'))) break;
        float S = T('bkmt');
        float t = T('bket');
        float E = em * param('bkwd');
        width = S * 0.5F + E;
        AppendPolygon(geometry, {{0, 0}, {S * 0.5F + E, 0}, {S * 0.5F + E, t}, {S, t}, {S, h - t},
                                 {S * 0.5F + E, h - t}, {S * 0.5F + E, h}, {0, h}});
        if (codePoint == ']') MapCurves(geometry, 0, -1.0F, x + width, 1.0F, y);
        else MapCurves(geometry, 0, 1.0F, x, 1.0F, y);
        break;
    }
    case 0x27E6:
    case 0x27E7:
    {
        float S = T('bkmt');
        float s = T('bkds');
        float t = T('bket');
        float E = em * param('bkwd');
        if (codePoint == 0x27E6)
        {
            float X = x + 1.5F * S + s + E;
            float inner = x + 2.0F * S + s;
            AppendPolygon(geometry, {{x, y}, {X, y}, {X, y + t}, {inner, y + t}, {inner, y + h - t}, {X, y + h - t},
                                     {X, y + h}, {x, y + h}});
            AppendPolygon(geometry, {{x + S, y + t}, {x + S, y + h - t}, {x + S + s, y + h - t}, {x + S + s, y + t}});
        }
        else
        {
            float g = x + E - S * 0.5F;
            float outer = g + 2.0F * S + s;
            AppendPolygon(geometry, {{x, y}, {outer, y}, {outer, y + h}, {x, y + h}, {x, y + h - t}, {g, y + h - t},
                                     {g, y + t}, {x, y + t}});
            AppendPolygon(geometry, {{g + S, y + t}, {g + S, y + h - t}, {g + S + s, y + h - t}, {g + S + s, y + t}});
        }
        width = 1.5F * S + s + E;
        break;
    }
    case 0x230A:
    case 0x230B:
    case 0x2308:
    case 0x2309:
    {
        float S = T('flmt');
        float t = T('flet');
        float W = em * param('flwd');
        width = W + S * 0.5F;
        // The left floor; the right one mirrors it, the ceilings turn the floors upside down.
        AppendPolygon(geometry, {{0, 0}, {width, 0}, {width, t}, {S, t}, {S, h - t}, {0, h - t}});
        bool mirrored = codePoint == 0x230B || codePoint == 0x2309;
        bool ceiling = codePoint == 0x2308 || codePoint == 0x2309;
        MapCurves(geometry, 0, mirrored ? -1.0F : 1.0F, mirrored ? x + width : x, ceiling ? -1.0F : 1.0F,
                  ceiling ? y + h : y);
        break;
    }
    case 0x27E8:
    case 0x27E9:
    case 0x27EA:
    case 0x27EB:
    {
        float Tp = T('anmt');
        float t = h * 0.5F;
        float E = em * param('anwd');
        float n = std::sqrt(t * t + E * E);
        if (!(t > 0.0F) || !(n > 0.0F)) break;
        float C = n * Tp / t;
        float r = C * 0.5F + E;
        float a = t * Tp / (2.0F * n);
        float D = E * Tp / (2.0F * n);
        bool opening = codePoint == 0x27E8 || codePoint == 0x27EA;
        bool doubled = codePoint == 0x27EA || codePoint == 0x27EB;
        float shift = C + T('ands');
        for (int32_t copy = 0; copy < (doubled ? 2 : 1); ++copy)
        {
            float cx = x + float(copy) * shift;
            if (opening)
                AppendPolygon(geometry, {{cx + r - a, y - D}, {cx + r + a, y + D}, {cx + C, y + t},
                                         {cx + r + a, y + h - D}, {cx + r - a, y + h + D}, {cx, y + t}});
            else
                AppendPolygon(geometry, {{cx + a, y - D}, {cx - a, y + D}, {cx + r - C, y + t}, {cx - a, y + h - D},
                                         {cx + a, y + h + D}, {cx + r, y + t}});
        }
        width = doubled ? r + shift : r;
        break;
    }
    case '(':
    case ')':
        if (!(u >= param('prmx'))) break;
        width = BuildParenthesis(x, y, h, em, mu, design, codePoint == ')', geometry);
        break;
    case '{':
    case '}':
    {
        float hookLength = em * param('bchi');
        if (!(u >= param('bcmx')) || !(h > 4.0F * hookLength)) break;
        float W = em * param('bcwd');
        geometry->curveCount = BuildBraceOutline(h, W, hookLength, param('bccp'), T('bcmt'), T('bcet'), T('bcat'),
                                                 geometry->curves);
        // '}' is turned by 180 degrees: (px, py) -> (x + 2W - px, y + h - py).
        if (codePoint == '}') MapCurves(geometry, 0, -1.0F, x + 2.0F * W, -1.0F, y + h);
        else MapCurves(geometry, 0, 1.0F, x, 1.0F, y);
        width = 2.0F * W;
        break;
    }
    case 0x2997:
    case 0x2998:
    case 0x2772:
    case 0x2773:
    {
        float hookLength = em * param('shhi');
        if (!(u >= param('shmx')) || !(h > 4.0F * hookLength)) break;
        float W = em * param('shwd');
        float thickness = T('shmt');
        geometry->curveCount = BuildShellBracketOutline(h, W, hookLength, thickness, T('shet'), geometry->curves);
        if (codePoint == 0x2998 || codePoint == 0x2773) MapCurves(geometry, 0, -1.0F, x + W, -1.0F, y + h);
        else MapCurves(geometry, 0, 1.0F, x + thickness * 0.5F, 1.0F, y);
        width = thickness * 0.5F + W;
        break;
    }
    default:
        break;
    }
    if (geometry->curveCount == 0) return 0.0F;
    return width;
}

float BracketNode::StretchDelimiter(const Design *design, uint32_t codePoint, const LaidOutGlyph &glyph,
                                    float height, float y, float x, DelimiterGeometry *geometry) const
{
    *geometry = DelimiterGeometry();
    float em = GetEm(design);
    GlyphBounds box;
    const Font *font = GetDelimiterFont(design, glyph);
    if (font != nullptr) box = font->GetGlyphBounds(glyph.glyphIndex, glyphRequest.optionFlags);
    float glyphHeight = box.yMax - box.yMin;
    float u = 1.0F;
    if (glyphHeight > kFlatGlyphHeight) u = std::max(1.0F, height / (glyphHeight * em));
    if (!std::isfinite(u)) u = 1.0F;

    float width = BuildStretchedDelimiter(design, codePoint, Point2D(x, y), height, u, geometry);
    if (geometry->curveCount > 0) return x + width;

    float root = std::sqrt(u);
    geometry->scale = Matrix2D(root * em, 0.0F, 0.0F, u * em);
    geometry->x = x - em * box.xMin * root;
    geometry->y = em * box.yMin * u - y;
    if (font != nullptr)
    {
        geometry->vertexCounts[glyph.fontSlot] = 4;
        geometry->triangleCounts[glyph.fontSlot] = 2;
    }
    return x + (box.xMax - box.xMin) * em * root;
}

}  // namespace oq
