#pragma once
// The one application object of the process, reachable from everywhere.
//
// It owns the process-wide notification services: it fetches the default notification
// center before any other thread runs, switches notification recycling on when the
// application starts and off when it ends, and drains the notification queues at idle
// time on the window thread. It also holds the application's global hot keys, read from
// the application's string table at start-up, the clipboard service, and the list of
// root windows, one per operating-system window.

#include "Application/ApplicationClock.h"
#include "ControlBase/RootWindow.h"
#include "ControlBase/StringTable.h"
#include "Notification/NotificationCenter.h"
#include "Renderer/MeasurementRenderer.h"
#include "Storage/RCPtrArray.h"
#include "System/Clipboard.h"
#include "System/GlobalHotKeyManager.h"

namespace KV {

class LFrameworkApp : public LNotificationClient
{
public:
    // The application object, or null before it is made and after it is gone.
    static LFrameworkApp* GetInstance() noexcept;

    // appStringTable: the application's string table; frameworkStringTable: the
    // framework's ("Framework"); either may be empty.
    explicit LFrameworkApp(const RCPtr<LStringTable>& appStringTable = nullptr,
                           const RCPtr<LStringTable>& frameworkStringTable = nullptr);
    ~LFrameworkApp() override;

    // The start-up sequence of the framework. Its first step switches recycling on; it
    // then binds the application's global hot keys ("GHK." entries of its string table)
    // and starts the clipboard service.
    virtual KVRESULT RunApplicationStartup();
    // Releases the services made by the constructor. Returns 0.
    virtual KVRESULT ReleaseServices();

    // Drains every notification center, then every root window's queue from the last
    // window to the first, on the calling thread: the idle tick goes out when idle is
    // true. True while items remain queued.
    bool ProcessNotificationQueues(bool idle);

    // Folder kinds of GetFolder.
    enum FolderKind : int32_t
    {
        FOLDER_EXECUTABLE = 0,  // the folder that holds the executable
        FOLDER_RESOURCES = 1,   // "::": resources come from the executable itself
        FOLDER_COMMON_DATA = 2, // the data folder of the company and product
        FOLDER_LOCAL_DATA = 3,  // the configuration folder of the company and product
        FOLDER_DOCUMENTS = 4,   // the user's documents
    };
    // The folder of the kind, without a trailing separator. Kinds 2 and 3 append the
    // company and the product name, each made safe for a file name, and create every
    // level; kind 4 is created when missing. Kind 0 always gives a folder; the others
    // give the empty string when the system has no such folder for the user. Any other
    // kind throws an out-of-range error.
    virtual void GetFolder(String& folder, int32_t kind);
    // The names of the application's version information (Version).
    virtual String GetCompanyName();
    virtual String GetProductName();
    virtual String GetProductVersion();
    // The product name: the name under which the settings files keep their values.
    virtual String GetApplicationName();
    // The version text passed with every settings file, "1_0_0".
    virtual String GetVersionFolderName();

    // The process's locale identifier, set by the entry (SetLocale); 0 before.
    virtual uint32_t GetLocale();
    static void SetLocale(uint32_t locale) noexcept;
    // The user's locale identifier, from the locale variables of the environment.
    static uint32_t GetUserDefaultLocale();

    // The application clock: the monotonic millisecond tick, and the seconds that the
    // application has run (see ApplicationClock).
    virtual double GetTimeInSeconds();
    virtual Milliseconds GetTimeMs();
    // Tests give the clock a tick source of their own.
    ApplicationClock& GetClock() noexcept { return mClock; }

    // Appends the window when absent; its index (the existing one when present).
    int32_t AddRootWindow(const RCPtr<LRootWindow>& window);
    // The new count; the negative search result when the window is absent.
    int32_t RemoveRootWindow(const RCPtr<LRootWindow>& window);
    // Searched from the end; -1 when absent.
    int32_t GetRootWindowIndex(const LRootWindow* window) const;
    // In order of creation: the first one is the main window.
    const RCPtrArray<LRootWindow>& GetRootWindows() const noexcept { return mRootWindows; }
    // The last root window whose operating-system window is active; empty when none.
    RCPtr<LRootWindow> GetActiveRootWindow() const;

    // The part of the screen windows may take, in screen coordinates. The base gives the
    // main window's client area on the screen, the only part of the screen it knows.
    virtual RectT<int32_t> GetWorkArea();
    // The pointer in screen coordinates: over the active window as that window sees it,
    // else (0, 0).
    virtual PointT<int32_t> GetMousePosition();

    // The renderer that fonts and text layouts measure with: the first root window's.
    // Null while no root window draws through a renderer; callers must cope.
    virtual RCPtr<LMeasurementRenderer> GetMeasurementRenderer();

    const RCPtr<LNotificationCenter>& GetDefaultCenter() const noexcept { return mDefaultCenter; }
    const RCPtr<LStringTable>& GetAppStringTable() const noexcept { return mAppStringTable; }
    const RCPtr<LStringTable>& GetFrameworkStringTable() const noexcept { return mFrameworkStringTable; }
    // The application's hot keys: a matched key is posted into the default center.
    const RCPtr<LGlobalHotKeyManager>& GetHotKeyManager() const noexcept { return mHotKeyManager; }
    const RCPtr<LClipboard>& GetClipboard() const noexcept { return mClipboard; }

private:
    RCPtr<LNotificationCenter> mDefaultCenter;
    RCPtr<LStringTable> mAppStringTable;
    RCPtr<LStringTable> mFrameworkStringTable;
    RCPtrArray<LRootWindow> mRootWindows;
    RCPtr<LGlobalHotKeyManager> mHotKeyManager;
    RCPtr<LClipboard> mClipboard;
    ApplicationClock mClock;
};

} // namespace KV
