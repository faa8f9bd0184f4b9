#include "ControlBase/MenuItemUpdater.h"
#include "InputTestSupport.h"

using namespace inputtest;

namespace {

using Strings = std::vector<std::string>;

class ControlToolTips : public InputFixture
{
public:
    ControlToolTips()
    {
        mRoot->mTransparent = {0, 0, 200, 100};
        mPanel = Add(mRoot, u"panel", {0, 0, 100, 50});
        mPanel->SetToolTipText(String(u"panel tip"));
        mFirst = Add(mPanel, u"first", {0, 0, 20, 20});
        mSecond = Add(mPanel, u"second", {30, 0, 20, 20});
        mOwn = Add(mPanel, u"own", {60, 0, 20, 20});
        mOwn->SetToolTipText(String(u"own tip"));
        mFirst->SetUseParentToolTip(true);
        mSecond->SetUseParentToolTip(true);
        mOwn->SetUseParentToolTip(true);
    }
    RCPtr<Probe> mPanel, mFirst, mSecond, mOwn;
};

} // namespace

TEST_F(ControlToolTips, ChildrenThatShareTheirParentsToolTipKeepItShown)
{
    Move(5, 5);
    Move(35, 5); // the other child of the same owner: nothing changes
    EXPECT_EQ(mWindow->GetToolTipOwner(), mPanel);
    Move(65, 5); // a text of its own wins over the parent's
    EXPECT_EQ(mWindow->GetToolTipOwner(), mOwn);
    Move(90, 5);   // the panel itself
    Move(150, 80); // nothing with a tip
    EXPECT_FALSE(mWindow->GetToolTipOwner());
    EXPECT_EQ(TakeLog(), (Strings{"panel:tip shown", "panel:tip hidden", "own:tip shown", "own:tip hidden",
                                  "panel:tip shown", "panel:tip hidden"}));

    // Buttons, wheel steps and keys hide the tip of the owner; the owner stays.
    Move(5, 5);
    TakeLog();
    Press(kMouseButtonLeft, 5, 5);
    mWindow->OnMouseWheel({5, 5}, 0, kWheelVerticalNegative);
    mWindow->OnKey(LKeyParam::Create(KeyCode::FromCharacter(u'a', 0), 1));
    Release(kMouseButtonLeft, 5, 5);
    Strings tips;
    for (const std::string& line : TakeLog())
        if (line.find("tip") != std::string::npos)
            tips.push_back(line);
    EXPECT_EQ(tips, Strings(4, "panel:tip hidden")); // the release too
}

TEST(ControlMenus, ContextMenusFromStringTablePrefixes)
{
    struct Row
    {
        const char* name;
        LStringTable::TextMap texts;
        std::vector<Strings> menus; // "path=text"
    };
    const std::vector<Row> rows = {
        {"numbered menus in the order of their numbers",
         {{String(u"CONTEXT_MENU1.00.NID_B"), String(u"B")},
          {String(u"CONTEXT_MENU0.00.NID_MENU_FILE_ITEM_1"), String(u"Select Firmware File")},
          {String(u"CONTEXT_MENU0.01.NID_A"), String(u"A")},
          {String(u"OTHER.00.NID_C"), String(u"C")}},
         {{"00.NID_MENU_FILE_ITEM_1=Select Firmware File", "01.NID_A=A"}, {"00.NID_B=B"}}},
        {"the plain form wins over numbered ones",
         {{String(u"CONTEXT_MENU.00.NID_X"), String(u"X")},
          {String(u"CONTEXT_MENU2.00.NID_Y"), String(u"Y")}},
         {{"00.NID_X=X"}}},
        {"keys without a dot are no menus", {{String(u"CONTEXT_MENU"), String(u"Z")}}, {}},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        RCPtr<LControl> control(new LControl(nullptr, String(u"c"), LStringTable::Create(row.texts)));
        std::vector<std::vector<LStringTable::Entry>> menus;
        control->GetContextMenuEntries(menus);
        std::vector<Strings> got;
        for (const auto& menu : menus)
        {
            got.emplace_back();
            for (const LStringTable::Entry& entry : menu)
                got.back().push_back(Narrow(entry.first) + "=" + Narrow(entry.second));
        }
        EXPECT_EQ(got, row.menus);
    }
    std::vector<std::vector<LStringTable::Entry>> none;
    RCPtr<LControl>(new LControl(nullptr, String(u"bare")))->GetContextMenuEntries(none);
    EXPECT_TRUE(none.empty());
}

TEST(ControlMenus, MenuItemUpdaterDoesNotKeepItsControlAlive)
{
    bool released = false;
    struct Watched : LControl
    {
        Watched(bool* flag) : LControl(nullptr, String(u"watched")), mFlag(flag) {}
        ~Watched() override { *mFlag = true; }
        bool* mFlag;
    };
    RCPtr<LMenuItemUpdater> held;
    {
        RCPtr<LControl> control(new Watched(&released));
        held = control->GetMenuItemUpdater();
        EXPECT_EQ(control->GetMenuItemUpdater(), held); // made once
        EXPECT_EQ(held->GetControl(), control);
    }
    EXPECT_TRUE(released);
    EXPECT_FALSE(held->GetControl()); // a menu that still holds it finds no control
}
