#pragma once

// Helpers of the drawing tests: documents with drawings, anchor targets made in code, and text.

#include "editor/document/DocumentNode.h"
#include "editor/document/EquationDocument.h"
#include "editor/document/NodeFactory.h"
#include "editor/document/NodeLink.h"
#include "editor/drawing/DrawingKinds.h"
#include "editor/platform/TextBuffer.h"

#include <gtest/gtest.h>

#include <string>

namespace oq::test {

inline void PrepareDrawingTests()
{
    RegisterDocumentKindsOnce();
    RegisterDrawingKinds();
}

// The written text of every top-level structure of the document.
inline std::string WriteDrawingDocument(EquationDocument &document)
{
    TextBuffer buffer;
    document.WriteText(&buffer, false, false, false);
    std::string text(buffer.data != nullptr ? buffer.data : "", buffer.size);
    buffer.Free();
    return text;
}

// The first line that starts with the identifier (without its end of line); empty when none.
inline std::string FindHead(const std::string &text, const std::string &identifier)
{
    size_t at = 0;
    while (at < text.size())
    {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        size_t first = line.find_first_not_of('\t');
        if (first != std::string::npos && line.compare(first, identifier.size(), identifier) == 0 &&
            (line.size() == first + identifier.size() || line[first + identifier.size()] == ' '))
        {
            return line.substr(first);
        }
        at = end + 1;
    }
    return std::string();
}

// Reads "Gr { Bg $a {} }" and the drawing of the head linked from and to $a; the drawing, or null
// when the text does not read.
inline KettricStructure *ReadLinkedDrawing(EquationDocument *document, const std::string &head)
{
    std::string text = "Gr { Bg $a {} } " + head + " { X { ref{$a,$a} u32{0,0} i32{0,1} } }";
    if (document->ParseAndResolve(text.c_str()) != 0) return nullptr;
    return document->GetRootStructure()->GetLastSubnodeStructure();
}

// The document's text has the head for the identifier and, read again, writes the same text.
inline void ExpectHeadAndStableText(EquationDocument &document, const std::string &identifier,
                                    const std::string &head)
{
    std::string written = WriteDrawingDocument(document);
    EXPECT_EQ(FindHead(written, identifier), head);
    EquationDocument reread;
    ASSERT_EQ(reread.ParseAndResolve(written.c_str()), 0u);
    EXPECT_EQ(WriteDrawingDocument(reread), written);
}

// A node made in code that answers fixed points for every anchor kind.
class AnchorTargetNode : public DocumentNode
{
public:
    AnchorTargetNode() : DocumentNode('tgt ') {}
    DocumentNode *Clone() const override { return new AnchorTargetNode(*this); }
    void WriteKettric(KettricDocument *, TextBuffer *) const override {}
    void Layout(const Design *) override {}
    int32_t GetAnchorPoints(uint32_t, const Point2D **out) const override
    {
        *out = points;
        return count;
    }

    Point2D points[4] = {Point2D(0.0f, 0.0f), Point2D(10.0f, 0.0f), Point2D(10.0f, 5.0f), Point2D(0.0f, 5.0f)};
    int32_t count = 4;
};

}  // namespace oq::test
