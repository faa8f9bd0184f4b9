#pragma once
// LClipboard: the application's one clipboard service.
//
// It routes the edit requests ("NID_EDIT_CUT_REQ", "NID_EDIT_COPY_REQ",
// "NID_EDIT_PASTE_REQ", "NID_EDIT_DELETE_REQ") to the edit target of the control that has
// the keyboard focus in the active root window, and it keeps the clipboard contents as an
// object: text goes to and comes from the system clipboard; any other object stays in
// the process, and the system clipboard only carries a private marker for it.
//
// Window thread only; it takes no lock.

#include "Notification/NotificationHandler.h"
#include "ObjectBase/TaggableObject.h"
#include "Storage/WrapperStringable.h"

#include <memory>

namespace KV {

namespace Platform {
class IClipboardBackend;
}

class LControl;

class LClipboard : public LNotificationClient
{
public:
    // The clipboard's text object.
    using TextObject = LWrapperStringable<String, StringToString, LTaggableObject>;

    // A new, uninitialised service on the system clipboard.
    static RCPtr<LClipboard> Create();
    // The same on the given backend.
    static RCPtr<LClipboard> Create(std::shared_ptr<Platform::IClipboardBackend> backend);

    // Registers the edit requests with the application's notification center. 0; E_FAIL
    // when a registration raised a runtime error; a failed registration throws.
    KVRESULT Initialize();

    // A text object, another object of this process, or empty.
    RCPtr<LRefCountedObject> GetContents();
    // 0; 1 when a call is already running (the clipboard's loss, reported while this
    // process takes the clipboard over); E_FAIL when the system clipboard refused.
    KVRESULT SetContents(const RCPtr<LRefCountedObject>& object);

    // Whether the current edit target can carry out the request (kEditDelete...).
    bool CanPerform(int request);
    // The edit target's answer to the request, or 1 when there is none or it refuses.
    int OnEditRequest(int request);

    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;
    KVRESULT Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id) override;

protected:
    ~LClipboard() override;

private:
    explicit LClipboard(std::shared_ptr<Platform::IClipboardBackend> backend);

    // The focus control's edit target in the active root window, when it qualifies.
    static RCPtr<LControl> FindEditTarget();

    // The handler of one edit-request notification; always 1, whatever the outcome.
    template <int Request>
    KVRESULT OnEditNotification(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        OnEditRequest(Request);
        return S_FALSE;
    }

    KVRESULT PlaceText(const TextObject& text);
    KVRESULT PlaceMarker();

    RCPtr<LNotificationHandler<LClipboard>> mHandler;
    uint32_t mSequenceNumber = 0; // of the system clipboard when this service last read or wrote it
    RCPtr<LRefCountedObject> mContents;
    bool mInitialized = false;
    bool mBusy = false;
    std::shared_ptr<Platform::IClipboardBackend> mBackend;
};

} // namespace KV
