#pragma once
// The message in which a later instance hands its command line to the first one: the
// tag 1125 and the length of the text, each four bytes, least significant first, then
// the text in UTF-8 without a terminator. One message per connection.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace KV::Platform {

inline constexpr uint32_t kHandOverTag = 1125;
inline constexpr size_t kHandOverHeaderBytes = 8;
// Far above any command line the application takes; a longer one is refused unread.
inline constexpr uint32_t kMaxHandOverTextBytes = 64 * 1024;

// The whole message for a text; nothing when the text is too long to be taken.
bool EncodeHandOver(std::string_view text, std::string& message);

// Takes the bytes of one message as they arrive and decides on it as soon as it can.
class HandOverReader
{
public:
    enum class State
    {
        NeedMore, // the message is not complete yet
        Complete, // GetText holds the command line
        Rejected, // another tag, a length above the limit, or text that is
                  // not UTF-8 or holds a zero byte
    };

    // Feeds the next bytes; bytes after a decision are ignored.
    State Feed(const char* bytes, size_t count);
    State GetState() const noexcept { return mState; }
    // The text of a complete message.
    const std::string& GetText() const noexcept { return mText; }
    // The bytes still wanted before a decision.
    size_t GetWanted() const noexcept;

private:
    State Decide();

    State mState = State::NeedMore;
    std::string mHeader;
    uint32_t mLength = 0;
    std::string mText;
};

} // namespace KV::Platform
