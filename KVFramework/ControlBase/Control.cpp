#include "ControlBase/Control.h"

#include "ControlBase/RootWindow.h"
#include "ControlBase/StringTable.h"
#include "ObjectBase/Exception.h"

namespace KV {

LControl::LControl(const RCPtr<LControl>& parent, const String& name, const RCPtr<LStringTable>& stringTable)
    : mName(name), mParent(parent), mStringTable(stringTable)
{
}

LControl::~LControl() = default;

RCPtr<LControl> LControl::GetTopControl()
{
    LControl* top = this;
    while (top->mParent)
        top = top->mParent.Get();
    return RCPtr<LControl>(top);
}

RCPtr<LRootWindow> LControl::GetRootWindow()
{
    return GetTopControl()->mRootWindow;
}

KVRESULT LControl::SetRootWindow(const RCPtr<LRootWindow>& rootWindow)
{
    if (mParent)
        return E_FAIL;
    mRootWindow = rootWindow;
    return S_OK;
}

bool LControl::IsEditTarget() const
{
    return false;
}

RCPtr<LControl> LControl::GetEditTarget()
{
    for (LControl* control = this; control; control = control->mParent.Get())
        if (control->IsEditTarget())
            return RCPtr<LControl>(control);
    return nullptr;
}

bool LControl::CanPerformEdit(int)
{
    return false;
}

int LControl::PerformEdit(int)
{
    KV_THROW(std::logic_error, "PerformEdit() not implemented for a control that is no edit target");
}

KVRESULT LControl::ReleaseInternalReferences()
{
    UnregisterAllNotifications();
    DetachAllClients();
    return LRefCountedObject::ReleaseInternalReferences();
}

} // namespace KV
