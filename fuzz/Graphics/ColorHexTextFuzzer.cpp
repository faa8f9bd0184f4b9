// Feeds arbitrary text to the colour parser of skin documents. Besides memory errors it
// checks what must hold for any text: a length other than 2, 6 or 8 digits (after an
// optional "0x") changes nothing, two digits change alpha alone, six keep alpha, and every
// channel ends as a byte value that packs back to itself.

#include "Graphics/Color.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace KV;

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(bytes), size); // stops at an embedded NUL below
    const uint32_t startARGB = 0x80402010u;
    ColorT color;
    color.FromARGB(startARGB);
    color.FromHexText(text.c_str());

    size_t length = std::strlen(text.c_str());
    if (length >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        length -= 2;
    const uint32_t argb = color.ToARGB();
    if (length == 2)
        Require((argb & 0x00FFFFFFu) == (startARGB & 0x00FFFFFFu));
    else if (length == 6)
        Require((argb & 0xFF000000u) == (startARGB & 0xFF000000u));
    else if (length != 8)
        Require(argb == startARGB);

    ColorT again;
    again.FromARGB(argb);
    Require(again.ToARGB() == argb);
    return 0;
}
