#pragma once
// Runs the window thread's part of a test: dispatches the window events until a
// condition holds, as the message loop would.

#include "Platform/Window/WindowEventSource.h"

#include <functional>

// true once the condition holds; false when it does not and no event came for five
// seconds.
inline bool PumpUntil(const std::function<bool()>& done)
{
    KV::Platform::WindowEventSource& source = KV::Platform::GetWindowEventSource();
    KV::Platform::WindowEvent event;
    while (!done())
    {
        if (!source.WaitEvent(event, 5000))
            return done();
        source.Dispatch(event);
    }
    return true;
}
