#pragma once
// IWindowOSServices: what a root window asks of the operating-system window it lives in.

namespace KV {

class IWindowOSServices
{
public:
    virtual ~IWindowOSServices() = default;

    // True while the window is the active window of the application.
    virtual bool IsActive() = 0;
};

} // namespace KV
