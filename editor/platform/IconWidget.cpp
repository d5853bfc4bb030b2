#include "editor/platform/IconWidget.h"

#include "editor/platform/Renderer.h"
#include "vorl/geometry/IconGeometry.h"
#include "vorl/geometry/VorlGraphicsFile.h"
#include "vorl/text/VorlFileHeader.h"

namespace oq {

IconWidget::IconWidget(WidgetType type, GlyphTexturePair *file, int32_t icon, const Point2D &localPosition,
                       const Vector2D &size)
    : DrawableWidget(type, localPosition, size), iconFile(file)
{
    SetIcon(icon);
}

void IconWidget::SetIcon(int32_t icon)
{
    if (icon == iconIndex) return;
    iconIndex = icon;
    item = {0, 0, 0, 0, nullptr};
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr || iconFile == nullptr || iconFile->fileData == nullptr) return;
    // The loader checked the file's records; the count treats every polygon word as the writer does.
    const VorlGraphicsHeader *header =
        reinterpret_cast<const VorlGraphicsHeader *>(iconFile->fileData + kVorlGraphicsHeaderOffset);
    if (icon < 0 || icon >= header->iconCount) return;
    int32_t vertices = 0;
    int32_t triangles = 0;
    CountIconGeometry(header, icon, 'POLY', &vertices, &triangles);
    if (triangles <= 0 || vertices <= 0) return;
    const VorlIconRecord *record =
        reinterpret_cast<const VorlIconRecord *>(reinterpret_cast<const uint8_t *>(header) + header->iconRecordOffset) +
        icon;
    object.SetupVorlShaders(*renderer, 0, ShaderVariantIndex(kShaderOptionWeight + 4 * (record->flags & 15)));
    GeometryBuffer geometry;
    if (!object.CreateBuffers(*renderer, uint32_t(vertices), uint32_t(triangles), &geometry)) return;
    void *firstVertex = geometry.vertexData;
    void *firstTriangle = geometry.triangleData;
    const float origin[2] = {0.0F, widgetSize.y};
    const float iconScale[2] = {widgetSize.x / 72.0F, widgetSize.y / 72.0F};
    BuildIconGeometry(header, icon, origin, iconScale, 'POLY', &geometry);
    object.UnmapBuffers(*renderer);
    size_t triangleSize = geometry.indexFormat == 1 ? sizeof(VorlTriangle32) : sizeof(VorlTriangle);
    uint32_t written = uint32_t((static_cast<uint8_t *>(geometry.vertexData) - static_cast<uint8_t *>(firstVertex)) /
                                ptrdiff_t(sizeof(AttribStruct)));
    uint32_t writtenTriangles = uint32_t(
        (static_cast<uint8_t *>(geometry.triangleData) - static_cast<uint8_t *>(firstTriangle)) / ptrdiff_t(triangleSize));
    item = {written, 3 * writtenTriangles, 0, 0, iconFile};
}

void IconWidget::Render(const Matrix4D &projection)
{
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    Matrix4D matrix = TranslateProjection(projection, globalPosition.x + offset[0], globalPosition.y + offset[1]);
    for (int row = 0; row < 4; ++row)
    {
        matrix(row, 0) *= scale[0];
        matrix(row, 1) *= scale[1];
    }
    object.Draw(*renderer, matrix);
}

}  // namespace oq
