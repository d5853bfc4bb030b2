#include "editor/platform/Clipboard.h"
#include "editor/platform/ControlFixture.h"
#include "editor/platform/DialogWindow.h"
#include "editor/platform/EditBox.h"
#include "editor/platform/ShellServices.h"
#include "FakeWindowSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq::test {
namespace {

// In the test font 'A' is 11 points wide at size 10, every other character 5 points (its missing
// glyph), and only 'A' draws.

// An edit box on the control fixture with a fake clipboard installed.
class EditBoxTest : public ControlTest
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        SetClipboard(&clipboard);
        SetApplicationActive(true);
    }
    void TearDown() override
    {
        SetClipboard(nullptr);
        ControlTest::TearDown();
    }

    EditBox *MakeBox(const char *text, float width = 200, int32_t maximum = 100)
    {
        return Add(new EditBox(font, &state, text, Point2D(10, 20), width, maximum, 0), "box");
    }

    static void Select(EditBox *box, int32_t start, int32_t end, int32_t direction = 0)
    {
        box->selectionStart = start;
        box->selectionEnd = end;
        box->selectionDirection = direction;
    }

    static std::string Text(EditBox *box) { return box->text.GetText(); }

    static std::vector<int32_t> Selection(EditBox *box)
    {
        return {box->selectionStart, box->selectionEnd, box->selectionDirection};
    }

    void Key(uint32_t type, int32_t key, uint32_t modifiers = 0)
    {
        UIEvent event;
        event.type = type;
        event.key = key;
        event.modifiers = modifiers;
        root->HandleKeyEvent(event);
    }

    std::string ClipboardText()
    {
        std::vector<uint8_t> bytes;
        if (!clipboard.ReadFormat(kClipboardTextFormat, 0, SIZE_MAX, &bytes)) return "<none>";
        return std::string(bytes.begin(), bytes.end());
    }

    InProcessClipboard clipboard;
};

TEST(EditCharacterFilter, AcceptsAndMapsAsListed)
{
    struct Case
    {
        EditCharacterFilter filter;
        uint32_t in;
        uint32_t out;
    };
    const Case cases[] = {
        {AcceptPrintableCharacter, 'a', 'a'},       {AcceptPrintableCharacter, 0x20AC, 0x20AC},
        {AcceptPrintableCharacter, 8, 0},           {AcceptPrintableCharacter, 13, 0},
        {AcceptPrintableCharacter, 0x7F, 0},        {AcceptPrintableCharacter, 0xAD, 0},
        {AcceptPrintableCharacter, 0x200B, 0},      {AcceptPrintableCharacter, 0xD800, 0},
        {AcceptPrintableCharacter, 0xFE0F, 0},      {AcceptPrintableCharacter, 0xFEFF, 0},
        {AcceptPrintableCharacter, 0x1D173, 0},     {AcceptPrintableCharacter, 0x30000, 0x30000},
        {AcceptDigit, '0', '0'},                    {AcceptDigit, 'a', 0},
        {AcceptNonzeroDigit, '0', 0},               {AcceptNonzeroDigit, '9', '9'},
        {AcceptDecimalCharacter, '.', '.'},         {AcceptDecimalCharacter, '-', 0},
        {AcceptSignedDecimalCharacter, '-', '-'},   {AcceptSignedDecimalCharacter, ',', 0},
        {AcceptHexDigit, 'b', 'B'},                 {AcceptHexDigit, 'F', 'F'},
        {AcceptHexDigit, 'g', 0},                   {AcceptDigitOrComma, ',', ','},
        {AcceptDigitOrComma, '.', 0},               {AcceptAsciiLetter, 'z', 'z'},
        {AcceptAsciiLetter, 0xE9, 0},               {AcceptAsciiLetter, '1', 0},
    };
    for (const Case &c : cases) EXPECT_EQ(c.filter(c.in), c.out) << std::hex << c.in;
}

TEST_F(EditBoxTest, TypingObeysFilterLengthAndWidth)
{
    struct Case
    {
        const char *name;
        const char *text;
        float width;
        int32_t maximum;
        EditCharacterFilter filter;
        int32_t start, end;
        uint32_t typed;
        const char *expected;
        int32_t caret;
        bool changed;
    };
    const Case cases[] = {
        {"at the caret", "12", 200, 10, AcceptDigit, 1, 1, '5', "152", 2, true},
        {"full box", "1234", 200, 4, AcceptDigit, 4, 4, '5', "1234", 4, false},
        {"over a selection", "1234", 200, 4, AcceptDigit, 0, 2, '5', "534", 1, true},
        {"filtered out", "12", 200, 10, AcceptDigit, 1, 1, 'x', "12", 1, false},
        {"hex upper-cased", "", 200, 10, AcceptHexDigit, 0, 0, 'b', "B", 1, true},
        {"nonzero refuses 0", "", 200, 10, AcceptNonzeroDigit, 0, 0, '0', "", 0, false},
        {"control refused", "ab", 200, 10, AcceptPrintableCharacter, 2, 2, 8, "ab", 2, false},
        {"width equal accepted", "AA", 33, 10, AcceptPrintableCharacter, 2, 2, 'A', "AAA", 3, true},
        {"too wide", "AA", 32, 10, AcceptPrintableCharacter, 2, 2, 'A', "AA", 2, false},
        // The selection goes, the character is then refused: the text changed all the same.
        {"too wide over a selection", "AA11", 32, 10, AcceptPrintableCharacter, 2, 4, 'A', "AA", 2, true},
        {"full over a selection", "1234", 200, 4, AcceptPrintableCharacter, 1, 2, 0x20AC, "1\xE2\x82\xAC" "34", 4,
         true},
        {"multi-byte counted once", "\xE2\x82\xAC\xE2\x82\xAC", 200, 3, AcceptPrintableCharacter, 3, 3, 'x',
         "\xE2\x82\xACx\xE2\x82\xAC", 4, true},
        {"beyond the range", "a", 200, 10, AcceptPrintableCharacter, 1, 1, 0x110000, "a", 1, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EditBox *box = MakeBox(c.text, c.width, c.maximum);
        box->filter = c.filter;
        root->SetFocus(box);
        Select(box, c.start, c.end);
        sent.clear();
        root->HandleCharacter(c.typed, 0);
        EXPECT_EQ(Text(box), c.expected);
        EXPECT_EQ(box->selectionStart, c.caret);
        EXPECT_EQ(box->selectionEnd, c.caret);
        EXPECT_EQ(sent, c.changed ? std::vector<std::string>{"box wgch"} : std::vector<std::string>{});
        delete box;
    }
}

TEST_F(EditBoxTest, KeysMoveTheCaretAndSelection)
{
    const uint32_t S = kModifierShift;
    struct Press
    {
        uint32_t type;
        int32_t key;
        uint32_t modifiers;
    };
    struct Case
    {
        const char *name;
        const char *text;
        int32_t start, end, direction;
        std::vector<Press> presses;
        const char *expected;
        std::vector<int32_t> selection;
        int32_t events;
    };
    const char *accent = "ae\xCC\x81z";  // a, e, combining acute, z
    const Case cases[] = {
        {"select all, Shift+Left and Shift+Right change nothing", "abc", 1, 1, 0,
         {{'cmnd', 'A', 0}, {'kydn', 37, S}, {'kydn', 39, S}}, "abc", {0, 3, 0}, 0},
        {"Shift+Left then Shift+Right past the anchor", "abcd", 2, 2, 0,
         {{'kydn', 37, S}, {'kydn', 39, S}, {'kydn', 39, S}}, "abcd", {2, 3, 1}, 0},
        {"Shift+Right with the anchor inside a cluster stays in the selection", accent, 1, 2, -1,
         {{'kydn', 39, S}}, accent, {2, 2, -1}, 0},
        {"Shift+Left with direction +1 stays in the selection", accent, 2, 4, 1, {{'kydn', 37, S}}, accent,
         {2, 2, 1}, 0},
        {"Left over a cluster", accent, 4, 4, 0, {{'kydn', 37, 0}}, accent, {1, 1, 0}, 0},
        {"Right over a multi-byte character", "\xE2\x82\xACx", 0, 0, 0, {{'kydn', 39, 0}}, "\xE2\x82\xACx",
         {3, 3, 0}, 0},
        {"Left collapses to the start", "abcd", 1, 3, 1, {{'kydn', 37, 0}}, "abcd", {1, 1, 1}, 0},
        {"Right collapses to the end", "abcd", 1, 3, 1, {{'kydn', 39, 0}}, "abcd", {3, 3, 1}, 0},
        {"Backspace removes one code point", accent, 4, 4, 0, {{'kydn', 8, 0}}, "aez", {2, 2, 0}, 1},
        {"Backspace at 0 does nothing", "ab", 0, 0, 0, {{'kydn', 8, 0}}, "ab", {0, 0, 0}, 0},
        {"Delete removes a cluster", accent, 1, 1, 0, {{'kydn', 46, 0}}, "az", {1, 1, 0}, 1},
        {"Delete at the end does nothing", "ab", 2, 2, 0, {{'kydn', 46, 0}}, "ab", {2, 2, 0}, 0},
        {"Delete removes the selection", "abcd", 1, 3, 0, {{'kydn', 46, 0}}, "ad", {1, 1, 0}, 1},
        {"Shift+Home from a forward selection", "abcd", 1, 3, 1, {{'kydn', 36, S}}, "abcd", {0, 1, -1}, 0},
        {"Shift+End from a backward selection", "abcd", 1, 3, -1, {{'kydn', 35, S}}, "abcd", {3, 4, 1}, 0},
        {"Home and End", "abcd", 2, 2, 0, {{'kydn', 36, 0}, {'kydn', 35, 0}}, "abcd", {4, 4, 1}, 0},
        {"Shift+End from the caret", "abcd", 1, 1, 0, {{'kydn', 35, S}}, "abcd", {1, 4, 1}, 0},
        {"other keys do nothing", "ab", 1, 1, 0, {{'kydn', 65, 0}, {'cmnd', 'Z', 0}}, "ab", {1, 1, 0}, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EditBox *box = MakeBox(c.text);
        root->SetFocus(box);
        Select(box, c.start, c.end, c.direction);
        sent.clear();
        for (const Press &p : c.presses) Key(p.type, p.key, p.modifiers);
        EXPECT_EQ(Text(box), c.expected);
        EXPECT_EQ(Selection(box), c.selection);
        EXPECT_EQ(int32_t(sent.size()), c.events);
        delete box;
    }
}

TEST_F(EditBoxTest, PointerPlacesAndDragsTheSelection)
{
    // "AAAA" at x = 10: boundaries at local x 0, 11, 22, 33, 44.
    EditBox *box = MakeBox("AAAA");
    Run({{'lmdn', 10 + 12, 18}});
    EXPECT_EQ(root->GetFocusWidget(), box);
    EXPECT_EQ(Selection(box), (std::vector<int32_t>{1, 1, 0}));
    Run({{'msmv', 10 + 34, 18}});
    EXPECT_EQ(Selection(box), (std::vector<int32_t>{1, 3, 1}));
    Run({{'msmv', 10 + 1, 18}});
    EXPECT_EQ(Selection(box), (std::vector<int32_t>{0, 1, -1}));
    Run({{'lmup', 10 + 1, 18}, {'msmv', 10 + 40, 18}});
    EXPECT_EQ(Selection(box), (std::vector<int32_t>{0, 1, -1})) << "a hover after the release selects nothing";

    // Shift-click after the selection extends it forwards, before it backwards.
    Select(box, 1, 2, 0);
    Run({{'lmdn', 10 + 34, 18, kModifierShift}, {'lmup', 10 + 34, 18}});
    EXPECT_EQ(Selection(box), (std::vector<int32_t>{1, 3, 1}));
    Run({{'lmdn', 10 - 1, 18, kModifierShift}, {'msmv', 10 + 23, 18}, {'lmup', 10 + 23, 18}});
    EXPECT_EQ(Selection(box), (std::vector<int32_t>{2, 3, -1})) << "the drag runs from the anchor at the old end";

    // A double click selects everything; outside the frame nothing is hit.
    UIEvent doubleClick;
    doubleClick.type = 'lmdn';
    doubleClick.key = 1;
    doubleClick.position = Point2D(10 + 12, 18);
    root->HandleMouseEvent(doubleClick);
    EXPECT_EQ(Selection(box), (std::vector<int32_t>{0, 4, 0}));
    EXPECT_EQ(box->HitTest(Point2D(-3.9F, -13.9F)), uint32_t('intr'));
    EXPECT_EQ(box->HitTest(Point2D(204, 0)), 0u);
    EXPECT_EQ(box->HitTest(Point2D(0, 6)), 0u);
    EXPECT_TRUE(sent.empty());
}

TEST_F(EditBoxTest, OwnerTextIsCutByCodePointsAndSendsNothing)
{
    const char *euros = "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC";
    EditBox *box = MakeBox(euros, 200, 2);
    EXPECT_EQ(Text(box), "\xE2\x82\xAC\xE2\x82\xAC");
    EXPECT_EQ(Selection(box), (std::vector<int32_t>{0, 6, 0}));
    box->SetText("a\xE2\x82\xAC" "b");
    EXPECT_EQ(Text(box), "a\xE2\x82\xAC");
    EXPECT_EQ(Selection(box), (std::vector<int32_t>{0, 4, 0}));
    box->SetText("xy");
    EXPECT_EQ(Text(box), "xy");

    // Text changed in place keeps the selection inside it.
    Select(box, 1, 2, 1);
    box->text = "";
    box->TextChanged();
    EXPECT_EQ(Selection(box), (std::vector<int32_t>{0, 0, 1}));
    EXPECT_TRUE(sent.empty());
}

TEST_F(EditBoxTest, CopyCutAndPaste)
{
    EditBox *box = MakeBox("abcd");
    root->SetFocus(box);
    Select(box, 1, 3);
    Key('cmnd', 'C');
    EXPECT_EQ(ClipboardText(), "bc");
    EXPECT_TRUE(sent.empty());

    // A refusing clipboard: the cut deletes nothing and the old contents stay.
    clipboard.refuse = true;
    Key('cmnd', 'X');
    EXPECT_EQ(Text(box), "abcd");
    EXPECT_EQ(ClipboardText(), "bc");
    EXPECT_TRUE(sent.empty());
    clipboard.refuse = false;

    Select(box, 0, 1);
    Key('cmnd', 'X');
    EXPECT_EQ(Text(box), "bcd");
    EXPECT_EQ(ClipboardText(), "a");
    EXPECT_EQ(sent, std::vector<std::string>{"box wgch"});

    Select(box, 3, 3);
    Key('cmnd', 'V');
    EXPECT_EQ(Text(box), "bcda");
    EXPECT_EQ(Selection(box), (std::vector<int32_t>{4, 4, 0}));
    EXPECT_EQ(sent.size(), 2u);

    // An empty clipboard pastes nothing and keeps the selection.
    clipboard.formats.clear();
    Select(box, 0, 2);
    Key('cmnd', 'V');
    EXPECT_EQ(Text(box), "bcda");
    EXPECT_EQ(sent.size(), 2u);
}

TEST_F(EditBoxTest, PastedTextIsFilteredCheckedAndCut)
{
    struct Case
    {
        const char *name;
        std::string clipboardBytes;
        EditCharacterFilter filter;
        int32_t maximum;
        std::string expected;
    };
    std::string euros;
    for (int i = 0; i < 100; ++i) euros += "\xE2\x82\xAC";
    const Case cases[] = {
        {"digits alone, in order", "a1b2c3", AcceptDigit, 100, "123"},
        {"maximum length", "123456", AcceptDigit, 4, "1234"},
        {"first 256 bytes", std::string(300, '7'), AcceptDigit, 1000, std::string(256, '7')},
        {"cut before a character that does not fit", euros, AcceptPrintableCharacter, 1000, euros.substr(0, 255)},
        {"invalid bytes become U+FFFD", "a\xFF" "b\xC0\xAF" "c\xED\xA0\x80", AcceptPrintableCharacter, 100,
         "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD" "c\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"a NUL ends the text", std::string("12\0" "34", 5), AcceptDigit, 100, "12"},
        {"cut short at the end", "1\xE2\x82", AcceptPrintableCharacter, 100, "1\xEF\xBF\xBD\xEF\xBF\xBD"},
        // The clipboard is read only a little past the limit: the character it splits is still whole.
        {"a character split at byte 256 is left out", std::string(253, '5') + "\xF0\x9F\x98\x80" "55",
         AcceptPrintableCharacter, 1000, std::string(253, '5')},
        {"a character cut short at byte 256 is replaced", std::string(253, '5') + "\xF0\x9F\x98",
         AcceptPrintableCharacter, 1000, std::string(253, '5') + "\xEF\xBF\xBD"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EditBox *box = MakeBox("", 100000, c.maximum);
        box->filter = c.filter;
        ASSERT_TRUE(SetClipboardText(&clipboard, c.clipboardBytes.data(), c.clipboardBytes.size()));
        EXPECT_TRUE(box->Paste());
        EXPECT_EQ(Text(box), c.expected);
        delete box;
    }
}

TEST_F(EditBoxTest, CaretBlinksOnlyWhileActiveAndWithoutSelection)
{
    EditBox *box = MakeBox("AA");
    root->SetFocus(box);
    Select(box, 1, 1);
    box->TextChanged();
    root->UpdatePosition();
    EXPECT_FALSE(box->caretShown);

    uint64_t deadline = 0;
    root->Render(Identity());
    box->UpdateFocused(1000, &deadline, 530);
    EXPECT_TRUE(box->caretShown);
    EXPECT_EQ(deadline, 1530u);
    EXPECT_TRUE(root->IsRedrawNeeded());
    // Frame, text and caret; the caret with its colour constant.
    std::vector<ColorRGBA> colors = DrawnColors();
    ASSERT_EQ(colors.size(), 3u);
    EXPECT_EQ(colors[2].alpha, 0.75F);

    // Inactive: no caret drawn, blinking asks for no redraw.
    SetApplicationActive(false);
    root->Render(Identity());
    deadline = 0;
    box->UpdateFocused(1530, &deadline, 530);
    box->UpdateFocused(2060, &deadline, 530);
    EXPECT_TRUE(box->caretShown);
    EXPECT_FALSE(root->IsRedrawNeeded());
    EXPECT_EQ(DrawnColors().size(), 2u);
    SetApplicationActive(true);

    // With a selection nothing blinks; the selection is drawn behind the text.
    Select(box, 0, 2);
    box->TextChanged();
    deadline = 0;
    box->UpdateFocused(5000, &deadline, 530);
    EXPECT_FALSE(box->caretShown);
    EXPECT_EQ(deadline, 0u);
    colors = DrawnColors();
    ASSERT_EQ(colors.size(), 3u);
    EXPECT_EQ(colors[1].red, SelectionHighlightColor().red);

    // Losing the focus keeps the selection and draws the text alone.
    root->SetFocus(nullptr);
    EXPECT_EQ(Selection(box), (std::vector<int32_t>{0, 2, 0}));
    EXPECT_EQ(DrawnColors().size(), 2u);
}

TEST(EditBoxDialog, ChildDialogDuringADragEndsIt)
{
    FakeDialogServices services;
    ASSERT_TRUE(services.started);
    Font *font = LoadTestFont(services.recording.renderer, services.recording.data, "label.vorl",
                              MakeSquareFontFile(0.7F));
    ASSERT_NE(font, nullptr);
    TextLayoutState state;
    ResetTextLayoutState(&state);
    state.size = 10;
    {
        auto *parent = new DialogWindow(FakeWindowSystem::kMainWindow, "Parent", 300, 150);
        auto *box = new EditBox(font, &state, "AAAA", Point2D(10, 20), 200, 100, 0);
        parent->AppendSubnode(box);
        parent->InvalidatePosition();
        parent->UpdatePosition();
        UIEvent press;
        press.type = 'lmdn';
        press.position = Point2D(10 + 12, 18);
        parent->HandleMouseEvent(press);
        ASSERT_TRUE(box->GetWidgetFlags() & kWidgetCaptured);

        auto *child = new DialogWindow(parent->GetWindow(), "Child", 200, 100);
        parent->SetChildDialog(child);
        UIEvent move;
        move.type = 'msmv';
        move.position = Point2D(10 + 40, 18);
        box->HandleMouseEvent(move);
        EXPECT_EQ(box->selectionStart, 1);
        EXPECT_EQ(box->selectionEnd, 1);
        delete child;
        delete parent;
    }
    font->Release();
}

}  // namespace
}  // namespace oq::test
