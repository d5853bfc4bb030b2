#pragma once

// A small Kettric file format for the tests: groups of circles and links between them.

#include "base/TextString.h"
#include "base/TextUtils.h"
#include "kettric/KettricDocument.h"
#include "kettric/KettricPrimitive.h"
#include "kettric/StructureReference.h"

namespace oq::test {

// The sketch format's own result: a link whose name finds no structure.
inline constexpr uint32_t kSketchResultUnresolvedLink = 'IVRF';

// A group: named properties, circles, links, nested groups and float or uint8 data lists.
class SketchGroup : public KettricStructure
{
public:
    SketchGroup() : KettricStructure('GRUP') {}

    bool CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type, void **storage) override
    {
        if (CompareText(identifier, "name")) return Declare(type, storage, 'STRG', &name);
        if (CompareText(identifier, "visible")) return Declare(type, storage, 'BOOL', &visible);
        if (CompareText(identifier, "count")) return Declare(type, storage, 'IN32', &count);
        if (CompareText(identifier, "weird")) return Declare(type, storage, 'XXXX', &count);
        return false;
    }

    bool CheckSubstructure(KettricDocument *, KettricStructure *structure) override
    {
        uint32_t type = structure->GetStructureType();
        return type == 'GRUP' || type == 'CIRC' || type == 'LINK' || type == 'FLOT' || type == 'UIN8';
    }

    bool CheckStateName(const TextString &identifier, uint32_t *state) override
    {
        if (CompareText(identifier, "on")) *state = 1;
        else if (CompareText(identifier, "off")) *state = 2;
        else return false;
        return true;
    }

    KettricResult ResolveData(KettricDocument *document) override
    {
        sum = 0.0f;
        if (auto *list = static_cast<KettricFloatList *>(GetFirstSubstructure('FLOT')))
        {
            for (int32_t i = 0; i < list->GetElementCount(); ++i) sum += (*list)[i];
        }
        return KettricStructure::ResolveData(document);
    }

    static bool Declare(KettricDataType *type, void **storage, KettricDataType declared, void *member)
    {
        *type = declared;
        *storage = member;
        return true;
    }

    TextString name;
    bool visible = false;
    int32_t count = 0;
    float sum = 0.0f;
};

// A circle with a radius that must not be negative.
class SketchCircle : public KettricStructure
{
public:
    SketchCircle() : KettricStructure('CIRC') {}

    bool CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type, void **storage) override
    {
        if (CompareText(identifier, "radius")) return SketchGroup::Declare(type, storage, 'FLOT', &radius);
        return false;
    }

    KettricResult ResolveData(KettricDocument *document) override
    {
        if (radius < 0.0f) return kResultInvalidDataFormat;
        return KettricStructure::ResolveData(document);
    }

    float radius = 0.0f;
};

// A link to another structure, local (from the link's super structure) or global.
class SketchLink : public KettricStructure
{
public:
    SketchLink() : KettricStructure('LINK') {}

    bool CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type, void **storage) override
    {
        if (CompareText(identifier, "to")) return SketchGroup::Declare(type, storage, 'RFNC', &to);
        return false;
    }

    KettricResult ResolveData(KettricDocument *document) override
    {
        target = to.IsGlobal() ? document->LookUpStructure(to) : GetSuperStructure()->LookUpStructure(to, 0);
        return (target != nullptr) ? 0 : kSketchResultUnresolvedLink;
    }

    StructureReference to;
    KettricStructure *target = nullptr;
};

// Groups, links and data lists may stand at the top level; circles may not.
class SketchDocument : public KettricDocument
{
public:
    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        if (CompareText(identifier, "Group")) return new SketchGroup;
        if (CompareText(identifier, "Circle")) return new SketchCircle;
        if (CompareText(identifier, "Link")) return new SketchLink;
        return nullptr;
    }

    bool CheckTopLevel(KettricStructure *structure) override
    {
        ++topLevelChecks;
        return structure->GetStructureType() != 'CIRC';
    }

    KettricResult ResolveData() override
    {
        ++resolveCalls;
        return KettricDocument::ResolveData();
    }

    int32_t topLevelChecks = 0;
    int32_t resolveCalls = 0;
};

}  // namespace oq::test
