// Kettric documents: parse, resolve, error lines and global look-ups.
#include "kettric/KettricDocument.h"

#include "kettric/StructureReference.h"

#include <cstring>

namespace oq {

namespace {

// 1 plus the line feeds before the offset.
int32_t CountLine(const char *text, int64_t offset)
{
    int32_t line = 1;
    const char *p = text;
    const char *end = text + offset;
    while ((p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)))) != nullptr)
    {
        ++line;
        ++p;
    }
    return line;
}

}  // namespace

bool KettricRoot::CheckSubstructure(KettricDocument *document, KettricStructure *structure)
{
    return document->CheckTopLevel(structure);
}

KettricDocument::KettricDocument() : failingStructure(nullptr), errorLine(0)
{
}

KettricDocument::~KettricDocument()
{
    // The root's destructor then deletes the tree without touching this map.
    globalNameMap.RemoveAll();
}

KettricStructure *KettricDocument::MakeStructure(const TextString &)
{
    return nullptr;
}

bool KettricDocument::CheckTopLevel(KettricStructure *)
{
    return true;
}

KettricResult KettricDocument::ResolveData()
{
    return rootStructure.ResolveData(this);
}

void KettricDocument::RecordFailingStructure(KettricStructure *structure)
{
    if (failingStructure == nullptr) failingStructure = structure;
}

KettricResult KettricDocument::ParseTree(const char *text)
{
    // Every structure of the global map goes with the tree: unlink them all at once.
    globalNameMap.RemoveAll();
    rootStructure.TreeBase::PurgeSubtree();
    failingStructure = nullptr;
    errorLine = 0;

    // Text offsets are int32: the NUL itself must stand at an int32 offset.
    if (std::strlen(text) > size_t(INT32_MAX))
    {
        errorLine = 1;
        return kResultSyntax;
    }

    const char *p = text + SkipKettricWhitespace(text);
    if (*p == 0) return 0;
    KettricResult result = ParseStructureList(this, text, &p, &rootStructure);
    if (result == 0 && *p == '}') result = kResultSyntax;
    if (result != 0)
    {
        rootStructure.TreeBase::PurgeSubtree();
        errorLine = CountLine(text, p - text);
    }
    return result;
}

KettricResult KettricDocument::ParseText(const char *text)
{
    return ParseTree(text);
}

KettricResult KettricDocument::ParseAndResolve(const char *text)
{
    KettricResult result = ParseTree(text);
    if (result != 0) return result;
    result = ResolveData();
    if (result != 0 && failingStructure != nullptr) errorLine = CountLine(text, failingStructure->GetTextOffset());
    return result;
}

KettricStructure *KettricDocument::LookUpStructure(const StructureReference &reference) const
{
    if (!reference.IsGlobal() || reference.GetNamePartCount() == 0) return nullptr;
    KettricStructure *structure = KettricStructure::FindNamedStructure(&globalNameMap, reference.GetNamePart(0));
    if (structure == nullptr || reference.GetNamePartCount() == 1) return structure;
    return structure->LookUpStructure(reference, 1);
}

}  // namespace oq
