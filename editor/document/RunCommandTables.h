#pragma once

#include <cstdint>

namespace oq {

// The standard function names: a function run holding exactly one of them is written as the
// control word of that name, and typing one in math mode makes it a function run.
inline constexpr int32_t kStandardFunctionNameCount = 32;
inline constexpr const char *kStandardFunctionNames[kStandardFunctionNameCount] = {
    "sin",    "cos",    "tan", "exp", "log", "ln",  "lg",  "min",    "max",    "lim", "sinh",
    "cosh",   "tanh",   "arccos", "arcsin", "arctan", "csc", "sec", "cot", "coth", "det", "deg",
    "arg",    "dim",    "gcd", "hom", "ker", "inf", "sup", "liminf", "limsup", "Pr",
};

// A mark character and its LaTeX command name (without the backslash).
struct MarkCommand
{
    uint32_t codePoint;
    const char *name;
};

// The marks that have a LaTeX command; every other mark writes nothing in LaTeX.
inline constexpr int32_t kMarkCommandCount = 23;
inline constexpr MarkCommand kMarkCommands[kMarkCommandCount] = {
    {0x0300, "grave"},  {0x0301, "acute"},     {0x0302, "hat"},    {0x0303, "tilde"},  {0x0304, "bar"},
    {0x0305, "overline"}, {0x0306, "breve"},   {0x0307, "dot"},    {0x0308, "ddot"},   {0x030C, "check"},
    {0x0323, "udot"},   {0x0324, "uddot"},     {0x032C, "ucheck"}, {0x032D, "uhat"},   {0x032E, "ubreve"},
    {0x0330, "utilde"}, {0x0331, "ubar"},      {0x0332, "underline"}, {0x20D7, "vec"}, {0x20DB, "dddot"},
    {0x20DC, "ddddot"}, {0x20E8, "udddot"},    {0x20EF, "uvec"},
};

// The command name of a mark; null when it has none.
const char *FindMarkCommand(uint32_t codePoint);

// Whether length bytes of text are exactly one of the standard function names.
bool IsStandardFunctionName(const char *text, int32_t length);

}  // namespace oq
