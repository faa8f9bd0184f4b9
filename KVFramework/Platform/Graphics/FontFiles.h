#pragma once
// The font files the machine offers, as fontconfig lists them, for code that reads the
// files itself (the OpenGL renderer's FreeType text).

#include <string>
#include <vector>

namespace KV::Platform {

// The paths of every font file fontconfig offers (UTF-8), sorted, each once.
std::vector<std::string> ListFontFiles();
// The installed family that fontconfig draws a family name with (the family itself when
// it is installed, else the one that stands in for it); empty when none is installed.
std::string MatchFontFamily(const std::string& family);

} // namespace KV::Platform
