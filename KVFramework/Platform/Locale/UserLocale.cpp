#include "Platform/Locale/UserLocale.h"

#include <cstdlib>
#include <string>

namespace KV::Platform {

namespace {

constexpr uint32_t kEnglishUnitedStates = 0x0409;

struct LocaleEntry
{
    std::string_view language;
    std::string_view territory;
    uint32_t id;
};

// The first entry of a language is its main one: it stands for the language alone and
// for territories not listed.
constexpr LocaleEntry kLocales[] = {
    {"ar", "SA", 0x0401}, {"ar", "EG", 0x0C01}, {"bg", "BG", 0x0402}, {"ca", "ES", 0x0403},
    {"zh", "CN", 0x0804}, {"zh", "TW", 0x0404}, {"zh", "HK", 0x0C04}, {"zh", "SG", 0x1004},
    {"zh", "MO", 0x1404}, {"cs", "CZ", 0x0405}, {"da", "DK", 0x0406}, {"de", "DE", 0x0407},
    {"de", "CH", 0x0807}, {"de", "AT", 0x0C07}, {"de", "LU", 0x1007}, {"de", "LI", 0x1407},
    {"el", "GR", 0x0408}, {"en", "US", 0x0409}, {"en", "GB", 0x0809}, {"en", "AU", 0x0C09},
    {"en", "CA", 0x1009}, {"en", "NZ", 0x1409}, {"en", "IE", 0x1809}, {"en", "ZA", 0x1C09},
    {"en", "IN", 0x4009}, {"es", "ES", 0x0C0A}, {"es", "MX", 0x080A}, {"es", "CO", 0x240A},
    {"es", "AR", 0x2C0A}, {"es", "CL", 0x340A}, {"es", "US", 0x540A}, {"fi", "FI", 0x040B},
    {"fr", "FR", 0x040C}, {"fr", "BE", 0x080C}, {"fr", "CA", 0x0C0C}, {"fr", "CH", 0x100C},
    {"fr", "LU", 0x140C}, {"he", "IL", 0x040D}, {"hu", "HU", 0x040E}, {"is", "IS", 0x040F},
    {"it", "IT", 0x0410}, {"it", "CH", 0x0810}, {"ja", "JP", 0x0411}, {"ko", "KR", 0x0412},
    {"nl", "NL", 0x0413}, {"nl", "BE", 0x0813}, {"nb", "NO", 0x0414}, {"no", "NO", 0x0414},
    {"nn", "NO", 0x0814}, {"pl", "PL", 0x0415}, {"pt", "BR", 0x0416}, {"pt", "PT", 0x0816},
    {"ro", "RO", 0x0418}, {"ru", "RU", 0x0419}, {"hr", "HR", 0x041A}, {"sk", "SK", 0x041B},
    {"sv", "SE", 0x041D}, {"sv", "FI", 0x081D}, {"th", "TH", 0x041E}, {"tr", "TR", 0x041F},
    {"id", "ID", 0x0421}, {"uk", "UA", 0x0422}, {"be", "BY", 0x0423}, {"sl", "SI", 0x0424},
    {"et", "EE", 0x0425}, {"lv", "LV", 0x0426}, {"lt", "LT", 0x0427}, {"vi", "VN", 0x042A},
    {"eu", "ES", 0x042D}, {"hi", "IN", 0x0439}, {"ms", "MY", 0x043E}, {"gl", "ES", 0x0456},
};

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The environment's value, or an empty view when unset.
std::string_view Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string_view(value) : std::string_view();
}

} // namespace

uint32_t LocaleIdFromName(std::string_view name)
{
    // The codeset and the modifier do not change the language.
    name = name.substr(0, name.find_first_of(".@"));
    const size_t separator = name.find_first_of("_-");
    std::string language;
    for (char c : name.substr(0, separator))
        language += LowerAscii(c);
    std::string territory;
    if (separator != std::string_view::npos)
        for (char c : name.substr(separator + 1))
            territory += UpperAscii(c);

    const LocaleEntry* main = nullptr;
    for (const LocaleEntry& entry : kLocales)
    {
        if (entry.language != language)
            continue;
        if (entry.territory == territory)
            return entry.id;
        if (!main)
            main = &entry;
    }
    return main ? main->id : kEnglishUnitedStates;
}

uint32_t GetUserDefaultLocaleId()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const std::string_view value = Variable(variable); !value.empty())
            return LocaleIdFromName(value);
    return kEnglishUnitedStates;
}

} // namespace KV::Platform
