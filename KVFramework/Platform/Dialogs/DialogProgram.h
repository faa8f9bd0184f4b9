#pragma once
// A dialog shown by a program of the desktop (zenity, kdialog) as a child process. A
// thread of the run reads what the program prints and collects its end, so the thread
// that started it is free meanwhile: the window thread keeps its windows painted while
// the dialog is open. The program's own diagnostics (a toolkit's warnings) are kept off
// the process's standard error.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace KV::Platform {

// The program's full path on the search path; empty when it is not there.
std::string FindProgram(std::string_view name);

enum class DialogProgram
{
    Zenity,
    KDialog,
};

// Adds the arguments that keep the program's dialog in front of the window it belongs to
// (an X window id), which takes no input meanwhile; nothing for 0.
void AddOwnerArguments(DialogProgram program, uintptr_t owner, std::vector<std::string>& arguments);

class DialogProgramRun
{
public:
    // Starts the program (a full path) with the arguments (the first is its name); onEnd,
    // when given, is called on the run's thread once the program has ended. Null when it
    // could not be started.
    static std::unique_ptr<DialogProgramRun>
    Start(const std::string& program, const std::vector<std::string>& arguments, std::function<void()> onEnd);
    // A program still open is ended.
    ~DialogProgramRun();
    DialogProgramRun(const DialogProgramRun&) = delete;
    DialogProgramRun& operator=(const DialogProgramRun&) = delete;

    bool HasEnded() const;
    // Waits for the program's end: its exit status, -1 when a signal ended it; output:
    // what it printed on its standard output.
    int Finish(std::string& output);
    // What the program wrote to its standard error.
    std::string GetDiagnostics() const;

private:
    struct State;
    explicit DialogProgramRun(std::shared_ptr<State> state);
    std::shared_ptr<State> mState;
};

} // namespace KV::Platform
