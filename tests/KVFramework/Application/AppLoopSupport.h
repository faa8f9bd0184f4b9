#pragma once
// The window layer as the application's loop tests see it: a scripted event source with
// a clock of its own, a main window that records what is done to it, and message boxes
// that are recorded instead of shown.

#include "Application/ApplicationBase.h"
#include "ControlFactoryTestSupport.h"
#include "Platform/Window/ScriptedWindowEventSource.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

using namespace KV;

// The window layer's event source for the tests, on the clock of its own that the
// application reads too. Besides the events a test queues it runs actions at given times
// while the loop waits, as things that happen without an event (another thread posting
// work, say), and events at given times that run an action when they are dispatched.
class TestEventSource : public Platform::ScriptedWindowEventSource, public Platform::WindowEventHandler
{
public:
    static constexpr uint32_t kWindowId = 77;

    TestEventSource()
    {
        Advance(1000);
        AddHandler(kWindowId, this);
    }
    // At the time, during a wait.
    void At(Milliseconds when, std::function<void()> action) { mTimed.push_back({when, std::move(action)}); }
    // An event at the time whose dispatch runs the action.
    void EventAt(Milliseconds when, std::function<void()> action)
    {
        At(when, [this, action = std::move(action)] {
            mEventActions.push_back(action);
            Platform::WindowEvent event;
            event.type = Platform::WindowEventType::ButtonDown;
            event.windowId = kWindowId;
            Push(event);
        });
    }
    void OnWindowEvent(const Platform::WindowEvent&) override
    {
        std::function<void()> action = std::move(mEventActions.front());
        mEventActions.pop_front();
        action();
    }

protected:
    bool WaitNativeEvent(Platform::WindowEvent& event, Milliseconds timeout) override
    {
        // The wait ends early for the next timed action.
        if (!mTimed.empty())
        {
            const auto until = static_cast<int32_t>(mTimed.front().when - GetNow());
            if (until >= 0 && static_cast<Milliseconds>(until) < timeout)
                timeout = static_cast<Milliseconds>(until);
        }
        const bool got = ScriptedWindowEventSource::WaitNativeEvent(event, timeout);
        while (!mTimed.empty() && static_cast<int32_t>(GetNow() - mTimed.front().when) >= 0)
        {
            std::function<void()> action = std::move(mTimed.front().action);
            mTimed.pop_front();
            action();
        }
        return got;
    }

private:
    struct Timed
    {
        Milliseconds when;
        std::function<void()> action;
    };
    std::deque<Timed> mTimed;
    std::deque<std::function<void()>> mEventActions;
};

// The process's event source while it lives, and the clock the application reads.
inline TestEventSource* gSource = nullptr;
inline Milliseconds FakeTick()
{
    return gSource ? gSource->GetNow() : 0;
}

struct InstalledEventSource
{
    InstalledEventSource()
    {
        Platform::SetWindowEventSourceFactory([this] {
            auto made = std::make_shared<TestEventSource>();
            gSource = made.get();
            return made;
        });
        Platform::GetWindowEventSource();
    }
    ~InstalledEventSource()
    {
        Platform::SetWindowEventSourceFactory({});
        gSource = nullptr;
    }
    TestEventSource& operator*() const { return *gSource; }
    TestEventSource* operator->() const { return gSource; }
};

// The skin of the tests' main window: one top-level control, "mainControl".
inline constexpr const char* kMainSkin =
    "<Skins><Skin Name=\"s\"><SubControl Class=\"Test.Main\" Name=\"mainControl\" XSizeAbs=\"300\" "
    "YSizeAbs=\"200\"/></Skin></Skins>";

inline RCPtr<LControl> MakeMainControl(const RCPtr<LControl>& parent,
                                       const RCPtr<LControlDescriptor>& descriptor)
{
    return RCPtr<LControl>(new LControl(parent, descriptor->mName));
}

// A factory that read the main skin, with the main control's class registered.
inline RCPtr<LControlFactory> MainSkinFactory()
{
    RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"App"));
    EXPECT_EQ(factory->ParseXML(factorytest::Bytes(factorytest::SkinDocument(kMainSkin))), S_OK);
    factory->RegisterControlClass(String(u"Test.Main"), &MakeMainControl);
    return factory;
}

class RecordingBoxes : public IMessageBoxSink
{
public:
    int32_t ShowMessageBox(const String& text, const String& caption, uint32_t flags) override
    {
        mBoxes.push_back(std::string(NarrowString(caption).GetText()) + ": " + NarrowString(text).GetText());
        mFlags = flags;
        if (mLog)
            mLog->push_back("box");
        return kMessageBoxAnswerOk;
    }
    std::vector<std::string> mBoxes;
    uint32_t mFlags = 0;
    // Where the boxes are noted among other things, when set.
    std::vector<std::string>* mLog = nullptr;
};

// A window without a display: its root window joins the application's list while it is
// open.
class FakeWindow : public IApplicationWindow
{
public:
    FakeWindow(LFrameworkApp& app, std::vector<std::string>& log)
        : mApp(app), mLog(log), mRootWindow(LRootWindow::CreateInstance(nullptr))
    {
        mApp.AddRootWindow(mRootWindow);
    }
    void Show() override { mLog.push_back("show"); }
    void Close() override
    {
        mLog.push_back("close");
        mApp.RemoveRootWindow(mRootWindow);
        mRootWindow->SetRootControl(nullptr);
    }

private:
    LFrameworkApp& mApp;
    std::vector<std::string>& mLog;
    RCPtr<LRootWindow> mRootWindow;
};

// A splash screen without a display: it records what the entry does to it.
class RecordingSplash : public ISplashScreen
{
public:
    explicit RecordingSplash(std::vector<std::string>& log) : mLog(log) {}
    void SetImage(const RCPtr<LBitmap>& bitmap) override
    {
        const RectT<int32_t>& area = bitmap->GetArea();
        mLog.push_back("splash image " + std::to_string(area.width) + "x" + std::to_string(area.height));
    }
    void Start() override { mLog.push_back("splash start"); }
    void SetProgress(int position) override { mLog.push_back("splash at " + std::to_string(position)); }
    void AnimateProgress(int start, int end, int seconds) override
    {
        mLog.push_back("splash from " + std::to_string(start) + " to " + std::to_string(end) + " in " +
                       std::to_string(seconds));
    }
    void Stop() override { mLog.push_back("splash stop"); }

private:
    std::vector<std::string>& mLog;
};

class FakeWindowFactory : public IWindowFactory
{
public:
    std::unique_ptr<ISplashScreen> CreateSplashScreen() override
    {
        return std::make_unique<RecordingSplash>(mLog);
    }
    std::unique_ptr<IApplicationWindow> CreateMainWindow(LFrameworkApp& app, const RCPtr<LControlDescriptor>&,
                                                         const String&, int32_t) override
    {
        mLog.push_back("create");
        if (mFail)
            return nullptr;
        return std::make_unique<FakeWindow>(app, mLog);
    }
    bool IsAvailable() override { return mAvailable; }
    InstalledEventSource mSource;
    std::vector<std::string> mLog;
    bool mFail = false;
    bool mAvailable = true;
};

} // namespace apptest
