// Joining rows of a top-level group: the drawings on the removed row's anchors go, those on later
// rows follow their rows, and Undo brings every one back.
#include "RowDrawingsFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq::test {
namespace {

using RowJoinTest = RowDrawingsFixture;

TEST_F(RowJoinTest, DrawingsFollowTheirRowsForBackspaceDeleteAndRanges)
{
    enum Method
    {
        kBackspace,
        kDelete,
        kRange,
    };
    for (int32_t n = 2; n <= 4; ++n)
    {
        for (int32_t k = 1; k < n; ++k)
        {
            for (Method method : {kBackspace, kDelete, kRange})
            {
                if (method == kRange && k + 1 >= n) continue;
                SCOPED_TRACE("rows " + std::to_string(n) + ", row start " + std::to_string(k) + ", method " +
                             std::to_string(int(method)));
                ResetTheEditor();
                editor = TheEditor;
                LoadRows(n);
                std::string before = DocumentText(editor);
                std::vector<std::string> original = DescribeDrawings();
                ASSERT_EQ(original, Expected(n, n, n - 1));
                Selection &selection = editor->document.selection;
                MathNode *previousEnd = RowBegin(k)->GetPreviousMathNode();
                int32_t last = k;
                if (method == kBackspace)
                {
                    selection.start = {RowBegin(k), 0};
                    selection.end = selection.start;
                    ASSERT_TRUE(editor->DeleteBackward());
                }
                else if (method == kDelete)
                {
                    selection.start = {previousEnd, previousEnd->GetEndIndex()};
                    selection.end = selection.start;
                    ASSERT_TRUE(editor->DeleteForward());
                }
                else
                {
                    selection.start = {previousEnd, previousEnd->GetEndIndex()};
                    selection.end = {RowBegin(k + 1), 0};
                    ASSERT_TRUE(editor->DeleteForward());
                    last = k + 1;
                }
                EXPECT_EQ(CheckEditorInvariants(editor), "");
                EXPECT_EQ(DescribeDrawings(), Expected(n, k, last));
                EXPECT_EQ(DescribeSteps(editor), "1/1");
                ASSERT_TRUE(editor->Undo());
                EXPECT_EQ(DocumentText(editor), before);
                EXPECT_EQ(DescribeDrawings(), original);
            }
        }
    }
}

}  // namespace
}  // namespace oq::test
