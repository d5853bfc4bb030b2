#include "editor/platform/TextWidget.h"

#include "base/ScalarMath.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/Renderer.h"
#include "vorl/geometry/RunGeometry.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/GlyphMapping.h"
#include "vorl/text/TextMeasure.h"

#include <cmath>

namespace oq {

namespace {

float FloatCeil(float x) { return -FloatFloor(-x); }

}  // namespace

ShaderVariantIndex GetTextShaderVariant(uint32_t renderFlags)
{
    uint32_t variant = (renderFlags >> 1) & 0x3F;
    if (renderFlags & 1)
        variant += 64;
    else if (renderFlags & 0x100)
        variant += 128;
    else if (renderFlags & 0x200)
        variant += 192;
    return ShaderVariantIndex(variant);
}

TextWidget::TextWidget(WidgetType type, Font *face, const TextLayoutState *state, const char *initialText,
                       const Point2D &localPosition, const Vector2D &size, float snap)
    : DrawableWidget(type, localPosition, size), font(face), snapPending(snap != 0.0F || std::isnan(snap)),
      snapUnit(snap)
{
    if (initialText != nullptr) text = initialText;
    CopyTextLayoutState(&layoutState, state);
    if (Renderer *renderer = GetRenderer())
        object.SetupVorlShaders(*renderer, 0, GetTextShaderVariant(layoutState.renderFlags));
}

TextWidget::~TextWidget() = default;

void TextWidget::Invalidate()
{
    InvalidatePosition();
    relayoutNeeded = true;
    RequestRedraw();
}

void TextWidget::UpdatePosition()
{
    if (snapPending)
    {
        snapPending = false;
        float u = snapUnit;
        float c = font != nullptr ? font->capitalHeight : 0.0F;
        // Snapping needs a cap height and a finite unit; anything else would give NaN sizes.
        if (c > 0.0F && std::isfinite(c) && u > 0.0F && std::isfinite(u))
        {
            float s = FloatCeil(c * layoutState.size / u) * u / c;
            if (std::isfinite(s) && s > layoutState.size) layoutState.size = s;
            Widget *superior = GetSuperWidget();
            float y = (superior != nullptr ? superior->GetGlobalPosition().y : 0.0F) + localPosition.y + baselineOffset;
            float shift = FloatCeil(y / u) * u - y;
            if (std::isfinite(shift) && shift > 0.0F) baselineOffset += shift;
        }
    }
    Widget::UpdatePosition();
    if (relayoutNeeded)
    {
        relayoutNeeded = false;
        LayoutText();
    }
}

void TextWidget::LayoutText()
{
    Renderer *renderer = GetRenderer();
    item = {0, 0, 0, 0, nullptr};
    textWidth = 0.0F;
    if (renderer == nullptr || font == nullptr) return;
    TextFont fonts[1] = {{GetVorlFontRecord(font->file->GetHeader(), uint32_t(font->faceIndex)), 1.0F, 0.0F}};
    TextRun *run = GetSharedTextRun();
    LayoutTextRun(run, &layoutState, text.GetText(), text.GetLength());
    MapRunToGlyphs(run, 1, fonts, &kDefaultFontFallbackMap);
    int32_t vertices = 0;
    int32_t triangles = 0;
    int32_t placeholders = 0;
    CountRunGeometry(run, nullptr, 1, fonts, &vertices, &triangles, &placeholders);
    if (vertices <= 0) return;

    float pen[2] = {0.0F, 0.0F};
    if (layoutState.alignment != 'LEFT')
    {
        pen[0] = widgetSize.x - MeasureRunWidth(run, nullptr, 1, fonts, 0, nullptr, nullptr);
        if (layoutState.alignment == 'CENT') pen[0] *= 0.5F;
    }
    GeometryBuffer geometry;
    if (!object.CreateBuffers(*renderer, uint32_t(vertices), uint32_t(triangles), &geometry)) return;
    void *firstVertex = geometry.vertexData;
    void *firstTriangle = geometry.triangleData;
    float endPen[2] = {pen[0], pen[1]};
    BuildRunGeometry(run, nullptr, 1, fonts, pen, &geometry, nullptr, nullptr, endPen);
    object.UnmapBuffers(*renderer);
    textWidth = endPen[0] - pen[0];
    size_t triangleSize = geometry.indexFormat == 1 ? sizeof(VorlTriangle32) : sizeof(VorlTriangle);
    uint32_t written = uint32_t((static_cast<uint8_t *>(geometry.vertexData) - static_cast<uint8_t *>(firstVertex)) /
                                ptrdiff_t(sizeof(AttribStruct)));
    uint32_t writtenTriangles = uint32_t(
        (static_cast<uint8_t *>(geometry.triangleData) - static_cast<uint8_t *>(firstTriangle)) / ptrdiff_t(triangleSize));
    item = {written, 3 * writtenTriangles, 0, 0, font->GetTexturePair()};
}

void TextWidget::Render(const Matrix4D &projection)
{
    if (Renderer *renderer = GetRenderer())
        object.Draw(*renderer,
                    TranslateProjection(projection, globalPosition.x + textXOffset, globalPosition.y + baselineOffset));
}

}  // namespace oq
