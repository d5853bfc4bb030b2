#pragma once

// Helpers of the equation document tests: the test kinds in the document's factory, link blocks
// as text, and the writer and layout calls.

#include "support/DocumentTestKinds.h"

#include "editor/document/EquationDocument.h"
#include "editor/document/NodeFactory.h"
#include "editor/platform/TextBuffer.h"

#include <string>
#include <vector>

namespace oq::test {

// The test drawing kind for the eight drawing identifiers and the math test kinds "Fx", "Sy", "Sp"
// and "St"; the first layout of a process then finds the Data folder's damage already reported.
inline void PrepareEquationTests()
{
    RegisterDocumentKinds();
    RegisterTestDrawingKinds();
    RegisterNodeKind("Fx", []() -> KettricStructure * { return new FixedBoxNode; });
    RegisterNodeKind("Sy", []() -> KettricStructure * { return new TestRunNode; });
    RegisterNodeKind("Sp", []() -> KettricStructure * { return new TestSpaceNode; });
    RegisterNodeKind("St", []() -> KettricStructure * { return new TestStructureNode; });
    Design design;
    TextString missing[kDesignFontSlotCount];
    static_cast<void>(design.ResolveFonts(missing));
}

// One link of an "X" block: target name, anchor kind, index.
struct LinkText
{
    std::string target;
    uint32_t kind = 0;
    int32_t index = 0;
};

inline std::string LinkBlock(const std::vector<LinkText> &links)
{
    std::string refs, kinds, indexes;
    for (const LinkText &link : links)
    {
        if (!refs.empty())
        {
            refs += ",";
            kinds += ",";
            indexes += ",";
        }
        refs += "$" + link.target;
        kinds += std::to_string(link.kind);
        indexes += std::to_string(link.index);
    }
    return "X { ref{" + refs + "} u32{" + kinds + "} i32{" + indexes + "} }";
}

inline std::string WriteDocument(EquationDocument &document, bool header = false, bool design = false,
                                 bool marking = false)
{
    TextBuffer buffer;
    document.WriteText(&buffer, header, design, marking);
    std::string text(buffer.data != nullptr ? buffer.data : "", buffer.size);
    buffer.Free();
    return text;
}

inline bool UpdateLayout(EquationDocument &document)
{
    TextString missing[kDesignFontSlotCount];
    return document.UpdateLayout(missing);
}

template <typename T = MathNode>
T *FindNode(EquationDocument &document, const char *name)
{
    return dynamic_cast<T *>(KettricStructure::FindNamedStructure(document.GetGlobalNameMap(), name));
}

// The kinds of the top-level structures as their identifiers' 4CCs, in order.
inline std::vector<uint32_t> TopLevelKinds(EquationDocument &document)
{
    std::vector<uint32_t> kinds;
    for (KettricStructure *s = document.GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr;
         s = s->GetNextStructure())
        kinds.push_back(s->GetStructureType());
    return kinds;
}

}  // namespace oq::test
