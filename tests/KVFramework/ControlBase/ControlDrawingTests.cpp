// What a tree of controls draws, in which order and under which alpha, through a
// renderer that logs its calls.

#include "ControlBase/RootWindow.h"

#include "ControlTestSupport.h"
#include "FakeWindowOSServices.h"
#include "RecordingRenderer.h"

#include <gtest/gtest.h>

using namespace KV;
using namespace KV::Testing;

namespace {

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;

// A window 200 x 100 whose root control fills it, with a panel at (10, 10), 100 x 60.
struct Scene
{
    Scene()
    {
        renderer->mLogAlpha = true;
        window->SetRootControl(root);
        root->SetLayout(Axis(PositionReference::Client, 0, 0, SizeReference::Client, 1, 0),
                        Axis(PositionReference::Client, 0, 0, SizeReference::Client, 1, 0));
        Place(*panel, 10, 10, 100, 60);
        context = RecordingContext::Create({0, 0, 200, 100});
        renderer->RenderStart(context);
    }
    ~Scene()
    {
        renderer->RenderFinish(context);
        window->SetRootControl(nullptr);
    }

    RCPtr<TestControl> Child(const RCPtr<LControl>& parent, const char16_t* name)
    {
        RCPtr<TestControl> control = MakeControl(parent, name);
        control->mLog = &renderer->mCalls;
        return control;
    }

    // The fills and the controls' own drawing, in order, for a paint of the whole window.
    std::vector<std::string> Paint()
    {
        renderer->Take();
        RectRegion region;
        region.AddRect({0, 0, 200, 100});
        window->OnPaint(*renderer, region);
        std::vector<std::string> drawn;
        for (const std::string& call : renderer->Take())
            if (call.rfind("Translate", 0) != 0 && call.rfind("SetClipRect", 0) != 0 &&
                call.rfind("SetStencil", 0) != 0)
                drawn.push_back(call);
        return drawn;
    }

    FakeWindowOSServices os;
    RCPtr<LRootWindow> window = LRootWindow::CreateInstance(&os);
    RCPtr<RecordingRenderer> renderer = RecordingRenderer::Create();
    RCPtr<RecordingContext> context;
    RCPtr<TestControl> root = Child(nullptr, u"root");
    RCPtr<TestControl> panel = Child(root, u"panel");
};

} // namespace

TEST(ControlDrawing, LayersRunsAndTheUnclippedPass)
{
    Scene scene;
    scene.panel->AddLook(PlainLook(kRed));
    scene.panel->AddLook(PlainLook(kBlue));
    scene.panel->SetLookWeight(0, 0.25f, false);
    scene.panel->SetLookWeight(1, 0.75f, false);
    // Added in the reverse of the drawing order: docked on both axes, on one, on none.
    RCPtr<TestControl> both = scene.Child(scene.panel, u"both");
    both->SetLayout(Axis(PositionReference::Client, 0, 0, SizeReference::Self, 0, 5, 0, true),
                    Axis(PositionReference::Client, 0, 0, SizeReference::Self, 0, 5, 0, true));
    RCPtr<TestControl> one = scene.Child(scene.panel, u"one");
    one->SetLayout(Axis(PositionReference::Client, 0, 0, SizeReference::Self, 0, 5, 0, true),
                   Axis(PositionReference::Client, 0, 20, SizeReference::Self, 0, 5));
    RCPtr<TestControl> none = scene.Child(scene.panel, u"none");
    none->ShowLook(none->AddLook(PlainLook(kGreen)));
    Place(*none, 30, 30, 10, 10);
    // Outside its parent and not cut by it; its own unclipped child is found through its
    // clipped parent, which is drawn once per shown look of the panel.
    RCPtr<TestControl> outside = scene.Child(scene.panel, u"outside");
    Place(*outside, 90, 50, 30, 30);
    outside->SetClipToParent(false);
    RCPtr<TestControl> grandchild = scene.Child(none, u"grandchild");
    Place(*grandchild, 5, 5, 20, 20);
    grandchild->SetClipToParent(false);

    EXPECT_EQ(scene.Paint(), (std::vector<std::string>{
                                 "root content",
                                 "FillRect 0,0,100,60 #FFFF0000 blend alpha 0.25",
                                 "FillRect 0,0,100,60 #FF0000FF blend alpha 0.75",
                                 "panel content",
                                 "FillRect 0,0,10,10 #FF00FF00 blend alpha 0.25",
                                 "none content",
                                 "none overlay",
                                 "one content",
                                 "one overlay",
                                 "both content",
                                 "both overlay",
                                 "FillRect 0,0,10,10 #FF00FF00 blend alpha 0.75",
                                 "none content",
                                 "none overlay",
                                 "one content",
                                 "one overlay",
                                 "both content",
                                 "both overlay",
                                 "panel overlay",
                                 "root overlay",
                                 "grandchild content",
                                 "grandchild overlay",
                                 "outside content",
                                 "outside overlay",
                             }));

    // A hidden panel draws nothing of its own, and nothing unclipped below it either.
    scene.panel->SetVisible(false);
    EXPECT_EQ(scene.Paint(), (std::vector<std::string>{"root content", "root overlay"}));
}

TEST(ControlDrawing, UnclippedControlsOutsideTheClipAreStillCollected)
{
    Scene scene;
    RCPtr<TestControl> far = scene.Child(scene.panel, u"far");
    Place(*far, 500, 500, 10, 10); // outside the window: the clipped pass skips it
    RCPtr<TestControl> floating = scene.Child(far, u"floating");
    Place(*floating, -500, -500, 10, 10);
    floating->SetClipToParent(false);

    std::vector<RCPtr<LControl>> unclipped;
    RectRegion region;
    region.AddRect({0, 0, 200, 100});
    EXPECT_EQ(E_INVALIDARG, floating->Draw(*scene.renderer, region, unclipped, false));
    EXPECT_EQ(E_INVALIDARG, far->Draw(*scene.renderer, region, unclipped, true));
    EXPECT_EQ(scene.Paint(),
              (std::vector<std::string>{"root content", "panel content", "panel overlay", "root overlay",
                                        "floating content", "floating overlay"}));
}

TEST(ControlDrawing, PaintInsideARenderPassIsPostponedAndARegionBesideTheRootPaintsNothing)
{
    Scene scene;
    EXPECT_FALSE(scene.Paint().empty());

    RectRegion beside;
    beside.AddRect({250, 0, 260, 10});
    scene.renderer->Take();
    scene.window->OnPaint(*scene.renderer, beside);
    EXPECT_TRUE(scene.renderer->Take().empty());

    scene.renderer->PushState(); // a paint reached from inside drawing
    scene.renderer->Take();
    RectRegion whole;
    whole.AddRect({0, 0, 200, 100});
    scene.window->OnPaint(*scene.renderer, whole);
    EXPECT_TRUE(scene.renderer->Take().empty());
    EXPECT_EQ(scene.os.mInvalidateAllCount, 1);
    scene.renderer->PopState();
}
