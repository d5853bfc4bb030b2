#pragma once

// The fixture of the caret and overlay tests: the editing fixture with the caret test face set
// before the first layout, and documents loaded and laid out with it.
#include "CaretTestFace.h"
#include "EditorFixture.h"

#include "editor/document/GroupNode.h"
#include "editor/structures/StructureKinds.h"
#include "vorl/text/VorlFontValidator.h"

#include <string>
#include <vector>

namespace oq::test {

class CaretFaceFixture : public EditorFixture
{
protected:
    void SetUp() override
    {
        RegisterStructureKinds();
        EditorFixture::SetUp();
        std::vector<uint8_t> face = MakeCaretTestFace();
        ASSERT_TRUE(ValidateVorlFontFile(face.data(), face.size()));
        SetLayoutTestFace(face);
    }

    // Replaces the document with the text and lays it out; main is its main group.
    void Load(const std::string &text)
    {
        ASSERT_TRUE(LoadTestDocument(editor, text.c_str(), 0, 0)) << text;
        ASSERT_TRUE(LayoutTestDocument(editor));
        main = editor->document.GetMainGroup();
        ASSERT_NE(main, nullptr);
    }

    GroupNode *main = nullptr;
};

}  // namespace oq::test
