#include "Graphics/Color.h"

#include <cstring>

namespace KV {

namespace {

float ByteToChannel(uint32_t value)
{
    return static_cast<float>(value & 0xFFu) * ColorT::kByteToChannel;
}

// Rounded in single precision, as the channels are, and clamped to a byte.
uint32_t ChannelToByte(float channel)
{
    const float scaled = channel * 255.0f;
    if (!(scaled > 0.0f)) // negative channels and NaN
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return static_cast<uint32_t>(scaled + 0.5f);
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The leading hexadecimal digits of the text (at most eight) as one number.
uint32_t ReadLeadingHex(const char* text)
{
    uint32_t value = 0;
    for (int i = 0; i < 8; ++i)
    {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0)
            break;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

} // namespace

ColorT& ColorT::FromARGB(uint32_t argb)
{
    a = ByteToChannel(argb >> 24);
    r = ByteToChannel(argb >> 16);
    g = ByteToChannel(argb >> 8);
    b = ByteToChannel(argb);
    return *this;
}

ColorT& ColorT::FromHexText(const char* text)
{
    if (text == nullptr)
        return *this;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text += 2;
    const size_t length = std::strlen(text);
    if (length != 2 && length != 6 && length != 8)
        return *this;
    const uint32_t value = ReadLeadingHex(text);
    if (length == 2)
    {
        a = ByteToChannel(value);
    }
    else if (length == 6)
    {
        r = ByteToChannel(value >> 16);
        g = ByteToChannel(value >> 8);
        b = ByteToChannel(value);
    }
    else
    {
        FromARGB(value);
    }
    return *this;
}

uint32_t ColorT::ToARGB() const
{
    return (ChannelToByte(a) << 24) | (ChannelToByte(r) << 16) | (ChannelToByte(g) << 8) | ChannelToByte(b);
}

bool ColorT::Equals(const ColorT& other) const
{
    return r == other.r && g == other.g && b == other.b && a == other.a;
}

} // namespace KV
