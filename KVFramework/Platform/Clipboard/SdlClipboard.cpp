#include "Platform/Clipboard/SdlClipboard.h"

#include <SDL.h>

namespace KV::Platform {

namespace {

class SdlClipboardBackend : public IClipboardBackend
{
public:
    uint32_t GetSequenceNumber() override
    {
        Observe();
        return mSequence;
    }

    bool HasText() override
    {
        Observe();
        return !mLastSeen.empty();
    }

    bool HasPrivateMarker() override
    {
        Observe();
        return mMarkerPlaced;
    }

    bool Open() override { return VideoRunning(); }
    void Close() override {}

    bool Empty() override { return Write(""); }

    bool GetText(std::string& utf8) override
    {
        bool read = false;
        utf8 = ReadNow(read);
        return read;
    }

    bool SetText(const std::string& utf8) override { return Write(utf8); }

    bool SetPrivateMarker() override
    {
        // Emptied just before: other programs see no text.
        mMarkerPlaced = true;
        return true;
    }

private:
    static bool VideoRunning() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

    static std::string ReadNow(bool& read)
    {
        read = false;
        if (!VideoRunning())
            return {};
        char* text = SDL_GetClipboardText();
        if (!text)
            return {};
        std::string result(text);
        SDL_free(text);
        read = true;
        return result;
    }

    // Counts a change when the clipboard holds another text than the one seen last.
    void Observe()
    {
        bool read = false;
        std::string now = ReadNow(read);
        if (!read || now == mLastSeen)
            return;
        mLastSeen = std::move(now);
        mMarkerPlaced = false;
        ++mSequence;
    }

    // Every write is a change; what it left is what we saw last, so that our own write
    // is not taken for another program's.
    bool Write(const std::string& utf8)
    {
        if (!VideoRunning() || SDL_SetClipboardText(utf8.c_str()) != 0)
            return false;
        ++mSequence;
        mMarkerPlaced = false;
        bool read = false;
        std::string now = ReadNow(read);
        if (read)
            mLastSeen = std::move(now);
        return true;
    }

    uint32_t mSequence = 1;
    std::string mLastSeen;
    bool mMarkerPlaced = false;
};

} // namespace

std::shared_ptr<IClipboardBackend> CreateSdlClipboardBackend()
{
    return std::make_shared<SdlClipboardBackend>();
}

} // namespace KV::Platform
