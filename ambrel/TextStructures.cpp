// The text structures Name and Message.
#include "ambrel/TextStructures.h"

#include "ambrel/FontStructure.h"
#include "base/TextUtils.h"

namespace oq {

namespace {

// Every string of the list, quoted and separated by ", ".
void WriteStringList(TextOutputStream *stream, const KettricStringList *list)
{
    for (int32_t i = 0; i < list->GetElementCount(); ++i)
    {
        if (i != 0) stream->WriteText(", ");
        WriteQuotedText(stream, (*list)[i]);
    }
}

}  // namespace

bool NameStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'STRG');
}

KettricResult NameStructure::ResolveData(KettricDocument *)
{
    nameText = nullptr;
    KettricResult result = CheckSingleSubstructure();
    if (result != 0) return result;
    const auto *list = static_cast<const KettricStringList *>(GetFirstSubnodeStructure());
    if (list->GetElementCount() == 0) return kResultInvalidDataFormat;
    if (!(*list)[0].IsEmpty()) nameText = &(*list)[0];
    KettricStructure *super = GetSuperStructure();
    if (super != nullptr && super->GetStructureType() == 'font') static_cast<FontStructure *>(super)->nameStrings = list;
    return 0;
}

void NameStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    if (nameText == nullptr) return;
    WriteLine(stream, "Name {string {", 0, HasPreviousSibling());
    WriteStringList(stream, static_cast<const KettricStringList *>(GetFirstSubnodeStructure()));
    stream->WriteText("}}\n");
}

bool MessageStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                     void **storage)
{
    if (CompareText(identifier, "kind")) return DeclareProperty(type, storage, 'STRG', &messageKind);
    return false;
}

bool MessageStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'STRG');
}

void MessageStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    const KettricStringList *list = nullptr;
    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (IsDataList(structure, 'STRG'))
        {
            list = static_cast<const KettricStringList *>(structure);
            break;
        }
    }
    if (list == nullptr || list->GetElementCount() == 0) return;

    const KettricStructure *previous = GetPreviousWrittenSibling();
    bool newline = previous != nullptr && previous->GetStructureType() != 'mess';
    WriteLine(stream, "Message (kind = ", 0, newline);
    WriteQuotedText(stream, messageKind);
    stream->WriteText(") {string {");
    WriteStringList(stream, list);
    stream->WriteText("}}\n");
}

}  // namespace oq
