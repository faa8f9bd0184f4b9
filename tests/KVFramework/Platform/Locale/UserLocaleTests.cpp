#include "Platform/Locale/UserLocale.h"

#include <gtest/gtest.h>

using KV::Platform::LocaleIdFromName;

TEST(UserLocale, NamesToIdentifiers)
{
    struct Case
    {
        const char* name;
        uint32_t id;
    };
    const Case cases[] = {
        {"en_US.UTF-8", 0x0409},
        {"en_GB.UTF-8", 0x0809},
        {"de_DE.UTF-8", 0x0407},
        {"de_AT", 0x0C07},
        {"de_CH.utf8@euro", 0x0807}, // codeset and modifier do not count
        {"fr_FR@euro", 0x040C},
        {"pt_BR.UTF-8", 0x0416},
        {"pt_PT", 0x0816},
        {"ja_JP.eucJP", 0x0411},
        // Chinese: the traditional and simplified territories apart.
        {"zh_CN.UTF-8", 0x0804},
        {"zh_TW.Big5", 0x0404},
        {"zh_HK", 0x0C04},
        {"zh_MO", 0x1404},
        {"zh_SG", 0x1004},
        // A language alone or with a territory not listed: the language's main entry.
        {"de", 0x0407},
        {"es_PE.UTF-8", 0x0C0A},
        {"zh", 0x0804},
        // Letter case and the hyphen of language tags.
        {"DE_de", 0x0407},
        {"en-GB", 0x0809},
        // Nothing known: English (United States).
        {"C", 0x0409},
        {"C.UTF-8", 0x0409},
        {"POSIX", 0x0409},
        {"", 0x0409},
        {"xx_YY", 0x0409},
        {"_DE", 0x0409},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LocaleIdFromName(c.name), c.id) << c.name;
}
