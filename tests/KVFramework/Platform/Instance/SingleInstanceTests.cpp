#include "Platform/Instance/CommandLineListener.h"
#include "Platform/Instance/HandOverMessage.h"
#include "Platform/Instance/SingleInstance.h"

#include "ScopedVariable.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace KV::Platform;

namespace {

// Waits up to five seconds for the listener to have a command line.
bool WaitForCommandLine(CommandLineListener& listener, std::string& text)
{
    for (int i = 0; i < 500; ++i)
    {
        if (listener.TakeCommandLine(text))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Connects to the socket and sends the bytes as they stand.
void SendRaw(const std::string& path, const std::string& bytes)
{
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::send(descriptor, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
    ::close(descriptor);
}

std::string Message(const std::string& text)
{
    std::string message;
    EncodeHandOver(text, message);
    return message;
}

TEST(CommandLineListener, TakesWholeMessagesAndDropsTheRest)
{
    TemporaryFolder root;
    const std::string path = root / "app.socket";
    std::atomic<int> wakes{0};
    std::unique_ptr<CommandLineListener> listener = CommandLineListener::Start(path, [&] { ++wakes; });
    ASSERT_TRUE(listener);
    struct stat status
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    std::string message = Message("app -SILENT");
    message[0] = 0x66; // another tag
    SendRaw(path, message);
    SendRaw(path, Message("app \xFF"));
    SendRaw(path, Message("app -ALWAYS").substr(0, 10)); // the sender went away early
    EXPECT_EQ(HandOverCommandLine(path, "app -START_UPDATE_AUTOMATICALLY"), HandOverResult::Delivered);

    std::string text;
    ASSERT_TRUE(WaitForCommandLine(*listener, text));
    EXPECT_EQ(text, "app -START_UPDATE_AUTOMATICALLY");
    EXPECT_EQ(wakes.load(), 1);
    EXPECT_FALSE(listener->TakeCommandLine(text));

    // An instance with an empty command line sends nothing, but is seen arriving.
    EXPECT_EQ(HandOverCommandLine(path, ""), HandOverResult::Delivered);
    ASSERT_TRUE(WaitForCommandLine(*listener, text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(wakes.load(), 2);

    // A listener is there already: a second one stays out of its way.
    EXPECT_FALSE(CommandLineListener::Start(path));
    listener.reset();
    EXPECT_NE(::access(path.c_str(), F_OK), 0);
    EXPECT_EQ(HandOverCommandLine(path, "app"), HandOverResult::NoListener);
}

TEST(CommandLineListener, ReplacesTheSocketOfAnInstanceThatEnded)
{
    TemporaryFolder root;
    const std::string path = root / "app.socket";
    // A socket file that nobody listens on any more.
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(stale);
    EXPECT_EQ(HandOverCommandLine(path, "app"), HandOverResult::NoListener);

    std::unique_ptr<CommandLineListener> listener = CommandLineListener::Start(path);
    ASSERT_TRUE(listener);
    EXPECT_EQ(HandOverCommandLine(path, "app -SILENT"), HandOverResult::Delivered);
    std::string text;
    ASSERT_TRUE(WaitForCommandLine(*listener, text));
    EXPECT_EQ(text, "app -SILENT");

    // A path too long for a socket address: nobody can listen there.
    const std::string tooLong = root / std::string(120, 'x');
    EXPECT_FALSE(CommandLineListener::Start(tooLong));
    EXPECT_EQ(HandOverCommandLine(tooLong, "app"), HandOverResult::NoListener);
}

struct ProbeRun
{
    int status = -1;
    std::string output;
};

// Runs the probe as another instance of the unique name with the arguments.
ProbeRun RunProbe(const std::string& name, const std::string& arguments)
{
    ProbeRun run;
    const std::string command = std::string(KV_INSTANCE_PROBE) + " " + name + " " + arguments;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[256];
    while (std::fgets(buffer, sizeof(buffer), pipe))
        run.output += buffer;
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(SingleInstance, LaterInstancesHandOverOrCarryOn)
{
    TemporaryFolder root;
    ScopedVariable runtime("XDG_RUNTIME_DIR", root / "");
    ASSERT_EQ(::chmod((root / "").c_str(), 0700), 0);
    const std::string name = "KVTest_" + std::to_string(::getpid()) + "_Updater";

    // Nobody holds the name: the probe is the first, and lets it go when it ends.
    EXPECT_EQ(RunProbe(name, "-SILENT").output, "first\n");

    ASSERT_EQ(ClaimSingleInstance(name, "this test"), InstanceRole::First);
    EXPECT_EQ(ClaimSingleInstance(name, "this test"), InstanceRole::First); // held by this process

    // The first instance has no window, so nobody listens: the later one runs on.
    ProbeRun run = RunProbe(name, "-SILENT");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "carry on\n");

    // While the first instance's window exists, a later one hands over and ends.
    std::unique_ptr<CommandLineListener> listener = ListenForCommandLines(name);
    ASSERT_TRUE(listener);
    run = RunProbe(name, "-ALWAYS_UPDATE \"-ABSOLUTE_FIRMWARE_FILE_PATH=/tmp/a b.led\"");
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.output, "");
    std::string text;
    ASSERT_TRUE(WaitForCommandLine(*listener, text));
    EXPECT_EQ(text, std::string(KV_INSTANCE_PROBE) + " " + name +
                        " -ALWAYS_UPDATE -ABSOLUTE_FIRMWARE_FILE_PATH=/tmp/a b.led");

    listener.reset(); // the window is gone
    EXPECT_EQ(RunProbe(name, "").output, "carry on\n");
}

} // namespace
