// The drawing kinds of the document factory.
#include "editor/drawing/DrawingKinds.h"

#include "editor/document/NodeFactory.h"
#include "editor/drawing/BracketObject.h"
#include "editor/drawing/CornerLineObject.h"
#include "editor/drawing/EllipseObject.h"
#include "editor/drawing/LineObject.h"
#include "editor/drawing/QuarterLineObject.h"
#include "editor/drawing/RectangleObject.h"
#include "editor/drawing/RoundedRectangleObject.h"
#include "editor/drawing/ZigzagLineObject.h"

namespace oq {

void RegisterDrawingKinds()
{
    RegisterNodeKind("Ln", []() -> KettricStructure * { return new LineObject; });
    RegisterNodeKind("Cn", []() -> KettricStructure * { return new CornerLineObject; });
    RegisterNodeKind("Qe", []() -> KettricStructure * { return new QuarterLineObject; });
    RegisterNodeKind("Zg", []() -> KettricStructure * { return new ZigzagLineObject; });
    RegisterNodeKind("Jo", []() -> KettricStructure * { return new BracketObject(kBracketOutlineBrace); });
    // The reader makes shapes with both flags off; "f" and "s" switch them on.
    RegisterNodeKind("Rt", []() -> KettricStructure * { return new RectangleObject(false, false); });
    RegisterNodeKind("Rr", []() -> KettricStructure * { return new RoundedRectangleObject(false, false); });
    RegisterNodeKind("El", []() -> KettricStructure * { return new EllipseObject(false, false); });
}

}  // namespace oq
