// Space nodes: fixed spaces and tab stops, their anchors, editing aids and text forms.
#include "editor/document/SpaceNode.h"

#include "base/TextUtils.h"
#include "editor/document/ColoredMathNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/StretchyOutlines.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace oq {

namespace {

const uint32_t kSpaceAnchorKinds[2] = {0, kCentreAnchorKind};

// The editing aid's flag for spaces.
constexpr uint32_t kSpaceAidFlag = 2;

// A number of the text forms in plain decimal (neither TeX nor CSS lengths take an exponent): an
// integer when it is whole, else the base library's decimal text, or 9 fraction digits where that
// text would need an exponent.
void AppendNumber(float value, TextString *output)
{
    if (value == std::floor(value) && std::fabs(value) < 1e15f)
    {
        output->AppendInt64(int64_t(value));
        return;
    }
    char text[64];
    FloatToText(value, text, 31);
    if (std::strchr(text, 'e') != nullptr && std::isfinite(value))
    {
        std::snprintf(text, sizeof(text), "%.9f", double(value));
        char *end = text + std::strlen(text);
        while (end[-1] == '0') --end;
        if (end[-1] == '.') --end;
        *end = 0;
    }
    output->AppendText(text);
}

// Appends the closed polygon through the points as straight edges.
int32_t AppendPolygon(const Point2D *points, int32_t count, QuadraticBezier2D *curves)
{
    for (int32_t i = 0; i < count; ++i) curves[i] = MakeLineCurve(points[i], points[(i + 1) % count]);
    return count;
}

}  // namespace

SpaceNode::SpaceNode() : MathNode(kSpaceKind)
{
}

SpaceNode::SpaceNode(const SpaceNode &node) : MathNode(node), size(node.size), isTab(node.isTab)
{
}

bool SpaceNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                              void **storage)
{
    if (std::strcmp(identifier, "s") == 0)
    {
        *type = 'FLOT';
        *storage = &size;
        return true;
    }
    if (std::strcmp(identifier, "t") == 0)
    {
        *type = 'BOOL';
        *storage = &isTab;
        return true;
    }
    return MathNode::CheckProperty(document, identifier, type, storage);
}

bool SpaceNode::CheckSubstructure(KettricDocument *, KettricStructure *)
{
    return false;
}

KettricResult SpaceNode::ResolveData(KettricDocument *document)
{
    KettricResult result = MathNode::ResolveData(document);
    size = FiniteOrDefault(size, 0.0f);
    return result;
}

DocumentNode *SpaceNode::Clone() const
{
    return new SpaceNode(*this);
}

bool SpaceNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteMathProperties(&writer);
    // A NaN differs from 0, so it is written.
    if (!(size == 0.0f)) writer.WriteFloat("s", size);
    if (isTab) writer.WriteFlag("t");
    return writer.Opened();
}

void SpaceNode::WriteKettric(KettricDocument *, TextBuffer *buffer) const
{
    WriteKettricLeaf(buffer, "Sp");
}

void SpaceNode::Measure(const Design *design)
{
    float em = GetEm(design);
    float w = em / 18.0f * size;
    if (isTab)
    {
        if (!(w > 0.0f)) w = em * GetGeneralParam(design, 'tabb');
        if (w > 0.0f)
        {
            // Tab stops count from the origin of the row's container.
            float x = position.x;
            float d = std::ceil(x / w) * w - x;
            width = (d > em / 2048.0f) ? d : w;
        }
        else
        {
            // A tab width of 0 ('tabb' may be 0) has no stops to advance to.
            width = 0.0f;
        }
    }
    else
    {
        width = w;
    }
    bottom = 0.0f;
    top = em * GetGeneralParam(design, 'cptl');
}

void SpaceNode::FinishPlacement(const Design *design)
{
    RowAnchorExtent extent = GetRowAnchorExtent(this, design);
    float xBox = absolutePosition.x + width;
    float xCentre = absolutePosition.x + width * 0.5f;
    anchorCount = PlaceRowAnchors(extent, xBox, xCentre, boxAnchors, centreAnchors);
}

int32_t SpaceNode::GetAnchorKinds(const uint32_t **kinds) const
{
    *kinds = kSpaceAnchorKinds;
    return isTab ? 1 : 2;
}

int32_t SpaceNode::GetAnchorPoints(uint32_t kind, const Point2D **points) const
{
    *points = nullptr;
    if (!(width > 0.0f)) return 0;
    if (kind == 0) *points = boxAnchors;
    else if (kind == kCentreAnchorKind && !isTab) *points = centreAnchors;
    return (*points != nullptr) ? anchorCount : 0;
}

void SpaceNode::OnReparented()
{
    ReduceLinkIndexes(this, kSpaceAnchorKinds, 2);
}

void SpaceNode::BuildEditingAidItems(uint32_t flags, const Preferences *preferences, const Design *design,
                                     DisplayList *list) const
{
    if ((flags & kSpaceAidFlag) == 0) return;
    float em = GetEm(design);
    float t = em * 0.025f;
    float h = t / 2.0f;
    QuadraticBezier2D curves[4 + kArrowheadOutlineCurves];
    int32_t count = 0;
    if (isTab)
    {
        // An arrow on the math axis: its head's tip at 0.3 em, the bar from 0 to where the head joins.
        float axis = em * GetGeneralParam(design, 'axis');
        ArrowheadExtent head;
        count = BuildArrowhead(em * 0.125f, em * 0.08f, t, t, 0.0f, curves + 4, &head);
        Vector2D origin(em * 0.3f - head.maxX, axis);
        for (int32_t i = 4; i < 4 + count; ++i)
        {
            curves[i].p0 += origin;
            curves[i].p1 += origin;
            curves[i].p2 += origin;
        }
        float end = origin.x + head.join;
        const Point2D bar[4] = {Point2D(0.0f, axis - h), Point2D(end, axis - h), Point2D(end, axis + h),
                                Point2D(0.0f, axis + h)};
        count += AppendPolygon(bar, 4, curves);
    }
    else if (size > 0.0f)
    {
        // A cup as wide as the space, open at the top.
        const Point2D cup[8] = {
            Point2D(-h, -0.0625f * em),        Point2D(-h, -0.2f * em),           Point2D(width + h, -0.2f * em),
            Point2D(width + h, -0.0625f * em), Point2D(width - h, -0.0625f * em), Point2D(width - h, -0.175f * em),
            Point2D(h, -0.175f * em),          Point2D(h, -0.0625f * em),
        };
        count = AppendPolygon(cup, 8, curves);
    }
    else if (size < 0.0f)
    {
        // The cup upside down, from the space's (negative) width back to 0.
        const Point2D cup[8] = {
            Point2D(width - h, -0.2f * em),     Point2D(width + h, -0.2f * em), Point2D(width + h, -0.0875f * em),
            Point2D(-h, -0.0875f * em),         Point2D(-h, -0.2f * em),        Point2D(h, -0.2f * em),
            Point2D(h, -0.0625f * em),          Point2D(width - h, -0.0625f * em),
        };
        count = AppendPolygon(cup, 8, curves);
    }
    else
    {
        const Point2D bar[4] = {Point2D(-h, -0.3125f * em), Point2D(h, -0.3125f * em), Point2D(h, -0.0625f * em),
                                Point2D(-h, -0.0625f * em)};
        count = AppendPolygon(bar, 4, curves);
    }
    list->Append(new FillPathItem(absolutePosition, count, curves, preferences->colors[kColorMathSpace]));
}

void SpaceNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    if (isTab) return;
    struct Form
    {
        float size;
        const char *text;
        bool controlWord;
    };
    static const Form kForms[] = {
        {3.0f, "\\,", false},     {4.0f, "\\>", false},       {5.0f, "\\;", false},
        {18.0f, "\\quad", true}, {36.0f, "\\qquad", true}, {-3.0f, "\\!", false},
    };
    for (const Form &form : kForms)
    {
        if (size == form.size)
        {
            output->AppendText(form.text);
            if (form.controlWord) state->controlWord = 1;
            return;
        }
    }
    // \mkern takes no glue keywords, so a following "plus" or "minus" stays text.
    output->AppendText("\\mkern");
    AppendNumber(size, output);
    output->AppendText("mu");
    state->controlWord = 1;
}

void SpaceNode::WriteMathML(MathWriterState *, TextString *output) const
{
    if (isTab) return;
    output->AppendText("<mspace width=\"");
    AppendNumber(size / 18.0f, output);
    output->AppendText("em\"/>");
}

}  // namespace oq
