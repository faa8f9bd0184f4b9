#pragma once
// LBusyCursorScope: the wait cursor and a status text for as long as a long step of the
// window thread lasts. It begins by dispatching what is pending, so that the window is up
// to date before the thread stops answering; its end brings the cursor and the status
// bar's resting text back.
//
// Window thread only.

#include "ControlBase/RootWindow.h"
#include "KVTypes.h"
#include "Storage/StringT.h"

namespace KV {

// The application's cursor of a cursor name (CursorNames.h); 0 without an application.
CursorHandle GetNamedCursor(const String& name);

class LBusyCursorScope
{
public:
    // The active root window (else the first) shows the wait cursor; the status bar the
    // text. Without a root window neither changes.
    explicit LBusyCursorScope(const String& statusText);
    ~LBusyCursorScope();
    LBusyCursorScope(const LBusyCursorScope&) = delete;
    LBusyCursorScope& operator=(const LBusyCursorScope&) = delete;

private:
    CursorHandle mPreviousCursor = 0;
    RCPtr<LRootWindow> mRootWindow;
};

} // namespace KV
