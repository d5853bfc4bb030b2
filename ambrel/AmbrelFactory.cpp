// The document's structure factory, its top-level rule and its resolution.
#include "ambrel/AmbrelDocument.h"
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
    // Sweep gradients and colour lines read back.
    {"Angle", Make<AngleStructure>},
    {"Stop", Make<StopStructure>},
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
    KettricResult result = KettricDocument::ResolveData();
    if (result != 0) return result;
    for (KettricStructure *structure = GetRootStructure()->GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        UpdateTreeGeometry(static_cast<AmbrelStructure *>(structure));
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
