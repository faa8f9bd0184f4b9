#pragma once
// LLayoutDescriptor: where a control of a skin goes and how large it is, per axis, with
// its drawing order, focus order, initial state and text overflow.

#include "KVResult.h"
#include "ObjectBase/RCPtr.h"
#include "Storage/StringT.h"

#include <cstdint>

namespace KV {

// What a position is measured from.
enum class PositionReference : int32_t
{
    Parent = 0,  // written "Parent" or "Screen"
    Client = 1,  // the parent's client area; written "Client" or "Active Window"
    Control = 2, // the sibling named beside it
};

// What a size is measured from.
enum class SizeReference : int32_t
{
    Parent = 0,
    Client = 1,
    Self = 2, // the absolute size alone
    Control = 3,
};

enum class TextOverflowX : int32_t
{
    Clip = 0,
    Expand = 1,
    Wrap = 2,
};

enum class TextOverflowY : int32_t
{
    Clip = 0,
    Expand = 1,
};

// The position on one axis.
struct LayoutPositionSpec
{
    float mPlacementAnchor = 0; // fraction of the control's own size moved back
    PositionReference mReference = PositionReference::Client;
    String mControlName; // with PositionReference::Control
    float mRel = 0;      // fraction of the reference size
    double mAbs = 0;     // pixels, a whole number

    bool operator==(const LayoutPositionSpec&) const = default;
};

// The size on one axis.
struct LayoutSizeSpec
{
    SizeReference mReference = SizeReference::Self;
    String mControlName; // with SizeReference::Control
    float mRel = 0;
    double mAbs = 0; // pixels, a whole number

    bool operator==(const LayoutSizeSpec&) const = default;
};

// A minimum or maximum size on one axis.
struct LayoutSizeLimitSpec
{
    bool mToControl = false; // false: the absolute value alone ("Self")
    String mControlName;     // "Children": the bounding box of the control's children
    float mRel = 0;
    double mAbs = 0; // for a maximum of "Self", 0 means none

    bool operator==(const LayoutSizeLimitSpec&) const = default;
};

// Everything that places one axis: the position with the axis's docked flag, and the
// size.
struct LayoutAxisSpec
{
    LayoutPositionSpec mPosition;
    bool mDocked = false;
    LayoutSizeSpec mSize;

    bool operator==(const LayoutAxisSpec&) const = default;
};

class LLayoutDescriptor : public virtual LRefCountedObject
{
public:
    // The defaults: 16 pixels wide and 40 high, placed at the client origin.
    static RCPtr<LLayoutDescriptor> Create();
    // A new descriptor with every field copied.
    RCPtr<LLayoutDescriptor> Clone() const;

    // axis 0 is X, 1 Y; another axis gives Y's (reading) or E_INVALIDARG, nothing written.
    LayoutAxisSpec GetAxisSpec(int axis) const;
    KVRESULT SetAxisSpec(int axis, const LayoutAxisSpec& spec);
    KVRESULT SetAxisLimits(int axis, const LayoutSizeLimitSpec& minimum, const LayoutSizeLimitSpec& maximum);

    bool mClipToParent = true;
    int32_t mZOrder = 0;
    int32_t mTabStop = 0; // negative: not focusable
    bool mIsVisible = true;
    bool mEnabled = true;
    bool mXIsDocked = false;
    bool mYIsDocked = false;
    LayoutPositionSpec mXPosition;
    LayoutPositionSpec mYPosition;
    LayoutSizeSpec mXSize{SizeReference::Self, String(), 0, 16.0};
    LayoutSizeSpec mYSize{SizeReference::Self, String(), 0, 40.0};
    LayoutSizeLimitSpec mXMinSize;
    LayoutSizeLimitSpec mYMinSize;
    LayoutSizeLimitSpec mXMaxSize;
    LayoutSizeLimitSpec mYMaxSize;
    String mTextDecoration;
    TextOverflowX mTextOverflowX = TextOverflowX::Clip;
    TextOverflowY mTextOverflowY = TextOverflowY::Clip;
    int32_t mLayoutOrder = 0; // order of layout among siblings, and of the descriptors

protected:
    LLayoutDescriptor() = default;
    LLayoutDescriptor(const LLayoutDescriptor&) = default;
    ~LLayoutDescriptor() override = default;
};

} // namespace KV
