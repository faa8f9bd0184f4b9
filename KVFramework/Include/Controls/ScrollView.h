#pragma once
// LScrollView: a container whose content (its children, or what a subclass draws) may be
// larger than its client area. It keeps the size of that content, the client extent,
// either set by its subclass or taken from its children (auto extent), and answers the
// range the scroll offset may take and the part of the content in view. Panels, list
// boxes and text boxes derive from it.
//
// Its skin may give a horizontal bar "hBar", a vertical bar "vBar" and a "corner" that
// fills the square where they meet (its size is the bars' thickness). A bar shows only
// while the content does not fit; the bars and the scroll offset follow each other. A view
// without bars works on its extent alone.

#include "Controls/ControlClass.h"
#include "Controls/Scrollbar.h"

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
    // Applied again to a created view (a skin change), it finds its bars anew.
    KVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;

    // 1 when both sizes equal the present extent (to rounding); else stores it, re-decides
    // the bars and sends "NID_CLIENT_EXTENT_CHANGE": 0.
    KVRESULT SetClientExtent(double width, double height);
    const SizeT<double>& GetClientExtent() const noexcept { return mClientExtent; }
    // The extent follows the children on the axes of the mode, plus the margins. Returns 0.
    KVRESULT SetAutoExtent(int32_t mode, int32_t marginX, int32_t marginY);
    // 1 with the mode off, else SetClientExtent's result.
    KVRESULT UpdateAutoExtent();
    // Shows the bars the extent needs and ranges them; 1 when already under way.
    KVRESULT RecalcScrollBars();
    virtual void UpdateScrollBars() { RecalcScrollBars(); }
    // The bars' value ranges, thumbs and steps for the view and the extent; the offset
    // moves back inside the range.
    void UpdateBarRanges();
    // The room the bars take: (vertical bar's width, horizontal bar's height).
    SizeT<double> GetBarThickness();
    // Vertical scrolling in whole lines of the height (list boxes).
    void SetLineScrolling(bool lineScrollY, int32_t lineHeight);

    // The client rectangle of the shown look, less the room of shown bars.
    RectT<double> GetClientArea() override;
    // The offsets the content may scroll to: {0, 0, extent - client area} per axis, at
    // least 0; an axis without extent has no limit.
    RectT<double> GetScrollRange(const LControl* control = nullptr) override;
    // The part of the content in view: from the scroll offset, as wide and high as the
    // client rectangle or the children reach, whichever is less (at least 1).
    RectT<double> GetViewRect() override;
    PointT<double> SetScrollOffset(const PointT<double>& offset) override;
    // The bars follow the offset, without echoing it back.
    int32_t ScrollOffscreenBuffer(const PointT<double>& oldOffset) override;

    // A wheel step moves the vertical bar (the horizontal one when it is alone, or with
    // Alt) by a line, or a page with Shift; 1 passes it on when no bar shows.
    KVRESULT OnWheel(const RCPtr<LMouseWheelParam>& param) override;
    KVRESULT OnHWheel(const RCPtr<LMouseWheelParam>& param) override;

    const RCPtr<LScrollbar>& GetHorizontalBar() const noexcept { return mHBar; }
    const RCPtr<LScrollbar>& GetVerticalBar() const noexcept { return mVBar; }
    // Visible and of a size.
    static bool IsBarShown(const RCPtr<LScrollbar>& bar);

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

    // Finds the bars' thickness and listens to their values.
    KVRESULT ConnectBars();
    // Shows or hides a bar (axis 0 horizontal, 1 vertical) through the size across it.
    void ShowBar(int axis, bool show);
    KVRESULT OnBarValueChange(const RCPtr<LNotificationDistributor>& sender,
                              const RCPtr<LNotification>& notification);
    // A wheel step of the bar: a line, or a page with Shift.
    KVRESULT StepBar(const RCPtr<LScrollbar>& bar, const RCPtr<LMouseWheelParam>& param, bool forward);

    RCPtr<LNotificationHandler<LScrollView>> mOwnHandler;
    bool mRecalcBarsActive = false;
    bool mSettingScrollOffset = false;
    bool mGeometryChanging = false;
    RCPtr<LScrollbar> mHBar;
    RCPtr<LScrollbar> mVBar;
    RCPtr<LControl> mCorner;
    SizeT<double> mClientExtent;
    double mVBarWidth = 0;
    double mHBarHeight = 0;
    bool mLineScrollY = false;
    int32_t mLineHeight = 0;
    int32_t mAutoExtentMode = kAutoExtentOff;
    PointT<int32_t> mAutoExtentMargin;
};

} // namespace KV
