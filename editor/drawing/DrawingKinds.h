#pragma once

namespace oq {

// Enters the drawing identifiers ("Ln") into the equation document's factory; call it before
// reading documents that hold drawings.
void RegisterDrawingKinds();

}  // namespace oq
