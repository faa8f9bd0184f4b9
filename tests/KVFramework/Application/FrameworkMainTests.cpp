#include "AppLoopSupport.h"
#include "Application/FrameworkMain.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace apptest;

namespace {

// The documents of the tests' application: string tables with a caption for the start-up
// box but no text, and the main skin.
struct DocumentFolder
{
    explicit DocumentFolder(const std::string& skins = factorytest::SkinDocument(kMainSkin))
    {
        TemporaryFolder::WriteFile(
            folder / "StringTables.xml",
            "<T><Application Name=\"App\"><StringTable ID=\"|App\"/></Application></T>");
        TemporaryFolder::WriteFile(folder / "FrameworkStrings.xml",
                                   "<T><StringTable ID=\"Framework\"><String ID=\"STARTUP_ERROR_CAPTION\">"
                                   "<Locale LCID=\"9\">Start-up</Locale></String></StringTable></T>");
        if (!skins.empty())
            TemporaryFolder::WriteFile(folder / "Skins.xml", skins);
    }
    String Path() const { return String((folder / "").c_str()); }

    TemporaryFolder folder;
};

class MainApp : public LApplicationBase<MainApp>
{
public:
    MainApp(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& strings,
            const String& commandLine)
        : LApplicationBase(factory, strings, commandLine)
    {
    }
    String GetRootControlName() override { return mRootName; }
    bool CanExit() override { return true; }
    KVRESULT RunApplicationStartup() override
    {
        const KVRESULT started = LApplicationBase::RunApplicationStartup();
        if (mStartup)
            return mStartup();
        return started;
    }
    int GetQuietExitStatus(KVRESULT result) override { return 40 + static_cast<int>(result & 0xFF); }
    int OnWindowUnavailable() override
    {
        mLog->push_back("no window");
        return LApplicationBase::OnWindowUnavailable();
    }
    void FinishRunningWork() override { mLog->push_back("finish work"); }

    String mRootName{u"mainControl"};
    std::function<KVRESULT()> mStartup;
    std::vector<std::string>* mLog = nullptr;
};

// One run of the entry with the tests' window layer and boxes.
struct EntryRun
{
    int Run(const String& documents, const std::function<void(MainApp&)>& setUp = {}, bool display = true)
    {
        FrameworkEntry entry;
        entry.createApplication = [&](const RCPtr<LControlFactory>& factory,
                                      const RCPtr<LStringTable>& strings,
                                      const String& commandLine) -> RCPtr<LFrameworkApp> {
            factory->RegisterControlClass(String(u"Test.Main"), &MakeMainControl);
            RCPtr<MainApp> app(new MainApp(factory, strings, commandLine));
            app->mLog = &windows.mLog;
            app->GetClock() = ApplicationClock(&FakeTick);
            if (setUp)
                setUp(*app);
            return app;
        };
        entry.resourceFolder = documents;
        entry.windowFactory = display ? &windows : nullptr;
        entry.messageBoxes = &boxes;
        return FrameworkMain(String(u"updater -SOMETHING"), 9, entry);
    }

    FakeWindowFactory windows;
    RecordingBoxes boxes;
};

const std::string kGeneralBox =
    "Start-up: The application encountered problems during startup and will now close.";

} // namespace

TEST(FrameworkMain, EveryQuietExitEndsWithItsStatusWithoutWindowOrBox)
{
    DocumentFolder documents;
    for (KVRESULT code : {E_QUIET_EXIT_A000, E_QUIET_EXIT_A001, E_QUIET_EXIT_A002, E_QUIET_EXIT_A003,
                          E_QUIET_EXIT_A010, E_QUIET_EXIT_A020})
    {
        SCOPED_TRACE(code);
        EntryRun run;
        EXPECT_EQ(run.Run(documents.Path(), [code](MainApp& app) { app.mStartup = [code] { return code; }; }),
                  40 + (code & 0xFF));
        EXPECT_TRUE(run.windows.mLog.empty());
        EXPECT_TRUE(run.boxes.mBoxes.empty());
    }
}

TEST(FrameworkMain, AStartUpFailureShowsTheBoxAndEndsWithStatus1)
{
    struct Row
    {
        const char* name;
        std::string skins; // empty: no skin document
        std::function<void(MainApp&)> setUp;
        bool failWindow;
        std::vector<std::string> windowLog;
        std::string box;
    };
    const std::vector<Row> rows = {
        {"start-up result",
         factorytest::SkinDocument(kMainSkin),
         [](MainApp& app) { app.mStartup = [] { return E_FAIL; }; },
         false,
         {"finish work"},
         kGeneralBox},
        {"error for the user",
         factorytest::SkinDocument(kMainSkin),
         [](MainApp& app) { app.mStartup = []() -> KVRESULT { throw StartupError("No MIDI system."); }; },
         false,
         {"finish work"},
         "Start-up: No MIDI system."},
        {"window not made",
         factorytest::SkinDocument(kMainSkin),
         {},
         true,
         {"create", "finish work"},
         kGeneralBox},
        {"root control missing",
         factorytest::SkinDocument(kMainSkin),
         [](MainApp& app) { app.mRootName = u"otherControl"; },
         false,
         {"finish work"},
         kGeneralBox},
        {"no skin at all", "", {}, false, {"finish work"}, kGeneralBox},
        {"malformed skin", factorytest::SkinDocument("<Skins><Skin Name=\"s\">"), {}, false, {}, kGeneralBox},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        DocumentFolder documents(row.skins);
        EntryRun run;
        run.windows.mFail = row.failWindow;
        EXPECT_EQ(run.Run(documents.Path(), row.setUp), kExitStartupFailed);
        EXPECT_EQ(run.windows.mLog, row.windowLog);
        EXPECT_EQ(run.boxes.mBoxes, std::vector<std::string>{row.box});
        EXPECT_EQ(LFrameworkApp::GetInstance(), nullptr); // released
    }
}

TEST(FrameworkMain, AWindowedRunShowsTheRootControlAndEndsThroughTheExitRequest)
{
    DocumentFolder documents;
    EntryRun run;
    String shownRoot;
    bool exitPosted = false;
    run.windows.mSource->EventAt(1010, [&] {
        LFrameworkApp* app = LFrameworkApp::GetInstance();
        shownRoot = app->GetFirstRootWindow()->GetRootControl()->GetName();
        app->GetDefaultCenter()->PostNotification(LNotification::Create(u"NID_APP_EXIT_REQ"));
        exitPosted = true;
    });
    // Should the exit request not end the loop, the test ends it.
    bool endedByTest = false;
    run.windows.mSource->At(2000, [&] {
        endedByTest = true;
        LFrameworkApp::GetInstance()->QuitMessageLoop(-7);
    });
    EXPECT_EQ(run.Run(documents.Path()), kExitNormal);
    EXPECT_EQ(shownRoot, u"mainControl");
    EXPECT_EQ(run.windows.mLog, (std::vector<std::string>{"create", "show", "close"}));
    EXPECT_TRUE(exitPosted);
    EXPECT_FALSE(endedByTest);
    EXPECT_TRUE(run.boxes.mBoxes.empty());
}

TEST(FrameworkMain, ASplashImageIsShownFromTheStartUntilTheWindowShowsOrTheRunEnds)
{
    // A 4 x 3 picture.
    const std::string splash(
        "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x04"
        "\x00\x00\x00\x03\x08\x06\x00\x00\x00\xb4\xf4\xae\xc6\x00\x00\x00\x12\x49\x44\x41"
        "\x54\x78\xda\x63\xe0\x12\x91\xfb\x8f\x8c\x19\x08\x0a\x00\x00\x67\x52\x0e\xc5\x65"
        "\xbd\xd8\x2d\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82",
        75);
    const std::vector<std::string> shown = {"splash image 4x3", "splash start", "splash from 0 to 100 in 8"};
    const std::vector<std::string> hidden = {"splash at 100", "splash stop"};
    const auto joined = [](std::vector<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (const std::vector<std::string>& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    struct Row
    {
        const char* name;
        bool image;
        bool display;
        KVRESULT startup;
        std::vector<std::string> log;
    };
    const Row rows[] = {
        {"windowed run", true, true, S_OK, joined({shown, {"create", "show"}, hidden, {"close"}})},
        {"start-up failure", true, true, E_FAIL, joined({shown, hidden, {"box", "finish work"}})},
        {"quiet exit", true, true, E_QUIET_EXIT_A020, joined({shown, hidden})},
        {"no display", true, false, S_OK, {"no window"}},
        {"no splash image", false, true, S_OK, {"create", "show", "close"}},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        DocumentFolder documents;
        if (row.image)
            TemporaryFolder::WriteFile(documents.folder / "Splash.png", splash);
        EntryRun run;
        run.windows.mAvailable = row.display;
        run.boxes.mLog = &run.windows.mLog;
        run.windows.mSource->EventAt(1010, [] {
            LFrameworkApp::GetInstance()->GetDefaultCenter()->PostNotification(
                LNotification::Create(u"NID_APP_EXIT_REQ"));
        });
        const KVRESULT startup = row.startup;
        run.Run(documents.Path(), [startup](MainApp& app) {
            if (startup != S_OK)
                app.mStartup = [startup] { return startup; };
        });
        EXPECT_EQ(run.windows.mLog, row.log);
    }
}

TEST(FrameworkMain, WithoutADisplayTheApplicationSaysSoAndEndsWithStatus6)
{
    // No window layer at all, and a window layer that finds no display.
    for (const bool windowLayer : {false, true})
    {
        SCOPED_TRACE(windowLayer);
        DocumentFolder documents;
        EntryRun run;
        run.windows.mAvailable = false;
        EXPECT_EQ(run.Run(documents.Path(), {}, windowLayer), kExitWindowUnavailable);
        EXPECT_EQ(run.windows.mLog, std::vector<std::string>{"no window"});
        EXPECT_TRUE(run.boxes.mBoxes.empty());
    }
}
