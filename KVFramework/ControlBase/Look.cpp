#include "ControlBase/Look.h"

#include "ControlBase/Colorizer.h"
#include "ObjectBase/Exception.h"

#include "Renderer/AutoClip.h"
#include "Renderer/Renderer.h"

#include <algorithm>
#include <cmath>

namespace KV {

namespace {

constexpr uint32_t kTransparentWhite = 0x00FFFFFF;

bool IsVisible(uint32_t argb)
{
    return (argb >> 24) != 0;
}

RenderState* CurrentState(LRenderer& renderer)
{
    LRenderContextInfo* context = renderer.GetCurrentContext();
    return context ? &context->GetCurrentState() : nullptr;
}

// A dirty rectangle (surface coordinates) in the current coordinates, cut to the frame;
// false when nothing of it is left or it lies outside the current clip.
bool CutToFrame(LRenderer& renderer, const RectT<int32_t>& dirty, const RectT<int32_t>& frame,
                RectT<double>& out)
{
    const RenderState* state = CurrentState(renderer);
    const PointT<double> origin = state ? state->mOrigin : PointT<double>{};
    const RectT<double> local{dirty.x - origin.x, dirty.y - origin.y, static_cast<double>(dirty.width),
                              static_cast<double>(dirty.height)};
    if (!RectT<double>::Intersect(out, local, frame.ToDouble()))
        return false;
    if (!state)
        return true;
    RectT<double> visible;
    return RectT<double>::Intersect(visible, out, state->mClip);
}

} // namespace

RCPtr<LLook> LLook::Create(const RCPtr<LLookDescriptor>& descriptor, bool wrap)
{
    RCPtr<LLook> look(new LLook());
    look->SetDescriptor(descriptor, wrap);
    return look;
}

void LLook::SetDescriptor(const RCPtr<LLookDescriptor>& descriptor, bool wrap)
{
    mDescriptor = descriptor;
    mTextForegroundPart = nullptr;
    mClientPart = nullptr;
    if (descriptor && descriptor->mHasTextProperties)
    {
        const LLookDescriptor::TextProperties& text = descriptor->mText;
        if (text.mForegroundPart)
            mTextForegroundPart = text.mForegroundPart->GetVisualPart();
        // The control gives the label its font once it has one.
        if (!mLabel)
            mLabel = LFontText::Create(String(), nullptr);
        mLabel->SetWordWrap(wrap);
        mLabel->SetAlignment(text.mHAlign, text.mVAlign);
    }
    else
    {
        mLabel = nullptr;
    }
    if (descriptor && descriptor->mClientPart)
        mClientPart = descriptor->mClientPart->GetVisualPart();
    mPartRects.clear();
    mParts.clear();
    // No size matches a real one, so the next SetSize places everything.
    mSize = {-1, -1};
}

bool LLook::SetSize(const SizeT<int32_t>& size)
{
    if (size == mSize)
        return true;
    mSize = size;
    PlaceClient(size);
    PlaceNonClientParts(size);
    PlaceLabel(size);
    mClipRect = mClientRect;
    mStencil = nullptr;
    return true;
}

void LLook::PlaceClient(const SizeT<int32_t>& size)
{
    const int32_t w = std::max(size.width, 0);
    const int32_t h = std::max(size.height, 0);
    // Without a client part the whole look is client area.
    if (!mDescriptor || !mDescriptor->mClientPart)
    {
        mClientRect = {0, 0, w, h};
        return;
    }
    const LDockedPart::Placement& at = mDescriptor->mClientPart->mPlacement;
    const auto sum = [](int64_t a, int64_t b) { return Detail::SaturateToInt32(a + b); };
    const int32_t x = std::clamp(at.mLeft, 0, w);
    const int32_t y = std::clamp(at.mTop, 0, h);
    mClientRect = {x, y, std::clamp(sum(at.mRight, int64_t{w} - x), 0, w - x),
                   std::clamp(sum(at.mBottom, int64_t{h} - y), 0, h - y)};
}

void LLook::PlaceNonClientParts(const SizeT<int32_t>& size)
{
    mPartRects.clear();
    mParts.clear();
    if (!mDescriptor)
        return;
    const int64_t w = size.width;
    const int64_t h = size.height;
    for (uint32_t i = 0; i < mDescriptor->mNonClientParts.GetCount(); ++i)
    {
        const RCPtr<LDockedPart>& docked = *mDescriptor->mNonClientParts.GetAtConst(i);
        RCPtr<LVisualPart> part = docked ? docked->GetVisualPart() : nullptr;
        RectT<int32_t> rect;
        if (docked)
        {
            const LDockedPart::Placement& at = docked->mPlacement;
            const SizeT<int32_t> own = part ? part->GetPartSize() : SizeT<int32_t>{};
            const int64_t pw = at.mWidthGiven ? at.mWidth : own.width;
            const int64_t ph = at.mHeightGiven ? at.mHeight : own.height;
            const bool hasLeft = (at.mGivenOffsets & LDockedPart::kOffsetLeft) != 0;
            const bool hasTop = (at.mGivenOffsets & LDockedPart::kOffsetTop) != 0;
            const bool hasRight = (at.mGivenOffsets & LDockedPart::kOffsetRight) != 0;
            const bool hasBottom = (at.mGivenOffsets & LDockedPart::kOffsetBottom) != 0;
            int64_t left = hasLeft ? at.mLeft : 0;
            int64_t top = hasTop ? at.mTop : 0;
            int64_t right = hasRight ? w + at.mRight : w;
            int64_t bottom = hasBottom ? h + at.mBottom : h;
            if (!hasLeft)
                left = right - pw;
            if (!hasTop)
                top = bottom - ph;
            if (!hasRight)
                right = left + pw;
            if (!hasBottom)
                bottom = top + ph;
            if (!hasLeft && !hasRight)
            {
                left = (w - pw) / 2;
                right = left + pw;
            }
            if (!hasTop && !hasBottom)
            {
                top = (h - ph) / 2;
                bottom = top + ph;
            }
            rect = {Detail::SaturateToInt32(left), Detail::SaturateToInt32(top),
                    Detail::SaturateToInt32(right - left), Detail::SaturateToInt32(bottom - top)};
        }
        mPartRects.push_back(rect);
        mParts.push_back(std::move(part));
    }
}

void LLook::PlaceLabel(const SizeT<int32_t>& size)
{
    if (!mLabel || !mDescriptor)
        return;
    const LLookDescriptor::TextProperties& text = mDescriptor->mText;
    const float w = static_cast<float>(size.width);
    const float h = static_cast<float>(size.height);
    const float left = static_cast<float>(text.mLeftAbs) + text.mLeftRel * w;
    const float top = static_cast<float>(text.mTopAbs) + text.mTopRel * h;
    const float right = static_cast<float>(text.mRightAbs) + text.mRightRel * w;
    const float bottom = static_cast<float>(text.mBottomAbs) + text.mBottomRel * h;
    mLabel->SetBoxSize(FloatToLong(right - left), FloatToLong(bottom - top));
    mTextOrigin = {DoubleToLong(std::trunc(static_cast<double>(left))),
                   DoubleToLong(std::trunc(static_cast<double>(top)))};
}

bool LLook::SetText(const String& text)
{
    return mLabel ? mLabel->SetText(text) : true;
}

bool LLook::SetFont(const RCPtr<LFont>& font)
{
    return mLabel ? mLabel->SetFont(font) : true;
}

std::vector<RectT<int32_t>> LLook::RegionToPaint(LRenderer& renderer, const RectRegion& dirty) const
{
    RectRegion limited;
    const RectRegion* region = &dirty;
    if (!mRegion.IsEmpty())
    {
        const RenderState* state = CurrentState(renderer);
        const PointT<int32_t> origin = state ? state->mOrigin.ToLong() : PointT<int32_t>{};
        limited.AppendRegion(mRegion);
        limited.Offset(origin.x, origin.y);
        limited.Intersect(dirty);
        region = &limited;
    }
    std::vector<RectT<int32_t>> rects;
    for (const RegionNode* node = region->GetFirstNode(); node; node = node->next)
        rects.push_back({node->rect.left, node->rect.top, node->rect.right - node->rect.left,
                         node->rect.bottom - node->rect.top});
    return rects;
}

int32_t LLook::DrawClientArea(LRenderer& renderer, const RectRegion& dirty)
{
    int32_t answer = 0;
    const RCPtr<LRenderer> held(&renderer);
    const SizeT<int32_t> clientSize{mClientRect.width, mClientRect.height};
    for (const RectT<int32_t>& rect : RegionToPaint(renderer, dirty))
    {
        RectT<double> clip;
        if (!CutToFrame(renderer, rect, mClientRect, clip))
            continue;
        CAutoClip scope = CAutoClip::CAutoClipPushClip(held, mClientRect.ToDouble(), clip, mStencil);
        if (mClientPart && !(mOverridePart && mOverrideHidesClient) &&
            mClientPart->Draw(renderer, clientSize))
            answer = 1;
        if (mOverridePart && mOverridePart->Draw(renderer, clientSize))
            answer = 1;
    }
    return answer;
}

int32_t LLook::Draw(LRenderer& renderer, const RectRegion& dirty)
{
    const RCPtr<LRenderer> held(&renderer);
    const std::vector<RectT<int32_t>> rects = RegionToPaint(renderer, dirty);
    for (size_t i = 0; i < mParts.size(); ++i)
    {
        if (!mParts[i])
            continue;
        const RectT<int32_t>& frame = mPartRects[i];
        for (const RectT<int32_t>& rect : rects)
        {
            RectT<double> clip;
            if (!CutToFrame(renderer, rect, frame, clip))
                continue;
            CAutoClip scope = CAutoClip::CAutoClipPushClip(held, frame.ToDouble(), clip, nullptr);
            mParts[i]->Draw(renderer, {frame.width, frame.height});
        }
    }
    return 0;
}

int32_t LLook::DrawLabelText(LRenderer& renderer, const RectRegion& dirty, const PointT<int32_t>& offset)
{
    if (!mLabel)
        return 1;
    const RCPtr<LRenderer> held(&renderer);
    const RectT<int32_t> area{0, 0, mSize.width, mSize.height};
    const RectT<double> textArea{static_cast<double>(mTextOrigin.x), static_cast<double>(mTextOrigin.y),
                                 static_cast<double>(mLabel->GetBoxWidth()),
                                 static_cast<double>(mLabel->GetBoxHeight())};
    for (const RectT<int32_t>& rect : RegionToPaint(renderer, dirty))
    {
        RectT<double> clip;
        if (!CutToFrame(renderer, rect, area, clip))
            continue;
        CAutoClip scope = CAutoClip::CAutoClipPushClip(held, area.ToDouble(), clip, mStencil);
        if (!mTextForegroundPart)
            continue;
        // A label is drawn in one colour, which a gradient or a picture does not give.
        if (const RCPtr<LColorizer>& colorizer = mTextForegroundPart->GetColorizer();
            colorizer && colorizer->mType != ColorType::SolidFill)
            KV_THROW(std::domain_error, "Gradient fill for text foreground part not yet implemented.");
        if (mTextForegroundPart->GetBitmap())
            KV_THROW(std::domain_error, "Bitmap fill for text foreground part not yet implemented.");
        const ColorT color = mTextForegroundPart->GetTextColor();
        CAutoClip textScope = CAutoClip::CAutoClipPushClip(held, textArea, textArea, nullptr);
        const int32_t lines = mLabel->GetLineCount();
        for (int32_t line = 0; line < lines; ++line)
        {
            const RectT<float>& placed = mLabel->GetLine(line);
            const PointT<int32_t> position{FloatToLong(placed.x) - offset.x,
                                           FloatToLong(placed.y) - offset.y};
            renderer.DrawText(mLabel->GetLineText(line), mLabel->GetFont(), position, color);
        }
    }
    return 0;
}

bool LLook::IsLabelTextClipped(int32_t controlWidth) const
{
    if (!mLabel || !mDescriptor || mLabel->GetLineCount() < 1)
        return false;
    const LLookDescriptor::TextProperties& text = mDescriptor->mText;
    const float w = static_cast<float>(controlWidth);
    const float areaWidth = (static_cast<float>(text.mRightAbs) + text.mRightRel * w) -
                            (static_cast<float>(text.mLeftAbs) + text.mLeftRel * w);
    return mLabel->GetLine(0).width > areaWidth;
}

uint32_t LLook::GetColorAtPoint(const PointT<double>& point) const
{
    uint32_t color = kTransparentWhite;
    for (size_t i = 0; i < mParts.size() && !IsVisible(color); ++i)
    {
        if (!mParts[i])
            continue;
        const RectT<int32_t>& rect = mPartRects[i];
        color =
            mParts[i]->GetColorAtPoint({point.x - rect.x, point.y - rect.y},
                                       {static_cast<double>(rect.width), static_cast<double>(rect.height)});
    }
    const PointT<double> inClient{point.x - mClientRect.x, point.y - mClientRect.y};
    const SizeT<double> clientSize{static_cast<double>(mClientRect.width),
                                   static_cast<double>(mClientRect.height)};
    if (!IsVisible(color) && mOverridePart)
        color = mOverridePart->GetColorAtPoint(inClient, clientSize);
    if (!IsVisible(color) && mClientPart)
        color = mClientPart->GetColorAtPoint(inClient, clientSize);
    return color;
}

bool LLook::SetOverridePart(const RCPtr<LBitmap>& bitmap, ResizeType resizeType, bool hidesClient)
{
    if (bitmap)
    {
        mOverridePart = LVisualPart::Create(String(), bitmap, resizeType, nullptr, {}, 1.0f, nullptr);
        mOverrideHidesClient = hidesClient;
        return false;
    }
    if (!mOverridePart)
        return true;
    mOverridePart = nullptr;
    return false;
}

} // namespace KV
