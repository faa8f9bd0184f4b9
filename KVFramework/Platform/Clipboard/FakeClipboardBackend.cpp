#include "Platform/Clipboard/FakeClipboardBackend.h"

namespace KV::Platform {

bool FakeClipboardBackend::Open()
{
    if (mFailOpen || mOpen)
        return false;
    mOpen = true;
    ++mOpenCount;
    return true;
}

bool FakeClipboardBackend::Empty()
{
    if (!mOpen || mFailEmpty)
        return false;
    if (mOnEmpty)
        mOnEmpty();
    mText.reset();
    mMarker = false;
    ++mSequence;
    return true;
}

bool FakeClipboardBackend::GetText(std::string& utf8)
{
    if (!mOpen || mFailRead || !mText)
        return false;
    utf8 = *mText;
    return true;
}

bool FakeClipboardBackend::SetText(const std::string& utf8)
{
    if (!mOpen || mFailWrite)
        return false;
    mText = utf8;
    ++mSequence;
    return true;
}

bool FakeClipboardBackend::SetPrivateMarker()
{
    if (!mOpen || mFailWrite)
        return false;
    mMarker = true;
    ++mSequence;
    return true;
}

void FakeClipboardBackend::SetOutsideText(const std::string& utf8)
{
    mText = utf8;
    mMarker = false;
    ++mSequence;
}

void FakeClipboardBackend::ClearOutside()
{
    mText.reset();
    mMarker = false;
    ++mSequence;
}

} // namespace KV::Platform
