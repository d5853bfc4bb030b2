#pragma once

// Shared helpers of the Ambrel tests: a string sink, reading and writing documents, and a
// comparison of the resolved state of two documents.

#include "ambrel/AmbrelDocument.h"
#include "ambrel/AttachmentStructures.h"
#include "ambrel/ColorStructures.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphMetricStructures.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/MetricStructures.h"
#include "ambrel/SubstitutionStructures.h"
#include "ambrel/GeometryStructures.h"
#include "ambrel/MatrixStructures.h"
#include "ambrel/NodeStructures.h"
#include "ambrel/ParameterStructures.h"
#include "ambrel/StyleStructures.h"
#include "ambrel/TextStructures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace oq::test {

inline bool AppendToString(const void *data, uint32_t count, void *user)
{
    static_cast<std::string *>(user)->append(static_cast<const char *>(data), count);
    return true;
}

// The document's text as the writer produces it.
inline std::string WriteDocumentText(AmbrelDocument *document)
{
    std::string text;
    {
        TextOutputStream stream(AppendToString, &text);
        document->Write(&stream);
        EXPECT_TRUE(stream.Finish());
    }
    return text;
}

// The text of one structure written at indentation 0.
inline std::string WriteStructureText(AmbrelDocument *document, const AmbrelStructure *structure)
{
    std::string text;
    {
        TextOutputStream stream(AppendToString, &text);
        structure->Write(document, &stream);
        EXPECT_EQ(stream.indentationLevel, 0);
        EXPECT_TRUE(stream.Finish());
    }
    return text;
}

// The index-th structure of the type in document order, or null.
template <typename T>
T *FindStructure(AmbrelDocument *document, uint32_t type, int32_t index = 0)
{
    KettricStructure *root = document->GetRootStructure();
    for (TreeBase *node = root->GetNextTreeNode(root); node != nullptr; node = root->GetNextTreeNode(node))
    {
        auto *structure = static_cast<KettricStructure *>(node);
        if (structure->GetStructureType() == type && index-- == 0) return static_cast<T *>(structure);
    }
    return nullptr;
}

inline std::string FourCC(uint32_t code)
{
    char text[5] = {char(code >> 24), char(code >> 16), char(code >> 8), char(code), 0};
    return text;
}

inline bool SameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof(float)) == 0;
}

inline void ExpectSameFloats(const float *a, const float *b, int32_t count, const std::string &what)
{
    for (int32_t i = 0; i < count; ++i) EXPECT_TRUE(SameBits(a[i], b[i])) << what << " value " << i << ": " << a[i] << " vs " << b[i];
}

inline void ExpectSameColor(const ColorRGBA &a, const ColorRGBA &b, const std::string &what)
{
    ExpectSameFloats(&a.red, &b.red, 4, what);
}

inline void ExpectSameFillStyle(const FillStyle &a, const FillStyle &b, const std::string &what)
{
    ExpectSameColor(a.color, b.color, what + " colour");
    EXPECT_EQ(a.rule, b.rule) << what;
    EXPECT_EQ(a.gradient, b.gradient) << what;
    if (a.gradient == kGradientLinear) ExpectSameFloats(&a.lineA, &b.lineA, 3, what + " line");
    else if (a.gradient != kGradientNone) ExpectSameFloats(&a.centerX, &b.centerX, 3, what + " centre");
    ExpectSameColor(a.gradientColor1, b.gradientColor1, what + " gradient colour 1");
    ExpectSameColor(a.gradientColor2, b.gradientColor2, what + " gradient colour 2");
}

inline void ExpectSameStrokeStyle(const StrokeStyle &a, const StrokeStyle &b, const std::string &what)
{
    EXPECT_TRUE(SameBits(a.width, b.width)) << what;
    ExpectSameColor(a.color, b.color, what + " colour");
    EXPECT_EQ(a.cap, b.cap) << what;
    EXPECT_EQ(a.join, b.join) << what;
    EXPECT_TRUE(SameBits(a.miterLimit, b.miterLimit)) << what;
    ASSERT_EQ(a.dashCount, b.dashCount) << what;
    EXPECT_TRUE(SameBits(a.dashPhase, b.dashPhase)) << what;
    if (a.dashCount != 0) ExpectSameFloats(a.dashArray, b.dashArray, a.dashCount, what + " dashes");
}

// The glyph number of a Glyph pointer (for comparing tables across documents); -1 for null.
inline int64_t GlyphNumber(const GlyphStructure *glyph)
{
    return (glyph != nullptr) ? int64_t(glyph->glyphIndex) : -1;
}

// The incoming glyph reference links of a Glyph as "type:position" texts, in order.
inline std::string DescribeIncomingLinks(const GlyphStructure *glyph)
{
    std::string text;
    for (ListElement *element = glyph->GetGraphElement()->GetIncomingEdgeList().GetFirstListElement(); element != nullptr;
         element = element->GetNextListElement())
    {
        auto *link = static_cast<GlyphReferenceLink *>(GraphEdge::FromIncomingElement(element));
        const TypographicStructure *from = link->GetReferringStructure();
        const KettricStructure *owner = from->GetSuperStructure();
        text += FourCC(from->GetStructureType()) + "@" +
                std::to_string(owner->GetStructureType() == 'glyf' ? static_cast<const GlyphStructure *>(owner)->glyphIndex : 0) +
                ":" + std::to_string(link->GetGlyphPosition()) + " ";
    }
    return text;
}

// The resolved and prepared state of two typographic structures of the same type.
inline void ExpectSameTypographicState(const KettricStructure *a, const KettricStructure *b, const std::string &what)
{
    uint32_t type = a->GetStructureType();
    if (type == 'font')
    {
        const auto *fa = static_cast<const FontStructure *>(a);
        const auto *fb = static_cast<const FontStructure *>(b);
        ASSERT_EQ(fa->glyphCount, fb->glyphCount) << what;
        ASSERT_EQ(fa->glyphTable == nullptr, fb->glyphTable == nullptr) << what;
        for (uint32_t i = 0; fa->glyphTable != nullptr && i < fa->glyphTableSize; ++i)
            EXPECT_EQ(GlyphNumber(fa->glyphTable[i]), GlyphNumber(fb->glyphTable[i])) << what << " glyph " << i;
        ASSERT_EQ(fa->characterTable == nullptr, fb->characterTable == nullptr) << what;
        if (fa->characterTable != nullptr)
        {
            for (uint32_t c = 0; c < kCharacterTableSize; ++c)
            {
                if (fa->characterTable->Get(c) == fb->characterTable->Get(c)) continue;
                ADD_FAILURE() << what << " code point " << c;
                break;
            }
        }
        ExpectSameFloats(&fa->ascent, &fb->ascent, 9, what + " metrics");
        ExpectSameFloats(fa->subscriptScale, fb->subscriptScale, 2, what + " sub scale");
        ExpectSameFloats(fa->superscriptOffset, fb->superscriptOffset, 2, what + " super offset");
        EXPECT_EQ(fa->weightClass, fb->weightClass) << what;
        EXPECT_TRUE(SameBits(fa->unitsPerEm, fb->unitsPerEm)) << what;
        EXPECT_EQ(fa->memberFonts.GetListElementCount(), fb->memberFonts.GetListElementCount()) << what;
        EXPECT_EQ(fa->listLink.GetListElementIndex(), fb->listLink.GetListElementIndex()) << what;
    }
    else if (type == 'glyf')
    {
        const auto *ga = static_cast<const GlyphStructure *>(a);
        const auto *gb = static_cast<const GlyphStructure *>(b);
        EXPECT_EQ(ga->glyphIndex, gb->glyphIndex) << what;
        ASSERT_EQ(ga->characterList.GetElementCount(), gb->characterList.GetElementCount()) << what;
        for (int32_t i = 0; i < ga->characterList.GetElementCount(); ++i) EXPECT_EQ(ga->characterList[i], gb->characterList[i]) << what;
        ExpectSameFloats(ga->advance, gb->advance, 2, what + " advance");
        ExpectSameFloats(ga->bearing, gb->bearing, 2, what + " bearing");
        ExpectSameFloats(&ga->boundingBox.min.x, &gb->boundingBox.min.x, 4, what + " box");
        EXPECT_TRUE(SameBits(ga->controlTop, gb->controlTop)) << what;
        ASSERT_EQ(ga->curves.GetElementCount(), gb->curves.GetElementCount()) << what;
        if (ga->curves.GetElementCount() != 0)
            ExpectSameFloats(&ga->curves[0].p0.x, &gb->curves[0].p0.x, 6 * ga->curves.GetElementCount(), what + " curves");
        EXPECT_EQ(ga->caret == nullptr, gb->caret == nullptr) << what;
        EXPECT_EQ(ga->emoji == nullptr, gb->emoji == nullptr) << what;
        EXPECT_EQ(ga->singleReference == nullptr, gb->singleReference == nullptr) << what;
        EXPECT_EQ(ga->tooLarge, gb->tooLarge) << what;
        EXPECT_EQ(ga->horizontalKerns.GetListElementCount(), gb->horizontalKerns.GetListElementCount()) << what;
        EXPECT_EQ(ga->verticalKerns.GetListElementCount(), gb->verticalKerns.GetListElementCount()) << what;
        EXPECT_EQ(ga->alternates.GetListElementCount(), gb->alternates.GetListElementCount()) << what;
        EXPECT_EQ(ga->sequences.GetListElementCount(), gb->sequences.GetListElementCount()) << what;
        EXPECT_EQ(ga->decompositions.GetListElementCount(), gb->decompositions.GetListElementCount()) << what;
        EXPECT_EQ(ga->baseAnchors.GetListElementCount(), gb->baseAnchors.GetListElementCount()) << what;
        EXPECT_EQ(ga->markAnchors.GetListElementCount(), gb->markAnchors.GetListElementCount()) << what;
        EXPECT_EQ(DescribeIncomingLinks(ga), DescribeIncomingLinks(gb)) << what;
    }
    else if (type == 'emoj')
    {
        const auto *ea = static_cast<const EmojiStructure *>(a);
        const auto *eb = static_cast<const EmojiStructure *>(b);
        ASSERT_EQ(ea->glyphArray.GetElementCount(), eb->glyphArray.GetElementCount()) << what;
        for (int32_t i = 0; i < ea->glyphArray.GetElementCount(); ++i)
        {
            EXPECT_EQ(ea->glyphArray[i], eb->glyphArray[i]) << what;
            EXPECT_EQ(ea->colorArray[i], eb->colorArray[i]) << what;
        }
    }
    else if (type == 'comp')
    {
        ExpectSameFloats(&static_cast<const ComponentStructure *>(a)->matrix.n[0][0],
                         &static_cast<const ComponentStructure *>(b)->matrix.n[0][0], 16, what + " matrix");
    }
    else if (type == 'pant')
    {
        const auto *pa = static_cast<const PaintStructure *>(a);
        const auto *pb = static_cast<const PaintStructure *>(b);
        EXPECT_EQ(pa->compositeMode, pb->compositeMode) << what;
        ExpectSameFloats(&pa->matrix.n[0][0], &pb->matrix.n[0][0], 16, what + " matrix");
    }
    else if (type == 'kern')
    {
        EXPECT_EQ(static_cast<const KernStructure *>(a)->verticalFlag, static_cast<const KernStructure *>(b)->verticalFlag) << what;
    }
    else if (type == 'altr')
    {
        EXPECT_EQ(static_cast<const AlternateStructure *>(a)->featureTag, static_cast<const AlternateStructure *>(b)->featureTag) << what;
    }
    else if (type == 'sequ')
    {
        const auto *sa = static_cast<const SequenceStructure *>(a);
        const auto *sb = static_cast<const SequenceStructure *>(b);
        EXPECT_EQ(sa->featureTag, sb->featureTag) << what;
        EXPECT_EQ(sa->matchList.GetListElementCount(), sb->matchList.GetListElementCount()) << what;
        EXPECT_EQ(sa->ruleList.GetListElementCount(), sb->ruleList.GetListElementCount()) << what;
    }
    else if (type == 'mtch')
    {
        EXPECT_EQ(static_cast<const MatchStructure *>(a)->matchKind, static_cast<const MatchStructure *>(b)->matchKind) << what;
    }
    else if (type == 'rule')
    {
        EXPECT_EQ(static_cast<const RuleStructure *>(a)->ruleKind, static_cast<const RuleStructure *>(b)->ruleKind) << what;
    }
    else if (type == 'anch')
    {
        const auto *aa = static_cast<const AnchorStructure *>(a);
        const auto *ab = static_cast<const AnchorStructure *>(b);
        EXPECT_EQ(aa->baseFlag, ab->baseFlag) << what;
        EXPECT_EQ(aa->classIndex, ab->classIndex) << what;
    }
    else if (type == 'mtrc')
    {
        EXPECT_STREQ(static_cast<const MetricStructure *>(a)->metricKey, static_cast<const MetricStructure *>(b)->metricKey) << what;
    }
    else if (type == 'cmap')
    {
        const auto *ca = static_cast<const CharMapStructure *>(a);
        const auto *cb = static_cast<const CharMapStructure *>(b);
        EXPECT_EQ(ca->firstCodePoint, cb->firstCodePoint) << what;
        EXPECT_EQ(ca->runLength, cb->runLength) << what;
    }
}

// The resolved state of one structure of each document (the structures have the same type).
inline void ExpectSameStructureState(const KettricStructure *a, const KettricStructure *b, const std::string &what)
{
    uint32_t base = a->GetBaseStructureType();
    uint32_t type = a->GetStructureType();
    if (base == kAmbrelTypographicBase)
    {
        ExpectSameTypographicState(a, b, what);
        return;
    }
    if (base == kKettricPrimitiveBase)
    {
        const auto *la = static_cast<const KettricPrimitive *>(a);
        const auto *lb = static_cast<const KettricPrimitive *>(b);
        EXPECT_EQ(la->GetArraySize(), lb->GetArraySize()) << what;
        if (type == 'FLOT')
        {
            const auto *fa = static_cast<const KettricFloatList *>(a);
            const auto *fb = static_cast<const KettricFloatList *>(b);
            ASSERT_EQ(fa->GetElementCount(), fb->GetElementCount()) << what;
            ExpectSameFloats(fa->GetElements(), fb->GetElements(), fa->GetElementCount(), what);
            ASSERT_EQ(fa->GetStateCount(), fb->GetStateCount()) << what;
            for (int32_t i = 0; i < fa->GetStateCount(); ++i) EXPECT_EQ(fa->GetState(i), fb->GetState(i)) << what;
        }
        else if (type == 'UI32' || type == 'UI16')
        {
            std::vector<uint32_t> va, vb;
            if (type == 'UI32')
            {
                for (int32_t i = 0; i < static_cast<const KettricUInt32List *>(a)->GetElementCount(); ++i) va.push_back((*static_cast<const KettricUInt32List *>(a))[i]);
                for (int32_t i = 0; i < static_cast<const KettricUInt32List *>(b)->GetElementCount(); ++i) vb.push_back((*static_cast<const KettricUInt32List *>(b))[i]);
            }
            else
            {
                for (int32_t i = 0; i < static_cast<const KettricUInt16List *>(a)->GetElementCount(); ++i) va.push_back((*static_cast<const KettricUInt16List *>(a))[i]);
                for (int32_t i = 0; i < static_cast<const KettricUInt16List *>(b)->GetElementCount(); ++i) vb.push_back((*static_cast<const KettricUInt16List *>(b))[i]);
            }
            EXPECT_EQ(va, vb) << what;
        }
        else if (type == 'UIN8')
        {
            const auto *ua = static_cast<const KettricUInt8List *>(a);
            const auto *ub = static_cast<const KettricUInt8List *>(b);
            ASSERT_EQ(ua->GetElementCount(), ub->GetElementCount()) << what;
            EXPECT_EQ(0, std::memcmp(ua->GetElements(), ub->GetElements(), size_t(ua->GetElementCount()))) << what;
        }
        else if (type == 'STRG')
        {
            const auto *sa = static_cast<const KettricStringList *>(a);
            const auto *sb = static_cast<const KettricStringList *>(b);
            ASSERT_EQ(sa->GetElementCount(), sb->GetElementCount()) << what;
            for (int32_t i = 0; i < sa->GetElementCount(); ++i)
            {
                EXPECT_EQ(std::string((*sa)[i].GetText(), size_t((*sa)[i].GetLength())),
                          std::string((*sb)[i].GetText(), size_t((*sb)[i].GetLength()))) << what;
            }
        }
        else if (type == 'RFNC')
        {
            const auto *ra = static_cast<const KettricReferenceList *>(a);
            const auto *rb = static_cast<const KettricReferenceList *>(b);
            ASSERT_EQ(ra->GetElementCount(), rb->GetElementCount()) << what;
            for (int32_t i = 0; i < ra->GetElementCount(); ++i) EXPECT_TRUE((*ra)[i] == (*rb)[i]) << what;
        }
        return;
    }
    if (base == kAmbrelNodeBase)
    {
        ExpectSameFloats(&static_cast<const NodeStructure *>(a)->nodeTransform.n[0][0],
                         &static_cast<const NodeStructure *>(b)->nodeTransform.n[0][0], 16, what + " transform");
    }
    else if (base == kAmbrelMatrixBase)
    {
        ExpectSameFloats(&static_cast<const MatrixStructure *>(a)->matrix.n[0][0],
                         &static_cast<const MatrixStructure *>(b)->matrix.n[0][0], 16, what + " matrix");
    }
    else if (base == kAmbrelGeometryBase)
    {
        const auto *ga = static_cast<const GeometryStructure *>(a);
        const auto *gb = static_cast<const GeometryStructure *>(b);
        ExpectSameFloats(&ga->geometryTransform.n[0][0], &gb->geometryTransform.n[0][0], 16, what + " transform");
        ASSERT_EQ(ga->curves.GetElementCount(), gb->curves.GetElementCount()) << what;
        if (ga->curves.GetElementCount() != 0)
            ExpectSameFloats(&ga->curves[0].p0.x, &gb->curves[0].p0.x, 6 * ga->curves.GetElementCount(), what + " curves");
        ASSERT_EQ(ga->contours.GetElementCount(), gb->contours.GetElementCount()) << what;
        for (int32_t i = 0; i < ga->contours.GetElementCount(); ++i)
        {
            EXPECT_EQ(ga->contours[i].curveCount, gb->contours[i].curveCount) << what;
            EXPECT_EQ(ga->contours[i].closed, gb->contours[i].closed) << what;
            EXPECT_EQ(ga->contours[i].closingCurveAdded, gb->contours[i].closingCurveAdded) << what;
        }
        ExpectSameFloats(&ga->boundingBox.min.x, &gb->boundingBox.min.x, 4, what + " box");
        EXPECT_EQ(ga->fillStructure == nullptr, gb->fillStructure == nullptr) << what;
        EXPECT_EQ(ga->strokeStructure == nullptr, gb->strokeStructure == nullptr) << what;
    }
    else if (type == 'fill')
    {
        ExpectSameFillStyle(static_cast<const FillStructure *>(a)->fillStyle,
                            static_cast<const FillStructure *>(b)->fillStyle, what);
    }
    else if (type == 'strk')
    {
        const auto *sa = static_cast<const StrokeStructure *>(a);
        const auto *sb = static_cast<const StrokeStructure *>(b);
        EXPECT_TRUE(SameBits(sa->strokeWidth, sb->strokeWidth)) << what;
        ExpectSameStrokeStyle(sa->strokeStyle, sb->strokeStyle, what);
    }
    else if (type == 'colr')
    {
        const auto *ca = static_cast<const ColorStructure *>(a);
        const auto *cb = static_cast<const ColorStructure *>(b);
        EXPECT_EQ(ca->paletteIndex, cb->paletteIndex) << what;
        ASSERT_EQ(ca->entryCount, cb->entryCount) << what;
        for (int32_t i = 0; i < ca->entryCount; ++i) ExpectSameColor(ca->GetColor(i), cb->GetColor(i), what);
    }
    else if (type == 'grad')
    {
        const auto *ga = static_cast<const GradientStructure *>(a);
        const auto *gb = static_cast<const GradientStructure *>(b);
        EXPECT_STREQ(ga->gradientKind, gb->gradientKind) << what;
        EXPECT_EQ(ga->objectFlag, gb->objectFlag) << what;
    }
    else if (type == 'rang')
    {
        ExpectSameFloats(&static_cast<const RangeStructure *>(a)->xMinimum,
                         &static_cast<const RangeStructure *>(b)->xMinimum, 6, what);
    }
    else if (type == 'radi')
    {
        ExpectSameFloats(&static_cast<const RadiusStructure *>(a)->firstX, &static_cast<const RadiusStructure *>(b)->firstX, 4, what);
    }
    else if (type == 'angl')
    {
        ExpectSameFloats(&static_cast<const AngleStructure *>(a)->firstAngle,
                         &static_cast<const AngleStructure *>(b)->firstAngle, 2, what);
    }
    else if (type == 'ofst' || type == 'opac')
    {
        float va = (type == 'ofst') ? static_cast<const OffsetStructure *>(a)->value : static_cast<const OpacityStructure *>(a)->value;
        float vb = (type == 'ofst') ? static_cast<const OffsetStructure *>(b)->value : static_cast<const OpacityStructure *>(b)->value;
        EXPECT_TRUE(SameBits(va, vb)) << what;
    }
    else if (type == 'stop')
    {
        EXPECT_STREQ(static_cast<const StopStructure *>(a)->extensionMode, static_cast<const StopStructure *>(b)->extensionMode) << what;
    }
    else if (type == 'dash')
    {
        const auto *da = static_cast<const DashStructure *>(a);
        const auto *db = static_cast<const DashStructure *>(b);
        ASSERT_EQ(da->dashCount, db->dashCount) << what;
        EXPECT_TRUE(SameBits(da->dashOffset, db->dashOffset)) << what;
    }
}

// Both documents hold the same structures in the same order with the same resolved state.
inline void ExpectSameResolvedState(AmbrelDocument *a, AmbrelDocument *b)
{
    const KettricStructure *rootA = a->GetRootStructure();
    const KettricStructure *rootB = b->GetRootStructure();
    const TreeBase *na = rootA->GetNextTreeNode(rootA);
    const TreeBase *nb = rootB->GetNextTreeNode(rootB);
    int32_t index = 0;
    while (na != nullptr && nb != nullptr)
    {
        const auto *sa = static_cast<const KettricStructure *>(na);
        const auto *sb = static_cast<const KettricStructure *>(nb);
        std::string what = "structure " + std::to_string(index) + " '" + FourCC(sa->GetStructureType()) + "'";
        ASSERT_EQ(FourCC(sa->GetStructureType()), FourCC(sb->GetStructureType())) << what;
        ASSERT_EQ(sa->GetNodeDepth(), sb->GetNodeDepth()) << what;
        ExpectSameStructureState(sa, sb, what);
        na = rootA->GetNextTreeNode(na);
        nb = rootB->GetNextTreeNode(nb);
        ++index;
    }
    EXPECT_EQ(na == nullptr, nb == nullptr) << "structure counts differ";
}

}  // namespace oq::test
