#include "Application/SplashProgress.h"

#include <algorithm>

namespace KV {

void SplashProgress::SetPosition(int position)
{
    mPosition = std::clamp(position, kMinimum, kMaximum);
    mStepsLeft = 0;
}

void SplashProgress::Animate(int start, int end, int seconds)
{
    if (seconds <= 0)
    {
        SetPosition(end);
        return;
    }
    mPosition = std::clamp(start, kMinimum, kMaximum);
    mStepsLeft = seconds * kStepsPerSecond;
    mStepSize = (end - start) / mStepsLeft;
}

bool SplashProgress::Step()
{
    if (mStepsLeft <= 0)
        return false;
    // A bar stepped past an end starts over from the other, as a stepped bar does.
    constexpr int kRange = kMaximum - kMinimum;
    mPosition += mStepSize;
    if (mPosition > kMaximum)
        mPosition -= kRange;
    else if (mPosition < kMinimum)
        mPosition += kRange;
    if (mStepsLeft > 1)
    {
        --mStepsLeft;
        return true;
    }
    mStepsLeft = 0;
    return false;
}

} // namespace KV
