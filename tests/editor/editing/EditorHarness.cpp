// The headless editing harness.
#include "EditorHarness.h"

#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/document/PhantomNode.h"
#include "editor/document/RowBeginNode.h"
#include "editor/document/SpaceNode.h"
#include "editor/document/SymbolRunNode.h"
#include "base/TextUtils.h"
#include "editor/editing/CaretRules.h"
#include "editor/structures/StructureKinds.h"
#include "editor/platform/Heap.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/FontLoader.h"
#include "editor/fonts/FontManager.h"
#include "editor/fonts/LoadableFont.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/RendererProbe.h"
#include "kettric/KettricLiterals.h"
#include "support/DocumentTestKinds.h"

#include <cstring>
#include <set>
#include <sstream>
#include <unordered_map>
#include <utility>

namespace oq::test {

namespace {

RecordingMenus harnessMenus;
std::vector<std::string> harnessLog;
ScriptDriver scriptDriver = nullptr;

// The renderer and font registry layouts use, made by the first layout after a reset.
struct LayoutServices
{
    RecordingRenderer renderer;
    FontManager fonts;
};
LayoutServices *layoutServices = nullptr;
std::vector<uint8_t> layoutFace;  // the face the next layout services write; empty: the loadable font

void EndLayoutServices()
{
    if (layoutServices == nullptr) return;
    DestroyLoadedFonts();
    SetFontManager(nullptr);
    SetRenderer(nullptr);
    ClearReportedMissingFonts();
    delete layoutServices;
    layoutServices = nullptr;
}

void RecordLogLine(const char *line)
{
    harnessLog.emplace_back(line);
}

std::string FourCCText(uint32_t value)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        char c = char(value >> shift);
        if (c != 0) text += c;
    }
    return text;
}

std::string BufferText(TextBuffer *buffer)
{
    std::string text(buffer->data != nullptr ? buffer->data : "", buffer->size);
    buffer->Free();
    return text;
}

// Every node of the document tree, in document order.
std::vector<DocumentNode *> CollectNodes(EquationDocument *document)
{
    std::vector<DocumentNode *> nodes;
    KettricStructure *root = document->GetRootStructure();
    for (TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
    {
        if (DocumentNode *node = DocumentNode::FromStructure(static_cast<KettricStructure *>(tree)))
            nodes.push_back(node);
    }
    return nodes;
}

// The nodes a caret may stand on, in document order.
std::vector<MathNode *> CollectCaretNodes(EquationDocument *document)
{
    std::vector<MathNode *> nodes;
    for (DocumentNode *node : CollectNodes(document))
    {
        MathNode *math = MathNode::FromStructure(node);
        if (CanHoldCaret(math)) nodes.push_back(math);
    }
    return nodes;
}

std::vector<DocumentNode *> CollectDrawings(EquationDocument *document)
{
    std::vector<DocumentNode *> drawings;
    for (KettricStructure *s = document->GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr;
         s = s->GetNextStructure())
    {
        DocumentNode *node = DocumentNode::FromStructure(s);
        if (node != nullptr && node->GetFamily() == kDrawingNodeFamily) drawings.push_back(node);
    }
    return drawings;
}

void PlaceCaret(Editor *editor, MathNode *node, int32_t index)
{
    editor->document.selection.start = {node, index};
    editor->document.selection.end = editor->document.selection.start;
    editor->movingEnd = 0;
}

// Inserts a node right after the caret's node.
void InsertAfterCaret(Editor *editor, MathNode *node)
{
    MathNode *caret = editor->document.selection.end.node;
    static_cast<TreeNode *>(caret->GetSuperNode())->InsertSubnodeAfter(node, caret);
}

// The caret is usable for an insertion: collapsed on a node that can hold it, no objects selected.
bool PrepareCaret(Editor *editor)
{
    Selection &selection = editor->document.selection;
    if (editor->document.objectSelection.GetElementCount() != 0) return false;
    if (!CanHoldCaret(selection.end.node)) return false;
    selection.start = selection.end;
    return true;
}

}  // namespace

void RecordingMenus::EnableMenuItem(int32_t id, bool isEnabled)
{
    enabled[id] = isEnabled;
    ++calls;
}

void RecordingMenus::CheckMenuItem(int32_t id, bool isChecked)
{
    checked[id] = isChecked;
    ++calls;
}

namespace {

std::string DescribeStates(const std::map<int32_t, bool> &states, const std::vector<int32_t> &ids)
{
    std::string text;
    for (int32_t id : ids)
    {
        if (!text.empty()) text += ' ';
        auto found = states.find(id);
        text += std::to_string(id) + (found == states.end() ? "?" : found->second ? "+" : "-");
    }
    return text;
}

}  // namespace

std::string RecordingMenus::DescribeEnabled(const std::vector<int32_t> &ids) const
{
    return DescribeStates(enabled, ids);
}

std::string RecordingMenus::DescribeChecked(const std::vector<int32_t> &ids) const
{
    return DescribeStates(checked, ids);
}

std::string RecordingMenus::DescribeUndoItems() const
{
    return DescribeEnabled({kMenuUndo, kMenuRedo, kMenuUndoAll, kMenuRedoAll});
}

void ResetTheEditor()
{
    RegisterDocumentKindsOnce();
    RegisterStructureKinds();
    RegisterTestDrawingKinds();
    DestroyTheEditor();
    harnessMenus = RecordingMenus();
    for (int32_t id : {kMenuUndo, kMenuRedo, kMenuUndoAll, kMenuRedoAll}) harnessMenus.enabled[id] = false;
    harnessMenus.checked[kMenuMathMode] = true;
    harnessMenus.checked[kMenuChemMode] = false;
    harnessMenus.checked[kMenuTextMode] = false;
    harnessLog.clear();
    layoutFace.clear();
    TheEditor = new Editor;
    TheEditor->menus = &harnessMenus;
    TheEditor->logSink = RecordLogLine;
}

void DestroyTheEditor()
{
    // The design gives its fonts back before the renderer goes.
    delete TheEditor;
    TheEditor = nullptr;
    EndLayoutServices();
}

void SetLayoutTestFace(std::vector<uint8_t> face)
{
    layoutFace = std::move(face);
}

bool LayoutTestDocument(Editor *editor)
{
    if (layoutServices == nullptr)
    {
        layoutServices = new LayoutServices;
        std::vector<uint8_t> face = layoutFace.empty() ? MakeLoadableFont(1) : layoutFace;
        for (const char *name : {"0.vorl", "2.vorl"})
        {
            if (!WriteBytes(layoutServices->renderer.data.File(name), face.data(), face.size())) return false;
        }
        if (!layoutServices->renderer.WriteShaders() || !layoutServices->renderer.Start()) return false;
        SetRenderer(&layoutServices->renderer.renderer);
        SetFontManager(&layoutServices->fonts);
    }
    TextString missing[kDesignFontSlotCount];
    ++editor->counters.updateLayout;
    static_cast<void>(editor->document.UpdateLayout(missing));
    editor->settings.layoutDue = false;
    return true;
}

RecordingMenus &GetHarnessMenus()
{
    return harnessMenus;
}

const std::vector<std::string> &GetHarnessLog()
{
    return harnessLog;
}

std::string DescribeSteps(Editor *editor)
{
    int32_t count = editor->undoHistory.GetListElementCount();
    int32_t current = editor->currentStep != nullptr ? editor->currentStep->GetListElementIndex() + 1 : 0;
    return std::to_string(current) + "/" + std::to_string(count);
}

std::string DumpState(Editor *editor)
{
    TextBuffer buffer;
    editor->document.WriteText(&buffer, false, false, true);
    std::string text = BufferText(&buffer);
    const Selection &selection = editor->document.selection;
    text += "mode '" + FourCCText(editor->GetEditMode()) + "'\n";
    text += "selection " + std::to_string(selection.start.index) + " " + std::to_string(selection.end.index) +
            " moving " + std::to_string(editor->movingEnd) + "\n";
    text += "steps " + DescribeSteps(editor) + "\n";
    return text;
}

std::string DocumentText(Editor *editor)
{
    TextBuffer buffer;
    editor->document.WriteText(&buffer, false, false, false);
    return BufferText(&buffer);
}

namespace {

// Writes the sketch of one node and what it holds.
class Sketcher
{
public:
    explicit Sketcher(Editor *editor) : selection(editor->document.selection)
    {
        for (int32_t i = 0; i < editor->document.objectSelection.GetElementCount(); ++i)
            selected.insert(editor->document.objectSelection[i]);
        collapsed = IsCollapsed(selection);
    }

    void WriteTopLevel(DocumentNode *node)
    {
        if (auto *group = dynamic_cast<GroupNode *>(node))
        {
            if (group->role != 0) out += FourCCText(group->role) + "{";
            WriteRows(group, "row[", "]");
            if (group->role != 0) out += " }";
        }
        else if (auto *drawing = dynamic_cast<TestDrawingNode *>(node))
        {
            out += drawing->identifier;
        }
        else
        {
            out += FourCCText(node->GetKind());
        }
        if (selected.count(node) != 0) out += "*";
    }

    std::string out;

private:
    // The marks after a position: a caret, or the start or end of the range.
    void WriteMarks(const MathNode *node, int32_t index)
    {
        bool isStart = selection.start.node == node && selection.start.index == index;
        bool isEnd = selection.end.node == node && selection.end.index == index;
        if (collapsed && isStart)
            out += "\u2038";
        else
        {
            if (isEnd) out += "\u27E7";
            if (isStart) out += "\u27E6";
        }
    }

    void WriteRows(MathNode *container, const char *open, const char *close)
    {
        bool inRow = false;
        for (MathNode *node = container->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
        {
            if (node->GetKind() == 'bgin')
            {
                if (inRow) out += std::string(" ") + close + " ";
                out += open;
                inRow = true;
                WriteMarks(node, 0);
                continue;
            }
            out += " ";
            WriteNode(node);
        }
        if (inRow) out += std::string(" ") + close;
    }

    void WriteNode(MathNode *node)
    {
        if (++depth > 64)
        {
            out += "\u2026";
            --depth;
            return;
        }
        if (auto *run = dynamic_cast<SymbolRunNode *>(node))
        {
            out += FourCCText(run->role);
            if (run->style != GetDefaultRunStyle(run->role)) out += ":" + FourCCText(run->style);
            out += "\"";
            const TextString &text = run->text;
            for (int32_t i = 0; i <= text.GetLength(); ++i)
            {
                WriteMarks(run, i);
                if (i < text.GetLength()) out += static_cast<const char *>(text)[i];
            }
            out += "\"";
        }
        else if (node->GetKind() == kPhantomKind || node->GetKind() == kGroupKind)
        {
            out += node->GetKind() == kPhantomKind ? "Ph{" : "Gr{";
            WriteRows(node, "[", "]");
            out += "}";
            WriteMarks(node, 0);
        }
        else if (node->GetKind() == 'spac')
        {
            out += "Sp";
            WriteMarks(node, 0);
        }
        else
        {
            out += FourCCText(node->GetKind());
            bool first = true;
            for (MathNode *sub = node->GetFirstMathSubnode(); sub != nullptr; sub = sub->GetNextMathNode())
            {
                out += first ? "{" : " / ";
                first = false;
                if (sub->GetKind() == kGroupKind)
                    WriteRows(sub, "[", "]");
                else
                    WriteNode(sub);
            }
            if (!first) out += "}";
            WriteMarks(node, 0);
        }
        --depth;
    }

    const Selection &selection;
    std::set<const DocumentNode *> selected;
    bool collapsed;
    int32_t depth = 0;
};

}  // namespace

std::string SketchDocument(Editor *editor)
{
    Sketcher sketcher(editor);
    bool first = true;
    for (KettricStructure *s = editor->document.GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr;
         s = s->GetNextStructure())
    {
        DocumentNode *node = DocumentNode::FromStructure(s);
        if (node == nullptr) continue;
        if (!first) sketcher.out += " ";
        first = false;
        sketcher.WriteTopLevel(node);
    }
    return sketcher.out;
}

std::string CheckEditorInvariants(Editor *editor)
{
    std::string findings;
    auto fail = [&findings](const std::string &line) { findings += line + "\n"; };
    EquationDocument &document = editor->document;

    // The live nodes, with their depth below the root.
    std::set<const DocumentNode *> alive;
    std::unordered_map<const TreeBase *, int32_t> depths;
    KettricStructure *root = document.GetRootStructure();
    depths[root] = 0;
    int32_t deepest = 0;
    for (TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
    {
        int32_t depth = depths[tree->GetSuperNode()] + 1;
        depths[tree] = depth;
        if (depth > deepest) deepest = depth;
        if (DocumentNode *node = DocumentNode::FromStructure(static_cast<KettricStructure *>(tree)))
            alive.insert(node);
    }
    if (deepest > kKettricMaxNestingDepth) fail("nesting deeper than the Kettric limit: " + std::to_string(deepest));
    if (document.GetMainGroup() == nullptr) fail("no main group");

    // Links connect live nodes.
    for (const DocumentNode *node : alive)
    {
        for (NodeLink *link = node->GetFirstOutgoingLink(); link != nullptr; link = link->GetNextOutgoingLink())
        {
            if (alive.count(link->GetTarget()) == 0) fail("a link targets a destroyed node");
        }
        for (NodeLink *link = node->GetFirstIncomingLink(); link != nullptr; link = link->GetNextIncomingLink())
        {
            if (alive.count(link->GetSource()) == 0) fail("a link comes from a destroyed node");
        }
    }

    // Symbol run text is all Unicode scalar values (empty runs are left to the typing checks: the
    // harness's own test edits may leave one); TypingPosition names a live node.
    for (const DocumentNode *node : alive)
    {
        const auto *run = dynamic_cast<const SymbolRunNode *>(node);
        if (run == nullptr) continue;
        const char *bytes = run->text.GetText();
        for (int32_t at = 0; at < run->text.GetLength();)
        {
            uint32_t codePoint = 0;
            int32_t size = GetUtf8CharSize(bytes + at);
            int32_t decoded = DecodeUtf8(bytes + at, &codePoint);
            if (size == 0 || decoded != size || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            {
                fail("a symbol run holds invalid UTF-8");
                break;
            }
            at += size;
        }
    }
    if (editor->typingPosition.node != nullptr && alive.count(editor->typingPosition.node) == 0)
        fail("TypingPosition names a destroyed node");

    // The selection: both ends on live caret nodes, in one group, in order, on character boundaries.
    const Selection &selection = document.selection;
    bool endsAlive = alive.count(selection.start.node) != 0 && alive.count(selection.end.node) != 0;
    if (!endsAlive)
        fail("a selection end is not a live node");
    else
    {
        if (!CanHoldCaret(selection.start.node) || !CanHoldCaret(selection.end.node))
            fail("a selection end stands on a node that cannot hold the caret");
        else if (!IsSameOrLaterSibling(selection.start.node, selection.end.node))
            fail("the selection ends are not in one group in order");
        else if (selection.start.node == selection.end.node && selection.end.index < selection.start.index)
            fail("the selection end comes before its start");
        if (!IsCaretIndex(selection.start.node, selection.start.index) ||
            !IsCaretIndex(selection.end.node, selection.end.index))
            fail("a selection index is off the node's character boundaries");
    }
    int32_t objectCount = document.objectSelection.GetElementCount();
    if (objectCount != 0 && !IsCollapsed(selection)) fail("a caret range and an object selection together");
    for (int32_t i = 0; i < objectCount; ++i)
    {
        DocumentNode *object = document.objectSelection[i];
        if (alive.count(object) == 0)
            fail("a selected object is not a live node");
        else if (!object->IsTopLevel())
            fail("a selected object is not top-level");
    }
    if (editor->typingPosition.node != nullptr && alive.count(editor->typingPosition.node) == 0)
        fail("TypingPosition refers to a destroyed node");
    if (editor->selectionAnchor.node != nullptr && alive.count(editor->selectionAnchor.node) == 0)
        fail("the selection anchor refers to a destroyed node");

    // The history.
    if (editor->editBatch != 0) fail("edit batch depth " + std::to_string(editor->editBatch));
    if (editor->currentStep != nullptr && editor->currentStep->GetOwningList() != &editor->undoHistory)
        fail("the current step is not in the history");
    for (ListElement *e = editor->undoHistory.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
    {
        auto *step = static_cast<UndoStep *>(e);
        if (step->before.text == nullptr || step->after.text == nullptr) fail("a step without both snapshots");
    }
    return findings;
}

bool TypeTestText(Editor *editor, const char *utf8)
{
    Selection &selection = editor->document.selection;
    if (!PrepareCaret(editor) || *utf8 == 0) return false;
    auto length = int32_t(std::strlen(utf8));
    if (auto *run = dynamic_cast<SymbolRunNode *>(selection.start.node))
    {
        editor->BeginEditBatch(EditBatchVariant::kTyping);
        std::string text(static_cast<const char *>(run->text), size_t(run->text.GetLength()));
        text.insert(size_t(selection.start.index), utf8);
        run->text = TextString(text.c_str(), int32_t(text.size()));
        PlaceCaret(editor, run, selection.start.index + length);
    }
    else
    {
        editor->BeginEditBatch();
        auto *newRun = new SymbolRunNode('math');
        newRun->text = utf8;
        InsertAfterCaret(editor, newRun);
        PlaceCaret(editor, newRun, length);
    }
    editor->EndEditBatch();
    editor->typingPosition = selection.end;
    return true;
}

bool InsertTestRow(Editor *editor)
{
    if (!PrepareCaret(editor)) return false;
    if (editor->document.selection.end.node->GetSuperMathNode()->GetKind() != kGroupKind) return false;
    editor->BeginEditBatch();
    auto *row = new RowBeginNode;
    InsertAfterCaret(editor, row);
    PlaceCaret(editor, row, 0);
    editor->EndEditBatch();
    return true;
}

bool InsertTestSpace(Editor *editor)
{
    if (!PrepareCaret(editor)) return false;
    editor->BeginEditBatch();
    auto *space = new SpaceNode;
    InsertAfterCaret(editor, space);
    PlaceCaret(editor, space, 0);
    editor->EndEditBatch();
    return true;
}

bool InsertTestPhantom(Editor *editor)
{
    if (!PrepareCaret(editor)) return false;
    editor->BeginEditBatch();
    auto *phantom = new PhantomNode;
    auto *row = new RowBeginNode;
    phantom->AppendSubnode(row);
    InsertAfterCaret(editor, phantom);
    PlaceCaret(editor, row, 0);
    editor->EndEditBatch();
    return true;
}

bool InsertTestDrawing(Editor *editor)
{
    MathNode *target = editor->document.selection.end.node;
    if (!CanHoldCaret(target)) return false;
    editor->BeginEditBatch(EditBatchVariant::kObject);
    auto *drawing = new TestDrawingNode("Ln");
    editor->document.GetRootStructure()->AppendSubnode(drawing);
    new NodeLink(drawing, target, 0, 0, 0.0f);
    editor->EndEditBatch();
    return true;
}

bool DeleteTestNode(Editor *editor)
{
    EquationDocument &document = editor->document;
    Selection &selection = document.selection;
    if (document.objectSelection.GetElementCount() != 0)
    {
        // Deleting one object may destroy another selected one linked to it: the editor's own
        // deletion copes with that.
        editor->BeginEditBatch(EditBatchVariant::kObject);
        editor->DeleteSelectedObjects();
        CaretPosition end = GetMainGroupEnd(&document);
        PlaceCaret(editor, end.node, end.index);
        editor->EndEditBatch();
        return true;
    }
    if (!CanHoldCaret(selection.start.node) || !CanHoldCaret(selection.end.node)) return false;
    if (!IsCollapsed(selection))
    {
        // The range goes: the nodes after the start through the end, and the start run's tail.
        editor->BeginEditBatch();
        MathNode *start = selection.start.node;
        if (selection.end.node != start)
        {
            MathNode *node = start->GetNextMathNode();
            bool reachedEnd = false;
            while (node != nullptr && !reachedEnd)
            {
                MathNode *next = node->GetNextMathNode();
                reachedEnd = node == selection.end.node;
                delete node;
                node = next;
            }
        }
        if (auto *run = dynamic_cast<SymbolRunNode *>(start))
        {
            int32_t cut = selection.end.node == start ? selection.end.index : run->text.GetLength();
            std::string text(static_cast<const char *>(run->text), size_t(run->text.GetLength()));
            text.erase(size_t(selection.start.index), size_t(cut - selection.start.index));
            run->text = TextString(text.c_str(), int32_t(text.size()));
        }
        PlaceCaret(editor, start, selection.start.index);
        editor->EndEditBatch();
        return true;
    }
    MathNode *node = selection.start.node;
    auto *run = dynamic_cast<SymbolRunNode *>(node);
    if (run != nullptr && selection.start.index > 0 && run->text.GetLength() > 1)
    {
        // The character before the caret.
        editor->BeginEditBatch();
        int32_t index = selection.start.index;
        const char *bytes = run->text;
        int32_t previous = index - 1;
        while (previous > 0 && (static_cast<unsigned char>(bytes[previous]) & 0xC0) == 0x80) --previous;
        std::string text(static_cast<const char *>(run->text), size_t(run->text.GetLength()));
        text.erase(size_t(previous), size_t(index - previous));
        run->text = TextString(text.c_str(), int32_t(text.size()));
        PlaceCaret(editor, run, previous);
        editor->EndEditBatch();
        return true;
    }
    MathNode *before = node->GetPreviousMathNode();
    if (before == nullptr) return false;
    editor->BeginEditBatch();
    PlaceCaret(editor, before, before->GetEndIndex());
    delete node;
    editor->EndEditBatch();
    return true;
}

bool SelectTestRange(Editor *editor, int32_t startNode, int32_t startIndex, int32_t endNode, int32_t endIndex)
{
    std::vector<MathNode *> nodes = CollectCaretNodes(&editor->document);
    if (startNode < 0 || endNode < 0 || size_t(startNode) >= nodes.size() || size_t(endNode) >= nodes.size())
        return false;
    MathNode *start = nodes[size_t(startNode)];
    MathNode *end = nodes[size_t(endNode)];
    if (!IsSameOrLaterSibling(start, end)) return false;
    startIndex = SnapCaretIndex(start, startIndex);
    endIndex = SnapCaretIndex(end, endIndex);
    if (start == end && endIndex < startIndex) std::swap(startIndex, endIndex);
    editor->document.objectSelection.SetElementCount(0);
    editor->document.selection.start = {start, startIndex};
    editor->document.selection.end = {end, endIndex};
    editor->movingEnd = IsCollapsed(editor->document.selection) ? 0 : 1;
    return true;
}

bool SelectTestDrawings(Editor *editor)
{
    std::vector<DocumentNode *> drawings = CollectDrawings(&editor->document);
    if (drawings.empty()) return false;
    editor->document.objectSelection.SetElementCount(0);
    for (DocumentNode *drawing : drawings) editor->document.objectSelection.AddElement(drawing);
    CaretPosition end = GetMainGroupEnd(&editor->document);
    PlaceCaret(editor, end.node, end.index);
    return true;
}

bool SetTestMode(Editor *editor, uint32_t mode)
{
    editor->BeginEditBatch();
    editor->SetEditMode(mode);
    editor->EndEditBatch();
    return true;
}

void ApplyRandomTestEdit(Editor *editor, uint32_t choice)
{
    static const char *const kTexts[] = {"x", "1", "\xCE\xB1", "\xE2\x88\x92", "ab", "\xF0\x9D\x91\xA5", "=", "yz"};
    static const uint32_t kModes[] = {kEditModeMath, kEditModeChem, kEditModeText};
    std::mt19937 random(choice);
    uint32_t operation = random() % 16;
    switch (operation)
    {
    case 0:
    case 1:
    case 2:
    case 3:
        static_cast<void>(TypeTestText(editor, kTexts[random() % 8]));
        break;
    case 4:
        static_cast<void>(InsertTestRow(editor));
        break;
    case 5:
        static_cast<void>(InsertTestSpace(editor));
        break;
    case 6:
        static_cast<void>(InsertTestPhantom(editor));
        break;
    case 7:
        static_cast<void>(InsertTestDrawing(editor));
        break;
    case 8:
    case 9:
        static_cast<void>(DeleteTestNode(editor));
        break;
    case 10:
    case 11:
    {
        // A caret move or a range among the caret node's siblings.
        std::vector<MathNode *> nodes = CollectCaretNodes(&editor->document);
        auto a = int32_t(random() % nodes.size());
        int32_t b = a;
        if (operation == 11)
        {
            MathNode *next = nodes[size_t(a)];
            for (uint32_t steps = random() % 4; steps > 0 && next->GetNextMathNode() != nullptr; --steps)
                next = next->GetNextMathNode();
            for (size_t i = 0; i < nodes.size(); ++i)
            {
                if (nodes[i] == next) b = int32_t(i);
            }
        }
        static_cast<void>(SelectTestRange(editor, a, int32_t(random() % 6), b, int32_t(random() % 6)));
        break;
    }
    case 12:
        static_cast<void>(SelectTestDrawings(editor));
        break;
    case 13:
        static_cast<void>(SetTestMode(editor, kModes[random() % 3]));
        break;
    default:
        // A batch that changes nothing.
        editor->BeginEditBatch();
        editor->EndEditBatch();
        break;
    }

    // Documents stay under 4 KB of text.
    for (int32_t attempt = 0; attempt < 64 && DocumentText(editor).size() > 4096; ++attempt)
    {
        if (attempt == 0 && SelectTestDrawings(editor))
        {
            static_cast<void>(DeleteTestNode(editor));
            continue;
        }
        CaretPosition end = GetMainGroupEnd(&editor->document);
        editor->document.objectSelection.SetElementCount(0);
        PlaceCaret(editor, end.node, 0);
        static_cast<void>(DeleteTestNode(editor));
    }
}

bool RestoreTestText(Editor *editor, const char *text, int32_t startIndex, int32_t endIndex)
{
    auto *step = new (GetUndoRedoStateHeap()) UndoStep;
    if (step == nullptr) return false;
    size_t size = std::strlen(text) + 1;
    step->before.text = static_cast<char *>(AllocateMemory(GetMemoryManagerHeap(), size));
    if (step->before.text == nullptr)
    {
        delete step;
        return false;
    }
    std::memcpy(step->before.text, text, size);
    step->before.size = uint32_t(size);
    step->before.heap = &GetMemoryManagerHeap();
    step->before.editMode = editor->GetEditMode();
    step->before.startIndex = startIndex;
    step->before.endIndex = endIndex;
    bool restored = editor->RestoreUndoSnapshot(step, true);
    delete step;
    return restored;
}

bool LoadTestDocument(Editor *editor, const char *text, int32_t startIndex, int32_t endIndex)
{
    bool restored = RestoreTestText(editor, text, startIndex, endIndex);
    editor->modified = false;
    editor->viewChanged = false;
    editor->settings.layoutDue = false;
    editor->counters = EditorCounters();
    return restored;
}

namespace {

// Lines up to a line "end" (not included); the index moves past it.
std::string ReadBlock(const std::vector<std::string> &lines, size_t *index)
{
    std::string block;
    while (*index < lines.size() && lines[*index] != "end") block += lines[(*index)++] + "\n";
    if (*index < lines.size()) ++*index;
    return block;
}

uint32_t ModeFromName(const std::string &name)
{
    if (name == "chem") return kEditModeChem;
    if (name == "text") return kEditModeText;
    return kEditModeMath;
}

}  // namespace

void TypeScriptText(Editor *editor, const std::string &text, uint32_t flags)
{
    // "\\n" and "\\t" stand for a line feed and a tab, "\\\\" for a backslash, "\\u{hex}" for a code point.
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\\' && text.compare(i, 3, "\\u{") == 0 && text.find('}', i) != std::string::npos)
        {
            size_t close = text.find('}', i);
            auto codePoint = uint32_t(std::stoul(text.substr(i + 3, close - i - 3), nullptr, 16));
            char buffer[4];
            bytes.append(buffer, size_t(EncodeUtf8(buffer, codePoint)));
            i = close;
        }
        else if (text[i] == '\\' && i + 1 < text.size())
        {
            char next = text[++i];
            bytes += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        }
        else
            bytes += text[i];
    }
    size_t at = 0;
    while (at < bytes.size())
    {
        uint32_t codePoint = 0;
        int32_t size = DecodeUtf8(bytes.c_str() + at, &codePoint);
        if (size <= 0) break;
        static_cast<void>(editor->TypeCharacter(codePoint, flags));
        at += size_t(size);
    }
}

void SetScriptDriver(ScriptDriver driver)
{
    scriptDriver = driver;
}

std::string RunEditorScript(const std::string &script)
{
    std::vector<std::string> lines;
    std::istringstream stream(script);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    std::string findings;
    if (TheEditor == nullptr) ResetTheEditor();
    size_t index = 0;
    while (index < lines.size())
    {
        size_t lineNumber = index + 1;
        std::string line = lines[index++];
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command.empty() || command[0] == '#') continue;
        auto report = [&](const std::string &what) {
            findings += "line " + std::to_string(lineNumber) + " (" + line + "): " + what + "\n";
        };
        Editor *editor = TheEditor;
        std::string finding;
        if (scriptDriver != nullptr && scriptDriver(line, &finding))
        {
            if (!finding.empty()) report(finding);
        }
        else if (command == "new")
            ResetTheEditor();
        else if (command == "load")
        {
            int32_t start = 0;
            int32_t end = 0;
            words >> start >> end;
            std::string text = ReadBlock(lines, &index);
            ResetTheEditor();
            if (!LoadTestDocument(TheEditor, text.c_str(), start, end)) report("the text does not read");
        }
        else if (command == "menu")
        {
            int32_t id = 0;
            words >> id;
            static_cast<void>(editor->HandleMenuCommand(id));
        }
        else if (command == "command")
        {
            std::string id;
            words >> id;
            static_cast<void>(editor->RouteCommand(int32_t(std::stol(id, nullptr, 0))));
        }
        else if (command == "edit")
        {
            uint32_t choice = 0;
            words >> choice;
            ApplyRandomTestEdit(editor, choice);
        }
        else if (command == "type" || command == "paste" || command == "literal")
        {
            std::string text;
            std::getline(words >> std::ws, text);
            uint32_t flags = command == "paste" ? kTypePasted : command == "literal" ? kTypeLiteral : 0;
            TypeScriptText(editor, text, flags);
        }
        else if (command == "palette")
        {
            std::string word;
            words >> word;
            uint32_t codePoint = word.rfind("U+", 0) == 0 ? uint32_t(std::stoul(word.substr(2), nullptr, 16)) : 0;
            static_cast<void>(editor->TypeCharacter(codePoint, kTypePalette));
        }
        else if (command == "key")
        {
            // A key-down event: the virtual-key code, "shift" after it for Shift.
            std::string code;
            std::string shift;
            words >> code >> shift;
            UIEvent event;
            event.type = 'kydn';
            event.key = int32_t(std::stol(code, nullptr, 0));
            event.modifiers = shift == "shift" ? kModifierShift : 0;
            static_cast<void>(editor->HandleKeyDown(event));
        }
        else if (command == "backspace")
            static_cast<void>(editor->DeleteBackward());
        else if (command == "delete" && editor->document.objectSelection.GetElementCount() == 0)
            static_cast<void>(editor->DeleteForward());
        else if (command == "row" || command == "space" || command == "phantom" || command == "drawing" ||
                 command == "delete" || command == "objects")
        {
            bool done = command == "row"       ? InsertTestRow(editor)
                        : command == "space"   ? InsertTestSpace(editor)
                        : command == "phantom" ? InsertTestPhantom(editor)
                        : command == "drawing" ? InsertTestDrawing(editor)
                        : command == "delete"  ? DeleteTestNode(editor)
                                               : SelectTestDrawings(editor);
            if (!done) report("refused");
        }
        else if (command == "select")
        {
            int32_t a = 0, ai = 0, b = 0, bi = 0;
            words >> a >> ai >> b >> bi;
            if (!SelectTestRange(editor, a, ai, b, bi)) report("no such range");
        }
        else if (command == "click" || command == "drag" || command == "rclick" || command == "wheel" ||
                 command == "hover")
        {
            // Pointer events at document points (y up), turned into pixels through the view of a
            // 400 x 300 main window (attached on first use): click x y, drag x y x2 y2, rclick x y,
            // wheel x y notches, hover x y; then shift, ctrl or double.
            if (editor->clientWidth == 0) editor->AttachMainWindow(1, 400, 300);
            auto pixel = [editor](float x, float y) {
                float s = editor->pixelScale;
                return Point2D((x - editor->viewCentre.x) / s + editor->halfClientWidth,
                               editor->halfClientHeight - (y - editor->viewCentre.y) / s);
            };
            float x = 0.0f, y = 0.0f, x2 = 0.0f, y2 = 0.0f, notches = 0.0f;
            words >> x >> y;
            if (command == "drag") words >> x2 >> y2;
            if (command == "wheel") words >> notches;
            uint32_t modifiers = 0;
            int32_t doubleClick = 0;
            for (std::string word; words >> word;)
            {
                if (word == "shift") modifiers |= kModifierShift;
                if (word == "ctrl") modifiers |= kModifierControl;
                if (word == "double") doubleClick = 1;
            }
            auto send = [editor, modifiers](uint32_t type, const Point2D &at, uint32_t buttons, int32_t key) {
                UIEvent event;
                event.type = type;
                event.position = at;
                event.modifiers = buttons | (type == 'msmv' ? modifiers & kModifierShift : modifiers);
                event.key = key;
                return editor->HandleMouseEvent(event);
            };
            Point2D at = pixel(x, y);
            static_cast<void>(send('msmv', at, 0, 0));
            if (command == "click" || command == "drag")
            {
                static_cast<void>(send('lmdn', at, 1, doubleClick));
                if (command == "drag") at = pixel(x2, y2);
                static_cast<void>(send('msmv', at, 0, 0));
                static_cast<void>(send('lmup', at, 0, 0));
            }
            else if (command == "rclick")
            {
                static_cast<void>(send('rmdn', at, 2, 0));
                static_cast<void>(send('rmup', at, 0, 0));
            }
            else if (command == "wheel")
            {
                UIEvent event;
                event.type = 'mwhl';
                event.position = at;
                event.modifiers = modifiers;
                event.wheel = Vector2D(0.0f, notches);
                static_cast<void>(editor->HandleMouseEvent(event));
            }
        }
        else if (command == "layout")
        {
            if (!LayoutTestDocument(editor)) report("the renderer did not start");
        }
        else if (command == "mode")
        {
            std::string name;
            words >> name;
            static_cast<void>(SetTestMode(editor, ModeFromName(name)));
        }
        else if (command == "expect")
        {
            std::string what;
            words >> what;
            std::string rest;
            std::getline(words >> std::ws, rest);
            std::string actual;
            std::string expected = rest;
            if (what == "dump")
            {
                expected = ReadBlock(lines, &index);
                actual = DumpState(editor);
            }
            else if (what == "text")
            {
                expected = ReadBlock(lines, &index);
                actual = DocumentText(editor);
            }
            else if (what == "sketch")
                actual = SketchDocument(editor);
            else if (what == "steps")
                actual = DescribeSteps(editor);
            else if (what == "menu")
            {
                std::vector<int32_t> enabledIds;
                std::vector<int32_t> checkedIds;
                std::istringstream ids(rest);
                std::string item;
                std::string expectedEnabled;
                std::string expectedChecked;
                while (ids >> item)
                {
                    int32_t id = std::atoi(item.c_str());
                    bool isCheck = id >= kMenuMathMode && id <= kMenuTextMode;
                    (isCheck ? checkedIds : enabledIds).push_back(id);
                    std::string &target = isCheck ? expectedChecked : expectedEnabled;
                    target += (target.empty() ? "" : " ") + item;
                }
                expected = expectedEnabled + "|" + expectedChecked;
                actual = GetHarnessMenus().DescribeEnabled(enabledIds) + "|" +
                         GetHarnessMenus().DescribeChecked(checkedIds);
            }
            else
            {
                report("unknown expectation");
                continue;
            }
            if (actual != expected) report("expected\n" + expected + "\nbut found\n" + actual);
        }
        else
        {
            report("unknown command");
            continue;
        }
        std::string broken = CheckEditorInvariants(TheEditor);
        if (!broken.empty()) report("invariants:\n" + broken);
    }
    return findings;
}

std::string WriteEditScript(const std::vector<int32_t> &operations)
{
    std::string script = "new\n";
    for (int32_t operation : operations)
    {
        if (operation >= 0)
            script += "edit " + std::to_string(operation) + "\n";
        else
            script += "menu " + std::to_string(kMenuUndo - 1 - operation) + "\n";
    }
    return script;
}

}  // namespace oq::test
