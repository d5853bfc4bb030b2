#pragma once

namespace oq {

// Registers the structure kinds ("Fr", ...) in the equation document's factory; programs, tests and
// fuzz targets call it before reading documents. Calling it again re-registers the same kinds.
void RegisterStructureKinds();

}  // namespace oq
