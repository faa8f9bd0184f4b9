#include "Application/WindowInput.h"

namespace KV {

namespace {

constexpr int32_t kNotch = 120;

} // namespace

std::optional<int> WheelAccumulator::Add(int axis, int32_t delta)
{
    int32_t& remainder = mRemainders[axis == kHorizontal ? 1 : 0];
    remainder += delta;
    if (remainder >= kNotch)
    {
        remainder %= kNotch;
        return axis == kHorizontal ? kWheelRight : kWheelUp;
    }
    if (remainder <= -kNotch)
    {
        remainder = -(-remainder % kNotch);
        return axis == kHorizontal ? kWheelLeft : kWheelDown;
    }
    return std::nullopt;
}

uint32_t PointerModifiers(uint32_t modifiers)
{
    return modifiers & (kModifierCtrl | kModifierShift | kModifierAlt);
}

std::optional<KeyCode> KeyCodeForKey(uint8_t virtualKey, bool down, bool repeat, uint32_t modifiers)
{
    if (virtualKey == 0)
    {
        // Keys held with Alt go to the window as system keys, which are passed on even
        // without a virtual key.
        if (modifiers & kModifierAlt)
            return KeyCode::FromCharacter(0, modifiers);
        return std::nullopt;
    }
    const uint8_t wasDown = (!down || repeat) ? 1 : 0;
    return KeyCode::FromVirtualKey(virtualKey, down, wasDown, modifiers);
}

std::vector<KeyCode> KeyCodesForText(std::u16string_view text, uint32_t modifiers)
{
    std::vector<KeyCode> keys;
    if (modifiers & kModifierCmd)
        return keys;
    const uint32_t characterModifiers = PointerModifiers(modifiers);
    keys.reserve(text.size());
    for (const char16_t unit : text)
        keys.push_back(KeyCode::FromCharacter(unit, characterModifiers));
    return keys;
}

RectT<int32_t> FitWindowToDesktop(RectT<int32_t> window, const RectT<int32_t>& desktop)
{
    if (desktop.width < window.width)
        window.width = desktop.width;
    if (desktop.height < window.height)
        window.height = desktop.height;
    if (window.x < desktop.x)
        window.x = desktop.x;
    if (window.y < desktop.y)
        window.y = desktop.y;
    const int64_t desktopRight = int64_t{desktop.x} + desktop.width;
    const int64_t desktopBottom = int64_t{desktop.y} + desktop.height;
    if (int64_t{window.x} + window.width > desktopRight)
        window.x = static_cast<int32_t>(desktopRight - window.width);
    if (int64_t{window.y} + window.height > desktopBottom)
        window.y = static_cast<int32_t>(desktopBottom - window.height);
    return window;
}

bool ReachesOutside(const RectT<int32_t>& window, const RectT<int32_t>& workArea)
{
    return window.x < workArea.x || window.y < workArea.y ||
           int64_t{window.x} + window.width > int64_t{workArea.x} + workArea.width ||
           int64_t{window.y} + window.height > int64_t{workArea.y} + workArea.height;
}

} // namespace KV
