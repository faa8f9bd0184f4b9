#pragma once
// The first instance's end of the hand-over: a Unix-domain socket on which later
// instances deliver their command lines while the main window exists, and the sending
// end that a later instance uses.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace KV::Platform {

class CommandLineListener
{
public:
    // Listens at path (created with mode 0600) on a thread of its own. A socket file left
    // there by an instance that ended is replaced; a live listener there is left alone
    // and the result is null, as it is when the socket cannot be made. wake, when given,
    // is called on the listener's thread after each command line that arrives.
    static std::unique_ptr<CommandLineListener> Start(const std::string& path,
                                                      std::function<void()> wake = {});

    // Stops listening and removes the socket file, unless another listener replaced it.
    ~CommandLineListener();
    CommandLineListener(const CommandLineListener&) = delete;
    CommandLineListener& operator=(const CommandLineListener&) = delete;

    // The oldest command line not taken yet; false when none waits. An instance whose
    // command line is empty arrives as an empty text.
    bool TakeCommandLine(std::string& text);

private:
    struct State;
    explicit CommandLineListener(std::unique_ptr<State> state);

    std::unique_ptr<State> mState;
};

enum class HandOverResult
{
    NoListener, // nobody listens at the path: the caller carries on by itself
    Delivered,  // the listener has the text
    Failed,     // a listener is there but the text could not be sent
};

// Connects to the listener at path and sends the text. An empty text is not sent, but
// a listener found is still Delivered.
HandOverResult HandOverCommandLine(const std::string& path, std::string_view text);

} // namespace KV::Platform
