#pragma once
// LLook: one drawable state of a control, made from a skin's look descriptor: a client
// part filling the client area, parts docked to the edges around it (frames, corners,
// caps), an optional part set at run time over the client area, and an optional label
// whose colour a foreground part gives.
//
// SetSize places everything for the control's size; the three draw operations then paint
// the parts inside the dirty region, each part clipped to its own rectangle.
//
// Window thread only.

#include "ControlBase/LookDescriptor.h"
#include "ControlBase/VisualPart.h"
#include "Graphics/RectRegion.h"
#include "Renderer/FontText.h"
#include "Renderer/Stencil.h"

#include <cstdint>
#include <vector>

namespace KV {

class LRenderer;

class LLook : public virtual LRefCountedObject
{
public:
    static RCPtr<LLook> Create(const RCPtr<LLookDescriptor>& descriptor, bool wrap);

    // Takes the descriptor's parts and label settings; the next SetSize places everything.
    void SetDescriptor(const RCPtr<LLookDescriptor>& descriptor, bool wrap);
    // Places the parts and the label for the size; true (also when nothing changed).
    bool SetSize(const SizeT<int32_t>& size);
    // Passed to the label; true when there is none.
    bool SetText(const String& text);
    bool SetFont(const RCPtr<LFont>& font);

    // The parts around the client area. Answers 0.
    virtual int32_t Draw(LRenderer& renderer, const RectRegion& dirty);
    // The client and override parts. Answers 1 when a part draw answered nonzero, else 0.
    virtual int32_t DrawClientArea(LRenderer& renderer, const RectRegion& dirty);
    // The label, its lines moved back by the offset (a scrolled control's offset). Answers
    // 1 without a label, else 0.
    virtual int32_t DrawLabelText(LRenderer& renderer, const RectRegion& dirty,
                                  const PointT<int32_t>& offset);

    // True when the label's first line is wider than its text area at the control's width.
    bool IsLabelTextClipped(int32_t controlWidth) const;

    // The colour at the point: of the first docked part that shows anything there, else of
    // the override part, else of the client part; transparent white when none does.
    uint32_t GetColorAtPoint(const PointT<double>& point) const;

    // With a bitmap: a part made from it is drawn over (or, with hidesClient, instead of)
    // the client part; answers false. With none: drops the override part, answering
    // false, or true when there was none.
    bool SetOverridePart(const RCPtr<LBitmap>& bitmap, ResizeType resizeType, bool hidesClient);
    void SetTextForegroundPart(const RCPtr<LVisualPart>& part) { mTextForegroundPart = part; }
    const RCPtr<LVisualPart>& GetTextForegroundPart() const noexcept { return mTextForegroundPart; }
    // The part set at run time over the client area; null when none is.
    const RCPtr<LVisualPart>& GetOverridePart() const noexcept { return mOverridePart; }

    const RCPtr<LLookDescriptor>& GetDescriptor() const noexcept { return mDescriptor; }
    const SizeT<int32_t>& GetSize() const noexcept { return mSize; }
    const RectT<int32_t>& GetClientRect() const noexcept { return mClientRect; }
    const RectT<int32_t>& GetClipRect() const noexcept { return mClipRect; }
    const ConstRCPtr<LStencil>& GetStencil() const noexcept { return mStencil; }
    const std::vector<RectT<int32_t>>& GetPartRects() const noexcept { return mPartRects; }
    const RCPtr<LFontText>& GetLabel() const noexcept { return mLabel; }
    // The parts around the client area, in the skin's order.
    const std::vector<RCPtr<LVisualPart>>& GetParts() const noexcept { return mParts; }
    const PointT<int32_t>& GetTextOrigin() const noexcept { return mTextOrigin; }
    // Limits every draw of the look while not empty.
    RectRegion& GetRegion() noexcept { return mRegion; }

protected:
    LLook() = default;
    ~LLook() override = default;

private:
    // The rectangles of the dirty region to paint, in the renderer's surface coordinates.
    std::vector<RectT<int32_t>> RegionToPaint(LRenderer& renderer, const RectRegion& dirty) const;
    void PlaceClient(const SizeT<int32_t>& size);
    void PlaceNonClientParts(const SizeT<int32_t>& size);
    void PlaceLabel(const SizeT<int32_t>& size);

    RCPtr<LLookDescriptor> mDescriptor;
    RCPtr<LVisualPart> mTextForegroundPart;
    SizeT<int32_t> mSize;
    RectT<int32_t> mClientRect;
    std::vector<RectT<int32_t>> mPartRects;
    std::vector<RCPtr<LVisualPart>> mParts;
    RCPtr<LVisualPart> mClientPart;
    RCPtr<LVisualPart> mOverridePart;
    bool mOverrideHidesClient = false;
    RectT<int32_t> mClipRect;
    ConstRCPtr<LStencil> mStencil;
    RCPtr<LFontText> mLabel;
    PointT<int32_t> mTextOrigin;
    RectRegion mRegion;
};

} // namespace KV
