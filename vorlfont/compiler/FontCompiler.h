#pragma once

#include "base/Array.h"
#include "base/List.h"
#include "vorl/text/OutputSink.h"
#include "vorl/text/VorlFileWriter.h"
#include "vorlfont/compiler/CharacterInclusionMap.h"
#include "vorlfont/compiler/FontCompileContext.h"
#include "vorlfont/compiler/FontGlyphData.h"
#include "vorlfont/compiler/GlyphSelection.h"

#include <cstdint>

namespace oq {

class AmbrelDocument;
class FontStructure;
struct FeatureListTarget;

// Compiles one Font of an Ambrel document (one font record per member of a collection) into a
// Vorl font file written through an output sink. Constructed, run once and destroyed; the compile
// changes the document (synthesized features).
class FontCompiler
{
public:
    // The inclusion map of the ranges, with the always-compiled characters.
    FontCompiler(AmbrelDocument *document, uint32_t flags, const CodePointRange *include, int32_t includeCount,
                 const CodePointRange *exclude, int32_t excludeCount);
    // The first min(count, 0x110000) bytes of the map given, the rest zero.
    FontCompiler(AmbrelDocument *document, uint32_t flags, uint32_t count, const uint8_t *map);
    // Exactly the listed code points.
    FontCompiler(AmbrelDocument *document, uint32_t flags, int32_t count, const uint32_t *codePoints);
    FontCompiler(const FontCompiler &) = delete;
    FontCompiler &operator=(const FontCompiler &) = delete;

    // Compiles the Font at the index of the document's font list and writes the file. Returns 0;
    // 'IFID' when there is no such Font (nothing written); 'SIZE' when a texture or a packed field
    // runs out of room or the file would pass 4 GiB; 'MEMY' when a working buffer cannot be had
    // (nothing written in either case); 'WRIT' when the sink refused any block.
    [[nodiscard]] uint32_t CompileAndWrite(OutputSink *sink, const VorlHeaderStart *start, int32_t fontIndex);

    // For a run that needs the document's outlines no more after the compile: each glyph's curves
    // are freed once its textures are built, and the geometry curves before that.
    void SetReleaseOutlines(bool release) { releaseOutlines = release; }

    const CharacterInclusionMap &GetInclusionMap() const { return inclusionMap; }
    // The glyphs the last compile kept and their new numbers.
    const GlyphSelection &GetGlyphSelection() const { return glyphSelection; }

    // The steps of CompileAndWrite in order, public so that each can be timed alone; each returns
    // 0 or its failure code, and runs only after the steps before it succeeded.
    // The Font at the index ('IFID' when none), its contexts and the feature synthesis.
    [[nodiscard]] uint32_t PrepareFont(int32_t fontIndex);
    [[nodiscard]] uint32_t SelectGlyphs();
    // The working buffers, the decorations, every glyph's curves and bands.
    [[nodiscard]] uint32_t BuildGlyphs();
    // Every list by its writer's two passes; 'SIZE' also when a writing pass disagrees with its count.
    [[nodiscard]] uint32_t BuildLists();
    // The font boxes and data items, the layout, the textures and every byte through the sink.
    [[nodiscard]] uint32_t WriteFile(OutputSink *sink, const VorlHeaderStart *start);

private:
    void BuildContexts(FontStructure *font);
    void FillContext(FontCompileContext *context) const;
    void AddDecorations();
    // Both anchor lists or neither, by the two passes of WriteAnchors.
    [[nodiscard]] uint32_t BuildAnchorLists(const FeatureListTarget &target);

    AmbrelDocument *document;
    uint32_t flags;
    CharacterInclusionMap inclusionMap;
    bool releaseOutlines = false;

    // Working data of one compile.
    List contexts;
    uint32_t selectedCount = 0;
    // The selected glyph indexes in new-number order, and the new number of every glyph of the
    // glyph-source Font (0 for a glyph not selected).
    Array<uint32_t> selection;
    Array<int32_t> newNumbers;
    GlyphSelection glyphSelection;
    FontGlyphData glyphData;
};

}  // namespace oq
