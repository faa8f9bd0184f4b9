// Format texts come from string tables, that is from data: any format, with arguments
// of every kind, must format without reading or writing out of bounds, and a plain
// text without '%' must come out unchanged.

#include "Storage/TextFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace KV;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    std::u16string format(size / 2, u'\0');
    for (size_t i = 0; i < format.size(); ++i)
        format[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);

    int target = 0;
    const std::u16string wide = u"wide text";
    const std::array<FormatArgument, 10> arguments{FormatArgument(-12345),
                                                   FormatArgument(uint64_t{0xFFFFFFFFFFFFFFFF}),
                                                   FormatArgument(3.25),
                                                   FormatArgument(u"literal"),
                                                   FormatArgument("caf\xC3\xA9 \xFF"),
                                                   FormatArgument(&target),
                                                   FormatArgument(wide),
                                                   FormatArgument(static_cast<const char*>(nullptr)),
                                                   FormatArgument(char16_t{'x'}),
                                                   FormatArgument(1e308)};
    for (size_t count = 0; count <= arguments.size(); count += 5)
    {
        const std::u16string out = FormatText(format, std::span(arguments.data(), count));
        if (format.find(u'%') == std::u16string::npos && out != format)
            std::abort();
    }
    if (target != 0)
        std::abort();
    return 0;
}
