// kv-midi-ports: lists the MIDI input and output ports that the updater sees, with
// the backend it uses (chosen as the updater chooses it; KV_MIDI_API=alsa|jack
// overrides). Exits 0 when the MIDI system answered, 1 otherwise.

#include "Platform/Midi/MidiDriverFactory.h"

#include <cstdio>
#include <cstring>

namespace {

void PrintPorts(const char* heading, const std::vector<std::string>& names)
{
    std::printf("%s (%zu):\n", heading, names.size());
    for (size_t i = 0; i < names.size(); ++i)
        std::printf("  %zu  %s\n", i, names[i].c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
    {
        const bool help = std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0;
        std::fprintf(help ? stdout : stderr,
                     "usage: kv-midi-ports\n"
                     "Lists the MIDI ports the updater sees. KV_MIDI_API=alsa|jack chooses the backend.\n");
        return help ? 0 : 2;
    }
    std::string error;
    const auto driver = KV::Platform::CreateMidiDriver(error);
    if (!driver)
    {
        std::fprintf(stderr, "kv-midi-ports: %s\n", error.c_str());
        return 1;
    }
    std::printf("MIDI backend: %s\n", driver->ApiName().c_str());
    PrintPorts("Inputs", driver->ListInputs());
    PrintPorts("Outputs", driver->ListOutputs());
    return 0;
}
