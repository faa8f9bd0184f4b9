// Tool tips of a control: its text, and which control's tool tip shows while the pointer
// is over it.

#include "ControlBase/Control.h"

namespace KV {

String LControl::GetToolTipText()
{
    return mToolTipText;
}

RCPtr<LControl> LControl::GetToolTipOwner()
{
    LControl* owner = this;
    while (owner->mToolTipText.IsEmpty() && owner->mUseParentToolTip && owner->mParent)
        owner = owner->mParent.Get();
    return RCPtr<LControl>(owner);
}

KVRESULT LControl::ShowToolTip(bool)
{
    // The tool-tip control made from the skin's "toolTip" descriptor shows and hides
    // itself (LToolTip); a control without text never gets one.
    return S_OK;
}

} // namespace KV
