// The structure kinds in the equation document's factory: what RegisterStructureKinds puts there
// and a real document that reads, lays out and writes a fraction through it.
#include "support/DocumentTestKinds.h"

#include "editor/document/EquationDocument.h"
#include "editor/document/GroupNode.h"
#include "editor/document/NodeFactory.h"
#include "editor/structures/FractionNode.h"
#include "editor/structures/StructureKinds.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace oq {
namespace {

using test::ResultText;

std::string Write(EquationDocument *document)
{
    TextBuffer buffer;
    document->WriteText(&buffer, false, false, false);
    std::string text(buffer.data != nullptr ? buffer.data : "", buffer.size);
    buffer.Free();
    return text;
}

TEST(StructureKinds, RegistersTheFractionAsAStackedFraction)
{
    RegisterDocumentKindsOnce();
    RegisterStructureKinds();
    RegisterStructureKinds();  // again: the same kinds
    std::unique_ptr<KettricStructure> made(MakeRegisteredStructure("Fr"));
    auto *fraction = dynamic_cast<FractionNode *>(made.get());
    ASSERT_NE(fraction, nullptr);
    EXPECT_EQ(fraction->fractionType, kFractionVertical);
    EXPECT_FALSE(fraction->small);
    EXPECT_FALSE(fraction->atop);
    EXPECT_FALSE(fraction->noSlant);
    EXPECT_EQ(fraction->GetNumerator(), nullptr);
    EXPECT_EQ(fraction->GetDenominator(), nullptr);
}

TEST(StructureKinds, EquationDocumentReadsLaysOutAndWritesFractions)
{
    RegisterStructureKinds();
    const char *text = "Gr\n{\n\tBg {}\n\tFr (t='diag',sm) { Gr (t='numr') { Bg {} } Gr (t='dnom') { Bg {} } }\n}\n";
    EquationDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(text)), "0");
    GroupNode *main = document.GetMainGroup();
    ASSERT_NE(main, nullptr);
    auto *fraction = dynamic_cast<FractionNode *>(main->GetFirstMathSubnode()->GetNextMathNode());
    ASSERT_NE(fraction, nullptr);
    EXPECT_EQ(fraction->fractionType, kFractionDiagonal);
    main->Layout(&document.design);
    EXPECT_EQ(fraction->outlineCount, 4);
    EXPECT_GT(fraction->width, 0.0f);

    std::string written = Write(&document);
    EXPECT_NE(written.find("Fr (t='diag',sm)"), std::string::npos) << written;
    EquationDocument again;
    ASSERT_EQ(ResultText(again.ParseAndResolve(written.c_str())), "0") << written;
    EXPECT_EQ(Write(&again), written);
}

}  // namespace
}  // namespace oq
