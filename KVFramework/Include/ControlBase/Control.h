#pragma once
// LControl: one node of a tree of controls. A control is at once a notification client
// (it receives through its handler table) and a distributor (it sends its own
// notifications to the clients registered with it).
//
// A child holds its parent; the topmost control of a tree is held by its root window and
// holds that window back, a reference the window counts as internal.

#include "ControlBase/ControlConditions.h"
#include "ControlBase/ControlLooks.h"
#include "ControlBase/DragModes.h"
#include "ControlBase/LayoutDescriptor.h"
#include "ControlBase/StringTable.h"
#include "ControlBase/UITarget.h"
#include "Graphics/Geometry.h"
#include "Graphics/RectRegion.h"
#include "KVTypes.h"
#include "Notification/NotificationCenter.h"
#include "Notification/NotificationDistributor.h"
#include "Notification/NotificationHandler.h"
#include "Notification/NotificationParams.h"
#include "ObjectBase/TaggableObject.h"
#include "Renderer/Font.h"
#include "Storage/StringT.h"
#include "System/KeyCodeTable.h"

#include <cstdint>
#include <vector>

namespace KV {

class LRootWindow;
class LControlDescriptor;
class LControlFactory;
class LMenuDescriptor;
class LMenuItemUpdater;
class LPopupMenu;
struct LMenuItemInfo;
struct SourceLocation;
class LRenderer;

// What a control without a parent is laid out against, in window client coordinates:
// the screen's work area, the window's client size and the pointer.
struct LayoutScreenReferences
{
    RectT<double> screen;
    SizeT<double> windowClient;
    PointT<double> pointer;
};

// Edit requests, the argument of CanPerformEdit and PerformEdit.
inline constexpr int kEditDelete = 0;
inline constexpr int kEditCut = 1;
inline constexpr int kEditCopy = 2;
inline constexpr int kEditPaste = 3;

class LControl : public LNotificationClient,
                 public LNotificationDistributor,
                 public virtual LTaggableObject,
                 public UITarget
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
        // Throws a runtime error naming GetAt for an index out of range or an unknown
        // order.
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
        // The runtime error of an index past the count or an unknown order.
        [[noreturn]] static void ThrowOutOfRange(const SourceLocation& where);

        std::vector<RCPtr<LControl>> mControls;
        std::vector<int32_t> mTabOrder;
        std::vector<int32_t> mDrawOrder;
        int32_t mChangeCount = 1;
        int32_t mSortedAt = 0;
        LControl* mOwner;
    };

    // stringTable: the control's own texts; without one, the application's control
    // factory gives the table of the control's place in the tree.
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
    virtual RCPtr<LControl> GetEditTarget();
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
    // A test that builds a tree by hand marks a control created, as its create function
    // would at the end of the creation sequence, so that its handlers receive.
    void MarkCreatedForTest() noexcept { mCreated = true; }
    int32_t GetUnclippedCount() const noexcept { return mUnclippedCount; }
    // The new value.
    virtual bool SetClipToParent(bool clip);
    // The result: whether the control and all its ancestors are now shown.
    virtual bool SetVisible(bool visible);
    virtual void SetEnabled(bool enabled);
    bool IsShown(bool withAncestors);
    bool IsEnabled(bool withAncestors);

    // While at least one request is outstanding the control gets the root window's idle
    // tick (OnIdle).
    // E_FAIL, and no request counted, when the registration with the window fails.
    KVRESULT BeginIdleProcessing();
    // E_FAIL when the last request ends and the window did not have the registration.
    KVRESULT EndIdleProcessing();
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

    // ---- made from the skin (ControlDescriptorApplication.cpp) ----
    const RCPtr<LControlDescriptor>& GetDescriptor() const noexcept { return mDescriptor; }
    // The whole creation of a control made from a descriptor: ApplyDescriptor,
    // CreateChildControls, Initialize, PostInitialize, then the control counts as created
    // and its handler table starts to receive. Create functions end with it.
    KVRESULT RunCreationSequence(const RCPtr<LControlDescriptor>& descriptor);
    bool IsCreated() const noexcept { return mCreated; }
    // The layout, looks, font and label of the descriptor. Applied again to a created
    // control (a skin change), it keeps the control's enabled state, runs a visibility
    // change through SetVisible and keeps the children that the new descriptor names.
    virtual KVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor);
    // Creates a child for each child descriptor not marked DEFER_CREATE.
    virtual KVRESULT CreateChildControls(const RCPtr<LControlDescriptor>& descriptor);
    // The handler table, the create parameters, the tool tip and the local hot keys.
    virtual KVRESULT Initialize();
    // Reads the create parameters INITIAL_VALUE, NOT_FOCUSABLE, USE_PARENT_TOOLTIP and
    // WANTS_TAB.
    virtual KVRESULT ApplyAttributes();
    virtual KVRESULT PostInitialize() { return S_OK; }
    // A root control may correct the window rectangle a skin change gives it: 1 when it
    // did.
    virtual int32_t AdjustRootWindowRect(RectT<double>&) { return S_OK; }

    // The label; a root control's is also its window's title. S_FALSE when unchanged.
    virtual KVRESULT SetText(const String& text);
    // True when the text changed; relayout: lay the control out again when its minimum
    // size follows the text.
    bool SetTextAndRelayout(const String& text, bool relayout);
    const String& GetText() const noexcept { return mText; }
    // The font from a base font (the parent's, when the skin says the font inherits,
    // else the application's): an empty name, a size of 0 or below and a style of -1
    // take the base's; sizeIsRelative makes size a factor on the base's size. E_FAIL when
    // no font can be had.
    KVRESULT SetFontSpec(const String& name, float size, int32_t style, bool sizeIsRelative);
    // E_INVALIDARG for null, S_FALSE when it is the font already. Children that inherit
    // follow.
    KVRESULT SetFont(const RCPtr<LFont>& font);
    const RCPtr<LFont>& GetFont() const noexcept { return mFont; }
    virtual void OnFontChanged() {}
    virtual KVRESULT OnParentFontChanged();
    const RCPtr<LNotificationHandler<LControl>>& GetHandler() const noexcept { return mHandler; }
    const RCPtr<LNotificationCenter>& GetNotificationCenter() const noexcept { return mNotificationCenter; }
    bool WantsTab() const noexcept { return mWantsTab; }
    bool UsesParentToolTip() const noexcept { return mUseParentToolTip; }

    // ---- looks (ControlLookOperations.cpp) ----
    // Appends the look (null allowed) with weight 0; its index.
    virtual int32_t AddLook(const RCPtr<LLook>& look);
    // Shows the look alone.
    virtual KVRESULT ShowLook(int32_t index);
    // E_INVALIDARG for an index past the weights; a weight outside 0..1 is not stored. A
    // change repaints the control.
    KVRESULT SetLookWeight(int32_t index, float weight, bool exclusive);
    float GetLookWeight(int32_t index) const { return mLooks.GetLookWeight(index); }
    // For an index outside the list: the first shown look, else the first look, else null.
    RCPtr<LLook> GetLook(int32_t index) const { return mLooks.GetLook(index); }
    int32_t GetShownLookIndex() const { return mLooks.GetShownLookIndex(); }
    int32_t GetLookCount() const { return mLooks.GetLookCount(); }
    // The client rectangle of the look (-1: the one GetLook chooses); the whole control
    // without a look.
    RectT<double> GetClientRect(int32_t lookIndex = -1) const;
    virtual bool IsTransparentAt(const PointT<double>& point);
    virtual uint32_t GetColorAtPoint(const PointT<double>& point, int32_t lookIndex);
    // Run-time changes of one look (an index outside the list: the shown look). E_FAIL
    // without a look; a change the control shows repaints it.
    KVRESULT SetLookBitmap(const RCPtr<LBitmap>& bitmap, ResizeType resizeType, int32_t lookIndex,
                           bool hidesClient);
    // E_INVALIDARG for a null part.
    KVRESULT SetLookTextForeground(const RCPtr<LVisualPart>& part, int32_t lookIndex);
    // The look draws only inside the region while it is not empty. E_INVALIDARG without
    // the look.
    KVRESULT SetLookRegion(int32_t lookIndex, const RectRegion& region);
    void ClearLookRegion(int32_t lookIndex);
    void ClearLookRegions();
    // Look a draws where look b's region leaves room. E_INVALIDARG when either is missing.
    KVRESULT SetLookRegionExcluding(int32_t a, int32_t b);
    // True when the shown look's label does not fit its text area.
    bool IsLabelTextClipped() const;

    // ---- layout (ControlLayout.cpp) ----
    // Computes the rectangle from the layout and applies it; E_FAIL without a layout, or
    // for a top control that has no root window to be laid out in.
    KVRESULT RecalcLayout();
    // The rectangle the layout gives before limits, edges rounded. parent: null for a top
    // control, which is placed against screen instead.
    KVRESULT CalculateLayoutRect(const LLayoutDescriptor* layout, LControl* parent,
                                 const LayoutScreenReferences& screen, RectT<double>& rect);
    // The minimum and maximum limits applied to a computed rectangle: 1 after a change,
    // 0 when none applied, E_FAIL (minimum) when the anchor cannot move that way.
    int32_t ApplyMinSize(PointT<double>& position, SizeT<double>& size);
    int32_t ApplyMaxSize(PointT<double>& position, SizeT<double>& size);
    // Moves and sizes the control, repainting the old and the new area and laying out
    // what depends on it. S_FALSE when it is already there.
    KVRESULT SetLayoutRect(const PointT<double>& position, const SizeT<double>& size);
    // The setters lay the control out again; each answers whether the layout read back
    // differs from what was given (false for a valid axis).
    bool SetLayout(const LayoutAxisSpec& x, const LayoutAxisSpec& y);
    bool SetLayoutAxis(int axis, const LayoutAxisSpec& spec);
    bool SetSizeLimits(int axis, const LayoutSizeLimitSpec& minimum, const LayoutSizeLimitSpec& maximum);
    // The size the minimum rules alone give (a label that expands, for example).
    SizeT<double> GetPreferredSize();
    // The control's own maximum per axis; 0 where it has none of its own.
    SizeT<double> GetMaxSize();
    // The bounding box of the children docked on neither axis, in whole pixels.
    RectT<double> GetChildrenBounds();
    virtual KVRESULT OnChildRectChanged(const RCPtr<LControl>& child);
    virtual KVRESULT OnParentScrolled(const PointT<double>& offsets);
    KVRESULT OnParentResized() override;
    const PointT<double>& GetScrollOffset() const noexcept { return mScrollOffset; }
    // Multiplies the renderer's alpha while the control draws.
    float GetOpacity() const noexcept { return mOpacity; }
    // Where the children's coordinates start, in the control's own: the shown look's
    // client origin minus the scroll offset.
    PointT<double> GetContentOrigin() const;
    // The control's top-left corner in root-window coordinates.
    PointT<double> GetRootPosition() const;

    virtual void BeginGeometryChange();
    virtual void EndGeometryChange();
    // Nonzero when the child's area needs repainting after its rectangle changed.
    virtual int32_t InvalidateChildArea(const RCPtr<LControl>& child);
    // No control keeps its content in an offscreen buffer: nothing to scroll, 0.
    virtual int32_t ScrollOffscreenBuffer(const PointT<double>&) { return 0; }

    // ---- drawing (ControlDrawing.cpp) ----
    // Draws the control and its clipped children, and appends the shown controls that are
    // not clipped to their parent to unclipped, for the pass above everything else.
    // E_INVALIDARG when unclippedPass does not match the control's ClipToParent.
    virtual KVRESULT Draw(LRenderer& renderer, const RectRegion& dirty,
                          std::vector<RCPtr<LControl>>& unclipped, bool unclippedPass);
    // What a control draws between its looks' parts and their labels, and over
    // everything; the renderer is clipped to one dirty rectangle.
    virtual int32_t DrawContent(LRenderer& renderer);
    virtual int32_t DrawOverlay(LRenderer& renderer);
    // Appends the shown descendants (and the control itself, unless it started the
    // search) that are not clipped to their parent; how many were appended.
    int32_t CollectUnclippedDescendants(std::vector<RCPtr<LControl>>& list, bool isStart = true);

    // ---- invalidation (ControlInvalidation.cpp) ----
    // Repaints the rectangle, in the control's coordinates; clip: only what the ancestors
    // show of it.
    virtual void InvalidateRect(const RectT<double>& rect, bool clip);
    // One step up from the control: 0 when the rectangle reached the root window, 1 when
    // a hidden or clipping control stopped it.
    virtual KVRESULT InvalidateParentRect(const RectT<double>& rootRect, bool clip,
                                          const RectT<double>& localRect);
    // Repaints the areas of the unclipped descendants (and of the control itself when it
    // is unclipped), which lie outside the control.
    void InvalidateUnclippedDescendants();

    // ---- conditions (ControlConditions.cpp) ----
    // The condition word: kCondition... bits.
    uint32_t GetConditions();
    // Recomputes the word; a change goes to OnConditionsChanged, then to the listeners
    // as "NID_CONDITION_CHANGE" and one notification per changed condition, and moves
    // the window's cursor and hover with it; a change of enabled or shown reaches the
    // children.
    virtual void UpdateConditions();
    // The control's own reaction to a change, before any notification.
    virtual void OnConditionsChanged(const RCPtr<LConditionsParam>&) {}
    // Drawn as if hovered.
    void SetHighlighted(bool highlighted);
    bool IsHighlighted() const noexcept { return mHighlighted; }
    // The parameter every condition notification of the control carries.
    const RCPtr<LConditionsParam>& GetConditionsParam() const noexcept { return mConditionsParam; }

    // ---- pointer input (ControlMouse.cpp) ----
    KVRESULT OnMouseEnter() override;
    KVRESULT OnMouseMove(const RCPtr<LPointWithModifiersParam>& param) override;
    KVRESULT OnMouseDown(const RCPtr<LMouseButtonParam>& param) override;
    KVRESULT OnMouseUp(const RCPtr<LMouseButtonParam>& param) override;
    KVRESULT OnMouseLeave() override;
    KVRESULT BeginMouseCapture(int button, int32_t x, int32_t y) override;
    KVRESULT OnCaptureLost() override;
    KVRESULT OnMouseWheel(const RCPtr<LMouseWheelParam>& param) override;
    KVRESULT OnMouseHWheel(const RCPtr<LMouseWheelParam>& param) override;

    // Hooks of concrete controls; they get the parameter the notification carries.
    virtual void OnLeftButtonDown(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnMiddleButtonDown(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnRightButtonDown(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnLeftButtonUp(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnMiddleButtonUp(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnRightButtonUp(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnMouseMoved(const RCPtr<LPointWithModifiersParam>&) {}
    // 1 passes the step on.
    virtual KVRESULT OnWheel(const RCPtr<LMouseWheelParam>&) { return S_FALSE; }
    virtual KVRESULT OnHWheel(const RCPtr<LMouseWheelParam>&) { return S_FALSE; }
    virtual KVRESULT OnClick(const RCPtr<LMouseButtonParam>& param);
    virtual KVRESULT OnLeftClick(const RCPtr<LMouseButtonParam>& param);
    virtual KVRESULT OnMiddleClick(const RCPtr<LMouseButtonParam>& param);
    virtual KVRESULT OnRightClick(const RCPtr<LMouseButtonParam>& param);
    virtual void HandleLeftClick(const RCPtr<LMouseButtonParam>&) {}
    virtual void HandleMiddleClick(const RCPtr<LMouseButtonParam>&) {}
    virtual void HandleRightClick(const RCPtr<LMouseButtonParam>&) {}

    // Whether the point, relative to the control's origin, lies inside its rectangle.
    virtual bool HitTest(const PointT<int32_t>& point);
    // The control that takes a pointer event at the point (control coordinates): the
    // topmost hit of the highest floating layer, else the deepest topmost control whose
    // rectangle and looks cover the point. local: the point in the found control's
    // coordinates. bestRank: the layer of the best hit so far, raised by a hit.
    virtual RCPtr<LControl> FindControlAtPoint(const PointT<int32_t>& point, bool deep,
                                               PointT<int32_t>& local, int32_t& bestRank);
    // The largest Z order among the control and its ancestors that are not clipped to
    // their parents; kNormalLayer for a control drawn with the normal tree.
    int32_t GetEffectiveZOrder();
    static constexpr int32_t kNormalLayer = INT32_MIN;

    // E_INVALIDARG for a negative distance.
    KVRESULT SetDragThreshold(int32_t pixels);
    int32_t GetDragThreshold() const noexcept { return mDragThreshold; }
    int32_t GetDragMode() const noexcept { return mDragMode; }
    int32_t GetDragFlags() const noexcept { return mDragFlags; }
    // The cursor shown while the pointer is over the control; 0: the window's default.
    void SetCursor(CursorHandle cursor);
    CursorHandle GetCursor() const noexcept { return mCursor; }
    CursorHandle GetSavedCursor() const noexcept { return mSavedCursor; }

    bool IsHovered() const noexcept { return mHover; }
    bool HasCapture() const noexcept { return mHasCapture; }
    // A button held since it took the capture, not yet moved as far as a drag.
    bool IsPressed(int button) const noexcept;
    bool IsDragging(int button) const noexcept;
    const RCPtr<LMouseButtonParam>& GetLastLeftPress() const noexcept { return mLastLeftPress; }
    // Set while a search for the control underneath must pass over this one.
    void SetExcludedFromHit(bool excluded) noexcept { mBusy = excluded; }

    // A point of the other control's coordinates in this control's.
    PointT<double> MapPointFromControl(LControl& other, const PointT<double>& point);

    // ---- dragging (ControlDragging.cpp) ----
    // What a left drag does (kDrag...) and on which axes or edges (kDragFlag...); set by
    // the control itself, typically when the left drag begins. Returns 0.
    virtual KVRESULT SetDragMode(int32_t mode, int32_t flags = 0);
    // Called when a left drag with a mode begins and ends.
    virtual void BeginDrag();
    virtual void EndDrag();
    // Takes the present state as the drag's start (a control that changed its own layout
    // during the drag).
    virtual void RebaseDrag();
    // Follows the pointer (control coordinates): moves, resizes or pans the control, or
    // looks for a drop target; the container scrolls near its edges. Returns 0.
    virtual KVRESULT DragTo(const RCPtr<LPointWithModifiersParam>& param);
    virtual void OnDragMoved(const RCPtr<LPointWithModifiersParam>&) {}
    // The first control from this one up (or underneath a floating one) that accepts the
    // dragged control; empty when none does.
    virtual RCPtr<LControl> FindDropTarget(const RCPtr<LControl>& dragged, const PointT<double>& windowPoint);
    virtual bool CanAcceptDrop(const RCPtr<LControl>&) { return false; }
    // The directions (kDragFlag... edges) in which a drop target scrolls near its edges.
    virtual int32_t GetDropScrollDirections(const RCPtr<LControl>&) { return 0; }
    // Where a move or resize may take the pointer, in the parent's content coordinates.
    virtual void GetDragLimits(RectT<double>&) {}
    virtual void OnDragEnter(const RCPtr<LControl>&) {}
    virtual void OnDragOver(const RCPtr<LControl>&, const PointT<double>&) {}
    virtual void OnDragLeave(const RCPtr<LControl>&) {}
    virtual KVRESULT Drop(const RCPtr<LControl>&) { return E_FAIL; }
    const PointT<double>& GetDragOffset() const noexcept { return mDragOffset; }
    const RCPtr<LControl>& GetDropTarget() const noexcept { return mDropTarget; }
    const PointT<double>& GetDragVelocity() const noexcept { return mDragVelocity; }

    // ---- scrolling (ControlScrolling.cpp) ----
    // Moves the content (rounded to whole pixels); a change lets the docked children
    // follow, repaints, moves the offscreen buffer, sends "NID_SCROLL_OFFSET_CHANGE" and
    // moves the hover with the content. The offset now.
    virtual PointT<double> SetScrollOffset(const PointT<double>& offset);
    // The offsets the content may scroll to (the control scrolled, when it is not this
    // one); no limit here.
    virtual RectT<double> GetScrollRange(const LControl* control = nullptr);
    // The part of the client area the content shows in: {0, 0, client size}.
    virtual RectT<double> GetClientArea();
    // The part of the content in view: from the scroll offset, the client size.
    virtual RectT<double> GetViewRect();
    // Scrolls one axis (0 x, 1 y) at speed pixels per second on every idle tick, within
    // minimum..maximum; the tracked control is dragged along with the pointer. Returns 0.
    KVRESULT StartAutoScroll(int axis, double speed, double maximum, double minimum,
                             const RCPtr<LControl>& tracked);
    // 1 when the axis was not scrolling.
    KVRESULT StopAutoScroll(int axis);
    bool IsAutoScrolling(int axis) const noexcept { return mAutoScroll[axis & 1].running; }
    double GetAutoScrollSpeed(int axis) const noexcept { return mAutoScroll[axis & 1].speed; }

    // ---- tool tips (ControlToolTips.cpp) ----
    virtual String GetToolTipText();
    // Creates (show) or removes the control's tool tip. Returns 0.
    virtual KVRESULT ShowToolTip(bool show);
    // The control whose tool tip shows while the pointer is over this one: the control
    // itself, or, while it has no text of its own and uses its parent's, the parent's.
    RCPtr<LControl> GetToolTipOwner();
    void SetToolTipText(const String& text) { mToolTipText = text; }
    void SetUseParentToolTip(bool use) noexcept { mUseParentToolTip = use; }

    // ---- menus (ControlMenus.cpp) ----
    // The state of a menu's item for the popup menu or menu bar that shows it: 0 with
    // info filled in by a control that owns the item, 1 when not answered (info as it
    // was).
    virtual KVRESULT GetMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex,
                                      const String& itemId, LMenuItemInfo& info);
    // Made on first use and kept; its reference to the control counts as internal.
    const RCPtr<LMenuItemUpdater>& GetMenuItemUpdater();
    // The (key remainder, text) entries of each context menu the control's string table
    // describes, in menu order: the "CONTEXT_MENU." entries as one menu, or else one menu
    // per "CONTEXT_MENU<n>." prefix, ordered by the texts of n.
    void GetContextMenuEntries(std::vector<std::vector<LStringTable::Entry>>& menus) const;
    // The menus those entries describe, appended in the same order.
    void BuildContextMenu(std::vector<RCPtr<LMenuDescriptor>>& menus) const;
    // The menu a right click shows; null by default.
    const RCPtr<LMenuDescriptor>& GetContextMenu() const noexcept { return mContextMenu; }
    // Shows the menu at the pointer in a popup made from the skin's "contextMenu" as a
    // child of this control; its commands come back to this control. A context menu of
    // this control still shown gives way to the new one; a child of that name that is no
    // popup stays as it is, and nothing is shown then. Returns 0.
    KVRESULT ShowContextMenu(const RCPtr<LMenuDescriptor>& menu);
    // Runs with the popup, its menu set, before it is shown.
    virtual void OnContextMenu(const RCPtr<LPopupMenu>&) {}
    // Replaces the context menu: the old menu's items stop acting as hot keys, the new
    // one's start. Returns 0.
    KVRESULT SetContextMenu(const RCPtr<LMenuDescriptor>& menu);
    // Every command of the menu (its submenus too) named like a global hot key of the
    // root window, else of the application, is handled (bind) or no longer handled as
    // that hot key when it is handed to the control without a sender.
    void BindMenuHotKeys(const RCPtr<LMenuDescriptor>& menu, bool bind);
    // Hands a new notification of the identifier to the hot keys' target of the root
    // window when its table has the name, else of the application: it is posted, as the
    // key's would be. Returns 1.
    KVRESULT ForwardMenuHotKey(const RCPtr<LNotificationDistributor>& sender,
                               const RCPtr<LNotification>& notification);

    // ---- focus and keys (ControlFocus.cpp, ControlKeys.cpp) ----
    // Gives the focus to the control, or to its first (forward) or last focusable
    // descendant. E_FAIL when the focus control refuses to let go, or when nothing here
    // can take it.
    virtual KVRESULT SetFocus(bool forward);
    // Takes the focus when the control may, else asks its parent. Returns 0.
    virtual KVRESULT RequestFocus();
    virtual void SetNotFocusable(bool notFocusable);
    bool IsNotFocusable() const noexcept { return mNotFocusable; }
    virtual bool HasFocusableChild();
    virtual bool IsFocusable();
    bool HasFocus() const noexcept { return mHasFocus; }
    bool ContainsFocus() const noexcept { return mContainsFocus; }
    // The next shown and enabled child after (backward: before) the child in tab order,
    // wrapping; empty when there is none or the child is not ours.
    virtual RCPtr<LControl> GetNextTabStop(const RCPtr<LControl>& child, bool backward);
    // Tab and Ctrl+Tab handed up by a child.
    virtual void HandleNavigationKey(const RCPtr<LKeyParam>& param);
    // The control's own key handling; 1 passes the key on.
    virtual KVRESULT OnKeyDown(const RCPtr<LKeyParam>&) { return S_FALSE; }
    // Offers a child's key to the siblings that registered for it; 0 when one took it.
    virtual KVRESULT DispatchSiblingKey(const RCPtr<LKeyParam>& param);
    // A key no child took: the siblings', the window's and the application's hot keys.
    virtual KVRESULT ProcessHotKeys(const RCPtr<LKeyParam>& param);
    // The order (indices into clients) in which DispatchSiblingKey offers the key, read
    // from the end.
    virtual void SortByTabOrder(const RCPtr<LKeyParam>& param,
                                const std::vector<RCPtr<LNotificationReceiver>>& clients,
                                std::vector<size_t>& order);
    KVRESULT OnKey(const RCPtr<LKeyParam>& param) override;
    bool CanReleaseFocus() override { return true; }
    bool ReleaseFocus() override;

    KeyCodeTable& GetLocalHotKeys() noexcept { return mLocalHotKeys; }
    bool HasLocalHotKey(const String& name) const;
    KeyCode GetLocalHotKey(const String& name) const;
    void SetWantsTab(bool wantsTab) noexcept { mWantsTab = wantsTab; }
    void SetHoldsFocusForChildren(bool holds) noexcept { mHoldsFocusForChildren = holds; }

    // Dispatches through the handler table once the control is created.
    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

    // Leaves every registration, on both sides, and lets the children go, once only
    // internal references remain.
    KVRESULT ReleaseInternalReferences() override;

protected:
    ~LControl() override;

    // Tab navigation that leaves the control: to the parent, or from the root control to
    // its window.
    void PassNavigationUp(const RCPtr<LKeyParam>& param);

    bool mHasFocus = false;
    bool mContainsFocus = false;
    bool mNotFocusable = true;
    PointT<double> mScrollOffset;
    float mOpacity = 1.0f;
    bool mLabelFollowsScroll = false;
    bool mHoldsFocusForChildren = false;
    bool mWantsTab = false;
    KeyCodeTable mLocalHotKeys;

    // Pointer state.
    bool mHover = false;
    bool mHasCapture = false;
    bool mLeftPressed = false;
    bool mMiddlePressed = false;
    bool mRightPressed = false;
    bool mLeftDragging = false;
    bool mMiddleDragging = false;
    bool mRightDragging = false;
    bool mHighlighted = false;
    bool mBusy = false;         // passed over by the hit test
    PointT<double> mPressPoint; // of the captured press, in the parent's coordinates
    RCPtr<LMouseButtonParam> mLastLeftPress;
    int32_t mDragThreshold = 1;
    int32_t mDragMode = 0;
    int32_t mDragFlags = 0;
    Milliseconds mMoveTime = 0;
    Milliseconds mPreviousMoveTime = 0;
    Milliseconds mCaptureTime = 0;
    CursorHandle mCursor = 0;
    CursorHandle mSavedCursor = 0;
    String mToolTipText;
    bool mUseParentToolTip = false;
    RCPtr<LMenuItemUpdater> mMenuItemUpdater;
    RCPtr<LMenuDescriptor> mContextMenu;
    RCPtr<LNotificationHandler<LControl>> mHandler;
    RCPtr<LNotificationCenter> mNotificationCenter;
    RCPtr<LConditionsParam> mConditionsParam;

private:
    // One axis of the automatic scrolling.
    struct AutoScrollAxis
    {
        bool running = false;
        bool decelerating = false;
        double lastStep = 0; // seconds
        double speed = 0;    // pixels per second, signed
        double minimum = 0;
        double maximum = 0;
        RCPtr<LControl> tracked;
    };
    // One idle tick of the automatic scrolling of both axes.
    void StepAutoScroll();
    // A fling that ends a pan scrolls on, slowing down.
    void StartKineticScroll();
    void StopKineticScroll();
    // The drag and drop of DragTo: the target under the pointer, and the scrolling
    // requests of its edges.
    void TrackDropTarget(const PointT<double>& windowPoint, double request[2], double overshoot[2]);
    // Scrolls the container (or stops it) as the drag asks, per axis: request -1, 0, +1.
    void ApplyDragScrolling(const RCPtr<LControl>& container, const double request[2],
                            const double overshoot[2]);

    // The whole wheel routing of both axes.
    KVRESULT RouteWheel(const RCPtr<LMouseWheelParam>& param);
    // A control that is not shown, disabled, or under a disabled ancestor takes no input.
    bool AcceptsInput();
    // Focus internals.
    bool NotFocusableInChain();
    // The first (or last) child in tab order that takes the focus or holds one that does.
    RCPtr<LControl> FocusableChildAtEnd(bool first);
    RCPtr<LControl> FocusedChild();
    // A child took the focus: the flags along the path up to where the focus was.
    bool TakeFocusPath(LControl& child);
    // Hands a key that left the control's tree to the window, then the application.
    KVRESULT ProcessWindowHotKeys(const RCPtr<LKeyParam>& param);
    // The "NID_SIBLING_KEY" handler: the control's local hot keys.
    KVRESULT HandleSiblingKey(const RCPtr<LNotification>& notification);

    // Adds delta to the unclipped count of the control and each ancestor.
    void AddUnclippedAlongAncestry(int32_t delta) noexcept;
    void InvalidateWhole();
    void ClearFocusWithin();
    // Writes one axis of the layout; true when its docked flag changed, which the parent's
    // drawing order must follow.
    bool WriteAxis(int axis, const LayoutAxisSpec& spec);
    // The whole control, and the unclipped controls below it.
    void InvalidateWithUnclipped();
    // The references of a top control; false when it has no root window to use.
    bool GetTopReferences(LayoutScreenReferences& screen);
    // The rectangle of a child for a "Children" or named limit, in this control's parent's
    // coordinates, for the position computed for this control.
    RectT<double> ChildRectForLimit(LControl& child, const PointT<double>& position, bool undock) const;
    // The far edge L that a limit naming a child, or "Children", sets on one axis; false
    // when there is none (no such child, nothing of a size).
    bool LimitFromChildren(const LayoutSizeLimitSpec& spec, int axis, const PointT<double>& position,
                           float anchor, bool isMaximum, double& limit);
    // The shown look's width (height) outside its client area.
    double NonClientExtent(int axis) const;
    void DrawChildren(LRenderer& renderer, const RectRegion& dirty, std::vector<RCPtr<LControl>>& unclipped,
                      const LLook* look);
    // The factory of the application object; null without one.
    static RCPtr<LControlFactory> GetApplicationFactory();
    // Descriptor application.
    void ApplyRootWindowRect(const LLayoutDescriptor& skinLayout);
    void ApplyLooks();
    void ApplyFont();
    void ReadoptChildren(std::vector<RCPtr<LControl>>& previous);
    void FillRootWindow();
    // The base SetFontSpec starts from: the parent's font or the application's.
    RCPtr<LFont> GetBaseFont() const;

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
    LControlLooks mLooks;
    bool mInLayoutPass = false;
    bool mCreated = false;
    String mText;
    RCPtr<LFont> mFont;
    bool mFontInheritsFromParent = false;
    bool mFontNameInherited = false;
    bool mFontSizeInherited = false;
    bool mFontStyleInherited = false;
    bool mFontSizeIsRelative = false;
    float mFontSizeFactor = 1.0f;
    bool mInGeometryChange = false;
    RectT<double> mGeometryClientRect;
    RCPtr<LControl> mParent;
    RCPtr<LRootWindow> mRootWindow; // on the topmost control only
    RCPtr<LStringTable> mStringTable;
    std::vector<RCPtr<LControl>> mPendingRemovals;
    // Drag state.
    PointT<double> mDragOffset; // the pointer's displacement since the press, after limits
    SizeT<double> mDragStartSize;
    PointT<double> mDragStartParentScroll;
    double mDragStartPositionAbs[2] = {0, 0};
    double mDragStartSizeAbs[2] = {0, 0};
    bool mDragStartClip = true;
    bool mDragStartDocked[2] = {false, false};
    bool mInDrag = false;
    RCPtr<LControl> mDropTarget;
    PointT<double> mDragVelocity; // pixels per second
    Milliseconds mReleaseTime = 0;
    AutoScrollAxis mAutoScroll[2];
    double mDeceleration = 1000.0; // pixels per second per second
    bool mScrollInProgress = false;
    ChildControlList mChildren{this};
};

} // namespace KV
