// Skinned controls painted by their root window through the GDI+ renderer, compared with
// a reference picture.

#include "Controls/Button.h"
#include "Controls/ProgressBar.h"

#include "ControlsTestSupport.h"
#include "Renderer/Gdi/GDIRenderer.h"
#include "ReferenceImage.h"

using namespace controltest;

namespace {

constexpr uint32_t kBackground = 0xFF303030u;
constexpr uint32_t kTrack = 0xFF101040u;
constexpr uint32_t kCap = 0xFFA0A0A0u;
constexpr uint32_t kFill = 0xFF20C040u;

// One colour per look index, so that the picture shows which look a button chose.
uint32_t LookColour(int index)
{
    return 0xFF000000u | static_cast<uint32_t>(index * 0x120A05);
}

class ControlPixels : public ControlHarness
{
};

TEST_F(ControlPixels, AProgressBarAtAThirdAndAnOnButtonWithTheFocus)
{
    constexpr int32_t kWidth = 64;
    constexpr int32_t kHeight = 32;
    mOS.mClientSize = {kWidth, kHeight};
    RCPtr<LGDIRenderer> renderer = LGDIRenderer::Create(96);
    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(S_OK, renderer->InitRenderContextInfo({0, 0, kWidth, kHeight}, nullptr, true, context));
    renderer->RenderStart(context);

    RCPtr<LPanel> scene =
        Make<LPanel>(RCPtr<LControl>(mRoot), u"scene", 0, 0, kWidth, kHeight, {ColourLook(kBackground)});
    // A track with light caps, 2 pixels each, around its client area; the overlay fills
    // the client area's height.
    RCPtr<LControlDescriptor> barDescriptor =
        Describe(u"Framework.ProgressBar", u"bar", 4, 4, 56, 12,
                 {MakeLook(FillPart(1, 1, kTrack), Offsets(kL | kT | kR | kB, 2, 0, -2, 0),
                           {{FillPart(2, 1, kCap), Offsets(kL | kT | kB)},
                            {FillPart(2, 1, kCap), Offsets(kT | kR | kB)}})});
    RCPtr<LControlDescriptor> overlay =
        Describe(u"Framework.Panel", u"activeOverlay", 0, 0, 0, 0, {ColourLook(kFill)});
    overlay->mLayout->mYSize = {SizeReference::Client, String(), 1, 0};
    barDescriptor->AddChild(overlay);
    RCPtr<LProgressBar> bar = Create<LProgressBar>(barDescriptor, RCPtr<LControl>(scene));
    bar->SetNormalizedValue(0.37); // 20.72 of 56 pixels: 21

    std::vector<RCPtr<LLookDescriptor>> looks;
    for (int i = 0; i < 14; ++i)
        looks.push_back(ColourLook(LookColour(i)));
    RCPtr<LButton> button = Make<LButton>(RCPtr<LControl>(scene), u"button", 4, 20, 20, 8, looks);
    button->SetFocus(true);
    button->SetNormalizedValue(1); // on, with the focus: look 10

    RectRegion region;
    region.AddRect({0, 0, kWidth, kHeight});
    mWindow->OnPaint(*renderer, region);
    const auto pixel = [&](int32_t x, int32_t y) {
        return static_cast<LGDIRenderContextInfo&>(*context).GetCurrentSurface()->GetImage()->GetPixel(x, y);
    };
    ExpectMatchesReference(pixel, kWidth, kHeight, KV_REFERENCE_IMAGE_FOLDER, KV_TEST_OUTPUT_FOLDER,
                           "ProgressBarAndButton");
    renderer->RenderFinish(context);
}

} // namespace
