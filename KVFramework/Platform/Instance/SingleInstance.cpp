#include "Platform/Instance/SingleInstance.h"

#include "Platform/Instance/InstanceLock.h"
#include "Platform/Instance/RuntimeFolder.h"

#include <mutex>

namespace KV::Platform {

namespace {

bool IsFileNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

struct HeldName
{
    std::mutex lock;
    std::string name;
    std::unique_ptr<InstanceLock> instanceLock;
};

HeldName& Held()
{
    // Never destroyed: the lock is to last as long as the process.
    static HeldName* const held = new HeldName();
    return *held;
}

} // namespace

std::optional<SingleInstancePaths> GetSingleInstancePaths(std::string_view uniqueName)
{
    if (uniqueName.empty())
        return std::nullopt;
    const std::string folder = GetPrivateRuntimeFolder();
    if (folder.empty())
        return std::nullopt;
    std::string name;
    for (char c : uniqueName)
        name += IsFileNameCharacter(c) ? c : '_';
    const std::string base = folder + "/" + name;
    return SingleInstancePaths{base + "Prevent.lock", base + ".socket"};
}

InstanceRole ClaimSingleInstance(std::string_view uniqueName, std::string_view commandLine)
{
    const std::optional<SingleInstancePaths> paths = GetSingleInstancePaths(uniqueName);
    // Without a private folder nothing ties the instances together: each is a first one.
    if (!paths)
        return InstanceRole::First;
    HeldName& held = Held();
    std::lock_guard<std::mutex> guard(held.lock);
    if (held.instanceLock && held.name == paths->lockFile)
        return InstanceRole::First;
    InstanceLock::Result result;
    std::unique_ptr<InstanceLock> instanceLock = InstanceLock::TryAcquire(paths->lockFile, result);
    if (result != InstanceLock::Result::HeldElsewhere)
    {
        if (instanceLock)
        {
            held.instanceLock = std::move(instanceLock);
            held.name = paths->lockFile;
        }
        return InstanceRole::First;
    }
    return HandOverCommandLine(paths->socket, commandLine) == HandOverResult::NoListener
               ? InstanceRole::CarryOn
               : InstanceRole::HandedOver;
}

std::unique_ptr<CommandLineListener> ListenForCommandLines(std::string_view uniqueName,
                                                           std::function<void()> wake)
{
    const std::optional<SingleInstancePaths> paths = GetSingleInstancePaths(uniqueName);
    return paths ? CommandLineListener::Start(paths->socket, std::move(wake)) : nullptr;
}

} // namespace KV::Platform
