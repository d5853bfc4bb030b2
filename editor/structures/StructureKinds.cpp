// The structure kinds of the equation document's factory.
#include "editor/structures/StructureKinds.h"

#include "editor/document/NodeFactory.h"
#include "editor/structures/ArrowNode.h"
#include "editor/structures/BondNode.h"
#include "editor/structures/BoxNode.h"
#include "editor/structures/FractionNode.h"
#include "editor/structures/IntegralNode.h"
#include "editor/structures/IterationNode.h"
#include "editor/structures/LongDivisionNode.h"
#include "editor/structures/MatrixNode.h"
#include "editor/structures/PrimeNode.h"
#include "editor/structures/RadicalNode.h"
#include "editor/structures/ScriptNode.h"
#include "editor/structures/StackNode.h"
#include "editor/structures/StrikeNode.h"
#include "editor/structures/WideMarkNode.h"

namespace oq {

void RegisterStructureKinds()
{
    RegisterNodeKind("Ar", []() -> KettricStructure * { return new ArrowNode; });
    RegisterNodeKind("Bd", []() -> KettricStructure * { return new BondNode; });
    RegisterNodeKind("Fr", []() -> KettricStructure * { return new FractionNode(kFractionVertical, false, false); });
    RegisterNodeKind("It", []() -> KettricStructure * { return new IterationNode(kSummationCodePoint, false, false); });
    RegisterNodeKind("In", []() -> KettricStructure * { return new IntegralNode(kIntegralCodePoint, false, false); });
    RegisterNodeKind("Mx", []() -> KettricStructure * { return new MatrixNode(0, 0); });
    RegisterNodeKind("Rd", []() -> KettricStructure * { return new RadicalNode; });
    RegisterNodeKind("Pr", []() -> KettricStructure * { return new PrimeNode; });
    RegisterNodeKind("Sc", []() -> KettricStructure * { return new ScriptNode(false); });
    RegisterNodeKind("Dv", []() -> KettricStructure * { return new LongDivisionNode; });
    RegisterNodeKind("Bx", []() -> KettricStructure * { return new BoxNode(kBoxFull); });
    RegisterNodeKind("Kt", []() -> KettricStructure * { return new StrikeNode(kStrikeHorizontal); });
    RegisterNodeKind("Wm", []() -> KettricStructure * { return new WideMarkNode(kWideMarkLine, false); });
    RegisterNodeKind("St", []() -> KettricStructure * { return new StackNode; });
}

}  // namespace oq
