#include "vorl/geometry/DecorationGeometry.h"

#include <cmath>

#include "vorl/geometry/GeometryBuilderTable.h"
#include "vorl/geometry/TextPaintColor.h"

namespace oq {

void DecorationRun::Begin(const TextLayoutState *layoutState, const TextFont *textFont,
                          const FontDataDecorationItem *decoration, GeometryBuffer *buffer, float x, float baselineY,
                          float outlineExpansion, const TextPaint *paint, const float *effectOffset)
{
    state = layoutState;
    font = textFont;
    item = decoration;
    geometry = buffer;
    offset[0] = effectOffset[0];
    offset[1] = effectOffset[1];
    expansion = outlineExpansion;
    startX = x;
    float k = textFont->fontScale * layoutState->size;
    float bottom = decoration->position - outlineExpansion;
    float top = decoration->position + decoration->thickness + outlineExpansion;
    bottomShift = bottom * k * layoutState->skew;
    bottomY = baselineY - bottom * k;
    topShift = top * k * layoutState->skew;
    topY = baselineY - top * k;
    emBottom = decoration->position;
    emTop = decoration->position + decoration->thickness;
    if (buffer != nullptr)
    {
        VerticalPaint colors;
        colors.Set(paint, nullptr);
        bottomColor = colors.At(bottom);
        topColor = colors.At(top);
    }
}

template <int32_t kVariant> void WriteDecorationRectVariant(const DecorationRun *run, float endX, Box2D *bounds)
{
    using Variant = GeometryVariant<kVariant>;
    using Vertex = typename Variant::Vertex;

    if (endX == run->startX) return;
    const TextLayoutState *state = run->state;
    float xa = endX < run->startX ? endX : run->startX;
    float xb = endX < run->startX ? run->startX : endX;
    float k = run->font->fontScale * state->size;
    float e = run->expansion;
    float sx = state->outputScale[0];
    float sy = state->outputScale[1];

    float left = k * run->offset[0] + xa - k * e;
    float right = k * run->offset[0] + xb + k * e;
    float yb = run->bottomY;
    float yt = run->topY;
    float iw = 1.0F / ((xb - xa + 2.0F * k * e) * sx);
    float u0 = 0.0F;
    float u1 = sx * iw * (right - left);
    float ih = (run->emTop - run->emBottom) / ((yt - yb) * sy);
    float vb = run->emBottom;
    float vt = run->emTop;

    uint32_t options = state->optionFlags;
    if ((options & kTextOptionClipX) != 0)
    {
        const float *clip = state->clipRect;
        if (clip[0] > left)
        {
            u0 += (clip[0] - left) * sx * iw;
            left = clip[0];
        }
        if (right > clip[2])
        {
            u1 -= (right - clip[2]) * sx * iw;
            right = clip[2];
        }
        if ((options & kTextOptionClipY) != 0)
        {
            if (yb > clip[3])
            {
                vb -= (yb - clip[3]) * sy * ih;
                yb = clip[3];
            }
            if (clip[1] > yt)
            {
                vt += (clip[1] - yt) * sy * ih;
                yt = clip[1];
            }
        }
    }
    if (!(right > left && yb > yt)) return;

    bool rect = state->geometryType == 'RECT';
    float ox = state->outputOffset[0];
    float oy = state->outputOffset[1];
    float shiftY = k * run->offset[1];
    float bottom = (yb + shiftY) * sy + oy;
    float top = (yt + shiftY) * sy + oy;
    const float positions[4][2] = {{(left + run->bottomShift) * sx + ox, bottom},
                                   {(right + run->bottomShift) * sx + ox, bottom},
                                   {(left + run->topShift) * sx + ox, top},
                                   {(right + run->topShift) * sx + ox, top}};
    int32_t written = rect ? 3 : 4;
    for (int32_t i = 0; i < written; ++i) bounds->IncludePoint(Point2D(positions[i][0], positions[i][1]));

    GeometryBuffer *geometry = run->geometry;
    if (geometry == nullptr) return;
    float signW = std::copysign(1.0F, iw);
    float signH = std::copysign(1.0F, ih);
    const float texcoords[4][2] = {{u0, vb}, {u1, vb}, {u0, vt}, {u1, vt}};
    uint32_t location = uint32_t(run->item->bandColumn) | uint32_t(run->item->bandRow) << 16;
    Vertex *vertex = Variant::Vertices(geometry);
    for (int32_t i = 0; i < written; ++i, ++vertex)
    {
        vertex->position[0] = positions[i][0];
        vertex->position[1] = positions[i][1];
        vertex->position[2] = (i & 1) ? signW : -signW;
        vertex->position[3] = (i & 2) ? signH : -signH;
        vertex->texcoord[0] = texcoords[i][0];
        vertex->texcoord[1] = texcoords[i][1];
        vertex->bandLocation = location;
        vertex->bandLimits = 0;
        vertex->jacobian[0] = iw;
        vertex->jacobian[1] = 0.0F;
        vertex->jacobian[2] = 0.0F;
        vertex->jacobian[3] = ih;
        vertex->banding[0] = 1.0F;
        vertex->banding[1] = 1.0F;
        vertex->banding[2] = 0.0F;
        vertex->banding[3] = 0.0F;
        Variant::StoreColor(vertex, (i & 2) ? run->topColor : run->bottomColor);
    }
    if (rect)
    {
        Variant::Advance(geometry, 3, 0, 0);
        return;
    }
    uint32_t base = geometry->vertexIndex;
    typename Variant::Triangle *triangle = Variant::Triangles(geometry);
    Variant::StoreTriangle(triangle, base, base + 1, base + 2);
    Variant::StoreTriangle(triangle + 1, base + 1, base + 3, base + 2);
    Variant::Advance(geometry, 4, 2, 4);
}

template void WriteDecorationRectVariant<0>(const DecorationRun *, float, Box2D *);
template void WriteDecorationRectVariant<1>(const DecorationRun *, float, Box2D *);
template void WriteDecorationRectVariant<2>(const DecorationRun *, float, Box2D *);
template void WriteDecorationRectVariant<3>(const DecorationRun *, float, Box2D *);

void WriteDecorationRect(const DecorationRun *run, float endX, Box2D *bounds)
{
    kGeometryBuilderTable.writeDecorationRect[GetGeometryVariant(run->geometry)](run, endX, bounds);
}

}  // namespace oq
