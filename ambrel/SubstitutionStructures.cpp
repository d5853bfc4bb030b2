// Kern, Alternate, Match, Rule, Sequence and Decompose.
#include "ambrel/SubstitutionStructures.h"

#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "base/TextUtils.h"

namespace oq {

namespace {

constexpr int32_t kMaxListedGlyphs = 255;

int32_t GetListValues(const KettricUInt32List *list, const uint32_t **values, int32_t limit)
{
    if (list == nullptr)
    {
        *values = nullptr;
        return 0;
    }
    *values = list->GetElements();
    int32_t count = list->GetElementCount();
    return (count > limit) ? limit : count;
}

void OffsetList(KettricUInt32List *list, int32_t amount)
{
    if (list == nullptr) return;
    for (int32_t i = 0; i < list->GetElementCount(); ++i) (*list)[i] += uint32_t(amount);
}

void WriteUInt32List(TextOutputStream *stream, const KettricUInt32List *list)
{
    stream->WriteText("uint32 {");
    if (list != nullptr) WriteIntegerValues(stream, list->GetElements(), list->GetElementCount());
    stream->WriteChar('}');
}

// Exactly one non-empty uint32 list among the substructures.
KettricResult ResolveSingleList(KettricStructure *structure)
{
    const KettricStructure *found = nullptr;
    for (const KettricStructure *sub = structure->GetFirstSubnodeStructure(); sub != nullptr; sub = sub->GetNextStructure())
    {
        if (!IsDataList(sub, 'UI32')) continue;
        if (found != nullptr) return kResultExtraSubstructure;
        if (static_cast<const KettricUInt32List *>(sub)->GetElementCount() == 0) return kResultInvalidDataFormat;
        found = sub;
    }
    return (found == nullptr) ? kResultMissingSubstructure : 0;
}

void AppendPosition(TextString *text, int32_t position)
{
    if (position < 0) return;
    text->AppendChar('[');
    text->AppendInt32(position);
    text->AppendChar(']');
}

}  // namespace

void AppendOwnerDescription(const KettricStructure *owner, TextString *text, uint32_t depth)
{
    if (owner == nullptr || owner->GetStructureType() != 'glyf') return;
    TextString part;
    bool list = static_cast<const GlyphStructure *>(owner)->GetDescription(&part, depth, -1);
    if (list) text->AppendChar('(');
    text->AppendString(part);
    if (list) text->AppendChar(')');
}

// Kern

bool KernStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type, void **storage)
{
    if (CompareText(identifier, "vertical")) return DeclareProperty(type, storage, 'BOOL', &verticalFlag);
    return false;
}

bool KernStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'UI32') || IsDataList(structure, 'FLOT');
}

KettricResult KernStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = TypographicStructure::ResolveData(document);
    if (result != 0) return result;
    const uint32_t *glyphs = nullptr;
    const float *values = nullptr;
    // The compiler reads one value per listed glyph.
    if (GetValues(&values) < GetGlyphs(&glyphs)) return kResultInvalidDataFormat;
    return 0;
}

int32_t KernStructure::GetGlyphs(const uint32_t **glyphs) const
{
    return GetListValues(GetFirstUInt32List(), glyphs, INT32_MAX);
}

int32_t KernStructure::GetValues(const float **values) const
{
    const KettricFloatList *list = GetFirstFloatList();
    *values = (list != nullptr) ? list->GetElements() : nullptr;
    return (list != nullptr) ? list->GetElementCount() : 0;
}

void KernStructure::OffsetGlyphIndices(int32_t amount)
{
    OffsetList(GetFirstUInt32List(), amount);
}

void KernStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    WriteLine(stream, verticalFlag ? "Kern (vertical)\n" : "Kern\n", 0, HasPreviousSibling());
    WriteLine(stream, "{\n", 0, false);
    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (IsDataList(structure, 'UI32'))
        {
            const auto *list = static_cast<const KettricUInt32List *>(structure);
            if (list->GetElementCount() == 0) continue;
            WriteLine(stream, "uint32 {", 1, false);
            WriteIntegerValues(stream, list->GetElements(), list->GetElementCount());
            stream->WriteText("}\n");
        }
        else if (IsDataList(structure, 'FLOT'))
        {
            const auto *list = static_cast<const KettricFloatList *>(structure);
            if (list->GetElementCount() == 0) continue;
            WriteLine(stream, "float {", 1, false);
            WriteFloatValues(stream, list->GetElements(), list->GetElementCount());
            stream->WriteText("}\n");
        }
    }
    WriteLine(stream, "}\n", 0, false);
}

// Alternate

bool AlternateStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                       void **storage)
{
    if (CompareText(identifier, "feature")) return DeclareProperty(type, storage, 'UI32', &featureTag);
    return false;
}

bool AlternateStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'UI32');
}

int32_t AlternateStructure::GetGlyphs(const uint32_t **glyphs) const
{
    return GetListValues(GetFirstUInt32List(), glyphs, kMaxListedGlyphs);
}

void AlternateStructure::OffsetGlyphIndices(int32_t amount)
{
    OffsetList(GetFirstUInt32List(), amount);
}

bool AlternateStructure::GetDescription(TextString *text, uint32_t depth, int32_t position) const
{
    AppendOwnerDescription(GetSuperStructure(), text, depth);
    text->AppendChar('.');
    AppendTagText(text, featureTag);
    AppendPosition(text, position);
    return false;
}

void AlternateStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    const KettricStructure *previous = GetPreviousWrittenSibling();
    WriteLine(stream, "Alternate (feature = ", 0, previous != nullptr && previous->GetStructureType() != 'altr');
    stream->WriteTag(featureTag);
    stream->WriteText(") {");
    if (const KettricUInt32List *list = GetFirstUInt32List()) WriteUInt32List(stream, list);
    stream->WriteText("}\n");
}

// Match

bool MatchStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type, void **storage)
{
    if (CompareText(identifier, "kind")) return DeclareProperty(type, storage, 'UI32', &matchKind);
    return false;
}

bool MatchStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'UI32');
}

KettricResult MatchStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = TypographicStructure::ResolveData(document);
    return (result != 0) ? result : ResolveSingleList(this);
}

int32_t MatchStructure::GetGlyphs(const uint32_t **glyphs) const
{
    return GetListValues(GetFirstUInt32List(), glyphs, INT32_MAX);
}

void MatchStructure::OffsetGlyphIndices(int32_t amount)
{
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (IsDataList(structure, 'UI32')) OffsetList(static_cast<KettricUInt32List *>(structure), amount);
    }
}

void MatchStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    WriteLine(stream, "Match ", 0, false);
    if (matchKind != 0)
    {
        stream->WriteText("(kind = ");
        stream->WriteTag(matchKind);
        stream->WriteText(") ");
    }
    stream->WriteChar('{');
    WriteUInt32List(stream, GetFirstUInt32List());
    stream->WriteText("}\n");
}

// Rule

bool RuleStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type, void **storage)
{
    if (CompareText(identifier, "kind")) return DeclareProperty(type, storage, 'UI32', &ruleKind);
    return false;
}

bool RuleStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'UI32');
}

KettricResult RuleStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = TypographicStructure::ResolveData(document);
    return (result != 0) ? result : ResolveSingleList(this);
}

bool RuleStructure::GetProducedGlyph(uint32_t *glyph) const
{
    const KettricUInt32List *list = GetFirstUInt32List();
    if (list == nullptr) return false;
    int32_t index = (list->GetArraySize() > 0) ? list->GetArraySize() - 1 : 0;
    if (index >= list->GetElementCount()) return false;
    *glyph = (*list)[index];
    return true;
}

void RuleStructure::OffsetGlyphIndices(int32_t amount)
{
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (!IsDataList(structure, 'UI32')) continue;
        auto *list = static_cast<KettricUInt32List *>(structure);
        int32_t size = list->GetArraySize();
        if (size < 2)
        {
            OffsetList(list, amount);
            continue;
        }
        // Only the glyph at the end of each subarray; input positions stay.
        for (int32_t i = size - 1; i < list->GetElementCount(); i += size) (*list)[i] += uint32_t(amount);
    }
}

void RuleStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    WriteLine(stream, "Rule (kind = ", 0, false);
    stream->WriteTag(ruleKind);
    stream->WriteText(") {");
    const KettricUInt32List *list = GetFirstUInt32List();
    int32_t size = (list != nullptr) ? list->GetArraySize() : 0;
    if (size == 0)
    {
        WriteUInt32List(stream, list);
    }
    else
    {
        // Subarrays of any size: "uint32[n] {{a, b}, {c, d}}".
        stream->WriteText("uint32[");
        stream->WriteInteger(size);
        stream->WriteText("] {");
        int32_t count = list->GetElementCount() / size;
        for (int32_t b = 0; b < count; ++b)
        {
            stream->WriteText((b == 0) ? "{" : ", {");
            WriteIntegerValues(stream, list->GetElements() + b * size, size);
            stream->WriteChar('}');
        }
        stream->WriteChar('}');
    }
    stream->WriteText("}\n");
}

// Sequence

bool SequenceStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                      void **storage)
{
    if (CompareText(identifier, "feature")) return DeclareProperty(type, storage, 'UI32', &featureTag);
    return false;
}

bool SequenceStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'UI32') || structure->GetStructureType() == 'mtch' ||
           structure->GetStructureType() == 'rule';
}

KettricResult SequenceStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = TypographicStructure::ResolveData(document);
    if (result != 0) return result;
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (structure->GetStructureType() == 'mtch') matchList.AppendStructure(static_cast<MatchStructure *>(structure));
        else if (structure->GetStructureType() == 'rule') ruleList.AppendStructure(static_cast<RuleStructure *>(structure));
    }
    return 0;
}

void SequenceStructure::OffsetGlyphIndices(int32_t amount)
{
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (structure->GetStructureType() == 'mtch' || structure->GetStructureType() == 'rule')
            static_cast<TypographicStructure *>(structure)->OffsetGlyphIndices(amount);
    }
}

void SequenceStructure::CollectMatchGlyphs(Array<uint32_t, 8> *glyphs) const
{
    for (MatchStructure *match = matchList.GetFirst(); match != nullptr; match = StructureList<MatchStructure>::GetNext(match))
    {
        const KettricUInt32List *list = match->GetFirstUInt32List();
        if (list != nullptr && list->GetElementCount() == 1) glyphs->AddElement((*list)[0]);
    }
}

void SequenceStructure::CollectRuleGlyphs(Array<uint32_t, 8> *glyphs) const
{
    for (RuleStructure *rule = ruleList.GetFirst(); rule != nullptr; rule = StructureList<RuleStructure>::GetNext(rule))
    {
        uint32_t glyph = 0;
        if (rule->GetProducedGlyph(&glyph)) glyphs->AddElement(glyph);
    }
}

MatchStructure *SequenceStructure::AddMatch(uint32_t kind)
{
    auto *match = new MatchStructure(kind);
    matchList.AppendStructure(match);
    AppendSubnode(match);
    return match;
}

RuleStructure *SequenceStructure::AddRule(uint32_t kind)
{
    auto *rule = new RuleStructure(kind);
    ruleList.AppendStructure(rule);
    AppendSubnode(rule);
    return rule;
}

bool SequenceStructure::GetDescription(TextString *text, uint32_t depth, int32_t position) const
{
    const KettricStructure *owner = GetSuperStructure();
    text->AppendChar('{');
    AppendOwnerDescription(owner, text, depth);
    const FontStructure *font =
        (owner != nullptr && owner->GetStructureType() == 'glyf') ? static_cast<const GlyphStructure *>(owner)->GetFont()
                                                                  : nullptr;
    for (MatchStructure *match = matchList.GetFirst(); match != nullptr; match = StructureList<MatchStructure>::GetNext(match))
    {
        const KettricUInt32List *list = match->GetFirstUInt32List();
        if (list == nullptr || list->GetElementCount() != 1) continue;
        if (text->GetLength() >= kMaxDescriptionLength)
        {
            text->AppendText(" # ...");
            break;
        }
        text->AppendText(" # ");
        const GlyphStructure *glyph = (font != nullptr) ? font->GetGlyph((*list)[0]) : nullptr;
        if (glyph != nullptr)
        {
            AppendOwnerDescription(glyph, text, depth);
        }
        else
        {
            text->AppendChar('<');
            text->AppendInt64(int64_t((*list)[0]));
            text->AppendChar('>');
        }
    }
    text->AppendText("}.");
    AppendTagText(text, featureTag);
    AppendPosition(text, position);
    return false;
}

void SequenceStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteLine(stream, "Sequence (feature = ", 0, HasPreviousSibling());
    stream->WriteTag(featureTag);
    stream->WriteText(")\n");
    WriteLine(stream, "{\n", 0, false);
    WriteSubstructures(document, stream);
    WriteLine(stream, "}\n", 0, false);
}

// Decompose

bool DecomposeStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'UI32');
}

int32_t DecomposeStructure::GetGlyphs(const uint32_t **glyphs) const
{
    return GetListValues(GetFirstUInt32List(), glyphs, kMaxListedGlyphs);
}

void DecomposeStructure::OffsetGlyphIndices(int32_t amount)
{
    OffsetList(GetFirstUInt32List(), amount);
}

bool DecomposeStructure::GetDescription(TextString *text, uint32_t depth, int32_t position) const
{
    AppendOwnerDescription(GetSuperStructure(), text, depth);
    text->AppendText("->");
    AppendPosition(text, position);
    return false;
}

void DecomposeStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    const KettricStructure *previous = GetPreviousWrittenSibling();
    bool newline = previous == nullptr || (previous->GetStructureType() != 'advc' && previous->GetStructureType() != 'bear');
    WriteLine(stream, "Decompose {", 0, newline);
    if (const KettricUInt32List *list = GetFirstUInt32List()) WriteUInt32List(stream, list);
    stream->WriteText("}\n");
}

}  // namespace oq
