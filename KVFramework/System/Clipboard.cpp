#include "System/Clipboard.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/RootWindow.h"
#include "Platform/Clipboard/ClipboardBackend.h"
#include "Storage/Transcode.h"

#include <stdexcept>
#include <utility>

namespace KV {
namespace {

// UTF-8 for the system clipboard. A lone surrogate has no UTF-8 form: it becomes U+FFFD,
// so that other programs never receive invalid UTF-8.
std::string ToClipboardUtf8(const String& text)
{
    const char16_t* source = text.GetText();
    const char16_t* const end = source + text.GetLength();
    std::string utf8(3 * static_cast<size_t>(text.GetLength()), '\0'); // at most 3 bytes a unit
    char* target = utf8.data();
    while (source != end)
    {
        const TranscodeResult result =
            TranscodeUtf16ToUtf8(source, end, target, utf8.data() + utf8.size(), TranscodeStrict);
        if (result == TranscodeOk)
            break;
        ++source; // the unit that stopped the conversion: a lone surrogate
        for (const char byte : {'\xEF', '\xBF', '\xBD'})
            *target++ = byte;
    }
    utf8.resize(static_cast<size_t>(target - utf8.data()));
    return utf8;
}

// Keeps the clipboard open for the life of a scope once it was opened.
class CClipboardOpen
{
public:
    explicit CClipboardOpen(Platform::IClipboardBackend& backend) : mBackend(backend), mOpen(backend.Open())
    {
    }
    ~CClipboardOpen()
    {
        if (mOpen)
            mBackend.Close();
    }
    CClipboardOpen(const CClipboardOpen&) = delete;
    CClipboardOpen& operator=(const CClipboardOpen&) = delete;

    bool IsOpen() const noexcept { return mOpen; }

private:
    Platform::IClipboardBackend& mBackend;
    const bool mOpen;
};

} // namespace

RCPtr<LClipboard> LClipboard::Create()
{
    return Create(Platform::CreateClipboardBackend());
}

RCPtr<LClipboard> LClipboard::Create(std::shared_ptr<Platform::IClipboardBackend> backend)
{
    return RCPtr<LClipboard>(new LClipboard(std::move(backend)));
}

LClipboard::LClipboard(std::shared_ptr<Platform::IClipboardBackend> backend) : mBackend(std::move(backend)) {}

LClipboard::~LClipboard() = default;

KVRESULT LClipboard::Initialize()
{
    mHandler = LNotificationHandler<LClipboard>::Create(this);
    try
    {
        const RCPtr<LNotificationDistributor> center = LNotificationCenterManager::GetDefaultCenter();
        KV_THROW_IF_FAILED(
            mHandler->AddHandlerFor(&LClipboard::OnEditNotification<kEditCut>, center, u"NID_EDIT_CUT_REQ"));
        KV_THROW_IF_FAILED(mHandler->AddHandlerFor(&LClipboard::OnEditNotification<kEditCopy>, center,
                                                   u"NID_EDIT_COPY_REQ"));
        KV_THROW_IF_FAILED(mHandler->AddHandlerFor(&LClipboard::OnEditNotification<kEditPaste>, center,
                                                   u"NID_EDIT_PASTE_REQ"));
        KV_THROW_IF_FAILED(mHandler->AddHandlerFor(&LClipboard::OnEditNotification<kEditDelete>, center,
                                                   u"NID_EDIT_DELETE_REQ"));
    }
    catch (const std::runtime_error&)
    {
        return E_FAIL;
    }
    mInitialized = true;
    return S_OK;
}

RCPtr<LControl> LClipboard::FindEditTarget()
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    if (!app)
        return nullptr;
    const RCPtr<LRootWindow> window = app->GetActiveRootWindow();
    if (!window || !window->GetFocusControl())
        return nullptr;
    RCPtr<LControl> target = window->GetFocusControl()->GetEditTarget();
    if (!target || !target->IsEditTarget())
        return nullptr;
    return target;
}

bool LClipboard::CanPerform(int request)
{
    const RCPtr<LControl> target = FindEditTarget();
    return target && target->CanPerformEdit(request);
}

int LClipboard::OnEditRequest(int request)
{
    const RCPtr<LControl> target = FindEditTarget();
    if (target && target->CanPerformEdit(request))
        return target->PerformEdit(request);
    return 1;
}

KVRESULT LClipboard::Receive(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification)
{
    if (mHandler && mInitialized)
        return mHandler->Dispatch(sender, notification);
    return S_OK;
}

KVRESULT LClipboard::Detach(const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    if (mHandler)
        mHandler->RemoveHandler(distributor.Get(), id);
    return LNotificationClient::Detach(distributor, id);
}

RCPtr<LRefCountedObject> LClipboard::GetContents()
{
    if (!mBackend)
        return mContents;
    // Unchanged since this service last touched it, or holding our own non-text object:
    // the cached object is the answer.
    if (mBackend->GetSequenceNumber() == mSequenceNumber || mBackend->HasPrivateMarker())
        return mContents;
    if (!mBackend->HasText())
    {
        mContents.Reset();
        return mContents;
    }

    RCPtr<LRefCountedObject> contents;
    {
        CClipboardOpen open(*mBackend);
        if (!open.IsOpen())
            return mContents;
        std::string utf8;
        if (mBackend->GetText(utf8))
            contents = TextObject::Create(String(utf8.c_str()));
    }
    mContents = std::move(contents);
    mSequenceNumber = mBackend->GetSequenceNumber();
    return mContents;
}

KVRESULT LClipboard::SetContents(const RCPtr<LRefCountedObject>& object)
{
    if (mBusy)
        return S_FALSE;
    mBusy = true;
    struct BusyGuard
    {
        bool& busy;
        ~BusyGuard() { busy = false; }
    } guard{mBusy};

    mContents = object;
    if (!object)
        return S_OK;
    if (!mBackend)
        return E_FAIL;
    if (const auto* text = dynamic_cast<const TextObject*>(object.Get()))
        return PlaceText(*text);
    return PlaceMarker();
}

KVRESULT LClipboard::PlaceText(const TextObject& text)
{
    KVRESULT result = S_OK;
    {
        CClipboardOpen open(*mBackend);
        if (!open.IsOpen())
            return E_FAIL;
        if (!mBackend->Empty())
            result = E_FAIL;
        else if (!mBackend->SetText(ToClipboardUtf8(text)))
            result = E_FAIL;
    }
    mSequenceNumber = mBackend->GetSequenceNumber();
    return result;
}

KVRESULT LClipboard::PlaceMarker()
{
    KVRESULT result = S_OK;
    {
        CClipboardOpen open(*mBackend);
        if (!open.IsOpen())
            return E_FAIL;
        if (!mBackend->Empty() || !mBackend->SetPrivateMarker())
            result = E_FAIL;
    }
    mSequenceNumber = mBackend->GetSequenceNumber();
    return result;
}

} // namespace KV
