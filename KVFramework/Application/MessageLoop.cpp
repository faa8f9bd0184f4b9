#include "Application/MessageLoop.h"

#include "Application/OSWindow.h"
#include "Platform/Window/WindowEventSource.h"

namespace KV {

int32_t MessageLoop::Run(const IdleHandler& onIdle, const std::function<bool()>& keepRunning)
{
    if (mSource.GetTickInterval() == 0)
        mSource.SetTickInterval(kIdleTick);
    bool idle = true;
    int32_t passCount = 0;
    for (;;)
    {
        if (mQuit)
        {
            mQuit = false;
            return mQuitCode;
        }
        if (keepRunning && !keepRunning())
            return 0;
        Platform::WindowEvent event;
        if (idle)
        {
            // Idle work only while no event waits.
            if (!mSource.WaitEvent(event, 0))
            {
                if (!onIdle(passCount++))
                    idle = false;
                continue;
            }
        }
        else if (!mSource.WaitEvent(event, INFINITE_WAIT))
            continue;
        mSource.Dispatch(event);
        // A window closed by what the event did is deleted now that none of its calls runs.
        OSWindow::DeleteClosedWindows();
        // Painting is no activity of the user: it does not start an idle period.
        if (event.type != Platform::WindowEventType::Paint)
        {
            idle = true;
            passCount = 0;
        }
    }
}

void MessageLoop::Quit(int32_t code)
{
    mQuit = true;
    mQuitCode = code;
}

} // namespace KV
