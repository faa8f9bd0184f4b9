#include "NamedPipe.h"
#include "Storage/File.h"
#include "Storage/StringArray.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <pthread.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace KV;
namespace fs = std::filesystem;

namespace {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "kvfiletest.XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        mPath = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(mPath, ignored);
    }
    const fs::path& Path() const { return mPath; }
    String Wide() const { return Utf8(mPath.string()); }
    fs::path Write(const std::string& name, const std::string& content) const
    {
        const fs::path path = mPath / name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    static String Utf8(const std::string& text) { return String(text.c_str()); }

private:
    fs::path mPath;
};

std::string Utf8Of(const String& text)
{
    return std::string(text.ToNarrow().View());
}

std::string ReadWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The descriptors of this process that are open on the path.
std::vector<int> DescriptorsOn(const fs::path& path)
{
    std::vector<int> found;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc/self/fd"))
    {
        std::error_code error;
        const fs::path target = fs::read_symlink(entry.path(), error);
        if (!error && target == fs::weakly_canonical(path))
            found.push_back(std::stoi(entry.path().filename().string()));
    }
    return found;
}

// Expects Exception<std::runtime_error> whose text starts with kind, detail and method.
void ExpectRuntimeError(const std::function<void()>& action, const std::string& detail,
                        const std::string& method)
{
    try
    {
        action();
        ADD_FAILURE() << "no exception, expected " << detail;
    }
    catch (const Exception<std::runtime_error>& error)
    {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Runtime Error : " + detail + " : " + method + " : ", 0), 0u) << text;
    }
}

} // namespace

TEST(File, OpenFlags)
{
    struct Case
    {
        const char* name;
        uint32_t flags;
        bool existsBefore;
        bool opens;
        bool writable;
    };
    const Case cases[] = {
        {"read a missing file", File::OPEN_READ, false, false, false},
        {"read an existing file", File::OPEN_READ, true, true, false},
        {"no bits at all", 0, true, true, false},
        {"read-write an existing file", File::OPEN_READ_WRITE, true, true, true},
        {"read-write a missing file", File::OPEN_READ_WRITE, false, false, false},
        {"create a missing file", File::OPEN_CREATE, false, true, false},
        {"create and read-write", File::OPEN_CREATE | File::OPEN_READ_WRITE, false, true, true},
        {"create opens an existing file", File::OPEN_CREATE | File::OPEN_READ_WRITE, true, true, true},
        {"exclusive creation of a missing file", File::OPEN_CREATE | File::OPEN_EXCLUSIVE, false, true,
         false},
        {"exclusive creation of an existing file", File::OPEN_CREATE | File::OPEN_EXCLUSIVE, true, false,
         false},
        {"exclusive without create is ignored", File::OPEN_EXCLUSIVE, true, true, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const fs::path path = folder.Path() / "data.bin";
        if (c.existsBefore)
            folder.Write("data.bin", "abc");

        File file;
        if (!c.opens)
        {
            ExpectRuntimeError([&] { file.Open(folder.Wide(), u"data.bin", c.flags); }, "open",
                               "KV::File::Open");
            EXPECT_FALSE(file.IsOpen());
            EXPECT_EQ(fs::exists(path), c.existsBefore);
            continue;
        }
        ASSERT_EQ(file.Open(folder.Wide(), u"data.bin", c.flags), S_OK);
        EXPECT_TRUE(file.IsOpen());
        EXPECT_EQ(file.GetFlags(), c.flags);
        EXPECT_EQ(file.GetLength(), c.existsBefore ? 3 : 0) << "an existing file is never truncated";
        if (c.writable)
        {
            EXPECT_EQ(file.Write("XY", 2, 1), 2u);
            file.Close();
            EXPECT_EQ(ReadWhole(path), c.existsBefore ? "aXY" : std::string("\0XY", 3));
        }
        else
        {
            ExpectRuntimeError([&] { file.Write("XY", 2, 0); }, "file is read only", "KV::File::Write");
            file.Close();
            EXPECT_EQ(ReadWhole(path), c.existsBefore ? "abc" : "");
        }
    }
}

TEST(File, DeleteOnCloseRemovesTheFileWithItsLastCopy)
{
    TempFolder folder;
    const fs::path path = folder.Write("scratch.tmp", "x");
    File file(folder.Wide(), u"scratch.tmp", File::OPEN_READ | File::OPEN_DELETE_ON_CLOSE);
    {
        File copy = file;
        file.Close();
        EXPECT_TRUE(fs::exists(path)) << "a copy still holds the descriptor";
    }
    EXPECT_FALSE(fs::exists(path));
}

TEST(File, OpenPathsAndRepeatedOpen)
{
    TempFolder folder;
    folder.Write("a.txt", "first");
    folder.Write("b.txt", "second");

    File empty;
    ExpectRuntimeError([&] { empty.Open(u"", u"", File::OPEN_READ); }, "invalid pathname", "KV::File::Open");

    // An empty name: the folder text is the whole path.
    File whole;
    ASSERT_EQ(whole.Open(TempFolder::Utf8((folder.Path() / "a.txt").string()), u"", File::OPEN_READ), S_OK);
    EXPECT_EQ(whole.GetLength(), 5);

    // A folder that ends with a separator gets no second one.
    File joined(TempFolder::Utf8(folder.Path().string() + "/"), u"a.txt", File::OPEN_READ);
    EXPECT_EQ(Utf8Of(joined.GetPath()), (folder.Path() / "a.txt").string());
    EXPECT_EQ(Utf8Of(joined.GetName()), "a.txt");

    // Opening an open file changes nothing.
    EXPECT_EQ(joined.Open(folder.Wide(), u"b.txt", File::OPEN_READ_WRITE), S_FALSE);
    EXPECT_EQ(Utf8Of(joined.GetPath()), (folder.Path() / "a.txt").string());
    EXPECT_EQ(joined.GetFlags(), File::OPEN_READ);
    EXPECT_EQ(joined.GetLength(), 5);

    // A folder is not a file.
    File notAFile;
    ExpectRuntimeError([&] { notAFile.Open(folder.Wide(), u"", File::OPEN_READ); }, "open", "KV::File::Open");
}

TEST(File, PipesAndDevicesOpenWithoutWaitingAndAreToldApart)
{
    TempFolder folder;
    TestSupport::NamedPipe pipe((folder.Path() / "image.led").string());
    const fs::path regular = folder.Write("regular.led", "0000");
    struct Case
    {
        std::string path;
        bool regular;
    };
    for (const Case& c : {Case{pipe.Path(), false}, Case{"/dev/null", false}, Case{regular.string(), true}})
    {
        SCOPED_TRACE(c.path);
        EXPECT_TRUE(File::Exists(TempFolder::Utf8(c.path)));
        EXPECT_EQ(File::IsRegularFile(TempFolder::Utf8(c.path)), c.regular);
        File file(TempFolder::Utf8(c.path), u"", File::OPEN_READ); // a pipe without writer: no wait
        EXPECT_EQ(file.IsRegularFile(), c.regular);
    }
    EXPECT_FALSE(File::IsRegularFile(folder.Wide()));
    EXPECT_FALSE(File::IsRegularFile(TempFolder::Utf8((folder.Path() / "missing").string())));
    EXPECT_FALSE(pipe.ReleasedAWaitingReader());
}

TEST(FilePaths, BackslashesOfALinuxNameStay)
{
    TempFolder folder;
    folder.Write("a\\b.led", "linux");
    fs::create_directory(folder.Path() / "a");
    folder.Write("a/c.led", "separated");
    struct Case
    {
        const char* relative;
        const char* content; // nullptr: not found
    };
    const Case cases[] = {
        {"/a\\b.led", "linux"},     // a name that holds a backslash
        {"/a\\c.led", "separated"}, // no such name: the backslash separates
        {"\\a\\c.led", "separated"},
        {"/a\\d.led", nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.relative);
        const String path = TempFolder::Utf8(folder.Path().string() + c.relative);
        EXPECT_EQ(File::Exists(path), c.content != nullptr);
        if (!c.content)
            continue;
        File file(path, u"", File::OPEN_READ);
        std::string read(static_cast<size_t>(file.GetLength()), '\0');
        ASSERT_EQ(file.Read(read.data(), static_cast<uint32_t>(read.size()), 0), read.size());
        EXPECT_EQ(read, c.content);
    }
}

TEST(File, ReadWriteAndSeek)
{
    TempFolder folder;
    const fs::path path = folder.Write("data.bin", "0123456789");
    File file(folder.Wide(), u"data.bin", File::OPEN_READ_WRITE);
    char buffer[16] = {};

    EXPECT_EQ(file.Read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "012");
    EXPECT_EQ(file.Read(buffer, 3), 3u) << "offset -1 continues at the current position";
    EXPECT_EQ(std::string(buffer, 3), "345");
    EXPECT_EQ(file.Read(buffer, 4, 8), 2u) << "a read across the end returns what is there";
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_EQ(file.Read(buffer, 4), 0u) << "a read at the end returns 0";
    EXPECT_EQ(file.Read(buffer, 4, 10), 0u);

    EXPECT_EQ(file.Seek(-1, SEEK_END), 9);
    EXPECT_EQ(file.Seek(-2, SEEK_CUR), 7);
    EXPECT_EQ(file.Seek(-1, SEEK_SET), -1) << "a position before the start is refused";
    EXPECT_EQ(file.Seek(2, SEEK_SET), 2);
    EXPECT_EQ(file.Write("ab", 2), 2u);
    EXPECT_EQ(file.Write("Z", 1, 12), 1u) << "writing past the end extends the file";
    EXPECT_EQ(file.GetLength(), 13);
    ExpectRuntimeError([&] { file.Read(buffer, 1, -5); }, "lseek", "KV::File::Read");
    ExpectRuntimeError([&] { file.Write("q", 1, -5); }, "lseek", "KV::File::Write");
    file.Close();
    EXPECT_EQ(ReadWhole(path), std::string("01ab456789\0\0Z", 13));
}

// A read that a signal interrupts goes on waiting instead of failing. The reader blocks
// on an empty pipe while another thread signals it (the handler is installed without
// automatic restart), then writes the data.
TEST(File, ReadGoesOnAfterASignal)
{
    TempFolder folder;
    const fs::path path = folder.Path() / "pipe";
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    struct sigaction action = {};
    struct sigaction previous = {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);

    File pipe(folder.Wide(), u"pipe", File::OPEN_READ_WRITE); // read-write: no wait for a writer
    const pthread_t reader = ::pthread_self();
    std::thread writer([&] {
        for (int i = 0; i < 20; ++i)
        {
            ::pthread_kill(reader, SIGUSR1);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        const int descriptor = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        EXPECT_EQ(::write(descriptor, "ping", 4), 4);
        ::close(descriptor);
    });
    char buffer[4] = {};
    uint32_t got = 0;
    EXPECT_NO_THROW(got = pipe.Read(buffer, 4));
    EXPECT_EQ(got, 4u);
    writer.join();
    ::sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_EQ(std::string(buffer, 4), "ping");
}

TEST(File, OperationsOnAClosedFile)
{
    char buffer[4];
    File closed;
    EXPECT_FALSE(closed.IsOpen());
    EXPECT_EQ(closed.Close(), S_OK);
    EXPECT_EQ(closed.Seek(0, SEEK_SET), -1);
    ExpectRuntimeError([&] { closed.Read(buffer, 4); }, "file is not open", "KV::File::Read");
    ExpectRuntimeError([&] { closed.GetLength(); }, "file is not open", "KV::File::GetLength");
    ExpectRuntimeError([&] { closed.Write(buffer, 4); }, "file is read only", "KV::File::Write");

    File closedWritable;
    TempFolder folder;
    closedWritable.Open(folder.Wide(), u"w.bin", File::OPEN_CREATE | File::OPEN_READ_WRITE);
    closedWritable.Close();
    ExpectRuntimeError([&] { closedWritable.Write(buffer, 4); }, "file is not open", "KV::File::Write");
}

TEST(File, CopiesShareOneDescriptorClosedOnce)
{
    TempFolder folder;
    const fs::path path = folder.Write("shared.bin", "shared");
    int sentinel = -1;
    {
        File first(folder.Wide(), u"shared.bin", File::OPEN_READ);
        const std::vector<int> descriptors = DescriptorsOn(path);
        ASSERT_EQ(descriptors.size(), 1u);
        EXPECT_NE(::fcntl(descriptors[0], F_GETFD) & FD_CLOEXEC, 0) << "descriptors are close-on-exec";

        File second = first;
        File third;
        third = second;
        EXPECT_EQ(DescriptorsOn(path).size(), 1u);

        first.Close();
        EXPECT_FALSE(first.IsOpen());
        char buffer[6];
        EXPECT_EQ(second.Read(buffer, 6, 0), 6u) << "the other copies still read";
        second.Close();
        EXPECT_EQ(DescriptorsOn(path).size(), 1u);
        third.Close();
        EXPECT_TRUE(DescriptorsOn(path).empty());

        // The freed number is taken again at once; a second close of the file would now
        // close this unrelated descriptor.
        sentinel = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(sentinel, descriptors[0]);
    }
    EXPECT_NE(::fcntl(sentinel, F_GETFD), -1) << "the destructors closed a descriptor again";
    ::close(sentinel);
}

TEST(File, AssigningOverTheLastCopyClosesIt)
{
    TempFolder folder;
    const fs::path a = folder.Write("a.bin", "a");
    const fs::path b = folder.Write("b.bin", "b");
    File file(folder.Wide(), u"a.bin", File::OPEN_READ);
    file = File(folder.Wide(), u"b.bin", File::OPEN_READ);
    EXPECT_TRUE(DescriptorsOn(a).empty());
    EXPECT_EQ(DescriptorsOn(b).size(), 1u);
}

TEST(FilePaths, ParentFolderAndFileName)
{
    struct Case
    {
        const char16_t* path;
        const char16_t* parent;
        const char16_t* name;
    };
    const Case cases[] = {
        {u"/home/user/image.hex", u"/home/user", u"image.hex"},
        {u"a\\b/c.txt", u"a\\b", u"c.txt"},
        {u"a/b\\c.txt", u"a/b", u"c.txt"},
        {u"C:\\Firmware\\zr.hex", u"C:\\Firmware", u"zr.hex"},
        {u"/image.hex", u"/", u"image.hex"},
        {u"\\image.hex", u"\\", u"image.hex"},
        {u"/", u"/", u"/"},
        {u"abc", u"", u"abc"},
        {u"abc\\", u"abc", u"abc\\"},
        {u"abc/", u"abc", u"abc/"},
        {u"a//b", u"a", u"b"},
        {u"", u"", u""},
        {u"/données/été 2026/版本.hex", u"/données/été 2026", u"版本.hex"},
        {u"ordner\\\U0001F3B9.syx", u"ordner", u"\U0001F3B9.syx"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Utf8Of(c.path));
        EXPECT_EQ(Utf8Of(File::GetParentFolder(c.path)), Utf8Of(c.parent));
        EXPECT_EQ(Utf8Of(File::GetFileName(c.path)), Utf8Of(c.name));
    }
    EXPECT_EQ(Utf8Of(File::GetLongPathName(u"/tmp/été")), "/tmp/été");
}

TEST(FilePaths, SanitizeFileName)
{
    struct Case
    {
        const char16_t* name;
        const char16_t* safe;
    };
    const Case cases[] = {
        {u"A/B: C?", u"A_B_ C_"},
        {u"\\/:*?\"<>|&;,^()", u"_______________"},
        {u"Norðvík – Übersicht [1].txt", u"Norðvík – Übersicht [1].txt"},
        {u"", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8Of(File::SanitizeFileName(c.name)), Utf8Of(c.safe));
}

TEST(FilePaths, EnsureAndCreateDirectories)
{
    TempFolder folder;
    const std::string root = folder.Path().string();
    folder.Write("file.txt", "x");

    EXPECT_EQ(File::EnsureDirectory(folder.Wide()), S_FALSE);
    EXPECT_EQ(File::EnsureDirectory(TempFolder::Utf8(root + "/file.txt")), E_FAIL);
    EXPECT_EQ(File::EnsureDirectory(TempFolder::Utf8(root + "/neu/über\\日本")), S_OK);
    EXPECT_TRUE(fs::is_directory(folder.Path() / "neu" / "über" / "日本")) << "both separators split";
    EXPECT_EQ(File::EnsureDirectory(TempFolder::Utf8(root + "/neu/über/日本")), S_FALSE);

    EXPECT_TRUE(File::CreateDirectoryPath(TempFolder::Utf8(root + "/x/y/z/")));
    EXPECT_TRUE(fs::is_directory(folder.Path() / "x" / "y" / "z"));
    EXPECT_TRUE(File::CreateDirectoryPath(TempFolder::Utf8(root + "/x")));
    EXPECT_FALSE(File::CreateDirectoryPath(TempFolder::Utf8(root + "/file.txt/sub")));
    EXPECT_FALSE(File::CreateDirectoryPath(u""));

    EXPECT_TRUE(File::Exists(TempFolder::Utf8(root + "/file.txt")));
    EXPECT_FALSE(File::Exists(folder.Wide()));
    EXPECT_FALSE(File::Exists(TempFolder::Utf8(root + "/missing")));
}

TEST(FilePaths, ListDirectory)
{
    TempFolder folder;
    const std::string root = folder.Path().string();
    for (const char* name : {"b.txt", "A.TXT", "été.txt", "noext", "c.hex", "a.txt"})
        folder.Write(name, "x");
    folder.Write("not utf-8 \xE9.txt", "x");
    fs::create_directory(folder.Path() / "sub.txt");
    fs::create_directory(folder.Path() / "empty");
    fs::create_symlink(folder.Path() / "sub.txt", folder.Path() / "link-to-folder.txt");
    fs::create_symlink(folder.Path() / "a.txt", folder.Path() / "link-to-file.txt");

    struct Case
    {
        const char16_t* pattern;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {u"*.*", {"A.TXT", "a.txt", "b.txt", "c.hex", "link-to-file.txt", "noext", "été.txt"}},
        {u"*", {"A.TXT", "a.txt", "b.txt", "c.hex", "link-to-file.txt", "noext", "été.txt"}},
        {u"*.txt", {"A.TXT", "a.txt", "b.txt", "link-to-file.txt", "été.txt"}},
        {u"?.TxT", {"A.TXT", "a.txt", "b.txt"}},
        {u"??é.txt", {"été.txt"}},
        {u"*e*", {"c.hex", "link-to-file.txt", "noext"}}, // é is no e
        {u"c.hex", {"c.hex"}},
        {u"*.bin", {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Utf8Of(c.pattern));
        StringArray paths;
        paths.AddItem(u"left over");
        ASSERT_EQ(File::ListDirectory(folder.Wide(), c.pattern, paths), static_cast<int32_t>(c.names.size()));
        std::vector<std::string> listed;
        for (uint32_t i = 0; i < paths.GetCount(); ++i)
            listed.push_back(Utf8Of(*paths.GetAt(i)));
        std::vector<std::string> expected;
        for (const std::string& name : c.names)
            expected.push_back(root + "/" + name);
        EXPECT_EQ(listed, expected);
    }

    StringArray paths;
    EXPECT_EQ(File::ListDirectory(TempFolder::Utf8(root + "/empty"), u"*.*", paths), 0);
    paths.AddItem(u"left over");
    EXPECT_EQ(File::ListDirectory(TempFolder::Utf8(root + "/a.txt"), u"*.*", paths), E_NOTIMPL);
    EXPECT_EQ(paths.GetCount(), 0u);
    EXPECT_EQ(File::ListDirectory(TempFolder::Utf8(root + "/missing"), u"*.*", paths), E_NOTIMPL);
}
