// Layout of controls in a tree: the references a control is placed against, its limits,
// and what a new rectangle sets off (siblings, parent, window, repaints).

#include "Application/FrameworkApp.h"
#include "ControlBase/ControlDescriptor.h"
#include "ControlBase/RootWindow.h"

#include "ControlTestSupport.h"
#include "FakeWindowOSServices.h"

#include <gtest/gtest.h>

using namespace KV;
using namespace KV::Testing;

namespace {

// A parent 101 x 60 whose client area starts at (3, 2) and is 94 x 57, scrolled by
// (7, 0); it is never laid out itself.
struct StubParent
{
    StubParent()
    {
        parent->SetRectForTest({0, 0, 101, 60});
        parent->ShowLook(parent->AddLook(PlainLook(0xFF000000, 3, 2, -4, -1)));
        parent->SetScroll({7, 0});
        Place(*sibling, 5, 0, 20, 10);
    }
    RCPtr<TestControl> parent = MakeControl(nullptr, u"parent");
    RCPtr<TestControl> sibling = MakeControl(parent, u"a");
};

struct LayoutCase
{
    const char* what;
    LayoutAxisSpec x;
    LayoutSizeLimitSpec minimum;
    LayoutSizeLimitSpec maximum;
    double expectedX;
    double expectedWidth;
};

LayoutSizeLimitSpec Own(double abs)
{
    return {false, String(), 0, abs};
}

} // namespace

TEST(ControlLayout, OneAxisAgainstEachReference)
{
    const LayoutSizeLimitSpec none{};
    const LayoutCase cases[] = {
        {"half the outer width, from the client origin",
         Axis(PositionReference::Parent, 0.5f, 0, SizeReference::Self, 0, 10), none, none, 51 - 3, 10},
        {"client width less the position",
         Axis(PositionReference::Client, 0, 10, SizeReference::Client, 1, 0), none, none, 10, 84},
        {"anchor 1 toward a far edge ahead",
         Axis(PositionReference::Client, 0, 10, SizeReference::Client, 1, 0, 1), none, none, 10, 0},
        {"anchor 0.5 centres on the position",
         Axis(PositionReference::Client, 0, 100, SizeReference::Client, 0, 200, 0.5f), none, none, 0, 200},
        {"right of the named sibling", Axis(PositionReference::Control, 1, 2, SizeReference::Self, 0, 10),
         none, none, 27, 10},
        {"a missing sibling is an empty frame at 0",
         Axis(PositionReference::Control, 1, 2, SizeReference::Self, 0, 10), none, none, 2, 10},
        {"docked follows the scroll offset",
         Axis(PositionReference::Client, 0, 10, SizeReference::Self, 0, 5, 0, true), none, none, 17, 5},
        {"own maximum with anchor 1", Axis(PositionReference::Client, 0, 160, SizeReference::Self, 0, 150, 1),
         none, Own(120), 40, 120},
        {"own maximum 0 is none", Axis(PositionReference::Client, 0, 160, SizeReference::Self, 0, 150, 1),
         none, Own(0), 10, 150},
        {"own minimum with anchor 0.5",
         Axis(PositionReference::Client, 0, 50, SizeReference::Self, 0, 10, 0.5f), Own(30), none, 35, 30},
    };
    for (const LayoutCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        StubParent stub;
        RCPtr<TestControl> control = MakeControl(stub.parent, u"control");
        LayoutAxisSpec x = c.x;
        if (std::string(c.what).find("missing") != std::string::npos)
            x.mPosition.mControlName = u"nobody";
        else
            x.mPosition.mControlName = u"a";
        control->SetSizeLimits(0, c.minimum, c.maximum);
        EXPECT_FALSE(
            control->SetLayout(x, Axis(PositionReference::Client, 0, 0, SizeReference::Self, 0, 10)));
        EXPECT_EQ(c.expectedX, control->GetRect().x);
        EXPECT_EQ(c.expectedWidth, control->GetRect().width);
    }
}

TEST(ControlLayout, AGrowingSiblingMovesTheOnesPlacedAfterIt)
{
    StubParent stub;
    RCPtr<TestControl> next = MakeControl(stub.parent, u"next");
    next->SetLayout(Axis(PositionReference::Control, 1, 1, SizeReference::Self, 0, 10),
                    Axis(PositionReference::Client, 0, 0, SizeReference::Self, 0, 10));
    next->GetLayout()->mXPosition.mControlName = u"a";
    next->RecalcLayout();
    RCPtr<TestControl> third = MakeControl(stub.parent, u"third");
    Place(*third, 0, 30, 10, 10);
    EXPECT_EQ(26, next->GetRect().x);

    // The third sibling's layout changes behind its back; it is laid out again only
    // through the chain.
    third->GetLayout()->mYPosition.mAbs = 40;
    const int before = stub.parent->mChildRectChanges;
    Place(*stub.sibling, 5, 0, 50, 10);
    EXPECT_EQ(56, next->GetRect().x);
    EXPECT_EQ(40, third->GetRect().y);
    EXPECT_EQ(before + 3, stub.parent->mChildRectChanges);

    // Nothing moves: nothing is laid out or repainted.
    EXPECT_EQ(S_FALSE, stub.sibling->SetLayoutRect({5, 0}, {50, 10}));
}

TEST(ControlLayout, ChildrenLimitsAndBounds)
{
    RCPtr<TestControl> parent = MakeControl(nullptr, u"parent");
    parent->SetRectForTest({0, 0, 300, 300});
    RCPtr<TestControl> box = MakeControl(parent, u"box");
    RCPtr<TestControl> first = MakeControl(box, u"first");
    RCPtr<TestControl> second = MakeControl(box, u"second");
    RCPtr<TestControl> docked = MakeControl(box, u"docked");
    Place(*first, 0, 0, 30, 10);
    Place(*second, 10, 20, 50, 15);
    docked->SetLayout(Axis(PositionReference::Client, 0, 0, SizeReference::Self, 0, 200, 0, true),
                      Axis(PositionReference::Client, 0, 0, SizeReference::Self, 0, 5));
    EXPECT_EQ((RectT<double>{0, 0, 60, 35}), box->GetChildrenBounds());

    // A box of no size of its own grows to hold its children; a named child's far edge
    // (plus 4) is a limit of its own.
    box->SetSizeLimits(0, {true, String(u"Children"), 1, 0}, {});
    box->SetSizeLimits(1, {true, String(u"second"), 1, 4}, {});
    Place(*box, 10, 10, 0, 0);
    EXPECT_EQ((RectT<double>{10, 10, 200, 39}), box->GetRect());

    // A maximum of the named child cuts the box at that child's far edge.
    box->SetSizeLimits(1, {}, {true, String(u"first"), 1, 0});
    Place(*box, 10, 10, 100, 100);
    EXPECT_EQ(10, box->GetRect().height);
}

TEST(ControlLayout, PreferredAndMaximumSizes)
{
    StubParent stub;
    RCPtr<TestControl> control = MakeControl(stub.parent, u"control");
    control->SetSizeLimits(0, Own(37), Own(80));
    control->SetLayout(Axis(PositionReference::Client, 0, 0, SizeReference::Client, 1, 0),
                       Axis(PositionReference::Client, 0, 0, SizeReference::Self, 0, 12));
    EXPECT_EQ(80, control->GetRect().width);
    const SizeT<double> preferred = control->GetPreferredSize();
    EXPECT_EQ(37, preferred.width);
    EXPECT_EQ(0, preferred.height);
    EXPECT_EQ(80, control->GetRect().width); // the layout is back as it was
    EXPECT_EQ(SizeReference::Client, control->GetLayout()->mXSize.mReference);
    EXPECT_EQ((SizeT<double>{80, 0}), control->GetMaxSize());
    // An axis that does not exist writes nothing.
    EXPECT_TRUE(control->SetLayoutAxis(2, Axis(PositionReference::Client, 0, 1, SizeReference::Self, 0, 1)));
    EXPECT_EQ(80, control->GetRect().width);
}

TEST(ControlLayout, ATopControlSizesItsWindowAndDockedChildrenFollowTheScroll)
{
    FakeWindowOSServices os;
    os.mScreenOrigin = {300, 200};
    RCPtr<LRootWindow> window = LRootWindow::CreateInstance(&os);
    RCPtr<TestControl> root = MakeControl(nullptr, u"root");
    EXPECT_EQ(E_FAIL, root->RecalcLayout()); // no window to be laid out in
    window->SetRootControl(root);

    // Filling the client area follows the window.
    root->SetLayout(Axis(PositionReference::Client, 0, 0, SizeReference::Client, 1, 0),
                    Axis(PositionReference::Client, 0, 0, SizeReference::Client, 1, 0));
    EXPECT_EQ((RectT<double>{0, 0, 200, 100}), root->GetRect());
    EXPECT_EQ(0, os.mSetWindowRectCount);
    os.mClientSize = {240, 120};
    root->OnParentResized();
    EXPECT_EQ((RectT<double>{0, 0, 240, 120}), root->GetRect());

    // A size of its own is pushed to the window, at the same place on the screen.
    RCPtr<TestControl> child = MakeControl(root, u"child");
    child->SetLayout(Axis(PositionReference::Client, 0, 10, SizeReference::Client, 1, -20, 0, true),
                     Axis(PositionReference::Client, 0, 10, SizeReference::Self, 0, 20));
    Place(*root, 0, 0, 150, 80);
    EXPECT_EQ(1, os.mSetWindowRectCount);
    EXPECT_EQ((SizeT<int32_t>{150, 80}), os.mClientSize);
    EXPECT_EQ((PointT<int32_t>{300, 200}), os.mScreenOrigin);
    EXPECT_EQ((RectT<double>{10, 10, 120, 20}), child->GetRect()); // resized with its parent

    root->SetScroll({0, 4});
    child->OnParentScrolled({0, 4});
    EXPECT_EQ(10, child->GetRect().y); // docked on X only
    child->GetLayout()->mYIsDocked = true;
    child->OnParentScrolled({0, 4});
    EXPECT_EQ(14, child->GetRect().y);
    window->SetRootControl(nullptr);

    // A finished top control is laid out only in its own window, not in another one.
    RCPtr<LRootWindow> other = LRootWindow::CreateInstance(&os);
    LFrameworkApp app;
    app.AddRootWindow(other);
    RCPtr<TestControl> loose = MakeControl(nullptr, u"loose");
    EXPECT_EQ(S_OK, loose->RecalcLayout()); // while it is being made: the application's window
    loose->RunCreationSequence(LControlDescriptor::Create(String(u"Test"), String(u"loose"), nullptr));
    EXPECT_EQ(E_FAIL, loose->RecalcLayout());
    app.RemoveRootWindow(other);
}
