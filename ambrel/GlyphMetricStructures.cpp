// Advance, Bearing and Caret.
#include "ambrel/GlyphMetricStructures.h"

namespace oq {

namespace {

// One float list of one or two values.
KettricResult ResolvePair(TypographicStructure *structure, KettricDocument *document)
{
    KettricResult result = structure->TypographicStructure::ResolveData(document);
    if (result != 0) return result;
    const KettricStructure *found = nullptr;
    for (const KettricStructure *sub = structure->GetFirstSubnodeStructure(); sub != nullptr; sub = sub->GetNextStructure())
    {
        if (!IsDataList(sub, 'FLOT')) continue;
        if (found != nullptr) return kResultExtraSubstructure;
        int32_t count = static_cast<const KettricFloatList *>(sub)->GetElementCount();
        if (count != 1 && count != 2) return kResultInvalidDataFormat;
        found = sub;
    }
    return (found == nullptr) ? kResultMissingSubstructure : 0;
}

// "Header {float {a, b}}": at most `limit` values of the first float list.
void WriteValues(const AmbrelStructure *structure, TextOutputStream *stream, const char *header, bool newline,
                 int32_t limit)
{
    WriteLine(stream, header, 0, newline);
    const KettricFloatList *list = structure->GetFirstFloatList();
    if (list != nullptr && list->GetElementCount() != 0)
    {
        int32_t count = (list->GetElementCount() < limit) ? list->GetElementCount() : limit;
        stream->WriteText("float {");
        WriteFloatValues(stream, list->GetElements(), count);
        stream->WriteChar('}');
    }
    stream->WriteText("}\n");
}

bool FollowsAdvance(const AmbrelStructure *structure)
{
    const KettricStructure *previous = structure->GetPreviousWrittenSibling();
    return previous != nullptr && previous->GetStructureType() != 'advc';
}

}  // namespace

bool AdvanceStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'FLOT');
}

KettricResult AdvanceStructure::ResolveData(KettricDocument *document)
{
    return ResolvePair(this, document);
}

void AdvanceStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    WriteValues(this, stream, "Advance {", HasPreviousSibling(), 2);
}

bool BearingStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'FLOT');
}

KettricResult BearingStructure::ResolveData(KettricDocument *document)
{
    return ResolvePair(this, document);
}

void BearingStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    WriteValues(this, stream, "Bearing {", FollowsAdvance(this), 2);
}

bool CaretStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'FLOT');
}

int32_t CaretStructure::GetPositions(const float **positions) const
{
    const KettricFloatList *list = GetFirstFloatList();
    *positions = (list != nullptr) ? list->GetElements() : nullptr;
    return (list != nullptr) ? list->GetElementCount() : 0;
}

void CaretStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    WriteValues(this, stream, "Caret {", FollowsAdvance(this), INT32_MAX);
}

}  // namespace oq
