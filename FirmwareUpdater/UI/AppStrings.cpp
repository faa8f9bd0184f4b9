#include "AppStrings.h"

#include "Application/FrameworkApp.h"

namespace KV {

String GetAppString(const char16_t* key)
{
    String text;
    const LFrameworkApp* app = LFrameworkApp::GetInstance();
    if (app && app->GetAppStringTable())
        app->GetAppStringTable()->GetString(key, text);
    return text;
}

} // namespace KV
