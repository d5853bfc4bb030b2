// TrueType glyph decoding from hand-built glyf and loca tables: points, links, composites,
// transforms, point matching, and every limit.
#include "vorlfont/opentype/GlyfOutline.h"

#include <gtest/gtest.h>

#include <vector>

namespace oq {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes *b, int32_t v)
{
    b->push_back(uint8_t(uint16_t(v) >> 8));
    b->push_back(uint8_t(v));
}

struct Point
{
    int32_t x, y;
    bool on;
};

// A simple glyph with word deltas and one flag per point.
Bytes SimpleGlyph(const std::vector<std::vector<Point>> &contours)
{
    Bytes b;
    Put16(&b, int32_t(contours.size()));
    for (int32_t i = 0; i < 4; ++i) Put16(&b, 0);
    int32_t end = -1;
    for (const auto &c : contours) Put16(&b, end += int32_t(c.size()));
    Put16(&b, 0);
    for (const auto &c : contours)
        for (const Point &p : c) b.push_back(p.on ? 1 : 0);
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        int32_t last = 0;
        for (const auto &c : contours)
            for (const Point &p : c)
            {
                int32_t v = axis == 0 ? p.x : p.y;
                Put16(&b, v - last);
                last = v;
            }
    }
    return b;
}

// One component record.
struct Component
{
    uint16_t flags;
    uint16_t glyph;
    int32_t argument1, argument2;
    std::vector<int32_t> scales;  // F2Dot14 values
};

Bytes CompositeGlyph(const std::vector<Component> &components)
{
    Bytes b;
    Put16(&b, -1);
    for (int32_t i = 0; i < 4; ++i) Put16(&b, 0);
    for (size_t i = 0; i < components.size(); ++i)
    {
        const Component &c = components[i];
        Put16(&b, c.flags | (i + 1 < components.size() ? 0x20 : 0));
        Put16(&b, c.glyph);
        if (c.flags & 1)
        {
            Put16(&b, c.argument1);
            Put16(&b, c.argument2);
        }
        else
        {
            b.push_back(uint8_t(c.argument1));
            b.push_back(uint8_t(c.argument2));
        }
        for (int32_t s : c.scales) Put16(&b, s);
    }
    return b;
}

// glyf and loca (format 1, or 0 when every glyph has an even length) of the glyphs.
struct GlyfFont
{
    Bytes glyf, loca;
    int32_t format = 1;

    explicit GlyfFont(const std::vector<Bytes> &glyphs, int32_t locaFormat = 1) : format(locaFormat)
    {
        for (const Bytes &g : glyphs)
        {
            AddOffset(uint32_t(glyf.size()));
            glyf.insert(glyf.end(), g.begin(), g.end());
            if (format == 0 && glyf.size() % 2) glyf.push_back(0);
        }
        AddOffset(uint32_t(glyf.size()));
    }

    void AddOffset(uint32_t offset)
    {
        if (format == 0) Put16(&loca, int32_t(offset / 2));
        else
        {
            Put16(&loca, int32_t(offset >> 16));
            Put16(&loca, int32_t(offset & 0xFFFF));
        }
    }

    uint32_t Open(GlyfOutlineReader *reader, float scale = 1.0f / 1024.0f) const
    {
        uint32_t count = uint32_t(loca.size() / (format == 0 ? 2 : 4) - 1);
        return reader->Open(FontBytes{glyf.data(), glyf.size()}, FontBytes{loca.data(), loca.size()}, format, count, scale);
    }
};

const std::vector<std::vector<Point>> kTriangle = {{{0, 0, true}, {100, 0, true}, {100, 200, false}}};

TEST(GlyfOutline, SimpleGlyphFlagsAndLinks)
{
    // Two contours by hand: flags with a repeat, short deltas of both signs, "same" coordinates.
    Bytes g;
    Put16(&g, 2);
    for (int32_t i = 0; i < 4; ++i) Put16(&g, 0);
    Put16(&g, 2);
    Put16(&g, 5);
    Put16(&g, 3);  // instructions, skipped
    g.insert(g.end(), {9, 9, 9});
    // Points 0-2: on, x short +, y word; repeat twice more. Points 3-5: off, x same, y short -.
    g.insert(g.end(), {1 | 2 | 16 | 8, 2, 0 | 16 | 4 | 8, 2});
    g.insert(g.end(), {10, 20, 30});         // x: +10 +20 +30, then same
    Put16(&g, 100);
    Put16(&g, -50);
    Put16(&g, 7);
    g.insert(g.end(), {5, 6, 7});            // y: -5 -6 -7
    GlyfFont font({Bytes(), g}, 0);
    GlyfOutlineReader reader;
    ASSERT_EQ(font.Open(&reader, 1.0f), 0u);
    EXPECT_EQ(reader.CountGlyfPoints(0), 0);
    EXPECT_EQ(reader.CountGlyfPoints(1), 6);
    Array<GlyfPoint> points;
    ASSERT_EQ(reader.DecodeGlyfOutline(1, &points), 6);
    const int32_t links[] = {3, 2, 1, -3, -2, -1};
    const float xs[] = {10, 30, 60, 60, 60, 60};
    const float ys[] = {100, 50, 57, 52, 46, 39};
    for (int32_t i = 0; i < 6; ++i)
    {
        EXPECT_EQ(points[i].link, links[i]) << i;
        EXPECT_EQ(points[i].x, xs[i]) << i;
        EXPECT_EQ(points[i].y, ys[i]) << i;
    }
}

TEST(GlyfOutline, CompositeTransforms)
{
    // Component glyph 1: (0, 0) (100, 0) (100, 200), in units of 1/1024 em.
    struct Case
    {
        const char *name;
        Component component;
        float x1, y1, x2, y2;  // where (100, 0) and (100, 200) land, in units
    } cases[] = {
        {"byte offsets", {0x2, 1, -10, 20, {}}, 90, 20, 90, 220},
        {"word offsets", {0x3, 1, 1000, -2000, {}}, 1100, -2000, 1100, -1800},
        {"scale", {0x2 | 0x8, 1, 10, 0, {8192}}, 60, 0, 60, 100},
        {"x and y scales", {0x2 | 0x40, 1, 0, 0, {16384, -8192}}, 100, 0, 100, -100},
        {"two by two", {0x2 | 0x80, 1, 0, 0, {0, 16384, -16384, 0}}, 0, 100, -200, 100},
        {"scaled offset", {0x2 | 0x8 | 0x800, 1, 10, 20, {8192}}, 55, 10, 55, 110},
        {"point matching", {0x0, 1, 2, 0, {}}, 200, 200, 200, 400},  // its point 0 onto the first triangle's point 2
    };
    for (const Case &c : cases)
    {
        GlyfFont font({Bytes(), SimpleGlyph(kTriangle), CompositeGlyph({{0x2, 1, 0, 0, {}}, c.component})});
        GlyfOutlineReader reader;
        ASSERT_EQ(font.Open(&reader), 0u);
        ASSERT_EQ(reader.CountGlyfPoints(2), 6) << c.name;
        Array<GlyfPoint> points;
        Array<uint32_t> glyphs;
        Array<GlyfComponentTransform> transforms;
        ASSERT_EQ(reader.DecodeGlyfOutline(2, &points, &glyphs, &transforms), 6) << c.name;
        EXPECT_FLOAT_EQ(points[4].x * 1024.0f, c.x1) << c.name;
        EXPECT_FLOAT_EQ(points[4].y * 1024.0f, c.y1) << c.name;
        EXPECT_FLOAT_EQ(points[5].x * 1024.0f, c.x2) << c.name;
        EXPECT_FLOAT_EQ(points[5].y * 1024.0f, c.y2) << c.name;
        EXPECT_EQ(points[3].link, 3) << c.name;
        ASSERT_EQ(glyphs.GetElementCount(), 2) << c.name;
        EXPECT_EQ(glyphs[1], 1u);
        EXPECT_EQ(transforms.GetElementCount(), 2);
    }

    // Nested composites: only the outer glyph's own components are listed.
    GlyfFont nested({SimpleGlyph(kTriangle), CompositeGlyph({{0x2, 0, 5, 5, {}}, {0x2, 0, 0, 0, {}}}),
                     CompositeGlyph({{0x2, 1, 100, 0, {}}})});
    GlyfOutlineReader reader;
    ASSERT_EQ(nested.Open(&reader), 0u);
    Array<GlyfPoint> points;
    Array<uint32_t> glyphs;
    Array<GlyfComponentTransform> transforms;
    ASSERT_EQ(reader.DecodeGlyfOutline(2, &points, &glyphs, &transforms), 6);
    EXPECT_EQ(glyphs.GetElementCount(), 1);
    EXPECT_FLOAT_EQ(transforms[0].dx * 1024.0f, 100.0f);
    EXPECT_FLOAT_EQ(points[0].x * 1024.0f, 105.0f);
}

TEST(GlyfOutline, MalformedGlyphsFail)
{
    Bytes notIncreasing = SimpleGlyph({{{0, 0, true}, {1, 0, true}, {1, 1, true}}, {{0, 0, true}, {1, 0, true}, {1, 1, true}}});
    notIncreasing[13] = 2;  // second end point equal to the first
    Bytes triangle = SimpleGlyph(kTriangle);
    Bytes wordComponent = CompositeGlyph({{0x3, 0, 0, 0, {}}});
    struct Case
    {
        const char *name;
        std::vector<Bytes> glyphs;
        bool countFails;  // else only the decode fails
    } cases[] = {
        {"component index past the glyphs", {triangle, CompositeGlyph({{0x2, 9, 0, 0, {}}})}, true},
        {"composite containing itself", {triangle, CompositeGlyph({{0x2, 1, 0, 0, {}}})}, true},
        {"component record cut short", {triangle, Bytes(wordComponent.begin(), wordComponent.end() - 3)}, true},
        {"glyph shorter than its header", {triangle, Bytes{0, 1, 0, 0}}, true},
        {"end points cut short", {triangle, Bytes{0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3}}, true},
        {"end points not increasing", {triangle, notIncreasing}, false},
        {"flags cut short", {triangle, Bytes(triangle.begin(), triangle.begin() + 16)}, false},
        {"x coordinates cut short", {triangle, Bytes(triangle.begin(), triangle.begin() + 20)}, false},
        {"y coordinates cut short", {triangle, Bytes(triangle.begin(), triangle.end() - 1)}, false},
        {"instructions past the glyph", {triangle, Bytes{0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 1}}, false},
        {"first matched point not decoded yet", {triangle, CompositeGlyph({{0x0, 0, 0, 0, {}}})}, false},
        {"second matched point past the component", {triangle, CompositeGlyph({{0x2, 0, 0, 0, {}}, {0x0, 0, 1, 3, {}}})}, false},
        {"coordinate past 1024 em", {SimpleGlyph({{{0, 0, true}, {32767, 0, true}, {0, 1, true}}}), CompositeGlyph({{0x2 | 0x8, 0, 0, 0, {32767}}})}, false},
    };
    for (const Case &c : cases)
    {
        GlyfFont font(c.glyphs);
        GlyfOutlineReader reader;
        ASSERT_EQ(font.Open(&reader, c.glyphs[0] == triangle ? 1.0f / 1024.0f : 1.0f / 16.0f), 0u) << c.name;
        int64_t count = reader.CountGlyfPoints(1);
        EXPECT_EQ(count < 0, c.countFails) << c.name;
        Array<GlyfPoint> points;
        EXPECT_EQ(reader.DecodeGlyfOutline(1, &points), -1) << c.name;
    }
}

TEST(GlyfOutline, LocaChecks)
{
    GlyfFont font({SimpleGlyph(kTriangle), Bytes(), SimpleGlyph(kTriangle)});
    FontBytes glyf{font.glyf.data(), font.glyf.size()};
    GlyfOutlineReader reader;
    EXPECT_EQ(reader.Open(glyf, FontBytes{font.loca.data(), font.loca.size()}, 1, 3, 1.0f), 0u);
    EXPECT_EQ(reader.Open(glyf, FontBytes{font.loca.data(), font.loca.size()}, 2, 3, 1.0f), uint32_t('LOCA'));
    EXPECT_EQ(reader.Open(glyf, FontBytes{font.loca.data(), font.loca.size()}, 1, 2, 1.0f), uint32_t('CRPT'));

    Bytes decreasing = font.loca;
    decreasing[7] = 200;  // glyph 1 starts past glyph 2
    EXPECT_EQ(reader.Open(glyf, FontBytes{decreasing.data(), decreasing.size()}, 1, 3, 1.0f), uint32_t('CRPT'));
    Bytes pastEnd = font.loca;
    pastEnd[15] += 1;  // the last offset one past glyf
    EXPECT_EQ(reader.Open(glyf, FontBytes{pastEnd.data(), pastEnd.size()}, 1, 3, 1.0f), uint32_t('CRPT'));
}

TEST(GlyfOutline, CompositeLimits)
{
    // A chain of composites: glyph k holds glyph k - 1. Nesting 16 deep decodes, 17 fails.
    std::vector<Bytes> chain = {SimpleGlyph(kTriangle)};
    for (uint16_t k = 1; k <= 17; ++k) chain.push_back(CompositeGlyph({{0x2, uint16_t(k - 1), 1, 0, {}}}));
    GlyfFont font(chain);
    GlyfOutlineReader reader;
    ASSERT_EQ(font.Open(&reader), 0u);
    Array<GlyfPoint> points;
    EXPECT_EQ(reader.CountGlyfPoints(16), 3);
    EXPECT_EQ(reader.DecodeGlyfOutline(16, &points), 3);
    EXPECT_FLOAT_EQ(points[0].x * 1024.0f, 16.0f);
    EXPECT_EQ(reader.CountGlyfPoints(17), -1);
    EXPECT_EQ(reader.DecodeGlyfOutline(17, &points), -1);

    // Points of one glyph: 1000-point glyph 300 times.
    std::vector<Point> many;
    for (int32_t i = 0; i < 1000; ++i) many.push_back({i % 7, i % 5, true});
    std::vector<Component> fan(300, Component{0x2, 0, 0, 0, {}});
    GlyfFont big({SimpleGlyph({many}), CompositeGlyph(fan), CompositeGlyph(std::vector<Component>(262, Component{0x2, 0, 0, 0, {}}))});
    ASSERT_EQ(big.Open(&reader), 0u);
    EXPECT_EQ(reader.CountGlyfPoints(1), -1);
    EXPECT_EQ(reader.DecodeGlyfOutline(1, &points), -1);
    EXPECT_EQ(reader.CountGlyfPoints(2), 262000);
    EXPECT_EQ(reader.DecodeGlyfOutline(2, &points), 262000);

    // Work of one font: 64 components of an empty glyph at each of 6 levels (64^6 visits).
    std::vector<Bytes> tree = {Bytes()};
    for (uint16_t k = 1; k <= 6; ++k) tree.push_back(CompositeGlyph(std::vector<Component>(64, Component{0x2, uint16_t(k - 1), 0, 0, {}})));
    GlyfFont wide(tree);
    ASSERT_EQ(wide.Open(&reader), 0u);
    EXPECT_EQ(reader.CountGlyfPoints(6), -1);
    EXPECT_GT(reader.GetFontWork(), kGlyfMaxFontWork);
    EXPECT_EQ(reader.CountGlyfPoints(1), -1);  // spent for good
}

}  // namespace
}  // namespace oq
