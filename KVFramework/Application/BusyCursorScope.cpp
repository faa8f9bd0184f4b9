#include "Application/BusyCursorScope.h"

#include "Application/CursorNames.h"
#include "Application/FrameworkApp.h"

namespace KV {

CursorHandle GetNamedCursor(const String& name)
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    return app ? app->LoadCursorByName(name) : 0;
}

LBusyCursorScope::LBusyCursorScope(const String& statusText)
{
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    if (!app)
        return;
    mRootWindow = app->GetActiveRootWindow();
    if (!mRootWindow)
        mRootWindow = app->GetFirstRootWindow();
    if (mRootWindow)
        mPreviousCursor = mRootWindow->SetCursor(GetNamedCursor(CursorNames().wait));
    app->SetStatusText(statusText, true);
    app->ProcessNotificationQueues(true);
}

LBusyCursorScope::~LBusyCursorScope()
{
    if (mRootWindow)
        mRootWindow->SetCursor(mPreviousCursor);
    if (LFrameworkApp* app = LFrameworkApp::GetInstance())
        app->RestoreStatusText(true);
    mRootWindow.Reset();
}

} // namespace KV
