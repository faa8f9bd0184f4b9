#include "Platform/Instance/InstanceLock.h"
#include "Platform/Instance/RuntimeFolder.h"
#include "Platform/Instance/SingleInstance.h"
#include "System/UserLock.h"

#include "ScopedVariable.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace KV::Platform;

namespace {

mode_t ModeOf(const std::string& path)
{
    struct stat status
    {
    };
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

TEST(RuntimeFolder, OnlyAFolderOfTheUserThatOthersCannotEnter)
{
    TemporaryFolder root;
    const std::string made = ProvidePrivateFolder(root / "", "runtime");
    EXPECT_EQ(made, root / "runtime");
    EXPECT_EQ(ModeOf(made), 0700u);
    EXPECT_EQ(ProvidePrivateFolder(root / "", "runtime"), made); // found again

    ASSERT_EQ(::mkdir((root / "open").c_str(), 0700), 0);
    ASSERT_EQ(::chmod((root / "open").c_str(), 0755), 0);
    EXPECT_EQ(ProvidePrivateFolder(root / "", "open"), "");
    ASSERT_EQ(::symlink(made.c_str(), (root / "link").c_str()), 0);
    EXPECT_EQ(ProvidePrivateFolder(root / "", "link"), "");
    TemporaryFolder::WriteFile(root / "file", "");
    EXPECT_EQ(ProvidePrivateFolder(root / "", "file"), "");
    if (::geteuid() == 0)
    {
        ASSERT_EQ(::mkdir((root / "others").c_str(), 0700), 0);
        ASSERT_EQ(::chown((root / "others").c_str(), 65534, 65534), 0);
        EXPECT_EQ(ProvidePrivateFolder(root / "", "others"), "");
    }
    // No parent: nothing at the root of the file system.
    EXPECT_EQ(ProvidePrivateFolder("", "runtime"), "");
}

TEST(RuntimeFolder, TheRuntimeVariableWhenPrivate)
{
    TemporaryFolder root;
    ASSERT_EQ(::mkdir((root / "xdg").c_str(), 0700), 0);
    {
        ScopedVariable runtime("XDG_RUNTIME_DIR", root / "xdg");
        EXPECT_EQ(GetPrivateRuntimeFolder(), root / "xdg");
        const auto paths = GetSingleInstancePaths("Orrin Keys/Updater");
        ASSERT_TRUE(paths);
        EXPECT_EQ(paths->lockFile, root / "xdg/Orrin_Keys_UpdaterPrevent.lock");
        EXPECT_EQ(paths->socket, root / "xdg/Orrin_Keys_Updater.socket");
        EXPECT_FALSE(GetSingleInstancePaths(""));
    }
    ASSERT_EQ(::chmod((root / "xdg").c_str(), 0755), 0);
    for (const std::string& unusable : {root / "xdg", std::string("relative"), std::string()})
    {
        ScopedVariable runtime("XDG_RUNTIME_DIR", unusable);
        const std::string folder = GetPrivateRuntimeFolder();
        EXPECT_NE(folder, unusable);
        EXPECT_TRUE(folder.empty() || IsPrivateFolder(folder)) << folder;
    }
}

TEST(InstanceLock, OneHolderAtATime)
{
    TemporaryFolder root;
    const std::string path = root / "namePrevent.lock";
    InstanceLock::Result result;
    std::unique_ptr<InstanceLock> first = InstanceLock::TryAcquire(path, result);
    ASSERT_TRUE(first);
    EXPECT_EQ(result, InstanceLock::Result::Acquired);
    EXPECT_EQ(ModeOf(path), 0600u);

    EXPECT_FALSE(InstanceLock::TryAcquire(path, result));
    EXPECT_EQ(result, InstanceLock::Result::HeldElsewhere);

    first.reset(); // the file stays, the lock goes
    EXPECT_TRUE(InstanceLock::TryAcquire(path, result));
    EXPECT_EQ(result, InstanceLock::Result::Acquired);

    EXPECT_FALSE(InstanceLock::TryAcquire(root / "missing/namePrevent.lock", result));
    EXPECT_EQ(result, InstanceLock::Result::Unavailable);
    ASSERT_EQ(::symlink(path.c_str(), (root / "linkPrevent.lock").c_str()), 0);
    EXPECT_FALSE(InstanceLock::TryAcquire(root / "linkPrevent.lock", result));
    EXPECT_EQ(result, InstanceLock::Result::Unavailable);
}

// Locks of one user named by a text: one holder per name, names kept apart, in the
// private runtime folder.
TEST(UserLock, OneHolderPerNameInTheRuntimeFolder)
{
    TemporaryFolder root;
    ASSERT_EQ(::mkdir((root / "xdg").c_str(), 0700), 0);
    ScopedVariable runtime("XDG_RUNTIME_DIR", root / "xdg");
    using KV::UserLock;
    UserLock::Result result;
    std::unique_ptr<UserLock> first = UserLock::TryAcquire(KV::String(u"Keyboard-Norvik ZR"), result);
    ASSERT_TRUE(first);
    EXPECT_EQ(result, UserLock::Result::Acquired);
    EXPECT_EQ(ModeOf(root / "xdg/Keyboard-Norvik_32ZR.lock"), 0600u);
    EXPECT_FALSE(UserLock::TryAcquire(KV::String(u"Keyboard-Norvik ZR"), result));
    EXPECT_EQ(result, UserLock::Result::HeldElsewhere);
    // "_" is written out too, so these two names never share a file.
    EXPECT_TRUE(UserLock::TryAcquire(KV::String(u"Keyboard-Norvik_32ZR"), result));
    first.reset();
    EXPECT_TRUE(UserLock::TryAcquire(KV::String(u"Keyboard-Norvik ZR"), result));
}

} // namespace
