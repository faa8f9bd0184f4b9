#include "AppLoopSupport.h"
#include "Application/MessageLoop.h"
#include "FakeWindowOSServices.h"
#include "NotificationTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <thread>

using namespace apptest;
using notiftest::Recorder;

namespace {

class LoopApp : public LApplicationBase<LoopApp>
{
public:
    LoopApp() : LApplicationBase(MainSkinFactory(), nullptr, String()) {}
    String GetRootControlName() override { return String(u"mainControl"); }
    bool CanExit() override { return mCanExit; }
    void BeforeMessageLoop() override
    {
        if (mExitBeforeLoop)
            GetDefaultCenter()->PostNotification(LNotification::Create(u"NID_APP_EXIT_REQ"));
    }
    bool mCanExit = true;
    bool mExitBeforeLoop = false;
};

// An application on the fake window layer and clock, started, with its main window.
struct LoopFixture
{
    LoopFixture()
    {
        app->GetClock() = ApplicationClock(&FakeTick);
        app->SetWindowFactory(&windows);
        app->SetMessageBoxSink(&boxes);
        EXPECT_EQ(app->RunApplicationStartup(), S_OK);
        EXPECT_EQ(app->CreateMainWindow(kRendererTypeGDI), S_OK);
        windows.mLog.clear();
    }
    void Post(const char16_t* id) { app->GetDefaultCenter()->PostNotification(LNotification::Create(id)); }
    // The script ends the loop at the time unless the application ended it before.
    void EndAt(Milliseconds when)
    {
        windows.mSource->At(when, [this] {
            scriptEnded = true;
            app->QuitMessageLoop(-7);
        });
    }
    // Whether the loop ended through the exit request rather than the end of its script.
    bool EndedByExitRequest() const { return !scriptEnded; }
    TestEventSource& Source() const { return *windows.mSource; }

    FakeWindowFactory windows;
    RecordingBoxes boxes;
    RCPtr<LoopApp> app{new LoopApp()};
    bool scriptEnded = false;
};

} // namespace

TEST(MessageLoop, WorkPostedByAnotherThreadIsDispatchedByTheNextTick)
{
    LoopFixture f;
    RCPtr<Recorder> client(new Recorder(nullptr, "work"));
    client->RegisterNotification(f.app->GetDefaultCenter(), u"NID_WORK");
    Milliseconds postedAt = 0;
    Milliseconds dispatchedAt = 0;
    client->mAction = [&] { dispatchedAt = FakeTick(); };
    // Nothing happens for a while; then a worker posts without waking the loop.
    f.Source().At(1250, [&] {
        postedAt = FakeTick();
        std::thread([&] { f.Post(u"NID_WORK"); }).join();
    });
    f.EndAt(1450);
    f.app->Run();

    ASSERT_EQ(client->mReceived, 1);
    EXPECT_GE(dispatchedAt, postedAt);
    EXPECT_LE(dispatchedAt - postedAt, MessageLoop::kIdleTick);
    // The loop slept up to the next tick instead of spinning.
    for (Milliseconds wait : f.Source().GetWaits())
        EXPECT_LE(wait, MessageLoop::kIdleTick);
}

TEST(MessageLoop, AnIdlePeriodDrainsAtMostThreeTimesAndTicksOnlyOnItsFirstPass)
{
    LoopFixture f;
    // Work that is never done: each drain finds more, so every period takes all its passes.
    std::map<Milliseconds, int> drains;
    std::map<Milliseconds, int> idleTicks;
    RCPtr<Recorder> worker(new Recorder(nullptr, "worker"));
    worker->RegisterNotification(f.app->GetDefaultCenter(), u"NID_MORE");
    worker->mAction = [&] {
        ++drains[FakeTick()];
        f.Post(u"NID_MORE");
    };
    RCPtr<Recorder> idle(new Recorder(nullptr, "idle"));
    idle->RegisterNotification(f.app->GetDefaultCenter(), u"NID_IDLE");
    idle->mAction = [&] { ++idleTicks[FakeTick()]; };
    f.Post(u"NID_MORE");
    f.Source().EventAt(1110, [] {});
    f.EndAt(1120);
    f.app->Run();

    // Idle periods start at 1000 and with the ticks at 1033, 1066 and 1099, and after the
    // event at 1110; the first also has the drain before the loop; one more drain follows
    // the loop's end at 1120.
    EXPECT_EQ(drains, (std::map<Milliseconds, int>{
                          {1000, 4}, {1033, 3}, {1066, 3}, {1099, 3}, {1110, 3}, {1120, 1}}));
    EXPECT_EQ(idleTicks, (std::map<Milliseconds, int>{
                             {1000, 2}, {1033, 1}, {1066, 1}, {1099, 1}, {1110, 1}, {1120, 1}}));
}

TEST(MessageLoop, AnExitRequestIsTakenOnlyWhenTheApplicationCanExit)
{
    struct Row
    {
        const char* name;
        bool canExitAtFirst;
        bool allowLater; // a second request after the application can exit again
        bool ends;
    };
    const Row rows[] = {
        {"at once", true, false, true},
        {"refused, then taken", false, true, true},
        {"refused for good", false, false, false},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        LoopFixture f;
        f.app->mCanExit = row.canExitAtFirst;
        int idleAfterExit = 0;
        RCPtr<Recorder> idle(new Recorder(nullptr, "idle"));
        idle->RegisterNotification(f.app->GetDefaultCenter(), u"NID_IDLE");
        idle->mAction = [&] { idleAfterExit += f.app->IsExitRequested() ? 1 : 0; };
        // A second window, which the exit closes in the drain after the loop.
        FakeWindowOSServices secondWindow;
        f.app->AddRootWindow(LRootWindow::CreateInstance(&secondWindow));
        f.Source().EventAt(1010, [&] { f.Post(u"NID_APP_EXIT_REQ"); });
        if (row.allowLater)
            f.Source().EventAt(1110, [&] {
                f.app->mCanExit = true;
                f.Post(u"NID_APP_EXIT_REQ");
            });
        f.EndAt(1300);
        f.app->Run();

        EXPECT_EQ(f.app->IsExitRequested(), row.ends);
        EXPECT_EQ(f.EndedByExitRequest(), row.ends);
        EXPECT_EQ(f.boxes.mBoxes.size(), 0u);
        EXPECT_EQ(f.windows.mLog, std::vector<std::string>{"close"});
        EXPECT_EQ(secondWindow.mEndModalResults, row.ends ? std::vector<int32_t>{0} : std::vector<int32_t>{});
        // No idle pass runs after the request: the tick goes out only at the end of the drain
        // that took it and in the drain after the loop.
        EXPECT_EQ(idleAfterExit, row.ends ? 2 : 0);
    }
}

TEST(MessageLoop, AnExitRequestTakenBeforeTheLoopEndsIt)
{
    LoopFixture f;
    f.app->mExitBeforeLoop = true;
    f.EndAt(1500);
    f.app->Run();
    EXPECT_TRUE(f.app->IsExitRequested());
    EXPECT_TRUE(f.EndedByExitRequest());
    EXPECT_EQ(f.windows.mLog, std::vector<std::string>{"close"});
}

TEST(MessageLoop, AnErrorInAHandlerShowsOneBoxAndTakesTheExitRoad)
{
    struct Row
    {
        const char* name;
        bool canExit;
        bool ends;
    };
    for (const Row& row : {Row{"the application can exit", true, true}, Row{"an update runs", false, false}})
    {
        SCOPED_TRACE(row.name);
        LoopFixture f;
        f.app->mCanExit = row.canExit;
        RCPtr<Recorder> faulty(new Recorder(nullptr, "faulty"));
        faulty->RegisterNotification(f.app->GetDefaultCenter(), u"NID_BOOM");
        faulty->mAction = [] { throw std::runtime_error("boom"); };
        f.Source().EventAt(1010, [&] { f.Post(u"NID_BOOM"); });
        f.Source().EventAt(1020, [&] { f.Post(u"NID_BOOM"); });
        f.EndAt(1200);
        f.app->Run();

        EXPECT_EQ(f.boxes.mBoxes,
                  std::vector<std::string>{"Error: The application encountered problems during "
                                           "startup and will now close."});
        EXPECT_EQ(f.boxes.mFlags, kMessageBoxIconError);
        EXPECT_EQ(f.app->IsExitRequested(), row.ends);
        EXPECT_EQ(f.EndedByExitRequest(), row.ends);
        // The loop kept running while the exit was refused: both events were handled.
        EXPECT_EQ(faulty->mReceived, row.ends ? 1 : 2);
    }
}
