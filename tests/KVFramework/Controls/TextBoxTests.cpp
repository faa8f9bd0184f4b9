#include "Controls/TextBox.h"

#include "Controls/MenuDescriptor.h"
#include "ControlsTestSupport.h"
#include "System/Clipboard.h"

#include <functional>

using namespace controltest;

namespace {

constexpr uint32_t KeyPress(uint32_t virtualKey, uint32_t modifiers = 0)
{
    return (virtualKey << KeyCode::kVirtualKeyShift) | KeyCode::kPressed | modifiers;
}

constexpr uint32_t kCtrl = KeyCode::kCtrl;
constexpr uint32_t kShift = KeyCode::kShift;
constexpr uint32_t kLeft = 0x25;
constexpr uint32_t kRight = 0x27;
constexpr uint32_t kHome = 0x24;
constexpr uint32_t kEnd = 0x23;
constexpr uint32_t kBack = 0x08;
constexpr uint32_t kDelete = 0x2E;
constexpr uint32_t kEnter = 0x0D;

std::string Utf8(const String& text)
{
    return std::string(text.ToNarrow().GetText());
}

// Answers "NID_TEXTBOX_VALIDATING" with what the test wants: a corrected text, a refusal.
class Validator : public LNotificationClient
{
public:
    static RCPtr<Validator> Create(std::function<void(LTextValidationParams&)> rule)
    {
        return RCPtr<Validator>(new Validator(std::move(rule)));
    }
    KVRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        if (auto* params = dynamic_cast<LTextValidationParams*>(n->GetData().Get()))
            mRule(*params);
        return S_OK;
    }

private:
    explicit Validator(std::function<void(LTextValidationParams&)> rule) : mRule(std::move(rule)) {}
    std::function<void(LTextValidationParams&)> mRule;
};

class TextBox : public ControlHarness
{
public:
    // A box at (10, 10), 100 x 20, with twelve looks whose text area is the whole box:
    // with the measurer's 6-pixel advance, unit i spans x 6i to 6i + 5.
    RCPtr<LTextBox> NewBox(const char16_t* name = u"box", double x = 10)
    {
        std::vector<RCPtr<LLookDescriptor>> looks;
        for (uint32_t i = 0; i < 12; ++i)
            looks.push_back(TextLook(0xFF000000u | i));
        RCPtr<LTextBox> box = Make<LTextBox>(RCPtr<LControl>(mRoot), name, x, 10, 100, 20, looks);
        box->SetNotFocusable(false);
        return box;
    }
    void Listen(const RCPtr<LTextBox>& box)
    {
        for (const char16_t* id :
             {u"NID_TEXTBOX_TEXT_CHANGE", u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_VALIDATED"})
            mRecorder->Listen(RCPtr<LNotificationDistributor>(box), id);
    }
    static KVRESULT KeyDown(const RCPtr<LTextBox>& box, uint32_t code)
    {
        return box->OnKeyDown(LKeyParam::Create(KeyCode{code}, 1));
    }
};

struct EditCase
{
    const char16_t* text;
    int32_t caret;
    int32_t selectionStart;
    int32_t selectionLength; // the anchor is the selection's start
    std::vector<uint32_t> keys;
    const char16_t* expectedText;
    int32_t expectedCaret;
    int32_t expectedSelectionStart;
    int32_t expectedSelectionLength;
};

TEST_F(TextBox, EditingKeys)
{
    const EditCase cases[] = {
        // Typing over a selection replaces it.
        {u"abcd", 3, 1, 2, {u'x'}, u"axd", 2, 0, 0},
        {u"abc", 0, 0, 0, {KeyPress(kBack)}, u"abc", 0, 0, 0},
        {u"abc", 3, 0, 0, {KeyPress(kDelete)}, u"abc", 3, 0, 0},
        {u"abc", 1, 0, 0, {KeyPress(kDelete)}, u"ac", 1, 0, 0},
        {u"abcdef", 2, 0, 0, {KeyPress(kDelete, kCtrl)}, u"ab", 2, 0, 0},
        {u"abc", 2, 0, 0, {KeyPress(kDelete, kShift)}, u"ac", 1, 0, 0},
        {u"abcd", 0, 1, 2, {KeyPress(kBack)}, u"ad", 1, 0, 0},
        {u"abc", 1, 0, 0, {KeyPress(kRight, kShift), KeyPress(kRight, kShift)}, u"abc", 3, 1, 2},
        {u"abc",
         2,
         0,
         0,
         {KeyPress(kLeft, kShift), KeyPress(kLeft, kShift), KeyPress(kLeft, kShift)},
         u"abc",
         0,
         0,
         2},
        {u"abc", 1, 0, 0, {KeyPress(kRight, kShift), KeyPress(kLeft)}, u"abc", 1, 0, 0},
        {u"abc def", 7, 0, 0, {KeyPress(kLeft, kCtrl)}, u"abc def", 4, 0, 0},
        {u"abc def", 0, 0, 0, {KeyPress(kRight, kCtrl)}, u"abc def", 4, 0, 0},
        {u"abc def", 5, 0, 0, {KeyPress(kLeft, kCtrl | kShift)}, u"abc def", 4, 4, 1},
        {u"ab", 1, 0, 0, {KeyPress(kHome)}, u"ab", 0, 0, 0},
        {u"ab", 1, 0, 0, {KeyPress(kEnd)}, u"ab", 2, 0, 0},
        {u"abcd", 1, 0, 0, {KeyPress(kEnd, kShift)}, u"abcd", 4, 1, 3},
        // The anchor stays with the caret after a plain move: Shift+Home selects from there.
        {u"abc", 0, 0, 0, {KeyPress(kEnd), KeyPress(kHome, kShift)}, u"abc", 0, 0, 3},
        // Characters beyond ASCII, a no-break space and both halves of a surrogate pair.
        {u"a", 1, 0, 0, {0x00E9, 0x00A0, 0xD83D, 0xDE00}, u"a\u00E9\u00A0\U0001F600", 5, 0, 0},
        // Control characters, Tab and a line break are not typed.
        {u"a", 1, 0, 0, {0x0007, u'\t', u'\n', 0x2028}, u"a", 1, 0, 0},
    };
    RCPtr<LTextBox> box = NewBox();
    for (const EditCase& c : cases)
    {
        SCOPED_TRACE(Utf8(String(c.text)));
        box->ApplyText(String(), true);
        box->ApplyText(String(c.text), true);
        box->SetCaret(c.caret, false);
        if (c.selectionLength > 0)
            box->SetSelection(c.selectionStart, c.selectionLength, c.selectionStart);
        for (uint32_t key : c.keys)
            KeyDown(box, key);
        EXPECT_EQ(Utf8(box->GetText()), Utf8(String(c.expectedText)));
        EXPECT_EQ(box->GetCaret(), c.expectedCaret);
        EXPECT_EQ(box->GetSelectionStart(), c.expectedSelectionStart);
        EXPECT_EQ(box->GetSelectionLength(), c.expectedSelectionLength);
    }
}

TEST_F(TextBox, WhichKeysTheBoxKeepsAndWhichGoOn)
{
    const struct
    {
        uint32_t code;
        KVRESULT result;
    } cases[] = {
        {KeyPress(0x41), S_OK},           // A: it types a character that follows
        {KeyPress(0x41, kCtrl), S_FALSE}, // Ctrl+A is a shortcut
        {KeyPress(0x35, KeyCode::kAlt), S_FALSE},
        {KeyPress(0x20), S_OK},            // Space
        {KeyPress(0x26), S_FALSE},         // Up
        {KeyPress(0x28, kShift), S_FALSE}, // Shift+Down
        {KeyPress(0x09), S_FALSE},         // Tab
        {KeyPress(0x74), S_FALSE},         // F5
        {0x00410000u, S_OK},               // A released
        {KeyCode::kNoKey, S_OK},
        {u'\t', S_FALSE},
        {u'x', S_OK},
    };
    RCPtr<LTextBox> box = NewBox();
    for (const auto& c : cases)
        EXPECT_EQ(KeyDown(box, c.code), c.result) << std::hex << c.code;
}

TEST_F(TextBox, PointerPositionsAndTheWordDoubleClicked)
{
    RCPtr<LTextBox> box = NewBox();
    box->SetText(String(u"one  two  three"));
    // Left of the first unit, on each half of a unit, right of the last.
    const std::pair<int32_t, int32_t> positions[] = {{-5, 0}, {1, 0}, {4, 1}, {38, 6}, {40, 7}, {99, 15}};
    for (const auto& [x, index] : positions)
        EXPECT_EQ(box->GetCharIndexAtPoint({double(x), 5}), index) << x;
    // Between two units the position is before the one on the right, not the start.
    mMeasurer->mAdvance = 10.5f; // unit 0 spans 0 to 9.5, unit 1 starts at 10.5
    EXPECT_EQ(box->GetCharIndexAtPoint({10, 5}), 1);
    mMeasurer->mAdvance = 6;

    // A double click inside "two" selects it without the blanks after it.
    Press(10 + 38, 15);
    Release(10 + 38, 15);
    DoubleClick(10 + 38, 15);
    Release(10 + 38, 15);
    EXPECT_TRUE(box->HasFocus());
    EXPECT_EQ(box->GetSelectionStart(), 5);
    EXPECT_EQ(box->GetSelectionLength(), 3);
    EXPECT_EQ(box->GetCaret(), 8);

    // Shift and a press extend the selection from the anchor.
    box->ClearSelection();
    box->SetCaret(2, false);
    box->OnLeftButtonDown(LMouseButtonParam::Create(kMouseButtonLeft, {1, 5}, kModifierShift, 0, 1));
    EXPECT_EQ(box->GetSelectionStart(), 0);
    EXPECT_EQ(box->GetSelectionLength(), 2);
    EXPECT_EQ(box->GetCaret(), 0);
}

TEST_F(TextBox, ACorrectedTextIsShownAndAnnouncedBeforeItIsValidated)
{
    RCPtr<LTextBox> box = NewBox();
    box->SetText(String(u"abcdef"));
    box->SetCaret(6, false);
    Listen(box);
    RCPtr<Validator> validator = Validator::Create([](LTextValidationParams& p) { p.mText = String(u"ab"); });
    validator->RegisterNotification(RCPtr<LNotificationDistributor>(box), u"NID_TEXTBOX_VALIDATING");
    TakeLog();

    EXPECT_EQ(KeyDown(box, KeyPress(kEnter)), S_FALSE); // accepted: Enter goes on
    EXPECT_EQ(box->GetText(), String(u"ab"));
    EXPECT_EQ(box->GetCaret(), 2); // not past the shorter text
    EXPECT_EQ(TakeLog(),
              (std::vector<std::string>{"box NID_TEXTBOX_VALIDATING", "box NID_TEXTBOX_TEXT_CHANGE",
                                        "box NID_TEXTBOX_VALIDATED"}));

    // The same text again changes nothing and says nothing.
    EXPECT_EQ(box->SetText(String(u"ab")), S_FALSE);
    EXPECT_TRUE(TakeLog().empty());
}

TEST_F(TextBox, ARefusedTextKeepsTheFocusAndEnter)
{
    RCPtr<LTextBox> box = NewBox(u"box", 0);
    RCPtr<LTextBox> other = NewBox(u"other", 100);
    RCPtr<Validator> validator =
        Validator::Create([](LTextValidationParams& p) { p.mAccepted = p.mText != String(u"bad"); });
    validator->RegisterNotification(RCPtr<LNotificationDistributor>(box), u"NID_TEXTBOX_VALIDATING");
    Listen(box);
    box->SetFocus(true);
    box->SetText(String(u"bad"));
    TakeLog();

    EXPECT_EQ(KeyDown(box, KeyPress(kEnter)), S_OK);
    EXPECT_EQ(other->SetFocus(true), E_FAIL);
    Key(KeyPress(0x09)); // Tab
    EXPECT_TRUE(box->HasFocus());
    EXPECT_EQ(box->GetText(), String(u"bad"));
    for (const std::string& entry : TakeLog())
        EXPECT_NE(entry, "box NID_TEXTBOX_VALIDATED");

    box->SetText(String(u"good"));
    EXPECT_NE(other->SetFocus(true), E_FAIL);
    EXPECT_TRUE(other->HasFocus());
}

TEST_F(TextBox, TabValidatesTheWindowsOnlyFocusableControl)
{
    // Nothing else takes the focus: Tab comes back to the box, and its text is still
    // checked as when the focus moves on.
    RCPtr<LTextBox> box = NewBox();
    box->SetFocus(true);
    box->SetText(String(u"typed"));
    Listen(box);
    TakeLog();
    Key(KeyPress(0x09)); // Tab
    EXPECT_TRUE(box->HasFocus());
    EXPECT_EQ(TakeLog(),
              (std::vector<std::string>{"box NID_TEXTBOX_VALIDATING", "box NID_TEXTBOX_VALIDATED"}));

    // A refused text is not validated and keeps the focus.
    RCPtr<Validator> validator = Validator::Create([](LTextValidationParams& p) { p.mAccepted = false; });
    validator->RegisterNotification(RCPtr<LNotificationDistributor>(box), u"NID_TEXTBOX_VALIDATING");
    Key(KeyPress(0x09));
    EXPECT_TRUE(box->HasFocus());
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{"box NID_TEXTBOX_VALIDATING"}));
}

TEST_F(TextBox, TheCaretBlinksWhileTheBoxHasTheFocus)
{
    RCPtr<LTextBox> box = NewBox();
    box->SetText(String(u"abc"));
    box->SetCaret(3, false);
    box->SetFocus(true);
    EXPECT_TRUE(mOS.mTextInput);
    EXPECT_EQ(box->GetIdleCount(), 1);
    // Shown 0.5 s, hidden 0.3 s, in turn.
    const std::pair<Milliseconds, bool> timeline[] = {{490, true}, {20, false}, {280, false},
                                                      {30, true},  {480, true}, {30, false}};
    for (const auto& [elapsed, shown] : timeline)
    {
        Idle(elapsed);
        EXPECT_EQ(box->IsCaretShown(), shown);
    }
    // A move shows the caret again for a whole period.
    Key(KeyPress(kLeft));
    EXPECT_TRUE(box->IsCaretShown());
    Idle(490);
    EXPECT_TRUE(box->IsCaretShown());
    Idle(20);
    EXPECT_FALSE(box->IsCaretShown());
    // The caret stands before the unit, a pixel to the left.
    EXPECT_EQ(box->GetCaretRect(), (RectT<float>{11, 0, 1, 12}));
    EXPECT_EQ(box->GetCaret(), 2);

    box->ReleaseFocus();
    EXPECT_FALSE(mOS.mTextInput);
    EXPECT_EQ(box->GetIdleCount(), 0);
    EXPECT_FALSE(box->IsCaretShown());
}

TEST_F(TextBox, ItsIdleTicksFollowItIntoAnotherWindow)
{
    RCPtr<LTextBox> box = NewBox();
    box->SetFocus(true);
    // A request of its own besides the blink (as a drag's scrolling makes) outlives the
    // focus, which the tree loses when it leaves its window.
    ASSERT_EQ(box->BeginIdleProcessing(), S_OK);
    FakeWindowOSServices otherOS;
    RCPtr<LRootWindow> other = LRootWindow::CreateInstance(&otherOS);
    mApp->AddRootWindow(other);
    mWindow->SetRootControl(nullptr);
    other->SetRootControl(RCPtr<LControl>(mRoot));
    ASSERT_EQ(box->GetIdleCount(), 1);
    EXPECT_FALSE(box->IsCaretShown());
    gNow += 600;
    other->ProcessIdle(true);
    EXPECT_TRUE(box->IsCaretShown()); // the new window's tick reached it

    box->EndIdleProcessing();
    other->SetRootControl(nullptr);
    mApp->RemoveRootWindow(other);
    mWindow->SetRootControl(RCPtr<LControl>(mRoot));
}

TEST_F(TextBox, EditCommandsThroughTheClipboard)
{
    RCPtr<LTextBox> box = NewBox();
    box->SetText(String(u"abcd"));
    EXPECT_TRUE(box->IsEditTarget());
    for (int request : {kEditDelete, kEditCut, kEditCopy})
    {
        EXPECT_FALSE(box->CanPerformEdit(request));
        EXPECT_EQ(box->PerformEdit(request), E_FAIL);
    }
    EXPECT_FALSE(box->CanPerformEdit(kEditPaste));
    EXPECT_EQ(box->PerformEdit(kEditPaste), E_FAIL);
    EXPECT_EQ(box->PerformEdit(7), E_FAIL);

    box->SelectChars(1, 2);
    EXPECT_EQ(box->PerformEdit(kEditCopy), S_OK);
    EXPECT_EQ(mClipboard->GetSystemText(), std::optional<std::string>("bc"));
    EXPECT_EQ(box->PerformEdit(kEditCut), S_OK);
    EXPECT_EQ(box->GetText(), String(u"ad"));
    EXPECT_EQ(box->GetCaret(), 1);
    EXPECT_EQ(box->PerformEdit(kEditPaste), S_OK);
    EXPECT_EQ(box->GetText(), String(u"abcd"));
    EXPECT_EQ(box->GetCaret(), 3);

    // Another program's text: line breaks and control characters are left out.
    mClipboard->SetOutsideText("x\r\ny\tz\xC3\xA9");
    EXPECT_TRUE(box->CanPerformEdit(kEditPaste));
    box->SelectChars(0, -1);
    EXPECT_EQ(box->PerformEdit(kEditPaste), S_OK);
    EXPECT_EQ(box->GetText(), String(u"xyz\u00E9"));
    EXPECT_EQ(box->GetSelectionLength(), 0);
    EXPECT_EQ(box->GetCaret(), 4);

    // Through the service, to the focus control of the active window.
    box->SetFocus(true);
    box->SelectChars(0, 0);
    EXPECT_TRUE(mApp->GetClipboard()->CanPerform(kEditDelete));
    EXPECT_EQ(mApp->GetClipboard()->OnEditRequest(kEditDelete), S_OK);
    EXPECT_EQ(box->GetText(), String(u"yz\u00E9"));
}

TEST_F(TextBox, TheEditMenuAndTheStatesOfItsItems)
{
    mApp->GetFrameworkStringTable()->SetString(String(u"EDIT_CUT"), String(u"Cut"));
    RCPtr<LTextBox> box = NewBox();
    const RCPtr<LMenuDescriptor>& menu = box->GetEditMenu();
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->GetItemCount(), 4u);
    const char* const ids[] = {"NID_EDIT_CUT_REQ", "NID_EDIT_COPY_REQ", "NID_EDIT_PASTE_REQ",
                               "NID_EDIT_DELETE_REQ"};
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(Utf8(menu->GetItem(i)->GetName()), ids[i]);
    EXPECT_EQ(menu->GetItem(0)->GetText(), String(u"Cut"));

    box->SetText(String(u"abc"));
    box->SetFocus(true);
    LMenuItemInfo info;
    EXPECT_EQ(box->GetMenuItemState(menu, 0, String(u"NID_EDIT_CUT_REQ"), info), S_OK);
    EXPECT_FALSE(info.enabled);
    box->SelectChars(0, 1);
    EXPECT_EQ(box->GetMenuItemState(menu, 0, String(u"NID_EDIT_CUT_REQ"), info), S_OK);
    EXPECT_TRUE(info.enabled);
    EXPECT_EQ(box->GetMenuItemState(menu, 0, String(u"NID_OTHER"), info), S_FALSE);
}

TEST_F(TextBox, SelectionAndHintLooks)
{
    RCPtr<LTextBox> box = NewBox();
    box->SetText(String(u"abcd"));
    EXPECT_TRUE(box->HasFocus()); // the root panel's first focusable child
    EXPECT_EQ(box->GetShownLookIndex(), LTextBox::kLookFocused);
    box->ReleaseFocus();
    EXPECT_EQ(box->GetShownLookIndex(), LTextBox::kLookNormal);
    Move(20, 15);
    EXPECT_EQ(box->GetShownLookIndex(), LTextBox::kLookHot);
    box->SetFocus(true);
    EXPECT_EQ(box->GetShownLookIndex(), LTextBox::kLookFocusedHot);
    Move(150, 80);
    box->SelectChars(1, 2);
    EXPECT_EQ(box->GetShownLookIndex(), LTextBox::kLookFocused);
    EXPECT_EQ(box->GetLookWeight(LTextBox::kLookSelection), 1.0f);
    RegionRect bounds;
    ASSERT_TRUE(box->GetLook(LTextBox::kLookSelection)->GetRegion().GetBounds(bounds));
    EXPECT_EQ(bounds, (RegionRect{6, 0, 17, 12})); // units 1 and 2: 6 to 17
    box->ClearSelection();
    EXPECT_EQ(box->GetLookWeight(LTextBox::kLookSelection), 0.0f);
    box->SetEnabled(false);
    EXPECT_EQ(box->GetShownLookIndex(), LTextBox::kLookDisabled);
}

} // namespace

TEST_F(TextBox, ALongTextScrollsToKeepTheCaretInView)
{
    // 30 units of 6 pixels in a box 100 wide: the text may scroll 180 - 100 + 3 pixels.
    RCPtr<LTextBox> box = NewBox();
    box->SetText(String(u"abcdefghijklmnopqrstuvwxyzabcd"));
    ASSERT_TRUE(box->HasFocus());
    ASSERT_EQ(box->GetLargestScrollX(), 83);
    const struct
    {
        const char* what;
        std::vector<uint32_t> keys;
        int32_t caret;
        double scrollX;
    } steps[] = {
        {"End", {KeyPress(kEnd)}, 30, 80},
        {"back inside the view", std::vector<uint32_t>(10, KeyPress(kLeft)), 20, 80},
        {"Home", {KeyPress(kHome)}, 0, 0},
        {"just past the right edge", std::vector<uint32_t>(17, KeyPress(kRight)), 17, 2},
        {"typing", {u'x'}, 18, 8},
        {"End of the longer text", {KeyPress(kEnd)}, 31, 86},
        // The text shrinks: no blank room is left after its end.
        {"Backspace", {KeyPress(kBack)}, 30, 83},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.what);
        for (uint32_t key : step.keys)
            Key(key);
        EXPECT_EQ(box->GetCaret(), step.caret);
        EXPECT_EQ(box->GetScrollOffset().x, step.scrollX);
        // The caret is drawn inside the box (at the start, a pixel left of the first unit).
        const float x = box->GetCaretRect().x - static_cast<float>(box->GetScrollOffset().x);
        EXPECT_GE(x, box->GetCaret() == 0 ? -1 : 0);
        EXPECT_LE(x + 1, 100);
    }
    // Leaving the box shows the text's start again; the caret stays where it was.
    box->ReleaseFocus();
    EXPECT_EQ(box->GetScrollOffset(), (PointT<double>{0, 0}));
    EXPECT_EQ(box->GetCaret(), 30);
}

TEST_F(TextBox, ADragPastAnEdgeScrollsTheTextUnderThePointer)
{
    RCPtr<LTextBox> box = NewBox();
    box->SetText(String(u"abcdefghijklmnopqrstuvwxyzabcd"));
    Move(10 + 50, 15);
    Press(10 + 50, 15); // before unit 8
    Move(10 + 120, 15); // 20 pixels right of the box
    // The selection reaches to the unit at the box's edge, whose caret shows whole.
    EXPECT_EQ(box->GetCaret(), 17);
    EXPECT_EQ(box->GetScrollOffset().x, 2);
    EXPECT_TRUE(box->IsAutoScrolling(0));
    EXPECT_EQ(box->GetAutoScrollSpeed(0), 21 * 15);
    Idle(100); // 31.5 pixels
    EXPECT_EQ(box->GetScrollOffset().x, 2 + 32);
    // The selection follows to the unit now under the pointer, held at the box's edge.
    EXPECT_EQ(box->GetSelectionStart(), 8);
    EXPECT_EQ(box->GetCaret(), (100 + 34) / 6);
    Idle(1000); // to the end, where it stops
    EXPECT_EQ(box->GetScrollOffset().x, 83);
    EXPECT_FALSE(box->IsAutoScrolling(0));
    EXPECT_EQ(box->GetCaret(), 30);
    EXPECT_EQ(box->GetSelectionLength(), 22);

    Move(10 - 10, 15); // left of the box: back towards the start
    EXPECT_EQ(box->GetAutoScrollSpeed(0), -11 * 15);
    Idle(200);
    EXPECT_EQ(box->GetScrollOffset().x, 50);
    Move(10 + 50, 15); // back inside: the text stays
    EXPECT_FALSE(box->IsAutoScrolling(0));
    Move(10 + 120, 15);
    EXPECT_TRUE(box->IsAutoScrolling(0));
    Release(10 + 120, 15); // the drag ends, and its scrolling with it
    EXPECT_FALSE(box->IsAutoScrolling(0));
    EXPECT_EQ(box->GetIdleCount(), 1); // the caret's blink alone
    EXPECT_EQ(box->GetScrollOffset().x, 50);
}

TEST_F(TextBox, TheLabelOfItsTextTableIsTheHintNotTheText)
{
    LoadControlTexts({{"Framework.Panel|box", "LABEL", "Search"}});
    RCPtr<LTextBox> box = NewBox();
    EXPECT_EQ(box->GetHintText(), String(u"Search"));
    EXPECT_EQ(box->GetText(), String());
    ASSERT_TRUE(box->GetLook(LTextBox::kLookHint)->GetLabel());
    EXPECT_EQ(box->GetLook(LTextBox::kLookHint)->GetLabel()->GetText(), String(u"Search"));

    // Empty and unfocused: the hint in its own region, the rest of the box beside it.
    box->ReleaseFocus();
    EXPECT_EQ(box->GetShownLookIndex(), LTextBox::kLookBesideHint);
    EXPECT_EQ(box->GetLookWeight(LTextBox::kLookHint), 1.0f);
    RegionRect bounds;
    ASSERT_TRUE(box->GetLook(LTextBox::kLookHint)->GetRegion().GetBounds(bounds));
    EXPECT_EQ(bounds, (RegionRect{0, 0, 36, 12})); // six units of 6 pixels, one line high

    // Focused, the box shows no hint; typing keeps it hidden after the focus leaves.
    box->SetFocus(true);
    EXPECT_EQ(box->GetShownLookIndex(), LTextBox::kLookFocused);
    EXPECT_EQ(box->GetLookWeight(LTextBox::kLookHint), 0.0f);
    Key(u'x');
    box->ReleaseFocus();
    EXPECT_EQ(box->GetShownLookIndex(), LTextBox::kLookNormal);
    EXPECT_EQ(box->GetLookWeight(LTextBox::kLookHint), 0.0f);
}
