#pragma once
// The status bar as the application reaches it: the one that is current shows the
// application's status texts (LFrameworkApp::SetStatusText).

#include "KVResult.h"
#include "Storage/StringT.h"

namespace KV {

class IStatusTextTarget
{
public:
    virtual ~IStatusTextTarget() = default;
    // Shows the text at once, or through a notification of its own queue.
    virtual KVRESULT SetStatusText(const String& text, bool atOnce) = 0;
    // Shows the resting text again.
    virtual KVRESULT RestoreStatusText(bool atOnce) = 0;
};

} // namespace KV
