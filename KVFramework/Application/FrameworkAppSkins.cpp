// The application object's skins, default font, settings and cursors.
#include "Application/BusyCursorScope.h"
#include "Application/CursorNames.h"
#include "Application/FrameworkApp.h"
#include "Application/WindowOSServices.h"
#include "ObjectBase/Exception.h"
#include "Platform/Window/PlatformWindow.h"

#include <array>
#include <utility>

namespace KV {
namespace {

constexpr const char16_t* kSkinIndexKey = u"CurrentSkinIndex";

// The font of controls that name none when the skin gives no other: the project's sans
// face at the size desktops use for labels.
constexpr const char16_t* kDefaultFontFace = u"DejaVu Sans";
constexpr float kDefaultFontSize = 9.0f;

} // namespace

IIniFileManager* LFrameworkApp::GetIniFileManager()
{
    return nullptr;
}

int32_t LFrameworkApp::GetSettingsFile(int32_t)
{
    return 0;
}

int32_t LFrameworkApp::GetCurrentSkinIndex()
{
    IIniFileManager* settings = GetIniFileManager();
    const int32_t file = GetSettingsFile(1);
    int32_t index = 0;
    if (settings && file != 0)
        settings->GetIniValueInt(file, kSkinIndexKey, 0, index);
    return index;
}

KVRESULT LFrameworkApp::SetSkin(int32_t index)
{
    if (!mControlFactory || index < 0 ||
        static_cast<uint32_t>(index) >= mControlFactory->GetSkins().GetCount())
        return E_INVALIDARG;
    String face;
    float size = 0;
    int32_t style = 0;
    KV_THROW_IF_FAILED(GetDefaultFont(face, size, style));

    mControlFactory->SetCurrentSkinIndex(index);
    mControlFactory->GetSkinFont(face, size, style);
    mDefaultFont = LFont::GetFont(face, size, style);

    // Each root control takes the new skin. The wait cursor and the status text tell the
    // user why the window does not answer meanwhile; what was pending is dispatched before.
    std::vector<RCPtr<LRootWindow>> windows;
    for (uint32_t i = 0; i < mRootWindows.GetCount(); ++i)
        windows.push_back(*mRootWindows.GetAtConst(i));
    for (const RCPtr<LRootWindow>& window : windows)
    {
        LBusyCursorScope busy(String(u"Loading Skin..."));
        // The focus leaves the controls while they change and comes back afterwards.
        IWindowOSServices* os = window->GetOSServices();
        const bool active = os && os->IsActive();
        if (active)
            window->OnFocusLost();
        mControlFactory->ApplySkinToControl(window->GetRootControl());
        if (os)
        {
            const RectT<int32_t> client = window->GetScreenRect();
            window->InvalidateRect({0, 0, client.width, client.height});
        }
        if (active)
            window->OnActivate();
    }

    IIniFileManager* settings = GetIniFileManager();
    if (const int32_t file = GetSettingsFile(1); settings && file != 0)
        settings->SetIniValueInt(file, kSkinIndexKey, index);
    return S_OK;
}

KVRESULT LFrameworkApp::GetDefaultFont(String& faceName, float& size, int32_t& style)
{
    faceName = kDefaultFontFace;
    size = kDefaultFontSize;
    style = 0;
    return S_OK;
}

CursorHandle LFrameworkApp::LoadCursorByName(const String& name)
{
    const LCursorNames& names = CursorNames();
    using Platform::SystemCursor;
    const std::array<std::pair<const String*, SystemCursor>, 14> table{{
        {&names.arrow, SystemCursor::Arrow},
        {&names.iBeam, SystemCursor::IBeam},
        {&names.wait, SystemCursor::Wait},
        {&names.cross, SystemCursor::Cross},
        {&names.upArrow, SystemCursor::UpArrow},
        {&names.sizeAll, SystemCursor::SizeAll},
        {&names.sizeNWSE, SystemCursor::SizeNWSE},
        {&names.sizeNESW, SystemCursor::SizeNESW},
        {&names.sizeWE, SystemCursor::SizeWE},
        {&names.sizeNS, SystemCursor::SizeNS},
        {&names.noDrop, SystemCursor::No},
        {&names.hand, SystemCursor::Hand},
        {&names.appStarting, SystemCursor::AppStarting},
        {&names.help, SystemCursor::Help},
    }};
    for (const auto& [constant, cursor] : table)
        if (name.Equals(*constant))
            return Platform::LoadSystemCursor(cursor);
    return Platform::LoadSystemCursor(SystemCursor::Arrow);
}

} // namespace KV
