// Working copies of a document's geometry for the graphics compiles, their units, and the
// opacity of a geometry.
#include "ambrel/CompileGeometry.h"

#include "ambrel/ParameterStructures.h"
#include "ambrel/StyleStructures.h"

namespace oq {

namespace {

bool IsLayer(const KettricStructure *structure)
{
    return structure->GetBaseStructureType() != kKettricPrimitiveBase && structure->GetStructureType() == 'layr';
}

// The working copy of a geometry that has curves and a Fill or a Stroke, else null.
CompileGeometry *MakeCompileGeometry(const GeometryStructure *geometry)
{
    int32_t count = geometry->curves.GetElementCount();
    if (count == 0 || (geometry->fillStructure == nullptr && geometry->strokeStructure == nullptr)) return nullptr;
    auto *copy = new CompileGeometry;
    copy->geometry = geometry;
    copy->size = geometry->GetUnitBoxSize();
    Point2D o;
    float s = geometry->GetUnitBoxMapping(&o);
    copy->curves.SetElementCount(count);
    for (int32_t i = 0; i < count; ++i)
    {
        const QuadraticBezier2D &curve = geometry->curves[i];
        copy->curves[i] = QuadraticBezier2D(s * curve.p0 + o, s * curve.p1 + o, s * curve.p2 + o);
    }
    if (geometry->fillStructure != nullptr)
    {
        copy->filled = true;
        copy->fill = geometry->fillStructure->fillStyle;
        ScaleFillGradient(&copy->fill, s, o);
    }
    if (geometry->strokeStructure != nullptr)
    {
        copy->stroked = true;
        geometry->strokeStructure->MakeScaledStyle(s, &copy->stroke, &copy->dashes);
    }
    return copy;
}

}  // namespace

CompileUnits::~CompileUnits()
{
    for (CompileGeometry *geometry : geometries) delete geometry;
}

void CompileUnits::Prepare(AmbrelDocument *document, GraphicsCompileReport *report)
{
    KettricStructure *root = document->GetRootStructure();
    int32_t layerCount = 0;
    for (KettricStructure *s = root->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        if (IsLayer(s)) ++layerCount;
    }
    unitCount = (layerCount > 1) ? layerCount : 1;

    // Pre-order over the top-level structures; geometry subtrees are not entered.
    unitStarts.SetElementCount(0);
    for (KettricStructure *top = root->GetFirstSubnodeStructure(); top != nullptr; top = top->GetNextStructure())
    {
        bool isLayer = IsLayer(top);
        if (layerCount > 1 && isLayer) unitStarts.AddElement(geometries.GetElementCount());
        KettricStructure *s = top;
        while (s != nullptr)
        {
            if (s->GetBaseStructureType() == kAmbrelGeometryBase)
            {
                CompileGeometry *copy = MakeCompileGeometry(static_cast<GeometryStructure *>(s));
                if (copy != nullptr)
                {
                    if (layerCount > 1 && !isLayer)
                    {
                        if (report != nullptr) ++report->geometryOutsideLayers;
                        delete copy;
                    }
                    else
                    {
                        geometries.AddElement(copy);
                    }
                }
                s = (s == top) ? nullptr : static_cast<KettricStructure *>(top->GetNextLevelTreeNode(s));
                continue;
            }
            s = static_cast<KettricStructure *>(top->GetNextTreeNode(s));
        }
    }
    if (layerCount <= 1) unitStarts.AddElement(0);
    unitStarts.AddElement(geometries.GetElementCount());
}

void AppendCanvasCurves(const AmbrelDocument *document, const CompileGeometry &geometry,
                        Array<QuadraticBezier2D> *curves)
{
    const CanvasView &view = document->canvasView;
    const Point2D &minimum = geometry.geometry->boundingBox.min;
    float s = geometry.size;
    auto map = [&](const Point2D &p) {
        return Point2D((minimum.x + s * p.x - view.originX) * view.scale, (minimum.y + s * p.y - view.originY) * view.scale);
    };
    for (const QuadraticBezier2D &curve : geometry.curves)
    {
        curves->AddElement(QuadraticBezier2D(map(curve.p0), map(curve.p1), map(curve.p2)));
    }
}

uint32_t CompileTextures::Allocate(uint32_t curveFormat, const CompileTextureRows &rows)
{
    uint64_t curveBytes = uint64_t(kWidth) * uint64_t(rows.curveRows) * GetVorlTexelSize(curveFormat);
    uint64_t bandBytes = uint64_t(kWidth) * uint64_t(rows.bandRows) * GetVorlTexelSize(kTexelFormatUint16x2);
    if (!curveBlock.Allocate(curveBytes) || !bandBlock.Allocate(bandBytes)) return kResultOutOfMemory;
    curve = {curveBlock.GetData(), curveFormat, kWidth, rows.curveRows, 0, 0};
    band = {bandBlock.GetData(), kTexelFormatUint16x2, kWidth, rows.bandRows, 0, 0};
    return 0;
}

float CalculateGroupOpacity(const KettricStructure *structure)
{
    float opacity = 1.0f;
    for (;;)
    {
        const KettricStructure *first = structure->GetFirstSubstructure('opac');
        if (first != nullptr) opacity *= static_cast<const OpacityStructure *>(first)->value;
        structure = structure->GetSuperStructure();
        if (structure == nullptr || structure->GetBaseStructureType() == kKettricPrimitiveBase ||
            structure->GetStructureType() != 'grup')
            break;
    }
    return opacity;
}

}  // namespace oq
