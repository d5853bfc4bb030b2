#include "vorlfont/compiler/FontCompiler.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "vorlfont/compiler/CompileResultCodes.h"
#include "vorlfont/compiler/CountedListBuild.h"
#include "vorlfont/compiler/GlyphFeatureLists.h"
#include "vorlfont/compiler/GlyphTextureBuild.h"
#include "vorlfont/compiler/OutlineRelease.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"
#include "vorlfont/compiler/VorlFontWriter.h"

#include <cstring>

namespace oq {

FontCompiler::FontCompiler(AmbrelDocument *document, uint32_t flags, const CodePointRange *include,
                           int32_t includeCount, const CodePointRange *exclude, int32_t excludeCount)
    : document(document), flags(flags), inclusionMap(include, includeCount, exclude, excludeCount)
{
}

FontCompiler::FontCompiler(AmbrelDocument *document, uint32_t flags, uint32_t count, const uint8_t *map)
    : document(document), flags(flags), inclusionMap(count, map)
{
}

FontCompiler::FontCompiler(AmbrelDocument *document, uint32_t flags, int32_t count, const uint32_t *codePoints)
    : document(document), flags(flags), inclusionMap(count, codePoints)
{
}

void FontCompiler::BuildContexts(FontStructure *font)
{
    contexts.Purge();
    FontStructure *member = font->memberFonts.GetFirst();
    if (member == nullptr)
    {
        auto *context = new FontCompileContext;
        context->font = font;
        context->glyphFont = font->GetGlyphFont();
        contexts.Append(context);
        return;
    }
    for (; member != nullptr; member = StructureList<FontStructure>::GetNext(member))
    {
        auto *context = new FontCompileContext;
        context->font = member;
        context->glyphFont = member->GetGlyphFont();
        contexts.Append(context);
    }
}

// The data values of the context's Font and the document's settings, and its names.
void FontCompiler::FillContext(FontCompileContext *context) const
{
    const FontStructure *font = context->font;
    FontDataValues &v = context->values;
    v.metrics = {font->ascent, font->descent, font->lineGap};
    v.typoMetrics = {font->typoAscent, font->typoDescent, font->typoLineGap};
    v.heights = {font->capHeight, font->exHeight};
    v.mathAxisHeight = font->mathAxisHeight;
    v.subscript = {{font->subscriptScale[0], font->subscriptScale[1]}, {font->subscriptOffset[0], font->subscriptOffset[1]}};
    v.superscript = {{font->superscriptScale[0], font->superscriptScale[1]},
                     {font->superscriptOffset[0], font->superscriptOffset[1]}};
    v.classes = {font->weightClass, font->widthClass};
    v.slantAngle = font->slantAngle;
    v.underline.thickness = font->underlineSize;
    v.underline.position = font->underlinePosition;
    v.strikethrough.thickness = font->strikethroughSize;
    v.strikethrough.position = font->strikethroughPosition;
    const FontCompileSettings &settings = document->compileSettings;
    v.polygon = {settings.polygonVertexCount, settings.polygonEdgeFactor};
    v.outline = {settings.outlineEffectSize, settings.outlineMiterLimit, settings.outlineJoin};

    context->familyName = nullptr;
    context->styleName = nullptr;
    const KettricStringList *names = font->nameStrings;
    if (names != nullptr && names->GetElementCount() > 0 && !(*names)[0].IsEmpty())
    {
        context->familyName = (*names)[0].GetText();
        context->familyLength = uint32_t(std::strlen(context->familyName));
        if (names->GetElementCount() > 1)
        {
            context->styleName = (*names)[1].GetText();
            context->styleLength = uint32_t(std::strlen(context->styleName));
        }
    }
}

// Selects and numbers the glyphs and fills every context's character map.
uint32_t FontCompiler::SelectGlyphs()
{
    auto *first = static_cast<FontCompileContext *>(contexts.GetFirstListElement());
    glyphSelection.SelectAll(first, inclusionMap, flags);
    selectedCount = glyphSelection.GetCount();
    if (selectedCount == 0)
    {
        // A font without glyphs still gets the empty glyph 0 that every file holds.
        selectedCount = 1;
        selection.SetElementCount(1);
        selection[0] = 0;
    }
    else
    {
        selection.SetElementCount(int32_t(selectedCount));
        std::memcpy(selection.GetElements(), glyphSelection.selection.GetElements(), size_t(selectedCount) * 4);
    }
    int32_t glyphs = glyphSelection.newNumbers.GetElementCount();
    newNumbers.SetElementCount(glyphs);
    if (glyphs != 0) std::memcpy(newNumbers.GetElements(), glyphSelection.newNumbers.GetElements(), size_t(glyphs) * 4);
    return 0;
}

namespace {

// The texel buffer view of a compile texture; the cursor goes back with TakeCursor.
TexelBuffer ViewTexture(CompileTexture &texture)
{
    return {texture.texels.GetData(), texture.format, texture.width, texture.rowLimit, texture.column, texture.row};
}

void TakeCursor(CompileTexture &texture, const TexelBuffer &view)
{
    texture.column = view.cursorX;
    texture.row = view.cursorY;
}

}  // namespace

uint32_t FontCompiler::BuildGlyphs()
{
    // A NaN size makes no outline either.
    if (!(document->compileSettings.outlineEffectSize > 0.0f)) flags &= ~kCompileOutline;
    uint32_t allocated = glyphData.Allocate(selectedCount, (flags & kCompileOutline) != 0);
    if (allocated != 0) return allocated;
    AddDecorations();

    const auto *first = static_cast<FontCompileContext *>(contexts.GetFirstListElement());
    if (releaseOutlines)
    {
        ReleaseUnusedCurves(first->glyphFont, newNumbers.GetElements(), uint32_t(newNumbers.GetElementCount()));
        ReturnFreeHeapPages();
    }
    TexelBuffer curve = ViewTexture(glyphData.curveTexture);
    TexelBuffer band = ViewTexture(glyphData.bandTexture);
    Array<uint32_t> contourList;
    GlyphTextureInput input = {first->glyphFont,       selectedCount,
                               selection.GetElements(), newNumbers.GetElements(),
                               uint32_t(newNumbers.GetElementCount()), flags,
                               &document->compileSettings,     releaseOutlines};
    GlyphTextureOutput output = {glyphData.GetGlyphRecords(), glyphData.GetOutlineGlyphRecords(), &curve, &band,
                                 &contourList};
    uint32_t result = BuildGlyphCurvesAndBands(input, output);
    TakeCursor(glyphData.curveTexture, curve);
    TakeCursor(glyphData.bandTexture, band);
    if (result != 0) return result;

    int32_t runs = contourList.GetElementCount();
    result = glyphData.AllocateList(kContourListSection, uint32_t(runs));
    if (result == 0 && runs != 0)
        std::memcpy(glyphData.lists[kContourListSection].GetData(), contourList.GetElements(), size_t(runs) * 4);
    return result;
}

uint32_t FontCompiler::BuildLists()
{
    FeatureListTarget target = {&glyphSelection, glyphData.GetGlyphRecords(), glyphData.GetOutlineGlyphRecords(),
                                (flags & kCompileTimesLig) != 0};
    constexpr ListCountRule kExact = ListCountRule::kExact;
    uint32_t result = BuildCountedList<uint32_t>(&glyphData, kDecompositionListSection, kExact,
                                                 [&](uint32_t *out, uint32_t capacity, uint32_t *n) {
                                                     return WriteDecompositionLists(target, out, capacity, n);
                                                 });
    if (result == 0 && (flags & kCompileKern))
        result = BuildCountedList<KerningListEntry>(&glyphData, kKerningListSection, ListCountRule::kAtMost,
                                                    [&](KerningListEntry *out, uint32_t capacity, uint32_t *n) {
                                                        return WriteKerningPairs(target, out, capacity, n);
                                                    });
    if (result == 0 && (flags & kCompileMark)) result = BuildAnchorLists(target);
    if (result == 0 && (flags & kCompileSequence))
    {
        Array<uint32_t> pool;
        result = BuildCountedList<uint32_t>(&glyphData, kSequenceListSection, kExact,
                                            [&](uint32_t *out, uint32_t capacity, uint32_t *n) {
                                                return WriteSequences(target, out, capacity, n, &pool);
                                            });
        uint32_t words = uint32_t(pool.GetElementCount());
        if (result == 0) result = glyphData.AllocateList(kSequenceGlyphPoolSection, words);
        if (result == 0 && words != 0)
            std::memcpy(glyphData.lists[kSequenceGlyphPoolSection].GetData(), pool.GetElements(), size_t(words) * 4);
        if (result == 0)
            result = BuildCountedList<float>(&glyphData, kCaretListSection, kExact,
                                             [&](float *out, uint32_t capacity, uint32_t *n) {
                                                 return WriteLigatureCarets(target, out, capacity, n);
                                             });
    }
    if (result == 0 && (flags & kCompileAlternate))
        result = BuildCountedList<AlternateListEntry>(&glyphData, kAlternateListSection, kExact,
                                                      [&](AlternateListEntry *out, uint32_t capacity, uint32_t *n) {
                                                          return WriteAlternateEntries(target, out, capacity, n);
                                                      });
    if (result == 0 && (flags & kCompileLayer))
        result = BuildCountedList<LayerListEntry>(&glyphData, kLayerListSection, kExact,
                                                  [&](LayerListEntry *out, uint32_t capacity, uint32_t *n) {
                                                      return WriteLayers(target, out, capacity, n);
                                                  });
    return result;
}

uint32_t FontCompiler::BuildAnchorLists(const FeatureListTarget &target)
{
    uint32_t base = 0, mark = 0;
    uint32_t result = WriteAnchors(target, nullptr, 0, &base, nullptr, 0, &mark);
    // The two anchor lists go together: without one, neither is written.
    if (base == 0 || mark == 0) base = mark = 0;
    if (result == 0) result = glyphData.AllocateList(kBaseAnchorListSection, base);
    if (result == 0) result = glyphData.AllocateList(kMarkAnchorListSection, mark);
    if (result != 0 || base == 0) return result;
    uint32_t baseWritten = 0, markWritten = 0;
    result = WriteAnchors(target, glyphData.lists[kBaseAnchorListSection].Get<AnchorListEntry>(), base, &baseWritten,
                          glyphData.lists[kMarkAnchorListSection].Get<AnchorListEntry>(), mark, &markWritten);
    if (result == 0) result = CheckListCount(base, baseWritten, ListCountRule::kExact);
    if (result == 0) result = CheckListCount(mark, markWritten, ListCountRule::kExact);
    return result;
}

// The underline and strikethrough rectangles of every font record; a failure is not reported
// (the item then names the band location it had, inside the band texture).
void FontCompiler::AddDecorations()
{
    TexelBuffer curve = ViewTexture(glyphData.curveTexture);
    TexelBuffer band = ViewTexture(glyphData.bandTexture);
    for (auto *c = static_cast<FontCompileContext *>(contexts.GetFirstListElement()); c != nullptr;
         c = static_cast<FontCompileContext *>(c->GetNextListElement()))
    {
        const FontStructure *font = c->font;
        if (flags & kCompileUnderline)
        {
            FontDataDecorationItem &item = c->values.underline;
            if (!AddDecorationGeometry(font->underlinePosition, font->underlinePosition + font->underlineSize, &curve,
                                       &band, &item.bandColumn, &item.bandRow))
                continue;
        }
        if (flags & kCompileStrikethrough)
        {
            FontDataDecorationItem &item = c->values.strikethrough;
            static_cast<void>(AddDecorationGeometry(font->strikethroughPosition,
                                                    font->strikethroughPosition + font->strikethroughSize, &curve,
                                                    &band, &item.bandColumn, &item.bandRow));
        }
    }
    TakeCursor(glyphData.curveTexture, curve);
    TakeCursor(glyphData.bandTexture, band);
}

uint32_t FontCompiler::PrepareFont(int32_t fontIndex)
{
    if (fontIndex < 0) return kResultFontIndex;
    FontStructure *font = document->fontList.GetFirst();
    for (int32_t i = 0; i < fontIndex && font != nullptr; ++i) font = StructureList<FontStructure>::GetNext(font);
    if (font == nullptr) return kResultFontIndex;

    BuildContexts(font);
    uint32_t synthesis = ((flags & kCompileAlternate) ? kSynthesizeAlternates | kSynthesizeTabularDigits : 0) |
                         ((flags & kCompileSequence) ? kSynthesizeCarets : 0);
    if (synthesis != 0) font->SynthesizeFeatures(document, synthesis);
    return 0;
}

uint32_t FontCompiler::WriteFile(OutputSink *sink, const VorlHeaderStart *start)
{
    FontDataBoxItem boxes;
    ComputeFontBoxes(glyphData.GetGlyphRecords(), glyphData.glyphCount, &boxes);
    for (auto *c = static_cast<FontCompileContext *>(contexts.GetFirstListElement()); c != nullptr;
         c = static_cast<FontCompileContext *>(c->GetNextListElement()))
    {
        FillContext(c);
        c->values.boxes = boxes;
    }
    return WriteVorlFontFile(sink, start, contexts, &glyphData, flags);
}

uint32_t FontCompiler::CompileAndWrite(OutputSink *sink, const VorlHeaderStart *start, int32_t fontIndex)
{
    uint32_t result = PrepareFont(fontIndex);
    if (result == 0) result = SelectGlyphs();
    if (result == 0) result = BuildGlyphs();
    if (result == 0) result = BuildLists();
    if (result == 0) result = WriteFile(sink, start);
    return result;
}

}  // namespace oq
