#pragma once

#include "base/Array.h"
#include "base/TextString.h"

#include <cstdint>

namespace oq {

// Indexes of the option bytes of the preferences.
enum : int32_t
{
    kOptionRememberMode,
    kOptionRememberEquationColor,
    kOptionRememberDrawingColors,
    kOptionRememberToolState,
    kOptionRememberViewState,
    kOptionObfuscateRectangles,
    kOptionAlternativeText,
    kOptionAutoSubscripts,
    kOptionStrictFixedWidth,
    kOptionProportionalWidth,
    kOptionDotlessBase,
    kOptionAccentItalicShift,
    kOptionBoldAccents,
    kOptionBoldPrimes,
    kOptionGrowableIntegrals,
    kPreferenceOptionCount
};

// Indexes of the colours of the preferences.
enum : int32_t
{
    kColorSelection,
    kColorEmptyGroup,
    kColorInlineGroup,
    kColorMathSpace,
    kColorAligner,
    kColorPhantom,
    kColorEquationAnchor,
    kColorGroupAnchor,
    kColorSpecialAnchor,
    kColorDrawingAnchor,
    kColorAnnotationAnchor,
    kColorRailAnchor,
    kColorMathMode,
    kColorChemMode,
    kColorTextMode,
    kColorBackground,
    kPreferenceColorCount
};

constexpr int32_t kShortcutCount = 10;

// One option byte or colour: its settings key, the text the dialogs show and its factory value.
struct PreferenceOption
{
    uint32_t key;
    const char *text;
    bool factory;
};

struct PreferenceColor
{
    uint32_t key;
    const char *text;
    uint32_t factory;  // red in the low byte, alpha in the high byte
};

extern const PreferenceOption kPreferenceOptions[kPreferenceOptionCount];
extern const PreferenceColor kPreferenceColors[kPreferenceColorCount];

// Factory standard function names and their count.
extern const char *const kFactoryFunctionNames[];
constexpr int32_t kFactoryFunctionNameCount = 15;

constexpr uint32_t kFactoryInsertCharacter = 0x00D7;

// The editor's configuration that belongs to no document: what it remembers between runs, export
// and clipboard choices, defaults for new structures, colours of editing aids, the user's
// character shortcuts and the standard function names.
class Preferences
{
public:
    // Factory values, no shortcuts.
    Preferences();
    Preferences(const Preferences &) = delete;
    Preferences &operator=(const Preferences &) = delete;

    // Options, the three choices and the colours take their factory values; unless the
    // shortcuts are kept, the shortcuts are cleared and the function names reset too.
    void SetDefaults(bool keepShortcuts);
    // Copies every field, the function names included.
    void CopyFrom(const Preferences &other);
    // Whether the function names are exactly the factory ones in order.
    bool HasFactoryFunctionNames() const;

    bool options[kPreferenceOptionCount];
    uint32_t insertCharacter;        // 'char': last code point of the Insert Character dialog
    uint32_t clipboardFormat;        // 'clpf': 'ltex' or 'mtml'
    uint32_t alternativeTextFormat;  // 'altf'
    uint32_t colors[kPreferenceColorCount];
    uint32_t shortcuts[kShortcutCount];  // 'cut0'..'cut9'; 0 is none
    Array<TextString> functionNames;
};

// Whether the value is a Unicode scalar value or 0 (the values a shortcut or 'char' may hold).
constexpr bool IsShortcutCharacter(uint32_t value)
{
    return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

}  // namespace oq
