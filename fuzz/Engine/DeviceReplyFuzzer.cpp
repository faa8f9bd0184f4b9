// Any bytes as a keyboard's message: classification and version parsing never read
// outside the message, and agree with each other.
#include "DeviceMessages.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> message(data, size);
    const bool identity = DeviceMessages::IsIdentityReply(message);
    const int32_t status = DeviceMessages::ClassifyDeviceReply(message);
    if (identity && status != -9)
        std::abort(); // a message is one or the other
    if (status != -9 && size != 3)
        std::abort();
    LUpdateEngineInterface::VersionInfo version;
    if (DeviceMessages::ParseIdentityVersion(message, version) != identity)
        std::abort();
    if (identity && version.mText.IsEmpty())
        std::abort();
    return 0;
}
