// Brackets: properties, reading and writing, the layout of bodies between stretched delimiters, items.
#include "editor/document/BracketNode.h"

#include "editor/document/CodePointText.h"
#include "editor/document/GlyphExport.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/RowBeginNode.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/GlyphMeshItem.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/TextBuffer.h"
#include "kettric/KettricLiterals.h"
#include "kettric/KettricPrimitive.h"

#include <algorithm>
#include <cstring>

namespace oq {

namespace {

// The delimiters that get extra room on their inner side.
bool IsBarDelimiter(uint32_t codePoint)
{
    return codePoint == '|' || codePoint == 0x2016;
}

// A fixed slot of the bracket design group.
float BracketSlot(const Design *design, int32_t slot)
{
    int32_t group = FindDesignGroup(kBracketKind);
    return group >= 0 ? design->GetGroupSlots(group)[slot] : 0.0F;
}

// Whether the value text is exactly a bool literal: "0.7" begins with the literal "0".
bool IsWholeBoolLiteral(const char *literal)
{
    int32_t length = 0;
    bool value = false;
    if (ParseKettricBoolLiteral(literal, &length, &value) != 0) return false;
    char next = literal[length];
    return next == ',' || next == ')' || next == ' ' || next == '\t' || next == '\r' || next == '\n' ||
           next == '/' || next == 0;
}

}  // namespace

uint32_t CheckDelimiterCodePoint(uint32_t codePoint)
{
    return codePoint == 0 ? 0 : ToScalarValue(codePoint);
}

BracketNode::BracketNode(uint32_t leftDelimiter, uint32_t rightDelimiter, uint32_t middleDelimiter)
    : ColoredMathNode(kBracketKind), left(leftDelimiter), right(rightDelimiter), middle(middleDelimiter)
{
}

BracketNode::BracketNode(const BracketNode &node)
    : ColoredMathNode(node), left(node.left), right(node.right), middle(node.middle), asymmetric(node.asymmetric),
      centered(node.centered), glyphRequest(CloneGlyphLayoutRequest(node.glyphRequest))
{
}

GroupNode *BracketNode::AddBodyGroup()
{
    auto *group = new GroupNode(0);
    group->baselineRow = kBaselineMiddle;
    auto *row = new RowBeginNode;
    row->lineGap = -1.0F;
    group->AppendSubnode(row);
    AppendSubnode(group);
    return group;
}

bool BracketNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                void **storage)
{
    bool *flag = nullptr;
    if (std::strcmp(identifier, "as") == 0) flag = &asymmetric;
    else if (std::strcmp(identifier, "ca") == 0) flag = &centered;
    if (flag == nullptr) return ColoredMathNode::CheckProperty(document, identifier, type, storage);
    *type = 'BOOL';
    *storage = flag;
    return true;
}

bool BracketNode::CheckPropertyLiteral(KettricDocument *document, const TextString &identifier,
                                       KettricDataType *type, void **storage, const char *literal)
{
    // The math-node writer puts the node's scale under "as" too, always as a number with a fraction
    // digit or as a bit pattern, so its values never look like the flag's.
    if (literal != nullptr && std::strcmp(identifier, "as") == 0 && !IsWholeBoolLiteral(literal))
        return MathNode::CheckProperty(document, identifier, type, storage);
    return CheckProperty(document, identifier, type, storage);
}

bool BracketNode::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    if (structure->GetStructureType() == 'UI32') return true;
    const MathNode *node = MathNode::FromStructure(structure);
    return node != nullptr && node->GetKind() == kGroupKind;
}

KettricResult BracketNode::ResolveData(KettricDocument *document)
{
    KettricResult result = ColoredMathNode::ResolveData(document);
    if (result != 0) return result;
    if (GetFirstSubnode() == nullptr) return kResultMissingSubstructure;
    KettricStructure *data = nullptr;
    bool hasGroup = false;
    for (KettricStructure *s = GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        if (s->GetStructureType() != 'UI32')
        {
            hasGroup = true;
            continue;
        }
        if (data != nullptr) return kResultExtraSubstructure;
        data = s;
    }
    if (data != nullptr)
    {
        const auto *list = static_cast<const KettricUInt32List *>(data);
        int32_t count = list->GetElementCount();
        if (count != 2 && count != 3) return kResultInvalidDataFormat;
        left = CheckDelimiterCodePoint((*list)[0]);
        right = CheckDelimiterCodePoint((*list)[1]);
        middle = count == 3 ? CheckDelimiterCodePoint((*list)[2]) : 0;
        delete data;
    }
    return hasGroup ? 0 : kResultMissingSubstructure;
}

DocumentNode *BracketNode::Clone() const
{
    return new BracketNode(*this);
}

bool BracketNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (asymmetric) writer.WriteFlag("as");
    if (centered) writer.WriteFlag("ca");
    return writer.Opened();
}

void BracketNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricHead(buffer, "Br");
    buffer->AppendText("\n");
    WriteIndentation(buffer);
    buffer->AppendText("{\n");
    if (left != '(' || right != ')' || middle != 0)
    {
        buffer->depth += 1;
        WriteIndentation(buffer);
        buffer->AppendText("u32{0x");
        AppendHexCodePoint(*buffer, left);
        buffer->AppendText(",0x");
        AppendHexCodePoint(*buffer, right);
        if (middle != 0)
        {
            buffer->AppendText(",0x");
            AppendHexCodePoint(*buffer, middle);
        }
        buffer->AppendText("}\n");
        buffer->depth -= 1;
    }
    WriteKettricBody(document, buffer);
    WriteIndentation(buffer);
    buffer->AppendText("}\n");
}

int32_t BracketNode::CountBodyGroups() const
{
    int32_t count = 0;
    for (const GroupNode *group = GetFirstGroup(); group != nullptr; group = GetNextGroup(group)) ++count;
    return count;
}

void BracketNode::LayoutAfterChildren(const Design *design)
{
    glyphRequest = {'uprt', design->GetBaseFontSize(), effectiveScale, kSingleGlyphOptionFlags, 0, 0};
    uint32_t color = GetNodeColorWord(design, paletteIndex, colorValue);
    const uint32_t codePoints[3] = {left, right, CountBodyGroups() > 1 ? middle : 0};
    for (int32_t i = 0; i < 3; ++i)
    {
        glyphs[i] = LaidOutGlyph();
        if (codePoints[i] != 0) glyphs[i] = LayoutGlyphCodePoint(design, glyphRequest, color, codePoints[i]);
    }
}

void BracketNode::Measure(const Design *design)
{
    float em = GetEm(design);
    float mu = em / 18.0F;
    auto param = [design](uint32_t key) { return GetGroupParam(design, kBracketKind, key); };

    // 1. The bodies' extent, with the least extent and the gap around each body.
    float d = -mu * param('lwex');
    float e = mu * param('vtex') + em * GetGeneralParam(design, 'cptl');
    float gap = mu * param('vtgp');
    for (GroupNode *group = GetFirstGroup(); group != nullptr; group = GetNextGroup(group))
    {
        float o = group->GetBaselineOffset(design);
        d = std::min(d, group->bottom - gap + o);
        e = std::max(e, group->top + gap + o);
    }
    // 2. Symmetric about the math axis unless "as"; "ca" centres the delimiters on it.
    float axis = em * GetGeneralParam(design, 'axis');
    if (!asymmetric)
    {
        float reach = std::max(e - axis, axis - d);
        d = axis - reach;
        e = axis + reach;
    }
    float h = e - d;
    float b = centered ? axis - h * 0.5F : d;
    // 3. Interior and exterior spacing.
    float gi = mu * param('insp');
    float ge = mu * param('exsp');

    // 4. The left delimiter.
    float sb = 0.0F;
    float x = 0.0F;
    leftGeometry = DelimiterGeometry();
    if (left != 0)
    {
        sb = GetSpaceBefore(this, ge, true);
        x = StretchDelimiter(design, left, glyphs[0], h, b, sb, &leftGeometry) + gi;
        if (IsBarDelimiter(left)) x += mu * BracketSlot(design, 2);
    }

    // 5. The bodies, with the middle delimiter between them.
    float extra = 0.0F;
    if (IsBarDelimiter(middle))
        extra = mu * BracketSlot(design, (left == 0x27E8 && right == 0x27E9) ? 4 : 3);
    int32_t gaps = 0;
    for (GroupNode *group = GetFirstGroup(); group != nullptr; group = GetNextGroup(group))
    {
        if (group != GetFirstGroup())
        {
            x += gi + extra;
            if (middle != 0)
            {
                if (gaps >= middleGeometries.GetElementCount()) middleGeometries.SetElementCount(gaps + 1);
                DelimiterGeometry &geometry = middleGeometries[gaps];
                geometry = DelimiterGeometry();
                x = StretchDelimiter(design, middle, glyphs[2], h, b, x, &geometry);
                x += extra + gi;
                ++gaps;
            }
        }
        group->position = Point2D(x, b - d + group->GetBaselineOffset(design));
        x += group->width;
    }
    middleGeometries.SetElementCount(gaps);

    // 6. The right delimiter.
    float sa = 0.0F;
    rightGeometry = DelimiterGeometry();
    if (right != 0)
    {
        sa = GetSpaceAfter(this, ge, true);
        float at = x + gi + (IsBarDelimiter(right) ? mu * BracketSlot(design, 2) : 0.0F);
        x = StretchDelimiter(design, right, glyphs[1], h, b, at, &rightGeometry);
    }

    // 7. The box.
    width = x + sa;
    leftSpacing = sb;
    rightSpacing = sa;
    bottom = b;
    top = b + h;
}

bool BracketNode::HasVariant() const
{
    return true;
}

void BracketNode::CycleVariant()
{
    if (!asymmetric) asymmetric = true;
    else if (!centered) centered = true;
    else asymmetric = centered = false;
}

GroupNode *BracketNode::GetFirstGroup() const
{
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() == kGroupKind) return static_cast<GroupNode *>(node);
    }
    return nullptr;
}

GroupNode *BracketNode::GetLastGroup() const
{
    for (MathNode *node = GetLastMathSubnode(); node != nullptr; node = node->GetPreviousMathNode())
    {
        if (node->GetKind() == kGroupKind) return static_cast<GroupNode *>(node);
    }
    return nullptr;
}

GroupNode *BracketNode::GetPreviousGroup(const GroupNode *group) const
{
    if (group == nullptr || group->GetSuperStructure() != this) return nullptr;
    for (MathNode *node = group->GetPreviousMathNode(); node != nullptr; node = node->GetPreviousMathNode())
    {
        if (node->GetKind() == kGroupKind) return static_cast<GroupNode *>(node);
    }
    return nullptr;
}

GroupNode *BracketNode::GetNextGroup(const GroupNode *group) const
{
    if (group == nullptr || group->GetSuperStructure() != this) return nullptr;
    for (MathNode *node = group->GetNextMathNode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() == kGroupKind) return static_cast<GroupNode *>(node);
    }
    return nullptr;
}

void BracketNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    uint32_t color = GetNodeColorWord(design, paletteIndex, colorValue);
    auto build = [&](const DelimiterGeometry &geometry, const LaidOutGlyph &glyph) {
        if (geometry.curveCount > 0)
        {
            list->Append(new ExportCurveItem(absolutePosition, geometry.curveCount, geometry.curves, color));
            return;
        }
        const Font *font = GetDelimiterFont(design, glyph);
        if (font == nullptr) return;
        Point2D at(absolutePosition.x + geometry.x, absolutePosition.y - geometry.y);
        BuildGlyphExportItems(font, glyphRequest, glyph.glyphIndex, false, at,
                              Vector2D(geometry.scale(0, 0), geometry.scale(1, 1)), color, list);
    };
    if (left != 0) build(leftGeometry, glyphs[0]);
    for (int32_t i = 0; i < middleGeometries.GetElementCount(); ++i) build(middleGeometries[i], glyphs[2]);
    if (right != 0) build(rightGeometry, glyphs[1]);
    DocumentNode::BuildExportItems(design, list);
}

void BracketNode::BuildMeshItems(const Design *design, DisplayList *list) const
{
    Renderer *renderer = GetRenderer();
    uint32_t color = GetNodeColorWord(design, paletteIndex, colorValue);
    const uint8_t colors[4] = {uint8_t(color), uint8_t(color >> 8), uint8_t(color >> 16), uint8_t(color >> 24)};
    auto build = [&](const DelimiterGeometry &geometry, const LaidOutGlyph &glyph) {
        if (renderer == nullptr || geometry.curveCount > 0 || GetDelimiterFont(design, glyph) == nullptr) return;
        const uint8_t slot = glyph.fontSlot;
        const float origin[2] = {0.0F, 0.0F};
        Point2D at(absolutePosition.x + geometry.x, absolutePosition.y - geometry.y);
        list->Append(new GlyphMeshItem(*renderer, &design->fonts, glyphRequest, at, 1, geometry.vertexCounts,
                                       geometry.triangleCounts, &slot, &glyph.glyphIndex, origin, &geometry.scale,
                                       colors));
    };
    if (left != 0) build(leftGeometry, glyphs[0]);
    for (int32_t i = 0; i < middleGeometries.GetElementCount(); ++i) build(middleGeometries[i], glyphs[2]);
    if (right != 0) build(rightGeometry, glyphs[1]);
    DocumentNode::BuildMeshItems(design, list);
}

void BracketNode::BuildPathItems(const Design *design, DisplayList *list) const
{
    uint32_t color = GetNodeColorWord(design, paletteIndex, colorValue);
    auto build = [&](const DelimiterGeometry &geometry) {
        if (geometry.curveCount > 0)
            list->Append(new FillPathItem(absolutePosition, geometry.curveCount, geometry.curves, color));
    };
    if (left != 0) build(leftGeometry);
    for (int32_t i = 0; i < middleGeometries.GetElementCount(); ++i) build(middleGeometries[i]);
    if (right != 0) build(rightGeometry);
    DocumentNode::BuildPathItems(design, list);
}

}  // namespace oq
