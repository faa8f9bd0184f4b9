// Windows that the application opens besides its main window: modeless ones, and modal
// ones whose loop runs until they end.

#include "Application/FrameworkApp.h"
#include "Application/MainWindowFactory.h"
#include "Application/WindowOSServices.h"
#include "ObjectBase/Exception.h"

#include <algorithm>
#include <cmath>

namespace KV {

namespace {

// Moves the rectangle onto the work area, keeping its size: right or down when its left
// or top edge is outside, else left or up when its right or bottom edge is.
RectT<int32_t> MoveIntoWorkArea(RectT<int32_t> rect, const RectT<int32_t>& area)
{
    if (area.width <= 0 || area.height <= 0)
        return rect;
    if (rect.x < area.x)
        rect.x = area.x;
    else if (int64_t{rect.x} + rect.width > int64_t{area.x} + area.width)
        rect.x = static_cast<int32_t>(std::max<int64_t>(int64_t{area.x} + area.width - rect.width, area.x));
    if (rect.y < area.y)
        rect.y = area.y;
    else if (int64_t{rect.y} + rect.height > int64_t{area.y} + area.height)
        rect.y = static_cast<int32_t>(std::max<int64_t>(int64_t{area.y} + area.height - rect.height, area.y));
    return rect;
}

int32_t WholePixels(double value)
{
    return static_cast<int32_t>(std::clamp(std::trunc(value), -2147483648.0, 2147483647.0));
}

} // namespace

KVRESULT LFrameworkApp::CreateRootWindow(const RCPtr<LControlDescriptor>& descriptor, bool modeless,
                                         const RootWindowStyle& style, const RCPtr<LRootWindow>& owner,
                                         const String& controlName)
{
    const bool byName = !descriptor;
    RCPtr<LControlDescriptor> found = descriptor;
    if (byName)
    {
        if (controlName.IsEmpty())
            KV_THROW_NULL_POINTER("Control descriptor is null");
        if (mControlFactory)
            found = mControlFactory->FindControlDescriptor(controlName);
        if (!found)
            KV_THROW_NULL_POINTER("Invalid Control Name");
    }
    if (!mWindowFactory)
        return E_FAIL;

    RootWindowSpec spec;
    if (mControlFactory)
        if (const RCPtr<LStringTable> strings = mControlFactory->GetStringTable(nullptr, found->mName))
            strings->GetString(u"LABEL", spec.title);
    if (const RCPtr<LLayoutDescriptor>& layout = found->mLayout)
    {
        // A control of the skin is placed on the screen by its layout, as the main window
        // is; a descriptor's window by its absolute values, from its owner (below).
        spec.clientRect =
            byName
                ? WindowRectFromLayout(*layout, GetWorkArea(), GetMousePosition())
                : RectT<int32_t>{WholePixels(layout->mXPosition.mAbs), WholePixels(layout->mYPosition.mAbs),
                                 WholePixels(layout->mXSize.mAbs), WholePixels(layout->mYSize.mAbs)};
        spec.resizable = !IsFixedSizeLayout(*layout);
    }
    RCPtr<LRootWindow> shareWith = GetActiveRootWindow();
    if (!shareWith)
        shareWith = GetFirstRootWindow();
    if (!byName)
    {
        // A window for a descriptor is placed relative to the window it is opened from,
        // and draws through that window's renderer.
        const RCPtr<LRootWindow>& origin = owner ? owner : shareWith;
        if (origin)
        {
            const RectT<int32_t> from = origin->GetScreenRect();
            spec.clientRect.x += from.x;
            spec.clientRect.y += from.y;
        }
        if (shareWith)
            spec.sharedRenderer = shareWith->GetRenderer();
    }
    spec.clientRect = MoveIntoWorkArea(spec.clientRect, GetWorkArea());
    spec.closeBox = style.closeBox;
    spec.minimizeBox = style.minimizeBox;
    spec.maximizeBox = style.maximizeBox;
    if (!modeless)
        spec.owner = owner;
    spec.rendererType = GetRendererType();

    const uint32_t countBefore = mRootWindows.GetCount();
    const RCPtr<LRootWindow> window = mWindowFactory->CreateRootWindow(*this, spec);
    if (!window)
        return E_FAIL;
    IWindowOSServices* services = window->GetOSServices();
    const int32_t index = GetRootWindowIndex(window.Get());
    if (index < 0 || mRootWindows.GetCount() != countBefore + 1 || !services)
    {
        // Not the one new window of the list: it does not stay.
        if (services)
            services->EndModal(0);
        return E_FAIL;
    }

    RCPtr<LControl> root;
    if (byName)
        root = mControlFactory->CreateControlByName(controlName, window);
    else if (mControlFactory)
    {
        if (found->mLayout)
            found->mLayout->mIsVisible = true;
        root = mControlFactory->CreateControl(found, nullptr);
        if (root)
            root->SetRootWindow(window);
    }
    if (!root)
    {
        services->EndModal(0);
        return E_FAIL;
    }
    window->SetRootControl(root);
    if (byName)
    {
        // A window for a control of the skin shows as the main window does.
        services->Show(IWindowOSServices::kShowNormal);
        services->RedrawWindow();
    }
    return GetRootWindowIndex(window.Get());
}

int32_t LFrameworkApp::RunModalRootWindow(const RCPtr<LControlDescriptor>& descriptor, bool closeBox)
{
    RootWindowStyle style;
    style.closeBox = closeBox;
    RCPtr<LRootWindow> owner = GetActiveRootWindow();
    if (!owner)
        owner = GetFirstRootWindow();
    const KVRESULT index = CreateRootWindow(descriptor, false, style, owner, String());
    if (KV_FAILED(index))
        return E_FAIL;
    const RCPtr<LRootWindow> window = *mRootWindows.GetAtConst(static_cast<uint32_t>(index));
    // The loop shows the window and runs until the window ends it.
    return window->GetOSServices()->RunModalLoop();
}

KVRESULT LFrameworkApp::OpenRootWindow(const RCPtr<LControlDescriptor>& descriptor,
                                       const RootWindowStyle& style)
{
    const KVRESULT index = CreateRootWindow(descriptor, true, style, nullptr, String());
    if (KV_FAILED(index))
        return index;
    const RCPtr<LRootWindow> window = *mRootWindows.GetAtConst(static_cast<uint32_t>(index));
    window->GetOSServices()->Show(IWindowOSServices::kShowNormal);
    return index;
}

} // namespace KV
