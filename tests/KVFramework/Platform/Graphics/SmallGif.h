#pragma once
// A GIF of 2 x 1 pixels, written out byte by byte: a red one, then one of the
// transparent colour (blue).

#include <cstddef>
#include <string_view>

inline constexpr std::string_view kRedAndClearGif("GIF89a\x02\x00\x01\x00\x80\x00\x00" // screen, 2 colours
                                                  "\xFF\x00\x00\x00\x00\xFF"           // red, blue
                                                  "\x21\xF9\x04\x01\x00\x00\x01\x00"   // colour 1 is clear
                                                  "\x2C\x00\x00\x00\x00\x02\x00\x01\x00\x00" // the picture
                                                  "\x02\x02\x44\x0A\x00\x3B",                // clear 0 1 end
                                                  43);
// Where the picture's descriptor begins (its width 5 bytes on, its height 7).
inline constexpr size_t kGifPictureAt = 27;
