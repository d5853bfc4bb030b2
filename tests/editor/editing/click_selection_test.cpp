// Click selection and object selection: selection ends in document order, the caret from a left
// press, objects from a right press and the deletion of the selected objects; and the dialog
// factory the pointer opens dialogs through.
#include "EditorFixture.h"
#include "RecordingDialogFactory.h"
#include "editor/platform/FakeWindowSystem.h"

#include <gtest/gtest.h>

namespace oq {
namespace {

DialogWindow *NoDialog(WindowHandle) { return nullptr; }
DialogWindow *NoPropertyDialog(WindowHandle, DocumentNode *) { return nullptr; }

TEST(DialogFactory, EntriesAreSetReplacedRemovedAndFoundByKey)
{
    DialogFactory factory;
    EXPECT_EQ(factory.FindMenuDialog(778), nullptr);
    EXPECT_TRUE(factory.SetMenuDialog(778, NoDialog));
    EXPECT_TRUE(factory.SetMenuDialog(779, NoDialog));
    EXPECT_TRUE(factory.SetMenuDialog(778, NoDialog));
    EXPECT_EQ(factory.menuDialogCount, 2);
    EXPECT_EQ(factory.FindMenuDialog(778), &NoDialog);
    EXPECT_TRUE(factory.SetMenuDialog(778, nullptr));
    EXPECT_EQ(factory.FindMenuDialog(778), nullptr);
    EXPECT_EQ(factory.FindMenuDialog(779), &NoDialog);
    EXPECT_TRUE(factory.SetMenuDialog(1, nullptr));  // removing what is not there
    EXPECT_EQ(factory.menuDialogCount, 1);

    for (int32_t i = 0; i < kPropertyDialogCapacity; ++i)
    {
        EXPECT_TRUE(factory.SetPropertyDialog(static_cast<uint32_t>(i + 1), NoPropertyDialog));
    }
    EXPECT_FALSE(factory.SetPropertyDialog('frac', NoPropertyDialog));  // full
    EXPECT_TRUE(factory.SetPropertyDialog(5, NoPropertyDialog));        // replacing still works
    EXPECT_EQ(factory.FindPropertyDialog('frac'), nullptr);
    EXPECT_EQ(factory.FindPropertyDialog(kPropertyDialogCapacity), &NoPropertyDialog);
}

TEST(DialogFactory, RecordingFakeMakesDialogsAndPutsTheFactoryBack)
{
    test::FakeDialogServices services;
    EXPECT_EQ(GetDialogFactory().zoomDialog, nullptr);
    {
        test::RecordingDialogFactory recording({778}, {'frac'});
        DialogFactory &factory = GetDialogFactory();
        DialogWindow *zoom = factory.zoomDialog(test::FakeWindowSystem::kMainWindow);
        ASSERT_NE(zoom, nullptr);
        EXPECT_EQ(zoom->GetOwnerWindow(), test::FakeWindowSystem::kMainWindow);
        delete zoom;
        recording.makeDialogs = false;
        EXPECT_EQ(factory.FindMenuDialog(778)(test::FakeWindowSystem::kMainWindow), nullptr);
        EXPECT_EQ(factory.FindPropertyDialog('frac')(test::FakeWindowSystem::kMainWindow, nullptr), nullptr);
        ASSERT_EQ(recording.calls.size(), 3u);
        EXPECT_EQ(recording.calls[0].entry, "zoom");
        EXPECT_EQ(recording.calls[1].entry, "menu");
        EXPECT_EQ(recording.calls[1].key, 778u);
        EXPECT_EQ(recording.calls[2].entry, "property");
        EXPECT_EQ(recording.calls[2].key, static_cast<uint32_t>('frac'));
    }
    EXPECT_EQ(GetDialogFactory().zoomDialog, nullptr);
    EXPECT_EQ(GetDialogFactory().FindMenuDialog(778), nullptr);
}

}  // namespace
}  // namespace oq
