#include "vorlfont/compiler/GlyphTextureBuild.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "base/Half.h"
#include "vorl/text/OutputSink.h"
#include "vorl/geometry/BoundingPolygon.h"
#include "vorlfont/compiler/GlyphBands.h"
#include "vorlfont/compiler/GlyphCurvePlacement.h"
#include "vorlfont/compiler/OutlineEffect.h"
#include "vorlfont/compiler/OutlineRelease.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"

#include <cstring>

namespace oq {

namespace {

// Single references are followed at most this many steps.
constexpr int32_t kMaxReferenceSteps = 16;

// How a glyph's record is made.
enum class GlyphSource
{
    kOwnCurves,  // its own (collected) curves
    kCopy,       // a copy of the final glyph of its single-reference chain, moved by the offsets
    kEmpty,      // a reference cycle or a chain too long: no curves
};

struct GlyphPlan
{
    const GlyphStructure *glyph;
    GlyphSource source;
    uint32_t target;     // new number of the glyph copied
    float offset[2];     // summed Component offsets
};

// Follows the glyph's single references to a glyph without one.
GlyphPlan PlanGlyph(const GlyphTextureInput &input, const GlyphStructure *glyph)
{
    GlyphPlan plan = {glyph, GlyphSource::kOwnCurves, 0, {0.0f, 0.0f}};
    if (glyph == nullptr || glyph->singleReference == nullptr) return plan;

    const GlyphStructure *visited[kMaxReferenceSteps + 1] = {glyph};
    const GlyphStructure *current = glyph;
    float offset[2] = {0.0f, 0.0f};
    for (int32_t step = 1; step <= kMaxReferenceSteps; ++step)
    {
        const ComponentStructure *component = current->singleReference;
        const KettricUInt32List *list = component->glyphList;
        const GlyphStructure *next =
            (list != nullptr && list->GetElementCount() == 1) ? input.glyphFont->GetGlyph((*list)[0]) : nullptr;
        if (next == nullptr) return plan;  // nothing to copy: the glyph's own curves
        Point3D translation = component->matrix.GetTranslation();
        offset[0] += translation.x;
        offset[1] += translation.y;
        for (int32_t k = 0; k < step; ++k)
        {
            if (visited[k] == next)
            {
                plan.source = GlyphSource::kEmpty;
                return plan;
            }
        }
        visited[step] = next;
        if (next->singleReference == nullptr)
        {
            uint32_t index = next->glyphIndex;
            bool selected = index < input.newNumberCount && (index == 0 || input.newNumbers[index] > 0);
            if (!selected) return plan;
            plan.source = GlyphSource::kCopy;
            plan.target = uint32_t(input.newNumbers[index]);
            plan.offset[0] = offset[0];
            plan.offset[1] = offset[1];
            return plan;
        }
        current = next;
    }
    plan.source = GlyphSource::kEmpty;
    return plan;
}

// Bytes of curves freed between two returns of the free pages to the system.
constexpr size_t kReleaseReturnBytes = size_t(8) << 20;

// The glyph's curves freed once its last pass has built them, when the input asks for it.
struct CurveRelease
{
    const GlyphTextureInput &input;
    size_t pending = 0;

    void AfterLastPass(uint32_t position)
    {
        if (!input.releaseCurves) return;
        GlyphStructure *glyph = input.glyphFont->GetGlyph(input.selection[position]);
        if (glyph != nullptr) pending += ReleaseGlyphCurves(glyph);
        if (pending >= kReleaseReturnBytes) Finish();
    }

    void Finish()
    {
        if (pending != 0) ReturnFreeHeapPages();
        pending = 0;
    }
};

// The working state of one build.
struct TextureBuild
{
    const GlyphTextureInput &input;
    const GlyphTextureOutput &output;
    CurveHashTable table;
    Array<CurveLocation> locations;
    GlyphBandLists lists;
    Array<BandPacking, 64> packing;
};

// Steps 2 to 7 of a glyph with curves: curves, contour runs (normal records only), bands, polygon.
bool BuildGlyphTextures(TextureBuild *build, int32_t count, const QuadraticBezier2D *curves, const Box2D &box,
                        VorlGlyphRecord *record, bool contours)
{
    const GlyphTextureInput &input = build->input;
    if (count > kMaxGlyphCurves) return false;
    build->locations.SetElementCount(count);
    CurveLocation *locations = build->locations.GetElements();
    if (!PlaceGlyphCurves(count, curves, locations, &build->table, build->output.curve)) return false;

    if (contours)
    {
        record->curveCount = uint16_t(count);
        record->firstContour = uint32_t(build->output.contourList->GetElementCount());
        EncodeContourRuns(count, locations, build->output.contourList);
    }

    GlyphBandCounts counts = ChooseBandCounts(count, curves, box, input.settings->maxBandCount);
    record->bandCountX = uint16_t(counts.vertical);
    record->bandWordY = uint16_t(counts.horizontal);
    ComputeBandScales(counts, box, record->bandScale);

    TexelBuffer *band = build->output.band;
    if (band->cursorX + counts.GetTotal() > band->width && !StartTexelRow(band, 4)) return false;
    record->bandColumn = uint16_t(band->cursorX);
    record->bandRow = uint16_t(band->cursorY);

    if (!BuildBandLists(count, curves, box, counts, &build->lists)) return false;
    build->packing.SetElementCount(counts.GetTotal());
    PackBandLists(counts, build->lists, build->packing.GetElements());
    if (!WriteBandTexels(build->lists, counts, build->packing.GetElements(), locations, band)) return false;

    if (input.flags & kCompilePoly)
    {
        const QuadraticBezier2D *list = curves;
        record->polygonWord = ComputeBoundingPolygon(1, &count, &list, record->polygon,
                                                     input.settings->polygonVertexCount,
                                                     input.settings->polygonEdgeFactor);
    }
    return true;
}

// The copy of a built record moved by the offset; the advance words are the caller's.
void CopyRecord(VorlGlyphRecord *record, const VorlGlyphRecord &source, const float *offset, bool contours)
{
    record->box[0] = source.box[0] + offset[0];
    record->box[1] = source.box[1] + offset[1];
    record->box[2] = source.box[2] + offset[0];
    record->box[3] = source.box[3] + offset[1];
    record->bandColumn = source.bandColumn;
    record->bandRow = source.bandRow;
    record->bandCountX = source.bandCountX;
    record->bandWordY = source.bandWordY;
    record->bandScale[0] = source.bandScale[0];
    record->bandScale[1] = source.bandScale[1];
    if (contours)
    {
        record->curveCount = source.curveCount;
        record->firstContour = source.firstContour;
    }
    record->polygonWord = source.polygonWord;
    for (int32_t k = 0; k < 12; ++k)
    {
        float v = HalfToFloat(&source.polygon[k]) + offset[k & 1];
        FloatToHalf(&record->polygon[k], v);
    }
    record->curveOrigin[0] = offset[0];
    record->curveOrigin[1] = offset[1];
}

void SetMetrics(VorlGlyphRecord *record, const GlyphStructure *glyph)
{
    if (glyph == nullptr) return;
    record->advance = glyph->advance[0];
    record->verticalAdvance = glyph->advance[1];
    record->verticalOrigin = glyph->controlTop + glyph->bearing[1];
}

}  // namespace

uint32_t BuildGlyphCurvesAndBands(const GlyphTextureInput &input, const GlyphTextureOutput &output)
{
    TextureBuild build{input, output, {}, {}, {}, {}};
    const bool contours = (input.flags & kCompileContours) != 0;
    const bool outlinePass = output.outlineRecords != nullptr;
    CurveRelease release{input};

    Array<GlyphPlan> plans;
    plans.SetElementCount(int32_t(input.selectionCount));
    int64_t curveCount = 0;
    for (uint32_t n = 0; n < input.selectionCount; ++n)
    {
        GlyphPlan &plan = plans[int32_t(n)];
        plan = PlanGlyph(input, input.glyphFont->GetGlyph(input.selection[n]));
        if (plan.source == GlyphSource::kOwnCurves && plan.glyph != nullptr)
            curveCount += plan.glyph->curves.GetElementCount();
    }
    // Sized once for the pass: a doubling would hold the old and new tables together.
    build.table.Reserve(curveCount);

    // Normal pass: every glyph with its own curves, in selection order.
    for (uint32_t n = 0; n < input.selectionCount; ++n)
    {
        const GlyphPlan &plan = plans[int32_t(n)];
        VorlGlyphRecord *record = &output.records[n];
        SetMetrics(record, plan.glyph);
        if (plan.source != GlyphSource::kOwnCurves || plan.glyph == nullptr)
        {
            release.AfterLastPass(n);  // a copy or an empty record reads no curves
            continue;
        }
        if (plan.glyph->tooLarge) return kResultSizeExceeded;
        int32_t count = plan.glyph->curves.GetElementCount();
        if (count == 0) continue;
        const Box2D &box = plan.glyph->boundingBox;
        record->box[0] = box.min.x;
        record->box[1] = box.min.y;
        record->box[2] = box.max.x;
        record->box[3] = box.max.y;
        if (!BuildGlyphTextures(&build, count, plan.glyph->curves.GetElements(), box, record, contours))
            return kResultSizeExceeded;
        if (!outlinePass) release.AfterLastPass(n);
    }
    release.Finish();
    for (uint32_t n = 0; n < input.selectionCount; ++n)
    {
        const GlyphPlan &plan = plans[int32_t(n)];
        if (plan.source == GlyphSource::kCopy)
            CopyRecord(&output.records[n], output.records[plan.target], plan.offset, contours);
    }

    if (!outlinePass) return 0;

    // Outline pass: its curves share texels only with each other.
    build.table.Clear();
    const FontCompileSettings &settings = *input.settings;
    Array<QuadraticBezier2D> outline;
    for (uint32_t n = 0; n < input.selectionCount; ++n)
    {
        const GlyphPlan &plan = plans[int32_t(n)];
        VorlGlyphRecord *record = &output.outlineRecords[n];
        record->advance = output.records[n].advance;
        record->verticalAdvance = output.records[n].verticalAdvance;
        record->verticalOrigin = output.records[n].verticalOrigin;
        if (plan.source != GlyphSource::kOwnCurves || plan.glyph == nullptr) continue;
        int32_t count = plan.glyph->curves.GetElementCount();
        if (count == 0) continue;
        count = BuildGlyphCurveList(count, plan.glyph->curves.GetElements(), settings.outlineEffectSize,
                                    settings.outlineMiterLimit, settings.outlineJoin, &outline);
        release.AfterLastPass(n);
        if (count == 0) continue;
        Box2D box = UnionGlyphBoxes(count, outline.GetElements());
        record->box[0] = box.min.x;
        record->box[1] = box.min.y;
        record->box[2] = box.max.x;
        record->box[3] = box.max.y;
        if (!BuildGlyphTextures(&build, count, outline.GetElements(), box, record, false)) return kResultSizeExceeded;
    }
    release.Finish();
    for (uint32_t n = 0; n < input.selectionCount; ++n)
    {
        const GlyphPlan &plan = plans[int32_t(n)];
        if (plan.source == GlyphSource::kCopy)
            CopyRecord(&output.outlineRecords[n], output.outlineRecords[plan.target], plan.offset, false);
    }
    return 0;
}

bool AddDecorationGeometry(float y0, float y1, TexelBuffer *curve, TexelBuffer *band, uint16_t *bandColumn,
                           uint16_t *bandRow)
{
    if (curve->cursorX + 5 > curve->width && !StartTexelRow(curve, 8)) return false;
    if (band->cursorX + 6 > band->width && !StartTexelRow(band, 4)) return false;
    *bandColumn = uint16_t(band->cursorX);
    *bandRow = uint16_t(band->cursorY);

    const float texels[5][4] = {{0, y0, 0, y0}, {1, y0, 1, y0}, {1, y1, 0, y1}, {0, y1, 0, y0}, {0, y0, 0, 0}};
    const int32_t c = curve->cursorX;
    uint16_t *out = static_cast<uint16_t *>(curve->texels) + (size_t(curve->cursorY) * curve->width + c) * 4;
    for (int32_t i = 0; i < 5; ++i)
        for (int32_t k = 0; k < 4; ++k) FloatToHalf(&out[i * 4 + k], texels[i][k]);

    const uint32_t row = uint32_t(curve->cursorY) << 16;
    const uint32_t bands[6] = {2 | 2u << 16, 2 | 4u << 16, uint32_t(c + 1) | row, uint32_t(c + 3) | row,
                               uint32_t(c + 2) | row, uint32_t(c) | row};
    uint32_t *bandOut = static_cast<uint32_t *>(band->texels) + size_t(band->cursorY) * band->width + band->cursorX;
    std::memcpy(bandOut, bands, sizeof(bands));
    curve->cursorX += 5;
    band->cursorX += 6;
    return true;
}

}  // namespace oq
