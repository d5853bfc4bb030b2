#pragma once

// Rows of the main group with drawings on their anchors, for the tests of edits that add or
// remove rows: each link's value names the row it was made for.

#include "EditorFixture.h"
#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "support/DocumentTestKinds.h"

#include <algorithm>
#include <string>
#include <vector>

namespace oq::test {

class RowDrawingsFixture : public EditorFixture
{
protected:
    // A main group of one row per text, the first holding the caret at its start; per row j a
    // drawing on 'axis' 2j and one on 'lmnl' 2j, and one on the bottom gap 'lmnl' 2n (value 99).
    void LoadRowTexts(const std::vector<std::string> &texts)
    {
        std::string text = "Gr\n{\n";
        for (const std::string &row : texts) text += "\tBg {}\n\tSb {s{\"" + row + "\"}}\n";
        text += "}\n";
        ASSERT_TRUE(LoadTestDocument(editor, text.c_str(), 0, 0));
        auto n = int32_t(texts.size());
        for (int32_t j = 0; j < n; ++j)
        {
            AddDrawing(kAxisAnchorKind, 2 * j, float(j));
            AddDrawing(kLineAnchorKind, 2 * j, float(j));
        }
        AddDrawing(kLineAnchorKind, 2 * n, 99.0F);
    }

    // Rows holding "a", "b", ..
    void LoadRows(int32_t n)
    {
        std::vector<std::string> texts;
        for (int32_t j = 0; j < n; ++j) texts.emplace_back(1, char('a' + j));
        LoadRowTexts(texts);
    }

    // A drawing linked to the main group's anchor point.
    void AddDrawing(uint32_t kind, int32_t index, float label)
    {
        auto *drawing = new TestDrawingNode("Ln");
        editor->document.GetRootStructure()->AppendSubnode(drawing);
        new NodeLink(drawing, editor->document.GetMainGroup(), kind, index, label);
    }

    // "label:kind index" of every drawing's link, sorted.
    std::vector<std::string> DescribeDrawings()
    {
        std::vector<std::string> out;
        GroupNode *group = editor->document.GetMainGroup();
        for (NodeLink *link = group->GetFirstIncomingLink(); link != nullptr; link = link->GetNextIncomingLink())
        {
            out.push_back(std::to_string(int(link->value)) + ":" +
                          (link->anchorKind == kAxisAnchorKind ? "axis" : "lmnl") + " " +
                          std::to_string(link->anchorIndex));
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    // What DescribeDrawings gives after LoadRows(n) when rows first..last are removed.
    static std::vector<std::string> Expected(int32_t n, int32_t first, int32_t last)
    {
        std::vector<std::string> out;
        int32_t removed = last - first + 1;
        for (int32_t j = 0; j < n; ++j)
        {
            if (j >= first && j <= last) continue;
            int32_t row = j < first ? j : j - removed;
            out.push_back(std::to_string(j) + ":axis " + std::to_string(2 * row));
            out.push_back(std::to_string(j) + ":lmnl " + std::to_string(2 * row));
        }
        out.push_back("99:lmnl " + std::to_string(2 * (n - removed)));
        std::sort(out.begin(), out.end());
        return out;
    }

    // The row start of row k when every row holds one run.
    MathNode *RowBegin(int32_t k)
    {
        MathNode *node = editor->document.GetMainGroup()->GetFirstMathSubnode();
        for (int32_t j = 0; j < k; ++j) node = node->GetNextMathNode()->GetNextMathNode();
        return node;
    }
};

}  // namespace oq::test
