#pragma once
// LControlDescriptor: one node of a skin's control tree: a control's class and name,
// its skin, its layout, its create parameters and the descriptors of its children.
//
// A descriptor owns its children; the link back to the parent is a plain pointer, so
// the tree holds no cycle. A parent lives as long as the control factory keeps its skin.

#include "ControlBase/LayoutDescriptor.h"
#include "ControlBase/SkinDescriptor.h"
#include "ControlBase/StringTable.h"
#include "Storage/RCPtrArray.h"

namespace KV {

class LControl;
class LControlDescriptor;

// Makes a control of one class from a descriptor; the parent is null for a control
// without parent.
using ControlCreateFunction = RCPtr<LControl> (*)(const RCPtr<LControl>& parent,
                                                  const RCPtr<LControlDescriptor>& descriptor);

class LControlDescriptor : public virtual LRefCountedObject
{
public:
    // A descriptor with no children, no records and no create function. The parent
    // (null for a skin root) is remembered, not held.
    static RCPtr<LControlDescriptor> Create(const String& className, const String& name,
                                            const RCPtr<LControlDescriptor>& parent);

    // Appends the child; its index.
    int32_t AddChild(const RCPtr<LControlDescriptor>& child);
    // Each replaces the held record; 0.
    KVRESULT SetSkinDescriptor(const RCPtr<LSkinDescriptor>& skin);
    KVRESULT SetLayoutDescriptor(const RCPtr<LLayoutDescriptor>& layout);
    KVRESULT SetCreateParams(const RCPtr<LStringTable>& params);
    // Orders the children by the LayoutOrder of their layouts; equal ones keep their order.
    void SortChildrenByLayoutOrder();
    // A shallow copy: the same names, parent, records and create function, and a new
    // array holding the same children.
    RCPtr<LControlDescriptor> Clone() const;

    String mClassName;
    String mName;
    LControlDescriptor* mParent = nullptr; // not owning
    RCPtrArray<LControlDescriptor> mChildren;
    RCPtr<LSkinDescriptor> mSkin;
    RCPtr<LLayoutDescriptor> mLayout;                // null for a skin root
    RCPtr<LStringTable> mCreateParams;               // read by the control as attributes
    ControlCreateFunction mCreateFunction = nullptr; // cached on first use

protected:
    LControlDescriptor(const String& className, const String& name, LControlDescriptor* parent)
        : mClassName(className), mName(name), mParent(parent)
    {
    }
    ~LControlDescriptor() override = default;
};

} // namespace KV
