#include "Application/FrameworkApp.h"
#include "Application/Version.h"

#include <gtest/gtest.h>

#include <string>

using namespace KV;

namespace {

std::string Utf8(const String& text)
{
    return std::string(text.ToNarrow().View());
}

TEST(Version, AnswersTheBuildsNamesAndNothingElse)
{
    const Version version;
    EXPECT_FALSE(version.GetCompanyName().IsEmpty());
    EXPECT_FALSE(version.GetProductName().IsEmpty());
    EXPECT_EQ(Utf8(version.GetProductVersion()), Utf8(version.GetStringValue(u"FileVersion")));
    EXPECT_EQ(Utf8(version.GetCompanyName()), Utf8(version.GetStringValue(u"CompanyName")));
    for (const char16_t* unknown :
         {u"LegalCopyright", u"companyname", u"", static_cast<const char16_t*>(nullptr)})
        EXPECT_TRUE(version.GetStringValue(unknown).IsEmpty());

    // The application object names itself from the same information.
    RCPtr<LFrameworkApp> app(new LFrameworkApp());
    EXPECT_EQ(Utf8(app->GetCompanyName()), Utf8(version.GetCompanyName()));
    EXPECT_EQ(Utf8(app->GetProductName()), Utf8(version.GetProductName()));
    EXPECT_EQ(Utf8(app->GetProductVersion()), Utf8(version.GetProductVersion()));
}

TEST(StartupErrorText, BuiltInUntilTheFrameworkStringsSayOtherwise)
{
    const std::string builtIn =
        "The application encountered problems during startup and will now close.  (Error code = 902)";
    EXPECT_EQ(Utf8(GetStartupErrorText(902)), builtIn); // no application at all
    {
        RCPtr<LFrameworkApp> app(new LFrameworkApp());
        EXPECT_EQ(Utf8(GetStartupErrorText(902)), builtIn); // no framework table
    }
    {
        RCPtr<LFrameworkApp> app(new LFrameworkApp(nullptr, LStringTable::Create()));
        EXPECT_EQ(Utf8(GetStartupErrorText(902)), builtIn); // a table without the text
    }
    RCPtr<LStringTable> strings = LStringTable::Create();
    strings->SetString(String(u"EXCEPTION_ID"),
                       String(u"The application has encountered Error ID %d.  Please contact support."));
    RCPtr<LFrameworkApp> app(new LFrameworkApp(nullptr, strings));
    EXPECT_EQ(Utf8(GetStartupErrorText(-2147467259)),
              "The application has encountered Error ID -2147467259.  Please contact support.");
}

} // namespace
