#include "AppLoopSupport.h"
#include "Application/OpenFileDialog.h"
#include "ScopedVariable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <stdlib.h>

using namespace KV;

namespace {

// A folder with stand-ins for the dialog programs: each writes its arguments, one a line,
// to a file and answers as the test tells it through the environment.
class DialogProgramFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kv-dialog-XXXXXX").string();
        ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
        mRoot = pattern;
        std::filesystem::create_directories(mRoot / "bin");
        std::filesystem::create_directories(mRoot / "images");
        std::ofstream(mRoot / "images" / "VORazuro61.led") << "00";
        std::ofstream(mRoot / "images" / "second.led") << "00";
    }
    void TearDown() override { std::filesystem::remove_all(mRoot); }

    void InstallProgram(const std::string& name)
    {
        const std::filesystem::path program = mRoot / "bin" / name;
        std::ofstream(program) << "#!/bin/sh\n"
                                  "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$KV_DIALOG_ARGS\"\n"
                                  "printf '%s' \"$KV_DIALOG_ANSWER\"\n"
                                  "exit \"$KV_DIALOG_STATUS\"\n";
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    }

    std::string Arguments() const
    {
        std::ifstream in(mRoot / "args");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string Image(const char* name) const { return (mRoot / "images" / name).string(); }

    std::filesystem::path mRoot;
};

const String kFilter(u"Firmware Files (*.led)|*.led|All Files (*.*)|*.*\"");

} // namespace

TEST_F(DialogProgramFixture, ChoiceCancelAndFailureOfTheDialogProgram)
{
    InstallProgram("zenity");
    ScopedVariable path("PATH", (mRoot / "bin").string() + ":/usr/bin:/bin");
    ScopedVariable args("KV_DIALOG_ARGS", (mRoot / "args").string());
    struct Row
    {
        const char* what;
        std::string answer;
        const char* status;
        KVRESULT result;
        std::string fileName;
    };
    const Row rows[] = {
        {"chosen", Image("VORazuro61.led") + "\n", "0", S_OK, Image("VORazuro61.led")},
        {"cancelled", "", "1", E_FAIL, ""},
        {"the program failed", Image("VORazuro61.led") + "\n", "5", E_FAIL, ""},
        {"a file that does not exist", Image("missing.led") + "\n", "0", E_FAIL, ""},
        {"no answer", "", "0", E_FAIL, ""},
        {"a name typed without the default extension", Image("second") + "\n", "0", S_OK,
         Image("second.led")},
    };
    for (const Row& row : rows)
    {
        ScopedVariable answer("KV_DIALOG_ANSWER", row.answer);
        ScopedVariable status("KV_DIALOG_STATUS", std::string(row.status));
        LOpenFileDialog dialog;
        EXPECT_EQ(row.result, dialog.Show(kFilter, String(u"led"), String(u"Open Firmware"), false))
            << row.what;
        EXPECT_EQ(row.fileName, dialog.GetFileName().ToNarrow().GetText()) << row.what;
    }
}

TEST_F(DialogProgramFixture, ZenityGetsTheFiltersAndTheNextDialogOpensInTheChosenFolder)
{
    InstallProgram("zenity");
    ScopedVariable path("PATH", (mRoot / "bin").string() + ":/usr/bin:/bin");
    ScopedVariable args("KV_DIALOG_ARGS", (mRoot / "args").string());
    ScopedVariable answer("KV_DIALOG_ANSWER", Image("second.led") + "\n" + Image("VORazuro61.led") + "\n");
    ScopedVariable status("KV_DIALOG_STATUS", std::string("0"));

    LOpenFileDialog dialog;
    ASSERT_EQ(S_OK, dialog.Show(kFilter, String(u"led"), String(u"Open Firmware"), true));
    // The shipped filter's stray quote stays with the last pattern.
    EXPECT_EQ("--file-selection\n--title=Open Firmware\n--multiple\n--separator=\n\n"
              "--file-filter=Firmware Files (*.led) | *.led\n--file-filter=All Files (*.*) | *.*\"\n",
              Arguments());
    EXPECT_EQ(Image("second.led"), dialog.GetFileName().ToNarrow().GetText());
    EXPECT_EQ(String(u"second.led"), dialog.GetFileTitle());
    // Every file of a multiple choice, in its order.
    ASSERT_EQ(2u, dialog.GetFileNames().size());
    EXPECT_EQ(Image("second.led"), dialog.GetFileNames()[0].ToNarrow().GetText());
    EXPECT_EQ(Image("VORazuro61.led"), dialog.GetFileNames()[1].ToNarrow().GetText());

    ASSERT_EQ(S_OK, dialog.Show(kFilter, String(u"led"), String(u"Open Firmware"), false));
    EXPECT_NE(std::string::npos, Arguments().find("--filename=" + (mRoot / "images").string() + "/\n"));
}

TEST_F(DialogProgramFixture, KDialogWhenThereIsNoZenityAndFailureWithNeither)
{
    ScopedVariable path("PATH", (mRoot / "bin").string());
    ScopedVariable args("KV_DIALOG_ARGS", (mRoot / "args").string());
    ScopedVariable answer("KV_DIALOG_ANSWER", Image("VORazuro61.led") + "\n");
    ScopedVariable status("KV_DIALOG_STATUS", std::string("0"));
    // Neither program: the user is told so.
    RCPtr<LFrameworkApp> app(new LFrameworkApp());
    apptest::RecordingBoxes boxes;
    app->SetMessageBoxSink(&boxes);
    LOpenFileDialog dialog;
    EXPECT_EQ(E_FAIL, dialog.Show(kFilter, String(u"led"), String(u"Open"), false));
    EXPECT_TRUE(dialog.GetFileName().IsEmpty());
    ASSERT_EQ(1u, boxes.mBoxes.size());
    EXPECT_NE(std::string::npos, boxes.mBoxes[0].find("zenity")) << boxes.mBoxes[0];
    EXPECT_EQ(kMessageBoxIconWarning, boxes.mFlags);

    InstallProgram("kdialog");
    ASSERT_EQ(S_OK, dialog.Show(kFilter, String(u"led"), String(u"Open"), false));
    EXPECT_EQ("--title\nOpen\n--getopenfilename\n.\n*.led|Firmware Files (*.led)\n*.*\"|All Files (*.*)\n",
              Arguments());
    EXPECT_EQ(1u, boxes.mBoxes.size());
    app.Reset();
}
