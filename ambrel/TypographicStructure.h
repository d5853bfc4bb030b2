#pragma once

#include "ambrel/AmbrelStructure.h"
#include "base/Graph.h"

#include <cstdint>

namespace oq {

// Base of the font structures: a vertex of the glyph reference graph, whose edges go from a
// referring structure to the Glyph it names. Destroying either end deletes the edges.
class TypographicStructure : public AmbrelStructure
{
public:
    explicit TypographicStructure(uint32_t type) : AmbrelStructure(type) { baseStructureType = kAmbrelTypographicBase; }

    // Adds the amount to every glyph index held; the base passes it to the typographic substructures.
    virtual void OffsetGlyphIndices(int32_t amount);
    // Appends a description of the structure; true when it is a list the caller puts in parentheses.
    virtual bool GetDescription(TextString *text, uint32_t depth, int32_t position) const;

    GraphElement *GetGraphElement() { return &graphElement; }
    const GraphElement *GetGraphElement() const { return &graphElement; }

private:
    GraphElement graphElement;
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

private:
    int32_t glyphPosition;
};

}  // namespace oq
