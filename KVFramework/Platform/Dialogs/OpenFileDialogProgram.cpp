// The open-file dialog through a desktop program.
//  [x] zenity, else kdialog        [x] title, filters, initial folder, several files
//  [x] cancel told from failure    [x] run beside the caller's thread (DialogProgramRun)
//  [x] kept in front of its owner  [x] default extension

#include "Platform/Dialogs/OpenFileDialogProgram.h"

#include <sys/stat.h>

#include <string_view>

namespace KV::Platform {

namespace {

std::string WithSlash(const std::string& folder)
{
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

std::vector<std::string> ZenityArguments(const OpenFileRequest& request)
{
    std::vector<std::string> arguments{"zenity", "--file-selection", "--title=" + request.title};
    AddOwnerArguments(DialogProgram::Zenity, request.owner, arguments);
    if (!request.initialFolder.empty())
        arguments.push_back("--filename=" + WithSlash(request.initialFolder));
    if (request.multiple)
    {
        arguments.emplace_back("--multiple");
        arguments.emplace_back("--separator=\n");
    }
    for (std::string& filter : ZenityFilterArguments(request.filters))
        arguments.push_back(std::move(filter));
    return arguments;
}

std::vector<std::string> KDialogArguments(const OpenFileRequest& request)
{
    std::vector<std::string> arguments{"kdialog", "--title", request.title};
    AddOwnerArguments(DialogProgram::KDialog, request.owner, arguments);
    arguments.emplace_back("--getopenfilename");
    arguments.push_back(request.initialFolder.empty() ? "." : request.initialFolder);
    arguments.push_back(KDialogFilterArgument(request.filters));
    if (request.multiple)
    {
        arguments.emplace_back("--multiple");
        arguments.emplace_back("--separate-output");
    }
    return arguments;
}

bool IsFile(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The chosen paths of the program's answer; false when a line names no file (the dialog
// lets only existing files be chosen: anything else is no answer).
bool ChosenFiles(std::string_view lines, const std::string& defaultExtension,
                 std::vector<std::string>& chosen)
{
    while (!lines.empty())
    {
        const size_t end = lines.find('\n');
        const std::string_view line = lines.substr(0, end);
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
        if (line.empty())
            continue;
        std::string path(line);
        if (!IsFile(path) && !defaultExtension.empty() && IsFile(path + "." + defaultExtension))
            path += "." + defaultExtension;
        if (!IsFile(path))
            return false;
        chosen.push_back(std::move(path));
    }
    return true;
}

} // namespace

std::unique_ptr<DialogProgramRun> StartOpenFileDialog(const OpenFileRequest& request,
                                                      std::function<void()> onEnd, DialogOutcome& outcome)
{
    std::string program = FindProgram("zenity");
    std::vector<std::string> arguments;
    if (!program.empty())
        arguments = ZenityArguments(request);
    else if (program = FindProgram("kdialog"); !program.empty())
        arguments = KDialogArguments(request);
    else
    {
        outcome = DialogOutcome::Unavailable;
        return nullptr;
    }
    outcome = DialogOutcome::Failed;
    return DialogProgramRun::Start(program, arguments, std::move(onEnd));
}

DialogOutcome FinishOpenFileDialog(DialogProgramRun& run, const OpenFileRequest& request,
                                   std::vector<std::string>& chosen)
{
    chosen.clear();
    std::string answer;
    const int status = run.Finish(answer);
    if (status == 1)
        return DialogOutcome::Cancelled;
    if (status != 0 || !ChosenFiles(answer, request.defaultExtension, chosen))
    {
        chosen.clear();
        return DialogOutcome::Failed;
    }
    return chosen.empty() ? DialogOutcome::Failed : DialogOutcome::Chosen;
}

DialogOutcome RunOpenFileDialog(const OpenFileRequest& request, std::vector<std::string>& chosen)
{
    chosen.clear();
    DialogOutcome outcome = DialogOutcome::Failed;
    const std::unique_ptr<DialogProgramRun> run = StartOpenFileDialog(request, {}, outcome);
    return run ? FinishOpenFileDialog(*run, request, chosen) : outcome;
}

} // namespace KV::Platform
