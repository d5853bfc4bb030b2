#pragma once

#include "base/Memory.h"

#include <cstdint>

namespace oq {

// Reference-counted base: the creator holds the first reference, holders add theirs by
// incrementing the count, and the last Release deletes the object.
class Shared : public HeapObject
{
public:
    Shared(const Shared &) = delete;
    Shared &operator=(const Shared &) = delete;
    virtual ~Shared() = default;

    // Drops one reference and returns the count left; at 0 the object is deleted first.
    virtual int32_t Release();

    int32_t references = 1;

protected:
    Shared() = default;
};

}  // namespace oq
