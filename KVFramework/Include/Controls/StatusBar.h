#pragma once
// LStatusBar: the status line. It shows one text in its label "label1", either at once or
// posted from any thread: posted texts wait in the status bar's own queue and are shown at
// the next idle tick, and of several texts posted between two ticks only the latest is
// shown.
//
// The status bar that initialised last is the application's current one, through which
// the application shows its status texts; it stops being current when it is let go.

#include "Application/StatusTextTarget.h"
#include "Controls/Label.h"
#include "Notification/NotificationQueue.h"

namespace KV {

class LStatusBar : public LControl, public LNotificationQueue, public IStatusTextTarget
{
public:
    LStatusBar(const RCPtr<LControl>& parent, const String& name);

    // Opens the queue, keeps idle processing on for the life of the status bar, finds
    // "label1" and becomes the current status bar. Returns the base's answer.
    KVRESULT Initialize() override;
    // The base's answer; a status bar never takes the focus.
    KVRESULT ApplyAttributes() override;
    // Shows the latest text posted since the last tick.
    void OnIdle() override;

    // Shows the text now; texts posted before it are shown first, so that none of them
    // overwrites it later. E_FAIL when the skin gave no label to show it in.
    KVRESULT SetStatusTextNow(const String& text);
    // Callable from any thread. The queue's answer: E_FAIL once the status bar is let go.
    KVRESULT PostStatusText(const String& text);
    // The resting text of the status line: what the label's texts hold under "LABEL".
    String GetLabelText();
    const RCPtr<LLabel>& GetLabel() const noexcept { return mLabel; }

    // The application's status text, at once or posted.
    KVRESULT SetStatusText(const String& text, bool atOnce) override;
    KVRESULT RestoreStatusText(bool atOnce) override;

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;
    // Shuts the queue, gives back the queue's reference to the status bar and stops being
    // the current status bar, then lets the control go.
    KVRESULT ReleaseInternalReferences() override;

protected:
    ~LStatusBar() override;

private:
    KVRESULT OnSetStatusText(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification);
    void StopBeingCurrent() noexcept;

    RCPtr<LNotificationHandler<LStatusBar>> mOwnHandler;
    RCPtr<LLabel> mLabel;
    bool mDispatchesItself = false;
};

} // namespace KV
