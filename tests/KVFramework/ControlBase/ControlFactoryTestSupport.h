#pragma once
// Helpers of the control factory's tests: documents in memory and in files, and the
// fixture skin of the Resources folder.

#include "ControlBase/ControlFactory.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

namespace factorytest {

using namespace KV;

inline std::span<const unsigned char> Bytes(const std::string& text)
{
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

inline std::string Narrow(const String& text)
{
    return text.ToNarrow().GetText();
}

inline String Wide(const std::string& text)
{
    return String(text.c_str());
}

// The UTF-16 little-endian form of UTF-8 text, with a byte-order mark when asked.
inline std::string Utf16LE(const std::string& text, bool byteOrderMark)
{
    const String wide = Wide(text);
    std::string bytes = byteOrderMark ? std::string("\xFF\xFE") : std::string();
    for (char16_t unit : wide.View())
    {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// A skin document whose Application is named "App", around the given elements.
inline std::string SkinDocument(const std::string& body)
{
    return "<Korvan_Skin_Definitions><Application Name=\"App\">" + body +
           "</Application></Korvan_Skin_Definitions>";
}

// A factory that read the fixture resources for English.
inline RCPtr<LControlFactory> LoadFixtureFactory()
{
    RCPtr<LControlFactory> factory = LControlFactory::Create(String(u"Norvik ZR Firmware Updater"));
    EXPECT_EQ(factory->LoadResources(String(u"::"), 0x0409), S_OK);
    return factory;
}

// The text of a table's key; "<none>" when the key is missing.
inline std::string TextOf(const RCPtr<LStringTable>& table, const char16_t* key)
{
    String text(u"<none>");
    if (table)
        table->GetString(key, text);
    return Narrow(text);
}

} // namespace factorytest
