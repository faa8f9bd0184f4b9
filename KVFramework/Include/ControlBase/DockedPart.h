#pragma once
// LDockedPart: a visual part placed inside a look by offsets from the look's edges.

#include "ControlBase/VisualPartDescriptor.h"

#include <cstdint>

namespace KV {

class LDockedPart : public virtual LRefCountedObject
{
public:
    // Bits of mGivenOffsets: which edges the skin placed.
    static constexpr int32_t kOffsetLeft = 1;
    static constexpr int32_t kOffsetTop = 2;
    static constexpr int32_t kOffsetRight = 4;
    static constexpr int32_t kOffsetBottom = 8;
    static constexpr int32_t kAllOffsets = 15;

    struct Placement
    {
        int32_t mGivenOffsets = 0;
        // Each edge relative to the look's edge of the same side, in pixels, positive to
        // the right and downward; 0 where not given.
        int32_t mLeft = 0;
        int32_t mTop = 0;
        int32_t mRight = 0;
        int32_t mBottom = 0;
        bool mWidthGiven = false;
        int32_t mWidth = 0;
        bool mHeightGiven = false;
        int32_t mHeight = 0;
    };

    static RCPtr<LDockedPart> Create(const RCPtr<LVisualPartDescriptor>& part, const Placement& placement);

    // The visual part of the part descriptor; null without one.
    RCPtr<LVisualPart> GetVisualPart() const { return mPart ? mPart->GetVisualPart() : nullptr; }

    RCPtr<LVisualPartDescriptor> mPart;
    Placement mPlacement;

protected:
    LDockedPart(const RCPtr<LVisualPartDescriptor>& part, const Placement& placement)
        : mPart(part), mPlacement(placement)
    {
    }
    ~LDockedPart() override = default;
};

} // namespace KV
