#pragma once
// The splash screen's progress bar as numbers: a position in 0..100, set at once or
// animated from a start to an end position in steps of a quarter second.

#include "KVTypes.h"

#include <cstdint>

namespace KV {

class SplashProgress
{
public:
    static constexpr int kMinimum = 0;
    static constexpr int kMaximum = 100;
    static constexpr Milliseconds kStepInterval = 250;
    static constexpr int kStepsPerSecond = 4;
    // The bar's colour until one is set.
    static constexpr uint32_t kDefaultBarColor = 0xFF06B025u;

    // Moves the bar there (kept within the range) and stops an animation.
    void SetPosition(int position);
    // The bar goes to start, then by (end - start) / (seconds x 4) every step for
    // seconds x 4 steps. An animation of no time jumps to its end.
    void Animate(int start, int end, int seconds);
    // One step of the animation: true while more steps follow.
    bool Step();

    bool IsAnimating() const noexcept { return mStepsLeft > 0; }
    int GetPosition() const noexcept { return mPosition; }
    int GetStepSize() const noexcept { return mStepSize; }
    int GetStepsLeft() const noexcept { return mStepsLeft; }
    uint32_t GetBarColor() const noexcept { return mBarColor; }
    void SetBarColor(uint32_t argb) noexcept { mBarColor = argb; }

private:
    int mPosition = kMinimum;
    int mStepSize = 10;
    int mStepsLeft = 0;
    uint32_t mBarColor = kDefaultBarColor;
};

} // namespace KV
