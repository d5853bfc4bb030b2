// The exact text of the structure writers, as one table; every text reads back to itself.
#include "AmbrelTestSupport.h"

namespace oq {
namespace {

// Accepts any structure at the top level, so that single structures can be written and read.
class AnyTopLevelDocument : public AmbrelDocument
{
public:
    bool CheckTopLevel(KettricStructure *) override { return true; }
};

// The text of every top-level structure.
std::string WriteTopLevel(AmbrelDocument *document)
{
    std::string text;
    KettricStructure *root = document->GetRootStructure();
    for (KettricStructure *s = root->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
        text += test::WriteStructureText(document, static_cast<AmbrelStructure *>(s));
    return text;
}

TEST(AmbrelWriterTest, LayoutOfEveryWriter)
{
    struct Case
    {
        const char *input;
        const char *expected;
        bool changesData = false;  // data the writer leaves out or flattens
    };
    const Case cases[] = {
        // Parameters: one line, an empty line before a structure with a previous sibling.
        {"Offset {float {1}} Radius {float {2.5}}", "Offset {float {1.0}}\n\nRadius {float {2.5}}\n"},
        {"Radius {float {3, 4}}", "Radius {float {3.0, 4.0}}\n"},
        {"Radius {float[2] {{3, 4}, {5, 6}}}", "Radius {float[2] {{3.0, 4.0}, {5.0, 6.0}}}\n"},
        {"Range {float[2] {{0, 200}, {0, 100}, {1, 2}}}",
         "Range\n{\n\tfloat[2] {{0.0, 200.0}, {0.0, 100.0}, {1.0, 2.0}}\n}\n"},
        {"Opacity {float {0.25}} Angle {float[2] {{1, 2}}}", "Opacity {float {0.25}}\nAngle {float[2] {{1.0, 2.0}}}\n"},
        // Non-finite floats as bit patterns.
        {"Offset {float {0x7F800000}} Offset {float {-0x7F800000}} Offset {float {0x7FC00000}}",
         "Offset {float {0x7F800000}}\n\nOffset {float {0xFF800000}}\n\nOffset {float {0x7FC00000}}\n"},
        // Names and Messages: every string, escaped; consecutive Messages without empty lines.
        {"Name {string {\"Serif\", \"Bold\"}}", "Name {string {\"Serif\", \"Bold\"}}\n"},
        {"Name {string {\"\", \"Bold\"}}", "", true},
        {"Name {string {\"a\"}} Message (kind = \"k\") {string {\"x\", \"y\"}} Message {string {\"z\"}}",
         "Name {string {\"a\"}}\n\nMessage (kind = \"k\") {string {\"x\", \"y\"}}\nMessage (kind = \"\") {string {\"z\"}}\n"},
        {"Message (kind = \"k\") {string {}}", "", true},
        {"Name {string {\"q\\\"b\\\\s\\x01\\t\\xFF\\u00E9\\x7F\"}}", "Name {string {\"q\\\"b\\\\s\\x01\\t\\xFF\xC3\xA9\\x7F\"}}\n"},
        {"Message (kind = \"\\n\\x1F\") {string {\"\\xC3\", \"\\xE2\\x82\\xAC\"}}",
         "Message (kind = \"\\n\\x1F\") {string {\"\\xC3\", \"\xE2\x82\xAC\"}}\n"},
        // Fills and strokes.
        {"Fill (rule = \"nonzero\") {}", "Fill {}\n"},
        {"Fill (rule = \"evenodd\") {Color {float[3] {{1, 0, 0}}}}",
         "Fill (rule = \"evenodd\")\n{\n\tColor {float[3] {{1.0, 0.0, 0.0}}}\n}\n"},
        {"Fill (rule = \"a\\\"\\\\\") {}", "Fill (rule = \"a\\\"\\\\\") {}\n"},
        {"Stroke (cap = \"round\", miter = 2) {}", "Stroke (cap = \"round\", miter = 2.0)\n{\n}\n"},
        {"Stroke (join = \"round\") {}", "Stroke (join = \"round\")\n{\n}\n"},
        {"Stroke (cap = \"\\t\", join = \"x\", miter = 1) {}",
         "Stroke (cap = \"\\t\", join = \"x\", miter = 1.0)\n{\n}\n"},
        {"Stroke {}", "Stroke\n{\n}\n"},
        {"Stroke {float {2} Color {uint8[3] {{255, 128, 0}}} Dash {Offset {float {1}} float[2] {{4, 2}, {1, 2}}}}",
         "Stroke\n{\n\tfloat {2.0}\n\tColor {uint8[3] {{255, 128, 0}}}\n\n\tDash\n\t{\n\t\tOffset {float {1.0}}\n\n"
         "\t\tfloat[2] {{4.0, 2.0}, {1.0, 2.0}}\n\t}\n}\n"},
        {"Stroke {float {1} Dash {float[2] {{4, 2}}}}", "Stroke\n{\n\tDash\n\t{\n\t\tfloat[2] {{4.0, 2.0}}\n\t}\n}\n", true},
        // Colours, stops and gradients.
        {"Color (palette = 0xFFFFFFFF) {uint8[4] {{1, 2, 3, 4}, {5, 6, 7, 8}}} Color {float[3] {{1, 0, 0}}}",
         "Color (palette = -1) {uint8[4] {{1, 2, 3, 4}, {5, 6, 7, 8}}}\nColor {float[3] {{1.0, 0.0, 0.0}}}\n"},
        {"Stop (ext = \"mirror\") {float[2] {{0, 1}}} Color {float[3] {{1, 0, 0}}}",
         "Stop (ext = \"mirror\") {float {0.0, 1.0}}\nColor {float[3] {{1.0, 0.0, 0.0}}}\n", true},
        {"Gradient (kind = \"radial\", object) {float[2] {{1, 2}} Radius {float {3}} Color {float[3] {{1, 0, 0}}}}",
         "Gradient (kind = \"radial\", object)\n{\n\tfloat[2] {{1.0, 2.0}}\n\tRadius {float {3.0}}\n\n"
         "\tColor {float[3] {{1.0, 0.0, 0.0}}}\n}\n"},
        {"Gradient (object) {float[3] {{1, 2, 3}} Color {float[3] {{1, 0, 0}}}}",
         "Gradient (object)\n{\n\tfloat[3] {{1.0, 2.0, 3.0}}\n\tColor {float[3] {{1.0, 0.0, 0.0}}}\n}\n"},
        // Transforms: a run without empty lines, one empty line before it.
        {"Rect {Fill {} Translation (kind = \"x\") {float {5}} Scale {float[2] {{2, 3}}} Rotation {float {90}}}",
         "Rect\n{\n\tFill {}\n\n\tTranslation (kind = \"x\") {float {5.0}}\n\tScale {float[2] {{2.0, 3.0}}}\n"
         "\tRotation {float {90.0}}\n}\n"},
        {"Group {Rotation (kind = \"axis\") {float[4] {{90, 0, 0, 2}}} Transform {float[6] {{1, 0, 0, 1, 10, 20}}}}",
         "Group\n{\n\tRotation (kind = \"axis\") {float[4] {{90.0, 0.0, 0.0, 2.0}}}\n"
         "\tTransform {float[6] {{1.0, 0.0, 0.0, 1.0, 10.0, 20.0}}}\n}\n"},
        // Shapes: the point block one level deeper, an empty line after written substructures.
        {"Line {float[2] {{0, 0}, {10, 0}}}", "Line\n{\n\tfloat[2]\n\t{\n\t\t{0.0, 0.0}, {10.0, 0.0}\n\t}\n}\n"},
        {"Polygon {Fill {} float[2] {{0, 0}, {1, 0}, {1, 1}}}",
         "Polygon\n{\n\tFill {}\n\n\tfloat[2]\n\t{\n\t\t{0.0, 0.0}, {1.0, 0.0}, {1.0, 1.0}\n\t}\n}\n"},
        {"Circle {Radius {float {1}}}", "Circle\n{\n\tRadius {float {1.0}}\n}\n"},
        // Paths: eight commands a line, every point with its command.
        {"Path {float[2]* {M{0, 0}, L{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}, {10, 0}, "
         "{11, 0}, {12, 0}, {13, 0}, {14, 0}, {15, 0}, {16, 0}, {17, 0}, {18, 0}, {19, 0}}}",
         "Path\n{\n\tfloat[2]*\n\t{\n"
         "\t\tM{0.0, 0.0}, L{1.0, 0.0}, L{2.0, 0.0}, L{3.0, 0.0}, L{4.0, 0.0}, L{5.0, 0.0}, L{6.0, 0.0}, L{7.0, 0.0},\n"
         "\t\tL{8.0, 0.0}, L{9.0, 0.0}, L{10.0, 0.0}, L{11.0, 0.0}, L{12.0, 0.0}, L{13.0, 0.0}, L{14.0, 0.0}, L{15.0, 0.0},\n"
         "\t\tL{16.0, 0.0}, L{17.0, 0.0}, L{18.0, 0.0}, L{19.0, 0.0}\n\t}\n}\n"},
        {"Path {Stroke {} float[2]* {Z{0, 0}, C{1, 1}, {2, 1}, {3, 0}, L{4, 0}, L{5, 0}, L{6, 0}, L{7, 0}, L{8, 0}, "
         "Q{9, 1}, {10, 0}, L{11, 0}} float[2]* {}}",
         "Path\n{\n\tStroke\n\t{\n\t}\n\n\tfloat[2]*\n\t{\n"
         "\t\tZ{0.0, 0.0}, C{1.0, 1.0}, {2.0, 1.0}, {3.0, 0.0}, L{4.0, 0.0}, L{5.0, 0.0}, L{6.0, 0.0}, L{7.0, 0.0},\n"
         "\t\tL{8.0, 0.0}, Q{9.0, 1.0}, {10.0, 0.0}, L{11.0, 0.0}\n\t}\n\tfloat[2]*\n\t{\n\t\t\n\t}\n}\n"},
        // Containers, and the Instance's references after its transforms.
        {"Layer {} Canvas {} Object {} Group {}", "\nLayer\n{\n}\nCanvas\n{\n}\n\nObject\n{\n}\n\nGroup\n{\n}\n"},
        {"Instance {Translation {float[2] {{3, 4}}} ref {$a%b, %c, null}}",
         "Instance\n{\n\tTranslation {float[2] {{3.0, 4.0}}}\n\n\tref {$a%b, %c, null}\n}\n"},
        {"Instance {ref[2] {{$a, $b}, {null, %c%d}} ref {}}",
         "Instance\n{\n\tref[2] {{$a, $b}, {null, %c%d}}\n\tref {}\n}\n"},
    };
    for (const Case &c : cases)
    {
        AnyTopLevelDocument document;
        ASSERT_EQ(test::FourCC(document.ParseAndResolve(c.input)), test::FourCC(0)) << c.input;
        std::string text = WriteTopLevel(&document);
        EXPECT_EQ(text, c.expected) << c.input;

        AnyTopLevelDocument again;
        ASSERT_EQ(test::FourCC(again.ParseAndResolve(text.c_str())), test::FourCC(0)) << text;
        EXPECT_EQ(WriteTopLevel(&again), text) << c.input;
        // Writers that have nothing to write drop their structure.
        if (!c.changesData) test::ExpectSameResolvedState(&document, &again);
    }
}

TEST(AmbrelWriterTest, DocumentHeaderAndEmptyDocument)
{
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve("// only a comment\n"), 0u);
    std::string text = test::WriteDocumentText(&document);
    EXPECT_EQ(text.rfind("// Ambrel -- ", 0), 0u);
    EXPECT_EQ(text.find('\n'), text.size() - 2);

    ASSERT_EQ(document.ParseAndResolve("Layer {} Canvas {}"), 0u);
    std::string body = test::WriteDocumentText(&document).substr(text.size());
    EXPECT_EQ(body, "\nLayer\n{\n}\nCanvas\n{\n}\n");
}

}  // namespace
}  // namespace oq
