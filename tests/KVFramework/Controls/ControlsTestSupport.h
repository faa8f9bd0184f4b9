#pragma once
// A headless place for controls: an application whose clock the test sets and whose text
// measures with a fixed advance, a root window on a fake window with a 200 x 100 root
// panel, pointer and key events, idle ticks, and a recorder of notifications.

#include "ControlBase/RootWindow.h"
#include "Controls/Panel.h"
#include "FakeWindowOSServices.h"
#include "MeasuringApp.h"
#include "Notification/Notification.h"

#include "ControlTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace controltest {

using namespace KV;
using namespace KV::Testing;

inline Milliseconds gNow = 0;
inline Milliseconds TestTick()
{
    return gNow;
}

inline std::string Narrow(const char16_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out.push_back(static_cast<char>(*text));
    return out;
}

// Writes the identifier of every notification it receives into a shared log, with the
// sender's name when the sender is a control.
class NotificationRecorder : public LNotificationClient
{
public:
    static RCPtr<NotificationRecorder> Create(std::vector<std::string>* log)
    {
        return RCPtr<NotificationRecorder>(new NotificationRecorder(log));
    }
    void Listen(const RCPtr<LNotificationDistributor>& sender, const char16_t* id)
    {
        RegisterNotification(sender, id);
    }
    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender, const RCPtr<LNotification>& n) override
    {
        std::string entry;
        if (auto* control = dynamic_cast<LControl*>(sender.Get()))
            entry = Narrow(control->GetName().GetText()) + " ";
        mLog->push_back(entry + Narrow(n->GetId()));
        return S_OK;
    }

private:
    explicit NotificationRecorder(std::vector<std::string>* log) : mLog(log) {}
    std::vector<std::string>* mLog;
};

class ControlHarness : public ::testing::Test
{
public:
    ControlHarness()
    {
        gNow = 100000;
        mApp->GetClock() = ApplicationClock(&TestTick);
        mApp->mMeasurer = mMeasurer;
        mWindow = LRootWindow::CreateInstance(&mOS);
        mApp->AddRootWindow(mWindow);
        mRoot = RCPtr<LPanel>(new LPanel(nullptr, String(u"root")));
        // As the attributes of a skin with tab stops would leave it.
        mRoot->SetNotFocusable(false);
        mRoot->Initialize();
        mWindow->SetRootControl(RCPtr<LControl>(mRoot));
        mRoot->RecalcLayout();
    }
    ~ControlHarness() override
    {
        mWindow->SetRootControl(nullptr);
        mApp->RemoveRootWindow(mWindow);
    }

    // A control of class T at (x, y), w x h in the parent's client area, initialised.
    template <class T>
    RCPtr<T> Make(const RCPtr<LControl>& parent, const char16_t* name, double x, double y, double w, double h)
    {
        RCPtr<T> control(new T(parent, String(name)));
        Place(*control, x, y, w, h);
        control->SetNotFocusable(false);
        control->T::Initialize();
        control->T::PostInitialize();
        return control;
    }

    // Lets time pass, then one idle tick.
    void Idle(Milliseconds elapsed = 0)
    {
        gNow += elapsed;
        mWindow->ProcessIdle(true);
    }
    void Move(int32_t x, int32_t y)
    {
        mOS.mCursorPos = {x, y};
        mWindow->OnMouseMove({x, y}, 0);
    }
    void Press(int32_t x, int32_t y)
    {
        mOS.mButtons |= kMouseButtonLeft;
        mWindow->OnMouseButton(LRootWindow::kPress, kMouseButtonLeft, 0, {x, y});
        mOS.mCursorPos = {x, y};
    }
    void Release(int32_t x, int32_t y)
    {
        mOS.mButtons &= ~kMouseButtonLeft;
        mWindow->OnMouseButton(LRootWindow::kRelease, kMouseButtonLeft, 0, {x, y});
        mOS.mCursorPos = {x, y};
    }
    void Key(uint32_t code) { mWindow->OnKey(LKeyParam::Create(KeyCode{code}, 1)); }
    std::vector<std::string> TakeLog() { return std::exchange(mLog, {}); }

    RCPtr<FixedAdvanceMeasurer> mMeasurer = FixedAdvanceMeasurer::Create();
    RCPtr<MeasuringApp> mApp{new MeasuringApp()};
    FakeWindowOSServices mOS;
    RCPtr<LRootWindow> mWindow;
    RCPtr<LPanel> mRoot;
    std::vector<std::string> mLog;
    RCPtr<NotificationRecorder> mRecorder = NotificationRecorder::Create(&mLog);
};

} // namespace controltest
