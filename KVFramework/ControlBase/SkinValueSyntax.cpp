#include "SkinValueSyntax.h"

#include "Storage/NumberParsing.h"

#include <cmath>

namespace KV::SkinValueSyntax {

namespace {

int HexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

template <class T, T (*Convert)(const String&)>
std::optional<T> FindAs(const Attributes& attributes, const char16_t* name)
{
    const String* value = Find(attributes, name);
    if (!value)
        return std::nullopt;
    return Convert(*value);
}

} // namespace

const String* Find(const Attributes& attributes, const char16_t* name)
{
    const auto entry = attributes.find(String(name));
    return entry == attributes.end() ? nullptr : &entry->second;
}

bool ToBool(const String& value)
{
    return value.EqualsText(u"True");
}

int32_t ToDecimalInt(const String& value)
{
    return ParseLeadingInt(value.View());
}

int32_t ToHexOrDecimalInt(const String& value)
{
    const std::u16string_view text = value.View();
    if (!text.starts_with(u"0x"))
        return ToDecimalInt(value);
    int32_t result = 0;
    for (size_t i = 2; i < text.size() && i < 6; ++i)
    {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0)
            break;
        result = result * 16 + digit;
    }
    return result;
}

float ToFloat(const String& value)
{
    const float result = static_cast<float>(ParseLeadingDouble(value.View()));
    return std::isfinite(result) ? result : 0.0f;
}

double ToWholePixels(const String& value)
{
    return ToDecimalInt(value);
}

std::optional<bool> FindBool(const Attributes& attributes, const char16_t* name)
{
    return FindAs<bool, ToBool>(attributes, name);
}

std::optional<int32_t> FindDecimalInt(const Attributes& attributes, const char16_t* name)
{
    return FindAs<int32_t, ToDecimalInt>(attributes, name);
}

std::optional<int32_t> FindHexOrDecimalInt(const Attributes& attributes, const char16_t* name)
{
    return FindAs<int32_t, ToHexOrDecimalInt>(attributes, name);
}

std::optional<float> FindFloat(const Attributes& attributes, const char16_t* name)
{
    return FindAs<float, ToFloat>(attributes, name);
}

std::optional<double> FindWholePixels(const Attributes& attributes, const char16_t* name)
{
    return FindAs<double, ToWholePixels>(attributes, name);
}

} // namespace KV::SkinValueSyntax
