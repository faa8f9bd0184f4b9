#include "Controls/FileDropper.h"

namespace KV {

LFileDropper::LFileDropper(const RCPtr<LControl>& parent, const String& name) : LControl(parent, name) {}

LFileDropper::~LFileDropper() = default;

KVRESULT LFileDropper::PostInitialize()
{
    SetNotFocusable(true);
    SetVisible(true);
    return S_OK;
}

void LFileDropper::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    if (param && (param->mNewConditions & ~param->mOldConditions & kConditionLeftPressed) != 0)
    {
        SetDragMode(kDragAndDrop, kDragFlagX | kDragFlagY);
        SetDragThreshold(0);
    }
}

void LFileDropper::EndDrag()
{
    RCPtr<LFileDropper> self(this);
    LControl::EndDrag();
    if (RCPtr<LControl> parent = GetParent())
        parent->RemoveChild(RCPtr<LControl>(self));
}

} // namespace KV
