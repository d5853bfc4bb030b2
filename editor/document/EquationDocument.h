#pragma once

#include "base/Array.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/DesignReader.h"

#include <cstdint>

namespace oq {

class DocumentNode;
class GroupNode;
class MathNode;
struct TextBuffer;

// Where a caret stands: on a symbol run before the byte at the index, on any other node after it;
// (row begin, 0) is the start of a row.
struct CaretPosition
{
    // One caret stop to the left or right through the tree: inside a run by one character, into a
    // structure's slots when entering, out of a slot to the neighbouring slot or past the
    // structure. False (result untouched) at the ends of a top-level group.
    [[nodiscard]] bool StepLeft(bool enterStructures, CaretPosition *result) const;
    [[nodiscard]] bool StepRight(bool enterStructures, CaretPosition *result) const;

    MathNode *node = nullptr;
    int32_t index = 0;
};

// The caret selection: equal ends are a plain caret. Both ends lie in one group, start first.
struct Selection
{
    CaretPosition start;
    CaretPosition end;
};

// The equation document: the top-level structures (the main group, annotation groups and drawing
// objects), the design, the caret selection and the selected top-level objects. It reads equation
// text, lays the top level out in link order, writes it back and moves ranges in and out.
class EquationDocument : public DesignReader
{
public:
    // An empty tree with the factory design; registers the document kinds on first use.
    EquationDocument();
    // The design's fonts go first, then the tree.
    ~EquationDocument() override;

    // The registered kinds; other one-letter identifiers go to the design reader.
    KettricStructure *MakeStructure(const TextString &identifier) override;
    // Groups, the design block and drawing objects.
    [[nodiscard]] bool CheckTopLevel(KettricStructure *structure) override;
    // Resolves every structure, destroys the design block and checks that exactly one group of
    // role 0 stands at the top level (kResultMissingSubstructure none, kResultExtraSubstructure a second one).
    [[nodiscard]] KettricResult ResolveData() override;

    // Appends a main group holding one empty row and returns it.
    GroupNode *CreateEmptyEquation();
    // The first top-level group of role 0; null when none.
    GroupNode *GetMainGroup() const;

    // Resolves the design's fonts and lays out every top-level structure after the structures its
    // links point to; structures in link cycles are left as they are. Returns whether the fonts
    // changed. Nothing is laid out when the Data folder is reported damaged.
    bool UpdateLayout(TextString missingFontNames[kDesignFontSlotCount]);

    // Writes the document as equation text: the naming pass (with marking: "B", "E", "S0".. for the
    // selection), the header comment, the design block, then every top-level structure.
    void WriteText(TextBuffer *buffer, bool header, bool designBlock, bool marking);

    // Copies the selected range, and every top-level structure all of whose link targets it copies,
    // into a freshly constructed document. False when the selection is no range of siblings (the
    // target then holds its empty main group).
    [[nodiscard]] bool CopySelectionTo(EquationDocument *target);
    // Moves the contents of a parsed document in at the caret (a plain caret on a node inside a
    // group): the rows of its main group after the caret node, its other top-level structures
    // before or after this main group. False when there is no caret or no source main group.
    [[nodiscard]] bool InsertAtCaret(EquationDocument *source);

    Design design;
    Selection selection;
    Array<DocumentNode *, 4> objectSelection;
};

}  // namespace oq
