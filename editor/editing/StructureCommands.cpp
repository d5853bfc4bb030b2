// The structure command ids and the characters typing turns into structures.
#include "editor/editing/Editor.h"

#include "editor/structures/BoxNode.h"
#include "editor/structures/FractionNode.h"
#include "editor/structures/WideMarkOutlines.h"

namespace oq {

namespace {

// One fence of the command table: delimiters (0 none) and body group count.
struct FenceCommand
{
    uint32_t left;
    uint32_t right;
    uint32_t middle;
    int32_t groups;
};

constexpr int32_t kFirstStructureCommand = 0x8901;
constexpr int32_t kLastStructureCommand = 0x891D;

constexpr FenceCommand kFenceCommands[] = {
    {'(', ')', 0, 1},           {'[', ']', 0, 1},           {'{', '}', 0, 1},           {'{', '}', '|', 2},
    {0x27E6, 0x27E7, 0, 1},     {0x27E8, 0x27E9, 0, 1},     {0x27E8, 0x27E9, '|', 2},   {0x27EA, 0x27EB, 0, 1},
    {'|', '|', 0, 1},           {0x2016, 0x2016, 0, 1},
};

// 0x890F-0x8915: type, "sm", "at".
struct FractionCommand
{
    uint32_t type;
    bool small;
    bool atop;
};

constexpr FractionCommand kFractionCommands[] = {
    {kFractionVertical, false, false}, {kFractionVertical, true, false},  {kFractionHorizontal, false, false},
    {kFractionDiagonal, false, false}, {kFractionDiagonal, true, false},  {kFractionVertical, false, true},
    {kFractionVertical, true, true},
};

// The wide mark a typed character makes, by its code point from U+23B4.
uint32_t GetTypedWideMarkType(uint32_t codePoint)
{
    switch (codePoint)
    {
    case 0x23B4:
    case 0x23B5:
        return kWideMarkBracket;
    case 0x23DC:
        return kWideMarkFrown;
    case 0x23DD:
        return kWideMarkSmile;
    case 0x23DE:
    case 0x23DF:
        return kWideMarkBrace;
    case 0x23E0:
    case 0x23E1:
        return kWideMarkShell;
    default:
        return 0;
    }
}

}  // namespace

bool Editor::RunStructureCommand(int32_t id)
{
    if (id < kFirstStructureCommand || id > kLastStructureCommand) return false;
    int32_t index = id - kFirstStructureCommand;
    constexpr int32_t kFenceCount = int32_t(sizeof kFenceCommands / sizeof kFenceCommands[0]);
    if (index < kFenceCount)
    {
        const FenceCommand &fence = kFenceCommands[index];
        return InsertFence(fence.left, fence.right, fence.middle, fence.groups);
    }
    switch (id)
    {
    case 0x890B:
        return InsertSubscript(false, false);
    case 0x890C:
        return InsertSuperscript(false, false);
    case 0x890D:
        return InsertSubscript(true, false);
    case 0x890E:
        return InsertSuperscript(true, false);
    case 0x8916:
        return InsertRadical(false, nullptr);
    case 0x8917:
        return InsertRadical(true, nullptr);
    case 0x8918:
        return InsertLongDivision(false);
    case 0x8919:
        return InsertLongDivision(true);
    case 0x891A:
        return InsertStack(true, false);
    case 0x891B:
        return InsertStack(false, true);
    case 0x891C:
        return InsertStack(false, false);
    case 0x891D:
        return InsertBox(kBoxFull);
    default:
        break;
    }
    const FractionCommand &fraction = kFractionCommands[id - 0x890F];
    return InsertFraction(fraction.type, fraction.small, fraction.atop);
}

bool Editor::InsertStructureCommand(uint8_t characterClass, uint32_t codePoint, bool convert)
{
    switch (characterClass)
    {
    case '/':
        if (codePoint == 0x2015) return InsertFraction(kFractionVertical, true, false);
        return InsertFraction(codePoint == 0x2044 ? kFractionDiagonal : kFractionHorizontal, false, false);
    case 'D':
        return InsertLongDivision(false);
    case 'I':
        return InsertIntegral(codePoint, codePoint != 0x222B, convert, convert && codePoint == 0x222B);
    case 'Q':
        if (codePoint == 0x221B) return InsertRadical(true, "3");
        if (codePoint == 0x221C) return InsertRadical(true, "4");
        return InsertRadical(false, nullptr);
    case 'S':
        return codePoint == '^' ? InsertSuperscript(false, false) : InsertSubscript(false, false);
    case 'T':
        return InsertIteration(codePoint, false, convert, convert);
    case 'W':
    {
        uint32_t type = GetTypedWideMarkType(codePoint);
        if (type == 0) return false;
        return InsertWideMark(type, (codePoint & 1) != 0, convert && type == kWideMarkBrace);
    }
    default:
        // Enclosures, negations, primes and marks decorate the character before the caret.
        return false;
    }
}

}  // namespace oq
