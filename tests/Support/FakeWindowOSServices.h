#pragma once
// A window for tests of root windows: it answers from plain fields the test sets and
// records what the root window asked of it.

#include "Application/WindowOSServices.h"

#include <vector>

class FakeWindowOSServices : public KV::IWindowOSServices
{
public:
    KVRESULT InvalidateRect(const KV::RectT<int32_t>& rect) override
    {
        mInvalidated.push_back(rect);
        return S_OK;
    }
    KVRESULT GetClientRect(KV::RectT<int32_t>& rect) override
    {
        rect = {0, 0, mClientSize.width, mClientSize.height};
        return S_OK;
    }
    KVRESULT ClientToScreen(KV::PointT<int32_t>& point) override
    {
        point = {point.x + mScreenOrigin.x, point.y + mScreenOrigin.y};
        return S_OK;
    }
    KVRESULT SetWindowRect(const KV::RectT<int32_t>& rect) override
    {
        mScreenOrigin = {rect.x, rect.y};
        mClientSize = {rect.width, rect.height};
        ++mSetWindowRectCount;
        return S_OK;
    }
    bool IsActive() override { return mActive; }
    KV::PointT<int32_t> GetCursorPos() override { return mCursorPos; }

    bool mActive = true;
    KV::SizeT<int32_t> mClientSize{200, 100};
    KV::PointT<int32_t> mScreenOrigin{0, 0};
    KV::PointT<int32_t> mCursorPos{-1, -1};
    std::vector<KV::RectT<int32_t>> mInvalidated;
    int mSetWindowRectCount = 0;
};
