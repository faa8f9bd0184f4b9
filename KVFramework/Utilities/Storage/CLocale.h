#pragma once
// The "C" locale for number conversions that must not follow the user's locale
// (a decimal comma would change every number written into files and messages).

#include <clocale>
#include <locale.h>

namespace KV::Detail {

// Created once and never freed: other threads may still format at exit.
locale_t CLocale();

// Makes the calling thread use the "C" locale for its lifetime.
class CCLocaleScope
{
public:
    CCLocaleScope() : mPrevious(uselocale(CLocale())) {}
    ~CCLocaleScope() { uselocale(mPrevious); }
    CCLocaleScope(const CCLocaleScope&) = delete;
    CCLocaleScope& operator=(const CCLocaleScope&) = delete;

private:
    locale_t mPrevious;
};

} // namespace KV::Detail
