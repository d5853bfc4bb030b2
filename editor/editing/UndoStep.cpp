// Undo steps and their snapshots.
#include "editor/editing/UndoStep.h"

#include "editor/editing/Editor.h"
#include "editor/platform/Heap.h"

#include <cstring>

namespace oq {

namespace {

// A step's block starts with the heap that served it, so the delete finds its way back.
constexpr size_t kStepPrefixSize = 16;

}  // namespace

bool UndoSnapshot::Capture(Editor *editor)
{
    TextBuffer &scratch = editor->snapshotScratch;
    scratch.size = 0;
    scratch.depth = 0;
    ++editor->counters.writeText;
    editor->document.WriteText(&scratch, false, false, true);
    *scratch.Reserve(1) = 0;
    void *block = AllocateMemory(*editor->snapshotHeap, scratch.size);
    if (block == nullptr) return false;
    std::memcpy(block, scratch.data, scratch.size);
    Release();
    text = static_cast<char *>(block);
    size = scratch.size;
    heap = editor->snapshotHeap;
    editMode = editor->GetEditMode();
    startIndex = editor->document.selection.start.index;
    endIndex = editor->document.selection.end.index;
    return true;
}

bool UndoSnapshot::Equals(const UndoSnapshot &other) const
{
    if (size != other.size || editMode != other.editMode || startIndex != other.startIndex ||
        endIndex != other.endIndex)
        return false;
    return size == 0 || std::memcmp(text, other.text, size) == 0;
}

void UndoSnapshot::Release()
{
    if (text != nullptr) FreeMemory(*heap, text);
    text = nullptr;
    size = 0;
    heap = nullptr;
}

void *UndoStep::operator new(size_t size, Heap &heap) noexcept
{
    void *block = AllocateMemory(heap, uint64_t(size) + kStepPrefixSize);
    if (block == nullptr) return nullptr;
    *static_cast<Heap **>(block) = &heap;
    return static_cast<char *>(block) + kStepPrefixSize;
}

void UndoStep::operator delete(void *memory)
{
    if (memory == nullptr) return;
    void *block = static_cast<char *>(memory) - kStepPrefixSize;
    FreeMemory(**static_cast<Heap **>(block), block);
}

void UndoStep::operator delete(void *memory, Heap &)
{
    UndoStep::operator delete(memory);
}

}  // namespace oq
