#pragma once

#include "editor/structures/LatexScriptCarrier.h"
#include "editor/structures/StructureNode.h"
#include "editor/structures/WideMarkOutlines.h"

#include "base/Bezier.h"

#include <cstdint>

namespace oq {

inline constexpr uint32_t kWideMarkLabelRole = 'labl';

// A wide mark ("Wm"): one of seventeen marks stretched over or under its body ("un"), with an optional
// label beyond the mark; "sm" keeps the mark at its distance from the body's ink instead of from the
// cap height. The type is kept as read, known or not.
class WideMarkNode : public StructureNode, public LatexScriptCarrier
{
public:
    static constexpr int32_t kBodySlot = 0;
    static constexpr int32_t kLabelSlot = 1;

    WideMarkNode(uint32_t type, bool under);
    WideMarkNode(const WideMarkNode &node);

    GroupNode *GetBody() const { return GetSlot(kBodySlot); }
    GroupNode *GetLabel() const { return GetSlot(kLabelSlot); }
    GroupNode *GetOrCreateLabel() { return GetOrCreateSlot(kLabelSlot); }

    // "t" (uint32), "un" and "sm" (bool).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The mark's outline, then the children's items.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;

    void LayoutBeforeChildren(const Design *design) override;
    void Measure(const Design *design) override;
    bool HasVariant() const override;
    // Toggles "sm".
    void CycleVariant() override;
    // Toggles "sm" and returns the new value.
    bool ToggleSmall();
    // The type's command over or under the body (the body alone without one); a labelled brace adds
    // its label as a script.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // An accent element with the type's stretchy operator, in mover or munder with the label.
    void WriteMathML(MathWriterState *state, TextString *output) const override;
    // A labelled brace carries a superscript (over) or a subscript (under).
    uint32_t GetTrailingLatexScripts() const override;

    uint32_t markType = kWideMarkLine;
    bool under = false;
    bool small = false;
    // The mark width of the last layout, and the outline in node coordinates.
    float markWidth = 0.0f;
    int32_t outlineCount = 0;
    QuadraticBezier2D outline[kWideMarkMaxCurves];
};

}  // namespace oq
