#pragma once
// The system clipboard as the clipboard service sees it.
//
// Text crosses in UTF-8. A non-text object of this process is not exported: the
// clipboard then carries only a private marker, which other programs do not see as
// text. The sequence number changes whenever the contents change, by this process or by
// another, so the service can keep its cached object while nothing changed.
//
// Used on the window thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace KV::Platform {

class IClipboardBackend
{
public:
    virtual ~IClipboardBackend() = default;

    virtual uint32_t GetSequenceNumber() = 0;
    // Text of any program is on the clipboard.
    virtual bool HasText() = 0;
    // This process's marker for a non-text object is on the clipboard.
    virtual bool HasPrivateMarker() = 0;

    // Reading and writing happen between Open and Close; Open fails when the system
    // clipboard cannot be reached.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    // Takes the clipboard over with nothing on it.
    virtual bool Empty() = 0;
    virtual bool GetText(std::string& utf8) = 0;
    virtual bool SetText(const std::string& utf8) = 0;
    virtual bool SetPrivateMarker() = 0;
};

using ClipboardBackendFactory = std::function<std::shared_ptr<IClipboardBackend>()>;

// The one place where the clipboard backend is chosen: SDL's clipboard unless a factory
// was installed (tests install the in-process fake).
std::shared_ptr<IClipboardBackend> CreateClipboardBackend();
// Installs the factory that CreateClipboardBackend uses from now on; an empty factory
// restores the default.
void SetClipboardBackendFactory(ClipboardBackendFactory factory);

} // namespace KV::Platform
