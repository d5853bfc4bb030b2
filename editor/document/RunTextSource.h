#pragma once

#include "base/TextString.h"

namespace oq {

// The text of a symbol run ('symb'), which the spacing rules read at its first and last byte. The
// symbol run kind implements it beside its math-node base.
class RunTextSource
{
public:
    virtual const TextString &GetRunText() const = 0;

protected:
    ~RunTextSource() = default;
};

}  // namespace oq
