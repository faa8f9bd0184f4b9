// Window events from SDL's event queue.
//  [x] paint, size, move, show, close, focus, enter and leave
//  [x] buttons with double clicks, moves, wheel in 120ths per notch (precise wheels too)
//  [x] keys as virtual keys with both sides of each modifier, auto-repeat, text as UTF-16,
//      and the control characters (Backspace, Tab, Enter, Escape, Ctrl+letter) that SDL
//      types no text for, as text right after their key
//  [x] wake from any thread, ticks              [ ] input-method composition
//  [x] waking from system sleep (told by the clocks: no event of SDL says it)

#include "Platform/Window/SdlWindowEventSource.h"

#include "Platform/Window/SdlKeyTranslation.h"
#include "Platform/Window/SdlVideo.h"
#include "Storage/Transcode.h"

#include <SDL.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <time.h>

namespace KV::Platform {

namespace {

int ButtonBit(uint8_t sdlButton)
{
    switch (sdlButton)
    {
    case SDL_BUTTON_LEFT:
        return kMouseButtonLeft;
    case SDL_BUTTON_MIDDLE:
        return kMouseButtonMiddle;
    case SDL_BUTTON_RIGHT:
        return kMouseButtonRight;
    default:
        return 0;
    }
}

uint32_t CurrentModifiers()
{
    return ModifiersFromSdl(static_cast<uint16_t>(SDL_GetModState()));
}

std::u16string Utf16FromUtf8(const char* text)
{
    const char* source = text;
    const char* end = text + std::strlen(text);
    std::u16string wide(static_cast<size_t>(end - source), u'\0');
    char16_t* target = wide.data();
    TranscodeUtf8ToUtf16(source, end, target, wide.data() + wide.size(), TranscodeStrict);
    wide.resize(static_cast<size_t>(target - wide.data()));
    return wide;
}

class SdlWindowEventSource : public WindowEventSource
{
public:
    SdlWindowEventSource()
    {
        if (mVideo.IsStarted())
            mWakeType = SDL_RegisterEvents(1);
    }

    void Wake() override
    {
        if (mWakeType == static_cast<uint32_t>(-1))
            return;
        SDL_Event wake{};
        wake.type = mWakeType;
        SDL_PushEvent(&wake);
    }

protected:
    bool WaitNativeEvent(WindowEvent& event, Milliseconds timeout) override
    {
        if (!mVideo.IsStarted())
        {
            if (timeout != 0)
                SDL_Delay(timeout == INFINITE_WAIT ? 100 : timeout);
            return false;
        }
        if (!mPending.empty())
        {
            event = mPending.front();
            mPending.pop_front();
            return true;
        }
        const Milliseconds start = SDL_GetTicks();
        for (;;)
        {
            Milliseconds left = 0;
            if (timeout == INFINITE_WAIT)
                left = INFINITE_WAIT;
            else if (const Milliseconds spent = SDL_GetTicks() - start; spent < timeout)
                left = timeout - spent;
            SDL_Event native;
            int got = 0;
            if (left == 0)
                got = SDL_PollEvent(&native);
            else if (left == INFINITE_WAIT)
                got = SDL_WaitEvent(&native);
            else
                got = SDL_WaitEventTimeout(&native, static_cast<int>(left));
            if (!got)
                return false;
            if (Translate(native, event))
                return true;
            // Something the framework does not take: wait on for the rest of the time.
        }
    }

    bool TakeQueuedNativeEvent(WindowEvent& event) override
    {
        if (!mVideo.IsStarted())
            return false;
        if (!mPending.empty())
        {
            event = mPending.front();
            mPending.pop_front();
            return true;
        }
        SDL_Event native;
        while (SDL_PeepEvents(&native, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1)
            if (Translate(native, event))
                return true;
        return false;
    }

    Milliseconds Now() override { return SDL_GetTicks(); }
    // The boot-time clock runs on while the system sleeps, the monotonic one does not.
    uint64_t SleptTime() override
    {
        timespec boot{}, monotonic{};
        if (clock_gettime(CLOCK_BOOTTIME, &boot) != 0 || clock_gettime(CLOCK_MONOTONIC, &monotonic) != 0)
            return 0;
        const int64_t difference = (int64_t{boot.tv_sec} - monotonic.tv_sec) * 1000 +
                                   (int64_t{boot.tv_nsec} - monotonic.tv_nsec) / 1000000;
        return difference > 0 ? static_cast<uint64_t>(difference) : 0;
    }

private:
    bool Translate(const SDL_Event& native, WindowEvent& event)
    {
        event = WindowEvent{};
        if (native.type == mWakeType)
        {
            event.type = WindowEventType::Wake;
            return true;
        }
        switch (native.type)
        {
        case SDL_WINDOWEVENT:
            return TranslateWindowEvent(native.window, event);
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            event.type =
                native.type == SDL_MOUSEBUTTONDOWN ? WindowEventType::ButtonDown : WindowEventType::ButtonUp;
            event.windowId = native.button.windowID;
            event.button = ButtonBit(native.button.button);
            event.clicks = native.button.clicks;
            event.x = native.button.x;
            event.y = native.button.y;
            event.modifiers = CurrentModifiers();
            return event.button != 0;
        case SDL_MOUSEMOTION:
            event.type = WindowEventType::PointerMove;
            event.windowId = native.motion.windowID;
            event.x = native.motion.x;
            event.y = native.motion.y;
            event.modifiers = CurrentModifiers();
            return true;
        case SDL_MOUSEWHEEL:
        {
            const float sign = native.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
            event.type = WindowEventType::Wheel;
            event.windowId = native.wheel.windowID;
            event.wheelY = static_cast<int32_t>(std::lround(sign * native.wheel.preciseY * kWheelDelta));
            event.wheelX = static_cast<int32_t>(std::lround(sign * native.wheel.preciseX * kWheelDelta));
            event.x = native.wheel.mouseX;
            event.y = native.wheel.mouseY;
            event.modifiers = CurrentModifiers();
            return event.wheelX != 0 || event.wheelY != 0;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            event.type = native.type == SDL_KEYDOWN ? WindowEventType::KeyDown : WindowEventType::KeyUp;
            event.windowId = native.key.windowID;
            event.virtualKey = VirtualKeyFromSdl(native.key.keysym.sym, native.key.keysym.scancode);
            event.repeat = native.key.repeat != 0;
            event.modifiers = ModifiersFromSdl(native.key.keysym.mod);
            if (native.type == SDL_KEYDOWN)
                QueueControlCharacter(event);
            return true;
        case SDL_TEXTINPUT:
            event.type = WindowEventType::Text;
            event.windowId = native.text.windowID;
            event.text = Utf16FromUtf8(native.text.text);
            event.modifiers = CurrentModifiers();
            return !event.text.empty();
        case SDL_DISPLAYEVENT:
            event.type = WindowEventType::DisplayChanged;
            return true;
        default:
            return false;
        }
    }

    void QueueControlCharacter(const WindowEvent& keyDown)
    {
        const char16_t character = ControlCharacterFor(keyDown.virtualKey, keyDown.modifiers);
        if (character == 0)
            return;
        WindowEvent text;
        text.type = WindowEventType::Text;
        text.windowId = keyDown.windowId;
        text.text.assign(1, character);
        text.modifiers = keyDown.modifiers;
        mPending.push_back(text);
    }

    static bool TranslateWindowEvent(const SDL_WindowEvent& native, WindowEvent& event)
    {
        event.windowId = native.windowID;
        switch (native.event)
        {
        case SDL_WINDOWEVENT_EXPOSED:
            // The whole client area: SDL does not say which part was uncovered.
            event.type = WindowEventType::Paint;
            if (SDL_Window* window = SDL_GetWindowFromID(native.windowID))
                SDL_GetWindowSize(window, &event.width, &event.height);
            return true;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            event.type = WindowEventType::Resized;
            event.width = native.data1;
            event.height = native.data2;
            return true;
        case SDL_WINDOWEVENT_MOVED:
            event.type = WindowEventType::Moved;
            event.x = native.data1;
            event.y = native.data2;
            return true;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
            event.type = WindowEventType::Shown;
            return true;
        case SDL_WINDOWEVENT_HIDDEN:
        case SDL_WINDOWEVENT_MINIMIZED:
            event.type = WindowEventType::Hidden;
            return true;
        case SDL_WINDOWEVENT_CLOSE:
            event.type = WindowEventType::CloseRequest;
            return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            event.type = WindowEventType::FocusGained;
            return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            event.type = WindowEventType::FocusLost;
            return true;
        case SDL_WINDOWEVENT_ENTER:
            event.type = WindowEventType::PointerEnter;
            return true;
        case SDL_WINDOWEVENT_LEAVE:
        {
            // Where the pointer went, so that the window can tell the controls it is gone.
            event.type = WindowEventType::PointerLeave;
            int screenX = 0, screenY = 0, windowX = 0, windowY = 0;
            SDL_GetGlobalMouseState(&screenX, &screenY);
            if (SDL_Window* window = SDL_GetWindowFromID(native.windowID))
                SDL_GetWindowPosition(window, &windowX, &windowY);
            event.x = screenX - windowX;
            event.y = screenY - windowY;
            event.modifiers = CurrentModifiers();
            return true;
        }
        case SDL_WINDOWEVENT_DISPLAY_CHANGED:
            event.type = WindowEventType::DisplayChanged;
            return true;
        default:
            return false;
        }
    }

    SdlVideoUse mVideo;
    std::deque<WindowEvent> mPending; // made from an event already taken from SDL
    uint32_t mWakeType = static_cast<uint32_t>(-1);
};

} // namespace

std::shared_ptr<WindowEventSource> CreateSdlWindowEventSource()
{
    return std::make_shared<SdlWindowEventSource>();
}

} // namespace KV::Platform
