#pragma once
// The scene both sides of the repaint benchmark draw: a 500 x 350 window with a
// background picture, twelve controls (a translucent fill, an outline and a label each)
// and a progress bar whose 200 x 20 strip is repainted alone.

#include <cstdint>
#include <memory>

namespace KV::Bench {

inline constexpr int32_t kWidth = 500;
inline constexpr int32_t kHeight = 350;
inline constexpr int32_t kControls = 12;
inline constexpr int32_t kStripX = 150;
inline constexpr int32_t kStripY = 300;
inline constexpr int32_t kStripWidth = 200;
inline constexpr int32_t kStripHeight = 20;
inline constexpr double kFontPixels = 8.0 * 96 / 72; // an 8-point label
inline constexpr uint32_t kControlFill = 0xC0303848u;
inline constexpr uint32_t kControlFrame = 0xFF8090A0u;
inline constexpr uint32_t kLabelColor = 0xFFFFFFFFu;
inline constexpr uint32_t kBarBack = 0xFF202020u;
inline constexpr uint32_t kBarFront = 0xFF20A040u;
inline constexpr char kLabel[] = "Firmware 1.0.0.6";

struct ControlBox
{
    int32_t x, y, width, height;
};
inline ControlBox ControlAt(int32_t index)
{
    return {20 + (index % 3) * 160, 20 + (index / 3) * 70, 140, 56};
}

// Straight 0xAARRGGBB of the background picture at (x, y).
inline uint32_t BackgroundPixel(int32_t x, int32_t y)
{
    return 0xFF000000u | static_cast<uint32_t>(x * 255 / kWidth) << 16 |
           static_cast<uint32_t>(y * 255 / kHeight) << 8 | 0x60;
}

// The bare Cairo program: the same primitives drawn with Cairo alone.
class BareCairoScene
{
public:
    BareCairoScene();
    ~BareCairoScene();
    void DrawFull();
    void DrawStrip();
    uint32_t PixelAt(int32_t x, int32_t y) const;

private:
    struct State;
    std::unique_ptr<State> mState;
};

} // namespace KV::Bench
