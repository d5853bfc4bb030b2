#pragma once

#include "editor/fonts/Design.h"

#include <cstdint>

namespace oq {

// What loading a design does to the editor: the document is marked modified and due for relayout,
// the pending character-style key is cleared and the tool panel is built again from the design.
// The editor core implements it.
class DesignEditor
{
public:
    virtual ~DesignEditor() = default;

    // The Design of the current document.
    virtual Design *GetCurrentDesign() = 0;
    virtual void MarkModifiedForRelayout() = 0;
    virtual void ClearPendingStyleKey() = 0;
    virtual void RebuildToolPanel() = 0;
};

// Results of LoadDesignFromEquationFile besides 0 and the reader's Kettric results.
constexpr uint32_t kDesignFileUnreadable = 'READ';
constexpr uint32_t kDesignFileWithoutDesign = 'NODS';

// The path of design.quist in the settings folder; empty without a settings folder.
TextString GetUserDesignPath();

// Reads design.quist into the design (the current document's when none is given). With reset the
// design first becomes the factory design keeping its base font size; with keepSize the base font
// size survives the file too. Without a readable file nothing more happens; otherwise whatever
// the file holds up to a failure is taken and the editor effects follow.
void LoadUserDefaultDesign(DesignEditor *editor, Design *design, bool reset, bool keepSize);

// Replaces design.quist with the design's block, atomically; the File result code.
[[nodiscard]] int32_t SaveUserDefaultDesign(const Design &design);

// Takes the "D" block of an equation file as the current document's design (factory values where
// it is silent), with the editor effects. The design stays untouched unless the file reads, parses
// and holds a "D" block: 0, else kDesignFileUnreadable, the parse's result or
// kDesignFileWithoutDesign.
[[nodiscard]] uint32_t LoadDesignFromEquationFile(DesignEditor *editor, const char *path);

}  // namespace oq
