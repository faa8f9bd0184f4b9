// The looks of a control: which are shown, and the changes a control makes to one of
// them at run time.

#include "ControlBase/Control.h"

#include <cmath>

namespace KV {

int32_t LControl::AddLook(const RCPtr<LLook>& look)
{
    const int32_t index = mLooks.AddLook(look);
    if (look)
        look->SetSize(SizeT<double>{mRect.width, mRect.height}.ToLong());
    return index;
}

KVRESULT LControl::ShowLook(int32_t index)
{
    return SetLookWeight(index, 1.0f, true);
}

KVRESULT LControl::SetLookWeight(int32_t index, float weight, bool exclusive)
{
    bool changed = false;
    const KVRESULT result = mLooks.SetLookWeight(index, weight, exclusive, changed);
    if (changed)
        InvalidateWhole();
    return result;
}

RectT<double> LControl::GetClientRect(int32_t lookIndex) const
{
    return mLooks.GetClientRect(lookIndex, {mRect.width, mRect.height});
}

bool LControl::IsTransparentAt(const PointT<double>& point)
{
    return mLooks.IsTransparentAt(point);
}

uint32_t LControl::GetColorAtPoint(const PointT<double>& point, int32_t lookIndex)
{
    return mLooks.GetColorAtPoint(point, lookIndex);
}

KVRESULT LControl::SetLookBitmap(const RCPtr<LBitmap>& bitmap, ResizeType resizeType, int32_t lookIndex,
                                 bool hidesClient)
{
    const RCPtr<LLook> look = mLooks.GetLook(lookIndex);
    if (!look)
        return E_FAIL;
    const bool nothingToDo = look->SetOverridePart(bitmap, resizeType, hidesClient);
    const int32_t shown = mLooks.GetShownLookIndex();
    if (!nothingToDo && shown >= 0 && look == mLooks.GetLook(shown))
        InvalidateWhole();
    return S_OK;
}

KVRESULT LControl::SetLookTextForeground(const RCPtr<LVisualPart>& part, int32_t lookIndex)
{
    const RCPtr<LLook> look = mLooks.GetLook(lookIndex);
    if (!look)
        return E_FAIL;
    if (!part)
        return E_INVALIDARG;
    look->SetTextForegroundPart(part);
    return S_OK;
}

KVRESULT LControl::SetLookRegion(int32_t lookIndex, const RectRegion& region)
{
    const RCPtr<LLook> look = mLooks.GetLook(lookIndex);
    if (!look)
        return E_INVALIDARG;
    look->GetRegion().Clear();
    look->GetRegion().AppendRegion(region);
    InvalidateWhole();
    return S_OK;
}

void LControl::ClearLookRegion(int32_t lookIndex)
{
    if (const RCPtr<LLook> look = mLooks.GetLook(lookIndex))
        look->GetRegion().Clear();
}

void LControl::ClearLookRegions()
{
    for (int32_t i = 0; i < mLooks.GetLookCount(); ++i)
        if (const RCPtr<LLook> look = mLooks.GetLook(i))
            look->GetRegion().Clear();
}

KVRESULT LControl::SetLookRegionExcluding(int32_t a, int32_t b)
{
    const RCPtr<LLook> kept = mLooks.GetLook(a);
    const RCPtr<LLook> excluded = mLooks.GetLook(b);
    if (!kept || !excluded)
        return E_INVALIDARG;
    RectRegion& region = kept->GetRegion();
    region.Clear();
    region.AddRect({0, 0, DoubleToLong(mRect.width), DoubleToLong(mRect.height)});
    region.SubtractRegion(excluded->GetRegion());
    InvalidateWhole();
    return S_OK;
}

bool LControl::IsLabelTextClipped() const
{
    const RCPtr<LLook> look = mLooks.GetLook(mLooks.GetShownLookIndex());
    return look && look->IsLabelTextClipped(DoubleToLong(mRect.width));
}

} // namespace KV
