#include "GeometryTestFont.h"

#include "base/Half.h"

namespace oq::test {

namespace {

// Sets the glyph's box, bands (at the next free band texels) and polygon.
struct GlyphMaker
{
    VorlFontBuilder *builder;
    uint16_t bandColumn = 0;

    void Box(uint32_t glyph, float minX, float minY, float maxX, float maxY, uint16_t bandsX, uint16_t bandsY)
    {
        VorlGlyphRecord &record = builder->glyphs[glyph];
        record.box[0] = minX;
        record.box[1] = minY;
        record.box[2] = maxX;
        record.box[3] = maxY;
        record.bandScale[0] = float(bandsX) / (maxX - minX);
        record.bandScale[1] = float(bandsY) / (maxY - minY);
        record.curveOrigin[0] = minX;
        record.curveOrigin[1] = minY;
        builder->SetBands(glyph, bandColumn, 0, bandsX, bandsY);
        bandColumn = uint16_t(bandColumn + bandsX + bandsY);
    }

    void Polygon(uint32_t glyph, uint16_t word, std::initializer_list<Point2D> points)
    {
        VorlGlyphRecord &record = builder->glyphs[glyph];
        record.polygonWord = word;
        int i = 0;
        for (const Point2D &p : points)
        {
            FloatToHalf(&record.polygon[2 * i], p.x);
            FloatToHalf(&record.polygon[2 * i + 1], p.y);
            ++i;
        }
    }

    // A closed chain of straight curves through the corners (control points on the midpoints),
    // stored relative to the curve origin that Box set.
    void Outline(uint32_t glyph, std::initializer_list<Point2D> corners)
    {
        std::vector<Point2D> chain;
        std::vector<Point2D> points(corners);
        const float *origin = builder->glyphs[glyph].curveOrigin;
        for (Point2D &p : points) p = Point2D(p.x - origin[0], p.y - origin[1]);
        for (size_t i = 0; i < points.size(); ++i)
        {
            const Point2D &a = points[i];
            const Point2D &b = points[(i + 1) % points.size()];
            chain.push_back(a);
            chain.push_back(Point2D((a.x + b.x) * 0.5F, (a.y + b.y) * 0.5F));
        }
        chain.push_back(points[0]);
        builder->SetContours(glyph, {chain});
    }
};

}  // namespace

VorlFontBuilder MakeGeometryTestFont(bool withOutlines)
{
    VorlFontBuilder builder;
    builder.curveWidth = 64;
    builder.bandWidth = 128;
    const float advances[kGeometryGlyphCount] = {0.6F, 0.5F, 0.55F, 0.25F, 0.0F, 0.9F, 0.0F,
                                                 0.0F, 0.0F, 0.45F, 0.35F, 0.6F, 0.5F, 1.0F};
    for (uint32_t g = 0; g < kGeometryGlyphCount; ++g) builder.AddGlyph(advances[g]);

    GlyphMaker make{&builder};
    make.Box(kGeometryMissing, 0.05F, 0.0F, 0.55F, 0.7F, 1, 1);
    make.Outline(kGeometryMissing, {{0.05F, 0.0F}, {0.55F, 0.0F}, {0.55F, 0.7F}, {0.05F, 0.7F}});
    make.Box(kGeometryA, 0.05F, 0.0F, 0.45F, 0.5F, 2, 2);
    make.Outline(kGeometryA, {{0.05F, 0.0F}, {0.45F, 0.0F}, {0.25F, 0.5F}});
    make.Polygon(kGeometryA, 0x0305, {{0.0F, -0.02F}, {0.5F, -0.02F}, {0.5F, 0.3F}, {0.25F, 0.6F}, {0.0F, 0.3F}});
    make.Box(kGeometryB, 0.05F, 0.0F, 0.5F, 0.75F, 2, 3);
    make.Outline(kGeometryB, {{0.05F, 0.0F}, {0.5F, 0.0F}, {0.5F, 0.4F}, {0.05F, 0.75F}});
    make.Box(kGeometryRing, 0.1F, 0.6F, 0.3F, 0.8F, 1, 1);
    make.Outline(kGeometryRing, {{0.1F, 0.6F}, {0.3F, 0.6F}, {0.3F, 0.8F}, {0.1F, 0.8F}});
    make.Box(kGeometrySmile, 0.0F, 0.0F, 0.8F, 0.8F, 1, 1);
    make.Box(kGeometryRedLayer, 0.0F, 0.0F, 0.8F, 0.8F, 2, 2);
    make.Outline(kGeometryRedLayer, {{0.4F, 0.0F}, {0.8F, 0.4F}, {0.4F, 0.8F}, {0.0F, 0.4F}});
    make.Polygon(kGeometryRedLayer, 0x0806,
                 {{0.3F, -0.1F}, {0.9F, 0.3F}, {0.9F, 0.5F}, {0.5F, 0.9F}, {-0.1F, 0.5F}, {-0.1F, 0.3F}});
    make.Box(kGeometryGreenLayer, 0.2F, 0.2F, 0.6F, 0.6F, 1, 1);
    make.Outline(kGeometryGreenLayer, {{0.2F, 0.2F}, {0.6F, 0.2F}, {0.6F, 0.6F}, {0.2F, 0.6F}});
    builder.glyphs[kGeometryEmptyLayer].box[2] = 0.8F;
    builder.glyphs[kGeometryEmptyLayer].box[3] = 0.8F;
    make.Box(kGeometryC, 0.0F, 0.0F, 0.4F, 0.4F, 1, 1);
    make.Outline(kGeometryC, {{0.0F, 0.0F}, {0.4F, 0.0F}, {0.0F, 0.4F}});
    make.Polygon(kGeometryC, 0x0003, {{-0.05F, -0.05F}, {0.55F, -0.05F}, {-0.05F, 0.55F}});
    make.Box(kGeometryHyphen, 0.05F, 0.2F, 0.3F, 0.3F, 1, 1);
    make.Outline(kGeometryHyphen, {{0.05F, 0.2F}, {0.3F, 0.2F}, {0.3F, 0.3F}, {0.05F, 0.3F}});
    make.Box(kGeometryAlef, 0.05F, 0.0F, 0.55F, 0.6F, 1, 2);
    make.Outline(kGeometryAlef, {{0.05F, 0.0F}, {0.55F, 0.0F}, {0.55F, 0.6F}});
    make.Box(kGeometryD, 0.05F, 0.0F, 0.45F, 0.7F, 1, 2);
    make.Outline(kGeometryD, {{0.05F, 0.0F}, {0.45F, 0.0F}, {0.45F, 0.7F}, {0.05F, 0.3F}});
    make.Polygon(kGeometryD, 0x0204, {{0.0F, -0.05F}, {0.5F, -0.05F}, {0.5F, 0.75F}, {0.0F, 0.35F}});
    make.Box(kGeometryUpright, 0.0F, -0.1F, 0.9F, 0.8F, 1, 1);
    make.Outline(kGeometryUpright, {{0.0F, -0.1F}, {0.9F, -0.1F}, {0.9F, 0.8F}, {0.0F, 0.8F}});
    builder.glyphs[kGeometryUpright].verticalAdvance = 1.0F;
    builder.glyphs[kGeometryUpright].verticalOrigin = -0.5F;
    builder.bandTexels.assign(size_t(builder.bandWidth), 0);

    builder.SetKerning(kGeometryB, {{kGeometryA, -0.05F}});
    builder.SetAnchors(kGeometryA, {{1, 0.25F, 0.55F}}, {});
    builder.SetAnchors(kGeometryRing, {{1, 0.2F, 0.8F}}, {{1, 0.2F, 0.6F}});
    builder.SetLayers(kGeometrySmile, {{kGeometryRedLayer, {255, 0, 0, 255}},
                                       {kGeometryGreenLayer, {0, 255, 0, 128}},
                                       {kGeometryEmptyLayer, {0, 0, 255, 255}}});

    if (withOutlines)
    {
        builder.outlineGlyphs = builder.glyphs;
        for (VorlGlyphRecord &record : builder.outlineGlyphs)
        {
            for (int k = 0; k < 2; ++k)
            {
                record.box[k] -= 0.03125F;
                record.box[k + 2] += 0.03125F;
            }
            record.curveCount = 0;
            record.firstContour = 0;
            record.layerWord = 0;
        }
        builder.outlineGlyphs[kGeometryD].bandCountX = 0;
    }

    VorlFontDescription &font = builder.AddFont();
    font.AddDecoration('UNDR', 0.05F, -0.1F, 120, 0);
    font.AddDecoration('STRK', 0.05F, 0.3F, 122, 0);
    if (withOutlines) font.AddFloats('OTLN', {0.03125F, 4.0F, 0});
    font.Map('a', kGeometryA);
    font.Map('b', kGeometryB);
    font.Map(' ', kGeometrySpace);
    font.Map(0x30A, kGeometryRing);
    font.Map(0x1F600, kGeometrySmile);
    font.Map('c', kGeometryC);
    font.Map(0xAD, kGeometryHyphen);
    font.Map(0x5D0, kGeometryAlef);
    font.Map('d', kGeometryD);
    font.Map(0x4E00, kGeometryUpright);

    VorlFontDescription &second = builder.AddFont();
    if (withOutlines) second.AddFloats('OTLN', {0.0625F, 4.0F, 0});
    second.Map('x', kGeometryB);
    return builder;
}

}  // namespace oq::test
