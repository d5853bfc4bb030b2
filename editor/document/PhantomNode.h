#pragma once

#include "editor/document/MathNode.h"

namespace oq {

inline constexpr uint32_t kPhantomKind = 'phan';

// The phantom types: which extents of the contents the phantom keeps ("t").
inline constexpr uint32_t kPhantomVertical = 'vert';     // height and depth, no width
inline constexpr uint32_t kPhantomHorizontal = 'horz';   // width, no height
inline constexpr uint32_t kPhantomFull = 'full';         // both
inline constexpr uint32_t kPhantomOverlay = 'hzov';      // nothing; the width as overhang
inline constexpr uint32_t kPhantomFullOverlay = 'flov';  // height and depth; the width as overhang

// A row of equation content that is laid out but never drawn ("Ph"), reserving its width, its
// height or both, as the LaTeX phantoms do. Its first subnode is a row begin; spacing passes
// through it into its contents.
class PhantomNode : public MathNode
{
public:
    PhantomNode();
    // Copies the math-node properties and "t".
    PhantomNode(const PhantomNode &node);

    // "t" (uint32).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // Math nodes, but no decoration of a symbol run ('mark', 'nega', 'slsh', 'encl').
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // The subnodes first; an unknown "t" becomes 'vert'; contents that do not start with a row begin
    // get one in front.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // Nothing of the phantom or its contents is drawn or exported.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildMeshItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;
    // A bar or frame showing what the phantom keeps, then the contents' aids.
    void BuildEditingAidItems(uint32_t flags, const Preferences *preferences, const Design *design,
                              DisplayList *list) const override;

    // The extents of the contents (the row begin left out), kept by the type.
    void Measure(const Design *design) override;
    // Only 'horz' and 'full' phantoms.
    bool TakesPartInSpacing() const override;
    // "\\vphantom{", "\\hphantom{" or "\\phantom{", the contents and "}"; the overlays write nothing.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // "<mphantom>" around the contents, padded to width or height 0 for 'vert' and 'horz'; the
    // overlays write nothing.
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    uint32_t phantomType = kPhantomVertical;
};

}  // namespace oq
