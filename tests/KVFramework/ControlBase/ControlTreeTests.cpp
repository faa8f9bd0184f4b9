#include "ControlBase/Control.h"
#include "ControlBase/ControlDescriptor.h"
#include "ControlBase/RootWindow.h"
#include "ObjectBase/Exception.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace KV;

namespace {

int gLiveControls = 0;

class CountedControl : public LControl
{
public:
    CountedControl(const RCPtr<LControl>& parent, const char16_t* name) : LControl(parent, String(name))
    {
        ++gLiveControls;
    }

protected:
    ~CountedControl() override { --gLiveControls; }
};

RCPtr<LControl> Make(const RCPtr<LControl>& parent, const char16_t* name)
{
    return RCPtr<LControl>(new CountedControl(parent, name));
}

std::vector<String> Names(LControl& parent, int order)
{
    std::vector<String> names;
    for (uint32_t index = 0; index < parent.GetChildren().GetCount(); ++index)
        names.push_back(parent.GetChildren().GetAt(index, order)->GetName());
    return names;
}

int32_t Recount(LControl& control)
{
    int32_t count = 0;
    for (uint32_t index = 0; index < control.GetChildren().GetCount(); ++index)
    {
        LControl& child = *control.GetChildren().GetAt(index, LControl::kInsertionOrder);
        count += Recount(child) + (child.GetLayout()->mClipToParent ? 0 : 1);
    }
    return count;
}

void ExpectCountsMatch(LControl& control)
{
    EXPECT_EQ(control.GetUnclippedCount(), Recount(control));
    for (uint32_t index = 0; index < control.GetChildren().GetCount(); ++index)
        ExpectCountsMatch(*control.GetChildren().GetAt(index, LControl::kInsertionOrder));
}

} // namespace

TEST(ControlTree, NameClashIsRefusedAndTheControlStaysWhereItWas)
{
    RCPtr<LControl> root = Make(nullptr, u"root");
    RCPtr<LControl> left = Make(root, u"left");
    RCPtr<LControl> right = Make(root, u"right");
    RCPtr<LControl> inLeft = Make(left, u"item");
    RCPtr<LControl> inRight = Make(right, u"item");

    EXPECT_EQ(inLeft->SetParent(right), E_FAIL);
    EXPECT_EQ(inLeft->GetParent(), left);
    EXPECT_EQ(left->FindChild(String(u"item")), inLeft);
    EXPECT_EQ(right->GetChildren().GetCount(), 1u);

    // A second child of the same name made under the parent is not taken in.
    RCPtr<LControl> twin = Make(root, u"left");
    EXPECT_FALSE(twin->GetParent());
    EXPECT_EQ(root->GetChildren().GetCount(), 2u);

    EXPECT_EQ(inLeft->SetParent(left), S_FALSE);
    EXPECT_EQ(inLeft->SetParent(root), S_OK);
    EXPECT_EQ(root->FindChild(String(u"item")), inLeft);
    EXPECT_FALSE(left->FindChild(String(u"item")));
    EXPECT_EQ(root->GetChildren().Add(nullptr), E_INVALIDARG);
}

TEST(ControlTree, DrawingAndTabOrdersFollowKeyChangesAndKeepInsertionOrderAmongEquals)
{
    RCPtr<LControl> root = Make(nullptr, u"root");
    RCPtr<LControl> a = Make(root, u"a");
    RCPtr<LControl> b = Make(root, u"b");
    RCPtr<LControl> c = Make(root, u"c");
    RCPtr<LControl> d = Make(root, u"d");
    const std::vector<String> insertion{String(u"a"), String(u"b"), String(u"c"), String(u"d")};
    EXPECT_EQ(Names(*root, LControl::kDrawOrder), insertion);
    EXPECT_EQ(Names(*root, LControl::kTabOrder), insertion);

    // Unclipped children go on top; then docked ones; then Z order.
    a->SetClipToParent(false);
    EXPECT_EQ(Names(*root, LControl::kDrawOrder), (std::vector<String>{u"b", u"c", u"d", u"a"}));

    RCPtr<LControlDescriptor> docked = LControlDescriptor::Create(String(u"Panel"), String(u"b"), nullptr);
    RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    layout->mXIsDocked = true;
    layout->mTabStop = 5;
    docked->SetLayoutDescriptor(layout);
    b->ApplyDescriptor(docked);
    RCPtr<LControlDescriptor> raised = LControlDescriptor::Create(String(u"Panel"), String(u"c"), nullptr);
    RCPtr<LLayoutDescriptor> raisedLayout = LLayoutDescriptor::Create();
    raisedLayout->mZOrder = 3;
    raisedLayout->mTabStop = -1;
    raised->SetLayoutDescriptor(raisedLayout);
    c->ApplyDescriptor(raised);

    EXPECT_EQ(Names(*root, LControl::kDrawOrder), (std::vector<String>{u"d", u"c", u"b", u"a"}));
    EXPECT_EQ(Names(*root, LControl::kTabOrder), (std::vector<String>{u"c", u"a", u"d", u"b"}));
    EXPECT_EQ(Names(*root, LControl::kInsertionOrder), insertion);
    EXPECT_EQ(root->FindChildIndex(c, LControl::kTabOrder), 0);
    EXPECT_EQ(root->FindChildIndex(Make(nullptr, u"x"), LControl::kTabOrder), -1);

    for (const auto& [index, order] : {std::pair{4u, LControl::kInsertionOrder}, std::pair{0u, 3}})
        try
        {
            root->GetChildren().GetAt(index, order);
            ADD_FAILURE() << "no exception for " << index << ", " << order;
        }
        catch (const Exception<std::runtime_error>& error)
        {
            EXPECT_EQ(
                std::string(error.what())
                    .rfind(
                        "Runtime Error : KV::LControl::ChildControlList::GetAt : ControlBase/Control : Line ",
                        0),
                0u)
                << error.what();
        }
}

TEST(ControlTree, UnclippedCountsMatchARecountAfterRandomChanges)
{
    RCPtr<LControl> root = Make(nullptr, u"root");
    std::vector<RCPtr<LControl>> controls{root};
    std::mt19937 random(21);
    for (int step = 0; step < 400; ++step)
    {
        RCPtr<LControl> pick = controls[random() % controls.size()];
        switch (random() % 4)
        {
        case 0:
        {
            const char16_t name[] = {u'c', char16_t(u'a' + step % 26), char16_t(u'a' + step / 26), 0};
            controls.push_back(Make(pick, name));
            break;
        }
        case 1:
            if (pick != root)
                pick->SetParent(nullptr);
            break;
        case 2:
            pick->SetClipToParent(random() % 2 == 0);
            break;
        default:
        {
            // Moving under a descendant of itself would make a cycle; the tree never does.
            RCPtr<LControl> target = controls[random() % controls.size()];
            bool cycle = false;
            for (LControl* up = target.Get(); up; up = up->GetParent().Get())
                cycle |= up == pick.Get();
            if (!cycle)
                pick->SetParent(target);
        }
        }
        ExpectCountsMatch(*root);
    }
    for (const RCPtr<LControl>& control : controls)
        ExpectCountsMatch(*control->GetTopControl());
}

TEST(ControlTree, RemoveChildCompletesAtTheNextIdlePass)
{
    RCPtr<LRootWindow> window = LRootWindow::CreateInstance(nullptr);
    RCPtr<LControl> root = Make(nullptr, u"root");
    window->SetRootControl(root);
    RCPtr<LControl> child = Make(root, u"child");
    RCPtr<LControl> stranger = Make(nullptr, u"stranger");
    window->SetFocusControl(Make(child, u"focused"));

    EXPECT_EQ(root->RemoveChild(stranger), E_INVALIDARG);
    EXPECT_EQ(root->RemoveChild(child), S_OK);
    EXPECT_EQ(child->GetParent(), root); // still there, hidden
    EXPECT_FALSE(child->GetLayout()->mIsVisible);
    EXPECT_EQ(root->GetIdleCount(), 1);

    window->ProcessIdle(true);
    EXPECT_FALSE(child->GetParent());
    EXPECT_FALSE(root->FindChild(String(u"child")));
    EXPECT_EQ(root->GetIdleCount(), 0);
    EXPECT_EQ(window->GetFocusControl(), root); // the focus did not leave with the child

    // The registration is gone: another tick does nothing, and an unmatched end keeps 0.
    window->ProcessIdle(true);
    root->EndIdleProcessing();
    EXPECT_EQ(root->GetIdleCount(), 0);
    window->SetRootControl(nullptr);
}

TEST(ControlTree, IdleRequestsMadeBeforeAttachingAreRegisteredWithTheWindow)
{
    RCPtr<LControl> root = Make(nullptr, u"root");
    RCPtr<LControl> child = Make(root, u"child");
    EXPECT_EQ(root->RemoveChild(child), S_OK);
    RCPtr<LRootWindow> window = LRootWindow::CreateInstance(nullptr);
    window->SetRootControl(root);
    window->ProcessIdle(true);
    EXPECT_FALSE(child->GetParent());
    window->SetRootControl(nullptr);
}

TEST(ControlTree, ReleasingATreeLeaksNothing)
{
    const int before = gLiveControls;
    {
        RCPtr<LRootWindow> window = LRootWindow::CreateInstance(nullptr);
        RCPtr<LControl> root = Make(nullptr, u"root");
        window->SetRootControl(root);
        for (const char16_t* name : {u"a", u"b", u"c"})
        {
            RCPtr<LControl> child = Make(root, name);
            Make(Make(child, u"inner"), u"leaf");
        }
        root->RemoveChild(root->FindChild(String(u"b")));
        EXPECT_EQ(gLiveControls - before, 10);
    }
    EXPECT_EQ(gLiveControls, before);

    // A child still held from outside outlives the released parent, without it.
    RCPtr<LControl> kept;
    {
        RCPtr<LControl> root = Make(nullptr, u"root");
        kept = Make(root, u"kept");
    }
    EXPECT_FALSE(kept->GetParent());
    EXPECT_EQ(gLiveControls, before + 1);
}

TEST(ControlTree, Rename)
{
    RCPtr<LControl> root = Make(nullptr, u"root");
    RCPtr<LControl> first = Make(root, u"first");
    RCPtr<LControl> target = Make(root, u"target");
    RCPtr<LControl> last = Make(root, u"last");
    for (const RCPtr<LControl>& sibling : {first, last})
    {
        sibling->GetLayout()->mXPosition.mReference = PositionReference::Control;
        sibling->GetLayout()->mXPosition.mControlName = String(u"target");
        sibling->GetLayout()->mYMaxSize.mControlName = String(u"target");
    }

    EXPECT_EQ(target->Rename(String(u"target")), S_FALSE);
    EXPECT_EQ(target->Rename(String(u"first")), E_FAIL);
    EXPECT_EQ(target->GetName(), String(u"target"));
    EXPECT_EQ(root->GetChildren().Rename(Make(nullptr, u"loose"), String(u"free")), E_INVALIDARG);

    EXPECT_EQ(target->Rename(String(u"moved")), S_OK);
    EXPECT_EQ(root->FindChild(String(u"moved")), target);
    EXPECT_EQ(last->GetLayout()->mXPosition.mControlName, String(u"moved"));
    EXPECT_EQ(last->GetLayout()->mYMaxSize.mControlName, String(u"moved"));
    EXPECT_EQ(first->GetLayout()->mXPosition.mControlName, String(u"target")); // earlier siblings keep theirs
}

TEST(ControlTree, VisibilityAndEnabling)
{
    RCPtr<LControl> root = Make(nullptr, u"root");
    RCPtr<LControl> child = Make(root, u"child");
    root->SetRectForTest({0, 0, 100, 50});
    child->SetRectForTest({0, 0, 10, 10});
    EXPECT_TRUE(child->IsShown(true));
    EXPECT_FALSE(child->SetVisible(false));
    EXPECT_FALSE(child->SetVisible(false));
    root->SetVisible(false);
    EXPECT_FALSE(child->SetVisible(true)); // its own flag is set, the parent is hidden
    EXPECT_TRUE(child->IsShown(false));
    EXPECT_TRUE(root->SetVisible(true));
    EXPECT_TRUE(child->IsShown(true));

    root->SetEnabled(false);
    EXPECT_TRUE(child->IsEnabled(false));
    EXPECT_FALSE(child->IsEnabled(true));
}
