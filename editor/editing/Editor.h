#pragma once

#include "base/Box2D.h"
#include "base/Color.h"
#include "base/List.h"
#include "base/Matrix4D.h"
#include "editor/document/EquationDocument.h"
#include "editor/editing/AnchorHandles.h"
#include "editor/editing/ArrowPartLists.h"
#include "editor/editing/CaretHitTest.h"
#include "editor/editing/SelectionOverlay.h"
#include "editor/editing/ToolPanel.h"
#include "editor/editing/UndoStep.h"
#include "editor/fonts/EditorSettings.h"
#include "editor/platform/ShellServices.h"
#include "editor/platform/TextBuffer.h"
#include "editor/platform/WindowSystem.h"

#include <cstdint>

namespace oq {

class BondNode;
class BracketNode;
class GroupNode;
class Heap;
class IntegralNode;
class IterationNode;
class MatrixNode;
class MenuState;
class Renderer;
class ScriptNode;
class ShapeRenderObject;
class StackNode;
class StructureNode;
class SymbolRunNode;
class Widget;

// Flags of Editor::TypeCharacter: type while drawing objects are selected (palettes); control
// characters act (pasted text); literal, no automatic conversion (LaTeX input).
constexpr uint32_t kTypePalette = 1;
constexpr uint32_t kTypePasted = 2;
constexpr uint32_t kTypeLiteral = 4;

// The drawing tool groups of the tool panel.
constexpr uint32_t kToolGroupEquation = 0;
constexpr uint32_t kToolGroupAnnotation = 'anno';
constexpr uint32_t kToolGroupLine = 'line';
constexpr uint32_t kToolGroupShape = 'shap';

// The three edit modes.
constexpr uint32_t kEditModeMath = 'math';
constexpr uint32_t kEditModeChem = 'chem';
constexpr uint32_t kEditModeText = 'text';

// How an edit batch opens: plain; for objects (the view stays where it is); for typing into an
// existing run (no new step while the caret stands where the last character was typed).
enum class EditBatchVariant
{
    kPlain,
    kObject,
    kTyping,
};

// How often the editor did the costly things; tests read them, nothing else does.
struct EditorCounters
{
    int64_t writeText = 0;        // document texts written for undo snapshots
    int64_t parseAndResolve = 0;  // snapshot texts read back
    int64_t updateLayout = 0;
    int64_t renderObjectBuilds = 0;
    int64_t overlayBuilds = 0;
    int64_t frames = 0;
    int64_t meshBuilds = 0;       // glyph mesh items made by layouts
};

// The one editor: the document with its selection, the undo history and edit batches, the tool
// state, the preferences and the dirty flags the frame tick turns into relayouts and redraws. It is
// the main window's host: the loop turn hands it the window's input and ticks and draws its frames.
class Editor : public PopupHost
{
public:
    // A new document (the main group with one empty row, the caret at its start), empty history.
    Editor();
    // Frees the history; the document goes with its tree.
    ~Editor();

    Editor(const Editor &) = delete;
    Editor &operator=(const Editor &) = delete;

    // Edit batches: every change to the document runs between these two. Only the outermost begin
    // pushes a step (the typing variant not while the caret stands at TypingPosition) and sets the
    // flags; only the outermost end captures the after-snapshot and enables Undo.
    void BeginEditBatch(EditBatchVariant variant = EditBatchVariant::kPlain);
    void EndEditBatch();

    // Sets the redo tail aside (an outermost batch that changes nothing puts it back), pushes a
    // step holding the document as it is now and makes it current. False when memory ran out: the
    // history is then cleared and the edit goes on without undo.
    [[nodiscard]] bool PushUndoStep();
    // Makes the document equal to the before- or after-snapshot of a step. The snapshot is read
    // into a document of its own first: when it does not read back, nothing changes, the result
    // goes to the log and the answer is false.
    [[nodiscard]] bool RestoreUndoSnapshot(UndoStep *step, bool useBefore);

    // The Edit menu's Undo (513), Redo (514), Undo All (515) and Redo All (516): whether the view
    // must be redrawn (false at the ends of the history and when a snapshot did not read back).
    [[nodiscard]] bool Undo();
    [[nodiscard]] bool Redo();
    [[nodiscard]] bool UndoAll();
    [[nodiscard]] bool RedoAll();

    // Runs a menu command; whether the view must be redrawn.
    [[nodiscard]] bool HandleMenuCommand(int32_t id);

    // Tool state setters; each does nothing when the value does not change.
    void SetEditMode(uint32_t mode);
    void SetDrawingToolGroup(uint32_t group);
    void SetStyleKey(uint32_t key);

    // A typed capital or small letter under the style key: the letter itself for the font-drawn
    // styles, the styled mathematical letter for the stored ones, the Greek key's letter for 'grek'
    // and 'bdgk'. The style goes out where the key gives one; otherwise it is left as it was.
    uint32_t MapUppercaseLetter(uint32_t letter, uint32_t *style) const;
    uint32_t MapLowercaseLetter(uint32_t letter, uint32_t *style) const;

    // Types one code point at the selection (replacing a range) as one undo step: interpreted by
    // mode, style key and class, put into the caret's run when the format allows, else into a new
    // run; neighbouring runs merged. Whether the document changed.
    [[nodiscard]] bool TypeCharacter(uint32_t codePoint, uint32_t flags);
    // What a typed code point becomes: the code point to type with its role and style, and in text
    // mode whether it joins the caret's run whatever its format. With commands on, the classes that
    // make structures run their command and give 0; convert goes on to those commands.
    uint32_t InterpretTypedCharacter(uint32_t codePoint, uint32_t *role, uint32_t *style, bool *join, bool commands,
                                     bool convert);
    // A Unicode space other than U+0020 inserts a space node of its width and gives 0; U+0020
    // comes back.
    uint32_t TypeSpaceCharacter(uint32_t codePoint);
    // Merges neighbouring runs of one format in the group (the caret's group when null), inside
    // structures too when recursive; the selection and TypingPosition stay on the same characters.
    void MergeAdjacentRuns(GroupNode *group, bool recursive);

    // The one selection setter for outside callers: an end at the start of a symbol run is stored
    // as the end of the node before it, the same place, so that no cut leaves an empty run. The
    // selection overlay goes (the next frame rebuilds it).
    void SetSelection(CaretPosition start, CaretPosition end);
    // Applies that rule to the selection as it stands.
    void NormalizeSelectionEnds();

    // Backspace and Delete: one undo step each; false (no step) where there is nothing to delete.
    [[nodiscard]] bool DeleteBackward();
    [[nodiscard]] bool DeleteForward();
    // Cuts the runs at the selection ends so that it covers whole nodes: the start node is then the
    // last node before the range, the end node the last one in it. Empties the object selection.
    [[nodiscard]] bool SplitRunsAtSelection();
    // Deletes the nodes of the selection (row starts join rows) and collapses it to the start.
    [[nodiscard]] bool DeleteSelectionRange();
    // Moves the selected nodes into the group, whose content becomes the selection. False, with
    // nothing moved, when the moved nodes would nest deeper than a document may.
    [[nodiscard]] bool MoveSelectionIntoGroup(GroupNode *group);
    // Puts a new structure at the selection: the selected nodes move into the group, or are
    // deleted without one. False, with nothing changed and the structure not taken, when the
    // document would nest deeper than it may.
    [[nodiscard]] bool InsertStructure(MathNode *structure, GroupNode *group);
    // Whether every node stays within the nesting a document may be read with when the nodes first
    // to last (siblings, or none when first is null) are put levels deeper below the group (or
    // phantom: whatever holds the rows).
    bool FitsNestingLimit(const MathNode *group, int32_t levels, const MathNode *first, const MathNode *last) const;
    // Deletes a row start of a group; in a top-level group the drawings on that row's anchors go
    // with it and those on later rows follow their rows.
    void RemoveRowStart(MathNode *rowBegin);

    // Deletes a node (a row start through RemoveRowStart), merges the caret group's runs and
    // sweeps the drawings of rows that no longer exist.
    void DeleteNodeAndTidy(MathNode *node, GroupNode *group);
    // Backspace or Delete on a range: one step that deletes it.
    bool DeleteRangeAsStep();

    // Function names and backslash commands, run by typing in math (and chem) mode.
    // The backslash run before the run and the name up to the index become the named character
    // (typed with TypeCharacter, one step); false when there is no backslash run or no such name.
    [[nodiscard]] bool RunBackslashCommand(SymbolRunNode *run, int32_t index);
    // Whether the character typed at the index of a 'func' run keeps the run a function name.
    bool ContinuesFunctionName(const SymbolRunNode *run, int32_t index, uint32_t codePoint) const;
    // Splits a function name ending at the index off an italic 'math' run as an upright 'func' run.
    [[nodiscard]] bool RecognizeFunctionName(SymbolRunNode *run, int32_t index);

    // Commands typing calls whose editing lands later: each refuses (false) for now.
    [[nodiscard]] bool InsertStructureCommand(uint8_t characterClass, uint32_t codePoint, bool convert);
    // The structure commands 0x8901-0x891D: whether the document changed (other ids do nothing).
    [[nodiscard]] bool RunStructureCommand(int32_t id);
    // A wide mark of the type ("t"), over or under its body, with or without a label group.
    [[nodiscard]] bool InsertWideMark(uint32_t type, bool under, bool withLabel);

    // Row, space and decoration commands and the editing command ids: each whether the document
    // changed, one undo step when called alone.
    // A row break at the caret (a selection is replaced); drawings on later rows keep their rows.
    [[nodiscard]] bool InsertRowBreak();
    // A space of the width in math units; a second zero-width space beside one is refused.
    [[nodiscard]] bool InsertSpace(float width);
    // A tab stop of the width in ems (0: the default tab).
    [[nodiscard]] bool InsertTabSpace(float width);
    // An alignment mark 'left', 'rght' or 'cent'.
    [[nodiscard]] bool InsertAligner(uint32_t kind);
    // Decorate the character before the caret, cut out as a run of its own, in the current colour.
    [[nodiscard]] bool AddMark(uint32_t codePoint, bool below);
    [[nodiscard]] bool AddNegation(uint32_t kind);
    [[nodiscard]] bool AddSlash(uint32_t kind);
    [[nodiscard]] bool AddEnclosure(uint32_t kind);
    // A prime after the caret, combined with a prime of the same colour before it up to four.
    [[nodiscard]] bool AddPrime(uint32_t codePoint);
    // What typing makes of the classes 'C' (enclosures), 'K' (negations), 'P' (primes), 'Y' and 'Z'
    // (marks above and below): the command's result.
    [[nodiscard]] bool RunDecorationCharacter(uint8_t characterClass, uint32_t codePoint);
    // A command id: menu ids to HandleMenuCommand, editing ids through their family's table.
    // Whether the view must be redrawn.
    [[nodiscard]] bool RouteCommand(int32_t id);

    // Structure insertion: each puts a new structure at the selection as one undo step, the selected
    // nodes moving into its main slot, and answers whether the document changed (false where the
    // nesting guard refuses). Fences get at least one body group.
    [[nodiscard]] bool InsertFence(uint32_t left, uint32_t right, uint32_t middle, int32_t bodyGroupCount);
    // Unless alwaysNew, completes the scripts node the caret stands after (before, for pre-scripts).
    [[nodiscard]] bool InsertSubscript(bool pre, bool alwaysNew);
    [[nodiscard]] bool InsertSuperscript(bool pre, bool alwaysNew);
    [[nodiscard]] bool InsertScript(bool pre, bool alwaysNew, bool subscript);
    [[nodiscard]] bool InsertFraction(uint32_t type, bool small, bool atop);
    // With degree text the degree holds it as a number run and the caret goes to the radicand's
    // start; with an empty degree the caret goes into the degree.
    [[nodiscard]] bool InsertRadical(bool withDegree, const char *degreeText);
    [[nodiscard]] bool InsertLongDivision(bool withQuotient);
    // False without labels when the selection is the whole base of a stack that has none.
    [[nodiscard]] bool InsertStack(bool withLower, bool withUpper);
    [[nodiscard]] bool InsertStrike(uint32_t type);
    [[nodiscard]] bool InsertBox(uint32_t type);
    // With limits the caret goes to the start of the lower limit (the upper when only it exists).
    [[nodiscard]] bool InsertIteration(uint32_t codePoint, bool inlineLimits, bool withLower, bool withUpper);
    [[nodiscard]] bool InsertIntegral(uint32_t codePoint, bool inlineLimits, bool withLower, bool withUpper);
    // A label alignment of -1 is no such label; without labels the selection is deleted and the caret
    // goes just after the arrow.
    [[nodiscard]] bool InsertArrow(const ArrowPartLists &parts, int32_t upperAlignment, int32_t lowerAlignment);
    // Seven styles and seven angle modes in place order; a label group for each labelled place whose
    // style is not 0.
    [[nodiscard]] bool InsertBond(const uint32_t *styles, const uint32_t *angleModes);
    // Rows and columns are clamped to 1-32; the selection is deleted and the caret goes into the
    // first cell.
    [[nodiscard]] bool InsertMatrix(int32_t rows, int32_t columns, uint32_t alignment, bool equalHeights,
                                    bool equalWidths, bool rowGaps, bool columnGaps);
    // Wraps the selection, or the node before the caret (a run's last character), into a phantom;
    // false with the caret on an alignment mark, a row start or a phantom.
    [[nodiscard]] bool InsertPhantom(uint32_t type);
    // Moves a node to the end of the container; a row start leaving a top-level group takes the
    // drawings on its row's anchors with it and those of later rows follow their rows.
    void MoveNodeInto(MathNode *node, MathNode *container);
    // The drawing side of RemoveRowStart, for a row start that leaves its group.
    void DropRowAnchors(MathNode *rowBegin);
    // A row start put into a group: links to the anchors of the rows after it move down one row.
    void RaiseRowAnchors(MathNode *rowBegin);
    // Whether InsertStructure would take the structure (the nesting guard), changing nothing.
    bool CanInsertStructure(const MathNode *structure, const GroupNode *group) const;
    // Whether the command the last typed character ran changed the document.
    bool typedCommandChanged = false;

    // The two bands of the main window: roots made with the window, their children built by
    // BuildToolPanel whenever a frame finds the tool band empty.
    Widget *toolBandRoot = nullptr;
    Widget *statusBandRoot = nullptr;
    void BuildToolPanel();
    // Deletes the children of both band roots (a size change, a design load): the next frame rebuilds them.
    void DeleteToolPanel();

    // Tool panel, laid out for the client size and dpi: the band widgets the setters change (weak
    // links) and the status-band field texts.
    ToolPanelWidgets panel;
    void UpdateFontSizeField();
    void UpdateZoomField();
    // Deletes the bands' children and frees the status font and the "Tools" icons; the renderer
    // they came from must still be set.
    void ReleaseToolPanelResources();

    // Structure property setters, group, style and zoom commands, drawing order and Box Equation.
    // The setters change a structure's properties and create or delete its optional slot groups
    // in one step; a deleted group that held the caret leaves it just after the structure. Each
    // answers whether the document changed.
    [[nodiscard]] bool SetBracketProperties(BracketNode *bracket, uint32_t left, uint32_t right, uint32_t middle,
                                            int32_t bodyCount, bool asymmetric, bool centered);
    [[nodiscard]] bool SetScriptProperties(ScriptNode *scripts, bool hasSubscript, bool hasSuperscript, bool pre,
                                           bool outer, bool noSlant);
    [[nodiscard]] bool SetStackLabels(StackNode *stack, bool hasLower, bool hasUpper, bool small);
    [[nodiscard]] bool SetIterationProperties(IterationNode *iteration, uint32_t codePoint, bool small,
                                              bool inlineLimits, bool hasLower, bool hasUpper, bool hasModifier);
    [[nodiscard]] bool SetIntegralProperties(IntegralNode *integral, uint32_t codePoint, bool small, bool inlineLimits,
                                             bool keepGlyph, bool grow, bool hasLower, bool hasUpper);
    // Label groups exist where a place's label value is not 0; removing one destroys the
    // structures linked at its anchor.
    [[nodiscard]] bool SetBondEndLabels(BondNode *bond, const uint32_t labels[7], const uint32_t seconds[7]);
    // Inside the caller's batch: old cells keep their row and column, links follow (1-32 each).
    [[nodiscard]] bool SetMatrixCells(MatrixNode *matrix, int32_t rows, int32_t columns);
    // The selected groups, or else the caret's group: "al", "ba" and the size "as" (1/16 steps
    // within 0.5-2; the main group is resized only as a selected object).
    [[nodiscard]] bool SetGroupAlignment(uint32_t alignment);
    [[nodiscard]] bool SetGroupBaseline(uint32_t baseline);
    [[nodiscard]] bool DecreaseGroupSize();
    [[nodiscard]] bool IncreaseGroupSize();
    [[nodiscard]] bool ResetGroupSize();
    // Dissolves the phantoms of the selection (the one the caret stands after), contents kept.
    [[nodiscard]] bool ReleasePhantoms();
    // Restyles the runs of the range; 'grek' and 'bdgk' toggle between upright and italic Greek.
    [[nodiscard]] bool SetSelectionStyle(uint32_t style);
    // Zooms keeping the moving end's caret point at its pixel; no step.
    bool ZoomKeepingCaret(float newZoom);
    // The Drawing menu's stacking commands: whether the top-level order changed.
    [[nodiscard]] bool MoveObjectsToForeground();
    [[nodiscard]] bool MoveObjectsToBackground();
    [[nodiscard]] bool BringObjectsForward();
    [[nodiscard]] bool SendObjectsBackward();
    [[nodiscard]] bool BringObjectsToFront();
    [[nodiscard]] bool SendObjectsToBack();
    // Frames the main group with a rectangle linked to two opposite corners; false when framed.
    [[nodiscard]] bool BoxEquation();

    // Clears every field that points into the document tree (besides the selections, which the
    // caller sets): called by every replacement of the tree.
    void ForgetDocumentReferences();
    // Destroys the document's tree and moves the top-level structures of a parsed document in.
    void ReplaceDocumentTree(EquationDocument *source);

    // The overlay caches the tree's changes make stale (built by the frame render).
    // Also empties the anchor records and forgets the group they were built for.
    void DiscardAnchorOverlay();
    // The two hover overlays: whether something shown went away.
    bool DiscardHoverHighlight();
    bool DiscardObjectHoverOutline();
    // Releases the selection and handle overlays; the end handles keep their last values.
    void DiscardSelectionOverlay();

    // Pointer look-ups in document units (y up). The caret under the point in the group, recursing
    // into nested groups and structures' slots, kept within the clip range when one is given.
    [[nodiscard]] bool FindCaretAtPoint(GroupNode *group, const Point2D &point, CaretPosition *position,
                                        const CaretClipRange *clip = nullptr) const;
    // The last top-level node whose hit test accepts the point within 3/zoom; null when none.
    [[nodiscard]] DocumentNode *FindObjectAtPoint(const Point2D &point);

    // The anchor record nearest the point within 3/zoom (strictly; the earlier wins a tie), guide
    // lines skipped; null when none or when it is the excluded anchor.
    [[nodiscard]] const AnchorRecord *FindAnchorAtPoint(const Point2D &point, const AnchorRecord *excluded) const;
    // Where a drawing of the category ('line', 'jost', 'shap') may end: a point anchor, else for a
    // line the nearest guide within 3/zoom (offset: the point's distance from the start along it).
    // Never the start anchor, and for a shape never one with the start's x or y.
    [[nodiscard]] const AnchorRecord *FindConnectTarget(const Point2D &point, uint32_t category,
                                                        const AnchorRecord *start, float *offset) const;

    // Highlights the anchor under the pointer (a square of half side 3/zoom at the point, in the
    // anchor's colour); false when that anchor at that point is already highlighted.
    bool HighlightAnchor(const AnchorRecord &record, const Point2D &point);
    // Outlines the object under the pointer at 3/zoom: at once when it comes from another object
    // (true), 100 ms after LastTickTime when it comes from empty space (false: the tick shows it).
    bool ShowObjectHoverOutline(DocumentNode *object);

    float zoom = 1.0f;  // the view's zoom: every editing-aid tolerance is fixed in points over it
    AnchorRecords anchorRecords;        // the handles of the anchor overlay, in build order
    GroupNode *anchorGroup = nullptr;   // the group the anchor overlay was built for
    HoverHighlight highlight;           // the anchor highlighted under the pointer
    DocumentNode *hoveredObject = nullptr;
    List hoverOutlineItems;             // the hovered object's outline items
    int64_t lastTickTime = 0;           // ms, the frame tick's clock
    int64_t hoverDeadline = 0;          // when the hover outline is due

    // Frame tick, frame render, the main window and its view.
    // The PopupHost hooks: the active popup (setting one clears the held buttons and the drag
    // mode), the main window's input (TypeCharacter, HandleKeyDown, HandleMouseEvent, size,
    // exposure, close), the tick (Shift from the modifiers) and the frame.
    void SetActivePopup(DialogWindow *dialog) override;
    DialogWindow *GetActivePopup() const override;
    bool HandleMainWindowInput(const WindowInput &input) override;
    bool TickFrame(uint32_t modifiers, uint64_t *deadline) override;
    void RenderFrame() override;
    // The tick at the clock value with the live Shift state: whether a frame is due; the deadline
    // out (0: none).
    bool TickAt(uint64_t now, bool shift, uint64_t *deadline);
    // Takes the main window (client size in pixels) whose target the renderer has started: the
    // dpi, the band roots and the reset view; the first frame lays out and brings the caret into view.
    void AttachMainWindow(WindowHandle window, int32_t width, int32_t height);
    // Deletes the band roots with their children and the frame's GPU objects.
    void DetachMainWindow();
    // A new client size: the editing area's top-left keeps its document point, the target follows,
    // the bands are emptied and a frame is drawn at once. False for the size already stored.
    bool OnSize(int32_t width, int32_t height);
    // The UI scale, band heights, half client size and UI projection from the dpi and the size.
    void UpdateViewTransform();
    // Zoom 2 with the document origin half an inch from the left, halfway between the bands.
    void ResetView();
    // Clamps to [0.25, 10000] (not a number: 0.25), discards the zoom-sized overlays, recomputes
    // the pixel scale and the document projection and checks the zoom item equal to it.
    void SetZoom(float newZoom);
    // Moves the view centre, per axis and only as far as needed, so the box (document points, y
    // up) lies inside the strip between the bands shrunk by half an inch; left and top first.
    void ScrollToShowBox(const Box2D &box);
    // Outside the strip: moves the view towards the pixel position; whether it moved.
    bool AutoscrollWhileDragging(const Point2D &pixel);
    // The document transform D: projection x inverse camera.
    Matrix4D GetDocumentTransform() const;
    // The main window's mouse events (window pixels) and the view's drag step (also replayed by the
    // tick); the deferred reload's stand-ins do nothing until it lands.
    [[nodiscard]] bool HandleMouseEvent(const UIEvent &event);
    [[nodiscard]] bool HandlePointerDrag(const UIEvent &event);
    void ReloadDesignFonts(int32_t verb);
    void StartFontLoading();
    // Deletes the glyph meshes and the path objects (the renderer must still be there).
    void ReleaseFrameObjects();
    void ReleasePreviewOverlay();
    // The frame render's steps 2 to 15 on a started renderer, and its layout step in its parts: the
    // document's layout (overlays discarded, missing fonts noted), the glyph meshes of the top-level
    // nodes, and the path objects of the three layers with the editing aids.
    void DrawFrame(Renderer &renderer);
    void LayoutFrame(Renderer &renderer);
    void UpdateFrameLayout();
    void BuildFrameMeshes();
    void BuildFramePaths(Renderer &renderer);

    WindowHandle mainWindow = 0;
    int32_t clientWidth = 0;      // pixels
    int32_t clientHeight = 0;
    float halfClientWidth = 0.0f;
    float halfClientHeight = 0.0f;
    float dpi = 96.0f;
    float uiScale = 0.75f;        // points per pixel, 72/dpi
    int32_t toolBandHeight = 0;   // 40 pt in pixels
    int32_t statusBandHeight = 0; // 18 pt in pixels
    float pixelScale = 0.75f;     // document units per pixel, 72/(zoom x dpi)
    Point2D viewCentre{0.0f, 0.0f};  // the document point (y up) at the client's centre
    Matrix4D viewCamera;          // translation (cx, -cy): items on the GPU have y down
    Matrix4D documentProjection;  // camera units to clip space
    Matrix4D uiProjection;        // centred UI points (y down) to clip space
    Link<DialogWindow> activePopup;
    int32_t heldButtons = 0;      // pointer buttons pressed in the view
    uint32_t dragMode = 0;        // 'eqtn', 'draw', 'conn' while dragging; 0 none
    UIEvent lastDragEvent;        // window pixels
    uint64_t lastAutoscrollTime = 0;
    int32_t verbRequest = 0;      // the embedded object's pending verb (1 or 2), 0 none
    bool fontLoadPending = false;
    TextString missingFontNames[kDesignFontSlotCount];
    List glyphMeshItems;
    ShapeRenderObject *equationPaths = nullptr;
    ShapeRenderObject *editingAids = nullptr;
    // The drawings below and above the equation: per drawing its fill object, then its stroke
    // pieces as one coverage group.
    Array<ShapeRenderObject *, 4> backgroundPaths;
    Array<ShapeRenderObject *, 4> foregroundPaths;
    DocumentNode *previewObject = nullptr;  // a drawing being created, not in the document
    ShapeRenderObject *previewOverlay = nullptr;
    void (*frameObserver)() = nullptr;      // after a frame is drawn, before it is presented (tests)

    // Selection, handle, anchor and hover overlays: each kept as its items in document units and as
    // the render object built from them when a renderer is set (the frame render draws those).
    // The caret bar (with the Active Baseline bar), the boxes of a range or the outlines of the
    // selected objects, with the end handles of one selected drawing; restarts the caret blink.
    void BuildSelectionOverlay();
    // The anchors the drawing tool or the one selected drawing may connect to, as records and squares.
    void BuildAnchorOverlay();
    // Highlights an end handle (a black square of half side 3.75/zoom); false when already shown.
    bool HighlightEndHandle(const EndHandle &handle);
    ShapeRenderObject *selectionOverlay = nullptr;
    uint32_t selectionOverlayKind = kSelectionOverlayCaret;
    List selectionItems;           // the rectangles or outlines, coloured by selectionColor
    ColorRGBA selectionColor = {0.0f, 0.0f, 0.0f, 0.75f};
    ShapeRenderObject *handleOverlay = nullptr;
    List handleItems;              // black then white squares at both ends
    bool handlesShown = false;     // one drawing selected alone: endHandles are live
    EndHandle endHandles[2];
    Box2D caretBoxes[2];           // the start and end caret boxes, kept in view
    Point2D caretPoints[2] = {Point2D(0.0f, 0.0f), Point2D(0.0f, 0.0f)};  // kept in place by zooming
    bool caretVisible = true;
    int64_t nextBlinkTime = 0;     // ms, when the caret bar next changes phase
    uint32_t blinkPeriod = kCaretBlinkTime;
    ShapeRenderObject *anchorOverlay = nullptr;
    List anchorItems;              // the squares and guides of anchorRecords
    ShapeRenderObject *highlightOverlay = nullptr;
    ShapeRenderObject *hoverOutlineObject = nullptr;
    ColorRGBA hoverOutlineColor = {0.0f, 0.0f, 0.0f, 0.5f};

    // Click selection and object selection.
    // Stores the two positions in document order (ends in different slots of one structure select
    // the whole structure), empties the object selection and answers the new moving end (1, -1, 0).
    int32_t OrderSelectionEnds(CaretPosition anchor, CaretPosition moving);
    // A left press that found a caret position: places, extends (Shift, from pressFlags) or, on a
    // double click (pressDoubleClick), selects its group; the drag mode becomes 'eqtn'.
    void PlaceCaretFromPress(CaretPosition position);
    // A right press at the document point: selects, keeps or (Shift) deselects the object there;
    // whether an object was hit.
    [[nodiscard]] bool HandleRightPress(const Point2D &point);
    // Empties the object selection and collapses the caret at the end of the main group.
    void PutCaretAtEnd();
    // Deletes the selected objects with what is linked to them as one undo step.
    void DeleteSelectedObjects();
    CaretPosition selectionAnchor;  // the fixed end of a selection made with the pointer or Shift
    uint32_t pressFlags = 0;        // key-state bits of the last left or right press (4 Shift, 8 Ctrl)
    bool pressDoubleClick = false;  // the last left press completed a double click

    // Keys and caret movement.
    // A 'kydn' event: Escape, the object-selection keys, editing keys and caret moves (Shift
    // extends); whether the view must be redrawn.
    [[nodiscard]] bool HandleKeyDown(const UIEvent &event);
    // The caret stop in the row whose begin is given nearest the x (group coordinates): inside a
    // run before the character under x, else after the last node x passed (more than half of it).
    CaretPosition FindNodeAtX(float x, MathNode *rowBegin) const;
    // The position one row up or down near the caret's x; the first row goes to the slot group
    // above (below) unless it stays in its group, else to the group's start (end).
    CaretPosition FindPositionAbove(const CaretPosition &position, bool stayInGroup) const;
    CaretPosition FindPositionBelow(const CaretPosition &position, bool stayInGroup) const;
    // The arrows, Home and End, extending with Shift: whether the selection changed (Up always).
    [[nodiscard]] bool MoveCaretLeft(bool extend);
    [[nodiscard]] bool MoveCaretRight(bool extend);
    [[nodiscard]] bool MoveCaretUp(bool extend);
    [[nodiscard]] bool MoveCaretDown(bool extend);
    [[nodiscard]] bool MoveCaretToGroupStart(bool extend);
    [[nodiscard]] bool MoveCaretToGroupEnd(bool extend);
    // Tab and Shift+Tab: selects the next (previous) slot group's content, leaves the structure
    // after its last slot, or cycles the annotation groups; false where there is nowhere to go.
    [[nodiscard]] bool MoveToNextField(bool backwards);

    // Pointer input: the dispatcher of the main window's mouse events and the view's left-button drag.
    // Each handler answers whether the view must be redrawn.
    [[nodiscard]] bool HandleLeftPress(const UIEvent &event);
    [[nodiscard]] bool HandleLeftRelease(const UIEvent &event);
    // Ends a drag without committing it: deletes the preview, puts a dragged end back (document
    // changed), releases the capture and clears the held buttons; DragMode becomes 0.
    void CancelDrag();
    // Forgets a drag's references into the tree (the tree is being replaced); DragMode becomes 0.
    void ForgetDrag();
    // Moves the view with the pointer by a pixel motion; true (a redraw).
    bool PanView(float dx, float dy);
    // The hover step of a move with no button held: end handles, then anchors, then objects.
    bool HoverAt(const UIEvent &event);
    // The nearer end handle within 3/zoom of the point (the start when equally near); null when none.
    const EndHandle *FindEndHandleAt(const Point2D &point) const;
    // The tool-panel choices made into a new drawing of the line or shape tool; null for no tool.
    DocumentNode *MakeLineToolObject() const;
    DocumentNode *MakeShapeToolObject() const;
    // Where a 'draw' or 'conn' drag ends for the pointer: the point, the target (null for none) and
    // the link value (an edge offset, 0 below 3/zoom).
    const AnchorRecord *FindDragTarget(const UIEvent &event, Point2D *point, float *linkValue) const;
    // The document point (y up) of a window pixel.
    Point2D GetDocumentPoint(const Point2D &pixel) const;
    // Takes or releases the mouse capture of the main window through the window system.
    void SetMouseCapture(bool capture);
    bool mouseCaptured = false;
    Point2D lastPointerPixel{0.0f, 0.0f};
    AnchorRecord startAnchor;          // where the drawing being created starts
    EndHandle grabbedHandle;           // the end handle being moved
    DocumentNode *connectObject = nullptr;
    AnchorRecord otherEnd;             // the end that stays: its link's target and the other handle's point
    bool grabbedLineStart = false;     // the start end of a straight line is moved

    // Writes one line to the log (stderr unless a test replaced the sink).
    void Log(const char *line) const;

    uint32_t GetEditMode() const { return settings.state.editMode; }

    EquationDocument document;
    // The preferences, the tool state config.quist stores (edit mode, tool-panel choices, colours,
    // view flags), the function-name lists, and the preferences-changed and document-changed flags.
    EditorSettings settings;
    uint32_t drawingToolGroup = kToolGroupEquation;
    uint32_t styleKey = 0;     // pending character style, 0 none
    uint32_t pendingRole = 0;  // role the next typed character takes, 0 none
    int32_t movingEnd = 0;     // 1 the end moves, -1 the start, 0 neither

    // Dirty flags. Document changed (relayout due) is settings.layoutDue and preferences changed is
    // settings.preferencesChanged: one set of fields with the settings functions.
    bool modified = false;
    bool viewChanged = false;
    bool saveEnabled = false;

    // The undo history: steps in push order; the current step's after-state is on screen (null:
    // before the first step); the steps after it are the redo tail.
    List undoHistory;
    UndoStep *currentStep = nullptr;
    CaretPosition typingPosition;
    int32_t editBatch = 0;  // depth of open edit batches

    // Where steps and snapshot texts come from (tests put heaps that run out in their place), and
    // the one buffer every snapshot is written into before it is copied out at its size.
    Heap *undoStepHeap;
    Heap *snapshotHeap;
    TextBuffer snapshotScratch;

    MenuState *menus = nullptr;
    void (*logSink)(const char *line) = nullptr;
    EditorCounters counters;

private:
    // Rebuilds the highlight's render object from its square.
    void BuildHighlightObject();

    // Frees every step (memory ran out): no current step, TypingPosition cleared, 513-516 greyed.
    void ClearUndoHistory();
    // Deletes the steps set aside by the last push.
    void DropSetAsideSteps();
    void EnableMenuItem(int32_t id, bool enabled);
    void CheckMenuItem(int32_t id, bool checked);
    // After a restore: the selection and object selection from the names of the parsed document,
    // made consistent where the names are not.
    void TakeSelectionFromNames(EquationDocument *parsed, const UndoSnapshot &snapshot);

    // The redo tail and current step a push set aside; the outermost end drops them or puts them back.
    List setAsideSteps;
    UndoStep *previousCurrentStep = nullptr;
    bool stepPushedInBatch = false;
};

// The one editor of the process; null before the program makes it.
extern Editor *TheEditor;

// The frame tick of TheEditor at ElapsedMilliseconds with the stored modifiers: whether a frame is
// due, and the clock value at which the loop must run again (0: none). False without an editor.
bool TickEditorFrame(uint64_t *deadline);
// Draws one frame of the main window; nothing without an editor or a started renderer.
void RenderEditorFrame();

}  // namespace oq
