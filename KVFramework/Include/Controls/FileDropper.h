#pragma once
// LFileDropper: a drag token. The user picks it up with the left button and drops it on a
// drop target, which decides what the drop means; once dropped, accepted or not, the token
// leaves its parent. It never takes the focus.

#include "Controls/ControlClass.h"

namespace KV {

class LFileDropper : public LControl
{
public:
    LFileDropper(const RCPtr<LControl>& parent, const String& name);

    // Not focusable, shown. Returns 0.
    KVRESULT PostInitialize() override;
    // A left press makes the token follow the pointer from its first move on.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // Drops the token on the target under the pointer, then leaves the parent.
    void EndDrag() override;

protected:
    ~LFileDropper() override;
};

} // namespace KV
