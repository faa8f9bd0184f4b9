// Tool tips of a control: its text, which control's tool tip shows while the pointer is
// over it, and the tool-tip control made from the skin's "toolTip" descriptor.

#include "ControlBase/Control.h"
#include "ControlBase/ControlDescriptor.h"
#include "ControlBase/ControlFactory.h"
#include "Controls/ToolTip.h"

namespace KV {

namespace {

constexpr char16_t kToolTipName[] = u"toolTip";

} // namespace

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

KVRESULT LControl::ShowToolTip(bool show)
{
    RCPtr<LControl> self(this);
    if (RCPtr<LControl> old = FindChild(String(kToolTipName)))
        if (auto* tip = dynamic_cast<LToolTip*>(old.Get()))
            tip->Hide();
    if (!show)
        return S_OK;

    const String text = GetToolTipText();
    if (text.IsEmpty())
        return S_OK;
    const RCPtr<LControlFactory> factory = GetApplicationFactory();
    if (!factory)
        return S_OK;
    // A skin without the descriptor shows no tool tips.
    const RCPtr<LControlDescriptor>& descriptor = factory->FindControlDescriptor(String(kToolTipName));
    if (!descriptor)
        return S_OK;
    // A hidden tip leaves at the next idle pass; a new one needs its name now.
    if (FindChild(String(kToolTipName)))
        ProcessPendingRemovals();
    if (FindChild(String(kToolTipName)))
        return S_OK; // a child of that name that is no tool tip
    const RCPtr<LControl> made = factory->CreateControl(descriptor, self);
    auto* tip = dynamic_cast<LToolTip*>(made.Get());
    if (!tip)
    {
        // Another class under that name is no tool tip: it does not stay.
        if (made && made->GetParent().Get() == this)
            made->RemoveFromTree();
        return S_OK;
    }
    tip->SetText(text);
    tip->Show();
    return S_OK;
}

} // namespace KV
