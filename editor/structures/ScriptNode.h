#pragma once

#include "editor/document/RunDecoration.h"
#include "editor/structures/LatexScriptCarrier.h"
#include "editor/structures/StructureNode.h"

#include <cstdint>

namespace oq {

inline constexpr uint32_t kScriptKind = 'scpt';
inline constexpr uint32_t kSubscriptRole = 'subs';
inline constexpr uint32_t kSuperscriptRole = 'sups';

// Sub- and superscripts ("Sc"): a subscript and/or a superscript group set after the base before it in
// the row (looking through a prime) or, with "pr", before the base after it; "ow" aligns both at their
// outer edge, "ns" ignores the base's slant. The node draws nothing itself.
class ScriptNode : public StructureNode, public PreScriptCarrier
{
public:
    // Pre-scripts set "pr" and "ns" together; "ow" off, no groups.
    explicit ScriptNode(bool preScripts);
    ScriptNode(const ScriptNode &node);

    GroupNode *GetOrCreateSubscripts() { return GetOrCreateSlot(0); }
    GroupNode *GetOrCreateSuperscripts() { return GetOrCreateSlot(1); }
    GroupNode *GetSubscripts() const { return GetSlot(0); }
    GroupNode *GetSuperscripts() const { return GetSlot(1); }

    // "pr", "ow" and "ns" (bool).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;

    // Slot scales by script depth, alignment by side, and the row-edge flags of the row edge the
    // scripts stand at.
    void LayoutBeforeChildren(const Design *design) override;
    void Measure(const Design *design) override;
    // Pre-scripts: the bracket rules against the base after them, then the scripts move onto its ink.
    void AdjustAfterSiblings(const Design *design) override;
    GroupNode *GetGroupAbove(const GroupNode *group) const override;
    GroupNode *GetGroupBelow(const GroupNode *group) const override;
    // "_{a}^{b}"; an empty base "{}" first for pre-scripts and where TeX would see a second script
    // of one kind; after a prime the superscript first, so that it joins the prime's.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // msub, msup, msubsup on an empty base, or mmultiscripts with the pre-scripts.
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    bool HasPreScripts() const override { return pre; }

    // The space left (L) and right (R) of the scripts, in points.
    void GetScriptSpacing(const Design *design, float *left, float *right) const;
    // Of the wanted scripts, those the node's LaTeX leaves on its atom (its own and, without an
    // empty base, its base's); may answer more than asked.
    uint32_t GetLatexScripts(uint32_t wanted) const;
    // kLatexSubscriptFlag and kLatexSuperscriptFlag for the groups the node has.
    uint32_t GetOwnLatexScripts() const;
    // Whether the LaTeX opens an empty base "{}" before the scripts.
    bool WritesEmptyLatexBase() const;

    bool pre = false;      // "pr"
    bool outer = false;    // "ow"
    bool noSlant = false;  // "ns"

private:
    void MeasurePost(const Design *design, float em, float left, float right);
    void MeasurePre(const Design *design, float em, float left, float right);
    // The vertical rules: subscript and superscript y against an optional bracket base, kept apart,
    // and the node's bottom and top widened to them.
    void PlaceVertically(const Design *design, float em, const MathNode *bracket);
    // The least gap between the scripts: both move apart by half of what is missing.
    void KeepScriptGap(const Design *design, float *subscriptY, float *superscriptY) const;
    // Widens the node's bottom and top to the scripts' places.
    void WidenToScripts();
};

// Whether the node is a bracket whose right (left) delimiter is flat: ten code points each.
bool IsBracketFlatOnRight(const MathNode *node);
bool IsBracketFlatOnLeft(const MathNode *node);

// The last node before this one in its row that writes LaTeX (tabs, overlay phantoms and primes
// without a LaTeX form write none); null at the row's start.
const MathNode *FindPreviousLatexWriter(const MathNode *node);
// Of the wanted scripts (kLatexSubscriptFlag, kLatexSuperscriptFlag), those on the TeX atom that the
// node's LaTeX ends: a script node's, a prime's superscript, a labelled brace's own; 0 for anything
// else. It may answer more than asked; asking for less keeps the search short.
uint32_t GetTrailingLatexScripts(const MathNode *node, uint32_t wanted);

}  // namespace oq
