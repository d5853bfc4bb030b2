#pragma once

#include "base/TextString.h"

namespace oq {

class KettricStructure;

// Makes a new structure of one registered kind.
using NodeKindConstructor = KettricStructure *(*)();

// Enters a kind into the one process-wide table of the equation document's factory; a later
// registration of the identifier replaces the earlier one. Identifiers are 1 to 7 bytes long.
// Kinds register through plain functions (never static initialisers) on the UI thread.
void RegisterNodeKind(const char *identifier, NodeKindConstructor constructor);

// A new structure of the kind registered for the identifier (compared case-sensitively), or null.
KettricStructure *MakeRegisteredStructure(const TextString &identifier);

// Registers the kinds of the document library ("X", "Bg", "Gr", "Al", ...); calling it again
// re-registers the same kinds.
void RegisterDocumentKinds();
// Registers them unless that was done before: what every equation document's constructor calls, so
// that kinds put in place after the first registration stay.
void RegisterDocumentKindsOnce();

}  // namespace oq
