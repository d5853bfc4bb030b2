// The editing command ids: the family tables and the routing through them.
#include "editor/editing/EditCommands.h"

#include "editor/editing/Editor.h"

#include <iterator>

namespace oq {

namespace {

constexpr uint32_t kTypedCharacters[] = {0x2260, 0x00B1, 0x2264, 0x2265, 0x2A7D, 0x2A7E, 0x2026, 0x22EF};

// Math units; entries 11 and 12 type the figure and punctuation spaces instead.
constexpr float kSpaceWidths[] = {0, 1.5F, 3, 4, 4.5F, 5, 6, 9, 12, 18, 0, 0, -1.5F, -3, -4.5F};
constexpr int32_t kFigureSpaceEntry = 0x0B;
constexpr int32_t kPunctuationSpaceEntry = 0x0C;
constexpr int32_t kTabSpaceEntry = 0x10;

constexpr uint32_t kAligners[] = {'left', 'rght', 'cent'};

constexpr uint32_t kMarksAbove[] = {0x0307, 0x0308, 0x20DB, 0x20DC, 0x0304, 0x0305, 0x0302, 0x030C,
                                    0x0303, 0x0306, 0x0311, 0x20D6, 0x20D7, 0x20D0, 0x20D1, 0x20E1};
constexpr uint32_t kMarksBelow[] = {0x0323, 0x0324, 0x20E8, 0x20DC, 0x0331, 0x0332, 0x032D, 0x032C,
                                    0x0330, 0x032E, 0x032F, 0x20EE, 0x20EF, 0x20ED, 0x20EC, 0x034D};
constexpr int32_t kMarkBelowBit = 0x80;

constexpr uint32_t kNegations[] = {'frwd', 'bkwd', 'vert'};
constexpr uint32_t kSlashes[] = {'frwd', 'bkwd'};
constexpr uint32_t kEnclosures[] = {'circ', 'squa', 'rdsq'};
constexpr uint32_t kPrimes[] = {0x2032, 0x2033, 0x2034, 0x2057};

constexpr uint32_t kWideMarks[] = {'line', 'dlin', 'what', 'chck', 'smil', 'frwn', 'tild', 'brck', 'brac',
                                   'larw', 'rarw', 'barw', 'luhp', 'ruhp', 'buhp', 'ldhp', 'rdhp', 'bdhp'};

constexpr int32_t kFirstStructureCommand = 0x8901;
constexpr int32_t kLastStructureCommand = 0x891D;

// Whether the 1-based entry is in the table.
template <typename T, size_t N>
bool InTable(const T (&)[N], int32_t entry)
{
    return entry >= 1 && entry <= int32_t(N);
}

}  // namespace

bool RouteEditCommand(EditOperations &operations, int32_t id)
{
    if ((id & kEditCommandBit) == 0) return operations.HandleMenuCommand(id);
    if (id < kEditCommandBit || id > 0xFFFF) return false;
    int32_t low = id & 0xFF;
    switch (id >> 8)
    {
    case 0x80:
        if (!InTable(kTypedCharacters, low)) return false;
        (void)operations.TypeCharacter(kTypedCharacters[low - 1], 0);
        return true;
    case 0x81:
        if (low == kFigureSpaceEntry || low == kPunctuationSpaceEntry)
        {
            (void)operations.TypeCharacter(low == kFigureSpaceEntry ? 0x2007 : 0x2008, 0);
            return true;
        }
        if (low == kTabSpaceEntry) return operations.InsertTabSpace(0.0F);
        if (!InTable(kSpaceWidths, low)) return false;
        return operations.InsertSpace(kSpaceWidths[low - 1]);
    case 0x82:
        return InTable(kAligners, low) && operations.InsertAligner(kAligners[low - 1]);
    case 0x83:
    {
        bool below = (low & kMarkBelowBit) != 0;
        int32_t entry = ((low - 1) & 0x7F) + 1;
        if (!InTable(kMarksAbove, entry)) return false;
        return operations.AddMark(below ? kMarksBelow[entry - 1] : kMarksAbove[entry - 1], below);
    }
    case 0x84:
        return InTable(kNegations, low) && operations.AddNegation(kNegations[low - 1]);
    case 0x85:
        return InTable(kSlashes, low) && operations.AddSlash(kSlashes[low - 1]);
    case 0x86:
        return InTable(kEnclosures, low) && operations.AddEnclosure(kEnclosures[low - 1]);
    case 0x87:
        if (!InTable(kPrimes, low)) return false;
        (void)operations.AddPrime(kPrimes[low - 1]);
        return true;
    case 0x88:
        if (low < 1 || low > 2 * int32_t(std::size(kWideMarks))) return false;
        return operations.InsertWideMark(kWideMarks[(low - 1) / 2], low % 2 == 0, false);
    case 0x89:
        if (id < kFirstStructureCommand || id > kLastStructureCommand) return false;
        return operations.RunStructureCommand(id);
    default:
        return false;
    }
}

bool EditorOperations::HandleMenuCommand(int32_t id) { return editor.HandleMenuCommand(id); }
bool EditorOperations::TypeCharacter(uint32_t codePoint, uint32_t flags) { return editor.TypeCharacter(codePoint, flags); }
bool EditorOperations::InsertSpace(float width) { return editor.InsertSpace(width); }
bool EditorOperations::InsertTabSpace(float width) { return editor.InsertTabSpace(width); }
bool EditorOperations::InsertAligner(uint32_t kind) { return editor.InsertAligner(kind); }
bool EditorOperations::AddMark(uint32_t codePoint, bool below) { return editor.AddMark(codePoint, below); }
bool EditorOperations::AddNegation(uint32_t kind) { return editor.AddNegation(kind); }
bool EditorOperations::AddSlash(uint32_t kind) { return editor.AddSlash(kind); }
bool EditorOperations::AddEnclosure(uint32_t kind) { return editor.AddEnclosure(kind); }
bool EditorOperations::AddPrime(uint32_t codePoint) { return editor.AddPrime(codePoint); }
bool EditorOperations::InsertWideMark(uint32_t type, bool under, bool withLabel)
{
    return editor.InsertWideMark(type, under, withLabel);
}
bool EditorOperations::RunStructureCommand(int32_t id) { return editor.RunStructureCommand(id); }

bool Editor::RouteCommand(int32_t id)
{
    EditorOperations operations(*this);
    return RouteEditCommand(operations, id);
}

}  // namespace oq
