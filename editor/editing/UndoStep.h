#pragma once

#include "base/List.h"

#include <cstddef>
#include <cstdint>

namespace oq {

class Editor;
class Heap;

// One state of the document as undo keeps it: the equation text with the selection marked, NUL
// included in the size, in an exact-size block of the snapshot heap; the edit mode and the byte
// indexes of both selection ends.
struct UndoSnapshot
{
    UndoSnapshot() = default;
    UndoSnapshot(const UndoSnapshot &) = delete;
    UndoSnapshot &operator=(const UndoSnapshot &) = delete;
    ~UndoSnapshot() { Release(); }

    // Writes the editor's document into its scratch buffer and copies the text into a block of the
    // editor's snapshot heap. False when the heap has no block for it: the snapshot is unchanged.
    [[nodiscard]] bool Capture(Editor *editor);
    // Whether both snapshots hold the same text, mode and indexes.
    bool Equals(const UndoSnapshot &other) const;
    // Frees the text; the snapshot holds none afterwards.
    void Release();

    char *text = nullptr;
    uint32_t size = 0;  // bytes of the text with its NUL; 0 without a text
    Heap *heap = nullptr;
    uint32_t editMode = 0;
    int32_t startIndex = 0;
    int32_t endIndex = 0;
};

// One step of the undo history: the document before and after one outermost edit batch. Steps come
// from the undo-step heap and go back to it when deleted (through the list or directly).
class UndoStep final : public ListElement
{
public:
    UndoStep() = default;
    // Frees both snapshot texts and leaves the history.
    ~UndoStep() override = default;

    // Null when the heap has no block (the constructor is then not run).
    static void *operator new(size_t size, Heap &heap) noexcept;
    static void operator delete(void *memory);
    static void operator delete(void *memory, Heap &heap);

    UndoStep *GetPreviousStep() const { return static_cast<UndoStep *>(GetPreviousListElement()); }
    UndoStep *GetNextStep() const { return static_cast<UndoStep *>(GetNextListElement()); }

    UndoSnapshot before;
    UndoSnapshot after;
};

}  // namespace oq
