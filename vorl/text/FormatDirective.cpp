#include "vorl/text/FormatDirective.h"

#include <cstring>

#include "base/Memory.h"
#include "base/TextUtils.h"
#include "kettric/KettricLiterals.h"

namespace oq {

namespace {

enum DirectiveId : uint8_t
{
    kColor, kColor2, kColorF, kColorF2, kGCoord, kGrad,
    kFont, kSize, kStretch, kTrack, kSkew, kScale, kOffset,
    kLeft, kRight, kCenter, kLead, kPSpace, kMargin, kIndent, kTab,
    kOptionOff,         // option bit cleared by true, set by false
    kOptionOn,          // option bit set by true, cleared by false
    kSequenceBit,       // sequenceMask bit
    kAlternateBit,      // alternateMask bit
    kAlternateGroup,    // alternateMask bit that clears the others of its exclusive group when set
    kStyle, kMath, kUnder, kStrike, kScript, kReset
};

enum ArgumentType : uint8_t
{
    kNoArgument, kBoolArgument, kUIntArgument, kIntArgument, kFloatArgument
};

// One entry of the directive table.
struct DirectiveInfo
{
    const char *name;
    DirectiveId id;
    ArgumentType argumentType;
    uint8_t required;
    uint8_t optional;
    uint8_t changedFlags;
    uint32_t classBit;
    uint32_t bit;       // the option or mask bit that the generic kinds change
    uint32_t group;     // the other bits of an exclusive group
};

constexpr uint32_t kFigureCase = 0x10000 | 0x20000;
constexpr uint32_t kFigureWidth = 0x40000 | 0x80000;
constexpr uint32_t kScriptForms = 0x100000 | 0x200000 | 0x400000 | 0x800000;

// The paint directives come first: only they accept the "shadow_" and "outline_" prefixes.
const DirectiveInfo kDirectives[] = {
    {"color", kColor, kUIntArgument, 3, 1, 0x08, kDirectiveClassColor, 0, 0},
    {"color2", kColor2, kUIntArgument, 3, 1, 0x08, kDirectiveClassColor, 0, 0},
    {"colorf", kColorF, kFloatArgument, 3, 1, 0x08, kDirectiveClassColor, 0, 0},
    {"colorf2", kColorF2, kFloatArgument, 3, 1, 0x08, kDirectiveClassColor, 0, 0},
    {"gcoord", kGCoord, kFloatArgument, 2, 0, 0x08, kDirectiveClassGradient, 0, 0},
    {"grad", kGrad, kBoolArgument, 1, 0, 0x08, kDirectiveClassGradient, 0, 0},
    {"font", kFont, kUIntArgument, 1, 0, 0x38, kDirectiveClassFont, 0, 0},
    {"size", kSize, kFloatArgument, 1, 0, 0x38, kDirectiveClassSize, 0, 0},
    {"stretch", kStretch, kFloatArgument, 1, 0, 0x30, kDirectiveClassStretch, 0, 0},
    {"track", kTrack, kFloatArgument, 1, 0, 0, kDirectiveClassTracking, 0, 0},
    {"skew", kSkew, kFloatArgument, 1, 0, 0x38, kDirectiveClassSkew, 0, 0},
    {"scale", kScale, kFloatArgument, 1, 1, 0x30, kDirectiveClassScale, 0, 0},
    {"offset", kOffset, kFloatArgument, 2, 0, 0x30, kDirectiveClassOffset, 0, 0},
    {"left", kLeft, kNoArgument, 0, 0, 0, kDirectiveClassAlignment, 0, 0},
    {"right", kRight, kNoArgument, 0, 0, 0, kDirectiveClassAlignment, 0, 0},
    {"center", kCenter, kNoArgument, 0, 0, 0, kDirectiveClassAlignment, 0, 0},
    {"just", kOptionOn, kBoolArgument, 1, 0, 0, kDirectiveClassAlignment, kTextOptionJustify, 0},
    {"lead", kLead, kFloatArgument, 1, 0, 0, kDirectiveClassLeading, 0, 0},
    {"pspace", kPSpace, kFloatArgument, 1, 0, 0, kDirectiveClassParagraph, 0, 0},
    {"margin", kMargin, kFloatArgument, 1, 1, 0, kDirectiveClassParagraph, 0, 0},
    {"indent", kIndent, kFloatArgument, 1, 0, 0, kDirectiveClassParagraph, 0, 0},
    {"tab", kTab, kFloatArgument, 1, 0, 0x30, kDirectiveClassTabWidth, 0, 0},
    {"kern", kOptionOff, kBoolArgument, 1, 0, 0x10, kDirectiveClassKerning, kTextOptionNoKerning, 0},
    {"mark", kOptionOff, kBoolArgument, 1, 0, 0x20, kDirectiveClassMarks, kTextOptionNoMarks, 0},
    {"decomp", kOptionOff, kBoolArgument, 1, 0, 0, kDirectiveClassDecomposition, kTextOptionNoDecomposition, 0},
    {"seq", kOptionOff, kBoolArgument, 1, 0, 0, kDirectiveClassSequences, kTextOptionNoSequences, 0},
    {"comp", kSequenceBit, kBoolArgument, 1, 0, 0, kDirectiveClassSequences, 0x1, 0},
    {"slig", kSequenceBit, kBoolArgument, 1, 0, 0, kDirectiveClassSequences, 0x2, 0},
    {"rlig", kSequenceBit, kBoolArgument, 1, 0, 0, kDirectiveClassSequences, 0x4, 0},
    {"dlig", kSequenceBit, kBoolArgument, 1, 0, 0, kDirectiveClassSequences, 0x8, 0},
    {"hlig", kSequenceBit, kBoolArgument, 1, 0, 0, kDirectiveClassSequences, 0x10, 0},
    {"afrc", kSequenceBit, kBoolArgument, 1, 0, 0, kDirectiveClassSequences, 0x100, 0},
    {"alt", kOptionOff, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, kTextOptionNoAlternates, 0},
    {"historical", kAlternateBit, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x2, 0},
    {"smallcap", kAlternateBit, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x4, 0},
    {"capsmall", kAlternateBit, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x8, 0},
    {"titling", kAlternateBit, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x10, 0},
    {"unicase", kAlternateBit, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x20, 0},
    {"caseform", kAlternateBit, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x40, 0},
    {"slashzero", kAlternateBit, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x80, 0},
    {"hyphenminus", kAlternateBit, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x100, 0},
    {"frac", kAlternateBit, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x200, 0},
    {"dtls", kAlternateBit, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x400, 0},
    {"style", kStyle, kUIntArgument, 1, 0, 0, kDirectiveClassAlternates, 0, 0},
    {"math", kMath, kUIntArgument, 1, 0, 0, kDirectiveClassAlternates, 0, 0},
    {"lining", kAlternateGroup, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x10000, kFigureCase},
    {"oldstyle", kAlternateGroup, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x20000, kFigureCase},
    {"tabfig", kAlternateGroup, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x40000, kFigureWidth},
    {"propfig", kAlternateGroup, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x80000, kFigureWidth},
    {"sub", kAlternateGroup, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x100000, kScriptForms},
    {"sup", kAlternateGroup, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x200000, kScriptForms},
    {"inf", kAlternateGroup, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x400000, kScriptForms},
    {"ord", kAlternateGroup, kBoolArgument, 1, 0, 0, kDirectiveClassAlternates, 0x800000, kScriptForms},
    {"lay", kOptionOff, kBoolArgument, 1, 0, 0, kDirectiveClassLayers, kTextOptionNoLayers, 0},
    {"laymul", kOptionOn, kBoolArgument, 1, 0, 0, kDirectiveClassLayers, kTextOptionLayerMultiply, 0},
    {"under", kUnder, kBoolArgument, 1, 0, 0, kDirectiveClassDecorations, 0, 0},
    {"strike", kStrike, kBoolArgument, 1, 0, 0, kDirectiveClassDecorations, 0, 0},
    {"script", kScript, kIntArgument, 1, 0, 0, kDirectiveClassScriptLevel, 0, 0},
    {"grid", kOptionOn, kBoolArgument, 1, 0, 0x10, kDirectiveClassGrid, kTextOptionGrid, 0},
    {"reset", kReset, kNoArgument, 0, 0, 0x38, 0, 0, 0},
};

constexpr int32_t kDirectiveCount = int32_t(sizeof(kDirectives) / sizeof(kDirectives[0]));
static_assert(kDirectiveCount == 60, "directive table");

bool StartsWith(const char *name, int32_t length, const char *prefix)
{
    int32_t prefixLength = int32_t(std::strlen(prefix));
    return length >= prefixLength && std::memcmp(name, prefix, size_t(prefixLength)) == 0;
}

// The directive named by an identifier (prefix already removed), or null.
const DirectiveInfo *FindDirective(const char *name, int32_t length, bool prefixed)
{
    if (StartsWith(name, length, "color"))
    {
        if (length == 5) return &kDirectives[kColor];
        if (length == 6 && name[5] == '2') return &kDirectives[kColor2];
        if (length == 6 && name[5] == 'f') return &kDirectives[kColorF];
        if (length == 7 && name[5] == 'f' && name[6] == '2') return &kDirectives[kColorF2];
        return nullptr;
    }
    if (StartsWith(name, length, "gcoord")) return &kDirectives[kGCoord];
    if (StartsWith(name, length, "grad")) return &kDirectives[kGrad];
    if (prefixed) return nullptr;
    for (const DirectiveInfo &directive : kDirectives)
    {
        // The identifier holds no NUL, so a shorter table name stops the comparison at its end.
        int32_t i = 0;
        while (i < length && directive.name[i] == name[i]) i++;
        if (i == length && directive.name[i] == 0) return &directive;
    }
    return nullptr;
}

// The argument values of one item.
struct DirectiveArguments
{
    int32_t count;
    bool boolValue;
    int32_t intValue;
    uint32_t uintValues[4];
    float floatValues[4];
};

bool ReadArgument(const char **cursor, ArgumentType type, DirectiveArguments *arguments)
{
    int32_t index = arguments->count;
    KettricResult result = 0;
    switch (type)
    {
    case kBoolArgument: result = ReadKettricBool(cursor, &arguments->boolValue); break;
    case kUIntArgument: result = ReadKettricUInt32(cursor, &arguments->uintValues[index]); break;
    case kIntArgument: result = ReadKettricInt32(cursor, &arguments->intValue); break;
    case kFloatArgument: result = ReadKettricFloat(cursor, &arguments->floatValues[index]); break;
    case kNoArgument: return false;
    }
    if (result != 0) return false;
    arguments->count = index + 1;
    return true;
}

void SetBit(uint32_t *word, uint32_t bit, bool on)
{
    if (on)
    {
        *word |= bit;
    }
    else
    {
        *word &= ~bit;
    }
}

// Applies one item whose arguments were read; false when a guarded value leaves the state alone.
bool ApplyDirective(const DirectiveInfo &directive, const DirectiveArguments &arguments, TextPaint *paint,
                    const TextLayoutState *base, TextLayoutState *target)
{
    const uint32_t *u = arguments.uintValues;
    const float *f = arguments.floatValues;
    bool on = arguments.boolValue;
    switch (directive.id)
    {
    case kColor:
    case kColor2:
    {
        uint32_t alpha = (arguments.count > 3) ? u[3] : 255;
        if (u[0] > 255 || u[1] > 255 || u[2] > 255 || alpha > 255) return false;
        ColorRGBA color{kSrgbByteToLinear[u[0]], kSrgbByteToLinear[u[1]], kSrgbByteToLinear[u[2]],
                        float(alpha) * (1.0F / 255.0F)};
        ((directive.id == kColor) ? paint->color : paint->gradientColor) = color;
        return true;
    }
    case kColorF:
    case kColorF2:
    {
        ColorRGBA color{f[0], f[1], f[2], (arguments.count > 3) ? f[3] : 1.0F};
        ((directive.id == kColorF) ? paint->color : paint->gradientColor) = color;
        return true;
    }
    case kGCoord:
        paint->gradientStart = f[0];
        paint->gradientEnd = f[1];
        return true;
    case kGrad: paint->gradient = on; return true;
    case kFont: target->fontNumber = u[0]; return true;
    case kSize:
        if (!(f[0] > 0.0F)) return false;
        target->size = f[0];
        return true;
    case kStretch:
        if (!(f[0] > 0.0F)) return false;
        target->stretch = f[0];
        return true;
    case kTrack: target->tracking = f[0]; return true;
    case kSkew: target->skew = f[0]; return true;
    case kScale:
    {
        float y = (arguments.count > 1) ? f[1] : f[0];
        if (!(f[0] > 0.0F) || !(y > 0.0F)) return false;
        target->scale[0] = f[0];
        target->scale[1] = y;
        return true;
    }
    case kOffset:
        target->offset[0] = f[0];
        target->offset[1] = f[1];
        return true;
    case kLeft: target->alignment = 'LEFT'; return true;
    case kRight: target->alignment = 'RGHT'; return true;
    case kCenter: target->alignment = 'CENT'; return true;
    case kLead: target->leading = f[0]; return true;
    case kPSpace: target->paragraphSpacing = f[0]; return true;
    case kMargin:
        target->leftMargin = f[0];
        target->rightMargin = (arguments.count > 1) ? f[1] : f[0];
        return true;
    case kIndent: target->indent = f[0]; return true;
    case kTab:
        if (!(f[0] > 0.0F)) return false;
        target->tabWidth = f[0];
        return true;
    case kOptionOff: SetBit(&target->optionFlags, directive.bit, !on); return true;
    case kOptionOn: SetBit(&target->optionFlags, directive.bit, on); return true;
    case kSequenceBit: SetBit(&target->sequenceMask, directive.bit, on); return true;
    case kAlternateBit: SetBit(&target->alternateMask, directive.bit, on); return true;
    case kAlternateGroup:
        if (on) target->alternateMask &= ~directive.group;
        SetBit(&target->alternateMask, directive.bit, on);
        return true;
    case kStyle:
        if (u[0] > 20) return false;
        if (u[0] == 0)
        {
            target->alternateMask &= ~0x1U;
            return true;
        }
        target->alternateSelector = u[0];
        target->alternateMask = (target->alternateMask | 0x1U) & ~0x800U;
        return true;
    case kMath:
        if (u[0] > 13) return false;
        if (u[0] == 0)
        {
            target->alternateMask &= ~0x800U;
            return true;
        }
        target->alternateSelector = u[0];
        target->alternateMask = (target->alternateMask | 0x800U) & ~0x1U;
        return true;
    case kUnder: target->underline = on; return true;
    case kStrike: target->strikethrough = on; return true;
    case kScript: target->scriptLevel = arguments.intValue; return true;
    case kReset:
    {
        const TextLayoutState *reset = (base->resetState != nullptr) ? base->resetState : base;
        if (reset != target) CopyTextLayoutState(target, reset);
        return true;
    }
    }
    return false;
}

const char *SkipWhitespace(const char *text)
{
    return text + SkipKettricWhitespace(text);
}

// Parses one item from just after its "(" and the white space there; returns the cursor after it
// (after its ")" and white space when it has one).
const char *ParseItem(const TextLayoutState *base, const char *name, int32_t nameLength, const char *cursor,
                      TextLayoutState *target, uint32_t *changedFlags)
{
    TextPaint *paint = &target->fillPaint;
    bool prefixed = false;
    if (StartsWith(name, nameLength, "shadow_"))
    {
        paint = &target->shadowPaint;
        prefixed = true;
        name += 7;
        nameLength -= 7;
    }
    else if (StartsWith(name, nameLength, "outline_"))
    {
        paint = &target->outlinePaint;
        prefixed = true;
        name += 8;
        nameLength -= 8;
    }

    const DirectiveInfo *directive = FindDirective(name, nameLength, prefixed);
    if (directive != nullptr)
    {
        DirectiveArguments arguments{};
        bool read = true;
        int32_t total = directive->required + directive->optional;
        for (int32_t index = 0; index < total; index++)
        {
            if (index > 0)
            {
                if (*cursor != ',')
                {
                    read = (index >= directive->required);
                    break;
                }
                cursor = SkipWhitespace(cursor + 1);
            }
            if (!ReadArgument(&cursor, directive->argumentType, &arguments))
            {
                read = false;
                break;
            }
        }
        if (read && *cursor == ')')
        {
            bool allowed = (directive->classBit == 0) || (target->directiveMask & directive->classBit) != 0;
            if (allowed && ApplyDirective(*directive, arguments, paint, base, target))
            {
                *changedFlags |= directive->changedFlags;
            }
        }
    }
    if (*cursor == ')') cursor = SkipWhitespace(cursor + 1);
    return cursor;
}

// Parses a block at start ("{#") in NUL-terminated text; returns the bytes consumed.
int32_t ParseBlock(const TextLayoutState *base, const char *start, TextLayoutState *target,
                   uint32_t *changedFlags)
{
    const char *cursor = SkipWhitespace(start + 2);
    for (;;)
    {
        if (*cursor == '}') return int32_t(cursor + 1 - start);
        if (*cursor == 0) return int32_t(cursor - start);

        int32_t nameLength = 0;
        if (ParseKettricIdentifier(cursor, &nameLength) == 0)
        {
            const char *name = cursor;
            cursor = SkipWhitespace(cursor + nameLength);
            if (*cursor == '(')
            {
                cursor = SkipWhitespace(cursor + 1);
                cursor = ParseItem(base, name, nameLength, cursor, target, changedFlags);
            }
        }

        if (*cursor == ';')
        {
            cursor = SkipWhitespace(cursor + 1);
            continue;
        }
        while (*cursor != 0 && *cursor != '}') cursor++;
        return int32_t(cursor - start) + ((*cursor == '}') ? 1 : 0);
    }
}

// Copies up to limit bytes, stopping at a NUL, and terminates the copy; returns the bytes copied.
int32_t CopyBounded(const char *text, int32_t limit, char *buffer)
{
    int32_t count = 0;
    while (count < limit && text[count] != 0)
    {
        buffer[count] = text[count];
        count++;
    }
    buffer[count] = 0;
    return count;
}

// Whether a character literal opened before the consumed point could have run into the end of a
// cut copy (its reader then saw the copy's NUL instead of the text that follows). Walks backwards
// keeping, for the next two positions, whether a literal body scanned from there reaches the end.
bool LiteralReachesEnd(const char *buffer, int32_t copied, int32_t consumed)
{
    bool reachNext = true;
    bool reachAfterNext = true;
    for (int32_t i = copied - 1; i >= 0; i--)
    {
        unsigned char byte = static_cast<unsigned char>(buffer[i]);
        if (byte == '\'' && i < consumed && reachNext) return true;
        bool reach = reachNext;
        if (byte == '\'' || byte < 0x20 || byte > 0x7E)
        {
            reach = false;
        }
        else if (byte == '\\')
        {
            reach = (i + 1 >= copied) || reachAfterNext;
        }
        reachAfterNext = reachNext;
        reachNext = reach;
    }
    return false;
}

}  // namespace

int32_t ParseFormatDirective(const TextLayoutState *base, const char *text, int32_t length,
                             TextLayoutState *target, uint32_t *changedFlags)
{
    // The literal readers need NUL-terminated text, so the block is parsed from a terminated copy
    // of the remaining bytes. The copy starts small and grows only when the parse may have seen
    // its end: when it consumed the whole copy (every scan but a failed character literal ends
    // there once it meets the NUL), or when a character literal might straddle the end.
    int32_t remaining = int32_t(uint32_t(length) & 0x7FFFFFFFU);
    if (remaining < 2) return (remaining == 1 && text[0] != 0) ? 1 : 0;

    char localBuffer[256];
    char *buffer = localBuffer;
    int32_t chunk = 63;
    TextLayoutState saved;
    uint32_t savedFlags = *changedFlags;
    bool stateSaved = false;
    for (;;)
    {
        int32_t limit = (remaining < chunk) ? remaining : chunk;
        if (buffer == localBuffer && limit >= int32_t(sizeof(localBuffer)))
        {
            buffer = static_cast<char *>(MemoryAllocate(size_t(limit) + 1));
        }
        int32_t copied = CopyBounded(text, limit, buffer);
        bool cut = (copied == limit && limit < remaining);
        if (cut && !stateSaved)
        {
            CopyTextLayoutState(&saved, target);
            stateSaved = true;
        }

        int32_t consumed = (copied < 2) ? copied : ParseBlock(base, buffer, target, changedFlags);
        bool exact = !cut || (consumed < copied && !LiteralReachesEnd(buffer, copied, consumed));
        if (buffer != localBuffer)
        {
            MemoryRelease(buffer);
            buffer = localBuffer;
        }
        if (exact) return consumed;

        // The parse ran into the end of the copy: undo it and try again with a longer copy.
        CopyTextLayoutState(target, &saved);
        *changedFlags = savedFlags;
        chunk = (chunk > remaining / 4) ? remaining : chunk * 4 + 3;
    }
}

void ApplyTextFormatDirectives(const TextLayoutState *state, const char *text, int32_t length,
                               TextLayoutState *result)
{
    CopyTextLayoutState(result, state);
    int32_t remaining = int32_t(uint32_t(length) & 0x7FFFFFFFU);
    while (remaining > 0)
    {
        // Plain text up to the next block; a NUL ends the text. A block marker never lies inside a
        // multi-byte character, so stepping byte by byte lands where character steps would.
        bool directives = (result->optionFlags & kTextOptionDirectives) != 0;
        int32_t plain = 0;
        while (plain < remaining)
        {
            char c = text[plain];
            if (c == 0) return;
            if (directives && c == '{' && plain + 1 < remaining && text[plain + 1] == '#') break;
            plain++;
        }
        text += plain;
        remaining -= plain;
        if (remaining == 0) return;

        uint32_t discarded = 0;
        int32_t consumed = ParseFormatDirective(state, text, remaining, result, &discarded);
        text += consumed;
        remaining -= consumed;
    }
}

int32_t DecodeUtf8Bounded(const char *text, int32_t remaining, uint32_t *codePoint)
{
    if (remaining >= 4) return DecodeUtf8(text, codePoint);
    char bytes[5] = {};
    for (int32_t i = 0; i < remaining; i++) bytes[i] = text[i];
    return DecodeUtf8(bytes, codePoint);
}

}  // namespace oq
