// Scroll bar and list box on a recording renderer: thumb arithmetic, drags, keys, the wheel,
// type-ahead, the pointer and selection changes, as tables.
#include "editor/platform/ListBox.h"
#include "editor/platform/ScrollBar.h"
#include "editor/platform/VirtualKeys.h"
#include "FontProbe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq {
namespace {

// Records what a widget sends.
struct EventRecorder
{
    std::vector<uint32_t> events;
    EventObserver observer{this, &EventRecorder::Record};
    static void Record(void *self, EventLink *, uint32_t event) { static_cast<EventRecorder *>(self)->events.push_back(event); }
};

UIEvent Event(uint32_t type, float x = 0, float y = 0, int32_t key = 0)
{
    UIEvent event;
    event.type = type;
    event.position = {x, y};
    event.key = key;
    return event;
}

UIEvent Wheel(float notches)
{
    UIEvent event = Event('mwhl');
    event.wheel = {0.0F, notches};
    return event;
}

class ListBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(r.WriteShaders());
        ASSERT_TRUE(r.Start());
        SetRenderer(&r.renderer);
        font = test::LoadTestFont(r.renderer, r.data, "rows.vorl", test::MakeSquareFontFile(0.7F));
        ASSERT_NE(font, nullptr);
    }
    void TearDown() override
    {
        if (font) font->Release();
        SetRenderer(nullptr);
    }

    // A list of 8 visible rows of 20 points with the given rows, laid out, reporting to the recorder.
    ListBox *MakeList(const std::vector<std::string> &texts)
    {
        auto *list = new ListBox({0, 0}, 200, 20, 8, font, 12, 0);
        for (const std::string &text : texts) list->AddRow(text.c_str(), true);
        list->SetObserver(&recorder.observer);
        list->UpdatePosition();
        return list;
    }

    static std::vector<std::string> Numbered(int32_t count)
    {
        std::vector<std::string> texts;
        for (int32_t i = 0; i < count; ++i) texts.push_back("row " + std::to_string(i));
        return texts;
    }

    test::RecordingRenderer r;
    Font *font = nullptr;
    EventRecorder recorder;
};

TEST_F(ListBoxTest, ThumbLengthAndOffset)
{
    struct Case
    {
        int32_t rows;
        int32_t position;
        float length;
        float offset;
    };
    const Case cases[] = {
        {20, 0, 62.4F, 2.0F},
        {20, 12, 62.4F, 95.6F},
        {20, 6, 62.4F, 48.8F},
        {3, 0, 156.0F, 2.0F},      // everything fits: the thumb fills the track
        {1000, 0, 12.5F, 2.0F},    // never shorter than 2.5 radii
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.rows);
        ListBox *list = MakeList(Numbered(c.rows));
        list->scrollBar->SetPosition(c.position);
        list->UpdatePosition();
        EXPECT_NEAR(list->scrollBar->thumbLength, c.length, 1e-4F);
        EXPECT_NEAR(list->scrollBar->thumbOffset, c.offset, 1e-4F);
        EXPECT_NE(list->scrollBar->item.vertexCount, 0u);
        // Only the thumb is hit.
        EXPECT_EQ(list->scrollBar->HitTest({7, c.offset + 1}), uint32_t('indc'));
        EXPECT_EQ(list->scrollBar->HitTest({7, c.offset + c.length + 1}), 0u);
        delete list;
    }
}

TEST_F(ListBoxTest, DraggingTheThumb)
{
    struct Case
    {
        const char *name;
        float height;
        int32_t maximum;
        float pressY;
        float moveY;
        int32_t position;  // after the move
        bool sent;
    };
    const Case cases[] = {
        // Travel 160 - 62.4 = 97.6 over 12 positions.
        {"half way", 160, 12, 10, 10 + 48.8F, 6, true},
        {"past the end", 160, 12, 10, 400, 12, true},
        {"above the start", 160, 12, 10, -50, 0, false},
        {"first move jumps by the margin", 160, 12, 10, 10.5F, 0, false},
        {"bar shorter than its thumb", 10, 12, 5, 0, 0, false},
        {"bar as long as its thumb", 12.5F, 12, 5, 9, 0, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        ScrollBar bar({0, 0}, {14, c.height}, 8);
        bar.SetObserver(&recorder.observer);
        bar.SetRange(0, c.maximum);
        bar.UpdatePosition();
        recorder.events.clear();
        bar.HandleMouseEvent(Event('lmdn', 7, c.pressY));
        EXPECT_FLOAT_EQ(bar.object.color.red, 0.25F);
        bar.SetWidgetFlags(bar.GetWidgetFlags() | kWidgetCaptured);
        bar.HandleMouseEvent(Event('msmv', 7, c.moveY));
        EXPECT_EQ(bar.position, c.position);
        EXPECT_EQ(recorder.events.size(), c.sent ? 1u : 0u);
        bar.SetWidgetFlags(bar.GetWidgetFlags() & ~kWidgetCaptured);
        bar.HandleMouseEvent(Event('lmup', 7, c.moveY));
        EXPECT_FLOAT_EQ(bar.object.color.red, 0.5F);
        // A hover that is not a drag moves nothing.
        bar.HandleMouseEvent(Event('msmv', 7, 0));
        EXPECT_EQ(bar.position, c.position);
    }
}

TEST_F(ListBoxTest, Keys)
{
    struct Case
    {
        const char *name;
        int32_t rows;
        int32_t selected, first;  // before
        int32_t key;
        int32_t newSelected, newFirst;
        bool sent;
    };
    const Case cases[] = {
        {"Down from none", 20, -1, 0, kKeyDown, 0, 0, true},
        {"Down", 20, 3, 0, kKeyDown, 4, 0, true},
        {"Down scrolls into view", 20, 7, 0, kKeyDown, 8, 1, true},
        {"Down at the end", 20, 19, 12, kKeyDown, 19, 12, false},
        {"Up from none", 20, -1, 0, kKeyUp, 0, 0, true},
        {"Up at the top", 20, 0, 0, kKeyUp, 0, 0, false},
        {"Up scrolls into view", 20, 5, 5, kKeyUp, 4, 4, true},
        {"Page Down from row 0", 20, 0, 0, kKeyPageDown, 7, 0, true},
        {"Page Down makes it the bottom row", 20, 7, 0, kKeyPageDown, 14, 7, true},
        {"Page Down near the end", 20, 17, 10, kKeyPageDown, 19, 12, true},
        {"Page Up from row 7", 20, 7, 0, kKeyPageUp, 0, 0, true},
        {"Page Up makes it the top row", 20, 15, 8, kKeyPageUp, 8, 8, true},
        {"Page Up at the top", 20, 0, 0, kKeyPageUp, 0, 0, false},
        {"Home", 20, 10, 5, kKeyHome, 0, 0, true},
        {"Home scrolls even when the selection stays", 20, 0, 6, kKeyHome, 0, 0, false},
        {"End", 20, 2, 0, kKeyEnd, 19, 12, true},
        {"End scrolls even when the selection stays", 20, 19, 3, kKeyEnd, 19, 12, false},
        {"End of a short list", 3, -1, 0, kKeyEnd, 2, 0, true},
        {"Down in an empty list", 0, -1, 0, kKeyDown, -1, 0, false},
        {"Up in an empty list", 0, -1, 0, kKeyUp, -1, 0, false},
        {"Home in an empty list", 0, -1, 0, kKeyHome, -1, 0, false},
        {"other keys do nothing", 20, 3, 0, 'A', 3, 0, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        ListBox *list = MakeList(Numbered(c.rows));
        list->selectedRow = c.selected;
        list->firstVisibleRow = c.first;
        list->scrollBar->SetPosition(c.first);
        list->lastTypedTime = 5;
        recorder.events.clear();
        list->HandleKeyEvent(Event('kydn', 0, 0, c.key));
        EXPECT_EQ(list->selectedRow, c.newSelected);
        EXPECT_EQ(list->firstVisibleRow, c.newFirst);
        EXPECT_EQ(list->scrollBar->position, c.newFirst);
        EXPECT_EQ(recorder.events, c.sent ? std::vector<uint32_t>{'wgch'} : std::vector<uint32_t>{});
        EXPECT_EQ(list->lastTypedTime, c.key != 'A' ? 0u : 5u);
        delete list;
    }
}

TEST_F(ListBoxTest, Wheel)
{
    struct Case
    {
        const char *name;
        int32_t rows;
        int32_t first;
        std::vector<float> notches;
        int32_t newFirst;
    };
    const Case cases[] = {
        {"one notch towards the user scrolls three rows", 20, 0, {-1.0F}, 3},
        {"one notch away", 20, 6, {1.0F}, 3},
        {"two half notches scroll once", 20, 6, {0.5F, 0.5F}, 3},
        {"a small step counts at half", 20, 0, {-0.4F, -0.1F}, 3},
        {"clamped at the end", 20, 11, {-1.0F}, 12},
        {"clamped at the start", 20, 1, {2.0F}, 0},
        {"everything fits", 3, 0, {-1.0F}, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        ListBox *list = MakeList(Numbered(c.rows));
        list->selectedRow = 4;
        list->firstVisibleRow = c.first;
        list->scrollBar->SetPosition(c.first);
        recorder.events.clear();
        for (float notch : c.notches) list->HandleMouseEvent(Wheel(notch));
        EXPECT_EQ(list->firstVisibleRow, c.newFirst);
        EXPECT_EQ(list->scrollBar->position, c.newFirst);
        EXPECT_EQ(list->selectedRow, 4);
        EXPECT_TRUE(recorder.events.empty());
        delete list;
    }
}

TEST_F(ListBoxTest, TypeAhead)
{
    struct Typed
    {
        char c;
        uint64_t time;
    };
    struct Case
    {
        const char *name;
        std::vector<Typed> typed;
        int32_t selected;
        size_t events;
    };
    const std::vector<std::string> rows = {"Alpha", "arial", "Beta", "Brush", "Ruby", "Arrow"};
    const Case cases[] = {
        {"first letter", {{'b', 1000}}, 2, 1},
        {"two letters in either case", {{'a', 1000}, {'R', 1500}}, 1, 2},
        {"a pause starts again", {{'a', 1000}, {'r', 2000}}, 4, 2},
        {"longer prefix", {{'a', 1000}, {'r', 1100}, {'r', 1200}}, 5, 3},
        {"no match keeps the selection", {{'z', 1000}}, -1, 0},
        {"no match of one character starts again", {{'z', 1000}, {'b', 1100}}, 2, 1},
        {"a longer prefix without a match keeps growing", {{'b', 1000}, {'z', 1100}, {'r', 1200}}, 2, 1},
        {"control and non-ASCII characters are ignored", {{'\t', 1000}, {char(0x7F), 1000}}, -1, 0},
        {"the same row again sends again", {{'b', 1000}, {'b', 3000}}, 2, 2},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        ListBox *list = MakeList(rows);
        recorder.events.clear();
        for (const Typed &t : c.typed) list->HandleCharacter(uint32_t(uint8_t(t.c)), t.time);
        list->HandleCharacter(0xE9, 1000);  // é is not typed ahead
        EXPECT_EQ(list->selectedRow, c.selected);
        EXPECT_EQ(recorder.events.size(), c.events);
        delete list;
    }
}

TEST_F(ListBoxTest, PointerSelectsAndDoubleClickActivates)
{
    ListBox *list = MakeList(Numbered(20));
    list->firstVisibleRow = 3;
    list->scrollBar->SetPosition(3);
    struct Step
    {
        UIEvent event;
        int32_t selected;
        std::vector<uint32_t> sent;
    };
    const Step steps[] = {
        {Event('lmdn', 10, 45), 5, {'wgch'}},
        {Event('lmdn', 10, 45, 1), 5, {'wgac'}},           // the second click of a double click
        {Event('lmdn', 10, 45), 5, {'wgch'}},              // the selected row again
        {Event('lmdn', 190, 10), 5, {}},                   // right of the rows: over the bar's track
        {Event('lmdn', 10, 500), 10, {'wgch'}},            // below: the last visible row
        {Event('lmdn', 10, -5), 3, {'wgch'}},              // above: the first visible row
    };
    for (const Step &step : steps)
    {
        recorder.events.clear();
        list->HandleMouseEvent(step.event);
        EXPECT_EQ(list->selectedRow, step.selected);
        EXPECT_EQ(recorder.events, step.sent);
    }
    delete list;

    // Beyond the rows of a short list nothing is selected.
    list = MakeList(Numbered(3));
    recorder.events.clear();
    list->HandleMouseEvent(Event('lmdn', 10, 70));
    EXPECT_EQ(list->selectedRow, -1);
    EXPECT_TRUE(recorder.events.empty());
    delete list;
}

TEST_F(ListBoxTest, SelectionScrollingClearAndLayout)
{
    ListBox *list = MakeList(Numbered(20));
    EXPECT_EQ(list->scrollBar->maximumPosition, 12);
    EXPECT_FLOAT_EQ(list->GetWidgetSize().y, 160.0F);

    list->SetSelection(15);
    EXPECT_EQ(list->firstVisibleRow, 8);
    EXPECT_EQ(list->scrollBar->position, 8);
    list->UpdatePosition();
    // Rows outside the view are hidden; visible rows sit on their baselines.
    EXPECT_NE(list->GetRow(7)->GetWidgetFlags() & kWidgetHidden, 0u);
    EXPECT_EQ(list->GetRow(8)->GetWidgetFlags() & kWidgetHidden, 0u);
    EXPECT_NE(list->GetRow(16)->GetWidgetFlags() & kWidgetHidden, 0u);
    EXPECT_FLOAT_EQ(list->GetRow(9)->GetLocalPosition().y, 20.0F + (20.0F + 12.0F * 0.7F) / 2.0F);

    list->SetSelection(2);
    EXPECT_EQ(list->firstVisibleRow, 2);

    struct Case
    {
        int32_t row;
        int32_t selected;
    };
    // -1 clears without scrolling; other indexes outside the rows change nothing.
    for (Case c : {Case{-1, -1}, Case{20, -1}, Case{-2, -1}, Case{5, 5}, Case{99, 5}})
    {
        list->SetSelection(c.row);
        EXPECT_EQ(list->selectedRow, c.selected) << c.row;
        EXPECT_EQ(list->firstVisibleRow, 2) << c.row;
    }

    // The scroll bar's drag moves the list.
    list->scrollBar->SetWidgetFlags(list->scrollBar->GetWidgetFlags() | kWidgetCaptured);
    list->scrollBar->HandleMouseEvent(Event('lmdn', 7, list->scrollBar->thumbOffset + 1));
    list->scrollBar->HandleMouseEvent(Event('msmv', 7, 200));
    EXPECT_EQ(list->firstVisibleRow, 12);

    list->Clear();
    EXPECT_EQ(list->rowCount, 0);
    EXPECT_EQ(list->selectedRow, -1);
    EXPECT_EQ(list->firstVisibleRow, 0);
    EXPECT_EQ(list->scrollBar->maximumPosition, 0);
    EXPECT_EQ(list->rows->GetFirstSubwidget(), nullptr);

    // Focus shows the ring and restarts type-ahead.
    list->lastTypedTime = 9;
    list->FocusGained();
    EXPECT_EQ(list->focusRing->GetWidgetFlags() & kWidgetHidden, 0u);
    EXPECT_EQ(list->lastTypedTime, 0u);
    list->FocusLost();
    EXPECT_NE(list->focusRing->GetWidgetFlags() & kWidgetHidden, 0u);
    delete list;
}

}  // namespace
}  // namespace oq
