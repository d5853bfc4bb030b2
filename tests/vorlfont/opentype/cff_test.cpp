// CFF INDEXes, DICTs, Font DICTs and Type 2 charstrings from hand-built bytes.
#include "vorlfont/opentype/CffFont.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace oq {
namespace {

using Bytes = std::vector<uint8_t>;

// Charstring and DICT number encodings.
void PushNumber(Bytes *out, int32_t v)
{
    if (v >= -107 && v <= 107) out->push_back(uint8_t(v + 139));
    else
    {
        out->push_back(28);
        out->push_back(uint8_t(uint16_t(v) >> 8));
        out->push_back(uint8_t(v));
    }
}

// A charstring written as text: numbers, operator names and raw bytes as "#n".
Bytes Charstring(const std::string &text)
{
    static const struct
    {
        const char *name;
        int32_t op;
        int32_t escape;
    } kOperators[] = {
        {"hstem", 1, -1},     {"vstem", 3, -1},     {"vmoveto", 4, -1},   {"rlineto", 5, -1},   {"hlineto", 6, -1},
        {"vlineto", 7, -1},   {"rrcurveto", 8, -1}, {"callsubr", 10, -1}, {"return", 11, -1},   {"endchar", 14, -1},
        {"hstemhm", 18, -1},  {"hintmask", 19, -1}, {"cntrmask", 20, -1}, {"rmoveto", 21, -1},  {"hmoveto", 22, -1},
        {"vstemhm", 23, -1},  {"rcurveline", 24, -1}, {"rlinecurve", 25, -1}, {"vvcurveto", 26, -1},
        {"hhcurveto", 27, -1}, {"callgsubr", 29, -1}, {"vhcurveto", 30, -1}, {"hvcurveto", 31, -1},
        {"dotsection", 12, 0}, {"and", 12, 3},      {"or", 12, 4},        {"not", 12, 5},       {"abs", 12, 9},
        {"add", 12, 10},      {"sub", 12, 11},      {"div", 12, 12},      {"neg", 12, 14},      {"eq", 12, 15},
        {"drop", 12, 18},     {"put", 12, 20},      {"get", 12, 21},      {"ifelse", 12, 22},   {"random", 12, 23},
        {"mul", 12, 24},      {"sqrt", 12, 26},     {"dup", 12, 27},      {"exch", 12, 28},     {"index", 12, 29},
        {"roll", 12, 30},     {"hflex", 12, 34},    {"flex", 12, 35},     {"hflex1", 12, 36},   {"flex1", 12, 37},
    };
    Bytes out;
    size_t i = 0;
    while (i < text.size())
    {
        size_t end = text.find(' ', i);
        if (end == std::string::npos) end = text.size();
        std::string word = text.substr(i, end - i);
        i = end + 1;
        if (word.empty()) continue;
        if (word[0] == '#')
        {
            out.push_back(uint8_t(std::stoi(word.substr(1))));
            continue;
        }
        if (word[0] == '-' || (word[0] >= '0' && word[0] <= '9'))
        {
            PushNumber(&out, std::stoi(word));
            continue;
        }
        bool found = false;
        for (const auto &op : kOperators)
        {
            if (word == op.name)
            {
                out.push_back(uint8_t(op.op));
                if (op.escape >= 0) out.push_back(uint8_t(op.escape));
                found = true;
            }
        }
        EXPECT_TRUE(found) << word;
    }
    return out;
}

// An INDEX of the elements with 4-byte offsets.
Bytes MakeIndex(const std::vector<Bytes> &elements, uint8_t offsetSize = 4)
{
    Bytes out = {uint8_t(elements.size() >> 8), uint8_t(elements.size())};
    if (elements.empty()) return out;
    out.push_back(offsetSize);
    uint32_t offset = 1;
    auto writeOffset = [&out, offsetSize](uint32_t v) {
        for (int32_t k = offsetSize - 1; k >= 0; --k) out.push_back(uint8_t(v >> (8 * k)));
    };
    writeOffset(offset);
    for (const Bytes &e : elements) writeOffset(offset += uint32_t(e.size()));
    for (const Bytes &e : elements) out.insert(out.end(), e.begin(), e.end());
    return out;
}

// Runs a charstring with optional local and global subroutines.
struct CharstringRun
{
    Bytes localBytes, globalBytes;
    CffIndex local, global;
    bool hasLocal = false;
    CffCharstringDecoder *decoder = nullptr;

    explicit CharstringRun(const std::vector<Bytes> &localSubrs = {}, const std::vector<Bytes> &globalSubrs = {},
                           bool withLocal = true)
        : localBytes(MakeIndex(localSubrs)), globalBytes(MakeIndex(globalSubrs))
    {
        EXPECT_TRUE(ReadCffIndex(FontBytes{globalBytes.data(), globalBytes.size()}, 0, &global));
        hasLocal = withLocal && ReadCffIndex(FontBytes{localBytes.data(), localBytes.size()}, 0, &local);
        decoder = new CffCharstringDecoder(global);
        decoder->SetLocalSubrs(hasLocal ? &local : nullptr);
    }
    ~CharstringRun() { delete decoder; }

    bool Run(const Bytes &charstring) { return decoder->RunCharstring(charstring.data(), charstring.size()); }
    const Array<CubicBezier2D> &Segments() const { return decoder->GetSegments(); }
};

// The end points of the segments as "x,y" texts joined by spaces.
std::string EndPoints(const Array<CubicBezier2D> &segments)
{
    std::string text;
    for (const CubicBezier2D &c : segments)
    {
        char buffer[64];
        snprintf(buffer, sizeof(buffer), "%s%g,%g", text.empty() ? "" : " ", c.p3.x, c.p3.y);
        text += buffer;
    }
    return text;
}

TEST(CffCharstring, ArithmeticAndStackOperators)
{
    // Every result is drawn by hlineto, which turns each operand into a visible delta.
    struct Case
    {
        const char *ops;
        const char *ends;
    } cases[] = {
        {"3 4 add 2 mul 5 sub", "9,0"},
        {"10 4 div", "2.5,0"},
        {"-7 abs 7 neg", "7,0 7,-7"},
        {"16 sqrt", "4,0"},
        {"2 3 and 0 3 and 0 0 or 0 5 or", "1,0 1,0 1,0 1,1"},
        {"0 not 9 not 4 4 eq 4 5 eq", "1,0 1,0 2,0 2,0"},
        {"1 2 3 drop", "1,0 1,2"},
        {"6 dup 1 2 exch", "6,0 6,6 8,6 8,7"},
        {"1 2 3 1 index", "1,0 1,2 4,2 4,4"},
        {"1 2 3 -1 index 1 2 3 9 index", "1,0 1,2 4,2 4,5 5,5 5,7 8,7 8,8"},
        {"1 2 3 3 1 roll", "3,0 3,1 5,1"},
        {"1 2 3 3 -1 roll", "2,0 2,3 3,3"},
        {"5 7 0 4 roll", "5,0 5,7"},
        {"7 0 put 9 31 put 0 get 31 get 30 get", "7,0 7,9 7,9"},
        {"1 2 3 4 ifelse 1 2 5 4 ifelse", "1,0 1,2"},
        {"5 random mul", "5,0"},
        {"5 6 1 2 div 2 mul index", "5,0 5,6 10,6"},
    };
    for (const Case &c : cases)
    {
        CharstringRun run;
        ASSERT_TRUE(run.Run(Charstring(std::string("0 0 rmoveto ") + c.ops + " hlineto endchar"))) << c.ops;
        std::string ends = EndPoints(run.Segments());
        EXPECT_EQ(ends.substr(0, ends.rfind(' ')), c.ends) << c.ops;
    }
}

TEST(CffCharstring, PathOperators)
{
    struct Case
    {
        const char *ops;
        std::vector<float> points;  // the control and end points of each segment before the close
    } cases[] = {
        {"10 20 rmoveto 30 0 0 40 rlineto", {40, 20, 40, 20, 40, 20, 40, 60, 40, 60, 40, 60}},
        {"5 hmoveto 1 2 3 vlineto", {5, 1, 5, 1, 5, 1, 7, 1, 7, 1, 7, 1, 7, 4, 7, 4, 7, 4}},
        {"0 0 rmoveto 1 2 3 4 5 6 rrcurveto", {1, 2, 4, 6, 9, 12}},
        {"0 0 rmoveto 1 2 3 4 5 6 7 8 rcurveline", {1, 2, 4, 6, 9, 12, 16, 20, 16, 20, 16, 20}},
        {"0 0 rmoveto 1 2 3 4 5 6 7 8 rlinecurve", {1, 2, 1, 2, 1, 2, 4, 6, 9, 12, 16, 20}},
        {"0 0 rmoveto 9 1 2 3 4 vvcurveto", {9, 1, 11, 4, 11, 8}},
        {"0 0 rmoveto 9 1 2 3 4 hhcurveto", {1, 9, 3, 12, 7, 12}},
        {"0 0 rmoveto 1 2 3 4 5 6 7 8 9 hvcurveto", {1, 0, 3, 3, 3, 7, 3, 12, 9, 19, 17, 28}},
        {"0 0 rmoveto 1 2 3 4 vhcurveto", {0, 1, 2, 4, 6, 4}},
        {"0 0 rmoveto 1 2 3 4 5 6 7 8 9 10 11 12 50 flex", {1, 2, 4, 6, 9, 12, 16, 20, 25, 30, 36, 42}},
        {"0 0 rmoveto 1 2 3 4 5 6 7 hflex", {1, 0, 3, 3, 7, 3, 12, 3, 18, 0, 25, 0}},
        {"0 0 rmoveto 1 2 3 4 5 6 7 8 9 hflex1", {1, 2, 4, 6, 9, 6, 15, 6, 22, 14, 31, 0}},
        {"0 0 rmoveto 1 2 3 4 5 6 7 8 9 10 11 flex1", {1, 2, 4, 6, 9, 12, 16, 20, 25, 30, 0, 41}},
        {"0 0 rmoveto 10 1 10 1 10 1 10 1 10 1 7 flex1", {10, 1, 20, 2, 30, 3, 40, 4, 50, 5, 57, 0}},
    };
    for (const Case &c : cases)
    {
        CharstringRun run;
        ASSERT_TRUE(run.Run(Charstring(std::string(c.ops) + " endchar"))) << c.ops;
        const Array<CubicBezier2D> &segments = run.Segments();
        size_t count = c.points.size() / 6;
        ASSERT_GE(size_t(segments.GetElementCount()), count) << c.ops;
        Point2D start = segments[0].p0;
        for (size_t i = 0; i < count; ++i)
        {
            const CubicBezier2D &s = segments[int32_t(i)];
            const float *e = &c.points[i * 6];
            EXPECT_TRUE(s.p1.x == e[0] && s.p1.y == e[1] && s.p2.x == e[2] && s.p2.y == e[3] && s.p3.x == e[4] &&
                        s.p3.y == e[5])
                << c.ops << " segment " << i << ": " << s.p1.x << "," << s.p1.y << " " << s.p2.x << "," << s.p2.y << " "
                << s.p3.x << "," << s.p3.y;
            if (i > 0)
            {
                EXPECT_TRUE(s.p0.x == segments[int32_t(i) - 1].p3.x && s.p0.y == segments[int32_t(i) - 1].p3.y);
            }
        }
        // Closed explicitly, unless the drawing already ended at its start.
        const CubicBezier2D &last = segments[segments.GetElementCount() - 1];
        EXPECT_TRUE(last.p3.x == start.x && last.p3.y == start.y) << c.ops;
        EXPECT_LE(size_t(segments.GetElementCount()), count + 1) << c.ops;
    }
}

TEST(CffCharstring, ContoursHintsAndEnds)
{
    CharstringRun run;
    ASSERT_TRUE(run.Run(Charstring("10 20 rmoveto endchar")));
    EXPECT_EQ(run.Segments().GetElementCount(), 0);

    // Three lines, the last back to the start; the next move is relative to the last drawn point.
    ASSERT_TRUE(run.Run(Charstring("10 20 rmoveto 30 0 0 40 rlineto 5 5 rmoveto 1 0 0 1 rlineto endchar")));
    EXPECT_EQ(EndPoints(run.Segments()), "40,20 40,60 10,20 46,65 46,66 45,65");

    // A width before the first move is passed over.
    ASSERT_TRUE(run.Run(Charstring("500 10 20 rmoveto 5 hlineto endchar")));
    EXPECT_EQ(EndPoints(run.Segments()), "15,20 10,20");

    // Two hstem pairs and one implicit vstem pair: one mask byte, which would otherwise read as an operator.
    ASSERT_TRUE(run.Run(Charstring("1 2 3 4 hstem 5 6 hintmask #14 0 0 rmoveto 5 hlineto endchar")));
    EXPECT_EQ(EndPoints(run.Segments()), "5,0 0,0");
    // Nine stems: two mask bytes.
    ASSERT_TRUE(run.Run(Charstring("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 hstemhm 1 2 cntrmask #14 #14 0 0 rmoveto 5 hlineto endchar")));
    EXPECT_EQ(EndPoints(run.Segments()), "5,0 0,0");

    // The charstring's end closes the contour like endchar.
    ASSERT_TRUE(run.Run(Charstring("0 0 rmoveto 5 5 rlineto")));
    EXPECT_EQ(EndPoints(run.Segments()), "5,5 0,0");
}

TEST(CffCharstring, MalformedCharstringsFail)
{
    const char *cases[] = {
        "0 0 rmoveto 1 rlineto endchar",              // odd rlineto
        "0 0 rmoveto 1 2 3 4 5 rrcurveto endchar",    // short rrcurveto
        "0 0 rmoveto 1 2 3 4 5 6 rcurveline endchar", // rcurveline without its line
        "0 0 rmoveto 1 2 3 4 5 6 vvcurveto endchar",  // count 6 fits no form
        "0 0 rmoveto 1 2 3 hvcurveto endchar",
        "0 0 rmoveto 1 2 3 4 5 6 7 8 9 10 11 12 flex endchar",
        "0 0 rmoveto 1 2 3 4 5 6 hflex endchar",
        "0 0 rmoveto 1 2 3 4 5 6 7 8 hflex1 endchar",
        "0 0 rmoveto 1 2 3 4 5 6 7 8 9 10 flex1 endchar",
        "rmoveto endchar",
        "1 #12 #38",          // escape not in the table
        "1 #12",              // escape cut short
        "return",             // return without a call
        "0 callsubr",         // no Local Subrs
        "5 callgsubr",        // outside the Global Subrs
        "1 0 div",
        "1 32 put",
        "-1 get",
        "1 2 3 roll",         // N above the operands held
        "add",
        "#28 #1",             // number cut short
        "#255 #0 #0",
        "1 2 hstem hintmask", // mask byte missing
        "#31 endchar",        // hvcurveto without operands
    };
    for (const char *c : cases)
    {
        CharstringRun run({}, {Charstring("return")}, false);
        EXPECT_FALSE(run.Run(Charstring(c))) << c;
    }

    // 513 operands.
    std::string many;
    for (int32_t i = 0; i < 513; ++i) many += "1 ";
    CharstringRun run;
    EXPECT_FALSE(run.Run(Charstring(many + "endchar")));
    EXPECT_TRUE(run.Run(Charstring(many.substr(2) + "endchar")));
}

TEST(CffCharstring, SubroutinesBiasAndDepth)
{
    // Subroutine k calls k + 1; the last one draws. Ten nested calls run, eleven fail.
    std::vector<Bytes> chain;
    for (int32_t k = 0; k < 10; ++k) chain.push_back(Charstring(std::to_string(k + 1 - 107) + " callsubr return"));
    chain.push_back(Charstring("3 hlineto"));  // ends without return
    {
        CharstringRun run(chain);
        EXPECT_TRUE(run.Run(Charstring("0 0 rmoveto -106 callsubr 4 vlineto endchar")));
        EXPECT_EQ(EndPoints(run.Segments()), "3,0 3,4 0,0");
        EXPECT_FALSE(run.Run(Charstring("0 0 rmoveto -107 callsubr endchar")));
    }
    // Global subroutines through callgsubr, with a real subroutine number.
    {
        CharstringRun run({}, {Charstring("7 hlineto return")});
        EXPECT_TRUE(run.Run(Charstring("0 0 rmoveto -214 2 div callgsubr endchar")));
        EXPECT_EQ(EndPoints(run.Segments()), "7,0 0,0");
    }
    // 1240 subroutines have bias 1131; 33900 have bias 32768.
    for (int32_t count : {1240, 33900})
    {
        std::vector<Bytes> subrs(size_t(count), Charstring("return"));
        subrs[0] = Charstring("9 hlineto return");
        CharstringRun run(subrs);
        int32_t bias = count == 1240 ? 1131 : 32768;
        EXPECT_EQ(GetCffSubroutineBias(uint32_t(count)), bias);
        EXPECT_TRUE(run.Run(Charstring("0 0 rmoveto " + std::to_string(-bias) + " callsubr endchar"))) << count;
        EXPECT_EQ(EndPoints(run.Segments()), "9,0 0,0") << count;
        EXPECT_FALSE(run.Run(Charstring("0 0 rmoveto " + std::to_string(-bias - 1) + " callsubr endchar"))) << count;
    }
}

TEST(CffCharstring, WorkBudgets)
{
    // Each subroutine calls the next 100 times: 100^9 operators unless the budget stops them.
    std::vector<Bytes> subrs;
    for (int32_t k = 0; k < 9; ++k)
    {
        std::string body;
        for (int32_t i = 0; i < 100; ++i) body += std::to_string(k + 1 - 107) + " callsubr ";
        subrs.push_back(Charstring(body + "return"));
    }
    subrs.push_back(Charstring("return"));
    {
        CharstringRun run(subrs);
        EXPECT_FALSE(run.Run(Charstring("0 0 rmoveto -107 callsubr endchar")));
        EXPECT_EQ(run.decoder->GetExecutedOperatorCount(), kCffMaxOperatorsPerGlyph);
    }

    // 64 x 64 x 32 lines: the segment limit stops them.
    std::string lines, calls0, calls1;
    for (int32_t i = 0; i < 64; ++i) lines += "1 hlineto ";
    for (int32_t i = 0; i < 64; ++i) calls0 += "-107 callsubr ";
    for (int32_t i = 0; i < 32; ++i) calls1 += "-106 callsubr ";
    CharstringRun run({Charstring(lines + "return"), Charstring(calls0 + "return"), Charstring(calls1 + "return")});
    EXPECT_FALSE(run.Run(Charstring("0 0 rmoveto -105 callsubr endchar")));
    EXPECT_EQ(run.Segments().GetElementCount(), kCffMaxSegmentsPerGlyph);
    EXPECT_LT(run.decoder->GetExecutedOperatorCount(), kCffMaxOperatorsPerGlyph);
}

TEST(CffIndex, ChecksItsLayout)
{
    Bytes good = MakeIndex({{1, 2}, {}, {3}}, 2);
    FontBytes bytes{good.data(), good.size()};
    CffIndex index;
    ASSERT_TRUE(ReadCffIndex(bytes, 0, &index));
    EXPECT_EQ(index.count, 3u);
    EXPECT_EQ(index.end, good.size());
    EXPECT_EQ(index.GetElement(0).size, 2u);
    EXPECT_EQ(index.GetElement(1).size, 0u);
    EXPECT_EQ(index.GetElement(2).data[0], 3);

    Bytes empty = {0, 0, 99};
    ASSERT_TRUE(ReadCffIndex(FontBytes{empty.data(), empty.size()}, 0, &index));
    EXPECT_EQ(index.end, 2u);

    struct Case
    {
        const char *name;
        Bytes bytes;
    } cases[] = {
        {"offset size 0", {0, 1, 0, 1, 2, 7}},
        {"offset size 5", {0, 1, 5, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 7}},
        {"offset 0", {0, 1, 1, 0, 2, 7}},
        {"decreasing offsets", {0, 2, 1, 1, 3, 2, 7, 7}},
        {"data past the end", {0, 1, 1, 1, 3, 7}},
        {"offsets cut short", {0, 2, 1, 1}},
        {"count cut short", {0}},
    };
    for (const Case &c : cases) EXPECT_FALSE(ReadCffIndex(FontBytes{c.bytes.data(), c.bytes.size()}, 0, &index)) << c.name;
}

TEST(CffDict, TokensAndOperators)
{
    Bytes cff(100, 0);
    FontBytes table{cff.data(), cff.size()};
    {
        CffTopDictParser top(table);
        Bytes dict = {139, 17};
        ASSERT_TRUE(top.Parse(dict.data(), dict.size()));
        EXPECT_TRUE(top.charStrings.present);
        EXPECT_EQ(top.charStrings.offset, 0u);
    }
    {
        // 28 255 255 reads -1: an offset before the data.
        CffTopDictParser top(table);
        Bytes dict = {28, 255, 255, 17};
        EXPECT_FALSE(top.Parse(dict.data(), dict.size()));
    }
    {
        // Reals: 1.25, -2.5e-3, and the FontMatrix from them; a Private DICT of 10 bytes at 40.
        CffTopDictParser top(table);
        Bytes dict = {30, 0x1A, 0x25, 0xFF, 30, 0xE2, 0xA5, 0xC3, 0xFF, 139, 30, 0x1A, 0x25, 0xFF, 139, 139, 12, 7,
                      149, 179, 18};
        ASSERT_TRUE(top.Parse(dict.data(), dict.size()));
        EXPECT_TRUE(top.hasFontMatrix);
        Point2D p = TransformPoint2D(top.fontMatrix, Point2D(1.0f, 1.0f));
        EXPECT_FLOAT_EQ(p.x, 1.25f);
        EXPECT_FLOAT_EQ(p.y, -2.5e-3f + 1.25f);
        EXPECT_EQ(top.privateDict.offset, 40u);
        EXPECT_EQ(top.privateSize, 10u);
    }
    struct Case
    {
        const char *name;
        Bytes dict;
    } failures[] = {
        {"two decimal points", {30, 0x1A, 0xA5, 0xFF, 17}},
        {"nibble 13", {30, 0x1D, 0xFF, 17}},
        {"two minus signs", {30, 0xEE, 0x1F, 17}},
        {"real without its end", {30, 0x12}},
        {"reserved byte", {139, 22}},
        {"byte 255", {255}},
        {"escape cut short", {12}},
        {"CharStrings without operand", {17}},
        {"CharStrings at a real offset", {30, 0x1F, 17}},
        {"CharStrings past the data", {28, 0, 101, 17}},
        {"Private past the data", {28, 0, 61, 139 + 40, 18}},
        {"Private with one operand", {139, 18}},
        {"FontMatrix with five operands", {139, 139, 139, 139, 139, 12, 7}},
        {"FDArray without operand", {12, 36}},
        {"FDSelect past the data", {28, 1, 0, 12, 37}},
        {"CIDCount without operand", {12, 34}},
        {"number cut short", {28, 1}},
    };
    for (const Case &c : failures)
    {
        CffTopDictParser top(table);
        EXPECT_FALSE(top.Parse(c.dict.data(), c.dict.size())) << c.name;
    }

    // Local Subrs relative to the Private DICT's start.
    CffPrivateDictParser privateDict(table, 40);
    Bytes subrs = {139 + 10, 19};
    ASSERT_TRUE(privateDict.Parse(subrs.data(), subrs.size()));
    EXPECT_EQ(privateDict.localSubrs.offset, 50u);
    CffPrivateDictParser outside(table, 91);
    EXPECT_FALSE(outside.Parse(subrs.data(), subrs.size()));
}

// A whole CFF table: one font, the given charstrings, optionally CID-keyed with FDSelect bytes.
struct CffFixture
{
    Bytes bytes;
    FontBytes Table() const { return FontBytes{bytes.data(), bytes.size()}; }
};

void PushOffset(Bytes *out, uint32_t v)
{
    out->push_back(29);
    for (int32_t k = 3; k >= 0; --k) out->push_back(uint8_t(v >> (8 * k)));
}

CffFixture BuildCff(const std::vector<Bytes> &charstrings, const Bytes &topExtra = {}, const Bytes *fdSelect = nullptr,
                    uint32_t fontDictCount = 1)
{
    // Layout: header, Name, Top DICT, String, Global Subrs, CharStrings, Private, Local Subrs, FDArray, FDSelect.
    Bytes header = {1, 0, 4, 4};
    Bytes names = MakeIndex({{'A'}});
    Bytes strings = MakeIndex({});
    Bytes globals = MakeIndex({});
    Bytes chars = MakeIndex(charstrings);
    Bytes locals = MakeIndex({Charstring("8 hlineto return")});
    Bytes privateDict;
    PushOffset(&privateDict, 6);  // Local Subrs right after this 6-byte DICT
    privateDict.push_back(19);
    auto topDict = [&](uint32_t charsAt, uint32_t privateAt, uint32_t fdArrayAt, uint32_t fdSelectAt) {
        Bytes d = topExtra;
        PushOffset(&d, charsAt);
        d.push_back(17);
        PushOffset(&d, uint32_t(privateDict.size()));
        PushOffset(&d, privateAt);
        d.push_back(18);
        if (fdSelect)
        {
            PushOffset(&d, 65535);
            d.push_back(12);
            d.push_back(34);
            PushOffset(&d, fdArrayAt);
            d.push_back(12);
            d.push_back(36);
            PushOffset(&d, fdSelectAt);
            d.push_back(12);
            d.push_back(37);
        }
        return d;
    };
    size_t topSize = MakeIndex({topDict(0, 0, 0, 0)}).size();
    uint32_t charsAt = uint32_t(header.size() + names.size() + topSize + strings.size() + globals.size());
    uint32_t privateAt = charsAt + uint32_t(chars.size());
    uint32_t fdArrayAt = privateAt + uint32_t(privateDict.size() + locals.size());
    // Font DICTs: each with its own Private DICT (the same one) and a FontMatrix of scale 0.002.
    Bytes fontDict;
    PushOffset(&fontDict, uint32_t(privateDict.size()));
    PushOffset(&fontDict, privateAt);
    fontDict.push_back(18);
    fontDict.insert(fontDict.end(), {30, 0x0A, 0x00, 0x2F, 139, 139, 30, 0x0A, 0x00, 0x2F, 139, 139, 12, 7});
    Bytes fdArray = MakeIndex(std::vector<Bytes>(fontDictCount, fontDict));
    uint32_t fdSelectAt = fdArrayAt + uint32_t(fdArray.size());

    CffFixture f;
    Bytes &b = f.bytes;
    b = header;
    b.insert(b.end(), names.begin(), names.end());
    Bytes top = MakeIndex({topDict(charsAt, privateAt, fdArrayAt, fdSelectAt)});
    b.insert(b.end(), top.begin(), top.end());
    b.insert(b.end(), strings.begin(), strings.end());
    b.insert(b.end(), globals.begin(), globals.end());
    b.insert(b.end(), chars.begin(), chars.end());
    b.insert(b.end(), privateDict.begin(), privateDict.end());
    b.insert(b.end(), locals.begin(), locals.end());
    if (fdSelect)
    {
        b.insert(b.end(), fdArray.begin(), fdArray.end());
        b.insert(b.end(), fdSelect->begin(), fdSelect->end());
    }
    return f;
}

TEST(CffFont, OpensAndMapsGlyphs)
{
    std::vector<Bytes> glyphs = {Charstring("endchar"), Charstring("100 200 rmoveto -107 callsubr endchar")};
    CffFixture fixture = BuildCff(glyphs);
    CffFont *font = new CffFont;
    ASSERT_EQ(OpenCffFont(fixture.Table(), 2, font), 0u);
    CffCharstringDecoder decoder(font->globalSubrs);
    Array<CubicBezier2D> segments;
    ASSERT_EQ(DecodeCffGlyph(*font, &decoder, 0, &segments), 0u);
    EXPECT_EQ(segments.GetElementCount(), 0);
    // The Local Subrs of the Private DICT and the default FontMatrix of 1/1000.
    ASSERT_EQ(DecodeCffGlyph(*font, &decoder, 1, &segments), 0u);
    ASSERT_EQ(segments.GetElementCount(), 2);
    EXPECT_FLOAT_EQ(segments[0].p3.x, 0.108f);
    EXPECT_FLOAT_EQ(segments[0].p3.y, 0.2f);

    // The glyph count must be the CharStrings count; a Top DICT INDEX of count 0 is corrupt.
    EXPECT_EQ(OpenCffFont(fixture.Table(), 3, font), uint32_t('CRPT'));
    Bytes noTop = {1, 0, 4, 4, 0, 0, 0, 0};
    EXPECT_EQ(OpenCffFont(FontBytes{noTop.data(), noTop.size()}, 0, font), uint32_t('CRPT'));
    // A font without CharStrings is corrupt too.
    CffFixture noChars = BuildCff(glyphs);
    Bytes b = noChars.bytes;
    for (size_t i = 0; i + 1 < b.size(); ++i)
    {
        if (b[i] == 17)  // the CharStrings operator becomes an ignored one
        {
            b[i] = 15;
            break;
        }
    }
    EXPECT_EQ(OpenCffFont(FontBytes{b.data(), b.size()}, 2, font), uint32_t('CRPT'));

    // A FontMatrix that takes coordinates past 1024 em, or to infinity.
    for (const Bytes &matrix : {Bytes{139 + 100, 139, 139, 139 + 100, 139, 139, 12, 7},
                                Bytes{30, 0x1B, 0x39, 0xFF, 139, 139, 30, 0x1B, 0x39, 0xFF, 139, 139, 12, 7}})
    {
        CffFixture big = BuildCff({Charstring("0 0 rmoveto 20 hlineto endchar")}, matrix);
        uint32_t result = OpenCffFont(big.Table(), 1, font);
        if (result == 0) result = DecodeCffGlyph(*font, &decoder, 0, &segments);
        EXPECT_EQ(result, uint32_t('CRPT'));
    }
    delete font;
}

TEST(CffFont, FontDictsAndFdSelect)
{
    std::vector<Bytes> glyphs(4, Charstring("0 0 rmoveto -107 callsubr endchar"));
    struct Case
    {
        const char *name;
        Bytes fdSelect;
        uint32_t fontDicts;
        bool ok;
    } cases[] = {
        {"format 0", {0, 0, 0, 1, 1}, 2, true},
        {"format 3", {3, 0, 2, 0, 0, 0, 0, 2, 1, 0, 4}, 2, true},
        {"format 0 index past FDArray", {0, 0, 2, 0, 0}, 2, false},
        {"format 3 index past FDArray", {3, 0, 1, 0, 0, 1, 0, 4}, 1, false},
        {"format 3 sentinel past the glyphs", {3, 0, 1, 0, 0, 0, 0, 5}, 1, false},
        {"format 3 ranges decreasing", {3, 0, 2, 0, 2, 0, 0, 1, 0, 0, 4}, 1, false},
        {"format 3 cut short", {3, 0, 2, 0, 0}, 1, false},
        {"format 0 cut short", {0, 0, 0}, 1, false},
        {"format 2", {2, 0, 0, 0, 0}, 1, false},
    };
    CffFont *font = new CffFont;
    for (const Case &c : cases)
    {
        CffFixture fixture = BuildCff(glyphs, {}, &c.fdSelect, c.fontDicts);
        uint32_t result = OpenCffFont(fixture.Table(), 4, font);
        EXPECT_EQ(result == 0, c.ok) << c.name;
        if (result != 0) continue;
        CffCharstringDecoder decoder(font->globalSubrs);
        Array<CubicBezier2D> segments;
        ASSERT_EQ(DecodeCffGlyph(*font, &decoder, 3, &segments), 0u);
        EXPECT_EQ(font->dicts.glyphFontDict[3], 1) << c.name;
        // The Font DICT's own FontMatrix: 8 units of 0.002.
        EXPECT_FLOAT_EQ(segments[0].p3.x, 0.016f) << c.name;
    }
    delete font;
}

}  // namespace
}  // namespace oq
