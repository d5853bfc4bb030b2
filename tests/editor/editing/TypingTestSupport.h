#pragma once

// Descriptions of the symbol runs of a document for the typing and deleting tests.

#include "EditorHarness.h"
#include "base/TextUtils.h"
#include "editor/document/SymbolRunNode.h"

#include <cstdio>
#include <string>

namespace oq::test {

// Every symbol run of the document in document order as role/style"text", with "+flags" in hex
// when any flag is set; code points outside ASCII as <XXXX>. Separated by blanks.
inline std::string DescribeRuns(Editor *editor)
{
    std::string out;
    KettricStructure *root = editor->document.GetRootStructure();
    for (TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
    {
        auto *run = dynamic_cast<SymbolRunNode *>(DocumentNode::FromStructure(static_cast<KettricStructure *>(tree)));
        if (run == nullptr) continue;
        if (!out.empty()) out += " ";
        auto fourCC = [](uint32_t value) {
            std::string text;
            for (int shift = 24; shift >= 0; shift -= 8) text += char(value >> shift & 0xFF);
            return text;
        };
        out += fourCC(run->role) + "/" + fourCC(run->style) + "\"";
        const char *bytes = run->text.GetText();
        for (int32_t at = 0; at < run->text.GetLength();)
        {
            uint32_t codePoint = 0;
            at += DecodeUtf8(bytes + at, &codePoint);
            if (codePoint < 0x80)
                out += char(codePoint);
            else
            {
                char hex[16];
                std::snprintf(hex, sizeof hex, "<%04X>", codePoint);
                out += hex;
            }
        }
        out += "\"";
        if (uint32_t flags = run->GetFlagBits(); flags != 0)
        {
            char hex[16];
            std::snprintf(hex, sizeof hex, "+%X", flags);
            out += hex;
        }
    }
    return out;
}

}  // namespace oq::test
