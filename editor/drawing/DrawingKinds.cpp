// The drawing kinds of the document factory.
#include "editor/drawing/DrawingKinds.h"

#include "editor/document/NodeFactory.h"
#include "editor/drawing/LineObject.h"

namespace oq {

void RegisterDrawingKinds()
{
    RegisterNodeKind("Ln", []() -> KettricStructure * { return new LineObject; });
}

}  // namespace oq
