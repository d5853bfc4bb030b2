// Phantoms: their measure by type, the editing aid and the text forms; nothing of them is drawn.
#include "editor/document/PhantomNode.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/RowBeginNode.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"

#include <cstring>

namespace oq {

namespace {

// The editing aid's flag for phantoms.
constexpr uint32_t kPhantomAidFlag = 8;

}  // namespace

PhantomNode::PhantomNode() : MathNode(kPhantomKind)
{
    passesSpacingThrough = true;
}

PhantomNode::PhantomNode(const PhantomNode &node) : MathNode(node), phantomType(node.phantomType)
{
    passesSpacingThrough = true;
}

bool PhantomNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                void **storage)
{
    if (std::strcmp(identifier, "t") != 0) return MathNode::CheckProperty(document, identifier, type, storage);
    *type = 'UI32';
    *storage = &phantomType;
    return true;
}

bool PhantomNode::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    const MathNode *node = FromStructure(structure);
    if (node == nullptr) return false;
    // A decoration lays itself out against the symbol run that holds it, never against a phantom.
    uint32_t kind = node->GetKind();
    return kind != kMarkKind && kind != kNegationKind && kind != kSlashKind && kind != kEnclosureKind;
}

KettricResult PhantomNode::ResolveData(KettricDocument *document)
{
    KettricResult result = MathNode::ResolveData(document);
    if (phantomType != kPhantomFullOverlay && phantomType != kPhantomFull && phantomType != kPhantomHorizontal &&
        phantomType != kPhantomOverlay)
        phantomType = kPhantomVertical;
    passesSpacingThrough = true;
    // The caret code expects the contents to begin with a row begin.
    const MathNode *first = GetFirstMathSubnode();
    if (first == nullptr || first->GetKind() != kRowBeginKind) PrependSubnode(new RowBeginNode);
    return result;
}

DocumentNode *PhantomNode::Clone() const
{
    return new PhantomNode(*this);
}

bool PhantomNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteMathProperties(&writer);
    if (phantomType != kPhantomVertical) writer.WriteFourCC("t", phantomType);
    return writer.Opened();
}

void PhantomNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Ph");
}

void PhantomNode::Measure(const Design *)
{
    width = 0.0f;
    bottom = 0.0f;
    top = 0.0f;
    overhang = 0.0f;
    const MathNode *first = GetFirstMathSubnode();
    if (first == nullptr) return;
    for (const MathNode *node = first->GetNextMathNode(); node != nullptr; node = node->GetNextMathNode())
    {
        float right = node->position.x + node->width + node->overhang;
        if (right > width) width = right;
        if (node->position.y + node->bottom < bottom) bottom = node->position.y + node->bottom;
        if (node->position.y + node->top > top) top = node->position.y + node->top;
    }
    if (phantomType == kPhantomHorizontal || phantomType == kPhantomOverlay)
    {
        bottom = 0.0f;
        top = 0.0f;
    }
    if (phantomType == kPhantomOverlay || phantomType == kPhantomFullOverlay) overhang = width;
    if (phantomType != kPhantomHorizontal && phantomType != kPhantomFull) width = 0.0f;
}

bool PhantomNode::TakesPartInSpacing() const
{
    return phantomType == kPhantomHorizontal || phantomType == kPhantomFull;
}

void PhantomNode::BuildExportItems(const Design *, DisplayList *) const
{
}

void PhantomNode::BuildMeshItems(const Design *, DisplayList *) const
{
}

void PhantomNode::BuildPathItems(const Design *, DisplayList *) const
{
}

void PhantomNode::BuildEditingAidItems(uint32_t flags, const Preferences *preferences, const Design *design,
                                       DisplayList *list) const
{
    if ((flags & kPhantomAidFlag) != 0)
    {
        float em = GetEm(design);
        float mu = em / 18.0f;
        float h = em * 0.0125f;
        QuadraticBezier2D curves[8];
        int32_t count = 0;
        auto rectangle = [&curves, &count](float x0, float y0, float x1, float y1) {
            // Counter-clockwise for x0 < x1 and y0 < y1; swapping one pair gives a hole.
            const Point2D corners[4] = {Point2D(x0, y0), Point2D(x1, y0), Point2D(x1, y1), Point2D(x0, y1)};
            for (int32_t i = 0; i < 4; ++i) curves[count++] = MakeLineCurve(corners[i], corners[(i + 1) % 4]);
        };
        if (phantomType == kPhantomHorizontal)
        {
            rectangle(0.0f, -h, width, h);
        }
        else if (phantomType == kPhantomFull)
        {
            rectangle(-h, bottom - h, width + h, top + h);
            rectangle(h, top - h, width - h, bottom + h);
        }
        else
        {
            float y0 = -design->GetGeneral(kGeneralRowDepthSlot) * mu;
            float y1 = design->GetGeneral(kGeneralRowHeightSlot) * mu + em * GetGeneralParam(design, 'cptl');
            if (phantomType != kPhantomOverlay)
            {
                if (bottom < y0) y0 = bottom;
                if (top > y1) y1 = top;
            }
            rectangle(-h, y0, h, y1);
        }
        list->Append(new FillPathItem(absolutePosition, count, curves, preferences->colors[kColorPhantom]));
    }
    MathNode::BuildEditingAidItems(flags, preferences, design, list);
}

void PhantomNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    const char *command = nullptr;
    if (phantomType == kPhantomVertical) command = "\\vphantom{";
    else if (phantomType == kPhantomHorizontal) command = "\\hphantom{";
    else if (phantomType == kPhantomFull) command = "\\phantom{";
    if (command == nullptr) return;
    output->AppendText(command);
    state->controlWord = 0;
    WriteSubnodesLatex(state, output);
    output->AppendText("}");
    state->controlWord = 0;
}

void PhantomNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    const char *padded = nullptr;
    if (phantomType == kPhantomVertical) padded = "<mphantom><mpadded width=\"0\">";
    else if (phantomType == kPhantomHorizontal) padded = "<mphantom><mpadded height=\"0\">";
    if (padded != nullptr)
    {
        output->AppendText(padded);
        WriteSubnodesMathML(state, output);
        output->AppendText("</mpadded></mphantom>");
    }
    else if (phantomType == kPhantomFull)
    {
        output->AppendText("<mphantom>");
        WriteSubnodesMathML(state, output);
        output->AppendText("</mphantom>");
    }
}

}  // namespace oq
