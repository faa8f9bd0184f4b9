#pragma once
// ColorT: a colour as four float channels, red, green, blue and alpha, each nominally 0.0
// to 1.0 (alpha 1.0 is opaque), with its packed 0xAARRGGBB form and the hexadecimal text
// that skins write.

#include <cstdint>

namespace KV {

struct ColorT
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;

    // 1/255 as a float: every byte maps to its channel by one multiplication.
    static constexpr float kByteToChannel = 0.003921569f;

    // Sets all four channels from 0xAARRGGBB.
    ColorT& FromARGB(uint32_t argb);

    // Sets channels from hexadecimal text, with or without a leading "0x": two digits set
    // alpha alone, six set red, green and blue and keep alpha, eight set all four. Null
    // text and any other length change nothing. Digits are read up to the first character
    // that is not one, so "zz" sets the channels to 0.
    ColorT& FromHexText(const char* text);

    // 0xAARRGGBB, each channel rounded half away from zero and clamped to 0..255; a NaN
    // channel packs as 0.
    uint32_t ToARGB() const;

    // Exact float equality of all four channels.
    bool Equals(const ColorT& other) const;
};

} // namespace KV
