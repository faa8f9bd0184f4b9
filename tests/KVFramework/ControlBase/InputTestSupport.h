#pragma once
// A control tree inside a root window on a fake window, driven with synthetic pointer
// and key events; the controls write what reached them into one shared log.

#include "ControlBase/RootWindow.h"
#include "FakeWindowOSServices.h"
#include "Notification/Notification.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace inputtest {

using namespace KV;

inline std::string Narrow(const String& text)
{
    std::string out;
    for (char16_t c : text.View())
        out.push_back(static_cast<char>(c));
    return out;
}

inline const char* ButtonName(int button)
{
    return button == kMouseButtonLeft ? "L" : button == kMouseButtonMiddle ? "M" : "R";
}

// Logs "<name>:<event>" for the hooks a concrete control would override.
class Probe : public LControl
{
public:
    Probe(const RCPtr<LControl>& parent, const char16_t* name, const RectT<double>& rect,
          std::vector<std::string>* log)
        : LControl(parent, String(name)), mLog(log), mName(Narrow(String(name)))
    {
        SetRectForTest(rect);
        SetNotFocusable(false);
    }

    void Log(const std::string& event)
    {
        if (mLog)
            mLog->push_back(mName + ":" + event);
    }
    static std::string At(const PointT<int32_t>& point)
    {
        return std::to_string(point.x) + "," + std::to_string(point.y);
    }

    void OnLeftButtonDown(const RCPtr<LMouseButtonParam>& p) override { Down(p); }
    void OnMiddleButtonDown(const RCPtr<LMouseButtonParam>& p) override { Down(p); }
    void OnRightButtonDown(const RCPtr<LMouseButtonParam>& p) override { Down(p); }
    void OnLeftButtonUp(const RCPtr<LMouseButtonParam>& p) override { Up(p); }
    void OnMiddleButtonUp(const RCPtr<LMouseButtonParam>& p) override { Up(p); }
    void OnRightButtonUp(const RCPtr<LMouseButtonParam>& p) override { Up(p); }
    void OnMouseMoved(const RCPtr<LPointWithModifiersParam>& p) override
    {
        if (mLogMoves)
            Log("move " + At(p->mPoint));
    }
    void HandleLeftClick(const RCPtr<LMouseButtonParam>& p) override { Click(p); }
    void HandleMiddleClick(const RCPtr<LMouseButtonParam>& p) override { Click(p); }
    void HandleRightClick(const RCPtr<LMouseButtonParam>& p) override { Click(p); }
    KVRESULT OnWheel(const RCPtr<LMouseWheelParam>& p) override
    {
        Log("wheel " + At(p->mPoint));
        return mWheelResult;
    }
    KVRESULT OnHWheel(const RCPtr<LMouseWheelParam>& p) override
    {
        Log("hwheel " + At(p->mPoint));
        return mWheelResult;
    }
    KVRESULT DragTo(const RCPtr<LPointWithModifiersParam>& p) override
    {
        Log("drag to " + At(p->mPoint));
        return S_OK;
    }
    bool IsTransparentAt(const PointT<double>& point) override
    {
        const RectT<double>& t = mTransparent;
        return point.x >= t.x && point.x < t.x + t.width && point.y >= t.y && point.y < t.y + t.height;
    }
    void UpdateConditions() override
    {
        LControl::UpdateConditions();
        // The drag conditions, as the condition code would report them.
        const bool dragging = IsDragging(kMouseButtonLeft);
        if (dragging && !mWasDragging)
        {
            Log("drag begins");
            if (mDragModeOnDrag != 0)
                SetDragMode(mDragModeOnDrag);
        }
        else if (!dragging && mWasDragging)
            Log("drag ends");
        mWasDragging = dragging;
    }
    KVRESULT OnKeyDown(const RCPtr<LKeyParam>& p) override
    {
        if (mLogKeys)
            Log("key");
        return mKeyResult;
    }
    bool CanReleaseFocus() override { return mCanReleaseFocus; }
    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender, const RCPtr<LNotification>& n) override
    {
        // What a button's local hot key would do.
        if (n && n->GetId() == InternNotificationId(u"NID_SIMULATE_CLICK"))
            Log("simulated click");
        return LControl::Receive(sender, n);
    }
    KVRESULT ShowToolTip(bool show) override
    {
        Log(show ? "tip shown" : "tip hidden");
        return S_OK;
    }

    std::vector<std::string>* mLog;
    std::string mName;
    bool mLogMoves = false;
    bool mLogKeys = false;
    bool mWasDragging = false;
    int32_t mDragModeOnDrag = 0;
    KVRESULT mWheelResult = S_FALSE;
    KVRESULT mKeyResult = S_FALSE;
    bool mCanReleaseFocus = true;
    RectT<double> mTransparent;
    RCPtr<LMouseButtonParam> mLastParam;

private:
    void Down(const RCPtr<LMouseButtonParam>& p)
    {
        mLastParam = p;
        Log(std::string("down ") + ButtonName(p->mButton) + (p->mIsDoubleClick ? " double" : "") + " " +
            At(p->mPoint));
    }
    void Up(const RCPtr<LMouseButtonParam>& p)
    {
        mLastParam = p;
        Log(std::string("up ") + ButtonName(p->mButton) + (p->mIsDoubleClick ? " double" : ""));
    }
    void Click(const RCPtr<LMouseButtonParam>& p) { Log(std::string("click ") + ButtonName(p->mButton)); }
};

// A root window on a fake window with a 200 x 100 root control named "root".
class InputFixture : public ::testing::Test
{
public:
    InputFixture()
    {
        mOS.mHasFocus = false; // the tests give the focus themselves
        mWindow = LRootWindow::CreateInstance(&mOS);
        mRoot = Add(nullptr, u"root", {0, 0, 200, 100});
        mWindow->SetRootControl(RCPtr<LControl>(mRoot));
    }
    ~InputFixture() override { mWindow->SetRootControl(nullptr); }

    RCPtr<Probe> Add(const RCPtr<LControl>& parent, const char16_t* name, const RectT<double>& rect)
    {
        return RCPtr<Probe>(new Probe(parent, name, rect, &mLog));
    }

    void Move(int32_t x, int32_t y, uint32_t modifiers = 0)
    {
        mOS.mCursorPos = {x, y};
        mWindow->OnMouseMove({x, y}, modifiers);
    }
    void Press(int button, int32_t x, int32_t y, bool doubleClick = false)
    {
        mOS.mButtons |= button;
        mWindow->OnMouseButton(doubleClick ? LRootWindow::kDoubleClick : LRootWindow::kPress, button, 0,
                               {x, y});
        mOS.mCursorPos = {x, y};
    }
    void Release(int button, int32_t x, int32_t y)
    {
        mOS.mButtons &= ~button;
        mWindow->OnMouseButton(LRootWindow::kRelease, button, 0, {x, y});
        mOS.mCursorPos = {x, y};
    }
    void Key(const KeyCode& key) { mWindow->OnKey(LKeyParam::Create(key, 1)); }

    std::vector<std::string> TakeLog() { return std::exchange(mLog, {}); }

    FakeWindowOSServices mOS;
    std::vector<std::string> mLog;
    RCPtr<LRootWindow> mWindow;
    RCPtr<Probe> mRoot;
};

} // namespace inputtest
