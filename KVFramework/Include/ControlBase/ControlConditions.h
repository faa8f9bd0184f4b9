#pragma once
// The bits of a control's condition word (LControl::GetConditions): its interaction
// state, each bit set while the condition holds. Enabled and shown include the
// ancestors.

#include <cstdint>

namespace KV {

inline constexpr uint32_t kConditionHasFocus = 0x0001;
inline constexpr uint32_t kConditionContainsFocus = 0x0002;
inline constexpr uint32_t kConditionHover = 0x0004;
inline constexpr uint32_t kConditionCapture = 0x0008;
inline constexpr uint32_t kConditionLeftPressed = 0x0010;
inline constexpr uint32_t kConditionMiddlePressed = 0x0020;
inline constexpr uint32_t kConditionRightPressed = 0x0040;
inline constexpr uint32_t kConditionLeftDragging = 0x0080;
inline constexpr uint32_t kConditionMiddleDragging = 0x0100;
inline constexpr uint32_t kConditionRightDragging = 0x0200;
inline constexpr uint32_t kConditionEnabled = 0x0400;
inline constexpr uint32_t kConditionShown = 0x0800;
inline constexpr uint32_t kConditionHoverOrHighlighted = 0x1000;

} // namespace KV
