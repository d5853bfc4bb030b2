#pragma once

#include "ambrel/AmbrelStructure.h"
#include "base/TextString.h"

namespace oq {

// Name: a list of strings, the first of which names its superior (a Font's family and style).
class NameStructure : public AmbrelStructure
{
public:
    NameStructure() : AmbrelStructure('name') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    // The first string of the list; null until resolved and for an empty first string.
    const TextString *nameText = nullptr;
};

// Message: strings of some kind (a font's naming entries).
class MessageStructure : public AmbrelStructure
{
public:
    MessageStructure() : AmbrelStructure('mess') {}
    explicit MessageStructure(const char *kind) : AmbrelStructure('mess'), messageKind(kind) {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    TextString messageKind;
};

}  // namespace oq
