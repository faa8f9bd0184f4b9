#pragma once
// LSkinDescriptor: a control's look list and font. The skin of a whole skin root gives
// the default font of that skin instead.

#include "ControlBase/LookDescriptor.h"

#include <cstdint>

namespace KV {

class LSkinDescriptor : public virtual LRefCountedObject
{
public:
    static constexpr int32_t kFontStyleNotSet = -1;

    static RCPtr<LSkinDescriptor> Create(const String& name);

    // A font value counts as not set while empty, below 1 or kFontStyleNotSet.
    bool HasFontName() const noexcept { return !mFontName.IsEmpty(); }
    bool HasFontSize() const noexcept { return mFontSize >= 1.0f; }
    bool HasFontStyle() const noexcept { return mFontStyle != kFontStyleNotSet; }

    String mName;
    RCPtr<LLookList> mLookList; // null: the skin named none, or none of that name
    bool mFontInheritsFromParent = false;
    bool mFontSizeIsRelative = false; // mFontSize is relative to the inherited size
    String mFontName;
    float mFontSize = 0;
    int32_t mFontStyle = kFontStyleNotSet;

protected:
    explicit LSkinDescriptor(const String& name) : mName(name) {}
    ~LSkinDescriptor() override = default;
};

} // namespace KV
