#pragma once

#include "kettric/KettricStructure.h"

namespace oq {

// Result of a document holding a number that is infinite or not a number: an overflowing literal
// such as 1e39 or a bit-pattern literal such as 0x7F800000.
inline constexpr KettricResult kResultNonFiniteValue = 'nfin';

// The first structure under top (top included, in tree order) holding a number that is not finite:
// a float data list or a Stroke's miter limit. Null when every number is finite.
KettricStructure *FindNonFiniteValue(KettricStructure *top);

}  // namespace oq
