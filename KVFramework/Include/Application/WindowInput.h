#pragma once
// How the operating-system window turns what it receives into the root window's input:
// keys into key codes, typed text into character key codes, wheel turns into steps,
// and the arithmetic that keeps a window's rectangle on the desktop. Plain functions and
// values, so each rule is tested without a window.

#include "Graphics/Geometry.h"
#include "System/KeyCode.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace KV {

// Directions of a wheel step, as the root window takes them.
inline constexpr int kWheelDown = 0;  // towards the user
inline constexpr int kWheelUp = 1;    // away from the user
inline constexpr int kWheelLeft = 2;  // to the left
inline constexpr int kWheelRight = 3; // to the right

// Adds up the wheel's turns per axis and makes a step each time the sum passes one notch
// (120) in either direction. A turn of several notches at once makes one step; what is
// left below a notch is kept for the next turn.
class WheelAccumulator
{
public:
    static constexpr int kVertical = 0;
    static constexpr int kHorizontal = 1;

    // delta: away from the user (vertical) or to the right (horizontal) positive. The
    // step's direction, or nothing.
    std::optional<int> Add(int axis, int32_t delta);
    int32_t GetRemainder(int axis) const { return mRemainders[axis]; }

private:
    int32_t mRemainders[2] = {0, 0};
};

// The modifiers that pointer events carry: Ctrl, Shift and Alt without their sides.
uint32_t PointerModifiers(uint32_t modifiers);

// The key code of a key press or release. repeat: the key was already down (auto-repeat);
// a release always counts as already down. A key without a virtual key goes on as the
// character 0 with the modifiers only while Alt is held; otherwise nothing.
std::optional<KeyCode> KeyCodeForKey(uint8_t virtualKey, bool down, bool repeat, uint32_t modifiers);

// The character key codes of typed text, one per UTF-16 unit, with Shift, Ctrl and Alt;
// nothing while the system key is held.
std::vector<KeyCode> KeyCodesForText(std::u16string_view text, uint32_t modifiers);

// A window rectangle (frame included) restored from a saved placement, brought onto the
// desktop: no wider or taller than the desktop, then moved in from the left and top
// edges, then from the right and bottom ones, keeping its size.
RectT<int32_t> FitWindowToDesktop(RectT<int32_t> window, const RectT<int32_t>& desktop);

// Whether any side of the window rectangle reaches outside the work area.
bool ReachesOutside(const RectT<int32_t>& window, const RectT<int32_t>& workArea);

} // namespace KV
