// Equation text: generated documents write, read back and write again byte for byte.
#include "EquationDocumentTesting.h"

#include "editor/fonts/DesignWriter.h"

#include <gtest/gtest.h>

#include <random>

namespace oq {
namespace {

using test::LinkBlock;
using test::LinkText;
using test::ResultText;

// Builds documents of groups, rows, alignment marks, nested groups, annotation groups and drawings
// with links to named nodes.
class DocumentGenerator
{
public:
    explicit DocumentGenerator(uint32_t seed) : random(seed) {}

    std::string Generate()
    {
        names.clear();
        std::string main = Group("Gr", 3);
        std::string before = Drawings(Pick(3));
        std::string annotations;
        for (int32_t i = Pick(3); i > 0; --i)
        {
            std::string name = NewName();
            annotations += "Gr $" + name + " (t='anno') { Bg {} Fx (pi=" + std::to_string(Pick(16)) + ") {} " +
                           LinkBlock({RandomLink()}) + " }\n";
        }
        std::string after = Drawings(Pick(4));
        return before + main + annotations + after;
    }

private:
    int32_t Pick(int32_t n) { return int32_t(random() % uint32_t(n)); }

    std::string NewName()
    {
        names.push_back("n" + std::to_string(names.size()));
        return names.back();
    }

    std::string Group(const char *head, int32_t depth)
    {
        std::string text = std::string(head) + " $" + NewName() + " {";
        int32_t rows = 1 + Pick(3);
        for (int32_t row = 0; row < rows; ++row)
        {
            text += row == 0 || Pick(2) ? " Bg {}" : " Bg (lg=2.5) {}";
            for (int32_t i = Pick(4); i > 0; --i)
            {
                int32_t choice = Pick(4);
                if (choice == 0) text += " Al (al='rght') {}";
                else if (choice == 1 && depth > 0) text += " St $" + NewName() + " { " + Group("Gr", depth - 1) + " }";
                else text += " Fx $" + NewName() + " (pi=" + std::to_string(Pick(16)) + ") {}";
            }
        }
        return text + " }\n";
    }

    LinkText RandomLink()
    {
        static const uint32_t kinds[] = {0, 'cent', 'axis', 'lmnl', 'bord', 'xxx!', 'yyy!', 'anno'};
        return {names[size_t(Pick(int32_t(names.size())))], kinds[Pick(8)], Pick(6)};
    }

    std::string Drawings(int32_t count)
    {
        static const char *identifiers[] = {"Ln", "Cn", "Qe", "Zg", "Jo", "Rt", "Rr", "El"};
        std::string text;
        for (int32_t i = 0; i < count; ++i)
        {
            text += std::string(identifiers[Pick(8)]) + " (n=" + std::to_string(Pick(100)) + ") {";
            if (!names.empty() && Pick(4) != 0) text += " " + LinkBlock({RandomLink(), RandomLink()});
            text += " }\n";
        }
        return text;
    }

    std::mt19937 random;
    std::vector<std::string> names;
};

TEST(DocumentRoundTrip, GeneratedDocumentsWriteTheSameTwice)
{
    test::PrepareEquationTests();
    Design changed;
    changed.SetBaseFontSize(14.0f);
    changed.fontNames[3] = "Some Font";
    TextBuffer block;
    WriteDesignBlock(changed, &block);
    const std::string designText(block.data, block.size);
    block.Free();

    DocumentGenerator generator(20261211);
    for (int32_t i = 0; i < 200; ++i)
    {
        const std::string text = "// Orlendo Quist Equation\n\n" + designText + generator.Generate();
        SCOPED_TRACE(text);
        EquationDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        test::UpdateLayout(document);
        const std::string first = test::WriteDocument(document, true, true);
        ASSERT_EQ(first.rfind("// Orlendo Quist Equation\n\nD\n{\n", 0), 0u);
        EquationDocument reread;
        ASSERT_EQ(ResultText(reread.ParseAndResolve(first.c_str())), "0");
        EXPECT_EQ(reread.design.GetBaseFontSize(), 14.0f);
        test::UpdateLayout(reread);
        EXPECT_EQ(test::WriteDocument(reread, true, true), first);
    }
}

TEST(DocumentRoundTrip, SwitchesAndMarking)
{
    test::PrepareEquationTests();
    EquationDocument document;
    const std::string text = "Ln { " + LinkBlock({{"a"}, {"b"}}) + " } Gr { Bg {} Fx $a {} Fx $b {} Fx $c {} } El {}";
    ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
    MathNode *a = test::FindNode(document, "a");
    MathNode *c = test::FindNode(document, "c");
    EXPECT_EQ(test::WriteDocument(document),
              "Ln\n{\n\tX\n\t{\n\t\tref{$_0,$_1}\n\t\tu32{0,0}\n\t\ti32{0,0}\n\t}\n}\n"
              "Gr\n{\n\tBg {}\n\tFx $_0 {}\n\tFx $_1 {}\n\tFx {}\n}\nEl\n{\n}\n");
    document.selection.start = {a, 0};
    document.selection.end = {c, 0};
    DocumentNode *ellipse = DocumentNode::FromStructure(document.GetRootStructure()->GetLastSubnodeStructure());
    document.objectSelection.AddElement(ellipse);
    const std::string marked = test::WriteDocument(document, false, false, true);
    EXPECT_EQ(marked, "Ln\n{\n\tX\n\t{\n\t\tref{$B,$_0}\n\t\tu32{0,0}\n\t\ti32{0,0}\n\t}\n}\n"
                      "Gr\n{\n\tBg {}\n\tFx $B {}\n\tFx $_0 {}\n\tFx $E {}\n}\nEl $S0\n{\n}\n");
    EquationDocument reread;
    ASSERT_EQ(reread.ParseAndResolve(marked.c_str()), 0u);
    EXPECT_EQ(test::FindNode(reread, "B")->GetFirstIncomingLink()->GetSource(),
              DocumentNode::FromStructure(reread.GetRootStructure()->GetFirstSubnodeStructure()));
    const std::string withDesign = test::WriteDocument(document, false, true);
    EXPECT_EQ(withDesign.rfind("D\n{\n}\nLn\n", 0), 0u);
}

}  // namespace
}  // namespace oq
