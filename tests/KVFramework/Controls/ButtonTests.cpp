#include "Controls/Button.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

class Button : public ControlHarness
{
public:
    // A button at (10, 10), 40 x 20, with its fourteen looks.
    RCPtr<LButton> NewButton(const char16_t* name, double x = 10)
    {
        std::vector<RCPtr<LLookDescriptor>> looks;
        for (uint32_t i = 0; i < 14; ++i)
            looks.push_back(ColourLook(0xFF000000u | i));
        RCPtr<LButton> button = Make<LButton>(RCPtr<LControl>(mRoot), name, x, 10, 40, 20, looks);
        for (const char16_t* id : {u"NID_LEFT_CLICK", u"NID_VALUE_CHANGE", u"NID_BUTTON_AUTOREPEAT"})
            mRecorder->Listen(RCPtr<LNotificationDistributor>(button), id);
        return button;
    }
    void SimulateClickNotification(const RCPtr<LButton>& button)
    {
        DeliverNotification(RCPtr<LNotificationReceiver>(button), u"NID_SIMULATE_CLICK", nullptr);
    }
};

TEST_F(Button, TwoQuickSimulatedClicksGiveTwoClicksAndEndTheIdleTicks)
{
    RCPtr<LButton> button = NewButton(u"ok");
    SimulateClickNotification(button);
    EXPECT_EQ(button->GetShownLookIndex(), 2); // pressed, off
    EXPECT_TRUE(TakeLog().empty());
    Idle(50);
    SimulateClickNotification(button); // the first press ends with its click at once
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"ok NID_LEFT_CLICK"});
    Idle(100);
    EXPECT_TRUE(TakeLog().empty());
    Idle(50); // 0.15 s after the second press
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"ok NID_LEFT_CLICK"});
    EXPECT_EQ(button->GetIdleCount(), 0);
    EXPECT_EQ(button->GetShownLookIndex(), 3); // normal, off, focused
}

// Return or Space on the focused button presses it as a click made by code does.
TEST_F(Button, ReturnOrSpacePressesTheFocusedButton)
{
    const std::pair<const char16_t*, uint8_t> keys[] = {{u"return", 0x0D}, {u"space", 0x20}};
    for (const auto& [name, key] : keys)
    {
        RCPtr<LButton> button = NewButton(name);
        static_cast<UITarget*>(button.Get())
            ->OnKey(LKeyParam::Create(KeyCode::FromVirtualKey(key, true, 0, 0), 1));
        EXPECT_EQ(button->GetShownLookIndex(), 2); // pressed
        Idle(200);
        EXPECT_EQ(TakeLog(), std::vector<std::string>{String(name).ToNarrow().View().data() +
                                                      std::string(" NID_LEFT_CLICK")});
        EXPECT_EQ(button->GetShownLookIndex(), 3); // normal, focused
    }
}

TEST_F(Button, ADisabledButtonIgnoresASimulatedClickAndShowsItsDisabledLook)
{
    RCPtr<LButton> button = NewButton(u"ok");
    button->SetEnabled(false);
    EXPECT_EQ(button->GetShownLookIndex(), 6);
    SimulateClickNotification(button);
    Idle(1000);
    EXPECT_TRUE(TakeLog().empty());
    button->SetNormalizedValue(1);
    EXPECT_EQ(button->GetShownLookIndex(), 13);
}

TEST_F(Button, AToggleSendsItsValueBeforeItsClickAndFlipsEachTime)
{
    RCPtr<LButton> toggle = NewButton(u"toggle");
    toggle->SetAutoValueSet(true);
    for (double expected : {1.0, 0.0, 1.0})
    {
        toggle->SimulateClick();
        Idle(160);
        EXPECT_EQ(TakeLog(), (std::vector<std::string>{"toggle NID_VALUE_CHANGE", "toggle NID_LEFT_CLICK"}));
        EXPECT_EQ(toggle->GetNormalizedValue(), expected);
    }
    EXPECT_EQ(toggle->GetShownLookIndex(), 10); // on, focused
}

TEST_F(Button, ARadioButtonTurnsTheOtherRadioSiblingsOff)
{
    RCPtr<LButton> a = NewButton(u"a", 0);
    RCPtr<LButton> b = NewButton(u"b", 50);
    RCPtr<LButton> plain = NewButton(u"plain", 100);
    RCPtr<LButton> c = NewButton(u"c", 150);
    for (const RCPtr<LButton>& radio : {a, b, c})
    {
        radio->SetRadio(true);
        radio->SetAutoValueSet(true);
    }
    plain->SetNormalizedValue(1);
    a->SetNormalizedValue(1);
    b->SimulateClick();
    Idle(160);
    EXPECT_EQ(a->GetNormalizedValue(), 0);
    EXPECT_EQ(b->GetNormalizedValue(), 1);
    EXPECT_EQ(plain->GetNormalizedValue(), 1); // not a radio button

    TakeLog();
    b->SimulateClick(); // on already: stays on, sends nothing new but the click
    Idle(160);
    EXPECT_EQ(b->GetNormalizedValue(), 1);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"b NID_LEFT_CLICK"});
}

TEST_F(Button, EnterClicksTheFocusedButton)
{
    RCPtr<LButton> button = NewButton(u"ok");
    button->SetFocus(true);
    mWindow->OnKey(LKeyParam::Create(KeyCode::FromVirtualKey(0x0D, true, 0, 0), 1));
    Idle(150);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"ok NID_LEFT_CLICK"});
}

// The pointer over the button is at (20, 20), outside it at (100, 60).
TEST_F(Button, ThePointerChoosesTheHoverAndPressedLooks)
{
    struct Step
    {
        char action; // 'm' move, 'p' press, 'r' release
        int32_t x, y;
        int32_t look;
    };
    struct Row
    {
        const char* name;
        bool focused; // else the press gives it the focus
        bool on;
        bool pressedWhileDragged;
        std::vector<Step> steps;
        std::vector<std::string> log;
    };
    const Row rows[] = {
        {"off: over it, pressed, out and back, released over it",
         false,
         false,
         false,
         {{'m', 20, 20, 1},
          {'p', 20, 20, 5},
          {'m', 100, 60, 4},
          {'m', 20, 20, 5},
          {'r', 20, 20, 4},
          {'m', 100, 60, 3}},
         {"b NID_LEFT_CLICK"}},
        {"on: released outside it, no click",
         true,
         true,
         false,
         {{'m', 20, 20, 11}, {'p', 20, 20, 12}, {'m', 100, 60, 11}, {'r', 100, 60, 10}},
         {}},
        {"a thumb keeps its pressed look outside",
         false,
         false,
         true,
         {{'m', 20, 20, 1}, {'p', 20, 20, 5}, {'m', 100, 60, 5}, {'r', 100, 60, 3}},
         {}},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        Move(150, 80);
        RCPtr<LButton> button = NewButton(u"b");
        button->SetNormalizedValue(row.on ? 1 : 0);
        button->SetPressedWhileDragged(row.pressedWhileDragged);
        if (!row.focused)
            mWindow->OnFocusLost();
        EXPECT_EQ(button->HasFocus(), row.focused);
        TakeLog();
        for (const Step& step : row.steps)
        {
            if (step.action == 'm')
                Move(step.x, step.y);
            else if (step.action == 'p')
                Press(step.x, step.y);
            else
                Release(step.x, step.y);
            EXPECT_EQ(button->GetShownLookIndex(), step.look)
                << step.action << " " << step.x << "," << step.y;
        }
        EXPECT_EQ(TakeLog(), row.log);
        button->RemoveFromTree();
    }
}

TEST_F(Button, HeldAutoRepeatButtonRepeatsOnlyWhileThePointerIsOverIt)
{
    RCPtr<LButton> arrow = NewButton(u"arrow");
    arrow->SetAutoRepeat(true);
    const std::vector<std::string> repeat{"arrow NID_BUTTON_AUTOREPEAT"};
    const std::vector<std::string> none;

    Move(20, 20);
    Press(20, 20);
    EXPECT_EQ(TakeLog(), repeat); // at once
    Idle(250);
    EXPECT_EQ(TakeLog(), none);
    Idle(60); // 0.31 s: the delay is over
    EXPECT_EQ(TakeLog(), repeat);
    Idle(80);
    EXPECT_EQ(TakeLog(), none);
    Idle(30); // 0.1 s after the last one
    EXPECT_EQ(TakeLog(), repeat);
    Idle(50);

    // Outside, nothing repeats, and the time out there does not count: coming back does
    // not bring a burst, the next repeat follows after what was left of the interval.
    Move(100, 60);
    Idle(500);
    Idle(500);
    EXPECT_EQ(TakeLog(), none);
    Move(20, 20);
    Idle(30);
    EXPECT_EQ(TakeLog(), none);
    Idle(30);
    EXPECT_EQ(TakeLog(), repeat);

    Release(20, 20);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"arrow NID_LEFT_CLICK"});
    Idle(1000);
    EXPECT_EQ(TakeLog(), none);
    EXPECT_EQ(arrow->GetIdleCount(), 0);
}

TEST_F(Button, AClickByCodeOverlappingAHeldRepeatPressLeavesNoIdleTicks)
{
    // Each of the two holds its own idle registration and gives it back when it ends, in
    // whichever order they start and end.
    enum Step
    {
        kClick,   // a click made by code begins
        kPress,   // the pointer presses and holds
        kRelease, // the pointer lets go
        kShown,   // the click by code has been shown long enough and ends
    };
    const std::vector<std::vector<Step>> orders = {
        {kClick, kPress, kShown, kRelease},
        {kClick, kPress, kRelease, kShown},
        {kPress, kClick, kShown, kRelease},
        {kPress, kClick, kRelease, kShown},
    };
    RCPtr<LButton> arrow = NewButton(u"arrow");
    arrow->SetAutoRepeat(true);
    Move(20, 20);
    for (size_t i = 0; i < orders.size(); ++i)
    {
        for (const Step step : orders[i])
        {
            if (step == kClick)
                arrow->SimulateClick();
            else if (step == kPress)
                Press(20, 20);
            else if (step == kRelease)
                Release(20, 20);
            else
                Idle(200);
        }
        Idle(1000);
        EXPECT_EQ(arrow->GetIdleCount(), 0) << "order " << i;
    }
}

TEST_F(Button, APassiveButtonIsNeverHitAndKeepsTheLookItsOwnerSet)
{
    RCPtr<LButton> button = NewButton(u"check");
    PointT<int32_t> local;
    EXPECT_EQ(mWindow->FindControlAtPoint({20, 20}, local, false), RCPtr<LControl>(button));
    button->SetPassive(true);
    EXPECT_NE(mWindow->FindControlAtPoint({20, 20}, local, false), RCPtr<LControl>(button));
    button->ShowLook(9);
    button->SetNormalizedValue(0);
    button->SetEnabled(false);
    EXPECT_EQ(button->GetShownLookIndex(), 9);
}

} // namespace
