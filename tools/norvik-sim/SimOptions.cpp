#include "SimOptions.h"

#include "Engine/DeviceProtocol.h"

#include <charconv>
#include <functional>
#include <vector>

namespace NorvikSim {

namespace {

using Apply = std::function<bool(SimOptions&, std::string_view, std::string&)>;

struct OptionSpec
{
    std::string_view name;
    std::string_view argument; // empty for a flag
    std::string_view help;
    Apply apply;
    bool fault = false;
};

bool ParseUnsigned(std::string_view text, unsigned long maximum, unsigned long& value, int base = 10)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc{} && end == text.data() + text.size() && !text.empty() && value <= maximum;
}

bool ParseMillis(std::string_view text, Millis& time, std::string& error)
{
    unsigned long value = 0;
    if (!ParseUnsigned(text, 86400000, value))
    {
        error = "'" + std::string(text) + "' is not a time in milliseconds";
        return false;
    }
    time = Millis(value);
    return true;
}

bool ParseRecord(std::string_view text, std::uint32_t& record, std::string& error)
{
    unsigned long value = 0;
    if (!ParseUnsigned(text, 0xFFFFFFFF, value) || value == 0)
    {
        error = "'" + std::string(text) + "' is not a record number (1 is the first record)";
        return false;
    }
    record = static_cast<std::uint32_t>(value);
    return true;
}

bool ParseStatus(std::string_view text, std::uint8_t& status, std::string& error)
{
    unsigned long value = 0;
    if (!ParseUnsigned(text, 0x7F, value, 16))
    {
        error = "'" + std::string(text) + "' is not a hexadecimal data byte (00 to 7F)";
        return false;
    }
    status = static_cast<std::uint8_t>(value);
    return true;
}

bool ParseVersion(std::string_view text, FirmwareVersion& version, std::string& error)
{
    const auto parsed = FirmwareVersion::Parse(text);
    if (!parsed)
    {
        error = "'" + std::string(text) + "' is not a version of four parts of 0 to 127, such as 1.0.0.5";
        return false;
    }
    version = *parsed;
    return true;
}

// "K" or "K:SUFFIX".
std::pair<std::string_view, std::string_view> SplitSuffix(std::string_view text)
{
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return {text, {}};
    return {text.substr(0, colon), text.substr(colon + 1)};
}

bool AddAckFault(SimOptions& options, std::uint32_t record, AckFault fault, std::string& error)
{
    if (!options.settings.faults.ackFaults.emplace(record, fault).second)
    {
        error = "record " + std::to_string(record) + " has two acknowledgement faults";
        return false;
    }
    return true;
}

Apply Flag(std::function<void(SimOptions&)> set)
{
    return [set](SimOptions& options, std::string_view, std::string&) {
        set(options);
        return true;
    };
}

Apply TextInto(std::function<std::string&(SimOptions&)> field)
{
    return [field](SimOptions& options, std::string_view text, std::string&) {
        field(options) = text;
        return true;
    };
}

Apply MillisInto(std::function<Millis&(SimOptions&)> field)
{
    return [field](SimOptions& options, std::string_view text, std::string& error) {
        return ParseMillis(text, field(options), error);
    };
}

Apply OptionalMillisInto(std::function<std::optional<Millis>&(SimOptions&)> field)
{
    return [field](SimOptions& options, std::string_view text, std::string& error) {
        Millis time{};
        if (!ParseMillis(text, time, error))
            return false;
        field(options) = time;
        return true;
    };
}

Apply RecordInto(std::function<std::optional<std::uint32_t>&(SimOptions&)> field)
{
    return [field](SimOptions& options, std::string_view text, std::string& error) {
        std::uint32_t record = 0;
        if (!ParseRecord(text, record, error))
            return false;
        field(options) = record;
        return true;
    };
}

Apply AckFaultAt(AckFault::Kind kind)
{
    return [kind](SimOptions& options, std::string_view text, std::string& error) {
        std::uint32_t record = 0;
        return ParseRecord(text, record, error) && AddAckFault(options, record, AckFault{kind}, error);
    };
}

const std::vector<OptionSpec>& Options()
{
    static const std::vector<OptionSpec> options = {
        {"--help", "", "Print this text and exit.", Flag([](SimOptions& o) { o.showHelp = true; })},
        {"--firmware", "A.B.C.D",
         "Firmware version that the keyboard reports in normal mode (default 1.0.0.5). Parts of 10 or "
         "more (up to 127) test how the host writes them.",
         [](SimOptions& o, std::string_view a, std::string& e) {
             return ParseVersion(a, o.settings.version, e);
         }},
        {"--new-firmware", "A.B.C.D", "Version reported after a good image was installed (default 1.0.0.6).",
         [](SimOptions& o, std::string_view a, std::string& e) {
             return ParseVersion(a, o.settings.installedVersion, e);
         }},
        {"--expect", "FILE",
         "Expected image (hexadecimal text, as the host reads it). Each record and the whole image are "
         "compared with it; only a matching image is installed, and the exit status is 0 only when the "
         "last transfer matched it.",
         TextInto([](SimOptions& o) -> std::string& { return o.expectedImagePath; })},
        {"--output", "FILE", "Write each received image there (hexadecimal text) when its transfer ends.",
         TextInto([](SimOptions& o) -> std::string& { return o.outputPath; })},
        {"--ack-delay", "MS", "Delay before each acknowledgement and cancel request (default 5).",
         MillisInto([](SimOptions& o) -> Millis& { return o.settings.ackDelay; })},
        {"--ack-status", "HEX", "Status code of the acknowledgements: 40 (default) or 1A.",
         [](SimOptions& o, std::string_view a, std::string& e) {
             return ParseStatus(a, o.settings.ackStatus, e);
         }},
        {"--auto-power-cycle", "MS",
         "Power-cycle by itself this long after accepting the enter-update-mode message.",
         OptionalMillisInto(
             [](SimOptions& o) -> std::optional<Millis>& { return o.settings.autoPowerCycle; })},
        {"--off-time", "MS", "How long a power cycle keeps the keyboard off (default 1000).",
         MillisInto([](SimOptions& o) -> Millis& { return o.settings.offTime; })},
        {"--install-time", "MS",
         "How long installing a received image takes before the reboot into normal mode (default 1500).",
         MillisInto([](SimOptions& o) -> Millis& { return o.settings.installTime; })},
        {"--quiet-end", "MS",
         "A transfer is over when the host has sent nothing for this long (default 3000); with --expect it "
         "is also over once the expected number of bytes has come.",
         MillisInto([](SimOptions& o) -> Millis& { return o.settings.quietEnd; })},
        {"--name-suffix", "TEXT",
         "Put TEXT after the keyboard's port names (in both modes), so that a second simulator can run "
         "beside "
         "the first as another keyboard.",
         TextInto([](SimOptions& o) -> std::string& { return o.nameSuffix; })},
        {"--jack-layout", "LAYOUT",
         "How the ports show on a JACK server: client (default: a client per keyboard, ports in and out), "
         "split (a client per direction, \"<name> (capture)\" and \"<name> (playback)\"), a2j (one bridge "
         "client \"a2j\" for every keyboard, ports \"<name> [<n>] (capture): <name> MIDI 1\" and "
         "\"(playback)\"), seq (one client \"system-midi\" with ports midi_capture_<n> and midi_playback_<n> "
         "that name the keyboard only in their aliases, as the JACK server's own ALSA ports do). In a2j and "
         "seq a keyboard that goes or comes reopens the one client, so the other keyboard's ports are made "
         "anew as well.",
         [](SimOptions& o, std::string_view text, std::string& error) {
             static constexpr std::pair<std::string_view, JackLayout> kLayouts[] = {
                 {"client", JackLayout::Client},
                 {"split", JackLayout::Split},
                 {"a2j", JackLayout::Bridge},
                 {"seq", JackLayout::Server}};
             for (const auto& [name, layout] : kLayouts)
                 if (text == name)
                 {
                     o.jackLayout = layout;
                     return true;
                 }
             error = "'" + std::string(text) + "' is no JACK layout: client, split, a2j or seq";
             return false;
         }},
        {"--two-keyboards", "",
         "Offer a second keyboard beside the first, with the same settings and \" 2\" after its port names.",
         Flag([](SimOptions& o) { o.twoKeyboards = true; }), true},
        {"--no-identity-reply", "", "Do not answer identity requests.",
         Flag([](SimOptions& o) { o.settings.faults.noIdentityReply = true; }), true},
        {"--late-identity-reply", "MS", "Answer identity requests after this delay.",
         OptionalMillisInto(
             [](SimOptions& o) -> std::optional<Millis>& { return o.settings.faults.identityReplyDelay; }),
         true},
        {"--identity-reply-size", "N",
         "Make the identity reply N bytes long instead of 37 (for example 36 or 38; 16 to 255).",
         [](SimOptions& o, std::string_view a, std::string& e) {
             unsigned long size = 0;
             if (!ParseUnsigned(a, 255, size) || size < 16)
             {
                 e = "'" + std::string(a) + "' is not a reply size of 16 to 255 bytes";
                 return false;
             }
             o.settings.faults.identityReplySize = size;
             return true;
         },
         true},
        {"--no-enter-reply", "", "Accept the enter-update-mode message silently.",
         Flag([](SimOptions& o) { o.settings.faults.noEnterReply = true; }), true},
        {"--late-enter-reply", "MS", "Answer the enter-update-mode message after this delay.",
         OptionalMillisInto(
             [](SimOptions& o) -> std::optional<Millis>& { return o.settings.faults.enterReplyDelay; }),
         true},
        {"--enter-status", "HEX",
         "Answer the enter-update-mode message with this status code instead of 15 (the keyboard still "
         "switches).",
         [](SimOptions& o, std::string_view a, std::string& e) {
             return ParseStatus(a, o.settings.faults.enterReplyStatus, e);
         },
         true},
        {"--no-session-ack", "", "Do not acknowledge the start of a transfer session.",
         Flag([](SimOptions& o) { o.settings.faults.noSessionAck = true; }), true},
        {"--no-ack-at", "K", "Do not acknowledge record K (records count from 1).",
         AckFaultAt(AckFault::Kind::Missing), true},
        {"--late-ack-at", "K[:MS]",
         "Acknowledge record K after MS milliseconds (default 12000, beyond the host's wait).",
         [](SimOptions& o, std::string_view a, std::string& e) {
             const auto [recordText, delayText] = SplitSuffix(a);
             std::uint32_t record = 0;
             AckFault fault{AckFault::Kind::Late};
             return ParseRecord(recordText, record, e) &&
                    (delayText.empty() || ParseMillis(delayText, fault.delay, e)) &&
                    AddAckFault(o, record, fault, e);
         },
         true},
        {"--malformed-ack-at", "K[:long|short]",
         "Acknowledge record K with F0 40 00 F7 (long, the default) or with F0 40 (short).",
         [](SimOptions& o, std::string_view a, std::string& e) {
             const auto [recordText, form] = SplitSuffix(a);
             std::uint32_t record = 0;
             if (!ParseRecord(recordText, record, e))
                 return false;
             AckFault fault{AckFault::Kind::MalformedLong};
             if (form == "short")
                 fault.kind = AckFault::Kind::MalformedShort;
             else if (!form.empty() && form != "long")
             {
                 e = "'" + std::string(form) + "' is neither long nor short";
                 return false;
             }
             return AddAckFault(o, record, fault, e);
         },
         true},
        {"--early-ack-at", "K", "Acknowledge record K after its first chunk, and not after its last.",
         AckFaultAt(AckFault::Kind::AfterFirstChunk), true},
        {"--duplicate-acks", "", "Send every acknowledgement twice.",
         Flag([](SimOptions& o) { o.settings.faults.duplicateAcks = true; }), true},
        {"--cancel-at", "K", "Send a cancel request (F0 20 F7) after the first chunk of record K.",
         RecordInto(
             [](SimOptions& o) -> std::optional<std::uint32_t>& { return o.settings.faults.cancelAtRecord; }),
         true},
        {"--vanish-at", "K",
         "Close the ports after the first chunk of record K, as if the cable were pulled; they come back "
         "in update mode after the off time.",
         RecordInto(
             [](SimOptions& o) -> std::optional<std::uint32_t>& { return o.settings.faults.vanishAtRecord; }),
         true},
        {"--never-return", "", "Stay off after a power cycle.",
         Flag([](SimOptions& o) { o.settings.faults.neverReturn = true; }), true},
        {"--return-normal", "",
         "Come back from a power cycle in normal mode even when switched to update mode.",
         Flag([](SimOptions& o) { o.settings.faults.returnInNormalMode = true; }), true},
        {"--realtime-noise", "",
         "Send clock (F8) and active-sensing (FE) bytes every 100 ms and before every reply.",
         Flag([](SimOptions& o) { o.settings.faults.realtimeNoise = true; }), true},
    };
    return options;
}

// Words of text in lines of at most 100 columns, each indented.
std::string Wrapped(std::string_view text, std::string_view indent)
{
    constexpr std::size_t Width = 100;
    std::string result;
    std::string line(indent);
    while (!text.empty())
    {
        const auto space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view{} : text.substr(space + 1);
        if (line.size() > indent.size() && line.size() + 1 + word.size() > Width)
        {
            result += line + "\n";
            line = indent;
        }
        if (line.size() > indent.size())
            line += ' ';
        line += word;
    }
    return result + line + "\n";
}

} // namespace

std::optional<SimOptions> ParseSimOptions(std::span<const std::string_view> arguments, std::string& error)
{
    SimOptions result;
    for (std::size_t i = 0; i < arguments.size(); ++i)
    {
        std::string_view name = arguments[i];
        std::optional<std::string_view> value;
        if (const auto equals = name.find('='); equals != std::string_view::npos)
        {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        const auto& options = Options();
        const auto spec = std::find_if(options.begin(), options.end(),
                                       [name](const OptionSpec& option) { return option.name == name; });
        if (spec == options.end())
        {
            error = "unknown option '" + std::string(arguments[i]) + "' (see --help)";
            return std::nullopt;
        }
        if (spec->argument.empty() && value)
        {
            error = std::string(name) + " takes no value";
            return std::nullopt;
        }
        if (!spec->argument.empty() && !value)
        {
            if (i + 1 == arguments.size())
            {
                error = std::string(name) + " needs a value: " + std::string(spec->argument);
                return std::nullopt;
            }
            value = arguments[++i];
        }
        std::string detail;
        if (!spec->apply(result, value.value_or(std::string_view{}), detail))
        {
            error = std::string(name) + ": " + detail;
            return std::nullopt;
        }
    }
    return result;
}

std::string SimHelpText()
{
    std::string text =
        "Usage: norvik-sim [OPTION]...\n"
        "\n"
        "Plays a Norvik keyboard on MIDI ports, for testing the updater without the hardware.\n"
        "Without options it is a keyboard in normal mode with firmware 1.0.0.5: its ports contain\n"
        "\"Norvik\", it answers identity requests and accepts the enter-update-mode message. After a\n"
        "power cycle it comes back with \"VORazuro Updater\" ports, takes an image, checks it, installs\n"
        "it and reboots into normal mode with the new version. It prints one line per event.\n"
        "\n"
        "The MIDI system is JACK or ALSA: KV_MIDI_API=jack or alsa; without it ALSA when\n"
        "/dev/snd/seq exists, else JACK.\n"
        "\n"
        "Commands on standard input (its end does not stop the program):\n"
        "  power    power-cycle the keyboard(s)\n"
        "  quit     exit\n"
        "Signals: SIGUSR1 power-cycles; SIGINT, SIGTERM and SIGHUP exit.\n"
        "\n";
    const auto appendOptions = [&text](bool faults) {
        for (const OptionSpec& option : Options())
        {
            if (option.fault != faults)
                continue;
            std::string head = "  " + std::string(option.name);
            if (!option.argument.empty())
                head += " " + std::string(option.argument);
            text += head + "\n" + Wrapped(option.help, "      ");
        }
    };
    text += "Options:\n";
    appendOptions(false);
    text += "\nFaults (each shows as a \"fault:\" line when it happens):\n";
    appendOptions(true);
    text += "\n"
            "Exit status: 0 when the last transfer matched the --expect image; 1 when it did not, when no\n"
            "transfer ended, or when no image was expected; 2 for a bad command line or a MIDI failure.\n";
    return text;
}

} // namespace NorvikSim
