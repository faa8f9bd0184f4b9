#include "Application/OpenFileDialog.h"

#include "Platform/Dialogs/OpenFileDialogProgram.h"
#include "Storage/File.h"

#include <string>
#include <vector>

namespace KV {

namespace {

std::string Utf8(const String& text)
{
    const NarrowString narrow = text.ToNarrow();
    return std::string(narrow.GetText(), static_cast<size_t>(narrow.GetLength()));
}

String Wide(const std::string& utf8)
{
    String text;
    text.AssignNarrowText(utf8.c_str());
    return text;
}

} // namespace

KVRESULT LOpenFileDialog::Show(const String& filter, const String& defaultExtension, const String& title,
                               bool multiple)
{
    mFilePath = String();
    mFileTitle = String();
    Platform::OpenFileRequest request;
    request.title = Utf8(title);
    request.filters = Platform::ParseFileDialogFilter(Utf8(filter));
    request.initialFolder = Utf8(mFolder);
    request.multiple = multiple;
    // The programs let only existing files be chosen, so a default extension never has to
    // be added to a typed name.
    (void)defaultExtension;
    std::vector<std::string> chosen;
    if (Platform::RunOpenFileDialog(request, chosen) != Platform::DialogOutcome::Chosen)
        return E_FAIL;
    mFilePath = Wide(chosen.front());
    mFolder = File::GetParentFolder(mFilePath);
    mFileTitle = File::GetFileName(mFilePath);
    return S_OK;
}

} // namespace KV
