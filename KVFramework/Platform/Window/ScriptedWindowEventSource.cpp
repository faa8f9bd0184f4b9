#include "Platform/Window/ScriptedWindowEventSource.h"

namespace KV::Platform {

void ScriptedWindowEventSource::Push(const WindowEvent& event)
{
    std::lock_guard lock(mLock);
    mQueue.push_back(event);
}

void ScriptedWindowEventSource::Wake()
{
    WindowEvent wake;
    wake.type = WindowEventType::Wake;
    Push(wake);
}

bool ScriptedWindowEventSource::WaitNativeEvent(WindowEvent& event, Milliseconds timeout)
{
    {
        std::lock_guard lock(mLock);
        if (!mQueue.empty())
        {
            event = mQueue.front();
            mQueue.pop_front();
            return true;
        }
    }
    if (timeout != 0)
        mWaits.push_back(timeout);
    if (timeout != INFINITE_WAIT)
        mNow += timeout;
    return false;
}

} // namespace KV::Platform
