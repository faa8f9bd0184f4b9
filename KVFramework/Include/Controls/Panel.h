#pragma once
// LPanel: the general container. Its children are laid out by their own layouts; the panel
// makes them one unit for the keyboard: a key its parent offers as a sibling key is
// offered to the panel's children, Tab stays inside a nested panel until it runs off
// either end and then goes on in the parent, and a hot key nobody inside takes climbs to
// the parent and, from the top panel, to the application's hot keys.

#include "Controls/ScrollView.h"

namespace KV {

class LPanel : public LScrollView
{
public:
    LPanel(const RCPtr<LControl>& parent, const String& name);

    // A panel without a parent keeps no table of its own: nothing offers it sibling keys.
    KVRESULT Initialize() override;

    // The base answer, or none where it wrapped round, for a panel inside another control.
    RCPtr<LControl> GetNextTabStop(const RCPtr<LControl>& child, bool backward) override;
    void HandleNavigationKey(const RCPtr<LKeyParam>& param) override;
    KVRESULT ProcessHotKeys(const RCPtr<LKeyParam>& param) override;

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LPanel() override;

private:
    // A key the parent offers its children: offered to the panel's children in turn.
    KVRESULT OnSiblingKey(const RCPtr<LNotificationDistributor>& sender,
                          const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LPanel>> mOwnHandler;
};

} // namespace KV
