#pragma once
// LScrollView: a container whose content (its children, or what a subclass draws) may be
// larger than its client area. It keeps the size of that content, the client extent,
// either set by its subclass or taken from its children (auto extent), and answers the
// range the scroll offset may take and the part of the content in view. Panels, list
// boxes and text boxes derive from it.
//
// The scroll bars that show and move the offset belong to the scroll-bar control; a view
// without bars works on its extent alone.

#include "Controls/ControlClass.h"

namespace KV {

class LScrollView : public LControl
{
public:
    // Which extents the children give (SetAutoExtent).
    static constexpr int32_t kAutoExtentOff = 0;
    static constexpr int32_t kAutoExtentWidth = 1;
    static constexpr int32_t kAutoExtentHeight = 2;
    static constexpr int32_t kAutoExtentBoth = 3;

    LScrollView(const RCPtr<LControl>& parent, const String& name);

    KVRESULT Initialize() override;

    // 1 when both sizes equal the present extent (to rounding); else stores it, re-decides
    // the bars and sends "NID_CLIENT_EXTENT_CHANGE": 0.
    KVRESULT SetClientExtent(double width, double height);
    const SizeT<double>& GetClientExtent() const noexcept { return mClientExtent; }
    // The extent follows the children on the axes of the mode, plus the margins. Returns 0.
    KVRESULT SetAutoExtent(int32_t mode, int32_t marginX, int32_t marginY);
    // 1 with the mode off, else SetClientExtent's result.
    KVRESULT UpdateAutoExtent();
    // Re-decides the bars for the extent; 1 when already under way.
    KVRESULT RecalcScrollBars();
    void UpdateScrollBars() { RecalcScrollBars(); }

    // The client rectangle of the shown look, less the room of shown bars.
    RectT<double> GetClientArea();
    // The offsets the content may scroll to: {0, 0, extent - client area} per axis, at
    // least 0; an axis without extent has no limit.
    RectT<double> GetScrollRange();
    // The part of the content in view: from the scroll offset, as wide and high as the
    // client rectangle or the children reach, whichever is less (at least 1).
    RectT<double> GetViewRect();

    // A child's area changed: the extent follows it unless the view itself is being
    // changed or scrolled.
    int32_t InvalidateChildArea(const RCPtr<LControl>& child) override;
    void BeginGeometryChange() override;
    void EndGeometryChange() override;
    void OnChildRemoved(const RCPtr<LControl>& child, int32_t index) override;

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LScrollView() override;

    // Hooks for subclasses: the client area changed size, or a bar came or went (axis 0
    // horizontal, 1 vertical).
    virtual void OnClientAreaChanged() {}
    virtual void OnScrollBarVisibilityChanged(int) {}

    RCPtr<LNotificationHandler<LScrollView>> mOwnHandler;
    bool mRecalcBarsActive = false;
    bool mSettingScrollOffset = false;
    bool mGeometryChanging = false;
    SizeT<double> mClientExtent;
    int32_t mAutoExtentMode = kAutoExtentOff;
    PointT<int32_t> mAutoExtentMargin;
};

} // namespace KV
