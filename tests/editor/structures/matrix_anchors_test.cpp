// Matrix anchors and cell operations: the ten anchor kinds with their counts and point orders,
// absolute after placement, their handle colours, InsertCell, and Resize following or removing the
// links to the anchors (drawings and annotations go with a vanishing point, other sources keep).
#include "MatrixFixtures.h"
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/document/RowBeginNode.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/Preferences.h"
#include "editor/structures/MatrixNode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq {
namespace {

using test::MatrixCells;
using test::MatrixCounts;
using test::MatrixEquation;
using test::ResultText;
using test::StructureTestDocument;

// A drawing $d linked at one anchor of the matrix $m.
std::string LinkedDrawing(const char *kind, int32_t index)
{
    return " Dr $d { X { ref{$m} u32{'" + std::string(kind) + "'} i32{" + std::to_string(index) + "} } }";
}

TEST(MatrixAnchors, Counts)
{
    const struct
    {
        int32_t r, c;
        int32_t counts[8];  // mtrx, cell, mrow, mcol, orow, ocol, lrow, lcol
    } cases[] = {
        {1, 1, {4, 4, 2, 2, 2, 2, 0, 0}},
        {2, 3, {4, 12, 8, 9, 4, 6, 2, 4}},
    };
    const uint32_t kinds[8] = {kMatrixCornerAnchorKind,       kMatrixCellAnchorKind,     kMatrixRowAxisAnchorKind,
                               kMatrixColumnCentreAnchorKind, kMatrixOuterRowAnchorKind, kMatrixOuterColumnAnchorKind,
                               kMatrixRowLineAnchorKind,      kMatrixColumnLineAnchorKind};
    for (const auto &c : cases)
    {
        StructureTestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(MatrixEquation(MatrixCounts(c.r, c.c), c.r * c.c).c_str())), "0");
        Design design;
        document.LayoutAll(&design);
        auto *matrix = document.Find<MatrixNode>("m");
        for (int32_t i = 0; i < 8; ++i)
        {
            const Point2D *points = nullptr;
            EXPECT_EQ(matrix->GetAnchorPoints(kinds[i], &points), c.counts[i]) << c.r << "x" << c.c << " " << i;
        }
        const uint32_t *list = nullptr;
        ASSERT_EQ(matrix->GetAnchorKinds(&list), 10);
        EXPECT_EQ(list[0], 0u);
        EXPECT_EQ(list[1], kCentreAnchorKind);
        for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(list[2 + i], kinds[i]);
        const Point2D *none = nullptr;
        EXPECT_EQ(matrix->GetAnchorPoints('none', &none), 0);
        if (c.c != 3) continue;
        // 'cell' 5 of a 2 x 3 matrix: row line 1 (the left end of the inner row line) and column
        // line 1 (the top end of the first inner column line).
        const Point2D *cells = nullptr, *rowLines = nullptr, *columnLines = nullptr;
        matrix->GetAnchorPoints(kMatrixCellAnchorKind, &cells);
        matrix->GetAnchorPoints(kMatrixRowLineAnchorKind, &rowLines);
        matrix->GetAnchorPoints(kMatrixColumnLineAnchorKind, &columnLines);
        EXPECT_EQ(cells[5].x, columnLines[0].x);
        EXPECT_EQ(cells[5].y, rowLines[0].y);
    }
}

// Every point of the factory 2 x 2 matrix of empty cells (E = 11) in its order, moved by the
// matrix's absolute position: the box is 25.66667 wide between the row lines 17.07066, 2.81105 and
// -11.44856; the outer points lie aspx x 11 = 6.875 and aspy x 11 = 4.125 outside.
TEST(MatrixAnchors, PointsInTheirOrdersAreAbsolute)
{
    StructureTestDocument document;
    std::string text = "Gr { Bg {} Fx (w=5,t=1,b=0) {} Mx $m (r=2,c=2) {" + MatrixCells(4) + " } }";
    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
    Design design;
    document.LayoutAll(&design);
    auto *matrix = document.Find<MatrixNode>("m");
    const Point2D origin = matrix->absolutePosition;
    ASSERT_GT(origin.x, 4.0f);

    const float xs[3] = {0.0f, 12.83333f, 25.66667f}, ys[3] = {17.07066f, 2.81105f, -11.44856f};
    const float left = -6.875f, right = 25.66667f + 6.875f, above = 17.07066f + 4.125f, below = -11.44856f - 4.125f;
    const float axes[2] = {7.4195f + 2.81105f, -9.0805f + 2.81105f};  // row baseline + E axis
    const float centres[2] = {1.83333f + 2.75f, 12.83333f + 5.5f + 2.75f};
    const struct
    {
        uint32_t kind;
        std::vector<Point2D> points;
    } cases[] = {
        {kMatrixCornerAnchorKind, {{left, above}, {right, above}, {left, below}, {right, below}}},
        {kMatrixCellAnchorKind,
         {{xs[0], ys[0]}, {xs[1], ys[0]}, {xs[2], ys[0]}, {xs[0], ys[1]}, {xs[1], ys[1]}, {xs[2], ys[1]},
          {xs[0], ys[2]}, {xs[1], ys[2]}, {xs[2], ys[2]}}},
        {kMatrixRowAxisAnchorKind,
         {{xs[0], axes[0]}, {xs[1], axes[0]}, {xs[2], axes[0]}, {xs[0], axes[1]}, {xs[1], axes[1]}, {xs[2], axes[1]}}},
        {kMatrixColumnCentreAnchorKind,
         {{centres[0], ys[0]},
          {centres[0], ys[1]},
          {centres[0], ys[2]},
          {centres[1], ys[0]},
          {centres[1], ys[1]},
          {centres[1], ys[2]}}},
        {kMatrixOuterRowAnchorKind, {{left, axes[0]}, {right, axes[0]}, {left, axes[1]}, {right, axes[1]}}},
        {kMatrixOuterColumnAnchorKind, {{centres[0], above}, {centres[0], below}, {centres[1], above}, {centres[1], below}}},
        {kMatrixRowLineAnchorKind, {{left, ys[1]}, {right, ys[1]}}},
        {kMatrixColumnLineAnchorKind, {{xs[1], above}, {xs[1], below}}},
    };
    for (const auto &c : cases)
    {
        const Point2D *points = nullptr;
        ASSERT_EQ(matrix->GetAnchorPoints(c.kind, &points), int32_t(c.points.size())) << ResultText(c.kind);
        for (size_t i = 0; i < c.points.size(); ++i)
        {
            EXPECT_NEAR(points[i].x, origin.x + c.points[i].x, 1e-3f) << ResultText(c.kind) << " " << i;
            EXPECT_NEAR(points[i].y, origin.y + c.points[i].y, 1e-3f) << ResultText(c.kind) << " " << i;
        }
    }
}

TEST(MatrixAnchors, HandleColours)
{
    MatrixNode matrix(1, 1);
    Preferences preferences;
    EXPECT_EQ(matrix.GetAnchorHandleColor(&preferences, 0), &preferences.colors[kColorEquationAnchor]);
    EXPECT_EQ(matrix.GetAnchorHandleColor(&preferences, kCentreAnchorKind), &preferences.colors[kColorEquationAnchor]);
    const uint32_t *kinds = nullptr;
    int32_t count = matrix.GetAnchorKinds(&kinds);
    for (int32_t i = 2; i < count; ++i)
        EXPECT_EQ(matrix.GetAnchorHandleColor(&preferences, kinds[i]), &preferences.colors[kColorSpecialAnchor]) << i;
    EXPECT_EQ(matrix.GetAnchorHandleColor(nullptr, kMatrixCellAnchorKind), nullptr);
}

TEST(MatrixAnchors, InsertCellMakesAnEmptyMiddleBaselineCell)
{
    MatrixNode matrix(1, 2);
    GroupNode *first = MatrixNode::InsertCell(&matrix, nullptr);
    GroupNode *last = MatrixNode::InsertCell(&matrix, nullptr);
    GroupNode *middle = MatrixNode::InsertCell(&matrix, first);
    EXPECT_EQ(first->GetNextMathNode(), middle);
    EXPECT_EQ(middle->GetNextMathNode(), last);
    EXPECT_EQ(middle->role, 0u);
    EXPECT_EQ(middle->baselineRow, kBaselineMiddle);
    auto *row = dynamic_cast<RowBeginNode *>(middle->GetFirstMathSubnode());
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->lineGap, -1.0f);
    EXPECT_EQ(row->GetNextMathNode(), nullptr);
}

// A drawing linked at one matrix anchor: the link's index after the resize, or -1 when the drawing
// went with its point.
TEST(MatrixAnchors, ResizeFollowsOrRemovesLinks)
{
    const struct
    {
        int32_t r, c, R, C;
        const char *kind;
        int32_t index;
        int32_t expected;
    } cases[] = {
        {2, 2, 2, 3, "cell", 4, 5},  {3, 3, 2, 2, "cell", 15, -1}, {3, 3, 4, 3, "lrow", 2, 3},
        {3, 3, 2, 2, "mtrx", 3, 3},  {3, 3, 1, 1, "cent", 1, 1},    {2, 2, 2, 3, "mrow", 5, 6},
        {2, 2, 3, 2, "mcol", 4, 5},  {3, 3, 2, 3, "orow", 5, -1},   {3, 3, 3, 2, "ocol", 3, 3},
        {2, 3, 2, 2, "lcol", 2, 1},  {1, 1, 3, 1, "lrow", 1, 1},    {2, 2, 1, 1, "lrow", 0, -1},
    };
    for (const auto &c : cases)
    {
        StructureTestDocument document;
        std::string text = MatrixEquation(MatrixCounts(c.r, c.c), c.r * c.c, LinkedDrawing(c.kind, c.index));
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        auto *matrix = document.Find<MatrixNode>("m");
        MatrixNode::Resize(matrix, c.R, c.C);
        EXPECT_EQ(matrix->rowCount, c.R);
        EXPECT_EQ(matrix->columnCount, c.C);
        NodeLink *link = matrix->GetFirstIncomingLink();
        if (c.expected < 0)
        {
            EXPECT_EQ(link, nullptr) << c.kind << c.index;
            EXPECT_EQ(document.Find<DocumentNode>("d"), nullptr);
            continue;
        }
        ASSERT_NE(link, nullptr) << c.kind << c.index;
        EXPECT_EQ(link->anchorIndex, c.expected) << c.kind << c.index;
    }
}

TEST(MatrixAnchors, ResizeDestroysEachSourceOnceAndKeepsLinkedCells)
{
    test::TestNodeRegistry::Reset();
    {
        StructureTestDocument document;
        // A line on two vanishing points with a drawing attached to it, and a cell, a group inside a
        // cell and the enclosing group linked at vanishing points.
        std::string text =
            "Gr $g { Bg {} Mx $m (r=3,c=3) { Gr $c { Bg {} Gr $i { Bg {} } X { ref{$m} u32{'cell'} i32{15} } } " +
            MatrixCells(8) + " } X { ref{$m} u32{'orow'} i32{5} } }" +
            " Dr $l { X { ref{$m,$m} u32{'cell','ocol'} i32{15,5} } } Dr $d { X { ref{$l} u32{0} i32{0} } }";
        std::string fixed = text;
        // The group in a cell links too.
        fixed.replace(fixed.find("Gr $i { Bg {} }"), 15, "Gr $i { Bg {} X { ref{$m} u32{'mcol'} i32{11} } }");
        ASSERT_EQ(ResultText(document.ParseAndResolve(fixed.c_str())), "0") << fixed;
        auto *matrix = document.Find<MatrixNode>("m");
        MatrixNode::Resize(matrix, 2, 2);
        int32_t topLevel = 0;
        for (KettricStructure *s = document.GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr;
             s = static_cast<KettricStructure *>(s->GetNextNode()))
            ++topLevel;
        EXPECT_EQ(topLevel, 1);  // the line and the drawing on it are gone
        EXPECT_NE(document.Find<DocumentNode>("c"), nullptr);
        EXPECT_NE(document.Find<DocumentNode>("i"), nullptr);
        EXPECT_NE(document.Find<DocumentNode>("g"), nullptr);
        EXPECT_EQ(matrix->GetFirstIncomingLink(), nullptr);
        int32_t cells = 0;
        for (MathNode *node = matrix->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode()) ++cells;
        EXPECT_EQ(cells, 9);
    }
    EXPECT_TRUE(test::TestNodeRegistry::AllDestroyedOnce());
}


// A file may link an annotation that holds the matrix to a line on the matrix (a cycle): the line
// goes with its vanishing point, and the annotation, which its destruction would take along with
// the matrix being resized, loses only its link.
TEST(MatrixAnchors, ResizeKeepsTheStructureHoldingTheMatrix)
{
    test::TestNodeRegistry::Reset();
    {
        StructureTestDocument document;
        std::string text = "Gr { Bg {} } Gr $a (t='anno') { Bg {} Mx $m (r=2,c=2) {" + MatrixCells(4) +
                           " } X { ref{$l} u32{0} i32{0} } } Dr $l { X { ref{$m,$m} u32{'cell','cell'} i32{8,4} } }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        auto *matrix = document.Find<MatrixNode>("m");
        MatrixNode::Resize(matrix, 1, 1);
        EXPECT_EQ(document.Find<DocumentNode>("l"), nullptr);
        auto *annotation = document.Find<GroupNode>("a");
        ASSERT_NE(annotation, nullptr);
        EXPECT_EQ(annotation->GetFirstOutgoingLink(), nullptr);
        EXPECT_FALSE(annotation->keepAlive);
        ASSERT_EQ(document.Find<MatrixNode>("m"), matrix);
        EXPECT_EQ(matrix->rowCount, 1);
        EXPECT_EQ(matrix->columnCount, 1);
        EXPECT_EQ(document.GetRootStructure()->GetLastSubnode(), annotation);
    }
    EXPECT_TRUE(test::TestNodeRegistry::AllDestroyedOnce());
}

// An annotation linked at 'cell' 4 of a 2 x 2 matrix (row line 1, column line 1) keeps that crossing
// when the matrix grows to 2 x 3 (index 5), in the editor and after a write and read.
TEST(MatrixAnchors, AnnotationKeepsItsCrossingThroughResizeAndText)
{
    // The annotation sits with its left end and first row's axis on the point (anchor direction +x).
    auto expectOnRowAndColumnLine1 = [](StructureTestDocument &document, const char *what) {
        Design design;
        document.LayoutAll(&design);
        // The writer renames: the annotation is the second top-level structure, its link's target the matrix.
        auto *annotation = dynamic_cast<GroupNode *>(
            document.GetRootStructure()->GetFirstSubnodeStructure()->GetNextStructure());
        ASSERT_NE(annotation, nullptr) << what;
        NodeLink *link = annotation->GetFirstOutgoingLink();
        ASSERT_NE(link, nullptr) << what;
        auto *matrix = dynamic_cast<MatrixNode *>(link->GetTarget());
        ASSERT_NE(matrix, nullptr) << what;
        EXPECT_EQ(link->anchorKind, kMatrixCellAnchorKind) << what;
        EXPECT_EQ(link->anchorIndex, 5) << what;
        const Point2D *rowLines = nullptr, *columnLines = nullptr;
        ASSERT_EQ(matrix->GetAnchorPoints(kMatrixRowLineAnchorKind, &rowLines), 2) << what;
        ASSERT_EQ(matrix->GetAnchorPoints(kMatrixColumnLineAnchorKind, &columnLines), 4) << what;
        float axis = 11.0f * GetGeneralParam(&design, 'axis');
        EXPECT_NEAR(annotation->position.x, columnLines[0].x, 1e-3f) << what;
        EXPECT_NEAR(annotation->position.y + annotation->rows[0].baselineOffset + axis, rowLines[0].y, 1e-3f) << what;
    };
    StructureTestDocument document;
    std::string text = MatrixEquation(
        "(r=2,c=2)", 4, " Gr (t='anno') { Bg {} Fx (w=3,t=2,b=-1) {} X { ref{$m} u32{'cell'} i32{4} } }");
    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
    auto *matrix = document.Find<MatrixNode>("m");
    MatrixNode::Resize(matrix, 2, 3);
    // As the editor's cell command does: a new last cell in each row.
    MatrixNode::InsertCell(matrix, static_cast<GroupNode *>(matrix->GetFirstMathSubnode()->GetNextMathNode()));
    MatrixNode::InsertCell(matrix, nullptr);
    expectOnRowAndColumnLine1(document, "resized");
    std::string written = document.WriteText();
    EXPECT_NE(written.find("(r=2,c=3)"), std::string::npos) << written;
    StructureTestDocument again;
    ASSERT_EQ(ResultText(again.ParseAndResolve(written.c_str())), "0") << written;
    expectOnRowAndColumnLine1(again, "read back");
}

}  // namespace
}  // namespace oq
