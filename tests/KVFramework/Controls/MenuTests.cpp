#include "Controls/MainMenu.h"

#include "MenuTestSupport.h"

using namespace controltest;

namespace {

constexpr uint32_t kDown = 0x20280000;
constexpr uint32_t kLeft = 0x20250000;
constexpr uint32_t kRight = 0x20270000;
constexpr uint32_t kEscape = 0x201B0000;

// Answers for the items of the menus it owns: "NID_EXIT" disabled, "NID_OPEN" checked.
class Owner : public LPanel
{
public:
    using LPanel::LPanel;
    KVRESULT GetMenuItemState(const RCPtr<LMenuDescriptor>&, int32_t, const String& id,
                              LMenuItemInfo& info) override
    {
        ++mQuestions;
        if (id == u"NID_EXIT")
            info.enabled = false;
        else if (id == u"NID_OPEN")
            info.checked = true;
        else
            return S_FALSE;
        return S_OK;
    }
    int mQuestions = 0;
};

class Menus : public ControlHarness
{
public:
    // A bar 200 x 20 at the top of the window whose entries are 50 wide; their menus open
    // below them.
    RCPtr<LMainMenu> NewBar()
    {
        RCPtr<LControlDescriptor> bar =
            Describe(u"Framework.MainMenu", u"menuBar", 0, 0, 200, 20, ColourLooks(1));
        RCPtr<LControlDescriptor> entry =
            Describe(u"Framework.ComboMenu", u"templateMenu", 0, 0, 50, 20, ColourLooks(4));
        entry->AddChild(PopupDescriptor(u"popupMenu", 20));
        bar->AddChild(entry);
        return Create<LMainMenu>(bar, RCPtr<LControl>(mRoot));
    }
    // A context menu of the owner, shown at the pointer.
    RCPtr<LPopupMenu> NewContextMenu(const RCPtr<LControl>& owner, const RCPtr<LMenuDescriptor>& menu)
    {
        RCPtr<LPopupMenu> popup = Create<LPopupMenu>(PopupDescriptor(u"contextMenu", 0), owner);
        popup->SetMenuDescriptor(menu);
        popup->ShowAtPointer();
        return popup;
    }
    static std::vector<std::string> Texts(LMainMenu& bar)
    {
        std::vector<std::string> texts;
        for (int32_t index = 0; index < bar.GetMenuCount(); ++index)
            texts.push_back(Narrow(bar.GetMenuControl(index)->GetText().GetText()) + "@" +
                            std::to_string(static_cast<int>(bar.GetMenuControl(index)->GetRect().x)));
        return texts;
    }
    void Click(int32_t x, int32_t y)
    {
        Move(x, y);
        Press(x, y);
        Release(x, y);
    }

    RCPtr<LButton> mOther = Make<LButton>(RCPtr<LControl>(mRoot), u"other", 150, 80, 40, 20, ColourLooks(14));
};

TEST_F(Menus, EntriesAreAddedAndInsertedByPositionAndNamesAreNeverShared)
{
    RCPtr<LMainMenu> bar = NewBar();
    EXPECT_EQ(bar->GetMenuCount(), 0); // the template left the tree
    EXPECT_EQ(bar->AddMenu(0, String(u"File"), String(u"File"), OneItemMenu(u"NID_FILE")), 0);
    EXPECT_EQ(bar->AddMenu(1, String(u"Edit"), String(u"Edit"), OneItemMenu(u"NID_EDIT")), 1);
    EXPECT_EQ(bar->InsertMenu(String(u"Edit"), String(u"New"), String(u"New"), OneItemMenu(u"NID_NEW")), 1);
    const std::vector<std::string> expected = {"File@0", "New@50", "Edit@100"};
    EXPECT_EQ(Texts(*bar), expected);
    EXPECT_EQ(bar->GetMenuControl(1)->GetName(), String(u"New"));
    EXPECT_EQ(bar->GetMenuControl(2)->GetName(), String(u"Edit"));
    EXPECT_EQ(bar->GetEntryMenu(2)->GetItem(0)->GetName(), String(u"NID_EDIT"));
    EXPECT_EQ(bar->GetEntryMenu(1)->GetItem(0)->GetName(), String(u"NID_NEW"));

    EXPECT_EQ(bar->InsertMenu(String(), String(u"File"), String(u"Again"), OneItemMenu(u"NID_A")),
              E_INVALIDARG);
    EXPECT_EQ(bar->InsertMenu(String(u"Help"), String(u"Help"), String(u"Help"), OneItemMenu(u"NID_A")),
              E_INVALIDARG);
    EXPECT_EQ(bar->AddMenu(4, String(u"Late"), String(u"Late"), OneItemMenu(u"NID_A")), E_INVALIDARG);
    EXPECT_EQ(Texts(*bar), expected);
    EXPECT_EQ(bar->FindMenu(String(u"Edit")), 2);
}

TEST_F(Menus, APressTogglesAnEntrysMenuAndTheFocusLeavingClosesIt)
{
    RCPtr<LMainMenu> bar = NewBar();
    bar->AddMenu(0, String(u"File"), String(u"File"), FileMenu());
    const RCPtr<LComboMenu> entry = bar->GetMenuControl(0);
    for (bool open : {true, false, true})
    {
        Click(10, 10);
        EXPECT_EQ(entry->IsDropDownOpen(), open);
        EXPECT_EQ(entry->GetShownLookIndex(), open ? LComboMenu::kLookOpen : LComboMenu::kLookHover);
    }
    mOther->SetFocus(true);
    EXPECT_FALSE(entry->IsDropDownOpen());
}

TEST_F(Menus, DraggingFromAnEntryToAnItemPostsTheItemsNotificationForTheNextIdlePass)
{
    RCPtr<LMainMenu> bar = NewBar();
    bar->AddMenu(0, String(u"File"), String(u"File"), FileMenu());
    mRecorder->Listen(RCPtr<LNotificationDistributor>(mWindow), u"NID_OPEN");
    Move(10, 10);
    Press(10, 10);
    Move(20, 25);
    Move(20, 30); // over "Open", the first row, in the popup below the entry
    Release(20, 30);
    EXPECT_FALSE(bar->GetMenuControl(0)->IsDropDownOpen());
    EXPECT_TRUE(TakeLog().empty()) << "handled only at idle";
    Idle();
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"NID_OPEN"});
}

TEST_F(Menus, ASubmenuOpensWhenThePointerRestedOnItsEntryLongerThanTheDelay)
{
    RCPtr<LMainMenu> bar = NewBar();
    bar->AddMenu(0, String(u"File"), String(u"File"), FileMenu());
    Click(10, 10);
    const RCPtr<LPopupMenu> popup = bar->GetMenuControl(0)->GetPopupMenu();
    Move(20, 50); // "Tools"
    Idle(250);
    EXPECT_FALSE(popup->GetOpenSubmenu());
    Idle(1);
    ASSERT_TRUE(popup->GetOpenSubmenu());
    EXPECT_EQ(popup->GetOpenSubmenu()->GetItemText(1), String(u"Y"));
    Move(20, 30); // back to a leaf: the submenu closes after the same delay
    Idle(250);
    EXPECT_TRUE(popup->GetOpenSubmenu());
    Idle(1);
    EXPECT_FALSE(popup->GetOpenSubmenu());
}

TEST_F(Menus, RightOpensASubmenuLeftClosesItAndEscapeClosesTheChain)
{
    mOS.mCursorPos = {10, 10};
    RCPtr<LPopupMenu> popup = NewContextMenu(RCPtr<LControl>(mRoot), FileMenu());
    Key(kDown);
    Key(kDown);
    EXPECT_EQ(popup->GetCaret(), 1);
    Key(kRight);
    ASSERT_TRUE(popup->GetOpenSubmenu());
    const RCPtr<LPopupMenu> submenu = popup->GetOpenSubmenu();
    EXPECT_EQ(submenu->GetCaret(), 0);
    Key(kRight); // on a leaf: nothing
    EXPECT_FALSE(submenu->GetOpenSubmenu());
    EXPECT_TRUE(popup->GetOpenSubmenu());
    Key(kLeft);
    EXPECT_FALSE(popup->GetOpenSubmenu());
    EXPECT_FALSE(popup->IsClosed());
    Key(kRight);
    ASSERT_TRUE(popup->GetOpenSubmenu());
    Key(kEscape);
    EXPECT_TRUE(popup->IsClosed());
    Idle();
    EXPECT_FALSE(mRoot->FindChild(String(u"contextMenu")));
}

TEST_F(Menus, MovingAlongAnOpenMenuBarSwitchesMenus)
{
    RCPtr<LMainMenu> bar = NewBar();
    bar->AddMenu(0, String(u"File"), String(u"File"), FileMenu());
    bar->AddMenu(1, String(u"Edit"), String(u"Edit"), OneItemMenu(u"Undo"));
    const RCPtr<LComboMenu> file = bar->GetMenuControl(0);
    const RCPtr<LComboMenu> edit = bar->GetMenuControl(1);
    Move(60, 10); // over "Edit" with no menu open: nothing opens
    EXPECT_FALSE(edit->IsDropDownOpen());
    Click(10, 10);
    ASSERT_TRUE(file->IsDropDownOpen());
    for (const auto& [x, fileOpen] : {std::pair{60, false}, std::pair{10, true}, std::pair{60, false}})
    {
        Move(x, 10);
        EXPECT_EQ(file->IsDropDownOpen(), fileOpen) << x;
        EXPECT_EQ(edit->IsDropDownOpen(), !fileOpen) << x;
    }
}

TEST_F(Menus, ASubmenuOpensToTheLeftWhenThereIsNoRoomOnTheRight)
{
    mOS.mClientSize = {300, 100};
    // A popup 120 wide at the pointer; its submenu, as wide, goes right of it when it fits.
    const struct
    {
        int32_t pointerX;
        double submenuX;
    } cases[] = {{10, 130}, {170, 50}};
    for (const auto& c : cases)
    {
        mOS.mCursorPos = {c.pointerX, 10};
        RCPtr<LPopupMenu> popup = NewContextMenu(RCPtr<LControl>(mRoot), FileMenu());
        ASSERT_EQ(popup->GetRootPosition().x, c.pointerX);
        Key(kDown);
        Key(kDown); // "Tools"
        Key(kRight);
        ASSERT_TRUE(popup->GetOpenSubmenu()) << c.pointerX;
        EXPECT_EQ(popup->GetOpenSubmenu()->GetRootPosition().x, c.submenuX) << c.pointerX;
        Key(kEscape);
        Idle();
    }
}

TEST_F(Menus, ItemsShowTheirKeysAndTheStateTheirOwnerGives)
{
    RCPtr<Owner> owner = Make<Owner>(RCPtr<LControl>(mRoot), u"owner", 0, 0, 200, 100, ColourLooks(1));
    KeyCode ctrlO;
    ctrlO.mCode = KeyCode::kCtrl | KeyCode::kPressed | (0x4Fu << KeyCode::kVirtualKeyShift);
    owner->GetLocalHotKeys().AddKeyCode(ctrlO, u"NID_OPEN");
    RCPtr<LMenuDescriptor> menu = FileMenu();
    menu->GetItem(3)->SetHotKeyLabel(String(u"F9"));
    mOS.mCursorPos = {0, 0};
    RCPtr<LPopupMenu> popup = NewContextMenu(RCPtr<LControl>(owner), menu);
    const RCPtr<LMenuDescriptor>& shown = popup->GetMenuDescriptor();
    EXPECT_EQ(shown->GetItem(0)->GetHotKeyLabel(), ctrlO.ToDisplayString());
    EXPECT_FALSE(shown->GetItem(0)->GetHotKeyLabel().IsEmpty());
    EXPECT_TRUE(shown->GetItem(1)->GetItem(0)->GetHotKeyLabel().IsEmpty()) << "bound nowhere";
    EXPECT_EQ(shown->GetItem(3)->GetHotKeyLabel(), String(u"F9")) << "a label set before stays";
    EXPECT_TRUE(menu->GetItem(0)->GetHotKeyLabel().IsEmpty()) << "the caller's menu is not changed";
    const RCPtr<LListBoxItem> firstRow = popup->GetItemControl(0);
    EXPECT_EQ(firstRow->FindChild(String(u"hotKeyLabel"))->GetText(), ctrlO.ToDisplayString());

    // Shown: the owner was asked about each leaf.
    EXPECT_GT(owner->mQuestions, 0);
    EXPECT_FALSE(shown->GetItem(3)->IsEnabled());
    EXPECT_FALSE(popup->GetItemControl(3)->IsEnabled(false));
    EXPECT_TRUE(popup->IsItemChecked(0));
    EXPECT_FALSE(popup->IsItemSelectable(2)) << "a separator";
    EXPECT_FALSE(popup->IsItemSelectable(3)) << "disabled";
    LMenuItemInfo same;
    shown->GetItemInfo(0, same);
    EXPECT_EQ(popup->ApplyItemInfo(0, same), S_FALSE);
}

} // namespace
