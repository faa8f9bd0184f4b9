#include "Platform/Instance/HandOverMessage.h"

#include "Storage/Transcode.h"

#include <algorithm>

namespace KV::Platform {

namespace {

void AppendUint32(std::string& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

uint32_t ReadUint32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

// Well-formed UTF-8 without zero bytes, which no command line holds.
bool IsCommandLineText(const std::string& text)
{
    if (text.find('\0') != std::string::npos)
        return false;
    const char* source = text.data();
    const char* const end = text.data() + text.size();
    // Converted in pieces into a small buffer, which only the validation needs.
    char16_t buffer[256];
    while (source != end)
    {
        char16_t* target = buffer;
        const TranscodeResult result =
            TranscodeUtf8ToUtf16(source, end, target, buffer + std::size(buffer), TranscodeStrict);
        if (result == TranscodeOk)
            return true;
        if (result != TranscodeTargetExhausted)
            return false;
    }
    return true;
}

} // namespace

bool EncodeHandOver(std::string_view text, std::string& message)
{
    if (text.size() > kMaxHandOverTextBytes)
        return false;
    message.clear();
    AppendUint32(message, kHandOverTag);
    AppendUint32(message, static_cast<uint32_t>(text.size()));
    message.append(text);
    return true;
}

size_t HandOverReader::GetWanted() const noexcept
{
    if (mState != State::NeedMore)
        return 0;
    if (mHeader.size() < kHandOverHeaderBytes)
        return kHandOverHeaderBytes - mHeader.size();
    return mLength - mText.size();
}

HandOverReader::State HandOverReader::Feed(const char* bytes, size_t count)
{
    while (mState == State::NeedMore && count > 0)
    {
        const size_t take = std::min(count, GetWanted());
        if (mHeader.size() < kHandOverHeaderBytes)
            mHeader.append(bytes, take);
        else
            mText.append(bytes, take);
        bytes += take;
        count -= take;
        mState = Decide();
    }
    return mState;
}

HandOverReader::State HandOverReader::Decide()
{
    if (mHeader.size() < kHandOverHeaderBytes)
        return State::NeedMore;
    if (mText.empty())
    {
        // The header is known now: refuse before anything of the text is kept.
        if (ReadUint32(mHeader, 0) != kHandOverTag)
            return State::Rejected;
        mLength = ReadUint32(mHeader, 4);
        if (mLength > kMaxHandOverTextBytes)
            return State::Rejected;
    }
    if (mText.size() < mLength)
        return State::NeedMore;
    return IsCommandLineText(mText) ? State::Complete : State::Rejected;
}

} // namespace KV::Platform
