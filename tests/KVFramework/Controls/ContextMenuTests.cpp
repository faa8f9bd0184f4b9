#include "Controls/MenuDescriptor.h"
#include "Controls/PopupMenu.h"
#include "Controls/TextBox.h"

#include "MenuTestSupport.h"

#include <functional>

using namespace controltest;

namespace {

constexpr uint32_t kEscape = 0x201B0000;

// Keeps the commands handed to it without a sender, says "NID_EXIT" is disabled, and
// notes what its popup looked like when the hook saw it.
class Owner : public LPanel
{
public:
    using LPanel::LPanel;
    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender, const RCPtr<LNotification>& n) override
    {
        if (!sender && n)
            mCommands.push_back(Narrow(n->GetId()));
        return LPanel::Receive(sender, n);
    }
    KVRESULT GetMenuItemState(const RCPtr<LMenuDescriptor>&, int32_t, const String& id,
                              LMenuItemInfo& info) override
    {
        if (id != u"NID_EXIT")
            return S_FALSE;
        info.enabled = false;
        return S_OK;
    }
    void OnContextMenu(const RCPtr<LPopupMenu>& popup) override
    {
        mHooked = popup;
        mHiddenInHook = !popup->GetLayout()->mIsVisible;
        mItemsInHook = popup->GetItemCount();
    }
    std::vector<std::string> mCommands;
    RCPtr<LPopupMenu> mHooked;
    bool mHiddenInHook = false;
    int32_t mItemsInHook = 0;
};

class ContextMenu : public ControlHarness
{
public:
    ContextMenu() { AddSkinControl(PopupDescriptor(u"contextMenu", 0)); }

    RCPtr<LPopupMenu> PopupOf(const RCPtr<LControl>& owner)
    {
        return RCPtr<LPopupMenu>::DynamicCastFrom(owner->FindChild(String(u"contextMenu")));
    }
    // A left click in the middle of a row of the popup.
    void ChooseRow(const RCPtr<LPopupMenu>& popup, int32_t row)
    {
        const PointT<double> at = popup->GetItemControl(row)->GetRootPosition();
        const int32_t x = static_cast<int32_t>(at.x) + 30;
        const int32_t y = static_cast<int32_t>(at.y) + 10;
        Move(x, y);
        Press(x, y);
        Release(x, y);
    }

    // A focusable text box at (10, 10), 100 x 20, with the framework's edit texts in place.
    RCPtr<LTextBox> MakeTextBoxWithEditMenu()
    {
        for (const auto& [key, text] :
             {std::pair{u"EDIT_CUT", u"Cut"}, std::pair{u"EDIT_COPY", u"Copy"},
              std::pair{u"EDIT_PASTE", u"Paste"}, std::pair{u"EDIT_DELETE", u"Delete"}})
            mApp->GetFrameworkStringTable()->SetString(String(key), String(text));
        std::vector<RCPtr<LLookDescriptor>> looks;
        for (uint32_t i = 0; i < 12; ++i)
            looks.push_back(TextLook(0xFF000000u | i));
        const RCPtr<LTextBox> box = Make<LTextBox>(RCPtr<LControl>(mRoot), u"box", 10, 10, 100, 20, looks);
        box->SetNotFocusable(false);
        return box;
    }

    RCPtr<Owner> mOwner = Make<Owner>(RCPtr<LControl>(mRoot), u"owner", 0, 0, 200, 100, ColourLooks(1));
};

TEST_F(ContextMenu, ItsCommandsNamedLikeHotKeysActAsThoseKeysUntilTheMenuIsReplaced)
{
    const KeyCode f6 = KeyCode::FromVirtualKey(0x75, true, 0, 0);
    mWindow->GetHotKeyManager()->GetKeyCodeTable().AddKeyCode(f6, u"NID_WINDOW_CMD");
    mApp->GetHotKeyManager()->GetKeyCodeTable().AddKeyCode(f6, u"NID_APP_CMD");
    mRecorder->Listen(RCPtr<LNotificationDistributor>(mWindow), u"NID_WINDOW_CMD");
    mRecorder->Listen(RCPtr<LNotificationDistributor>(mApp->GetDefaultCenter()), u"NID_APP_CMD");

    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    menu->AddItem(0, String(u"Window"), String(u"NID_WINDOW_CMD"), true, false);
    menu->AddItem(1, String(u"Plain"), String(u"NID_PLAIN"), true, false);
    RCPtr<LMenuItemDescriptor> submenu = LMenuItemDescriptor::Create(String(u"More"), String(), true, false);
    submenu->AddItem(0, String(u"Application"), String(u"NID_APP_CMD"), true, false);
    menu->InsertItem(2, submenu);

    RCPtr<LControl> control = Make<LControl>(RCPtr<LControl>(mRoot), u"control", 0, 0, 20, 20);
    const auto choose = [&](const char16_t* id) {
        DeliverNotification(RCPtr<LNotificationReceiver>(control), id, nullptr);
        EXPECT_TRUE(TakeLog().empty()); // posted, as the key's notification would be
        mApp->ProcessNotificationQueues(false);
        return TakeLog();
    };

    EXPECT_EQ(control->SetContextMenu(menu), S_OK);
    EXPECT_EQ(control->GetContextMenu(), menu);
    EXPECT_EQ(choose(u"NID_WINDOW_CMD"), std::vector<std::string>{"NID_WINDOW_CMD"});
    EXPECT_EQ(choose(u"NID_APP_CMD"), std::vector<std::string>{"NID_APP_CMD"}); // from the submenu
    EXPECT_TRUE(choose(u"NID_PLAIN").empty());

    control->SetContextMenu(nullptr);
    EXPECT_FALSE(control->GetContextMenu());
    EXPECT_TRUE(choose(u"NID_WINDOW_CMD").empty());
    EXPECT_TRUE(choose(u"NID_APP_CMD").empty());
}

TEST_F(ContextMenu, ARightClickShowsTheMenuAtThePointerAndTheChosenCommandGoesToTheOwner)
{
    mOwner->SetContextMenu(FileMenu());
    mRecorder->Listen(RCPtr<LNotificationDistributor>(mOwner), u"NID_RIGHT_CLICK");
    RightClick(30, 20);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"owner NID_RIGHT_CLICK"});

    const RCPtr<LPopupMenu> popup = PopupOf(RCPtr<LControl>(mOwner));
    ASSERT_TRUE(popup);
    EXPECT_EQ(mOwner->mHooked, popup);
    EXPECT_TRUE(mOwner->mHiddenInHook) << "the hook runs before the popup shows";
    EXPECT_EQ(mOwner->mItemsInHook, 4);
    EXPECT_TRUE(popup->GetLayout()->mIsVisible);
    EXPECT_TRUE(popup->HasFocus());
    EXPECT_EQ(popup->GetRootPosition(), (PointT<double>{30, 20}));
    EXPECT_EQ(popup->GetItemText(0), String(u"Open"));
    EXPECT_EQ(popup->GetItemText(1), String(u"Tools"));
    EXPECT_TRUE(popup->IsItemSelectable(0));
    EXPECT_FALSE(popup->IsItemSelectable(2)) << "a separator";
    EXPECT_FALSE(popup->IsItemSelectable(3)) << "the owner disabled it";
    EXPECT_FALSE(popup->GetItemControl(3)->IsEnabled(false));
    EXPECT_TRUE(popup->GetMenuDescriptor() != mOwner->GetContextMenu()) << "a copy is shown";

    ChooseRow(popup, 0);
    EXPECT_EQ(mOwner->mCommands, std::vector<std::string>{"NID_OPEN"});
    EXPECT_TRUE(popup->IsClosed());
    Idle();
    EXPECT_FALSE(PopupOf(RCPtr<LControl>(mOwner)));
    EXPECT_FALSE(popup->GetParent());

    // A disabled row chooses nothing and leaves the menu open.
    RightClick(30, 20);
    const RCPtr<LPopupMenu> again = PopupOf(RCPtr<LControl>(mOwner));
    ASSERT_TRUE(again);
    ChooseRow(again, 3);
    EXPECT_EQ(mOwner->mCommands, std::vector<std::string>{"NID_OPEN"});
    EXPECT_FALSE(again->IsClosed());
}

// However the menu before it went or is going, the new one takes its place in the tree:
// shown, focused, where the pointer is, and the old one is gone.
TEST_F(ContextMenu, ANewMenuReplacesOneStillShownOrWaitingToLeave)
{
    struct Case
    {
        const char* name;
        std::function<void(ContextMenu&)> showAgain;
    };
    const std::vector<Case> cases = {
        {"a second right click elsewhere", [](ContextMenu& t) { t.RightClick(150, 60); }},
        {"a second right click with the focus left to the menu",
         [](ContextMenu& t) {
             // The owner cannot take the focus from the menu: the old one is still shown.
             t.mOwner->SetNotFocusable(true);
             t.RightClick(150, 60);
         }},
        {"shown again by the program",
         [](ContextMenu& t) {
             t.mOS.mCursorPos = {150, 60};
             t.mOwner->ShowContextMenu(t.mOwner->GetContextMenu());
         }},
        {"a right click after the old one closed, before the idle pass",
         [](ContextMenu& t) {
             t.PopupOf(RCPtr<LControl>(t.mOwner))->CloseMenu();
             t.RightClick(150, 60);
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        mOwner->SetNotFocusable(false);
        mOwner->SetContextMenu(OneItemMenu(u"NID_A"));
        RightClick(10, 10);
        const RCPtr<LPopupMenu> first = PopupOf(RCPtr<LControl>(mOwner));
        ASSERT_TRUE(first);
        mOwner->SetContextMenu(OneItemMenu(u"NID_B"));

        c.showAgain(*this);
        const RCPtr<LPopupMenu> second = PopupOf(RCPtr<LControl>(mOwner));
        ASSERT_TRUE(second);
        EXPECT_NE(second, first);
        EXPECT_TRUE(first->IsClosed());
        EXPECT_FALSE(first->GetParent());
        EXPECT_EQ(second->GetRootWindow(), mWindow);
        EXPECT_EQ(mOwner->GetChildren().GetCount(), 1u);
        EXPECT_TRUE(second->GetLayout()->mIsVisible);
        EXPECT_TRUE(second->HasFocus());
        EXPECT_EQ(second->GetRootPosition(), (PointT<double>{80, 60})) << "moved left to fit";
        EXPECT_EQ(second->GetItemText(0), String(u"NID_B"));

        Key(kEscape);
        Idle();
        EXPECT_EQ(mOwner->GetChildren().GetCount(), 0u);
    }
}

TEST_F(ContextMenu, NothingIsShownWithoutAMenuOrBesideAControlOfThatName)
{
    // Without a menu: the click is told, nothing is shown.
    mRecorder->Listen(RCPtr<LNotificationDistributor>(mOwner), u"NID_RIGHT_CLICK");
    RightClick(30, 20);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"owner NID_RIGHT_CLICK"});
    EXPECT_EQ(mOwner->GetChildren().GetCount(), 0u);

    // The owner's own control of that name stays as it is.
    mOwner->SetContextMenu(FileMenu());
    const RCPtr<LPanel> own = Make<LPanel>(RCPtr<LControl>(mOwner), u"contextMenu", 150, 80, 10, 10);
    RightClick(30, 20);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"owner NID_RIGHT_CLICK"});
    EXPECT_EQ(mOwner->FindChild(String(u"contextMenu")), own);
    EXPECT_EQ(mOwner->GetChildren().GetCount(), 1u);
    EXPECT_TRUE(own->GetLayout()->mIsVisible);
    EXPECT_FALSE(mOwner->mHooked);
    own->RemoveFromTree();

    // A skin whose "contextMenu" is no popup shows nothing and leaves nothing behind.
    AddSkinControl(Describe(u"Framework.Panel", u"contextMenu", 0, 0, 50, 50, ColourLooks(1)));
    RightClick(30, 20);
    EXPECT_EQ(mOwner->GetChildren().GetCount(), 0u);
    EXPECT_FALSE(mOwner->mHooked);
}

// The text box's edit menu, shown by a right click in the box, with the states of its
// rows as the selection and the clipboard make them.
TEST_F(ContextMenu, TheTextBoxShowsItsEditMenuWithTheRowsTheClipboardAllows)
{
    const RCPtr<LTextBox> box = MakeTextBoxWithEditMenu();
    box->SetText(String(u"abc"));

    struct Case
    {
        const char* name;
        bool select;
        const char* clipboard;     // null: empty
        std::vector<bool> enabled; // Cut, Copy, Paste, Delete
    };
    const std::vector<Case> cases = {
        {"nothing selected, nothing to paste", false, nullptr, {false, false, false, false}},
        {"a selection", true, nullptr, {true, true, false, true}},
        {"text to paste", false, "x", {false, false, true, false}},
        {"both", true, "x", {true, true, true, true}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        if (c.clipboard)
            mClipboard->SetOutsideText(c.clipboard);
        else
            mClipboard->ClearOutside();
        box->SetFocus(true);
        box->SelectChars(c.select ? 0 : -1, 1);
        RightClick(20, 15);

        const RCPtr<LPopupMenu> popup = PopupOf(RCPtr<LControl>(box));
        ASSERT_TRUE(popup);
        EXPECT_EQ(popup->GetRootPosition(), (PointT<double>{20, 15}));
        ASSERT_EQ(popup->GetItemCount(), 4);
        const char16_t* const texts[] = {u"Cut", u"Copy", u"Paste", u"Delete"};
        for (int32_t row = 0; row < 4; ++row)
        {
            EXPECT_EQ(popup->GetItemText(row), String(texts[row]));
            EXPECT_EQ(popup->IsItemSelectable(row), c.enabled[static_cast<size_t>(row)]) << row;
        }
        Key(kEscape);
        Idle();
    }
}

// A row chosen in the text box's edit menu edits the box: the commands are the box's own,
// named in no hot-key table.
TEST_F(ContextMenu, TheTextBoxCarriesOutTheEditRowChosen)
{
    const RCPtr<LTextBox> box = MakeTextBoxWithEditMenu();

    struct Case
    {
        const char* name;
        int32_t row; // Cut, Copy, Paste, Delete
        const char* text;
        const char* clipboard;
    };
    // "abc" with "a" selected, "x" on the clipboard.
    const std::vector<Case> cases = {
        {"cut", 0, "bc", "a"},
        {"copy", 1, "abc", "a"},
        {"paste", 2, "xbc", "x"},
        {"delete", 3, "bc", "x"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        box->SetText(String(u"abc"));
        mClipboard->SetOutsideText("x");
        box->SetFocus(true);
        box->SelectChars(0, 0);
        RightClick(20, 15);
        const RCPtr<LPopupMenu> popup = PopupOf(RCPtr<LControl>(box));
        ASSERT_TRUE(popup);
        ChooseRow(popup, c.row);
        Idle();
        EXPECT_EQ(Narrow(box->GetText().GetText()), c.text);
        EXPECT_EQ(mClipboard->GetSystemText(), std::optional<std::string>(c.clipboard));
    }
}

} // namespace
