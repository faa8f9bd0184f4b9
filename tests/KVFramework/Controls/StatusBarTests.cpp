#include "Application/FrameworkApp.h"
#include "Controls/ControlClass.h"
#include "Controls/Label.h"

#include "StatusBarTestSupport.h"

using namespace controltest;

namespace {

class StatusBar : public ControlHarness
{
public:
    RCPtr<LStatusBar> NewBar(const char16_t* name = u"status", bool withLabel = true)
    {
        return Create<LStatusBar>(DescribeStatusBar(name, withLabel), RCPtr<LControl>(mRoot));
    }

    // The application's texts: the status bar's label rests on "Ready".
    void LoadRestingText() { LoadControlTexts({{"Framework.StatusBar|label1", "LABEL", "Ready"}}); }
};

TEST_F(StatusBar, OfTheTextsPostedBetweenTwoTicksOnlyTheLatestShows)
{
    RCPtr<LStatusBar> bar = NewBar();
    EXPECT_FALSE(bar->IsFocusable());
    for (const char16_t* text : {u"one", u"two", u"three"})
        EXPECT_EQ(bar->PostStatusText(String(text)), S_OK);
    EXPECT_EQ(LabelText(bar), "");
    Idle();
    EXPECT_EQ(LabelText(bar), "three");

    // A text shown at once after a posted one: the posted one is shown first and cannot
    // come back over it at the next tick.
    const int redraws = mOS.mRedrawCount;
    bar->PostStatusText(String(u"posted"));
    EXPECT_EQ(bar->SetStatusTextNow(String(u"now")), S_OK);
    EXPECT_EQ(LabelText(bar), "now");
    EXPECT_EQ(mOS.mRedrawCount, redraws + 1);
    Idle();
    EXPECT_EQ(LabelText(bar), "now");
}

TEST_F(StatusBar, WithoutItsLabelTextsGoNowhere)
{
    RCPtr<LStatusBar> bar = NewBar(u"bare", false);
    EXPECT_FALSE(bar->GetLabel());
    EXPECT_EQ(bar->PostStatusText(String(u"posted")), S_OK);
    Idle();
    EXPECT_EQ(bar->SetStatusTextNow(String(u"now")), E_FAIL);
    EXPECT_EQ(bar->GetLabelText(), String());
}

TEST_F(StatusBar, TheApplicationShowsItsTextsOnTheLastStatusBarMadeUntilItIsLetGo)
{
    LoadRestingText();
    EXPECT_EQ(mApp->GetStatusBar(), nullptr);
    EXPECT_EQ(mApp->SetStatusText(String(u"lost"), true), E_FAIL);

    RCPtr<LStatusBar> first = NewBar(u"first");
    EXPECT_EQ(mApp->GetStatusBar(), first.Get());
    EXPECT_EQ(mApp->SetStatusText(String(u"Busy"), true), S_OK);
    EXPECT_EQ(LabelText(first), "Busy");
    EXPECT_EQ(mApp->SetStatusText(String(u"Later"), false), S_OK);
    EXPECT_EQ(LabelText(first), "Busy");
    Idle();
    EXPECT_EQ(LabelText(first), "Later");
    EXPECT_EQ(mApp->RestoreStatusText(true), S_OK);
    EXPECT_EQ(LabelText(first), "Ready");

    // A later status bar takes over; the first one let go leaves it current.
    RCPtr<LStatusBar> second = NewBar(u"second");
    EXPECT_EQ(mApp->GetStatusBar(), second.Get());
    first->RemoveFromTree();
    first.Reset();
    EXPECT_EQ(mApp->GetStatusBar(), second.Get());

    // The current one let go hands the texts back to the one made before it, still there.
    RCPtr<LStatusBar> third = NewBar(u"third");
    EXPECT_EQ(mApp->GetStatusBar(), third.Get());
    third->RemoveFromTree();
    third.Reset();
    EXPECT_EQ(mApp->GetStatusBar(), second.Get());
    EXPECT_EQ(mApp->SetStatusText(String(u"Back"), true), S_OK);
    EXPECT_EQ(LabelText(second), "Back");

    // The last one let go leaves none: nothing points at a freed status bar.
    second->RemoveFromTree();
    second.Reset();
    EXPECT_EQ(mApp->GetStatusBar(), nullptr);
    EXPECT_EQ(mApp->SetStatusText(String(u"lost"), true), E_FAIL);
    EXPECT_EQ(mApp->RestoreStatusText(false), E_FAIL);
}

// Counts the texts it is given.
class CountingLabel : public LLabel
{
public:
    using LLabel::LLabel;
    KVRESULT SetText(const String& text) override
    {
        ++mTexts;
        return LLabel::SetText(text);
    }
    int mTexts = 0;
};

TEST_F(StatusBar, TextsPostedBeforeALaterOneAreNeverShown)
{
    mFactory->RegisterControlClass(String(u"Test.CountingLabel"), &CreateControlOfClass<CountingLabel>);
    RCPtr<LControlDescriptor> descriptor = Describe(u"Framework.StatusBar", u"status", 0, 80, 200, 20);
    descriptor->AddChild(Describe(u"Test.CountingLabel", u"label1", 0, 0, 200, 20));
    RCPtr<LStatusBar> bar = Create<LStatusBar>(descriptor, RCPtr<LControl>(mRoot));
    RCPtr<CountingLabel> label = RCPtr<CountingLabel>::DynamicCastFrom(bar->GetLabel());
    ASSERT_TRUE(label);
    const int before = label->mTexts;
    for (const char16_t* text : {u"one", u"two", u"three"})
        bar->PostStatusText(String(text));
    Idle();
    EXPECT_EQ(LabelText(bar), "three");
    EXPECT_EQ(label->mTexts - before, 1); // the two older texts were dropped, not shown
}

} // namespace
