#include "base/Memory.h"
#include "vorl/text/GlyphMapping.h"

namespace oq {

TextRun *GetSharedTextRun()
{
    static TextRun *shared = nullptr;
    if (shared == nullptr)
    {
        // One block: the run record, then its four arrays at the fixed limits.
        size_t size = sizeof(TextRun) + sizeof(TextRunCharacter) * kTextRunCharacterEntries +
                      sizeof(TextRunGlyph) * kTextRunGlyphEntries + sizeof(TextLayoutState) * kTextRunMaxStates +
                      sizeof(float) * kTextRunMaxSegments;
        char *block = static_cast<char *>(MemoryAllocate(size));
        TextRun *run = reinterpret_cast<TextRun *>(block);
        char *next = block + sizeof(TextRun);
        run->states = reinterpret_cast<TextLayoutState *>(next);
        next += sizeof(TextLayoutState) * kTextRunMaxStates;
        run->characters = reinterpret_cast<TextRunCharacter *>(next);
        next += sizeof(TextRunCharacter) * kTextRunCharacterEntries;
        run->glyphs = reinterpret_cast<TextRunGlyph *>(next);
        next += sizeof(TextRunGlyph) * kTextRunGlyphEntries;
        run->segmentDirections = reinterpret_cast<float *>(next);
        run->characterCount = 0;
        run->glyphCount = 0;
        run->stateCount = 0;
        run->segmentCount = 0;
        shared = run;
    }
    return shared;
}

}  // namespace oq
