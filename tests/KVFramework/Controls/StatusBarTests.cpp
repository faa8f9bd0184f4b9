#include "Application/FrameworkApp.h"

#include "StatusBarTestSupport.h"

#include <filesystem>
#include <fstream>

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
    void LoadRestingText()
    {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() /
            ("kv-status-bar-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             std::to_string(reinterpret_cast<uintptr_t>(this)));
        std::filesystem::create_directories(folder);
        const auto write = [&](const char* name, const std::string& text) {
            std::ofstream(folder / name, std::ios::binary) << text;
            return String((folder / name).string().c_str());
        };
        const String app =
            write("app.xml", "<r><Application Name=\"App\"><StringTable "
                             "ID=\"Framework.StatusBar|label1\"><String ID=\"LABEL\"><Locale "
                             "LCID=\"9\">Ready</Locale></String></StringTable></Application></r>");
        const String framework = write("framework.xml", "<r/>");
        EXPECT_EQ(mFactory->LoadStringTables(app, framework, 9), S_OK);
        std::filesystem::remove_all(folder);
    }
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

    // The current one let go leaves none: nothing points at a freed status bar.
    RCPtr<LRootWindow> window = second->GetRootWindow();
    second->RemoveFromTree();
    second.Reset();
    EXPECT_EQ(mApp->GetStatusBar(), nullptr);
    EXPECT_EQ(mApp->SetStatusText(String(u"lost"), true), E_FAIL);
    EXPECT_EQ(mApp->RestoreStatusText(false), E_FAIL);
}

} // namespace
