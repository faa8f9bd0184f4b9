#include "Application/FrameworkMain.h"

#include "Application/DebugConsoleOption.h"
#include "Application/SplashWindow.h"
#include "Application/Version.h"
#include "ObjectBase/Exception.h"
#include "Platform/Instance/SingleInstance.h"
#include "Storage/File.h"
#include "System/ModuleResources.h"

#include <cstdio>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <thread>

namespace KV {
namespace {

std::string Narrow(const String& text)
{
    return NarrowString(text).GetText();
}

void ShowStartupError(IMessageBoxSink& boxes, const RCPtr<LStringTable>& frameworkStrings,
                      const std::exception* error)
{
    const StartupErrorBoxTexts box = GetStartupErrorBoxTexts(frameworkStrings, error);
    boxes.ShowMessageBox(box.text, box.caption, kMessageBoxIconError);
}

// The splash screen of the start-up: shown from the start when the documents' folder holds
// a splash image and there is a display, hidden once the main window shows, or before the
// run says why it fails, or when it ends otherwise.
class StartupSplash
{
public:
    StartupSplash(const String& folder, IWindowFactory* windows)
    {
        const String path = GetSplashImagePath(folder);
        if (path.IsEmpty() || !windows || !windows->IsAvailable())
            return;
        const RCPtr<LBitmap> image = LBitmap::GetCachedBitmap(path);
        if (!image)
            return;
        mSplash = windows->CreateSplashScreen();
        if (!mSplash)
            return;
        mSplash->SetImage(image);
        mSplash->Start();
        mSplash->AnimateProgress(0, 100, 8);
    }
    ~StartupSplash() { Hide(); }
    StartupSplash(const StartupSplash&) = delete;
    StartupSplash& operator=(const StartupSplash&) = delete;

    void Hide()
    {
        if (!mSplash)
            return;
        mSplash->SetProgress(100);
        mSplash->Stop();
        mSplash.reset();
    }

private:
    std::unique_ptr<ISplashScreen> mSplash;
};

// Whether the documents' folder carries no skin document at all.
bool LacksSkinDocument(const String& folder)
{
    if (folder.EqualsText(LControlFactory::kResourceFolder))
        return FindModuleResource(u"KVXML", u"APP_SKINS").empty();
    const std::u16string_view text = folder.View();
    const bool separated = text.empty() || text.ends_with(u'/') || text.ends_with(u'\\');
    return !File::Exists(separated ? folder.Concat(String(u"Skins.xml"))
                                   : folder.Concat(String(u"/Skins.xml")));
}

// The string tables and the skins; the framework's table as far as it was read, for the
// box of a failure. An application that carries no skin at all starts without one: only
// its window needs a skin, and opening the window then fails.
RCPtr<LControlFactory> LoadDocuments(const String& folder, int32_t locale,
                                     RCPtr<LStringTable>& frameworkStrings)
{
    RCPtr<LControlFactory> factory = LControlFactory::Create(Version().GetProductName());
    const KVRESULT result = factory->LoadResources(folder, locale);
    frameworkStrings = factory->GetFrameworkStringTable();
    if (KV_FAILED(result) && !(factory->GetSkins().GetCount() == 0 && LacksSkinDocument(folder)))
        KV_THROW_FAILED_RESULT(result);
    return factory;
}

// Ends the process with the status once the time has passed, unless it ended before:
// what it wrote is flushed, nothing else runs.
void EndWithin(Milliseconds limit, int status)
{
    std::thread([limit, status] {
        std::this_thread::sleep_for(std::chrono::milliseconds(limit));
        std::fflush(nullptr);
        std::_Exit(status);
    }).detach();
}

// From the application object's creation to its release: the status of the run.
int RunApplication(const String& commandLine, const FrameworkEntry& entry, IMessageBoxSink& boxes,
                   const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& frameworkStrings,
                   StartupSplash& splash)
{
    RCPtr<LFrameworkApp> app;
    int status = kExitNormal;
    try
    {
        app = entry.createApplication(factory, frameworkStrings, commandLine);
        if (!app)
            KV_THROW_NULL_POINTER("No application object");
        app->SetMessageBoxSink(&boxes);
        app->SetWindowFactory(entry.windowFactory);
        app->PreStartup(commandLine);
        const KVRESULT started = app->RunApplicationStartup();
        if (IsQuietExitResult(started))
        {
            splash.Hide();
            status = app->GetQuietExitStatus(started);
        }
        else if (KV_FAILED(started))
            KV_THROW_FAILED_RESULT(started);
        else
        {
            app->PostStartup(commandLine);
            if (!entry.windowFactory || !entry.windowFactory->IsAvailable())
            {
                splash.Hide();
                status = app->OnWindowUnavailable();
            }
            else
            {
                KV_THROW_IF_FAILED(app->CreateMainWindow(app->GetRendererType()));
                const RCPtr<LRootWindow> main = app->GetFirstRootWindow();
                RCPtr<LControl> root;
                if (main)
                    root = factory->CreateControlByName(app->GetRootControlName(), main);
                if (!root)
                    KV_THROW_NULL_POINTER("Invalid Control Name");
                KV_THROW_IF_FAILED(main->SetRootControl(root));
                app->GetMainWindow()->Show();
                splash.Hide();
                app->Run();
            }
        }
    }
    catch (const std::exception& error)
    {
        splash.Hide();
        ShowStartupError(boxes, frameworkStrings, &error);
        status = kExitStartupFailed;
    }
    catch (...)
    {
        splash.Hide();
        ShowStartupError(boxes, frameworkStrings, nullptr);
        status = kExitStartupFailed;
    }
    if (app && status == kExitStartupFailed)
        app->FinishRunningWork();
    if (entry.endLimit > 0)
        EndWithin(entry.endLimit, status);
    if (app)
        app->ReleaseServices();
    return status;
}

} // namespace

int FrameworkMain(const String& commandLine, int32_t locale, const FrameworkEntry& entry)
{
    IMessageBoxSink& boxes = entry.messageBoxes ? *entry.messageBoxes : GetStandardErrorMessageBoxes();
    if (locale == -1)
        locale = static_cast<int32_t>(LFrameworkApp::GetUserDefaultLocale() & 0xFFFF);
    LFrameworkApp::SetLocale(static_cast<uint32_t>(locale));

    StartupSplash splash(entry.resourceFolder, entry.windowFactory);
    RCPtr<LControlFactory> factory;
    RCPtr<LStringTable> frameworkStrings;
    try
    {
        factory = LoadDocuments(entry.resourceFolder, locale, frameworkStrings);
    }
    catch (const std::exception& error)
    {
        splash.Hide();
        ShowStartupError(boxes, frameworkStrings, &error);
        return kExitStartupFailed;
    }

    if (!entry.uniqueInstanceName.IsEmpty() &&
        Platform::ClaimSingleInstance(Narrow(entry.uniqueInstanceName), Narrow(commandLine)) ==
            Platform::InstanceRole::HandedOver)
    {
        // A script cannot see the other window: it reads why this run ended here.
        std::fprintf(stderr, "%s is open already: the command line went to its window.\n",
                     Narrow(Version().GetProductName()).c_str());
        std::fflush(stderr);
        return kExitHandedOver;
    }

    ApplyDebugConsoleOption(ParseDebugConsoleOption(commandLine));
    return RunApplication(commandLine, entry, boxes, factory, frameworkStrings, splash);
}

} // namespace KV
