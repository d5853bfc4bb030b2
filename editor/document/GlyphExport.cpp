#include "editor/document/GlyphExport.h"

#include "base/Bezier.h"
#include "base/Memory.h"
#include "editor/platform/FontFile.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/TextLayoutState.h"

namespace oq {

namespace {

Point2D MapPoint(const Point2D &point, const Point2D &position, const Vector2D &scale)
{
    return Point2D(position.x + scale.x * point.x, position.y + scale.y * point.y);
}

}  // namespace

void BuildGlyphExportItems(const Font *font, const GlyphLayoutRequest &request, uint32_t glyphIndex, bool keepInkBox,
                           const Point2D &position, const Vector2D &scale, uint32_t colorWord, DisplayList *list,
                           bool inComponent)
{
    if (font == nullptr || glyphIndex >= font->GetGlyphCount()) return;
    const VorlFontRecord *record = font->GetRecord();
    const VorlGlyphRecord &glyph = record->GetGlyphRecords()[glyphIndex];

    uint32_t layerCount = ListCountA(glyph.layerWord);
    if (layerCount != 0 && (request.optionFlags & kTextOptionNoLayers) == 0 && !inComponent)
    {
        const LayerListEntry *layers = record->GetLayerList() + ListIndexA(glyph.layerWord);
        for (uint32_t k = 0; k < layerCount; ++k)
        {
            const uint8_t *c = layers[k].color;
            uint32_t layerColor = uint32_t(c[0]) | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16 | uint32_t(c[3]) << 24;
            BuildGlyphExportItems(font, request, layers[k].glyph, keepInkBox, position, scale, layerColor, list, true);
        }
        return;
    }

    int32_t count = glyph.curveCount;
    const void *texels = font->file->pair.decodedCurveData;
    if (count == 0 || texels == nullptr) return;

    float box[4] = {glyph.box[0], glyph.box[1], glyph.box[2], glyph.box[3]};
    if (!keepInkBox)
    {
        box[0] = MinFloat(box[0], 0.0F);
        box[1] = MinFloat(box[1], 0.0F);
        box[2] = MaxFloat(box[2], glyph.advance);
        box[3] = MaxFloat(box[3], 0.0F);
    }

    // Exactly the glyph's curve count: the extraction cuts a longer last contour run.
    QuadraticBezier2D *curves =
        static_cast<QuadraticBezier2D *>(MemoryAllocate(size_t(count) * sizeof(QuadraticBezier2D)));
    ExtractGlyphCurves(record, glyphIndex, font->file->GetHeader(), texels, curves);
    for (int32_t i = 0; i < count; ++i)
    {
        curves[i] = QuadraticBezier2D(MapPoint(curves[i].p0, position, scale), MapPoint(curves[i].p1, position, scale),
                                      MapPoint(curves[i].p2, position, scale));
    }
    ExportCurveItem *item = new ExportCurveItem(Point2D(0.0F, 0.0F), count, curves, colorWord);
    MemoryRelease(curves);
    Point2D low = MapPoint(Point2D(box[0], box[1]), position, scale);
    Point2D high = MapPoint(Point2D(box[2], box[3]), position, scale);
    item->box[0] = MinFloat(low.x, high.x);
    item->box[1] = MinFloat(low.y, high.y);
    item->box[2] = MaxFloat(low.x, high.x);
    item->box[3] = MaxFloat(low.y, high.y);
    list->Append(item);
}

}  // namespace oq
