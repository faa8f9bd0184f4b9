#include "Application/FrameworkApp.h"
#include "Storage/File.h"

#include "NamedPipe.h"
#include "ScopedVariable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

#include <stdlib.h>

using namespace KV;
namespace fs = std::filesystem;

namespace {

std::string Utf8(const String& text)
{
    return std::string(text.ToNarrow().View());
}

class FolderApp : public LFrameworkApp
{
public:
    String GetCompanyName() override
    {
        return mCompany.IsEmpty() ? LFrameworkApp::GetCompanyName() : mCompany;
    }
    String mCompany;
};

class FrameworkAppFolders : public ::testing::Test
{
protected:
    static fs::path MakeRoot()
    {
        std::string pattern = (fs::temp_directory_path() / "kv-folders-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        fs::create_directories(fs::path(pattern) / "home");
        return pattern;
    }
    ~FrameworkAppFolders() override
    {
        std::error_code ignored;
        fs::remove_all(mRoot, ignored);
    }

    std::string Folder(int32_t kind)
    {
        String folder = u"unchanged";
        mApp->GetFolder(folder, kind);
        return Utf8(folder);
    }
    std::string Named(const fs::path& base)
    {
        return (base / Utf8(File::SanitizeFileName(mApp->GetCompanyName())) /
                Utf8(File::SanitizeFileName(mApp->GetProductName())))
            .string();
    }

    const fs::path mRoot = MakeRoot();
    ScopedVariable mHome{"HOME", (mRoot / "home").string()};
    ScopedVariable mData{"XDG_DATA_HOME", std::nullopt};
    ScopedVariable mConfig{"XDG_CONFIG_HOME", std::nullopt};
    RCPtr<FolderApp> mApp{new FolderApp()};
};

TEST_F(FrameworkAppFolders, ExecutableAndResourceFolders)
{
    EXPECT_EQ(Folder(LFrameworkApp::FOLDER_EXECUTABLE),
              fs::read_symlink("/proc/self/exe").parent_path().string());
    EXPECT_EQ(Folder(LFrameworkApp::FOLDER_RESOURCES), "::");
}

TEST_F(FrameworkAppFolders, DataFoldersLieUnderTheCompanyAndProductAndAreCreated)
{
    struct Case
    {
        int32_t kind;
        const char* variable;
        const char* valueUnderRoot; // null: unset
        const char* expectedBaseUnderRoot;
    };
    const Case cases[] = {
        {LFrameworkApp::FOLDER_COMMON_DATA, "XDG_DATA_HOME", "data", "data"},
        {LFrameworkApp::FOLDER_COMMON_DATA, "XDG_DATA_HOME", "data/", "data"},
        {LFrameworkApp::FOLDER_COMMON_DATA, "XDG_DATA_HOME", nullptr, "home/.local/share"},
        {LFrameworkApp::FOLDER_LOCAL_DATA, "XDG_CONFIG_HOME", "config", "config"},
        {LFrameworkApp::FOLDER_LOCAL_DATA, "XDG_CONFIG_HOME", nullptr, "home/.config"},
    };
    for (const Case& c : cases)
    {
        ScopedVariable variable(
            c.variable, c.valueUnderRoot ? std::optional<std::string>((mRoot / c.valueUnderRoot).string())
                                         : std::nullopt);
        const std::string folder = Folder(c.kind);
        EXPECT_EQ(folder, Named(mRoot / c.expectedBaseUnderRoot)) << c.kind;
        EXPECT_TRUE(fs::is_directory(folder)) << folder;
    }
    // A relative value is no XDG folder: the one under the home folder stands.
    ScopedVariable relative("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(Folder(LFrameworkApp::FOLDER_COMMON_DATA), Named(mRoot / "home/.local/share"));
}

TEST_F(FrameworkAppFolders, UnsafeCharactersOfTheNamesBecomeUnderscores)
{
    ScopedVariable data("XDG_DATA_HOME", (mRoot / "data").string());
    mApp->mCompany = u"Acme: \"Keys/Pads\"";
    const std::string folder = Folder(LFrameworkApp::FOLDER_COMMON_DATA);
    EXPECT_EQ(fs::path(folder).parent_path(), mRoot / "data" / "Acme_ _Keys_Pads_");
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(FrameworkAppFolders, DocumentsFolderFromTheUserFoldersFileElseHome)
{
    ScopedVariable config("XDG_CONFIG_HOME", (mRoot / "config").string());
    EXPECT_EQ(Folder(LFrameworkApp::FOLDER_DOCUMENTS), (mRoot / "home").string());

    fs::create_directories(mRoot / "config");
    std::ofstream(mRoot / "config" / "user-dirs.dirs") << "# written by the desktop\n"
                                                          "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                          "XDG_DOCUMENTS_DIR=\"$HOME/My Papers\"\n";
    const std::string documents = Folder(LFrameworkApp::FOLDER_DOCUMENTS);
    EXPECT_EQ(documents, (mRoot / "home" / "My Papers").string());
    EXPECT_TRUE(fs::is_directory(documents));
}

// A user-folders file that is a named pipe is not waited for: the documents are home.
TEST_F(FrameworkAppFolders, UserFoldersFileThatIsAPipeIsNotRead)
{
    ScopedVariable config("XDG_CONFIG_HOME", (mRoot / "config").string());
    fs::create_directories(mRoot / "config");
    TestSupport::NamedPipe pipe((mRoot / "config" / "user-dirs.dirs").string());
    EXPECT_EQ(Folder(LFrameworkApp::FOLDER_DOCUMENTS), (mRoot / "home").string());
    EXPECT_FALSE(pipe.ReleasedAWaitingReader());
}

TEST_F(FrameworkAppFolders, UnknownKindsAreOutOfRange)
{
    for (int32_t kind : {-1, 5})
    {
        String folder;
        try
        {
            mApp->GetFolder(folder, kind);
            ADD_FAILURE() << kind;
        }
        catch (const std::out_of_range& error)
        {
            EXPECT_NE(std::string(error.what()).find("Unknown Path ID."), std::string::npos) << error.what();
        }
    }
}

TEST_F(FrameworkAppFolders, ApplicationAndVersionFolderNames)
{
    EXPECT_TRUE(mApp->GetApplicationName() == mApp->GetProductName());
    EXPECT_FALSE(mApp->GetProductName().IsEmpty());
    EXPECT_TRUE(mApp->GetVersionFolderName() == u"1_0_0");
}

} // namespace
