#include "editor/fonts/Preferences.h"

#include "base/TextUtils.h"

namespace oq {

const PreferenceOption kPreferenceOptions[kPreferenceOptionCount] = {
    {'edmd', "Remember editor mode (MATH, CHEM, TEXT)", false},
    {'ecol', "Remember equation color", true},
    {'dcol', "Remember drawing colors", true},
    {'tool', "Remember drawing tool state", true},
    {'view', "Remember view state", true},
    {'drct', "Obfuscate rectangular paths", false},
    {'altt', "Generate alternative text:", false},
    {'asub', "Enable auto subscripts", false},
    {'tbfg', "Strict fixed width", false},
    {'ppfg', "Proportional width", false},
    {'mdls', "Enable dotless base symbols by default", true},
    {'mksl', "Enable accent mark italic shift by default", true},
    {'mkbd', "Enable bold accent marks by default", true},
    {'prbd', "Enable bold primes by default", true},
    {'gint', "Enable growable inetgrals by default", false},
};

const PreferenceColor kPreferenceColors[kPreferenceColorCount] = {
    {'sltc', "Selection color", 0xFFFFCF89},
    {'grpc', "Empty group color", 0xFF9AD983},
    {'stkc', "Inline group color", 0xFF50C0FF},
    {'spcc', "Math space color", 0xFFFFC980},
    {'alnc', "Aligner color", 0xFF6060FF},
    {'phnc', "Phantom color", 0xFFD667A2},
    {'eqac', "Equation anchor color", 0xFFFF8000},
    {'grac', "Group anchor color", 0xFF7EB36B},
    {'stac', "Special anchor color", 0xFFD667A2},
    {'drac', "Drawing anchor color", 0xFF2040E0},
    {'anac', "Annotation anchor color", 0xFFFF8000},
    {'lnac', "Rail anchor color", 0xFFA1E489},
    {'mthc', "Math mode color", 0xFF9AE883},
    {'chmc', "Chem mode color", 0xFFFFD983},
    {'txtc', "Text mode color", 0xFF9AD9FF},
    {'back', "Editor background color", 0xFFFFFFFF},
};

const char *const kFactoryFunctionNames[kFactoryFunctionNameCount] = {
    "tr", "lim", "inf", "sup", "det", "adj", "arg", "gcd", "lcm", "hom", "ker", "mod", "sgn", "sinc", "grad"};

Preferences::Preferences() { SetDefaults(false); }

void Preferences::SetDefaults(bool keepShortcuts)
{
    for (int32_t i = 0; i < kPreferenceOptionCount; ++i) options[i] = kPreferenceOptions[i].factory;
    insertCharacter = kFactoryInsertCharacter;
    clipboardFormat = 'ltex';
    alternativeTextFormat = 'mtml';
    for (int32_t i = 0; i < kPreferenceColorCount; ++i) colors[i] = kPreferenceColors[i].factory;
    if (keepShortcuts) return;
    for (uint32_t &shortcut : shortcuts) shortcut = 0;
    functionNames.SetElementCount(kFactoryFunctionNameCount);
    for (int32_t i = 0; i < kFactoryFunctionNameCount; ++i) functionNames[i] = kFactoryFunctionNames[i];
}

void Preferences::CopyFrom(const Preferences &other)
{
    if (&other == this) return;
    for (int32_t i = 0; i < kPreferenceOptionCount; ++i) options[i] = other.options[i];
    insertCharacter = other.insertCharacter;
    clipboardFormat = other.clipboardFormat;
    alternativeTextFormat = other.alternativeTextFormat;
    for (int32_t i = 0; i < kPreferenceColorCount; ++i) colors[i] = other.colors[i];
    for (int32_t i = 0; i < kShortcutCount; ++i) shortcuts[i] = other.shortcuts[i];
    int32_t count = other.functionNames.GetElementCount();
    functionNames.SetElementCount(count);
    for (int32_t i = 0; i < count; ++i) functionNames[i] = other.functionNames[i];
}

bool Preferences::HasFactoryFunctionNames() const
{
    if (functionNames.GetElementCount() != kFactoryFunctionNameCount) return false;
    for (int32_t i = 0; i < kFactoryFunctionNameCount; ++i)
    {
        if (!CompareText(functionNames[i], kFactoryFunctionNames[i])) return false;
    }
    return true;
}

}  // namespace oq
