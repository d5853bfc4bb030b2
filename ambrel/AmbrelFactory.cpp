// The document's structure factory, its top-level rule and its resolution.
#include "ambrel/AmbrelDocument.h"
#include "ambrel/AttachmentStructures.h"
#include "ambrel/FiniteValues.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphMetricStructures.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/MetricStructures.h"
#include "ambrel/SubstitutionStructures.h"
#include "ambrel/ColorStructures.h"
#include "ambrel/GeometryStructures.h"
#include "ambrel/MatrixStructures.h"
#include "ambrel/NodeStructures.h"
#include "ambrel/ParameterStructures.h"
#include "ambrel/StyleStructures.h"
#include "ambrel/TextStructures.h"
#include "base/TextUtils.h"

namespace oq {

namespace {

template <typename T>
KettricStructure *Make()
{
    return new T;
}

struct StructureMaker
{
    const char *identifier;
    KettricStructure *(*make)();
};

// The drawing identifiers in the order they are compared.
const StructureMaker kStructureMakers[] = {
    {"Canvas", Make<CanvasStructure>},
    {"Name", Make<NameStructure>},
    {"Message", Make<MessageStructure>},
    {"Layer", Make<LayerStructure>},
    {"Transform", Make<TransformStructure>},
    {"Translation", Make<TranslationStructure>},
    {"Rotation", Make<RotationStructure>},
    {"Scale", Make<ScaleStructure>},
    {"Offset", Make<OffsetStructure>},
    {"Range", Make<RangeStructure>},
    {"Radius", Make<RadiusStructure>},
    {"Color", Make<ColorStructure>},
    {"Gradient", Make<GradientStructure>},
    {"Opacity", Make<OpacityStructure>},
    {"Dash", Make<DashStructure>},
    {"Fill", Make<FillStructure>},
    {"Stroke", Make<StrokeStructure>},
    {"Group", Make<GroupStructure>},
    {"Object", Make<ObjectStructure>},
    {"Instance", Make<InstanceStructure>},
    {"Line", Make<LineStructure>},
    {"Rect", Make<RectStructure>},
    {"Circle", Make<CircleStructure>},
    {"Polygon", Make<PolygonStructure>},
    {"Path", Make<PathStructure>},
    {"Font", Make<FontStructure>},
    {"Metric", Make<MetricStructure>},
    {"CharMap", Make<CharMapStructure>},
    {"Advance", Make<AdvanceStructure>},
    {"Bearing", Make<BearingStructure>},
    {"Caret", Make<CaretStructure>},
    {"Kern", Make<KernStructure>},
    {"Match", Make<MatchStructure>},
    {"Rule", Make<RuleStructure>},
    {"Sequence", Make<SequenceStructure>},
    {"Alternate", Make<AlternateStructure>},
    {"Anchor", Make<AnchorStructure>},
    {"Component", Make<ComponentStructure>},
    {"Emoji", Make<EmojiStructure>},
    {"Glyph", Make<GlyphStructure>},
    // Sweep gradients, colour lines, decompositions and colour paints read back.
    {"Angle", Make<AngleStructure>},
    {"Stop", Make<StopStructure>},
    {"Decompose", Make<DecomposeStructure>},
    {"Paint", Make<PaintStructure>},
};

}  // namespace

KettricStructure *AmbrelDocument::MakeStructure(const TextString &identifier)
{
    for (const StructureMaker &maker : kStructureMakers)
    {
        if (CompareText(identifier, maker.identifier)) return maker.make();
    }
    return nullptr;
}

bool AmbrelDocument::CheckTopLevel(KettricStructure *structure)
{
    if (structure->GetBaseStructureType() == kAmbrelGeometryBase) return true;
    if (structure->GetBaseStructureType() == kKettricPrimitiveBase) return false;
    uint32_t type = structure->GetStructureType();
    return type == 'canv' || type == 'layr' || type == 'grup' || type == 'objc' || type == 'inst' || type == 'font';
}

KettricResult AmbrelDocument::ResolveData()
{
    if (finiteValuesOnly)
    {
        if (KettricStructure *structure = FindNonFiniteValue(GetRootStructure()))
        {
            RecordFailingStructure(structure);
            return kResultNonFiniteValue;
        }
    }
    KettricResult result = KettricDocument::ResolveData();
    if (result != 0) return result;
    for (KettricStructure *structure = GetRootStructure()->GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        UpdateTreeGeometry(static_cast<AmbrelStructure *>(structure));
    }
    for (KettricStructure *structure = GetRootStructure()->GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (structure->GetStructureType() == 'font') static_cast<FontStructure *>(structure)->PrepareGlyphs(this);
    }
    return 0;
}

void AmbrelDocument::UpdateTreeGeometry(AmbrelStructure *top)
{
    // Pre-order without recursion: a node's transform is complete before its subtree's.
    KettricStructure *structure = top;
    while (structure != nullptr)
    {
        uint32_t base = structure->GetBaseStructureType();
        if (base == kAmbrelGeometryBase)
        {
            auto *geometry = static_cast<GeometryStructure *>(structure);
            UpdateStructureTransform(geometry);
            geometry->TransformGeometry();
            structure = (structure == top) ? nullptr : static_cast<KettricStructure *>(top->GetNextLevelTreeNode(structure));
            continue;
        }
        if (base == kAmbrelNodeBase) UpdateStructureTransform(static_cast<AmbrelStructure *>(structure));
        structure = static_cast<KettricStructure *>(top->GetNextTreeNode(structure));
    }
}

}  // namespace oq
