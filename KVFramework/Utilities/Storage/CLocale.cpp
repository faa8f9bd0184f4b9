#include "Utilities/Storage/CLocale.h"

#include "ObjectBase/Exception.h"

namespace KV::Detail {

locale_t CLocale()
{
    static const locale_t locale = [] {
        const locale_t created = newlocale(LC_ALL_MASK, "C", locale_t{});
        if (!created)
            ThrowBadAlloc();
        return created;
    }();
    return locale;
}

} // namespace KV::Detail
