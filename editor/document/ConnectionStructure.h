#pragma once

#include "kettric/KettricStructure.h"

namespace oq {

class DocumentNode;
struct TextBuffer;

inline constexpr uint32_t kConnectionStructureType = 'conn';

// The "X" block of a node's text: the node's outgoing links as four data lists ("ref", "u32",
// "i32" and the optional "f"). Resolving it makes the links and destroys it.
class ConnectionStructure : public KettricStructure
{
public:
    ConnectionStructure() : KettricStructure(kConnectionStructureType) {}

    // Only float, signed 32-bit, reference and unsigned 32-bit data lists.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // Links the containing node to every target in order; on success destroys this structure.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
};

// The "X" block of a node with outgoing links, at the buffer's depth.
void WriteLinkBlock(const DocumentNode *node, TextBuffer *buffer);

}  // namespace oq
