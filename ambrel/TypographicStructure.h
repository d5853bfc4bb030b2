#pragma once

#include "ambrel/AmbrelStructure.h"
#include "base/Graph.h"
#include "base/List.h"

#include <cstdint>

namespace oq {

class TypographicStructure;

// The graph vertex of a typographic structure, which knows the structure it belongs to.
class StructureVertex : public GraphElement
{
public:
    explicit StructureVertex(TypographicStructure *structure) : owner(structure) {}

    TypographicStructure *GetStructure() const { return owner; }

private:
    TypographicStructure *owner;
};

// The link through which an owner's list holds a structure; the list never owns it.
class StructureListLink : public ListElement
{
public:
    explicit StructureListLink(TypographicStructure *structure) : owner(structure) {}

    TypographicStructure *GetStructure() const { return owner; }

private:
    TypographicStructure *owner;
};

// A list of structures of one class, held through their `listLink` members. It owns nothing:
// destroying it unlinks what is still in it.
template <class T>
class StructureList : public List
{
public:
    StructureList() = default;
    ~StructureList() { RemoveAll(); }

    void AppendStructure(T *structure) { Append(&structure->listLink); }

    T *GetFirst() const { return Get(GetFirstListElement()); }
    static T *GetNext(const T *structure) { return Get(structure->listLink.GetNextListElement()); }

    static T *Get(ListElement *element)
    {
        return (element != nullptr) ? static_cast<T *>(static_cast<StructureListLink *>(element)->GetStructure())
                                    : nullptr;
    }
};

// Base of the font structures: a vertex of the glyph reference graph, whose edges go from a
// referring structure to the Glyph it names. Destroying either end deletes the edges.
class TypographicStructure : public AmbrelStructure
{
public:
    explicit TypographicStructure(uint32_t type) : AmbrelStructure(type), graphElement(this)
    {
        baseStructureType = kAmbrelTypographicBase;
    }

    // Adds the amount to every glyph index held; the base passes it to the typographic substructures.
    virtual void OffsetGlyphIndices(int32_t amount);
    // Appends a description of the structure; true when it is a list the caller puts in parentheses.
    virtual bool GetDescription(TextString *text, uint32_t depth, int32_t position) const;

    GraphElement *GetGraphElement() { return &graphElement; }
    const GraphElement *GetGraphElement() const { return &graphElement; }

    // The first direct substructure that is a uint32 list, or null.
    KettricUInt32List *GetFirstUInt32List() const;

    // Appends a new uint32 list of the array size as the last substructure.
    KettricUInt32List *AppendUInt32List(int32_t arraySize = 0);
    KettricFloatList *AppendFloatList(int32_t arraySize = 0);

private:
    StructureVertex graphElement;
};

// An edge of the glyph reference graph with the place of the referred glyph in the referring
// structure's glyph list (-1 for none).
class GlyphReferenceLink : public GraphEdge
{
public:
    GlyphReferenceLink(TypographicStructure *referring, TypographicStructure *glyph, int32_t position)
        : GraphEdge(referring->GetGraphElement(), glyph->GetGraphElement()), glyphPosition(position)
    {
    }

    int32_t GetGlyphPosition() const { return glyphPosition; }

    TypographicStructure *GetReferringStructure() const
    {
        return static_cast<StructureVertex *>(GetStartVertex())->GetStructure();
    }
    TypographicStructure *GetReferredStructure() const
    {
        return static_cast<StructureVertex *>(GetFinishVertex())->GetStructure();
    }

private:
    int32_t glyphPosition;
};

// Appends a feature tag's four bytes, the most significant first; a byte outside 0x20-0x7E as '?',
// so that the text stays one comment line.
void AppendTagText(TextString *text, uint32_t tag);

// Writes a uint32 list's values joined by ", ".
void WriteIntegerValues(TextOutputStream *stream, const uint32_t *values, int32_t count);

}  // namespace oq
