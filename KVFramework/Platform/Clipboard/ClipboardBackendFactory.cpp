#include "Platform/Clipboard/ClipboardBackend.h"
#include "Platform/Clipboard/SdlClipboard.h"

#include <mutex>

namespace KV::Platform {

namespace {

struct FactorySlot
{
    std::mutex lock;
    ClipboardBackendFactory factory;
};

FactorySlot& Slot()
{
    static auto* const slot = new FactorySlot();
    return *slot;
}

} // namespace

std::shared_ptr<IClipboardBackend> CreateClipboardBackend()
{
    ClipboardBackendFactory factory;
    {
        std::lock_guard lock(Slot().lock);
        factory = Slot().factory;
    }
    return factory ? factory() : CreateSdlClipboardBackend();
}

void SetClipboardBackendFactory(ClipboardBackendFactory factory)
{
    std::lock_guard lock(Slot().lock);
    Slot().factory = std::move(factory);
}

} // namespace KV::Platform
