// Letters typed under a style key.
#include "editor/editing/Editor.h"

#include "editor/document/CharacterStyleMapping.h"
#include "vorl/text/MathStyleTable.h"

namespace oq {

namespace {

// The letter under the key: index 0-25 capitals, 26-51 small letters in both tables.
uint32_t MapLetter(uint32_t key, uint32_t letter, int32_t index, bool small, uint32_t *style)
{
    switch (key)
    {
    case 'uprt':
    case 'ital':
    case 'bold':
    case 'bitl':
    case 'mono':
        *style = key;
        return letter;
    case 'grek':
    case 'bdgk':
    {
        uint32_t greek = kGreekKeyboardTable[index];
        if (greek == 0) return letter;
        *style = !small ? key : key == 'grek' ? 'itgk' : 'bigk';
        return greek;
    }
    default:
        break;
    }
    int32_t column = GetMathAlphanumericColumn(key);
    if (column < 0) return letter;
    *style = key;
    return kMathStyleForms[column][index];
}

}  // namespace

uint32_t Editor::MapUppercaseLetter(uint32_t letter, uint32_t *style) const
{
    if (letter < 'A' || letter > 'Z') return letter;
    return MapLetter(styleKey, letter, int32_t(letter - 'A'), false, style);
}

uint32_t Editor::MapLowercaseLetter(uint32_t letter, uint32_t *style) const
{
    if (letter < 'a' || letter > 'z') return letter;
    return MapLetter(styleKey, letter, int32_t(letter - 'a') + 26, true, style);
}

}  // namespace oq
