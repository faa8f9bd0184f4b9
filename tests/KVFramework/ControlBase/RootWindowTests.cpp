#include "ControlBase/RootWindow.h"
#include "InputTestSupport.h"
#include "NotificationTestSupport.h"

#include <memory>

#include <gtest/gtest.h>

using namespace notiftest;

namespace {

const KeyCode kCtrlF5 = KeyCode::FromVirtualKey(0x74, true, 0, kModifierCtrl);
const KeyCode kF6 = KeyCode::FromVirtualKey(0x75, true, 0, 0);

RCPtr<LControl> MakeRootControl(const char16_t* name,
                                std::initializer_list<std::pair<const char16_t*, const char16_t*>> texts)
{
    RCPtr<LStringTable> table = LStringTable::Create();
    for (const auto& [key, text] : texts)
        table->SetString(String(key), String(text));
    return RCPtr<LControl>(new LControl(nullptr, String(name), table));
}

} // namespace

TEST(RootWindow, HotKeysOfTheRootControlArePostedIntoTheWindowsOwnQueue)
{
    std::vector<std::string> log;
    RCPtr<Recorder> client(new Recorder(&log, "command"));
    RCPtr<LRootWindow> window = LRootWindow::CreateInstance(nullptr);
    client->RegisterNotification(window, u"NID_MY_COMMAND");
    client->RegisterNotification(window, u"NID_OTHER_COMMAND");

    RCPtr<LControl> first = MakeRootControl(u"first", {{u"GHK.NID_MY_COMMAND", u"Ctrl+VKEY_F5"}});
    EXPECT_EQ(window->SetRootControl(first), S_OK);
    EXPECT_EQ(first->GetRootWindow(), window);

    EXPECT_EQ(window->GetHotKeyManager()->HandleKey(kCtrlF5), S_OK);
    EXPECT_TRUE(log.empty()); // posted, not sent inside the key handling
    EXPECT_FALSE(window->ProcessIdle(false));
    EXPECT_EQ(log, std::vector<std::string>{"command"});

    // A new root control brings its own keys; the old control's are gone.
    RCPtr<LControl> second = MakeRootControl(u"second", {{u"GHK.NID_OTHER_COMMAND", u"VKEY_F6"}});
    window->SetRootControl(second);
    EXPECT_FALSE(first->GetRootWindow());
    EXPECT_EQ(window->GetHotKeyManager()->HandleKey(kCtrlF5), S_FALSE);
    EXPECT_EQ(window->GetHotKeyManager()->HandleKey(kF6), S_OK);
    window->ProcessIdle(false);
    EXPECT_EQ(client->mLastId, InternNotificationId(u"NID_OTHER_COMMAND"));
}

TEST(RootWindow, LastOutsideReferenceEndsWindowAndTree)
{
    bool clientGone = false;
    RCPtr<Recorder> client(new Recorder(nullptr, "idle", &clientGone));
    RCPtr<LControl> root = MakeRootControl(u"root", {});
    RCPtr<LControl> child(new LControl(root, String(u"child")));
    {
        RCPtr<LRootWindow> window = LRootWindow::CreateInstance(nullptr);
        window->SetRootControl(root);
        window->SetFocusControl(child);
        client->RegisterNotification(window, u"NID_IDLE");
        window->ProcessIdle(true);
        EXPECT_EQ(client->mReceived, 1);
        EXPECT_EQ(child->GetRootWindow(), window); // reached through the topmost control
    }
    // The window's own references (its dispatcher, the root control's back reference)
    // did not keep it: its clients were detached and the tree let go of it.
    EXPECT_EQ(client->GetRegistrationCount(), 0);
    EXPECT_FALSE(root->GetRootWindow());
    EXPECT_EQ(root->GetRefCount(), 2);  // ours and the child's
    EXPECT_EQ(child->GetRefCount(), 2); // ours and the parent's list
}

namespace {

class RootWindowInput : public inputtest::InputFixture
{
};

} // namespace

TEST_F(RootWindowInput, CloseIsCarriedOutAtTheNextIdlePassOnly)
{
    mWindow->OnCloseCommand();
    EXPECT_TRUE(mOS.mEndModalResults.empty());
    mWindow->ProcessIdle(false);
    mWindow->ProcessIdle(false);
    EXPECT_EQ(mOS.mEndModalResults, std::vector<int32_t>{0});
    EXPECT_EQ(mWindow->RequestClose(5), S_OK);
    mWindow->ProcessIdle(true);
    EXPECT_EQ(mOS.mEndModalResults, (std::vector<int32_t>{0, 5}));

    RCPtr<LRootWindow> detached = LRootWindow::CreateInstance(nullptr);
    EXPECT_EQ(detached->RequestClose(1), E_FAIL);
    detached->OnCloseCommand();
    EXPECT_FALSE(detached->IsCloseRequested());
}

TEST_F(RootWindowInput, FocusLeavesWithTheWindowAndComesBackOnActivation)
{
    RCPtr<inputtest::Probe> first = Add(mRoot, u"first", {0, 0, 10, 10});
    RCPtr<inputtest::Probe> second = Add(mRoot, u"second", {20, 0, 10, 10});
    second->SetFocus(true);
    mWindow->OnFocusLost();
    EXPECT_FALSE(mWindow->GetFocusControl());
    EXPECT_FALSE(second->HasFocus());
    EXPECT_FALSE(mRoot->ContainsFocus());
    EXPECT_EQ(mWindow->GetSavedFocusControl(), second);
    mWindow->OnActivate();
    EXPECT_EQ(mWindow->GetFocusControl(), second);
    EXPECT_TRUE(mRoot->ContainsFocus());

    // A saved control that has left the window does not come back.
    mWindow->OnFocusLost();
    second->RemoveFromTree();
    mWindow->OnActivate();
    EXPECT_EQ(mWindow->GetFocusControl(), first);

    // Keys go to the focus control, and nowhere without one.
    mWindow->OnKey(LKeyParam::Create(KeyCode::FromCharacter(u'x', 0), 1));
    first->mLogKeys = true;
    mWindow->OnKey(LKeyParam::Create(KeyCode::FromCharacter(u'x', 0), 1));
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"first:key"});
}

TEST_F(RootWindowInput, AControlLeavingTheTreeIsNotKeptToComeBackTo)
{
    struct Row
    {
        const char* name;
        bool windowActive; // false: the window lost the focus before the removal
        bool removeParent; // the saved control's parent leaves, with it
    };
    const Row rows[] = {
        {"the focused control", true, false},
        {"the saved control of an inactive window", false, false},
        {"the parent of the saved control", false, true},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        RCPtr<inputtest::Probe> first = Add(mRoot, u"first", {0, 0, 10, 10});
        RCPtr<inputtest::Probe> group = Add(mRoot, u"group", {20, 0, 30, 30});
        RCPtr<inputtest::Probe> leaving = Add(group, u"leaving", {0, 0, 10, 10});
        leaving->SetFocus(true);
        ASSERT_EQ(mWindow->GetFocusControl(), leaving);
        if (!row.windowActive)
            mWindow->OnFocusLost();
        (row.removeParent ? RCPtr<LControl>(group) : RCPtr<LControl>(leaving))->RemoveFromTree();

        EXPECT_FALSE(mWindow->GetSavedFocusControl());
        EXPECT_EQ(leaving->GetRefCount(), row.removeParent ? 2 : 1); // ours, and the group's list
        // Activation gives the focus to a control still in the window.
        mWindow->OnFocusLost();
        mWindow->OnActivate();
        ASSERT_TRUE(mWindow->GetFocusControl());
        EXPECT_EQ(mWindow->GetFocusControl()->GetRootWindow(), mWindow);
        first->RemoveFromTree();
        group->RemoveFromTree();
    }
}

TEST_F(RootWindowInput, InvalidationIsCutToTheClientAreaAndCollectedOnce)
{
    mWindow->CollectInvalidRegion(
        *std::make_unique<RectRegion>()); // what setting the root control invalidated
    mOS.mInvalidated.clear();
    mWindow->InvalidateRect({190, 90, 30, 30});
    mWindow->InvalidateRect({300, 0, 10, 10}); // outside: nothing
    EXPECT_EQ(mOS.mInvalidated, (std::vector<RectT<int32_t>>{{190, 90, 10, 10}}));
    RectRegion region;
    mWindow->CollectInvalidRegion(region);
    RegionRect bounds;
    ASSERT_TRUE(region.GetBounds(bounds));
    EXPECT_EQ(bounds, (RegionRect{190, 90, 200, 100}));
    EXPECT_TRUE(mWindow->GetInvalidRegion().IsEmpty());

    // After a size change the whole window is painted.
    mOS.mClientSize = {300, 150};
    mWindow->SetSizeChanged();
    mWindow->CollectInvalidRegion(region);
    ASSERT_TRUE(region.GetBounds(bounds));
    EXPECT_EQ(bounds, (RegionRect{0, 0, 300, 150}));
    mWindow->CollectInvalidRegion(region);
    EXPECT_TRUE(region.IsEmpty());
}

TEST_F(RootWindowInput, SizingKeepsAtLeastOnePixelAndTheRootControlsLimits)
{
    struct Row
    {
        SizeT<int32_t> request;
        SizeT<int32_t> result;
        KVRESULT changed;
    };
    LLayoutDescriptor& layout = *mRoot->GetLayout();
    for (const Row& row : {Row{{0, 0}, {1, 1}, S_FALSE}, Row{{80, 60}, {80, 60}, S_OK}})
    {
        SizeT<int32_t> size = row.request;
        EXPECT_EQ(mWindow->OnSizing(size), row.changed);
        EXPECT_EQ(size, row.result);
    }
    layout.mXMinSize.mAbs = 50;
    layout.mYMaxSize.mAbs = 70;
    for (const Row& row :
         {Row{{20, 30}, {50, 30}, S_FALSE}, Row{{60, 300}, {60, 70}, S_FALSE}, Row{{60, 40}, {60, 40}, S_OK}})
    {
        SizeT<int32_t> size = row.request;
        EXPECT_EQ(mWindow->OnSizing(size), row.changed);
        EXPECT_EQ(size, row.result);
    }
    RCPtr<LRootWindow> empty = LRootWindow::CreateInstance(&mOS);
    SizeT<int32_t> size{10, 10};
    EXPECT_EQ(empty->OnSizing(size), E_FAIL);
}

TEST_F(RootWindowInput, NewRootControlFillsTheWindowAndTakesTheFocusWhenTheWindowHasIt)
{
    RCPtr<inputtest::Probe> field = Add(mRoot, u"field", {0, 0, 10, 10});
    mOS.mHasFocus = false;
    const int askedBefore = mOS.mSetFocusCount;
    mWindow->SetRootControl(RCPtr<LControl>(mRoot)); // the same control again
    EXPECT_TRUE(mRoot->GetLayout()->mIsVisible);
    EXPECT_EQ(mRoot->GetRootWindow(), mWindow);
    EXPECT_FALSE(mWindow->GetFocusControl());
    EXPECT_EQ(mOS.mSetFocusCount, askedBefore + 1); // the window asks for it; activation follows

    mOS.mHasFocus = true;
    mWindow->SetRootControl(RCPtr<LControl>(mRoot));
    EXPECT_EQ(mWindow->GetFocusControl(), field);
    const LLayoutDescriptor& layout = *mRoot->GetLayout();
    EXPECT_EQ(layout.mXSize.mReference, SizeReference::Client);
    EXPECT_EQ(layout.mYSize.mRel, 1.0f);
    EXPECT_EQ(layout.mXPosition.mReference, PositionReference::Client);
}
