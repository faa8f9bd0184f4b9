// A small skinned scene drawn by the GDI+ renderer: what a look paints, pixel by pixel.

#include "ControlBase/Look.h"

#include "GdiFrame.h"
#include "LookTestSupport.h"

#include <gtest/gtest.h>

using namespace KV;
using namespace KV::Testing;

namespace {

constexpr uint32_t kGreen = 0xFF00FF00u;

class LookPixels : public GdiFrame
{
};

TEST_F(LookPixels, CapsClientAndCentredMarkLandInsideTheDirtyArea)
{
    Start(16, 6);
    // Caps 3 wide, a client inset by one row top and bottom, and a 2 x 2 mark centred
    // on the look: the mark lies over the client and is drawn after it.
    const RCPtr<LLook> look = LLook::Create(MakeLook(FillPart(1, 1, kGreen), Offsets(15, 3, 1, -3, -1),
                                                     {{FillPart(3, 6, kRed), Offsets(kL | kT | kB)},
                                                      {FillPart(3, 6, kBlue), Offsets(kT | kR | kB)},
                                                      {FillPart(2, 2, kWhite), Offsets(0)}}),
                                            false);
    look->SetSize({14, 6});
    RectRegion dirty;
    dirty.AddRect({1, 0, 13, 6}); // of the right cap only its first column
    mRenderer->PushState();
    mRenderer->Translate({1, 0});
    look->DrawClientArea(*mRenderer, dirty);
    look->Draw(*mRenderer, dirty);
    mRenderer->PopState();

    const std::vector<std::string> red = Picture(kRed);
    const std::vector<std::string> blue = Picture(kBlue);
    const std::vector<std::string> green = Picture(kGreen);
    const std::vector<std::string> white = Picture(kWhite);
    std::vector<std::string> scene(red.size(), std::string(red[0].size(), '.'));
    for (size_t y = 0; y < scene.size(); ++y)
        for (size_t x = 0; x < scene[y].size(); ++x)
            scene[y][x] = red[y][x] == '#'     ? 'R'
                          : blue[y][x] == '#'  ? 'B'
                          : green[y][x] == '#' ? 'G'
                          : white[y][x] == '#' ? 'W'
                                               : '.';
    EXPECT_EQ(scene, (std::vector<std::string>{
                         ".RRR........B...",
                         ".RRRGGGGGGGGB...",
                         ".RRRGGGWWGGGB...",
                         ".RRRGGGWWGGGB...",
                         ".RRRGGGGGGGGB...",
                         ".RRR........B...",
                     }));
}

} // namespace
