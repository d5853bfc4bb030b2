#pragma once

#include "base/TextString.h"

#include <cstdint>

namespace oq {

// The text of a symbol run ('symb'), which the spacing rules read at its first and last byte and a
// copy of a selection cuts. The symbol run kind implements it beside its math-node base.
class RunTextSource
{
public:
    virtual const TextString &GetRunText() const = 0;
    // Keeps only the bytes from begin up to end of the text (both clamped to it): the copy of a run
    // that a selection cuts.
    virtual void KeepRunTextRange(int32_t begin, int32_t end) = 0;

protected:
    ~RunTextSource() = default;
};

}  // namespace oq
