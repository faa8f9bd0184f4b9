#pragma once
// What every thread of a hung child process is doing, when a debugger is at hand: the
// only trace such a process leaves once it is killed.

#include <cstdio>
#include <string>
#include <sys/types.h>

namespace TestSupport {

inline std::string StacksOf(pid_t pid)
{
    const std::string command = "command -v gdb >/dev/null && gdb -p " + std::to_string(pid) +
                                " -batch -nx -ex 'thread apply all bt' 2>&1";
    std::string stacks;
    if (FILE* gdb = popen(command.c_str(), "r"))
    {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, gdb)) > 0;)
            stacks.append(buffer, n);
        pclose(gdb);
    }
    return stacks.empty() ? std::string()
                          : "\n--- threads of the process before it was killed ---\n" + stacks;
}

} // namespace TestSupport
