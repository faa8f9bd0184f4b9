#include "Application/Version.h"

#include "Application/FrameworkApp.h"
#include "Application/VersionResource.h"

#include <string_view>

namespace KV {

namespace {

// Read before the string tables exist, so it cannot come from them.
constexpr char16_t kBuiltInStartupErrorFormat[] =
    u"The application encountered problems during startup and will now close.  (Error code = %d)";

} // namespace

String Version::GetStringValue(const char16_t* name) const
{
    struct Value
    {
        std::u16string_view name;
        const char16_t* text;
    };
    static constexpr Value kValues[] = {
        {u"CompanyName", VersionResource::kCompanyName},
        {u"ProductName", VersionResource::kProductName},
        {u"ProductVersion", VersionResource::kProductVersion},
        {u"FileVersion", VersionResource::kFileVersion},
    };
    if (name)
        for (const Value& value : kValues)
            if (value.name == name)
                return String(value.text);
    return String();
}

String GetStartupErrorText(int32_t code)
{
    String format = kBuiltInStartupErrorFormat;
    const LFrameworkApp* app = LFrameworkApp::GetInstance();
    // A table without the text keeps the built-in one: an empty error box helps nobody.
    if (app && app->GetFrameworkStringTable())
        app->GetFrameworkStringTable()->GetString(u"EXCEPTION_ID", format);
    String text;
    text.Format(format.GetText(), code);
    return text;
}

} // namespace KV
