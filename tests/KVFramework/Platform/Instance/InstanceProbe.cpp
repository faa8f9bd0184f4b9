// A later instance of an application, as the entry decides it: the first argument is
// the unique name, and the whole command line is handed over when another instance
// listens. Prints "first" or "carry on" and ends with 0, or ends with 255 after the
// hand-over.
#include "Platform/Instance/SingleInstance.h"

#include <cstdio>
#include <string>

int main(int argc, char* argv[])
{
    if (argc < 2)
        return 2;
    std::string commandLine = argv[0];
    for (int i = 1; i < argc; ++i)
        commandLine.append(" ").append(argv[i]);
    switch (KV::Platform::ClaimSingleInstance(argv[1], commandLine))
    {
    case KV::Platform::InstanceRole::First:
        std::puts("first");
        return 0;
    case KV::Platform::InstanceRole::CarryOn:
        std::puts("carry on");
        return 0;
    case KV::Platform::InstanceRole::HandedOver:
        return 255;
    }
    return 2;
}
