// Anchor, Component, Paint and Emoji.
#include "ambrel/AttachmentStructures.h"

#include "ambrel/ColorStructures.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/SubstitutionStructures.h"
#include "base/TextUtils.h"

namespace oq {

namespace {

// The first uint32 list as its own line one level deeper: "uint32 {a, b}".
void WriteGlyphListLine(TextOutputStream *stream, const KettricUInt32List *list)
{
    if (list == nullptr) return;
    WriteLine(stream, "uint32 {", 1, false);
    WriteIntegerValues(stream, list->GetElements(), list->GetElementCount());
    stream->WriteText("}\n");
}

Transform4D ProductOfTransforms(const AmbrelStructure *structure)
{
    Transform4D matrix;
    structure->CalculateTransform(matrix);
    return matrix;
}

}  // namespace

// Anchor

bool AnchorStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type, void **storage)
{
    if (CompareText(identifier, "base")) return DeclareProperty(type, storage, 'BOOL', &baseFlag);
    if (CompareText(identifier, "index")) return DeclareProperty(type, storage, 'UI32', &classIndex);
    return false;
}

bool AnchorStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFloatList(structure, 2);
}

Point2D AnchorStructure::GetPosition() const
{
    const KettricFloatList *list = GetFirstFloatList();
    if (list == nullptr || list->GetElementCount() < 2) return Point2D(0.0f, 0.0f);
    return Point2D((*list)[0], (*list)[1]);
}

void AnchorStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    const KettricStructure *previous = GetPreviousWrittenSibling();
    WriteLine(stream, "Anchor (", 0, previous != nullptr && previous->GetStructureType() != 'anch');
    if (baseFlag) stream->WriteText("base, ");
    stream->WriteText("index = ");
    stream->WriteInteger(int32_t(classIndex));
    const KettricFloatList *list = GetFirstFloatList();
    if (list == nullptr || list->GetElementCount() < 2)
    {
        // Without a point the Anchor reads back empty and lies at (0, 0).
        stream->WriteText(") {}\n");
        return;
    }
    stream->WriteText(") {float[2] {{");
    WriteFloatValues(stream, list->GetElements(), 2);
    stream->WriteText("}}}\n");
}

// Component

bool ComponentStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'UI32') || structure->GetStructureType() == 'colr' ||
           structure->GetBaseStructureType() == kAmbrelMatrixBase;
}

KettricResult ComponentStructure::ResolveData(KettricDocument *document)
{
    glyphList = nullptr;
    color = nullptr;
    KettricResult result = TypographicStructure::ResolveData(document);
    if (result != 0) return result;
    matrix = ProductOfTransforms(this);
    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (IsDataList(structure, 'UI32'))
        {
            if (glyphList != nullptr) return kResultExtraSubstructure;
            glyphList = static_cast<const KettricUInt32List *>(structure);
        }
        else if (structure->GetStructureType() == 'colr' && static_cast<const ColorStructure *>(structure)->paletteIndex == 0)
        {
            if (color != nullptr) return kResultExtraSubstructure;
            color = static_cast<const ColorStructure *>(structure);
        }
    }
    if (glyphList == nullptr) return kResultMissingSubstructure;
    if (color != nullptr && color->entryCount != glyphList->GetElementCount()) return 'dcmm';
    return 0;
}

void ComponentStructure::OffsetGlyphIndices(int32_t amount)
{
    if (KettricUInt32List *list = GetFirstUInt32List())
    {
        for (int32_t i = 0; i < list->GetElementCount(); ++i) (*list)[i] += uint32_t(amount);
    }
}

void ComponentStructure::CollectGeometry(const FontStructure *font, GeometryCollection *collection) const
{
    if (glyphList == nullptr) return;
    for (int32_t index = 0; index < glyphList->GetElementCount(); ++index)
    {
        uint32_t glyph = (*glyphList)[index];
        if (collection->tooLarge) return;
        bool onStack = false;
        for (uint32_t g : collection->stack) onStack = onStack || g == glyph;
        if (onStack) continue;
        const GlyphStructure *referred = font->GetGlyph(glyph);
        if (referred == nullptr) continue;
        // The stack holds the root glyph and one glyph per nested Component.
        if (collection->stack.GetElementCount() > kMaxComponentDepth)
        {
            collection->tooLarge = true;
            return;
        }
        int32_t start = collection->curves->GetElementCount();
        referred->CollectGeometry(font, collection);
        Array<QuadraticBezier2D> &curves = *collection->curves;
        for (int32_t i = start; i < curves.GetElementCount(); ++i)
        {
            curves[i].p0 = TransformPoint2D(matrix, curves[i].p0);
            curves[i].p1 = TransformPoint2D(matrix, curves[i].p1);
            curves[i].p2 = TransformPoint2D(matrix, curves[i].p2);
        }
    }
}

void ComponentStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteLine(stream, "Component\n", 0, HasPreviousSibling());
    WriteLine(stream, "{\n", 0, false);
    WriteGlyphListLine(stream, GetFirstUInt32List());
    WriteSubstructures(document, stream);
    WriteLine(stream, "}\n", 0, false);
}

// Paint

bool PaintStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type, void **storage)
{
    if (CompareText(identifier, "comp")) return DeclareProperty(type, storage, 'UI32', &compositeMode);
    return false;
}

bool PaintStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    uint32_t type = structure->GetStructureType();
    return IsDataList(structure, 'UI32') || type == 'colr' || type == 'comp' || type == 'grad' || type == 'pant' ||
           structure->GetBaseStructureType() == kAmbrelMatrixBase;
}

KettricResult PaintStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = TypographicStructure::ResolveData(document);
    if (result != 0) return result;
    matrix = ProductOfTransforms(this);
    return 0;
}

void PaintStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteLine(stream, "Paint", 0, HasPreviousSibling());
    if (compositeMode != 3)
    {
        stream->WriteText(" (comp = ");
        stream->WriteInteger(int32_t(compositeMode));
        stream->WriteChar(')');
    }
    WriteLine(stream, "{\n", 0, true);
    WriteGlyphListLine(stream, GetFirstUInt32List());
    WriteSubstructures(document, stream);
    WriteLine(stream, "}\n", 0, false);
}

// Emoji

bool EmojiStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    uint32_t base = structure->GetBaseStructureType();
    if (base == kAmbrelGeometryBase || base == kAmbrelMatrixBase) return true;
    uint32_t type = structure->GetStructureType();
    // Colours, gradients and transforms are what a paint graph may put straight into the Emoji.
    return (base != kKettricPrimitiveBase) && (type == 'comp' || type == 'grup' || type == 'inst' || type == 'pant' ||
                                               type == 'colr' || type == 'grad');
}

KettricResult EmojiStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = TypographicStructure::ResolveData(document);
    if (result != 0) return result;
    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (structure->GetStructureType() != 'comp') continue;
        const auto *component = static_cast<const ComponentStructure *>(structure);
        if (component->color == nullptr) return kResultMissingSubstructure;
        int32_t count = component->glyphList->GetElementCount();
        if (count > 255) count = 255;
        for (int32_t i = 0; i < count; ++i)
        {
            glyphArray.AddElement((*component->glyphList)[i]);
            uint8_t rgba[4];
            component->color->GetColorRGBA8(i, rgba);
            colorArray.AddElement(uint32_t(rgba[0]) | uint32_t(rgba[1]) << 8 | uint32_t(rgba[2]) << 16 |
                                  uint32_t(rgba[3]) << 24);
        }
    }
    return 0;
}

void EmojiStructure::OffsetGlyphIndices(int32_t amount)
{
    for (uint32_t &glyph : glyphArray) glyph += uint32_t(amount);
    TypographicStructure::OffsetGlyphIndices(amount);
}

bool EmojiStructure::GetDescription(TextString *text, uint32_t depth, int32_t position) const
{
    AppendOwnerDescription(GetSuperStructure(), text, depth);
    text->AppendChar(':');
    text->AppendInt32(position);
    return false;
}

void EmojiStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteLine(stream, "Emoji\n", 0, HasPreviousSibling());
    WriteLine(stream, "{\n", 0, false);
    WriteSubstructures(document, stream);
    WriteLine(stream, "}\n", 0, false);
}

}  // namespace oq
