#pragma once

#include "editor/structures/StructureNode.h"

#include "base/Bezier.h"

namespace oq {

inline constexpr uint32_t kRadicalKind = 'rdcl';
inline constexpr uint32_t kDegreeRole = 'degr';

// A root ("Rd"): a constructed root sign of eleven straight edges over the radicand (role 0) with an
// optional degree ('degr') in the sign's crook; "ns" ignores the radicand's starting slant.
class RadicalNode : public StructureNode
{
public:
    static constexpr int32_t kOutlineCurves = 11;

    RadicalNode();
    RadicalNode(const RadicalNode &node);

    GroupNode *GetRadicand() const { return GetSlot(1); }
    GroupNode *GetDegree() const { return GetSlot(0); }
    GroupNode *GetOrCreateDegree() { return GetOrCreateSlot(0); }

    // "ns" (bool).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The sign in the node colour, then the children's items.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;

    // The degree's scale by script depth.
    void LayoutBeforeChildren(const Design *design) override;
    void Measure(const Design *design) override;
    // "\sqrt[{degree}]{radicand}": the braces keep a ']' in the degree inside the optional argument.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    bool noSlant = false;
    // The sign in node coordinates (counter-clockwise); no curves before layout or when it could not
    // be built from finite values.
    int32_t outlineCount = 0;
    QuadraticBezier2D outline[kOutlineCurves];
};

}  // namespace oq
