#pragma once
// LMenuItemUpdater: what popup menus and the menu bar hold to find the control that
// answers for the state of their items (LControl::GetMenuItemState).
//
// Its reference to the control is counted by the control as internal, so that an
// updater held by a menu does not keep the control's tree alive: the control drops it
// when only internal references remain.

#include "ObjectBase/RCPtr.h"

namespace KV {

class LControl;

class LMenuItemUpdater : public virtual LRefCountedObject
{
public:
    static RCPtr<LMenuItemUpdater> Create(const RCPtr<LControl>& control);

    // Empty once the control has let go of its tree.
    const RCPtr<LControl>& GetControl() const noexcept { return mControl; }
    // The control lets go: menus that still hold the updater find no control.
    void DetachControl() { mControl.Reset(); }

protected:
    ~LMenuItemUpdater() override;

private:
    explicit LMenuItemUpdater(const RCPtr<LControl>& control);

    RCPtr<LControl> mControl;
};

} // namespace KV
