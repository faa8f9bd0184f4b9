#pragma once
// LControl: one node of a tree of controls. A control is at once a notification client
// (it receives through its handler table) and a distributor (it sends its own
// notifications to the clients registered with it).
//
// A child holds its parent; the topmost control of a tree is held by its root window and
// holds that window back, a reference the window counts as internal.

#include "ControlBase/LayoutDescriptor.h"
#include "ControlBase/StringTable.h"
#include "Graphics/Geometry.h"
#include "Notification/NotificationDistributor.h"
#include "ObjectBase/TaggableObject.h"
#include "Storage/StringT.h"

#include <cstdint>
#include <vector>

namespace KV {

class LRootWindow;
class LControlDescriptor;

// Edit requests, the argument of CanPerformEdit and PerformEdit.
inline constexpr int kEditDelete = 0;
inline constexpr int kEditCut = 1;
inline constexpr int kEditCopy = 2;
inline constexpr int kEditPaste = 3;

class LControl : public LNotificationClient, public LNotificationDistributor, public virtual LTaggableObject
{
public:
    // Orders of the child list.
    static constexpr int kInsertionOrder = 0;
    static constexpr int kDrawOrder = 1; // later is drawn later, on top
    static constexpr int kTabOrder = 2;

    // The children of one control, in insertion order, with the drawing and tab orders
    // kept as index arrays and re-sorted only when asked for after a change.
    class ChildControlList
    {
    public:
        explicit ChildControlList(LControl* owner) : mOwner(owner) {}
        virtual ~ChildControlList() = default;
        ChildControlList(const ChildControlList&) = delete;
        ChildControlList& operator=(const ChildControlList&) = delete;

        // E_INVALIDARG for a null child, E_FAIL when a child of that name is present.
        KVRESULT Add(const RCPtr<LControl>& child);
        // The child's former insertion index; -1 when it is not in the list.
        int32_t Remove(const RCPtr<LControl>& child);
        // True when the list was empty.
        bool RemoveAll();
        // Throws std::runtime_error for an index out of range or an unknown order.
        const RCPtr<LControl>& GetAt(uint32_t index, int order);
        uint32_t GetCount() const noexcept { return static_cast<uint32_t>(mControls.size()); }
        int32_t IndexOf(const LControl* child) const noexcept;
        int32_t IndexOfName(const String& name) const noexcept;
        // S_FALSE for the same name, E_FAIL for a sibling's name, E_INVALIDARG for a
        // control that is not in the list.
        KVRESULT Rename(const RCPtr<LControl>& child, const String& newName);
        // A sort key of a child changed.
        void MarkChanged() noexcept { ++mChangeCount; }

    private:
        void SortIfChanged();

        std::vector<RCPtr<LControl>> mControls;
        std::vector<int32_t> mTabOrder;
        std::vector<int32_t> mDrawOrder;
        int32_t mChangeCount = 1;
        int32_t mSortedAt = 0;
        LControl* mOwner;
    };

    // stringTable: the control's own texts; the control factory looks it up by the
    // control's place in the tree.
    LControl(const RCPtr<LControl>& parent, const String& name,
             const RCPtr<LStringTable>& stringTable = nullptr);

    const String& GetName() const noexcept { return mName; }
    const RCPtr<LControl>& GetParent() const noexcept { return mParent; }
    // The topmost ancestor, or the control itself.
    RCPtr<LControl> GetTopControl();
    // The root window of the topmost ancestor; empty while the tree is not attached.
    RCPtr<LRootWindow> GetRootWindow();
    // E_FAIL for a control with a parent (only the topmost control holds the window).
    KVRESULT SetRootWindow(const RCPtr<LRootWindow>& rootWindow);
    const RCPtr<LStringTable>& GetStringTable() const noexcept { return mStringTable; }

    // True when the control itself takes edit requests; text-editing controls say so.
    virtual bool IsEditTarget() const;
    // The control itself when it is an edit target, else its parent's answer; empty at
    // the top of the tree.
    RCPtr<LControl> GetEditTarget();
    // Whether the control can carry out the request now.
    virtual bool CanPerformEdit(int request);
    // Carries out the request; 0 when done. Every edit target overrides it: the base
    // throws a logic error.
    virtual int PerformEdit(int request);

    // The tree.
    ChildControlList& GetChildren() noexcept { return mChildren; }
    // The child of exactly this name; empty when absent.
    RCPtr<LControl> FindChild(const String& name);
    // The child's index in the order; -1 when it is no child.
    int32_t FindChildIndex(const RCPtr<LControl>& child, int order);
    // S_FALSE when already there; E_FAIL, the control left where it was, when the new
    // parent has a child of the same name.
    KVRESULT SetParent(const RCPtr<LControl>& newParent);
    // S_FALSE for the same name, E_FAIL for a sibling's name.
    KVRESULT Rename(const String& newName);
    virtual KVRESULT AdoptChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor);
    // Hides the child now and takes it out of the tree at the next idle pass.
    KVRESULT RemoveChild(const RCPtr<LControl>& child);
    KVRESULT ProcessPendingRemovals();
    // Takes the control out of its tree at once.
    virtual KVRESULT RemoveFromTree();
    virtual void ProcessRootWindowAquired();
    virtual void OnChildRemoved(const RCPtr<LControl>& child, int32_t index);

    // The control's own copy of its layout; visibility and enabling live there.
    const RCPtr<LLayoutDescriptor>& GetLayout();
    const RectT<double>& GetRect() const noexcept { return mRect; }
    void SetRectForTest(const RectT<double>& rect) noexcept { mRect = rect; }
    int32_t GetUnclippedCount() const noexcept { return mUnclippedCount; }
    virtual void SetClipToParent(bool clip);
    // The result: whether the control and all its ancestors are now shown.
    virtual bool SetVisible(bool visible);
    virtual void SetEnabled(bool enabled);
    bool IsShown(bool withAncestors);
    bool IsEnabled(bool withAncestors);

    // While at least one request is outstanding the control gets the root window's idle
    // tick (OnIdle).
    void BeginIdleProcessing();
    void EndIdleProcessing();
    int32_t GetIdleCount() const noexcept { return mIdleCount; }
    virtual void OnIdle() {}

    // The value, kept in 0..1 and mapped onto the value range linearly (taper 0) or
    // logarithmically (taper 1). A change calls OnValueChanged and sends
    // "NID_VALUE_CHANGE"; the result is the stored value.
    virtual double SetNormalizedValue(double value);
    virtual void OnValueChanged() {}
    // E_INVALIDARG, the old range kept, for an unknown taper or a logarithmic range
    // that does not lie above 0.
    virtual KVRESULT SetValueRange(double min, double max, int32_t taper);
    double GetNormalizedValue() const noexcept { return mNormalizedValue; }
    double NormalizedToValue(double normalized) const noexcept;
    double ValueToNormalized(double value) const noexcept;

    const RCPtr<LControlDescriptor>& GetDescriptor() const noexcept { return mDescriptor; }
    virtual KVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor);

    // Slots the drawing, focus and condition code fills in.
    virtual void InvalidateRect(const RectT<double>& rect, bool clip);
    virtual KVRESULT SetFocus(bool forward);
    virtual bool HasFocusableChild();
    virtual void UpdateConditions();
    virtual void OnCaptureLost() {}
    bool IsFocusable() const noexcept { return !mNotFocusable; }
    bool HasFocus() const noexcept { return mHasFocus; }
    bool ContainsFocus() const noexcept { return mContainsFocus; }
    bool HasCapture() const noexcept { return mHasCapture; }

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;

    // Leaves every registration, on both sides, and lets the children go, once only
    // internal references remain.
    KVRESULT ReleaseInternalReferences() override;

protected:
    ~LControl() override;

    bool mHasFocus = false;
    bool mContainsFocus = false;
    bool mHasCapture = false;
    bool mNotFocusable = true;

private:
    // Adds delta to the unclipped count of the control and each ancestor.
    void AddUnclippedAlongAncestry(int32_t delta) noexcept;
    void InvalidateWhole();
    void ClearFocusWithin();

    String mName;
    RCPtr<LControlDescriptor> mDescriptor;
    RCPtr<LLayoutDescriptor> mLayout;
    RectT<double> mRect;
    int32_t mUnclippedCount = 0;
    int32_t mIdleCount = 0;
    double mNormalizedValue = 0;
    double mValueMin = 0;
    double mValueMax = 0;
    int32_t mTaper = 0;
    RCPtr<LControl> mParent;
    RCPtr<LRootWindow> mRootWindow; // on the topmost control only
    RCPtr<LStringTable> mStringTable;
    std::vector<RCPtr<LControl>> mPendingRemovals;
    ChildControlList mChildren{this};
};

} // namespace KV
