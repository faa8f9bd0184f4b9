#include "Application/DebugConsoleOption.h"

#include "System/DebugConsole.h"

#include <charconv>
#include <string_view>

namespace KV {
namespace {

constexpr std::string_view kOption = "-DEBUG_CONSOLE";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

DebugConsoleOption ParseDebugConsoleOption(const String& commandLine)
{
    const std::string text = NarrowString(commandLine.ToUpper()).GetText();
    size_t at = text.find(kOption);
    while (at != std::string::npos && at > 0 && !IsBlank(text[at - 1]))
        at = text.find(kOption, at + 1);
    DebugConsoleOption option;
    if (at == std::string::npos)
        return option;

    size_t end = at + kOption.size();
    while (end < text.size() && !IsBlank(text[end]))
        ++end;
    const std::string_view argument =
        std::string_view(text).substr(at + kOption.size(), end - at - kOption.size());
    if (!argument.starts_with(':'))
    {
        option.kind = DebugConsoleOption::Kind::Console;
        return option;
    }

    const std::string_view rest = argument.substr(1);
    const size_t colon = rest.find(':');
    const std::string_view portText = rest.substr(0, colon);
    int port = 0;
    const auto [numberEnd, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || error != std::errc() || numberEnd != portText.data() + portText.size() ||
        port < 1 || port > 65535)
        return option;
    option.kind = DebugConsoleOption::Kind::Target;
    option.port = port;
    if (colon != std::string_view::npos)
        option.host = std::string(rest.substr(colon + 1));
    return option;
}

void ApplyDebugConsoleOption(const DebugConsoleOption& option)
{
    switch (option.kind)
    {
    case DebugConsoleOption::Kind::None:
        return;
    case DebugConsoleOption::Kind::Console:
        OpenDebugConsole();
        return;
    case DebugConsoleOption::Kind::Target:
        DebugConsole::GetInstance().SetTarget(option.host.empty() ? nullptr : option.host.c_str(),
                                              option.port);
        return;
    }
}

} // namespace KV
