// The application object's folders and the names of its version information.
#include "Application/FrameworkApp.h"

#include "Application/Version.h"
#include "Application/VersionResource.h"
#include "ObjectBase/Exception.h"
#include "Platform/Folders/UserFolders.h"
#include "Storage/File.h"
#include "Utilities/Storage/FilePathText.h"

#include <stdexcept>
#include <string>

namespace KV {

namespace {

String WidePath(const std::string& path)
{
    return FilePathText::FromSystem(path);
}

// base/company/product with each level created. No base, no folder: the names alone
// would make a path at the root of the file system.
String CompanyProductFolder(const std::string& base, const String& company, const String& product)
{
    if (base.empty())
        return String();
    String folder = WidePath(base);
    File::EnsureDirectory(folder);
    folder = FilePathText::Join(folder, File::SanitizeFileName(company));
    File::EnsureDirectory(folder);
    folder = FilePathText::Join(folder, File::SanitizeFileName(product));
    File::EnsureDirectory(folder);
    return folder;
}

} // namespace

void LFrameworkApp::GetFolder(String& folder, int32_t kind)
{
    switch (kind)
    {
    case FOLDER_EXECUTABLE:
        folder = WidePath(Platform::GetExecutableFolder());
        return;
    case FOLDER_RESOURCES:
        folder = u"::";
        return;
    case FOLDER_COMMON_DATA:
        folder = CompanyProductFolder(Platform::GetDataHomeFolder(), GetCompanyName(), GetProductName());
        return;
    case FOLDER_LOCAL_DATA:
        folder = CompanyProductFolder(Platform::GetConfigHomeFolder(), GetCompanyName(), GetProductName());
        return;
    case FOLDER_DOCUMENTS:
        folder = WidePath(Platform::GetDocumentsFolder());
        if (!folder.IsEmpty())
            File::EnsureDirectory(folder);
        return;
    default:
        KV_THROW(std::out_of_range, "Unknown Path ID.");
    }
}

String LFrameworkApp::GetCompanyName()
{
    return Version().GetCompanyName();
}

String LFrameworkApp::GetProductName()
{
    return Version().GetProductName();
}

String LFrameworkApp::GetProductVersion()
{
    return Version().GetProductVersion();
}

String LFrameworkApp::GetApplicationName()
{
    return GetProductName();
}

String LFrameworkApp::GetVersionFolderName()
{
    return String(VersionResource::kVersionFolderName);
}

} // namespace KV
