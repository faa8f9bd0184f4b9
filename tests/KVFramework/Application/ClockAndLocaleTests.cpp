#include "Application/FrameworkApp.h"

#include "ScopedVariable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

using namespace KV;

namespace {

Milliseconds gFakeTick = 0;

Milliseconds FakeTick()
{
    return gFakeTick;
}

TEST(ApplicationClock, SecondsGrowAcrossTheWrapOfTheTick)
{
    gFakeTick = 0xFFFFFFFFu - 999u; // one second before the wrap to 0
    ApplicationClock clock(&FakeTick);
    EXPECT_EQ(clock.GetTimeInSeconds(), 0.0);

    gFakeTick += 1500u; // wraps to 500
    EXPECT_EQ(clock.GetTimeMs(), 500u);
    EXPECT_DOUBLE_EQ(clock.GetTimeInSeconds(), 1.5);
    EXPECT_DOUBLE_EQ(clock.GetTimeInSeconds(), 1.5); // nothing passed

    gFakeTick += 0x7FFFFFFFu; // the longest step that still counts forward
    EXPECT_DOUBLE_EQ(clock.GetTimeInSeconds(), 1.5 + 0x7FFFFFFF / 1000.0);
}

TEST(ApplicationClock, TheApplicationReadsItsClock)
{
    RCPtr<LFrameworkApp> app(new LFrameworkApp());
    gFakeTick = 1000;
    app->GetClock() = ApplicationClock(&FakeTick);
    gFakeTick = 3250;
    EXPECT_EQ(app->GetTimeMs(), 3250u);
    EXPECT_DOUBLE_EQ(app->GetTimeInSeconds(), 2.25);

    // The real clock is monotonic.
    app->GetClock() = ApplicationClock();
    const double before = app->GetTimeInSeconds();
    EXPECT_GE(app->GetTimeInSeconds(), before);
}

TEST(ProcessLocale, TheUsersLocaleComesFromTheFirstSetVariable)
{
    struct Case
    {
        std::optional<std::string> all, messages, lang;
        uint32_t expected;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, "de_DE.UTF-8", 0x0407},
        {std::nullopt, "fr_CA.UTF-8", "de_DE.UTF-8", 0x0C0C},
        {"ja_JP.UTF-8", "fr_CA.UTF-8", "de_DE.UTF-8", 0x0411},
        {"", "", "pt_BR", 0x0416}, // empty values are unset
        {std::nullopt, std::nullopt, std::nullopt, 0x0409},
        {"C", std::nullopt, "de_DE.UTF-8", 0x0409},
    };
    for (const Case& c : cases)
    {
        ScopedVariable all("LC_ALL", c.all);
        ScopedVariable messages("LC_MESSAGES", c.messages);
        ScopedVariable lang("LANG", c.lang);
        EXPECT_EQ(LFrameworkApp::GetUserDefaultLocale(), c.expected) << c.lang.value_or("-");
    }

    RCPtr<LFrameworkApp> app(new LFrameworkApp());
    LFrameworkApp::SetLocale(0x0411);
    EXPECT_EQ(app->GetLocale(), 0x0411u);
    LFrameworkApp::SetLocale(0);
}

} // namespace
