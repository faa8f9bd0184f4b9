#pragma once
// The one application object of the process, reachable from everywhere.
//
// It owns the process-wide notification services: it fetches the default notification
// center before any other thread runs, switches notification recycling on when the
// application starts and off when it ends, and drains the notification queues at idle
// time on the window thread. It holds the control factory with the skins and string
// tables, the application's global hot keys, read from the application's string table at
// start-up, the clipboard service, the default font and the list of root windows, one per
// operating-system window, and offers what controls and renderers ask of "the
// application": folders, cursors, the clock, the settings store, skins, message boxes and
// the status text.
//
// The message loop (Run) waits on the event source of the window layer, drains the queues
// in idle passes and ends through the exit request ("NID_APP_EXIT_REQ"), which CanExit may
// refuse.
//
// Window thread only, except the queues, which other threads post into.

#include "Application/ApplicationClock.h"
#include "Application/ApplicationWindow.h"
#include "Application/DesktopServices.h"
#include "Application/MessageBoxSink.h"
#include "Application/StatusTextTarget.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/RootWindow.h"
#include "ControlBase/StringTable.h"
#include "Graphics/Bitmap.h"
#include "Notification/NotificationCenter.h"
#include "Renderer/Font.h"
#include "Renderer/MeasurementRenderer.h"
#include "Storage/RCPtrArray.h"
#include "System/Clipboard.h"
#include "System/GlobalHotKeyManager.h"
#include "System/IniFileManager.h"

#include <memory>

namespace KV {

class MessageLoop;

class LFrameworkApp : public LNotificationClient
{
public:
    // The application object, or null before it is made and after it is gone.
    static LFrameworkApp* GetInstance() noexcept;

    // From here on, the signals that ask the process to end (SIGTERM, SIGINT, SIGHUP) are
    // taken in order: the first is kept for GetTerminationSignal, and the window's loop
    // hands it to OnTerminationSignal at its idle passes; a second one, or a process that
    // has not ended 10 s after the first, ends at once as the signal would have ended it.
    // Called first thing in main, before any thread starts.
    static void WatchTerminationSignals();
    // The signal that asked the process to end; 0 while none came.
    static int GetTerminationSignal() noexcept;

    // factory: the control factory with the loaded documents (may be empty); the
    // application's string table is the factory's. frameworkStringTable: the factory's
    // "Framework" table. commandLine: the whole command line.
    LFrameworkApp(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& frameworkStringTable,
                  const String& commandLine);
    // Without a factory: the string tables are given as they are (either may be empty).
    explicit LFrameworkApp(const RCPtr<LStringTable>& appStringTable = nullptr,
                           const RCPtr<LStringTable>& frameworkStringTable = nullptr);
    ~LFrameworkApp() override;

    // The exit request; other identifiers are ignored.
    KVRESULT Receive(const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification) override;

    // Steps around the start-up; each returns 0 here.
    virtual KVRESULT PreStartup(const String& commandLine);
    virtual KVRESULT PostStartup(const String& commandLine);
    // A command line handed over by a second instance; only written to the debug console
    // here.
    virtual KVRESULT OnCommandLine(const String& commandLine);

    // The start-up sequence of the framework. Its first step switches recycling on; it
    // then binds the application's global hot keys ("GHK." entries of its string table),
    // starts the clipboard service and selects the saved skin (clamped to the skins
    // present). A failed step gives E_FAIL.
    virtual KVRESULT RunApplicationStartup();
    // Releases the control factory, the hot-key manager and the clipboard. Returns 0.
    virtual KVRESULT ReleaseServices();

    // The message loop: draws the first root window, drains the queues, runs the loop on
    // the window layer's event source until it ends and drains once more; returns whether
    // work remained after that last drain. An error thrown inside the loop shows the
    // start-up error box once and takes the exit road (still refused while CanExit is
    // false).
    virtual bool Run();
    // Runs the loop over the window layer's event source until it is asked to quit; the
    // quit code. Nothing without a window factory.
    virtual int32_t RunMessageLoop();
    // Ends the running loop with the code; nothing when none runs.
    void QuitMessageLoop(int32_t code);
    // Does nothing; the last step before the loop.
    virtual void BeforeMessageLoop();
    // The idle work of one pass of the loop (pass 0 is the first of an idle period): true
    // to be called again. Nothing after the exit request.
    bool OnIdle(int32_t passCount);
    // Drains every notification center, then every root window's queue from the last
    // window to the first, on the calling thread: the idle tick goes out when idle is
    // true. True while items remain queued.
    bool ProcessNotificationQueues(bool idle);

    // How the process ends when the start-up asked for a quiet exit (a quiet-exit code):
    // the exit status. 0 here.
    virtual int GetQuietExitStatus(KVRESULT startupResult);
    // The start-up went well but there is no display for the main window: what the user
    // is told, and the exit status. 6 here, telling nothing.
    virtual int OnWindowUnavailable();
    // Before the application is let go after a failure: waits for work that must not be
    // cut off. Nothing here.
    virtual void FinishRunningWork();

    // The exit request was taken: the windows close and the loop ends.
    bool IsExitRequested() const noexcept { return mExitRequested; }
    // Whether an exit request may be taken now; true here.
    virtual bool CanExit();
    // On the window's thread, at each idle pass after a termination signal came until the
    // exit is taken: here, the exit request is taken when CanExit allows it, as for a
    // close. An application stops its running work here.
    virtual void OnTerminationSignal();

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
    // The name of the skin's control that the main window shows; empty here.
    virtual String GetRootControlName();
    // The renderer type of the main window (kRendererType...).
    virtual int32_t GetRendererType();
    // The picture that the application's windows carry as their icon; none here.
    virtual RCPtr<LBitmap> GetAppIcon();

    // The power-management events the main window passes on.
    static constexpr uint32_t kPowerEventResumeAutomatic = 0x12; // the system woke from sleep
    // The main window was told of the event (kPowerEvent...) with its data; its windows
    // are drawn again afterwards. The answer: 1 (true) here.
    virtual int32_t OnPowerBroadcast(uint32_t event, uintptr_t data);

    // The system's cursor for a cursor name (CursorNames), compared by text; the arrow
    // for any other name.
    virtual CursorHandle LoadCursorByName(const String& name);

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

    // The font of controls that name none: face, size in points and style bits (1 bold,
    // 2 italic, 4 underline, 8 strike-out). Returns 0.
    virtual KVRESULT GetDefaultFont(String& faceName, float& size, int32_t& style);
    // The default font made by the last SetSkin; null before.
    const RCPtr<LFont>& GetCurrentDefaultFont() const noexcept { return mDefaultFont; }

    // The settings store; null here (the application base has one).
    virtual IIniFileManager* GetIniFileManager();
    IIniFileManager* GetSettings() { return GetIniFileManager(); }
    // The handle of a settings file of the kind (0 the application's, 1 the user's); 0
    // when there is none.
    virtual int32_t GetSettingsFile(int32_t kind);

    // The saved skin index ("CurrentSkinIndex" of the user's settings file), 0 without
    // one.
    virtual int32_t GetCurrentSkinIndex();
    // Selects the skin: the default font from it, the skin applied to every root window's
    // root control with the status text "Loading Skin...", and the index saved in the
    // user's settings file when there is one. E_INVALIDARG for an index outside the skins.
    virtual KVRESULT SetSkin(int32_t index);

    // A control of that name of the current skin, made by the factory; E_FAIL when the
    // skin has none.
    virtual KVRESULT CreateControl(RCPtr<LControl>& control, const String& name);

    // Shows a message box through the sink (standard error unless set); its answer.
    virtual int32_t MessageBox(const String& text, const String& caption, uint32_t flags);
    void SetMessageBoxSink(IMessageBoxSink* sink) noexcept { mMessageBoxSink = sink; }

    // The status bar that shows the status texts; null when none is current.
    virtual IStatusTextTarget* GetStatusBar();
    // The status bar becomes the current one, over those made before it.
    static void SetCurrentStatusBar(IStatusTextTarget* statusBar);
    // A status bar that is let go stops being current: the latest one still there takes
    // over again, or none.
    static void ClearCurrentStatusBar(IStatusTextTarget* statusBar) noexcept;
    // The status text on the current status bar, at once or through its queue; E_FAIL
    // without a root window or a status bar.
    KVRESULT SetStatusText(const String& text, bool atOnce);
    KVRESULT RestoreStatusText(bool atOnce);

    // The window layer's factory of the main window. Null: no display.
    void SetWindowFactory(IWindowFactory* factory) noexcept { mWindowFactory = factory; }
    IWindowFactory* GetWindowFactory() const noexcept { return mWindowFactory; }
    // Opens the main window for the root control's descriptor through the window
    // factory. Throws a runtime error when the skin has no such control; E_FAIL when no
    // window was made (or there is no window factory).
    virtual KVRESULT CreateMainWindow(int32_t rendererType);
    IApplicationWindow* GetMainWindow() const noexcept { return mMainWindow.get(); }

    // Appends the window when absent; its index (the existing one when present).
    int32_t AddRootWindow(const RCPtr<LRootWindow>& window);
    // The new count; the negative search result when the window is absent.
    int32_t RemoveRootWindow(const RCPtr<LRootWindow>& window);
    // Searched from the end; -1 when absent.
    int32_t GetRootWindowIndex(const LRootWindow* window) const;
    // In order of creation: the first one is the main window.
    const RCPtrArray<LRootWindow>& GetRootWindows() const noexcept { return mRootWindows; }
    // The first root window; empty when none.
    RCPtr<LRootWindow> GetFirstRootWindow() const;
    // The last root window whose operating-system window is active; empty when none.
    RCPtr<LRootWindow> GetActiveRootWindow() const;

    // What the application asks of the window system beyond its windows; the window
    // layer's unless set (null: the window layer's again).
    void SetDesktopServices(IDesktopServices* desktop) noexcept;
    IDesktopServices& GetDesktopServices() const noexcept { return *mDesktop; }
    // The part of the screen windows may take, in screen coordinates. When the window
    // system does not tell (no display), the main window's client area on the screen.
    virtual RectT<int32_t> GetWorkArea();
    // The pointer in screen coordinates: over the active window as that window sees it
    // (where it was last while the window holds the capture), else the system's.
    virtual PointT<int32_t> GetMousePosition();
    // The mouse buttons held (kMouseButton...): the active window's answer, else the
    // buttons' key states.
    virtual int32_t GetMouseButtons();
    // Whether the key of the virtual key is down and whether its lock is on. Returns 0.
    virtual KVRESULT GetKeyState(uint32_t virtualKey, bool& down, bool& toggled);
    // The calendar time in Coordinated Universal Time. Returns 0.
    virtual KVRESULT GetSystemTime(SystemTime& time);
    // Counts the pointer shown (true) or hidden (false) once more; it shows while the
    // count is at least 0. The new count.
    virtual int32_t ShowCursor(bool show);
    // Moves the pointer to the point of the screen; E_FAIL when the system refused.
    virtual KVRESULT SetCursorPos(int32_t x, int32_t y);

    // The look of a window that CreateRootWindow opens.
    struct RootWindowStyle
    {
        bool closeBox = false;
        bool minimizeBox = false;
        bool maximizeBox = false;
    };
    // Opens another window through the window factory for the root control that the
    // descriptor describes or, without one, for the current skin's control of that name,
    // titled with the "LABEL" text of the control's string table, placed and sized by its
    // layout and moved inside the work area. A window that is not modeless belongs to the
    // owner. The new root window's index in the list; E_FAIL when no window was made.
    // Throws a runtime error when neither a descriptor nor a control of that name exists.
    KVRESULT CreateRootWindow(const RCPtr<LControlDescriptor>& descriptor, bool modeless,
                              const RootWindowStyle& style, const RCPtr<LRootWindow>& owner,
                              const String& controlName);
    // Opens the window for the descriptor and runs its modal loop: the result it ended
    // with; E_FAIL when no window was made.
    virtual int32_t RunModalRootWindow(const RCPtr<LControlDescriptor>& descriptor, bool closeBox);
    // Opens the window for the descriptor, shown without a modal loop: as CreateRootWindow.
    virtual KVRESULT OpenRootWindow(const RCPtr<LControlDescriptor>& descriptor,
                                    const RootWindowStyle& style);

    // The renderer that fonts and text layouts measure with: the first root window's.
    // Null while no root window draws through a renderer; callers must cope.
    virtual RCPtr<LMeasurementRenderer> GetMeasurementRenderer();

    const RCPtr<LControlFactory>& GetControlFactory() const noexcept { return mControlFactory; }
    const String& GetCommandLine() const noexcept { return mCommandLine; }
    const RCPtr<LNotificationCenter>& GetDefaultCenter() const noexcept { return mDefaultCenter; }
    const RCPtr<LStringTable>& GetAppStringTable() const noexcept { return mAppStringTable; }
    const RCPtr<LStringTable>& GetFrameworkStringTable() const noexcept { return mFrameworkStringTable; }
    // The application's hot keys: a matched key is posted into the default center.
    const RCPtr<LGlobalHotKeyManager>& GetHotKeyManager() const noexcept { return mHotKeyManager; }
    const RCPtr<LClipboard>& GetClipboard() const noexcept { return mClipboard; }

protected:
    // Takes the exit request: sets the flag and closes the windows; the loop ends.
    virtual void OnExitRequest();

private:
    RCPtr<LControlFactory> mControlFactory;
    String mCommandLine;
    RCPtr<LNotificationCenter> mDefaultCenter;
    RCPtr<LStringTable> mAppStringTable;
    RCPtr<LStringTable> mFrameworkStringTable;
    RCPtrArray<LRootWindow> mRootWindows;
    bool mExitRequested = false;
    RCPtr<LFont> mDefaultFont;
    RCPtr<LGlobalHotKeyManager> mHotKeyManager;
    RCPtr<LClipboard> mClipboard;
    ApplicationClock mClock;
    IMessageBoxSink* mMessageBoxSink = nullptr;
    IWindowFactory* mWindowFactory = nullptr;
    std::unique_ptr<IApplicationWindow> mMainWindow;
    MessageLoop* mRunningLoop = nullptr;
    bool mLoopFailureShown = false;
    IDesktopServices* mDesktop = &GetWindowSystemDesktop();
    int32_t mCursorShowCount = 0;
};

} // namespace KV
