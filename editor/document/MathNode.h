#pragma once

#include "base/Point2D.h"
#include "base/TextString.h"
#include "editor/document/DocumentNode.h"

#include <cstdint>

namespace oq {

class GroupNode;
class PropertyListWriter;

// The node kinds the layout and the text forms tell apart.
inline constexpr uint32_t kGroupKind = 'grup';
inline constexpr uint32_t kRowBeginKind = 'bgin';
inline constexpr uint32_t kAlignmentMarkKind = 'algn';
inline constexpr uint32_t kSpaceKind = 'spac';
inline constexpr uint32_t kSymbolRunKind = 'symb';

// Limits of a node's own size factor ("as") read from a file.
inline constexpr float kMinNodeScale = 1.0f / 64.0f;
inline constexpr float kMaxNodeScale = 64.0f;

// What the LaTeX and MathML writers share along one output: whether the LaTeX so far ends with a
// control word (a following letter needs a blank) and whether display style is in force.
struct MathWriterState
{
    uint8_t controlWord = 0;
    uint8_t displayStyle = 1;
};

// Base of every equation node: the properties "as", "ax" and "ay", the layout box, and the three
// layout passes (scale top-down, measure bottom-up, place top-down) with the hooks the kinds override.
class MathNode : public DocumentNode
{
public:
    explicit MathNode(uint32_t kind);
    // Copies "as", "ax" and "ay"; everything else starts anew.
    MathNode(const MathNode &node);

    // "as", "ax" and "ay" (floats).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // Nodes of family 'eqtn' only.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // The subnodes, then the read floats: an "as" outside [1/64, 64] or not finite, and a non-finite
    // "ax" or "ay", take their defaults.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    // The math-node properties only.
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    // Scales, measures and places a whole top-level structure.
    void Layout(const Design *design) override;

    // The operations every math node adds, in this order.
    virtual void LayoutBeforeChildren(const Design *design);
    virtual void LayoutAfterChildren(const Design *design);
    virtual void Measure(const Design *design);
    virtual void AdjustAfterSiblings(const Design *design);
    virtual void FinishPlacement(const Design *design);
    // Passes the colour on to every subnode when the flag is set.
    virtual void SetColor(const NodeColor &color, bool recursive);
    virtual bool HasVariant() const;
    virtual void CycleVariant();
    virtual GroupNode *GetFirstGroup() const;
    virtual GroupNode *GetLastGroup() const;
    virtual GroupNode *GetPreviousGroup(const GroupNode *group) const;
    virtual GroupNode *GetNextGroup(const GroupNode *group) const;
    virtual GroupNode *GetGroupAbove(const GroupNode *group) const;
    virtual GroupNode *GetGroupBelow(const GroupNode *group) const;
    virtual int32_t GetFirstStepIndex() const;
    virtual int32_t GetEndIndex() const;
    virtual bool TakesPartInSpacing() const;
    virtual void OnReparented();
    // Every subnode's text in order.
    virtual void WriteLatex(MathWriterState *state, TextString *output) const;
    virtual void WriteMathML(MathWriterState *state, TextString *output) const;

    // The structure as a math node, or null for any other structure (placeholders, "X").
    static MathNode *FromStructure(KettricStructure *structure);
    static const MathNode *FromStructure(const KettricStructure *structure);

    // Tree walks over math nodes only.
    MathNode *GetSuperMathNode() const;
    MathNode *GetFirstMathSubnode() const;
    MathNode *GetLastMathSubnode() const;
    MathNode *GetNextMathNode() const;
    MathNode *GetPreviousMathNode() const;
    // The nearest ancestor group; null when none.
    GroupNode *GetEnclosingGroup() const;

    // One em and one math unit at the node's effective scale.
    float GetEm(const Design *design) const;
    float GetMu(const Design *design) const { return GetEm(design) / 18.0f; }

    int32_t rowIndex = 0;
    float scale = 1.0f;
    float offsetX = 0.0f;
    float offsetY = 0.0f;
    float sizeFactor = 1.0f;
    Point2D position = Point2D(0.0f, 0.0f);
    float effectiveScale = 1.0f;
    Point2D absolutePosition = Point2D(0.0f, 0.0f);
    uint8_t scriptStep = 0;
    uint8_t scriptDepth = 0;
    bool passesSpacingThrough = false;
    float width = 0.0f;
    float overhang = 0.0f;
    float bottom = 0.0f;
    float top = 0.0f;
    float inkLeft = 0.0f;
    float inkRight = 0.0f;
    float leftInset = 0.0f;
    float rightInset = 0.0f;
    float leftSpacing = 0.0f;
    float rightSpacing = 0.0f;

protected:
    // "as", "ax", "ay" when they differ from their defaults; the kinds write theirs after these.
    void WriteMathProperties(PropertyListWriter *writer) const;
    // Every subnode's LaTeX or MathML in order.
    void WriteSubnodesLatex(MathWriterState *state, TextString *output) const;
    void WriteSubnodesMathML(MathWriterState *state, TextString *output) const;

private:
    void ScalePass(const Design *design);
    void MeasurePass(const Design *design);
    void PlacePass(const Design *design);
};

}  // namespace oq
