#include "Application/OpenFileDialog.h"

#include "Application/FrameworkApp.h"
#include "Application/OSWindow.h"
#include "Platform/Dialogs/OpenFileDialogProgram.h"
#include "Platform/Window/WindowEventSource.h"
#include "Storage/File.h"
#include "System/DebugConsole.h"

#include <memory>
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

String TextOf(const LFrameworkApp& app, const char16_t* key, const char16_t* defaultText)
{
    String text;
    if (const RCPtr<LStringTable>& table = app.GetFrameworkStringTable();
        table && table->GetString(key, text))
        return text;
    return String(defaultText);
}

} // namespace

KVRESULT LOpenFileDialog::Show(const String& filter, const String& defaultExtension, const String& title,
                               bool multiple)
{
    mFilePath = String();
    mFilePaths.clear();
    mFileTitle = String();
    LFrameworkApp* app = LFrameworkApp::GetInstance();
    Platform::OpenFileRequest request;
    request.title = Utf8(title);
    request.filters = Platform::ParseFileDialogFilter(Utf8(filter));
    request.initialFolder = Utf8(mFolder);
    request.defaultExtension = Utf8(defaultExtension);
    if (!request.defaultExtension.empty() && request.defaultExtension.front() == '.')
        request.defaultExtension.erase(0, 1);
    request.multiple = multiple;
    request.owner = OSWindow::GetDialogOwner();

    Platform::DialogOutcome outcome = Platform::DialogOutcome::Failed;
    std::unique_ptr<Platform::DialogProgramRun> run;
    if (request.owner != 0)
    {
        // The window thread goes on painting and taking notifications while the dialog is
        // open; the end of the dialog wakes it.
        Platform::WindowEventSource* source = &Platform::GetWindowEventSource();
        run = Platform::StartOpenFileDialog(
            request, [source] { source->Wake(); }, outcome);
        if (run)
            OSWindow::RunDisabledLoop([&run] { return run->HasEnded(); });
        // Asked to end meanwhile: the dialog goes with the application.
        if (run && !run->HasEnded())
            return E_FAIL;
    }
    else
        run = Platform::StartOpenFileDialog(request, {}, outcome);
    if (!run)
    {
        if (outcome == Platform::DialogOutcome::Unavailable && app)
            app->MessageBox(
                TextOf(*app, u"OPEN_FILE_DIALOG_UNAVAILABLE",
                       u"No file can be chosen here: the file dialog needs the program \"zenity\" (or "
                       u"\"kdialog\"), and neither is installed. Install zenity, then try again."),
                TextOf(*app, u"OPEN_FILE_DIALOG_UNAVAILABLE_CAPTION", u"Open"), kMessageBoxIconWarning);
        return E_FAIL;
    }
    std::vector<std::string> chosen;
    outcome = Platform::FinishOpenFileDialog(*run, request, chosen);
    // The program's own words stay with it: a toolkit's warnings are no news for the user.
    if (outcome == Platform::DialogOutcome::Failed)
        CDebugLine<char>() << "The file dialog program gave no answer.\n";
    if (outcome != Platform::DialogOutcome::Chosen)
        return E_FAIL;
    for (const std::string& path : chosen)
        mFilePaths.push_back(Wide(path));
    mFilePath = mFilePaths.front();
    mFolder = File::GetParentFolder(mFilePath);
    mFileTitle = File::GetFileName(mFilePath);
    return S_OK;
}

} // namespace KV
