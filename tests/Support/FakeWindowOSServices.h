#pragma once
// A window for tests of root windows: it answers from plain fields the test sets and
// records what the root window asked of it.

#include "Application/WindowOSServices.h"

#include <vector>

class FakeWindowOSServices : public KV::IWindowOSServices
{
public:
    KVRESULT SetWindowText(const KV::String& text) override
    {
        mTitle = text;
        return S_OK;
    }
    KVRESULT InvalidateAll() override
    {
        ++mInvalidateAllCount;
        return S_OK;
    }
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
    KVRESULT ScreenToClient(KV::PointT<int32_t>& point) override
    {
        point = {point.x - mScreenOrigin.x, point.y - mScreenOrigin.y};
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
    bool Show(int32_t command) override
    {
        const bool was = mShown;
        mShown = command != kShowHide;
        return was;
    }
    KVRESULT RedrawWindow() override
    {
        ++mRedrawCount;
        return S_OK;
    }
    KVRESULT BringWindowToTop() override { return S_OK; }
    KVRESULT SetTopMost(bool) override { return S_OK; }
    KVRESULT EndModal(int32_t result) override
    {
        mEndModalResults.push_back(result);
        return S_OK;
    }
    int32_t RunModalLoop() override { return 0; }
    bool IsModal() override { return mModal; }
    bool IsActive() override { return mActive; }
    bool HasFocus() override { return mHasFocus; }
    KVRESULT SetFocus() override
    {
        ++mSetFocusCount;
        return S_OK;
    }
    KV::CursorHandle SetCursor(KV::CursorHandle cursor) override
    {
        const KV::CursorHandle previous = mCursor;
        mCursor = cursor;
        return previous;
    }
    KV::PointT<int32_t> GetCursorPos() override { return mCursorPos; }
    int32_t GetMouseButtons() override { return mButtons; }
    uintptr_t GetWindowHandle() override { return 0; }
    KVRESULT EnableTextInput(bool enable, int32_t value) override
    {
        mTextInput = enable;
        mTextInputValue = value;
        return S_OK;
    }

    bool mActive = true;
    bool mHasFocus = true;
    bool mModal = false;
    bool mShown = false;
    bool mTextInput = false;
    int32_t mTextInputValue = 0;
    KV::SizeT<int32_t> mClientSize{200, 100};
    KV::PointT<int32_t> mScreenOrigin{0, 0};
    KV::PointT<int32_t> mCursorPos{-1, -1};
    int32_t mButtons = 0;
    KV::CursorHandle mCursor = 0;
    KV::String mTitle;
    std::vector<KV::RectT<int32_t>> mInvalidated;
    std::vector<int32_t> mEndModalResults;
    int mInvalidateAllCount = 0;
    int mRedrawCount = 0;
    int mSetFocusCount = 0;
    int mSetWindowRectCount = 0;
};
