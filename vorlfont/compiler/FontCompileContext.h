#pragma once

#include "base/Array.h"
#include "base/List.h"
#include "vorl/text/VorlFileFontRecord.h"

#include <cstdint>

namespace oq {

class FontStructure;

// The values of one font's data block, taken from its Font (a member Font holds its own).
struct FontDataValues
{
    FontDataLineItem metrics = {};
    FontDataLineItem typoMetrics = {};
    FontDataHeightItem heights = {};
    float mathAxisHeight = 0.0f;
    FontDataBoxItem boxes = {};
    FontDataScriptItem subscript = {};
    FontDataScriptItem superscript = {};
    FontDataClassItem classes = {};
    float slantAngle = 0.0f;
    FontDataDecorationItem underline = {};
    FontDataDecorationItem strikethrough = {};
    FontDataPolygonItem polygon = {};
    FontDataOutlineItem outline = {};
};

// Largest number of directory entries of one font.
inline constexpr uint32_t kMaxFontDataEntries = 15;
// Blocks of 256 code points.
inline constexpr uint32_t kCharacterBlockCount = 0x110000 / 256;

// One font record of the file being compiled: its Font, the data block and character map made
// for it, and the record image that the layout fills.
class FontCompileContext : public ListElement
{
public:
    const FontStructure *font = nullptr;
    const FontStructure *glyphFont = nullptr;  // the Font whose glyphs it uses (a member's parent)
    uint32_t recordPosition = 0;               // 80 + 104 x context number

    FontDataValues values;
    const char *familyName = nullptr;  // UTF-8 without its NUL, or null
    uint32_t familyLength = 0;
    const char *styleName = nullptr;
    uint32_t styleLength = 0;

    // The directory and its items, as written (a multiple of 4 bytes).
    uint32_t directoryCount = 0;
    Array<uint8_t> dataBlock;

    // The character map: page-index entries, then pageCount pages of 256 glyph numbers.
    Array<int16_t> pageIndex;
    Array<uint32_t> pages;
    uint8_t blockMapped[kCharacterBlockCount] = {};

    VorlFontRecord record = {};
};

// Builds the context's FontDataDirectory and its items into its data block, with the items the
// options ask for (FontCompileFlags), in directory order.
void BuildFontDataDirectory(FontCompileContext *context, uint32_t flags);

// The character map of a font that maps no code point: one page-index entry, -1, and no pages.
void SetEmptyCharacterMap(FontCompileContext *context);

}  // namespace oq
