// A small skinned tree painted by its root window through the GDI+ renderer, compared
// with a reference picture.

#include "ControlBase/RootWindow.h"

#include "ControlTestSupport.h"
#include "FakeWindowOSServices.h"
#include "GdiFrame.h"
#include "ReferenceImage.h"

#include <gtest/gtest.h>

using namespace KV;
using namespace KV::Testing;

namespace {

constexpr uint32_t kGrey = 0xFF303030u;
constexpr uint32_t kGreen = 0xFF00A000u;
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kMagenta = 0xFFFF00FFu;
constexpr uint32_t kYellow = 0xFFFFFF00u;

class ControlTreePixels : public GdiFrame
{
};

} // namespace

TEST_F(ControlTreePixels, SkinnedTreeWithAClippedAndAnUnclippedChild)
{
    Start(48, 32);
    FakeWindowOSServices os;
    os.mClientSize = {48, 32};
    RCPtr<LRootWindow> window = LRootWindow::CreateInstance(&os);
    RCPtr<TestControl> root = MakeControl(nullptr, u"root");
    window->SetRootControl(root);
    root->ShowLook(root->AddLook(PlainLook(kGrey)));
    root->SetLayout(Axis(PositionReference::Client, 0, 0, SizeReference::Client, 1, 0),
                    Axis(PositionReference::Client, 0, 0, SizeReference::Client, 1, 0));

    // A panel with red and blue caps around a green client area inset by 3 and 1.
    RCPtr<TestControl> panel = MakeControl(root, u"panel");
    panel->ShowLook(panel->AddLook(
        LLook::Create(MakeLook(FillPart(1, 1, kGreen), Offsets(kL | kT | kR | kB, 3, 1, -3, -1),
                               {{FillPart(3, 1, kRed), Offsets(kL | kT | kB)},
                                {FillPart(3, 1, kBlue), Offsets(kT | kR | kB)}}),
                      false)));
    Place(*panel, 4, 4, 32, 20);
    // A white button with a black mark in its middle.
    RCPtr<TestControl> button = MakeControl(panel, u"button");
    button->ShowLook(button->AddLook(LLook::Create(
        MakeLook(FillPart(1, 1, kWhite), Offsets(kL | kT | kR | kB), {{FillPart(2, 2, kBlack), Offsets(0)}}),
        false)));
    Place(*button, 2, 2, 10, 8);
    // Cut by the panel's client area at the top and the right.
    RCPtr<TestControl> clipped = MakeControl(panel, u"clipped");
    clipped->ShowLook(clipped->AddLook(PlainLook(kMagenta)));
    Place(*clipped, 22, -2, 8, 6);
    // Over the panel's edge and the root, at half opacity.
    RCPtr<TestControl> floating = MakeControl(panel, u"floating");
    floating->ShowLook(floating->AddLook(PlainLook(kYellow)));
    floating->SetClipToParent(false);
    floating->SetOpacity(0.5f);
    Place(*floating, 20, 12, 14, 10);

    RectRegion region;
    window->CollectInvalidRegion(region);
    EXPECT_EQ(1u, region.GetCount()); // the whole window, once
    window->OnPaint(*mRenderer, region);
    ExpectMatchesReference([&](int32_t x, int32_t y) { return Pixel(x, y); }, 48, 32,
                           KV_REFERENCE_IMAGE_FOLDER, KV_TEST_OUTPUT_FOLDER, "SkinnedTree");
    window->SetRootControl(nullptr);
}
