#pragma once

#include <cstdint>

#include "vorl/text/TextMeasure.h"

namespace oq {

// What one step of a pen walk met.
enum RunStepKind : uint32_t
{
    kRunStepVisible = 'VISI',       // advances (a measured soft hyphen included)
    kRunStepPlaceholder = 'PLAC',
    kRunStepTab = 'TAB ',           // a tab that jumped to a tab stop
    kRunStepControl = 'CTRL',       // an unmeasured control or format character
    kRunStepMark = 'MARK'
};

// The pen walk that every run query shares: one glyph per Next, with the pen refreshed at each
// state, segment or font boundary. Measuring walks run with direction +1; placing walks follow
// the segment directions and lay right-to-left segments out backwards from their far edge.
class RunPenWalk
{
public:
    // segmentWidths (indexed by segment) is read only by placing walks of bidirectional runs.
    RunPenWalk(const TextRun *run, const GlyphRange *range, const TextFont *fonts, bool placeSegments,
               const float *segmentWidths);

    // Walks the next glyph; false at the end of the range or at the run's end entry.
    bool Next();

    // The first glyph after the walk; the pen holds its final position.
    int32_t GetEndIndex() const { return index; }
    // Text offset after the characters of the walked glyphs (the start when none were).
    int32_t GetEndOffset() const;

    const TextRun *run;
    const TextFont *fonts;
    GlyphPen pen;
    float baseSign;
    int32_t first;
    int32_t last;                   // inclusive, below the run's glyph count
    float justificationSpace;
    bool addJustification;          // segment measurement, caret placement and hit testing

    // The glyph of the last step.
    int32_t glyphIndex;
    const TextRunGlyph *glyph;
    const TextRunCharacter *character;
    const TextLayoutState *state;
    const VorlFontRecord *font;
    const VorlGlyphRecord *record;  // null for a placeholder
    uint32_t kind;
    bool newStretch;                // a state, segment or font boundary (or the first glyph)
    bool newSegment;
    float segmentDirection;         // the run's direction of the glyph's segment
    float leading;                  // pen x where the glyph starts, after kerning
    float extent;                   // pen x + x offset after the advance (no tracking)
    float advance;                  // the glyph's own advance (with kerning and justification)
    float previousSegmentEnd;       // pen x where the previous segment ended

private:
    void EnterSegment(int32_t segment);
    void LeaveSegment();

    int32_t index;
    int32_t segment;
    const float *segmentWidths;
    bool placeSegments;
    bool vertical;
    float farEdge;                  // of a right-to-left segment being placed
    bool backwards;
};

// Offset after the characters a glyph stands for.
int32_t GetGlyphTextEnd(const TextRun *run, const TextRunGlyph &glyph);

}  // namespace oq
