#pragma once

#include "base/Array.h"
#include "base/TextString.h"

#include <cstdint>

namespace oq {

// Value of a reference literal: the name parts in order (no prefixes) and whether it is global ("$").
// A null reference has no parts.
class StructureReference
{
public:
    explicit StructureReference(bool global = true) : globalFlag(global) {}
    StructureReference(const StructureReference &reference) = default;
    StructureReference &operator=(const StructureReference &) = delete;
    ~StructureReference() = default;

    // Destroys the parts (last first), returns to the local element and sets the global flag.
    void Reset(bool global);

    // Appends a name part of the given length.
    void AppendNamePart(const char *text, int32_t length);

    bool IsGlobal() const { return globalFlag; }
    bool IsNull() const { return nameParts.GetElementCount() == 0; }
    int32_t GetNamePartCount() const { return nameParts.GetElementCount(); }
    const TextString &GetNamePart(int32_t index) const { return nameParts[index]; }

    bool operator==(const StructureReference &reference) const;
    bool operator!=(const StructureReference &reference) const { return !(*this == reference); }

private:
    Array<TextString, 1> nameParts;
    bool globalFlag;
};

}  // namespace oq
