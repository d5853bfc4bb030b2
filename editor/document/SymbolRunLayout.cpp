// The role spacing, measuring and decoration placing of symbol runs.
#include "editor/document/SymbolRunNode.h"

#include "base/Memory.h"
#include "base/TextUtils.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/RunDecoration.h"
#include "editor/document/SpacingNeighbors.h"
#include "vorl/geometry/GlyphList.h"
#include "vorl/geometry/RunGeometry.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/TextRun.h"

#include <algorithm>
#include <cmath>

namespace oq {

namespace {

constexpr int32_t kSymbolGroup = 1;
constexpr int32_t kMarkGroup = 2;
constexpr int32_t kItalicCorrectionSlot = 16;  // general group, in mu
constexpr int32_t kCircleOffsetSlot = 13;      // 'mark' group: how far comparison signs sit off centre
constexpr uint32_t kProportionalFiguresBit = 0x80000;
constexpr float kDegreesToRadians = 0.017453292F;
constexpr float kEmptyGlyphWidth = 1.0e-6F;

// The comparison signs whose circle enclosure sits off centre: '<'-like, then '>'-like.
constexpr uint32_t kLessLikeSigns[] = {0x003C, 0x227A, 0x227C, 0x22B0, 0x22B2, 0x22D6, 0x22DE, 0x2A79,
                                       0x2A7D, 0x2A7F, 0x2A95, 0x2A97, 0x2AA1, 0x2AA6, 0x2AA8, 0x2AAA};
constexpr uint32_t kGreaterLikeSigns[] = {0x003E, 0x227B, 0x227D, 0x22B1, 0x22B3, 0x22D7, 0x22DF, 0x2A7A,
                                          0x2A7E, 0x2A80, 0x2A96, 0x2A98, 0x2AA2, 0x2AA7, 0x2AA9, 0x2AAB};

// -1 for a '<'-like sign, 1 for a '>'-like one, 0 for anything else.
int32_t GetComparisonSide(uint32_t codePoint)
{
    for (size_t i = 0; i < std::size(kLessLikeSigns); ++i)
    {
        if (kLessLikeSigns[i] == codePoint) return -1;
        if (kGreaterLikeSigns[i] == codePoint) return 1;
    }
    return 0;
}

const SymbolRunNode *AsRun(const MathNode *node)
{
    return node != nullptr && node->GetKind() == kSymbolRunKind ? dynamic_cast<const SymbolRunNode *>(node) : nullptr;
}

// The role of a neighbour that is a symbol run; 0 for anything else.
uint32_t GetRunRole(const MathNode *node)
{
    const SymbolRunNode *run = AsRun(node);
    return run != nullptr ? run->role : 0;
}

bool IsRowStart(const MathNode *node)
{
    return node == nullptr || node->GetKind() == kRowBeginKind;
}

// The spacing neighbour before a node that carries pre-scripts; the node itself otherwise, and
// null when it is none.
const MathNode *LookThroughPreScripts(const MathNode *node, bool *lookedThrough)
{
    *lookedThrough = false;
    const auto *carrier = dynamic_cast<const PreScriptCarrier *>(node);
    if (carrier == nullptr || !carrier->HasPreScripts()) return node;
    *lookedThrough = true;
    return FindPrevSpacingNeighbor(node);
}

// The first character of a UTF-8 text; 0 for an empty one.
uint32_t FirstCodePoint(const TextString &text)
{
    if (text.IsEmpty()) return 0;
    uint32_t codePoint = 0;
    static_cast<void>(DecodeUtf8(text, &codePoint));  // the count is not needed
    return codePoint;
}

uint32_t LastCodePoint(const TextString &text)
{
    int32_t length = text.GetLength();
    if (length <= 0) return 0;
    int32_t start = length - 1;
    while (start > 0 && length - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    uint32_t codePoint = 0;
    static_cast<void>(DecodeUtf8(text.GetText() + start, &codePoint));  // the count is not needed
    return codePoint;
}

// The side bearings of the proportional figure the character maps to in the font.
GlyphBounds GetProportionalBox(const Font *font, uint32_t codePoint, uint32_t flags, float *advance)
{
    const VorlFontRecord *record = font->GetRecord();
    uint32_t glyph = record->GetGlyphIndex(codePoint);
    if (glyph >= record->glyphCount) glyph = 0;
    glyph = GetAlternateGlyph(record, glyph, kProportionalFiguresBit, 0);
    return font->GetGlyphBounds(glyph, flags, advance);
}

}  // namespace

void SymbolRunNode::GetRoleSpacing(const Design *design, float *spaceBefore, float *spaceAfter) const
{
    float mu = GetMu(design);
    bool sub = scriptDepth > 0;
    auto param = [&](uint32_t full, uint32_t script) {
        return mu * GetDesignParam(design, kSymbolGroup, sub ? script : full);
    };
    const MathNode *previous = FindPrevSpacingNeighbor(this);
    const MathNode *next = FindNextSpacingNeighbor(this);
    uint32_t p = GetRunRole(previous);
    uint32_t n = GetRunRole(next);
    bool rowStart = IsRowStart(previous);
    bool hasNext = next != nullptr;
    float before = 0.0F;
    float after = 0.0F;
    switch (role)
    {
    case 'oper':
    {
        float s = param('osp0', 'osp1');
        before = s;
        after = hasNext ? s : 0.0F;
        if (p == 'oper' || p == 'rltn' || p == 'pnct' || n == 'pnct')
        {
            after = 0.0F;
        }
        else if (p == 'text')
        {
            before = 0.0F;
            after = 0.0F;
        }
        else if (rowStart)
        {
            const MathNode *sibling = GetNextMathNode();
            before = 0.0F;
            if (!(sibling == nullptr || sibling->GetKind() == kAlignmentMarkKind)) after = 0.0F;
        }
        break;
    }
    case 'rltn':
    {
        float s = param('rsp0', 'rsp1');
        before = (p == 'rltn' || rowStart) ? 0.0F : s;
        after = (!hasNext || n == 'rltn') ? 0.0F : s;
        break;
    }
    case 'arrw':
    {
        float s = param('asp0', 'asp1');
        before = s;
        after = hasNext ? s : 0.0F;
        break;
    }
    case 'pnct':
        if (hasNext) after = (n == 'elps') ? mu * GetDesignParam(design, kSymbolGroup, 'elsp') : param('psp0', 'psp1');
        break;
    case 'elps':
        if (!rowStart)
            before = (p == 'pnct') ? mu * GetDesignParam(design, kSymbolGroup, 'elsp') : param('psp0', 'psp1');
        if (hasNext) after = (n == 'pnct') ? mu * GetDesignParam(design, kSymbolGroup, 'elsp') : param('psp0', 'psp1');
        break;
    case 'func':
    {
        float f = mu * GetDesignParam(design, kSymbolGroup, 'fnsp');
        bool lookedThrough = false;
        const MathNode *before_scripts = LookThroughPreScripts(previous, &lookedThrough);
        if (lookedThrough)
            before = IsRowStart(before_scripts) ? 0.0F : f;
        else
            before = (p == 'oper') ? 0.0F : f;
        after = f;
        break;
    }
    case 'chem':
    {
        bool lookedThrough = false;
        const MathNode *before_scripts = LookThroughPreScripts(previous, &lookedThrough);
        bool spaced = lookedThrough ? GetRunRole(before_scripts) == 'nmbr' : (p == 'nmbr' || p == 'math');
        if (spaced) before = mu * GetDesignParam(design, kSymbolGroup, 'cesp');
        break;
    }
    case 'unit':
        before = mu * GetDesignParam(design, kSymbolGroup, 'unsp');
        break;
    default:
        break;
    }
    *spaceBefore = before;
    *spaceAfter = after;
}

void SymbolRunNode::ListGlyphs(const Design *design)
{
    const TextFont *textFonts = design->fonts.textFonts;
    constexpr int32_t kSlots = DocumentFontSet::kSlotCount;
    int32_t count = 0;
    for (int32_t i = 0; i < kSlots; ++i) vertexCounts[i] = triangleCounts[i] = 0;
    if (cachedRun != nullptr) count = CountRunGeometry(cachedRun, nullptr, kSlots, textFonts, vertexCounts, triangleCounts, nullptr);
    if (count != glyphCount || glyphBlock == nullptr)
    {
        ReleaseGlyphArrays();
        if (count > 0)
        {
            size_t slotBytes = (size_t(count) + 3) & ~size_t(3);
            size_t n = size_t(count);
            size_t size = slotBytes + n * (4 + 8 + sizeof(Matrix2D) + 4);
            auto *block = static_cast<uint8_t *>(MemoryAllocate(size));
            glyphBlock = block;
            glyphSlots = block;
            glyphIndexes = reinterpret_cast<uint32_t *>(block + slotBytes);
            glyphPositions = reinterpret_cast<float *>(block + slotBytes + 4 * n);
            glyphTransforms = reinterpret_cast<Matrix2D *>(block + slotBytes + 12 * n);
            glyphColors = block + slotBytes + (12 + sizeof(Matrix2D)) * n;
            glyphCount = count;
        }
    }
    if (glyphCount > 0)
    {
        const float origin[2] = {0.0F, 0.0F};
        float endPen[2] = {0.0F, 0.0F};
        static_cast<void>(GetRunGlyphList(cachedRun, nullptr, kSlots, textFonts, origin, glyphSlots, glyphIndexes,
                                          glyphPositions, glyphTransforms, glyphColors, nullptr, endPen));
    }
}

void SymbolRunNode::Measure(const Design *design)
{
    float em = GetEm(design);
    float mu = em / 18.0F;
    float capital = GetGeneralParam(design, 'cptl');
    float o = mathAxisOffset ? em * std::max(0.0F, capital * 0.5F - GetGeneralParam(design, 'axis')) : 0.0F;
    const MathNode *previous = FindPrevSpacingNeighbor(this);
    const MathNode *next = FindNextSpacingNeighbor(this);
    const SymbolRunNode *previousRun = AsRun(previous);
    const SymbolRunNode *nextRun = AsRun(next);
    const TextFont *textFonts = design->fonts.textFonts;
    constexpr int32_t kSlots = DocumentFontSet::kSlotCount;

    // 1. The glyphs were listed by LayoutAfterChildren. 2. The lowest and highest glyph extents.
    float lowest = em * capital;
    float highest = 0.0F;
    for (int32_t i = 0; i < glyphCount; ++i)
    {
        if (glyphSlots[i] >= kSlots || design->fonts.slots[glyphSlots[i]] == nullptr) continue;
        GlyphBounds box = design->fonts.slots[glyphSlots[i]]->GetGlyphBounds(glyphIndexes[i], glyphRequest.optionFlags);
        lowest = std::min(lowest, em * box.yMin + o);
        highest = std::max(highest, em * box.yMax + o);
    }
    lowestExtent = lowest;
    highestExtent = highest;

    bool strict = role == 'nmbr' && strictFixedWidth && !proportionalFigures;
    bool trimmed = role == 'nmbr' && !strictFixedWidth && !proportionalFigures;
    const Font *font = nullptr;
    uint32_t glyph = 0;
    GlyphBounds box;
    float advance = 0.0F;

    // 3. The first glyph: left inset v and extra wanted space u.
    float v = 0.0F;
    float u = 0.0F;
    if (GetEdgeGlyph(design, false, &font, &glyph, &box, &advance))
    {
        float m = em * box.xMin;
        if (strict) m = em * const_cast<Font *>(font)->GetDigitSideBearings().left;
        if (previousRun == nullptr)
        {
            v = -m;
            if (!IsRowStart(previous)) v = std::max(v, 0.0F);
        }
        else if (trimmed && previousRun->role != 'nmbr')
        {
            float proportionalAdvance = 0.0F;
            GlyphBounds plain = GetProportionalBox(font, FirstCodePoint(text), glyphRequest.optionFlags, &proportionalAdvance);
            float t = std::max(0.0F, box.xMin - plain.xMin);
            v = -em * t;
            u = em * t;
        }
    }

    // 4. The last glyph: right inset B and extra wanted space w.
    float rightInsetValue = 0.0F;
    float w = 0.0F;
    if (GetEdgeGlyph(design, true, &font, &glyph, &box, &advance))
    {
        bool outline = glyph < font->GetGlyphCount() && font->GetRecord()->GetGlyphCurveCount(glyph) != 0;
        float h = outline ? em * (advance - box.xMax) : 0.0F;
        if (strict) h = em * const_cast<Font *>(font)->GetDigitSideBearings().right;
        h = -h;
        float overhang = std::max(0.0F, h);
        if (nextRun != nullptr)
        {
            if (IsItalicStyle(style) && !IsItalicStyle(nextRun->style) &&
                (nextRun->role == 'math' || nextRun->role == 'nmbr' || nextRun->role == 'text'))
            {
                rightInsetValue = overhang;
                w = mu * design->GetGeneral(kItalicCorrectionSlot);
            }
            else if (trimmed && nextRun->role != 'nmbr')
            {
                float proportionalAdvance = 0.0F;
                GlyphBounds plain = GetProportionalBox(font, LastCodePoint(text), glyphRequest.optionFlags, &proportionalAdvance);
                float t = std::max(0.0F, (advance - box.xMax) - (proportionalAdvance - plain.xMax));
                rightInsetValue = -em * t;
                w = -rightInsetValue;
            }
        }
        else if (IsRowStart(next))
        {
            rightInsetValue = h;
        }
        else
        {
            rightInsetValue = overhang;
        }
    }

    // 5. Role spacing.
    float sb = 0.0F;
    float sa = 0.0F;
    GetRoleSpacing(design, &sb, &sa);
    float g = GetSpaceBefore(this, sb + u, false);
    float spaceAfter = GetSpaceAfter(this, sa + w, false);

    // 6. The glyphs at their pen.
    float endX = g + v;
    if (glyphCount > 0)
    {
        const float pen[2] = {g + v, -o};
        float endPen[2] = {pen[0], pen[1]};
        static_cast<void>(GetRunGlyphList(cachedRun, nullptr, kSlots, textFonts, pen, glyphSlots, glyphIndexes,
                                          glyphPositions, glyphTransforms, glyphColors, nullptr, endPen));
        endX = endPen[0];
    }

    // 7. The box.
    width = spaceAfter + rightInsetValue + endX;
    bottom = std::min(std::min(lowest, 0.0F), -mu * design->GetGeneral(kGeneralRowDepthSlot));
    top = std::max(highest, mu * design->GetGeneral(kGeneralRowHeightSlot) + em * capital);
    leftInset = v;
    rightInset = rightInsetValue;
    leftSpacing = g;
    rightSpacing = spaceAfter;

    // 8. Decorations.
    if (GetFirstMathSubnode() != nullptr && glyphCount > 0) PlaceDecorations(design, em, mu, o, g, v);
}

void SymbolRunNode::PlaceDecorations(const Design *design, float em, float mu, float o, float g, float v)
{
    const Font *font = nullptr;
    uint32_t glyph = 0;
    GlyphBounds box;
    float advance = 0.0F;
    if (!GetEdgeGlyph(design, false, &font, &glyph, &box, &advance)) return;
    float c2 = em * (box.xMin + box.xMax);
    float gx = glyphPositions[0];

    bool enclosed = false;
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() != kEnclosureKind || enclosed) continue;
        enclosed = true;
        float k = node->width;
        float inkWidth = em * (box.xMax - box.xMin);
        float d = 0.0F;
        if (inkWidth < k)
        {
            d = (k - inkWidth) / 2.0F;
            float b = d;
            const auto *decoration = dynamic_cast<const RunDecoration *>(node);
            int32_t side = GetComparisonSide(FirstCodePoint(text));
            if (decoration != nullptr && decoration->IsCircleEnclosure() && side != 0)
            {
                float inkHeight = em * (box.yMax - box.yMin);
                float n2 = std::max(inkHeight - inkWidth, 0.0F) * design->GetGroupSlots(kMarkGroup)[kCircleOffsetSlot];
                // An empty glyph has no ink to lean on: it stays centred.
                float q = inkWidth > kEmptyGlyphWidth ? (inkHeight * inkHeight - n2 * n2) / (8.0F * inkWidth) : 0.0F;
                b = side < 0 ? d - q : d + q;
            }
            glyphPositions[0] += b;
            leftInset = 0.0F;
            rightInset = 0.0F;
        }
        node->position = Point2D(g + v + (c2 - k) / 2.0F + d, em * (box.yMin + box.yMax) / 2.0F + o);
        width += 2.0F * d;
        bottom = std::min(bottom, node->position.y + node->bottom);
        top = std::max(top, node->position.y + node->top);
    }

    float s = GetDesignParam(design, kMarkGroup, 'vtsp') * mu;
    float markTop = em * box.yMax + o;
    float markBottom = em * box.yMin + o;
    float xc = em * (std::max(box.xMin, 0.0F) + box.xMax) / 2.0F + gx;
    float xu = xc;
    if (IsItalicStyle(style) && !noSlantCorrection)
    {
        float angle = 0.0F;
        GlyphExtent extent;
        static_cast<void>(GetSlantedEdge(design, false, &box, &extent, &angle));  // the first glyph is there
        float c = std::cos(-angle);
        float sn = std::sin(-angle);
        float cm = em * (extent.left + extent.right) / 2.0F;
        xc = (cm - markTop * sn) / c + gx;
        xu = (cm - markBottom * sn) / c + gx;
    }
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        uint32_t kind = node->GetKind();
        if (kind == kMarkKind)
        {
            const auto *decoration = dynamic_cast<const RunDecoration *>(node);
            if (decoration != nullptr && decoration->IsUnderMark())
            {
                float y = markBottom - s - node->top;
                node->position = Point2D(xu - node->width / 2.0F, y);
                markBottom = y;
            }
            else
            {
                node->position = Point2D(xc - node->width / 2.0F, markTop + s);
                markTop += s + node->top;
            }
        }
        else if (kind == kNegationKind || kind == kSlashKind)
        {
            node->position = Point2D(kind == kNegationKind ? gx : c2 / 2.0F + gx, o);
            bottom = std::min(bottom, node->position.y + node->bottom);
            top = std::max(top, node->position.y + node->top);
        }
    }
    bottom = std::min(bottom, markBottom);
    top = std::max(top, markTop);
}

bool SymbolRunNode::GetSlantedEdge(const Design *design, bool last, GlyphBounds *box, GlyphExtent *extent,
                                   float *angle) const
{
    const Font *font = nullptr;
    uint32_t glyph = 0;
    float advance = 0.0F;
    if (!GetEdgeGlyph(design, last, &font, &glyph, box, &advance)) return false;
    *angle = GetGeneralParam(design, 'slnt') * kDegreesToRadians;
    float extentAngle = *angle;
    *extent = const_cast<Font *>(font)->GetSlantedGlyphExtent(glyph, glyphRequest.optionFlags, &extentAngle);
    return true;
}

float SymbolRunNode::GetStartSlantCorrection(const Design *design, float height) const
{
    GlyphBounds box;
    GlyphExtent extent;
    float a = 0.0F;
    if (!GetSlantedEdge(design, false, &box, &extent, &a)) return 0.0F;
    return std::max(0.0F, (extent.left - std::sin(-a) * height) / std::cos(-a) - box.xMin);
}

float SymbolRunNode::GetEndSlantCorrection(const Design *design, float height) const
{
    GlyphBounds box;
    GlyphExtent extent;
    float a = 0.0F;
    if (!GetSlantedEdge(design, true, &box, &extent, &a)) return 0.0F;
    return std::min(0.0F, (extent.right - std::sin(-a) * height) / std::cos(-a) - box.xMax);
}

bool SymbolRunNode::GetFirstGlyphBox(const Design *design, GlyphBounds *box) const
{
    const Font *font = nullptr;
    uint32_t glyph = 0;
    float advance = 0.0F;
    return GetEdgeGlyph(design, false, &font, &glyph, box, &advance);
}

bool SymbolRunNode::GetLastGlyphBox(const Design *design, GlyphBounds *box) const
{
    const Font *font = nullptr;
    uint32_t glyph = 0;
    float advance = 0.0F;
    return GetEdgeGlyph(design, true, &font, &glyph, box, &advance);
}

float SymbolRunNode::GetFirstGlyphCenterX(const Design *design) const
{
    const Font *font = nullptr;
    uint32_t glyph = 0;
    GlyphBounds box;
    float advance = 0.0F;
    float x = leftSpacing + leftInset;
    if (GetEdgeGlyph(design, false, &font, &glyph, &box, &advance)) x += GetEm(design) * (box.xMin + box.xMax) / 2.0F;
    return x;
}

float SymbolRunNode::GetLastGlyphCenterX(const Design *design) const
{
    const Font *font = nullptr;
    uint32_t glyph = 0;
    GlyphBounds box;
    float advance = 0.0F;
    float x = width - (rightSpacing + rightInset);
    if (GetEdgeGlyph(design, true, &font, &glyph, &box, &advance))
        x += GetEm(design) * ((box.xMin + box.xMax) / 2.0F - advance);
    return x;
}

}  // namespace oq
