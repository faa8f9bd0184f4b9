#include "Controls/TabControl.h"

#include "ControlsTestSupport.h"

using namespace controltest;

namespace {

// Hears "NID_TAB_SELECTED" and notes the page it carries ("-" for none).
class TabListener : public LNotificationClient
{
public:
    static RCPtr<TabListener> Create(std::vector<std::string>* log)
    {
        return RCPtr<TabListener>(new TabListener(log));
    }
    KVRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        auto* page = dynamic_cast<LControl*>(n->GetData().Get());
        mLog->push_back(Narrow(n->GetId()) + " " + (page ? Narrow(page->GetName().GetText()) : "-"));
        return S_OK;
    }

private:
    explicit TabListener(std::vector<std::string>* log) : mLog(log) {}
    std::vector<std::string>* mLog;
};

class TabControl : public ControlHarness
{
public:
    // Tab buttons inserted in another order than their tab order (pageA, pageB, orphan),
    // behind a panel that is first in insertion order; pages pageA and pageB, none for
    // orphan.
    RCPtr<LTabControl> NewTabs(bool withButtons = true, bool withPages = true)
    {
        RCPtr<LControlDescriptor> tabs = Describe(u"Framework.TabControl", u"tabs", 0, 0, 200, 100);
        if (withButtons)
        {
            RCPtr<LControlDescriptor> holder = Describe(u"Framework.Panel", u"buttonHolder", 0, 0, 200, 20);
            const std::tuple<const char16_t*, const char16_t*, double, int32_t> children[] = {
                {u"Framework.Panel", u"note", 150, 9},
                {u"Framework.Button", u"pageB", 50, 2},
                {u"Framework.Button", u"pageA", 0, 1},
                {u"Framework.Button", u"orphan", 100, 3},
            };
            for (const auto& [className, name, x, tabStop] : children)
            {
                RCPtr<LControlDescriptor> child =
                    Describe(className, name, x, 0, 40, 20, {ColourLook(0xFF102030)});
                child->mLayout->mTabStop = tabStop;
                holder->AddChild(child);
            }
            tabs->AddChild(holder);
        }
        if (withPages)
        {
            RCPtr<LControlDescriptor> holder = Describe(u"Framework.Panel", u"pageHolder", 0, 20, 200, 80);
            for (const char16_t* name : {u"pageA", u"pageB"})
                holder->AddChild(Describe(u"Framework.Panel", name, 0, 0, 200, 80));
            tabs->AddChild(holder);
        }
        RCPtr<LTabControl> control = Create<LTabControl>(tabs, RCPtr<LControl>(mRoot));
        mListener->RegisterNotification(RCPtr<LNotificationDistributor>(control), u"NID_TAB_SELECTED");
        return control;
    }

    // The tab buttons that are on and the pages that are shown, by name.
    static std::string Shown(const RCPtr<LTabControl>& tabs)
    {
        std::string shown;
        const auto note = [&](const char* kind, const RCPtr<LControl>& child) {
            shown.append(shown.empty() ? "" : " ").append(kind).append(Narrow(child->GetName().GetText()));
        };
        const RCPtr<LControl> buttons = tabs->FindChild(String(u"buttonHolder"));
        for (uint32_t i = 0; buttons && i < buttons->GetChildren().GetCount(); ++i)
            if (RCPtr<LButton> button = RCPtr<LButton>::DynamicCastFrom(
                    buttons->GetChildren().GetAt(i, LControl::kInsertionOrder));
                button && button->IsOn())
                note("button:", RCPtr<LControl>(button));
        const RCPtr<LControl> pages = tabs->FindChild(String(u"pageHolder"));
        for (uint32_t i = 0; pages && i < pages->GetChildren().GetCount(); ++i)
            if (const RCPtr<LControl>& page = pages->GetChildren().GetAt(i, LControl::kInsertionOrder);
                page->IsShown(false))
                note("page:", page);
        return shown;
    }

    void Click(int32_t x, int32_t y)
    {
        Press(x, y);
        Release(x, y);
    }

    RCPtr<TabListener> mListener = TabListener::Create(&mLog);
};

TEST_F(TabControl, TheFirstTabInTabOrderIsSelectedAndClicksSwitchTabs)
{
    RCPtr<LTabControl> tabs = NewTabs();
    EXPECT_EQ(Shown(tabs), "button:pageA page:pageA");
    EXPECT_EQ(Narrow(tabs->GetSelectedName().GetText()), "pageA");

    struct Step
    {
        int32_t x;
        const char* shown;
        const char* heard;
    };
    const Step steps[] = {
        {60, "button:pageB page:pageB", "NID_TAB_SELECTED pageB"},
        {60, "button:pageB page:pageB", "NID_TAB_SELECTED pageB"}, // the selected tab again
        {110, "button:orphan", "NID_TAB_SELECTED -"},              // no page of that name
        {10, "button:pageA page:pageA", "NID_TAB_SELECTED pageA"},
        {170, "button:pageA page:pageA", nullptr}, // the panel is no tab
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.x);
        Click(step.x, 10);
        EXPECT_EQ(Shown(tabs), step.shown);
        EXPECT_EQ(TakeLog(), step.heard ? std::vector<std::string>{step.heard} : std::vector<std::string>{});
    }
}

TEST_F(TabControl, SelectingByCodeSendsNothing)
{
    RCPtr<LTabControl> tabs = NewTabs();
    const std::tuple<uint32_t, KVRESULT, const char*> byIndex[] = {
        {1, S_OK, "button:pageB page:pageB"}, {2, S_OK, "button:orphan"},
        {3, E_FAIL, "button:orphan"}, // the panel
        {4, E_FAIL, "button:orphan"}, // past the children
        {0, S_OK, "button:pageA page:pageA"},
    };
    for (const auto& [index, result, shown] : byIndex)
    {
        EXPECT_EQ(tabs->SelectTabByIndex(index), result) << index;
        EXPECT_EQ(Shown(tabs), shown) << index;
    }
    EXPECT_EQ(tabs->SelectTab(String(u"pageB")), S_OK);
    EXPECT_EQ(Shown(tabs), "button:pageB page:pageB");
    EXPECT_EQ(tabs->FindPageIndex(String(u"pageB")), 1);
    EXPECT_EQ(tabs->FindPageIndex(String(u"orphan")), -1);
    EXPECT_TRUE(TakeLog().empty());
}

TEST_F(TabControl, WithoutItsPagesTheButtonsSwitchButNothingElse)
{
    RCPtr<LTabControl> tabs = NewTabs(true, false);
    // Creation failed to select: the buttons were switched, no name kept, no click heard.
    EXPECT_EQ(Shown(tabs), "button:pageA");
    EXPECT_EQ(tabs->GetSelectedName(), String());
    EXPECT_EQ(tabs->SelectTab(String(u"pageB")), E_FAIL);
    EXPECT_EQ(Shown(tabs), "button:pageB");
    EXPECT_EQ(tabs->GetSelectedName(), String());
    Click(10, 10);
    EXPECT_TRUE(TakeLog().empty());

    RCPtr<LTabControl> empty = Create<LTabControl>(Describe(u"Framework.TabControl", u"empty", 0, 0, 10, 10),
                                                   RCPtr<LControl>(mRoot));
    EXPECT_EQ(empty->SelectTab(String(u"pageA")), E_FAIL);
    EXPECT_EQ(empty->SelectTabByIndex(0), E_FAIL);
    EXPECT_EQ(empty->FindPageIndex(String(u"pageA")), -1);
}

} // namespace
