#pragma once
// An in-process clipboard for unit tests: no display needed. Tests play the other
// programs (SetOutsideText, ClearOutside), make steps fail, and watch what the service
// placed and how often it opened the clipboard.

#include "Platform/Clipboard/ClipboardBackend.h"

#include <optional>

namespace KV::Platform {

class FakeClipboardBackend : public IClipboardBackend
{
public:
    uint32_t GetSequenceNumber() override { return mSequence; }
    bool HasText() override { return mText.has_value(); }
    bool HasPrivateMarker() override { return mMarker; }

    bool Open() override;
    void Close() override { mOpen = false; }
    bool Empty() override;
    bool GetText(std::string& utf8) override;
    bool SetText(const std::string& utf8) override;
    bool SetPrivateMarker() override;

    // Another program copies text, or empties the clipboard.
    void SetOutsideText(const std::string& utf8);
    void ClearOutside();

    // What other programs see: the text, if any, and whether only the marker is there.
    const std::optional<std::string>& GetSystemText() const { return mText; }
    bool IsMarkerPlaced() const { return mMarker; }
    int GetOpenCount() const { return mOpenCount; }

    bool mFailOpen = false;
    bool mFailEmpty = false;
    bool mFailRead = false;
    bool mFailWrite = false;
    // Runs inside Empty, as the message that tells the previous owner it lost the clipboard.
    std::function<void()> mOnEmpty;

private:
    uint32_t mSequence = 1;
    std::optional<std::string> mText;
    bool mMarker = false;
    bool mOpen = false;
    int mOpenCount = 0;
};

} // namespace KV::Platform
