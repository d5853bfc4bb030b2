#pragma once

#include <cstdint>

namespace oq {

class DocumentNode;
class KettricStructure;

// The nodes that the marking names of an undo snapshot stand for: the selection ends and the
// selected top-level objects.
struct NamingMarks
{
    const DocumentNode *selectionStart = nullptr;
    const DocumentNode *selectionEnd = nullptr;
    const DocumentNode *const *selectedObjects = nullptr;
    int32_t selectedObjectCount = 0;
};

// Names every node below the root before equation text is written, in document order: with marks,
// "B" for the selection start, "E" for a different selection end and "S0", "S1", ... for selected
// top-level objects; "_0", "_1", ... for every other node with incoming links; no name otherwise.
// A node whose name changes leaves the name map it was in (the new name would break its order).
void RunNamingPass(KettricStructure *root, const NamingMarks *marks);

}  // namespace oq
