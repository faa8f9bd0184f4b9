#pragma once
// LControl: one node of a tree of controls. A control is at once a notification client
// (it receives through its handler table) and a distributor (it sends its own
// notifications to the clients registered with it).
//
// A child holds its parent; the topmost control of a tree is held by its root window and
// holds that window back, a reference the window counts as internal.

#include "ControlBase/StringTable.h"
#include "Notification/NotificationDistributor.h"
#include "ObjectBase/TaggableObject.h"
#include "Storage/StringT.h"

namespace KV {

class LRootWindow;

// Edit requests, the argument of CanPerformEdit and PerformEdit.
inline constexpr int kEditDelete = 0;
inline constexpr int kEditCut = 1;
inline constexpr int kEditCopy = 2;
inline constexpr int kEditPaste = 3;

class LControl : public LNotificationClient, public LNotificationDistributor, public virtual LTaggableObject
{
public:
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

    // Leaves every registration, on both sides, once only internal references remain.
    KVRESULT ReleaseInternalReferences() override;

protected:
    ~LControl() override;

private:
    String mName;
    RCPtr<LControl> mParent;
    RCPtr<LRootWindow> mRootWindow; // on the topmost control only
    RCPtr<LStringTable> mStringTable;
};

} // namespace KV
