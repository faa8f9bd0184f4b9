// Invalidation climbing from a control to its root window's dirty region.

#include "ControlBase/RootWindow.h"

#include "ControlTestSupport.h"
#include "FakeWindowOSServices.h"

#include <gtest/gtest.h>

using namespace KV;
using namespace KV::Testing;

namespace {

// A window 200 x 100 whose root control fills it; a panel at (10, 10), 50 x 50, with a
// client area inset by 2 and scrolled by (0, 5); a child at (40, 40) of that content,
// 30 x 30, so that only its top-left 8 x 13 lies inside the panel.
struct Tree
{
    Tree()
    {
        window->SetRootControl(root);
        root->SetLayout(Axis(PositionReference::Client, 0, 0, SizeReference::Client, 1, 0),
                        Axis(PositionReference::Client, 0, 0, SizeReference::Client, 1, 0));
        panel->ShowLook(panel->AddLook(PlainLook(0xFF000000, 2, 2, -2, -2)));
        Place(*panel, 10, 10, 50, 50);
        panel->SetScroll({0, 5});
        Place(*child, 40, 40, 30, 30);
        Dirty();
    }
    ~Tree() { window->SetRootControl(nullptr); }

    // The bounds of what the window will paint, emptied.
    RectT<int32_t> Dirty()
    {
        RectRegion region;
        window->CollectInvalidRegion(region);
        RegionRect bounds;
        region.GetBounds(bounds);
        return {bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
    }

    FakeWindowOSServices os;
    RCPtr<LRootWindow> window = LRootWindow::CreateInstance(&os);
    RCPtr<TestControl> root = MakeControl(nullptr, u"root");
    RCPtr<TestControl> panel = MakeControl(root, u"panel");
    RCPtr<TestControl> child = MakeControl(panel, u"child");
};

} // namespace

TEST(ControlInvalidation, ARectangleReachesTheWindowCutByClippingAncestors)
{
    Tree tree;
    // The child's origin: panel (10, 10) + client (2, 2) - scroll (0, 5) + (40, 40).
    tree.child->InvalidateRect({0, 0, 30, 30}, true);
    EXPECT_EQ((RectT<int32_t>{52, 47, 8, 13}), tree.Dirty());
    tree.child->InvalidateRect({0, 0, 30, 30}, false);
    EXPECT_EQ((RectT<int32_t>{52, 47, 30, 30}), tree.Dirty());
    // The window passes on what lies inside its client area.
    tree.root->InvalidateRect({150, 80, 100, 100}, false);
    EXPECT_EQ((RectT<int32_t>{150, 80, 50, 20}), tree.os.mInvalidated.back());
    tree.Dirty();

    // A hidden ancestor stops it; an unclipped child is not cut by its parent.
    tree.panel->GetLayout()->mIsVisible = false;
    tree.child->InvalidateRect({0, 0, 30, 30}, true);
    EXPECT_EQ((RectT<int32_t>{0, 0, 0, 0}), tree.Dirty());
    tree.panel->GetLayout()->mIsVisible = true;
    tree.child->SetClipToParent(false);
    EXPECT_EQ((RectT<int32_t>{52, 47, 30, 30}), tree.Dirty());
}

TEST(ControlInvalidation, MovingAControlRepaintsTheOldAndTheNewArea)
{
    Tree tree;
    Place(*tree.panel, 100, 20, 50, 50);
    EXPECT_EQ((RectT<int32_t>{10, 10, 140, 60}), tree.Dirty());
    EXPECT_EQ(S_FALSE, tree.panel->SetLayoutRect({100, 20}, {50, 50}));
    EXPECT_EQ((RectT<int32_t>{0, 0, 0, 0}), tree.Dirty());

    // Showing one look alone repaints once; showing it again changes nothing.
    tree.panel->AddLook(PlainLook(0xFFFFFFFF));
    EXPECT_EQ(S_OK, tree.panel->ShowLook(1));
    EXPECT_EQ((RectT<int32_t>{100, 20, 50, 50}), tree.Dirty());
    tree.panel->ShowLook(1);
    EXPECT_EQ((RectT<int32_t>{0, 0, 0, 0}), tree.Dirty());
}
