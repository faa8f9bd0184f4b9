#pragma once
// LLookDescriptor: one drawable state of a control: a client part, the parts around it
// and where its label text goes. LLookList: the looks of a control by look index.

#include "ControlBase/DockedPart.h"
#include "Storage/RCPtrArray.h"

#include <cstdint>

namespace KV {

class LLookDescriptor : public virtual LRefCountedObject
{
public:
    // The label's box: each edge a fraction of the look's size plus pixels, and the
    // text's alignment inside the box (0 left or top, 1 right or bottom).
    struct TextProperties
    {
        float mLeftRel = 0;
        int32_t mLeftAbs = 0;
        float mRightRel = 0;
        int32_t mRightAbs = 0;
        float mHAlign = 0;
        float mTopRel = 0;
        int32_t mTopAbs = 0;
        float mBottomRel = 0;
        int32_t mBottomAbs = 0;
        float mVAlign = 0;
        RCPtr<LVisualPartDescriptor> mForegroundPart; // its fill colours the text
    };

    // A look with no parts and no text properties.
    static RCPtr<LLookDescriptor> Create(const String& name);

    // Replaces the client part; 0.
    KVRESULT SetClientPart(const RCPtr<LDockedPart>& part);
    // Stores the text box and marks the look as one that draws a label; 0.
    KVRESULT SetTextProperties(const TextProperties& text);

    String mName;
    RCPtr<LDockedPart> mClientPart;
    RCPtrArray<LDockedPart> mNonClientParts; // in document order
    bool mHasTextProperties = false;         // mText means something only while set
    TextProperties mText;

protected:
    explicit LLookDescriptor(const String& name) : mName(name) {}
    ~LLookDescriptor() override = default;
};

// Slot i holds the look a control shows for look index i; slots may be null, and one
// look may fill several slots and several lists.
using LLookList = LRCPtrArray<LLookDescriptor, 1, 0>;

} // namespace KV
