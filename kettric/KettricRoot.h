#pragma once

#include "kettric/KettricStructure.h"

namespace oq {

// The invisible top of a document's tree: top-level structures are its subnodes and top-level
// "%" names live in its local name map. It asks the document which structures may stand there.
class KettricRoot : public KettricStructure
{
public:
    KettricRoot() : KettricStructure(0) {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
};

}  // namespace oq
