#pragma once
// LApplicationBase<T>: the base of a concrete application class T. It adds the settings
// store, loaded from the executable's folder for the application's whole life, and the
// application's part of the start-up: the framework's sequence, then the subscription to
// the exit request on the default notification center. T supplies the names, the
// settings files and CanExit.

#include "Application/FrameworkApp.h"

namespace KV {

template <class T> class LApplicationBase : public LFrameworkApp
{
public:
    // The icon of the application's windows: the icon the executable carries as its
    // resource "128".
    static constexpr char16_t kAppIconResourceName[] = u"128";

    IIniFileManager* GetIniFileManager() override { return mSettings.Get(); }
    RCPtr<LBitmap> GetAppIcon() override { return LBitmap::LoadIconResource(kAppIconResourceName); }

    // The framework's start-up (a failure becomes E_FAIL), then the subscription to
    // "NID_APP_EXIT_REQ" on the default center. 0 or E_FAIL.
    KVRESULT RunApplicationStartup() override
    {
        if (KV_FAILED(LFrameworkApp::RunApplicationStartup()))
            return E_FAIL;
        if (!RegisterNotification(GetDefaultCenter(), u"NID_APP_EXIT_REQ"))
            return E_FAIL;
        return S_OK;
    }

    // Whether the application may end now, asked for each exit request.
    bool CanExit() override = 0;

protected:
    LApplicationBase(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& frameworkStringTable,
                     const String& commandLine)
        : LFrameworkApp(factory, frameworkStringTable, commandLine), mSettings(LIniFileManager::Create())
    {
        // Without the settings library the settings files are not found; the application
        // runs on with its defaults.
        mSettings->Load(String());
    }

    ~LApplicationBase() override
    {
        if (mSettings)
            mSettings->Unload();
    }

private:
    RCPtr<LIniFileManager> mSettings;
};

} // namespace KV
