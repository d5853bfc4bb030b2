#pragma once

#include <cstdint>

namespace oq {

// The scripts a node's LaTeX already puts on its own atom.
inline constexpr uint32_t kLatexSubscriptFlag = 1;
inline constexpr uint32_t kLatexSuperscriptFlag = 2;

// A node whose LaTeX ends with a script of its own (a labelled over or under brace writes
// \overbrace{x}^{label}): a script or prime written after it opens an empty base where TeX would
// see a second script of the same kind. Nodes that do not implement it carry none.
class LatexScriptCarrier
{
public:
    // kLatexSubscriptFlag and/or kLatexSuperscriptFlag, or 0.
    virtual uint32_t GetTrailingLatexScripts() const = 0;

protected:
    ~LatexScriptCarrier() = default;
};

}  // namespace oq
