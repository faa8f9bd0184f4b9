#include "AppStrings.h"
#include "Application.h"

#include <gtest/gtest.h>

using namespace KV;

TEST(AppStrings, ComeFromTheApplicationsOwnTable)
{
    EXPECT_TRUE(GetAppString(u"SELECT_FIRMWARE_FILE_DIALOG_TITLE").IsEmpty()); // no application yet

    RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"Norvik ZR Firmware Updater"));
    ASSERT_EQ(factory->LoadResources(String(LControlFactory::kResourceFolder), 0x0409), S_OK);
    RCPtr<LApplication> app = LApplication::Create(factory, factory->GetFrameworkStringTable(), String());
    EXPECT_EQ(GetAppString(u"SELECT_FIRMWARE_FILE_DIALOG_TITLE"), u"Select Firmware File");
    EXPECT_EQ(LoadAppString(u"SELECT_FIRMWARE_FILE_DEFAULT_FILE_EXTENSION"), u"led");
    EXPECT_TRUE(GetAppString(u"NO_SUCH_TEXT").IsEmpty());
}
