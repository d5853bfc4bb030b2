#pragma once

#include "base/Map.h"
#include "base/TextString.h"
#include "kettric/KettricLiterals.h"
#include "kettric/KettricRoot.h"

#include <cstdint>

namespace oq {

class StructureReference;

// One parsed Kettric text: the structure tree under the root, the global name map and the outcome
// of the last parse. File formats derive their readers from it.
class KettricDocument
{
public:
    KettricDocument();
    KettricDocument(const KettricDocument &) = delete;
    KettricDocument &operator=(const KettricDocument &) = delete;
    virtual ~KettricDocument();

    // A new structure for a format's identifier, or null for an unknown one.
    virtual KettricStructure *MakeStructure(const TextString &identifier);
    // Whether a structure may stand at the top level.
    virtual bool CheckTopLevel(KettricStructure *structure);
    // Resolves the parsed tree; the base resolves the top-level structures in order.
    [[nodiscard]] virtual KettricResult ResolveData();

    // Replaces the tree with the one parsed from the NUL-terminated text and resolves it.
    // On failure the error line tells where parsing stopped or which structure failed to resolve.
    [[nodiscard]] KettricResult ParseAndResolve(const char *text);
    // The same without the resolution step.
    [[nodiscard]] KettricResult ParseText(const char *text);

    // The structure that a global reference names, or null.
    KettricStructure *LookUpStructure(const StructureReference &reference) const;

    KettricRoot *GetRootStructure() { return &rootStructure; }
    Map *GetGlobalNameMap() { return &globalNameMap; }

    // 1-based line of the last failure; 0 when a resolution failure names no structure.
    int32_t GetErrorLine() const { return errorLine; }
    KettricStructure *GetFirstFailingStructure() const { return failingStructure; }
    // Records the structure a resolution failure belongs to, unless one is recorded already.
    void RecordFailingStructure(KettricStructure *structure);

private:
    [[nodiscard]] KettricResult ParseTree(const char *text);

    Map globalNameMap;
    KettricRoot rootStructure;
    KettricStructure *failingStructure;
    int32_t errorLine;
};

// Parses a sequence of structures into the super structure. The cursor is left where parsing
// stopped; on failure the structure being parsed is deleted.
[[nodiscard]] KettricResult ParseStructureList(KettricDocument *document, const char *textStart, const char **text,
                                 KettricStructure *superStructure);

// Parses the properties between the parentheses of a structure.
[[nodiscard]] KettricResult ParsePropertyList(KettricDocument *document, const char **text, KettricStructure *structure);

}  // namespace oq
