#include "ControlBase/ControlLooks.h"

#include "Renderer/AutoClip.h"
#include "Renderer/Renderer.h"

namespace KV {

namespace {

constexpr uint32_t kTransparentWhite = 0x00FFFFFF;

} // namespace

int32_t LControlLooks::AddLook(const RCPtr<LLook>& look)
{
    mLooks.push_back(look);
    if (mWeights.size() < mLooks.size())
        mWeights.push_back(0.0f);
    return static_cast<int32_t>(mLooks.size()) - 1;
}

KVRESULT LControlLooks::SetLookWeight(int32_t index, float weight, bool exclusive, bool& changed)
{
    changed = false;
    if (index < 0 || static_cast<size_t>(index) >= mWeights.size())
        return E_INVALIDARG;
    if (weight >= 0.0f && weight <= 1.0f)
    {
        changed = mWeights[index] != weight;
        mWeights[index] = weight;
    }
    if (exclusive)
        for (size_t i = 0; i < mWeights.size(); ++i)
            if (static_cast<int32_t>(i) != index && mWeights[i] != 0.0f)
            {
                mWeights[i] = 0.0f;
                changed = true;
            }
    return S_OK;
}

float LControlLooks::GetLookWeight(int32_t index) const
{
    return index >= 0 && static_cast<size_t>(index) < mWeights.size() ? mWeights[index] : 0.0f;
}

RCPtr<LLook> LControlLooks::GetLook(int32_t index) const
{
    if (index >= 0 && static_cast<size_t>(index) < mLooks.size())
        return mLooks[index];
    const int32_t shown = GetShownLookIndex();
    if (shown >= 0)
        return mLooks[shown];
    for (const RCPtr<LLook>& look : mLooks)
        if (look)
            return look;
    return nullptr;
}

int32_t LControlLooks::GetShownLookIndex() const
{
    for (size_t i = 0; i < mLooks.size(); ++i)
        if (mLooks[i] && GetLookWeight(static_cast<int32_t>(i)) > 0.0f)
            return static_cast<int32_t>(i);
    return -1;
}

RectT<double> LControlLooks::GetClientRect(int32_t index, const SizeT<double>& controlSize) const
{
    const RCPtr<LLook> look = GetLook(index);
    if (!look)
        return {0, 0, controlSize.width, controlSize.height};
    return look->GetClientRect().ToDouble();
}

bool LControlLooks::IsTransparentAt(const PointT<double>& point) const
{
    for (size_t i = 0; i < mLooks.size(); ++i)
        if (mLooks[i] && GetLookWeight(static_cast<int32_t>(i)) > 0.0f &&
            (mLooks[i]->GetColorAtPoint(point) >> 24) != 0)
            return false;
    return true;
}

uint32_t LControlLooks::GetColorAtPoint(const PointT<double>& point, int32_t index) const
{
    const RCPtr<LLook> look = GetLook(index);
    return look ? look->GetColorAtPoint(point) : kTransparentWhite;
}

void LControlLooks::SetSize(const SizeT<int32_t>& size)
{
    for (const RCPtr<LLook>& look : mLooks)
        if (look)
            look->SetSize(size);
}

void LControlLooks::ForEachShownLook(LRenderer& renderer, const std::function<void(LLook&)>& draw) const
{
    const RCPtr<LRenderer> held(&renderer);
    for (size_t i = 0; i < mLooks.size(); ++i)
    {
        const float weight = GetLookWeight(static_cast<int32_t>(i));
        if (!mLooks[i] || !(weight > 0.0f))
            continue;
        CAutoClip scope = CAutoClip::CAutoClipPushState(held);
        if (LRenderContextInfo* context = renderer.GetCurrentContext())
            context->GetCurrentState().mAlpha *= weight;
        draw(*mLooks[i]);
    }
}

void LControlLooks::DrawClientAreas(LRenderer& renderer, const RectRegion& dirty) const
{
    ForEachShownLook(renderer, [&](LLook& look) { look.DrawClientArea(renderer, dirty); });
}

void LControlLooks::DrawNonClientParts(LRenderer& renderer, const RectRegion& dirty) const
{
    ForEachShownLook(renderer, [&](LLook& look) { look.Draw(renderer, dirty); });
}

void LControlLooks::DrawLabels(LRenderer& renderer, const RectRegion& dirty, const PointT<int32_t>& offset,
                               const std::function<void(LLook&)>& inside) const
{
    ForEachShownLook(renderer, [&](LLook& look) {
        look.DrawLabelText(renderer, dirty, offset);
        if (inside)
            inside(look);
    });
}

} // namespace KV
