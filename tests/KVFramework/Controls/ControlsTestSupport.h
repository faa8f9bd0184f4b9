#pragma once
// A headless place for controls: an application whose clock the test sets and whose text
// measures with a fixed advance, a root window on a fake window with a 200 x 100 root
// panel, pointer and key events, idle ticks, a recorder of notifications, and an in-process
// clipboard.

#include "ControlBase/RootWindow.h"
#include "Controls/FrameworkControls.h"
#include "Controls/Panel.h"
#include "FakeWindowOSServices.h"
#include "MeasuringApp.h"
#include "Notification/Notification.h"
#include "Platform/Clipboard/FakeClipboardBackend.h"

#include "ControlTestSupport.h"
#include "LookTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
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

// The framework's texts that controls read, in English.
inline RCPtr<LStringTable> FrameworkStrings()
{
    RCPtr<LStringTable> strings = LStringTable::Create();
    const char16_t* const texts[][2] = {
        {u"HOURS_SINGULAR", u"Hour"},    {u"HOURS_PLURAL", u"Hours"},      {u"MINUTES_SINGULAR", u"Minute"},
        {u"MINUTES_PLURAL", u"Minutes"}, {u"SECONDS_SINGULAR", u"Second"}, {u"SECONDS_PLURAL", u"Seconds"},
        {u"REMAINING", u"Remaining"},
    };
    for (const auto& [key, text] : texts)
        strings->SetString(String(key), String(text));
    return strings;
}

// A control's descriptor: placed at (x, y), w x h in its parent's client area, with the
// looks given; its class and its children are the caller's.
inline RCPtr<LControlDescriptor> Describe(const char16_t* className, const char16_t* name, double x, double y,
                                          double w, double h,
                                          const std::vector<RCPtr<LLookDescriptor>>& looks = {})
{
    RCPtr<LControlDescriptor> descriptor =
        LControlDescriptor::Create(String(className), String(name), nullptr);
    RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    layout->mXPosition.mAbs = x;
    layout->mYPosition.mAbs = y;
    layout->mXSize = {SizeReference::Self, String(), 0, w};
    layout->mYSize = {SizeReference::Self, String(), 0, h};
    descriptor->SetLayoutDescriptor(layout);
    RCPtr<LSkinDescriptor> skin = LSkinDescriptor::Create(String(u"skin"));
    skin->mLookList = MakeRCPtr<LLookList>(0u);
    for (const RCPtr<LLookDescriptor>& look : looks)
        skin->mLookList->AddItem(look);
    descriptor->SetSkinDescriptor(skin);
    return descriptor;
}

// A look of one colour.
inline RCPtr<LLookDescriptor> ColourLook(uint32_t argb)
{
    return MakeLook(FillPart(1, 1, argb), Offsets(kL | kT | kR | kB));
}

// count looks, each of its own colour.
inline std::vector<RCPtr<LLookDescriptor>> ColourLooks(uint32_t count)
{
    std::vector<RCPtr<LLookDescriptor>> looks;
    for (uint32_t i = 0; i < count; ++i)
        looks.push_back(ColourLook(0xFF000000u | i));
    return looks;
}

// Makes the clipboard of every application made while it lives the given fake.
class FakeClipboardInstaller
{
public:
    explicit FakeClipboardInstaller(std::shared_ptr<Platform::FakeClipboardBackend> clipboard)
    {
        Platform::SetClipboardBackendFactory([clipboard] { return clipboard; });
    }
    ~FakeClipboardInstaller() { Platform::SetClipboardBackendFactory(nullptr); }
    FakeClipboardInstaller(const FakeClipboardInstaller&) = delete;
    FakeClipboardInstaller& operator=(const FakeClipboardInstaller&) = delete;
};

// A look of one colour whose text area is the whole control.
inline RCPtr<LLookDescriptor> TextLook(uint32_t argb = 0xFF000000u)
{
    RCPtr<LLookDescriptor> descriptor = ColourLook(argb);
    LLookDescriptor::TextProperties properties;
    properties.mRightRel = 1;
    properties.mBottomRel = 1;
    descriptor->SetTextProperties(properties);
    return descriptor;
}

class ControlHarness : public ::testing::Test
{
public:
    // skinControls: the skin's top-level controls, as XML text (the skin's "toolTip", for
    // example); none by default.
    explicit ControlHarness(const std::string& skinControls = "")
    {
        gNow = 100000;
        RegisterFrameworkControlClasses(*mFactory);
        // One skin, so that the application has its default font for labels.
        const std::string skin = "<r><Application Name=\"App\"><Skins><Skin Name=\"s\">" + skinControls +
                                 "</Skin></Skins></Application></r>";
        EXPECT_EQ(mFactory->ParseXML({reinterpret_cast<const unsigned char*>(skin.data()), skin.size()}),
                  S_OK);
        EXPECT_EQ(mApp->SetSkin(0), S_OK);
        mApp->GetClock() = ApplicationClock(&TestTick);
        mApp->mMeasurer = mMeasurer;
        mWindow = LRootWindow::CreateInstance(&mOS);
        mApp->AddRootWindow(mWindow);
        mRoot = Create<LPanel>(Describe(u"Framework.Panel", u"root", 0, 0, 200, 100), nullptr);
        mWindow->SetRootControl(RCPtr<LControl>(mRoot));
        mRoot->RecalcLayout();
    }
    ~ControlHarness() override
    {
        mWindow->SetRootControl(nullptr);
        mApp->RemoveRootWindow(mWindow);
    }

    // A control of class T made from the descriptor, the way the control factory makes it.
    template <class T>
    RCPtr<T> Create(const RCPtr<LControlDescriptor>& descriptor, const RCPtr<LControl>& parent)
    {
        return RCPtr<T>::DynamicCastFrom(CreateControlOfClass<T>(parent, descriptor));
    }
    template <class T>
    RCPtr<T> Make(const RCPtr<LControl>& parent, const char16_t* name, double x, double y, double w, double h,
                  const std::vector<RCPtr<LLookDescriptor>>& looks = {})
    {
        return Create<T>(Describe(u"", name, x, y, w, h, looks), parent);
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
    void DoubleClick(int32_t x, int32_t y)
    {
        mOS.mButtons |= kMouseButtonLeft;
        mWindow->OnMouseButton(LRootWindow::kDoubleClick, kMouseButtonLeft, 0, {x, y});
        mOS.mCursorPos = {x, y};
    }
    // A right click at (x, y), where the pointer is left.
    void RightClick(int32_t x, int32_t y)
    {
        mOS.mCursorPos = {x, y};
        mOS.mButtons |= kMouseButtonRight;
        mWindow->OnMouseButton(LRootWindow::kPress, kMouseButtonRight, 0, {x, y});
        mOS.mButtons &= ~kMouseButtonRight;
        mWindow->OnMouseButton(LRootWindow::kRelease, kMouseButtonRight, 0, {x, y});
    }
    // Adds a top-level control to the skin, found by name as the skin's own.
    void AddSkinControl(const RCPtr<LControlDescriptor>& descriptor)
    {
        mFactory->GetCurrentSkin()->AddChild(descriptor);
    }
    void Key(uint32_t code) { mWindow->OnKey(LKeyParam::Create(KeyCode{code}, 1)); }

    // One text of a control's string table: the table is named "<parent's class>|<name>"
    // (the root panel's children: "Framework.Panel|<name>").
    struct ControlText
    {
        std::string table;
        std::string key;
        std::string text;
    };
    // Loads the texts into the factory as the application's texts document gives them; a
    // control made afterwards takes its table.
    void LoadControlTexts(const std::vector<ControlText>& texts)
    {
        std::string document = "<r><Application Name=\"App\">";
        for (const ControlText& entry : texts)
            document += "<StringTable ID=\"" + entry.table + "\"><String ID=\"" + entry.key +
                        "\"><Locale LCID=\"9\">" + entry.text + "</Locale></String></StringTable>";
        document += "</Application></r>";
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() /
            ("kv-control-texts-" + std::to_string(::getpid()) + "-" + std::to_string(++mTextDocuments));
        std::filesystem::create_directories(folder);
        const auto write = [&](const char* name, const std::string& text) {
            std::ofstream(folder / name, std::ios::binary) << text;
            return String((folder / name).string().c_str());
        };
        EXPECT_EQ(mFactory->LoadStringTables(write("app.xml", document), write("framework.xml", "<r/>"), 9),
                  S_OK);
        std::filesystem::remove_all(folder);
    }
    std::vector<std::string> TakeLog() { return std::exchange(mLog, {}); }

    std::shared_ptr<Platform::FakeClipboardBackend> mClipboard =
        std::make_shared<Platform::FakeClipboardBackend>();
    FakeClipboardInstaller mClipboardInstaller{mClipboard}; // before the application
    RCPtr<FixedAdvanceMeasurer> mMeasurer = FixedAdvanceMeasurer::Create();
    RCPtr<LControlFactory> mFactory = LControlFactory::Create(String(u"App"));
    RCPtr<MeasuringApp> mApp{new MeasuringApp(mFactory, FrameworkStrings(), String())};
    FakeWindowOSServices mOS;
    RCPtr<LRootWindow> mWindow;
    RCPtr<LPanel> mRoot;
    std::vector<std::string> mLog;
    int mTextDocuments = 0;
    RCPtr<NotificationRecorder> mRecorder = NotificationRecorder::Create(&mLog);
};

} // namespace controltest
