#pragma once
// The user's locale as the 16-bit locale identifier that the string tables are keyed
// by (0x0409 English (United States), 0x0407 German (Germany), ...).

#include <cstdint>
#include <string_view>

namespace KV::Platform {

// The identifier for the environment's message locale: the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty.
uint32_t GetUserDefaultLocaleId();

// The identifier for a locale name "language[_TERRITORY][.codeset][@modifier]": the
// language's and territory's entry of the table; the language's main entry for a
// territory the table does not list; English (United States) for "C", "POSIX", an
// empty name and any language the table does not list.
uint32_t LocaleIdFromName(std::string_view name);

} // namespace KV::Platform
