// The Glyph: its checks, resolution, outline collection, description and building operations.
#include "ambrel/GlyphStructure.h"

#include "ambrel/FontStructure.h"
#include "ambrel/GeometryStructure.h"
#include "ambrel/GlyphMetricStructures.h"
#include "base/TextUtils.h"

#include <cmath>
#include <cstring>

namespace oq {

GlyphStructure::GlyphStructure(uint32_t index) : TypographicStructure('glyf'), glyphIndex(index) {}

GlyphStructure::~GlyphStructure() = default;

bool GlyphStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                   void **storage)
{
    if (CompareText(identifier, "index")) return DeclareProperty(type, storage, 'UI32', &glyphIndex);
    return false;
}

bool GlyphStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    if (structure->GetBaseStructureType() == kAmbrelGeometryBase) return true;
    if (structure->GetBaseStructureType() == kKettricPrimitiveBase) return false;
    switch (structure->GetStructureType())
    {
    case 'advc': case 'altr': case 'anch': case 'bear': case 'cart': case 'comp': case 'dcmp':
    case 'emoj': case 'grup': case 'inst': case 'kern': case 'name': case 'sequ':
        return true;
    default:
        return false;
    }
}

FontStructure *GlyphStructure::GetFont() const
{
    KettricStructure *super = GetSuperStructure();
    return (super != nullptr && super->GetStructureType() == 'font') ? static_cast<FontStructure *>(super) : nullptr;
}

KettricResult GlyphStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = TypographicStructure::ResolveData(document);
    if (result != 0) return result;

    FontStructure *font = GetFont();
    if (font == nullptr || glyphIndex >= font->glyphCount) return 'ivgi';
    if (font->glyphTable != nullptr && glyphIndex < font->glyphTableSize) font->glyphTable[glyphIndex] = this;

    advance[0] = advance[1] = 0.0f;
    bearing[0] = bearing[1] = 0.0f;
    caret = nullptr;
    emoji = nullptr;
    singleReference = nullptr;

    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        switch (structure->GetStructureType())
        {
        case 'advc':
        case 'bear':
        {
            const KettricFloatList *list = static_cast<AmbrelStructure *>(structure)->GetFirstFloatList();
            float *target = (structure->GetStructureType() == 'advc') ? advance : bearing;
            if (list != nullptr && list->GetElementCount() > 0)
            {
                target[0] = (*list)[0];
                if (list->GetElementCount() > 1) target[1] = (*list)[1];
            }
            break;
        }
        case 'cart':
            if (caret != nullptr) return kResultExtraSubstructure;
            caret = static_cast<CaretStructure *>(structure);
            break;
        case 'emoj':
            if (emoji != nullptr) return kResultExtraSubstructure;
            emoji = static_cast<EmojiStructure *>(structure);
            break;
        case 'kern':
        {
            auto *kern = static_cast<KernStructure *>(structure);
            (kern->verticalFlag ? verticalKerns : horizontalKerns).AppendStructure(kern);
            break;
        }
        case 'sequ': sequences.AppendStructure(static_cast<SequenceStructure *>(structure)); break;
        case 'altr': alternates.AppendStructure(static_cast<AlternateStructure *>(structure)); break;
        case 'dcmp': decompositions.AppendStructure(static_cast<DecomposeStructure *>(structure)); break;
        case 'anch':
        {
            auto *anchor = static_cast<AnchorStructure *>(structure);
            (anchor->baseFlag ? baseAnchors : markAnchors).AppendStructure(anchor);
            break;
        }
        default: break;
        }
    }
    return 0;
}

void GlyphStructure::OffsetGlyphIndices(int32_t amount)
{
    glyphIndex += uint32_t(amount);
    TypographicStructure::OffsetGlyphIndices(amount);
}

namespace {

void AppendHexDigits(TextString *text, uint32_t value, int32_t digits)
{
    static const char kHex[] = "0123456789ABCDEF";
    for (int32_t shift = (digits - 1) * 4; shift >= 0; shift -= 4) text->AppendChar(kHex[(value >> shift) & 15]);
}

}  // namespace

bool GlyphStructure::GetDescription(TextString *text, uint32_t depth, int32_t) const
{
    // A description ends with "..." once it is long: links that refer to glyphs with many links of
    // their own would otherwise grow with the square of the data.
    bool list = false;
    auto separate = [&]() -> bool {
        if (text->GetLength() >= kMaxDescriptionLength)
        {
            text->AppendText(", ...");
            list = true;
            return false;
        }
        if (!text->IsEmpty())
        {
            text->AppendText(", ");
            list = true;
        }
        return true;
    };
    bool more = true;
    for (int32_t i = 0; i < characterList.GetElementCount() && more; ++i)
    {
        uint32_t c = characterList[i];
        more = separate();
        if (!more) break;
        text->AppendText("U+");
        if (c > 0xFFFF) AppendHexDigits(text, (c >> 16) & 0xFF, 2);
        AppendHexDigits(text, c & 0xFFFF, 4);
    }
    if (depth < 2)
    {
        for (ListElement *element = GetGraphElement()->GetIncomingEdgeList().GetFirstListElement();
             element != nullptr && more; element = element->GetNextListElement())
        {
            auto *link = static_cast<GlyphReferenceLink *>(GraphEdge::FromIncomingElement(element));
            more = separate();
            if (!more) break;
            TextString part;
            link->GetReferringStructure()->GetDescription(&part, depth + 1, link->GetGlyphPosition());
            text->AppendString(part);
        }
    }
    if (text->IsEmpty())
    {
        text->AppendChar('<');
        text->AppendInt64(int64_t(glyphIndex));
        text->AppendChar('>');
    }
    return list;
}

void GlyphStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteLine(stream, "Glyph (index = ", 0, HasPreviousSibling());
    stream->WriteInteger(int32_t(glyphIndex));
    stream->WriteChar(')');
    TextString description;
    GetDescription(&description, 0, -1);
    if (!description.IsEmpty())
    {
        stream->WriteText("\t\t// ");
        stream->WriteBytes(description.GetText(), uint32_t(description.GetLength()));
    }
    WriteLine(stream, "{\n", 0, true);
    WriteSubstructures(document, stream);
    WriteLine(stream, "}\n", 0, false);
}

void GlyphStructure::PrepareGeometry(const FontStructure *font)
{
    // Collected in a scratch array and stored once at their size (as a Path stores its curves).
    static thread_local Array<QuadraticBezier2D> collected;
    collected.SetElementCount(0);
    GeometryCollection collection;
    collection.curves = &collected;
    CollectGeometry(font, &collection);
    tooLarge = collection.tooLarge;
    int32_t collectedCount = tooLarge ? 0 : collected.GetElementCount();
    curves.SetElementCount(collectedCount);
    if (collectedCount != 0)
        std::memcpy(curves.GetElements(), collected.GetElements(), sizeof(QuadraticBezier2D) * size_t(collectedCount));

    boundingBox = Box2D(Point2D(0.0f, 0.0f), Point2D(0.0f, 0.0f));
    controlTop = 0.0f;
    int32_t count = curves.GetElementCount();
    if (count == 0) return;

    boundingBox = curves[0].GetBoundingBox();
    float xMinimum = curves[0].p0.x;
    controlTop = curves[0].p0.y;
    for (int32_t i = 0; i < count; ++i)
    {
        const QuadraticBezier2D &curve = curves[i];
        if (i != 0) boundingBox.Union(curve.GetBoundingBox());
        for (const Point2D *p : {&curve.p0, &curve.p1, &curve.p2})
        {
            if (p->x < xMinimum) xMinimum = p->x;
            if (p->y > controlTop) controlTop = p->y;
        }
    }

    // A font gives the bearing as its outline's leftmost control point (TrueType) or as the
    // curves' own left edge (CFF, whose cubics become quadratics with control points further
    // out): the nearer of the two edges goes onto it.
    float d = bearing[0] - xMinimum;
    float toCurveEdge = bearing[0] - boundingBox.min.x;
    if (std::fabs(toCurveEdge) < std::fabs(d)) d = toCurveEdge;
    if (bearing[0] > 0.0f && std::fabs(d) >= 0.000244140625f)
    {
        boundingBox.min.x += d;
        boundingBox.max.x += d;
        for (QuadraticBezier2D &curve : curves)
        {
            curve.p0.x += d;
            curve.p1.x += d;
            curve.p2.x += d;
        }
    }
}

void GlyphStructure::CollectGeometry(const FontStructure *font, GeometryCollection *collection) const
{
    if (collection->tooLarge) return;
    if (++collection->visitCount > kMaxGlyphVisits)
    {
        collection->tooLarge = true;
        return;
    }
    collection->stack.AddElement(glyphIndex);

    // The geometry of the subtree, entering Groups only (or the curves taken from it).
    const KettricStructure *structure = GetFirstSubnodeStructure();
    if (geometryCurvesTaken)
    {
        for (const QuadraticBezier2D &curve : curves)
        {
            if (collection->curves->GetElementCount() >= kMaxGlyphCurves)
            {
                collection->tooLarge = true;
                break;
            }
            collection->curves->AddElement(curve);
        }
        structure = nullptr;
    }
    while (structure != nullptr)
    {
        if (structure->GetBaseStructureType() == kAmbrelGeometryBase)
        {
            const auto *geometry = static_cast<const GeometryStructure *>(structure);
            for (const QuadraticBezier2D &curve : geometry->curves)
            {
                if (collection->curves->GetElementCount() >= kMaxGlyphCurves)
                {
                    collection->tooLarge = true;
                    break;
                }
                collection->curves->AddElement(curve);
            }
            if (collection->tooLarge) break;
            structure = static_cast<const KettricStructure *>(GetNextLevelTreeNode(structure));
        }
        else if (structure->GetStructureType() == 'grup')
        {
            structure = static_cast<const KettricStructure *>(GetNextTreeNode(structure));
        }
        else
        {
            structure = static_cast<const KettricStructure *>(GetNextLevelTreeNode(structure));
        }
    }

    int32_t componentCount = 0;
    const ComponentStructure *lastComponent = nullptr;
    for (const KettricStructure *sub = GetFirstSubnodeStructure(); sub != nullptr && !collection->tooLarge;
         sub = sub->GetNextStructure())
    {
        if (sub->GetStructureType() != 'comp') continue;
        lastComponent = static_cast<const ComponentStructure *>(sub);
        ++componentCount;
        lastComponent->CollectGeometry(font, collection);
    }

    // The root glyph is the only one whose single reference this records.
    if (collection->stack.GetElementCount() == 1 && componentCount == 1 && lastComponent->glyphList != nullptr &&
        lastComponent->glyphList->GetElementCount() == 1)
    {
        const Transform4D &m = lastComponent->matrix;
        bool identity = true;
        for (int32_t j = 0; j < 3; ++j)
        {
            for (int32_t i = 0; i < 3; ++i) identity = identity && m.n[j][i] == ((i == j) ? 1.0f : 0.0f);
        }
        if (identity) const_cast<GlyphStructure *>(this)->singleReference = const_cast<ComponentStructure *>(lastComponent);
    }

    collection->stack.SetElementCount(collection->stack.GetElementCount() - 1);
}

bool GlyphStructure::TakeGeometryCurves()
{
    int32_t count = curves.GetElementCount();
    if (geometryCurvesTaken || tooLarge || count == 0) return false;
    GeometryStructure *source = nullptr;
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;)
    {
        uint32_t type = structure->GetStructureType();
        if (structure->GetBaseStructureType() == kAmbrelGeometryBase)
        {
            auto *geometry = static_cast<GeometryStructure *>(structure);
            if (geometry->curves.GetElementCount() != 0)
            {
                if (source != nullptr) return false;
                source = geometry;
            }
            structure = static_cast<KettricStructure *>(GetNextLevelTreeNode(structure));
        }
        else if (type == 'comp' && structure->GetSuperNode() == this)
        {
            return false;
        }
        else
        {
            structure = static_cast<KettricStructure *>(type == 'grup' ? GetNextTreeNode(structure)
                                                                       : GetNextLevelTreeNode(structure));
        }
    }
    if (source == nullptr || source->curves.GetElementCount() != count ||
        std::memcmp(source->curves.GetElements(), curves.GetElements(), sizeof(QuadraticBezier2D) * size_t(count)) != 0)
        return false;
    source->curves.Reset();
    geometryCurvesTaken = true;
    return true;
}

KernStructure *GlyphStructure::FindKern(uint32_t glyph, bool vertical) const
{
    const StructureList<KernStructure> &list = vertical ? verticalKerns : horizontalKerns;
    for (KernStructure *kern = list.GetFirst(); kern != nullptr; kern = StructureList<KernStructure>::GetNext(kern))
    {
        const uint32_t *glyphs = nullptr;
        int32_t count = kern->GetGlyphs(&glyphs);
        for (int32_t i = 0; i < count; ++i)
        {
            if (glyphs[i] == glyph) return kern;
        }
    }
    return nullptr;
}

void GlyphStructure::AddKernPair(uint32_t glyph, float value, bool vertical)
{
    StructureList<KernStructure> &list = vertical ? verticalKerns : horizontalKerns;
    if (list.IsEmpty())
    {
        auto *kern = new KernStructure(vertical);
        list.AppendStructure(kern);
        AppendSubnode(kern);
        kern->AppendUInt32List(0);
        kern->AppendFloatList(0);
    }
    KernStructure *kern = list.GetFirst();
    auto *glyphs = static_cast<KettricUInt32List *>(kern->GetLastSubstructure('UI32'));
    auto *values = static_cast<KettricFloatList *>(kern->GetLastSubstructure('FLOT'));
    if (glyphs == nullptr) glyphs = kern->AppendUInt32List(0);
    if (values == nullptr) values = kern->AppendFloatList(0);
    glyphs->SetElementCount(glyphs->GetElementCount() + 1);
    (*glyphs)[glyphs->GetElementCount() - 1] = glyph;
    values->SetElementCount(values->GetElementCount() + 1);
    (*values)[values->GetElementCount() - 1] = value;
}

AlternateStructure *GlyphStructure::FindAlternate(uint32_t tag) const
{
    for (AlternateStructure *alternate = alternates.GetFirst(); alternate != nullptr;
         alternate = StructureList<AlternateStructure>::GetNext(alternate))
    {
        if (alternate->featureTag == tag) return alternate;
    }
    return nullptr;
}

KettricUInt32List *GlyphStructure::AddAlternate(uint32_t tag, uint32_t glyph)
{
    auto *alternate = new AlternateStructure(tag);
    alternates.AppendStructure(alternate);
    KettricUInt32List *list = alternate->AppendUInt32List(0);
    if (glyph != 0)
    {
        list->SetElementCount(1);
        (*list)[0] = glyph;
    }

    if ((tag >> 16) == 0x6D73)
    {
        PrependSubnode(alternate);
        return list;
    }
    KettricStructure *variation = nullptr;
    for (KettricStructure *structure = GetLastSubnodeStructure(); structure != nullptr;
         structure = structure->GetPreviousStructure())
    {
        if (structure->GetStructureType() != 'altr') continue;
        if (static_cast<AlternateStructure *>(structure)->featureTag != 'rvrn')
        {
            InsertSubnodeAfter(alternate, structure);
            return list;
        }
        variation = structure;
    }
    if (variation != nullptr) InsertSubnodeBefore(alternate, variation);
    else AppendSubnode(alternate);
    return list;
}

SequenceStructure *GlyphStructure::AddSequence(uint32_t tag)
{
    auto *sequence = new SequenceStructure(tag);
    sequences.AppendStructure(sequence);
    KettricStructure *last = GetLastSubstructure('sequ');
    if (last != nullptr) InsertSubnodeAfter(sequence, last);
    else AppendSubnode(sequence);
    return sequence;
}

SequenceStructure *GlyphStructure::FindLigature(uint32_t tag, int32_t count, const uint32_t *glyphs) const
{
    for (SequenceStructure *sequence = sequences.GetFirst(); sequence != nullptr;
         sequence = StructureList<SequenceStructure>::GetNext(sequence))
    {
        if (sequence->featureTag != tag) continue;
        int32_t i = 0;
        bool matched = true;
        for (MatchStructure *match = sequence->matchList.GetFirst(); match != nullptr;
             match = StructureList<MatchStructure>::GetNext(match))
        {
            const KettricUInt32List *list = match->GetFirstUInt32List();
            if (match->matchKind != 0 || list == nullptr) continue;
            if (i >= count || list->GetElementCount() != 1 || (*list)[0] != glyphs[i])
            {
                matched = false;
                break;
            }
            ++i;
        }
        if (matched && i == count) return sequence;
    }
    return nullptr;
}

namespace {

void FillList(KettricUInt32List *list, int32_t count, const uint32_t *glyphs)
{
    list->SetElementCount(count);
    for (int32_t i = 0; i < count; ++i) (*list)[i] = glyphs[i];
}

bool ListEquals(const KettricStructure *structure, const GlyphClass &glyphClass)
{
    if (structure == nullptr || !IsDataList(structure, 'UI32')) return false;
    const auto *list = static_cast<const KettricUInt32List *>(structure);
    if (list->GetElementCount() != glyphClass.count) return false;
    for (int32_t i = 0; i < glyphClass.count; ++i)
    {
        if ((*list)[i] != glyphClass.glyphs[i]) return false;
    }
    return true;
}

}  // namespace

void GlyphStructure::AddLigature(uint32_t tag, int32_t count, const uint32_t *glyphs, uint32_t ligature)
{
    SequenceStructure *sequence = AddSequence(tag);
    for (int32_t i = 0; i < count; ++i) FillList(sequence->AddMatch(0)->AppendUInt32List(0), 1, &glyphs[i]);
    FillList(sequence->AddRule('rall')->AppendUInt32List(0), 1, &ligature);
}

SequenceStructure *GlyphStructure::FindContextSubstitution(uint32_t tag, int32_t backtrackCount,
                                                           const GlyphClass *backtrack, int32_t lookaheadCount,
                                                           const GlyphClass *lookahead) const
{
    for (SequenceStructure *sequence = sequences.GetFirst(); sequence != nullptr;
         sequence = StructureList<SequenceStructure>::GetNext(sequence))
    {
        if (sequence->featureTag != tag) continue;
        MatchStructure *match = sequence->matchList.GetFirst();
        bool equal = true;
        for (int32_t i = 0; i < backtrackCount + lookaheadCount && equal; ++i)
        {
            bool forward = i >= backtrackCount;
            const GlyphClass &glyphClass = forward ? lookahead[i - backtrackCount] : backtrack[i];
            equal = match != nullptr && match->matchKind == (forward ? 'frwd' : 'bkwd') &&
                    ListEquals(match->GetFirstSubnodeStructure(), glyphClass);
            if (match != nullptr) match = StructureList<MatchStructure>::GetNext(match);
        }
        if (equal) return sequence;
    }
    return nullptr;
}

void GlyphStructure::AddContextSubstitution(uint32_t tag, int32_t backtrackCount, const GlyphClass *backtrack,
                                            int32_t lookaheadCount, const GlyphClass *lookahead, uint32_t replacement)
{
    SequenceStructure *sequence = AddSequence(tag);
    for (int32_t i = 0; i < backtrackCount; ++i)
        FillList(sequence->AddMatch('bkwd')->AppendUInt32List(0), backtrack[i].count, backtrack[i].glyphs);
    for (int32_t i = 0; i < lookaheadCount; ++i)
        FillList(sequence->AddMatch('frwd')->AppendUInt32List(0), lookahead[i].count, lookahead[i].glyphs);
    const uint32_t pair[2] = {0, replacement};
    FillList(sequence->AddRule('sbst')->AppendUInt32List(2), 2, pair);
}

void GlyphStructure::AddDecomposition(int32_t count, const uint32_t *glyphs)
{
    auto *decompose = new DecomposeStructure;
    decompositions.AppendStructure(decompose);
    FillList(decompose->AppendUInt32List(0), count, glyphs);
    AppendSubnode(decompose);
}

AnchorStructure *GlyphStructure::FindBaseAnchor(uint32_t classIndex) const
{
    for (AnchorStructure *anchor = baseAnchors.GetFirst(); anchor != nullptr;
         anchor = StructureList<AnchorStructure>::GetNext(anchor))
    {
        if (anchor->classIndex == classIndex) return anchor;
    }
    return nullptr;
}

AnchorStructure *GlyphStructure::FindMarkAnchor(uint32_t classIndex) const
{
    for (AnchorStructure *anchor = markAnchors.GetFirst(); anchor != nullptr;
         anchor = StructureList<AnchorStructure>::GetNext(anchor))
    {
        if (anchor->classIndex == classIndex) return anchor;
    }
    return nullptr;
}

void GlyphStructure::AddAnchor(bool base, uint32_t classIndex, const float *position)
{
    auto *anchor = new AnchorStructure(base, classIndex);
    (base ? baseAnchors : markAnchors).AppendStructure(anchor);
    KettricFloatList *list = anchor->AppendFloatList(2);
    list->SetElementCount(2);
    (*list)[0] = position[0];
    (*list)[1] = position[1];
    AppendSubnode(anchor);
}

void GlyphStructure::AddBaseAnchor(uint32_t classIndex, const float *position)
{
    AddAnchor(true, classIndex, position);
}

void GlyphStructure::AddMarkAnchor(uint32_t classIndex, const float *position)
{
    AddAnchor(false, classIndex, position);
}

EmojiStructure *GlyphStructure::GetEmoji()
{
    if (auto *existing = static_cast<EmojiStructure *>(GetFirstSubstructure('emoj'))) return existing;
    auto *created = new EmojiStructure;
    AppendSubnode(created);
    return created;
}

}  // namespace oq
