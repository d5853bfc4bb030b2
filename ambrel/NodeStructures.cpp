// Node and container structures: Group, Instance, Object, Layer and Canvas.
#include "ambrel/NodeStructures.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/ParameterStructures.h"
#include "base/ScalarMath.h"

namespace oq {

namespace {

// Header, braces and substructures of a container.
void WriteContainer(const AmbrelStructure *structure, AmbrelDocument *document, TextOutputStream *stream,
                    const char *header, bool newline)
{
    WriteLine(stream, header, 0, newline);
    WriteLine(stream, "{\n", 0, false);
    structure->WriteSubstructures(document, stream);
    WriteLine(stream, "}\n", 0, false);
}

}  // namespace

NodeStructure::NodeStructure(uint32_t type) : AmbrelStructure(type)
{
    baseStructureType = kAmbrelNodeBase;
    nodeTransform.SetIdentity();
}

bool NodeStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return structure->GetBaseStructureType() == kAmbrelMatrixBase;
}

bool GroupStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    uint32_t base = structure->GetBaseStructureType();
    if (base == kAmbrelGeometryBase || base == kAmbrelMatrixBase) return true;
    if (base == kKettricPrimitiveBase) return false;
    uint32_t type = structure->GetStructureType();
    return type == 'fill' || type == 'grup' || type == 'inst' || type == 'opac' || type == 'strk';
}

void GroupStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteContainer(this, document, stream, "Group\n", HasPreviousSibling());
}

bool InstanceStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'RFNC') || structure->GetBaseStructureType() == kAmbrelMatrixBase;
}

void WriteStructureReference(TextOutputStream *stream, const StructureReference &reference)
{
    int32_t count = reference.GetNamePartCount();
    if (count == 0)
    {
        stream->WriteText("null");
        return;
    }
    for (int32_t i = 0; i < count; ++i)
    {
        stream->WriteChar((i == 0 && reference.IsGlobal()) ? '$' : '%');
        const TextString &part = reference.GetNamePart(i);
        stream->WriteBytes(part.GetText(), uint32_t(part.GetLength()));
    }
}

void InstanceStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteLine(stream, "Instance\n", 0, HasPreviousSibling());
    WriteLine(stream, "{\n", 0, false);
    bool written = WriteSubstructures(document, stream);

    // The reference lists follow the transforms, separated from them by an empty line.
    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (!IsDataList(structure, 'RFNC')) continue;
        const auto *list = static_cast<const KettricReferenceList *>(structure);
        int32_t size = list->GetArraySize();
        int32_t count = list->GetElementCount();
        WriteLine(stream, "ref", 1, written);
        written = false;
        if (size != 0) stream->WriteChar('[').WriteInteger(size).WriteChar(']');
        stream->WriteText((size != 0 && count != 0) ? " {{" : " {");
        for (int32_t i = 0; i < count; ++i)
        {
            if (i != 0) stream->WriteText((size != 0 && i % size == 0) ? "}, {" : ", ");
            WriteStructureReference(stream, (*list)[i]);
        }
        stream->WriteText((size != 0 && count != 0) ? "}}\n" : "}\n");
    }
    WriteLine(stream, "}\n", 0, false);
}

bool ObjectStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    if (structure->GetBaseStructureType() == kAmbrelGeometryBase) return true;
    if (structure->GetBaseStructureType() == kKettricPrimitiveBase) return false;
    uint32_t type = structure->GetStructureType();
    return type == 'grup' || type == 'inst';
}

void ObjectStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteContainer(this, document, stream, "Object\n", HasPreviousSibling());
}

bool LayerStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    if (structure->GetBaseStructureType() == kAmbrelGeometryBase) return true;
    return structure->GetBaseStructureType() != kKettricPrimitiveBase && structure->GetStructureType() == 'grup';
}

void LayerStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteContainer(this, document, stream, "Layer\n", true);
}

bool CanvasStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return structure->GetBaseStructureType() != kKettricPrimitiveBase && structure->GetStructureType() == 'rang';
}

KettricResult CanvasStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = AmbrelStructure::ResolveData(document);
    if (result != 0) return result;
    const auto *range = static_cast<const RangeStructure *>(GetFirstSubstructure('rang'));
    if (range == nullptr) return 0;

    // The view divides by the larger extent.
    float width = range->xMaximum - range->xMinimum;
    float height = range->yMaximum - range->yMinimum;
    float size = (width > height) ? width : height;
    if (width != width || height != height || !(size > 0.0f && size <= FloatMaxFinite)) return kResultInvalidDataFormat;
    static_cast<AmbrelDocument *>(document)->SetCanvasRange(range->xMinimum, range->xMaximum, range->yMinimum,
                                                            range->yMaximum);
    return 0;
}

void CanvasStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteContainer(this, document, stream, "Canvas\n", false);
}

}  // namespace oq
