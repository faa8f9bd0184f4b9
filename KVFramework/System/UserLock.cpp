#include "System/UserLock.h"

#include "Platform/Instance/InstanceLock.h"
#include "Platform/Instance/RuntimeFolder.h"
#include "Storage/Transcode.h"

#include <string>

namespace KV {

UserLock::UserLock(const String& name, std::unique_ptr<Platform::InstanceLock> lock)
    : mName(name), mLock(std::move(lock))
{
}

UserLock::~UserLock() = default;

std::unique_ptr<UserLock> UserLock::TryAcquire(const String& name, Result& result)
{
    result = Result::Unavailable;
    const std::string folder = Platform::GetPrivateRuntimeFolder();
    if (folder.empty())
        return nullptr;
    // Letters, digits, '-' and '.' stand; every other byte becomes '_' followed by its
    // value, so that two names never share a file.
    std::string file = folder + "/";
    for (const unsigned char c : EncodeSystemBytes(name.View()))
    {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '.')
            file += static_cast<char>(c);
        else
        {
            file += '_';
            file += std::to_string(c);
        }
    }
    file += ".lock";
    Platform::InstanceLock::Result locked = Platform::InstanceLock::Result::Unavailable;
    std::unique_ptr<Platform::InstanceLock> lock = Platform::InstanceLock::TryAcquire(file, locked);
    switch (locked)
    {
    case Platform::InstanceLock::Result::Acquired:
        result = Result::Acquired;
        return std::unique_ptr<UserLock>(new UserLock(name, std::move(lock)));
    case Platform::InstanceLock::Result::HeldElsewhere:
        result = Result::HeldElsewhere;
        break;
    case Platform::InstanceLock::Result::Unavailable:
        break;
    }
    return nullptr;
}

} // namespace KV
