#include "editor/fonts/DesignFiles.h"

#include "base/File.h"
#include "editor/fonts/AtomicFile.h"
#include "editor/fonts/DesignReader.h"
#include "editor/fonts/DesignWriter.h"
#include "editor/fonts/Folders.h"
#include "editor/platform/FileContents.h"
#include "editor/platform/Heap.h"
#include "editor/platform/TextBuffer.h"

namespace oq {

namespace {

// design.quist larger than this is not read.
constexpr uint64_t kMaxDesignFileSize = 16 << 20;
// Equation files larger than this are not read for their design.
constexpr uint64_t kMaxEquationFileSize = uint64_t(1) << 30;

void ApplyDesignEffects(DesignEditor *editor)
{
    editor->MarkModifiedForRelayout();
    editor->ClearPendingStyleKey();
    editor->RebuildToolPanel();
}

}  // namespace

TextString GetUserDesignPath()
{
    TextString path = GetSettingsFolder();
    if (!path.IsEmpty()) path.AppendText("design.quist");
    return path;
}

void LoadUserDefaultDesign(DesignEditor *editor, Design *design, bool reset, bool keepSize)
{
    if (design == nullptr) design = editor->GetCurrentDesign();
    float baseSize = design->GetBaseFontSize();
    if (reset)
    {
        design->ResetToFactory();
        design->SetBaseFontSize(baseSize);
    }
    TextString path = GetUserDesignPath();
    if (path.IsEmpty()) return;
    Heap &heap = GetMemoryManagerHeap();
    FileContents contents = ReadFileContents(heap, path, kMaxDesignFileSize, 1);
    if (contents.data == nullptr) return;
    {
        DesignReader reader(design);
        // What was read before a failure stays.
        static_cast<void>(reader.ParseAndResolve(reinterpret_cast<const char *>(contents.data)));
    }
    FreeMemory(heap, contents.data);
    if (keepSize) design->SetBaseFontSize(baseSize);
    ApplyDesignEffects(editor);
}

int32_t SaveUserDefaultDesign(const Design &design)
{
    TextString path = GetUserDesignPath();
    if (path.IsEmpty()) return kFileOpenFailed;
    TextBuffer buffer(1024);
    WriteDesignBlock(design, &buffer);
    int32_t result = SaveFileAtomically(path, buffer.data, buffer.size);
    buffer.Free();
    return result;
}

uint32_t LoadDesignFromEquationFile(DesignEditor *editor, const char *path)
{
    Heap &heap = GetMemoryManagerHeap();
    FileContents contents = ReadFileContents(heap, path, kMaxEquationFileSize, 1);
    if (contents.data == nullptr) return kDesignFileUnreadable;
    // Parsed into a design of its own, so a file that is no equation file changes nothing.
    Design loaded;
    uint32_t result;
    {
        DesignReader reader(&loaded);
        result = reader.ParseAndResolve(reinterpret_cast<const char *>(contents.data));
        if (result == 0 && reader.GetRootStructure()->GetFirstSubstructure('dsgn') == nullptr)
        {
            result = kDesignFileWithoutDesign;
        }
    }
    FreeMemory(heap, contents.data);
    if (result != 0) return result;
    editor->GetCurrentDesign()->CopyFrom(loaded);
    ApplyDesignEffects(editor);
    return 0;
}

}  // namespace oq
