#include <gtest/gtest.h>

#include "base/File.h"
#include "editor/fonts/DesignFiles.h"
#include "editor/fonts/DesignWriter.h"
#include "editor/fonts/FaultyFileCalls.h"
#include "editor/fonts/FolderEnvironment.h"
#include "kettric/KettricResultCodes.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>

namespace oq {
namespace {

// Counts the editor effects of a loaded design.
class RecordingEditor : public DesignEditor
{
public:
    Design *GetCurrentDesign() override { return &design; }
    void MarkModifiedForRelayout() override { ++modified; }
    void ClearPendingStyleKey() override { ++styleKeyCleared; }
    void RebuildToolPanel() override { ++toolPanelRebuilt; }

    int32_t Effects() const { return modified + styleKeyCleared + toolPanelRebuilt; }

    Design design;
    int32_t modified = 0;
    int32_t styleKeyCleared = 0;
    int32_t toolPanelRebuilt = 0;
};

std::string ReadWhole(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteWhole(const std::string &path, const std::string &text) { std::ofstream(path, std::ios::binary) << text; }

std::string Block(const Design &design)
{
    TextBuffer buffer;
    WriteDesignBlock(design, &buffer);
    std::string text(buffer.data, buffer.size);
    buffer.Free();
    return text;
}

TEST(DesignFilesTest, LoadDesignFromEquationFileTakesOnlyAGoodDesignBlock)
{
    test::FolderEnvironment environment;
    RecordingEditor editor;
    editor.design.SetBaseFontSize(20.0F);
    editor.design.palette[3] = 0x12345678U;

    const struct
    {
        const char *name;
        const char *text;  // null: no file
        uint32_t result;  // 0: any failure
    } failures[] = {
        {"no file", nullptr, kDesignFileUnreadable},
        {"not an equation file", "\x89PNG\r\n\x1A\n{{{", 0},
        {"no design block", "// OrlendoQuist\nE\n{\n\tR {}\n}\n", kDesignFileWithoutDesign},
        {"a broken design block", "D\n{\n\tV (n='fsiz') {f{12.0}}\n\tP {u32{0x00000000}}\n}\n", kResultInvalidDataFormat},
    };
    for (const auto &c : failures)
    {
        SCOPED_TRACE(c.name);
        std::string path = environment.Path(c.name);
        if (c.text != nullptr) WriteWhole(path, c.text);
        uint32_t result = LoadDesignFromEquationFile(&editor, path.c_str());
        EXPECT_TRUE(c.result == 0 ? result != 0 : result == c.result) << result;
        EXPECT_EQ(editor.design.GetBaseFontSize(), 20.0F);
        EXPECT_EQ(editor.design.palette[3], 0x12345678U);
        EXPECT_EQ(editor.Effects(), 0);
    }

    // A good file: factory values where the block is silent, the editor effects once each.
    std::string path = environment.Path("good.quist");
    WriteWhole(path, "// OrlendoQuist\nD\n{\n\tV (n='fsiz') {f{14.0}}\n\tF (i=9) {s{\"Extra\"}}\n}\nE\n{\n\tR {}\n}\n");
    EXPECT_EQ(LoadDesignFromEquationFile(&editor, path.c_str()), 0U);
    EXPECT_EQ(editor.design.GetBaseFontSize(), 14.0F);
    EXPECT_STREQ(editor.design.fontNames[9].GetText(), "Extra");
    EXPECT_EQ(editor.design.palette[3], kFactoryPalette[3]);
    EXPECT_EQ(editor.design.styleFallbackMap.rows, &editor.design.styleMaps[0][0]);
    EXPECT_EQ(editor.modified, 1);
    EXPECT_EQ(editor.styleKeyCleared, 1);
    EXPECT_EQ(editor.toolPanelRebuilt, 1);
}

TEST(DesignFilesTest, UserDefaultDesignRoundTripsAndKeepsTheSizeOnRequest)
{
    test::FolderEnvironment environment;
    RecordingEditor editor;

    // Without a file a reset stays and nothing else happens.
    editor.design.SetBaseFontSize(9.0F);
    editor.design.palette[0] = 1;
    LoadUserDefaultDesign(&editor, nullptr, true, false);
    EXPECT_EQ(editor.design.GetBaseFontSize(), 9.0F);
    EXPECT_EQ(editor.design.palette[0], kFactoryPalette[0]);
    EXPECT_EQ(editor.Effects(), 0);

    Design saved;
    saved.SetBaseFontSize(20.0F);
    saved.GetGroupSlots(kDesignGroupRails)[3] = 5.0F;
    ASSERT_EQ(SaveUserDefaultDesign(saved), kFileOkay);
    EXPECT_EQ(ReadWhole(std::string(GetUserDesignPath())), Block(saved));

    LoadUserDefaultDesign(&editor, nullptr, true, true);
    EXPECT_EQ(editor.design.GetBaseFontSize(), 9.0F);
    EXPECT_EQ(editor.design.GetGroupSlots(kDesignGroupRails)[3], 5.0F);
    EXPECT_EQ(editor.modified, 1);

    LoadUserDefaultDesign(&editor, nullptr, true, false);
    EXPECT_EQ(editor.design.GetBaseFontSize(), 20.0F);

    // A dialog's own design: no reset, read over what it holds.
    Design dialog;
    dialog.palette[1] = 7;
    LoadUserDefaultDesign(&editor, &dialog, false, false);
    EXPECT_EQ(dialog.GetBaseFontSize(), 20.0F);
    EXPECT_EQ(dialog.palette[1], 7U);
}

// Every failure of the save keeps the old file whole and reaches the caller.
TEST(DesignFilesTest, AFailedSaveKeepsTheOldFile)
{
    test::FolderEnvironment environment;
    Design first;
    first.SetBaseFontSize(12.0F);
    ASSERT_EQ(SaveUserDefaultDesign(first), kFileOkay);
    std::string path(GetUserDesignPath());
    std::string old = ReadWhole(path);

    Design second;
    second.SetBaseFontSize(30.0F);
    second.fontNames[10] = "A much longer name so that the file grows past the write limit";
    for (int32_t fault = 0; fault < 5; ++fault)
    {
        SCOPED_TRACE(fault);
        test::FaultyFileCalls calls;
        if (fault == 0) calls.createError = EACCES;
        if (fault == 1) calls.writeLimit = 8;
        if (fault == 2) calls.syncError = EIO;
        if (fault == 3) calls.renameError = EACCES;
        if (fault == 4) calls.closeError = EIO;
        EXPECT_NE(SaveUserDefaultDesign(second), kFileOkay);
        EXPECT_EQ(ReadWhole(path), old);
    }
    EXPECT_EQ(SaveUserDefaultDesign(second), kFileOkay);
    EXPECT_EQ(ReadWhole(path), Block(second));
}

}  // namespace
}  // namespace oq
