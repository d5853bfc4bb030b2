#pragma once

#include "base/Map.h"
#include "base/TextString.h"
#include "base/Tree.h"
#include "kettric/KettricLiterals.h"
#include "kettric/StructurePool.h"

#include <cstdint>

namespace oq {

class KettricDocument;
class StructureReference;

// Deepest nesting of structures that a text may hold (top-level structures are at depth 1).
inline constexpr int32_t kKettricMaxNestingDepth = 10000;

// Base of every structure of every Kettric file format: a tree node that owns its substructures
// and, through its map element, an entry of a name map keyed by its name.
class KettricStructure : public TreeNode, public MapElement
{
public:
    explicit KettricStructure(uint32_t type);
    KettricStructure(const KettricStructure &) = delete;
    KettricStructure &operator=(const KettricStructure &) = delete;

    // Deletes the structures of its local name map and its whole subtree (without recursion over the
    // depth; each structure before its subnodes, subnodes in list order), leaves its own name map
    // and detaches itself.
    ~KettricStructure() override;

    // Structures live in the structure pool; the virtual destructor hands the size back.
    static void *operator new(size_t size) { return AllocateStructureBlock(size); }
    static void operator delete(void *block, size_t size) { ReleaseStructureBlock(block, size); }

    // True declares the property known: the parser reads a value of the given type into the storage.
    virtual bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                               void **storage);
    // The same question with the value's text in view: literal is the value's first character
    // after "=" and blanks, null for a bare name. Structures whose property means different things
    // by its literal override it; the base asks CheckProperty.
    virtual bool CheckPropertyLiteral(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                      void **storage, const char *literal);
    // Whether a substructure, already in the tree with its type set, may stay.
    virtual bool CheckSubstructure(KettricDocument *document, KettricStructure *structure);
    // Asked for the state identifiers of the subarrays of a data list below this structure.
    virtual bool CheckStateName(const TextString &identifier, uint32_t *state);
    // Called once after parsing; the base resolves the subnodes in order.
    [[nodiscard]] virtual KettricResult ResolveData(KettricDocument *document);

    uint32_t GetStructureType() const { return structureType; }
    uint32_t GetBaseStructureType() const { return baseStructureType; }
    const TextString &GetStructureName() const { return structureName; }
    bool IsGlobalName() const { return globalNameFlag; }
    int32_t GetTextOffset() const { return textOffset; }
    void SetTextOffset(int32_t offset) { textOffset = offset; }

    // Sets the name without its prefix; "$" names are global, "%" names local.
    void SetStructureName(const char *name, int32_t length, bool global);

    Map *GetLocalNameMap() { return &localNameMap; }

    KettricStructure *GetSuperStructure() const { return static_cast<KettricStructure *>(GetSuperNode()); }
    KettricStructure *GetFirstSubnodeStructure() const { return static_cast<KettricStructure *>(GetFirstSubnode()); }
    KettricStructure *GetLastSubnodeStructure() const { return static_cast<KettricStructure *>(GetLastSubnode()); }
    KettricStructure *GetNextStructure() const { return static_cast<KettricStructure *>(GetNextNode()); }
    KettricStructure *GetPreviousStructure() const { return static_cast<KettricStructure *>(GetPreviousNode()); }

    // First or last direct subnode of the given structure type; null when none.
    KettricStructure *GetFirstSubstructure(uint32_t type) const;
    KettricStructure *GetLastSubstructure(uint32_t type) const;

    // The structure that the reference's parts from the given depth on name below this structure.
    KettricStructure *LookUpStructure(const StructureReference &reference, int32_t depth) const;

    // Enters this structure into a name map by its name; false when the name is already there.
    [[nodiscard]] bool EnterNameMap(Map *map);

    // The structure of the map with the given name, or null.
    static KettricStructure *FindNamedStructure(const Map *map, const char *name);

protected:
    uint32_t baseStructureType;

private:
    uint32_t structureType;
    Map localNameMap;
    TextString structureName;
    uint64_t nameKey;  // the name's first 8 bytes, the first highest, zeros after its end
    bool globalNameFlag;
    int32_t textOffset;
    bool deletingSubtree;  // set while this structure deletes its subtree
};

}  // namespace oq
