#pragma once
// The application's version information: the company, product and version names that
// the build writes into the executable. The frame makes one of these whenever it needs
// one of the names (the control factory's name, the profile's key, the main window's
// title, the settings folders) and drops it again.

#include "Storage/StringT.h"

namespace KV {

class Version
{
public:
    Version() = default;

    String GetCompanyName() const { return GetStringValue(u"CompanyName"); }
    String GetProductName() const { return GetStringValue(u"ProductName"); }
    String GetProductVersion() const { return GetStringValue(u"ProductVersion"); }

    // The value of one of "CompanyName", "ProductName", "ProductVersion" and
    // "FileVersion"; the empty string for any other name.
    String GetStringValue(const char16_t* name) const;
};

// The text that tells the user start-up failed with the code: the framework string
// table's "EXCEPTION_ID" formatted with the code, or, while the application has no
// framework string table, the built-in English text.
String GetStartupErrorText(int32_t code);

} // namespace KV
