#include "Application/StartupError.h"

namespace KV {
namespace {

String TextOf(const RCPtr<LStringTable>& table, const char16_t* key, const char16_t* defaultText)
{
    String text;
    if (table && table->GetString(key, text))
        return text;
    return String(defaultText);
}

} // namespace

StartupErrorBoxTexts GetStartupErrorBoxTexts(const RCPtr<LStringTable>& frameworkStrings,
                                             const std::exception* error)
{
    const auto* forUser = dynamic_cast<const StartupError*>(error);
    return {forUser ? String(forUser->what())
                    : TextOf(frameworkStrings, u"STARTUP_ERROR",
                             u"The application encountered problems during startup and will now close."),
            TextOf(frameworkStrings, u"STARTUP_ERROR_CAPTION", u"Error")};
}

} // namespace KV
