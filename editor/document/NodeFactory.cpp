// The table of node kinds behind the equation document's factory.
#include "editor/document/NodeFactory.h"

#include "editor/document/AlignmentMarkNode.h"
#include "editor/document/BracketNode.h"
#include "editor/document/ConnectionStructure.h"
#include "editor/document/EnclosureNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MarkNode.h"
#include "editor/document/NegationNode.h"
#include "editor/document/PhantomNode.h"
#include "editor/document/RowBeginNode.h"
#include "editor/document/SlashNode.h"
#include "editor/document/SpaceNode.h"
#include "editor/document/SymbolRunNode.h"

#include <cstring>

namespace oq {

namespace {

constexpr int32_t kMaxIdentifierLength = 7;
constexpr int32_t kMaxNodeKinds = 64;

struct NodeKindEntry
{
    char identifier[kMaxIdentifierLength + 1];
    NodeKindConstructor constructor;
};

// Filled only at start-up and by tests, on the UI thread.
NodeKindEntry nodeKinds[kMaxNodeKinds];
int32_t nodeKindCount = 0;
bool documentKindsRegistered = false;

NodeKindEntry *FindEntry(const char *identifier)
{
    for (int32_t i = 0; i < nodeKindCount; ++i)
    {
        if (std::strcmp(nodeKinds[i].identifier, identifier) == 0) return &nodeKinds[i];
    }
    return nullptr;
}

}  // namespace

void RegisterNodeKind(const char *identifier, NodeKindConstructor constructor)
{
    size_t length = std::strlen(identifier);
    if (length == 0 || length > size_t(kMaxIdentifierLength)) return;
    NodeKindEntry *entry = FindEntry(identifier);
    if (entry == nullptr)
    {
        if (nodeKindCount == kMaxNodeKinds) return;
        entry = &nodeKinds[nodeKindCount++];
        std::memcpy(entry->identifier, identifier, length + 1);
    }
    entry->constructor = constructor;
}

KettricStructure *MakeRegisteredStructure(const TextString &identifier)
{
    NodeKindEntry *entry = FindEntry(identifier);
    return (entry != nullptr && entry->constructor != nullptr) ? entry->constructor() : nullptr;
}

void RegisterDocumentKinds()
{
    documentKindsRegistered = true;
    RegisterNodeKind("X", []() -> KettricStructure * { return new ConnectionStructure; });
    RegisterNodeKind("Bg", []() -> KettricStructure * { return new RowBeginNode; });
    RegisterNodeKind("Gr", []() -> KettricStructure * { return new GroupNode(0); });
    RegisterNodeKind("Al", []() -> KettricStructure * { return new AlignmentMarkNode; });
    RegisterNodeKind("Sp", []() -> KettricStructure * { return new SpaceNode; });
    RegisterNodeKind("Ph", []() -> KettricStructure * { return new PhantomNode; });
    RegisterNodeKind("Sb", []() -> KettricStructure * { return new SymbolRunNode; });
    RegisterNodeKind("Mk", []() -> KettricStructure * { return new MarkNode; });
    RegisterNodeKind("Ng", []() -> KettricStructure * { return new NegationNode; });
    RegisterNodeKind("Sl", []() -> KettricStructure * { return new SlashNode; });
    RegisterNodeKind("En", []() -> KettricStructure * { return new EnclosureNode; });
    RegisterNodeKind("Br", []() -> KettricStructure * { return new BracketNode; });
}

void RegisterDocumentKindsOnce()
{
    if (!documentKindsRegistered) RegisterDocumentKinds();
}

}  // namespace oq
