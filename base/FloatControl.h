#pragma once

namespace oq {

// Sets flush-to-zero and denormals-are-zero for the calling thread, as both programs do at entry.
void EnableFlushToZero();

}  // namespace oq
