#include "editor/document/SymbolRunNode.h"

#include "base/Memory.h"
#include "base/TextUtils.h"
#include "editor/document/CharacterStyleMapping.h"
#include "editor/document/GlyphExport.h"
#include "editor/document/GlyphLayout.h"
#include "editor/document/GroupNode.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/RunDecoration.h"
#include "editor/fonts/Design.h"
#include "editor/platform/Clipboard.h"
#include "editor/platform/GlyphMeshItem.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/TextBuffer.h"
#include "kettric/KettricPrimitive.h"
#include "vorl/text/TextMeasure.h"
#include "vorl/text/TextRun.h"

#include <cstring>
#include <string>

namespace oq {

namespace {

// Option flags of the runs: no kerning across runs' requests aside, as the layout wants them.
constexpr uint32_t kChemicalRunOptionFlags = 0xE0;

// Alternate-feature bits of a run's request.
constexpr uint32_t kDefaultAlternateBits = 0xC000;  // 'rtlm' and 'rvrn'
constexpr uint32_t kFeatureSmallCaps = 0x4;
constexpr uint32_t kFeatureCaseForms = 0x40;
constexpr uint32_t kFeatureSlashedZero = 0x80;
constexpr uint32_t kFeatureDotless = 0x400;
constexpr uint32_t kFeatureStyleAlternates = 0x800;
constexpr uint32_t kFeatureLiningFigures = 0x10000;
constexpr uint32_t kFeatureOldstyleFigures = 0x20000;
constexpr uint32_t kFeatureTabularFigures = 0x40000;
constexpr uint32_t kFeatureProportionalFigures = 0x80000;

// The flags with their names, in writing order.
struct RunFlagName
{
    const char *name;
    bool SymbolRunNode::*member;
};
constexpr RunFlagName kRunFlagNames[] = {
    {"tf", &SymbolRunNode::strictFixedWidth}, {"pf", &SymbolRunNode::proportionalFigures},
    {"of", &SymbolRunNode::oldstyleFigures},  {"ma", &SymbolRunNode::mathAxisOffset},
    {"sc", &SymbolRunNode::smallCaps},        {"cf", &SymbolRunNode::caseForms},
    {"zr", &SymbolRunNode::slashedZero},      {"nd", &SymbolRunNode::noDotless},
    {"ns", &SymbolRunNode::noSlantCorrection}, {"nb", &SymbolRunNode::noBoldMarks},
};

bool IsDecorationKind(uint32_t kind)
{
    return kind == kMarkKind || kind == kNegationKind || kind == kSlashKind || kind == kEnclosureKind;
}

}  // namespace

uint32_t GetDefaultRunStyle(uint32_t role)
{
    switch (role)
    {
    case 'arrw':
    case 'bond':
    case 'oper':
    case 'rltn':
    case 'unry':
        return 'sym1';
    case 'math':
        return 'ital';
    default:
        return 'uprt';
    }
}

bool IsItalicStyle(uint32_t style)
{
    return (style >> 24) == 'i' || ((style >> 16) & 0xFF) == 'i';
}

SymbolRunNode::SymbolRunNode(uint32_t runRole, uint32_t runStyle)
    : ColoredMathNode(kSymbolRunKind), role(runRole), style(runStyle != 0 ? runStyle : GetDefaultRunStyle(runRole))
{
}

SymbolRunNode::SymbolRunNode(const SymbolRunNode &node)
    : ColoredMathNode(node),
      RunTextSource(),
      glyphRequest(CloneGlyphLayoutRequest(node.glyphRequest)),
      role(node.role),
      style(node.style),
      text(node.text)
{
    for (const RunFlagName &flag : kRunFlagNames) this->*flag.member = node.*flag.member;
}

SymbolRunNode::~SymbolRunNode()
{
    ReleaseGlyphArrays();
    if (cachedRun != nullptr) MemoryRelease(cachedRun);
}

void SymbolRunNode::ReleaseGlyphArrays()
{
    if (glyphBlock != nullptr) MemoryRelease(glyphBlock);
    glyphBlock = nullptr;
    glyphSlots = nullptr;
    glyphIndexes = nullptr;
    glyphPositions = nullptr;
    glyphTransforms = nullptr;
    glyphColors = nullptr;
    glyphCount = 0;
}

bool SymbolRunNode::HasAnyFlag() const
{
    for (const RunFlagName &flag : kRunFlagNames)
    {
        if (this->*flag.member) return true;
    }
    return false;
}

uint32_t SymbolRunNode::GetFlagBits() const
{
    uint32_t bits = 0;
    uint32_t bit = 1;
    for (const RunFlagName &flag : kRunFlagNames)
    {
        if (this->*flag.member) bits |= bit;
        bit <<= 1;
    }
    return bits;
}

SymbolRunNode *SymbolRunNode::SplitAt(int32_t index)
{
    int32_t length = text.GetLength();
    if (index < 0) index = 0;
    if (index > length) index = length;
    auto *second = new SymbolRunNode(role, style);
    second->paletteIndex = paletteIndex;
    second->colorValue = colorValue;
    // Every flag goes with the text: the user changed none of them on either half.
    for (const RunFlagName &flag : kRunFlagNames) second->*flag.member = this->*flag.member;
    second->text.SetTextMax(text.GetText() + index, length - index);
    text.SetLength(index);
    static_cast<TreeNode *>(GetSuperNode())->InsertSubnodeAfter(second, this);
    return second;
}

bool SymbolRunNode::HasSameFormat(uint32_t otherRole, uint32_t otherStyle, int32_t otherPaletteIndex,
                                  uint32_t otherColor, uint32_t flagBits) const
{
    if (GetFirstSubnode() != nullptr) return false;
    if (otherRole != 'chem' && otherRole != 'math' && otherRole != 'nmbr' && otherRole != 'text') return false;
    if (otherRole != role || otherStyle != style) return false;
    if (paletteIndex >= 0 ? otherPaletteIndex != paletteIndex : otherColor != colorValue) return false;
    constexpr uint32_t kCompared = kRunFlagProportionalFigures | kRunFlagOldstyleFigures | kRunFlagMathAxisOffset |
                                   kRunFlagSmallCaps | kRunFlagCaseForms | kRunFlagSlashedZero;
    return (flagBits & kCompared) == (GetFlagBits() & kCompared);
}

bool SymbolRunNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                  void **storage)
{
    if (std::strcmp(identifier, "ro") == 0 || std::strcmp(identifier, "st") == 0)
    {
        *type = 'UI32';
        *storage = (identifier[0] == 'r') ? &role : &style;
        if (identifier[0] == 's') styleRead = true;
        return true;
    }
    for (const RunFlagName &flag : kRunFlagNames)
    {
        if (std::strcmp(identifier, flag.name) == 0)
        {
            *type = 'BOOL';
            *storage = &(this->*flag.member);
            return true;
        }
    }
    return ColoredMathNode::CheckProperty(document, identifier, type, storage);
}

bool SymbolRunNode::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    if (structure->GetStructureType() == 'STRG') return true;
    const DocumentNode *node = DocumentNode::FromStructure(structure);
    return node != nullptr && IsDecorationKind(node->GetKind());
}

KettricResult SymbolRunNode::ResolveData(KettricDocument *document)
{
    KettricResult result = ColoredMathNode::ResolveData(document);
    KettricStructure *strings = nullptr;
    KettricResult textResult = 0;
    for (KettricStructure *s = GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        if (s->GetStructureType() != 'STRG') continue;
        if (strings != nullptr)
        {
            textResult = kResultExtraSubstructure;
            break;
        }
        strings = s;
    }
    if (strings == nullptr)
    {
        textResult = kResultMissingSubstructure;
    }
    else if (textResult == 0)
    {
        const auto *list = static_cast<const KettricStringList *>(strings);
        if (list->GetElementCount() != 1)
        {
            textResult = kResultInvalidDataFormat;
        }
        else
        {
            // Invalid bytes and encoded surrogates become U+FFFD, one per byte: caret offsets then
            // always fall between characters and the XML forms stay well-formed.
            const TextString &read = (*list)[0];
            size_t length = size_t(read.GetLength());
            std::string clean =
                SanitizeUtf8Text(reinterpret_cast<const uint8_t *>(read.GetText()), length, length * 3);
            text = TextString(clean.c_str(), int32_t(clean.size()));
            delete strings;
        }
    }
    if (style == 0 || !styleRead) style = GetDefaultRunStyle(role);
    if (proportionalFigures) strictFixedWidth = false;
    return result != 0 ? result : textResult;
}

DocumentNode *SymbolRunNode::Clone() const
{
    return new SymbolRunNode(*this);
}

bool SymbolRunNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (role != 'math') writer.WriteFourCC("ro", role);
    if (style != GetDefaultRunStyle(role)) writer.WriteFourCC("st", style);
    for (const RunFlagName &flag : kRunFlagNames)
    {
        if (this->*flag.member) writer.WriteFlag(flag.name);
    }
    return writer.Opened();
}

void SymbolRunNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricHead(buffer, "Sb");
    TextString escaped(text);
    escaped.EscapeText(1);
    bool hasSubnodes = false;
    for (TreeBase *subnode = GetFirstSubnode(); subnode != nullptr; subnode = subnode->GetNextNode())
    {
        if (DocumentNode::FromStructure(static_cast<KettricStructure *>(subnode)) != nullptr) hasSubnodes = true;
    }
    if (!hasSubnodes && !HasOutgoingLinks())
    {
        buffer->AppendText(" {s{\"");
        buffer->AppendText(escaped);
        buffer->AppendText("\"}}\n");
        return;
    }
    buffer->AppendText("\n");
    WriteIndentation(buffer);
    buffer->AppendText("{\n");
    buffer->depth += 1;
    WriteIndentation(buffer);
    buffer->AppendText("s{\"");
    buffer->AppendText(escaped);
    buffer->AppendText("\"}\n");
    buffer->depth -= 1;
    WriteKettricBody(document, buffer);
    WriteIndentation(buffer);
    buffer->AppendText("}\n");
}

uint32_t SymbolRunNode::GetAlternateFeatures(uint32_t *selector) const
{
    uint32_t mask = kDefaultAlternateBits;
    mask |= proportionalFigures ? kFeatureProportionalFigures : kFeatureTabularFigures;
    mask |= oldstyleFigures ? kFeatureOldstyleFigures : kFeatureLiningFigures;
    if (smallCaps) mask |= kFeatureSmallCaps;
    if (caseForms) mask |= kFeatureCaseForms;
    if (slashedZero) mask |= kFeatureSlashedZero;
    switch (style)
    {
    case 'ital':
    case 'itgk':
        *selector = 1;
        break;
    case 'bold':
    case 'bdgk':
        *selector = 2;
        break;
    case 'bitl':
    case 'bigk':
        *selector = 3;
        break;
    case 'mono':
        *selector = 4;
        break;
    default:
        *selector = 0;
        break;
    }
    if (*selector != 0) mask |= kFeatureStyleAlternates;
    return mask;
}

void SymbolRunNode::LayoutAfterChildren(const Design *design)
{
    uint32_t styleKey = style;
    if (role == 'text' && design->GetSeparateStyles() &&
        (style == 'uprt' || style == 'ital' || style == 'bold' || style == 'bitl'))
    {
        styleKey = (style & 0xFFFFFF00) | 'x';
    }
    uint32_t optionFlags = kSymbolRunOptionFlags;
    if (role == 'chem' || role == 'unit') optionFlags = kChemicalRunOptionFlags;
    if (role == 'text') optionFlags = uint32_t(design->GetTextRunFlags());
    uint32_t selector = 0;
    uint32_t mask = GetAlternateFeatures(&selector);
    if (!noDotless)
    {
        for (const MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
        {
            if (node->GetKind() != kMarkKind) continue;
            const auto *decoration = dynamic_cast<const RunDecoration *>(node);
            if (decoration == nullptr || !decoration->IsUnderMark()) mask |= kFeatureDotless;
        }
    }
    glyphRequest = {styleKey, design->GetBaseFontSize(), effectiveScale, optionFlags, mask, selector};

    TextRun *run = LayoutGlyphText(design, glyphRequest, GetNodeColorWord(design, paletteIndex, colorValue), text,
                                   text.GetLength());
    if (run == nullptr)
    {
        if (cachedRun != nullptr) MemoryRelease(cachedRun);
        cachedRun = nullptr;
        cachedRunSize = 0;
        ListGlyphs(design);
        return;
    }
    int32_t size = run->GetPackedSize();
    if (size != cachedRunSize || cachedRun == nullptr)
    {
        if (cachedRun != nullptr) MemoryRelease(cachedRun);
        cachedRun = static_cast<TextRun *>(MemoryAllocate(size_t(size)));
        cachedRunSize = size;
    }
    cachedRun = run->Pack(cachedRun);
    ListGlyphs(design);
}

void SymbolRunNode::KeepRunTextRange(int32_t begin, int32_t end)
{
    int32_t length = text.GetLength();
    begin = begin < 0 ? 0 : (begin > length ? length : begin);
    end = end < begin ? begin : (end > length ? length : end);
    std::string kept = SanitizeUtf8Text(reinterpret_cast<const uint8_t *>(text.GetText()) + begin, size_t(end - begin),
                                        size_t(end - begin) * 3);
    text = TextString(kept.c_str(), int32_t(kept.size()));
}

int32_t SymbolRunNode::GetFirstStepIndex() const
{
    if (text.IsEmpty()) return 0;
    return GetNextClusterLength(text, text.GetLength());
}

int32_t SymbolRunNode::GetEndIndex() const
{
    return text.GetLength();
}

int32_t SymbolRunNode::GetLaidOutEnd() const
{
    if (cachedRun == nullptr || cachedRun->characterCount <= 0) return 0;
    const TextRunCharacter &last = cachedRun->characters[cachedRun->characterCount - 1];
    int32_t end = last.textOffset + last.byteLength;
    return end < text.GetLength() ? end : text.GetLength();
}

bool SymbolRunNode::GetEdgeGlyph(const Design *design, bool last, const Font **font, uint32_t *glyph,
                                 GlyphBounds *box, float *advance) const
{
    *box = GlyphBounds();
    *advance = 0.0F;
    if (glyphCount <= 0) return false;
    int32_t i = last ? glyphCount - 1 : 0;
    if (glyphSlots[i] >= DocumentFontSet::kSlotCount) return false;
    const Font *f = design->fonts.slots[glyphSlots[i]];
    if (f == nullptr) return false;
    *font = f;
    *glyph = glyphIndexes[i];
    *box = f->GetGlyphBounds(glyphIndexes[i], glyphRequest.optionFlags, advance);
    return true;
}

int32_t SymbolRunNode::GetCharIndexAtX(const Design *design, float x) const
{
    if (cachedRun == nullptr) return 0;
    float local = x - leftSpacing - leftInset;
    HitTestResult hit = {};
    if (!HitTestRun(cachedRun, nullptr, DocumentFontSet::kSlotCount, design->fonts.textFonts, local, &hit))
        return local <= 0.0F ? 0 : GetLaidOutEnd();
    int32_t end = GetLaidOutEnd();
    if (hit.textOffset < 0) return 0;
    return hit.textOffset < end ? hit.textOffset : end;
}

bool SymbolRunNode::GetCaretPositions(const Design *design, int32_t count, const int32_t *offsets, float *xs) const
{
    if (cachedRun == nullptr || cachedRun->characterCount <= 0 || count <= 0) return false;
    int32_t end = GetLaidOutEnd();
    auto *clamped = static_cast<int32_t *>(MemoryAllocate(sizeof(int32_t) * size_t(count)));
    auto *placements = static_cast<CaretPlacement *>(MemoryAllocate(sizeof(CaretPlacement) * size_t(count)));
    for (int32_t i = 0; i < count; ++i) clamped[i] = offsets[i] < 0 ? 0 : (offsets[i] > end ? end : offsets[i]);
    GetRunCaretPositions(cachedRun, nullptr, DocumentFontSet::kSlotCount, design->fonts.textFonts, count, clamped,
                         placements);
    float origin = leftSpacing + leftInset;
    for (int32_t i = 0; i < count; ++i) xs[i] = origin + placements[i].x;
    MemoryRelease(placements);
    MemoryRelease(clamped);
    return true;
}

void SymbolRunNode::SetStyle(uint32_t newStyle)
{
    if (newStyle == style) return;
    TextString mapped;
    const char *bytes = text;
    int32_t length = text.GetLength();
    for (int32_t i = 0; i < length;)
    {
        uint32_t codePoint = 0;
        int32_t size = DecodeUtf8(bytes + i, &codePoint);
        if (size <= 0) size = 1;
        char encoded[4];
        int32_t encodedSize = EncodeUtf8(encoded, MapCodePointToStyle(this, codePoint, newStyle));
        mapped.AppendTextMax(encoded, encodedSize);
        i += size;
    }
    text = mapped;
    style = newStyle;
}

void SymbolRunNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    for (int32_t i = 0; i < glyphCount; ++i)
    {
        if (glyphSlots[i] >= DocumentFontSet::kSlotCount) continue;
        const Font *font = design->fonts.slots[glyphSlots[i]];
        if (font == nullptr) continue;
        const uint8_t *c = glyphColors + 4 * i;
        uint32_t color = c[0] | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16 | uint32_t(c[3]) << 24;
        Point2D at(absolutePosition.x + glyphPositions[2 * i], absolutePosition.y - glyphPositions[2 * i + 1]);
        const Matrix2D &m = glyphTransforms[i];
        BuildGlyphExportItems(font, glyphRequest, glyphIndexes[i], false, at, Vector2D(m(0, 0), m(1, 1)), color, list);
    }
    DocumentNode::BuildExportItems(design, list);
}

void SymbolRunNode::BuildMeshItems(const Design *design, DisplayList *list) const
{
    Renderer *renderer = GetRenderer();
    if (renderer != nullptr && glyphCount > 0)
    {
        list->Append(new GlyphMeshItem(*renderer, &design->fonts, glyphRequest, absolutePosition, glyphCount,
                                       vertexCounts, triangleCounts, glyphSlots, glyphIndexes, glyphPositions,
                                       glyphTransforms, glyphColors));
    }
    DocumentNode::BuildMeshItems(design, list);
}

}  // namespace oq
